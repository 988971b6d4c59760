#pragma once

#include "exchange/task_network.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <vector>

// The working graph from which a task network's events are made: tasks are arcs between nodes,
// and nodes are merged until each stands for one event.
namespace zant::event_network {

enum class ArcKind
{
    Activity,
    Lag,
    Dummy
};

struct Arc
{
    int tail = 0;
    int head = 0;
    ArcKind kind = ArcKind::Dummy;
    double days = 0;
    int order = 0; // tasks first, then lags: the order of slots among equal targets
    bool alive = true;

    bool isReal() const { return kind != ArcKind::Dummy; }
};

// What an event is called: a milestone's name wins over the name of a task that ends there,
// which wins over a wait; among equals the earlier task.
struct Label
{
    int rank = 0;
    int order = INT_MAX;
    QString text;

    bool betterThan(const Label& other) const
    {
        return rank > other.rank || (rank == other.rank && order < other.order);
    }
};

enum LabelRank
{
    NoLabel = 0,
    WaitEnd = 1,
    TaskEnd = 2,
    MilestoneName = 3
};

class NetworkBuilder final
{
public:
    explicit NetworkBuilder(const std::vector<NetworkTask>& tasks) : m_tasks(tasks) {}

    Result<EventNetwork> build(const std::vector<NetworkTaskLink>& links);

private:
    int addNode()
    {
        m_in.emplace_back();
        m_out.emplace_back();
        m_alive.push_back(1);
        m_labels.emplace_back();
        m_parent.push_back(static_cast<int>(m_parent.size()));
        m_isStart.push_back(0);
        return static_cast<int>(m_alive.size()) - 1;
    }
    void addArc(int tail, int head, ArcKind kind, double days, int order)
    {
        m_arcs.push_back({tail, head, kind, days, order, true});
        const int id = static_cast<int>(m_arcs.size()) - 1;
        m_out[tail].push_back(id);
        m_in[head].push_back(id);
    }
    void label(int node, int rank, int order, const QString& text)
    {
        const Label candidate{rank, order, text};
        if (!text.isEmpty() && candidate.betterThan(m_labels[node]))
            m_labels[node] = candidate;
    }
    int find(int node) const
    {
        while (m_parent[node] != node)
            node = m_parent[node];
        return node;
    }
    // The live arcs of a list, dropping the dead ones from it.
    const std::vector<int>& live(std::vector<int>& list)
    {
        list.erase(
            std::remove_if(list.begin(), list.end(), [this](int a) { return !m_arcs[a].alive; }),
            list.end());
        return list;
    }
    bool canMerge(int keep, int gone);
    void merge(int keep, int gone);
    void dropDuplicateDummies(int node);
    bool applyMergeRules();
    bool mergeByKey(bool incoming);
    bool joinEnds(bool sources);
    bool dropRedundantDummies();
    std::vector<int> liveNodes() const;

    const std::vector<NetworkTask>& m_tasks;
    std::vector<std::vector<int>> m_in;
    std::vector<std::vector<int>> m_out;
    std::vector<char> m_alive;
    std::vector<Label> m_labels;
    std::vector<int> m_parent;
    // Events where a task starts: their time is that task's early start, so they may only be
    // merged with events of the same time, never moved later.
    std::vector<char> m_isStart;
    std::vector<Arc> m_arcs;
};

} // namespace zant::event_network
