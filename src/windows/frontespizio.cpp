#include "windows/frontespizio.h"

#include "document/edit_commands.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "report/cronoprogramma.h"
#include "report/print_commands.h"
#include "report/print_renderer.h"
#include "windows/window_style.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zant {

namespace {

const QString kOpenFilters =
    QStringLiteral("Tutti i file (*.*) | *.*|File ZANT-front- | ZANT-front-*");
const QString kDeleteFilters =
    QStringLiteral("Tutti i file (*.*)|*.*|File ZANT-front- | ZANT-front-*");
const QString kSaveFilters = QStringLiteral("File ZANT-front- | ZANT-front-*");
const QString kInstruction = QStringLiteral("Digitare i dati fino ad un massimo di 60 caratteri "
                                            "per campo o prelevare un file dall'archivio.");

struct FieldRow
{
    TitlePage::Field field;
    const char* name;
    const char* label;
    const char* toolTip;
};

// The labels' dots were counted to line the colons up; they stay as written.
const FieldRow kFieldRows[TitlePage::kFieldCount] = {
    {TitlePage::progetto, "progetto",
     " progetto....................:", "il tipo di progetto che si sta elaborando"},
    {TitlePage::localita, "localita",
     " località......................:", "denominazione dei luoghi"},
    {TitlePage::tipostudio, "tipostudio", " tipologia di studio......:",
     "ad esempio: 'analisi situazione attuale'; 'ipotesi situazione di progetto'; ecc."},
    {TitlePage::committente, "committente",
     " committente..............:", "chi ha commissionato lo studio"},
    {TitlePage::luogo, "luogo",
     " luogo elaborazione...:", "località in cui viene effettuata la elaborazione dei dati"},
    {TitlePage::data, "data", " data elaborazione.....:", "impostata in automatico e modificabile"},
    {TitlePage::allegati, "allegati",
     " allegati alla relazione :", "grafici, disegni, planimetrie, foto, ecc."},
};

// Layout of the client area, in twips of the design window.
constexpr int kLeft = 240;
constexpr int kLabelWidth = 2280;
constexpr int kFieldLeft = 2580;
constexpr int kFieldWidth = 6660;
constexpr int kRowHeight = 300;
constexpr int kRowPitch = 330;
constexpr int kFirstRowTop = 990;
constexpr int kOfficeTop = 3420;
constexpr int kFullWidth = kFieldLeft + kFieldWidth - kLeft;

QLabel* makeLabel(const QString& text, const QString& toolTip = QString())
{
    auto* label = new QLabel(text);
    if (!toolTip.isEmpty())
        label->setToolTip(toolTip);
    return label;
}

QString todayInItalian(const QDate& date)
{
    return QLocale(QLocale::Italian, QLocale::Italy)
        .toString(date, QStringLiteral("dddd, d MMM yyyy"));
}

} // namespace

frontespizio::frontespizio(ModZANT& app, QWidget* parent)
    : MainWindowBase(app, QStringLiteral("ZANT: frontespizio per la relazione"), parent)
{
    buildFields();
    buildCommands();
    applyDesignSize();
    // A project that was opened brings its own date; only an empty one gets today's.
    m_app.dateTitlePage(todayInItalian(m_app.today()));
    showTitlePage();
    setStatus(kInstruction);
    connect(&m_app, &ModZANT::titlePageChanged, this, &frontespizio::showTitlePage);
    connect(&m_app, &ModZANT::officeChanged, this, [this] {
        m_Labelstudio->setText(m_app.office().officeName);
        m_labelindirizzo->setText(m_app.office().officeAddress);
    });
    connect(&m_app, &ModZANT::titleFieldWanted, this, [this](int field) {
        if (field < 0 || field >= TitlePage::kFieldCount)
            return;
        activateWindow();
        m_campi[field]->setFocus(Qt::OtherFocusReason);
        m_campi[field]->selectAll();
        setStatus(QStringLiteral("Digitare il nome del progetto, poi salvare dalla finestra "
                                 "Dati."));
    });
}

frontespizio::~frontespizio() = default;

