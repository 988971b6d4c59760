#include "windows/dati.h"

#include "model/data_check.h"
#include "model/text_format.h"
#include "shell/twips.h"
#include "windows/window_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QToolButton>
namespace zant {

namespace {

QLabel* makeLabel(const QString& text, const QString& toolTip = QString())
{
    auto* label = new QLabel(text);
    if (!toolTip.isEmpty())
        label->setToolTip(toolTip);
    return label;
}

QScrollBar* makeBar(Qt::Orientation orientation, int minimum, int maximum, int large)
{
    auto* bar = new QScrollBar(orientation);
    // The boxes beside the bars take the keyboard; a bar with focus would change values on a
    // stray arrow key.
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(large);
    return bar;
}

QLineEdit* makeValueBox()
{
    auto* box = new QLineEdit;
    box->setAlignment(Qt::AlignCenter);
    box->setFrame(true);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}
// The column of the activities' names, to the right of the days, then their amounts and their
// categories of work.
constexpr int kActivityNameLeft = 9480;
constexpr int kActivityNameWidth = 3360;
constexpr int kAmountLeft = kActivityNameLeft + kActivityNameWidth + 60;
constexpr int kAmountWidth = 1500;
constexpr int kCategoryLeft = kAmountLeft + kAmountWidth + 60;
constexpr int kCategoryWidth = 2400;

} // namespace

dati::dati(ModZANT& app, QWidget* parent)
    : MainWindowBase(app, QStringLiteral("ZANT: dati per l'elaborazione"), parent)
{
    // The rows end above the progress bar; what lies below follows the bottom edge.
    growRowsAbove(5280);
    // Room for the activities' names beside the link rows.
    widenDesign(kCategoryLeft + kCategoryWidth + 120 - kActivityNameLeft);
    buildGrid();
    buildCommands();
    showScheduleSummary();
    applyDesignSize();
    m_datiniz->setText(m_app.project().startDateText());
    showNewProject();
    connect(&m_app, &ModZANT::projectRestored, this, &dati::showRestoredProject);
}

dati::~dati()
{
    // Boxes that lose the focus while the window goes would store into rows already gone.
    for (const auto* boxes : {&m_even, &m_leg, &m_gior, &m_nome, &m_importo, &m_categoria}) {
        for (QLineEdit* box : *boxes)
            box->disconnect(this);
    }
    m_datiniz->disconnect(this);
}

void dati::buildGrid()
{
    buildEventHeadings();
    m_VScroll1 = addListBar(QStringLiteral("VScroll1"), 120, 1080, &dati::VScroll1_Change);
    buildSelectedEventPanel();
    buildStartDate();
    buildLinkHeadings();
    m_VScroll2 = addListBar(QStringLiteral("VScroll2"), 5280, 2760, &dati::VScroll2_Change);

    for (int r = 1; r <= kRows; ++r)
        addRow();
    m_rows = kRows;

    m_ProgressBar1 = place(new QProgressBar, 120, 5280, 9255, 255);
    m_ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_ProgressBar1->setRange(0, 1000);
    m_ProgressBar1->setTextVisible(false);
    m_ProgressBar1->hide();
    place(passo(), 2400, 5640, 4695, 450);
}

void dati::buildEventHeadings()
{
    place(makeLabel(QStringLiteral("--- Programmazione con tecnica reticolare ---")), 5280, 600,
          4095, 255)
        ->setAlignment(Qt::AlignCenter);
    place(makeLabel(QStringLiteral("eventi"), QStringLiteral("eventi da programmare")), 120, 600,
          4695, 255)
        ->setAlignment(Qt::AlignCenter);
    place(makeLabel(QStringLiteral("n."), QStringLiteral("numero d'ordine")), 120, 840, 615, 255)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(makeLabel(QStringLiteral("descrizione"), QStringLiteral("descrizione dell'evento")), 720,
          840, 4095, 255)
        ->setAlignment(Qt::AlignCenter);
}

QScrollBar* dati::addListBar(const QString& name, int left, int top, void (dati::*onChange)())
{
    QScrollBar* bar = place(makeBar(Qt::Vertical, 1, 491, 10), left, top, 255, 2415);
    bar->setObjectName(name);
    bar->installEventFilter(this);
    connect(bar, &QScrollBar::valueChanged, this, [this, onChange] {
        if (!m_refreshing)
            (this->*onChange)();
    });
    return bar;
}

void dati::buildSelectedEventPanel()
{
    m_VScroll3 = place(makeBar(Qt::Vertical, 1, 500, 10), 5280, 1440, 255, 820);
    m_VScroll3->setObjectName(QStringLiteral("VScroll3"));
    connect(m_VScroll3, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            VScroll3_Change();
    });
    m_Label1 = place(makeLabel(QString(), QStringLiteral("numero dell'evento a cui fanno "
                                                         "riferimento i legami")),
                     5520, 1440, 3855, 375);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = m_Label1->font();
    bold.setBold(true);
    m_Label1->setFont(bold);
    m_Label2 = place(makeLabel(QStringLiteral("evento evidenziato"),
                               QStringLiteral("descrizione dell'evento a cui fanno riferimento i "
                                              "legami")),
                     5520, 1800, 3855, 455);
    m_Label2->setObjectName(QStringLiteral("Label2"));
    m_Label2->setWordWrap(true);
}

