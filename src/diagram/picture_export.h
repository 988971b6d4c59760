#pragma once

#include "diagram/diagram_painter.h"

#include <QDate>
#include <QSizeF>
#include <QString>

#include <optional>

namespace zant {

// What a picture standing alone says about itself, in a block under the drawing: the picture,
// the project, the date of the computation, the scale and the legend of its marks.
struct TitleBlock
{
    enum class Legend
    {
        Network,
        Gantt,
        // A Gantt chart whose calendar leaves days out: they are shaded.
        GanttCalendar,
        SCurve,
    };
    QString title; // "Reticolo a scala dei tempi", "Diagramma di Gantt", ...
    QString project;
    QDate computed;
    // Picture units per day of the time axis; 0 when the picture has no time scale.
    double unitsPerDay = 0;
    Legend legend = Legend::Network;
};

// Height of the title block in picture units, and the narrowest picture it fits under.
inline constexpr double kTitleBlockHeight = 112;
inline constexpr double kTitleBlockWidth = 760;

// The size of a picture once its title block stands under it.
QSizeF standaloneSize(const QSizeF& picture);

// Draws the block in `area` (picture units); `millimetresPerUnit` gives the scale in the
// output, for the line that says how many days a centimetre holds.
void paintTitleBlock(QPainter& painter, const TitleBlock& block, const QRectF& area,
                     double millimetresPerUnit);

// The legend of a Gantt chart: with the shaded days when its calendar leaves some out.
TitleBlock::Legend ganttLegend(const GanttChart& chart);

// The legend of a picture's marks, in `area`, one entry after the other. A Gantt chart drawn
// without today's line (a printed document) leaves "oggi" out.
void paintLegend(QPainter& painter, TitleBlock::Legend legend, const QRectF& area,
                 bool withToday = true);

// Paper for PDF output.
enum class Sheet
{
    A4,
    A3,
    A1,
    A0,
};

// "A4", "A3", "A1", "A0" (any case): the sheet; nothing otherwise.
std::optional<Sheet> sheetNamed(const QString& name);
QString sheetName(Sheet sheet);

// How a picture is written: its own size (SVG, PNG or PDF page of the picture's size), shrunk
// onto one sheet of paper, or cut at a readable size over sheets of A4 or A3 that overlap, with
// marks where they join and a map of the sheets on the first one.
struct PictureOutput
{
    QString path;
    std::optional<Sheet> sheet;
    bool tiled = false;
};

// Millimetres per picture unit at which the smallest text of a picture reads 2.5 mm high:
// `smallestText` is that text's size in picture units.
double readableScale(double smallestText);

// Writes the picture with its title block through the save helper. `smallestText` sets the
// scale of tiled sheets; an SVG file of its own size is written from `svg` when it is given.
// The message says why the file could not be written.
Result<void> exportStandalone(const PictureOutput& output, const QSizeF& picture,
                              const PicturePainter& paint, const TitleBlock& block,
                              double smallestText, const DirectSvg& svg = {});

// The title block of a laid-out network, and the size of its smallest text in picture units:
// the times in the circles, as small as their longest number needs.
TitleBlock networkTitleBlock(const NetworkLayout& layout, const QString& project,
                             const QDate& computed);
double networkSmallestText(const NetworkLayout& layout, const ScheduleResults& results);
// The same for the Gantt chart: its smallest text is the day numbers of the axis.
double ganttSmallestText(const GanttGeometry& geometry);

// The sheets a tiled print of a picture of that size (title block included) needs.
int tiledSheetCount(const QSizeF& picture, Sheet sheet, double smallestText);

} // namespace zant
