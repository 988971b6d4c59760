#include "diagram/diagram_painter.h"

#include "diagram/network_marks.h"
#include "diagram/picture_export.h"
#include "diagram/picture_style.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace zant {

namespace {

using namespace pictures;

QFont pictureFont(double pixels, bool bold = false)
{
    return pictures::font(pixels, bold);
}

// The head of an arrow, filled.
void fillArrowHead(QPainter& p, QPointF tip, QPointF from, double length, const QColor& colour)
{
    const QPolygonF head = marks::arrowHead(tip, from, length);
    if (head.isEmpty())
        return;
    QPainterPath path;
    path.addPolygon(head);
    path.closeSubpath();
    p.fillPath(path, colour);
}

// A nice step of the time axis: at least `minUnits` apart.
double axisStep(double unitsPerDay, double minUnits)
{
    static const double kSteps[] = {1,   2,   5,   7,   10,   14,   15,   30,    60,   90,
                                    120, 180, 365, 730, 1825, 3650, 7300, 18250, 36500};
    for (double s : kSteps)
        if (s * unitsPerDay >= minUnits)
            return s;
    return 73000;
}

// Writes a text, unless it would stand partly outside `area` (when that is not empty): a piece
// of a picture cut into sheets leaves to its neighbour the words it would show only in part.
void drawText(QPainter& p, const QRectF& area, const QRectF& box, int flags, const QString& text)
{
    if (!area.isEmpty() && !area.contains(p.boundingRect(box, flags, text)))
        return;
    p.drawText(box, flags, text);
}

// Whether a rectangle of the picture can be seen: inside the exposed part of the painter, if
// it has one.
struct Exposed
{
    QRectF rect;
    bool contains(const QRectF& r) const { return rect.isEmpty() || rect.intersects(r); }
};

// Texts smaller than this on the device cannot be read, and shaping them is most of the cost of
// painting a reduced overview.
bool readable(const QPainter& p, double pixelSize)
{
    const QTransform& t = p.worldTransform();
    return pixelSize * std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21())) >= 2.5;
}

// Device pixels per picture unit on a raster device; 0 on the others (SVG, PDF, printer).
double rasterScale(const QPainter& p)
{
    const int device = p.device() ? p.device()->devType() : 0;
    const bool raster =
        device == QInternal::Image || device == QInternal::Pixmap || device == QInternal::Widget;
    const QTransform& t = p.deviceTransform();
    return raster ? std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21())) : 0;
}

// The pen of the axis' grid: on a screen where its line is thinner than a pixel, a hairline as
// pale as the thin line would show, drawn many times faster.
QPen gridPen(const QPainter& p)
{
    const double scale = rasterScale(p);
    if (scale <= 0 || scale >= 0.6)
        return QPen(kGrid, 1);
    QColor pale = kGrid;
    pale.setAlphaF(static_cast<float>(std::max(scale, 0.05)));
    return QPen(pale, 0);
}

// The least distance between two lines of the grid, in picture units: three pixels on a screen,
// where closer lines would only grey the picture.
double gridGap(const QPainter& p, double units)
{
    const double scale = rasterScale(p);
    return scale > 0 ? std::max(units, 3 / scale) : units;
}

void paintTimeAxis(QPainter& p, const NetworkLayout& layout, const ScheduleResults& results,
                   const QRectF& area, const Exposed& exposed)
{
    const LayoutMetrics& m = layout.metrics;
    const double top = m.margin;
    const double bottom = layout.height - m.margin;
    const double finish = results.earliest[results.eventCount];
    const double step = axisStep(layout.unitsPerDay, gridGap(p, 90));
    const QPen grid = gridPen(p);
    const QDate start = parseDate(results.startDateText);
    const bool texts = readable(p, 10);
    p.setFont(pictureFont(10));
    double first = 0;
    if (!exposed.rect.isEmpty())
        first = std::max(
            0.0,
            std::floor((exposed.rect.left() - layout.originX) / layout.unitsPerDay / step) * step);
    for (double t = first; t <= finish + 1e-9; t += step) {
        const double x = layout.xOfTime(t);
        if (!exposed.rect.isEmpty() && x > exposed.rect.right() + 60)
            break;
        p.setPen(grid);
        p.drawLine(QPointF(x, top + 30), QPointF(x, bottom));
        if (!texts)
            continue;
        p.setPen(kMuted);
        drawText(p, area, QRectF(x - 45, top, 90, 14), Qt::AlignCenter,
                 QStringLiteral("g. %1").arg(formatDays(t)));
        if (start.isValid())
            drawText(p, area, QRectF(x - 45, top + 14, 90, 14), Qt::AlignCenter,
                     results.dateAt(t).toString(QStringLiteral("dd/MM/yy")));
    }
}

void paintLevelAxis(QPainter& p, const NetworkLayout& layout, const QRectF& area)
{
    int maxLevel = 0;
    for (const LaidOutEvent& e : layout.events)
        maxLevel = std::max(maxLevel, e.level);
    const LayoutMetrics& m = layout.metrics;
    const bool texts = readable(p, 10);
    p.setFont(pictureFont(10));
    const QPen grid = gridPen(p);
    for (int l = 0; l <= maxLevel; ++l) {
        const double x = layout.xOfLevel(l);
        p.setPen(grid);
        p.drawLine(QPointF(x, m.margin + 30), QPointF(x, layout.height - m.margin));
        if (!texts)
            continue;
        p.setPen(kMuted);
        drawText(p, area, QRectF(x - 40, m.margin + 7, 80, 14), Qt::AlignCenter,
                 QStringLiteral("livello %1").arg(l));
    }
}

