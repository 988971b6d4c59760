#pragma once

#include "model/constants.h"
#include "model/data_check.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/title_page.h"
#include "report/document_output.h"
#include "report/office_settings.h"
#include "schedule/schedule.h"
#include "shell/dialogs.h"
#include "shell/music_player.h"

#include <QColor>
#include <QDate>
#include <QObject>
#include <QPointer>
#include <QUndoStack>
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

// The application state shared by all windows: the project, its last results, the title page,
// the check hand-shake, the data window's current file, the shared constants and the services
// behind which the dialogs, the documents and the music stand. It also creates each window the
// first time it is referred to, and runs the exit procedure.
class ModZANT final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModZANT)

public:
    using WindowFactory = std::function<QWidget*(ModZANT&)>;

    ModZANT(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<DocumentOutput> output,
            std::unique_ptr<MusicPlayer> music, OfficeSettings office);
    ~ModZANT() override;

    // The project and its title page change through loadProject, importProject and edit();
    // the results through setResults and freshResults.
    const Project& project() const { return m_project; }
    const TitlePage& titlePage() const { return m_titlePage; }
    // The results of the last computation. They may belong to an earlier state of the project:
    // whatever shows or writes them asks freshResults() first.
    const ScheduleResults& results() const { return m_results; }
    // Counts the changes of the project: every edit, undo, redo, import and open.
    quint64 revision() const { return m_revision; }
    // Whether the results were computed from the project as it is now.
    bool resultsCurrent() const { return !m_results.isEmpty() && m_resultsRevision == m_revision; }
    // The results of the project as it is now: computed again, after the data check, when the
    // project changed since the last computation (well under 50 ms for the largest project).
    // When the check refuses the data, its message instead: old figures are never given.
    Result<const ScheduleResults*> freshResults();
    // The data file the project was read from or last saved to; empty when it has none.
    const QString& currentDataFile() const { return m_currentDataFile; }
    CheckConfirmation& checkConfirmation() { return m_checkConfirmation; }

    // Swaps in a project read from `dataFile` (empty when it comes from no file): its history
    // starts here and the windows show its title page.
    void loadProject(ProjectFileContents contents, const QString& dataFile);
    // Reads a data file and loads it; on failure nothing changes and the message says why. A
    // file written by a newer version is loaded with a warning (shown over `parent`) and not
    // taken as the current file, so that "Salva" asks for a new name instead of rewriting it.
    Result<void> openProject(const QString& path, QWidget* parent = nullptr);
    // Replaces the project with one imported from another program's file, as one step that can
    // be undone; the imported project has no data file of its own yet, so "Salva" asks for one.
    Result<void> importProject(const QString& what, Project project, TitlePage titlePage);
    // A title page without a date gets today's (a project that was opened brings its own).
    void dateTitlePage(const QString& today);
    // New results were computed from the project as it is now: the windows that show them are
    // told.
    void setResults(ScheduleResults results);

    const SharedConstants& constants() const { return m_constants; }
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

    void InitSharedConstants();
    void InitMessageTitles();

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

    // The history of the edits of the project and its title page. Its clean state is the
    // project as last opened or saved.
    QUndoStack& undoStack() { return m_undoStack; }
    // Applies an edit and, unless refused, records it as one step that can be undone.
    Result<void> edit(std::unique_ptr<EditCommand> command);
    template <typename C, typename... Args> Result<void> edit(Args&&... args)
    {
        return edit(std::make_unique<C>(*this, std::forward<Args>(args)...));
    }
    void undo();
    void redo();
    // Typing in one box is one step until the box is left: each stretch of typing gets its own
    // number, and only edits with the same number merge.
    int editSession() const { return m_editSession; }
    int newEditSession() { return ++m_editSession; }

    // Whether the project (with its title page) differs from what was last opened or saved.
    bool isModified() const { return !m_undoStack.isClean(); }
    // The project was saved: what is in memory is what the file holds.
    void markSaved() { m_undoStack.setClean(); }
    // A project was opened or given at start: its history begins here.
    void startFreshHistory();

    // The data window's save: checks, asks the name when there is none (or always, for "Salva
    // con nome"), writes, and tells the user why when it cannot. True when the file was written.
    bool saveProject(QWidget* parent, bool askName);
    // Whether closing this window leaves none of the program's windows open (the program ends).
    static bool isLastOpenWindow(const QWidget* w);
    // Before work could be lost: with unsaved changes asks "Salvare le modifiche al progetto?"
    // and saves on "Salva". True when the caller may go on.
    bool maybeSaveChanges(QWidget* parent);

signals:
    // The project was put back by an undo or a redo: the windows show it again.
    void projectRestored();
    // The project changed in any way (edit, undo, redo, import, open): results shown so far
    // belong to an earlier state.
    void projectChanged();
    // The project became modified, or saved again.
    void modifiedChanged(bool modified);
    // The splash has to show its closing caption ("elaborazione eseguita con").
    void splashReturned();
    // New results were computed (results command, or a print that computes before printing).
    void resultsChanged();
    // The title page was replaced (a project file was opened).
    void titlePageChanged();
    // The office details changed.
    void officeChanged();
    // The list of recent files changed.
    void recentFilesChanged();
    // The project's data file changed (open, save under a new name, import).
    void dataFileChanged();
    // The title-page window is asked to put the cursor in a field.
    void titleFieldWanted(int field);
    // A line for the status bars of the main windows (where a save went, and why its name
    // changed).
    void statusNote(const QString& text);

private:
    // The edit commands change the project and the title page, and put them back.
    friend class EditCommand;
    // The project is about to change: results computed so far are out of date.
    void touchProject() { ++m_revision; }
    void setCurrentDataFile(const QString& path);
    // Puts a file at the top of the recent files and stores the list.
    void rememberFile(const QString& path);
    // Before a save of a project without "progetto": offers the first event's description, or
    // opens the title page on that field. True when the save may go on.
    bool askProjectName(QWidget* parent);
    // Closes and destroys every window but the splash.
    void closeWorkingWindows();

    Project m_project;
    ScheduleResults m_results;
    quint64 m_revision = 1;
    quint64 m_resultsRevision = 0;
    TitlePage m_titlePage;
    CheckConfirmation m_checkConfirmation;
    QString m_currentDataFile;
    SharedConstants m_constants;
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
    QUndoStack m_undoStack;
    int m_editSession = 0;
};

// Gives a window a plain background colour.
void setBackground(QWidget* w, const QColor& colour);
QColor background(const QWidget* w);

} // namespace zant
