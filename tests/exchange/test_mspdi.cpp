#include "exchange/mspdi.h"
#include "model/data_check.h"
#include "model/project_file.h"
#include "support/project_builder.h"

#include <QRandomGenerator>
#include <QTest>
#include <QXmlStreamReader>

using namespace zant;

namespace {

const QDate kToday(2026, 12, 8);

QByteArray document(const QByteArray& tasks, const QByteArray& head = QByteArray())
{
    return "<?xml version=\"1.0\"?>\n<Project xmlns=\"http://schemas.microsoft.com/project\">" +
           head + "<StartDate>2027-03-01T08:00:00</StartDate><Tasks>" + tasks +
           "</Tasks></Project>";
}

QByteArray documentFrom(const QByteArray& start, const QByteArray& tasks)
{
    return "<?xml version=\"1.0\"?>\n<Project xmlns=\"http://schemas.microsoft.com/project\">"
           "<StartDate>" +
           start + "</StartDate><Tasks>" + tasks + "</Tasks></Project>";
}

QByteArray task(int uid, const QByteArray& name, const QByteArray& duration,
                const QByteArray& extra = QByteArray())
{
    return "<Task><UID>" + QByteArray::number(uid) + "</UID><Name>" + name + "</Name><Duration>" +
           duration + "</Duration>" + extra + "</Task>";
}

QByteArray link(int predecessor, int type = 1, int lag = 0, int lagFormat = 7)
{
    return "<PredecessorLink><PredecessorUID>" + QByteArray::number(predecessor) +
           "</PredecessorUID><Type>" + QByteArray::number(type) + "</Type><LinkLag>" +
           QByteArray::number(lag) + "</LinkLag><LagFormat>" + QByteArray::number(lagFormat) +
           "</LagFormat></PredecessorLink>";
}

std::vector<QString> earliestDates(const Project& project)
{
    const ScheduleResults r = ComputeSchedule(project);
    return std::vector<QString>(r.earliestDate.begin() + 1, r.earliestDate.end());
}

// A random project with one start event, links to higher events, and every event leading to
// the last.
Project randomProject(int variant)
{
    QRandomGenerator random(static_cast<quint32>(variant));
    const int n = 3 + random.bounded(30);
    QMap<QPair<int, int>, int> links;
    std::vector<bool> reached(n + 1, false);
    for (int i = 1; i < n; ++i) {
        const int k = i + 1 + random.bounded(std::min(4, n - i));
        links.insert({i, k}, random.bounded(0, 40));
        reached[k] = true;
        for (int j = i + 2; j <= n; ++j) {
            if (random.bounded(10) == 0) {
                links.insert({i, j}, random.bounded(1, 40));
                reached[j] = true;
            }
        }
    }
    for (int k = 2; k <= n; ++k)
        if (!reached[k])
            links.insert({k - 1, k}, random.bounded(1, 40));
    QStringList text;
    for (auto it = links.cbegin(); it != links.cend(); ++it)
        text << QStringLiteral("%1>%2=%3").arg(it.key().first).arg(it.key().second).arg(it.value());
    return test::buildProject(QStringLiteral("%1: %2").arg(n).arg(text.join(QLatin1Char(' '))),
                              QStringLiteral("15/06/2027"));
}

} // namespace

