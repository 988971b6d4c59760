#include "windows/dati.h"

#include "model/data_check.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "report/print_commands.h"
#include "shell/edit_commands.h"
#include "shell/exchange_actions.h"
#include "shell/twips.h"
#include "windows/window_style.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWidgetAction>

namespace zant {

namespace {

const QString kDataFilters =
    QStringLiteral("Tutti i file (*.*) | *.*|File ZANT-dati- | ZANT-dati-*");

QLabel* makeLabel(const QString& text, const QString& toolTip = QString())
{
    auto* label = new QLabel(text);
    if (!toolTip.isEmpty())
        label->setToolTip(toolTip);
    return label;
}

QString insertRowTip(int number)
{
    return QStringLiteral("cliccare per inserire una riga al n.") + withLeadingBlank(number);
}

QString deleteRowTip(int number)
{
    return QStringLiteral("cliccare per eliminare la riga n.") + withLeadingBlank(number);
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

// Dates typed as 16/03/2026, 16/3/2026 or 16/3/26 (years of two digits fall in 1990..2089, the
// years the start date can take).
QDate parseTypedDate(const QString& typed)
{
    const QString text = typed.trimmed();
    for (const char* format : {"dd/MM/yyyy", "d/M/yyyy"}) {
        const QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid())
            return date;
    }
    for (const char* format : {"dd/MM/yy", "d/M/yy"}) {
        QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid()) {
            const int yy = date.year() % 100;
            return QDate(yy < 90 ? 2000 + yy : 1900 + yy, date.month(), date.day());
        }
    }
    return QDate();
}

// Durations typed with a decimal comma or a decimal point.
std::optional<double> parseTypedDays(const QString& typed)
{
    QString text = typed.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

dati::dati(ModZANT& app, QWidget* parent)
    : MainWindowBase(app, QStringLiteral("ZANT: dati per l'elaborazione"), parent)
{
    buildGrid();
    buildCommands();
    applyDesignSize();
    m_app.InitMessageTitles();
    m_datiniz->setText(m_app.project().startDateText());
    showNewProject();
    connect(&m_app, &ModZANT::projectRestored, this, &dati::showRestoredProject);
}

dati::~dati() = default;

void dati::buildGrid()
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

    m_VScroll1 = place(makeBar(Qt::Vertical, 1, 491, 10), 120, 1080, 255, 2415);
    m_VScroll1->setObjectName(QStringLiteral("VScroll1"));
    m_VScroll1->installEventFilter(this);
    connect(m_VScroll1, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            VScroll1_Change();
    });

    for (int r = 1; r <= kRows; ++r) {
        const int top = 1080 + kGridRowPitch * (r - 1);
        QLabel* num = place(makeLabel(QString::number(r)), 360, top, 375, 255);
        num->setObjectName(QStringLiteral("num%1").arg(r));
        num->setAlignment(Qt::AlignCenter);
        num->setFrameShape(QFrame::Box);
        num->setMouseTracking(true);
        num->installEventFilter(this);
        setBackground(num, kRowNumberColour);
        m_num[r - 1] = num;

        auto* del = place(new QToolButton, 720, top, 375, 255);
        del->setObjectName(QStringLiteral("delriga%1").arg(r));
        del->setIcon(deleteRowIcon());
        // A click deletes at once (Annulla brings the row back); a key never does.
        del->setFocusPolicy(Qt::NoFocus);
        del->installEventFilter(this);
        connect(del, &QToolButton::clicked, this, [this, r] { delriga_Click(r); });
        m_delriga[r - 1] = del;

        // One row high, so that the boxes of neighbouring rows do not overlap.
        auto* even = place(new QLineEdit, 1080, top, 3735, 255);
        even->setObjectName(QStringLiteral("even%1").arg(r));
        connect(even, &QLineEdit::textEdited, this,
                [this, r](const QString& text) { even_Change(r, text); });
        even->installEventFilter(this);
        m_even[r - 1] = even;
    }

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

