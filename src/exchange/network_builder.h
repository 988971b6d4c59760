#pragma once

#include "exchange/task_network.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

// The working graph from which a task network's events are made: the starts and finishes of
// tasks are nodes, activities, lags and precedences are arcs between them, and nodes are merged
// until each stands for one event.
namespace zant::event_network {

enum class ArcKind
{
    Activity, // a task that lasts
    Lag,      // the lag of a link, an activity with a name of its own
    Dummy     // a zero-day precedence
};

struct Arc
{
    int tail = 0;
    int head = 0;
    ArcKind kind = ArcKind::Dummy;
    double days = 0;
    int order = INT_MAX; // tasks first, then lags: the order of slots among equal targets
    QString name;        // the activity's name (activities and lags)
    bool alive = true;
    // A precedence the file states between two milestones: kept even where other links imply
    // it, so that a plan the program exported comes back with the same links.
    bool given = false;

    bool isReal() const { return kind != ArcKind::Dummy; }
};

// What an event is called: a milestone's name wins over the name of a task that ends there,
// which wins over the start of a task, which wins over the start or end of a summary; among
// equals the earlier task.
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
    SummaryEdge = 1,
    TaskStart = 2,
    TaskEnd = 3,
    MilestoneName = 4
};

class NetworkBuilder final
{
public:
    explicit NetworkBuilder(const std::vector<NetworkTask>& tasks) : m_tasks(tasks) {}

    EventNetworkResult build(const std::vector<NetworkTaskLink>& links);

private:
    int addNode(int task)
    {
        m_in.emplace_back();
        m_out.emplace_back();
        m_alive.push_back(1);
        m_labels.emplace_back();
        const int node = static_cast<int>(m_alive.size()) - 1;
        m_parent.push_back(node);
        m_key.push_back(node);
        m_anchored.push_back(0);
        m_milestone.push_back(-1);
        m_taskOf.push_back(task);
        return node;
    }
    int addArc(int tail, int head, ArcKind kind, double days, int order, QString name = {})
    {
        m_arcs.push_back({tail, head, kind, days, order, std::move(name), true, false});
        const int id = static_cast<int>(m_arcs.size()) - 1;
        m_out[tail].push_back(id);
        m_in[head].push_back(id);
        return id;
    }
    void label(int node, int rank, int order, const QString& text)
    {
        const Label candidate{rank, order, text};
        if (!text.isEmpty() && candidate.betterThan(m_labels[node]))
            m_labels[node] = candidate;
    }
    // The node that `node` was merged into. The union-find has no path compression, so that
    // find stays const: a call walks the chain of merges from the node, as long as the number of
    // merges at worst, and the final lookups (two per task, made once, after every merge) cost
    // O(tasks × merges) at worst. A merge itself is O(1): it joins two live nodes, both roots.
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
    // The arc a link becomes, before the longest of those between two nodes is kept.
    struct LinkArc
    {
        int tail = 0;
        int head = 0;
        double days = 0;
        QString name;
        int order = 0;
        bool given = false;
    };

    QString reference(int task) const;
    QString linkReference(const NetworkTaskLink& link) const;
    std::optional<QString> taskCountProblem() const;
    std::vector<NetworkTaskLink> longestLinks(const std::vector<NetworkTaskLink>& givenLinks) const;
    std::optional<QString> activityCountProblem(const std::vector<NetworkTaskLink>& links) const;
    void addTaskNodes(EventNetwork& network);
    std::vector<char> finishDrivenTasks(const std::vector<NetworkTaskLink>& links) const;
    void addLinks(const std::vector<NetworkTaskLink>& links, QStringList& problems,
                  EventNetwork& network);
    std::optional<LinkArc> linkArc(const NetworkTaskLink& link,
                                   const std::vector<char>& finishDriven, EventNetwork& network);
    void placeLeads(const std::vector<NetworkTaskLink>& leads, QStringList& problems,
                    EventNetwork& network);
    std::optional<QString> cycleProblem();
    void mergeEvents();
    std::vector<int> eventNumbers(const std::vector<int>& nodes);
    std::optional<QString> writeProject(const std::vector<int>& nodes,
                                        const std::vector<int>& number, EventNetwork& network);
    void addEventLinks(int e, const std::vector<int>& outs, const std::vector<int>& number,
                       std::vector<Event>& events, EventNetwork& network) const;
    bool reaches(int from, int to);
    std::optional<std::vector<double>> earliestTimes();
    std::vector<int> findCycle();
    bool canMerge(int keep, int gone);
    void merge(int keep, int gone);
    void dropDuplicateDummies(int node);
    bool applyMergeRules();
    bool mergeByKey(bool incoming);
    bool joinEnds(bool sources);
    bool dropRedundantDummies();
    std::vector<int> liveNodes() const;

    const std::vector<NetworkTask>& m_tasks;
    std::vector<int> m_startNode; // by task
    std::vector<int> m_endNode;
    std::vector<std::vector<int>> m_in;
    std::vector<std::vector<int>> m_out;
    std::vector<char> m_alive;
    std::vector<Label> m_labels;
    std::vector<int> m_parent;
    // The order in which events are numbered: the earliest task of those merged into a node.
    std::vector<int> m_key;
    // Nodes whose time is a task's early start, or a finish that links drive: they may only be
    // merged with nodes of the same time, never moved later.
    std::vector<char> m_anchored;
    // The milestone a node stands for (-1: none): two milestones are never merged, so that
    // neither loses its name.
    std::vector<int> m_milestone;
    std::vector<int> m_taskOf; // the task a node was made for
    std::vector<Arc> m_arcs;
};

// `text` in at most `limit` UTF-16 units: cut after the last whole word that fits (or inside a
// word too long for that), never inside a character, and marked with "…".
QString cutToLength(const QString& text, qsizetype limit);

// The links without the zero-lag finish-to-start ones that a chain of other finish-to-start
// links already implies (task_network.cpp).
std::vector<NetworkTaskLink> withoutImpliedLinks(const std::vector<NetworkTask>& tasks,
                                                 std::vector<NetworkTaskLink> links);

} // namespace zant::event_network
