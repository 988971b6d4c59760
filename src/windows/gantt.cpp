#include "windows/gantt.h"

#include "model/text_format.h"
#include "windows/risultati.h"

#include <QPainter>

#include <cmath>

namespace zant {

QString eventToolTip(const Project& project, const ScheduleResults& results, int e)
{
    return QStringLiteral("Evento n. %1: %2\ntempo minimo %3 giorni (%4)\ntempo massimo %5 "
                          "giorni (%6)\nscorrimento %7 giorni")
        .arg(e)
        .arg(project.description(e), formatDays(results.earliest[e]), results.earliestDate[e],
             formatDays(results.latest[e]), results.latestDate[e],
             formatDays(results.eventFloat(e)));
}

QString activityToolTip(const Project& project, const ScheduleResults& results, int from, int slot)
{
    const Link& link = project.link(from, slot);
    const double days = link.days.value_or(0);
    const auto date = [&](double t) { return results.dateTextAt(t); };
    if (project.isDummy(from, slot))
        return QStringLiteral("Legame fittizio %1 → %2: l'evento %2 non può verificarsi prima "
                              "dell'evento %1 (precedenza senza durata)")
            .arg(from)
            .arg(link.target);
    return QStringLiteral("Attività %1 → %2: %3\ndurata %4 giorni, dal %5 al %6 al più presto\n"
                          "scorrimento totale %7, libero %8, indipendente %9 giorni")
        .arg(from)
        .arg(link.target)
        .arg(project.activityName(from, slot), formatDays(days), date(results.earliest[from]),
             date(results.earliest[from] + days), formatDays(results.linkFloatAt(from, slot)),
             formatDays(results.linkFreeFloatAt(from, slot)),
             formatDays(results.linkIndependentFloatAt(from, slot)));
}

gantt::gantt(ModZANT& app, QWidget* parent)
    : DiagramWindow(app, QStringLiteral("ZANT: diagramma di Gantt"), QStringLiteral("gantt"),
                    parent)
{
    canvas()->toolTipAt = [this](QPointF p) { return toolTipAt(p); };
    connect(canvas(), &DiagramCanvas::clicked, this, [this](QPointF p) {
        if (const int e = eventAt(p))
            if (auto* results = m_app.windowAs<risultati>(win::risultati))
                results->selectEvent(e);
    });
    refresh();
}

bool gantt::rebuild()
{
    const ScheduleResults* results = currentResults();
    m_chart = results ? buildGantt(m_app.project(), *results) : GanttChart{};
    return !m_chart.isEmpty();
}

QSizeF gantt::pictureSize() const
{
    return m_geometry.size(m_chart);
}

void gantt::paintPicture(QPainter& painter) const
{
    paintGantt(painter, m_chart, m_geometry, m_app.today());
}

QString gantt::exportBaseName() const
{
    return QStringLiteral("ZANT-gantt");
}

TitleBlock gantt::titleBlock() const
{
    TitleBlock block;
    block.title = QStringLiteral("Diagramma di Gantt");
    block.project = m_app.titlePage()[TitlePage::progetto];
    block.computed = computedOn();
    block.unitsPerDay = m_geometry.dayWidth;
    block.legend = ganttLegend(m_chart);
    return block;
}

double gantt::smallestText() const
{
    return ganttSmallestText(m_geometry);
}

int gantt::eventAt(QPointF p) const
{
    const int row = m_geometry.rowAt(m_chart, p.y());
    if (row < 0)
        return 0;
    const double reach = m_geometry.rowHeight * 0.4;
    for (const GanttMilestone& m : m_chart.milestones)
        if (m.row == row && std::abs(m_geometry.xOfDay(m_chart.dayOf(m.time)) - p.x()) <= reach)
            return m.event;
    return m_chart.bars[row].from;
}

QString gantt::toolTipAt(QPointF p) const
{
    const int row = m_geometry.rowAt(m_chart, p.y());
    if (row < 0)
        return {};
    const double reach = m_geometry.rowHeight * 0.4;
    for (const GanttMilestone& m : m_chart.milestones)
        if (m.row == row && std::abs(m_geometry.xOfDay(m_chart.dayOf(m.time)) - p.x()) <= reach)
            return eventToolTip(m_app.project(), m_app.results(), m.event);
    const GanttBar& bar = m_chart.bars[row];
    return activityToolTip(m_app.project(), m_app.results(), bar.from, bar.slot);
}

} // namespace zant
