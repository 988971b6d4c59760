// The data window's menus, toolbar, buttons and the commands behind them.

#include "windows/dati.h"

#include "document/edit_commands.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "report/print_commands.h"
#include "shell/exchange_actions.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
namespace zant {

void dati::buildCommands()
{
    addMenu("file", "&File",
            {item("apri", "&Apri...", [this] { apri_Click(); }),
             submenu("recenti", "File &recenti"),
             endSubmenu(),
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
         item("calendarioprogetto", "Ca&lendario del progetto…",
              [this] { m_app.showWindow(win::calendarioprogetto); }),
         separator(),
         item(
             "incollaattivita", "&Incolla attività", [this] { incollaattivita_Click(); },
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V))});

    addViewMenu({}, 1);
    addHelpMenu(QStringLiteral("inter"), QStringLiteral("suggerimenti"));
    addWindowItem(1);

    buildToolbar(
        {{ToolbarButton::Apri, [this] { apri_Click(); }},
         {ToolbarButton::Salva, [this] { salva_Click(); }},
         {ToolbarButton::Elimina, [this] { eliminare_click(); }},
         {ToolbarButton::Stampa, [this] { stampa_Click(); }},
         {ToolbarButton::Controllo, [this] { controlla_Click(); }},
         {ToolbarButton::Calendario, [this] { m_app.showWindow(win::calendarioprogetto); }},
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

    updateTabOrder();
    fillRecentFiles();
    connect(&m_app, &ModZANT::recentFilesChanged, this, &dati::fillRecentFiles);
}

void dati::fillRecentFiles()
{
    auto* menu = findChild<QMenu*>(QStringLiteral("recenti"));
    if (!menu)
        return;
    menu->clear();
    menu->setToolTipsVisible(true);
    const QStringList& files = m_app.recentFiles();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QString name = QFileInfo(path).fileName();
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            name.replace(QLatin1Char('&'), QStringLiteral("&&"))));
        action->setObjectName(QStringLiteral("recente%1").arg(i + 1));
        action->setToolTip(displayPath(path));
        connect(action, &QAction::triggered, this, [this, path] { apriRecente_Click(path); });
    }
    menu->setEnabled(!files.isEmpty());
}

void dati::apriRecente_Click(const QString& path)
{
    if (!m_app.maybeSaveChanges(this))
        return;
    if (!QFileInfo::exists(path)) {
        say(critical(QStringLiteral("Il file \"%1\" non esiste più: è stato tolto dai file "
                                    "recenti.")
                         .arg(displayPath(path))));
        m_app.forgetRecentFile(path);
        return;
    }
    if (Result<void> failure = m_app.openProject(path); !failure.ok()) {
        say(failure.error());
        return;
    }
    showNewProject();
}

void dati::closeEvent(QCloseEvent* event)
{
    // The data window is the program's first: closing it is leaving the program, whatever other
    // window is open.
    event->ignore();
    m_app.ConfirmExit(this);
}

void dati::apri_Click()
{
    if (!m_app.maybeSaveChanges(this))
        return;
    const QString path = m_app.dialogs().openProjectFileName(
        this, QStringLiteral("Apri file"), m_app.workingFolder(),
        [](const QString& file) { return isProjectDataFile(file); });
    if (path.isEmpty())
        return;
    if (Result<void> failure = m_app.openProject(path, this); !failure.ok()) {
        say(failure.error());
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
    const Message answer = m_app.checkConfirmation().checkOnRequest(m_app.project());
    say(answer);
    if (answer.kind == MessageKind::Information)
        warnAboutData();
}

void dati::warnAboutData()
{
    if (auto warning = findDataWarnings(m_app.project()))
        say(*warning);
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
    if (Result<void> fault = m_app.checkConfirmation().requireValidData(m_app.project());
        !fault.ok()) {
        say(fault.error());
        return false;
    }
    warnAboutData();
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
        this, m_app.constants().helpTitle,
        information(QStringLiteral(
            "- Aprire un file archiviato per prelevare i dati (ZANT-dati-...);\n"
            "- digitare i dati seguendo le indicazioni della casella gialla posta in basso;\n"
            "- visualizzare gli eventi successivi con la barra di scorrimento verticale;\n"
            "- inserire e modificare i legami ed i tempi con le barre di scorrimento laterali;\n"
            "- inserire una riga cliccando sui rispettivi numeri d'ordine;\n"
            "- eliminare una riga cliccando sui rispettivi tasti con la X;\n"
            "- effettuare i controlli dei dati cliccando sul tasto ABC.")));
}

void dati::stampa_Click()
{
    const PrintResult result =
        printDataListing(m_app.project(), m_app.titlePage(), m_app.checkConfirmation(),
                         m_app.output(), [this](const QString& text) { setStatus(text); });
    if (const auto message = messageFor(result))
        say(*message);
}

void dati::modulo_click()
{
    const PrintResult result =
        printBlankForm(m_app.output(), [this](const QString& text) { setStatus(text); });
    if (const auto message = messageFor(result))
        say(*message);
}

void dati::usci_Click()
{
    m_app.ConfirmExit(this);
}

} // namespace zant
