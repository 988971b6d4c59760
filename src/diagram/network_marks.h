#pragma once

#include "diagram/network_layout.h"

#include <QFont>
#include <QPolygonF>
#include <QString>

#include <vector>

class QPainter;

// What the network's painter and its SVG writer share, so that both draw the same marks: the
// parts of an arrow, its head, and the lettering fitted to a box.
namespace zant::marks {

// An arrow's line cut where its free float begins: the solid part, then the dotted one (empty
// when the whole arrow is solid).
struct ArrowLines
{
    QPolygonF firm;
    QPolygonF loose;
};
ArrowLines arrowLines(const LaidOutActivity& activity);

// The triangle of an arrow head at `tip`, pointing away from `from`; empty when they coincide.
QPolygonF arrowHead(QPointF tip, QPointF from, double length);

// For each activity of the layout, the length of its head: no wider than the spacing of the
// arrows entering one circle.
std::vector<double> arrowHeadLengths(const NetworkLayout& layout);

// What an arrow says: its own label, or its duration.
QString arrowText(const LaidOutActivity& activity);

// The largest font, up to `pixels`, at which `text` is no wider than `width`.
QFont fittedFont(const QString& text, double pixels, double width, bool bold = false);

// The pen of an arrow's solid part (dashed for a dummy) or of its dotted part.
struct Stroke
{
    double width = 1;
    Qt::PenStyle style = Qt::SolidLine;
};
Stroke arrowStroke(const LaidOutActivity& activity, bool loose);

// What paintNetwork draws under the arrows and circles: the white ground, the axis and the note
// of a summary.
void paintNetworkBackground(QPainter& painter, const NetworkLayout& layout,
                            const ScheduleResults& results);

} // namespace zant::marks
