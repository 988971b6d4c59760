#include "windows/dati.h"

#include "model/data_check.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "report/print_commands.h"
#include "shell/twips.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

namespace zant {

namespace {

const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QString kDataFilters =
    QStringLiteral("Tutti i file (*.*) | *.*|File ZANT-dati- | ZANT-dati-*");

QLabel* makeLabel(const QString& text, const QString& toolTip = QString())
{
    auto* label = new QLabel(text);
    if (!toolTip.isEmpty())
        label->setToolTip(toolTip);
    return label;
}

void setLabelColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, colour);
    label->setPalette(p);
    label->setAutoFillBackground(true);
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
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(large);
    return bar;
}

} // namespace

dati::dati(ModZANT& app, QWidget* parent)
    : MainWindowBase(app, QStringLiteral("ZANT: dati per l'elaborazione"), parent)
{
    buildGrid();
    buildCommands();
    applyDesignSize();
    m_app.InitMessageTitles();
    m_datiniz->setText(m_app.project.startDateText());
    showNewProject();
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
    connect(m_VScroll1, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            VScroll1_Change();
    });

    for (int r = 1; r <= kRows; ++r) {
        const int top = 1080 + 240 * (r - 1);
        QLabel* num = place(makeLabel(QString::number(r)), 360, top, 375, 255);
        num->setObjectName(QStringLiteral("num%1").arg(r));
        num->setAlignment(Qt::AlignCenter);
        num->setFrameShape(QFrame::Box);
        num->setMouseTracking(true);
        num->installEventFilter(this);
        setLabelColour(num, kCyan);
        m_num[r - 1] = num;

        auto* del = place(new QToolButton, 720, top, 375, 255);
        del->setObjectName(QStringLiteral("delriga%1").arg(r));
        del->setIcon(deleteRowIcon());
        connect(del, &QToolButton::clicked, this, [this, r] { delriga_Click(r); });
        m_delriga[r - 1] = del;

        auto* even = place(new QLineEdit, 1080, top, 3735, 285);
        even->setObjectName(QStringLiteral("even%1").arg(r));
        connect(even, &QLineEdit::textEdited, this,
                [this, r](const QString& text) { even_Change(r, text); });
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
          5520, 1080, 2000, 285);
    m_datiniz = place(makeLabel(QString()), 7560, 1080, 975, 285);
    m_datiniz->setObjectName(QStringLiteral("datiniz"));
    m_datiniz->setFrameShape(QFrame::Panel);
    m_datiniz->setFrameShadow(QFrame::Sunken);
    m_datiniz->setAlignment(Qt::AlignCenter);
    m_scrolladata = place(makeBar(Qt::Horizontal, 1, 32767, 30), 8520, 1080, 855, 285);
    m_scrolladata->setObjectName(QStringLiteral("scrolladata"));
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
    connect(m_VScroll2, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            VScroll2_Change();
    });

    for (int r = 1; r <= kRows; ++r) {
        const int top = 2760 + 240 * (r - 1);
        QLabel* numleg = place(makeLabel(QString::number(r)), 5520, top, 375, 255);
        numleg->setObjectName(QStringLiteral("numleg%1").arg(r));
        numleg->setAlignment(Qt::AlignCenter);
        numleg->setFrameShape(QFrame::Box);
        numleg->installEventFilter(this);
        setLabelColour(numleg, kCyan);
        m_numleg[r - 1] = numleg;

        auto* del = place(new QToolButton, 5880, top, 375, 255);
        del->setObjectName(QStringLiteral("cancleg%1").arg(r));
        del->setIcon(deleteRowIcon());
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
        m_scrollalegami[r - 1] = target;

        QLabel* leg = place(makeLabel(QString()), 7080, top, 735, 255);
        leg->setObjectName(QStringLiteral("leg%1").arg(r));
        leg->setAlignment(Qt::AlignCenter);
        leg->setFrameShape(QFrame::Panel);
        leg->setFrameShadow(QFrame::Sunken);
        m_leg[r - 1] = leg;

        QLabel* gior = place(makeLabel(QString()), 7800, top, 735, 255);
        gior->setObjectName(QStringLiteral("gior%1").arg(r));
        gior->setAlignment(Qt::AlignCenter);
        gior->setFrameShape(QFrame::Panel);
        gior->setFrameShadow(QFrame::Sunken);
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
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("file"));
    menuItem(file, QStringLiteral("apri"), QStringLiteral("&Apri..."), [this] { apri_Click(); });
    file->addSeparator();
    menuItem(file, QStringLiteral("salva"), QStringLiteral("&Salva"), [this] { salva_Click(); });
    menuItem(file, QStringLiteral("salvanome"), QStringLiteral("Salva con &nome..."),
             [this] { salvanome_Click(); });
    file->addSeparator();
    menuItem(file, QStringLiteral("eliminare"), QStringLiteral("&Elimina..."),
             [this] { eliminare_click(); });
    file->addSeparator();
    QMenu* stamp = file->addMenu(QStringLiteral("S&tampa..."));
    stamp->setObjectName(QStringLiteral("stamp"));
    menuItem(stamp, QStringLiteral("modulo"), QStringLiteral("modulo di acquisizione dei dati"),
             [this] { modulo_click(); });
    menuItem(stamp, QStringLiteral("stampa"), QStringLiteral("dati finestra"),
             [this] { stampa_Click(); });
    file->addSeparator();
    menuItem(file, QStringLiteral("usci"), QStringLiteral("Es&ci"), [this] { usci_Click(); });

    QMenu* modif = menuBar()->addMenu(QStringLiteral("&Modifica"));
    modif->setObjectName(QStringLiteral("modif"));
    menuItem(modif, QStringLiteral("colorare"), QStringLiteral("&Colore di sfondo"),
             [this] { colorare_Click(); });
    modif->addSeparator();
    menuItem(modif, QStringLiteral("controlla"), QStringLiteral("Controllo &dati immessi"),
             [this] { controlla_Click(); });
    modif->addSeparator();
    menuItem(modif, QStringLiteral("cancella"), QStringLiteral("C&ancella dati finestra"),
             [this] { cancella_click(); });

    addViewMenu({}, 1);
    addHelpMenu(QStringLiteral("inter"), QStringLiteral("suggerimenti"));
    addWindowItem(1);

    buildToolbar(toolbarTips(QStringLiteral("apri files")), [this](int index) {
        switch (index) {
        case 2:
            salva_Click();
            break;
        case 3:
            eliminare_click();
            break;
        case 4:
            stampa_Click();
            break;
        case 17:
            controlla_Click();
            break;
        case 18:
            cancella_click();
            break;
        case 19:
            usci_Click();
            break;
        default:
            apri_Click();
            break;
        }
    });
    enableToolbarPositions({std::pair{7, win::risultati},
                            {8, win::frontespizio},
                            {12, win::sommario},
                            {13, win::frmTip},
                            {14, win::supportoclienti},
                            {15, win::informa},
                            {6, win::guidadati}});

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
}

