#include "diagram/network_routing.h"

#include "model/text_format.h"

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

// Room for an arrow head between a slot and the circle its arrow enters.
constexpr double kHeadRoom = 13;
// Ports spread over this share of the radius either side of the centre.
constexpr double kPortSpread = 0.6;

void renumber(Layers& l, int c)
{
    auto& nodes = l.columns[c].nodes;
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i)
        l.nodes[nodes[i]].order = i;
}

double gapBetween(const Node& a, const Node& b, const LayoutMetrics& m)
{
    const bool circles = a.kind == NodeKind::Circle && b.kind == NodeKind::Circle;
    return a.below + b.above + (circles ? m.circleGap : m.passGap);
}

// Weighted isotonic regression with minimum distances: the heights nearest to `target` that keep
// the order of the column and its gaps, with node `pinned` (or none, -1) held at `pinnedY`.
void solveColumn(Layers& l, int c, const std::vector<double>& target,
                 const std::vector<double>& weight, const LayoutMetrics& m)
{
    const auto& nodes = l.columns[c].nodes;
    const int n = static_cast<int>(nodes.size());
    if (n == 0)
        return;
    std::vector<double> offset(n, 0);
    for (int i = 1; i < n; ++i)
        offset[i] = offset[i - 1] + gapBetween(l.nodes[nodes[i - 1]], l.nodes[nodes[i]], m);
    int pinned = -1;
    for (int i = 0; i < n && pinned < 0; ++i)
        if (l.nodes[nodes[i]].pinned)
            pinned = i;
    std::vector<double> z(n, 0);
    struct Block
    {
        double sum;
        double weight;
        int first;
        int last;
    };
    std::vector<Block> blocks;
    const auto solve = [&](int first, int last, double low, double high) {
        blocks.clear();
        for (int i = first; i < last; ++i) {
            blocks.push_back({weight[i] * (target[i] - offset[i]), weight[i], i, i});
            while (blocks.size() > 1) {
                Block& b = blocks.back();
                Block& a = blocks[blocks.size() - 2];
                if (a.sum / a.weight <= b.sum / b.weight)
                    break;
                a.sum += b.sum;
                a.weight += b.weight;
                a.last = b.last;
                blocks.pop_back();
            }
        }
        for (const Block& b : blocks)
            for (int i = b.first; i <= b.last; ++i)
                z[i] = std::clamp(b.sum / b.weight, low, high);
    };
    constexpr double kFree = 1e18;
    if (pinned < 0) {
        solve(0, n, -kFree, kFree);
    } else {
        const double zp = -offset[pinned];
        z[pinned] = zp;
        solve(0, pinned, -kFree, zp);
        solve(pinned + 1, n, zp, kFree);
    }
    for (int i = 0; i < n; ++i)
        l.nodes[nodes[i]].y = z[i] + offset[i];
}

} // namespace

void placeSlots(Layers& l, const std::vector<double>& eventX, double radius)
{
    // An arrow between two events of one column goes straight down (or up) the column where no
    // circle near its events stands between them: such a circle moves the target beside the
    // source, unless that would move the line of the critical path.
    for (const Chain& chain : l.chains) {
        if (!chain.flat)
            continue;
        const Node& s = l.nodes[chain.nodes.front()];
        const int t = chain.nodes.back();
        auto& nodes = l.columns[s.column].nodes;
        const int a = std::min(s.order, l.nodes[t].order);
        const int b = std::max(s.order, l.nodes[t].order);
        const double low = std::min(eventX[s.event], eventX[l.nodes[t].event]) - 2 * radius - 4;
        const double high = std::max(eventX[s.event], eventX[l.nodes[t].event]) + 2 * radius + 4;
        bool blocked = false;
        for (int k = a + 1; k < b && !blocked; ++k) {
            const Node& between = l.nodes[nodes[k]];
            blocked = between.kind == NodeKind::Circle && eventX[between.event] > low &&
                      eventX[between.event] < high;
        }
        if (!blocked || l.nodes[t].pinned)
            continue;
        const bool below = l.nodes[t].order > s.order;
        nodes.erase(nodes.begin() + l.nodes[t].order);
        renumber(l, s.column);
        nodes.insert(nodes.begin() + s.order + (below ? 1 : 0), t);
        renumber(l, s.column);
    }
    for (const Chain& chain : l.chains) {
        if (!chain.flat)
            continue;
        const int s = chain.nodes.front();
        const int slot = chain.nodes[1];
        const int t = chain.nodes.back();
        const int c = l.nodes[t].column;
        auto& nodes = l.columns[c].nodes;
        renumber(l, c);
        const bool down = l.nodes[s].order < l.nodes[t].order;
        const int at = l.nodes[t].order + (down ? 0 : 1);
        nodes.insert(nodes.begin() + at, slot);
        renumber(l, c);
        // The label stands on the side away from the target; the other side leaves room for the
        // arrow head.
        l.nodes[slot].labelBelow = !down;
    }
}