// Draws the runs of a polyline that reach the visible rectangle (all of it when that is empty):
// a long arrow crosses a window's part of the picture with a few of its segments only.
void drawVisible(QPainter& p, const QPolygonF& line, const QRectF& visible)
{
    if (visible.isEmpty() || line.size() < 3) {
        p.drawPolyline(line);
        return;
    }
    const QRectF reach = visible.adjusted(-4, -4, 4, 4);
    QPolygonF run;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QRectF box = QRectF(line[i - 1], line[i]).normalized().adjusted(-0.5, -0.5, 0.5, 0.5);
        if (box.intersects(reach)) {
            if (run.isEmpty())
                run << line[i - 1];
            run << line[i];
        } else if (!run.isEmpty()) {
            p.drawPolyline(run);
            run.clear();
        }
    }
    if (!run.isEmpty())
        p.drawPolyline(run);
}

// How one frame draws its arrows.
struct ArrowFrame
{
    QRectF area;    // texts not wholly inside are left out, when it is not empty
    QRectF visible; // the exposed part of the picture; empty: all of it
    bool texts = true;
    // Lines about one pixel wide on a raster device: drawn as hairlines, which the raster engine
    // draws many times faster than a stroked outline.
    bool hairlines = false;
    // Device pixels per picture unit on a raster device, 0 on the others: below a pixel's width
    // an arrow is drawn thin (drawThinLine).
    double rasterScale = 0;
};

// The solid and dotted parts of an arrow with their points at least `pixel` apart (the ends
// kept): detail finer than a device pixel cannot be seen, and stroking the 400,000 points of a
// large network made its fitted view slow.
marks::ArrowLines coarseLines(const LaidOutActivity& a, double pixel)
{
    marks::ArrowLines lines;
    QPolygonF* line = &lines.firm;
    const auto keep = [&](QPointF q, bool always) {
        if (line->isEmpty() || (always && q != line->back()) ||
            std::abs(q.x() - line->back().x()) >= pixel ||
            std::abs(q.y() - line->back().y()) >= pixel)
            *line << q;
    };
    keep(a.points.front(), true);
    for (size_t i = 1; i < a.points.size(); ++i) {
        const QPointF p0 = a.points[i - 1];
        const QPointF p1 = a.points[i];
        if (line == &lines.firm && a.floatFromX >= 0 && p1.x() > a.floatFromX) {
            const QPointF cut =
                p0.x() >= a.floatFromX
                    ? p0
                    : p0 + (p1 - p0) * ((a.floatFromX - p0.x()) / (p1.x() - p0.x()));
            keep(cut, true);
            line = &lines.loose;
            keep(cut, true);
        }
        keep(p1, i + 1 == a.points.size());
    }
    return lines;
}

// A line thinner than a pixel, as a hairline of the colour weakened by the share of the pixel
// (and of the dash pattern) the line covers: how antialiasing shows it, drawn much faster.
void drawThinLine(QPainter& p, const QPolygonF& line, QColor colour, marks::Stroke stroke,
                  double scale)
{
    if (line.size() < 2)
        return;
    const double inked = stroke.style == Qt::DotLine    ? 1.0 / 3
                         : stroke.style == Qt::DashLine ? 2.0 / 3
                                                        : 1.0;
    colour.setAlphaF(static_cast<float>(std::clamp(stroke.width * scale * inked, 0.05, 1.0)));
    p.setPen(QPen(colour, 0));
    p.drawPolyline(line);
}

void paintArrowLines(QPainter& p, const LaidOutActivity& a, const QColor& colour,
                     const ArrowFrame& f)
{
    const marks::Stroke firmStroke = marks::arrowStroke(a, false);
    p.setBrush(Qt::NoBrush);
    if (f.rasterScale > 0 && firmStroke.width * f.rasterScale < 0.6) {
        const marks::ArrowLines thin = coarseLines(a, 1 / f.rasterScale);
        drawThinLine(p, thin.firm, colour, firmStroke, f.rasterScale);
        drawThinLine(p, thin.loose, colour, marks::arrowStroke(a, true), f.rasterScale);
        return;
    }
    const marks::ArrowLines lines = marks::arrowLines(a);
    QPen solid(colour, f.hairlines && !a.critical ? 0.0 : firmStroke.width);
    solid.setCapStyle(Qt::FlatCap);
    solid.setJoinStyle(Qt::MiterJoin);
    solid.setStyle(firmStroke.style);
    QPen dotted = solid;
    dotted.setStyle(marks::arrowStroke(a, true).style);
    if (lines.firm.size() > 1) {
        p.setPen(solid);
        drawVisible(p, lines.firm, f.visible);
    }
    if (lines.loose.size() > 1) {
        p.setPen(dotted);
        drawVisible(p, lines.loose, f.visible);
    }
}

void paintActivity(QPainter& p, const LaidOutActivity& a, double headLength, const ArrowFrame& f)
{
    if (a.points.size() < 2)
        return;
    const QColor colour = a.critical ? kCritical : kInk;
    paintArrowLines(p, a, colour, f);
    // A head under half a pixel long cannot be seen.
    if (f.rasterScale == 0 || headLength * f.rasterScale >= 0.5)
        fillArrowHead(p, a.points.back(), a.points[a.points.size() - 2], headLength, colour);

    if (!f.texts || a.labelBox.isEmpty())
        return;
    const QRectF& box = a.labelBox;
    if (!f.area.isEmpty() && !f.area.contains(box))
        return;
    const QString text = marks::arrowText(a);
    p.fillRect(box, Qt::white);
    p.setPen(colour);
    p.setFont(marks::fittedFont(text, box.height() * 0.8, box.width() - 1, a.critical));
    p.drawText(box, Qt::AlignCenter, text);
}

