#include "model/file_io.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#endif

namespace zant {

QString displayPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile aprire il file \"%1\": è una cartella.")
                                  .arg(displayPath(path))));
    if (!file.open(QIODevice::ReadOnly))
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile aprire il file \"%1\": %2.")
                                  .arg(displayPath(path), file.errorString())));
    if (file.size() > maxBytes)
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Il file \"%1\" è troppo grande per essere un file di "
                                             "ZANT.")
                                  .arg(displayPath(path))));
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile leggere il file \"%1\": %2.")
                                  .arg(displayPath(path), file.errorString())));
    if (bytes.size() > maxBytes)
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Il file \"%1\" è troppo grande per essere un file di "
                                             "ZANT.")
                                  .arg(displayPath(path))));
    return bytes;
}

namespace {

std::filesystem::path nativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Whether a process with this id runs now; one that cannot be asked about counts as running.
bool processIsRunning(qint64 processId)
{
    if (processId <= 0)
        return true;
#ifdef Q_OS_UNIX
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
#elif defined(Q_OS_WIN)
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD exitCode = 0;
    const bool running = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
#else
    return true;
#endif
}

const QString kTemporaryTag = QStringLiteral(".zant-");
const QString kTemporaryEnd = QStringLiteral(".tmp");

// The start of the temporary names of a file: a dot, then the file's name, shortened when the
// whole temporary name would be longer than a file system allows.
QString temporaryPrefix(const QString& fileName)
{
    // The process id takes at most ten digits.
    const qsizetype room = 255 - 1 - kTemporaryTag.size() - 10 - kTemporaryEnd.size();
    QString name = fileName;
    while (QFile::encodeName(name).size() > room) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return QLatin1Char('.') + name + kTemporaryTag;
}

// Removes the temporary files that saves of `path` by processes no longer running left behind;
// those of a running process are its own business.
void removeStaleTemporaries(const QString& path)
{
    const QFileInfo info(path);
    const QString prefix = temporaryPrefix(info.fileName());
    const qint64 own = QCoreApplication::applicationPid();
    QDirIterator entries(info.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        if (!name.startsWith(prefix) || !name.endsWith(kTemporaryEnd))
            continue;
        bool isNumber = false;
        const qint64 owner =
            QStringView(name)
                .mid(prefix.size(), name.size() - prefix.size() - kTemporaryEnd.size())
                .toLongLong(&isNumber);
        if (isNumber && (owner == own || !processIsRunning(owner)))
            QFile::remove(entries.filePath());
    }
}

// Writes the new content under the file's temporary name, which replaces the file by a rename
// once every byte is on the disk; a cancelled or failed save removes it.
class TemporaryFileTarget final : public SaveTarget
{
public:
    explicit TemporaryFileTarget(const QString& path)
        : m_path(path), m_file(temporaryFilePath(path, QCoreApplication::applicationPid()))
    {
    }
    ~TemporaryFileTarget() override
    {
        if (!m_finished)
            cancel();
    }
    bool open() override
    {
        removeStaleTemporaries(m_path);
        errno = 0;
        if (!step(m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)))
            return false;
        m_created = true;
        // The file keeps its permissions; a new one gets those every new file gets.
        if (QFileInfo::exists(m_path))
            m_file.setPermissions(QFile::permissions(m_path));
        return true;
    }
    QIODevice& device() override { return m_file; }
    bool flush() override
    {
        errno = 0;
        return step(m_file.error() == QFileDevice::NoError && m_file.flush() && syncToDisk());
    }
    bool commit() override
    {
        errno = 0;
        m_file.close();
        if (!step(m_file.error() == QFileDevice::NoError))
            return false;
        std::error_code error;
        std::filesystem::rename(nativePath(m_file.fileName()), nativePath(m_path), error);
        if (error) {
            m_errno = error.value();
            return false;
        }
        m_finished = true;
        return true;
    }
    void cancel() override
    {
        m_file.close();
        if (m_created)
            QFile::remove(m_file.fileName());
        m_finished = true;
    }
    int systemError() const override { return m_errno; }

private:
    // Keeps the error number of the failing call before later calls overwrite it.
    bool step(bool ok)
    {
        if (!ok)
            m_errno = errno;
        return ok;
    }
    // A rename only makes the content the file's once the content is on the disk; file systems
    // that cannot say so are taken at their word.
    bool syncToDisk()
    {
#ifdef Q_OS_UNIX
        if (::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != ENOTSUP)
            return false;
#elif defined(Q_OS_WIN)
        ::_commit(m_file.handle());
#endif
        return true;
    }

    QString m_path;
    QFile m_file;
    bool m_created = false;
    bool m_finished = false;
    int m_errno = 0;
};

