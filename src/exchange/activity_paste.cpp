#include "exchange/activity_list.h"

#include "model/text_format.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

// Adding the rows of an activity list to a project.
namespace zant {

namespace {

QString finalEventReason(int event)
{
    return QStringLiteral("l'evento %1 è l'evento finale (il numero più alto): da esso non può "
                          "partire un legame")
        .arg(event);
}

// The first look at the rows of a paste.
struct PasteVerdicts
{
    std::vector<QString> reasonOf;                      // by row, empty for a row taken
    std::vector<std::vector<std::size_t>> takenFrom;    // the rows taken, by their first event
    std::map<std::pair<int, int>, std::size_t> firstOf; // the row that adds each pair
};

// A row is refused when it links an event to itself, repeats a link already there or a row
// before it, or passes the links an event may have; the others are taken for now.
PasteVerdicts firstVerdicts(const std::vector<Event>& events, int before, const ActivityList& list)
{
    std::set<std::pair<int, int>> existing;
    std::vector<int> linkCount(kMaxEvents + 1, 0);
    for (int e = 1; e <= before; ++e) {
        linkCount[e] = events[e].linkCount();
        for (const Link& link : events[e].links)
            existing.insert({e, link.target});
    }
    const std::size_t rowCount = list.rows.size();
    PasteVerdicts v{
        std::vector<QString>(rowCount), std::vector<std::vector<std::size_t>>(kMaxEvents + 1), {}};
    for (std::size_t r = 0; r < rowCount; ++r) {
        const ActivityRow& row = list.rows[r];
        const std::pair<int, int> pair{row.from, row.to};
        if (row.from == row.to)
            v.reasonOf[r] = QStringLiteral("un legame deve portare a un altro evento");
        else if (existing.count(pair))
            v.reasonOf[r] =
                QStringLiteral("il legame da %1 a %2 c'è già").arg(row.from).arg(row.to);
        else if (linkCount[row.from] >= kMaxLinks)
            v.reasonOf[r] =
                QStringLiteral("l'evento %1 ha già %2 legami").arg(row.from).arg(kMaxLinks);
        if (!v.reasonOf[r].isEmpty())
            continue;
        existing.insert(pair);
        v.firstOf.emplace(pair, r);
        ++linkCount[row.from];
        v.takenFrom[row.from].push_back(r);
    }
    return v;
}

// The final event is the highest number of the result; the links from it are refused, which
// may leave a lower number the highest, and so on. A repeat of a row refused so is refused for
// the same reason, not as a link already there. Returns the final event of the result.
int refuseLinksFromFinal(PasteVerdicts& v, const ActivityList& list, int before)
{
    std::vector<int> mentions(kMaxEvents + 1, 0);
    for (int e = 1; e <= kMaxEvents; ++e) {
        for (std::size_t r : v.takenFrom[e]) {
            ++mentions[e];
            ++mentions[list.rows[r].to];
        }
    }
    const std::size_t rowCount = list.rows.size();
    std::vector<char> leavesFinal(rowCount, 0);
    int n = kMaxEvents;
    while (n >= 1) {
        while (n > before && mentions[n] == 0)
            --n;
        if (n < 1 || v.takenFrom[n].empty())
            break;
        for (std::size_t r : v.takenFrom[n]) {
            v.reasonOf[r] = finalEventReason(n);
            leavesFinal[r] = 1;
            --mentions[n];
            --mentions[list.rows[r].to];
        }
        v.takenFrom[n].clear();
    }
    for (std::size_t r = 0; r < rowCount; ++r) {
        const ActivityRow& row = list.rows[r];
        const auto first = v.firstOf.find({row.from, row.to});
        if (first != v.firstOf.end() && first->second != r && leavesFinal[first->second])
            v.reasonOf[r] = v.reasonOf[first->second];
    }
    return n;
}

} // namespace

ActivityPaste planActivityPaste(const Project& project, const ActivityList& list)
{
    ActivityPaste paste;
    paste.result = project;
    paste.refused = list.refused;
    const int before = project.eventCount();
    std::vector<Event> events(kMaxEvents + 1);
    for (int e = 1; e <= before; ++e)
        events[e] = project.event(e);
    PasteVerdicts verdicts = firstVerdicts(events, before, list);
    const int n = std::max(refuseLinksFromFinal(verdicts, list, before), before);

    const auto rowText = [](const ActivityRow& row) {
        return QStringLiteral("%1 → %2: %3").arg(row.from).arg(row.to).arg(formatDays(row.days));
    };
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        const ActivityRow& row = list.rows[r];
        if (!verdicts.reasonOf[r].isEmpty()) {
            paste.refused.push_back({row.line, rowText(row), verdicts.reasonOf[r]});
            continue;
        }
        Link link{row.to, row.days, row.name};
        link.amount = row.amount;
        link.category = row.category;
        events[row.from].links.push_back(std::move(link));
        if (row.to > before && events[row.to].description.isEmpty() && !row.description.isEmpty())
            events[row.to].description = row.description;
        paste.added.push_back(row);
    }
    std::stable_sort(paste.refused.begin(), paste.refused.end(),
                     [](const RefusedRow& a, const RefusedRow& b) { return a.line < b.line; });

    for (int e = before + 1; e <= n; ++e) {
        if (events[e].description.isEmpty())
            events[e].description = QStringLiteral("Evento %1").arg(e);
    }
    paste.newEvents = n - before;
    paste.result.setEventCount(n);
    for (int e = 1; e <= n; ++e)
        paste.result.setEvent(e, std::move(events[e]));
    return paste;
}

} // namespace zant