// The event circle of the method: the number in the upper half, the earliest time lower left,
// the latest time lower right.
void paintEvent(QPainter& p, const LaidOutEvent& e, const ScheduleResults& results, double r,
                bool selected, const QRectF& area, bool texts)
{
    const QPointF c = e.centre;
    const QColor line = selected ? kSelected : (e.critical ? kCritical : kInk);
    p.setPen(QPen(line, selected ? 3.0 : (e.critical ? 2.2 : 1.2)));
    p.setBrush(e.critical ? kPaleCritical : QColor(Qt::white));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(line, 0.8));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x(), c.y()), QPointF(c.x(), c.y() + r));
    if (!texts)
        return;
    const CircleTexts t =
        circleTexts(c, r, e.event, results.earliest[e.event], results.latest[e.event]);
    p.setPen(kInk);
    p.setFont(t.numberFont);
    drawText(p, area, t.numberBox, Qt::AlignCenter, t.number);
    p.setFont(t.earliestFont);
    drawText(p, area, t.earliestBox, Qt::AlignCenter, t.earliest);
    p.setFont(t.latestFont);
    drawText(p, area, t.latestBox, Qt::AlignCenter, t.latest);
}

QRectF boundsOf(const LaidOutActivity& a)
{
    return (a.bounds.isNull() ? pointsBounds(a.points) : a.bounds).adjusted(-12, -12, 12, 12);
}

// The days that do not count, shaded across the rows from `top` to `bottom`, and the closures
// named at the top of their band: down the band when it is too narrow for the name.
void paintRestDays(QPainter& p, const GanttChart& chart, const GanttGeometry& g, double top,
                   double bottom, const QRectF& exposed)
{
    if (!chart.skipsDays() || !chart.startDate.isValid() || bottom <= top)
        return;
    const int days = static_cast<int>(std::max(1.0, std::ceil(chart.calendarLength())) + 1);
    int first = 0;
    int last = days;
    if (!exposed.isEmpty()) {
        first = std::clamp(
            static_cast<int>(std::floor((exposed.left() - g.chartLeft()) / g.dayWidth)) - 1, 0,
            days);
        last = std::clamp(
            static_cast<int>(std::ceil((exposed.right() - g.chartLeft()) / g.dayWidth)) + 1, 0,
            days);
    }
    // Consecutive days off make one band, so that a long closure is one rectangle.
    for (int d = first; d < last;) {
        if (chart.isWorkingDay(chart.startDate.addDays(d))) {
            ++d;
            continue;
        }
        int end = d + 1;
        while (end < last && !chart.isWorkingDay(chart.startDate.addDays(end)))
            ++end;
        p.fillRect(QRectF(g.xOfDay(d), top, (end - d) * g.dayWidth, bottom - top), kRestDay);
        d = end;
    }
    if (!readable(p, 9))
        return;
    const QFont font = pictureFont(9, true);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(kMuted);
    for (const CalendarClosure& c : chart.closures()) {
        const double from = std::max<double>(chart.startDate.daysTo(c.first), 0);
        const double to = std::min<double>(chart.startDate.daysTo(c.last) + 1, days);
        if (to <= from || to < first || from > last)
            continue;
        const double x0 = g.xOfDay(from);
        const double width = (to - from) * g.dayWidth;
        const QString name = c.description.isEmpty() ? QStringLiteral("chiusura") : c.description;
        if (fm.horizontalAdvance(name) + 6 <= width) {
            p.drawText(QRectF(x0 + 3, top + 2, width - 6, fm.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, name);
        } else if (width >= fm.height()) {
            const double length = bottom - top - 6;
            p.save();
            p.translate(x0 + width / 2, top + 3);
            p.rotate(90);
            p.drawText(QRectF(0, -fm.height() / 2, length, fm.height()),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(name, Qt::ElideRight, length));
            p.restore();
        }
    }
}

} // namespace

CircleTexts circleTexts(QPointF c, double r, int event, double earliest, double latest)
{
    CircleTexts t;
    t.number = QString::number(event);
    t.earliest = formatDays(earliest);
    t.latest = formatDays(latest);
    // The number: in the upper half, within the chord a little above the middle line.
    const double numberTop = c.y() - 0.86 * r;
    const double numberBottom = c.y() - 0.06 * r;
    const double chord = 2 * std::sqrt(r * r - std::pow(0.62 * r, 2)) - 4;
    t.numberFont = marks::fittedFont(t.number, 0.5 * r, chord, true);
    t.numberBox = QRectF(c.x() - chord / 2, numberTop, chord, numberBottom - numberTop);
    // The times: in the two quarters under the middle line; their width is the half chord at the
    // bottom of the text, less the dividing line and the rim.
    const auto fit = [&](const QString& text, QFont& font, QRectF& box, int side) {
        double pixels = 0.36 * r;
        for (int i = 0; i < 10; ++i) {
            font = pictureFont(pixels);
            const QFontMetricsF fm(font);
            const double top = c.y() + 0.08 * r;
            const double height = fm.ascent() + fm.descent() * 0.4;
            const double depth = top + height - c.y();
            const double half = std::sqrt(std::max(0.0, r * r - depth * depth)) - 2.5;
            const double advance = fm.horizontalAdvance(text);
            if (advance <= half || pixels <= 2) {
                const double left = side < 0 ? c.x() - 1.2 - half : c.x() + 1.2;
                box = QRectF(left, top, half, height);
                return;
            }
            pixels = std::max(2.0, pixels * half / advance - 0.2);
        }
    };
    fit(t.earliest, t.earliestFont, t.earliestBox, -1);
    fit(t.latest, t.latestFont, t.latestBox, 1);
    return t;
}