Error saveFailure(const QString& path, const QString& cause, bool existed)
{
    QString text =
        QStringLiteral("Impossibile salvare il file \"%1\": %2.").arg(displayPath(path), cause);
    if (existed)
        text += QStringLiteral(" Il file esistente non è stato modificato.");
    return Error(ErrorKind::File, critical(text));
}

// Why a step failed: the error number when it says something, otherwise what the file system
// shows now (full, read-only), otherwise what the program was doing, with the error number when
// there is one. The system's own texts are not used: they are in English.
QString describeFailure(const QString& path, int systemError, const QString& fallback)
{
    const QString known = fileErrorCause(systemError);
    if (!known.isEmpty())
        return known;
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.isReadOnly())
        return fileErrorCause(EROFS);
    if (storage.isValid() && storage.bytesAvailable() == 0)
        return fileErrorCause(ENOSPC);
    if (systemError != 0)
        return QStringLiteral("%1 (errore di sistema n. %2)").arg(fallback).arg(systemError);
    return fallback;
}

// What kind of thing other than a regular file or folder lies at `path`, if any.
QString specialFileKind(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("è un dispositivo, non un file");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("è una FIFO, non un file");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("è un socket, non un file");
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return QStringLiteral("non è un file ordinario");
    return {};
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir())
        return QStringLiteral("non è un file ordinario");
    return {};
#endif
}

// Where a save really goes and whether it may: a symbolic link leads to the file it points to,
// and anything but a regular file or a free name in an existing folder is refused.
struct SavePlan
{
    QString target;
    bool existed = false;
    QString refusal;
};

SavePlan planSave(const QString& path)
{
    SavePlan plan;
    if (path.isEmpty()) {
        plan.refusal = QStringLiteral("manca il nome del file");
        return plan;
    }
    plan.target = path;
    const QFileInfo link(path);
    if (link.isSymLink()) {
        // A link to an existing file resolves fully; a dangling one creates its target.
        plan.target = link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
    }
    const QFileInfo info(plan.target);
    if (info.isDir()) {
        plan.refusal = fileErrorCause(EISDIR);
        return plan;
    }
    if (info.exists()) {
        plan.refusal = specialFileKind(plan.target);
        if (!plan.refusal.isEmpty())
            return plan;
    }
    // Only a regular file is what the user would call "the existing file".
    plan.existed = info.exists();
    if (QFile::encodeName(info.fileName()).size() > 255) {
        plan.refusal = fileErrorCause(ENAMETOOLONG);
        return plan;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists() || !folder.isDir())
        plan.refusal = fileErrorCause(ENOENT);
    return plan;
}

} // namespace

QString fileErrorCause(int systemError)
{
    switch (systemError) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("spazio su disco esaurito");
    case EROFS:
        return QStringLiteral("file system di sola lettura");
    case EACCES:
    case EPERM:
        return QStringLiteral("permesso negato");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("cartella inesistente");
    case ENAMETOOLONG:
        return QStringLiteral("nome troppo lungo");
    case EISDIR:
        return QStringLiteral("è una cartella");
    case EFBIG:
        return QStringLiteral("file troppo grande per il file system");
    case EIO:
        return QStringLiteral("errore di lettura o scrittura del disco");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("troppi file aperti");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("il file è in uso");
    case EINVAL:
        return QStringLiteral("nome di file non valido");
    case EEXIST:
        return QStringLiteral("esiste già un file con quel nome");
    default:
        return {};
    }
}

std::unique_ptr<SaveTarget> makeFileTarget(const QString& path)
{
    return std::make_unique<TemporaryFileTarget>(path);
}

QString temporaryFilePath(const QString& path, qint64 processId)
{
    const QFileInfo info(path);
    return info.absolutePath() + QLatin1Char('/') + temporaryPrefix(info.fileName()) +
           QString::number(processId) + kTemporaryEnd;
}

