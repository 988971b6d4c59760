#include "shell/modzant.h"

#include "document/edit_commands.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "report/settings_file.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace zant {

ModZANT::ModZANT(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<DocumentOutput> output,
                 std::unique_ptr<MusicPlayer> music, OfficeSettings office)
    : m_office(std::move(office)), m_dialogs(std::move(dialogs)), m_output(std::move(output)),
      m_music(std::move(music)), m_document(formatDate(today()))
{
    endProcess = [] { QCoreApplication::quit(); };
    // The windows follow the document through the shell.
    connect(&m_document, &ProjectDocument::projectRestored, this, &ModZANT::projectRestored);
    connect(&m_document, &ProjectDocument::projectChanged, this, &ModZANT::projectChanged);
    connect(&m_document, &ProjectDocument::modifiedChanged, this, &ModZANT::modifiedChanged);
    connect(&m_document, &ProjectDocument::resultsChanged, this, &ModZANT::resultsChanged);
    connect(&m_document, &ProjectDocument::titlePageChanged, this, &ModZANT::titlePageChanged);
    connect(&m_document, &ProjectDocument::dataFileChanged, this, &ModZANT::dataFileChanged);
}

ModZANT::~ModZANT()
{
    for (auto& [name, w] : m_windows) {
        if (w)
            delete w.data();
    }
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

bool ModZANT::ConfirmExit(QWidget* parent)
{
    if (!maybeSaveChanges(parent))
        return false;
    closeWorkingWindows();
    if (!hasWindow(win::frmSplash)) {
        endProgram();
        return true;
    }
    // A splash that was closed meanwhile is loaded anew, which starts its music; otherwise the
    // paused music resumes. The splash ends the program by itself.
    const bool splashLoaded = isLoaded(win::frmSplash);
    showWindow(win::frmSplash);
    if (splashLoaded)
        m_music->play();
    emit splashReturned();
    return true;
}

void ModZANT::closeWorkingWindows()
{
    std::vector<QString> names;
    for (const auto& [name, w] : m_windows) {
        if (name != win::frmSplash)
            names.push_back(name);
    }
    for (const QString& name : names)
        unloadWindow(name);
}

bool ModZANT::isLastMainWindow(const QWidget* w) const
{
    for (const QString& name : {win::dati, win::risultati, win::frontespizio}) {
        const QWidget* other = existingWindow(name);
        if (other && other != w && other->isVisible())
            return false;
    }
    return true;
}

void ModZANT::endProgram()
{
    closeWorkingWindows();
    unloadWindow(win::frmSplash);
    m_music->close();
    if (endProcess)
        endProcess();
}

void ModZANT::showTitlePageField(QWidget* from, TitlePage::Field field)
{
    if (!hasWindow(win::frontespizio))
        return;
    QWidget* page = window(win::frontespizio);
    if (from && from != page) {
        if (QWidget* focused = from->focusWidget())
            focused->clearFocus();
    }
    showWindow(win::frontespizio);
    emit titleFieldWanted(field);
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
    m_dialogs->message(parent, sharedConstants().messageTitle, message);
}

Result<void> ModZANT::edit(std::unique_ptr<EditCommand> command)
{
    return m_document.edit(std::move(command));
}

Result<void> ModZANT::openProject(const QString& path, QWidget* parent)
{
    auto contents = readProjectFile(path);
    if (!contents)
        return contents.error();
    const bool newer = contents.value().newerSection();
    const int version = contents.value().sectionVersion;
    m_document.loadProject(std::move(contents.value()), newer ? QString() : path);
    if (newer)
        showMessage(parent, newerSectionWarning(path, version));
    else
        rememberFile(path);
    return {};
}

bool ModZANT::askProjectName(QWidget* parent)
{
    const Message missing =
        critical(QStringLiteral("E' necessario digitare almeno il dato del 'progetto'."));
    const QString first = project().description(1).trimmed();
    if (first.isEmpty()) {
        showMessage(parent, missing);
        showTitlePageField(parent, TitlePage::progetto);
        return false;
    }
    const Message offer{missing.kind,
                        missing.text + QStringLiteral("\nUsare come progetto la descrizione "
                                                      "del primo evento, \"%1\"?")
                                           .arg(first)};
    switch (
        m_dialogs->choose(parent, sharedConstants().messageTitle, offer,
                          {QStringLiteral("&Usa la descrizione"),
                           QStringLiteral("Apri il &frontespizio"), QStringLiteral("Annulla")})) {
    case 0:
        edit<SetTitleFieldCommand>(TitlePage::progetto, first, newEditSession());
        newEditSession();
        return true;
    case 1:
        showTitlePageField(parent, TitlePage::progetto);
        return false;
    default:
        return false;
    }
}

bool ModZANT::saveProject(QWidget* parent, bool askName)
{
    if (Result<void> refusal = checkBeforeSave(project(), titlePage(), checkConfirmation());
        !refusal.ok()) {
        if (refusal.error().type != ErrorKind::Missing) {
            showMessage(parent, refusal.error());
            return false;
        }
        if (!askProjectName(parent))
            return false;
    }
    QString path = askName ? QString() : currentDataFile();
    QString note;
    if (path.isEmpty()) {
        const QString chosen = m_dialogs->saveFileName(
            parent, QStringLiteral("Salva file con nome"),
            QStringLiteral("File ZANT-dati- | ZANT-dati-*"), 1, suggestedDataFileName());
        if (chosen.isEmpty())
            return false;
        // A folder is not a name to complete: the save says it cannot write there.
        path = QFileInfo(chosen).isDir() ? chosen : withDataFileAffixes(chosen);
        if (path != chosen) {
            // The dialog asked about replacing the name typed, not this one.
            if (QFileInfo::exists(path) &&
                !m_dialogs->question(parent, sharedConstants().productName,
                                     QStringLiteral("Il file \"%1\" esiste già: sostituirlo?")
                                         .arg(displayPath(path)),
                                     false))
                return false;
            const QString typed = QFileInfo(chosen).fileName();
            QStringList added;
            if (!typed.startsWith(QLatin1String("ZANT-dati-"), Qt::CaseInsensitive))
                added << QStringLiteral("il prefisso ZANT-dati-");
            if (!typed.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
                added << QStringLiteral("l'estensione .txt");
            note = QStringLiteral(" (aggiunti al nome digitato %1)")
                       .arg(added.join(QStringLiteral(" e ")));
        }
    }
    bool substituted = false;
    if (Result<void> failure = m_document.save(path, &substituted); !failure.ok()) {
        showMessage(parent, failure.error());
        return false;
    }
    rememberFile(path);
    emit statusNote(QStringLiteral("Progetto salvato in %1").arg(QFileInfo(path).fileName()) +
                    note + QLatin1Char('.'));
    if (substituted)
        showMessage(parent, substitutedTextNotice());
    return true;
}

void ModZANT::useSettingsFile(const QString& path)
{
    m_settingsFile = path;
    m_recentFiles = path.isEmpty() ? QStringList() : readRecentFiles(path);
    emit recentFilesChanged();
}

Result<void> ModZANT::changeOffice(const OfficeSettings& office)
{
    if (!m_settingsFile.isEmpty()) {
        if (Result<void> failure = writeOfficeSettings(m_settingsFile, office); !failure.ok())
            return failure;
    }
    // Read back as the documents will read it next time: empty values become the placeholders.
    OfficeSettings applied = office;
    if (applied.officeName.trimmed().isEmpty())
        applied.officeName = OfficeSettings::namePlaceholder();
    if (applied.officeAddress.trimmed().isEmpty())
        applied.officeAddress = OfficeSettings::addressPlaceholder();
    applied.designer = applied.designer.trimmed();
    m_office = applied;
    emit officeChanged();
    return {};
}

void ModZANT::rememberFile(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(full);
    m_recentFiles.prepend(full);
    while (m_recentFiles.size() > kRecentFiles)
        m_recentFiles.removeLast();
    // The list is a convenience: a settings file that cannot be written keeps it for this run.
    if (!m_settingsFile.isEmpty())
        writeRecentFiles(m_settingsFile, m_recentFiles);
    emit recentFilesChanged();
}

void ModZANT::forgetRecentFile(const QString& path)
{
    if (m_recentFiles.removeAll(path) == 0)
        return;
    if (!m_settingsFile.isEmpty())
        writeRecentFiles(m_settingsFile, m_recentFiles);
    emit recentFilesChanged();
}

QString ModZANT::workingFolder() const
{
    const QString file =
        !currentDataFile().isEmpty() ? currentDataFile() : m_recentFiles.value(0, QString());
    if (!file.isEmpty() && QFileInfo(file).absoluteDir().exists())
        return QFileInfo(file).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString ModZANT::suggestedDataFileName() const
{
    return QDir(workingFolder()).filePath(dataFileNameFor(titlePage()[TitlePage::progetto]));
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
    switch (m_dialogs->saveChanges(parent, sharedConstants().productName,
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
