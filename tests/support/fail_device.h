#pragma once

// Failing storage for the save tests: a device that refuses bytes past a limit, a save target
// that fails at a chosen step with a chosen error number, and a small real file system that
// can be filled up or made read-only (root only).

#include "model/file_io.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zant::test {

// Passes writes to an inner device until `limit` bytes went through, then fails as a full disk
// does: the write returns -1 and errno says why.
class FailDevice final : public QIODevice
{
public:
    FailDevice(QIODevice& inner, qint64 limit, int systemError)
        : m_inner(inner), m_limit(limit), m_errno(systemError)
    {
        QIODevice::open(QIODevice::WriteOnly);
    }
    bool isSequential() const override { return m_inner.isSequential(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && m_inner.seek(pos); }
    qint64 size() const override { return m_inner.size(); }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override
    {
        if (m_written + len > m_limit) {
            m_failed = true;
            setErrorString(QStringLiteral("No space left on device"));
            errno = m_errno;
            return -1;
        }
        const qint64 n = m_inner.write(data, len);
        if (n > 0)
            m_written += n;
        return n;
    }

private:
    QIODevice& m_inner;
    qint64 m_limit;
    int m_errno;
    qint64 m_written = 0;
    bool m_failed = false;
};

enum class FailAt
{
    Nothing,
    Open,
    Write,
    Flush,
    Commit
};

// The real save target failing at one step: what it wrote before is thrown away by the save, as
// the real one would be.
class FailingTarget final : public SaveTarget
{
public:
    FailingTarget(const QString& path, FailAt step, int systemError, qint64 writeLimit = 0)
        : m_real(makeFileTarget(path)), m_step(step), m_errno(systemError), m_writeLimit(writeLimit)
    {
    }
    bool open() override
    {
        if (m_step == FailAt::Open)
            return fail();
        if (!m_real->open())
            return false;
        m_device = std::make_unique<FailDevice>(
            m_real->device(), m_step == FailAt::Write ? m_writeLimit : qint64(1) << 40, m_errno);
        return true;
    }
    QIODevice& device() override { return *m_device; }
    bool flush() override { return m_step == FailAt::Flush ? fail() : m_real->flush(); }
    bool commit() override { return m_step == FailAt::Commit ? fail() : m_real->commit(); }
    void cancel() override { m_real->cancel(); }
    int systemError() const override { return m_failed ? m_errno : m_real->systemError(); }

private:
    bool fail()
    {
        m_failed = true;
        return false;
    }

    std::unique_ptr<SaveTarget> m_real;
    std::unique_ptr<FailDevice> m_device;
    FailAt m_step;
    int m_errno;
    qint64 m_writeLimit;
    bool m_failed = false;
};

// Targets for a writer whose every file fails at `step`.
inline SaveTargetFactory failingTargets(FailAt step, int systemError, qint64 writeLimit = 0)
{
    return [=](const QString& path) {
        return std::make_unique<FailingTarget>(path, step, systemError, writeLimit);
    };
}

// A tmpfs of `kilobytes` mounted on a temporary folder; usable() is false (with the reason in
// why()) where the test does not run as root or mounting is not allowed.
class SmallFileSystem final
{
public:
    explicit SmallFileSystem(int kilobytes)
    {
#ifdef Q_OS_LINUX
        if (geteuid() != 0) {
            m_why = QStringLiteral("needs root to mount a small tmpfs");
            return;
        }
        if (!m_dir.isValid()) {
            m_why = QStringLiteral("no temporary folder");
            return;
        }
        m_mounted =
            run({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), m_dir.path()});
        if (!m_mounted)
            m_why = QStringLiteral("mount -t tmpfs is not allowed here");
#else
        Q_UNUSED(kilobytes);
        m_why = QStringLiteral("tmpfs exists on Linux only");
#endif
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool usable() const
    {
        return m_mounted;
    }
    QString why() const
    {
        return m_why;
    }
    QString filePath(const QString& name) const
    {
        return m_dir.filePath(name);
    }

    // Fills every free block with a filler file.
    void fill() const
    {
        QFile filler(m_dir.filePath(QStringLiteral("riempitivo")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'r');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'r');
        while (filler.write(byte) == 1) {
        }
    }
    bool makeReadOnly() const
    {
        return run({QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()});
    }
    // Names in the folder other than the filler.
    QStringList entries() const
    {
        QStringList names =
            QDir(m_dir.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral("riempitivo"));
        return names;
    }

private:
    static bool run(const QStringList& arguments)
    {
        QProcess mount;
        mount.start(QStringLiteral("mount"), arguments);
        return mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit &&
               mount.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace zant::test
