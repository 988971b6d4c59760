#include "model/file_io.h"
#include "support/fail_device.h"

#include <QDir>
#include <QFile>
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
        Outcome failure;
        {
            SaveFaults faults(step, systemError, 5000);
            failure = saveFile(path, content);
        }
        QVERIFY(failure);
        QCOMPARE(failure->kind, MessageKind::Critical);
        QVERIFY2(failure->text.startsWith("Impossibile salvare il file \"" +
                                          QDir::toNativeSeparators(path) + "\": " + cause + "."),
                 qPrintable(failure->text));
        QCOMPARE(failure->text.contains("Il file esistente non è stato modificato."), existed);
        QVERIFY(!failure->text.contains("Unknown error"));
        QCOMPARE(fileBytes(path), existed ? kOld : QByteArray());
        QCOMPARE(entries(dir.path()), existed ? QStringList{"ZANT-dati-prova"} : QStringList{});
    }

    void successReplacesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-dati-prova");
        writeBytes(path, kOld);
        QVERIFY(!saveFile(path, QByteArray("nuovo")));
        QCOMPARE(fileBytes(path), QByteArray("nuovo"));
        QCOMPARE(entries(dir.path()), QStringList{"ZANT-dati-prova"});
    }

    // A content writer's own refusal is passed on and cancels the save.
    void refusedContentIsPassedOn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("doc");
        writeBytes(path, kOld);
        const Outcome failure = saveFile(path, [](QIODevice& device) -> Outcome {
            device.write("mezzo");
            return critical("contenuto non valido");
        });
        QVERIFY(failure);
        QCOMPARE(failure->text, QString("contenuto non valido"));
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
        const Outcome failure = saveFile(path, QByteArray("nuovo"));
        QVERIFY(failure);
        QVERIFY2(failure->text.contains(": " + cause + "."), qPrintable(failure->text));
        // Nothing there is "the existing file".
        QVERIFY(!failure->text.contains("Il file esistente"));
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
        QVERIFY(!saveFile(link, QByteArray("nuovo")));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(real), QByteArray("nuovo"));
        QCOMPARE(entries(dir.path()), (QStringList{"collegamento", "reale"}));
    }

    void temporaryNamedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("stampa.pdf");
        writeBytes(path, kOld);
        const Outcome refused = saveFileByName(path, [](const QString& temporary) -> Outcome {
            writeBytes(temporary, "mezza");
            return critical("la stampa non è stata completata");
        });
        QVERIFY(refused);
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(entries(dir.path()), QStringList{"stampa.pdf"});
        QVERIFY(!saveFileByName(path, [&](const QString& temporary) -> Outcome {
            if (QFileInfo(temporary).absolutePath() != QFileInfo(path).absolutePath())
                return critical("non nella cartella del file");
            writeBytes(temporary, "%PDF nuovo");
            return std::nullopt;
        }));
        QCOMPARE(fileBytes(path), QByteArray("%PDF nuovo"));
        QCOMPARE(entries(dir.path()), QStringList{"stampa.pdf"});
        // A new file is not left private as temporary files are.
        const QString fresh = dir.filePath("nuovo.pdf");
        QVERIFY(!saveFileByName(fresh, [](const QString& temporary) -> Outcome {
            writeBytes(temporary, "%PDF");
            return std::nullopt;
        }));
        QCOMPARE(QFile::permissions(fresh) & QFile::ReadOther,
                 QFile::permissions(path) & QFile::ReadOther);
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
            const Outcome failure = saveFile(path, QByteArray(size, 'n'));
            QVERIFY(failure);
            QVERIFY2(failure->text.endsWith(": spazio su disco esaurito. Il file esistente non è "
                                            "stato modificato."),
                     qPrintable(failure->text));
            QCOMPARE(fileBytes(path), kOld);
            QCOMPARE(fs.entries(), QStringList{"ZANT-dati-prova"});
        }
        QVERIFY(fs.makeReadOnly());
        const Outcome failure = saveFile(path, QByteArray("n"));
        QVERIFY(failure);
        QVERIFY2(failure->text.contains(": file system di sola lettura."),
                 qPrintable(failure->text));
        QCOMPARE(fileBytes(path), kOld);
    }
};

QTEST_GUILESS_MAIN(TestFileIo)
#include "test_file_io.moc"
