#include "model/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
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
        return critical(QStringLiteral("Impossibile aprire il file \"%1\": è una cartella.")
                            .arg(displayPath(path)));
    if (!file.open(QIODevice::ReadOnly))
        return critical(QStringLiteral("Impossibile aprire il file \"%1\": %2.")
                            .arg(displayPath(path), file.errorString()));
    if (file.size() > maxBytes)
        return critical(QStringLiteral("Il file \"%1\" è troppo grande per essere un file di "
                                       "ZANT.")
                            .arg(displayPath(path)));
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return critical(QStringLiteral("Impossibile leggere il file \"%1\": %2.")
                            .arg(displayPath(path), file.errorString()));
    if (bytes.size() > maxBytes)
        return critical(QStringLiteral("Il file \"%1\" è troppo grande per essere un file di "
                                       "ZANT.")
                            .arg(displayPath(path)));
    return bytes;
}

namespace {

SaveTargetFactory& targetFactory()
{
    static SaveTargetFactory factory;
    return factory;
}

class QSaveFileTarget final : public SaveTarget
{
public:
    explicit QSaveFileTarget(const QString& path) : m_file(path)
    {
        // Without a temporary file a failure could leave the old file half written.
        m_file.setDirectWriteFallback(false);
    }
    bool open() override
    {
        errno = 0;
        return step(m_file.open(QIODevice::WriteOnly));
    }
    QIODevice& device() override { return m_file; }
    bool flush() override
    {
        // QSaveFile::commit() does not notice on every path that its buffer failed to reach
        // the disk, so the flush is a step of its own.
        errno = 0;
        return step(m_file.error() == QFileDevice::NoError && m_file.flush());
    }
    bool commit() override
    {
        errno = 0;
        return step(m_file.commit());
    }
    void cancel() override { m_file.cancelWriting(); }
    int systemError() const override { return m_errno; }
    QString errorString() const override { return m_file.errorString(); }

private:
    // Keeps the error number of the failing call before later calls overwrite it.
    bool step(bool ok)
    {
        if (!ok)
            m_errno = errno;
        return ok;
    }

    QSaveFile m_file;
    int m_errno = 0;
};

Message saveFailure(const QString& path, const QString& cause, bool existed)
{
    QString text =
        QStringLiteral("Impossibile salvare il file \"%1\": %2.").arg(displayPath(path), cause);
    if (existed)
        text += QStringLiteral(" Il file esistente non è stato modificato.");
    return critical(text);
}

// Why a step failed: the error number when it says something, otherwise what the file system
// shows now (full, read-only), otherwise Qt's text when it is not an empty "Unknown error".
QString describeFailure(const QString& path, int systemError, const QString& qtText,
                        const QString& fallback)
{
    const QString known = fileErrorCause(systemError);
    if (!known.isEmpty())
        return known;
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.isReadOnly())
        return fileErrorCause(EROFS);
    if (storage.isValid() && storage.bytesAvailable() == 0)
        return fileErrorCause(ENOSPC);
    if (!qtText.isEmpty() && !qtText.contains(QLatin1String("Unknown error"), Qt::CaseInsensitive))
        return QStringLiteral("%1 (%2)").arg(fallback, qtText);
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
    // The temporary file adds seven characters to the name.
    if (QFile::encodeName(info.fileName()).size() + 7 > 255) {
        plan.refusal = fileErrorCause(ENAMETOOLONG);
        return plan;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists() || !folder.isDir())
        plan.refusal = fileErrorCause(ENOENT);
    return plan;
}

QFileDevice::Permissions newFilePermissions()
{
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                           QFileDevice::ReadOther | QFileDevice::WriteOther;
#ifdef Q_OS_UNIX
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (mask & S_IWGRP)
        permissions &= ~QFileDevice::WriteGroup;
    if (mask & S_IRGRP)
        permissions &= ~QFileDevice::ReadGroup;
    if (mask & S_IWOTH)
        permissions &= ~QFileDevice::WriteOther;
    if (mask & S_IROTH)
        permissions &= ~QFileDevice::ReadOther;
#endif
    return permissions;
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
    default:
        return {};
    }
}

