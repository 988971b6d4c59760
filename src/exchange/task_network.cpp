#include "exchange/task_network.h"
#include "exchange/network_builder.h"

#include "model/text_format.h"

#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <map>
#include <queue>
#include <tuple>

namespace zant {

namespace {

// Days that differ by less are the same time.
constexpr double kTimeTolerance = 1e-9;

// `text` in at most `limit` UTF-16 units: cut after the last whole word that fits (or inside a
// word too long for that), never inside a character, and marked with "…".
QString cutToLength(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype end = limit - 1; // room for the mark
    if (end > 0 && text[end - 1].isHighSurrogate())
        --end;
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), end);
    if (blank > limit / 2)
        end = blank;
    QString cut = text.left(end);
    while (!cut.isEmpty() && (cut.back().isSpace() || cut.back().isPunct()))
        cut.chop(1);
    return cut + QStringLiteral("…");
}

bool startsFromFinish(TaskLinkType type)
{
    return type == TaskLinkType::FinishToStart || type == TaskLinkType::FinishToFinish;
}

bool endsAtStart(TaskLinkType type)
{
    return type == TaskLinkType::FinishToStart || type == TaskLinkType::StartToStart;
}

// The links without the zero-lag finish-to-start ones that a chain of other finish-to-start
// links already implies (f(a) ≤ s(b) ≤ f(b) ≤ s(c)): a search from the successors of each task,
// which looks no further than the latest of its targets in a topological order; past a budget
// of steps the remaining links are kept, which changes no date and at most adds a dummy. Links
// between two milestones are kept: the file states them as precedences of their own.
std::vector<NetworkTaskLink> withoutImpliedLinks(const std::vector<NetworkTask>& tasks,
                                                 std::vector<NetworkTaskLink> links)
{
    constexpr long long kStepBudget = 50'000'000;
    const int taskCount = static_cast<int>(tasks.size());
    const auto isMoment = [&](int t) { return tasks[t].milestone && tasks[t].days == 0; };
    std::vector<std::vector<int>> successors(taskCount);
    for (const NetworkTaskLink& l : links)
        if (l.type == TaskLinkType::FinishToStart && l.lagDays >= 0)
            successors[l.predecessor].push_back(l.successor);
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
        if (static_cast<int>(order.size()) < taskCount)
            return links; // a cycle, which the event network names
        for (std::size_t i = 0; i < order.size(); ++i)
            position[order[i]] = static_cast<int>(i);
    }
    // Links sorted by predecessor, so that each search serves all the links of one task.
    std::stable_sort(links.begin(), links.end(),
                     [](const NetworkTaskLink& a, const NetworkTaskLink& b) {
                         return a.predecessor < b.predecessor;
                     });
    const auto removable = [&](const NetworkTaskLink& l) {
        return l.type == TaskLinkType::FinishToStart && l.lagDays == 0 &&
               !(isMoment(l.predecessor) && isMoment(l.successor));
    };
    std::vector<int> reachedAt(taskCount, -1);
    std::vector<int> expandedAt(taskCount, -1);
    std::vector<int> stack;
    long long steps = 0;
    std::vector<NetworkTaskLink> kept;
    kept.reserve(links.size());
    auto it = links.begin();
    while (it != links.end()) {
        const int from = it->predecessor;
        auto last = it;
        int latest = -1;
        for (; last != links.end() && last->predecessor == from; ++last)
            if (removable(*last))
                latest = std::max(latest, position[last->successor]);
        if (latest >= 0 && successors[from].size() > 1 && steps < kStepBudget) {
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
        for (; it != last; ++it)
            if (!(removable(*it) && reachedAt[it->successor] == from))
                kept.push_back(*it);
    }
    return kept;
}

} // namespace

QString linkTypeName(TaskLinkType type)
{
    switch (type) {
    case TaskLinkType::FinishToFinish:
        return QStringLiteral("fine-fine");
    case TaskLinkType::FinishToStart:
        return QStringLiteral("fine-inizio");
    case TaskLinkType::StartToFinish:
        return QStringLiteral("inizio-fine");
    case TaskLinkType::StartToStart:
        return QStringLiteral("inizio-inizio");
    }
    return QString();
}

