#include "diagram/network_ordering.h"

#include "model/text_format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <tuple>

namespace zant::layout {

namespace {

void uniqueSort(std::vector<int>& v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

// Inversions of a sequence of values below `size`: the crossings of the arrows between two
// columns once the arrows are sorted by their left ends.
long long inversions(const std::vector<std::pair<int, int>>& pairs, int size)
{
    std::vector<int> tree(static_cast<size_t>(size) + 1, 0);
    long long count = 0;
    long long seen = 0;
    for (const auto& [left, right] : pairs) {
        // Arrows already counted whose right end lies below this one's.
        long long notAbove = 0;
        for (int i = right + 1; i > 0; i -= i & -i)
            notAbove += tree[i];
        count += seen - notAbove;
        for (int i = right + 1; i <= size; i += i & -i)
            ++tree[i];
        ++seen;
    }
    return count;
}

} // namespace

namespace {

// The activities between two different events, and each event's neighbours.
void readArcs(Graph& g, const Project& project)
{
    g.preds.resize(g.n + 1);
    g.succs.resize(g.n + 1);
    for (const Activity a : project.activities()) {
        if (a.from > g.n || a.to > g.n || a.to == a.from)
            continue;
        g.arcs.push_back({a.from, a.slot, a.to, a.days()});
        g.succs[a.from].push_back(a.to);
        g.preds[a.to].push_back(a.from);
    }
    for (int e = 1; e <= g.n; ++e) {
        uniqueSort(g.succs[e]);
        uniqueSort(g.preds[e]);
    }
}

// Kahn's order, lowest number first among the ready events.
void sortTopologically(Graph& g)
{
    std::vector<int> indegree(g.n + 1, 0);
    for (int e = 1; e <= g.n; ++e)
        for (int k : g.succs[e])
            ++indegree[k];
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
}

// The longest chain of activities before each event (the level, and `longest`) and after it
// (`latest` counts back from the last level).
void placeLevels(Graph& g)
{
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
    g.longest = g.level;
    std::vector<int> after(g.n + 1, 0);
    for (int i = g.n - 1; i >= 0; --i) {
        const int e = g.topo[i];
        for (int k : g.succs[e])
            if (position[k] > position[e])
                after[e] = std::max(after[e], after[k] + 1);
    }
    g.latest.assign(g.n + 1, 0);
    for (int e = 1; e <= g.n; ++e)
        g.latest[e] = std::max(0, g.maxLevel - after[e]);
}

// Short arrows cross fewer others: an event with more activities leaving it than entering
// it moves right, up to just before its first successor; one with more entering moves left, down
// to just after its last predecessor. Each move shortens the arrows in all.
void shortenArrows(Graph& g)
{
    std::vector<int> in(g.n + 1, 0);
    std::vector<int> out(g.n + 1, 0);
    for (const Arc& arc : g.arcs) {
        ++out[arc.from];
        ++in[arc.to];
    }
    for (int round = 0; round < 16; ++round) {
        bool moved = false;
        for (int i = g.n - 1; i >= 0; --i) {
            const int e = g.topo[i];
            if (e == 1 || e == g.n || in[e] == out[e])
                continue;
            int low = 0;
            for (int p : g.preds[e])
                low = std::max(low, g.level[p] + 1);
            int high = g.maxLevel;
            for (int k : g.succs[e])
                high = std::min(high, g.level[k] - 1);
            const int wanted = out[e] > in[e] ? high : low;
            if (wanted != g.level[e] && low <= high) {
                g.level[e] = wanted;
                moved = true;
            }
        }
        if (!moved)
            break;
    }
}

// Walks from a start along activities without float to the lowest-numbered critical event at
// each step.
std::vector<int> walkCritical(const Graph& g, const Project& project,
                              const ScheduleResults& results, int from)
{
    std::vector<int> line;
    std::vector<char> seen(g.n + 1, 0);
    for (int e = from; e >= 1 && !seen[e];) {
        seen[e] = 1;
        line.push_back(e);
        int next = 0;
        for (const Activity a : project.activities(e)) {
            const int k = a.to;
            const int s = a.slot;
            if (k > g.n || seen[k] || g.level[k] <= g.level[e])
                continue;
            if (isZeroFloat(results.linkFloatAt(e, s)) && results.isCritical(k) &&
                (next == 0 || k < next))
                next = k;
        }
        e = next;
    }
    return line;
}

// The critical path drawn on the line: from event 1, or from another event that starts the
// network when event 1 is not on the critical path; the first start whose walk reaches the final
// event wins.
void drawCriticalLine(Graph& g, const Project& project, const ScheduleResults& results)
{
    std::vector<int> starts{1};
    for (int k = 2; k <= g.n; ++k)
        if (g.preds[k].empty() && results.isCritical(k))
            starts.push_back(k);
    for (int start : starts) {
        std::vector<int> line = walkCritical(g, project, results, start);
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
    // The arc drawn along each step of the line: the first slot without float.
    std::vector<int> firstArc(g.n + 2, 0);
    for (int a = static_cast<int>(g.arcs.size()) - 1; a >= 0; --a)
        firstArc[g.arcs[a].from] = a;
    for (size_t i = 1; i < g.line.size(); ++i) {
        int found = -1;
        for (int a = firstArc[g.line[i - 1]];
             a < static_cast<int>(g.arcs.size()) && g.arcs[a].from == g.line[i - 1]; ++a) {
            if (g.arcs[a].to == g.line[i] &&
                isZeroFloat(results.linkFloatAt(g.arcs[a].from, g.arcs[a].slot))) {
                found = a;
                break;
            }
        }
        g.lineArc.push_back(found);
    }
}

} // namespace

Graph buildGraph(const Project& project, const ScheduleResults& results)
{
    Graph g;
    g.n = results.eventCount;
    readArcs(g, project);
    sortTopologically(g);
    placeLevels(g);
    shortenArrows(g);
    drawCriticalLine(g, project, results);
    return g;
}

void Neighbours::build(size_t count, const std::vector<std::pair<int, int>>& pairs)
{
    m_start.assign(count + 1, 0);
    for (const auto& [node, neighbour] : pairs)
        ++m_start[node + 1];
    for (size_t v = 0; v < count; ++v)
        m_start[v + 1] += m_start[v];
    m_items.resize(pairs.size());
    std::vector<int> next(m_start.begin(), m_start.end() - 1);
    for (const auto& [node, neighbour] : pairs)
        m_items[next[node]++] = neighbour;
}

namespace {

// Numbers the nodes column by column, so that the sweeps over a column read one stretch of memory.
void storeByColumn(Layers& l)
{
    std::vector<int> id(l.nodes.size(), -1);
    std::vector<Node> stored;
    stored.reserve(l.nodes.size());
    for (Column& column : l.columns)
        for (int& v : column.nodes) {
            id[v] = static_cast<int>(stored.size());
            stored.push_back(l.nodes[v]);
            v = id[v];
        }
    for (size_t v = 0; v < l.nodes.size(); ++v)
        if (id[v] < 0) {
            id[v] = static_cast<int>(stored.size());
            stored.push_back(l.nodes[v]);
        }
    l.nodes.swap(stored);
    for (int& v : l.circleOf)
        if (v >= 0)
            v = id[v];
    for (Chain& chain : l.chains) {
        for (int& v : chain.nodes)
            v = id[v];
        if (chain.labelNode >= 0)
            chain.labelNode = id[chain.labelNode];
    }
}

} // namespace

namespace {

int addNode(Layers& l, const Node& node)
{
    l.nodes.push_back(node);
    return static_cast<int>(l.nodes.size()) - 1;
}

// The chain of arc `a`: its source circle, a slot or one pass in each column between, its target.
void addChain(Layers& l, const Graph& g, const std::vector<int>& eventColumn, int a, bool onLine)
{
    const Arc& arc = g.arcs[a];
    Chain chain;
    chain.arc = a;
    const int from = eventColumn[arc.from];
    const int to = eventColumn[arc.to];
    const int index = static_cast<int>(l.chains.size());
    chain.nodes.push_back(l.circleOf[arc.from]);
    if (from >= to) {
        // Both events in one column: a slot of its own, placed once the column is ordered.
        chain.flat = true;
        Node slot;
        slot.kind = NodeKind::Slot;
        slot.column = from;
        slot.chain = index;
        slot.label = true;
        chain.labelNode = addNode(l, slot);
        chain.nodes.push_back(chain.labelNode);
    } else {
        for (int c = from + 1; c < to; ++c) {
            Node pass;
            pass.kind = NodeKind::Pass;
            pass.column = c;
            pass.chain = index;
            // The duration stands in the first column of durations after the source.
            pass.label = c == from + 1;
            pass.pinned = onLine;
            const int id = addNode(l, pass);
            if (pass.label)
                chain.labelNode = id;
            chain.nodes.push_back(id);
            l.columns[c].nodes.push_back(id);
        }
    }
    chain.nodes.push_back(l.circleOf[arc.to]);
    l.chains.push_back(std::move(chain));
}

// Each node's neighbours in the columns before and after it, along the chains.
void linkNeighbours(Layers& l)
{
    std::vector<std::pair<int, int>> forward;
    std::vector<std::pair<int, int>> backward;
    for (const Chain& chain : l.chains) {
        if (chain.flat)
            continue;
        for (size_t i = 1; i < chain.nodes.size(); ++i) {
            forward.push_back({chain.nodes[i - 1], chain.nodes[i]});
            backward.push_back({chain.nodes[i], chain.nodes[i - 1]});
        }
    }
    l.after.build(l.nodes.size(), forward);
    l.before.build(l.nodes.size(), backward);
}

} // namespace

Layers buildLayers(const Graph& g, const std::vector<int>& eventColumn,
                   const std::vector<int>& drawn)
{
    Layers l;
    int last = 0;
    for (int e = 1; e <= g.n; ++e)
        last = std::max(last, eventColumn[e]);
    l.columns.resize(last + 1);
    for (int c = 0; c <= last; ++c)
        l.columns[c].labels = c % 2 == 1;
    size_t passes = 0;
    for (int a : drawn)
        passes += static_cast<size_t>(
            std::max(1, std::abs(eventColumn[g.arcs[a].to] - eventColumn[g.arcs[a].from]) - 1));
    l.nodes.reserve(static_cast<size_t>(g.n) + passes);
    l.chains.reserve(drawn.size());
    l.circleOf.assign(g.n + 1, -1);
    for (int e = 1; e <= g.n; ++e) {
        Node node;
        node.kind = NodeKind::Circle;
        node.column = eventColumn[e];
        node.event = e;
        node.pinned = g.onLine[e] != 0;
        l.circleOf[e] = addNode(l, node);
        l.columns[node.column].nodes.push_back(l.circleOf[e]);
    }
    std::vector<char> onLineArc(g.arcs.size(), 0);
    for (int a : g.lineArc)
        if (a >= 0)
            onLineArc[a] = 1;
    for (int a : drawn)
        addChain(l, g, eventColumn, a, onLineArc[a] != 0);
    storeByColumn(l);
    linkNeighbours(l);
    return l;
}

namespace {

// Buffers the sweeps reuse from column to column.
struct SweepBuffers
{
    std::vector<std::pair<double, int>> passes;
    std::vector<std::pair<double, int>> others;
    std::vector<double> around;
    std::vector<std::pair<int, int>> pairs;
};

// Crossings between columns c and c + 1 when each node stands at order[node].
long long crossingsAfter(const Layers& l, int c, const std::vector<int>& order,
                         std::vector<std::pair<int, int>>& pairs)
{
    // In the order of the left ends already; only the arrows of one node need sorting.
    pairs.clear();
    for (int u : l.columns[c].nodes) {
        const size_t first = pairs.size();
        for (int v : l.after[u])
            pairs.push_back({order[u], order[v]});
        if (pairs.size() - first > 1)
            std::sort(pairs.begin() + static_cast<std::ptrdiff_t>(first), pairs.end());
    }
    return inversions(pairs, static_cast<int>(l.columns[c + 1].nodes.size()));
}

long long crossingsWith(const Layers& l, const std::vector<int>& order,
                        std::vector<std::pair<int, int>>& pairs)
{
    long long total = 0;
    for (int c = 0; c + 1 < static_cast<int>(l.columns.size()); ++c)
        total += crossingsAfter(l, c, order, pairs);
    return total;
}

// How hard the sweeps try.
struct Effort
{
    int rounds = 24;
    int transposes = 8; // passes of swaps after each round, at most
    int starts = 0;     // orders improved beside the walk's: the plain one, then shuffled ones
    // Every other pair of rounds takes equal keys in reverse order and makes the swaps that leave
    // the crossings as they are, which lets the order leave a plateau of equal counts.
    bool reverse = true;
};

// The effort shrinks as the network grows, so that the largest one is ordered in a few
// hundredths of a second. Small networks get every round, swaps until no swap helps, and several
// starting orders.
Effort effortFor(size_t nodes)
{
    const double size = static_cast<double>(nodes);
    Effort effort;
    if (nodes > 20000) {
        effort.rounds = std::clamp(static_cast<int>(6e5 / size), 2, 6);
        effort.transposes = 1;
        effort.reverse = false;
        return effort;
    }
    effort.starts = 1 + std::clamp(static_cast<int>(60000 / std::max(1.0, size)), 0, 8);
    if (nodes <= 5000)
        effort.transposes = 50;
    return effort;
}

// The sweeps that order the columns, and the best order they found. The position of each node in
// its column is kept in an array of its own rather than in the nodes: a sweep over the 200,000
// passes of a large network then reads a few bytes a node instead of the whole node.
class ColumnOrder final
{
public:
    explicit ColumnOrder(Layers& l)
        : m_l(l), m_columns(static_cast<int>(l.columns.size())), m_order(l.nodes.size(), 0),
          m_pass(l.nodes.size(), 0), m_column(l.nodes.size(), -1), m_best(m_columns)
    {
        for (size_t v = 0; v < l.nodes.size(); ++v) {
            m_pass[v] = l.nodes[v].kind == NodeKind::Pass;
            if (l.nodes[v].kind != NodeKind::Slot)
                m_column[v] = l.nodes[v].column;
        }
        for (int c = 0; c < m_columns; ++c)
            renumber(c);
    }

