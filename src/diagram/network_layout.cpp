#include "diagram/network_layout.h"

#include "model/text_format.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace zant {

namespace {

constexpr int kSweeps = 4;
// Up to this many activities the orderings are compared by the crossings they draw; above it
// counting them would cost more than the drawing, and the sweeps alone decide.
constexpr int kCrossingCountLimit = 2500;
// Rounds of moving the circles that stand in an arrow's way.
constexpr int kRepairs = 24;
constexpr double kAxisBand = 34; // room for the time axis above the first row

struct Arc
{
    int from;
    int slot;
    int to;
    double days;
};

// The network as the layout sees it: activities, unique neighbours, levels, the critical line.
struct Graph
{
    int n = 0;
    std::vector<Arc> arcs;
    std::vector<std::vector<int>> preds; // unique neighbour events, index = event
    std::vector<std::vector<int>> succs;
    std::vector<int> level;
    std::vector<int> topo;
    std::vector<char> onLine;
    std::vector<int> line;
    int maxLevel = 0;
};

void uniqueSort(std::vector<int>& v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

Graph buildGraph(const Project& project, const ScheduleResults& results)
{
    Graph g;
    g.n = results.eventCount;
    g.preds.resize(g.n + 1);
    g.succs.resize(g.n + 1);
    std::vector<int> indegree(g.n + 1, 0);
    for (int e = 1; e <= g.n; ++e) {
        for (int s = 1; s <= project.linkCount(e); ++s) {
            const Link& link = project.link(e, s);
            if (link.target < 1 || link.target > g.n || link.target == e)
                continue;
            g.arcs.push_back({e, s, link.target, link.days.value_or(0)});
            g.succs[e].push_back(link.target);
            g.preds[link.target].push_back(e);
        }
    }
    for (int e = 1; e <= g.n; ++e) {
        uniqueSort(g.succs[e]);
        uniqueSort(g.preds[e]);
        for (int k : g.succs[e])
            ++indegree[k];
    }
    // Kahn's order, lowest number first among the ready events.
    std::vector<int> ready;
    for (int e = g.n; e >= 1; --e)
        if (indegree[e] == 0)
            ready.push_back(e);
    while (!ready.empty()) {
        const int e = ready.back();
        ready.pop_back();
        g.topo.push_back(e);
        for (int k : g.succs[e])
            if (--indegree[k] == 0)
                ready.push_back(k);
    }
    // A cycle cannot pass the data check; should one come through, its events trail behind.
    if (static_cast<int>(g.topo.size()) < g.n) {
        std::vector<char> seen(g.n + 1, 0);
        for (int e : g.topo)
            seen[e] = 1;
        for (int e = 1; e <= g.n; ++e)
            if (!seen[e])
                g.topo.push_back(e);
    }
    g.level.assign(g.n + 1, 0);
    std::vector<int> position(g.n + 1, 0);
    for (int i = 0; i < g.n; ++i)
        position[g.topo[i]] = i;
    for (int e : g.topo)
        for (int k : g.succs[e])
            if (position[k] > position[e])
                g.level[k] = std::max(g.level[k], g.level[e] + 1);
    // An event that starts a branch of its own (no activity leads to it) stands one level
    // before its first successor rather than beside event 1, so its arrows stay short.
    for (int e = 2; e <= g.n; ++e) {
        if (!g.preds[e].empty() || g.succs[e].empty())
            continue;
        int first = std::numeric_limits<int>::max();
        for (int k : g.succs[e])
            first = std::min(first, g.level[k]);
        g.level[e] = std::max(0, first - 1);
    }
    g.maxLevel = *std::max_element(g.level.begin() + 1, g.level.end());

    // The critical path drawn on the line: from event 1, or from another event that starts the
    // network when event 1 is not on the critical path.
    // Walks from a start along activities without float to the lowest-numbered critical event
    // at each step; the first start whose walk reaches the final event wins.
    const auto walk = [&](int from) {
        std::vector<int> line;
        std::vector<char> seen(g.n + 1, 0);
        for (int e = from; e >= 1 && !seen[e];) {
            seen[e] = 1;
            line.push_back(e);
            int next = 0;
            for (int s = 1; s <= project.linkCount(e); ++s) {
                const int k = project.link(e, s).target;
                if (k < 1 || k > g.n || seen[k] || g.level[k] <= g.level[e])
                    continue;
                if (isZeroFloat(results.linkFloatAt(e, s)) && results.isCritical(k) &&
                    (next == 0 || k < next))
                    next = k;
            }
            e = next;
        }
        return line;
    };
    std::vector<int> starts{1};
    for (int k = 2; k <= g.n; ++k)
        if (g.preds[k].empty() && results.isCritical(k))
            starts.push_back(k);
    for (int start : starts) {
        std::vector<int> line = walk(start);
        if (line.size() > g.line.size() || (!line.empty() && line.back() == g.n)) {
            const bool done = line.back() == g.n;
            g.line = std::move(line);
            if (done)
                break;
        }
    }
    g.onLine.assign(g.n + 1, 0);
    for (int e : g.line)
        g.onLine[e] = 1;
    return g;
}

// Rows of one level from its order: the event of the critical line on row 0, the first `split`
// other events above it (rows -1, -2, … outwards), the rest below (1, 2, …).
void rowsOfLevel(const std::vector<int>& order, int split, const Graph& g, std::vector<int>& row)
{
    std::vector<int> others;
    others.reserve(order.size());
    for (int e : order) {
        if (g.onLine[e])
            row[e] = 0;
        else
            others.push_back(e);
    }
    split = std::clamp(split, 0, static_cast<int>(others.size()));
    for (int i = split - 1, r = -1; i >= 0; --i, --r)
        row[others[i]] = r;
    for (int i = split, r = 1; i < static_cast<int>(others.size()); ++i, ++r)
        row[others[i]] = r;
}

double meanRow(const std::vector<int>& neighbours, const std::vector<int>& row, double fallback)
{
    if (neighbours.empty())
        return fallback;
    double sum = 0;
    for (int k : neighbours)
        sum += row[k];
    return sum / static_cast<double>(neighbours.size());
}

// Sorts a level by the mean row of its neighbours on one side and gives it rows again.
void sweepLevel(std::vector<int>& order, const std::vector<std::vector<int>>& neighbours,
                const Graph& g, std::vector<int>& row)
{
    std::vector<std::pair<double, int>> keyed;
    keyed.reserve(order.size());
    for (int e : order)
        if (!g.onLine[e])
            keyed.push_back({meanRow(neighbours[e], row, row[e]), e});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    int negative = 0;
    int zero = 0;
    for (const auto& [key, e] : keyed) {
        if (key < -1e-9)
            ++negative;
        else if (key < 1e-9)
            ++zero;
    }
    std::vector<int> sorted;
    sorted.reserve(order.size());
    for (const auto& [key, e] : keyed)
        sorted.push_back(e);
    for (int e : order)
        if (g.onLine[e])
            sorted.insert(sorted.begin() + negative + zero / 2, e);
    order = std::move(sorted);
    rowsOfLevel(order, negative + zero / 2, g, row);
}

// Lets an event leave the compact rows for the median row of its predecessors, so that chains
// run straight; order within each level and distinct rows are kept.
void straighten(const std::vector<std::vector<int>>& levels, const Graph& g, std::vector<int>& row)
{
    std::vector<int> rows;
    for (const auto& order : levels) {
        std::vector<int> above;
        std::vector<int> below;
        for (int e : order) {
            if (g.onLine[e])
                continue;
            (row[e] < 0 ? above : below).push_back(e);
        }
        const auto median = [&](int e) {
            rows.clear();
            for (int p : g.preds[e])
                rows.push_back(row[p]);
            if (rows.empty())
                return row[e];
            std::nth_element(rows.begin(), rows.begin() + rows.size() / 2, rows.end());
            return rows[rows.size() / 2];
        };
        int previous = 0;
        for (auto it = above.rbegin(); it != above.rend(); ++it) {
            const int wanted = median(*it);
            row[*it] = std::min(previous - 1, wanted < 0 ? wanted : previous - 1);
            previous = row[*it];
        }
        previous = 0;
        for (int e : below) {
            const int wanted = median(e);
            row[e] = std::max(previous + 1, wanted > 0 ? wanted : previous + 1);
            previous = row[e];
        }
    }
}

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

QPointF towards(QPointF from, QPointF to, double length)
{
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    const double d = std::hypot(dx, dy);
    if (d <= 0)
        return from;
    return {from.x() + dx / d * length, from.y() + dy / d * length};
}

// Finds the circles near a segment quickly: the circles of each row sorted by x.
class CircleIndex final
{
public:
    CircleIndex(const NetworkLayout& layout, int minRow, int maxRow)
        : m_layout(layout), m_minRow(minRow), m_rows(maxRow - minRow + 1)
    {
        for (const LaidOutEvent& ev : layout.events)
            m_rows[ev.row - minRow].push_back({ev.centre.x(), ev.event});
        for (auto& r : m_rows)
            std::sort(r.begin(), r.end());
    }

    // True when the segment passes through a circle other than those of `a` and `b`.
    bool hits(QPointF p, QPointF q, int a, int b) const
    {
        const double r = m_layout.metrics.radius;
        const double top = std::min(p.y(), q.y()) - r;
        const double bottom = std::max(p.y(), q.y()) + r;
        const double left = std::min(p.x(), q.x()) - r;
        const double right = std::max(p.x(), q.x()) + r;
        const int first = std::max(m_minRow, rowAt(top));
        const int last =
            std::min(m_minRow + static_cast<int>(m_rows.size()) - 1, rowAt(bottom) + 1);
        for (int row = first; row <= last; ++row) {
            const auto& circles = m_rows[row - m_minRow];
            auto it =
                std::lower_bound(circles.begin(), circles.end(), std::pair<double, int>{left, 0});
            for (; it != circles.end() && it->first <= right; ++it) {
                if (it->second == a || it->second == b)
                    continue;
                if (distanceToSegment(m_layout.eventAt(it->second).centre, p, q) < r + 2)
                    return true;
            }
        }
        return false;
    }

    // Whether a vertical line at x crosses a circle of the rows first..last.
    bool columnBlocked(double x, int first, int last) const
    {
        const double reach = m_layout.metrics.radius + 2;
        for (int row = std::max(first, m_minRow);
             row <= std::min(last, m_minRow + static_cast<int>(m_rows.size()) - 1); ++row) {
            const auto& circles = m_rows[row - m_minRow];
            auto it = std::lower_bound(circles.begin(), circles.end(),
                                       std::pair<double, int>{x - reach, 0});
            if (it != circles.end() && it->first <= x + reach)
                return true;
        }
        return false;
    }

    // Edges of the circles of rows first..last between x0 and x1, where a vertical run would hit.
    void blockedEdges(double x0, double x1, int first, int last, std::vector<double>& out) const
    {
        const double reach = m_layout.metrics.radius + 2;
        for (int row = std::max(first, m_minRow);
             row <= std::min(last, m_minRow + static_cast<int>(m_rows.size()) - 1); ++row) {
            const auto& circles = m_rows[row - m_minRow];
            auto it = std::lower_bound(circles.begin(), circles.end(),
                                       std::pair<double, int>{x0 - reach, 0});
            for (; it != circles.end() && it->first <= x1 + reach; ++it) {
                out.push_back(it->first - reach - 1);
                out.push_back(it->first + reach + 1);
            }
        }
    }

    // Events of rows first..last whose circles reach the x range [x0, x1].
    void eventsNear(double x0, double x1, int first, int last, std::vector<int>& out) const
    {
        const double reach = m_layout.metrics.radius + 2;
        for (int row = std::max(first, m_minRow);
             row <= std::min(last, m_minRow + static_cast<int>(m_rows.size()) - 1); ++row) {
            const auto& circles = m_rows[row - m_minRow];
            auto it = std::lower_bound(circles.begin(), circles.end(),
                                       std::pair<double, int>{x0 - reach, 0});
            for (; it != circles.end() && it->first <= x1 + reach; ++it)
                out.push_back(it->second);
        }
    }

private:
    int rowAt(double y) const
    {
        return static_cast<int>(std::floor((y - m_layout.criticalY) / m_layout.metrics.rowHeight));
    }

    const NetworkLayout& m_layout;
    int m_minRow;
    std::vector<std::vector<std::pair<double, int>>> m_rows;
};

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

// Routes one activity: straight (a curve for parallel activities) when nothing is in the way,
// otherwise along the free lanes between rows, crossing rows only where no circle stands.
// When no column is free for the run across the rows, the circles in the way are added to
// `blockers`, so that the caller can move them.
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

struct Segment
{
    QPointF a;
    QPointF b;
    int owner;
};

double cross(QPointF o, QPointF a, QPointF b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

bool properlyCross(const Segment& s, const Segment& t)
{
    const double d1 = cross(s.a, s.b, t.a);
    const double d2 = cross(s.a, s.b, t.b);
    const double d3 = cross(t.a, t.b, s.a);
    const double d4 = cross(t.a, t.b, s.b);
    constexpr double eps = 1e-7;
    return ((d1 > eps && d2 < -eps) || (d1 < -eps && d2 > eps)) &&
           ((d3 > eps && d4 < -eps) || (d3 < -eps && d4 > eps));
}

struct BlockedArrow
{
    int from;
    int to;
    std::vector<int> blockers;
};

// Gives each event its place: rows from `row`, moved outwards in a time-scaled layout where two
// circles of one row would be too close; then the picture's size.
void placeRows(NetworkLayout& layout, const ScheduleResults& results, const Graph& g,
               const std::vector<double>& x, std::vector<int>& row, LayoutMode mode,
               const LayoutMetrics& m)
{
    const int n = g.n;
    if (mode == LayoutMode::TimeScale) {
        const double room = 2 * m.radius + m.minGap;
        std::vector<int> byX(n);
        std::iota(byX.begin(), byX.end(), 1);
        std::stable_sort(byX.begin(), byX.end(), [&](int a, int b) { return x[a] < x[b]; });
        QHash<int, double> lastX;
        for (int e : byX) {
            if (g.onLine[e]) {
                lastX.insert(0, x[e]);
                continue;
            }
            int r = row[e] == 0 ? 1 : row[e];
            const int out = r < 0 ? -1 : 1;
            while (lastX.contains(r) && x[e] - lastX.value(r) < room - 1e-9)
                r += out;
            row[e] = r;
            lastX.insert(r, x[e]);
        }
    }
    int minRow = 0;
    int maxRow = 0;
    double maxX = m.margin + m.radius;
    for (int e = 1; e <= n; ++e) {
        minRow = std::min(minRow, row[e]);
        maxRow = std::max(maxRow, row[e]);
        maxX = std::max(maxX, x[e]);
    }
    // Room for the lanes half a row above the first row and below the last one.
    const double top = m.margin + kAxisBand + m.rowHeight / 2;
    layout.criticalY = top - minRow * m.rowHeight;
    layout.width = maxX + m.radius + m.margin;
    layout.height = top + (maxRow - minRow) * m.rowHeight + m.rowHeight / 2 + m.margin;
    layout.events.resize(n);
    for (int e = 1; e <= n; ++e) {
        LaidOutEvent& ev = layout.events[e - 1];
        ev.event = e;
        ev.row = row[e];
        ev.level = g.level[e];
        ev.centre = QPointF(x[e], layout.criticalY + row[e] * m.rowHeight);
        ev.critical = results.isCritical(e);
        ev.onCriticalLine = g.onLine[e] != 0;
    }
}

// Routes every activity (only the critical ones in a summary); the circles that block an arrow
// go to `blocked`, one entry per arrow that found no way.
void routeAll(NetworkLayout& layout, const Project& project, const ScheduleResults& results,
              const Graph& g, bool summary, std::vector<BlockedArrow>& blocked)
{
    int minRow = 0;
    int maxRow = 0;
    for (const LaidOutEvent& ev : layout.events) {
        minRow = std::min(minRow, ev.row);
        maxRow = std::max(maxRow, ev.row);
    }
    const CircleIndex index(layout, minRow, maxRow);
    for (const Arc& arc : g.arcs) {
        const bool critical = isZeroFloat(results.linkFloatAt(arc.from, arc.slot)) &&
                              results.isCritical(arc.from) && results.isCritical(arc.to);
        if (summary && !critical)
            continue;
        LaidOutActivity a;
        a.from = arc.from;
        a.slot = arc.slot;
        a.to = arc.to;
        a.days = arc.days;
        a.critical = critical;
        // Parallel activities: how many link the same two events, and which one this is.
        int count = 0;
        int which = 0;
        for (int s = 1; s <= project.linkCount(arc.from); ++s) {
            if (project.link(arc.from, s).target != arc.to)
                continue;
            if (summary && !isZeroFloat(results.linkFloatAt(arc.from, s)))
                continue;
            if (s < arc.slot)
                ++which;
            ++count;
        }
        std::vector<int> blockers;
        route(a, which, count, layout, index, blockers);
        if (!blockers.empty())
            blocked.push_back({arc.from, arc.to, std::move(blockers)});
        if (layout.mode == LayoutMode::TimeScale &&
            results.linkFreeFloatAt(arc.from, arc.slot) > 1e-9) {
            const double reach =
                layout.eventAt(arc.from).centre.x() + arc.days * layout.unitsPerDay;
            if (reach < a.points.back().x() - 0.5)
                a.floatFromX = std::max(reach, a.points.front().x());
        }
        layout.activities.push_back(std::move(a));
    }
}

// Places the events, given their rows, and routes the activities.
NetworkLayout place(const Project& project, const ScheduleResults& results, const Graph& g,
                    std::vector<int> row, LayoutMode mode, const LayoutMetrics& m, bool summary,
                    int repairs)
{
    NetworkLayout layout;
    layout.mode = mode;
    layout.metrics = m;
    layout.summaryOnly = summary;
    layout.activityCount = static_cast<int>(g.arcs.size());
    layout.criticalLine = g.line;
    const int n = g.n;
    std::vector<double> x(n + 1, 0);
    const double left = m.margin + m.radius;

    if (mode == LayoutMode::Levels) {
        for (int e = 1; e <= n; ++e)
            x[e] = left + g.level[e] * m.levelWidth;
    } else {
        // The scale gives the shortest step of the critical line room for two circles, within
        // limits that keep long projects from running off any page.
        const double room = 2 * m.radius + m.minGap;
        double shortest = std::numeric_limits<double>::max();
        for (size_t i = 1; i < g.line.size(); ++i) {
            const double step = results.earliest[g.line[i]] - results.earliest[g.line[i - 1]];
            if (step > 1e-9)
                shortest = std::min(shortest, step);
        }
        const double finish = std::max(1.0, results.earliest[n]);
        double scale = shortest < std::numeric_limits<double>::max() ? room / shortest : 4.0;
        scale = std::clamp(scale, 0.5, 12.0);
        scale = std::max(std::min(scale, 30000.0 / finish), 0.02);
        layout.unitsPerDay = scale;
        layout.originX = left;
        double xLine = left;
        double tLine = 0;
        for (size_t i = 0; i < g.line.size(); ++i) {
            const double t = results.earliest[g.line[i]];
            double xe = xLine + (t - tLine) * scale;
            if (i > 0)
                xe = std::max(xe, layout.timeBreaks.back().second + room);
            layout.timeBreaks.push_back({t, xe});
            xLine = xe;
            tLine = t;
        }
        for (size_t i = 0; i < g.line.size(); ++i)
            x[g.line[i]] = layout.timeBreaks[i].second;
        for (int e : g.topo) {
            if (g.onLine[e])
                continue;
            x[e] = layout.xOfTime(results.earliest[e]);
            for (int p : g.preds[e])
                x[e] = std::max(x[e], x[p]);
        }
    }

    // Rows are given out again, with the events that stood in the way of an arrow moved out of
    // its rows, until every arrow finds its way or the attempts run out.
    const std::vector<int> ordered = row;
    std::vector<int> moved(n + 1, 0);
    std::vector<char> isMoved(n + 1, 0);
    for (int attempt = 0;; ++attempt) {
        row = ordered;
        for (int e = 1; e <= n; ++e)
            if (isMoved[e])
                row[e] = moved[e];
        std::vector<BlockedArrow> blocked;
        layout.events.clear();
        layout.activities.clear();
        placeRows(layout, results, g, x, row, mode, m);
        routeAll(layout, project, results, g, summary, blocked);
        if (blocked.empty() || attempt >= repairs)
            break;
        bool changed = false;
        const auto moveTo = [&](int e, int target) {
            if (!isMoved[e] || moved[e] != target) {
                isMoved[e] = 1;
                moved[e] = target;
                changed = true;
            }
        };
        for (const BlockedArrow& arrow : blocked) {
            const int low = std::min(row[arrow.from], row[arrow.to]);
            const int high = std::max(row[arrow.from], row[arrow.to]);
            bool movable = attempt < repairs / 2;
            for (int b : arrow.blockers)
                movable = movable && !g.onLine[b];
            if (movable) {
                // First the circles in the way leave the rows the arrow spans...
                for (int b : arrow.blockers)
                    moveTo(b, row[b] < 0 ? std::min(low, 0) - 1 : std::max(high, 0) + 1);
            } else {
                // ...then an end of the arrow joins the other end's neighbourhood.
                const int e = g.onLine[arrow.to] ? arrow.from : arrow.to;
                const int other = e == arrow.to ? arrow.from : arrow.to;
                if (g.onLine[e])
                    continue;
                const int side =
                    row[other] != 0 ? (row[other] < 0 ? -1 : 1) : (row[e] < 0 ? -1 : 1);
                moveTo(e, row[other] + side);
            }
        }
        if (!changed)
            break;
    }
    return layout;
}

} // namespace

double NetworkLayout::xOfTime(double days) const
{
    if (timeBreaks.empty())
        return originX + days * unitsPerDay;
    // The first break at or after the time, so that events at the time of a stretched step
    // stand with the earlier of its two circles.
    auto it = std::lower_bound(timeBreaks.begin(), timeBreaks.end(), days,
                               [](const auto& b, double t) { return b.first < t - 1e-9; });
    if (it != timeBreaks.end() && std::abs(it->first - days) < 1e-9)
        return it->second;
    if (it == timeBreaks.begin())
        return it->second - (it->first - days) * unitsPerDay;
    const auto& before = *(it - 1);
    return before.second + (days - before.first) * unitsPerDay;
}

NetworkLayout layoutNetwork(const Project& project, const ScheduleResults& results, LayoutMode mode,
                            LayoutOrdering ordering, const LayoutMetrics& metrics)
{
    if (results.isEmpty()) {
        NetworkLayout empty;
        empty.mode = mode;
        empty.metrics = metrics;
        return empty;
    }
    const Graph g = buildGraph(project, results);
    const bool summary = static_cast<int>(g.arcs.size()) > kFullDrawingActivityLimit;

    std::vector<std::vector<int>> levels(g.maxLevel + 1);
    for (int e = 1; e <= g.n; ++e)
        levels[g.level[e]].push_back(e);
    std::vector<int> row(g.n + 1, 0);
    for (auto& order : levels) {
        int others = 0;
        for (int e : order)
            others += g.onLine[e] ? 0 : 1;
        rowsOfLevel(order, others / 2, g, row);
    }

    const auto evaluate = [&](std::vector<int> rows, int repairs) {
        return place(project, results, g, std::move(rows), mode, metrics, summary, repairs);
    };
    const auto sweep = [&] {
        for (int l = 1; l <= g.maxLevel; ++l)
            sweepLevel(levels[l], g.preds, g, row);
        for (int l = g.maxLevel - 1; l >= 0; --l)
            sweepLevel(levels[l], g.succs, g, row);
    };
    const auto straightened = [&] {
        std::vector<int> rows = row;
        straighten(levels, g, rows);
        return rows;
    };

    const std::vector<int> baseline = straightened();
    if (ordering == LayoutOrdering::EventNumber)
        return evaluate(baseline, kRepairs);
    if (summary || static_cast<int>(g.arcs.size()) > kCrossingCountLimit) {
        // Too many arrows to count their crossings: the sweeps alone decide.
        for (int i = 0; i < kSweeps; ++i)
            sweep();
        return evaluate(straightened(), kRepairs);
    }
    // The ordering that draws the fewest crossings wins, the plain event order included. The
    // candidates are compared before the repairs, which only the two finalists get.
    int bestCrossings = countCrossings(evaluate(baseline, 0));
    std::vector<int> bestRows;
    int previous = -1;
    for (int i = 0; i < kSweeps && bestCrossings > 0; ++i) {
        sweep();
        std::vector<int> rows = straightened();
        const int crossings = countCrossings(evaluate(rows, 0));
        if (crossings < bestCrossings) {
            bestCrossings = crossings;
            bestRows = std::move(rows);
        }
        if (crossings == previous)
            break; // the sweeps have settled
        previous = crossings;
    }
    NetworkLayout result = evaluate(baseline, kRepairs);
    if (!bestRows.empty()) {
        NetworkLayout candidate = evaluate(std::move(bestRows), kRepairs);
        if (countCrossings(candidate) <= countCrossings(result))
            result = std::move(candidate);
    }
    return result;
}

int eventAtPoint(const NetworkLayout& layout, QPointF point)
{
    const double r = layout.metrics.radius;
    for (const LaidOutEvent& e : layout.events) {
        const QPointF d = point - e.centre;
        if (d.x() * d.x() + d.y() * d.y() <= r * r)
            return e.event;
    }
    return 0;
}

int activityAtPoint(const NetworkLayout& layout, QPointF point, double tolerance)
{
    int best = -1;
    double bestDistance = tolerance;
    for (int i = 0; i < static_cast<int>(layout.activities.size()); ++i) {
        const auto& pts = layout.activities[i].points;
        for (size_t j = 1; j < pts.size(); ++j) {
            const double d = distanceToSegment(point, pts[j - 1], pts[j]);
            if (d <= bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
    }
    return best;
}

int countCrossings(const NetworkLayout& layout)
{
    std::vector<Segment> segments;
    for (int i = 0; i < static_cast<int>(layout.activities.size()); ++i) {
        const auto& pts = layout.activities[i].points;
        for (size_t j = 1; j < pts.size(); ++j)
            segments.push_back({pts[j - 1], pts[j], i});
    }
    if (segments.empty())
        return 0;
    // Segments are bucketed in square cells of their bounding boxes; a pair is tested in the
    // cell where the overlap of their boxes begins, so that it is counted once.
    constexpr double kCell = 96;
    const int columns = static_cast<int>(layout.width / kCell) + 2;
    const int rows = static_cast<int>(layout.height / kCell) + 2;
    std::vector<std::vector<int>> cells(static_cast<size_t>(columns) * rows);
    const auto column = [&](double v) {
        return std::clamp(static_cast<int>(v / kCell), 0, columns - 1);
    };
    const auto band = [&](double v) {
        return std::clamp(static_cast<int>(v / kCell), 0, rows - 1);
    };
    struct Box
    {
        double left, right, top, bottom;
        int column, band; // the first cell the box covers
    };
    std::vector<Box> boxes(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        const auto& sg = segments[i];
        Box& bx = boxes[i];
        bx.left = std::min(sg.a.x(), sg.b.x());
        bx.right = std::max(sg.a.x(), sg.b.x());
        bx.top = std::min(sg.a.y(), sg.b.y());
        bx.bottom = std::max(sg.a.y(), sg.b.y());
        bx.column = column(bx.left);
        bx.band = band(bx.top);
        for (int c = bx.column; c <= column(bx.right); ++c)
            for (int r = bx.band; r <= band(bx.bottom); ++r)
                cells[static_cast<size_t>(c) * rows + r].push_back(static_cast<int>(i));
    }
    int crossings = 0;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const auto& cell = cells[static_cast<size_t>(c) * rows + r];
            for (size_t i = 0; i < cell.size(); ++i) {
                const Box& p = boxes[cell[i]];
                const int owner = segments[cell[i]].owner;
                for (size_t j = i + 1; j < cell.size(); ++j) {
                    const Box& q = boxes[cell[j]];
                    // The overlap of two boxes begins in the cell of the later start.
                    if (std::max(p.column, q.column) != c || std::max(p.band, q.band) != r)
                        continue;
                    if (std::max(p.left, q.left) > std::min(p.right, q.right) ||
                        std::max(p.top, q.top) > std::min(p.bottom, q.bottom))
                        continue;
                    const Segment& s2 = segments[cell[j]];
                    if (owner != s2.owner && properlyCross(segments[cell[i]], s2))
                        ++crossings;
                }
            }
        }
    }
    return crossings;
}

QString layoutModeName(LayoutMode mode)
{
    return mode == LayoutMode::Levels ? QStringLiteral("livelli") : QStringLiteral("scala");
}

namespace {

QString number(double v)
{
    if (std::abs(v) < 0.005)
        return QStringLiteral("0");
    QString s = QString::number(v, 'f', 2);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

} // namespace

QString layoutToJson(const NetworkLayout& layout)
{
    QString out;
    out.reserve(static_cast<qsizetype>(64 * layout.events.size() + 96 * layout.activities.size()));
    out += QStringLiteral("{\"mode\": \"%1\", \"width\": %2, \"height\": %3, \"summaryOnly\": %4, "
                          "\"events\": [")
               .arg(layoutModeName(layout.mode), number(layout.width), number(layout.height),
                    layout.summaryOnly ? QStringLiteral("true") : QStringLiteral("false"));
    for (size_t i = 0; i < layout.events.size(); ++i) {
        const LaidOutEvent& e = layout.events[i];
        out += QStringLiteral("%1{\"event\": %2, \"x\": %3, \"y\": %4, \"r\": %5}")
                   .arg(i ? QStringLiteral(", ") : QString())
                   .arg(e.event)
                   .arg(number(e.centre.x()), number(e.centre.y()), number(layout.metrics.radius));
    }
    out += QStringLiteral("], \"activities\": [");
    for (size_t i = 0; i < layout.activities.size(); ++i) {
        const LaidOutActivity& a = layout.activities[i];
        QStringList points;
        for (const QPointF& p : a.points)
            points << QStringLiteral("[%1, %2]").arg(number(p.x()), number(p.y()));
        out += QStringLiteral("%1{\"from\": %2, \"slot\": %3, \"to\": %4, \"critical\": %5, "
                              "\"points\": [%6]}")
                   .arg(i ? QStringLiteral(", ") : QString())
                   .arg(a.from)
                   .arg(a.slot)
                   .arg(a.to)
                   .arg(a.critical ? QStringLiteral("true") : QStringLiteral("false"),
                        points.join(QStringLiteral(", ")));
    }
    out += QStringLiteral("]}\n");
    return out;
}

} // namespace zant