void placeHeights(Layers& l, const LayoutMetrics& m)
{
    for (Node& node : l.nodes) {
        switch (node.kind) {
        case NodeKind::Circle:
            node.above = node.below = m.radius;
            break;
        case NodeKind::Pass:
            node.above = node.label ? m.labelHeight + 2 : 0;
            node.below = 0;
            break;
        case NodeKind::Slot:
            node.above = node.labelBelow ? kHeadRoom : m.labelHeight + 2;
            node.below = node.labelBelow ? m.labelHeight + 2 : kHeadRoom;
            break;
        }
    }
    const int columns = static_cast<int>(l.columns.size());
    // One pinned node a column: a second event of the line in a column stands beside the first.
    for (int c = 0; c < columns; ++c) {
        bool seen = false;
        for (int v : l.columns[c].nodes) {
            if (l.nodes[v].pinned && seen)
                l.nodes[v].pinned = false;
            seen = seen || l.nodes[v].pinned;
        }
    }
    std::vector<double> target;
    std::vector<double> weight;
    // Start: each column stacked tightly around its pinned node, or centred.
    for (int c = 0; c < columns; ++c) {
        const auto& nodes = l.columns[c].nodes;
        target.assign(nodes.size(), 0);
        weight.assign(nodes.size(), 1);
        solveColumn(l, c, target, weight, m);
    }
    const auto pull = [&](int c, bool left, bool right) {
        const auto& nodes = l.columns[c].nodes;
        target.assign(nodes.size(), 0);
        weight.assign(nodes.size(), 0);
        for (size_t i = 0; i < nodes.size(); ++i) {
            const int v = nodes[i];
            const Node& node = l.nodes[v];
            double sum = 0;
            double w = 0;
            const auto add = [&](std::span<const int> around) {
                for (int u : around) {
                    const int passes = int(l.nodes[u].kind != NodeKind::Circle) +
                                       int(node.kind != NodeKind::Circle);
                    const double k = passes == 2 ? 8 : passes == 1 ? 2 : 1;
                    sum += k * l.nodes[u].y;
                    w += k;
                }
            };
            if (left)
                add(l.before[v]);
            if (right)
                add(l.after[v]);
            if (w == 0) {
                target[i] = node.y;
                weight[i] = 0.05;
            } else {
                target[i] = sum / w;
                weight[i] = w;
            }
        }
        solveColumn(l, c, target, weight, m);
    };
    // Fewer rounds for the largest networks, whose arrows are mostly long straight runs.
    const int rounds = l.nodes.size() > 100000 ? 1 : l.nodes.size() > 20000 ? 2 : 4;
    for (int round = 0; round < rounds; ++round) {
        for (int c = 1; c < columns; ++c)
            pull(c, true, round >= rounds / 2);
        for (int c = columns - 2; c >= 0; --c)
            pull(c, round >= rounds / 2, true);
    }
}

void placeColumns(Layers& l, const std::vector<double>& eventX, const LayoutMetrics& m,
                  double labelColumnWidth, const std::vector<double>& emptyColumnX)
{
    const int columns = static_cast<int>(l.columns.size());
    for (int c = 0; c < columns; c += 2) {
        double low = emptyColumnX[c / 2];
        double high = low;
        bool first = true;
        for (int v : l.columns[c].nodes) {
            if (l.nodes[v].kind != NodeKind::Circle)
                continue;
            const double x = eventX[l.nodes[v].event];
            low = first ? x : std::min(low, x);
            high = first ? x : std::max(high, x);
            first = false;
        }
        l.columns[c].left = low - m.radius - m.portMargin;
        l.columns[c].right = high + m.radius + m.portMargin;
    }
    for (int c = 1; c < columns; c += 2) {
        const double middle = (l.columns[c - 1].right + l.columns[c + 1].left) / 2;
        l.columns[c].left = middle - labelColumnWidth / 2;
        l.columns[c].right = middle + labelColumnWidth / 2;
    }
}

