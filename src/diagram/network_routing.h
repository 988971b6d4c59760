#pragma once

// The routes of the arrows between the placed circles: internal to the network layout.

#include "diagram/network_layout.h"

#include <QPointF>

#include <utility>
#include <vector>

namespace zant::layout {

double distanceToSegment(QPointF c, QPointF a, QPointF b);

// Finds the circles near a segment quickly: the circles of each row sorted by x.
class CircleIndex final
{
public:
    CircleIndex(const NetworkLayout& layout, int minRow, int maxRow)
        : m_layout(layout), m_minRow(minRow), m_rows(maxRow - minRow + 1)
    {
        for (const LaidOutEvent& ev : layout.events)
            m_rows[ev.row - minRow].push_back({ev.centre.x(), ev.event});
        for (auto& r : m_rows)
            std::sort(r.begin(), r.end());
    }

    // True when the segment passes through a circle other than those of `a` and `b`.
    bool hits(QPointF p, QPointF q, int a, int b) const
    {
        const double r = m_layout.metrics.radius;
        const double top = std::min(p.y(), q.y()) - r;
        const double bottom = std::max(p.y(), q.y()) + r;
        const double left = std::min(p.x(), q.x()) - r;
        const double right = std::max(p.x(), q.x()) + r;
        const int first = std::max(m_minRow, rowAt(top));
        const int last =
            std::min(m_minRow + static_cast<int>(m_rows.size()) - 1, rowAt(bottom) + 1);
        for (int row = first; row <= last; ++row) {
            const auto& circles = m_rows[row - m_minRow];
            auto it =
                std::lower_bound(circles.begin(), circles.end(), std::pair<double, int>{left, 0});
            for (; it != circles.end() && it->first <= right; ++it) {
                if (it->second == a || it->second == b)
                    continue;
                if (distanceToSegment(m_layout.eventAt(it->second).centre, p, q) < r + 2)
                    return true;
            }
        }
        return false;
    }

    // Whether a vertical line at x crosses a circle of the rows first..last.
    bool columnBlocked(double x, int first, int last) const
    {
        bool blocked = false;
        forEachNear(x, x, first, last, [&](double, int) { blocked = true; });
        return blocked;
    }

    // Edges of the circles of rows first..last between x0 and x1, where a vertical run would hit.
    void blockedEdges(double x0, double x1, int first, int last, std::vector<double>& out) const
    {
        const double reach = m_layout.metrics.radius + 2;
        forEachNear(x0, x1, first, last, [&](double x, int) {
            out.push_back(x - reach - 1);
            out.push_back(x + reach + 1);
        });
    }

    // Events of rows first..last whose circles reach the x range [x0, x1].
    void eventsNear(double x0, double x1, int first, int last, std::vector<int>& out) const
    {
        forEachNear(x0, x1, first, last, [&](double, int event) { out.push_back(event); });
    }

private:
    // Calls f(x, event) for each circle of rows first..last that reaches the x range [x0, x1].
    template <typename F> void forEachNear(double x0, double x1, int first, int last, F f) const
    {
        const double reach = m_layout.metrics.radius + 2;
        for (int row = std::max(first, m_minRow);
             row <= std::min(last, m_minRow + static_cast<int>(m_rows.size()) - 1); ++row) {
            const auto& circles = m_rows[row - m_minRow];
            auto it = std::lower_bound(circles.begin(), circles.end(),
                                       std::pair<double, int>{x0 - reach, 0});
            for (; it != circles.end() && it->first <= x1 + reach; ++it)
                f(it->first, it->second);
        }
    }

    int rowAt(double y) const
    {
        return static_cast<int>(std::floor((y - m_layout.criticalY) / m_layout.metrics.rowHeight));
    }

    const NetworkLayout& m_layout;
    int m_minRow;
    std::vector<std::vector<std::pair<double, int>>> m_rows;
};

// Routes one activity: straight (a curve for parallel activities) when nothing is in the way,
// otherwise along the free lanes between rows, crossing rows only where no circle stands.
// When no way is found, the circles in the way are added to `blockers`, so that the caller can
// move them.
void route(LaidOutActivity& a, int parallelIndex, int parallelCount, const NetworkLayout& layout,
           const CircleIndex& index, std::vector<int>& blockers);

} // namespace zant::layout
