#pragma once

#include "document/project_document.h"
#include "model/constants.h"
#include "report/document_output.h"
#include "report/office_settings.h"
#include "shell/dialogs.h"
#include "shell/music_player.h"

#include <QColor>
#include <QDate>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace zant {

// Names of the windows, as the program refers to them.
namespace win {
inline const QString dati = QStringLiteral("dati");
inline const QString risultati = QStringLiteral("risultati");
inline const QString frontespizio = QStringLiteral("frontespizio");
inline const QString sommario = QStringLiteral("sommario");
inline const QString manuale = QStringLiteral("manuale");
inline const QString guidafunzionamento = QStringLiteral("guidafunzionamento");
inline const QString guidastampa = QStringLiteral("guidastampa");
inline const QString guidadati = QStringLiteral("guidadati");
inline const QString guidarisultati = QStringLiteral("guidarisultati");
inline const QString guidafrontespizio = QStringLiteral("guidafrontespizio");
inline const QString metodo = QStringLiteral("metodo");
inline const QString guidaschema = QStringLiteral("guidaschema");
inline const QString frmTip = QStringLiteral("frmTip");
inline const QString supportoclienti = QStringLiteral("supportoclienti");
inline const QString informa = QStringLiteral("informa");
inline const QString frmSplash = QStringLiteral("frmSplash");
inline const QString reticolo = QStringLiteral("reticolo");
inline const QString gantt = QStringLiteral("gantt");
inline const QString cronoeconomico = QStringLiteral("cronoeconomico");
inline const QString impostazioni = QStringLiteral("impostazioni");
inline const QString calendarioprogetto = QStringLiteral("calendarioprogetto");
} // namespace win

// The light grey that the three main windows can share.
inline const QColor kLightGrey(192, 192, 192);

class EditCommand;

// The application shell shared by all windows: the open project (a ProjectDocument), the shared
// constants, the settings and recent files, and the services behind which the dialogs, the
// documents and the music stand. It also creates each window the first time it is referred to,
// and runs the save and exit procedures.
class ModZANT final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModZANT)