void dati::buildStartDate()
{
    place(makeLabel(QStringLiteral("Data d'inizio degli eventi:"),
                    QStringLiteral("giorno da cui partono le attività da programmare")),
          5520, 1080, 1860, 285);
    // The date box is wide enough for a whole date; the calendar button and the bar follow it.
    m_datiniz = place(makeValueBox(), 7395, 1080, 960, 285);
    m_datiniz->setObjectName(QStringLiteral("datiniz"));
    m_datiniz->setAccessibleName(QStringLiteral("Data d'inizio degli eventi"));
    m_datiniz->setToolTip(QStringLiteral("data d'inizio: digitarla (gg/mm/aaaa), sceglierla dal "
                                         "calendario o con la barra"));
    connect(m_datiniz, &QLineEdit::editingFinished, this, [this] { datiniz_Typed(); });

    m_calendario = place(new QToolButton, 8355, 1080, 225, 285);
    m_calendario->setObjectName(QStringLiteral("calendario"));
    m_calendario->setAccessibleName(QStringLiteral("Calendario della data d'inizio"));
    m_calendario->setToolTip(QStringLiteral("scegliere la data d'inizio dal calendario"));
    m_calendario->setArrowType(Qt::DownArrow);
    m_calendario->setFocusPolicy(Qt::TabFocus);
    connect(m_calendario, &QToolButton::clicked, this, &dati::pickDate);
    m_scrolladata = place(makeBar(Qt::Horizontal, 1, 32767, 30), 8595, 1080, 780, 285);
    m_scrolladata->setObjectName(QStringLiteral("scrolladata"));
    m_scrolladata->installEventFilter(this);
    connect(m_scrolladata, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            scrolladata_Change();
    });
}

void dati::buildLinkHeadings()
{
    place(makeLabel(QStringLiteral("legami con evento"),
                    QStringLiteral("numero di ogni evento legato con quello considerato")),
          6240, 2280, 1575, 255);
    place(makeLabel(QStringLiteral("n."), QStringLiteral("numero dell'evento legato")), 6240, 2520,
          1575, 255)
        ->setAlignment(Qt::AlignCenter);
    place(makeLabel(QStringLiteral("tempi medi"),
                    QStringLiteral("tempi necessari all'attività che collega i due eventi")),
          7800, 2280, 1575, 255);
    place(makeLabel(QStringLiteral("giorni"),
                    QStringLiteral("giorni necessari al completamento dell'attività")),
          7800, 2520, 1575, 255)
        ->setAlignment(Qt::AlignCenter);

    place(makeLabel(QStringLiteral("descrizione attività"),
                    QStringLiteral("il nome dell'attività che il legame rappresenta")),
          kActivityNameLeft, 2280, kActivityNameWidth, 255);
    place(makeLabel(QStringLiteral("(facoltativa)"),
                    QStringLiteral("senza descrizione l'attività è nota con la descrizione "
                                   "dell'evento a cui porta")),
          kActivityNameLeft, 2520, kActivityNameWidth, 255)
        ->setAlignment(Qt::AlignCenter);

    place(makeLabel(QStringLiteral("importo"),
                    QStringLiteral("l'importo dei lavori dell'attività, in euro")),
          kAmountLeft, 2280, kAmountWidth, 255)
        ->setAlignment(Qt::AlignCenter);
    place(makeLabel(QStringLiteral("(€)"),
                    QStringLiteral("digitato con la virgola decimale: 1.234,56")),
          kAmountLeft, 2520, kAmountWidth, 255)
        ->setAlignment(Qt::AlignCenter);
    place(makeLabel(QStringLiteral("categoria"),
                    QStringLiteral("la categoria dei lavori, ad esempio OG1 - Edifici civili")),
          kCategoryLeft, 2280, kCategoryWidth, 255)
        ->setAlignment(Qt::AlignCenter);
    place(makeLabel(QStringLiteral("(facoltativa)"),
                    QStringLiteral("la categoria dei lavori a cui appartiene l'attività")),
          kCategoryLeft, 2520, kCategoryWidth, 255)
        ->setAlignment(Qt::AlignCenter);
    m_totale = place(makeLabel(QString(), QStringLiteral("la somma degli importi di tutte le "
                                                         "attività")),
                     kAmountLeft, 1800, kAmountWidth + 60 + kCategoryWidth, 255);
    m_totale->setObjectName(QStringLiteral("totale"));
    m_totale->setAccessibleName(QStringLiteral("Importo totale"));
}