void frontespizio::buildFields()
{
    QLabel* heading = place(makeLabel(QStringLiteral("PROGRAMMAZIONE CON TECNICA RETICOLARE")),
                            kLeft, 570, kFullWidth, 330);
    heading->setObjectName(QStringLiteral("titolo"));
    heading->setAlignment(Qt::AlignCenter);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);

    for (const FieldRow& row : kFieldRows) {
        const int top = kFirstRowTop + kRowPitch * row.field;
        const QString toolTip = QString::fromUtf8(row.toolTip);
        place(makeLabel(QString::fromUtf8(row.label), toolTip), kLeft, top, kLabelWidth,
              kRowHeight);
        auto* edit = place(new QLineEdit, kFieldLeft, top, kFieldWidth, kRowHeight);
        edit->setObjectName(QString::fromLatin1(row.name));
        edit->setToolTip(toolTip);
        // Read by its label, without the dots and the colon.
        edit->setAccessibleName(TitlePage::fieldName(row.field));
        edit->installEventFilter(this);
        const TitlePage::Field field = row.field;
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { campo_Change(field, text); });
        m_campi[field] = edit;
    }

    const auto officeRow = [this](int top, const QString& caption, const QString& name,
                                  const QString& value, const QString& toolTip) {
        place(makeLabel(caption, toolTip), kLeft, top, kLabelWidth, kRowHeight);
        QLabel* label = place(makeLabel(value, toolTip), kFieldLeft, top, kFieldWidth, kRowHeight);
        label->setObjectName(name);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setIndent(4);
        label->installEventFilter(this);
        return label;
    };
    m_Labelstudio = officeRow(kOfficeTop, QStringLiteral(" studio tecnico...........:"),
                              QStringLiteral("Labelstudio"), m_app.office().officeName,
                              QStringLiteral("nome dello studio tecnico: si imposta con Modifica, "
                                             "Impostazioni dello studio"));
    m_labelindirizzo = officeRow(
        kOfficeTop + kRowPitch, QStringLiteral(" indirizzo.....................:"),
        QStringLiteral("labelindirizzo"), m_app.office().officeAddress,
        QStringLiteral("indirizzo dello studio tecnico: si imposta con Modifica, Impostazioni "
                       "dello studio"));

    auto* frame =
        place(new QGroupBox(QStringLiteral("Come stampare")), kLeft, 4140, kFullWidth, 840);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* options = new QVBoxLayout(frame);
    options->setContentsMargins(12, 2, 12, 4);
    options->setSpacing(2);
    const char* captions[] = {"Stampa con Word (relazione modificabile e integrabile)",
                              "Stampa diretta (con editor interno: relazione non modificabile)"};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(captions[i]), frame);
        option->setObjectName(QStringLiteral("comestampo%1").arg(i + 1));
        options->addWidget(option);
        m_comestampo[i] = option;
    }
    m_comestampo[0]->setChecked(true);

    place(passo(), kLeft, 5040, kFullWidth, 480);
    passo()->setIndent(4);
}

void frontespizio::buildCommands()
{
    addMenu(
        "file", "&File",
        {item("apri", "&Apri...", [this] { apri_Click(); }), separator(),
         item("salva", "&Salva", [this] { salva_Click(); }),
         item("salvanome", "Salva con &nome...", [this] { salvanome_Click(); }), separator(),
         item("eliminare", "&Elimina...", [this] { eliminare_click(); }),
         submenu("stamp", "S&tampa"),
         item("solodati", "&solo dati finestra", [this] { solodati_Click(); }),
         item("stampatutto", "&intera elaborazione", [this] { stampa_Click(); }),
         item("cronoprogramma", "&cronoprogramma dei lavori", [this] { cronoprogramma_Click(); }),
         endSubmenu(), separator(), item("esci", "Es&ci", [this] { esci_Click(); })});
    QMenu* modi = addMenu(
        "modi", "&Modifica",
        {item("colorare", "&Colore di sfondo", [this] { colorare_Click(); }), separator(),
         item("controllodat", "Controllo &dati immessi", [this] { controllodat_Click(); }),
         separator(), item("cancella", "C&ancella dati finestra", [this] { cancella_click(); })});
    addUndoItems(modi);

    addViewMenu({}, 3);
    addHelpMenu(QStringLiteral("help"), QStringLiteral("sugger"));
    addWindowItem(3);

    buildToolbar({{ToolbarButton::Apri, [this] { apri_Click(); }},
                  {ToolbarButton::Salva, [this] { salva_Click(); }},
                  {ToolbarButton::Elimina, [this] { eliminare_click(); }},
                  {ToolbarButton::Stampa, [this] { stampa_Click(); }},
                  {ToolbarButton::Controllo, [this] { controllodat_Click(); }},
                  {ToolbarButton::Cancella, [this] { cancella_click(); }},
                  {ToolbarButton::Uscita, [this] { esci_Click(); }}});

    addButtons(
        {
            {"aiuto", "&AIUTO", "cliccare per avere indicazioni sulla immissione dei dati", kLeft,
             [this] { aiuto_Click(); }},
            {"guidainlinea", "&Guida in linea", "cliccare per visualizzare il Sommario della guida",
             2070, [this] { m_app.showWindow(win::sommario); }, &win::sommario},
            {"Command5", "&Dati", "cliccare per visualizzare la finestra Dati", 3900,
             [this] { m_app.showWindow(win::dati); }, &win::dati},
            {"stampa", "&Stampa", "cliccare per stampare la relazione", 5730,
             [this] { stampa_Click(); }},
            {
                "cmdesci",
                "US&CITA",
                "cliccare per uscire da ZANT",
                7560,
                [this] { esci_Click(); },
            },
        },
        5640, 1680, 390);
    finishCommands(QStringLiteral("stampatutto"), QStringLiteral("esci"));
}