namespace {

// The white ground, the axis and, for a summary, the note that says what is left out.
void paintBackground(QPainter& p, const NetworkLayout& layout, const ScheduleResults& results,
                     const QRectF& textArea, const Exposed& exposed)
{
    const QRectF whole(0, 0, layout.width, layout.height);
    p.fillRect(exposed.rect.isEmpty() ? whole : exposed.rect.intersected(whole), Qt::white);
    if (layout.isEmpty())
        return;
    if (layout.mode == LayoutMode::TimeScale)
        paintTimeAxis(p, layout, results, textArea, exposed);
    else
        paintLevelAxis(p, layout, textArea);
    if (!layout.summaryOnly || !readable(p, layout.metrics.labelFont))
        return;
    p.setPen(kCritical);
    p.setFont(pictureFont(12, true));
    const QString note =
        QStringLiteral("Sono disegnati solo gli eventi e il percorso critico: le %1 "
                       "attività (oltre %2) renderebbero il reticolo illeggibile.")
            .arg(layout.activityCount)
            .arg(kFullDrawingActivityLimit);
    const QPointF at(layout.metrics.margin, layout.metrics.margin - 10);
    if (textArea.isEmpty() ||
        textArea.contains(QFontMetricsF(p.font()).boundingRect(note).translated(at)))
        p.drawText(at, note);
}

// Whether a line of `width` units is about one pixel wide on a raster device.
bool hairlineScale(const QPainter& p, double width)
{
    const double scale = rasterScale(p);
    return width * scale <= 1.5 && width * scale >= 0.6;
}

// The arrows, critical ones last so that they stay on top, then the event circles.
void paintMarks(QPainter& p, const NetworkLayout& layout, const ScheduleResults& results,
                int selectedEvent, const QRectF& textArea, const Exposed& exposed)
{
    const bool texts = readable(p, layout.metrics.labelFont);
    const std::vector<double> heads = marks::arrowHeadLengths(layout);
    const ArrowFrame frame{textArea, exposed.rect, texts, hairlineScale(p, 1.1), rasterScale(p)};
    for (bool critical : {false, true})
        for (size_t i = 0; i < layout.activities.size(); ++i) {
            const LaidOutActivity& a = layout.activities[i];
            if (a.critical == critical && !a.points.empty() && exposed.contains(boundsOf(a)))
                paintActivity(p, a, heads[i], frame);
        }
    const double r = layout.metrics.radius;
    // A circle smaller than a pixel shows as a dot of its rim's colour.
    const bool dots = frame.rasterScale * r < 1 && frame.rasterScale > 0;
    for (const LaidOutEvent& e : layout.events) {
        const QRectF box(e.centre.x() - r - 3, e.centre.y() - r - 3, 2 * r + 6, 2 * r + 6);
        if (!exposed.contains(box))
            continue;
        const bool selected = e.event == selectedEvent;
        if (dots)
            p.fillRect(box.adjusted(3, 3, -3, -3),
                       selected ? kSelected : (e.critical ? kCritical : kInk));
        else
            paintEvent(p, e, results, r, selected, textArea, texts);
    }
}

} // namespace

void paintNetwork(QPainter& p, const NetworkLayout& layout, const ScheduleResults& results,
                  int selectedEvent, const QRectF& textArea)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const Exposed exposed{p.hasClipping() ? p.clipBoundingRect() : QRectF()};
    paintBackground(p, layout, results, textArea, exposed);
    if (!layout.isEmpty())
        paintMarks(p, layout, results, selectedEvent, textArea, exposed);
    p.restore();
}

void marks::paintNetworkBackground(QPainter& p, const NetworkLayout& layout,
                                   const ScheduleResults& results)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    paintBackground(p, layout, results, QRectF(),
                    Exposed{p.hasClipping() ? p.clipBoundingRect() : QRectF()});
    p.restore();
}

QSizeF GanttGeometry::size(const GanttChart& chart, int rowCount) const
{
    const double days = std::max(1.0, std::ceil(chart.calendarLength())) + 1;
    const int rows = rowCount < 0 ? static_cast<int>(chart.bars.size()) : rowCount;
    return {chartLeft() + days * dayWidth + margin,
            margin + axisHeight + static_cast<double>(rows) * rowHeight + legendHeight + margin};
}

int GanttGeometry::rowAt(const GanttChart& chart, double y) const
{
    const double top = margin + axisHeight;
    if (y < top)
        return -1;
    const int row = static_cast<int>((y - top) / rowHeight);
    return row < static_cast<int>(chart.bars.size()) ? row : -1;
}

namespace {

// What the parts of a Gantt page share: the rows it holds and those the clip shows, the days
// the clip shows, and where the axis, the rows and the columns stand.
struct GanttPage
{
    GanttPage(const QPainter& p, const GanttChart& chart, const GanttGeometry& g, int first,
              int rowCount);
    double rowY(int row) const { return rowsTop + (row - firstRow) * g.rowHeight; }

