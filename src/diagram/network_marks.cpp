#include "diagram/network_marks.h"

#include "diagram/picture_style.h"

#include "model/text_format.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace zant::marks {

ArrowLines arrowLines(const LaidOutActivity& a)
{
    ArrowLines lines;
    if (a.points.empty())
        return lines;
    QPolygonF& firm = lines.firm;
    QPolygonF& loose = lines.loose;
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
    return lines;
}

QPolygonF arrowHead(QPointF tip, QPointF from, double length)
{
    const double dx = tip.x() - from.x();
    const double dy = tip.y() - from.y();
    const double d = std::hypot(dx, dy);
    if (d <= 0)
        return {};
    const QPointF u(dx / d, dy / d);
    const QPointF nrm(-u.y(), u.x());
    const QPointF base = tip - u * length;
    return QPolygonF({tip, base + nrm * (length * 0.45), base - nrm * (length * 0.45)});
}

std::vector<double> arrowHeadLengths(const NetworkLayout& layout)
{
    std::vector<int> entering(layout.events.size() + 1, 0);
    for (const LaidOutActivity& a : layout.activities)
        ++entering[a.to];
    const double r = layout.metrics.radius;
    std::vector<double> lengths;
    lengths.reserve(layout.activities.size());
    for (const LaidOutActivity& a : layout.activities) {
        const int k = entering[a.to];
        const double spacing = k > 1 ? 1.2 * r / (k - 1) : 2 * r;
        lengths.push_back(std::clamp((spacing - 1) / 0.9, 3.0, a.critical ? 11.0 : 9.0));
    }
    return lengths;
}

QString arrowText(const LaidOutActivity& a)
{
    return a.label.isEmpty() ? formatDays(a.days) : a.label;
}

QFont fittedFont(const QString& text, double pixels, double width, bool bold)
{
    QFont f = pictures::font(pixels, bold);
    for (int i = 0; i < 8; ++i) {
        const double advance = QFontMetricsF(f).horizontalAdvance(text);
        if (advance <= width || pixels <= 1)
            break;
        pixels = std::max(1.0, pixels * width / advance - 0.25);
        f.setPixelSize(std::max(1, static_cast<int>(std::floor(pixels))));
    }
    return f;
}

Stroke arrowStroke(const LaidOutActivity& a, bool loose)
{
    Stroke s;
    s.width = a.critical ? 2.6 : 1.1;
    s.style = loose ? Qt::DotLine : (a.dummy ? Qt::DashLine : Qt::SolidLine);
    return s;
}

} // namespace zant::marks