bool frontespizio::eventFilter(QObject* watched, QEvent* event)
{
    // Typing in a field after coming back to it is a new step of the history.
    if (event->type() == QEvent::FocusIn &&
        std::find(m_campi.begin(), m_campi.end(), watched) != m_campi.end())
        m_app.newEditSession();
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_Labelstudio)
            Labelstudio_Click();
        else if (watched == m_labelindirizzo)
            labelindirizzo_Click();
    }
    return MainWindowBase::eventFilter(watched, event);
}

void frontespizio::setStatus(const QString& text)
{
    setPassoWarning(false);
    passo()->setText(text);
}

void frontespizio::setPassoWarning(bool warning)
{
    QPalette p = passo()->palette();
    p.setColor(QPalette::Window, warning ? kWarningColour : kGuidanceColour);
    passo()->setPalette(p);
}

void frontespizio::showTitlePage()
{
    for (int f = 0; f < TitlePage::kFieldCount; ++f)
        m_campi[f]->setText(m_app.titlePage().fields[f]);
}

void frontespizio::campo_Change(TitlePage::Field field, const QString& text)
{
    m_app.edit<SetTitleFieldCommand>(field, text, m_app.editSession());
    WarnFieldLength(field, text);
}

void frontespizio::WarnFieldLength(TitlePage::Field field, const QString& text)
{
    // Once each time the field goes past the limit, in the guidance box: a message box would
    // take the keys typed after it.
    const auto warning = fieldLengthWarning(text);
    if (warning && !m_lengthWarned[field]) {
        m_lengthWarned[field] = true;
        passo()->setText(warning->text);
        setPassoWarning(true);
    } else if (!warning && m_lengthWarned[field]) {
        m_lengthWarned[field] = false;
        setStatus(kInstruction);
    }
}

void frontespizio::Labelstudio_Click()
{
    say(critical(QStringLiteral("Il nome dello studio tecnico non si modifica in questa "
                                "finestra: si imposta con Modifica, Impostazioni dello "
                                "studio.")));
}

void frontespizio::labelindirizzo_Click()
{
    say(critical(QStringLiteral("L'indirizzo dello studio tecnico non si modifica in questa "
                                "finestra: si imposta con Modifica, Impostazioni dello "
                                "studio.")));
}

void frontespizio::apri_Click()
{
    const QString path =
        m_app.dialogs().openFileName(this, QStringLiteral("Apri file"), kOpenFilters, 2);
    if (path.isEmpty())
        return;
    auto page = readTitlePageFile(path);
    if (!page) {
        say(page.error());
        return;
    }
    m_app.edit<ReplaceTitlePageCommand>(QStringLiteral("apertura frontespizio"),
                                        std::move(page).value());
    m_currentFile = path;
    showTitlePage();
}

bool frontespizio::SaveTitlePageFile()
{
    QString path = m_currentFile;
    if (path.isEmpty()) {
        path = m_app.dialogs().saveFileName(this, QStringLiteral("Salva file con nome"),
                                            kSaveFilters, 1, QStringLiteral("ZANT-front-"));
        if (path.isEmpty())
            return false;
    }
    if (Result<void> failure = writeTitlePageFile(path, m_app.titlePage()); !failure.ok()) {
        say(failure.error());
        return false;
    }
    m_currentFile = path;
    return true;
}

void frontespizio::salva_Click()
{
    SaveTitlePageFile();
}

