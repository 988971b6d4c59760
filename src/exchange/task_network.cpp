#include "exchange/task_network.h"
#include "exchange/network_builder.h"

#include "model/cp1252.h"
#include "model/title_page.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <map>
#include <queue>

namespace zant {

namespace {

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

// The links without the zero-lag ones that another path already implies: task `to` follows
// `from` through another of its successors. A search from the successors of each task, which
// looks no further than the latest of its targets in a topological order; past a budget of steps
// the remaining links are kept, which changes no date and at most adds a dummy.
std::vector<NetworkTaskLink> withoutImpliedLinks(int taskCount,
                                                 const std::vector<std::vector<int>>& successors,
                                                 const std::map<std::pair<int, int>, double>& lagOf)
{
    constexpr long long kStepBudget = 50'000'000;
    std::vector<int> position(taskCount, 0);
    {
        std::vector<int> pending(taskCount, 0);
        for (const auto& list : successors)
            for (int s : list)
                ++pending[s];
        std::vector<int> order;
        for (int t = 0; t < taskCount; ++t)
            if (pending[t] == 0)
                order.push_back(t);
        for (std::size_t h = 0; h < order.size(); ++h)
            for (int s : successors[order[h]])
                if (--pending[s] == 0)
                    order.push_back(s);
        for (std::size_t i = 0; i < order.size(); ++i)
            position[order[i]] = static_cast<int>(i);
    }
    std::vector<int> reachedAt(taskCount, -1);
    std::vector<int> expandedAt(taskCount, -1);
    std::vector<int> stack;
    long long steps = 0;
    std::vector<NetworkTaskLink> links;
    auto it = lagOf.begin();
    while (it != lagOf.end()) {
        const int from = it->first.first;
        auto last = it;
        int latest = -1;
        bool zeroLag = false;
        for (; last != lagOf.end() && last->first.first == from; ++last) {
            if (last->second == 0) {
                zeroLag = true;
                latest = std::max(latest, position[last->first.second]);
            }
        }
        if (zeroLag && successors[from].size() > 1 && steps < kStepBudget) {
            stack.clear();
            for (int s : successors[from]) {
                if (position[s] < latest) {
                    expandedAt[s] = from;
                    stack.push_back(s);
                }
            }
            while (!stack.empty() && steps < kStepBudget) {
                const int u = stack.back();
                stack.pop_back();
                for (int w : successors[u]) {
                    ++steps;
                    reachedAt[w] = from;
                    if (position[w] < latest && expandedAt[w] != from) {
                        expandedAt[w] = from;
                        stack.push_back(w);
                    }
                }
            }
        }
        // A search cut short by the budget still found true paths.
        for (; it != last; ++it) {
            const auto [pair, lag] = *it;
            if (!(lag == 0 && reachedAt[pair.second] == from))
                links.push_back({pair.first, pair.second, lag});
        }
    }
    return links;
}

} // namespace

namespace event_network {

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

    // Every task that lasts and every wait becomes an activity, and no two activities join the
    // same two events.
    long long activities = 0;
    for (const NetworkTask& task : m_tasks)
        activities += task.milestone && task.days == 0 ? 0 : 1;
    for (const auto& [key, lag] : lagOf)
        activities += lag > 0 ? 1 : 0;
    if (activities > static_cast<long long>(kMaxEvents) * (kMaxEvents - 1) / 2)
        return critical(QStringLiteral("Le attività e le attese sono %1: per rappresentarle "
                                       "servirebbero più dei %2 eventi che ZANT gestisce.")
                            .arg(activities)
                            .arg(kMaxEvents));

    const std::vector<NetworkTaskLink> links = withoutImpliedLinks(taskCount, successors, lagOf);

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

} // namespace event_network

Result<EventNetwork> buildEventNetwork(const std::vector<NetworkTask>& tasks,
                                       const std::vector<NetworkTaskLink>& links)
{
    return event_network::NetworkBuilder(tasks).build(links);
}

QString storableDescription(const QString& text)
{
    // Every character is kept (the data file's extended section holds what its traditional
    // records cannot); line breaks and other control characters become blanks, as a one-line
    // description wants.
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            out[i] = QLatin1Char(' ');
        } else if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            out[i] = QLatin1Char('?'); // half a character: no text can hold it
        }
    }
    return out.simplified();
}

} // namespace zant
