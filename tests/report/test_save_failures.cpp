#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "exchange/results_export.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "model/title_page.h"
#include "report/documents.h"
#include "report/docx_writer.h"
#include "report/example_network.h"
#include "report/print_renderer.h"
#include "schedule/schedule.h"
#include "support/fail_device.h"
#include "support/message_text.h"
#include "support/project_builder.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace zant;
using namespace zant::test;

Q_DECLARE_METATYPE(zant::test::FailAt)

namespace {

const QByteArray kOld = "il file di ieri, da non perdere\r\n";

struct Fixture
{
    Project project = buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1", "01/03/2027");
    TitlePage titlePage;
    OfficeSettings office{QStringLiteral("Studio Prova"), QStringLiteral("Via Roma 1")};
    ScheduleResults results = ComputeSchedule(project);

    Fixture() { titlePage.fields[TitlePage::progetto] = QStringLiteral("Magazzino"); }

    // Writes one kind of file the program makes into `targets`; the error text, empty on
    // success.
    QString write(const QString& kind, const QString& path,
                  const SaveTargetFactory& targets = makeFileTarget) const
    {
        const ReportData data{project, results, titlePage, office};
        if (kind == "project")
            return messageText(writeProjectFile(path, project, titlePage, nullptr, targets));
        if (kind == "title page")
            return messageText(writeTitlePageFile(path, titlePage, targets));
        if (kind == "docx") {
            DocxWriter writer;
            buildFullReport(writer, data);
            return messageText(writer.save(path, targets));
        }
        if (kind == "pdf")
            return messageText(printReportToPdf(data, path, targets));
        if (kind == "print dialog pdf") {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return messageText(renderPages(layoutDirectReport(data), printer));
        }
        if (kind == "xlsx")
            return messageText(exportResultsXlsx(path, project, results, targets));
        if (kind.startsWith("gantt")) {
            const GanttChart chart = buildGantt(project, results);
            const GanttGeometry geometry;
            return messageText(exportPicture(
                path, geometry.size(chart),
                [&](QPainter& p) { paintGantt(p, chart, geometry, QDate(2027, 3, 1)); }, 1.0,
                targets));
        }
        return messageText(saveExampleNetworkPicture(path, 1, targets));
    }
};

// The name each kind is written to: pictures take their format from the suffix.
QString outputName(const QString& kind)
{
    if (kind == "gantt png")
        return QStringLiteral("uscita.png");
    if (kind == "gantt svg")
        return QStringLiteral("uscita.svg");
    if (kind == "gantt pdf")
        return QStringLiteral("uscita.pdf");
    return QStringLiteral("uscita");
}

// What the process writes on its standard error meanwhile: the libraries' own complaints must
// not reach the terminal.
class CapturedStandardError final
{
public:
    CapturedStandardError()
    {
#ifdef Q_OS_UNIX
        if (!m_file.open())
            return;
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
#endif
    }
    ~CapturedStandardError()
    {
        restore();
    }
    QByteArray text()
    {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void restore()
    {
#ifdef Q_OS_UNIX
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
#endif
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

QStringList names(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

void writeOld(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kOld);
}

const QStringList kKinds = {"project",   "title page", "docx",      "pdf", "picture",
                            "gantt png", "gantt svg",  "gantt pdf", "xlsx"};

} // namespace

class TestSaveFailures final : public QObject
{
    Q_OBJECT

private slots:
    void everyKindAtEveryStep_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<FailAt>("step");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("cause");
        const QList<std::tuple<const char*, FailAt, int, const char*>> steps = {
            {"open", FailAt::Open, EROFS, "file system di sola lettura"},
            {"write", FailAt::Write, ENOSPC, "spazio su disco esaurito"},
            {"flush", FailAt::Flush, ENOSPC, "spazio su disco esaurito"},
            {"commit", FailAt::Commit, EACCES, "permesso negato"},
        };
        for (const QString& kind : kKinds) {
            for (const auto& [name, step, error, cause] : steps)
                QTest::addRow("%s fails at %s", qPrintable(kind), name)
                    << kind << step << error << QString(cause);
        }
    }

    // Each kind of file, with the disk failing at each step of the save: the true cause is
    // named, the old file keeps every byte and no temporary file is left.
    void everyKindAtEveryStep()
    {
        QFETCH(QString, kind);
        QFETCH(FailAt, step);
        QFETCH(int, systemError);
        QFETCH(QString, cause);
        // Qt's own warnings (an encoder's complaint about the device) count as terminal output.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QTemporaryDir dir;
        const QString path = dir.filePath(outputName(kind));
        writeOld(path);
        const Fixture fixture;
        QString error;
        QByteArray terminal;
        {
            // A few bytes get through before the disk is full, even of the shortest file.
            CapturedStandardError captured;
            error = fixture.write(kind, path, failingTargets(step, systemError, 16));
            terminal = captured.text();
        }
        QVERIFY2(error.startsWith("Impossibile salvare il file \"" +
                                  QDir::toNativeSeparators(path) + "\": " + cause + "."),
                 qPrintable(error));
        QVERIFY2(error.endsWith("Il file esistente non è stato modificato."), qPrintable(error));
        QVERIFY2(terminal.isEmpty(), terminal.constData());
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(names(dir.path()), QStringList{outputName(kind)});
    }

    void newFileFailureSpeaksOfNoOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QString& kind : kKinds)
            QTest::newRow(qPrintable(kind)) << kind;
    }