void frontespizio::salvanome_Click()
{
    const QString before = m_currentFile;
    m_currentFile.clear();
    if (!SaveTitlePageFile())
        m_currentFile = before;
}

void frontespizio::eliminare_click()
{
    deleteChosenFile(kDeleteFilters);
}

void frontespizio::refuseForData(const Message& fault)
{
    say(fault);
    if (m_app.hasWindow(win::dati))
        m_app.showWindow(win::dati);
}

void frontespizio::storeResults(ScheduleResults results)
{
    m_app.setResults(std::move(results));
}

void frontespizio::stampa_Click()
{
    if (m_comestampo[1]->isChecked()) {
        printPages(QStringLiteral("la relazione"),
                   [](const ReportData& report) { return layoutDirectReport(report); });
        return;
    }
    showPrinted(printFullReport(m_app.project(), m_app.titlePage(), m_app.office(),
                                m_app.checkConfirmation(), m_app.output(),
                                [this](const QString& text) { setStatus(text); }));
}

void frontespizio::showPrinted(PrintResult result)
{
    if (!result.ok() && result.error().type == ErrorKind::Check) {
        refuseForData(result.error());
        return;
    }
    if (result.ok() && result.value().results)
        storeResults(std::move(*result.value().results));
    if (const auto message = messageFor(result))
        say(*message);
}

void frontespizio::printPages(const QString& document, const PageLayout& layout)
{
    if (Result<void> fault = m_app.checkConfirmation().requireValidData(m_app.project());
        !fault.ok()) {
        refuseForData(fault.error());
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!m_app.dialogs().print(this, printer))
        return;
    setStatus(QStringLiteral("sto stampando ") + document);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ScheduleResults results = ComputeSchedule(m_app.project());
    const Result<void> failure =
        renderPages(layout(ReportData{m_app.project(), results, m_app.titlePage(), m_app.office(),
                                      m_app.constants()}),
                    printer);
    QApplication::restoreOverrideCursor();
    storeResults(std::move(results));
    if (!failure.ok()) {
        setStatus(QString());
        say(failure.error());
        return;
    }
    setStatus(QStringLiteral("ho stampato ") + document);
}

void frontespizio::cronoprogramma_Click()
{
    SalRule rule;
    rule.everyMonths = 1;
    if (!m_comestampo[1]->isChecked()) {
        showPrinted(printCronoprogramma(
            m_app.project(), m_app.titlePage(), m_app.office(), m_app.checkConfirmation(), rule,
            m_app.today(), m_app.output(), [this](const QString& text) { setStatus(text); }));
        return;
    }
    const QDate date = documentDate(m_app.titlePage(), m_app.today());
    printPages(QStringLiteral("il cronoprogramma"), [&rule, &date](const ReportData& report) {
        return layoutCronoprogramma(cronoprogrammaData(report, rule, date));
    });
}

void frontespizio::solodati_Click()
{
    const PrintResult result =
        printDataOnlyReport(m_app.titlePage(), m_app.office(), m_app.output(),
                            [this](const QString& text) { setStatus(text); });
    if (const auto message = messageFor(result))
        say(*message);
}

void frontespizio::controllodat_Click()
{
    say(checkTitlePage(m_app.titlePage()));
}

void frontespizio::cancella_click()
{
    if (!m_app.maybeSaveChanges(this))
        return;
    m_app.edit<ReplaceTitlePageCommand>(QStringLiteral("Cancella dati finestra"), TitlePage());
    showTitlePage();
}

void frontespizio::aiuto_Click()
{
    m_app.dialogs().message(
        this, m_app.constants().helpTitle,
        information(QStringLiteral(
            "- Digitare o correggere i dati spostandosi con il tasto TAB, o con il mouse, nei "
            "campi;\n"
            "- la data viene impostata in automatico, ma è modificabile;\n"
            "- il nome e l'indirizzo dello studio tecnico si impostano con Modifica, Impostazioni "
            "dello studio;\n"
            "- aprire un file archiviato per prelevare, eventualmente, i dati registrati "
            "(ZANT-front-...);\n"
            "- non digitare dati più lunghi di 60 spazi;\n"
            "- effettuare il controllo dei dati immessi cliccando sul tasto ABC.")));
}

void frontespizio::fin3_Click()
{
    askOwnGuide();
}

void frontespizio::esci_Click()
{
    m_app.ConfirmExit(this);
}

} // namespace zant
