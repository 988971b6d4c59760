#pragma once

// Heights of what stands in each column, and the ways of the arrows between the placed circles:
// internal to the network layout.

#include "diagram/network_layout.h"
#include "diagram/network_ordering.h"

#include <QPointF>

#include <vector>

namespace zant::layout {

double distanceToSegment(QPointF c, QPointF a, QPointF b);

// Puts the slot of every arrow between two events of one column beside its target, on the side
// of its source, after moving the target beside the source when circles stand between them.
void placeSlots(Layers& layers, const std::vector<double>& eventX, double radius);

// Gives every node its height: each column keeps its order and its bands apart, the line of the
// critical path stays at 0, and every other node moves as near as it may to its neighbours.
void placeHeights(Layers& layers, const LayoutMetrics& metrics);

// The x bands of the columns: a column of events spans its circles and the room for the arrow
// heads beside them; a column of durations stands in the middle of the space between them. A
// column of events with no event (a level no event reached) stands at emptyColumnX[c / 2].
void placeColumns(Layers& layers, const std::vector<double>& eventX, const LayoutMetrics& metrics,
                  double labelColumnWidth, const std::vector<double>& emptyColumnX);

// The arrows of the chains as polylines, with their duration boxes, in layout.activities.
// Events must already stand in layout.events.
void routeChains(const Layers& layers, const Graph& graph, const Project& project,
                 const ScheduleResults& results, NetworkLayout& layout);

} // namespace zant::layout
