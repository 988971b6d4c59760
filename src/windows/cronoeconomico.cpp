#include "windows/cronoeconomico.h"

#include <QLabel>
#include <QSpinBox>
#include <QToolBar>

namespace zant {

cronoeconomico::cronoeconomico(ModZANT& app, QWidget* parent)
    : DiagramWindow(app, QStringLiteral("ZANT: cronoprogramma economico"),
                    QStringLiteral("cronoeconomico"), parent)
{
    toolBar()->addWidget(new QLabel(QStringLiteral(" SAL ogni ")));
    m_salmesi = new QSpinBox;
    m_salmesi->setObjectName(QStringLiteral("salmesi"));
    m_salmesi->setAccessibleName(QStringLiteral("mesi tra due stati di avanzamento lavori"));
    m_salmesi->setToolTip(QStringLiteral("ogni quanti mesi cade uno stato di avanzamento lavori"));
    m_salmesi->setRange(1, 120);
    m_salmesi->setValue(1);
    m_salmesi->setSuffix(QStringLiteral(" mesi"));
    toolBar()->addWidget(m_salmesi);
    connect(m_salmesi, &QSpinBox::valueChanged, this, [this] { refresh(); });
    refresh();
}

bool cronoeconomico::rebuild()
{
    const ScheduleResults* results = currentResults();
    m_amounts = results ? amountsInTime(m_app.project(), *results, projectDays(m_app.project()))
                        : AmountsInTime{};
    SalRule rule;
    rule.everyMonths = m_salmesi ? m_salmesi->value() : 1;
    m_picture = layoutSCurve(m_amounts,
                             results ? salForecast(m_amounts, rule) : std::vector<SalForecast>{});
    if (results && m_picture.isEmpty())
        emptyLabel()->setText(QStringLiteral("Nessun importo da rappresentare: le lavorazioni "
                                             "non hanno importi. Si inseriscono nella finestra "
                                             "Dati."));
    return !m_picture.isEmpty();
}

QSizeF cronoeconomico::pictureSize() const
{
    return m_picture.size;
}

void cronoeconomico::paintPicture(QPainter& painter) const
{
    paintSCurve(painter, m_picture);
}

QString cronoeconomico::exportBaseName() const
{
    return QStringLiteral("ZANT-curva-S");
}

TitleBlock cronoeconomico::titleBlock() const
{
    TitleBlock block;
    block.title = QStringLiteral("Curva a S degli importi");
    block.project = m_app.titlePage()[TitlePage::progetto];
    block.computed = computedOn();
    block.unitsPerDay = m_picture.dayWidth;
    block.legend = TitleBlock::Legend::SCurve;
    return block;
}

double cronoeconomico::smallestText() const
{
    return 9;
}

} // namespace zant
