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

namespace {

NetworkLayout layoutOnce(const Project& project, const ScheduleResults& results, LayoutMode mode,
                         LayoutOrdering ordering, const LayoutMetrics& m, bool* small,
                         bool longestChains = false)
{
    NetworkLayout layout;
    layout.mode = mode;
    layout.metrics = m;
    *small = false;
    if (results.isEmpty())
        return layout;
    Graph g = buildGraph(project, results);
    if (longestChains)
        g.level = g.longest;
    const int n = g.n;
    layout.activityCount = static_cast<int>(g.arcs.size());
    layout.summaryOnly = layout.activityCount > kFullDrawingActivityLimit;
    layout.criticalLine = g.line;
    std::vector<int> drawn;
    if (layout.summaryOnly) {
        for (int a : g.lineArc)
            if (a >= 0)
                drawn.push_back(a);
    } else {
        drawn.resize(g.arcs.size());
        std::iota(drawn.begin(), drawn.end(), 0);
    }
    // The column of durations is as wide as the widest of them.
    double labels = 24;
    for (int a : drawn)
        labels = std::max(labels, labelWidth(formatDays(g.arcs[a].days), m.labelFont) + 8);
    const double eventBand = 2 * (m.radius + m.portMargin);
    const double columnGap = eventBand + 2 * m.channel + labels;

    std::vector<double> x(n + 1, 0);
    std::vector<int> column(n + 1, 0);
    std::vector<double> emptyColumnX;
    layout.originX = m.margin + m.radius + m.portMargin;
    if (mode == LayoutMode::Levels) {
        layout.levelWidth = columnGap;
        for (int e = 1; e <= n; ++e) {
            x[e] = layout.xOfLevel(g.level[e]);
            column[e] = 2 * g.level[e];
        }
        for (int level = 0; level <= g.maxLevel; ++level)
            emptyColumnX.push_back(layout.xOfLevel(level));
    } else {
        layout.unitsPerDay = timeScale(g, results, columnGap);
        std::vector<int> position(n + 1, 0);
        for (int i = 0; i < n; ++i)
            position[g.topo[i]] = i;
        std::vector<int> byX(n);
        std::iota(byX.begin(), byX.end(), 1);
        for (int e = 1; e <= n; ++e)
            x[e] = layout.xOfTime(results.earliest[e]);
        std::sort(byX.begin(), byX.end(), [&](int a, int b) {
            return x[a] != x[b] ? x[a] < x[b] : position[a] < position[b];
        });
        int cluster = 0;
        for (int i = 0; i < n; ++i) {
            if (i > 0 && x[byX[i]] - x[byX[i - 1]] >= columnGap)
                ++cluster;
            column[byX[i]] = 2 * cluster;
        }
        emptyColumnX.assign(cluster + 1, 0);
    }

    Layers l = buildLayers(g, column, drawn);
    orderColumns(l, ordering == LayoutOrdering::Barycentre);
    placeSlots(l, x, m.radius);
    placeHeights(l, m);
    placeColumns(l, x, m, labels, emptyColumnX);
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
    layout.events.resize(n);
    for (int e = 1; e <= n; ++e) {
        LaidOutEvent& ev = layout.events[e - 1];
        const Node& node = l.nodes[l.circleOf[e]];
        ev.event = e;
        ev.centre = QPointF(x[e], node.y);
        ev.column = node.column;
        ev.level = g.level[e];
        ev.critical = results.isCritical(e);
        ev.onCriticalLine = g.onLine[e] != 0;
    }
    routeChains(l, g, project, results, layout);
    double right = 0;
    for (const Column& c : l.columns)
        right = std::max(right, c.right);
    // Room beside the last column for an arrow that turns back there.
    layout.width = right + m.channel + m.margin;
    layout.height = bottom + shift + m.margin;
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
    // By levels, the ranks of the longest chains are tried too: on some small networks they
    // cross less than the ranks moved towards short arrows.
    if (mode == LayoutMode::Levels) {
        NetworkLayout longest = layoutOnce(project, results, mode, ordering, m, &small, true);
        const int other = countCrossings(longest);
        if (other < crossings) {
            layout = std::move(longest);
            crossings = other;
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