namespace event_network {

QString NetworkBuilder::reference(int task) const
{
    const NetworkTask& t = m_tasks[task];
    return t.reference.isEmpty() ? QStringLiteral("«%1»").arg(t.name) : t.reference;
}

QString NetworkBuilder::linkReference(const NetworkTaskLink& link) const
{
    return QStringLiteral("%1 → %2").arg(reference(link.predecessor), reference(link.successor));
}

// Whether `to` follows `from` along the live arcs.
bool NetworkBuilder::reaches(int from, int to)
{
    if (from == to)
        return true;
    std::vector<char> seen(m_alive.size(), 0);
    std::vector<int> stack{from};
    seen[from] = 1;
    while (!stack.empty()) {
        const int u = stack.back();
        stack.pop_back();
        for (int a : live(m_out[u])) {
            const int w = m_arcs[a].head;
            if (w == to)
                return true;
            if (!seen[w]) {
                seen[w] = 1;
                stack.push_back(w);
            }
        }
    }
    return false;
}

// The earliest time of every node along the arcs, from 0 at the nodes nothing precedes; nothing
// when the arcs form a cycle.
std::optional<std::vector<double>> NetworkBuilder::earliestTimes()
{
    const std::size_t count = m_alive.size();
    std::vector<int> pending(count, 0);
    for (std::size_t v = 0; v < count; ++v)
        pending[v] = static_cast<int>(live(m_in[v]).size());
    std::vector<double> time(count, 0.0);
    std::vector<int> ready;
    for (std::size_t v = 0; v < count; ++v)
        if (pending[v] == 0)
            ready.push_back(static_cast<int>(v));
    std::size_t done = 0;
    while (!ready.empty()) {
        const int u = ready.back();
        ready.pop_back();
        ++done;
        for (int a : live(m_out[u])) {
            const Arc& arc = m_arcs[a];
            time[arc.head] = std::max(time[arc.head], time[u] + arc.days);
            if (--pending[arc.head] == 0)
                ready.push_back(arc.head);
        }
    }
    if (done < count)
        return std::nullopt;
    return time;
}

// The nodes of one cycle among the arcs, or nothing when there is none.
std::vector<int> NetworkBuilder::findCycle()
{
    enum : char
    {
        White,
        Grey,
        Black
    };
    const int count = static_cast<int>(m_alive.size());
    std::vector<char> colour(count, White);
    std::vector<std::size_t> next(count, 0);
    std::vector<int> path;
    for (int start = 0; start < count; ++start) {
        if (colour[start] != White)
            continue;
        path.assign(1, start);
        colour[start] = Grey;
        while (!path.empty()) {
            const int u = path.back();
            const auto& outs = live(m_out[u]);
            if (next[u] >= outs.size()) {
                colour[u] = Black;
                path.pop_back();
                continue;
            }
            const int w = m_arcs[outs[next[u]++]].head;
            if (colour[w] == Grey)
                return std::vector<int>(std::find(path.begin(), path.end(), w), path.end());
            if (colour[w] == White) {
                colour[w] = Grey;
                path.push_back(w);
            }
        }
    }
    return {};
}

// The arcs of the links: one per pair of nodes, the longest; leads turned into arcs where they
// can be, and otherwise dropped when implied or refused.
void NetworkBuilder::addLinks(const std::vector<NetworkTaskLink>& links, QStringList& problems,
                              EventNetwork& network)
{
    const int taskCount = static_cast<int>(m_tasks.size());
    // Finishes that links drive: those events keep their own time.
    std::vector<char> finishDriven(taskCount, 0);
    for (const NetworkTaskLink& l : links)
        if (!endsAtStart(l.type) && l.lagDays >= 0)
            finishDriven[l.successor] = 1;

    struct Candidate
    {
        double days = 0;
        QString name;
        int order = 0;
        bool given = false;
    };
    std::map<std::pair<int, int>, Candidate> arcs; // by tail and head
    std::vector<NetworkTaskLink> leads;
    int order = taskCount;
    for (const NetworkTaskLink& link : links) {
        const NetworkTask& a = m_tasks[link.predecessor];
        if (link.predecessor == link.successor) {
            problems << QStringLiteral("L'attività %1 è legata a sé stessa.")
                            .arg(reference(link.predecessor));
            continue;
        }
        int tail = startsFromFinish(link.type) ? m_endNode[link.predecessor]
                                               : m_startNode[link.predecessor];
        const int head =
            endsAtStart(link.type) ? m_startNode[link.successor] : m_endNode[link.successor];
        double days = link.lagDays;
        bool afterStart = !startsFromFinish(link.type);
        // The other program moves a task whose finish such links delay to end then, start and
        // all; here its start stays where its own predecessors put it.
        if (afterStart && days >= 0 && finishDriven[link.predecessor] && !a.summary)
            network.approximated << QStringLiteral("%1: legame %2 contato dall'inizio di %3, "
                                                   "la cui fine dipende anche da legami "
                                                   "fine-fine o inizio-fine.")
                                        .arg(linkReference(link), linkTypeName(link.type),
                                             reference(link.predecessor));
        if (days < 0) {
            // A lead on a finish-to-start link is the same precedence counted from the start of
            // the task before, as long as it does not reach back before that start.
            if (link.type != TaskLinkType::FinishToStart || a.summary || a.days + days < 0) {
                leads.push_back(link);
                continue;
            }
            if (finishDriven[link.predecessor])
                network.approximated
                    << QStringLiteral("%1: legame fine-inizio con anticipo di %2 g contato "
                                      "dall'inizio di %3, la cui fine dipende anche da legami "
                                      "fine-fine o inizio-fine.")
                           .arg(linkReference(link), formatDays(-days),
                                reference(link.predecessor));
            tail = m_startNode[link.predecessor];
            days += a.days;
            afterStart = true;
        }
        Candidate candidate;
        candidate.days = days;
        candidate.order = order++;
        if (days > 0) {
            const QString prefix =
                afterStart ? QStringLiteral("Ritardo %1 g dopo l'inizio di «").arg(formatDays(days))
                           : QStringLiteral("Ritardo %1 g dopo «").arg(formatDays(days));
            const QString task = storableDescription(withoutEventNumber(a.name));
            candidate.name = prefix +
                             cutToLength(task, kMaxActivityNameLength - prefix.size() - 1) +
                             QStringLiteral("»");
        } else {
            const auto moment = [this](int t) {
                return m_tasks[t].milestone && m_tasks[t].days == 0;
            };
            candidate.given = link.type == TaskLinkType::FinishToStart &&
                              moment(link.predecessor) && moment(link.successor);
        }
        const auto [it, inserted] = arcs.emplace(std::make_pair(tail, head), candidate);
        if (!inserted && candidate.days > it->second.days)
            it->second = candidate;
    }
    for (const auto& [ends, c] : arcs) {
        const int id = addArc(ends.first, ends.second, c.days > 0 ? ArcKind::Lag : ArcKind::Dummy,
                              c.days, c.days > 0 ? c.order : INT_MAX, c.name);
        m_arcs[id].given = c.given;
    }
    for (int t = 0; t < taskCount; ++t)
        if (finishDriven[t] && !m_tasks[t].summary)
            m_anchored[m_endNode[t]] = 1;

    // A lead that cannot be represented says nothing more when the other links already hold
    // its successor at least as late, or when the earliest times without it already meet it:
    // then it moves no date (the earliest times with it are the same), though the latest times
    // do not hold it back.
    const std::optional<std::vector<double>> early = leads.empty() ? std::nullopt : earliestTimes();
    for (const NetworkTaskLink& link : leads) {
        const int tail = startsFromFinish(link.type) ? m_endNode[link.predecessor]
                                                     : m_startNode[link.predecessor];
        const int head =
            endsAtStart(link.type) ? m_startNode[link.successor] : m_endNode[link.successor];
        const QString what =
            QStringLiteral("%1: legame %2 con anticipo di %3 g")
                .arg(linkReference(link), linkTypeName(link.type), formatDays(-link.lagDays));
        if (reaches(tail, head)) {
            network.droppedLeads << what + QStringLiteral(", che gli altri legami già comprendono");
            continue;
        }
        if (early && (*early)[head] + kTimeTolerance >= (*early)[tail] + link.lagDays) {
            network.droppedLeads << what + QStringLiteral(", che non sposta nessuna data (le date "
                                                          "più tarde non ne tengono conto)");
            continue;
        }
        const NetworkTask& a = m_tasks[link.predecessor];
        if (link.type != TaskLinkType::FinishToStart)
            problems << what + QStringLiteral(": un anticipo si può rappresentare solo su un "
                                              "legame fine-inizio.");
        else if (a.summary)
            problems << what + QStringLiteral(" da un'attività di riepilogo, di cui la rete non "
                                              "conosce la durata.");
        else
            problems << what + QStringLiteral(" maggiore della durata (%1 g) di %2.")
                                   .arg(formatDays(a.days), reference(link.predecessor));
    }
}

EventNetworkResult NetworkBuilder::build(const std::vector<NetworkTaskLink>& givenLinks)
{
    EventNetworkResult result;
    QStringList& problems = result.problems;
    const int taskCount = static_cast<int>(m_tasks.size());
    if (taskCount == 0) {
        problems << QStringLiteral("Non ci sono attività da importare.");
        return result;
    }
    if (taskCount > kMaxNetworkTasks) {
        problems << QStringLiteral("Le attività sono %1: ZANT ne importa al massimo %2.")
                        .arg(taskCount)
                        .arg(kMaxNetworkTasks);
        return result;
    }

    // One link per pair of tasks and type, with the longest lag.
    std::vector<NetworkTaskLink> links;
    {
        std::map<std::tuple<int, int, int>, double> lagOf;
        for (const NetworkTaskLink& link : givenLinks) {
            if (link.predecessor < 0 || link.predecessor >= taskCount || link.successor < 0 ||
                link.successor >= taskCount)
                continue;
            const auto key =
                std::make_tuple(link.predecessor, link.successor, static_cast<int>(link.type));
            const auto [it, inserted] = lagOf.emplace(key, link.lagDays);
            if (!inserted)
                it->second = std::max(it->second, link.lagDays);
        }
        for (const auto& [key, lag] : lagOf)
            links.push_back({std::get<0>(key), std::get<1>(key), lag,
                             static_cast<TaskLinkType>(std::get<2>(key))});
    }

    // Every task that lasts and every lag becomes an activity, and no two activities join the
    // same two events.
    long long activities = 0;
    for (const NetworkTask& task : m_tasks)
        activities += task.summary || (task.milestone && task.days == 0) ? 0 : 1;
    for (const NetworkTaskLink& link : links)
        activities += link.lagDays > 0 ? 1 : 0;
    if (activities > static_cast<long long>(kMaxEvents) * (kMaxEvents - 1) / 2) {
        problems << QStringLiteral("Le attività e i ritardi sono %1: per rappresentarli "
                                   "servirebbero più dei %2 eventi che ZANT gestisce.")
                        .arg(activities)
                        .arg(kMaxEvents);
        return result;
    }
    links = withoutImpliedLinks(m_tasks, std::move(links));

    EventNetwork network;
    // Two nodes per task, in the order of the tasks: the numbers of the events follow it.
    m_startNode.resize(taskCount);
    m_endNode.resize(taskCount);
    std::vector<int> children(taskCount, 0);
    for (int t = 0; t < taskCount; ++t) {
        const int p = m_tasks[t].parent;
        if (p >= 0 && p < taskCount && m_tasks[p].summary)
            ++children[p];
    }
    for (int t = 0; t < taskCount; ++t) {
        const NetworkTask& task = m_tasks[t];
        const int s = m_startNode[t] = addNode(t);
        const int f = m_endNode[t] = addNode(t);
        const QString described = storableDescription(withoutEventNumber(task.name));
        if (task.summary) {
            if (children[t] == 0)
                addArc(s, f, ArcKind::Dummy, 0, INT_MAX);
            label(s, SummaryEdge, t, QStringLiteral("Inizio ") + described);
            label(f, SummaryEdge, t, QStringLiteral("Fine ") + described);
        } else if (task.milestone && task.days == 0) {
            addArc(s, f, ArcKind::Dummy, 0, INT_MAX);
            label(s, MilestoneName, t, described);
            label(f, MilestoneName, t, described);
            m_milestone[s] = m_milestone[f] = t;
            m_anchored[s] = 1;
        } else {
            const QString name = activityNameFrom(withoutEventNumber(task.name));
            if (name.size() < storableDescription(withoutEventNumber(task.name)).size())
                ++network.namesShortened;
            addArc(s, f, ArcKind::Activity, task.days, t, name);
            label(s, TaskStart, t, QStringLiteral("Inizio ") + described);
            label(f, TaskEnd, t, described);
            m_anchored[s] = 1;
        }
    }
    for (int t = 0; t < taskCount; ++t) {
        const int p = m_tasks[t].parent;
        if (p < 0 || p >= taskCount || !m_tasks[p].summary)
            continue;
        addArc(m_startNode[p], m_startNode[t], ArcKind::Dummy, 0, INT_MAX);
        addArc(m_endNode[t], m_endNode[p], ArcKind::Dummy, 0, INT_MAX);
    }
    addLinks(links, problems, network);
    if (const std::vector<int> cycle = findCycle(); !cycle.empty()) {
        QStringList names;
        std::vector<int> seen;
        for (int node : cycle) {
            const int t = m_taskOf[node];
            if (t >= 0 && std::find(seen.begin(), seen.end(), t) == seen.end()) {
                seen.push_back(t);
                names << reference(t);
            }
        }
        const QString last = names.takeLast();
        const QString list = names.isEmpty()
                                 ? last
                                 : names.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
        problems << QStringLiteral("I legami delle attività %1 formano un ciclo: nessuna di esse "
                                   "può iniziare per prima.")
                        .arg(list);
    }
    if (!problems.isEmpty())
        return result;

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
    if (eventCount > kMaxEvents) {
        problems << QStringLiteral("Per rappresentare queste attività servono %1 eventi: ZANT ne "
                                   "gestisce al massimo %2.")
                        .arg(eventCount)
                        .arg(kMaxEvents);
        return result;
    }

    // Numbers in an order where every link runs to a higher number, earlier tasks first.
    std::vector<int> number(m_alive.size(), 0);
    {
        std::vector<int> pending(m_alive.size(), 0);
        for (int v : nodes)
            pending[v] = static_cast<int>(live(m_in[v]).size());
        using Ready = std::pair<int, int>; // key, node
        std::priority_queue<Ready, std::vector<Ready>, std::greater<>> ready;
        for (int v : nodes)
            if (pending[v] == 0)
                ready.push({m_key[v], v});
        int next = 0;
        while (!ready.empty()) {
            const int v = ready.top().second;
            ready.pop();
            number[v] = ++next;
            for (int a : live(m_out[v])) {
                const int w = m_arcs[a].head;
                if (--pending[w] == 0)
                    ready.push({m_key[w], w});
            }
        }
        if (next != eventCount) {
            problems << QStringLiteral("Le attività non formano una rete ordinabile.");
            return result;
        }
    }

    std::vector<Event> events(eventCount + 1);
    for (int v : nodes)
        events[number[v]].description = m_labels[v].text.isEmpty()
                                            ? QStringLiteral("Evento %1").arg(number[v])
                                            : m_labels[v].text;
    for (int v : nodes) {
        const int e = number[v];
        const auto& outs = live(m_out[v]);
        if (static_cast<int>(outs.size()) > kMaxLinks) {
            QStringList starting;
            for (int a : outs)
                if (m_arcs[a].kind == ArcKind::Activity && starting.size() < 6)
                    starting << reference(m_arcs[a].order);
            problems << QStringLiteral("Dall'evento in cui iniziano le attività %1 partirebbero "
                                       "%2 legami: ZANT ne gestisce al massimo %3.")
                            .arg(starting.join(QStringLiteral(", ")))
                            .arg(outs.size())
                            .arg(kMaxLinks);
            return result;
        }
        std::vector<int> sorted(outs.begin(), outs.end());
        std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
            const int ha = number[m_arcs[a].head];
            const int hb = number[m_arcs[b].head];
            return ha != hb ? ha < hb : m_arcs[a].order < m_arcs[b].order;
        });
        for (int a : sorted) {
            const Arc& arc = m_arcs[a];
            const int k = number[arc.head];
            QString name = arc.name;
            // A task known by the event it reaches needs no name of its own, unless it lasts
            // no time: then its name is what tells it from a dummy.
            if (arc.kind == ArcKind::Activity && arc.days > 0 && name == events[k].description)
                name.clear();
            Link link(k, arc.days, name);
            if (arc.kind == ArcKind::Activity)
                link.amount = m_tasks[arc.order].amount;
            events[e].links.push_back(std::move(link));
            if (arc.kind == ArcKind::Dummy)
                ++network.dummyCount;
            else if (arc.kind == ArcKind::Lag)
                ++network.lagActivityCount;
        }
    }
    network.project.clear();
    network.project.setEventCount(eventCount);
    for (int e = 1; e <= eventCount; ++e)
        network.project.setEvent(e, std::move(events[e]));
    network.taskStartEvent.resize(taskCount);
    network.taskEndEvent.resize(taskCount);
    for (int t = 0; t < taskCount; ++t) {
        network.taskStartEvent[t] = number[find(m_startNode[t])];
        network.taskEndEvent[t] = number[find(m_endNode[t])];
    }
    result.network = std::move(network);
    return result;
}

} // namespace event_network

EventNetworkResult buildEventNetwork(const std::vector<NetworkTask>& tasks,
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

QString withoutEventNumber(const QString& name)
{
    static const QRegularExpression prefix(
        QStringLiteral("^(?:Evento\\s+\\d+\\s*:|\\d+\\s*(?:→|->)\\s*\\d+\\s*:)\\s*"));
    return QString(name).remove(prefix).trimmed();
}

QString activityNameFrom(const QString& text)
{
    return cutToLength(storableDescription(text), kMaxActivityNameLength);
}

} // namespace zant