namespace {

struct Vertical
{
    double x;
    double low;
    double high;
};

bool clashes(const std::vector<Vertical>& used, double x, double low, double high)
{
    for (const Vertical& v : used)
        if (std::abs(v.x - x) < 3 && v.low < high && low < v.high)
            return true;
    return false;
}

// The point of a circle's top (dir -1) or bottom (dir 1) at x.
QPointF rim(QPointF centre, double r, double x, int dir)
{
    const double dx = x - centre.x();
    return {x, centre.y() + dir * std::sqrt(std::max(0.0, r * r - dx * dx))};
}

// Spread offsets, top to bottom, for `count` ports.
double portOffset(int index, int count, double r)
{
    if (count <= 1)
        return 0;
    return -kPortSpread * r + 2 * kPortSpread * r * index / (count - 1);
}

// The way of an arrow between two events of one column: down from the source's rim at x1 to its
// slot, along the slot, down into the target's rim at x2; a detour turns at x1 beside the column
// when circles stand in the way.
struct Flat
{
    double x1 = 0;
    double x2 = 0;
    bool detour = false;
};

// What the routing of one layout shares: the layers, the placed events, the circle's radius.
struct Routing
{
    const Layers& l;
    const NetworkLayout& layout;
    double r;
    QPointF centre(int node) const { return layout.eventAt(l.nodes[node].event).centre; }
};

// Offsets from the middle of the target tried in turn, in radii: straight down into the target's
// middle shows the length of the activity best.
constexpr double kSteps[] = {0, 0.3, -0.3, 0.55, -0.55, 0.15, -0.15, 0.42, -0.42};

// The way of one flat chain, keeping clear of the uprights already drawn in its column
// (`verticals`, to which its own are added).
Flat routeFlat(const Routing& k, const Chain& chain, std::vector<Vertical>& verticals, int& detours)
{
    const Layers& l = k.l;
    const double r = k.r;
    const int s = chain.nodes.front();
    const int f = chain.nodes[1];
    const int t = chain.nodes.back();
    const int c = l.nodes[t].column;
    const QPointF cs = k.centre(s);
    const QPointF ct = k.centre(t);
    const double yf = l.nodes[f].y;
    const double low1 = std::min(cs.y(), yf);
    const double high1 = std::max(cs.y(), yf);
    std::vector<double> blockers;
    const auto& nodes = l.columns[c].nodes;
    const int a = std::min(l.nodes[s].order, l.nodes[f].order);
    const int b = std::max(l.nodes[s].order, l.nodes[f].order);
    for (int i = a + 1; i < b; ++i)
        if (l.nodes[nodes[i]].kind == NodeKind::Circle)
            blockers.push_back(k.centre(nodes[i]).x());
    const double low2 = std::min(ct.y(), yf);
    const double high2 = std::max(ct.y(), yf);
    const auto reachOf = [&](double x2) { return std::abs(x2 - ct.x()) <= 0.56 * r; };
    Flat flat;
    flat.detour = true;
    for (double step : kSteps) {
        const double x1 = cs.x() + step * r;
        bool free = !clashes(verticals, x1, low1, high1);
        for (double x : blockers)
            free = free && std::abs(x - x1) >= r + 3;
        if (!free)
            continue;
        // The way into the target: straight on when x1 is over its circle, else the nearest
        // free point of its rim to the right.
        for (double into : kSteps) {
            const double x2 = ct.x() + into * r;
            if (x2 < x1 - 1e-9 || !reachOf(x2) || clashes(verticals, x2, low2, high2))
                continue;
            flat.x1 = x1;
            flat.x2 = x2;
            flat.detour = false;
            break;
        }
        if (!flat.detour)
            break;
    }
    if (flat.detour) {
        for (double into : kSteps) {
            const double x2 = ct.x() + into * r;
            if (!clashes(verticals, x2, low2, high2)) {
                flat.x2 = x2;
                break;
            }
        }
        flat.x1 = l.columns[c].right + 3 + 3 * (detours++ % 4);
    } else {
        verticals.push_back({flat.x1, low1, high1});
    }
    verticals.push_back({flat.x2, low2, high2});
    return flat;
}

// The ways of the arrows between two events of one column, in the order of the chains. Each
// checks its uprights against all those of its column before it: quadratic in the flat arrows of
// one column, which are few.
std::vector<Flat> routeFlats(const Routing& k)
{
    const Layers& l = k.l;
    std::vector<Flat> flats(l.chains.size());
    std::vector<std::vector<Vertical>> verticals(l.columns.size());
    std::vector<int> detours(l.columns.size(), 0);
    for (size_t i = 0; i < l.chains.size(); ++i) {
        const Chain& chain = l.chains[i];
        if (!chain.flat)
            continue;
        const int c = l.nodes[chain.nodes.back()].column;
        flats[i] = routeFlat(k, chain, verticals[c], detours[c]);
    }
    return flats;
}

// The heights at which the arrows leave and enter their circles. Arrows leave a circle on its
// right, sorted by the height of where they go, and enter on its left, sorted by where they come
// from.
struct Ports
{
    std::vector<double> out;
    std::vector<double> in;
};

Ports spreadPorts(const Layers& l, int events, const std::vector<Flat>& flats, double r)
{
    const int chains = static_cast<int>(l.chains.size());
    Ports ports{std::vector<double>(chains, 0), std::vector<double>(chains, 0)};
    // By event: only circles have ports.
    const auto eventOf = [&](int node) { return l.nodes[node].event; };
    std::vector<std::vector<std::pair<double, int>>> outs(events + 1);
    std::vector<std::vector<std::pair<double, int>>> ins(events + 1);
    for (int i = 0; i < chains; ++i) {
        const Chain& chain = l.chains[i];
        if (chain.flat) {
            if (flats[i].detour)
                outs[eventOf(chain.nodes.front())].push_back({l.nodes[chain.nodes[1]].y, i});
            continue;
        }
        outs[eventOf(chain.nodes.front())].push_back({l.nodes[chain.nodes[1]].y, i});
        ins[eventOf(chain.nodes.back())].push_back(
            {l.nodes[chain.nodes[chain.nodes.size() - 2]].y, i});
    }
    for (size_t v = 0; v < outs.size(); ++v) {
        std::sort(outs[v].begin(), outs[v].end());
        std::sort(ins[v].begin(), ins[v].end());
        const int no = static_cast<int>(outs[v].size());
        const int ni = static_cast<int>(ins[v].size());
        for (int i = 0; i < no; ++i)
            ports.out[outs[v][i].second] = portOffset(i, no, r);
        for (int i = 0; i < ni; ++i)
            ports.in[ins[v][i].second] = portOffset(i, ni, r);
    }
    return ports;
}

// The corners of chain i's arrow, from its source's rim to its target's.
std::vector<QPointF> chainCorners(const Routing& k, int i, const Flat& flat, const Ports& ports)
{
    const Layers& l = k.l;
    const double r = k.r;
    const Chain& chain = l.chains[i];
    const int s = chain.nodes.front();
    const int t = chain.nodes.back();
    const QPointF cs = k.centre(s);
    const QPointF ct = k.centre(t);
    std::vector<QPointF> pts;
    const auto exitAt = [&](double off) {
        return QPointF(cs.x() + std::sqrt(r * r - off * off), cs.y() + off);
    };
    if (chain.flat) {
        const Node& f = l.nodes[chain.nodes[1]];
        const int dir = l.nodes[s].order < l.nodes[t].order ? 1 : -1;
        if (flat.detour) {
            const double off = ports.out[i];
            pts = {exitAt(off), QPointF(flat.x1, cs.y() + off), QPointF(flat.x1, f.y),
                   QPointF(flat.x2, f.y)};
        } else {
            pts = {rim(cs, r, flat.x1, dir), QPointF(flat.x1, f.y), QPointF(flat.x2, f.y)};
        }
        pts.push_back(rim(ct, r, flat.x2, -dir));
        return pts;
    }
    const double off = ports.out[i];
    pts.push_back(exitAt(off));
    pts.emplace_back(l.columns[l.nodes[s].column].right, cs.y() + off);
    for (size_t n = 1; n + 1 < chain.nodes.size(); ++n) {
        const Node& p = l.nodes[chain.nodes[n]];
        pts.emplace_back(l.columns[p.column].left, p.y);
        pts.emplace_back(l.columns[p.column].right, p.y);
    }
    const double in = ports.in[i];
    pts.emplace_back(l.columns[l.nodes[t].column].left, ct.y() + in);
    pts.emplace_back(ct.x() - std::sqrt(r * r - in * in), ct.y() + in);
    return pts;
}

// The corners without repeated points and without points inside a straight run.
std::vector<QPointF> withoutStraightRuns(const std::vector<QPointF>& pts)
{
    std::vector<QPointF> out;
    out.reserve(pts.size());
    for (const QPointF& p : pts) {
        if (!out.empty() && std::abs(p.x() - out.back().x()) < 1e-9 &&
            std::abs(p.y() - out.back().y()) < 1e-9)
            continue;
        if (out.size() < 2) {
            out.push_back(p);
            continue;
        }
        const QPointF& p0 = out[out.size() - 2];
        const QPointF& p1 = out.back();
        const bool horizontal = std::abs(p0.y() - p1.y()) < 1e-9 &&
                                std::abs(p1.y() - p.y()) < 1e-9 &&
                                (p1.x() - p0.x()) * (p.x() - p1.x()) >= 0;
        const bool vertical = std::abs(p0.x() - p1.x()) < 1e-9 && std::abs(p1.x() - p.x()) < 1e-9 &&
                              (p1.y() - p0.y()) * (p.y() - p1.y()) >= 0;
        if (horizontal || vertical)
            out.back() = p;
        else
            out.push_back(p);
    }
    return out;
}

// The duration and name, over the chain's own pass or slot.
void placeLabel(const Routing& k, const Chain& chain, const Flat& flat, const Project& project,
                const Arc& arc, LaidOutActivity& a)
{
    const LayoutMetrics& m = k.layout.metrics;
    const Node& label = k.l.nodes[chain.labelNode];
    const Column& column = k.l.columns[label.column];
    a.label = arrowLabel(project, arc.from, arc.slot, arc.days);
    // Beside an arrow down a column there is the column's width only: a name that does not fit
    // there is left to the tool-tip.
    if (chain.flat && labelWidth(a.label, m.labelFont) + 14 > column.right - column.left)
        a.label = formatDays(arc.days);
    const double w = labelWidth(a.label, m.labelFont) + 4;
    const double top = label.labelBelow ? label.y + 1 : label.y - m.labelHeight - 1;
    if (!chain.flat) {
        a.labelBox = QRectF((column.left + column.right) / 2 - w / 2, top, w, m.labelHeight);
        return;
    }
    double left = flat.x2 + 5;
    if (left + w > column.right)
        left = flat.x2 - 5 - w;
    if (left < column.left)
        left = std::max(column.left, column.right - w);
    a.labelBox = QRectF(left, top, w, m.labelHeight);
}

} // namespace

