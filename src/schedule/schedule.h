#pragma once

#include "model/project.h"
#include "model/work_calendar.h"

#include <QString>

#include <functional>
#include <vector>

namespace zant {

// The results of one computation, for the events 1..eventCount it was computed for. Vectors
// are indexed by event number (index 0 unused); linkFloat[e][s] by event and slot.
struct ScheduleResults
{
    int eventCount = 0; // 0: nothing computed yet
    QString startDateText;
    std::vector<double> earliest;
    std::vector<double> latest;
    std::vector<QString> earliestDate;
    std::vector<QString> latestDate;
    // Floats of each activity (event i, slot s → target k, duration d), indexed like linkFloat:
    // total = latest(k) − earliest(i) − d; free = earliest(k) − earliest(i) − d, what it may slip
    // without delaying any successor; independent = max(0, earliest(k) − latest(i) − d), what
    // it may slip even when its predecessors finish as late as they may.
    std::vector<std::vector<double>> linkFloat;
    std::vector<std::vector<double>> linkFreeFloat;
    std::vector<std::vector<double>> linkIndependentFloat;
    // The events that link into each event, in the order of events and slots.
    std::vector<std::vector<int>> predecessors;
    QString criticalPath;
    // The calendar the dates follow, from the start date: every date of these results, shown or
    // written, comes from here.
    WorkingTime clock;

    bool isEmpty() const { return eventCount == 0; }
    // The date of a time in days, by the calendar; invalid without a start date.
    QDate dateAt(double time) const { return clock.dateAt(time); }
    // The same as the screens and documents write it: "dd/MM/yyyy", empty when there is none.
    QString dateTextAt(double time) const;
    double eventFloat(int event) const { return latest[event] - earliest[event]; }
    bool isCritical(int event) const;
    // Predecessor at position j (1-based) of an event, or 0 when there is none.
    int predecessor(int event, int position) const;
    // Inline: the JSON of the largest network asks for them three hundred thousand times.
    double linkFloatAt(int event, int slot) const { return slotValue(linkFloat, event, slot); }
    double linkFreeFloatAt(int event, int slot) const
    {
        return slotValue(linkFreeFloat, event, slot);
    }
    double linkIndependentFloatAt(int event, int slot) const
    {
        return slotValue(linkIndependentFloat, event, slot);
    }

private:
    // A value of a table indexed by event and slot; 0 outside what was computed.
    double slotValue(const std::vector<std::vector<double>>& table, int event, int slot) const
    {
        if (event < 1 || event > eventCount || slot < 1 || event >= static_cast<int>(table.size()))
            return 0;
        const auto& list = table[event];
        return slot < static_cast<int>(list.size()) ? list[slot] : 0;
    }
};

// Called while the computation advances, with a value that runs 0..999 and wraps, for the
// progress bar of the data window.
using ScheduleProgress = std::function<void(int)>;

// Earliest and latest times, dates, floats and the critical path of a project whose data
// passed the check. The times are exact for any acyclic network, whatever the numbering of
// its events: every event is visited in an order in which all of its predecessors come first.
ScheduleResults ComputeSchedule(const Project& project, const ScheduleProgress& progress = {});

// The programme in one line: "Fine lavori: 17/08/2027 - durata 169 giorni - percorso critico di
// 15 eventi" (the final event's earliest date and time, the number of critical events; "giorni
// lavorativi" when the calendar counts working days). Empty when nothing was computed.
QString scheduleSummary(const ScheduleResults& results);

} // namespace zant