    m_VScroll2 = place(makeBar(Qt::Vertical, 1, 491, 10), 5280, 2760, 255, 2415);
    m_VScroll2->setObjectName(QStringLiteral("VScroll2"));
    m_VScroll2->installEventFilter(this);
    connect(m_VScroll2, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            VScroll2_Change();
    });

    for (int r = 1; r <= kRows; ++r) {
        const int top = 2760 + kGridRowPitch * (r - 1);
        QLabel* numleg = place(makeLabel(QString::number(r)), 5520, top, 375, 255);
        numleg->setObjectName(QStringLiteral("numleg%1").arg(r));
        numleg->setAlignment(Qt::AlignCenter);
        numleg->setFrameShape(QFrame::Box);
        numleg->installEventFilter(this);
        setBackground(numleg, kRowNumberColour);
        m_numleg[r - 1] = numleg;

        auto* del = place(new QToolButton, 5880, top, 375, 255);
        del->setObjectName(QStringLiteral("cancleg%1").arg(r));
        del->setIcon(deleteRowIcon());
        del->setFocusPolicy(Qt::NoFocus);
        del->installEventFilter(this);
        connect(del, &QToolButton::clicked, this, [this, r] { cancleg_Click(r); });
        m_cancleg[r - 1] = del;

        QScrollBar* target = place(makeBar(Qt::Horizontal, 1, 1, 10), 6240, top, 855, 255);
        target->setObjectName(QStringLiteral("scrollalegami%1").arg(r));
        connect(target, &QScrollBar::valueChanged, this, [this, r] {
            if (!m_refreshing)
                scrollalegami_Change(r);
        });
        // At the end of its range the bar does not change value, yet a press there still means
        // "this event" for an empty slot.
        connect(target, &QScrollBar::actionTriggered, this, [this, r, target] {
            QMetaObject::invokeMethod(
                this,
                [this, r, target] {
                    if (!m_refreshing && target->isEnabled() &&
                        m_leg[r - 1]->text() != QString::number(target->value()))
                        scrollalegami_Change(r);
                },
                Qt::QueuedConnection);
        });
        target->installEventFilter(this);
        m_scrollalegami[r - 1] = target;

        QLineEdit* leg = place(makeValueBox(), 7080, top, 735, 255);
        leg->setObjectName(QStringLiteral("leg%1").arg(r));
        leg->setToolTip(QStringLiteral("numero dell'evento legato: scorrere la barra o digitarlo"));
        connect(leg, &QLineEdit::editingFinished, this, [this, r] { leg_Typed(r); });
        leg->installEventFilter(this);
        m_leg[r - 1] = leg;

        QLineEdit* gior = place(makeValueBox(), 7800, top, 735, 255);
        gior->setObjectName(QStringLiteral("gior%1").arg(r));
        gior->setToolTip(QStringLiteral("giorni del legame: scorrere la barra o digitarli"));
        connect(gior, &QLineEdit::editingFinished, this, [this, r] { gior_Typed(r); });
        gior->installEventFilter(this);
        m_gior[r - 1] = gior;

        QScrollBar* days = place(makeBar(Qt::Horizontal, 0, 1000, 10), 8520, top, 855, 255);
        days->setObjectName(QStringLiteral("scrollagiorni%1").arg(r));
        connect(days, &QScrollBar::valueChanged, this, [this, r] {
            if (!m_refreshing)
                scrollagiorni_Change(r);
        });
        connect(days, &QScrollBar::actionTriggered, this, [this, r, days] {
            QMetaObject::invokeMethod(
                this,
                [this, r, days] {
                    if (!m_refreshing && days->isEnabled() &&
                        m_gior[r - 1]->text() != QString::number(days->value()))
                        scrollagiorni_Change(r);
                },
                Qt::QueuedConnection);
        });
        days->installEventFilter(this);
        m_scrollagiorni[r - 1] = days;
    }

    m_ProgressBar1 = place(new QProgressBar, 120, 5280, 9255, 255);
    m_ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_ProgressBar1->setRange(0, 1000);
    m_ProgressBar1->setTextVisible(false);
    m_ProgressBar1->hide();
    place(passo(), 2400, 5640, 4695, 450);
}

