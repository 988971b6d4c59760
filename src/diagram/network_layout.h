#pragma once

#include "model/project.h"
#include "schedule/schedule.h"

#include <QPointF>
#include <QString>

#include <vector>

namespace zant {

// How the events are spread from left to right.
enum class LayoutMode
{
    TimeScale, // x proportional to the earliest time ("a scala dei tempi")
    Levels,    // x by rank: the longest chain of activities from event 1 ("per livelli")
};

// Picture units: one unit is one pixel at 100 % zoom.
struct LayoutMetrics
{
    double radius = 22;         // event circle
    double rowHeight = 78;      // distance between two rows of circles
    double levelWidth = 120;    // distance between two levels (Levels mode)
    double minGap = 20;         // free space between two circles of one row
    double margin = 40;         // around the drawing; the time axis sits in the top margin
    double parallelSpread = 16; // distance between parallel curves at their middle
};

// How the events of each level are ordered before rows are given out.
enum class LayoutOrdering
{
    Barycentre,  // sweeps that move each event towards the mean row of its neighbours
    EventNumber, // the plain order of the event numbers: the baseline crossings are compared with
};

// Above this many activities only the critical activities are routed and drawn with the events:
// every arrow of a denser network would cover the picture in ink.
inline constexpr int kFullDrawingActivityLimit = 6000;

struct LaidOutEvent
{
    int event = 0;
    QPointF centre;
    int row = 0;   // 0 is the line of the critical path; negative rows lie above it
    int level = 0; // rank: longest chain of activities from event 1
    bool critical = false;
    bool onCriticalLine = false;
};

struct LaidOutActivity
{
    int from = 0;
    int slot = 0;
    int to = 0;
    double days = 0;
    bool critical = false;
    // Polyline from the edge of the source circle to the edge of the target circle, x never
    // decreasing. Parallel activities follow sampled curves.
    std::vector<QPointF> points;
    // Beyond this x the arrow is drawn dotted: the free float of a time-scaled activity.
    // Negative when the whole arrow is solid.
    double floatFromX = -1;
    QPointF labelAt; // where the duration is written, above this point
};

struct NetworkLayout
{
    LayoutMode mode = LayoutMode::TimeScale;
    LayoutMetrics metrics;
    double width = 0;
    double height = 0;
    // Time scale: x = originX + earliest * unitsPerDay wherever the critical path leaves room;
    // a step of the critical path too short for two circles is stretched to minGap.
    double originX = 0;
    double unitsPerDay = 0;
    double criticalY = 0;
    bool summaryOnly = false;         // only the events and the critical activities are laid out
    int activityCount = 0;            // activities of the project, drawn or not
    std::vector<LaidOutEvent> events; // events 1..n, index = event - 1
    std::vector<LaidOutActivity> activities; // in the order of events and slots
    std::vector<int> criticalLine;           // the events of the critical path on the line

    bool isEmpty() const { return events.empty(); }
    const LaidOutEvent& eventAt(int event) const { return events[event - 1]; }
    // The x of a time in days (time-scaled layouts).
    double xOfTime(double days) const;
    // Time breaks of the stretched time scale, as pairs (days, x), increasing.
    std::vector<std::pair<double, double>> timeBreaks;
};

// Lays out the computed network. `results` must come from ComputeSchedule on `project`.
NetworkLayout layoutNetwork(const Project& project, const ScheduleResults& results, LayoutMode mode,
                            LayoutOrdering ordering = LayoutOrdering::Barycentre,
                            const LayoutMetrics& metrics = {});

// The event whose circle holds the point, or 0.
int eventAtPoint(const NetworkLayout& layout, QPointF point);

// Index in layout.activities of the arrow nearest the point within `tolerance`, or -1.
int activityAtPoint(const NetworkLayout& layout, QPointF point, double tolerance);

// Proper crossings between the arrows of different activities.
int countCrossings(const NetworkLayout& layout);

// The layout as one JSON object, for zant-cli and the tests.
QString layoutToJson(const NetworkLayout& layout);

QString layoutModeName(LayoutMode mode);

} // namespace zant
