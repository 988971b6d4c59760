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

// The scale of a time-scaled layout and the column of each event. Events whose centres stand
// less than `gap` apart share a column, one above the other; the scale is chosen so that most
// successive times of the network stand that far apart, within a width that grows with the
// number of distinct times.
double timeScale(const Graph& g, const ScheduleResults& results, double gap)
{
    std::vector<double> times;
    times.reserve(g.n);
    for (int e = 1; e <= g.n; ++e)
        times.push_back(results.earliest[e]);
    std::sort(times.begin(), times.end());
    std::vector<double> steps;
    for (size_t i = 1; i < times.size(); ++i)
        if (times[i] - times[i - 1] > 1e-9)
            steps.push_back(times[i] - times[i - 1]);
    if (steps.empty())
        return 10;
    std::sort(steps.begin(), steps.end());
    const double typical = steps[static_cast<size_t>(0.3 * static_cast<double>(steps.size() - 1))];
    const double finish = std::max(times.back(), 1e-9);
    const double widest = std::max(4000.0, 1.5 * gap * static_cast<double>(steps.size() + 1));
    return std::max(std::min(gap / typical, widest / finish), 1e-3);
}

} // namespace

double labelWidth(const QString& text, double pixelSize)
{
    // Advances of the sans-serif face in ems: digits, then the narrow punctuation.
    double ems = 0;
    for (const QChar ch : text) {
        if (ch.isDigit())
            ems += 0.556;
        else if (ch == QLatin1Char(',') || ch == QLatin1Char('.') || ch == QLatin1Char(' '))
            ems += 0.278;
        else
            ems += 0.667;
    }
    return ems * pixelSize;
}

QString arrowLabel(const Project& project, int from, int slot, double days)
{
    const QString& name = project.link(from, slot).name;
    if (name.trimmed().isEmpty())
        return formatDays(days);
    QString shown = name.simplified();
    if (shown.size() > kArrowNameLength)
        shown = shown.left(kArrowNameLength - 1).trimmed() + QChar(0x2026);
    return shown + QStringLiteral(" · ") + formatDays(days);
}

namespace {

// The ranks of the levels drawing: moved towards short arrows, or the longest chain before each
// event, or after it.
enum class Ranks
{
    Balanced,
    Longest,
    Latest,
};

// The arcs laid out: all of them, or those of the critical line in a summary.
std::vector<int> drawnArcs(const Graph& g, bool summaryOnly)
{
    std::vector<int> drawn;
    if (summaryOnly) {
        for (int a : g.lineArc)
            if (a >= 0)
                drawn.push_back(a);
    } else {
        drawn.resize(g.arcs.size());
        std::iota(drawn.begin(), drawn.end(), 0);
    }
    return drawn;
}

// The column of durations is as wide as the widest of them.
double labelColumnWidth(const Project& project, const Graph& g, const std::vector<int>& drawn,
                        const LayoutMetrics& m)
{
    double labels = 24;
    for (int a : drawn)
        labels = std::max(
            labels, labelWidth(arrowLabel(project, g.arcs[a].from, g.arcs[a].slot, g.arcs[a].days),
                               m.labelFont) +
                        8);
    return labels;
}

// The x and the column of every event, and the x of each column of events that holds none.
struct EventColumns
{
    std::vector<double> x;
    std::vector<int> column;
    std::vector<double> emptyColumnX;
};

EventColumns columnsByLevel(const Graph& g, NetworkLayout& layout, double columnGap)
{
    EventColumns ec{std::vector<double>(g.n + 1, 0), std::vector<int>(g.n + 1, 0), {}};
    layout.levelWidth = columnGap;
    for (int e = 1; e <= g.n; ++e) {
        ec.x[e] = layout.xOfLevel(g.level[e]);
        ec.column[e] = 2 * g.level[e];
    }
    for (int level = 0; level <= g.maxLevel; ++level)
        ec.emptyColumnX.push_back(layout.xOfLevel(level));
    return ec;
}

// On the time scale, events less than a column's width apart share a column.
EventColumns columnsByTime(const Graph& g, const ScheduleResults& results, NetworkLayout& layout,
                           double columnGap)
{
    const int n = g.n;
    EventColumns ec{std::vector<double>(n + 1, 0), std::vector<int>(n + 1, 0), {}};
    layout.unitsPerDay = timeScale(g, results, columnGap);
    std::vector<int> position(n + 1, 0);
    for (int i = 0; i < n; ++i)
        position[g.topo[i]] = i;
    std::vector<int> byX(n);
    std::iota(byX.begin(), byX.end(), 1);
    for (int e = 1; e <= n; ++e)
        ec.x[e] = layout.xOfTime(results.earliest[e]);
    std::sort(byX.begin(), byX.end(), [&](int a, int b) {
        return ec.x[a] != ec.x[b] ? ec.x[a] < ec.x[b] : position[a] < position[b];
    });
    int cluster = 0;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && ec.x[byX[i]] - ec.x[byX[i - 1]] >= columnGap)
            ++cluster;
        ec.column[byX[i]] = 2 * cluster;
    }
    ec.emptyColumnX.assign(cluster + 1, 0);
    return ec;
}