public:
    using WindowFactory = std::function<QWidget*(ModZANT&)>;

    ModZANT(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<DocumentOutput> output,
            std::unique_ptr<MusicPlayer> music, OfficeSettings office);
    ~ModZANT() override;

    // The open project, its results and its history. The accessors below forward to it.
    ProjectDocument& document() { return m_document; }
    const ProjectDocument& document() const { return m_document; }

    const Project& project() const { return m_document.project(); }
    const TitlePage& titlePage() const { return m_document.titlePage(); }
    const ScheduleResults& results() const { return m_document.results(); }
    quint64 revision() const { return m_document.revision(); }
    bool resultsCurrent() const { return m_document.resultsCurrent(); }
    Result<const ScheduleResults*> freshResults() { return m_document.freshResults(); }
    const QString& currentDataFile() const { return m_document.currentDataFile(); }
    CheckConfirmation& checkConfirmation() { return m_document.checkConfirmation(); }
    void loadProject(ProjectFileContents contents, const QString& dataFile)
    {
        m_document.loadProject(std::move(contents), dataFile);
    }
    // Reads a data file and loads it; on failure nothing changes and the message says why. A
    // file written by a newer version is loaded with a warning (shown over `parent`) and not
    // taken as the current file, so that "Salva" asks for a new name instead of rewriting it.
    Result<void> openProject(const QString& path, QWidget* parent = nullptr);
    Result<void> importProject(const QString& what, Project project, TitlePage titlePage)
    {
        return m_document.importProject(what, std::move(project), std::move(titlePage));
    }
    void dateTitlePage(const QString& today) { m_document.dateTitlePage(today); }
    void setResults(ScheduleResults results) { m_document.setResults(std::move(results)); }

    const SharedConstants& constants() const { return sharedConstants(); }
    // The office name and address the documents carry.
    const OfficeSettings& office() const { return m_office; }
    // The program's settings file (office and recent files); empty, as in the tests: nothing is
    // stored.
    const QString& settingsFile() const { return m_settingsFile; }
    // Uses that file from now on and reads its list of recent files.
    void useSettingsFile(const QString& path);
    // New office details: written to the settings file (when there is one), then used by every
    // window and document. On failure nothing changes and the message says why.
    Result<void> changeOffice(const OfficeSettings& office);
    // The project files last opened or saved, most recent first.
    const QStringList& recentFiles() const { return m_recentFiles; }
    // Drops a file from the list (one that can no longer be opened).
    void forgetRecentFile(const QString& path);
    // The folder the file dialogs start in: that of the current file, or of the last one used.
    QString workingFolder() const;
    // The name "Salva con nome" proposes: ZANT-dati-<progetto>.txt in the working folder.
    QString suggestedDataFileName() const;
    // The colour last chosen for a window's background, offered again next time.
    QColor lastColor() const { return m_lastColor; }
    void setLastColor(const QColor& colour) { m_lastColor = colour; }
    // Today's date, replaceable by tests.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    Dialogs& dialogs() { return *m_dialogs; }
    DocumentOutput& output() { return *m_output; }
    MusicPlayer& music() { return *m_music; }

    // Windows are made by factories registered by the application, so that this layer does not
    // depend on the window classes.
    void registerWindow(const QString& name, WindowFactory factory);
    // Whether the program has a window of that name.
    bool hasWindow(const QString& name) const { return m_factories.count(name) > 0; }
    // The window, created on first reference.
    QWidget* window(const QString& name);
    template <typename W> W* windowAs(const QString& name)
    {
        return qobject_cast<W*>(window(name));
    }
    // The window if it exists, without creating it.
    QWidget* existingWindow(const QString& name) const;
    bool isLoaded(const QString& name) const { return existingWindow(name) != nullptr; }
    // Shows (creating it if needed) and brings to the front.
    void showWindow(const QString& name);
    // Closes and destroys a window, if it exists; never creates it.
    void unloadWindow(const QString& name);

    void ShowDataWindow() { showWindow(win::dati); }

    // Where a main window opens the first time: centred on the screen when no other main window
    // is open, otherwise a step lower and to the right of the last one placed.
    void placeMainWindow(QWidget* w);

    // The exit procedure of every exit command and of the data window's close box: with unsaved
    // changes asks "Salvare le modifiche al progetto?" (Salva / Non salvare / Annulla); then
    // closes every window of the program and shows the closing splash, which ends the program
    // by itself (without a splash the program ends at once). False when the user stayed.
    bool ConfirmExit(QWidget* parent);
    // Whether no main window (data, results, title page) but `w` is on screen.
    bool isLastMainWindow(const QWidget* w) const;
    // Closes every window left and ends the process.
    void endProgram();
    // How the process ends; tests replace it.
    std::function<void()> endProcess;

    // Brings the title-page window forward with the cursor in one of its fields; `from`, the
    // window that asked, gives up its keyboard focus so that nothing typed meanwhile lands there.
    void showTitlePageField(QWidget* from, TitlePage::Field field);

    // Sets the light grey on the three main windows: those already loaded now, the others when
    // they load (they start with applyMainBackground).
    void greyMainWindows();
    void applyMainBackground(QWidget* mainWindow) const;

    // Message with the title of the data checks and input warnings.
    void showMessage(QWidget* parent, const Message& message);

    QUndoStack& undoStack() { return m_document.undoStack(); }
    Result<void> edit(std::unique_ptr<EditCommand> command);
    template <typename C, typename... Args> Result<void> edit(Args&&... args)
    {
        return m_document.edit<C>(std::forward<Args>(args)...);
    }
    void undo() { m_document.undo(); }
    void redo() { m_document.redo(); }
    int editSession() const { return m_document.editSession(); }
    int newEditSession() { return m_document.newEditSession(); }
    bool isModified() const { return m_document.isModified(); }
    void markSaved() { m_document.markSaved(); }
    void startFreshHistory() { m_document.startFreshHistory(); }

    // The data window's save: checks, asks the name when there is none (or always, for "Salva
    // con nome"), writes, and tells the user why when it cannot. True when the file was written.
    bool saveProject(QWidget* parent, bool askName);
    // Whether closing this window leaves none of the program's windows open (the program ends).
    static bool isLastOpenWindow(const QWidget* w);
    // Before work could be lost: with unsaved changes asks "Salvare le modifiche al progetto?"
    // and saves on "Salva". True when the caller may go on.
    bool maybeSaveChanges(QWidget* parent);

signals:
    // The document's signals, passed on (see ProjectDocument).
    void projectRestored();
    void projectChanged();
    void modifiedChanged(bool modified);
    void resultsChanged();
    void titlePageChanged();
    void dataFileChanged();

    // The splash has to show its closing caption ("elaborazione eseguita con").
    void splashReturned();
    // The office details changed.
    void officeChanged();
    // The list of recent files changed.
    void recentFilesChanged();
    // The title-page window is asked to put the cursor in a field.
    void titleFieldWanted(int field);
    // A line for the status bars of the main windows (where a save went, and why its name
    // changed).
    void statusNote(const QString& text);

private:
    // Puts a file at the top of the recent files and stores the list.
    void rememberFile(const QString& path);
    // Before a save of a project without "progetto": offers the first event's description, or
    // opens the title page on that field. True when the save may go on.
    bool askProjectName(QWidget* parent);
    // Closes and destroys every window but the splash.
    void closeWorkingWindows();

    OfficeSettings m_office;
    QString m_settingsFile;
    QStringList m_recentFiles;
    QColor m_lastColor = Qt::white;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<DocumentOutput> m_output;
    std::unique_ptr<MusicPlayer> m_music;
    std::map<QString, WindowFactory> m_factories;
    std::map<QString, QPointer<QWidget>> m_windows;
    bool m_mainWindowsGrey = false;
    QPointer<QWidget> m_lastPlaced;
    // Declared after `today`, which gives the new project its start date.
    ProjectDocument m_document;
};

// Gives a window a plain background colour.
void setBackground(QWidget* w, const QColor& colour);
QColor background(const QWidget* w);

} // namespace zant
