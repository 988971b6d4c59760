#include "schedule/schedule.h"

#include "model/text_format.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace zant {

namespace {

// Events in an order where every event comes after all the events that link into it
// (Kahn's algorithm, lower numbers first among the ready ones). Events of a closed cycle, which
// the data check refuses, are appended in number order so the computation still ends.
std::vector<int> topologicalOrder(const Project& project, int n)
{
    std::vector<int> pending(n + 1, 0);
    for (const Activity a : project.activities())
        ++pending[a.to];
    std::vector<int> order;
    order.reserve(n);
    for (int i = 1; i <= n; ++i) {
        if (pending[i] == 0)
            order.push_back(i);
    }
    for (std::size_t head = 0; head < order.size(); ++head) {
        for (const Activity a : project.activities(order[head])) {
            if (--pending[a.to] == 0)
                order.push_back(a.to);
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

// Reports progress every event visited, in a count that wraps at 1000.
class Ticker final
{
public:
    explicit Ticker(const ScheduleProgress& progress) : m_progress(progress) {}

    void operator()()
    {
        if (m_progress) {
            m_ticks = (m_ticks + 1) % 1000;
            m_progress(m_ticks);
        }
    }

private:
    const ScheduleProgress& m_progress;
    int m_ticks = 0;
};

// Results of `n` events with every figure at zero and every list empty.
ScheduleResults emptyResults(const Project& project, int n)
{
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
    return r;
}

void collectPredecessors(const Project& project, ScheduleResults& r)
{
    // Counted first, so that each list is allocated once.
    std::vector<int> incoming(r.eventCount + 1, 0);
    for (const Activity a : project.activities())
        ++incoming[a.to];
    for (int k = 1; k <= r.eventCount; ++k)
        r.predecessors[k].reserve(incoming[k]);
    for (const Activity a : project.activities())
        r.predecessors[a.to].push_back(a.from);
}

// Forward: each event starts when the longest of its incoming activities has ended.
void forwardPass(const Project& project, const std::vector<int>& order, ScheduleResults& r,
                 Ticker& tick)
{
    for (int i : order) {
        tick();
        for (const Activity a : project.activities(i)) {
            // max and min rather than a comparison and a jump: which activity is the longest is
            // anyone's guess, and a mispredicted jump per link cost more than the rest.
            double& earliest = r.earliest[a.to];
            earliest = std::max(earliest, r.earliest[i] + a.days());
        }
    }
}

// Backward from the final event: an event may occur as late as its tightest successor allows.
// Every event, the first included, gets exactly that: an event without predecessors other than
// event 1 (a second start) may have float, and event 1 too when it is not critical.
void backwardPass(const Project& project, const std::vector<int>& order, ScheduleResults& r,
                  Ticker& tick)
{
    std::fill(r.latest.begin() + 1, r.latest.end(), r.earliest[r.eventCount]);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const int i = *it;
        tick();
        // Kept in a register while the links are visited, not stored and read back each time;
        // a link of the event to itself (refused by the check) sees it as it goes.
        double latest = r.latest[i];
        for (const Activity a : project.activities(i)) {
            const double successor = a.to == i ? latest : r.latest[a.to];
            latest = std::min(latest, successor - a.days());
        }
        r.latest[i] = latest;
    }
    // Fractional durations leave rounding noise (0.3 - 0.2 - 0.1): an event on the critical
    // path gets its earliest time exactly, so that every figure derived from it is clean.
    for (int i = 1; i <= r.eventCount; ++i) {
        if (isZeroFloat(r.latest[i] - r.earliest[i]))
            r.latest[i] = r.earliest[i];
    }
}

// The dates of the times on the project's calendar; without a valid start date, the first
// event shows the start date as written.
void dateTimes(const Project& project, ScheduleResults& r)
{
    const QDate start = parseDate(project.startDateText());
    r.clock = WorkingTime(project.calendar(), start);
    for (int i = 1; i <= r.eventCount; ++i) {
        r.earliestDate[i] = r.dateTextAt(r.earliest[i]);
        r.latestDate[i] = r.dateTextAt(r.latest[i]);
    }
    if (!start.isValid()) {
        r.earliestDate[1] = project.startDateText();
        r.latestDate[1] = project.startDateText();
    }
}

// The total, free and independent float of every link, by event and slot.
void linkFloats(const Project& project, ScheduleResults& r)
{
    for (int i = 1; i < r.eventCount; ++i) {
        const std::size_t slotCount = project.event(i).links.size() + 1;
        r.linkFloat[i].assign(slotCount, 0.0);
        r.linkFreeFloat[i].assign(slotCount, 0.0);
        r.linkIndependentFloat[i].assign(slotCount, 0.0);
        for (const Activity a : project.activities(i)) {
            const double d = a.days();
            r.linkFloat[i][a.slot] = r.latest[a.to] - (r.earliest[i] + d);
            r.linkFreeFloat[i][a.slot] = r.earliest[a.to] - (r.earliest[i] + d);
            r.linkIndependentFloat[i][a.slot] = std::max(0.0, r.earliest[a.to] - (r.latest[i] + d));
        }
    }
}

} // namespace

QString ScheduleResults::dateTextAt(double time) const
{
    return formatDate(dateAt(time));
}

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
    ScheduleResults r = emptyResults(project, n);
    if (n == 0)
        return r;
    Ticker tick(progress);
    collectPredecessors(project, r);
    const std::vector<int> order = topologicalOrder(project, n);
    forwardPass(project, order, r, tick);
    backwardPass(project, order, r, tick);
    for (int i = 1; i <= n; ++i) {
        if (r.isCritical(i))
            r.criticalPath += QLatin1Char('-') + withLeadingBlank(i);
    }
    dateTimes(project, r);
    linkFloats(project, r);
    return r;
}

QString scheduleSummary(const ScheduleResults& results)
{
    if (results.isEmpty())
        return QString();
    const int n = results.eventCount;
    int critical = 0;
    for (int i = 1; i <= n; ++i)
        critical += results.isCritical(i) ? 1 : 0;
    const double days = results.earliest[n];
    const bool working = results.clock.calendar().workingDays;
    return QStringLiteral("Fine lavori: %1 - durata %2 %3 - percorso critico di %4 %5")
        .arg(results.earliestDate[n], formatDays(days),
             days == 1 ? (working ? QStringLiteral("giorno lavorativo") : QStringLiteral("giorno"))
                       : (working ? QStringLiteral("giorni lavorativi") : QStringLiteral("giorni")))
        .arg(critical)
        .arg(critical == 1 ? QStringLiteral("evento") : QStringLiteral("eventi"));
}

} // namespace zant