void routeChains(const Layers& l, const Graph& g, const Project& project,
                 const ScheduleResults& results, NetworkLayout& layout)
{
    const Routing k{l, layout, layout.metrics.radius};
    const std::vector<Flat> flats = routeFlats(k);
    const Ports ports = spreadPorts(l, g.n, flats, k.r);
    const int chains = static_cast<int>(l.chains.size());
    layout.activities.reserve(l.chains.size());
    for (int i = 0; i < chains; ++i) {
        const Chain& chain = l.chains[i];
        const Arc& arc = g.arcs[chain.arc];
        LaidOutActivity a;
        a.from = arc.from;
        a.slot = arc.slot;
        a.to = arc.to;
        a.days = arc.days;
        a.critical = isZeroFloat(results.linkFloatAt(arc.from, arc.slot));
        a.dummy = project.isDummy(arc.from, arc.slot);
        a.detour = chain.flat && flats[i].detour;
        a.points = withoutStraightRuns(chainCorners(k, i, flats[i], ports));
        placeLabel(k, chain, flats[i], project, arc, a);
        a.bounds = pointsBounds(a.points);
        // The time-scaled arrow is solid for its duration, dotted for its free float.
        if (layout.mode == LayoutMode::TimeScale && !a.detour &&
            results.linkFreeFloatAt(arc.from, arc.slot) > 1e-9) {
            const double reach = k.centre(chain.nodes.front()).x() + arc.days * layout.unitsPerDay;
            if (reach < a.points.back().x() - 0.5)
                a.floatFromX = std::max(reach, a.points.front().x());
        }
        layout.activities.push_back(std::move(a));
    }
    // The activities in the order of their events and slots.
    std::sort(layout.activities.begin(), layout.activities.end(),
              [](const LaidOutActivity& x, const LaidOutActivity& y) {
                  return std::tie(x.from, x.slot) < std::tie(y.from, y.slot);
              });
}

} // namespace zant::layout
