#include "diagram/network_ordering.h"

#include "model/text_format.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zant::layout {

namespace {

void uniqueSort(std::vector<int>& v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
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

} // namespace

Graph buildGraph(const Project& project, const ScheduleResults& results)
{
    Graph g;
    g.n = results.eventCount;
    g.preds.resize(g.n + 1);
    g.succs.resize(g.n + 1);
    std::vector<int> indegree(g.n + 1, 0);
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

} // namespace zant::layout