bool dati::eventFilter(QObject* watched, QEvent* event)
{
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
        setLabelColour(num, kCyan);
}

void dati::VScroll1_Change()
{
    resetHighlight();
    m_topEvent = m_VScroll1->value();
    const Project& p = m_app.project;
    for (int r = 1; r <= kRows; ++r) {
        const int e = m_topEvent + r - 1;
        m_num[r - 1]->setText(QString::number(e));
        m_num[r - 1]->setToolTip(insertRowTip(e));
        m_even[r - 1]->setText(p.description(e));
        // Long descriptions show their beginning.
        m_even[r - 1]->setCursorPosition(0);
        m_delriga[r - 1]->setToolTip(deleteRowTip(e));
    }
    VScroll3_Change();
}

void dati::VScroll3_Change()
{
    m_selectedEvent = m_VScroll3->value();
    const Project& p = m_app.project;
    m_Label1->setText(QStringLiteral("Evento n.") + withLeadingBlank(m_selectedEvent));
    // The final event, and any event above it, cannot receive links.
    const bool final = m_selectedEvent >= p.eventCount();
    m_Label2->setText(final ? QStringLiteral("Evento finale senza legami")
                            : p.description(m_selectedEvent));
    for (int r = 0; r < kRows; ++r) {
        m_scrollalegami[r]->setEnabled(!final);
        m_scrollagiorni[r]->setEnabled(!final);
    }
    VScroll2_Change();
}

