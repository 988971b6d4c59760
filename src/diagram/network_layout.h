#pragma once

#include "model/project.h"
#include "schedule/schedule.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace zant {

// How the events are spread from left to right.
enum class LayoutMode
{
    TimeScale, // x = originX + unitsPerDay * earliest time, exactly ("a scala dei tempi")
    Levels,    // x by rank: the longest chain of activities from event 1 ("per livelli")
};

// Picture units: one unit is one pixel at 100 % zoom.
struct LayoutMetrics
{
    double radius = 26;     // event circle
    double circleGap = 14;  // free space between two circles one above the other
    double portMargin = 12; // room beside a circle for the arrow heads, inside its column
    double channel = 16;    // the narrowest space between two columns, where arrows change height
    double passGap = 5;     // between two arrows running side by side
    double labelHeight = 12;
    double labelFont = 9.5; // pixel size of the durations written on the arrows
    double margin = 40;     // around the drawing
    double axisBand = 44;   // the axis above the drawing (days and dates, or levels)
};

// How the events of each column are ordered from top to bottom.
enum class LayoutOrdering
{
    Barycentre,  // sweeps that move each event towards the mean position of its neighbours
    EventNumber, // the plain order of the event numbers: the baseline crossings are compared with
};

// Above this many activities only the events and the arrows of the critical path on its line are
// drawn, however many activities are critical: every arrow of a denser network would cover the
// picture in ink.
inline constexpr int kFullDrawingActivityLimit = 6000;

struct LaidOutEvent
{
    int event = 0;
    QPointF centre;
    int column = 0; // left to right; in levels mode twice the level
    int level = 0;  // rank: longest chain of activities from event 1
    bool critical = false;
    bool onCriticalLine = false; // on the straight line the critical path is drawn along
};

struct LaidOutActivity
{
    int from = 0;
    int slot = 0;
    int to = 0;
    double days = 0;
    bool critical = false;
    bool dummy = false;
    // Polyline from the edge of the source circle to the edge of the target circle.
    std::vector<QPointF> points;
    // Beyond this x the arrow is drawn dotted: the free float of a time-scaled activity, whose
    // solid part is its duration on the scale. Negative when the whole arrow is solid.
    double floatFromX = -1;
    // What is written on the arrow: its duration, after its name when it has one of its own.
    QString label;
    // Where the label is written; it overlaps no other label, circle or arrow head.
    QRectF labelBox;
    // The rectangle holding the points, for painting only what a window shows.
    QRectF bounds;
    // The rare arrow between two events of one column that found no way down that column: it
    // turns back in the space beside the column, so its x does not only grow.
    bool detour = false;
};

struct NetworkLayout
{
    LayoutMode mode = LayoutMode::TimeScale;
    LayoutMetrics metrics;
    double width = 0;
    double height = 0;
    double originX = 0;               // x of day 0 (time scale) or of level 0 (levels)
    double unitsPerDay = 0;           // time scale
    double levelWidth = 0;            // levels
    double criticalY = 0;             // the line of the critical path
    bool summaryOnly = false;         // only the events and the critical path's arrows are laid out
    int activityCount = 0;            // activities of the project, drawn or not
    std::vector<LaidOutEvent> events; // events 1..n, index = event - 1
    std::vector<LaidOutActivity> activities; // in the order of events and slots
    std::vector<int> criticalLine;           // the events of the critical path on the line

    bool isEmpty() const { return events.empty(); }
    const LaidOutEvent& eventAt(int event) const { return events[event - 1]; }
    // The x of a time in days (time-scaled layouts).
    double xOfTime(double days) const { return originX + days * unitsPerDay; }
    // The x of a level (levels layouts).
    double xOfLevel(int level) const { return originX + level * levelWidth; }
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

// The smallest rectangle holding a polyline's points (a null one for no points).
QRectF pointsBounds(const std::vector<QPointF>& points);

// Width of a duration written on an arrow, in picture units, from the advances of the face the
// pictures use (so that the layout needs no font machinery).
double labelWidth(const QString& text, double pixelSize);

// The text written on an arrow: the duration, after the activity's own name (shortened to
// kArrowNameLength characters) when it has one.
inline constexpr int kArrowNameLength = 22;
QString arrowLabel(const Project& project, int from, int slot, double days);

// The layout as one JSON object, for zant-cli and the tests.
QString layoutToJson(const NetworkLayout& layout);

QString layoutModeName(LayoutMode mode);

} // namespace zant