void dati::buildCommands()
{
    addMenu("file", "&File",
            {item("apri", "&Apri...", [this] { apri_Click(); }),
             separator(),
             item("salva", "&Salva", [this] { salva_Click(); }),
             item("salvanome", "Salva con &nome...", [this] { salvanome_Click(); }),
             separator(),
             item("eliminare", "&Elimina...", [this] { eliminare_click(); }),
             separator(),
             submenu("esporta", "Es&porta"),
             item("esportamspdi", "&Microsoft Project XML…", [this] { esportamspdi_Click(); }),
             item("esportacalendario", "&Calendario…", [this] { esportacalendario_Click(); }),
             endSubmenu(),
             submenu("importa", "I&mporta"),
             item("importamspdi", "&Microsoft Project XML…", [this] { importamspdi_Click(); }),
             item("importaelenco", "&Elenco di attività…", [this] { importaelenco_Click(); }),
             endSubmenu(),
             separator(),
             submenu("stamp", "S&tampa..."),
             item("modulo", "modulo di acquisizione dei dati", [this] { modulo_click(); }),
             item("stampa", "dati finestra", [this] { stampa_Click(); }),
             endSubmenu(),
             separator(),
             item("usci", "Es&ci", [this] { usci_Click(); })});
    QMenu* modif = addMenu(
        "modif", "&Modifica",
        {item("colorare", "&Colore di sfondo", [this] { colorare_Click(); }), separator(),
         item("controlla", "Controllo &dati immessi", [this] { controlla_Click(); }), separator(),
         item("cancella", "C&ancella dati finestra", [this] { cancella_click(); }), separator(),
         item(
             "incollaattivita", "&Incolla attività", [this] { incollaattivita_Click(); },
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V))});

    addViewMenu({}, 1);
    addHelpMenu(QStringLiteral("inter"), QStringLiteral("suggerimenti"));
    addWindowItem(1);

    buildToolbar({{ToolbarButton::Apri, [this] { apri_Click(); }},
                  {ToolbarButton::Salva, [this] { salva_Click(); }},
                  {ToolbarButton::Elimina, [this] { eliminare_click(); }},
                  {ToolbarButton::Stampa, [this] { stampa_Click(); }},
                  {ToolbarButton::Controllo, [this] { controlla_Click(); }},
                  {ToolbarButton::Cancella, [this] { cancella_click(); }},
                  {ToolbarButton::Uscita, [this] { usci_Click(); }}},
                 QStringLiteral("apri files"));

    addButtons(
        {
            {"aiuto", "&AIUTO", "cliccare per avere gli aiuti in linea", 120,
             [this] { aiuto_Click(); }},
            {"guidainlinea", "&Guida in linea", "cliccare per visualizzare il Sommario della guida",
             1200, [this] { m_app.showWindow(win::sommario); }, &win::sommario},
            {"risult", "&Risultati", "cliccare per visualizzare la finestra Risultati", 7200,
             [this] { risult_Click(); }},
            {"esco", "&USCITA", "cliccare per uscire da ZANT", 8280, [this] { usci_Click(); }},
        },
        5760, 1095, 375);

    addUndoItems(modif);
    finishCommands(QStringLiteral("stampa"), QStringLiteral("usci"));

    // Tab runs through the descriptions, the link rows, the date and the buttons in reading
    // order.
    QList<QWidget*> order;
    for (QLineEdit* even : m_even)
        order << even;
    for (int r = 0; r < kRows; ++r)
        order << m_leg[r] << m_gior[r];
    order << m_datiniz << m_calendario;
    for (const char* name : {"aiuto", "guidainlinea", "risult", "esco"}) {
        if (QPushButton* b = button(name))
            order << b;
    }
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool dati::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        QScrollBar* bar = nullptr;
        if (watched == m_VScroll1) {
            bar = m_VScroll1;
        } else if (watched == m_VScroll2 ||
                   std::find(m_scrollalegami.begin(), m_scrollalegami.end(), watched) !=
                       m_scrollalegami.end() ||
                   std::find(m_scrollagiorni.begin(), m_scrollagiorni.end(), watched) !=
                       m_scrollagiorni.end()) {
            // Over the link rows the wheel scrolls the list; it never changes a link.
            bar = m_VScroll2;
        } else if (watched == m_scrolladata) {
            return true;
        } else if (auto* w = qobject_cast<QWidget*>(watched)) {
            // A row's control, or the window between the rows.
            const QPoint at = w == central() ? wheel->position().toPoint() : w->geometry().center();
            const QRect events = m_num[0]->geometry().united(m_even[kRows - 1]->geometry());
            const QRect links =
                m_numleg[0]->geometry().united(m_scrollagiorni[kRows - 1]->geometry());
            if (w->parentWidget() == central() || w == central()) {
                if (events.contains(at))
                    bar = m_VScroll1;
                else if (links.contains(at))
                    bar = m_VScroll2;
            }
        }
        if (bar) {
            wheelRows(bar, wheel);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (int r = 1; r <= kRows; ++r) {
            if (watched == m_even[r - 1])
                return moveInRows(r, false, key) || MainWindowBase::eventFilter(watched, event);
            if (watched == m_leg[r - 1] || watched == m_gior[r - 1])
                return moveInRows(r, true, key) || MainWindowBase::eventFilter(watched, event);
        }
    }
    if (event->type() == QEvent::FocusIn) {
        // Typing in a box after coming back to it is a new step of the history.
        if (std::find(m_even.begin(), m_even.end(), watched) != m_even.end())
            m_app.newEditSession();
    }
    for (int r = 1; r <= kRows; ++r) {
        if (watched == m_num[r - 1]) {
            if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
                num_MouseMove(r);
            else if (event->type() == QEvent::MouseButtonPress)
                num_click(r);
        } else if (watched == m_numleg[r - 1] && event->type() == QEvent::MouseButtonPress) {
            numleg_Click(r);
        }
    }
    if (watched == central() && event->type() == QEvent::MouseMove)
        resetHighlight();
    return MainWindowBase::eventFilter(watched, event);
}

