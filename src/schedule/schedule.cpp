#include "schedule/schedule.h"

#include "model/text_format.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace zant {

namespace {

double durationOf(const Link& link)
{
    return link.days.value_or(0.0);
}

// Links that take part in the passes: those of events 1..n-1 whose target is an event of the
// network. The final event's own links are ignored, as its successors would be.
bool takesPart(const Link& link, int from, int n)
{
    return from < n && link.target >= 1 && link.target <= n;
}

// Events in an order where every event comes after all the events that link into it
// (Kahn's algorithm, lower numbers first among the ready ones). Events of a closed cycle, which
// the data check refuses, are appended in number order so the computation still ends.
std::vector<int> topologicalOrder(const Project& project, int n)
{
    std::vector<int> pending(n + 1, 0);
    for (int i = 1; i < n; ++i) {
        for (const Link& link : project.event(i).links) {
            if (takesPart(link, i, n))
                ++pending[link.target];
        }
    }
    std::vector<int> order;
    order.reserve(n);
    for (int i = 1; i <= n; ++i) {
        if (pending[i] == 0)
            order.push_back(i);
    }
    for (std::size_t head = 0; head < order.size(); ++head) {
        const int i = order[head];
        for (const Link& link : project.event(i).links) {
            if (takesPart(link, i, n) && --pending[link.target] == 0)
                order.push_back(link.target);
        }
    }
    if (static_cast<int>(order.size()) < n) {
        std::vector<char> placed(n + 1, 0);
        for (int i : order)
            placed[i] = 1;
        for (int i = 1; i <= n; ++i) {
            if (!placed[i])
                order.push_back(i);
        }
    }
    return order;
}

QString dateAfter(const QDate& start, double days)
{
    if (!start.isValid() || !std::isfinite(days))
        return QString();
    return formatDate(start.addDays(std::llround(days)));
}

} // namespace

bool ScheduleResults::isCritical(int event) const
{
    return isZeroFloat(eventFloat(event));
}

int ScheduleResults::predecessor(int event, int position) const
{
    if (event < 1 || event > eventCount || position < 1)
        return 0;
    const auto& list = predecessors[event];
    return position <= static_cast<int>(list.size()) ? list[position - 1] : 0;
}

ScheduleResults ComputeSchedule(const Project& project, const ScheduleProgress& progress)
{
    const int n = project.eventCount();
    ScheduleResults r;
    r.eventCount = n;
    r.startDateText = project.startDateText();
    r.earliest.assign(n + 1, 0.0);
    r.latest.assign(n + 1, 0.0);
    r.earliestDate.assign(n + 1, QString());
    r.latestDate.assign(n + 1, QString());
    r.linkFloat.assign(n + 1, {});
    r.linkFreeFloat.assign(n + 1, {});
    r.linkIndependentFloat.assign(n + 1, {});
    r.predecessors.assign(n + 1, {});
    if (n == 0)
        return r;

    int ticks = 0;
    const auto tick = [&] {
        if (progress) {
            ticks = (ticks + 1) % 1000;
            progress(ticks);
        }
    };

    // Counted first, so that each list is allocated once.
    std::vector<int> incoming(n + 1, 0);
    for (int i = 1; i < n; ++i) {
        for (const Link& link : project.event(i).links) {
            if (takesPart(link, i, n))
                ++incoming[link.target];
        }
    }
    for (int k = 1; k <= n; ++k)
        r.predecessors[k].reserve(incoming[k]);
    for (int i = 1; i < n; ++i) {
        for (const Link& link : project.event(i).links) {
            if (takesPart(link, i, n))
                r.predecessors[link.target].push_back(i);
        }
    }

    const std::vector<int> order = topologicalOrder(project, n);

    // Forward: each event starts when the longest of its incoming activities has ended.
    for (int i : order) {
        tick();
        for (const Link& link : project.event(i).links) {
            if (!takesPart(link, i, n))
                continue;
            // max and min rather than a comparison and a jump: which activity is the longest is
            // anyone's guess, and a mispredicted jump per link cost more than the rest.
            double& earliest = r.earliest[link.target];
            earliest = std::max(earliest, r.earliest[i] + durationOf(link));
        }
    }

    // Backward from the final event: an event may occur as late as its tightest successor allows.
    std::fill(r.latest.begin() + 1, r.latest.end(), r.earliest[n]);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const int i = *it;
        tick();
        // Kept in a register while the links are visited, not stored and read back each time;
        // a link of the event to itself (refused by the check) sees it as it goes.
        double latest = r.latest[i];
        for (const Link& link : project.event(i).links) {
            if (!takesPart(link, i, n))
                continue;
            const double successor = link.target == i ? latest : r.latest[link.target];
            latest = std::min(latest, successor - durationOf(link));
        }
        r.latest[i] = latest;
    }
    r.latest[1] = 0;

    for (int i = 1; i <= n; ++i) {
        if (r.isCritical(i))
            r.criticalPath += QLatin1Char('-') + withLeadingBlank(i);
    }

    const QDate start = parseDate(project.startDateText());
    for (int i = 1; i <= n; ++i) {
        r.earliestDate[i] = dateAfter(start, r.earliest[i]);
        r.latestDate[i] = dateAfter(start, r.latest[i]);
    }
    if (!start.isValid()) {
        r.earliestDate[1] = project.startDateText();
        r.latestDate[1] = project.startDateText();
    }

    for (int i = 1; i <= n; ++i) {
        const auto& links = project.event(i).links;
        auto& floats = r.linkFloat[i];
        auto& freeFloats = r.linkFreeFloat[i];
        auto& independentFloats = r.linkIndependentFloat[i];
        floats.assign(links.size() + 1, 0.0);
        freeFloats.assign(links.size() + 1, 0.0);
        independentFloats.assign(links.size() + 1, 0.0);
        for (std::size_t j = 0; j < links.size(); ++j) {
            const int k = links[j].target;
            if (k < 1 || k > n)
                continue;
            const double d = durationOf(links[j]);
            floats[j + 1] = r.latest[k] - (r.earliest[i] + d);
            freeFloats[j + 1] = r.earliest[k] - (r.earliest[i] + d);
            independentFloats[j + 1] = std::max(0.0, r.earliest[k] - (r.latest[i] + d));
        }
    }
    return r;
}

} // namespace zant