    const GanttChart& chart;
    const GanttGeometry& g;
    Exposed exposed;
    int firstRow = 0;
    int lastRow = 0;
    int shownFirst = 0;
    int shownLast = 0;
    int firstDay = 0;
    int lastDay = 0;
    double days = 0;
    double right = 0;
    double axisTop = 0;
    double rowsTop = 0;
    double bottom = 0;
    bool showDays = false;
    QDate start;
    double columnX[6] = {};
};

GanttPage::GanttPage(const QPainter& p, const GanttChart& chart, const GanttGeometry& g, int first,
                     int rowCount)
    : chart(chart), g(g), exposed{p.hasClipping() ? p.clipBoundingRect() : QRectF()}
{
    const int total = static_cast<int>(chart.bars.size());
    firstRow = std::clamp(first, 0, total);
    lastRow = rowCount < 0 ? total : std::min(total, firstRow + rowCount);
    days = std::max(1.0, std::ceil(chart.calendarLength())) + 1;
    right = g.xOfDay(days);
    axisTop = g.margin;
    rowsTop = g.margin + g.axisHeight;
    bottom = rowsTop + (lastRow - firstRow) * g.rowHeight;
    // Only the rows the clip shows: a window of a few dozen rows paints as fast as a small chart.
    shownFirst = firstRow;
    shownLast = lastRow;
    // The days of the calendar the clip shows.
    firstDay = 0;
    lastDay = static_cast<int>(days);
    if (!exposed.rect.isEmpty()) {
        shownFirst = std::clamp(
            firstRow + static_cast<int>(std::floor((exposed.rect.top() - rowsTop) / g.rowHeight)),
            firstRow, lastRow);
        shownLast = std::clamp(
            firstRow + static_cast<int>(std::ceil((exposed.rect.bottom() - rowsTop) / g.rowHeight)),
            firstRow, lastRow);
        firstDay = std::clamp(
            static_cast<int>(std::floor((exposed.rect.left() - g.chartLeft()) / g.dayWidth)) - 40,
            0, lastDay);
        lastDay = std::clamp(
            static_cast<int>(std::ceil((exposed.rect.right() - g.chartLeft()) / g.dayWidth)) + 1, 0,
            lastDay);
    }
    showDays = g.dayWidth * std::abs(p.worldTransform().m11()) >= 14;
    start = chart.startDate.isValid() ? chart.startDate : QDate(1990, 1, 1);
    const double lefts[] = {g.margin,
                            g.margin + g.labelWidth,
                            g.margin + g.labelWidth + g.numberWidth,
                            g.margin + g.labelWidth + g.numberWidth + g.dateWidth,
                            g.margin + g.labelWidth + g.numberWidth + 2 * g.dateWidth,
                            g.chartLeft()};
    std::copy(std::begin(lefts), std::end(lefts), columnX);
}

// The lines of the axis and of the columns, and the headings of the columns left of the
// calendar.
void paintGanttColumns(QPainter& p, const GanttPage& f)
{
    const GanttGeometry& g = f.g;
    const double middle = f.axisTop + g.axisHeight / 2;
    p.setPen(QPen(kMuted, 0.8));
    p.drawLine(QPointF(g.chartLeft(), middle), QPointF(f.right, middle));
    p.drawLine(QPointF(g.margin, f.rowsTop), QPointF(f.right, f.rowsTop));
    for (int c = 1; c < 6; ++c)
        p.drawLine(QPointF(f.columnX[c], middle), QPointF(f.columnX[c], f.bottom));
    p.setFont(pictureFont(10, true));
    p.setPen(kInk);
    const QString headings[] = {QStringLiteral("Attività"), QStringLiteral("giorni"),
                                QStringLiteral("inizio"), QStringLiteral("fine"),
                                QStringLiteral("C")};
    for (int c = 0; c < 5; ++c)
        p.drawText(
            QRectF(f.columnX[c] + 3, middle, f.columnX[c + 1] - f.columnX[c] - 6, g.axisHeight / 2),
            c == 0 ? Qt::AlignVCenter | Qt::AlignLeft : Qt::AlignCenter, headings[c]);
}

// The upper band of the calendar axis: months, or years on a long plan.
void paintGanttMonths(QPainter& p, const GanttPage& f)
{
    const GanttGeometry& g = f.g;
    p.setFont(pictureFont(10, true));
    const bool months = g.dayWidth * 30 >= 30;
    const int yearStep = months ? 1 : static_cast<int>(std::ceil(48 / (g.dayWidth * 365.25)));
    double nameEnd = 0;
    for (int d = f.firstDay; d <= f.lastDay; ++d) {
        const QDate date = f.start.addDays(d);
        const double x = g.xOfDay(d);
        const bool mark =
            months ? date.day() == 1 : date.dayOfYear() == 1 && date.year() % yearStep == 0;
        if (mark || d == 0) {
            p.setPen(QPen(kMuted, 0.8));
            p.drawLine(QPointF(x, f.axisTop), QPointF(x, f.bottom));
            const double width = months ? std::max(g.dayWidth * date.daysInMonth(), 30.0)
                                        : std::max(g.dayWidth * 365.25 * yearStep, 30.0);
            QString name = months || d == 0 ? italianMonthAbbreviation(date.month()) : QString();
            if (date.month() == 1 || d == 0)
                name += QStringLiteral(" %1").arg(date.year());
            name = name.trimmed();
            if (x + 24 <= f.right && x >= nameEnd) {
                p.drawText(QRectF(x + 3, f.axisTop, width, g.axisHeight / 2), Qt::AlignVCenter,
                           name);
                nameEnd = x + 6 + QFontMetricsF(p.font()).horizontalAdvance(name);
            }
        }
    }
}

// The lower band: days when there is room for their numbers, else weeks with their dates, else
// the 10th and 20th of the months, or the months under the years.
void paintGanttWeeks(QPainter& p, const GanttPage& f)
{
    const GanttGeometry& g = f.g;
    const GanttChart& chart = f.chart;
    const double middle = f.axisTop + g.axisHeight / 2;
    const bool months = g.dayWidth * 30 >= 30;
    p.setFont(pictureFont(9));
    const double weekWidth = g.dayWidth * 7;
    const bool weekDates = weekWidth >= 36;
    for (int d = f.firstDay; d <= f.lastDay; ++d) {
        const QDate date = f.start.addDays(d);
        const double x = g.xOfDay(d);
        if (f.showDays) {
            p.setPen(QPen(kGrid, 0.6));
            p.drawLine(QPointF(x, middle), QPointF(x, f.bottom));
            const bool rest = chart.skipsDays() ? !chart.isWorkingDay(date) : date.dayOfWeek() >= 6;
            p.setPen(rest ? kCritical : kMuted);
            p.drawText(QRectF(x, middle, g.dayWidth, g.axisHeight / 2), Qt::AlignCenter,
                       QString::number(date.day()));
        } else if (weekWidth >= 16) {
            if (date.dayOfWeek() != 1)
                continue;
            p.setPen(QPen(kGrid, 0.6));
            p.drawLine(QPointF(x, middle), QPointF(x, f.bottom));
            p.setPen(kMuted);
            p.drawText(QRectF(x + 2, middle, weekWidth, g.axisHeight / 2), Qt::AlignVCenter,
                       weekDates ? date.toString(QStringLiteral("dd/MM"))
                                 : QString::number(date.day()));
        } else if (months ? (date.day() == 10 || date.day() == 20) && g.dayWidth * 10 >= 14
                          : date.day() == 1 && g.dayWidth * 30 >= 10) {
            // Weeks too narrow: the 10th and 20th under the months, or the months under the
            // years.
            p.setPen(QPen(kGrid, 0.6));
            p.drawLine(QPointF(x, middle), QPointF(x, f.bottom));
            p.setPen(kMuted);
            const QString text =
                months ? QString::number(date.day())
                       : italianMonthAbbreviation(date.month()).left(g.dayWidth * 30 >= 24 ? 3 : 1);
            p.drawText(QRectF(x + 1, middle, 30, g.axisHeight / 2), Qt::AlignVCenter, text);
        }
    }
}

// The columns and the bar of each row shown: the bar, then its total and free float.
void paintGanttBars(QPainter& p, const GanttPage& f)
{
    const GanttGeometry& g = f.g;
    const GanttChart& chart = f.chart;
    p.setFont(pictureFont(10));
    const QFontMetricsF fm(p.font());
    // Rows a few device pixels high leave no label readable, and shaping the labels of a
    // quarter of a million rows for a reduced overview took seconds.
    const bool showLabels = g.rowHeight * std::abs(p.worldTransform().m22()) >= 3;
    const auto dateText = [&](double t) {
        return chart.eventDate(t).toString(QStringLiteral("dd/MM/yy"));
    };
    for (int row = f.shownFirst; row < f.shownLast; ++row) {
        const GanttBar& bar = chart.bars[row];
        const double y = f.rowY(row);
        p.setPen(bar.critical ? kCritical : kInk);
        if (showLabels) {
            const QString label = bar.label + QStringLiteral("  ") + bar.description;
            p.drawText(QRectF(g.margin + 3, y, g.labelWidth - 6, g.rowHeight), Qt::AlignVCenter,
                       fm.elidedText(label, Qt::ElideRight, g.labelWidth - 6));
            p.drawText(QRectF(f.columnX[1], y, g.numberWidth - 4, g.rowHeight),
                       Qt::AlignVCenter | Qt::AlignRight, formatDays(bar.finish - bar.start));
            p.drawText(QRectF(f.columnX[2], y, g.dateWidth, g.rowHeight), Qt::AlignCenter,
                       dateText(bar.start));
            p.drawText(QRectF(f.columnX[3], y, g.dateWidth, g.rowHeight), Qt::AlignCenter,
                       dateText(bar.finish));
            if (bar.critical) {
                p.setFont(pictureFont(10, true));
                p.drawText(QRectF(f.columnX[4], y, g.markWidth, g.rowHeight), Qt::AlignCenter,
                           QStringLiteral("C"));
                p.setFont(pictureFont(10));
            }
        }
        const double x0 = g.xOfDay(chart.dayOf(bar.start));
        const double x1 = std::max(x0, g.xOfDay(chart.endDayOf(bar.finish)));
        const double h = g.rowHeight * 0.5;
        const QRectF body(x0, y + (g.rowHeight - h) / 2, std::max(1.0, x1 - x0), h);
        p.fillRect(body, bar.critical ? kCritical : kBar);
        if (bar.totalFloat > 1e-9) {
            const double thin = std::max(2.0, g.rowHeight * 0.16);
            const double ty = y + g.rowHeight / 2 - thin / 2;
            const double xt = g.xOfDay(chart.endDayOf(bar.finish + bar.totalFloat));
            p.fillRect(QRectF(x1, ty, std::max(0.0, xt - x1), thin), kTotalFloat);
            if (bar.freeFloat > 1e-9) {
                const double xf = g.xOfDay(chart.endDayOf(bar.finish + bar.freeFloat));
                p.fillRect(QRectF(x1, ty, std::max(0.0, xf - x1), thin), kFreeFloat);
                p.setPen(QPen(kFreeFloat, 1.4));
                p.drawLine(QPointF(xf, y + 3), QPointF(xf, y + g.rowHeight - 3));
            }
        }
    }
}

// Events as diamonds on their row.
void paintGanttMilestones(QPainter& p, const GanttPage& f)
{
    const GanttGeometry& g = f.g;
    const GanttChart& chart = f.chart;
    for (const GanttMilestone& m : chart.milestones) {
        if (m.row < f.shownFirst || m.row >= f.shownLast)
            continue;
        const double x = g.xOfDay(chart.dayOf(m.time));
        const double cy = f.rowY(m.row) + g.rowHeight / 2;
        const double s = g.rowHeight * 0.32;
        QPolygonF diamond;
        diamond << QPointF(x, cy - s) << QPointF(x + s, cy) << QPointF(x, cy + s)
                << QPointF(x - s, cy);
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(m.critical ? kCritical : QColor(Qt::white));
        p.drawPolygon(diamond);
    }
}

// Draws today's line; says whether it did.
bool paintGanttToday(QPainter& p, const GanttPage& f, const QDate& today)
{
    const GanttGeometry& g = f.g;
    const GanttChart& chart = f.chart;
    // Today's line, and its entry in the legend, only when today falls within the chart.
    const qint64 todayDay =
        today.isValid() && chart.startDate.isValid() ? chart.startDate.daysTo(today) : -1;
    const bool todayShown = todayDay >= 0 && todayDay <= chart.calendarLength();
    if (todayShown) {
        const double x = g.xOfDay(static_cast<double>(todayDay));
        p.setPen(QPen(kToday, 1.6, Qt::DashLine));
        p.drawLine(QPointF(x, f.axisTop), QPointF(x, f.bottom));
        p.setFont(pictureFont(9, true));
        p.setPen(kToday);
        p.drawText(QPointF(x + 3, f.rowsTop - 2), QStringLiteral("oggi"));
    }
    return todayShown;
}

} // namespace