void dati::wheelRows(QScrollBar* bar, QWheelEvent* wheel)
{
    m_wheelRemainder += wheel->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder %= 120;
    if (notches != 0)
        bar->setValue(bar->value() - notches);
}

bool dati::moveInRows(int row, bool links, QKeyEvent* key)
{
    QScrollBar* bar = links ? m_VScroll2 : m_VScroll1;
    auto* box = static_cast<QLineEdit*>(QApplication::focusWidget());
    const auto column = [&](int r) -> QLineEdit* {
        if (!links)
            return m_even[r - 1];
        return box == m_gior[row - 1] ? m_gior[r - 1] : m_leg[r - 1];
    };
    int step = 0;
    switch (key->key()) {
    case Qt::Key_Up:
        if (row > 1) {
            column(row - 1)->setFocus(Qt::OtherFocusReason);
            return true;
        }
        step = -1;
        break;
    case Qt::Key_Down:
        if (row < kRows) {
            column(row + 1)->setFocus(Qt::OtherFocusReason);
            return true;
        }
        step = 1;
        break;
    case Qt::Key_PageUp:
        step = -10;
        break;
    case Qt::Key_PageDown:
        step = 10;
        break;
    default:
        return false;
    }
    // A value typed in the box is stored before the rows move under it.
    if (links)
        commitLinkBox(column(row));
    else
        m_app.newEditSession();
    bar->setValue(bar->value() + step);
    return true;
}

