#include "cli/cli.h"
#include "cli/exchange_commands.h"
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::Run;
using zant::test::run;

namespace {

const QString kExample =
    QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");

QStringList earliestDates(const QString& dataFile)
{
    const Run r = run({QStringLiteral("compute"), dataFile, QStringLiteral("--json")});
    QStringList dates;
    for (const auto& e : QJsonDocument::fromJson(r.out.toUtf8()).object().value("events").toArray())
        dates << e.toObject().value("earliestDate").toString();
    return dates;
}

} // namespace

class TestCliExchange final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& bytes)
    {
        return test::writeTestFile(m_dir, name, bytes);
    }
    QByteArray contents(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private slots:
    void exampleThroughMicrosoftProjectAndBack()
    {
        const QString xml = m_dir.filePath(QStringLiteral("esempio.xml"));
        const QString back = m_dir.filePath(QStringLiteral("ZANT-dati-ritorno.txt"));
        Run r = run({"export", kExample, "--mspdi", xml});
        QCOMPARE(r.code, int(ExitOk));
        r = run({"import", xml, "-o", back});
        QCOMPARE(r.code, int(ExitOk));
        QVERIFY2(r.out.contains(QStringLiteral("25 eventi")), qPrintable(r.out));
        const QStringList dates = earliestDates(back);
        QCOMPARE(dates.size(), 25);
        QCOMPARE(dates, earliestDates(kExample));
        QCOMPARE(dates.last(), QStringLiteral("17/08/2027"));
    }

    void otherExports()
    {
        const QString ics = m_dir.filePath(QStringLiteral("c.ics"));
        const QString xlsx = m_dir.filePath(QStringLiteral("r.xlsx"));
        const QString csv = m_dir.filePath(QStringLiteral("csv"));
        QCOMPARE(run({"export", kExample, "--ics", ics}).code, int(ExitOk));
        QVERIFY(contents(ics).startsWith("BEGIN:VCALENDAR\r\n"));
        QCOMPARE(run({"results", kExample, "--xlsx", xlsx}).code, int(ExitOk));
        QVERIFY(contents(xlsx).startsWith("PK"));
        const Run r = run({"results", kExample, "--csv", csv});
        QCOMPARE(r.code, int(ExitOk));
        QCOMPARE(r.out.count(QStringLiteral("scritto")), 3);
        QVERIFY(contents(csv + QStringLiteral("/Eventi.csv"))
                    .startsWith("\xEF\xBB\xBF"
                                "Evento;"));
    }

    void activityListIntoANewProject()
    {
        const QString list = file(QStringLiteral("elenco.csv"),
                                  "Da;A;Giorni;Descrizione\r\n1;2;5;Scavi\r\n2;3;2,5;Getti\r\n");
        const QString out = m_dir.filePath(QStringLiteral("ZANT-dati-elenco.txt"));
        const Run r = run({"import", list, "-o", out});
        QCOMPARE(r.code, int(ExitOk));
        QCOMPARE(run({"check", out}).code, int(ExitOk));
        QVERIFY(contents(out).contains("\"Getti\",0"));
    }

    // Every refusal exits 2 and leaves the output file as it was.
    void badInputRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("a data file is not an activity list")
            << QStringList{"import"}
            << QByteArray("\"01/03/2027\",2\r\n\"A\",1\r\n\"2\",\"5\"\r\n\"B\",0\r\n")
            << "servono almeno evento da";
        QTest::newRow("broken XML") << QStringList{"import"} << QByteArray("<Project><Tasks>")
                                    << "non è un documento XML valido";
        QTest::newRow("XML that is not MSPDI")
            << QStringList{"import"} << QByteArray("<?xml version=\"1.0\"?><svg/>")
            << "non è un file Microsoft Project XML";
        QTest::newRow("unsupported link")
            << QStringList{"import"}
            << QByteArray("<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>"
                          "<Task><UID>1</UID><Name>A</Name><Duration>PT8H</Duration></Task>"
                          "<Task><UID>2</UID><Name>B</Name><Duration>PT8H</Duration>"
                          "<PredecessorLink><PredecessorUID>1</PredecessorUID><Type>0</Type>"
                          "</PredecessorLink></Task></Tasks></Project>")
            << "«A» → «B» è fine-fine";
    }
    void badInputRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        const QString in = file(QStringLiteral("ingresso"), input);
        const QString out = file(QStringLiteral("ZANT-dati-esistente.txt"), "vecchio");
        const Run r = run(args << in << "-o" << out);
        QCOMPARE(r.code, int(ExitError));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(contents(out), QByteArray("vecchio"));
    }

    void tenMegabyteTaskListsRefused()
    {
        QByteArray csv;
        while (csv.size() < 10 << 20)
            csv += "1;2;3;Una descrizione che riempie il file\r\n";
        Run r =
            run({"import", file(QStringLiteral("grande.csv"), csv), "-o", m_dir.filePath("o.txt")});
        QCOMPARE(r.code, int(ExitError));
        QVERIFY2(r.err.contains(QStringLiteral("troppo grande")), qPrintable(r.err));

        QByteArray xml = "<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>";
        for (int t = 1; xml.size() < 10 << 20; ++t)
            xml += "<Task><UID>" + QByteArray::number(t) +
                   "</UID><Name>Attivit\xC3\xA0</Name><Duration>PT8H0M0S</Duration></Task>";
        xml += "</Tasks></Project>";
        r = run({"import", file(QStringLiteral("grande.xml"), xml), "-o", m_dir.filePath("o.txt")});
        QCOMPARE(r.code, int(ExitError));
        QVERIFY2(r.err.contains(QStringLiteral("attività")), qPrintable(r.err));
        QVERIFY(!QFile::exists(m_dir.filePath("o.txt")));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("export without a format")
            << QStringList{"export", kExample} << int(ExitError);
        QTest::newRow("import without -o") << QStringList{"import", kExample} << int(ExitError);
        QTest::newRow("unknown option")
            << QStringList{"export", kExample, "--pdf", "x"} << int(ExitError);
        QTest::newRow("missing data file")
            << QStringList{"results", "/nessuno/x.txt", "--xlsx", "x.xlsx"} << int(ExitError);
        QTest::newRow("help") << QStringList{"import", "--help"} << int(ExitOk);
    }
    void exitCodes()
    {
        QFETCH(QStringList, args);
        QTEST(run(args).code, "code");
    }

    void dataThatFailTheCheckAreNotExported()
    {
        const QString data = file(
            QStringLiteral("ZANT-dati-incompleto.txt"),
            "\"01/03/2027\",2\r\n\"A\",0\r\n\"B\",0\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        const QString ics = m_dir.filePath(QStringLiteral("non.ics"));
        const Run r = run({"export", data, "--ics", ics});
        QCOMPARE(r.code, int(ExitRefused));
        QVERIFY(!QFile::exists(ics));
    }
};

QTEST_GUILESS_MAIN(TestCliExchange)
#include "test_cli_exchange.moc"
