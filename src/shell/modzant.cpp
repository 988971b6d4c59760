#include "shell/modzant.h"

#include "model/project_file.h"
#include "shell/edit_commands.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace zant {

ModZANT::ModZANT(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<DocumentOutput> output,
                 std::unique_ptr<MusicPlayer> music, OfficeSettings office)
    : m_office(std::move(office)), m_dialogs(std::move(dialogs)), m_output(std::move(output)),
      m_music(std::move(music))
{
    InitSharedConstants();
    InitMessageTitles();
    connect(&m_undoStack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
}

ModZANT::~ModZANT()
{
    for (auto& [name, w] : m_windows) {
        if (w)
            delete w.data();
    }
}

void ModZANT::InitSharedConstants()
{
    zant::InitSharedConstants(m_constants);
}

void ModZANT::InitMessageTitles()
{
    zant::InitMessageTitles(m_constants);
}

void ModZANT::registerWindow(const QString& name, WindowFactory factory)
{
    m_factories[name] = std::move(factory);
}

QWidget* ModZANT::existingWindow(const QString& name) const
{
    const auto it = m_windows.find(name);
    return it == m_windows.end() ? nullptr : it->second.data();
}

QWidget* ModZANT::window(const QString& name)
{
    if (QWidget* w = existingWindow(name))
        return w;
    const auto factory = m_factories.find(name);
    if (factory == m_factories.end())
        return nullptr;
    QWidget* w = factory->second(*this);
    if (w) {
        w->setObjectName(name);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        m_windows[name] = w;
    }
    return w;
}

namespace {

// Centres a window on another one, or on the screen, keeping it on the screen.
void centreOn(QWidget* w, const QWidget* over)
{
    const QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect around = over ? over->frameGeometry() : area;
    QRect r(QPoint(0, 0), w->frameGeometry().size());
    r.moveCenter(around.center());
    r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width())));
    r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height())));
    w->move(r.topLeft());
}

} // namespace

void ModZANT::placeMainWindow(QWidget* w)
{
    bool othersOpen = false;
    for (const QString& name : {win::dati, win::risultati, win::frontespizio}) {
        const QWidget* other = existingWindow(name);
        othersOpen = othersOpen || (other && other != w && other->isVisible());
    }
    if (othersOpen && m_lastPlaced && m_lastPlaced->isVisible()) {
        const QPoint step(30, 30);
        w->move(m_lastPlaced->pos() + step);
    } else {
        centreOn(w, nullptr);
    }
    m_lastPlaced = w;
}

