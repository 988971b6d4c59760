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
        QVERIFY2(r.err.contains(QStringLiteral("Rete: 25 eventi")), qPrintable(r.err));
        const QStringList dates = earliestDates(back);
        QCOMPARE(dates.size(), 25);
        QCOMPARE(dates, earliestDates(kExample));
        QCOMPARE(dates.last(), QStringLiteral("17/08/2027"));

        // With --json the report is the only thing on standard output, and still on standard
        // error as text.
        QFile::remove(back);
        r = run({"import", xml, "-o", back, "--json"});
        QCOMPARE(r.code, int(ExitOk));
        QJsonParseError error;
        const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(r.out));
        QCOMPARE(report.value("events").toInt(), 25);
        QCOMPARE(report.value("output").toString(), back);
        QCOMPARE(report.value("namesKept").toInt(),
                 report.value("activityTasks").toInt() + report.value("milestones").toInt());
        QVERIFY(report.value("links").toObject().value("finishToStart").toInt() > 0);
        QVERIFY2(r.err.contains(QStringLiteral("Rete: 25 eventi")), qPrintable(r.err));
        QCOMPARE(earliestDates(back), dates);
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
        QTest::newRow("a lead that cannot be represented, named with its tasks")
            << QStringList{"import"}
            << QByteArray("<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>"
                          "<Task><UID>1</UID><ID>1</ID><Name>X</Name><Duration>PT40H</Duration>"
                          "</Task><Task><UID>2</UID><ID>2</ID><Name>A</Name><Duration>PT8H"
                          "</Duration><PredecessorLink><PredecessorUID>1</PredecessorUID>"
                          "</PredecessorLink></Task><Task><UID>3</UID><ID>3</ID><Name>B</Name>"
                          "<Duration>PT8H</Duration><PredecessorLink><PredecessorUID>2"
                          "</PredecessorUID><Type>3</Type><LinkLag>-4800</LinkLag>"
                          "</PredecessorLink></Task></Tasks></Project>")
            << "ID 2 (UID 2) «A» → ID 3 (UID 3) «B»: legame inizio-inizio con anticipo di 1 g";
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

    // What the import says on success: for Microsoft Project XML the report on standard error
    // (activities and milestones apart, what was left out), for a list how it was read.
    void importSummaries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("summary");
        const QByteArray project = "<Project xmlns=\"http://schemas.microsoft.com/project\">"
                                   "<StartDate>2027-03-01T08:00:00</StartDate><Tasks>";
        QTest::newRow("milestones are not activities")
            << "m.xml"
            << project + "<Task><UID>1</UID><Name>A</Name><Duration>PT8H</Duration></Task>"
                         "<Task><UID>2</UID><Name>Fine</Name><Milestone>1</Milestone>"
                         "<PredecessorLink><PredecessorUID>1</PredecessorUID></PredecessorLink>"
                         "</Task></Tasks></Project>"
            << "Attività lette: 2 (1 attività, 1 milestone, 0 di riepilogo).\n"
               "Legami: 1 fine-inizio, 0 inizio-inizio, 0 fine-fine, 0 inizio-fine (0 con "
               "ritardo, 0 con anticipo).\n"
               "Rete: 2 eventi, 1 attività (0 per i ritardi) e 0 legami fittizi.\n"
               "Nomi delle attività conservati: 2 su 2.\n";
        QTest::newRow("inactive tasks are named")
            << "i.xml"
            << project + "<Task><UID>1</UID><Name>A</Name><Duration>PT8H</Duration></Task>"
                         "<Task><UID>2</UID><Name>Varianti\xC2\x9B"
                         "2J</Name><Duration>PT8H</Duration>"
                         "<Active>0</Active></Task></Tasks></Project>"
            << "Nomi delle attività conservati: 1 su 1.\nTralasciato:\n"
               "  Attività inattive (1): «Varianti\\x9B2J».\n";
        QTest::newRow("the separator and the heading of a list")
            << "l.csv" << QByteArray("Da;A;Giorni\n1;2;3;Scavi\tfondazioni\n2;3;4\n")
            << "importati 2 legami tra 3 eventi\nSeparatore delle colonne: punto e virgola "
               "(riconosciuto dalle prime righe); riga 1 di intestazione saltata: «Da;A;Giorni».";
        QString unicode = QStringLiteral("Da;A;Giorni\r\n1;2;3;Città\r\n");
        QByteArray utf16("\xFF\xFE");
        for (const QChar c : unicode)
            utf16 += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
        QTest::newRow("a list saved as Unicode text")
            << "u.csv" << utf16 << "importati 1 legami tra 2 eventi";
        unicode = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") +
                  QString::fromUtf8(project) +
                  QStringLiteral("<Task><UID>1</UID><Name>Città</Name><Duration>PT8H</Duration>"
                                 "</Task></Tasks></Project>");
        utf16 = "\xFF\xFE";
        for (const QChar c : unicode)
            utf16 += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
        QTest::newRow("Microsoft Project XML saved as Unicode")
            << "u.xml" << utf16 << "Attività lette: 1 (1 attività, 0 milestone";
    }
    void importSummaries()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QString, summary);
        const QString out = m_dir.filePath(QStringLiteral("ZANT-dati-sommario.txt"));
        const Run r = run({"import", file(name, input), "-o", out});
        QCOMPARE(r.code, int(ExitOk));
        if (name.endsWith(QLatin1String(".xml"))) {
            QVERIFY2(r.err.contains(summary), qPrintable(r.err));
            QCOMPARE(r.out, QStringLiteral("scritto %1\n").arg(out));
        } else {
            QVERIFY2(r.out.startsWith(summary), qPrintable(r.out));
        }
        QCOMPARE(run({"check", out}).code, int(ExitOk));
    }

    // Refused imports: the output is not written, and what standard error echoes of the input
    // shows its control characters.
    void importsRefusedAndNamed_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("a start date the data file cannot hold")
            << QByteArray("<Project xmlns=\"http://schemas.microsoft.com/project\"><StartDate>"
                          "1850-01-01T08:00:00</StartDate><Tasks><Task><UID>1</UID><Name>A</Name>"
                          "<Duration>PT8H0M0S</Duration></Task></Tasks></Project>")
            << "(StartDate) \"1850-01-01T08:00:00\" non è tra il 01/01/1900 e il 31/12/2199";
        QTest::newRow("a cycle through the final event")
            << QByteArray("1;2;5\n2;3;4\n3;2;0\n")
            << "riga 3 (3 → 2: 0): l'evento 3 è l'evento finale";
        QTest::newRow("terminal escapes in a refused row")
            << QByteArray("1;2;3;\x1b]0;PWNED\x07\n1;2;x\x1b[31m\n")
            << "riga 2 (1;2;x\\x1B[31m): i giorni \"x\\x1B[31m\"";
    }
    void importsRefusedAndNamed()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        const QString out = m_dir.filePath(QStringLiteral("ZANT-dati-rifiutato.txt"));
        QFile::remove(out);
        const Run r = run({"import", file(QStringLiteral("rifiutato"), input), "-o", out});
        QCOMPARE(r.code, int(ExitError));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        for (const QChar c : r.err)
            QVERIFY2(c.unicode() >= 0x20 || c == QLatin1Char('\n'), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }

    // Imported durations keep their value; the listing shows them to three decimals.
    void importedDurationsShownRounded()
    {
        const QString xml = file(
            QStringLiteral("terzi.xml"),
            "<Project xmlns=\"http://schemas.microsoft.com/project\"><StartDate>2027-03-01"
            "</StartDate><Tasks><Task><UID>1</UID><Name>A</Name><Duration>PT400H0M0S</Duration>"
            "<DurationFormat>8</DurationFormat></Task></Tasks></Project>");
        const QString out = m_dir.filePath(QStringLiteral("ZANT-dati-terzi.txt"));
        QCOMPARE(run({"import", xml, "-o", out}).code, int(ExitOk));
        QVERIFY(contents(out).contains("\"16.6666666666667\""));
        const Run r = run({"compute", out});
        QVERIFY2(r.out.contains(QStringLiteral("16,667")), qPrintable(r.out));
        QVERIFY2(!r.out.contains(QStringLiteral("16,6666")), qPrintable(r.out));
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
