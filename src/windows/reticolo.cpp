#include "windows/reticolo.h"

#include "diagram/diagram_painter.h"
#include "windows/gantt.h"
#include "windows/risultati.h"

#include <QComboBox>
#include <QLabel>
#include <QToolBar>

namespace zant {

reticolo::reticolo(ModZANT& app, QWidget* parent)
    : DiagramWindow(app, QStringLiteral("ZANT: reticolo"), QStringLiteral("reticolo"), parent)
{
    auto* label = new QLabel(QStringLiteral(" Disegno: "));
    toolBar()->addWidget(label);
    m_modo = new QComboBox;
    m_modo->setObjectName(QStringLiteral("modo"));
    m_modo->setAccessibleName(QStringLiteral("modo del disegno"));
    m_modo->setToolTip(QStringLiteral("a scala dei tempi: ogni evento sta al suo tempo minimo "
                                      "sulla scala dei giorni; per livelli: gli eventi in "
                                      "colonne ordinate, con le frecce più corte possibili"));
    m_modo->addItems({QStringLiteral("a scala dei tempi"), QStringLiteral("per livelli")});
    label->setBuddy(m_modo);
    toolBar()->addWidget(m_modo);
    connect(m_modo, &QComboBox::currentIndexChanged, this, [this] { modo_Change(); });
    canvas()->toolTipAt = [this](QPointF p) { return toolTipAt(p); };
    connect(canvas(), &DiagramCanvas::clicked, this, [this](QPointF p) {
        if (const int e = eventAtPoint(m_layout, p))
            selectEvent(e);
    });
    refresh();
}

void reticolo::modo_Change()
{
    refresh();
}

void reticolo::selectEvent(int event)
{
    m_selected = event;
    canvas()->update();
    if (auto* results = m_app.windowAs<risultati>(win::risultati))
        results->selectEvent(event);
}

bool reticolo::rebuild()
{
    const ScheduleResults* results = currentResults();
    if (!results || results->isEmpty()) {
        m_layout = NetworkLayout{};
        return false;
    }
    m_layout =
        layoutNetwork(m_app.project(), *results,
                      m_modo->currentIndex() == 1 ? LayoutMode::Levels : LayoutMode::TimeScale);
    if (m_selected > results->eventCount)
        m_selected = 0;
    return true;
}

QSizeF reticolo::pictureSize() const
{
    return {m_layout.width, m_layout.height};
}

void reticolo::paintPicture(QPainter& painter) const
{
    paintNetwork(painter, m_layout, m_app.results(), m_selected);
}

QString reticolo::exportBaseName() const
{
    return QStringLiteral("ZANT-reticolo");
}

TitleBlock reticolo::titleBlock() const
{
    return networkTitleBlock(m_layout, m_app.titlePage()[TitlePage::progetto], computedOn());
}

double reticolo::smallestText() const
{
    return networkSmallestText(m_layout, m_app.results());
}

DirectSvg reticolo::directSvg() const
{
    return networkSvg(m_layout, m_app.results(), m_selected);
}

QString reticolo::toolTipAt(QPointF p) const
{
    if (m_layout.isEmpty())
        return {};
    if (const int e = eventAtPoint(m_layout, p))
        return eventToolTip(m_app.project(), m_app.results(), e);
    const int a = activityAtPoint(m_layout, p, 5 / canvas()->zoom());
    if (a < 0)
        return {};
    const LaidOutActivity& activity = m_layout.activities[a];
    return activityToolTip(m_app.project(), m_app.results(), activity.from, activity.slot);
}

} // namespace zant