void dati::addRow()
{
    const int r = static_cast<int>(m_even.size()) + 1;
    addEventRow(r, 1080 + kGridRowPitch * (r - 1));
    addLinkRow(r, 2760 + kGridRowPitch * (r - 1));
    // A row made once the window is on screen is shown with it.
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_num.back(), m_delriga.back(), m_even.back(), m_numleg.back(), m_cancleg.back(),
             m_scrollalegami.back(), m_leg.back(), m_gior.back(), m_scrollagiorni.back(),
             m_nome.back(), m_importo.back(), m_categoria.back()})
        w->show();
}

void dati::addRowHead(const RowHead& head, int r, int top)
{
    QLabel* number = place(makeLabel(QString::number(r)), head.left, top, 375, 255);
    number->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(head.numberName)).arg(r));
    number->setAlignment(Qt::AlignCenter);
    number->setFrameShape(QFrame::Box);
    number->setMouseTracking(head.hover);
    number->installEventFilter(this);
    setBackground(number, kRowNumberColour);
    head.numbers->push_back(number);

    auto* del = place(new QToolButton, head.left + 360, top, 375, 255);
    del->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(head.deleteName)).arg(r));
    del->setIcon(deleteRowIcon());
    // A click deletes at once (Annulla brings the row back); a key never does.
    del->setFocusPolicy(Qt::NoFocus);
    del->installEventFilter(this);
    connect(del, &QToolButton::clicked, this,
            [this, r, onDelete = head.onDelete] { (this->*onDelete)(r); });
    head.deletes->push_back(del);
}

QLineEdit* dati::addRowBox(std::vector<QLineEdit*>& boxes, QLineEdit* box, const RowBox& look,
                           int r, int top)
{
    place(box, look.left, top, look.width, 255);
    box->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(look.name)).arg(r));
    box->setToolTip(look.toolTip);
    box->installEventFilter(this);
    boxes.push_back(box);
    return box;
}

QScrollBar* dati::addRowBar(std::vector<QScrollBar*>& bars, const RowBar& look, int r, int top)
{
    QScrollBar* bar =
        place(makeBar(Qt::Horizontal, look.minimum, look.maximum, 10), look.left, top, 855, 255);
    bar->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(look.name)).arg(r));
    connect(bar, &QScrollBar::valueChanged, this, [this, r, onChange = look.onChange] {
        if (!m_refreshing)
            (this->*onChange)(r);
    });
    // At the end of its range the bar does not change value, yet a press there still means
    // "this value" for an empty slot (its own event, no days).
    connect(bar, &QScrollBar::actionTriggered, this, [this, r, bar, look] {
        QMetaObject::invokeMethod(
            this,
            [this, r, bar, look] {
                if (!m_refreshing && bar->isEnabled() &&
                    (this->*look.boxes)[r - 1]->text() != QString::number(bar->value()))
                    (this->*look.onChange)(r);
            },
            Qt::QueuedConnection);
    });
    bar->installEventFilter(this);
    bars.push_back(bar);
    return bar;
}

void dati::addEventRow(int r, int top)
{
    addRowHead({&m_num, &m_delriga, "num", "delriga", 360, true, &dati::delriga_Click}, r, top);
    // One row high, so that the boxes of neighbouring rows do not overlap.
    QLineEdit* even = addRowBox(
        m_even, new QLineEdit,
        {"even", 1080, 3735, QStringLiteral("descrizione dell'evento; Invio passa ai suoi legami")},
        r, top);
    connect(even, &QLineEdit::textEdited, this,
            [this, r](const QString& text) { even_Change(r, text); });
}

