#include "model/file_io.h"
#include "support/fail_device.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace zant;
using namespace zant::test;

Q_DECLARE_METATYPE(zant::test::FailAt)

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                               QDir::System);
}

const QByteArray kOld = "contenuto precedente\r\n";

// The id of a process that has ended.
qint64 endedProcessId()
{
    QProcess process;
    process.start(QStringLiteral("true"));
    if (!process.waitForStarted())
        return 0;
    const qint64 id = process.processId();
    process.waitForFinished();
    return id;
}

// Saves `bytes` to `path` by one of the routes the program has.
Result<void> saveBy(const QString& route, const QString& path, const QByteArray& bytes)
{
    if (route == "by content")
        return saveFile(path, bytes);
    if (route == "by name")
        return saveFileByName(path, [&](const QString& temporary) -> Result<void> {
            writeBytes(temporary, bytes);
            return {};
        });
    if (route == "as a set")
        return saveFiles({{path, bytes}});
    return saveFileThroughScratch(path, QStringLiteral(".prova"),
                                  [&](const QString& scratch) -> Result<void> {
                                      writeBytes(scratch, bytes);
                                      return {};
                                  });
}

const QStringList kRoutes = {"by content", "by name", "as a set", "through a scratch file"};

} // namespace

class TestFileIo final : public QObject
{
    Q_OBJECT

private slots:
    void failureAtEachStep_data()
    {
        QTest::addColumn<FailAt>("step");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<bool>("existed");
        QTest::addColumn<QString>("cause");
        QTest::newRow("open, read-only file system")
            << FailAt::Open << EROFS << true << "file system di sola lettura";
        QTest::newRow("open, no permission, new file")
            << FailAt::Open << EACCES << false << "permesso negato";
        QTest::newRow("write, disk full")
            << FailAt::Write << ENOSPC << true << "spazio su disco esaurito";
        QTest::newRow("write, quota")
            << FailAt::Write << EDQUOT << false << "spazio su disco esaurito";
        QTest::newRow("flush, disk full")
            << FailAt::Flush << ENOSPC << true << "spazio su disco esaurito";
        QTest::newRow("flush, input/output error")
            << FailAt::Flush << EIO << true << "errore di lettura o scrittura del disco";
        QTest::newRow("commit, file too big")
            << FailAt::Commit << EFBIG << true << "file troppo grande per il file system";
        QTest::newRow("commit, cause unknown")
            << FailAt::Commit << 0 << true << "impossibile sostituire il file";
    }

    // Whatever step fails, the old file keeps its bytes, nothing else is left in the folder and
    // the message names the file and the cause; it speaks of the existing file only when there
    // was one.
    void failureAtEachStep()
    {
        QFETCH(FailAt, step);
        QFETCH(int, systemError);
        QFETCH(bool, existed);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-dati-prova");
        if (existed)
            writeBytes(path, kOld);
        const QByteArray content(100000, 'x');
        const Result<void> failure =
            saveFile(path, content, failingTargets(step, systemError, 5000));
        QVERIFY(!failure.ok());
        QCOMPARE(failure.error().type, ErrorKind::File);
        QCOMPARE(failure.error().kind, MessageKind::Critical);
        QVERIFY2(failure.error().text.startsWith("Impossibile salvare il file \"" +
                                                 QDir::toNativeSeparators(path) + "\": " + cause +
                                                 "."),
                 qPrintable(failure.error().text));
        QCOMPARE(failure.error().text.contains("Il file esistente non è stato modificato."),
                 existed);
        QVERIFY(!failure.error().text.contains("Unknown error"));
        QCOMPARE(fileBytes(path), existed ? kOld : QByteArray());
        QCOMPARE(entries(dir.path()), existed ? QStringList{"ZANT-dati-prova"} : QStringList{});
    }