namespace {

// Opens the target and fills it until its content is on the disk, ready for the commit; on
// failure the target is cancelled and the message says why. `existed` adds that the old file
// was left as it was.
Result<void> fillTarget(SaveTarget& target, const QString& path, const SavePlan& plan, bool existed,
                        const FileContentWriter& write)
{
    const auto failure = [&](const QString& fallback) {
        return saveFailure(path, describeFailure(plan.target, target.systemError(), fallback),
                           existed);
    };
    if (!target.open())
        return failure(QStringLiteral("impossibile creare il file"));
    errno = 0;
    if (Result<void> refused = write(target.device()); !refused.ok()) {
        // The content's own message names the cause; a write error of the device is described
        // here, where the file is known.
        int systemError = target.systemError();
        if (systemError == 0)
            systemError = refused.error().systemError ? refused.error().systemError : errno;
        target.cancel();
        if (refused.error().type == ErrorKind::Write)
            return saveFailure(
                path,
                describeFailure(plan.target, systemError, QStringLiteral("errore di scrittura")),
                existed);
        return refused;
    }
    if (!target.flush()) {
        const Error message = failure(QStringLiteral("errore di scrittura"));
        target.cancel();
        return message;
    }
    return {};
}

Result<void> commitTarget(SaveTarget& target, const QString& path, const SavePlan& plan,
                          bool existed)
{
    if (target.commit())
        return {};
    const Error message =
        saveFailure(path,
                    describeFailure(plan.target, target.systemError(),
                                    QStringLiteral("impossibile sostituire il file")),
                    existed);
    target.cancel();
    return message;
}

// "A", "B" e "C".
QString listOfFiles(const QStringList& paths)
{
    QStringList quoted;
    for (const QString& path : paths)
        quoted << QStringLiteral("\"%1\"").arg(displayPath(path));
    if (quoted.size() < 2)
        return quoted.join(QString());
    const QString last = quoted.takeLast();
    return quoted.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

} // namespace

Result<void> saveFile(const QString& path, const FileContentWriter& write,
                      const SaveTargetFactory& targets)
{
    const SavePlan plan = planSave(path);
    if (!plan.refusal.isEmpty())
        return saveFailure(path, plan.refusal, plan.existed);
    std::unique_ptr<SaveTarget> target = targets(plan.target);
    if (Result<void> failed = fillTarget(*target, path, plan, plan.existed, write); !failed.ok())
        return failed;
    return commitTarget(*target, path, plan, plan.existed);
}

namespace {

Result<void> writeBytes(QIODevice& device, const QByteArray& bytes)
{
    errno = 0;
    if (device.write(bytes) != bytes.size())
        return writeRefused(errno);
    return {};
}

} // namespace

Result<void> saveFile(const QString& path, const QByteArray& bytes,
                      const SaveTargetFactory& targets)
{
    return saveFile(
        path, [&](QIODevice& device) { return writeBytes(device, bytes); }, targets);
}

Result<void> saveFiles(const std::vector<FileBytes>& files, const SaveTargetFactory& targets)
{
    std::vector<SavePlan> plans;
    bool anyExisted = false;
    for (const FileBytes& file : files) {
        plans.push_back(planSave(file.path));
        anyExisted = anyExisted || plans.back().existed;
    }
    const QString untouched =
        anyExisted ? QStringLiteral(" I file esistenti non sono stati modificati.") : QString();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!plans[i].refusal.isEmpty()) {
            Error message = saveFailure(files[i].path, plans[i].refusal, false);
            message.text += untouched;
            return message;
        }
    }
    std::vector<std::unique_ptr<SaveTarget>> opened;
    const auto cancelFrom = [&](std::size_t first) {
        for (std::size_t i = first; i < opened.size(); ++i)
            opened[i]->cancel();
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        opened.push_back(targets(plans[i].target));
        const QByteArray& bytes = files[i].bytes;
        Result<void> failed =
            fillTarget(*opened.back(), files[i].path, plans[i], false,
                       [&](QIODevice& device) { return writeBytes(device, bytes); });
        if (!failed.ok()) {
            cancelFrom(0);
            failed.error().text += untouched;
            return failed;
        }
    }
    // Every file is complete: they take their names one after the other.
    QStringList replaced;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Result<void> failed = commitTarget(*opened[i], files[i].path, plans[i], false);
            !failed.ok()) {
            cancelFrom(i + 1);
            if (replaced.isEmpty())
                failed.error().text += untouched;
            else
                failed.error().text +=
                    (replaced.size() == 1
                         ? QStringLiteral(" Era già stato scritto il file %1; gli altri file non "
                                          "sono stati modificati.")
                         : QStringLiteral(" Erano già stati scritti i file %1; gli altri file "
                                          "non sono stati modificati."))
                        .arg(listOfFiles(replaced));
            return failed;
        }
        replaced << files[i].path;
    }
    return {};
}

Result<void> saveFileByName(const QString& path, const NamedFileWriter& write)
{
    const SavePlan plan = planSave(path);
    if (!plan.refusal.isEmpty())
        return saveFailure(path, plan.refusal, plan.existed);
    removeStaleTemporaries(plan.target);
    const QString temporary = temporaryFilePath(plan.target, QCoreApplication::applicationPid());
    QFile file(temporary);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const int systemError = errno;
        return saveFailure(
            path,
            describeFailure(plan.target, systemError, QStringLiteral("impossibile creare il file")),
            plan.existed);
    }
    // The file keeps its permissions; a new one gets those every new file gets.
    if (plan.existed)
        file.setPermissions(QFile::permissions(plan.target));
    file.close();
    // Whatever happens below, the temporary name does not outlive the save.
    const auto removeTemporary = qScopeGuard([&] { QFile::remove(temporary); });
    errno = 0;
    if (Result<void> refused = write(temporary); !refused.ok()) {
        const int systemError = refused.error().systemError ? refused.error().systemError : errno;
        if (refused.error().type == ErrorKind::Write)
            return saveFailure(
                path,
                describeFailure(plan.target, systemError, QStringLiteral("errore di scrittura")),
                plan.existed);
        return refused;
    }
    std::error_code error;
    std::filesystem::rename(nativePath(temporary), nativePath(plan.target), error);
    if (error)
        return saveFailure(path,
                           describeFailure(plan.target, error.value(),
                                           QStringLiteral("impossibile sostituire il file")),
                           plan.existed);
    return {};
}