// Moves the drawing below the axis band; returns the height of its lowest point.
double shiftBelowAxis(Layers& l, const LayoutMetrics& m, NetworkLayout& layout)
{
    double top = 0;
    double bottom = 0;
    for (const Node& node : l.nodes) {
        top = std::min(top, node.y - node.above);
        bottom = std::max(bottom, node.y + node.below);
    }
    const double shift = m.margin + m.axisBand - top;
    for (Node& node : l.nodes)
        node.y += shift;
    layout.criticalY = shift;
    return bottom + shift;
}

void storeEvents(const Layers& l, const Graph& g, const ScheduleResults& results,
                 const std::vector<double>& x, NetworkLayout& layout)
{
    layout.events.resize(g.n);
    for (int e = 1; e <= g.n; ++e) {
        LaidOutEvent& ev = layout.events[e - 1];
        const Node& node = l.nodes[l.circleOf[e]];
        ev.event = e;
        ev.centre = QPointF(x[e], node.y);
        ev.column = node.column;
        ev.level = g.level[e];
        ev.critical = results.isCritical(e);
        ev.onCriticalLine = g.onLine[e] != 0;
    }
}

NetworkLayout layoutOnce(const Project& project, const ScheduleResults& results, LayoutMode mode,
                         LayoutOrdering ordering, const LayoutMetrics& m, bool* small,
                         Ranks ranks = Ranks::Balanced)
{
    NetworkLayout layout;
    layout.mode = mode;
    layout.metrics = m;
    *small = false;
    if (results.isEmpty())
        return layout;
    Graph g = buildGraph(project, results);
    if (ranks == Ranks::Longest)
        g.level = g.longest;
    else if (ranks == Ranks::Latest)
        g.level = g.latest;
    layout.activityCount = static_cast<int>(g.arcs.size());
    layout.summaryOnly = layout.activityCount > kFullDrawingActivityLimit;
    layout.criticalLine = g.line;
    const std::vector<int> drawn = drawnArcs(g, layout.summaryOnly);
    const double labels = labelColumnWidth(project, g, drawn, m);
    const double eventBand = 2 * (m.radius + m.portMargin);
    const double columnGap = eventBand + 2 * m.channel + labels;
    layout.originX = m.margin + m.radius + m.portMargin;
    const EventColumns ec = mode == LayoutMode::Levels
                                ? columnsByLevel(g, layout, columnGap)
                                : columnsByTime(g, results, layout, columnGap);

    Layers l = buildLayers(g, ec.column, drawn);
    orderColumns(l, ordering == LayoutOrdering::Barycentre);
    placeSlots(l, ec.x, m.radius);
    placeHeights(l, m);
    placeColumns(l, ec.x, m, labels, ec.emptyColumnX);
    const double bottom = shiftBelowAxis(l, m, layout);
    storeEvents(l, g, results, ec.x, layout);
    routeChains(l, g, project, results, layout);
    double right = 0;
    for (const Column& c : l.columns)
        right = std::max(right, c.right);
    // Room beside the last column for an arrow that turns back there.
    layout.width = right + m.channel + m.margin;
    layout.height = bottom + m.margin;
    *small = l.nodes.size() <= 20000;
    return layout;
}

} // namespace

