#include "cli/cli.h"
#include "support/cli_run.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace zant;
using zant::test::Run;
using zant::test::run;

namespace {

const QByteArray kTitle = "\"Prova\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

// 1 → 2 (6 days), 1 → 3 (2), 2 → 4 (3), 3 → 4 (1), 3 → 2 (1): activity 1 → 3 has total float
// 3, free float 0 (3 → 2 waits for it), and activity 3 → 4 total 6, free 6, independent 3.
const QByteArray kNetwork = "\"01/03/2027\",4\r\n"
                            "\"A\",2\r\n\"2\",\"6\"\r\n\"3\",\"2\"\r\n"
                            "\"B\",1\r\n\"4\",\"3\"\r\n"
                            "\"C\",2\r\n\"4\",\"1\"\r\n\"2\",\"1\"\r\n"
                            "\"D\",0\r\n" +
                            kTitle;

} // namespace

class TestCliDiagram final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void initTestCase()
    {
        m_file = m_dir.filePath(QStringLiteral("ZANT-dati-prova.txt"));
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kNetwork);
    }

    void computeJsonGivesTheThreeFloats_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("slot");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("free");
        QTest::addColumn<double>("independent");
        QTest::newRow("critical 1 → 2") << 1 << 1 << 0.0 << 0.0 << 0.0;
        QTest::newRow("1 → 3, its successor waits") << 1 << 2 << 3.0 << 0.0 << 0.0;
        QTest::newRow("3 → 4, all three differ") << 3 << 1 << 6.0 << 6.0 << 3.0;
        QTest::newRow("3 → 2") << 3 << 2 << 3.0 << 3.0 << 0.0;
    }

    void computeJsonGivesTheThreeFloats()
    {
        QFETCH(int, event);
        QFETCH(int, slot);
        QFETCH(double, total);
        QFETCH(double, free);
        QFETCH(double, independent);
        const Run r = run({"compute", m_file, "--json"});
        QCOMPARE(r.code, 0);
        const QJsonArray links =
            QJsonDocument::fromJson(r.out.toUtf8()).object()["links"].toArray();
        bool found = false;
        for (const auto& value : links) {
            const QJsonObject link = value.toObject();
            if (link["event"].toInt() != event || link["slot"].toInt() != slot)
                continue;
            found = true;
            QCOMPARE(link["float"].toDouble(), total);
            QCOMPARE(link["freeFloat"].toDouble(), free);
            QCOMPARE(link["independentFloat"].toDouble(), independent);
        }
        QVERIFY(found);
    }

    void diagramJsonIsTheLayout_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("mode");
        QTest::newRow("time scale") << QStringList{} << "scala";
        QTest::newRow("levels") << QStringList{"--livelli"} << "livelli";
    }

    void diagramJsonIsTheLayout()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, mode);
        const Run r = run(QStringList{"diagram", m_file, "--json"} + extra);
        QCOMPARE(r.code, 0);
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(o["mode"].toString(), mode);
        QVERIFY(o["width"].toDouble() > 0 && o["height"].toDouble() > 0);
        const QJsonArray events = o["events"].toArray();
        QCOMPARE(events.size(), 4);
        const QJsonArray activities = o["activities"].toArray();
        QCOMPARE(activities.size(), 5);
        for (const auto& value : activities) {
            const QJsonObject a = value.toObject();
            const QJsonObject from = events[a["from"].toInt() - 1].toObject();
            const QJsonObject to = events[a["to"].toInt() - 1].toObject();
            const QJsonArray points = a["points"].toArray();
            const auto gap = [](const QJsonObject& e, const QJsonArray& p) {
                return std::hypot(p[0].toDouble() - e["x"].toDouble(),
                                  p[1].toDouble() - e["y"].toDouble()) -
                       e["r"].toDouble();
            };
            // Two decimals in the file: the ends lie on the circles within rounding.
            QVERIFY(std::abs(gap(from, points.first().toArray())) < 0.02);
            QVERIFY(std::abs(gap(to, points.last().toArray())) < 0.02);
        }
        QCOMPARE(activities[0].toObject()["critical"].toBool(), true);
    }

    void picturesAreWritten_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("network as SVG") << "diagram"
                                        << "rete.svg" << QByteArray("<?xml");
        QTest::newRow("network as PNG") << "diagram"
                                        << "rete.png" << QByteArray("\x89PNG");
        QTest::newRow("Gantt as PDF") << "gantt"
                                      << "gantt.pdf" << QByteArray("%PDF");
        QTest::newRow("Gantt as SVG") << "gantt"
                                      << "gantt.svg" << QByteArray("<?xml");
    }

    void picturesAreWritten()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        const QString path = m_dir.filePath(name);
        const Run r = run({command, m_file, "-o", path});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, "scritto " + path + "\n");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith(magic));
    }

    void sheetsOfPaper_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("tiled");
        QTest::newRow("network on A3")
            << QStringList{"diagram", "--foglio", "A3"} << "1191 842" << false;
        QTest::newRow("network by levels on A0")
            << QStringList{"diagram", "--livelli", "--foglio", "a0"} << "3370 2384" << false;
        QTest::newRow("network tiled on A4")
            << QStringList{"diagram", "--foglio", "A4", "--tassellato"} << "842 595" << true;
        QTest::newRow("Gantt on A1")
            << QStringList{"gantt", "--foglio", "A1"} << "2384 1684" << false;
        QTest::newRow("Gantt tiled on A3")
            << QStringList{"gantt", "--foglio", "A3", "--tassellato"} << "1191 842" << true;
    }

    void sheetsOfPaper()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, paper);
        QFETCH(bool, tiled);
        const QString path = m_dir.filePath(QStringLiteral("foglio.pdf"));
        QStringList args{options.first(), m_file, "-o", path};
        args += options.mid(1);
        const Run r = run(args);
        QCOMPARE(r.code, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString pdf = QString::fromLatin1(f.readAll());
        static const QRegularExpression box(
            QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        int pages = 0;
        for (const auto& m : box.globalMatch(pdf)) {
            ++pages;
            QCOMPARE(QStringLiteral("%1 %2")
                         .arg(qRound(m.captured(1).toDouble()))
                         .arg(qRound(m.captured(2).toDouble())),
                     paper);
        }
        // A tiled print: the map of the sheets, then at least one piece.
        QVERIFY(tiled ? pages >= 2 : pages == 1);
        QFile::remove(path);
    }

    void standalonePicturesCarryTheirTitleBlock_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("scale");
        QTest::newRow("time scale") << "diagram"
                                    << "Reticolo a scala dei tempi"
                                    << "Scala dei tempi: 1 cm =";
        QTest::newRow("levels") << "diagram --livelli"
                                << "Reticolo per livelli"
                                << "senza scala dei tempi";
        QTest::newRow("Gantt") << "gantt"
                               << "Diagramma di Gantt"
                               << "Scala dei tempi: 1 cm =";
    }

    void standalonePicturesCarryTheirTitleBlock()
    {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QString, scale);
        const QString path = m_dir.filePath(QStringLiteral("titolo.svg"));
        QStringList args = command.split(' ');
        args.insert(1, m_file);
        args << "-o" << path;
        QCOMPARE(run(args).code, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString svg = QString::fromUtf8(f.readAll());
        for (const QString& text :
             {title, QStringLiteral("Progetto: "),
              QStringLiteral("Calcolo del ") + QDate::currentDate().toString("dd/MM/yyyy"), scale,
              QStringLiteral("Legenda")})
            QVERIFY2(svg.contains(text.toHtmlEscaped()), qPrintable(text));
        QFile::remove(path);
    }

    void refusalsAndErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::newRow("no output") << QStringList{"diagram", "FILE"} << 2 << "manca -o";
        QTest::newRow("unknown format") << QStringList{"gantt", "FILE", "-o", "OUT.bmp"} << 2
                                        << "deve finire in .svg, .png o .pdf";
        QTest::newRow("json and output")
            << QStringList{"diagram", "FILE", "--json", "-o", "OUT.svg"} << 2
            << "non vanno insieme";
        QTest::newRow("levels only for the network")
            << QStringList{"gantt", "FILE", "--livelli", "-o", "OUT.svg"} << 2
            << "opzione sconosciuta";
        QTest::newRow("missing folder")
            << QStringList{"diagram", "FILE", "-o", "manca/rete.svg"} << 2 << "rete.svg";
        QTest::newRow("unknown sheet")
            << QStringList{"diagram", "FILE", "-o", "OUT.pdf", "--foglio", "A2"} << 2
            << "foglio non riconosciuto: A2";
        QTest::newRow("a sheet is a PDF")
            << QStringList{"gantt", "FILE", "-o", "OUT.svg", "--foglio", "A3"} << 2
            << "--foglio scrive un file .pdf";
        QTest::newRow("tiles need a sheet")
            << QStringList{"diagram", "FILE", "-o", "OUT.pdf", "--tassellato"} << 2
            << "--tassellato vuole --foglio A4 o A3";
        QTest::newRow("tiles on A4 or A3 only")
            << QStringList{"diagram", "FILE", "-o", "OUT.pdf", "--foglio", "A1", "--tassellato"}
            << 2 << "la stampa tassellata usa fogli A4 o A3";
        QTest::newRow("unreadable file")
            << QStringList{"gantt", "/nessuna/cartella/f", "-o", "OUT.svg"} << 2
            << "Impossibile aprire il file";
    }

    void refusalsAndErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, err);
        for (QString& a : args) {
            if (a == QLatin1String("FILE"))
                a = m_file;
            else if (a.contains(QLatin1String("OUT")) || a.startsWith(QLatin1String("manca")))
                a = m_dir.filePath(a);
        }
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        const Run r = run(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
    }

    void refusedDataExitsWithOne()
    {
        const QString path = m_dir.filePath(QStringLiteral("ZANT-dati-vuoto.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n\"B\",0\r\n" + kTitle);
        f.close();
        const Run r = run({"gantt", path, "-o", m_dir.filePath(QStringLiteral("g.svg"))});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.contains(QStringLiteral("non sono stati dichiarati")));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("g.svg"))));
    }
};

QTEST_MAIN(TestCliDiagram)
#include "test_cli_diagram.moc"