    // Where there was no file, the message does not speak of one, and nothing is left.
    void newFileFailureSpeaksOfNoOldFile()
    {
        QFETCH(QString, kind);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QTemporaryDir dir;
        const QString path = dir.filePath(outputName(kind));
        const QString error =
            Fixture().write(kind, path, failingTargets(FailAt::Write, ENOSPC, 16));
        QVERIFY2(error == "Impossibile salvare il file \"" + QDir::toNativeSeparators(path) +
                              "\": spazio su disco esaurito.",
                 qPrintable(error));
        QCOMPARE(names(dir.path()), QStringList{});
    }

    void everyKindReplacesTheOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("project") << "project" << QByteArray("\"01/03/2027\",4");
        QTest::newRow("title page") << "title page" << QByteArray("\"Magazzino\"");
        QTest::newRow("docx") << "docx" << QByteArray("PK");
        QTest::newRow("pdf") << "pdf" << QByteArray("%PDF");
        QTest::newRow("print dialog pdf") << "print dialog pdf" << QByteArray("%PDF");
        QTest::newRow("picture") << "picture" << QByteArray("\xFF\xD8");
        QTest::newRow("gantt png") << "gantt png" << QByteArray("\x89PNG");
        QTest::newRow("gantt svg") << "gantt svg" << QByteArray("<?xml");
        QTest::newRow("gantt pdf") << "gantt pdf" << QByteArray("%PDF");
        QTest::newRow("xlsx") << "xlsx" << QByteArray("PK");
    }

    void everyKindReplacesTheOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString path = dir.filePath(outputName(kind));
        writeOld(path);
        const QString error = Fixture().write(kind, path);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(fileBytes(path).startsWith(start));
        QCOMPARE(names(dir.path()), QStringList{outputName(kind)});
    }

    void onARealFullDisk_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QString& kind : kKinds + QStringList{"print dialog pdf"})
            QTest::newRow(qPrintable(kind)) << kind;
    }

    // A small tmpfs filled to its last block.
    void onARealFullDisk()
    {
        QFETCH(QString, kind);
        SmallFileSystem fs(256);
        if (!fs.usable())
            QSKIP(qPrintable(fs.why()));
        const QString path = fs.filePath(outputName(kind));
        writeOld(path);
        fs.fill();
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        CapturedStandardError captured;
        const QString error = Fixture().write(kind, path);
        const QByteArray terminal = captured.text();
        QVERIFY2(error.startsWith("Impossibile salvare il file \"" + path +
                                  "\": spazio su disco esaurito."),
                 qPrintable(error));
        QVERIFY2(error.endsWith("Il file esistente non è stato modificato."), qPrintable(error));
        QVERIFY2(terminal.isEmpty(), terminal.constData());
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(fs.entries(), QStringList{outputName(kind)});
    }

    // The workbook is built in the temporary folder first: when that is full the message says
    // so, and the library's own lines stay off the terminal.
    void workbookWithAFullTemporaryFolder()
    {
        SmallFileSystem fs(256);
        if (!fs.usable())
            QSKIP(qPrintable(fs.why()));
        QTemporaryDir dir;
        const QString path = dir.filePath("risultati.xlsx");
        writeOld(path);
        fs.fill();
        const QString folder = QFileInfo(fs.filePath("x")).absolutePath();
        qputenv("TMPDIR", QFile::encodeName(folder));
        CapturedStandardError captured;
        const QString error = Fixture().write("xlsx", path);
        const QByteArray terminal = captured.text();
        qunsetenv("TMPDIR");
        QCOMPARE(error, "Impossibile salvare il file \"" + path +
                            "\": spazio su disco esaurito nella cartella dei file temporanei \"" +
                            folder + "\". Il file esistente non è stato modificato.");
        QVERIFY2(terminal.isEmpty(), terminal.constData());
        QCOMPARE(fileBytes(path), kOld);
        QCOMPARE(names(dir.path()), QStringList{"risultati.xlsx"});
        QCOMPARE(fs.entries(), QStringList{});
    }
};

QTEST_MAIN(TestSaveFailures)
#include "test_save_failures.moc"
