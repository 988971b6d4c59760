#include "diagram/gantt_chart.h"

#include "diagram/network_layout.h"
#include "model/text_format.h"

#include <algorithm>

namespace zant {

WorkingTime GanttChart::timeline() const
{
    return clock.isValid() ? clock : WorkingTime(ProjectCalendar{}, startDate);
}

QDate GanttChart::eventDate(double time) const
{
    return timeline().dateAt(time);
}

double GanttChart::dayOf(double time) const
{
    return clock.isValid() ? clock.calendarPosition(time) : time;
}

double GanttChart::endDayOf(double time) const
{
    return clock.isValid() ? clock.calendarPositionOfEnd(time) : time;
}

std::vector<CalendarClosure> GanttChart::closures() const
{
    const ProjectCalendar& calendar = clock.calendar();
    return calendar.closuresCount() ? calendar.closures : std::vector<CalendarClosure>{};
}

QString italianMonthAbbreviation(int month)
{
    static const char* const kMonths[] = {"gen", "feb", "mar", "apr", "mag", "giu",
                                          "lug", "ago", "set", "ott", "nov", "dic"};
    return QString::fromLatin1(kMonths[std::clamp(month, 1, 12) - 1]);
}

GanttChart buildGantt(const Project& project, const ScheduleResults& results)
{
    GanttChart chart;
    if (results.isEmpty())
        return chart;
    const int n = results.eventCount;
    chart.startDate = parseDate(results.startDateText);
    chart.clock = results.clock;
    chart.finish = results.earliest[n];
    for (const Activity a : project.activities()) {
        const int e = a.from;
        const int s = a.slot;
        const Link& link = *a.link;
        if (e > n || a.to > n || a.isDummy())
            continue;
        GanttBar bar;
        bar.from = e;
        bar.slot = s;
        bar.to = link.target;
        bar.start = results.earliest[e];
        bar.finish = bar.start + link.days.value_or(0);
        bar.totalFloat = results.linkFloatAt(e, s);
        bar.freeFloat = results.linkFreeFloatAt(e, s);
        bar.independentFloat = results.linkIndependentFloatAt(e, s);
        bar.critical = isZeroFloat(bar.totalFloat);
        bar.label = QStringLiteral("%1 → %2").arg(e).arg(link.target);
        bar.description = project.activityName(e, s);
        chart.bars.push_back(std::move(bar));
    }
    std::stable_sort(chart.bars.begin(), chart.bars.end(),
                     [](const GanttBar& a, const GanttBar& b) {
                         if (a.start != b.start)
                             return a.start < b.start;
                         if (a.from != b.from)
                             return a.from < b.from;
                         return a.slot < b.slot;
                     });
    std::vector<char> placed(n + 1, 0);
    if (!chart.bars.empty()) {
        chart.milestones.push_back({1, 0, results.earliest[1], results.isCritical(1)});
        placed[1] = 1;
    }
    for (int row = 0; row < static_cast<int>(chart.bars.size()); ++row) {
        const int k = chart.bars[row].to;
        if (placed[k])
            continue;
        placed[k] = 1;
        chart.milestones.push_back({k, row, results.earliest[k], results.isCritical(k)});
    }
    // An event reached only by dummies stands on the first row of an activity leaving it.
    for (int row = 0; row < static_cast<int>(chart.bars.size()); ++row) {
        const int k = chart.bars[row].from;
        if (placed[k])
            continue;
        placed[k] = 1;
        chart.milestones.push_back({k, row, results.earliest[k], results.isCritical(k)});
    }
    return chart;
}

} // namespace zant