void dati::commitLinkBox(QLineEdit* box)
{
    for (int r = 1; r <= kRows; ++r) {
        if (box == m_leg[r - 1])
            leg_Typed(r);
        else if (box == m_gior[r - 1])
            gior_Typed(r);
    }
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

void dati::resetHighlight()
{
    m_highlightedRow = 0;
    for (QLabel* num : m_num)
        setBackground(num, kRowNumberColour);
}

void dati::VScroll1_Change()
{
    resetHighlight();
    m_topEvent = m_VScroll1->value();
    const Project& p = m_app.project();
    for (int r = 1; r <= kRows; ++r) {
        const int e = m_topEvent + r - 1;
        m_num[r - 1]->setText(QString::number(e));
        m_num[r - 1]->setToolTip(insertRowTip(e));
        m_even[r - 1]->setText(p.description(e));
        // Long descriptions show their beginning.
        m_even[r - 1]->setCursorPosition(0);
        m_even[r - 1]->setAccessibleName(QStringLiteral("descrizione evento %1").arg(e));
        m_delriga[r - 1]->setToolTip(deleteRowTip(e));
    }
    VScroll3_Change();
}

void dati::VScroll3_Change()
{
    m_selectedEvent = m_VScroll3->value();
    const Project& p = m_app.project();
    m_Label1->setText(QStringLiteral("Evento n.") + withLeadingBlank(m_selectedEvent));
    // The final event, and any event above it, cannot receive links.
    const bool final = m_selectedEvent >= p.eventCount();
    m_Label2->setText(final ? QStringLiteral("Evento finale senza legami")
                            : p.description(m_selectedEvent));
    for (int r = 0; r < kRows; ++r) {
        m_scrollalegami[r]->setEnabled(!final);
        m_scrollagiorni[r]->setEnabled(!final);
        m_leg[r]->setReadOnly(final);
        m_gior[r]->setReadOnly(final);
    }
    VScroll2_Change();
}

void dati::VScroll2_Change()
{
    m_topLinkSlot = m_VScroll2->value();
    const Project& p = m_app.project();
    const bool was = m_refreshing;
    m_refreshing = true;
    for (int r = 1; r <= kRows; ++r) {
        const int s = m_topLinkSlot + r - 1;
        const Link& link = p.link(m_selectedEvent, s);
        m_numleg[r - 1]->setText(QString::number(s));
        // A slot is shown only when it has both its target and its duration.
        const bool shown = !link.isEmpty() && link.days.has_value();
        m_leg[r - 1]->setText(shown ? QString::number(link.target) : QString());
        m_gior[r - 1]->setText(shown ? formatDays(*link.days) : QString());
        m_leg[r - 1]->setModified(false);
        m_gior[r - 1]->setModified(false);
        // An empty slot's bars start at their minimum.
        QScrollBar* targetBar = m_scrollalegami[r - 1];
        QScrollBar* daysBar = m_scrollagiorni[r - 1];
        targetBar->setValue(link.isEmpty() ? targetBar->minimum() : link.target);
        daysBar->setValue(link.days ? static_cast<int>(*link.days) : daysBar->minimum());
        m_leg[r - 1]->setAccessibleName(QStringLiteral("evento legato, legame %1").arg(s));
        m_gior[r - 1]->setAccessibleName(QStringLiteral("giorni, legame %1").arg(s));
        m_numleg[r - 1]->setToolTip(insertRowTip(s));
        m_cancleg[r - 1]->setToolTip(deleteRowTip(s));
    }
    m_refreshing = was;
}

void dati::num_MouseMove(int row)
{
    resetHighlight();
    m_highlightedRow = row;
    setBackground(m_num[row - 1], kHighlightColour);
    setScrollValue(m_VScroll3, m_topEvent + row - 1);
    VScroll3_Change();
}

void dati::even_Change(int row, const QString& text)
{
    const int e = m_topEvent + row - 1;
    const Project& p = m_app.project();
    if (text.isEmpty())
        return;
    if (auto why = unstorableTextReason(text)) {
        // The box keeps the text it had: the file could not store this one.
        m_even[row - 1]->setText(p.description(e));
        setStatus(QStringLiteral("Testo non accettato: la descrizione ") + *why + QLatin1Char('.'));
        return;
    }
    const Outcome refusal = m_app.edit<SetDescriptionCommand>(e, text, m_app.editSession());
    if (refusal) {
        const int n = p.eventCount();
        setScrollValue(m_VScroll1, std::clamp(n == 0 ? 1 : n, 1, 491));
        VScroll1_Change();
        say(*refusal);
        const int firstFree = n + 1;
        const int freeRow = firstFree - m_topEvent + 1;
        if (freeRow >= 1 && freeRow <= kRows)
            m_even[freeRow - 1]->setFocus();
        return;
    }
    updateTargetRanges();
    num_MouseMove(row);
    UpdateGuidance();
}

void dati::updateTargetRanges()
{
    // A bar whose value falls beyond the new range moves, and that move must not be taken for a
    // picked target.
    const bool was = m_refreshing;
    m_refreshing = true;
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(std::max(1, m_app.project().eventCount()));
    m_refreshing = was;
}

void dati::num_click(int row)
{
    if (const Outcome message = m_app.edit<InsertEventCommand>(m_topEvent + row - 1))
        say(*message);
    updateTargetRanges();
    VScroll1_Change();
    UpdateGuidance();
}

void dati::delriga_Click(int row)
{
    const int e = m_topEvent + row - 1;
    if (m_app.project().description(e).isEmpty())
        return;
    m_app.edit<DeleteEventCommand>(e);
    updateTargetRanges();
    VScroll1_Change();
    UpdateGuidance();
}

void dati::numleg_Click(int row)
{
    if (const Outcome message = m_app.edit<LinkEditCommand>(
            LinkEditCommand::InsertSlot, m_selectedEvent, m_topLinkSlot + row - 1))
        say(*message);
    VScroll2_Change();
    UpdateGuidance();
}

void dati::cancleg_Click(int row)
{
    const int s = m_topLinkSlot + row - 1;
    if (m_app.project().link(m_selectedEvent, s).isEmpty()) {
        m_gior[row - 1]->clear();
        return;
    }
    m_app.edit<LinkEditCommand>(LinkEditCommand::DeleteSlot, m_selectedEvent, s);
    VScroll2_Change();
    UpdateGuidance();
}

void dati::scrollLinksToLastFilled()
{
    setScrollValue(m_VScroll2, std::clamp(m_app.project().linkCount(m_selectedEvent), 1, 491));
    VScroll2_Change();
}

void dati::scrollalegami_Change(int row)
{
    const int value = m_scrollalegami[row - 1]->value();
    m_leg[row - 1]->setText(QString::number(value));
    const int s = m_topLinkSlot + row - 1;
    if (const Outcome refusal =
            m_app.edit<LinkEditCommand>(LinkEditCommand::Target, m_selectedEvent, s, value)) {
        scrollLinksToLastFilled();
        say(*refusal);
        if (m_app.project().link(m_selectedEvent, m_topLinkSlot + row - 1).isEmpty())
            m_leg[row - 1]->clear();
        return;
    }
    UpdateGuidance();
}

void dati::scrollagiorni_Change(int row)
{
    storeDays(row, m_scrollagiorni[row - 1]->value());
}

void dati::storeDays(int row, double value)
{
    m_gior[row - 1]->setText(formatDays(value));
    const int s = m_topLinkSlot + row - 1;
    if (const Outcome refusal =
            m_app.edit<LinkEditCommand>(LinkEditCommand::Days, m_selectedEvent, s, value)) {
        say(*refusal);
        m_gior[row - 1]->clear();
        return;
    }
    UpdateGuidance();
}

void dati::leg_Typed(int row)
{
    QLineEdit* box = m_leg[row - 1];
    if (!box->isModified() || box->isReadOnly())
        return;
    box->setModified(false);
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return;
    QScrollBar* bar = m_scrollalegami[row - 1];
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < bar->minimum() || value > bar->maximum()) {
        const Link& link = m_app.project().link(m_selectedEvent, m_topLinkSlot + row - 1);
        box->setText(link.isEmpty() ? QString() : QString::number(link.target));
        say(critical(QStringLiteral("Digitare un numero di evento da 1 a") +
                     withLeadingBlank(bar->maximum()) + QLatin1Char('.')));
        return;
    }
    setScrollValue(bar, value);
    // A typed value is a step of its own, never merged with a drag of the bar.
    m_app.newEditSession();
    scrollalegami_Change(row);
    m_app.newEditSession();
}

