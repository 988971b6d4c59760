#include "cli/cli.h"
#include "model/cp1252.h"
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::Run;
using zant::test::run;

namespace {

const QByteArray kTitle = "\"Prova\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

} // namespace

class TestCli final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& bytes)
    {
        return test::writeTestFile(m_dir, name, bytes);
    }

private slots:
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        const QByteArray good =
            "\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"3\"\r\n\"B\",0\r\n" + kTitle;
        const QByteArray missingDays =
            "\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n\"B\",0\r\n" + kTitle;
        const QByteArray cyclic =
            "\"01/01/1990\",3\r\n\"A\",1\r\n\"2\",\"1\"\r\n\"B\",1\r\n\"2\",\"1\"\r\n\"C\",0\r\n" +
            kTitle;
        QTest::newRow("check passes")
            << QStringList{"check", "FILE"} << good << 0
            << "I dati sono stati immessi formalmente corretti (per numero  2 eventi).\n"
            << "";
        QTest::newRow("check refuses a missing duration")
            << QStringList{"check", "FILE"} << missingDays << 1
            << "Evento n. 1: i tempi medi per l'attività n. 1 non sono stati dichiarati.\n"
            << "";
        QTest::newRow("compute refuses a cycle")
            << QStringList{"compute", "FILE", "--json"} << cyclic << 1
            << "Evento n. 2: i legami formano un ciclo chiuso (2 → 2).\n"
            << "";
        QTest::newRow("malformed file")
            << QStringList{"compute", "FILE"}
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"7\",\"1\"") << 2 << ""
            << "legame n. 1 dell'evento n. 1";
        QTest::newRow("missing file")
            << QStringList{"check", "/nessuna/cartella/file"} << QByteArray() << 2 << ""
            << "Impossibile aprire il file";
        QTest::newRow("unknown option")
            << QStringList{"compute", "FILE", "--xml"} << good << 2 << ""
            << "opzione sconosciuta: --xml";
        QTest::newRow("unknown command") << QStringList{"stampa"} << good << 2 << ""
                                         << "comando sconosciuto: stampa";
        QTest::newRow("no command") << QStringList{} << good << 2 << ""
                                    << "uso: zant-cli";
        QTest::newRow("no file") << QStringList{"check"} << good << 2 << ""
                                 << "manca il nome del file";
        QTest::newRow("help") << QStringList{"--help"} << good << 0 << "uso: zant-cli"
                              << "";
        QTest::newRow("compute help") << QStringList{"compute", "--help"} << good << 0
                                      << "uso: zant-cli compute FILE [--json]"
                                      << "";
    }

    void exitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, contents);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString path = file(QTest::currentDataTag(), contents);
        args.replaceInStrings(QRegularExpression("^FILE$"), path);
        const Run r = run(args);
        QCOMPARE(r.code, code);
        if (code == 0 || code == 1) {
            QVERIFY2(r.out.startsWith(out), qPrintable(r.out));
            QCOMPARE(r.err, QString());
        } else {
            QVERIFY2(r.err.contains(err), qPrintable(r.err));
            QCOMPARE(r.out, QString());
        }
    }

    void jsonOfAnAwkwardNetwork()
    {
        // Numbered against its links, two links between 1 and 3, a dead end (event 4), commas
        // and accents in a Windows-1252 file, dates across 29 February.
        const QByteArray bytes =
            encodeCp1252(QString::fromUtf8(
                "\"27/02/2028\",5\r\n"
                "\"Inizio, consegna\",3\r\n\"3\",\"2\"\r\n\"3\",\"4\"\r\n\"4\",\"9\"\r\n"
                "\"Getto solaio\",1\r\n\"5\",\"1\"\r\n"
                "\"Verifica qualità\",1\r\n\"2\",\"1\"\r\n"
                "\"Ramo morto\",1\r\n\"5\",\"0\"\r\n"
                "\"Fine\",0\r\n")) +
            kTitle;
        const Run r = run({"compute", file("awkward", bytes), "--json"});
        QCOMPARE(r.code, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(r.out.endsWith("}\n"));
        const QJsonObject o = doc.object();
        QCOMPARE(o["eventCount"].toInt(), 5);
        QCOMPARE(o["startDate"].toString(), QString("27/02/2028"));
        QCOMPARE(o["criticalPath"].toString(), QString("- 1- 4- 5"));

        const QJsonArray events = o["events"].toArray();
        QCOMPARE(events.size(), 5);
        const auto ev = [&](int e) { return events[e - 1].toObject(); };
        QCOMPARE(ev(1)["description"].toString(), QString("Inizio, consegna"));
        QCOMPARE(ev(3)["description"].toString(), QString("Verifica qualità"));
        // 1 -> 3 (the longer of 2 and 4 days) -> 2 (1 day) -> 5 (1 day); 1 -> 4 (9) -> 5 (0).
        QCOMPARE(ev(3)["earliest"].toDouble(), 4.0);
        QCOMPARE(ev(2)["earliest"].toDouble(), 5.0);
        QCOMPARE(ev(5)["earliest"].toDouble(), 9.0);
        QCOMPARE(ev(2)["latest"].toDouble(), 8.0);
        QCOMPARE(ev(2)["float"].toDouble(), 3.0);
        QCOMPARE(ev(2)["earliestDate"].toString(), QString("03/03/2028"));
        QCOMPARE(ev(3)["earliestDate"].toString(), QString("02/03/2028"));
        QCOMPARE(ev(5)["latestDate"].toString(), QString("07/03/2028"));
        QCOMPARE(ev(5)["predecessors"].toArray(), (QJsonArray{2, 4}));
        QCOMPARE(ev(3)["predecessors"].toArray(), (QJsonArray{1, 1}));

        const QJsonArray links = o["links"].toArray();
        QCOMPARE(links.size(), 6);
        QCOMPARE(links[0].toObject(), (QJsonObject{{"event", 1},
                                                   {"slot", 1},
                                                   {"target", 3},
                                                   {"days", 2},
                                                   {"float", 5},
                                                   {"freeFloat", 2},
                                                   {"independentFloat", 2},
                                                   {"name", ""}}));
        QCOMPARE(links[1].toObject()["float"].toDouble(), 3.0);
        QCOMPARE(links[5].toObject()["event"].toInt(), 4);
    }

    // One rule for the activities: the final event's own links are in no table, and the
    // check says that they are left out; a second start is said, and event 1 gets its float.
    void finalEventLinksAndSecondStarts_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("links");
        QTest::addColumn<QString>("criticalPath");
        QTest::addColumn<double>("latestOfEvent1");
        QTest::addColumn<QString>("warning");

        QTest::newRow("a link back from the final event")
            << QByteArray("\"01/03/2027\",3\r\n\"Scavi\",1\r\n\"2\",\"5\"\r\n"
                          "\"Getti\",1\r\n\"3\",\"4\"\r\n\"Fine\",1\r\n\"2\",\"0\"\r\n")
            << 2 << "- 1- 2- 3" << 0.0
            << "avviso: Evento n. 3: è l'evento finale: i suoi legami in uscita non sono attività "
               "e non entrano nel calcolo.\n";
        QTest::newRow("two starts: event 1 has float")
            << QByteArray("\"01/03/2027\",4\r\n\"A\",1\r\n\"3\",\"2\"\r\n\"B\",1\r\n"
                          "\"3\",\"6\"\r\n\"C\",1\r\n\"4\",\"1\"\r\n\"D\",0\r\n")
            << 3 << "- 2- 3- 4" << 4.0
            << "avviso: Evento n. 2: nessun legame in entrata; sarà trattato come un secondo "
               "inizio.\n";
    }

    void finalEventLinksAndSecondStarts()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, links);
        QFETCH(QString, criticalPath);
        QFETCH(double, latestOfEvent1);
        QFETCH(QString, warning);
        const QString path = file("rete", encodeCp1252(QString::fromLatin1(data)) + kTitle);

        const Run check = run({"check", path});
        QCOMPARE(check.code, 0);
        QCOMPARE(check.err, warning);

        const Run json = run({"compute", path, "--json"});
        QCOMPARE(json.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(o["links"].toArray().size(), links);
        QCOMPARE(o["criticalPath"].toString(), criticalPath);
        QCOMPARE(o["events"].toArray()[0].toObject()["latest"].toDouble(), latestOfEvent1);

        const Run table = run({"compute", path});
        QCOMPARE(table.code, 0);
        const QString linkTable = table.out.section("B) Legami\n", 1).section("\n\n", 0, 0);
        QCOMPARE(linkTable.count('\n'), links); // the heading and one line a link
    }

    void namesOfActivitiesInTheJson()
    {
        const QByteArray bytes = "\"01/03/2027\",3\r\n\"Inizio\",1\r\n\"2\",\"40\"\r\n"
                                 "\"Serramenti installati\",1\r\n\"3\",\"5\"\r\n\"Fine\",0\r\n" +
                                 kTitle +
                                 "ZANT-SEZIONE-ESTESA;1\r\n"
                                 "ATTIVITA;1;1;Fornitura serramenti %E2%89%A5 2\r\nFINE;1\r\n";
        const Run r = run({"compute", file("nomi", bytes), "--json"});
        QCOMPARE(r.code, 0);
        const QJsonArray links = QJsonDocument::fromJson(r.out.toUtf8())["links"].toArray();
        QCOMPARE(links[0].toObject()["name"].toString(), QString("Fornitura serramenti ≥ 2"));
        QCOMPARE(links[1].toObject()["name"].toString(), QString());
    }

    void exampleProject()
    {
        const QString path =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        const Run json = run({"compute", path, "--json"});
        QCOMPARE(json.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(o["eventCount"].toInt(), 25);
        QCOMPARE(o["criticalPath"].toString(),
                 QString("- 1- 2- 3- 4- 5- 9- 10- 11- 14- 16- 17- 18- 22- 23- 25"));
        const QJsonObject last = o["events"].toArray().last().toObject();
        QCOMPARE(last["earliest"].toDouble(), 169.0);
        QCOMPARE(last["earliestDate"].toString(), QString("17/08/2027"));

        const Run table = run({"compute", path});
        QCOMPARE(table.code, 0);
        QVERIFY(table.out.contains("C) Percorso critico: - 1- 2- 3- 4- 5- 9- 10-"));
        QVERIFY(table.out.contains("17/08/2027"));
    }
    void documents_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        QTest::newRow("listing") << QStringList{"listing", example, "-o", "OUT.docx"} << 0
                                 << "docx";
        QTest::newRow("form") << QStringList{"form", "-o", "OUT.docx"} << 0 << "docx";
        QTest::newRow("results") << QStringList{"results", example, "-o", "OUT.docx"} << 0
                                 << "docx";
        QTest::newRow("report") << QStringList{"report", example, "-o", "OUT.docx"} << 0 << "docx";
        QTest::newRow("titlepage")
            << QStringList{"titlepage", example, "-o", "OUT.docx"} << 0 << "docx";
        QTest::newRow("direct print to PDF")
            << QStringList{"report", example, "--direct", "--pdf", "OUT.pdf"} << 0 << "pdf";
        QTest::newRow("report without output")
            << QStringList{"report", example} << 2 << "manca -o OUT.docx";
        QTest::newRow("pdf without direct")
            << QStringList{"report", example, "--pdf", "OUT.pdf", "-o", "OUT.docx"} << 2
            << "--pdf va usato con --direct";
        QTest::newRow("form takes no file")
            << QStringList{"form", example, "-o", "OUT.docx"} << 2 << "argomento in più";
        QTest::newRow("unwritable output")
            << QStringList{"form", "-o", "/nessuna/cartella/x.docx"} << 2
            << "Impossibile salvare il file \"/nessuna/cartella/x.docx\": cartella inesistente.";
    }

    void documents()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, expected);
        const QString out = m_dir.filePath(QStringLiteral("%1.%2")
                                               .arg(QTest::currentDataTag())
                                               .arg(args.contains("--direct") ? "pdf" : "docx"));
        args.replaceInStrings(QRegularExpression("^OUT\\.(docx|pdf)$"), out);
        const Run r = run(args);
        QCOMPARE(r.code, code);
        if (code != 0) {
            QVERIFY2(r.err.contains(expected), qPrintable(r.err));
            return;
        }
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray head = file.read(8);
        QVERIFY(expected == "pdf" ? head.startsWith("%PDF") : head.startsWith("PK"));
    }

    void documentsRefusedByTheCheck()
    {
        const QByteArray bad = "\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n\"B\",0\r\n" + kTitle;
        const QString out = m_dir.filePath("refused.docx");
        const Run r = run({"report", file("incompleto", bad), "-o", out});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.startsWith("Evento n. 1: i tempi medi"));
        QVERIFY(!QFile::exists(out));
        // The title page needs no valid data.
        QCOMPARE(run({"titlepage", file("incompleto", bad), "-o", out}).code, 0);
    }

    void titlePageAndOfficeFromOtherFiles()
    {
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        const QString front =
            file("ZANT-front-x", "\"Ponte\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\"\r\n");
        const QString config =
            file("zant.ini", "[studio]\nnome=Studio Bianchi\nindirizzo=Via Po 2\n");
        const QString out = m_dir.filePath("dati-generali.docx");
        const Run r =
            run({"titlepage", example, "--frontespizio", front, "--config", config, "-o", out});
        QCOMPARE(r.code, 0);
        // The package is compressed: read the text through the data-only report's own table.
        QProcess unzip;
        unzip.start("unzip", {"-p", out, "word/document.xml"});
        if (!unzip.waitForFinished() || unzip.exitCode() != 0)
            QSKIP("unzip is not available");
        const QByteArray xml = unzip.readAllStandardOutput();
        QVERIFY(xml.contains(">Ponte<"));
        QVERIFY(xml.contains(">Studio Bianchi<"));
        QVERIFY(xml.contains(">Via Po 2<"));

        const Run broken =
            run({"titlepage", example, "--frontespizio", file("corto", "a,b\r\n"), "-o", out});
        QCOMPARE(broken.code, 2);
        QVERIFY(broken.err.contains("contiene 2 campi invece di 7"));
    }

    void configThatCannotBeReadIsAnError_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "manca.ini"
                                 << "il file non esiste";
        QTest::newRow("a folder") << "cartella"
                                  << "è una cartella";
    }

    void configThatCannotBeReadIsAnError()
    {
        QFETCH(QString, config);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_dir.path()).mkpath("cartella"));
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        const QString out = m_dir.filePath("non-scritto.docx");
        const QString path = m_dir.filePath(config);
        for (const char* command : {"report", "titlepage"}) {
            const Run r = run({command, example, "--config", path, "-o", out});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains("\"" + QDir::toNativeSeparators(path) + "\"") &&
                         r.err.contains(reason),
                     qPrintable(r.err));
            QVERIFY(!QFile::exists(out));
        }
    }

    void settingsWithCommasReachTheReport()
    {
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        const QString config =
            file("virgole.ini",
                 "[studio]\nnome=Studio Rossi, Bianchi\nindirizzo=Via Roma 1, 00100 Roma\n");
        const QString out = m_dir.filePath("virgole.docx");
        const Run r = run({"report", example, "--config", config, "-o", out});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        QProcess unzip;
        unzip.start("unzip", {"-p", out, "word/document.xml"});
        if (!unzip.waitForFinished() || unzip.exitCode() != 0)
            QSKIP("unzip is not available");
        const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
        QVERIFY(xml.contains(">Via Roma 1, 00100 Roma<"));
        QVERIFY(xml.contains(">progettista: Studio Rossi, Bianchi<"));
    }

    void missingDefaultSettingsAreNamed()
    {
        // The default settings file lives in the configuration folder, here an empty one.
        QTemporaryDir config;
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        const QString out = m_dir.filePath("senza-impostazioni.docx");
        const Run r = run({"report", example, "-o", out});
        qputenv("XDG_CONFIG_HOME", old);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains("nessun file delle impostazioni") &&
                     r.err.contains(QDir::toNativeSeparators(config.path() + "/ZANT/zant.ini")),
                 qPrintable(r.err));
    }

    void titlePageWithoutProject()
    {
        const QString front =
            file("ZANT-front-solo", "\"Ponte\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\"\r\n");
        const QString config = file("solo.ini", "[studio]\nnome=Studio Bianchi\n");
        const QString out = m_dir.filePath("solo-frontespizio.docx");
        QCOMPARE(run({"titlepage", "--frontespizio", front, "--config", config, "-o", out}).code,
                 0);
        QVERIFY(QFile::exists(out));
        QCOMPARE(run({"titlepage", "--config", config, "-o", out}).code, 2);
    }

    void helpNamesEachCommandsOptions_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("takes");
        QTest::addColumn<QStringList>("refuses");
        QTest::newRow("listing") << "listing" << QStringList{"-o", "--frontespizio"}
                                 << QStringList{"--config"};
        QTest::newRow("form") << "form" << QStringList{"-o"}
                              << QStringList{"--frontespizio", "--config"};
        QTest::newRow("results") << "results" << QStringList{"-o", "--frontespizio"}
                                 << QStringList{"--config"};
        QTest::newRow("report") << "report"
                                << QStringList{"-o", "--frontespizio", "--config", "--direct"}
                                << QStringList{};
        QTest::newRow("titlepage")
            << "titlepage" << QStringList{"-o", "--frontespizio", "--config"} << QStringList{};
        QTest::newRow("guide") << "guide" << QStringList{"-o"}
                               << QStringList{"--frontespizio", "--config"};
    }

    void helpNamesEachCommandsOptions()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, takes);
        QFETCH(QStringList, refuses);
        const Run help = run({command, "--help"});
        QCOMPARE(help.code, 0);
        QVERIFY2(!help.out.contains("e'"), qPrintable(help.out));
        const QString options = help.out.mid(help.out.indexOf("opzioni:"));
        for (const QString& option : takes)
            QVERIFY2(options.contains("  " + option + " "), qPrintable(option));
        for (const QString& option : refuses) {
            QVERIFY2(!options.contains("  " + option + " "), qPrintable(option));
            const Run r = run({command, option, "x", "-o", m_dir.filePath("x.docx")});
            QCOMPARE(r.code, 2);
        }
        // Accents are written as accents, not as apostrophes ("e'" for "è").
        const QRegularExpression apostropheAccent("[aeiou]'(\\s|[,.)])");
        for (const QStringList& args : QList<QStringList>{{"--help"},
                                                          {command, "--help"},
                                                          {"results", "--xlsx", "--help"},
                                                          {"export", "--help"},
                                                          {"import", "--help"}})
            QVERIFY2(!run(args).out.contains(apostropheAccent), qPrintable(args.join(' ')));
    }

    // Every mistake in a command line: the message, then how the command is used (the general
    // usage or the command's own help), exit code 2 and nothing on standard output.
    void commandLineRefusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("usage");
        const QStringList general{"help"};
        QTest::newRow("unknown option")
            << QStringList{"check", "FILE", "--xml"} << "opzione sconosciuta: --xml" << general;
        QTest::newRow("option of another command")
            << QStringList{"compute", "FILE", "-o", "x"} << "opzione sconosciuta: -o" << general;
        QTest::newRow("flag written with a value") << QStringList{"compute", "FILE", "--json=1"}
                                                   << "opzione sconosciuta: --json=1" << general;
        QTest::newRow("single dash for a long option")
            << QStringList{"compute", "FILE", "-json"} << "opzione sconosciuta: -json" << general;
        QTest::newRow("double dash for a short option")
            << QStringList{"listing", "FILE", "--o", "x.docx"} << "opzione sconosciuta: --o"
            << general;
        QTest::newRow("bare double dash")
            << QStringList{"check", "--", "FILE"} << "opzione sconosciuta: --" << general;
        QTest::newRow("-h after a command")
            << QStringList{"check", "-h"} << "opzione sconosciuta: -h" << general;
        QTest::newRow("office settings for a listing")
            << QStringList{"listing", "FILE", "-o", "x.docx", "--config", "c.ini"}
            << "opzione sconosciuta: --config" << general;
        QTest::newRow("levels for the Gantt chart")
            << QStringList{"gantt", "FILE", "--livelli", "-o", "x.svg"}
            << "opzione sconosciuta: --livelli" << QStringList{"gantt", "--help"};
        QTest::newRow("unknown option of an export")
            << QStringList{"export", "FILE", "--xml", "x"} << "opzione sconosciuta: --xml"
            << QStringList{"export", "--help"};
        QTest::newRow("missing value")
            << QStringList{"listing", "FILE", "-o"} << "manca il valore dell'opzione -o" << general;
        QTest::newRow("a value that looks like an option")
            << QStringList{"listing", "FILE", "-o", "--", "--frontespizio"}
            << "manca il valore dell'opzione --frontespizio" << general;
        QTest::newRow("missing value of a spreadsheet")
            << QStringList{"results", "FILE", "--xlsx"} << "manca il valore dell'opzione --xlsx"
            << QStringList{"results", "--xlsx", "--help"};
        QTest::newRow("missing value of an import")
            << QStringList{"import", "-o", "x", "-o"} << "manca il valore dell'opzione -o"
            << QStringList{"import", "--help"};
        QTest::newRow("missing data file")
            << QStringList{"compute", "--json"} << "manca il nome del file di dati" << general;
        QTest::newRow("title page without a file") << QStringList{"titlepage", "-o", "x.docx"}
                                                   << "manca il nome del file di dati" << general;
        QTest::newRow("missing file of an export")
            << QStringList{"export", "--ics", "x"} << "manca il nome del file"
            << QStringList{"export", "--help"};
        QTest::newRow("missing file of a picture")
            << QStringList{"diagram", "--json"} << "manca il nome del file di dati"
            << QStringList{"diagram", "--help"};
        QTest::newRow("argument too many")
            << QStringList{"compute", "FILE", "extra"} << "argomento in più: extra" << general;
        QTest::newRow("a file for the blank form")
            << QStringList{"form", "FILE", "-o", "x.docx"} << "argomento in più: FILE" << general;
        QTest::newRow("argument too many for an import")
            << QStringList{"import", "x.csv", "y", "-o", "z"} << "argomento in più: y"
            << QStringList{"import", "--help"};
        QTest::newRow("unknown command")
            << QStringList{"stampa"} << "comando sconosciuto: stampa" << general;
        QTest::newRow("no command") << QStringList{} << "manca il comando" << general;
    }

    void commandLineRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(QStringList, usage);
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        args.replaceInStrings(QRegularExpression("^FILE$"), example);
        message.replace(QLatin1String("FILE"), example);
        const Run help = run(usage);
        QCOMPARE(help.code, 0);
        const Run r = run(args);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, "zant-cli: " + message + "\n" + help.out);
    }

    // Standard output on a full disk: what was printed is lost, and so the run failed.
    void resultsThatCannotBeWrittenAreAFailure_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        QTest::newRow("JSON") << QStringList{"compute", example, "--json"} << 2;
        QTest::newRow("table") << QStringList{"compute", example} << 2;
        QTest::newRow("check") << QStringList{"check", example} << 2;
        QTest::newRow("help") << QStringList{"--help"} << 2;
        QTest::newRow("a refusal keeps its code")
            << QStringList{"compute",
                           file("rifiutato", "\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n"
                                             "\"B\",0\r\n" +
                                                 kTitle)}
            << 1;
    }

    void resultsThatCannotBeWrittenAreAFailure()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full here");
        QProcess cli;
        cli.setStandardOutputFile("/dev/full");
        cli.start(ZANT_CLI_PATH, args);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), code);
        if (code == 2)
            QCOMPARE(QString::fromUtf8(cli.readAllStandardError()),
                     "zant-cli: impossibile scrivere sullo standard output: i risultati non sono "
                     "completi.\n");
    }
};

QTEST_MAIN(TestCli)
#include "test_cli.moc"