void paintGantt(QPainter& p, const GanttChart& chart, const GanttGeometry& g, const QDate& today,
                int firstRow, int rowCount)
{
    const GanttPage f(p, chart, g, firstRow, rowCount);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF whole(0, 0, f.right + g.margin, f.bottom + g.legendHeight + g.margin);
    p.fillRect(f.exposed.rect.isEmpty() ? whole : f.exposed.rect.intersected(whole), Qt::white);
    for (int row = f.shownFirst; row < f.shownLast; ++row) {
        if (row % 2)
            p.fillRect(QRectF(g.margin, f.rowY(row), f.right - g.margin, g.rowHeight),
                       QColor(246, 247, 251));
    }
    paintRestDays(p, chart, g, f.rowsTop, f.bottom, f.exposed.rect);
    // Calendar axis: months above, then weeks with their dates, or days when there is room for
    // their numbers. Left of it, the headings of the columns.
    paintGanttColumns(p, f);
    paintGanttMonths(p, f);
    paintGanttWeeks(p, f);
    paintGanttBars(p, f);
    paintGanttMilestones(p, f);
    const bool todayShown = paintGanttToday(p, f, today);
    // The legend of every mark and colour, under the rows of every page.
    const QRectF legend(g.margin, f.bottom + 8, std::max(f.right - g.margin, 600.0),
                        g.legendHeight - 8);
    if (f.exposed.contains(legend))
        paintLegend(p, ganttLegend(chart), legend, todayShown);
    p.restore();
}