void dati::gior_Typed(int row)
{
    QLineEdit* box = m_gior[row - 1];
    if (!box->isModified() || box->isReadOnly())
        return;
    box->setModified(false);
    if (box->text().trimmed().isEmpty())
        return;
    QScrollBar* bar = m_scrollagiorni[row - 1];
    const std::optional<double> value = parseTypedDays(box->text());
    if (!value || *value < bar->minimum() || *value > bar->maximum()) {
        const Link& link = m_app.project().link(m_selectedEvent, m_topLinkSlot + row - 1);
        box->setText(link.days ? formatDays(*link.days) : QString());
        say(critical(QStringLiteral("Digitare un numero di giorni da 0 a 1000.")));
        return;
    }
    setScrollValue(bar, static_cast<int>(*value));
    m_app.newEditSession();
    storeDays(row, *value);
    m_app.newEditSession();
}

void dati::scrolladata_Change()
{
    const QString text = formatDate(dateScrollOrigin().addDays(m_scrolladata->value()));
    m_datiniz->setText(text);
    m_datiniz->setModified(false);
    m_app.edit<SetStartDateCommand>(text);
    UpdateGuidance();
}

void dati::datiniz_Typed()
{
    if (!m_datiniz->isModified())
        return;
    m_datiniz->setModified(false);
    if (m_datiniz->text().trimmed().isEmpty()) {
        m_datiniz->setText(m_app.project().startDateText());
        return;
    }
    const QDate date = parseTypedDate(m_datiniz->text());
    if (!date.isValid()) {
        m_datiniz->setText(m_app.project().startDateText());
        say(critical(QStringLiteral("Data non valida: digitarla come giorno/mese/anno, ad "
                                    "esempio 16/03/2026.")));
        return;
    }
    storeStartDate(date);
}

