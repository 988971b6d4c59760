#include "exchange/task_network.h"

#include "model/cp1252.h"
#include "model/title_page.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <queue>
#include <set>

namespace zant {

namespace {

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

QString quotedTask(const QString& name)
{
    return QStringLiteral("«%1»").arg(name);
}

QString taskList(const std::vector<int>& indexes, const std::vector<NetworkTask>& tasks)
{
    QStringList names;
    const int shown = std::min<int>(static_cast<int>(indexes.size()), 6);
    for (int i = 0; i < shown; ++i)
        names << quotedTask(tasks[indexes[i]].name);
    if (static_cast<int>(indexes.size()) > shown)
        names << QStringLiteral("altre %1").arg(indexes.size() - shown);
    if (names.size() == 1)
        return names.first();
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

// The part of a name that describes the event it reaches: the program's own export calls
// milestones "Evento N: ..." and tasks "i → k: ...".
QString eventPartOf(const QString& name)
{
    static const QRegularExpression prefix(
        QStringLiteral("^(?:Evento\\s+\\d+\\s*:|\\d+\\s*(?:→|->)\\s*\\d+\\s*:)\\s*"));
    return QString(name).remove(prefix).trimmed();
}

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

bool NetworkBuilder::canMerge(int keep, int gone)
{
    if (keep == gone || !m_alive[keep] || !m_alive[gone])
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
    m_isStart[keep] = m_isStart[keep] || m_isStart[gone];
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
        if (!m_isStart[v] && outs.size() == 1 && !m_arcs[outs[0]].isReal()) {
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
        if (!incoming && m_isStart[v])
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
    const int common = addNode();
    for (int v : ends) {
        if (sources)
            addArc(common, v, ArcKind::Dummy, 0, INT_MAX);
        else
            addArc(v, common, ArcKind::Dummy, 0, INT_MAX);
    }
    return true;
}

// A dummy from u to v is not needed when v follows u along another path.
bool NetworkBuilder::dropRedundantDummies()
{
    const std::vector<int> nodes = liveNodes();
    if (nodes.size() > 4000)
        return false; // too large to be kept anyway
    bool changed = false;
    std::vector<int> seen(m_alive.size(), -1);
    int stamp = 0;
    for (int a = 0; a < static_cast<int>(m_arcs.size()); ++a) {
        if (!m_arcs[a].alive || m_arcs[a].isReal())
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

// The tasks of one cycle among the links, or nothing when there is none.
std::vector<int> findTaskCycle(int count, const std::vector<std::vector<int>>& successors)
{
    enum : char
    {
        White,
        Grey,
        Black
    };
    std::vector<char> colour(count, White);
    std::vector<std::size_t> next(count, 0);
    std::vector<int> path;
    for (int start = 0; start < count; ++start) {
        if (colour[start] != White)
            continue;
        path.assign(1, start);
        colour[start] = Grey;
        while (!path.empty()) {
            const int t = path.back();
            if (next[t] >= successors[t].size()) {
                colour[t] = Black;
                path.pop_back();
                continue;
            }
            const int s = successors[t][next[t]++];
            if (colour[s] == Grey)
                return std::vector<int>(std::find(path.begin(), path.end(), s), path.end());
            if (colour[s] == White) {
                colour[s] = Grey;
                path.push_back(s);
            }
        }
    }
    return {};
}

Result<EventNetwork> NetworkBuilder::build(const std::vector<NetworkTaskLink>& givenLinks)
{
    const int taskCount = static_cast<int>(m_tasks.size());
    if (taskCount == 0)
        return critical(QStringLiteral("Non ci sono attività da importare."));
    if (taskCount > kMaxNetworkTasks)
        return critical(QStringLiteral("Le attività sono %1: ZANT ne importa al massimo %2.")
                            .arg(taskCount)
                            .arg(kMaxNetworkTasks));

    // One link per pair of tasks, with the longest lag.
    std::map<std::pair<int, int>, double> lagOf;
    for (const NetworkTaskLink& link : givenLinks) {
        const auto key = std::make_pair(link.predecessor, link.successor);
        const auto it = lagOf.find(key);
        if (it == lagOf.end())
            lagOf.emplace(key, link.lagDays);
        else
            it->second = std::max(it->second, link.lagDays);
    }
    std::vector<std::vector<int>> successors(taskCount);
    for (const auto& [key, lag] : lagOf) {
        if (key.first == key.second)
            return critical(QStringLiteral("L'attività %1 è legata a sé stessa.")
                                .arg(quotedTask(m_tasks[key.first].name)));
        successors[key.first].push_back(key.second);
    }
    if (const std::vector<int> cycle = findTaskCycle(taskCount, successors); !cycle.empty())
        return critical(QStringLiteral("I legami delle attività %1 formano un ciclo: nessuna "
                                       "di esse può iniziare per prima.")
                            .arg(taskList(cycle, m_tasks)));

    // Reachability, to leave out the zero-lag links that other paths already imply.
    std::vector<int> order;
    {
        std::vector<int> pending(taskCount, 0);
        for (const auto& list : successors)
            for (int s : list)
                ++pending[s];
        for (int t = 0; t < taskCount; ++t)
            if (pending[t] == 0)
                order.push_back(t);
        for (std::size_t h = 0; h < order.size(); ++h)
            for (int s : successors[order[h]])
                if (--pending[s] == 0)
                    order.push_back(s);
    }
    const std::size_t words = (static_cast<std::size_t>(taskCount) + 63) / 64;
    std::vector<std::uint64_t> reach(words * taskCount, 0);
    const auto reaches = [&](int from, int to) {
        return (reach[from * words + to / 64] >> (to % 64)) & 1u;
    };
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const int t = *it;
        for (int s : successors[t]) {
            reach[t * words + s / 64] |= std::uint64_t{1} << (s % 64);
            for (std::size_t w = 0; w < words; ++w)
                reach[t * words + w] |= reach[s * words + w];
        }
    }
    std::vector<NetworkTaskLink> links;
    for (const auto& [key, lag] : lagOf) {
        const auto [from, to] = key;
        bool implied = false;
        if (lag == 0) {
            for (int s : successors[from]) {
                if (s != to && reaches(s, to)) {
                    implied = true;
                    break;
                }
            }
        }
        if (!implied)
            links.push_back({from, to, lag});
    }

    // Two events per task, one activity (or, for a zero-duration task, a dummy) between them.
    std::vector<int> startNode(taskCount), endNode(taskCount);
    for (int t = 0; t < taskCount; ++t) {
        startNode[t] = addNode();
        endNode[t] = addNode();
        m_isStart[startNode[t]] = 1;
        const QString described = storableDescription(eventPartOf(m_tasks[t].name));
        if (!(m_tasks[t].milestone && m_tasks[t].days == 0)) {
            addArc(startNode[t], endNode[t], ArcKind::Activity, m_tasks[t].days, t);
            label(endNode[t], TaskEnd, t, described);
        } else {
            addArc(startNode[t], endNode[t], ArcKind::Dummy, 0, t);
            label(startNode[t], MilestoneName, t, described);
            label(endNode[t], MilestoneName, t, described);
        }
    }
    int lagOrder = taskCount;
    for (const NetworkTaskLink& link : links) {
        if (link.lagDays > 0) {
            addArc(endNode[link.predecessor], startNode[link.successor], ArcKind::Lag, link.lagDays,
                   lagOrder);
            label(startNode[link.successor], WaitEnd, lagOrder,
                  storableDescription(QStringLiteral("Fine dell'attesa dopo ") +
                                      eventPartOf(m_tasks[link.predecessor].name)));
            ++lagOrder;
        } else {
            addArc(endNode[link.predecessor], startNode[link.successor], ArcKind::Dummy, 0,
                   INT_MAX);
        }
    }

    for (int round = 0; round < 64; ++round) {
        bool changed = false;
        while (applyMergeRules())
            changed = true;
        changed = mergeByKey(true) || changed;
        changed = mergeByKey(false) || changed;
        if (!changed) {
            changed = joinEnds(true);
            changed = joinEnds(false) || changed;
        }
        if (!changed)
            changed = dropRedundantDummies();
        if (!changed)
            break;
    }

    const std::vector<int> nodes = liveNodes();
    const int eventCount = static_cast<int>(nodes.size());
    if (eventCount > kMaxEvents)
        return critical(QStringLiteral("Per rappresentare queste attività servono %1 eventi: "
                                       "ZANT ne gestisce al massimo %2.")
                            .arg(eventCount)
                            .arg(kMaxEvents));

    // Numbers in an order where every link runs to a higher number, earlier tasks first.
    std::vector<int> number(m_alive.size(), 0);
    {
        std::vector<int> pending(m_alive.size(), 0);
        for (int v : nodes)
            pending[v] = static_cast<int>(live(m_in[v]).size());
        std::priority_queue<int, std::vector<int>, std::greater<>> ready;
        for (int v : nodes)
            if (pending[v] == 0)
                ready.push(v);
        int next = 0;
        while (!ready.empty()) {
            const int v = ready.top();
            ready.pop();
            number[v] = ++next;
            for (int a : live(m_out[v]))
                if (--pending[m_arcs[a].head] == 0)
                    ready.push(m_arcs[a].head);
        }
        if (next != eventCount)
            return critical(QStringLiteral("Le attività non formano una rete ordinabile."));
    }

    EventNetwork network;
    std::vector<Event> events(eventCount + 1);
    for (int v : nodes) {
        const int e = number[v];
        const auto& outs = live(m_out[v]);
        if (static_cast<int>(outs.size()) > kMaxLinks) {
            std::vector<int> starting;
            for (int a : outs)
                if (m_arcs[a].kind == ArcKind::Activity)
                    starting.push_back(m_arcs[a].order);
            return critical(
                QStringLiteral("Dall'evento in cui iniziano le attività %1 partirebbero "
                               "%2 legami: ZANT ne gestisce al massimo %3.")
                    .arg(taskList(starting, m_tasks))
                    .arg(outs.size())
                    .arg(kMaxLinks));
        }
        std::vector<int> sorted(outs.begin(), outs.end());
        std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
            const int ha = number[m_arcs[a].head];
            const int hb = number[m_arcs[b].head];
            return ha != hb ? ha < hb : m_arcs[a].order < m_arcs[b].order;
        });
        events[e].description =
            m_labels[v].text.isEmpty() ? QStringLiteral("Evento %1").arg(e) : m_labels[v].text;
        for (int a : sorted) {
            events[e].links.push_back({number[m_arcs[a].head], m_arcs[a].days});
            if (m_arcs[a].kind == ArcKind::Dummy)
                ++network.dummyCount;
        }
    }
    network.project.clear();
    network.project.setEventCount(eventCount);
    for (int e = 1; e <= eventCount; ++e)
        network.project.setEvent(e, std::move(events[e]));
    network.taskStartEvent.resize(taskCount);
    network.taskEndEvent.resize(taskCount);
    for (int t = 0; t < taskCount; ++t) {
        network.taskStartEvent[t] = number[find(startNode[t])];
        network.taskEndEvent[t] = number[find(endNode[t])];
    }
    return network;
}

} // namespace

Result<EventNetwork> buildEventNetwork(const std::vector<NetworkTask>& tasks,
                                       const std::vector<NetworkTaskLink>& links)
{
    return NetworkBuilder(tasks).build(links);
}

QString storableDescription(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // One character at a time, a surrogate pair as one; what the code page lacks becomes '?'.
        QString piece(c);
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            piece += text[++i];
        if (c == QLatin1Char('"'))
            out += QLatin1Char('\'');
        else if (c.unicode() < 0x20)
            out += QLatin1Char(' ');
        else if (c == QChar(0x2192))
            out += QStringLiteral("->");
        else if (firstCharOutsideCp1252(piece))
            out += QLatin1Char('?');
        else
            out += piece;
    }
    out = out.simplified();
    if (unstorableTextReason(out))
        return QString();
    return out;
}

} // namespace zant