std::vector<QRectF> pageTiles(const QSizeF& picture, const QSizeF& page, double overlap,
                              double header)
{
    std::vector<QRectF> tiles;
    const double body = std::max(1.0, picture.height() - header);
    const double pageBody = std::max(1.0, page.height() - header);
    const auto count = [overlap](double length, double step) {
        if (length <= step)
            return 1;
        return 1 + static_cast<int>(std::ceil((length - step) / std::max(1.0, step - overlap)));
    };
    const int columns = count(picture.width(), page.width());
    const int rows = count(body, pageBody);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double x = std::min(c * (page.width() - overlap),
                                      std::max(0.0, picture.width() - page.width()));
            const double y = std::min(r * (pageBody - overlap), std::max(0.0, body - pageBody));
            tiles.emplace_back(x, header + y, std::min(page.width(), picture.width()),
                               std::min(pageBody, body));
        }
    }
    return tiles;
}

double networkHeaderHeight(const NetworkLayout& layout)
{
    return layout.metrics.margin + 30;
}

void paintNetworkTile(QPainter& p, const NetworkLayout& layout, const ScheduleResults& results,
                      const QRectF& tile)
{
    const double header = networkHeaderHeight(layout);
    p.save();
    p.fillRect(QRectF(0, 0, tile.width(), header + tile.height()), Qt::white);
    p.save();
    p.setClipRect(QRectF(0, 0, tile.width(), header));
    p.translate(-tile.x(), 0);
    paintNetwork(p, layout, results, 0, QRectF(tile.x(), 0, tile.width(), header));
    p.restore();
    p.setClipRect(QRectF(0, header, tile.width(), tile.height()));
    p.translate(-tile.x(), header - tile.y());
    paintNetwork(p, layout, results, 0, tile);
    p.restore();
}

bool isPictureSuffix(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("svg") || suffix == QLatin1String("png") ||
           suffix == QLatin1String("pdf");
}