bool dati::storeStartDate(const QDate& date)
{
    const qint64 days = dateScrollOrigin().daysTo(date);
    if (days < m_scrolladata->minimum() || days > m_scrolladata->maximum()) {
        m_datiniz->setText(m_app.project().startDateText());
        say(critical(QStringLiteral("La data d'inizio va scelta dal %1 al %2.")
                         .arg(formatDate(dateScrollOrigin().addDays(m_scrolladata->minimum())),
                              formatDate(dateScrollOrigin().addDays(m_scrolladata->maximum())))));
        return false;
    }
    // Moving the bar stores the date, as a drag of the bar does; a typed or picked date is a
    // step of its own.
    m_app.newEditSession();
    if (m_scrolladata->value() != days)
        m_scrolladata->setValue(static_cast<int>(days));
    else
        scrolladata_Change();
    m_app.newEditSession();
    return true;
}

void dati::pickDate()
{
    QMenu popup(this);
    auto* calendar = new QCalendarWidget(&popup);
    calendar->setObjectName(QStringLiteral("calendarioData"));
    calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->setGridVisible(true);
    calendar->setDateRange(dateScrollOrigin().addDays(m_scrolladata->minimum()),
                           dateScrollOrigin().addDays(m_scrolladata->maximum()));
    const QDate shown = parseDate(m_app.project().startDateText());
    calendar->setSelectedDate(shown.isValid() ? shown : m_app.today());
    auto* holder = new QWidgetAction(&popup);
    holder->setDefaultWidget(calendar);
    popup.addAction(holder);
    QDate picked;
    connect(calendar, &QCalendarWidget::activated, &popup, [&](const QDate& date) {
        picked = date;
        popup.close();
    });
    connect(calendar, &QCalendarWidget::clicked, &popup, [&](const QDate& date) {
        picked = date;
        popup.close();
    });
    popup.exec(m_calendario->mapToGlobal(QPoint(m_calendario->width(), m_calendario->height())) -
               QPoint(calendar->sizeHint().width(), 0));
    if (picked.isValid())
        storeStartDate(picked);
}

void dati::UpdateGuidance()
{
    setStatus(dataEntryGuidance(m_app.project(), !m_datiniz->text().isEmpty()));
}

void dati::showNewProject()
{
    const Project& p = m_app.project();
    setScrollValue(m_VScroll1, 1);
    setScrollValue(m_VScroll2, 1);
    setScrollValue(m_VScroll3, 1);
    updateTargetRanges();
    m_datiniz->setText(p.startDateText());
    m_datiniz->setModified(false);
    const QDate start = parseDate(p.startDateText());
    const qint64 days = start.isValid() ? dateScrollOrigin().daysTo(start) : 0;
    // A date outside the bar's range stays shown as it was read.
    if (days >= m_scrolladata->minimum() && days <= m_scrolladata->maximum())
        setScrollValue(m_scrolladata, static_cast<int>(days));
    VScroll1_Change();
    UpdateGuidance();
}

void dati::showRestoredProject()
{
    const Project& p = m_app.project();
    updateTargetRanges();
    m_datiniz->setText(p.startDateText());
    m_datiniz->setModified(false);
    const QDate start = parseDate(p.startDateText());
    const qint64 days = start.isValid() ? dateScrollOrigin().daysTo(start) : 0;
    if (days >= m_scrolladata->minimum() && days <= m_scrolladata->maximum())
        setScrollValue(m_scrolladata, static_cast<int>(days));
    // The lists stay where they were; the selected event and its links are shown anew.
    const int selected = m_selectedEvent;
    VScroll1_Change();
    setScrollValue(m_VScroll3, selected);
    VScroll3_Change();
    UpdateGuidance();
}

