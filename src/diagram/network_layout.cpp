#include "diagram/network_layout.h"

#include "diagram/network_ordering.h"
#include "diagram/network_routing.h"

#include "model/text_format.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace zant {

using namespace layout;

namespace {

constexpr int kSweeps = 4;
// Up to this many activities the orderings are compared by the crossings they draw; above it
// counting them would cost more than the drawing, and the sweeps alone decide.
constexpr int kCrossingCountLimit = 2500;
// Rounds of moving the circles that stand in an arrow's way.
constexpr int kRepairs = 24;
constexpr double kAxisBand = 34; // room for the time axis above the first row

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
