#include "exchange/task_network.h"
#include "exchange/network_builder.h"

#include <QRegularExpression>

#include <algorithm>

namespace zant {

namespace {

// The positions of the tasks in a topological order of `successors`; nothing when they form a
// cycle.
std::optional<std::vector<int>>
topologicalPositions(const std::vector<std::vector<int>>& successors)
{
    const int taskCount = static_cast<int>(successors.size());
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
        return std::nullopt;
    std::vector<int> position(taskCount, 0);
    for (std::size_t i = 0; i < order.size(); ++i)
        position[order[i]] = static_cast<int>(i);
    return position;
}

} // namespace

namespace event_network {

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
    const auto positions = topologicalPositions(successors);
    if (!positions)
        return links; // a cycle, which the event network names
    const std::vector<int>& position = *positions;
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

} // namespace event_network

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
    return event_network::cutToLength(storableDescription(text), kMaxActivityNameLength);
}

} // namespace zant
