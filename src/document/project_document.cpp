#include "document/project_document.h"

#include "document/edit_commands.h"

namespace zant {

ProjectDocument::ProjectDocument(const QString& startDate, QObject* parent) : QObject(parent)
{
    // A new project starts on the date given; one read from a file keeps its own date.
    m_project.setStartDateText(startDate);
    connect(&m_undoStack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
}

ProjectDocument::~ProjectDocument() = default;

Result<const ScheduleResults*> ProjectDocument::freshResults()
{
    if (resultsCurrent())
        return &m_results;
    if (auto fault = findDataFault(m_project))
        return Error(ErrorKind::Check, *fault);
    // Stored without telling the windows: whoever shows results follows projectChanged and asks
    // here, so a window refreshing itself does not make the others refresh again.
    m_results = ComputeSchedule(m_project);
    m_resultsRevision = m_revision;
    return &m_results;
}

void ProjectDocument::setResults(ScheduleResults results)
{
    m_results = std::move(results);
    m_resultsRevision = m_revision;
    emit resultsChanged();
}

void ProjectDocument::loadProject(ProjectFileContents contents, const QString& dataFile)
{
    ++m_revision;
    m_project = std::move(contents.project);
    m_titlePage = std::move(contents.titlePage);
    setCurrentDataFile(dataFile);
    startFreshHistory();
    emit titlePageChanged();
    emit projectChanged();
}

Result<void> ProjectDocument::importProject(const QString& what, Project project,
                                            TitlePage titlePage)
{
    if (Result<void> refused =
            edit<ReplaceProjectCommand>(what, std::move(project), std::move(titlePage));
        !refused.ok())
        return refused;
    setCurrentDataFile(QString());
    emit titlePageChanged();
    return {};
}

void ProjectDocument::dateTitlePage(const QString& today)
{
    if (m_titlePage[TitlePage::data].isEmpty())
        m_titlePage[TitlePage::data] = today;
}

Result<void> ProjectDocument::save(const QString& path, bool* substituted)
{
    if (Result<void> failure = writeProjectFile(path, m_project, m_titlePage, substituted);
        !failure.ok())
        return failure;
    setCurrentDataFile(path);
    markSaved();
    return {};
}

void ProjectDocument::setCurrentDataFile(const QString& path)
{
    if (path == m_currentDataFile)
        return;
    m_currentDataFile = path;
    emit dataFileChanged();
}

Project& ProjectDocument::editableProject()
{
    // Whoever may change the project comes through here, so results computed before are known
    // to be out of date from now on.
    ++m_revision;
    return m_project;
}

void ProjectDocument::announceChangeSince(quint64 before)
{
    if (m_revision != before)
        emit projectChanged();
}

Result<void> ProjectDocument::edit(std::unique_ptr<EditCommand> command)
{
    const quint64 before = m_revision;
    Result<void> refusal = command->applyBeforePush();
    if (refusal.ok())
        m_undoStack.push(command.release());
    announceChangeSince(before);
    return refusal;
}

void ProjectDocument::undo()
{
    newEditSession();
    const quint64 before = m_revision;
    m_undoStack.undo();
    announceChangeSince(before);
}

void ProjectDocument::redo()
{
    newEditSession();
    const quint64 before = m_revision;
    m_undoStack.redo();
    announceChangeSince(before);
}

void ProjectDocument::startFreshHistory()
{
    newEditSession();
    m_undoStack.clear();
}

} // namespace zant