void ModZANT::showWindow(const QString& name)
{
    QWidget* w = window(name);
    if (!w)
        return;
    // The small windows open over the window that asked for them.
    if (!w->isVisible() &&
        (name == win::frmTip || name == win::informa || name == win::supportoclienti))
        centreOn(w, QApplication::activeWindow());
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

void ModZANT::unloadWindow(const QString& name)
{
    const auto it = m_windows.find(name);
    if (it == m_windows.end())
        return;
    QPointer<QWidget> w = it->second;
    m_windows.erase(it);
    if (w) {
        // The exit commands unload their own window from inside its handlers: the window goes
        // when control is back in the event loop.
        w->hide();
        w->deleteLater();
    }
}

void ModZANT::ConfirmExit(QWidget* parent)
{
    if (!m_dialogs->question(parent,
                             QStringLiteral("Attenzione: i dati non archiviati andranno "
                                            "persi !"),
                             QStringLiteral("Vuoi uscire da ") + m_constants.productName +
                                 QStringLiteral("?"),
                             false))
        return;
    static const QString order[] = {
        win::dati,           win::sommario,           win::risultati,   win::frontespizio,
        win::manuale,        win::guidafunzionamento, win::guidastampa, win::guidadati,
        win::guidarisultati, win::guidafrontespizio,  win::metodo,      win::guidaschema,
        win::frmTip,         win::supportoclienti,    win::informa};
    for (const QString& name : order)
        unloadWindow(name);
    // A splash that was closed meanwhile is loaded anew, which starts its music; otherwise
    // the paused music resumes.
    const bool splashLoaded = isLoaded(win::frmSplash);
    showWindow(win::frmSplash);
    if (splashLoaded)
        m_music->play();
    emit splashReturned();
}

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QColor background(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

void ModZANT::greyMainWindows()
{
    m_mainWindowsGrey = true;
    for (const QString& name : {win::dati, win::risultati, win::frontespizio}) {
        if (QWidget* w = existingWindow(name))
            setBackground(w, kLightGrey);
    }
}

void ModZANT::applyMainBackground(QWidget* mainWindow) const
{
    if (m_mainWindowsGrey)
        setBackground(mainWindow, kLightGrey);
}

void ModZANT::showMessage(QWidget* parent, const Message& message)
{
    m_dialogs->message(parent, m_constants.messageTitle, message);
}

Outcome ModZANT::edit(std::unique_ptr<EditCommand> command)
{
    const quint64 before = m_revision;
    if (Outcome refusal = command->apply()) {
        if (m_revision != before)
            emit projectChanged();
        return refusal;
    }
    command->m_applied = true;
    m_undoStack.push(command.release());
    if (m_revision != before)
        emit projectChanged();
    return std::nullopt;
}

void ModZANT::undo()
{
    newEditSession();
    const quint64 before = m_revision;
    m_undoStack.undo();
    if (m_revision != before)
        emit projectChanged();
}

void ModZANT::redo()
{
    newEditSession();
    const quint64 before = m_revision;
    m_undoStack.redo();
    if (m_revision != before)
        emit projectChanged();
}

void ModZANT::startFreshHistory()
{
    newEditSession();
    m_undoStack.clear();
}

void ModZANT::loadProject(ProjectFileContents contents, const QString& dataFile)
{
    touchProject();
    m_project = std::move(contents.project);
    m_titlePage = std::move(contents.titlePage);
    m_currentDataFile = dataFile;
    startFreshHistory();
    emit titlePageChanged();
    emit projectChanged();
}

Outcome ModZANT::openProject(const QString& path, QWidget* parent)
{
    auto contents = readProjectFile(path);
    if (!contents)
        return contents.error();
    const bool newer = contents.value().newerSection();
    const int version = contents.value().sectionVersion;
    loadProject(std::move(contents.value()), newer ? QString() : path);
    if (newer)
        showMessage(parent, newerSectionWarning(path, version));
    return std::nullopt;
}

Outcome ModZANT::importProject(const QString& what, Project project, TitlePage titlePage)
{
    if (Outcome refused =
            edit<ReplaceProjectCommand>(what, std::move(project), std::move(titlePage)))
        return refused;
    m_currentDataFile.clear();
    emit titlePageChanged();
    return std::nullopt;
}

void ModZANT::dateTitlePage(const QString& today)
{
    if (m_titlePage[TitlePage::data].isEmpty())
        m_titlePage[TitlePage::data] = today;
}

void ModZANT::setResults(ScheduleResults results)
{
    m_results = std::move(results);
    m_resultsRevision = m_revision;
    emit resultsChanged();
}

Result<const ScheduleResults*> ModZANT::freshResults()
{
    if (resultsCurrent())
        return &m_results;
    if (auto fault = findDataFault(m_project))
        return *fault;
    // Stored without telling the windows: whoever shows results follows projectChanged and asks
    // here, so a window refreshing itself does not make the others refresh again.
    m_results = ComputeSchedule(m_project);
    m_resultsRevision = m_revision;
    return &m_results;
}

bool ModZANT::saveProject(QWidget* parent, bool askName)
{
    if (auto refusal = checkBeforeSave(m_project, m_titlePage, m_checkConfirmation)) {
        showMessage(parent, refusal->message);
        if (refusal->openTitlePage && hasWindow(win::frontespizio))
            showWindow(win::frontespizio);
        return false;
    }
    QString path = askName ? QString() : m_currentDataFile;
    if (path.isEmpty()) {
        path =
            m_dialogs->saveFileName(parent, QStringLiteral("Salva file con nome"),
                                    QStringLiteral("File ZANT-dati- | ZANT-dati-*"), 1, QString());
        if (path.isEmpty())
            return false;
    }
    bool substituted = false;
    if (auto failure = writeProjectFile(path, m_project, m_titlePage, &substituted)) {
        showMessage(parent, *failure);
        return false;
    }
    m_currentDataFile = path;
    markSaved();
    if (substituted)
        showMessage(parent, substitutedTextNotice());
    return true;
}

bool ModZANT::isLastOpenWindow(const QWidget* w)
{
    const auto windows = QApplication::topLevelWidgets();
    return std::none_of(windows.begin(), windows.end(), [w](const QWidget* other) {
        return other != w && other->isVisible() && other->isWindow() &&
               other->windowType() != Qt::Popup && other->windowType() != Qt::ToolTip &&
               other->windowType() != Qt::Desktop && !other->parentWidget();
    });
}

bool ModZANT::maybeSaveChanges(QWidget* parent)
{
    if (!isModified())
        return true;
    switch (m_dialogs->saveChanges(parent, m_constants.productName,
                                   QStringLiteral("Salvare le modifiche al progetto?"))) {
    case SaveChoice::Save:
        return saveProject(parent, false);
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        return false;
    }
    return false;
}

} // namespace zant