namespace {

const QString kScratchStart = QStringLiteral("zant-");

// Scratch files of processes that died before they could remove them.
void removeStaleScratchFiles(const QString& folder, const QString& suffix)
{
    static const QRegularExpression name(QStringLiteral("^zant-(\\d+)-[A-Za-z0-9]{6}(.*)$"));
    const qint64 own = QCoreApplication::applicationPid();
    QDirIterator entries(folder, {kScratchStart + QLatin1Char('*')},
                         QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QRegularExpressionMatch match = name.match(entries.fileName());
        if (!match.hasMatch() || match.captured(2) != suffix)
            continue;
        const qint64 owner = match.captured(1).toLongLong();
        if (owner != own && !processIsRunning(owner))
            QFile::remove(entries.filePath());
    }
}

} // namespace

Result<void> saveFileThroughScratch(const QString& path, const QString& suffix,
                                    const NamedFileWriter& write, const SaveTargetFactory& targets)
{
    const SavePlan plan = planSave(path);
    if (!plan.refusal.isEmpty())
        return saveFailure(path, plan.refusal, plan.existed);
    QString folder = QDir::tempPath();
    // Qt gives no path for a TMPDIR that does not exist.
    if (folder.isEmpty())
        folder = QDir::cleanPath(qEnvironmentVariable("TMPDIR"));
    const auto scratchFailure = [&](int systemError) {
        return saveFailure(path,
                           QStringLiteral("%1 nella cartella dei file temporanei \"%2\"")
                               .arg(describeFailure(folder + QStringLiteral("/x"), systemError,
                                                    QStringLiteral("errore di scrittura")),
                                    displayPath(folder)),
                           plan.existed);
    };
    if (!QFileInfo(folder).isDir())
        return scratchFailure(ENOENT);
    removeStaleScratchFiles(folder, suffix);
    QTemporaryFile scratch(folder + QLatin1Char('/') + kScratchStart +
                           QString::number(QCoreApplication::applicationPid()) +
                           QStringLiteral("-XXXXXX") + suffix);
    errno = 0;
    if (!scratch.open())
        return scratchFailure(errno);
    scratch.close();
    errno = 0;
    if (Result<void> refused = write(scratch.fileName()); !refused.ok()) {
        if (refused.error().type == ErrorKind::Write)
            return scratchFailure(refused.error().systemError ? refused.error().systemError
                                                              : errno);
        return refused;
    }
    QFile built(scratch.fileName());
    errno = 0;
    if (!built.open(QIODevice::ReadOnly))
        return scratchFailure(errno);
    const QByteArray bytes = built.readAll();
    if (built.error() != QFileDevice::NoError)
        return scratchFailure(errno);
    built.close();
    return saveFile(path, bytes, targets);
}

Result<void> createFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile creare la cartella \"%1\": %2.")
                                  .arg(displayPath(path), fileErrorCause(EEXIST))));
    std::error_code error;
    std::filesystem::create_directories(nativePath(path), error);
    if (!error && QFileInfo(path).isDir())
        return {};
    QString cause = fileErrorCause(error ? error.value() : EEXIST);
    if (cause.isEmpty())
        cause = QStringLiteral("errore del file system");
    return Error(ErrorKind::File,
                 critical(QStringLiteral("Impossibile creare la cartella \"%1\": %2.")
                              .arg(displayPath(path), cause)));
}

WriteCheckingDevice::WriteCheckingDevice(QIODevice& target) : m_target(target)
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool WriteCheckingDevice::isSequential() const
{
    return m_target.isSequential();
}

bool WriteCheckingDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && m_target.seek(pos);
}

qint64 WriteCheckingDevice::size() const
{
    return m_target.size();
}

qint64 WriteCheckingDevice::readData(char*, qint64)
{
    return -1;
}

qint64 WriteCheckingDevice::writeData(const char* data, qint64 size)
{
    if (m_failed)
        return -1;
    errno = 0;
    const qint64 written = m_target.write(data, size);
    if (written != size) {
        m_failed = true;
        m_errno = errno;
        setErrorString(m_target.errorString());
        return -1;
    }
    return written;
}

} // namespace zant
