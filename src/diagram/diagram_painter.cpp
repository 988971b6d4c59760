#include "diagram/diagram_painter.h"

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

void arrowHead(QPainter& p, QPointF tip, QPointF from, double length, const QColor& colour)
{
    const double dx = tip.x() - from.x();
    const double dy = tip.y() - from.y();
    const double d = std::hypot(dx, dy);
    if (d <= 0)
        return;
    const QPointF u(dx / d, dy / d);
    const QPointF nrm(-u.y(), u.x());
    const QPointF base = tip - u * length;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(base + nrm * (length * 0.45));
    head.lineTo(base - nrm * (length * 0.45));
    head.closeSubpath();
    p.fillPath(head, colour);
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

void paintTimeAxis(QPainter& p, const NetworkLayout& layout, const ScheduleResults& results,
                   const QRectF& area, const Exposed& exposed)
{
    const LayoutMetrics& m = layout.metrics;
    const double top = m.margin;
    const double bottom = layout.height - m.margin;
    const double finish = results.earliest[results.eventCount];
    const double step = axisStep(layout.unitsPerDay, 90);
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
        p.setPen(QPen(kGrid, 1));
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
    for (int l = 0; l <= maxLevel; ++l) {
        const double x = layout.xOfLevel(l);
        p.setPen(QPen(kGrid, 1));
        p.drawLine(QPointF(x, m.margin + 30), QPointF(x, layout.height - m.margin));
        if (!texts)
            continue;
        p.setPen(kMuted);
        drawText(p, area, QRectF(x - 40, m.margin + 7, 80, 14), Qt::AlignCenter,
                 QStringLiteral("livello %1").arg(l));
    }
}

// The largest font, up to `pixels`, at which `text` is no wider than `width`.
QFont fittedFont(const QString& text, double pixels, double width, bool bold = false)
{
    QFont f = pictureFont(pixels, bold);
    for (int i = 0; i < 8; ++i) {
        const double advance = QFontMetricsF(f).horizontalAdvance(text);
        if (advance <= width || pixels <= 1)
            break;
        pixels = std::max(1.0, pixels * width / advance - 0.25);
        f.setPixelSize(std::max(1, static_cast<int>(std::floor(pixels))));
    }
    return f;
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

void paintActivity(QPainter& p, const LaidOutActivity& a, double headLength, const QRectF& area,
                   bool texts, const QRectF& visible, bool hairlines)
{
    if (a.points.size() < 2)
        return;
    const QColor colour = a.critical ? kCritical : kInk;
    const double width = a.critical ? 2.6 : 1.1;
    // A line about one pixel wide on a screen is drawn as a hairline, which the raster engine
    // draws many times faster than a stroked outline.
    QPen solid(colour, hairlines && !a.critical ? 0.0 : width);
    solid.setCapStyle(Qt::FlatCap);
    solid.setJoinStyle(Qt::MiterJoin);
    if (a.dummy)
        solid.setStyle(Qt::DashLine);
    QPen dotted = solid;
    dotted.setStyle(Qt::DotLine);
    QPolygonF firm;
    QPolygonF loose;
    firm << a.points.front();
    for (size_t i = 1; i < a.points.size(); ++i) {
        const QPointF p0 = a.points[i - 1];
        const QPointF p1 = a.points[i];
        if (a.floatFromX < 0 || (loose.isEmpty() && p1.x() <= a.floatFromX)) {
            firm << p1;
        } else if (!loose.isEmpty() || p0.x() >= a.floatFromX) {
            if (loose.isEmpty())
                loose << p0;
            loose << p1;
        } else {
            const double u = (a.floatFromX - p0.x()) / (p1.x() - p0.x());
            const QPointF cut = p0 + (p1 - p0) * u;
            firm << cut;
            loose << cut << p1;
        }
    }
    p.setBrush(Qt::NoBrush);
    if (firm.size() > 1) {
        p.setPen(solid);
        drawVisible(p, firm, visible);
    }
    if (loose.size() > 1) {
        p.setPen(dotted);
        drawVisible(p, loose, visible);
    }
    arrowHead(p, a.points.back(), a.points[a.points.size() - 2], headLength, colour);

    if (!texts || a.labelBox.isEmpty())
        return;
    const QRectF& box = a.labelBox;
    if (!area.isEmpty() && !area.contains(box))
        return;
    const QString text = a.label.isEmpty() ? formatDays(a.days) : a.label;
    p.fillRect(box, Qt::white);
    p.setPen(colour);
    p.setFont(fittedFont(text, box.height() * 0.8, box.width() - 1, a.critical));
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
    t.numberFont = fittedFont(t.number, 0.5 * r, chord, true);
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

void paintNetwork(QPainter& p, const NetworkLayout& layout, const Project& project,
                  const ScheduleResults& results, int selectedEvent, const QRectF& textArea)
{
    Q_UNUSED(project);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const Exposed exposed{p.hasClipping() ? p.clipBoundingRect() : QRectF()};
    const QRectF whole(0, 0, layout.width, layout.height);
    p.fillRect(exposed.rect.isEmpty() ? whole : exposed.rect.intersected(whole), Qt::white);
    if (layout.isEmpty()) {
        p.restore();
        return;
    }
    if (layout.mode == LayoutMode::TimeScale)
        paintTimeAxis(p, layout, results, textArea, exposed);
    else
        paintLevelAxis(p, layout, textArea);
    const bool texts = readable(p, layout.metrics.labelFont);
    if (layout.summaryOnly && texts) {
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
    // Arrow heads no wider than the spacing of the arrows entering one circle.
    std::vector<int> entering(layout.events.size() + 1, 0);
    for (const LaidOutActivity& a : layout.activities)
        ++entering[a.to];
    const double r = layout.metrics.radius;
    const auto headOf = [&](const LaidOutActivity& a) {
        const int k = entering[a.to];
        const double spacing = k > 1 ? 1.2 * r / (k - 1) : 2 * r;
        return std::clamp((spacing - 1) / 0.9, 3.0, a.critical ? 11.0 : 9.0);
    };
    const int device = p.device() ? p.device()->devType() : 0;
    const bool raster =
        device == QInternal::Image || device == QInternal::Pixmap || device == QInternal::Widget;
    const QTransform& t = p.deviceTransform();
    const double scale = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
    const bool hairlines = raster && 1.1 * scale <= 1.5 && 1.1 * scale >= 0.6;
    // Critical arrows last, so that they stay on top.
    for (bool critical : {false, true})
        for (const LaidOutActivity& a : layout.activities)
            if (a.critical == critical && !a.points.empty() && exposed.contains(boundsOf(a)))
                paintActivity(p, a, headOf(a), textArea, texts, exposed.rect, hairlines);
    for (const LaidOutEvent& e : layout.events) {
        const QRectF box(e.centre.x() - r - 3, e.centre.y() - r - 3, 2 * r + 6, 2 * r + 6);
        if (exposed.contains(box))
            paintEvent(p, e, results, r, e.event == selectedEvent, textArea, texts);
    }
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

void paintGantt(QPainter& p, const GanttChart& chart, const GanttGeometry& g, const QDate& today,
                int firstRow, int rowCount)
{
    const int total = static_cast<int>(chart.bars.size());
    firstRow = std::clamp(firstRow, 0, total);
    const int lastRow = rowCount < 0 ? total : std::min(total, firstRow + rowCount);
    const double days = std::max(1.0, std::ceil(chart.calendarLength())) + 1;
    const double right = g.xOfDay(days);
    const double axisTop = g.margin;
    const double rowsTop = g.margin + g.axisHeight;
    const double bottom = rowsTop + (lastRow - firstRow) * g.rowHeight;
    const auto rowY = [&](int row) { return rowsTop + (row - firstRow) * g.rowHeight; };
    const Exposed exposed{p.hasClipping() ? p.clipBoundingRect() : QRectF()};
    // Only the rows the clip shows: a window of a few dozen rows paints as fast as a small chart.
    int shownFirst = firstRow;
    int shownLast = lastRow;
    if (!exposed.rect.isEmpty()) {
        shownFirst = std::clamp(
            firstRow + static_cast<int>(std::floor((exposed.rect.top() - rowsTop) / g.rowHeight)),
            firstRow, lastRow);
        shownLast = std::clamp(
            firstRow + static_cast<int>(std::ceil((exposed.rect.bottom() - rowsTop) / g.rowHeight)),
            firstRow, lastRow);
    }

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF whole(0, 0, right + g.margin, bottom + g.legendHeight + g.margin);
    p.fillRect(exposed.rect.isEmpty() ? whole : exposed.rect.intersected(whole), Qt::white);

    for (int row = shownFirst; row < shownLast; ++row) {
        if (row % 2)
            p.fillRect(QRectF(g.margin, rowY(row), right - g.margin, g.rowHeight),
                       QColor(246, 247, 251));
    }

    paintRestDays(p, chart, g, rowsTop, bottom, exposed.rect);

    // Calendar axis: months above, then weeks with their dates, or days when there is room for
    // their numbers. Left of it, the headings of the columns.
    const double middle = axisTop + g.axisHeight / 2;
    p.setPen(QPen(kMuted, 0.8));
    p.drawLine(QPointF(g.chartLeft(), middle), QPointF(right, middle));
    p.drawLine(QPointF(g.margin, rowsTop), QPointF(right, rowsTop));
    const double columnX[] = {g.margin,
                              g.margin + g.labelWidth,
                              g.margin + g.labelWidth + g.numberWidth,
                              g.margin + g.labelWidth + g.numberWidth + g.dateWidth,
                              g.margin + g.labelWidth + g.numberWidth + 2 * g.dateWidth,
                              g.chartLeft()};
    for (int c = 1; c < 6; ++c)
        p.drawLine(QPointF(columnX[c], middle), QPointF(columnX[c], bottom));
    p.setFont(pictureFont(10, true));
    p.setPen(kInk);
    const QString headings[] = {QStringLiteral("Attività"), QStringLiteral("giorni"),
                                QStringLiteral("inizio"), QStringLiteral("fine"),
                                QStringLiteral("C")};
    for (int c = 0; c < 5; ++c)
        p.drawText(
            QRectF(columnX[c] + 3, middle, columnX[c + 1] - columnX[c] - 6, g.axisHeight / 2),
            c == 0 ? Qt::AlignVCenter | Qt::AlignLeft : Qt::AlignCenter, headings[c]);

    const double deviceScale = std::abs(p.worldTransform().m11());
    const bool showDays = g.dayWidth * deviceScale >= 14;
    const QDate start = chart.startDate.isValid() ? chart.startDate : QDate(1990, 1, 1);
    // The days of the calendar the clip shows.
    int firstDay = 0;
    int lastDay = static_cast<int>(days);
    if (!exposed.rect.isEmpty()) {
        firstDay = std::clamp(
            static_cast<int>(std::floor((exposed.rect.left() - g.chartLeft()) / g.dayWidth)) - 40,
            0, lastDay);
        lastDay = std::clamp(
            static_cast<int>(std::ceil((exposed.rect.right() - g.chartLeft()) / g.dayWidth)) + 1, 0,
            lastDay);
    }
    p.setFont(pictureFont(10, true));
    const bool months = g.dayWidth * 30 >= 30;
    const int yearStep = months ? 1 : static_cast<int>(std::ceil(48 / (g.dayWidth * 365.25)));
    double nameEnd = 0;
    for (int d = firstDay; d <= lastDay; ++d) {
        const QDate date = start.addDays(d);
        const double x = g.xOfDay(d);
        const bool mark =
            months ? date.day() == 1 : date.dayOfYear() == 1 && date.year() % yearStep == 0;
        if (mark || d == 0) {
            p.setPen(QPen(kMuted, 0.8));
            p.drawLine(QPointF(x, axisTop), QPointF(x, bottom));
            const double width = months ? std::max(g.dayWidth * date.daysInMonth(), 30.0)
                                        : std::max(g.dayWidth * 365.25 * yearStep, 30.0);
            QString name = months || d == 0 ? italianMonthAbbreviation(date.month()) : QString();
            if (date.month() == 1 || d == 0)
                name += QStringLiteral(" %1").arg(date.year());
            name = name.trimmed();
            if (x + 24 <= right && x >= nameEnd) {
                p.drawText(QRectF(x + 3, axisTop, width, g.axisHeight / 2), Qt::AlignVCenter, name);
                nameEnd = x + 6 + QFontMetricsF(p.font()).horizontalAdvance(name);
            }
        }
    }
    p.setFont(pictureFont(9));
    const double weekWidth = g.dayWidth * 7;
    const bool weekDates = weekWidth >= 36;
    for (int d = firstDay; d <= lastDay; ++d) {
        const QDate date = start.addDays(d);
        const double x = g.xOfDay(d);
        if (showDays) {
            p.setPen(QPen(kGrid, 0.6));
            p.drawLine(QPointF(x, middle), QPointF(x, bottom));
            const bool rest = chart.skipsDays() ? !chart.isWorkingDay(date) : date.dayOfWeek() >= 6;
            p.setPen(rest ? kCritical : kMuted);
            p.drawText(QRectF(x, middle, g.dayWidth, g.axisHeight / 2), Qt::AlignCenter,
                       QString::number(date.day()));
        } else if (weekWidth >= 16) {
            if (date.dayOfWeek() != 1)
                continue;
            p.setPen(QPen(kGrid, 0.6));
            p.drawLine(QPointF(x, middle), QPointF(x, bottom));
            p.setPen(kMuted);
            p.drawText(QRectF(x + 2, middle, weekWidth, g.axisHeight / 2), Qt::AlignVCenter,
                       weekDates ? date.toString(QStringLiteral("dd/MM"))
                                 : QString::number(date.day()));
        } else if (months ? (date.day() == 10 || date.day() == 20) && g.dayWidth * 10 >= 14
                          : date.day() == 1 && g.dayWidth * 30 >= 10) {
            // Weeks too narrow: the 10th and 20th under the months, or the months under the
            // years.
            p.setPen(QPen(kGrid, 0.6));
            p.drawLine(QPointF(x, middle), QPointF(x, bottom));
            p.setPen(kMuted);
            const QString text =
                months ? QString::number(date.day())
                       : italianMonthAbbreviation(date.month()).left(g.dayWidth * 30 >= 24 ? 3 : 1);
            p.drawText(QRectF(x + 1, middle, 30, g.axisHeight / 2), Qt::AlignVCenter, text);
        }
    }

    p.setFont(pictureFont(10));
    const QFontMetricsF fm(p.font());
    // Rows a few device pixels high leave no label readable, and shaping the labels of a
    // quarter of a million rows for a reduced overview took seconds.
    const bool showLabels = g.rowHeight * std::abs(p.worldTransform().m22()) >= 3;
    const auto dateText = [&](double t) {
        return chart.eventDate(t).toString(QStringLiteral("dd/MM/yy"));
    };
    for (int row = shownFirst; row < shownLast; ++row) {
        const GanttBar& bar = chart.bars[row];
        const double y = rowY(row);
        p.setPen(bar.critical ? kCritical : kInk);
        if (showLabels) {
            const QString label = bar.label + QStringLiteral("  ") + bar.description;
            p.drawText(QRectF(g.margin + 3, y, g.labelWidth - 6, g.rowHeight), Qt::AlignVCenter,
                       fm.elidedText(label, Qt::ElideRight, g.labelWidth - 6));
            p.drawText(QRectF(columnX[1], y, g.numberWidth - 4, g.rowHeight),
                       Qt::AlignVCenter | Qt::AlignRight, formatDays(bar.finish - bar.start));
            p.drawText(QRectF(columnX[2], y, g.dateWidth, g.rowHeight), Qt::AlignCenter,
                       dateText(bar.start));
            p.drawText(QRectF(columnX[3], y, g.dateWidth, g.rowHeight), Qt::AlignCenter,
                       dateText(bar.finish));
            if (bar.critical) {
                p.setFont(pictureFont(10, true));
                p.drawText(QRectF(columnX[4], y, g.markWidth, g.rowHeight), Qt::AlignCenter,
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
    // Events as diamonds on their row.
    for (const GanttMilestone& m : chart.milestones) {
        if (m.row < shownFirst || m.row >= shownLast)
            continue;
        const double x = g.xOfDay(chart.dayOf(m.time));
        const double cy = rowY(m.row) + g.rowHeight / 2;
        const double s = g.rowHeight * 0.32;
        QPolygonF diamond;
        diamond << QPointF(x, cy - s) << QPointF(x + s, cy) << QPointF(x, cy + s)
                << QPointF(x - s, cy);
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(m.critical ? kCritical : QColor(Qt::white));
        p.drawPolygon(diamond);
    }
    // Today's line, and its entry in the legend, only when today falls within the chart.
    const qint64 todayDay =
        today.isValid() && chart.startDate.isValid() ? chart.startDate.daysTo(today) : -1;
    const bool todayShown = todayDay >= 0 && todayDay <= chart.calendarLength();
    if (todayShown) {
        const double x = g.xOfDay(static_cast<double>(todayDay));
        p.setPen(QPen(kToday, 1.6, Qt::DashLine));
        p.drawLine(QPointF(x, axisTop), QPointF(x, bottom));
        p.setFont(pictureFont(9, true));
        p.setPen(kToday);
        p.drawText(QPointF(x + 3, rowsTop - 2), QStringLiteral("oggi"));
    }
    // The legend of every mark and colour, under the rows of every page.
    const QRectF legend(g.margin, bottom + 8, std::max(right - g.margin, 600.0),
                        g.legendHeight - 8);
    if (exposed.contains(legend))
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

void paintNetworkTile(QPainter& p, const NetworkLayout& layout, const Project& project,
                      const ScheduleResults& results, const QRectF& tile)
{
    const double header = networkHeaderHeight(layout);
    p.save();
    p.fillRect(QRectF(0, 0, tile.width(), header + tile.height()), Qt::white);
    p.save();
    p.setClipRect(QRectF(0, 0, tile.width(), header));
    p.translate(-tile.x(), 0);
    paintNetwork(p, layout, project, results, 0, QRectF(tile.x(), 0, tile.width(), header));
    p.restore();
    p.setClipRect(QRectF(0, header, tile.width(), tile.height()));
    p.translate(-tile.x(), header - tile.y());
    paintNetwork(p, layout, project, results, 0, tile);
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

Result<void> exportPicture(const QString& path, const QSizeF& size, const PicturePainter& paint,
                           double pngScale, const SaveTargetFactory& targets)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!isPictureSuffix(path))
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("Formato non riconosciuto per il file %1: usare "
                                             ".svg, .png o .pdf.")
                                  .arg(displayPath(path))));
    const QString what =
        QStringLiteral("Impossibile disegnare l'immagine nel file %1.").arg(displayPath(path));
    if (suffix == QLatin1String("svg")) {
        // The SVG generator writes texts as it is given them; the finished document is cleaned
        // of the characters XML cannot carry before it reaches the file.
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size.toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), size));
        svg.setTitle(QStringLiteral("ZANT"));
        QPainter painter;
        if (!painter.begin(&svg))
            return Error(ErrorKind::File, critical(what));
        paint(painter);
        if (!painter.end())
            return Error(ErrorKind::File, critical(what));
        // The usual document has nothing to drop and is written as it came, without the two
        // conversions of megabytes of text.
        const QByteArray& written = buffer.data();
        const QByteArray bytes =
            xmlSafeUtf8(written) ? written : cleanXmlText(QString::fromUtf8(written)).toUtf8();
        return saveFile(
            path, [&](QIODevice& device) { return writeAll(device, bytes); }, targets);
    }
    if (suffix == QLatin1String("png")) {
        // Very large networks: fewer pixels per unit rather than an image nobody can open.
        constexpr double kMaxPixels = 60e6;
        constexpr double kMaxSide = 30000;
        double scale = pngScale;
        const double pixels = size.width() * size.height() * scale * scale;
        if (pixels > kMaxPixels)
            scale *= std::sqrt(kMaxPixels / pixels);
        scale = std::min({scale, kMaxSide / std::max(1.0, size.width()),
                          kMaxSide / std::max(1.0, size.height())});
        QImage image(std::max(1, static_cast<int>(std::ceil(size.width() * scale))),
                     std::max(1, static_cast<int>(std::ceil(size.height() * scale))),
                     QImage::Format_RGB32);
        if (image.isNull())
            return Error(
                ErrorKind::File,
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
            return Error(ErrorKind::File, critical(what));
        return saveFile(
            path, [&](QIODevice& device) { return writeAll(device, encoded.data()); }, targets);
    }
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
                return Error(ErrorKind::File, critical(what));
            return {};
        },
        targets);
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