    void successReplacesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-dati-prova");
        writeBytes(path, kOld);
        QVERIFY(saveFile(path, QByteArray("nuovo")).ok());
        QCOMPARE(fileBytes(path), QByteArray("nuovo"));
        QCOMPARE(entries(dir.path()), QStringList{"ZANT-dati-prova"});
    }

    // A device that refused the bytes is told as a write error with its error number: the save
    // names the file and the cause, and the old file stays.
    void refusedBytesAreNamedBySave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("doc");
        writeBytes(path, kOld);
        const Result<void> failure =
            saveFile(path, [](QIODevice&) { return writeRefused(ENOSPC); });
        QVERIFY(!failure.ok());
        QCOMPARE(failure.error().type, ErrorKind::File);
        QCOMPARE(failure.error().text,
                 "Impossibile salvare il file \"" + QDir::toNativeSeparators(path) +
                     "\": spazio su disco esaurito. Il file esistente non è stato modificato.");
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(entries(dir.path()), QStringList{"doc"});
    }

    // A content writer's own refusal is passed on and cancels the save.
    void refusedContentIsPassedOn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("doc");
        writeBytes(path, kOld);
        const Result<void> failure = saveFile(path, [](QIODevice& device) -> Result<void> {
            device.write("mezzo");
            return Error(ErrorKind::Refused, critical("contenuto non valido"));
        });
        QVERIFY(!failure.ok());
        QCOMPARE(failure.error().text, QString("contenuto non valido"));
        QCOMPARE(failure.error().type, ErrorKind::Refused);
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(entries(dir.path()), QStringList{"doc"});
    }

    void refusedPaths_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("folder") << "folder"
                                << "è una cartella";
        QTest::newRow("missing folder") << "missing folder"
                                        << "cartella inesistente";
        QTest::newRow("under a plain file") << "under file"
                                            << "cartella inesistente";
        QTest::newRow("name too long") << "long name"
                                       << "nome troppo lungo";
        QTest::newRow("fifo") << "fifo"
                              << "è una FIFO, non un file";
        QTest::newRow("socket") << "socket"
                                << "è un socket, non un file";
        QTest::newRow("device") << "device"
                                << "è un dispositivo, non un file";
        QTest::newRow("no name") << "empty"
                                 << "manca il nome del file";
    }

    // Only a regular file or a new name in an existing folder is written.
    void refusedPaths()
    {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        writeBytes(dir.filePath("semplice"), kOld);
        QString path = dir.filePath("bersaglio");
        if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("bersaglio"));
        } else if (kind == "missing folder") {
            path = dir.filePath("nessuna/bersaglio");
        } else if (kind == "under file") {
            path = dir.filePath("semplice/bersaglio");
        } else if (kind == "long name") {
            path = dir.filePath(QString(130, QChar(0xE8))); // 260 bytes of UTF-8
        } else if (kind == "empty") {
            path.clear();
        } else {
#ifdef Q_OS_UNIX
            const QByteArray native = QFile::encodeName(path);
            if (kind == "fifo") {
                QCOMPARE(mkfifo(native.constData(), 0600), 0);
            } else if (kind == "socket") {
                const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                qstrncpy(address.sun_path, native.constData(), sizeof(address.sun_path));
                QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
                close(fd);
            } else if (geteuid() != 0 ||
                       mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
                QSKIP("a device node can be made by root only");
            }
#else
            QSKIP("special files of Unix");
#endif
        }
        const Result<void> failure = saveFile(path, QByteArray("nuovo"));
        QVERIFY(!failure.ok());
        QVERIFY2(failure.error().text.contains(": " + cause + "."),
                 qPrintable(failure.error().text));
        // Nothing there is "the existing file".
        QVERIFY(!failure.error().text.contains("Il file esistente"));
        QCOMPARE(fileBytes(dir.filePath("semplice")), kOld);
        const QFileInfo after(dir.filePath("bersaglio"));
        QCOMPARE(after.exists() && after.isFile(), false);
        QVERIFY(entries(dir.path()).size() <= 2);
    }

    // As editors do, saving through a link replaces the file it points to and keeps the link.
    void symbolicLinkIsFollowed()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath("reale");
        const QString link = dir.filePath("collegamento");
        writeBytes(real, kOld);
        QVERIFY(QFile::link(real, link));
        QVERIFY(saveFile(link, QByteArray("nuovo")).ok());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(real), QByteArray("nuovo"));
        QCOMPARE(entries(dir.path()), (QStringList{"collegamento", "reale"}));
    }

    void temporaryNamedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("stampa.pdf");
        writeBytes(path, kOld);
        const Result<void> refused =
            saveFileByName(path, [](const QString& temporary) -> Result<void> {
                writeBytes(temporary, "mezza");
                return Error(ErrorKind::Refused, critical("la stampa non è stata completata"));
            });
        QVERIFY(!refused.ok());
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(entries(dir.path()), QStringList{"stampa.pdf"});
        QVERIFY(saveFileByName(path, [&](const QString& temporary) -> Result<void> {
                    if (QFileInfo(temporary).absolutePath() != QFileInfo(path).absolutePath())
                        return Error(ErrorKind::Refused, critical("non nella cartella del file"));
                    writeBytes(temporary, "%PDF nuovo");
                    return {};
                }).ok());
        QCOMPARE(fileBytes(path), QByteArray("%PDF nuovo"));
        QCOMPARE(entries(dir.path()), QStringList{"stampa.pdf"});
        // A new file is not left private as temporary files are.
        const QString fresh = dir.filePath("nuovo.pdf");
        QVERIFY(saveFileByName(fresh, [](const QString& temporary) -> Result<void> {
                    writeBytes(temporary, "%PDF");
                    return {};
                }).ok());
        QCOMPARE(QFile::permissions(fresh) & QFile::ReadOther,
                 QFile::permissions(path) & QFile::ReadOther);
    }

    void temporariesOfEndedProcessesAreRemoved_data()
    {
        QTest::addColumn<QString>("route");
        for (const QString& route : kRoutes)
            QTest::newRow(qPrintable(route)) << route;
    }

    // A save killed before it could clean up leaves its temporary file; the next save of the
    // same file removes it. A running process's temporary file, and those of other files, stay.
    void temporariesOfEndedProcessesAreRemoved()
    {
        QFETCH(QString, route);
        const qint64 ended = endedProcessId();
        QVERIFY(ended > 0);
        QTemporaryDir dir;
        QTemporaryDir scratchFolder;
        qputenv("TMPDIR", QFile::encodeName(scratchFolder.path()));
        const QString path = dir.filePath("Eventi.csv");
        const QString left = temporaryFilePath(path, ended);
        const QString running = temporaryFilePath(path, 1);
        const QString other = temporaryFilePath(dir.filePath("Attività.csv"), ended);
        const QString leftScratch =
            scratchFolder.filePath(QStringLiteral("zant-%1-aB3dE9.prova").arg(ended));
        for (const QString& file : {path, left, running, other, leftScratch})
            writeBytes(file, kOld);
        const Result<void> saved = saveBy(route, path, "nuovo");
        qunsetenv("TMPDIR");
        QVERIFY2(saved.ok(), !saved.ok() ? qPrintable(saved.error().text) : "");
        QCOMPARE(fileBytes(path), QByteArray("nuovo"));
        QStringList expected = {"Eventi.csv", QFileInfo(running).fileName(),
                                QFileInfo(other).fileName()};
        expected.sort();
        QStringList found = entries(dir.path());
        found.sort();
        QCOMPARE(found, expected);
        const bool scratch = route == "through a scratch file";
        QCOMPARE(entries(scratchFolder.path()),
                 scratch ? QStringList{} : QStringList{QFileInfo(leftScratch).fileName()});
    }

    // While a save runs, its content is in the file's own temporary name, hidden beside it;
    // the folder holds nothing else new.
    void contentGoesUnderTheTemporaryName()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("relazione.pdf");
        const QString temporary = temporaryFilePath(path, QCoreApplication::applicationPid());
        QCOMPARE(QFileInfo(temporary).absolutePath(), QFileInfo(path).absolutePath());
        QVERIFY(QFileInfo(temporary).fileName().startsWith(".relazione.pdf.zant-"));
        QStringList during;
        QVERIFY(saveFile(path, [&](QIODevice& device) -> Result<void> {
                    device.write("%PDF");
                    during = entries(dir.path());
                    return {};
                }).ok());
        QCOMPARE(during, QStringList{QFileInfo(temporary).fileName()});
        QCOMPARE(entries(dir.path()), QStringList{"relazione.pdf"});
        // A name as long as the file system allows still has a temporary name that fits.
        const QString longest = dir.filePath(QString(255, QLatin1Char('n')));
        QVERIFY(
            QFile::encodeName(QFileInfo(temporaryFilePath(longest, 4194304)).fileName()).size() <=
            255);
        QVERIFY(saveFile(longest, QByteArray("n")).ok());
        QCOMPARE(fileBytes(longest), QByteArray("n"));
    }

    void scratchFailuresNameTheFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("risultati.xlsx");
        qputenv("TMPDIR", QFile::encodeName(dir.filePath("manca")));
        const Result<void> failed = saveBy("through a scratch file", path, "nuovo");
        qunsetenv("TMPDIR");
        QVERIFY(!failed.ok());
        QCOMPARE(failed.error().text,
                 QStringLiteral("Impossibile salvare il file \"%1\": cartella "
                                "inesistente nella cartella dei file temporanei "
                                "\"%2\".")
                     .arg(QDir::toNativeSeparators(path),
                          QDir::toNativeSeparators(dir.filePath("manca"))));
        QCOMPARE(entries(dir.path()), QStringList{});
    }

    void foldersAreMade_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("new, with the folders above") << "a/b/c" << QString();
        QTest::newRow("already there") << "." << QString();
        QTest::newRow("a file in its place") << "file"
                                             << ": esiste già un file con quel nome.";
        QTest::newRow("under a file") << "file/sotto"
                                      << ": cartella inesistente.";
    }

    void foldersAreMade()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeBytes(dir.filePath("file"), kOld);
        const Result<void> made = createFolder(dir.filePath(folder));
        if (message.isEmpty()) {
            QVERIFY2(made.ok(), !made.ok() ? qPrintable(made.error().text) : "");
            QVERIFY(QFileInfo(dir.filePath(folder)).isDir());
        } else {
            QVERIFY(!made.ok());
            QVERIFY2(made.error().text.startsWith("Impossibile creare la cartella") &&
                         made.error().text.endsWith(message),
                     qPrintable(made.error().text));
        }
    }

    // A real full and then read-only file system: the buffered small file fails at the flush,
    // the large one while it is written.
    void realFullFileSystem()
    {
        SmallFileSystem fs(256);
        if (!fs.usable())
            QSKIP(qPrintable(fs.why()));
        const QString path = fs.filePath("ZANT-dati-prova");
        writeBytes(path, kOld);
        fs.fill();
        for (const int size : {2000, 300000}) {
            const Result<void> failure = saveFile(path, QByteArray(size, 'n'));
            QVERIFY(!failure.ok());
            QVERIFY2(
                failure.error().text.endsWith(": spazio su disco esaurito. Il file esistente non è "
                                              "stato modificato."),
                qPrintable(failure.error().text));
            QCOMPARE(fileBytes(path), kOld);
            QCOMPARE(fs.entries(), QStringList{"ZANT-dati-prova"});
        }
        QVERIFY(fs.makeReadOnly());
        const Result<void> failure = saveFile(path, QByteArray("n"));
        QVERIFY(!failure.ok());
        QVERIFY2(failure.error().text.contains(": file system di sola lettura."),
                 qPrintable(failure.error().text));
        QCOMPARE(fileBytes(path), kOld);
    }
};

QTEST_GUILESS_MAIN(TestFileIo)
#include "test_file_io.moc"