void dati::addLinkRow(int r, int top)
{
    addRowHead({&m_numleg, &m_cancleg, "numleg", "cancleg", 5520, false, &dati::cancleg_Click}, r,
               top);
    addRowBar(m_scrollalegami,
              {"scrollalegami", 6240, 1, 1, &dati::scrollalegami_Change, &dati::m_leg}, r, top);
    QLineEdit* leg =
        addRowBox(m_leg, makeValueBox(),
                  {"leg", 7080, 735,
                   QStringLiteral("numero dell'evento legato: scorrere la barra o digitarlo")},
                  r, top);
    connect(leg, &QLineEdit::editingFinished, this, [this, r] { leg_Typed(r); });
    QLineEdit* gior = addRowBox(
        m_gior, makeValueBox(),
        {"gior", 7800, 735, QStringLiteral("giorni del legame: scorrere la barra o digitarli")}, r,
        top);
    connect(gior, &QLineEdit::editingFinished, this, [this, r] { gior_Typed(r); });
    addRowBar(m_scrollagiorni,
              {"scrollagiorni", 8520, 0, 1000, &dati::scrollagiorni_Change, &dati::m_gior}, r, top);
    addActivityBoxes(r, top);
}

void dati::addActivityBoxes(int r, int top)
{
    QLineEdit* nome = addRowBox(m_nome, new QLineEdit,
                                {"nome", kActivityNameLeft, kActivityNameWidth,
                                 QStringLiteral("descrizione dell'attività (facoltativa): senza, "
                                                "l'attività prende la descrizione dell'evento a "
                                                "cui porta")},
                                r, top);
    nome->setMaxLength(kMaxActivityNameLength);
    connect(nome, &QLineEdit::textEdited, this,
            [this, r](const QString& text) { nome_Change(r, text); });

    QLineEdit* importo = addRowBox(m_importo, makeValueBox(),
                                   {"importo", kAmountLeft, kAmountWidth,
                                    QStringLiteral("importo dell'attività in euro, con la virgola "
                                                   "decimale (1.234,56)")},
                                   r, top);
    importo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    importo->setMaxLength(20);
    connect(importo, &QLineEdit::editingFinished, this, [this, r] { importo_Typed(r); });

    QLineEdit* categoria = addRowBox(m_categoria, new QLineEdit,
                                     {"categoria", kCategoryLeft, kCategoryWidth,
                                      QStringLiteral("categoria dei lavori dell'attività "
                                                     "(facoltativa), ad esempio OG1 - Edifici "
                                                     "civili")},
                                     r, top);
    categoria->setMaxLength(kMaxCategoryLength);
    connect(categoria, &QLineEdit::textEdited, this,
            [this, r](const QString& text) { categoria_Change(r, text); });
}

void dati::setScrollValue(QScrollBar* bar, int value)
{
    const bool was = m_refreshing;
    m_refreshing = true;
    bar->setValue(value);
    m_refreshing = was;
}

void dati::setStatus(const QString& text)
{
    passo()->setText(text);
}

void dati::UpdateGuidance()
{
    setStatus(dataEntryGuidance(m_app.project(), !m_datiniz->text().isEmpty()));
    showTotalAmount();
}

void dati::showTotalAmount()
{
    m_totale->setText(
        QStringLiteral("Importo totale: %1 €").arg(formatEuro(m_app.project().totalAmount())));
}

void dati::showStartDate()
{
    const QString text = m_app.project().startDateText();
    m_datiniz->setText(text);
    m_datiniz->setModified(false);
    const QDate start = parseDate(text);
    const qint64 days = start.isValid() ? dateScrollOrigin().daysTo(start) : 0;
    // A date outside the bar's range stays shown as it was read.
    if (days >= m_scrolladata->minimum() && days <= m_scrolladata->maximum())
        setScrollValue(m_scrolladata, static_cast<int>(days));
}

void dati::showNewProject()
{
    setScrollValue(m_VScroll1, 1);
    setScrollValue(m_VScroll2, 1);
    setScrollValue(m_VScroll3, 1);
    updateTargetRanges();
    showStartDate();
    VScroll1_Change();
    UpdateGuidance();
}

void dati::showRestoredProject()
{
    updateTargetRanges();
    showStartDate();
    // The lists stay where they were; the selected event and its links are shown anew.
    const int selected = m_selectedEvent;
    VScroll1_Change();
    setScrollValue(m_VScroll3, selected);
    VScroll3_Change();
    UpdateGuidance();
}

} // namespace zant
