#pragma once

// The network as the layout sees it, cut into columns, and the order of what stands in each
// column from top to bottom: internal to the network layout.

#include "model/project.h"
#include "schedule/schedule.h"

#include <span>
#include <utility>
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
    std::vector<int> level;   // ranks moved towards shorter arrows
    std::vector<int> longest; // longest chain of activities from a start
    std::vector<int> latest;  // as far right as the longest chain after the event allows
    std::vector<int> topo;
    std::vector<char> onLine;
    std::vector<int> line;
    std::vector<int> lineArc; // for each step of the line, the arc drawn along it
    int maxLevel = 0;
};

Graph buildGraph(const Project& project, const ScheduleResults& results);

enum class NodeKind : char
{
    Circle, // an event
    Pass,   // an arrow going through a column
    Slot,   // the private track of an arrow between two events of one column
};

// Something that stands in a column and takes a band of height of its own there: nothing else
// of the column enters the band [y - above, y + below] across the column's whole width.
struct Node
{
    NodeKind kind = NodeKind::Circle;
    int column = 0;
    int event = 0;  // circles
    int chain = -1; // passes and slots
    bool label = false;
    bool pinned = false;     // on the line of the critical path
    bool labelBelow = false; // a slot whose duration stands under its track
    double above = 0;
    double below = 0;
    double y = 0;
    int order = 0;
};

// A vertical band of the picture: columns of events alternate with columns of durations.
struct Column
{
    double left = 0;
    double right = 0;
    bool labels = false;
    std::vector<int> nodes; // top to bottom
};

// The way of one arrow through the columns: its source circle, one pass in every column between,
// its target circle. An arrow between two events of one column has a slot instead of passes.
struct Chain
{
    int arc = 0;
    std::vector<int> nodes;
    bool flat = false;
    int labelNode = -1;
};

// For each node, the nodes it is joined to on one side, stored in one block.
class Neighbours final
{
public:
    // From (node, neighbour) pairs, for nodes 0..count-1.
    void build(size_t count, const std::vector<std::pair<int, int>>& pairs);
    std::span<const int> operator[](int v) const
    {
        return {m_items.data() + m_start[v], m_items.data() + m_start[v + 1]};
    }

private:
    std::vector<int> m_start;
    std::vector<int> m_items;
};

struct Layers
{
    std::vector<Node> nodes;
    std::vector<Column> columns;
    std::vector<Chain> chains;
    std::vector<int> circleOf; // event -> node
    // Neighbours of each node in the column before and in the column after it.
    Neighbours before;
    Neighbours after;
};

// Cuts the network into columns: `eventColumn[e]` is the (even) column of each event; the odd
// columns between hold the durations. `drawn` lists the arcs laid out.
Layers buildLayers(const Graph& g, const std::vector<int>& eventColumn,
                   const std::vector<int>& drawn);

// Orders each column from top to bottom: the plain order of the event numbers, or sweeps that
// move each node towards the mean position of its neighbours, keeping the order with the fewest
// crossings between neighbouring columns.
void orderColumns(Layers& layers, bool sweeps);

// Crossings between the arrows of neighbouring columns, as the orders draw them.
long long orderCrossings(const Layers& layers);

} // namespace zant::layout
