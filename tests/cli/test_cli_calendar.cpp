// zant-cli calendario and the calendar in the outputs of the command line: the example with a
// contractor's calendar, the copies it writes and what it refuses.

#include "cli/cli.h"
#include "model/project_file.h"
#include "support/cli_run.h"

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
const QStringList kExampleCalendar = {"--lavorativi", "lun,mar,mer,gio,ven",
                                      "--patrono",    "07/12",
                                      "--chiusura",   "09/08/2027-20/08/2027:chiusura estiva"};

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCliCalendar final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // The example on Monday to Friday with holidays, patron and the August closure; the dates
    // were counted by hand, day by day: 169 working days from Monday 01/03/2027 end on
    // Wednesday 10/11/2027.
    void exampleInWorkingDays()
    {
        const QString copy = m_dir.filePath("ZANT-dati-lavorativi.txt");
        const Run written =
            run(QStringList{"calendario", kExample} + kExampleCalendar + QStringList{"-o", copy});
        QCOMPARE(written.code, 0);
        QCOMPARE(written.out, "scritto " + copy + "\n");

        const Run json = run({"compute", copy, "--json"});
        QCOMPARE(json.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        const QJsonArray events = o["events"].toArray();
        const auto dateOf = [&](int e) {
            return events[e - 1].toObject()["earliestDate"].toString();
        };
        QCOMPARE(events[24].toObject()["earliest"].toDouble(), 169.0);
        QCOMPARE(dateOf(25), QString("10/11/2027"));
        QCOMPARE(dateOf(5), QString("05/04/2027"));  // 24 days, over Easter Monday
        QCOMPARE(dateOf(18), QString("01/10/2027")); // 142 days, over the closure
        QCOMPARE(dateOf(23), QString("03/11/2027")); // 164 days, over 1 November
        const QJsonObject calendar = o["calendar"].toObject();
        QCOMPARE(calendar["days"].toString(), QString("lavorativi"));
        QCOMPARE(calendar["workingWeek"].toArray().size(), 5);
        QCOMPARE(calendar["patron"].toString(), QString("07/12"));
        QCOMPARE(calendar["closures"].toArray()[0].toObject()["to"].toString(),
                 QString("20/08/2027"));
        QCOMPARE(calendar["text"].toString(),
                 QString("Durate in giorni lavorativi (lunedì-venerdì), festività nazionali e "
                         "patrono (7 dicembre) escluse; chiusure: chiusura estiva dal 09/08/2027 "
                         "al 20/08/2027."));

        // The text of compute says the calendar under the start date.
        const Run table = run({"compute", copy});
        QCOMPARE(table.code, 0);
        QVERIFY2(table.out.contains("eventi: 25\n" + calendar["text"].toString() +
                                    "\n\nA) Tempi e date\n"),
                 qPrintable(table.out.left(300)));

        // The listing of the calendar and of the days off within the works.
        const Run shown = run({"calendario", copy});
        QCOMPARE(shown.code, 0);
        QVERIFY2(shown.out.contains("Periodo dei lavori: dal 01/03/2027 al 10/11/2027\n"),
                 qPrintable(shown.out));
        for (const char* line : {"  lun 29/03/2027           Pasquetta\n",
                                 "  09/08/2027-20/08/2027    chiusura estiva\n",
                                 "  lun 01/11/2027           Ognissanti\n",
                                 "giorni di riposo settimanale (sabato, domenica)\n"})
            QVERIFY2(shown.out.contains(QString::fromUtf8(line)), line);
        // Back to calendar days: the file is the example again, byte for byte.
        const QString back = m_dir.filePath("ZANT-dati-naturali.txt");
        QCOMPARE(run({"calendario", copy, "--naturali", "-o", back}).code, 0);
        QCOMPARE(contentOf(back), contentOf(kExample));
    }

    void calendarDaysListNoDaysOff()
    {
        const Run shown = run({"calendario", kExample});
        QCOMPARE(shown.code, 0);
        QVERIFY(shown.out.startsWith("Calendario: Durate in giorni naturali e consecutivi.\n"));
        QVERIFY(shown.out.contains("Periodo dei lavori: dal 01/03/2027 al 17/08/2027\n"));
        QVERIFY(shown.out.contains("nessuno, si contano tutti i giorni"));
        // A calendar-day project computes to the text it always had.
        const Run table = run({"compute", kExample});
        QCOMPARE(table.code, 0);
        QVERIFY2(table.out.contains("eventi: 25\n\nA) Tempi e date\n"),
                 qPrintable(table.out.left(300)));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("err");
        QTest::newRow("calendar without -o") << QStringList{"--naturali"} << "manca -o OUT.txt";
        QTest::newRow("-o without a calendar")
            << QStringList{"-o", "x.txt"} << "manca --lavorativi GIORNI oppure --naturali";
        QTest::newRow("both kinds of days")
            << QStringList{"--naturali", "--lavorativi", "lun", "-o", "x.txt"}
            << "--lavorativi e --naturali non vanno insieme";
        QTest::newRow("unknown weekday") << QStringList{"--lavorativi", "lun,festa", "-o", "x.txt"}
                                         << "giorni lavorativi non validi: \"lun,festa\"";
        QTest::newRow("patron that is no day")
            << QStringList{"--lavorativi", "lun", "--patrono", "31/02", "-o", "x.txt"}
            << "giorno del patrono non valido: \"31/02\"";
        QTest::newRow("closure that is no span")
            << QStringList{"--naturali", "--chiusura", "09/08/2027-dopo", "-o", "x.txt"}
            << "chiusura non valida: \"09/08/2027-dopo\"";
        QTest::newRow("closure backwards")
            << QStringList{"--naturali", "--chiusura", "20/08/2027-09/08/2027", "-o", "x.txt"}
            << "La chiusura n. 1 finisce il 09/08/2027";
    }

    // Refused as a mistake of the command line (exit 2), nothing written.
    void refusals()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, err);
        const QString out = m_dir.filePath("x.txt");
        options.replaceInStrings("x.txt", out);
        const Run r = run(QStringList{"calendario", kExample} + options);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }

    // Several closures, a single day among them, all kept in order.
    void repeatedClosures()
    {
        const QString copy = m_dir.filePath("ZANT-dati-chiusure.txt");
        const Run r =
            run({"calendario", kExample, "--naturali", "--chiusure-naturali", "--chiusura",
                 "10/03/2027-12/03/2027:fermo per neve", "--chiusura", "02/04/2027"});
        QCOMPARE(r.code, 2); // no -o
        QCOMPARE(
            run({"calendario", kExample, "--naturali", "--chiusure-naturali", "--chiusura",
                 "10/03/2027-12/03/2027:fermo per neve", "--chiusura", "02/04/2027", "-o", copy})
                .code,
            0);
        const auto read = readProjectFile(copy);
        QVERIFY(read.ok());
        const ProjectCalendar& c = read.value().project.calendar();
        QVERIFY(!c.workingDays && c.closuresInCalendarDays);
        QCOMPARE(c.closures.size(), std::size_t(2));
        QCOMPARE(c.closures[0].description, QString("fermo per neve"));
        QCOMPARE(c.closures[1].first, QDate(2027, 4, 2));
        QCOMPARE(c.closures[1].last, QDate(2027, 4, 2));
        // Four days of suspension: the works end four days later than 17/08/2027.
        const Run json = run({"compute", copy, "--json"});
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(o["events"].toArray()[24].toObject()["earliestDate"].toString(),
                 QString("21/08/2027"));
    }

    void dataThatFailTheCheckHaveNoSpan()
    {
        const QString path = m_dir.filePath("ZANT-dati-incompleto.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"01/03/2027\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n\"B\",0\r\n"
                "\"P\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        f.close();
        const Run r = run({"calendario", path});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.startsWith("Calendario: "));
        QVERIFY(r.out.contains("Il periodo dei lavori richiede dati corretti"));
    }
};

QTEST_GUILESS_MAIN(TestCliCalendar)
#include "test_cli_calendar.moc"
