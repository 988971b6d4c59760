#include "diagram/network_routing.h"

#include <algorithm>
#include <cmath>

namespace zant::layout {

double distanceToSegment(QPointF c, QPointF a, QPointF b)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((c.x() - a.x()) * dx + (c.y() - a.y()) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double px = a.x() + t * dx - c.x();
    const double py = a.y() + t * dy - c.y();
    return std::sqrt(px * px + py * py);
}

namespace {

QPointF towards(QPointF from, QPointF to, double length)
{
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    const double d = std::hypot(dx, dy);
    if (d <= 0)
        return from;
    return {from.x() + dx / d * length, from.y() + dy / d * length};
}

// A way across rows that leave no column free from one end to the other: out of the top or bottom
// of the source, then down (or up) a staircase that crosses each row through a gap of its own and
// runs right along the lanes between rows, into the top or bottom of the target. False when a
// row has no gap left of the target's right side.
bool staircase(const LaidOutEvent& s, const LaidOutEvent& t, double lane,
               const NetworkLayout& layout, const CircleIndex& index, std::vector<QPointF>& pts)
{
    const LayoutMetrics& m = layout.metrics;
    const int dir = t.row > s.row ? 1 : -1;
    const auto laneAfter = [&](int row) {
        return layout.criticalY + (row + dir * 0.5) * m.rowHeight + lane;
    };
    double x = s.centre.x();
    // The last stretch comes straight down (or up) into the target's circle.
    const double reachable = t.centre.x() + 0.9 * m.radius;
    std::vector<QPointF> way{QPointF(x, s.centre.y() + dir * m.radius),
                             QPointF(x, laneAfter(s.row))};
    std::vector<double> edges;
    for (int row = s.row + dir; row != t.row; row += dir) {
        edges.assign(1, x);
        index.blockedEdges(x, reachable, row, row, edges);
        std::sort(edges.begin(), edges.end());
        const auto gap = std::find_if(edges.begin(), edges.end(), [&](double candidate) {
            return candidate >= x - 1e-9 && !index.columnBlocked(candidate, row, row);
        });
        if (gap == edges.end() || *gap > reachable + 1e-9)
            return false;
        x = *gap;
        way.emplace_back(x, way.back().y());
        way.emplace_back(x, laneAfter(row));
    }
    // Into the top or bottom of the target; right of its centre when the last gap lies there.
    x = std::max(x, t.centre.x());
    const double side = x - t.centre.x();
    way.emplace_back(x, way.back().y());
    way.emplace_back(x, t.centre.y() - dir * std::sqrt(m.radius * m.radius - side * side));
    pts = std::move(way);
    return true;
}

} // namespace

void route(LaidOutActivity& a, int parallelIndex, int parallelCount, const NetworkLayout& layout,
           const CircleIndex& index, std::vector<int>& blockers)
{
    const LayoutMetrics& m = layout.metrics;
    const LaidOutEvent& s = layout.eventAt(a.from);
    const LaidOutEvent& t = layout.eventAt(a.to);
    const QPointF cs = s.centre;
    const QPointF ct = t.centre;
    a.points.clear();

    const double offset = (parallelIndex - (parallelCount - 1) / 2.0) * m.parallelSpread;
    bool clear = true;
    if (parallelCount <= 1 || std::abs(offset) < 1e-9) {
        const QPointF p = towards(cs, ct, m.radius);
        const QPointF q = towards(ct, cs, m.radius);
        clear = !index.hits(p, q, a.from, a.to);
        if (clear)
            a.points = {p, q};
    } else {
        const QPointF mid = (cs + ct) / 2;
        const QPointF control(mid.x(), mid.y() + 2 * offset);
        const QPointF p = towards(cs, control, m.radius);
        const QPointF q = towards(ct, control, m.radius);
        constexpr int kSteps = 8;
        for (int i = 0; i <= kSteps && clear; ++i) {
            const double u = static_cast<double>(i) / kSteps;
            QPointF b = (1 - u) * (1 - u) * p + 2 * u * (1 - u) * control + u * u * q;
            // A curve leaving or entering a circle steeply may bend back a little: it keeps
            // going right.
            if (!a.points.empty() && i < kSteps)
                b.setX(std::max(a.points.back().x(), std::min(b.x(), q.x())));
            if (!a.points.empty() && index.hits(a.points.back(), b, a.from, a.to))
                clear = false;
            a.points.push_back(b);
        }
    }

    if (!clear) {
        // Lanes lie half a row from the circles' centres; each activity keeps a lane of its
        // own, a few units apart, so that arrows sharing a lane stay apart.
        const double lane = ((a.from * 7 + a.slot * 3) % 5 - 2) * 3.0 + offset * 0.25;
        const double half = m.rowHeight / 2;
        int laneSource;
        int laneTarget;
        if (t.row > s.row) {
            laneSource = 1;
            laneTarget = -1;
        } else if (t.row < s.row) {
            laneSource = -1;
            laneTarget = 1;
        } else {
            laneSource = laneTarget = s.row < 0 ? -1 : 1;
        }
        const double y1 = cs.y() + laneSource * half + lane;
        const double y2 = ct.y() + laneTarget * half + lane;
        const double span = ct.x() - cs.x();
        const double dx = std::min(m.radius * 0.8, std::max(0.0, span / 2));
        const double x0 = cs.x() + dx;
        const double x1 = ct.x() - dx;
        // Rows whose centres lie strictly between two heights, which a vertical run crosses.
        const auto rowsBetween = [&](double ya, double yb) {
            const double lo = (std::min(ya, yb) - layout.criticalY) / m.rowHeight;
            const double hi = (std::max(ya, yb) - layout.criticalY) / m.rowHeight;
            return std::pair{static_cast<int>(std::floor(lo)) + 1,
                             static_cast<int>(std::ceil(hi)) - 1};
        };
        const auto [firstRow, lastRow] = rowsBetween(y1, y2);
        const auto freeAt = [&](double xv, double ya, double yb) {
            const auto [f, l] = rowsBetween(ya, yb);
            return f > l || !index.columnBlocked(xv, f, l);
        };
        enum class Run
        {
            Between,
            FromSource,
            IntoTarget,
            Staircase,
            Blocked
        };
        Run run = Run::Blocked;
        double xv = x1;
        if (freeAt(x1, y1, y2)) {
            run = Run::Between;
        } else {
            std::vector<double> edges{x0};
            index.blockedEdges(x0, x1, firstRow, lastRow, edges);
            std::sort(edges.begin(), edges.end(), std::greater<>());
            for (double candidate : edges) {
                if (candidate >= x0 - 1e-9 && candidate <= x1 + 1e-9 && freeAt(candidate, y1, y2)) {
                    xv = candidate;
                    run = Run::Between;
                    break;
                }
            }
        }
        // Straight up or down out of the source, or straight into the target, when the
        // circles between leave no column in the middle.
        const QPointF exitPoint(cs.x(), cs.y() + laneSource * m.radius);
        const QPointF entryPoint(ct.x(), ct.y() + laneTarget * m.radius);
        if (run == Run::Blocked && freeAt(cs.x(), exitPoint.y(), y2))
            run = Run::FromSource;
        else if (run == Run::Blocked && freeAt(ct.x(), y1, entryPoint.y()))
            run = Run::IntoTarget;
        if (run == Run::Blocked)
            index.eventsNear(cs.x(), ct.x(), firstRow, lastRow, blockers);

        std::vector<QPointF> pts;
        if (run == Run::Blocked && staircase(s, t, lane, layout, index, pts))
            run = Run::Staircase;
        switch (run) {
        case Run::Staircase:
            break;
        case Run::FromSource:
            pts = {exitPoint, QPointF(cs.x(), y2), QPointF(std::max(x1, cs.x()), y2)};
            pts.push_back(towards(ct, pts.back(), m.radius));
            break;
        case Run::IntoTarget:
            pts = {QPointF(), QPointF(std::min(x0, ct.x()), y1), QPointF(ct.x(), y1), entryPoint};
            pts[0] = towards(cs, pts[1], m.radius);
            break;
        case Run::Between:
        case Run::Blocked:
            pts = {QPointF(), QPointF(x0, y1), QPointF(xv, y1), QPointF(xv, y2), QPointF(x1, y2)};
            pts[0] = towards(cs, pts[1], m.radius);
            pts.push_back(towards(ct, pts.back(), m.radius));
            break;
        }
        a.points.clear();
        for (const QPointF& w : pts)
            if (a.points.empty() || std::abs(w.x() - a.points.back().x()) > 1e-6 ||
                std::abs(w.y() - a.points.back().y()) > 1e-6)
                a.points.push_back(w);
    }
    // The duration is written over the middle of the longest stretch.
    double best = -1;
    for (size_t i = 1; i < a.points.size(); ++i) {
        const QPointF d = a.points[i] - a.points[i - 1];
        const double len = std::hypot(d.x(), d.y());
        if (len > best) {
            best = len;
            a.labelAt = (a.points[i] + a.points[i - 1]) / 2;
        }
    }
}

} // namespace zant::layout