NetworkLayout layoutNetwork(const Project& project, const ScheduleResults& results, LayoutMode mode,
                            LayoutOrdering ordering, const LayoutMetrics& m)
{
    bool small = false;
    NetworkLayout layout = layoutOnce(project, results, mode, ordering, m, &small);
    if (ordering == LayoutOrdering::EventNumber || !small)
        return layout;
    // The arrows inside a column cross others in ways the ordering does not count: the plain
    // order of the numbers stays the choice when it draws fewer crossings.
    int crossings = countCrossings(layout);
    // By levels, the ranks of the longest chains before and after each event are tried too: on
    // some small networks they cross less than the ranks moved towards short arrows.
    if (mode == LayoutMode::Levels) {
        for (Ranks ranks : {Ranks::Longest, Ranks::Latest}) {
            NetworkLayout other = layoutOnce(project, results, mode, ordering, m, &small, ranks);
            const int count = countCrossings(other);
            if (count < crossings) {
                layout = std::move(other);
                crossings = count;
            }
        }
    }
    NetworkLayout plain =
        layoutOnce(project, results, mode, LayoutOrdering::EventNumber, m, &small);
    return countCrossings(plain) < crossings ? plain : layout;
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

namespace {

// A slanted or horizontal stretch of an arrow, left end first.
struct Run
{
    double x0, y0, x1, y1;
    int owner;
    double at(double x) const
    {
        if (x == x0)
            return y0;
        if (x == x1)
            return y1;
        return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    }
    double slope() const { return (y1 - y0) / (x1 - x0); }
};

// A vertical stretch of an arrow.
struct Upright
{
    double x, low, high;
    int owner;
};

// The stretches of every arrow, runs sorted by their left ends and uprights by their x, and the
// x of every end of a run, sorted and each once.
struct Stretches
{
    std::vector<Run> runs;
    std::vector<Upright> uprights;
    std::vector<double> xs;
};

Stretches stretchesOf(const NetworkLayout& layout)
{
    Stretches st;
    size_t points = 0;
    for (const LaidOutActivity& a : layout.activities)
        points += a.points.size();
    st.runs.reserve(points);
    st.xs.reserve(2 * points);
    for (int i = 0; i < static_cast<int>(layout.activities.size()); ++i) {
        const auto& pts = layout.activities[i].points;
        for (size_t j = 1; j < pts.size(); ++j) {
            QPointF a = pts[j - 1];
            QPointF b = pts[j];
            if (a.x() == b.x()) {
                if (a.y() != b.y())
                    st.uprights.push_back(
                        {a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()), i});
                continue;
            }
            if (a.x() > b.x())
                std::swap(a, b);
            st.runs.push_back({a.x(), a.y(), b.x(), b.y(), i});
            st.xs.push_back(a.x());
            st.xs.push_back(b.x());
        }
    }
    std::sort(st.xs.begin(), st.xs.end());
    st.xs.erase(std::unique(st.xs.begin(), st.xs.end()), st.xs.end());
    std::sort(st.runs.begin(), st.runs.end(),
              [](const Run& a, const Run& b) { return a.x0 < b.x0; });
    std::sort(st.uprights.begin(), st.uprights.end(),
              [](const Upright& a, const Upright& b) { return a.x < b.x; });
    return st;
}

// A run crossing the present strip, with its heights at the strip's two edges.
struct Active
{
    int run;
    double left;
    double right;
};

// Sorts the runs of a strip by their height at its left edge xl, ties by the height at its right
// edge. The first `continuing` of them came from the strip before: two of those that stand
// level on the edge and change places there cross on the edge itself, when their slopes differ.
long long sortAtLeftEdge(std::vector<Active>& next, size_t continuing, const std::vector<Run>& runs,
                         double xl)
{
    long long crossings = 0;
    for (size_t k = 1; k < next.size(); ++k) {
        const Active item = next[k];
        const bool old = k < continuing;
        size_t j = k;
        while (j > 0 && (next[j - 1].left > item.left ||
                         (next[j - 1].left == item.left && next[j - 1].right > item.right))) {
            if (old && next[j - 1].left == item.left && runs[next[j - 1].run].x0 < xl &&
                runs[next[j - 1].run].owner != runs[item.run].owner &&
                runs[next[j - 1].run].slope() != runs[item.run].slope())
                ++crossings;
            next[j] = next[j - 1];
            --j;
        }
        next[j] = item;
    }
    return crossings;
}

// The crossings of an upright at xl or inside the strip with the runs going across it.
long long uprightCrossings(const Upright& u, const std::vector<Active>& active,
                           const std::vector<Run>& runs, double xl)
{
    long long crossings = 0;
    for (const Active& a : active) {
        const Run& run = runs[a.run];
        if (run.owner == u.owner || (u.x == xl && run.x0 >= xl))
            continue;
        const double y = run.at(u.x);
        if (y > u.low && y < u.high)
            ++crossings;
    }
    return crossings;
}

// Sorts the runs of a strip by their height at its right edge: each swap of a strict inversion
// is one crossing inside the strip.
long long sortAtRightEdge(std::vector<Active>& active, const std::vector<Run>& runs)
{
    long long crossings = 0;
    for (size_t k = 1; k < active.size(); ++k) {
        const Active item = active[k];
        size_t j = k;
        while (j > 0 && active[j - 1].right > item.right) {
            if (runs[active[j - 1].run].owner != runs[item.run].owner)
                ++crossings;
            active[j] = active[j - 1];
            --j;
        }
        active[j] = item;
    }
    return crossings;
}

} // namespace