namespace {

// Hands finished bytes to the save; a device that refuses them leaves the cause to the save.
Result<void> writeAll(QIODevice& device, const QByteArray& bytes)
{
    errno = 0;
    if (device.write(bytes) != bytes.size())
        return writeRefused(errno);
    return {};
}

// Whether UTF-8 text written from a QString holds only characters XML can carry: no control
// character but tab and line ends, no U+FFFE or U+FFFF (EF BF BE, EF BF BF).
bool xmlSafeUtf8(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = b[i];
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
        if (c == 0xEF && i + 2 < n && b[i + 1] == 0xBF && (b[i + 2] == 0xBE || b[i + 2] == 0xBF))
            return false;
    }
    return true;
}

} // namespace

Result<void> exportSvg(const QString& path, const QSizeF& size, const DirectSvg& svg,
                       const SaveTargetFactory& targets)
{
    const QString what =
        QStringLiteral("Impossibile disegnare l'immagine nel file %1.").arg(displayPath(path));
    // The SVG generator writes texts as it is given them; the finished document is cleaned of
    // the characters XML cannot carry before it reaches the file.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size.toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setTitle(QStringLiteral("ZANT"));
    QPainter painter;
    if (!painter.begin(&generator))
        return Error(ErrorKind::File, critical(what));
    svg.background(painter);
    if (!painter.end())
        return Error(ErrorKind::File, critical(what));
    // The usual document has nothing to drop and is written as it came, without the two
    // conversions of megabytes of text.
    QByteArray bytes = buffer.data();
    if (!xmlSafeUtf8(bytes))
        bytes = cleanXmlText(QString::fromUtf8(bytes)).toUtf8();
    if (svg) {
        // The elements go last in the document, above what the generator painted.
        const qsizetype close = bytes.lastIndexOf("</svg>");
        if (close < 0)
            return Error(ErrorKind::File, critical(what));
        QByteArray elements;
        svg.elements(elements);
        bytes.insert(close, elements);
    }
    return saveFile(
        path, [&](QIODevice& device) { return writeAll(device, bytes); }, targets);
}

namespace {

// Very large networks: fewer pixels per unit rather than an image nobody can open.
double pngScaleFor(const QSizeF& size, double scale)
{
    constexpr double kMaxPixels = 60e6;
    constexpr double kMaxSide = 30000;
    const double pixels = size.width() * size.height() * scale * scale;
    if (pixels > kMaxPixels)
        scale *= std::sqrt(kMaxPixels / pixels);
    return std::min(
        {scale, kMaxSide / std::max(1.0, size.width()), kMaxSide / std::max(1.0, size.height())});
}

Result<void> exportPng(const QString& path, const QSizeF& size, const PicturePainter& paint,
                       double pngScale, const SaveTargetFactory& targets)
{
    const double scale = pngScaleFor(size, pngScale);
    QImage image(std::max(1, static_cast<int>(std::ceil(size.width() * scale))),
                 std::max(1, static_cast<int>(std::ceil(size.height() * scale))),
                 QImage::Format_RGB32);
    if (image.isNull())
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Memoria insufficiente per l'immagine del file %1.")
                                  .arg(displayPath(path))));
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(std::lround(96 * scale / 0.0254)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    {
        QPainter painter(&image);
        painter.scale(scale, scale);
        paint(painter);
    }
    // Encoded in memory: the encoder then never meets a failing disk, whose cause the save
    // names, and prints nothing of its own on the terminal.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    if (!image.save(&encoded, "PNG"))
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile disegnare l'immagine nel "
                                             "file %1.")
                                  .arg(displayPath(path))));
    return saveFile(
        path, [&](QIODevice& device) { return writeAll(device, encoded.data()); }, targets);
}

Result<void> exportPdf(const QString& path, const QSizeF& size, const PicturePainter& paint,
                       const SaveTargetFactory& targets)
{
    return saveFile(
        path,
        [&](QIODevice& device) -> Result<void> {
            // The PDF engine does not check its writes; the device in between does.
            WriteCheckingDevice checked(device);
            QPdfWriter pdf(&checked);
            pdf.setResolution(72);
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            // A unit of the picture is a pixel at 96 dots an inch, as in SVG and PNG.
            pdf.setPageSize(
                QPageSize(size * 0.75, QPageSize::Point, QString(), QPageSize::ExactMatch));
            pdf.setTitle(QStringLiteral("ZANT"));
            QPainter painter;
            bool painted = painter.begin(&pdf);
            if (painted) {
                painter.scale(0.75, 0.75);
                paint(painter);
                painted = painter.end();
            }
            if (checked.failed())
                return writeRefused(checked.systemError());
            if (!painted)
                return Error(
                    ErrorKind::File,
                    critical(QStringLiteral("Impossibile disegnare l'immagine nel file %1.")
                                 .arg(displayPath(path))));
            return {};
        },
        targets);
}

} // namespace

Result<void> exportPicture(const QString& path, const QSizeF& size, const PicturePainter& paint,
                           double pngScale, const SaveTargetFactory& targets)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!isPictureSuffix(path))
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("Formato non riconosciuto per il file %1: usare "
                                             ".svg, .png o .pdf.")
                                  .arg(displayPath(path))));
    if (suffix == QLatin1String("svg"))
        return exportSvg(path, size, DirectSvg{paint, {}}, targets);
    if (suffix == QLatin1String("png"))
        return exportPng(path, size, paint, pngScale, targets);
    return exportPdf(path, size, paint, targets);
}

QFont pictures::font(double pixels, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

} // namespace zant
