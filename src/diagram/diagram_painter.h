#pragma once

#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "model/file_io.h"
#include "model/message.h"

#include <QDate>
#include <QFont>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <vector>

class QPainter;

namespace zant {

// Draws the laid-out network in picture units; the painter's transform gives the zoom.
// `selectedEvent` (0: none) is outlined in blue. Texts not wholly inside a non-empty `textArea`
// are left out.
void paintNetwork(QPainter& painter, const NetworkLayout& layout, const ScheduleResults& results,
                  int selectedEvent = 0, const QRectF& textArea = QRectF());

// Where the three numbers of an event circle are written and at which size: the number in the
// upper half, the earliest time in the lower left quarter, the latest in the lower right one.
// Each text is made small enough to fit its part of the circle, whatever its length.
struct CircleTexts
{
    QString number;
    QString earliest;
    QString latest;
    QFont numberFont;
    QFont earliestFont;
    QFont latestFont;
    QRectF numberBox;
    QRectF earliestBox;
    QRectF latestBox;
};
CircleTexts circleTexts(QPointF centre, double radius, int event, double earliest, double latest);

// Sizes of the Gantt chart in picture units. Left of the calendar stand the columns of the
// activity ("i → k" and its description), its duration, its earliest start and finish, and
// the mark of a critical activity.
struct GanttGeometry
{
    double dayWidth = 4; // units per day; day numbers appear from 14 units per day
    double rowHeight = 20;
    double labelWidth = 250;  // "i → k" and the description
    double numberWidth = 44;  // duration in days
    double dateWidth = 66;    // each of start and finish
    double markWidth = 18;    // "C" for a critical activity
    double axisHeight = 46;   // months on the upper band, weeks or days on the lower one
    double legendHeight = 44; // under the rows, on every page
    double margin = 12;

    double columnsWidth() const { return labelWidth + numberWidth + 2 * dateWidth + markWidth; }
    // A little room before day 0 for the diamond of the first event.
    double chartLeft() const { return margin + columnsWidth() + 8; }
    double xOfDay(double day) const { return chartLeft() + day * dayWidth; }
    double rowTop(int row) const { return margin + axisHeight + row * rowHeight; }
    // The whole chart (rowCount < 0) or a page of rowCount rows.
    QSizeF size(const GanttChart& chart, int rowCount = -1) const;
    // Row under a point, or -1.
    int rowAt(const GanttChart& chart, double y) const;
};

// Draws rows firstRow..firstRow+rowCount-1 (all with rowCount < 0) of the chart, with the
// axis on top and the legend under them; the rows drawn start just under the axis. `today` is
// marked when it falls inside the chart. Only the rows the painter's clip shows are drawn.
void paintGantt(QPainter& painter, const GanttChart& chart, const GanttGeometry& geometry,
                const QDate& today, int firstRow = 0, int rowCount = -1);

// Pieces of a picture for pages that show `page` units of it, overlapping by `overlap` units,
// row by row. The top `header` units (the axis) are not cut: every piece repeats them, and the
// pieces' rectangles cover the rest of the picture below the header.
std::vector<QRectF> pageTiles(const QSizeF& picture, const QSizeF& page, double overlap,
                              double header);

// Height of the network's axis band, repeated on every page of a network split over pages.
double networkHeaderHeight(const NetworkLayout& layout);

// Paints one piece of the network from pageTiles: the axis band of its columns, then the piece
// itself just below it.
void paintNetworkTile(QPainter& painter, const NetworkLayout& layout,
                      const ScheduleResults& results, const QRectF& tile);

// Writes one picture to a file through the save helper; the format follows the suffix:
// .svg (vector), .png (at `pngScale` pixels per unit, kept under a size any viewer opens) or
// .pdf (one page of the picture's size). The error says why a file could not be written.
using PicturePainter = std::function<void(QPainter&)>;
Result<void> exportPicture(const QString& path, const QSizeF& size, const PicturePainter& paint,
                           double pngScale = 1.0,
                           const SaveTargetFactory& targets = makeFileTarget);

// A picture whose bulk an SVG file holds as plain elements: `background` is painted through Qt's
// SVG generator, then `elements` appends the rest, in picture units, above it.
struct DirectSvg
{
    PicturePainter background;
    std::function<void(QByteArray&)> elements;
    explicit operator bool() const { return static_cast<bool>(elements); }
};

// The network for an SVG file, as paintNetwork draws it: the axis painted, the arrows and
// circles written as elements. The layout and the results must outlive the returned functions.
DirectSvg networkSvg(const NetworkLayout& layout, const ScheduleResults& results,
                     int selectedEvent = 0);

// An SVG file of the picture painted by `svg.background` with `svg.elements` above it, through
// the save helper.
Result<void> exportSvg(const QString& path, const QSizeF& size, const DirectSvg& svg,
                       const SaveTargetFactory& targets = makeFileTarget);

// True for the suffixes exportPicture knows.
bool isPictureSuffix(const QString& path);

} // namespace zant