void dati::closeEvent(QCloseEvent* event)
{
    // The data window asks whether or not it is the last one open.
    if (!m_app.maybeSaveChanges(this)) {
        event->ignore();
        return;
    }
    event->accept();
}

void dati::apri_Click()
{
    if (!m_app.maybeSaveChanges(this))
        return;
    const QString path =
        m_app.dialogs().openFileName(this, QStringLiteral("Apri file"), kDataFilters, 2);
    if (path.isEmpty())
        return;
    if (Outcome failure = m_app.openProject(path)) {
        say(*failure);
        return;
    }
    showNewProject();
}

void dati::esportamspdi_Click()
{
    exportMspdiFile(m_app, this);
}

void dati::esportacalendario_Click()
{
    exportCalendarFile(m_app, this);
}

void dati::importamspdi_Click()
{
    if (importMspdiFile(m_app, this))
        showNewProject();
}

void dati::importaelenco_Click()
{
    if (importActivityListFile(m_app, this))
        showNewProject();
}

void dati::incollaattivita_Click()
{
    if (pasteActivities(m_app, this, QGuiApplication::clipboard()->text()))
        showRestoredProject();
}

void dati::salva_Click()
{
    m_app.saveProject(this, false);
}

void dati::salvanome_Click()
{
    m_app.saveProject(this, true);
}

void dati::eliminare_click()
{
    deleteChosenFile(QStringLiteral("Tutti i file (*.*)|*.*|File ZANT-dati- | ZANT-dati-*"));
}

void dati::controlla_Click()
{
    say(m_app.checkConfirmation().checkOnRequest(m_app.project()));
}

void dati::cancella_click()
{
    if (!m_app.maybeSaveChanges(this))
        return;
    Project cleared = m_app.project();
    cleared.clear();
    m_app.edit<ReplaceProjectCommand>(QStringLiteral("Cancella dati finestra"), std::move(cleared),
                                      m_app.titlePage());
    m_datiniz->clear();
    setScrollValue(m_VScroll1, 1);
    updateTargetRanges();
    VScroll1_Change();
    UpdateGuidance();
}

bool dati::computeResults()
{
    if (auto fault = m_app.checkConfirmation().requireValidData(m_app.project())) {
        say(*fault);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_ProgressBar1->setValue(0);
    m_ProgressBar1->show();
    ScheduleResults results =
        ComputeSchedule(m_app.project(), [this](int value) { m_ProgressBar1->setValue(value); });
    m_ProgressBar1->setValue(0);
    m_ProgressBar1->hide();
    QApplication::restoreOverrideCursor();
    m_app.setResults(std::move(results));
    return true;
}

void dati::risult_Click()
{
    if (!computeResults())
        return;
    if (m_app.hasWindow(win::risultati))
        m_app.showWindow(win::risultati);
    else
        setStatus(QStringLiteral("Calcolo eseguito: percorso critico") +
                  m_app.results().criticalPath);
}

void dati::aiuto_Click()
{
    m_app.dialogs().message(
        this, m_app.constants.helpTitle,
        information(QStringLiteral(
            "- Aprire un file archiviato per prelevare i dati (ZANT-dati-...);\r"
            "- digitare i dati seguendo le indicazioni della casella gialla posta in basso;\r"
            "- visualizzare gli eventi successivi con la barra di scorrimento verticale;\r"
            "- inserire e modificare i legami ed i tempi con le barre di scorrimento laterali;\r"
            "- inserire una riga cliccando sui rispettivi numeri d'ordine;\r"
            "- eliminare una riga cliccando sui rispettivi tasti con la X;\r"
            "- effettuare i controlli dei dati cliccando sul tasto ABC.")));
}

void dati::fin1_Click()
{
    askOwnGuide();
}

void dati::stampa_Click()
{
    const PrintResult result =
        printDataListing(m_app.project(), m_app.titlePage(), m_app.checkConfirmation(),
                         m_app.output(), [this](const QString& text) { setStatus(text); });
    if (result.message)
        say(*result.message);
}

void dati::modulo_click()
{
    const PrintResult result =
        printBlankForm(m_app.output(), [this](const QString& text) { setStatus(text); });
    if (result.message)
        say(*result.message);
}

void dati::usci_Click()
{
    m_app.ConfirmExit(this);
}

} // namespace zant