int countCrossings(const NetworkLayout& layout)
{
    // A sweep from left to right over the strips between the x of successive segment ends.
    // Every slanted or horizontal segment spans whole strips; inside a strip two of them cross
    // when their order by height at the strip's left edge and at its right edge differ, so the
    // crossings of a strip are the inversions between the two orders (counted by the swaps of an
    // insertion sort, which costs the number of crossings beside the number of segments). Two
    // segments that meet exactly on an edge, both running on across it, cross there when their
    // slopes differ. A vertical segment crosses the segments that pass strictly over its x
    // strictly between its ends.
    const Stretches st = stretchesOf(layout);
    const std::vector<Run>& runs = st.runs;
    if (runs.empty())
        return 0;
    std::vector<Active> active;
    std::vector<Active> next;
    long long crossings = 0;
    size_t started = 0;
    size_t upright = 0;
    for (size_t i = 0; i + 1 < st.xs.size(); ++i) {
        const double xl = st.xs[i];
        const double xr = st.xs[i + 1];
        // Runs ending here leave; the rest are in their order at xl (the right edge of the
        // strip before), ties included; runs starting here join at their height.
        next.clear();
        for (const Active& a : active)
            if (runs[a.run].x1 > xl)
                next.push_back({a.run, a.right, runs[a.run].at(xr)});
        const size_t continuing = next.size();
        for (; started < runs.size() && runs[started].x0 == xl; ++started)
            next.push_back({static_cast<int>(started), runs[started].y0, runs[started].at(xr)});
        crossings += sortAtLeftEdge(next, continuing, runs, xl);
        active.swap(next);
        for (; upright < st.uprights.size() && st.uprights[upright].x < xr; ++upright)
            if (st.uprights[upright].x >= xl)
                crossings += uprightCrossings(st.uprights[upright], active, runs, xl);
        crossings += sortAtRightEdge(active, runs);
    }
    return static_cast<int>(std::min<long long>(crossings, std::numeric_limits<int>::max()));
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

QRectF pointsBounds(const std::vector<QPointF>& points)
{
    if (points.empty())
        return {};
    double left = points.front().x();
    double right = left;
    double top = points.front().y();
    double bottom = top;
    for (const QPointF& q : points) {
        left = std::min(left, q.x());
        right = std::max(right, q.x());
        top = std::min(top, q.y());
        bottom = std::max(bottom, q.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace zant
