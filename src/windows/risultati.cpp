#include "windows/risultati.h"

#include "model/text_format.h"
#include "report/print_commands.h"
#include "shell/exchange_actions.h"
#include "shell/twips.h"
#include "windows/window_style.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

namespace zant {

namespace {

const char* const kTableNames[] = {"num", "tmin", "datmin", "tmax", "datmax", "scorr"};
const char* const kInNames[] = {"n1", "n2", "eventrata"};
const char* const kOutNames[] = {"n3", "n4", "evenuscita", "tempusc", "scorrusc"};

QLabel* cellLabel(QWidget* parent, const QString& name, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

QScrollBar* listBar()
{
    auto* bar = new QScrollBar(Qt::Vertical);
    bar->setRange(1, 491);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    return bar;
}

const QString kReadOnlyGuidance = QStringLiteral(
    "Finestra di sola lettura: visualizzare i risultati con le barre di scorrimento.");

struct Column
{
    int left;
    int width;
    const char* heading;
    const char* unit;
    const char* tip;
};
const Column kColumns[] = {
    {375, 900, "evento", "n.", "numero dell'evento"},
    {1275, 1560, "t.minimo", "giorni", "tempo minimo necessario per il verificarsi dell'evento"},
    {2835, 1560, "data minima", "gg/mm/aa", "data minima in cui verifica l'evento"},
    {4395, 1560, "t.massimo", "giorni", "tempo massimo concesso per il verificarsi dell'evento"},
    {5955, 1560, "data massima", "gg/mm/aa",
     "data massima concessa per il verificarsi dell'evento"},
    {7515, 1560, "scorrimento", "giorni",
     "margine di tempo disponibile per il verificarsi dell'evento"},
};
constexpr int kTableTop = 1080;

// A column of the link tables, in twips of its frame.
struct LinkColumn
{
    int left;
    int width;
    const char* tip;
};
const LinkColumn kInColumns[] = {{60, 450, "numero d'ordine dell'evento collegato in entrata"},
                                 {525, 600, "numero dell'evento collegato in entrata"},
                                 {1140, 2580, "descrizione dell'evento collegato in entrata"}};
const LinkColumn kOutColumns[] = {
    {60, 450, "numero d'ordine dell'evento collegato in uscita"},
    {525, 600, "numero dell'evento collegato in uscita"},
    {1140, 2220, "descrizione dell'evento collegato in uscita"},
    {3375, 750, "tempo corrispondente alla durata dell'attività in uscita"},
    {4140, 750, "scorrimento (ritardo massimo) dell'attività in uscita"}};

// Places a control inside a frame of the window, in twips of the frame.
void placeInFrame(QWidget* window, QWidget* frame, QWidget* w, int left, int top, int width,
                  int height)
{
    w->setParent(frame);
    w->setGeometry(twipsRect(left, top, width, height, window));
}

// A cell of a link table: a description reads from the left, a number from the right.
QLabel* linkCell(QWidget* window, QWidget* frame, const char* name, const LinkColumn& column,
                 bool text, int row)
{
    QLabel* label = cellLabel(frame, QStringLiteral("%1%2").arg(QLatin1String(name)).arg(row),
                              text ? Qt::AlignLeft : Qt::AlignRight);
    placeInFrame(window, frame, label, column.left, 300 + 225 * (row - 1), column.width, 225);
    label->setToolTip(QString::fromUtf8(column.tip));
    return label;
}

// Shows a number, or nothing for 0 (no event, no link).
QString numberOrEmpty(int value)
{
    return value ? QString::number(value) : QString();
}

} // namespace

risultati::risultati(ModZANT& app, QWidget* parent)
    : MainWindowBase(app, QStringLiteral("ZANT: risultati e percorso critico"), parent)
{
    // The rows end above the critical path; what lies below follows the bottom edge.
    growRowsAbove(3500);
    buildEventTable();
    buildCriticalPath();
    buildLinkTables();
    place(passo(), 2400, 5640, 3540, 450);
    passo()->setToolTip(QStringLiteral("indicazioni sulle funzioni della finestra"));
    passo()->setText(kReadOnlyGuidance);

    buildButtons();
    buildMenus();
    finishCommands(QStringLiteral("stampa"), QStringLiteral("usci"));
    m_VScroll1->installEventFilter(this);
    m_VScroll1->setFocusPolicy(Qt::NoFocus);
    // The keys move through the table unless another control was chosen: the window's area
    // takes the focus first, and the critical path box only when clicked.
    central()->setFocusPolicy(Qt::StrongFocus);
    central()->setAccessibleName(QStringLiteral("Tabella dei risultati"));
    m_Text1->setFocusPolicy(Qt::ClickFocus);
    central()->setFocus();
    showScheduleSummary();
    central()->setMouseTracking(true);
    applyDesignSize();
    connect(&m_app, &ModZANT::resultsChanged, this, &risultati::showResults);
    // A change of the data makes the figures shown out of date: they are computed again at
    // once while the window is on screen, and when it is shown again otherwise.
    connect(&m_app, &ModZANT::projectChanged, this, [this] {
        if (isVisible())
            showResults();
    });
    showResults();
}

void risultati::buildEventTable()
{
    // Event table: headings on two lines, ten rows.
    for (int c = 0; c < 6; ++c) {
        const Column& col = kColumns[c];
        auto* heading =
            place(new QLabel(QString::fromUtf8(col.heading)), col.left, 600, col.width, 240);
        heading->setAlignment(Qt::AlignCenter);
        heading->setToolTip(QString::fromUtf8(col.tip));
        auto* unit = place(new QLabel(QString::fromUtf8(col.unit)), col.left, 840, col.width, 240);
        unit->setAlignment(Qt::AlignCenter);
        unit->setToolTip(QString::fromUtf8(col.tip));
    }
    for (int r = 1; r <= kRows; ++r)
        addRow();
    m_rows = kRows;
    m_VScroll1 = place(listBar(), 120, 1080, 255, 2415);
    m_VScroll1->setObjectName(QStringLiteral("VScroll1"));
    connect(m_VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
}

void risultati::buildCriticalPath()
{
    auto* label1 =
        place(new QLabel(QStringLiteral("Eventi del percorso critico")), 375, 3500, 2400, 285);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setToolTip(QStringLiteral("eventi collegati con scorrimento nullo"));
    m_Text1 = place(new QLineEdit, 2835, 3500, 3300, 285);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text1->setReadOnly(true);
    m_Text1->setToolTip(
        QStringLiteral("controllare che non vi siano più percorsi critici distinti"));
    addButtons(
        {
            {"reticolo", "&Reticolo", "cliccare per visualizzare il reticolo degli eventi", 6210,
             [this] { m_app.showWindow(win::reticolo); }, &win::reticolo},
            {"gantt", "Ga&ntt", "cliccare per visualizzare il diagramma di Gantt", 7170,
             [this] { m_app.showWindow(win::gantt); }, &win::gantt},
            {"importi", "&Importi",
             "cliccare per visualizzare il cronoprogramma economico (curva a S degli importi)",
             8130, [this] { m_app.showWindow(win::cronoeconomico); }, &win::cronoeconomico},
        },
        3500, 945, 285);
    m_Label13 = place(new QLabel(QStringLiteral(
                          "I risultati riportati nelle tabelle in basso si riferiscono all'evento "
                          "evidenziato con il mouse (passando sul rispettivo numero) della tabella "
                          "a lato.")),
                      375, 3795, 8700, 370);
    m_Label13->setObjectName(QStringLiteral("Label13"));
    m_Label13->setWordWrap(true);
}

void risultati::buildLinkTables()
{
    // The two link frames, with their cells placed inside them.
    const auto frame = [this](const QString& name, const QString& title, int left, int width) {
        auto* box = place(new QGroupBox(title), left, 4180, width, 1450);
        box->setObjectName(name);
        return box;
    };
    QGroupBox* frame1 =
        frame(QStringLiteral("Frame1"),
              QStringLiteral("N.d'ordine, numeri e nomi eventi collegati in entrata"), 120, 4095);
    QGroupBox* frame2 =
        frame(QStringLiteral("Frame2"),
              QStringLiteral("N.d'ordine, numeri e nomi eventi, tempi e scorrimenti "
                             "attività in uscita"),
              4200, 5175);
    for (int r = 1; r <= kLinkListRows; ++r) {
        for (int c = 0; c < 3; ++c)
            m_in[c][r - 1] = linkCell(this, frame1, kInNames[c], kInColumns[c], c == 2, r);
        for (int c = 0; c < 5; ++c)
            m_out[c][r - 1] = linkCell(this, frame2, kOutNames[c], kOutColumns[c], c == 2, r);
    }
    m_VScroll2 = listBar();
    m_VScroll2->setObjectName(QStringLiteral("VScroll2"));
    placeInFrame(this, frame1, m_VScroll2, 3780, 300, 255, 1125);
    connect(m_VScroll2, &QScrollBar::valueChanged, this, [this] { VScroll2_Change(); });
    m_VScroll3 = listBar();
    m_VScroll3->setObjectName(QStringLiteral("VScroll3"));
    placeInFrame(this, frame2, m_VScroll3, 4905, 300, 255, 1125);
    connect(m_VScroll3, &QScrollBar::valueChanged, this, [this] { VScroll3_Change(); });
}

void risultati::buildButtons()
{
    addButtons(
        {
            {"aiuto", "&AIUTO", "cliccare per visualizzare l'aiuto in linea", 120,
             [this] { aiuto_Click(); }},
            {"guidainlinea", "&Guida in linea", "cliccare per visualizzare il Sommario della guida",
             1200, [this] { m_app.showWindow(win::sommario); }, &win::sommario},
            {"calc", "&Dati", "cliccare per visualizzare la finestra Dati", 6000,
             [this] { m_app.showWindow(win::dati); }, &win::dati},
            {"frontes", "Fr&ontespizio", "cliccare per visualizzare il Frontespizio", 7110,
             [this] { m_app.showWindow(win::frontespizio); }, &win::frontespizio},
            {"esco", "&USCITA", "cliccare per uscire da ZANT", 8220, [this] { usci_Click(); }},
        },
        5760, 1095, 375);
}

void risultati::buildMenus()
{
    // Menus: the file and edit commands that would change data are shown but disabled here.
    addMenu("file", "&File",
            {disabledItem("apri", "&Apri..."), separator(), disabledItem("salva", "&Salva"),
             disabledItem("salvanome", "Salva con &nome..."), separator(),
             item("eliminare", "&Elimina...", [this] { eliminare_click(); }), separator(),
             item("stampa", "S&tampa dati finestra", [this] { stampa_Click(); }), separator(),
             submenu("esporta", "Es&porta"),
             item("esportaexcel", "&Excel…", [this] { exportResultsWorkbook(m_app, this); }),
             endSubmenu(), separator(), item("usci", "Es&ci", [this] { usci_Click(); })});
    QMenu* modif = addMenu("modif", "&Modifica",
                           {item("colora", "&Colore di sfondo", [this] { colorare_Click(); }),
                            separator(), disabledItem("controlla", "Controllo &dati immessi"),
                            separator(), disabledItem("cancella", "C&ancella dati finestra")});
    addUndoItems(modif);
    addViewMenu({QStringLiteral("fin1"), QStringLiteral("fin2"), QStringLiteral("fin8")}, 2);
    addHelpMenu(QStringLiteral("inter"), QStringLiteral("suggerimenti"));
    addWindowItem(2);

    // Open, save, check and clear do not apply to results: their buttons are disabled.
    buildToolbar({{ToolbarButton::Elimina, [this] { eliminare_click(); }},
                  {ToolbarButton::Stampa, [this] { stampa_Click(); }},
                  {ToolbarButton::Uscita, [this] { usci_Click(); }}});
}

void risultati::showEvent(QShowEvent* event)
{
    showResults();
    MainWindowBase::showEvent(event);
}

const ScheduleResults* risultati::currentResults()
{
    auto fresh = m_app.freshResults();
    return fresh ? fresh.value() : nullptr;
}

risultati::~risultati() = default;

void risultati::addRow()
{
    const int r = static_cast<int>(m_table[0].size()) + 1;
    for (int c = 0; c < 6; ++c) {
        const Column& col = kColumns[c];
        QLabel* label =
            cellLabel(central(), QStringLiteral("%1%2").arg(QLatin1String(kTableNames[c])).arg(r),
                      c == 2 || c == 4 ? Qt::AlignHCenter : Qt::AlignRight);
        place(label, col.left, kTableTop + kGridRowPitch * (r - 1), col.width, kGridRowPitch);
        setBackground(label, kRowNumberColour);
        if (c == 0) {
            label->setText(QString::number(r));
            label->setMouseTracking(true);
        }
        label->installEventFilter(this);
        label->show();
        m_table[c].push_back(label);
    }
}

void risultati::layoutRows()
{
    if (m_table[0].empty())
        return;
    const int wanted = std::clamp(kRows + extraRows(kGridRowPitch), kRows, kMaxEvents);
    while (static_cast<int>(m_table[0].size()) < wanted)
        addRow();
    for (auto& column : m_table) {
        QLabel* first = column.front();
        for (std::size_t r = 0; r < column.size(); ++r) {
            column[r]->setGeometry(first->x(),
                                   designTop(kTableTop + kGridRowPitch * static_cast<int>(r)),
                                   first->width(), first->height());
            column[r]->setVisible(static_cast<int>(r) < wanted);
        }
    }
    m_VScroll1->resize(m_VScroll1->width(),
                       twipsToPixels(2415 + (wanted - kRows) * kGridRowPitch, m_VScroll1));
    if (wanted == m_rows)
        return;
    m_rows = wanted;
    m_VScroll1->setMaximum(kMaxEvents - m_rows + 1);
    m_VScroll1->setPageStep(m_rows);
    VScroll1_Change();
}

bool risultati::eventFilter(QObject* watched, QEvent* event)
{
    // The rows being made while the window is built are not all there yet.
    const int rows = std::min(m_rows, static_cast<int>(m_table[5].size()));
    if (rows == 0)
        return MainWindowBase::eventFilter(watched, event);
    auto* w = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Wheel && w && (w == central() || w->parentWidget() == central())) {
        // One row a notch over the event table; partial notches of fine wheels add up.
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QRect table = m_table[0][0]
                                ->geometry()
                                .united(m_table[5][rows - 1]->geometry())
                                .united(m_VScroll1->geometry());
        const QPoint at = w == central() ? wheel->position().toPoint() : w->geometry().center();
        if (table.contains(at)) {
            m_wheelRemainder += wheel->angleDelta().y();
            const int notches = m_wheelRemainder / 120;
            m_wheelRemainder %= 120;
            m_VScroll1->setValue(m_VScroll1->value() - notches);
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        for (int r = 1; r <= rows; ++r) {
            if (watched == m_table[0][r - 1])
                num_MouseMove(r);
        }
    }
    return MainWindowBase::eventFilter(watched, event);
}

void risultati::keyPressEvent(QKeyEvent* event)
{
    // The keys move the highlight, and the table with it: Up and Down by one event, PageUp and
    // PageDown by a page, Home and End to the first and the last event. Before any highlight,
    // (or one scrolled out of sight) Up and Down highlight the first event shown and the pages
    // only scroll.
    const int current = highlightedRow() ? m_highlightedEvent : m_VScroll1->value();
    const int last = std::max(1, m_app.project().eventCount());
    int target = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        target = highlightedRow() ? current - 1 : current;
        break;
    case Qt::Key_Down:
        target = highlightedRow() ? current + 1 : current;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // A page of rows, the highlighted event going with them.
        const int step = event->key() == Qt::Key_PageUp ? -m_rows : m_rows;
        const bool shown = highlightedRow() != 0;
        m_VScroll1->setValue(m_VScroll1->value() + step);
        if (!shown)
            return;
        target = current + step;
        break;
    }
    case Qt::Key_Home:
        target = 1;
        break;
    case Qt::Key_End:
        target = last;
        break;
    default:
        MainWindowBase::keyPressEvent(event);
        return;
    }
    highlightEvent(std::clamp(target, 1, kMaxEvents));
}

void risultati::resetColours()
{
    for (auto& column : m_table) {
        for (QLabel* label : column)
            setBackground(label, kRowNumberColour);
    }
}

void risultati::clearLinkTables()
{
    for (auto& column : m_in) {
        for (QLabel* label : column)
            label->clear();
    }
    for (auto& column : m_out) {
        for (QLabel* label : column)
            label->clear();
    }
}

void risultati::showResults()
{
    const auto fresh = m_app.freshResults();
    VScroll1_Change();
    m_Text1->setText(fresh ? fresh.value()->criticalPath : QString());
    // The path is read from its first event.
    m_Text1->setCursorPosition(0);
    // The check's message stands in the guidance while the data are refused; the guidance
    // comes back when they pass (a print's progress stays until then).
    if (!fresh)
        passo()->setText(fresh.error().text);
    else if (m_showingFault)
        passo()->setText(kReadOnlyGuidance);
    m_showingFault = !fresh;
    if (m_highlightedEvent) {
        VScroll2_Change();
        VScroll3_Change();
    }
}

void risultati::VScroll1_Change()
{
    resetColours();
    static const ScheduleResults kNone;
    const ScheduleResults* shown = currentResults();
    const ScheduleResults& r = shown ? *shown : kNone;
    for (int i = 1; i <= m_rows; ++i) {
        const int k = m_VScroll1->value() + i - 1;
        m_table[0][i - 1]->setText(QString::number(k));
        m_table[0][i - 1]->setToolTip(QStringLiteral(
            "vengono visualizzati i risultati di tempi, date e collegamenti di ogni evento"));
        // Only the events of the last computation have results; the others show blank cells.
        const bool computed = k <= r.eventCount;
        m_table[1][i - 1]->setText(computed ? formatDays(r.earliest[k]) : QString());
        m_table[2][i - 1]->setText(computed ? r.earliestDate[k] : QString());
        m_table[3][i - 1]->setText(computed ? formatDays(r.latest[k]) : QString());
        m_table[4][i - 1]->setText(computed ? r.latestDate[k] : QString());
        m_table[5][i - 1]->setText(computed ? formatDays(r.eventFloat(k)) : QString());
        // The events of the critical path stand out in bold red.
        const bool critical = computed && r.isCritical(k);
        for (auto& column : m_table) {
            QLabel* cell = column[i - 1];
            if (cell->property("critico").toBool() != critical) {
                cell->setProperty("critico", critical);
                cell->style()->unpolish(cell);
                cell->style()->polish(cell);
            }
        }
        // The highlight stays on its event wherever the table is scrolled.
        if (k == m_highlightedEvent) {
            for (auto& column : m_table)
                setBackground(column[i - 1], kHighlightColour);
        }
    }
}

int risultati::highlightedRow() const
{
    const int row = m_highlightedEvent - m_VScroll1->value() + 1;
    return m_highlightedEvent && row >= 1 && row <= m_rows ? row : 0;
}

void risultati::num_MouseMove(int row)
{
    highlightEvent(m_VScroll1->value() + row - 1);
}

void risultati::highlightEvent(int event)
{
    const int top = m_VScroll1->value();
    m_highlightedEvent = event;
    // Scrolls only as far as needed to show the event.
    if (event < top)
        m_VScroll1->setValue(event);
    else if (event > top + m_rows - 1)
        m_VScroll1->setValue(event - m_rows + 1);
    VScroll1_Change();
    clearLinkTables();
    VScroll2_Change();
    VScroll3_Change();
    m_Label13->setText(QStringLiteral("I risultati riportati nelle tabelle in basso si riferiscono "
                                      "all'evento evidenziato n.") +
                       withLeadingBlank(m_highlightedEvent));
}

void risultati::VScroll2_Change()
{
    const int e = m_highlightedEvent;
    static const ScheduleResults kNone;
    const ScheduleResults* shown = currentResults();
    const ScheduleResults& r = shown ? *shown : kNone;
    for (int i = 1; i <= kLinkListRows; ++i) {
        const int p = m_VScroll2->value() + i - 1;
        const int predecessor = r.predecessor(e, p);
        m_in[0][i - 1]->setText(QString::number(p));
        m_in[1][i - 1]->setText(numberOrEmpty(predecessor));
        m_in[2][i - 1]->setText(predecessor ? m_app.project().description(predecessor) : QString());
        m_in[0][i - 1]->setToolTip(
            QStringLiteral("vengono visualizzati gli eventi che si collegano all'evento n.") +
            withLeadingBlank(e));
    }
}

void risultati::VScroll3_Change()
{
    const int e = m_highlightedEvent;
    static const ScheduleResults kNone;
    const ScheduleResults* shown = currentResults();
    const ScheduleResults& r = shown ? *shown : kNone;
    const Project& project = m_app.project();
    for (int i = 1; i <= kLinkListRows; ++i) {
        const int j = m_VScroll3->value() + i - 1;
        // Only activities have durations and floats: the final event's own links are not shown.
        const bool activity = shown && project.isActivity(e, j);
        const Link& link = activity ? project.link(e, j) : Link{};
        m_out[0][i - 1]->setText(QString::number(j));
        m_out[1][i - 1]->setText(numberOrEmpty(link.target));
        m_out[2][i - 1]->setText(link.target ? project.activityName(e, j) : QString());
        m_out[3][i - 1]->setText(link.target && link.days ? formatDays(*link.days) : QString());
        m_out[4][i - 1]->setText(link.target ? formatDays(r.linkFloatAt(e, j)) : QString());
        m_out[4][i - 1]->setToolTip(
            link.target
                ? QStringLiteral("scorrimento totale %1, libero %2, indipendente %3 giorni")
                      .arg(formatDays(r.linkFloatAt(e, j)), formatDays(r.linkFreeFloatAt(e, j)),
                           formatDays(r.linkIndependentFloatAt(e, j)))
                : QStringLiteral("scorrimento (ritardo massimo) dell'attività in uscita"));
        m_out[0][i - 1]->setToolTip(
            QStringLiteral("vengono visualizzati gli eventi che sono collegati dall'evento n.") +
            withLeadingBlank(e));
    }
}

void risultati::selectEvent(int event)
{
    if (event < 1 || event > kMaxEvents)
        return;
    highlightEvent(event);
}

void risultati::stampa_Click()
{
    PrintResult result = printResultsListing(
        m_app.project(), m_app.titlePage(), m_app.checkConfirmation(), m_app.output(),
        [this](const QString& text) { passo()->setText(text); });
    if (result.ok() && result.value().results) {
        m_app.setResults(std::move(*result.value().results));
    }
    if (const auto message = messageFor(result))
        say(*message);
}

void risultati::aiuto_Click()
{
    m_app.dialogs().message(
        this, m_app.constants().helpTitle,
        information(QStringLiteral(
            "- La finestra è di sola lettura;\n"
            "- visualizzare gli eventi successivi con la barra di scorrimento verticali;\n"
            "- visualizzare i legami in entrata ed in uscita spostando il mouse sul numero "
            "dell'evento considerato;\n"
            "- visualizzare tutti i legami con le apposite barre di scorrimento verticale;\n"
            "- stampare i risultati, procedere con modifiche nella finestra Dati o stampare "
            "l'intera relazione in Frontespizio.")));
}

void risultati::eliminare_click()
{
    deleteChosenFile(QStringLiteral("Tutti i file (*.*)|*.*|File ZANT-dati- | ZANT-dati-*"));
}

void risultati::usci_Click()
{
    m_app.ConfirmExit(this);
}

} // namespace zant
