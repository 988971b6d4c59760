#pragma once

#include "model/data_check.h"
#include "model/message.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/title_page.h"
#include "schedule/schedule.h"

#include <QObject>
#include <QUndoStack>

#include <memory>

namespace zant {

class EditCommand;

// The open project: the Project with its extended data (activity names, calendar, amounts), the
// title page, the data file it belongs to, the results with the revision of the project they
// were computed from, the check's hand-shake and the history of the edits. The windows read it
// and change it through the edit commands (document/edit_commands.h); it knows nothing of
// windows or dialogs.
class ProjectDocument final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProjectDocument)

public:
    // A new, empty project that starts on `startDate` (dd/MM/yyyy).
    explicit ProjectDocument(const QString& startDate, QObject* parent = nullptr);
    ~ProjectDocument() override;

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
    // New results were computed from the project as it is now: resultsChanged tells whoever
    // shows them.
    void setResults(ScheduleResults results);

    // The data file the project was read from or last saved to; empty when it has none.
    const QString& currentDataFile() const { return m_currentDataFile; }
    CheckConfirmation& checkConfirmation() { return m_checkConfirmation; }

    // Swaps in a project read from `dataFile` (empty when it comes from no file): its history
    // starts here and the windows show its title page.
    void loadProject(ProjectFileContents contents, const QString& dataFile);
    // Replaces the project with one imported from another program's file, as one step that can
    // be undone; the imported project has no data file of its own yet, so "Salva" asks for one.
    Result<void> importProject(const QString& what, Project project, TitlePage titlePage);
    // A title page without a date gets today's (a project that was opened brings its own).
    void dateTitlePage(const QString& today);
    // Writes the project and its title page to `path`, which becomes its data file, and marks
    // them saved. On failure nothing changes and the message says why; `substituted` as for
    // writeProjectFile.
    Result<void> save(const QString& path, bool* substituted);

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

    // What the edit commands change. Going through editableProject() marks the results out of
    // date; a change made here outside a command is not in the history, so only the commands
    // use these.
    Project& editableProject();
    TitlePage& editableTitlePage() { return m_titlePage; }

signals:
    // The project was put back by an undo or a redo: the windows show it again.
    void projectRestored();
    // The project changed in any way (edit, undo, redo, import, open): results shown so far
    // belong to an earlier state.
    void projectChanged();
    // The project became modified, or saved again.
    void modifiedChanged(bool modified);
    // New results were computed (results command, or a print that computes before printing).
    void resultsChanged();
    // The title page was replaced, or put back by an undo or a redo.
    void titlePageChanged();
    // The project's data file changed (open, save under a new name, import).
    void dataFileChanged();

private:
    void setCurrentDataFile(const QString& path);
    // Tells projectChanged when the project changed since revision `before`.
    void announceChangeSince(quint64 before);

    Project m_project;
    TitlePage m_titlePage;
    ScheduleResults m_results;
    quint64 m_revision = 1;
    quint64 m_resultsRevision = 0;
    CheckConfirmation m_checkConfirmation;
    QString m_currentDataFile;
    QUndoStack m_undoStack;
    int m_editSession = 0;
};

} // namespace zant
