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
    QString description; // the activity's name (by default its target event's description)
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

struct GanttChart
{
    QDate startDate;
    double finish = 0; // earliest time of the final event
    // Every activity but the dummies, sorted by earliest start, then event, then slot.
    std::vector<GanttBar> bars;
    std::vector<GanttMilestone> milestones;

    bool isEmpty() const { return bars.empty(); }
    QDate dateAt(double days) const;
};

GanttChart buildGantt(const Project& project, const ScheduleResults& results);

// "gen", "feb", … "dic"
QString italianMonthAbbreviation(int month);

} // namespace zant