void dati::VScroll2_Change()
{
    m_topLinkSlot = m_VScroll2->value();
    const Project& p = m_app.project;
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
        if (!link.isEmpty())
            m_scrollalegami[r - 1]->setValue(link.target);
        if (link.days)
            m_scrollagiorni[r - 1]->setValue(static_cast<int>(*link.days));
        m_numleg[r - 1]->setToolTip(insertRowTip(s));
        m_cancleg[r - 1]->setToolTip(deleteRowTip(s));
    }
    m_refreshing = was;
}

void dati::num_MouseMove(int row)
{
    resetHighlight();
    m_highlightedRow = row;
    setLabelColour(m_num[row - 1], kYellow);
    setScrollValue(m_VScroll3, m_topEvent + row - 1);
    VScroll3_Change();
}

void dati::even_Change(int row, const QString& text)
{
    const int e = m_topEvent + row - 1;
    Project& p = m_app.project;
    if (text.isEmpty())
        return;
    if (auto why = unstorableTextReason(text)) {
        // The box keeps the text it had: the file could not store this one.
        m_even[row - 1]->setText(p.description(e));
        setStatus(QStringLiteral("Testo non accettato: la descrizione ") + *why + QLatin1Char('.'));
        return;
    }
    const Outcome refusal = p.setDescription(e, text);
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
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(std::max(1, p.eventCount()));
    num_MouseMove(row);
    UpdateGuidance();
}

void dati::num_click(int row)
{
    if (const Outcome message = m_app.project.insertEvent(m_topEvent + row - 1))
        say(*message);
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(std::max(1, m_app.project.eventCount()));
    VScroll1_Change();
    UpdateGuidance();
}

void dati::delriga_Click(int row)
{
    const int e = m_topEvent + row - 1;
    if (m_app.project.description(e).isEmpty())
        return;
    m_app.project.deleteEvent(e);
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(std::max(1, m_app.project.eventCount()));
    VScroll1_Change();
    UpdateGuidance();
}

void dati::numleg_Click(int row)
{
    if (const Outcome message =
            m_app.project.insertLinkSlot(m_selectedEvent, m_topLinkSlot + row - 1))
        say(*message);
    VScroll2_Change();
    UpdateGuidance();
}

void dati::cancleg_Click(int row)
{
    const int s = m_topLinkSlot + row - 1;
    if (m_app.project.link(m_selectedEvent, s).isEmpty()) {
        m_gior[row - 1]->clear();
        return;
    }
    m_app.project.deleteLinkSlot(m_selectedEvent, s);
    VScroll2_Change();
    UpdateGuidance();
}

void dati::scrollLinksToLastFilled()
{
    setScrollValue(m_VScroll2, std::clamp(m_app.project.linkCount(m_selectedEvent), 1, 491));
    VScroll2_Change();
}

void dati::scrollalegami_Change(int row)
{
    const int value = m_scrollalegami[row - 1]->value();
    m_leg[row - 1]->setText(QString::number(value));
    const int s = m_topLinkSlot + row - 1;
    if (const Outcome refusal = m_app.project.setLinkTarget(m_selectedEvent, s, value)) {
        scrollLinksToLastFilled();
        say(*refusal);
        if (m_app.project.link(m_selectedEvent, m_topLinkSlot + row - 1).isEmpty())
            m_leg[row - 1]->clear();
        return;
    }
    UpdateGuidance();
}

void dati::scrollagiorni_Change(int row)
{
    const int value = m_scrollagiorni[row - 1]->value();
    m_gior[row - 1]->setText(QString::number(value));
    const int s = m_topLinkSlot + row - 1;
    if (const Outcome refusal = m_app.project.setLinkDays(m_selectedEvent, s, value)) {
        say(*refusal);
        m_gior[row - 1]->clear();
        return;
    }
    UpdateGuidance();
}

void dati::scrolladata_Change()
{
    const QString text = formatDate(dateScrollOrigin().addDays(m_scrolladata->value()));
    m_datiniz->setText(text);
    m_app.project.setStartDateText(text);
    UpdateGuidance();
}

