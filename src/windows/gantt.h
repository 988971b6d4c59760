#pragma once

#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "windows/diagram_window.h"

namespace zant {

// The Gantt chart of the last computation.
class gantt final : public DiagramWindow
{
    Q_OBJECT

public:
    explicit gantt(ModZANT& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(gantt)

    // For tests.
    const GanttChart& chart() const { return m_chart; }
    const GanttGeometry& geometry() const { return m_geometry; }
    QString toolTipAt(QPointF picturePoint) const;
    // The event a click at that point selects: a diamond's event, else the bar's source event.
    int eventAt(QPointF picturePoint) const;

protected:
    bool rebuild() override;
    QSizeF pictureSize() const override;
    void paintPicture(QPainter& painter) const override;
    QString exportBaseName() const override;
    TitleBlock titleBlock() const override;
    double smallestText() const override;

private:
    GanttChart m_chart;
    GanttGeometry m_geometry;
};

// Tool-tip texts shared by the two pictures.
QString eventToolTip(const Project& project, const ScheduleResults& results, int event);
QString activityToolTip(const Project& project, const ScheduleResults& results, int from, int slot);

} // namespace zant
