#include "exchange/network_builder.h"

#include "model/text_format.h"

#include <algorithm>
#include <map>
#include <queue>
#include <tuple>

// The building of the event network: nodes and arcs for the tasks and their links, the merging
// (network_rules.cpp), then the events numbered and written as a project.
namespace zant::event_network {

namespace {

// Days that differ by less are the same time.
constexpr double kTimeTolerance = 1e-9;

bool startsFromFinish(TaskLinkType type)
{
    return type == TaskLinkType::FinishToStart || type == TaskLinkType::FinishToFinish;
}

bool endsAtStart(TaskLinkType type)
{
    return type == TaskLinkType::FinishToStart || type == TaskLinkType::StartToStart;
}

} // namespace

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

// The tasks whose finish links drive: those events keep their own time.
std::vector<char> NetworkBuilder::finishDrivenTasks(const std::vector<NetworkTaskLink>& links) const
{
    std::vector<char> driven(m_tasks.size(), 0);
    for (const NetworkTaskLink& l : links)
        if (!endsAtStart(l.type) && l.lagDays >= 0)
            driven[l.successor] = 1;
    return driven;
}

// The arcs of the links: one per pair of nodes, the longest; leads turned into arcs where they
// can be, and otherwise dropped when implied or refused.
void NetworkBuilder::addLinks(const std::vector<NetworkTaskLink>& links, QStringList& problems,
                              EventNetwork& network)
{
    const int taskCount = static_cast<int>(m_tasks.size());
    const std::vector<char> finishDriven = finishDrivenTasks(links);
    std::map<std::pair<int, int>, LinkArc> arcs; // by tail and head
    std::vector<NetworkTaskLink> leads;
    int order = taskCount;
    for (const NetworkTaskLink& link : links) {
        if (link.predecessor == link.successor) {
            problems << QStringLiteral("L'attività %1 è legata a sé stessa.")
                            .arg(reference(link.predecessor));
            continue;
        }
        std::optional<LinkArc> arc = linkArc(link, finishDriven, network);
        if (!arc) {
            leads.push_back(link);
            continue;
        }
        arc->order = order++;
        const auto [it, inserted] = arcs.emplace(std::make_pair(arc->tail, arc->head), *arc);
        if (!inserted && arc->days > it->second.days)
            it->second = *arc;
    }
    for (const auto& [ends, c] : arcs) {
        const int id = addArc(ends.first, ends.second, c.days > 0 ? ArcKind::Lag : ArcKind::Dummy,
                              c.days, c.days > 0 ? c.order : INT_MAX, c.name);
        m_arcs[id].given = c.given;
    }
    for (int t = 0; t < taskCount; ++t)
        if (finishDriven[t] && !m_tasks[t].summary)
            m_anchored[m_endNode[t]] = 1;
    placeLeads(leads, problems, network);
}

// The arc that stands for a link, with what it represents less strictly noted in `network`;
// nothing for a lead that no arc from the predecessor's start can hold.
std::optional<NetworkBuilder::LinkArc>
NetworkBuilder::linkArc(const NetworkTaskLink& link, const std::vector<char>& finishDriven,
                        EventNetwork& network)
{
    const NetworkTask& a = m_tasks[link.predecessor];
    LinkArc arc;
    arc.tail =
        startsFromFinish(link.type) ? m_endNode[link.predecessor] : m_startNode[link.predecessor];
    arc.head = endsAtStart(link.type) ? m_startNode[link.successor] : m_endNode[link.successor];
    arc.days = link.lagDays;
    bool afterStart = !startsFromFinish(link.type);
    // The other program moves a task whose finish such links delay to end then, start and all;
    // here its start stays where its own predecessors put it.
    if (afterStart && arc.days >= 0 && finishDriven[link.predecessor] && !a.summary)
        network.approximated << QStringLiteral("%1: legame %2 contato dall'inizio di %3, la cui "
                                               "fine dipende anche da legami fine-fine o "
                                               "inizio-fine.")
                                    .arg(linkReference(link), linkTypeName(link.type),
                                         reference(link.predecessor));
    if (arc.days < 0) {
        // A lead on a finish-to-start link is the same precedence counted from the start of the
        // task before, as long as it does not reach back before that start.
        if (link.type != TaskLinkType::FinishToStart || a.summary || a.days + arc.days < 0)
            return std::nullopt;
        if (finishDriven[link.predecessor])
            network.approximated << QStringLiteral("%1: legame fine-inizio con anticipo di %2 g "
                                                   "contato dall'inizio di %3, la cui fine "
                                                   "dipende anche da legami fine-fine o "
                                                   "inizio-fine.")
                                        .arg(linkReference(link), formatDays(-arc.days),
                                             reference(link.predecessor));
        arc.tail = m_startNode[link.predecessor];
        arc.days += a.days;
        afterStart = true;
    }
    if (arc.days > 0) {
        const QString prefix =
            afterStart ? QStringLiteral("Ritardo %1 g dopo l'inizio di «").arg(formatDays(arc.days))
                       : QStringLiteral("Ritardo %1 g dopo «").arg(formatDays(arc.days));
        const QString task = storableDescription(withoutEventNumber(a.name));
        arc.name = prefix + cutToLength(task, kMaxActivityNameLength - prefix.size() - 1) +
                   QStringLiteral("»");
    } else {
        const auto moment = [this](int t) { return m_tasks[t].milestone && m_tasks[t].days == 0; };
        arc.given = link.type == TaskLinkType::FinishToStart && moment(link.predecessor) &&
                    moment(link.successor);
    }
    return arc;
}

// A lead that cannot be represented says nothing more when the other links already hold its
// successor at least as late, or when the earliest times without it already meet it: then it
// moves no date (the earliest times with it are the same), though the latest times do not hold
// it back. Any other is refused.
void NetworkBuilder::placeLeads(const std::vector<NetworkTaskLink>& leads, QStringList& problems,
                                EventNetwork& network)
{
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
    if (auto refused = taskCountProblem()) {
        problems << *refused;
        return result;
    }
    std::vector<NetworkTaskLink> links = longestLinks(givenLinks);
    if (auto refused = activityCountProblem(links)) {
        problems << *refused;
        return result;
    }
    links = withoutImpliedLinks(m_tasks, std::move(links));

    EventNetwork network;
    addTaskNodes(network);
    addLinks(links, problems, network);
    if (auto cycle = cycleProblem())
        problems << *cycle;
    if (!problems.isEmpty())
        return result;

    mergeEvents();
    const std::vector<int> nodes = liveNodes();
    const int eventCount = static_cast<int>(nodes.size());
    if (eventCount > kMaxEvents) {
        problems << QStringLiteral("Per rappresentare queste attività servono %1 eventi: ZANT ne "
                                   "gestisce al massimo %2.")
                        .arg(eventCount)
                        .arg(kMaxEvents);
        return result;
    }
    const std::vector<int> number = eventNumbers(nodes);
    if (number.empty()) {
        problems << QStringLiteral("Le attività non formano una rete ordinabile.");
        return result;
    }
    if (auto refused = writeProject(nodes, number, network)) {
        problems << *refused;
        return result;
    }
    const int taskCount = static_cast<int>(m_tasks.size());
    network.taskStartEvent.resize(taskCount);
    network.taskEndEvent.resize(taskCount);
    for (int t = 0; t < taskCount; ++t) {
        network.taskStartEvent[t] = number[find(m_startNode[t])];
        network.taskEndEvent[t] = number[find(m_endNode[t])];
    }
    result.network = std::move(network);
    return result;
}

std::optional<QString> NetworkBuilder::taskCountProblem() const
{
    const int taskCount = static_cast<int>(m_tasks.size());
    if (taskCount == 0)
        return QStringLiteral("Non ci sono attività da importare.");
    if (taskCount > kMaxNetworkTasks)
        return QStringLiteral("Le attività sono %1: ZANT ne importa al massimo %2.")
            .arg(taskCount)
            .arg(kMaxNetworkTasks);
    return std::nullopt;
}

// One link per pair of tasks and type, with the longest lag; links to no task are left out.
std::vector<NetworkTaskLink>
NetworkBuilder::longestLinks(const std::vector<NetworkTaskLink>& givenLinks) const
{
    const int taskCount = static_cast<int>(m_tasks.size());
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
    std::vector<NetworkTaskLink> links;
    for (const auto& [key, lag] : lagOf)
        links.push_back(
            {std::get<0>(key), std::get<1>(key), lag, static_cast<TaskLinkType>(std::get<2>(key))});
    return links;
}

// Every task that lasts and every lag becomes an activity, and no two activities join the same
// two events: more than the events can hold are refused before anything is built.
std::optional<QString>
NetworkBuilder::activityCountProblem(const std::vector<NetworkTaskLink>& links) const
{
    long long activities = 0;
    for (const NetworkTask& task : m_tasks)
        activities += task.summary || (task.milestone && task.days == 0) ? 0 : 1;
    for (const NetworkTaskLink& link : links)
        activities += link.lagDays > 0 ? 1 : 0;
    if (activities <= static_cast<long long>(kMaxEvents) * (kMaxEvents - 1) / 2)
        return std::nullopt;
    return QStringLiteral("Le attività e i ritardi sono %1: per rappresentarli servirebbero più "
                          "dei %2 eventi che ZANT gestisce.")
        .arg(activities)
        .arg(kMaxEvents);
}

// Two nodes per task, in the order of the tasks (the numbers of the events follow it), with the
// task's activity or dummy between them, and the dummies that hold a summary's children within
// it.
void NetworkBuilder::addTaskNodes(EventNetwork& network)
{
    const int taskCount = static_cast<int>(m_tasks.size());
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
}

// The problem of a cycle among the links, naming its tasks; nothing when there is none.
std::optional<QString> NetworkBuilder::cycleProblem()
{
    const std::vector<int> cycle = findCycle();
    if (cycle.empty())
        return std::nullopt;
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
    const QString list =
        names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
    return QStringLiteral("I legami delle attività %1 formano un ciclo: nessuna di esse può "
                          "iniziare per prima.")
        .arg(list);
}

// Merges nodes and drops dummies, rule by rule, until no rule changes anything (64 rounds at
// most).
void NetworkBuilder::mergeEvents()
{
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
}

// The number of each live node, by node, in an order where every link runs to a higher number,
// earlier tasks first; empty when the nodes cannot be so ordered.
std::vector<int> NetworkBuilder::eventNumbers(const std::vector<int>& nodes)
{
    std::vector<int> number(m_alive.size(), 0);
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
    if (next != static_cast<int>(nodes.size()))
        return {};
    return number;
}

// The events of the network's project, each with its links in the order of their targets;
// refused when an event would have more links than one may have.
std::optional<QString> NetworkBuilder::writeProject(const std::vector<int>& nodes,
                                                    const std::vector<int>& number,
                                                    EventNetwork& network)
{
    const int eventCount = static_cast<int>(nodes.size());
    std::vector<Event> events(eventCount + 1);
    for (int v : nodes)
        events[number[v]].description = m_labels[v].text.isEmpty()
                                            ? QStringLiteral("Evento %1").arg(number[v])
                                            : m_labels[v].text;
    for (int v : nodes) {
        const auto& outs = live(m_out[v]);
        if (static_cast<int>(outs.size()) > kMaxLinks) {
            QStringList starting;
            for (int a : outs)
                if (m_arcs[a].kind == ArcKind::Activity && starting.size() < 6)
                    starting << reference(m_arcs[a].order);
            return QStringLiteral("Dall'evento in cui iniziano le attività %1 partirebbero %2 "
                                  "legami: ZANT ne gestisce al massimo %3.")
                .arg(starting.join(QStringLiteral(", ")))
                .arg(outs.size())
                .arg(kMaxLinks);
        }
        addEventLinks(number[v], outs, number, events, network);
    }
    network.project.clear();
    network.project.setEventCount(eventCount);
    for (int e = 1; e <= eventCount; ++e)
        network.project.setEvent(e, std::move(events[e]));
    return std::nullopt;
}

// The links of event `e`, from the live outgoing arcs `outs` of its node.
void NetworkBuilder::addEventLinks(int e, const std::vector<int>& outs,
                                   const std::vector<int>& number, std::vector<Event>& events,
                                   EventNetwork& network) const
{
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
        // A task known by the event it reaches needs no name of its own, unless it lasts no
        // time: then its name is what tells it from a dummy.
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

} // namespace zant::event_network