void dati::UpdateGuidance()
{
    const Project& p = m_app.project;
    const auto text = [&]() -> QString {
        if (m_datiniz->text().isEmpty())
            return QStringLiteral("Scegliere la data iniziale del calcolo o aprire un file "
                                  "archiviato.");
        if (p.eventCount() == 0)
            return QStringLiteral("Digitare l'elenco degli eventi della programmazione.");
        for (int i = 1; i < p.eventCount(); ++i) {
            if (p.linkCount(i) == 0)
                return QStringLiteral("Immettere i legami dell'evento n.") + withLeadingBlank(i);
            for (int j = 1; j <= p.linkCount(i); ++j) {
                if (!p.link(i, j).days)
                    return QStringLiteral("Immettere i tempi del legame n.") + withLeadingBlank(j) +
                           QStringLiteral(" dell'evento n.") + withLeadingBlank(i);
            }
        }
        return QStringLiteral("Correggere, archiviare quanto immesso, digitare ulteriori dati, "
                              "andare oltre (risultati, stampa).");
    };
    setStatus(text());
}

void dati::showNewProject()
{
    const Project& p = m_app.project;
    setScrollValue(m_VScroll1, 1);
    setScrollValue(m_VScroll2, 1);
    setScrollValue(m_VScroll3, 1);
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(std::max(1, p.eventCount()));
    m_datiniz->setText(p.startDateText());
    const QDate start = parseDate(p.startDateText());
    const qint64 days = start.isValid() ? dateScrollOrigin().daysTo(start) : 0;
    // A date outside the bar's range stays shown as it was read.
    if (days >= m_scrolladata->minimum() && days <= m_scrolladata->maximum())
        setScrollValue(m_scrolladata, static_cast<int>(days));
    VScroll1_Change();
    UpdateGuidance();
}

void dati::apri_Click()
{
    const QString path =
        m_app.dialogs().openFileName(this, QStringLiteral("Apri file"), kDataFilters, 2);
    if (path.isEmpty())
        return;
    auto contents = readProjectFile(path);
    if (!contents) {
        say(contents.error());
        return;
    }
    m_app.project = std::move(contents.value().project);
    m_app.titlePage = contents.value().titlePage;
    m_app.currentDataFile = path;
    emit m_app.titlePageChanged();
    showNewProject();
}

bool dati::SaveProjectFile()
{
    if (auto refusal = checkBeforeSave(m_app.project, m_app.titlePage, m_app.checkFailed)) {
        say(refusal->message);
        if (refusal->openTitlePage && m_app.hasWindow(win::frontespizio))
            m_app.showWindow(win::frontespizio);
        return false;
    }
    QString path = m_app.currentDataFile;
    if (path.isEmpty()) {
        path = m_app.dialogs().saveFileName(this, QStringLiteral("Salva file con nome"),
                                            QStringLiteral("File ZANT-dati- | ZANT-dati-*"), 1,
                                            QString());
        if (path.isEmpty())
            return false;
    }
    if (auto failure = writeProjectFile(path, m_app.project, m_app.titlePage)) {
        say(*failure);
        return false;
    }
    m_app.currentDataFile = path;
    return true;
}

void dati::salva_Click()
{
    SaveProjectFile();
}

void dati::salvanome_Click()
{
    const QString before = m_app.currentDataFile;
    m_app.currentDataFile.clear();
    if (!SaveProjectFile())
        m_app.currentDataFile = before;
}

void dati::eliminare_click()
{
    deleteChosenFile(QStringLiteral("Tutti i file (*.*)|*.*|File ZANT-dati- | ZANT-dati-*"));
}

void dati::controlla_Click()
{
    say(zant::controlla_Click(m_app.project, m_app.checkFailed));
}

void dati::cancella_click()
{
    m_app.project.clear();
    m_datiniz->clear();
    setScrollValue(m_VScroll1, 1);
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(1);
    VScroll1_Change();
    UpdateGuidance();
}

bool dati::computeResults()
{
    if (auto fault = requireValidData(m_app.project, m_app.checkFailed)) {
        say(*fault);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_ProgressBar1->setValue(0);
    m_ProgressBar1->show();
    m_app.results =
        ComputeSchedule(m_app.project, [this](int value) { m_ProgressBar1->setValue(value); });
    m_ProgressBar1->setValue(0);
    m_ProgressBar1->hide();
    QApplication::restoreOverrideCursor();
    emit m_app.resultsChanged();
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
                  m_app.results.criticalPath);
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
        printDataListing(m_app.project, m_app.titlePage, m_app.checkFailed, m_app.output(),
                         [this](const QString& text) { setStatus(text); });
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
