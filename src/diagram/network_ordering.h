#pragma once

// The network as the layout sees it, and the ordering of the events of each level into rows:
// internal to the network layout.

#include "model/project.h"
#include "schedule/schedule.h"

#include <vector>

namespace zant::layout {

struct Arc
{
    int from;
    int slot;
    int to;
    double days;
};

// The network as the layout sees it: activities, unique neighbours, levels, the critical line.
struct Graph
{
    int n = 0;
    std::vector<Arc> arcs;
    std::vector<std::vector<int>> preds; // unique neighbour events, index = event
    std::vector<std::vector<int>> succs;
    std::vector<int> level;
    std::vector<int> topo;
    std::vector<char> onLine;
    std::vector<int> line;
    int maxLevel = 0;
};

Graph buildGraph(const Project& project, const ScheduleResults& results);

// Rows of one level from its order: the event of the critical line on row 0, the first `split`
// other events above it (rows -1, -2, … outwards), the rest below (1, 2, …).
void rowsOfLevel(const std::vector<int>& order, int split, const Graph& g, std::vector<int>& row);

// Sorts a level by the mean row of its neighbours on one side and gives it rows again.
void sweepLevel(std::vector<int>& order, const std::vector<std::vector<int>>& neighbours,
                const Graph& g, std::vector<int>& row);

// Lets an event leave the compact rows for the median row of its predecessors, so that chains
// run straight; order within each level and distinct rows are kept.
void straighten(const std::vector<std::vector<int>>& levels, const Graph& g, std::vector<int>& row);

} // namespace zant::layout
