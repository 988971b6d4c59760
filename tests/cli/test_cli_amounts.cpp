#include "cli/cli.h"
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::run;

namespace {

// One activity of 100 days from 01/01/2027 worth 100.000,00 € (1.000,00 € a day), and one of
// 10 days with 20 days of float worth 1.000,00 €.
const QByteArray kProject = "\"01/01/2027\",3\r\n\"Inizio\",2\r\n\"2\",\"100\"\r\n\"2\",\"10\"\r\n"
                            "\"Posa\",1\r\n\"3\",\"0\"\r\n\"Fine\",0\r\n"
                            "\"Scuola Verdi\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
                            "ZANT-SEZIONE-ESTESA;1\r\nIMPORTO;1;1;10000000\r\n"
                            "IMPORTO;1;2;100000\r\nCATEGORIA;1;2;OS6\r\nFINE;3\r\n";

} // namespace

class TestCliAmounts final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void initTestCase() { m_file = test::writeTestFile(m_dir, "ZANT-dati-importi.txt", kProject); }

    void tables()
    {
        const auto r = run({"importi", m_file, "--sal-importo", "40.000,00"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QVERIFY(lines.contains("Progetto: Scuola Verdi"));
        QVERIFY(lines.contains("Importo totale: 101.000,00 €"));
        // January: 31 days of the long activity; the short one in its first ten days early,
        // in days 90..99 late (April).
        QVERIFY2(r.out.contains(QRegularExpression(
                     "gennaio 2027 +32\\.000,00 +32\\.000,00 +31,68 +31\\.000,00 +31\\.000,00 "
                     "+30,69\\n")),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QRegularExpression(
            "aprile 2027 +10\\.000,00 +101\\.000,00 +100,00 +11\\.000,00 +101\\.000,00 +100,00")));
        QVERIFY(r.out.contains(QRegularExpression("1° anno \\(dal 01/01/2027 al 31/12/2027\\) "
                                                  "+101\\.000,00 +101\\.000,00 +100,00")));
        QVERIFY(r.out.contains("Previsione dei SAL (un SAL ogni 40.000,00 € di lavori eseguiti)"));
        QVERIFY2(r.out.contains(QRegularExpression(
                     " 1 +08/02/2027 +40\\.000,00 +40\\.000,00 +09/02/2027 +40\\.000,00 "
                     "+40\\.000,00\\n")),
                 qPrintable(r.out));
    }

    void json()
    {
        const auto r = run({"importi", m_file, "--json", "--sal-mesi", "2"});
        QCOMPARE(r.code, 0);
        // Amounts are numbers with their two decimals as written.
        QVERIFY2(r.out.startsWith("{\"total\": 101000.00, \"months\": [{\"month\": \"2027-01\""),
                 qPrintable(r.out));
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(o["total"].toDouble(), 101000.0);
        const QJsonArray months = o["months"].toArray();
        QCOMPARE(months.size(), 4);
        QCOMPARE(months[1].toObject()["month"].toString(), QString("2027-02"));
        QCOMPARE(months[1].toObject()["early"].toDouble(), 28000.0);
        QCOMPARE(months[1].toObject()["earlyCumulative"].toDouble(), 60000.0);
        QCOMPARE(months[1].toObject()["lateCumulative"].toDouble(), 59000.0);
        const QJsonArray years = o["years"].toArray();
        QCOMPARE(years.size(), 1);
        QCOMPARE(years[0].toObject()["from"].toString(), QString("2027-01-01"));
        QCOMPARE(years[0].toObject()["to"].toString(), QString("2027-12-31"));
        const QJsonArray sal = o["sal"].toArray();
        QCOMPARE(sal.size(), 2);
        QCOMPARE(sal[0].toObject()["n"].toInt(), 1);
        QCOMPARE(sal[0].toObject()["earlyDate"].toString(), QString("2027-02-28"));
        QCOMPARE(sal[0].toObject()["amount"].toDouble(), 60000.0);
        QCOMPARE(sal[0].toObject()["lateAmount"].toDouble(), 59000.0);
        QCOMPARE(sal[1].toObject()["lateDate"].toString(), QString("2027-04-10"));
        QCOMPARE(sal[1].toObject()["lateCumulative"].toDouble(), 101000.0);
        // Without a rule, no SAL.
        const auto plain = run({"importi", m_file, "--json"});
        QVERIFY(plain.out.trimmed().endsWith("\"sal\": []}"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::newRow("both rules") << QStringList{"--sal-mesi", "1", "--sal-importo", "10"} << 2
                                    << "zant-cli: indicare --sal-mesi oppure --sal-importo, non "
                                       "entrambi";
        QTest::newRow("no months") << QStringList{"--sal-mesi", "0"} << 2
                                   << "--sal-mesi vuole un numero di mesi da 1 a 120, non \"0\"";
        QTest::newRow("months in words") << QStringList{"--sal-mesi", "tre"} << 2 << "non \"tre\"";
        QTest::newRow("amount with a decimal point")
            << QStringList{"--sal-importo", "150000.50"} << 2
            << "--sal-importo vuole un importo in euro maggiore di zero, come 150.000,00, non "
               "\"150000.50\"";
        QTest::newRow("zero amount")
            << QStringList{"--sal-importo", "0,00"} << 2 << "--sal-importo vuole un importo";
        QTest::newRow("minimum alone") << QStringList{"--sal-minimo", "10"} << 2
                                       << "--sal-minimo va usato con --sal-mesi o --sal-importo";
        QTest::newRow("minimum not an amount")
            << QStringList{"--sal-mesi", "1", "--sal-minimo", "-3"} << 2
            << "--sal-minimo vuole un importo in euro";
        QTest::newRow("unknown option") << QStringList{"--sal-giorni", "3"} << 2 << "zant-cli: ";
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, err);
        const auto r = run(QStringList{"importi", m_file} + args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void filesThatAreNoProject()
    {
        const auto missing = run({"importi", m_dir.filePath("manca.txt")});
        QCOMPARE(missing.code, 2);
        QVERIFY(missing.out.isEmpty());
        const QString refused =
            test::writeTestFile(m_dir, "ZANT-dati-rifiutato.txt",
                                "\"01/01/2027\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n\"B\",0\r\n"
                                "\"P\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        const auto check = run({"importi", refused});
        QCOMPARE(check.code, 1);
        QVERIFY(check.out.contains("non sono stati dichiarati"));
    }

    // Written as an activity list and imported again: the same amounts and categories.
    void activityListRoundTrip()
    {
        // Two links between the same events would not read back: a list has one row a pair.
        const QString source = test::writeTestFile(
            m_dir, "ZANT-dati-elenco.txt",
            "\"01/01/2027\",3\r\n\"Inizio\",2\r\n\"2\",\"100\"\r\n\"3\",\"10\"\r\n"
            "\"Posa\",1\r\n\"3\",\"0\"\r\n\"Fine\",0\r\n"
            "\"Scuola Verdi\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
            "ZANT-SEZIONE-ESTESA;1\r\nIMPORTO;1;1;10000000\r\n"
            "IMPORTO;1;2;100000\r\nCATEGORIA;1;2;OS6\r\nFINE;3\r\n");
        const QString list = m_dir.filePath("elenco.csv");
        const auto exported = run({"export", source, "--elenco", list});
        QCOMPARE(exported.code, 0);
        QCOMPARE(exported.out, "scritto " + list + "\n");
        const QString data = m_dir.filePath("ZANT-dati-rilettura.txt");
        const auto imported = run({"import", list, "-o", data});
        QVERIFY2(imported.code == 0, qPrintable(imported.err));
        const auto again = run({"importi", data, "--json"});
        QCOMPARE(again.code, 0);
        // The start date of an import is today's: the total compares, and the records.
        QCOMPARE(QJsonDocument::fromJson(again.out.toUtf8()).object()["total"].toDouble(),
                 101000.0);
        QFile file(data);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.contains("IMPORTO;1;1;10000000\r\nIMPORTO;1;2;100000\r\n"
                                "CATEGORIA;1;2;OS6\r\n"),
                 bytes.constData());
    }

    void projectWithoutAmounts()
    {
        const QString file =
            test::writeTestFile(m_dir, "ZANT-dati-senza.txt",
                                "\"01/01/2027\",2\r\n\"A\",1\r\n\"2\",\"5\"\r\n\"B\",0\r\n"
                                "\"P\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        const auto r = run({"importi", file, "--sal-mesi", "1"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("Importo totale: 0,00 €\nNessuna attività ha un importo.\n"));
        const auto json = run({"importi", file, "--json", "--sal-mesi", "1"});
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(o["total"].toDouble(), 0.0);
        QVERIFY(o["sal"].toArray().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliAmounts)
#include "test_cli_amounts.moc"