class TestMspdi final : public QObject
{
    Q_OBJECT

private slots:
    void exampleRoundTripKeepsTheEventDates()
    {
        const auto example = readProjectFile(
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt"));
        QVERIFY(example.ok());
        const Project& original = example.value().project;
        const QByteArray xml = writeMspdi(original, ComputeSchedule(original),
                                          example.value().titlePage[TitlePage::progetto]);
        const auto back = parseMspdi(xml, QStringLiteral("esempio.xml"), kToday);
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        const Project& imported = back.value().project;
        QCOMPARE(imported.eventCount(), 25);
        QCOMPARE(imported.startDateText(), QStringLiteral("01/03/2027"));
        QCOMPARE(earliestDates(imported), earliestDates(original));
        QCOMPARE(test::describeLinks(imported), test::describeLinks(original));
        for (int e = 1; e <= 25; ++e)
            QCOMPARE(imported.description(e), original.description(e));
        QCOMPARE(back.value().titlePage[TitlePage::progetto],
                 example.value().titlePage[TitlePage::progetto]);
        QVERIFY(!findDataFault(imported));
    }

    void generatedRoundTrips_data()
    {
        QTest::addColumn<int>("variant");
        for (int variant = 1; variant <= 25; ++variant)
            QTest::addRow("variant %d", variant) << variant;
    }
    void generatedRoundTrips()
    {
        QFETCH(int, variant);
        const Project original = randomProject(variant);
        QVERIFY(!findDataFault(original));
        const auto back =
            parseMspdi(writeMspdi(original, ComputeSchedule(original), QString()), "x.xml", kToday);
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        QVERIFY(!findDataFault(back.value().project));
        QCOMPARE(earliestDates(back.value().project), earliestDates(original));
        QCOMPARE(ComputeSchedule(back.value().project).criticalPath,
                 ComputeSchedule(original).criticalPath);
    }

    // The values written for each task (the order of the elements is checked against the schema
    // in its own test).
    void exportWritesTheComputedValues()
    {
        const Project p = test::buildProject(QStringLiteral("4: 1>2=5 1>3=2 2>4=1 3>4=1"),
                                             QStringLiteral("01/03/2027"));
        const ScheduleResults r = ComputeSchedule(p);
        QXmlStreamReader xml(writeMspdi(p, r, QStringLiteral("Prova")));
        QList<QMap<QString, QString>> tasks;
        int depth = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                ++depth;
                const QString name = xml.name().toString();
                if (depth == 3 && name == QLatin1String("Task"))
                    tasks.append(QMap<QString, QString>());
                if (depth == 4 && !tasks.isEmpty() && name != QLatin1String("PredecessorLink")) {
                    tasks.last().insert(name, xml.readElementText());
                    --depth;
                }
            } else if (xml.isEndElement()) {
                --depth;
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(tasks.size(), 4 + 4); // four milestones, four activities
        // Task "1 → 3" (UID 3): 2 days from 01/03, total slack 3 days, not critical.
        QCOMPARE(tasks[2].value("Name"), QStringLiteral("1 → 3: Evento 3"));
        QCOMPARE(tasks[2].value("Duration"), QStringLiteral("PT48H0M0S"));
        QCOMPARE(tasks[2].value("DurationFormat"), QStringLiteral("8"));
        QCOMPARE(tasks[2].value("EarlyFinish"), QStringLiteral("2027-03-03T00:00:00"));
        QCOMPARE(tasks[2].value("LateFinish"), QStringLiteral("2027-03-06T00:00:00"));
        QCOMPARE(tasks[2].value("TotalSlack"), QString::number(3 * 14400));
        QCOMPARE(tasks[2].value("Critical"), QStringLiteral("0"));
        QCOMPARE(tasks[0].value("Name"), QStringLiteral("Evento 1: Evento 1"));
        QCOMPARE(tasks[0].value("Milestone"), QStringLiteral("1"));
        QCOMPARE(tasks[0].value("Critical"), QStringLiteral("1"));
    }

    // Elapsed formats count 24 hours a day; the others the project's working minutes a day.
    void durationsByFormat_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("duration");
        QTest::addColumn<int>("format");
        QTest::addColumn<double>("days");
        QTest::newRow("working days, 480 minutes when absent")
            << QByteArray() << QByteArray("PT16H0M0S") << 7 << 2.0;
        QTest::newRow("working days at 600 minutes a day")
            << QByteArray("<MinutesPerDay>600</MinutesPerDay>") << QByteArray("PT30H0M0S") << 7
            << 3.0;
        QTest::newRow("elapsed days") << QByteArray() << QByteArray("PT72H0M0S") << 8 << 3.0;
        QTest::newRow("elapsed hours, half a day")
            << QByteArray() << QByteArray("PT12H0M0S") << 6 << 0.5;
        QTest::newRow("estimated elapsed weeks")
            << QByteArray() << QByteArray("PT168H0M0S") << 42 << 7.0;
        QTest::newRow("minutes and seconds")
            << QByteArray() << QByteArray("PT3H59M60S") << 7 << 0.5;
    }
    void durationsByFormat()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, duration);
        QFETCH(int, format);
        QFETCH(double, days);
        const QByteArray xml =
            document(task(1, "A", duration,
                          "<DurationFormat>" + QByteArray::number(format) + "</DurationFormat>"),
                     head);
        const auto read = parseMspdi(xml, "d.xml", kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QCOMPARE(read.value().project.eventCount(), 2);
        QCOMPARE(*read.value().project.link(1, 1).days, days);
    }

    void lagsSummariesAndNullTasks()
    {
        // Summary S holds A and B; B starts 2 working days (960 minutes) after A ends.
        const QByteArray xml =
            document(task(0, "Progetto", "PT0H0M0S", "<Summary>1</Summary>") +
                     task(1, "S", "PT40H0M0S", "<Summary>1</Summary>") + task(2, "A", "PT24H0M0S") +
                     task(3, "B", "PT8H0M0S", link(2, 1, 9600, 7)) +
                     "<Task><UID>4</UID><IsNull>1</IsNull></Task>");
        const auto read = parseMspdi(xml, "l.xml", kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        const Project& p = read.value().project;
        QCOMPARE(test::describeLinks(p), QStringLiteral("4: 1>2=3 2>3=2 3>4=1"));
        QCOMPARE(p.description(3), QStringLiteral("Fine dell'attesa dopo A"));
        QCOMPARE(p.startDateText(), QStringLiteral("01/03/2027"));
        QCOMPARE(read.value().tasks.size(), std::size_t(2));
        QCOMPARE(read.value().tasks[1].startEvent, 3);
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not XML") << QByteArray("\"01/01/2027\",3\r\n")
                                 << "non è un documento XML valido";
        QTest::newRow("broken XML")
            << document(task(1, "A", "PT8H")).chopped(5) << "non è un documento XML valido";
        QTest::newRow("XML that is not MSPDI")
            << QByteArray("<?xml version=\"1.0\"?><html><body/></html>")
            << "non è un file Microsoft Project XML";
        QTest::newRow("Project of another namespace")
            << QByteArray("<Project xmlns=\"urn:altro\"><Tasks/></Project>")
            << "non è un file Microsoft Project XML";
        QTest::newRow("no tasks") << document(QByteArray()) << "non contiene attività";
        QTest::newRow("entity expansion")
            << QByteArray(
                   "<?xml version=\"1.0\"?><!DOCTYPE Project [<!ENTITY a \"aaaaaaaaaa\">"
                   "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                   "<Project xmlns=\"http://schemas.microsoft.com/project\"><Title>&b;</Title>"
                   "</Project>")
            << "dichiarazione DTD";
        QTest::newRow("external entity")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE Project [<!ENTITY x SYSTEM "
                          "\"file:///etc/passwd\">]><Project><Title>&x;</Title></Project>")
            << "dichiarazione DTD";
        QTest::newRow("undeclared entity") << QByteArray("<Project><Title>&x;</Title></Project>")
                                           << "non è un documento XML valido";
        QTest::newRow("start-to-start link names the tasks")
            << document(task(1, "Scavi", "PT8H") + task(2, "Getti", "PT8H", link(1, 3)))
            << "il legame «Scavi» → «Getti» è inizio-inizio";
        QTest::newRow("finish-to-finish link")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 0))) << "è fine-fine";
        QTest::newRow("start-to-finish link")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 2))) << "è inizio-fine";
        QTest::newRow("negative lag")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 1, -4800)))
            << "«A» → «B» ha un ritardo negativo";
        QTest::newRow("percentage lag")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 1, 5000, 19)))
            << "in percentuale";
        QTest::newRow("unknown predecessor")
            << document(task(2, "B", "PT8H", link(9))) << "un'attività che non esiste";
        QTest::newRow("link to a summary task")
            << document(task(1, "S", "PT8H", "<Summary>1</Summary>") +
                        task(2, "B", "PT8H", link(1)))
            << "riguarda un'attività di riepilogo";
        QTest::newRow("cycle names the tasks")
            << document(task(1, "A", "PT8H", link(2)) + task(2, "B", "PT8H", link(1)))
            << "«A» e «B» formano un ciclo";
        QTest::newRow("duplicate UID")
            << document(task(1, "A", "PT8H") + task(1, "B", "PT8H")) << "stesso identificativo";
        QTest::newRow("no duration")
            << document("<Task><UID>1</UID><Name>A</Name></Task>") << "«A» non ha una durata";
        QTest::newRow("months have no fixed length")
            << document(task(1, "A", "P1M")) << "non è leggibile";
        QTest::newRow("a start date before 1900 would not open again")
            << documentFrom("1850-01-01T08:00:00", task(1, "A", "PT8H"))
            << "la data d'inizio del progetto (StartDate) \"1850-01-01T08:00:00\" non è tra il "
               "01/01/1900 e il 31/12/2199";
        QTest::newRow("a start date after 2199")
            << documentFrom("2200-01-01", task(1, "A", "PT8H")) << "non è tra il 01/01/1900";
        QTest::newRow("a day that does not exist")
            << documentFrom("2027-02-30T08:00:00", task(1, "A", "PT8H"))
            << "(StartDate) \"2027-02-30T08:00:00\" non è una data valida";
        QTest::newRow("a start date that is no date")
            << documentFrom("xx", task(1, "A", "PT8H")) << "(StartDate) \"xx\" non è una data";
        QTest::newRow("a duration without any number")
            << document(task(1, "Scavi", "PT")) << "la durata \"PT\" dell'attività «Scavi»";
        QTest::newRow("a duration that is no duration")
            << document(task(1, "Scavi", "tre giorni"))
            << "la durata \"tre giorni\" dell'attività «Scavi» non è leggibile";
        QTest::newRow("a time part without time")
            << document(task(1, "A", "P1DT")) << "non è leggibile";
        QTest::newRow("an unknown lag format")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 1, 4800, 99)))
            << "il formato del ritardo (LagFormat) \"99\" del legame «A» → «B»";
        QTest::newRow("a lag format that is no number")
            << document(task(1, "A", "PT8H") +
                        task(2, "B", "PT8H",
                             "<PredecessorLink><PredecessorUID>1</PredecessorUID>"
                             "<LagFormat>giorni</LagFormat></PredecessorLink>"))
            << "(LagFormat) \"giorni\"";
        QTest::newRow("an unknown duration format")
            << document(task(1, "A", "PT8H", "<DurationFormat>2</DurationFormat>"))
            << "(DurationFormat) \"2\" dell'attività «A»";
        QTest::newRow("a flag that is neither 0 nor 1")
            << document(task(1, "A", "PT8H", "<Milestone>si</Milestone>"))
            << "l'attività «A» ha <Milestone> \"si\" invece di 0 o 1";
        QTest::newRow("a task inside a task")
            << document("<Task><Task><UID>1</UID><Name>A</Name><Duration>PT8H</Duration></Task>"
                        "</Task>")
            << "alla riga 2 un'attività (<Task>) ne contiene un'altra";
        QTest::newRow("a task without name or UID is named by its line")
            << document("\n<Task><Duration>PT8H</Duration></Task>")
            << "l'attività alla riga 3 non ha un identificativo (UID)";
        QTest::newRow("mismatched tags, in Italian")
            << QByteArray("<Project>\n<Tasks></Task></Project>")
            << "non è un documento XML valido (riga 2, colonna 14: un elemento è chiuso con un "
               "nome diverso da quello con cui è aperto)";
        QTest::newRow("a document cut short, in Italian")
            << QByteArray("<Project><Tasks>")
            << "il documento finisce prima che i suoi elementi siano chiusi";
        QTest::newRow("control characters of a name are shown")
            << document(task(1,
                             "A\xC2\x9B"
                             "2J",
                             "PT8H") +
                        task(2, "B", "PT8H", link(1, 3)))
            << "il legame «A\\x9B2J» → «B» è inizio-inizio";
    }
    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const auto read = parseMspdi(bytes, QStringLiteral("prova.xml"), kToday);
        QVERIFY(!read.ok());
        QCOMPARE(read.error().kind, MessageKind::Critical);
        QVERIFY2(read.error().text.contains(message), qPrintable(read.error().text));
        QVERIFY(read.error().text.contains(QStringLiteral("prova.xml")));
        // The parser's own English never reaches the message, nor does a control character.
        for (const char* english : {"mismatch", "Premature", "Extra content", "not declared",
                                    "Expected", "Unexpected", "Encountered", "«UID »"})
            QVERIFY2(!read.error().text.contains(QLatin1String(english)),
                     qPrintable(read.error().text));
        for (const QChar c : read.error().text)
            QVERIFY(c.unicode() >= 0x20);
    }

    // What Microsoft Project and its peers write, as they write it.
    void importDetails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("leftOut");
        QTest::newRow("a milestone without a duration is a moment")
            << document(task(1, "A", "PT8H") +
                        "<Task><UID>2</UID><Name>Consegna</Name><Milestone>1</Milestone>" +
                        link(1) + "</Task>" + task(3, "B", "PT16H", link(2)))
            << "3: 1>2=1 2>3=2" << QString();
        QTest::newRow("the project's own row (UID 0) is no activity")
            << document("<Task><UID>0</UID><Duration>PT24H</Duration></Task>" +
                        task(1, "A", "PT8H"))
            << "2: 1>2=1" << QString();
        QTest::newRow("the project's row by its outline level")
            << document("<Task><UID>7</UID><Name>Progetto</Name><Duration>PT24H</Duration>"
                        "<OutlineLevel>0</OutlineLevel></Task>" +
                        task(1, "A", "PT8H"))
            << "2: 1>2=1" << QString();
        QTest::newRow("UID 0 in the outline is a task")
            << document("<Task><UID>0</UID><Name>A</Name><Duration>PT8H</Duration>"
                        "<OutlineLevel>1</OutlineLevel></Task>")
            << "2: 1>2=1" << QString();
        QTest::newRow("an inactive task is left out with its links")
            << document(task(1, "A", "PT8H") +
                        task(2, "Varianti", "PT80H", "<Active>0</Active>" + link(1)) +
                        task(3, "B", "PT16H", link(2) + link(1)))
            << "3: 1>2=1 2>3=2"
            << "Tralasciata 1 attività inattiva: «Varianti».";
        QTest::newRow("a task after an inactive one starts at once")
            << document(task(1, "Varianti", "PT80H", "<Active>0</Active>") +
                        task(2, "B", "PT16H", link(1)) + task(3, "C", "PT8H", link(2)))
            << "3: 1>2=2 2>3=1"
            << "Tralasciata 1 attività inattiva: «Varianti».";
        QByteArray utf16("\xFF\xFE");
        const QString text =
            QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                              document(task(1, "Attività", "PT8H"))
                                  .mid(QByteArray("<?xml version=\"1.0\"?>").size()));
        for (const QChar c : text)
            utf16 += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
        QTest::newRow("saved as Unicode (UTF-16 with its mark)")
            << utf16 << "2: 1>2=1" << QString();
        QByteArray utf32("\x00\x00\xFE\xFF", 4);
        for (const QChar c : text)
            utf32 += QByteArray(2, '\0') + char(c.unicode() >> 8) + char(c.unicode() & 0xFF);
        QTest::newRow("UTF-32 with its mark") << utf32 << "2: 1>2=1" << QString();
    }
    void importDetails()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, leftOut);
        const auto read = parseMspdi(bytes, QStringLiteral("dettagli.xml"), kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QTEST(test::describeLinks(read.value().project), "links");
        QCOMPARE(describeLeftOut(read.value().leftOut), leftOut);
        for (int e = 1; e <= read.value().project.eventCount(); ++e)
            QVERIFY(!read.value().project.description(e).startsWith(QStringLiteral("UID")));
    }

    // What the import says it imported: activities and milestones apart.
    void milestonesAreNotCountedAsActivities()
    {
        const auto read =
            parseMspdi(document(task(1, "A", "PT8H") + task(2, "M", "PT0H", link(1)) +
                                task(3, "B", "PT8H", link(2)) +
                                task(4, "Zero", "PT0H", "<Milestone>0</Milestone>" + link(3))),
                       "c.xml", kToday);
        QVERIFY(read.ok());
        int milestones = 0;
        for (const auto& t : read.value().tasks)
            milestones += t.milestone ? 1 : 0;
        QCOMPARE(milestones, 1);
        QCOMPARE(read.value().tasks.size(), std::size_t(4));
    }

    // The largest plan a 100-event network gives when every event leads to every later one:
    // 100 milestones and 4,950 activities come back as the same network.
    void aCompletePlanOfAHundredEventsComesBack()
    {
        QString text = QStringLiteral("100:");
        for (int i = 1; i < 100; ++i)
            for (int k = i + 1; k <= 100; ++k)
                text += QStringLiteral(" %1>%2=%3").arg(i).arg(k).arg((i * k) % 9 + 1);
        const Project original = test::buildProject(text, QStringLiteral("01/03/2027"));
        const auto back =
            parseMspdi(writeMspdi(original, ComputeSchedule(original), QString()), "c.xml", kToday);
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        QCOMPARE(back.value().project.eventCount(), 100);
        QCOMPARE(test::describeLinks(back.value().project), test::describeLinks(original));
        QCOMPARE(earliestDates(back.value().project), earliestDates(original));
    }

    void tooManyTasksRefusedQuickly()
    {
        QByteArray tasks;
        for (int t = 1; t <= kMaxNetworkTasks + 1; ++t)
            tasks += task(t, "T", "PT8H");
        const auto read = parseMspdi(document(tasks), "grande.xml", kToday);
        QVERIFY(!read.ok());
        QVERIFY2(read.error().text.contains(QStringLiteral("al massimo %1").arg(kMaxNetworkTasks)),
                 qPrintable(read.error().text));
    }
};

QTEST_GUILESS_MAIN(TestMspdi)
#include "test_mspdi.moc"