void setSaveTargetFactory(SaveTargetFactory factory)
{
    targetFactory() = std::move(factory);
}

std::unique_ptr<SaveTarget> makeQSaveFileTarget(const QString& path)
{
    return std::make_unique<QSaveFileTarget>(path);
}

Outcome saveFile(const QString& path, const FileContentWriter& write)
{
    const SavePlan plan = planSave(path);
    if (!plan.refusal.isEmpty())
        return saveFailure(path, plan.refusal, plan.existed);
    std::unique_ptr<SaveTarget> target =
        targetFactory() ? targetFactory()(plan.target) : makeQSaveFileTarget(plan.target);
    const auto failure = [&](const QString& fallback) {
        return saveFailure(
            path,
            describeFailure(plan.target, target->systemError(), target->errorString(), fallback),
            plan.existed);
    };
    if (!target->open())
        return failure(QStringLiteral("impossibile creare il file"));
    errno = 0;
    if (Outcome refused = write(target->device())) {
        // The content's own message names the cause; a write error of the device is described
        // here, where the error number is known.
        const int systemError = target->systemError() ? target->systemError() : errno;
        target->cancel();
        if (refused->text.isEmpty())
            return saveFailure(path,
                               describeFailure(plan.target, systemError, target->errorString(),
                                               QStringLiteral("errore di scrittura")),
                               plan.existed);
        return refused;
    }
    if (!target->flush()) {
        const Message message = failure(QStringLiteral("errore di scrittura"));
        target->cancel();
        return message;
    }
    if (!target->commit()) {
        const Message message = failure(QStringLiteral("impossibile sostituire il file"));
        target->cancel();
        return message;
    }
    return std::nullopt;
}

Outcome saveFile(const QString& path, const QByteArray& bytes)
{
    return saveFile(path, [&](QIODevice& device) -> Outcome {
        if (device.write(bytes) != bytes.size())
            return critical(QString());
        return std::nullopt;
    });
}

Outcome saveFileByName(const QString& path, const NamedFileWriter& write)
{
    const SavePlan plan = planSave(path);
    if (!plan.refusal.isEmpty())
        return saveFailure(path, plan.refusal, plan.existed);
    const QFileInfo info(plan.target);
    QTemporaryFile temporary(info.absolutePath() + QLatin1Char('/') + info.fileName() +
                             QStringLiteral(".XXXXXX"));
    errno = 0;
    if (!temporary.open()) {
        const int systemError = errno;
        return saveFailure(path,
                           describeFailure(plan.target, systemError, temporary.errorString(),
                                           QStringLiteral("impossibile creare il file")),
                           plan.existed);
    }
    // A temporary file is private to its owner; the file it becomes gets the permissions of the
    // file it replaces, or those a new file would have.
    if (plan.existed)
        temporary.setPermissions(QFile::permissions(plan.target));
    else
        temporary.setPermissions(newFilePermissions());
    temporary.close();
    if (Outcome refused = write(temporary.fileName())) {
        if (refused->text.isEmpty())
            return saveFailure(
                path,
                describeFailure(plan.target, 0, QString(), QStringLiteral("errore di scrittura")),
                plan.existed);
        return refused;
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporary.fileName()).toStdString(),
                            QFile::encodeName(plan.target).toStdString(), error);
    if (error)
        return saveFailure(path,
                           describeFailure(plan.target, error.value(), QString(),
                                           QStringLiteral("impossibile sostituire il file")),
                           plan.existed);
    temporary.setAutoRemove(false);
    return std::nullopt;
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

void WriteCheckingDevice::restoreSystemError() const
{
    errno = m_errno;
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

std::optional<Message> writeFileSafely(const QString& path, const QByteArray& bytes)
{
    return saveFile(path, bytes);
}

} // namespace zant
