#include "exchange/network_builder.h"

#include <map>
#include <set>

// The rules that merge nodes standing for the same moment and drop the dummies that add nothing.
namespace zant::event_network {

bool NetworkBuilder::canMerge(int keep, int gone)
{
    if (keep == gone || !m_alive[keep] || !m_alive[gone])
        return false;
    if (m_milestone[keep] >= 0 && m_milestone[gone] >= 0 && m_milestone[keep] != m_milestone[gone])
        return false;
    // Two activities may not share both events, and an activity may not start and end at the
    // same event.
    std::set<std::pair<int, int>> realPairs;
    for (int a : live(m_in[keep]))
        if (m_arcs[a].isReal())
            realPairs.insert({m_arcs[a].tail, keep});
    for (int a : live(m_out[keep]))
        if (m_arcs[a].isReal())
            realPairs.insert({keep, m_arcs[a].head});
    const auto moved = [&](int node) { return node == gone ? keep : node; };
    for (const auto* list : {&live(m_in[gone]), &live(m_out[gone])}) {
        for (int a : *list) {
            const Arc& arc = m_arcs[a];
            if (!arc.isReal())
                continue;
            const std::pair<int, int> ends{moved(arc.tail), moved(arc.head)};
            if (ends.first == ends.second || !realPairs.insert(ends).second)
                return false;
        }
    }
    return true;
}

void NetworkBuilder::merge(int keep, int gone)
{
    for (int a : live(m_in[gone])) {
        Arc& arc = m_arcs[a];
        arc.head = keep;
        if (arc.tail == keep)
            arc.alive = false; // the dummy that joined them
        else
            m_in[keep].push_back(a);
    }
    for (int a : live(m_out[gone])) {
        Arc& arc = m_arcs[a];
        arc.tail = keep;
        if (arc.head == keep)
            arc.alive = false;
        else
            m_out[keep].push_back(a);
    }
    m_in[gone].clear();
    m_out[gone].clear();
    live(m_in[keep]);
    live(m_out[keep]);
    if (m_labels[gone].betterThan(m_labels[keep]))
        m_labels[keep] = m_labels[gone];
    m_anchored[keep] = m_anchored[keep] || m_anchored[gone];
    // A milestone's place in the outline numbers its event; otherwise the earliest task does
    // (the nodes of a task are made in the order of the tasks, two each).
    if (m_milestone[keep] < 0 && m_milestone[gone] >= 0)
        m_milestone[keep] = m_milestone[gone];
    if (m_milestone[keep] >= 0)
        m_key[keep] = 2 * m_milestone[keep];
    else
        m_key[keep] = std::min(m_key[keep], m_key[gone]);
    m_alive[gone] = 0;
    m_parent[gone] = keep;
    dropDuplicateDummies(keep);
}

// A dummy beside another arc between the same events says nothing more.
void NetworkBuilder::dropDuplicateDummies(int node)
{
    for (bool outgoing : {true, false}) {
        std::map<int, int> byOtherEnd; // other end -> the arc kept
        for (int a : live(outgoing ? m_out[node] : m_in[node])) {
            Arc& arc = m_arcs[a];
            const int other = outgoing ? arc.head : arc.tail;
            const auto [it, inserted] = byOtherEnd.emplace(other, a);
            if (inserted)
                continue;
            if (!arc.isReal()) {
                arc.alive = false;
            } else {
                m_arcs[it->second].alive = false; // real arcs never share both ends
                it->second = a;
            }
        }
        live(outgoing ? m_out[node] : m_in[node]);
    }
    // The lists of the other ends still name the dead arcs; live() drops them when read.
}

std::vector<int> NetworkBuilder::liveNodes() const
{
    std::vector<int> nodes;
    for (int v = 0; v < static_cast<int>(m_alive.size()); ++v)
        if (m_alive[v])
            nodes.push_back(v);
    return nodes;
}

// An event whose only incoming arc is a dummy is the same moment as the dummy's start; an
// event whose only outgoing arc is a dummy is the same moment as the dummy's end.
bool NetworkBuilder::applyMergeRules()
{
    bool changed = false;
    for (int v : liveNodes()) {
        if (!m_alive[v])
            continue;
        const auto& ins = live(m_in[v]);
        if (ins.size() == 1 && !m_arcs[ins[0]].isReal()) {
            const int u = m_arcs[ins[0]].tail;
            if (canMerge(u, v)) {
                merge(u, v);
                changed = true;
                continue;
            }
        }
        const auto& outs = live(m_out[v]);
        if (!m_anchored[v] && outs.size() == 1 && !m_arcs[outs[0]].isReal()) {
            const int w = m_arcs[outs[0]].head;
            if (canMerge(w, v)) {
                merge(w, v);
                changed = true;
            }
        }
    }
    return changed;
}

// Events reached only through dummies from the same events are the same moment (and so are
// events left only through dummies to the same events).
bool NetworkBuilder::mergeByKey(bool incoming)
{
    bool changed = false;
    std::map<std::vector<int>, std::vector<int>> groups;
    for (int v : liveNodes()) {
        // Joining events left by the same dummies moves both to the later time.
        if (!incoming && m_anchored[v])
            continue;
        std::vector<int> key;
        bool onlyDummies = true;
        for (int a : live(incoming ? m_in[v] : m_out[v])) {
            if (m_arcs[a].isReal()) {
                onlyDummies = false;
                break;
            }
            key.push_back(incoming ? m_arcs[a].tail : m_arcs[a].head);
        }
        if (!onlyDummies)
            continue;
        std::sort(key.begin(), key.end());
        groups[key].push_back(v);
    }
    for (auto& [key, nodes] : groups) {
        // Several keepers, so that a merge refused for one of them may succeed with another.
        std::vector<int> keepers;
        for (int v : nodes) {
            bool merged = false;
            for (int k : keepers) {
                if (canMerge(k, v)) {
                    merge(k, v);
                    merged = changed = true;
                    break;
                }
            }
            if (!merged)
                keepers.push_back(v);
        }
    }
    return changed;
}

// Gives the network one start (or one final) event: the events without incoming (outgoing)
// arcs that could not be merged get a common one, joined by dummies.
bool NetworkBuilder::joinEnds(bool sources)
{
    std::vector<int> ends;
    for (int v : liveNodes())
        if (live(sources ? m_in[v] : m_out[v]).empty())
            ends.push_back(v);
    if (ends.size() <= 1)
        return false;
    const int common = addNode(-1);
    for (int v : ends) {
        if (sources)
            addArc(common, v, ArcKind::Dummy, 0, INT_MAX);
        else
            addArc(v, common, ArcKind::Dummy, 0, INT_MAX);
    }
    return true;
}

// A dummy from u to v is not needed when v follows u along another path. Each dummy costs a
// search of the live arcs, O(dummies × (nodes + arcs)) a round, and the rounds repeat it until
// nothing changes: above 4,000 live nodes it is switched off, as such a network could not come
// down to the 500 events the program holds anyway.
bool NetworkBuilder::dropRedundantDummies()
{
    const std::vector<int> nodes = liveNodes();
    if (nodes.size() > 4000)
        return false; // too large to be kept anyway
    bool changed = false;
    std::vector<int> seen(m_alive.size(), -1);
    int stamp = 0;
    for (int a = 0; a < static_cast<int>(m_arcs.size()); ++a) {
        if (!m_arcs[a].alive || m_arcs[a].isReal() || m_arcs[a].given)
            continue;
        const int from = m_arcs[a].tail;
        const int to = m_arcs[a].head;
        ++stamp;
        std::vector<int> stack{from};
        seen[from] = stamp;
        bool reached = false;
        while (!stack.empty() && !reached) {
            const int u = stack.back();
            stack.pop_back();
            for (int b : live(m_out[u])) {
                if (b == a)
                    continue;
                const int w = m_arcs[b].head;
                if (w == to) {
                    reached = true;
                    break;
                }
                if (seen[w] != stamp) {
                    seen[w] = stamp;
                    stack.push_back(w);
                }
            }
        }
        if (reached) {
            m_arcs[a].alive = false;
            changed = true;
        }
    }
    return changed;
}

} // namespace zant::event_network
