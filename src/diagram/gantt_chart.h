#pragma once

#include "model/project.h"
#include "schedule/schedule.h"

#include <QDate>
#include <QString>

#include <vector>

namespace zant {

// One activity of the Gantt chart, times in days from the start date.
struct GanttBar
{
    int from = 0;
    int slot = 0;
    int to = 0;
    double start = 0;  // earliest start: earliest time of the source event
    double finish = 0; // earliest finish: start + duration
    double totalFloat = 0;
    double freeFloat = 0;
    double independentFloat = 0;
    bool critical = false;
    QString label;       // "i → k"
    QString description; // the activity's name (its own, or its target event's description)
};

// An event drawn as a diamond at its earliest time, on the first row of an activity that ends
// in it (event 1 on the first row).
struct GanttMilestone
{
    int event = 0;
    int row = 0;
    double time = 0;
    bool critical = false;
};

// The chart is drawn on a scale of calendar days from the start date; times are placed on it by
// the project's calendar, so that the days that do not count stand between the bars.
struct GanttChart
{
    QDate startDate;
    // The calendar of the results; without one every day counts from startDate.
    WorkingTime clock;
    double finish = 0; // earliest time of the final event
    // Every activity but the dummies, sorted by earliest start, then event, then slot.
    std::vector<GanttBar> bars;
    std::vector<GanttMilestone> milestones;

    bool isEmpty() const { return bars.empty(); }
    // The date of an event's time, by the one rule of every date the program writes.
    QDate eventDate(double time) const;
    // Calendar days from startDate to where an event (or the start of an activity) stands.
    double dayOf(double time) const;
    // ... and to where an activity that ends at `time` ends: the close of its last day.
    double endDayOf(double time) const;
    // Calendar days from startDate to the final event.
    double calendarLength() const { return dayOf(finish); }
    // Whether some day does not count and is shaded.
    bool skipsDays() const { return !timeline().plain(); }
    bool isWorkingDay(const QDate& date) const { return timeline().isWorkingDay(date); }
    // The closures that take days away, to be named on the chart.
    std::vector<CalendarClosure> closures() const;

private:
    WorkingTime timeline() const;
};

GanttChart buildGantt(const Project& project, const ScheduleResults& results);

// "gen", "feb", … "dic"
QString italianMonthAbbreviation(int month);

} // namespace zant