    void plainOrder();
    void walkOrder();
    void shuffle(std::mt19937& engine);
    // Rounds of sweeps, each down the columns and back, the first with the medians of the
    // neighbours, the next with their means, then passes of swaps; stops after six rounds
    // without a better order than the best so far.
    void improve(const Effort& effort);
    // Keeps the present order when it crosses less than the best so far.
    void saveIfBetter();
    long long bestCrossings() const { return m_bestCrossings; }
    // Puts the best order kept into the columns, and the order of each column into its nodes.
    void keepBest();
    void keepPresent();

private:
    void renumber(int c)
    {
        const auto& nodes = m_l.columns[c].nodes;
        for (int i = 0; i < static_cast<int>(nodes.size()); ++i)
            m_order[nodes[i]] = i;
    }
    double neighbourKey(int v, const Neighbours& side, double size, double otherSize, bool median);
    void sortByNeighbours(int c, const Neighbours& side, const Neighbours& back, int other,
                          bool median);
    bool transpose(int c);
    long long crossings() { return crossingsWith(m_l, m_order, m_buffers.pairs); }

    Layers& m_l;
    int m_columns;
    std::vector<int> m_order;  // position of each node in its column
    std::vector<char> m_pass;  // the node is the pass of an arrow through its column
    std::vector<int> m_column; // the column of each node, -1 for a slot (in no column yet)
    std::vector<std::vector<int>> m_best;
    long long m_bestCrossings = std::numeric_limits<long long>::max();
    SweepBuffers m_buffers;
    bool m_reverse = false; // equal keys and equal swaps taken in reverse
};

// Where a node's neighbours in `side` stand, between 0 and 1: their median (the mean of the two
// middle ones, weighted by how far the others spread, for an even count) or their mean. A node
// without neighbours there keeps its own relative position.
double ColumnOrder::neighbourKey(int v, const Neighbours& side, double size, double otherSize,
                                 bool median)
{
    if (side[v].empty())
        return (m_order[v] + 0.5) / size;
    if (side[v].size() == 1)
        return (m_order[side[v][0]] + 0.5) / otherSize;
    auto& around = m_buffers.around;
    around.clear();
    for (int u : side[v])
        around.push_back((m_order[u] + 0.5) / otherSize);
    const size_t k = around.size();
    if (!median || k <= 2) {
        double sum = 0;
        for (double a : around)
            sum += a;
        return sum / static_cast<double>(k);
    }
    std::sort(around.begin(), around.end());
    const size_t mid = k / 2;
    if (k % 2 == 1)
        return around[mid];
    const double left = around[mid - 1] - around.front();
    const double right = around.back() - around[mid];
    return left + right > 0 ? (around[mid - 1] * right + around[mid] * left) / (left + right)
                            : (around[mid - 1] + around[mid]) / 2;
}

// Sorts column c by the position of each node's neighbours in `side` (the column `other`), equal
// keys in their present order. The passes of long arrows, most of the column, need no sorting:
// each has one neighbour there, and read in the order of those neighbours (through `back`, the
// neighbours on the other side) they come in the order of their keys already. Only the circles
// are sorted and merged in, so a sweep costs about the number of nodes, whatever the lengths of
// the arrows.
void ColumnOrder::sortByNeighbours(int c, const Neighbours& side, const Neighbours& back, int other,
                                   bool median)
{
    auto& nodes = m_l.columns[c].nodes;
    const double size = static_cast<double>(nodes.size());
    const double otherSize = static_cast<double>(m_l.columns[other].nodes.size());
    const auto byKey = [this](const std::pair<double, int>& x, const std::pair<double, int>& y) {
        if (x.first != y.first)
            return x.first < y.first;
        return m_reverse ? m_order[x.second] > m_order[y.second]
                         : m_order[x.second] < m_order[y.second];
    };
    auto& passes = m_buffers.passes;
    auto& others = m_buffers.others;
    passes.clear();
    for (int u : m_l.columns[other].nodes) {
        const size_t first = passes.size();
        const double key = (m_order[u] + 0.5) / otherSize;
        for (int v : back[u])
            if (m_pass[v])
                passes.push_back({key, v});
        if (passes.size() - first > 1)
            std::sort(passes.begin() + static_cast<std::ptrdiff_t>(first), passes.end(), byKey);
    }
    others.clear();
    for (int v : nodes)
        if (!m_pass[v])
            others.push_back({neighbourKey(v, side, size, otherSize, median), v});
    std::sort(others.begin(), others.end(), byKey);
    size_t i = 0;
    size_t j = 0;
    for (int& v : nodes) {
        const bool pass = j == others.size() || (i < passes.size() && !byKey(others[j], passes[i]));
        v = pass ? passes[i++].second : others[j++].second;
    }
    renumber(c);
}

// Swaps neighbours of a column while that removes crossings with both neighbouring columns.
bool ColumnOrder::transpose(int c)
{
    auto& nodes = m_l.columns[c].nodes;
    bool improved = false;
    // The crossings two neighbours u above v make with each other's arrows on one side.
    const auto between = [this](int u, int v, const Neighbours& side) {
        long long count = 0;
        for (int a : side[u])
            for (int b : side[v])
                count += m_order[a] > m_order[b];
        return count;
    };
    const Neighbours& before = m_l.before;
    const Neighbours& after = m_l.after;
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        const int u = nodes[i];
        const int v = nodes[i + 1];
        // Comparing two nodes costs the product of their arrows on each side: pairs of circles
        // with hundreds of arrows each are left as the sweeps put them.
        if (before[u].size() * before[v].size() + after[u].size() * after[v].size() > 4096)
            continue;
        const long long now = between(u, v, before) + between(u, v, after);
        const long long swapped = between(v, u, before) + between(v, u, after);
        if (swapped < now || (m_reverse && swapped == now && now > 0)) {
            improved = improved || swapped < now;
            std::swap(nodes[i], nodes[i + 1]);
            m_order[nodes[i]] = static_cast<int>(i);
            m_order[nodes[i + 1]] = static_cast<int>(i + 1);
        }
    }
    return improved;
}

void ColumnOrder::saveIfBetter()
{
    const long long now = crossings();
    if (now >= m_bestCrossings)
        return;
    m_bestCrossings = now;
    for (int c = 0; c < m_columns; ++c)
        m_best[c] = m_l.columns[c].nodes;
}

// By event number, arrows by the numbers of their two events.
void ColumnOrder::plainOrder()
{
    std::vector<std::tuple<int, int, int>> keys(m_l.nodes.size());
    for (size_t v = 0; v < m_l.nodes.size(); ++v) {
        const Node& node = m_l.nodes[v];
        if (node.kind == NodeKind::Circle) {
            keys[v] = {node.event, -1, -1};
        } else {
            const Chain& chain = m_l.chains[node.chain];
            keys[v] = {m_l.nodes[chain.nodes.front()].event, m_l.nodes[chain.nodes.back()].event,
                       node.chain};
        }
    }
    for (int c = 0; c < m_columns; ++c) {
        auto& nodes = m_l.columns[c].nodes;
        std::sort(nodes.begin(), nodes.end(), [&keys](int a, int b) { return keys[a] < keys[b]; });
        renumber(c);
    }
}

// The order in which a walk along the arrows from the first column meets the nodes, which keeps
// the branches of the network together.
void ColumnOrder::walkOrder()
{
    std::vector<char> seen(m_l.nodes.size(), 0);
    std::vector<std::vector<int>> walked(m_columns);
    std::vector<int> stack;
    for (int c = 0; c < m_columns; ++c) {
        for (int start : m_l.columns[c].nodes) {
            if (seen[start] || m_column[start] < 0)
                continue;
            stack.assign(1, start);
            seen[start] = 1;
            while (!stack.empty()) {
                const int v = stack.back();
                stack.pop_back();
                walked[m_column[v]].push_back(v);
                const auto next = m_l.after[v];
                for (auto it = next.rbegin(); it != next.rend(); ++it)
                    if (!seen[*it]) {
                        seen[*it] = 1;
                        stack.push_back(*it);
                    }
            }
        }
    }
    for (int c = 0; c < m_columns; ++c) {
        m_l.columns[c].nodes = std::move(walked[c]);
        renumber(c);
    }
}

void ColumnOrder::shuffle(std::mt19937& engine)
{
    for (int c = 0; c < m_columns; ++c) {
        std::shuffle(m_l.columns[c].nodes.begin(), m_l.columns[c].nodes.end(), engine);
        renumber(c);
    }
}

void ColumnOrder::improve(const Effort& effort)
{
    const Neighbours& before = m_l.before;
    const Neighbours& after = m_l.after;
    int stale = 0;
    for (int round = 0; round < effort.rounds && m_bestCrossings > 0 && stale < 6; ++round) {
        const bool median = round % 2 == 0;
        m_reverse = effort.reverse && round % 4 < 2;
        for (int c = 1; c < m_columns; ++c)
            sortByNeighbours(c, before, after, c - 1, median);
        for (int c = m_columns - 2; c >= 0; --c)
            sortByNeighbours(c, after, before, c + 1, median);
        for (int pass = 0; pass < effort.transposes; ++pass) {
            bool any = false;
            for (int c = 0; c < m_columns; ++c)
                any = transpose(c) || any;
            if (!any)
                break;
        }
        m_reverse = false;
        const long long before = m_bestCrossings;
        saveIfBetter();
        stale = m_bestCrossings < before ? 0 : stale + 1;
    }
}

void ColumnOrder::keepBest()
{
    for (int c = 0; c < m_columns; ++c)
        m_l.columns[c].nodes = m_best[c];
    keepPresent();
}

void ColumnOrder::keepPresent()
{
    for (const Column& column : m_l.columns)
        for (int i = 0; i < static_cast<int>(column.nodes.size()); ++i)
            m_l.nodes[column.nodes[i]].order = i;
}

} // namespace

long long orderCrossings(const Layers& l)
{
    std::vector<int> order(l.nodes.size(), 0);
    for (const Node& node : l.nodes)
        order[static_cast<size_t>(&node - l.nodes.data())] = node.order;
    std::vector<std::pair<int, int>> pairs;
    return crossingsWith(l, order, pairs);
}

void orderColumns(Layers& l, bool sweeps)
{
    ColumnOrder order(l);
    order.plainOrder();
    if (!sweeps || l.columns.size() < 2) {
        order.keepPresent();
        return;
    }
    order.saveIfBetter();
    const Effort effort = effortFor(l.nodes.size());
    Effort forward = effort;
    forward.reverse = false;
    if (effort.starts > 0)
        order.improve(forward);
    order.walkOrder();
    order.improve(forward);
    // Then on from there, leaving plateaus.
    if (effort.reverse)
        order.improve(effort);
    std::mt19937 engine(20261209);
    for (int start = 1; start < effort.starts && order.bestCrossings() > 0; ++start) {
        order.shuffle(engine);
        order.improve(effort);
    }
    order.keepBest();
}

} // namespace zant::layout
