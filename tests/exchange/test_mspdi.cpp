#include "exchange/mspdi.h"
#include "model/data_check.h"
#include "model/project_file.h"
#include "support/project_builder.h"

#include <QJsonArray>
#include <QMap>
#include <QRandomGenerator>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>

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
    return "<Task><UID>" + QByteArray::number(uid) + "</UID><ID>" + QByteArray::number(uid) +
           "</ID><Name>" + name + "</Name><Duration>" + duration + "</Duration>" + extra +
           "</Task>";
}

QByteArray summary(int uid, const QByteArray& name, int level = 1)
{
    return "<Task><UID>" + QByteArray::number(uid) + "</UID><ID>" + QByteArray::number(uid) +
           "</ID><Name>" + name + "</Name><OutlineLevel>" + QByteArray::number(level) +
           "</OutlineLevel><Summary>1</Summary></Task>";
}

QByteArray inside(int level)
{
    return "<OutlineLevel>" + QByteArray::number(level) + "</OutlineLevel>";
}

QByteArray link(int predecessor, int type = 1, int lag = 0, int lagFormat = 7)
{
    return "<PredecessorLink><PredecessorUID>" + QByteArray::number(predecessor) +
           "</PredecessorUID><Type>" + QByteArray::number(type) + "</Type><LinkLag>" +
           QByteArray::number(lag) + "</LinkLag><LagFormat>" + QByteArray::number(lagFormat) +
           "</LagFormat></PredecessorLink>";
}

// A task of ten days that others follow, so that a lead after them reaches a real time.
QByteArray first()
{
    return task(90, "Prima", "PT80H");
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

// The values of each exported task, element by element (links left out).
QList<QMap<QString, QString>> exportedTasks(const QByteArray& document)
{
    QXmlStreamReader xml(document);
    QList<QMap<QString, QString>> tasks;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("Project") || xml.name() == QLatin1String("Tasks"))
            continue;
        if (xml.name() != QLatin1String("Task")) {
            xml.skipCurrentElement();
            continue;
        }
        tasks.append(QMap<QString, QString>());
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("PredecessorLink"))
                xml.skipCurrentElement();
            else
                tasks.last().insert(xml.name().toString(), xml.readElementText());
        }
    }
    return tasks;
}

// The last day a task works on: the day before the one its end time reaches, for a whole time.
QDate lastWorkingDay(const ScheduleResults& s, double start, double days)
{
    const double end = start + days;
    return s.clock.dayDate(end > 0 ? static_cast<qint64>(std::ceil(end - 1e-9)) - 1 : 0);
}

const QByteArray kWeekdays =
    "<WeekDays><WeekDay><DayType>1</DayType><DayWorking>0</DayWorking></WeekDay>"
    "<WeekDay><DayType>2</DayType><DayWorking>1</DayWorking></WeekDay>"
    "<WeekDay><DayType>3</DayType><DayWorking>1</DayWorking></WeekDay>"
    "<WeekDay><DayType>4</DayType><DayWorking>1</DayWorking></WeekDay>"
    "<WeekDay><DayType>5</DayType><DayWorking>1</DayWorking></WeekDay>"
    "<WeekDay><DayType>6</DayType><DayWorking>1</DayWorking></WeekDay>"
    "<WeekDay><DayType>7</DayType><DayWorking>0</DayWorking></WeekDay></WeekDays>";

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

    // A project of working days goes out with its calendar and comes back with the same days
    // off and the same date for every event.
    void workingCalendarRoundTrip_data()
    {
        QTest::addColumn<int>("week");
        QTest::addColumn<bool>("holidays");
        QTest::addColumn<QString>("patron");
        QTest::addColumn<bool>("calendarDays");
        QTest::newRow("Monday to Friday, holidays, patron and a closure")
            << int(kMondayToFriday) << true << "07/12" << false;
        QTest::newRow("Monday to Saturday, no holidays, a closure")
            << int(kMondayToSaturday) << false << QString() << false;
        QTest::newRow("calendar days suspended by a closure")
            << int(kMondayToFriday) << true << QString() << true;
    }
    void workingCalendarRoundTrip()
    {
        QFETCH(int, week);
        QFETCH(bool, holidays);
        QFETCH(QString, patron);
        QFETCH(bool, calendarDays);
        Project p = test::buildProject(
            QStringLiteral("6: 1>2=5 1>3=12 2>4=3.5 3>5=40 4>5=7 5>6=60 2>6=0.5"),
            QStringLiteral("01/08/2027"));
        ProjectCalendar calendar;
        calendar.workingDays = !calendarDays;
        calendar.closuresInCalendarDays = calendarDays;
        calendar.workingWeek = static_cast<Weekdays>(week);
        calendar.nationalHolidays = holidays;
        if (!patron.isEmpty())
            calendar.patron = *parseMonthDay(patron);
        calendar.closures = {{QDate(2027, 8, 9), QDate(2027, 8, 20), "chiusura estiva"}};
        p.setCalendar(calendar);
        const ScheduleResults r = ComputeSchedule(p);
        const auto back = parseMspdi(writeMspdi(p, r, QString()), "c.xml", kToday);
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        const Project& imported = back.value().project;
        const ScheduleResults s = ComputeSchedule(imported);
        QCOMPARE(s.earliestDate, r.earliestDate);
        QCOMPARE(s.latestDate, r.latestDate);
        QCOMPARE(imported.calendar().minutesPerDay, kDefaultMinutesPerDay);
        QVERIFY(!back.value().report.calendar.isEmpty());
        const QDate last = r.clock.dayDate(static_cast<qint64>(std::ceil(r.latest[6])));
        for (QDate d = r.clock.firstDay(); d <= last; d = d.addDays(1))
            QVERIFY2(imported.calendar().isWorkingDay(d) == calendar.isWorkingDay(d),
                     qPrintable(d.toString(Qt::ISODate)));
    }

    // Tasks run from the morning of their first working day to the evening of their last, a
    // half day ending at noon; the days off are exceptions of the calendar.
    void exportDatesOnWorkingDays()
    {
        Project p = test::buildProject(QStringLiteral("4: 1>2=5 2>3=2.5 3>4=1"),
                                       QStringLiteral("01/08/2027"));
        ProjectCalendar calendar;
        calendar.workingDays = true;
        calendar.closures = {{QDate(2027, 8, 9), QDate(2027, 8, 20), "chiusura estiva"}};
        p.setCalendar(calendar);
        const QByteArray xml = writeMspdi(p, ComputeSchedule(p), QString());
        QVERIFY(xml.contains("<StartDate>2027-08-02T08:00:00</StartDate>"));
        QVERIFY(xml.contains("<FinishDate>2027-08-26T12:00:00</FinishDate>"));
        QVERIFY(xml.contains("<MinutesPerWeek>2400</MinutesPerWeek>"));
        // The closure, 15 August within it, is one exception; 1 November is past the project.
        QCOMPARE(xml.count("<DayType>0</DayType>"), 1);
        QVERIFY(xml.contains("<FromDate>2027-08-09T00:00:00</FromDate>"));
        QVERIFY(xml.contains("<ToDate>2027-08-20T23:59:00</ToDate>"));
        const auto tasks = exportedTasks(xml);
        QCOMPARE(tasks.size(), 4 + 3);
        const auto span = [&](int index) {
            const auto& t = tasks[index];
            return t.value("Start") + ' ' + t.value("Finish") + ' ' + t.value("Duration") + ' ' +
                   t.value("DurationFormat");
        };
        QCOMPARE(span(0), "2027-08-02T08:00:00 2027-08-02T08:00:00 PT0H0M0S 7");
        QCOMPARE(span(1), "2027-08-02T08:00:00 2027-08-06T17:00:00 PT40H0M0S 7");
        QCOMPARE(span(2), "2027-08-06T17:00:00 2027-08-06T17:00:00 PT0H0M0S 7");
        QCOMPARE(span(3), "2027-08-23T08:00:00 2027-08-25T12:00:00 PT20H0M0S 7");
        QCOMPARE(span(5), "2027-08-25T13:00:00 2027-08-26T12:00:00 PT8H0M0S 7");
        QCOMPARE(span(6), "2027-08-26T12:00:00 2027-08-26T12:00:00 PT0H0M0S 7");
        QCOMPARE(tasks[1].value("TotalSlack"), "0");
    }

    // A file's own calendar: the imported plan computes to the finish dates the file stores.
    void importedCalendarGivesStoredFinishes_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QStringList>("finishes");
        QTest::addColumn<int>("hours");           // working hours of a day of the calendar
        QTest::addColumn<QString>("notImported"); // the line the report adds, if any
        const QByteArray open = "<CalendarUID>1</CalendarUID><Calendars><Calendar><UID>1</UID>"
                                "<BaseCalendarUID>-1</BaseCalendarUID>";
        const QStringList mondayToFriday{"A 2027-03-05", "B 2027-03-12", "C 2027-03-16"};
        QTest::newRow("exceptions in a list of their own")
            << open + kWeekdays +
                   "<Exceptions><Exception><TimePeriod><FromDate>2027-03-08T00:00:00</FromDate>"
                   "<ToDate>2027-03-09T23:59:00</ToDate></TimePeriod><Type>1</Type>"
                   "<DayWorking>0</DayWorking></Exception></Exceptions></Calendar></Calendars>"
            << mondayToFriday << 8 << QString();
        QTest::newRow("exceptions as weekdays of type 0, ending at midnight")
            << open +
                   QByteArray(kWeekdays).replace(
                       "</WeekDays>",
                       "<WeekDay><DayType>0</DayType><DayWorking>0</DayWorking><TimePeriod>"
                       "<FromDate>2027-03-08T00:00:00</FromDate><ToDate>2027-03-10T00:00:00"
                       "</ToDate></TimePeriod></WeekDay></WeekDays>") +
                   "</Calendar></Calendars>"
            << mondayToFriday << 8 << QString();
        QTest::newRow("the week from the base calendar")
            << "<CalendarUID>2</CalendarUID><Calendars><Calendar><UID>1</UID>" + kWeekdays +
                   "</Calendar><Calendar><UID>2</UID><BaseCalendarUID>1</BaseCalendarUID>"
                   "<Exceptions><Exception><TimePeriod><FromDate>2027-03-08T00:00:00</FromDate>"
                   "<ToDate>2027-03-09T23:59:00</ToDate></TimePeriod><DayWorking>0</DayWorking>"
                   "</Exception></Exceptions></Calendar></Calendars>"
            << mondayToFriday << 8 << QString();
        QTest::newRow("days of 7 working hours, whatever MinutesPerDay says")
            << "<MinutesPerDay>480</MinutesPerDay>" + open +
                   QByteArray(kWeekdays).replace(
                       "<DayWorking>1</DayWorking>",
                       "<DayWorking>1</DayWorking><WorkingTimes><WorkingTime><FromTime>08:00:00"
                       "</FromTime><ToTime>12:00:00</ToTime></WorkingTime><WorkingTime>"
                       "<FromTime>13:00:00</FromTime><ToTime>16:00:00</ToTime></WorkingTime>"
                       "</WorkingTimes>") +
                   "<Exceptions><Exception><TimePeriod><FromDate>2027-03-08T00:00:00</FromDate>"
                   "<ToDate>2027-03-09T23:59:00</ToDate></TimePeriod><DayWorking>0</DayWorking>"
                   "</Exception></Exceptions></Calendar></Calendars>"
            << mondayToFriday << 7 << QString();
        QTest::newRow("Saturday worked, no exception")
            << open +
                   QByteArray(kWeekdays).replace("<DayType>7</DayType><DayWorking>0",
                                                 "<DayType>7</DayType><DayWorking>1") +
                   "</Calendar></Calendars>"
            << QStringList{"A 2027-03-05", "B 2027-03-09", "C 2027-03-11"} << 8 << QString();
        QTest::newRow("a recurring exception is left out")
            << open + kWeekdays +
                   "<Exceptions><Exception><TimePeriod><FromDate>2027-03-08T00:00:00</FromDate>"
                   "<ToDate>2030-03-08T23:59:00</ToDate></TimePeriod><Type>2</Type>"
                   "<DayWorking>0</DayWorking></Exception></Exceptions></Calendar></Calendars>"
            << QStringList{"A 2027-03-05", "B 2027-03-10", "C 2027-03-12"} << 8
            << "Eccezioni ricorrenti del calendario: 1.";
    }
    void importedCalendarGivesStoredFinishes()
    {
        QFETCH(QByteArray, head);
        QFETCH(QStringList, finishes);
        QFETCH(int, hours);
        QFETCH(QString, notImported);
        const auto duration = [hours](int days) {
            return "PT" + QByteArray::number(days * hours) + "H";
        };
        const auto read =
            parseMspdi(document(task(1, "A", duration(5)) + task(2, "B", duration(3), link(1)) +
                                    task(3, "C", duration(2), link(2)),
                                head),
                       "cal.xml", kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QVERIFY(read.value().project.calendar().workingDays);
        const ScheduleResults s = ComputeSchedule(read.value().project);
        QStringList computed;
        for (const auto& t : read.value().tasks)
            computed
                << t.name + ' ' +
                       lastWorkingDay(s, s.earliest[t.startEvent], t.days).toString(Qt::ISODate);
        QCOMPARE(computed, finishes);
        QCOMPARE(read.value().project.calendar().minutesPerDay, hours * 60);
        QVERIFY(describeImport(read.value().report)
                    .contains("Calendario del file: giorni lavorativi (lun,mar,mer,gio,ven"));
        QCOMPARE(read.value().report.notImported.join('|'), notImported);
    }

    // A calendar that works every day, or none at all, leaves the project in calendar days.
    void everyDayWorkedStaysCalendarDays_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("no calendar") << QByteArray();
        QTest::newRow("a calendar UID with no such calendar")
            << QByteArray("<CalendarUID>5</CalendarUID><Calendars><Calendar><UID>1</UID>") +
                   kWeekdays + "</Calendar></Calendars>";
        QByteArray every = "<CalendarUID>1</CalendarUID><Calendars><Calendar><UID>1</UID>"
                           "<WeekDays>";
        for (int day = 1; day <= 7; ++day)
            every += "<WeekDay><DayType>" + QByteArray::number(day) +
                     "</DayType><DayWorking>1</DayWorking></WeekDay>";
        QTest::newRow("24 hours, every day") << every + "</WeekDays></Calendar></Calendars>";
        QTest::newRow("a calendar that names itself as its base")
            << QByteArray("<CalendarUID>1</CalendarUID><Calendars><Calendar><UID>1</UID>"
                          "<BaseCalendarUID>1</BaseCalendarUID></Calendar></Calendars>");
    }
    void everyDayWorkedStaysCalendarDays()
    {
        QFETCH(QByteArray, head);
        const auto read = parseMspdi(document(task(1, "A", "PT40H"), head), "d.xml", kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        if (QByteArray(QTest::currentDataTag()).startsWith("a calendar that names"))
            QVERIFY(read.value().project.calendar().workingDays); // Monday to Friday by default
        else
            QVERIFY(read.value().project.calendar().isDefault());
    }

    // Activities with names of their own come back named; those known by their event come
    // back so; dummies are links between milestones, not tasks, and come back as dummies.
    void namesAndDummiesRoundTrip()
    {
        Project original = test::buildProject(QStringLiteral("5: 1>2=40 1>3=5 2>4=0 3>4=0 4>5=3"),
                                              QStringLiteral("01/03/2027"));
        QVERIFY(original.setLinkName(1, 1, QStringLiteral("Fornitura serramenti")).ok());
        QVERIFY(original.setLinkName(1, 2, QStringLiteral("Ordine «vetri» ≥ 28 gg")).ok());
        QVERIFY(original.setLinkName(3, 1, QStringLiteral("Collaudo")).ok());
        QVERIFY(original.setDescription(5, QStringLiteral("Σκυρόδεμα")).ok());
        const QByteArray xml = writeMspdi(original, ComputeSchedule(original), QString());
        QCOMPARE(xml.count("<Task>"), 5 + 4); // milestones and every activity but the dummy
        QVERIFY(!xml.contains("→"));
        const auto back = parseMspdi(xml, "n.xml", kToday);
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        const Project& p = back.value().project;
        QCOMPARE(test::describeLinks(p), test::describeLinks(original));
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(p.description(i), original.description(i));
            for (int s = 1; s <= p.linkCount(i); ++s)
                QCOMPARE(p.link(i, s).name, original.link(i, s).name);
        }
        QCOMPARE(p.dummyCount(), 1);
        QCOMPARE(back.value().report.namesKept, 5 + 4);
    }

    // Money travels in hundredths of the currency (cents), never through floating point; a
    // milestone that costs something stays an activity so that its amount is not lost.
    void amountsRoundTrip()
    {
        Project original = test::buildProject(QStringLiteral("4: 1>2=10 1>3=0 2>4=5 3>4=0"),
                                              QStringLiteral("01/03/2027"));
        QVERIFY(original.setLinkAmount(1, 1, 99'999'999'999).ok());
        QVERIFY(original.setLinkAmount(2, 1, 1).ok());
        QVERIFY(original.setLinkName(1, 2, QStringLiteral("Oneri della sicurezza")).ok());
        QVERIFY(original.setLinkAmount(1, 2, 150'000'00).ok());
        const QByteArray xml = writeMspdi(original, ComputeSchedule(original), QString());
        QVERIFY(xml.contains("<FixedCost>99999999999</FixedCost>"));
        QVERIFY(xml.contains("<Cost>15000000</Cost>"));
        const auto back = parseMspdi(xml, "c.xml", kToday);
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        const Project& p = back.value().project;
        QCOMPARE(p.totalAmount(), original.totalAmount());
        QCOMPARE(p.link(1, 1).amount, 99'999'999'999);
        QCOMPARE(p.link(2, 1).amount, 1);

        // A fraction of a cent rounds half up; Cost wins over FixedCost.
        const auto read = parseMspdi(
            document(
                task(1, "A", "PT8H", "<FixedCost>7</FixedCost><Cost>1234.5</Cost>") +
                task(2, "Consegna", "PT0H", "<Milestone>1</Milestone><Cost>250</Cost>" + link(1))),
            "r.xml", kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QCOMPARE(read.value().project.totalAmount(), Cents{1235 + 250});
    }

    // The values written for each task (the order of the elements is checked against the schema
    // in its own test).
    void exportWritesTheComputedValues()
    {
        Project p = test::buildProject(QStringLiteral("4: 1>2=5 1>3=2 2>4=1 3>4=0"),
                                       QStringLiteral("01/03/2027"));
        QVERIFY(p.setDescription(3, QStringLiteral("Scavi")).ok());
        const ScheduleResults r = ComputeSchedule(p);
        QXmlStreamReader xml(writeMspdi(p, r, QStringLiteral("Prova")));
        QList<QMap<QString, QString>> tasks;
        QList<QStringList> predecessors;
        int depth = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                ++depth;
                const QString name = xml.name().toString();
                if (depth == 3 && name == QLatin1String("Task")) {
                    tasks.append(QMap<QString, QString>());
                    predecessors.append(QStringList());
                }
                if (depth == 5 && name == QLatin1String("PredecessorUID")) {
                    predecessors.last() << xml.readElementText();
                    --depth;
                } else if (depth == 4 && !tasks.isEmpty() &&
                           name != QLatin1String("PredecessorLink")) {
                    tasks.last().insert(name, xml.readElementText());
                    --depth;
                }
            } else if (xml.isEndElement()) {
                --depth;
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(tasks.size(), 4 + 3); // four milestones, three activities, no dummy
        // Task "1 → 3" (UID 3): 2 days from 01/03, total slack 4 days, not critical, named after
        // the event it reaches.
        QCOMPARE(tasks[2].value("Name"), QStringLiteral("Scavi"));
        QCOMPARE(tasks[2].value("Duration"), QStringLiteral("PT48H0M0S"));
        QCOMPARE(tasks[2].value("DurationFormat"), QStringLiteral("8"));
        QCOMPARE(tasks[2].value("EarlyFinish"), QStringLiteral("2027-03-03T00:00:00"));
        QCOMPARE(tasks[2].value("LateFinish"), QStringLiteral("2027-03-07T00:00:00"));
        QCOMPARE(tasks[2].value("TotalSlack"), QString::number(4 * 14400));
        QCOMPARE(tasks[2].value("Critical"), QStringLiteral("0"));
        QCOMPARE(tasks[0].value("Name"), QStringLiteral("Evento 1: Evento 1"));
        QCOMPARE(tasks[0].value("Milestone"), QStringLiteral("1"));
        QCOMPARE(tasks[0].value("Critical"), QStringLiteral("1"));
        // The dummy 3 → 4 is a link from the milestone of event 3 (UID 6) to that of event 4.
        QCOMPARE(tasks[6].value("Name"), QStringLiteral("Evento 4: Evento 4"));
        QCOMPARE(predecessors[6], (QStringList{"5", "6"}));
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

    // Every precedence type and lag of the file, read as the other program writes it: the
    // links of the project, the description of each event and the names of lag activities.
    void precedences_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("names");
        // B starts 2 working days (960 minutes) after A ends.
        QTest::newRow("finish-to-start with a lag in working days")
            << document(task(1, "A", "PT24H0M0S") + task(2, "B", "PT8H0M0S", link(1, 1, 9600)))
            << "4: 1>2=3 2>3=2 3>4=1"
            << "Inizio A|A|Inizio B|B|Ritardo 2 g dopo «A»";
        QTest::newRow("start-to-start with a lag in elapsed hours")
            << document(task(1, "Scavi", "PT40H0M0S") +
                        task(2, "Getti", "PT16H0M0S", link(1, 3, 7200, 6)))
            << "3: 1>2=0.5 1>3=5 2>3=2"
            << "Inizio Scavi|Inizio Getti|Scavi|Ritardo 0,5 g dopo l'inizio di «Scavi»";
        QTest::newRow("finish-to-finish")
            << document(task(1, "A", "PT40H0M0S") + task(2, "B", "PT16H0M0S", link(1, 0)))
            << "3: 1>2=0 1>3=5 2>3=2"
            << "Inizio A|Inizio B|A";
        QTest::newRow("start-to-finish")
            << document(task(1, "A", "PT40H0M0S") + task(2, "B", "PT16H0M0S", link(1, 2, 4800)))
            << "4: 1>2=0 1>3=1 1>4=5 2>3=2 3>4=0"
            << "Inizio A|Inizio B|B|A|Ritardo 1 g dopo l'inizio di «A»";
        QTest::newRow("a lead on finish-to-start counts from the start")
            << document(task(1, "A", "PT40H0M0S") + task(2, "B", "PT16H0M0S", link(1, 1, -9600)))
            << "3: 1>2=3 1>3=5 2>3=2"
            << "Inizio A|Inizio B|A|Ritardo 3 g dopo l'inizio di «A»";
        QTest::newRow("a lag in percent of the task before")
            << document(task(1, "A", "PT40H0M0S") + task(2, "B", "PT8H0M0S", link(1, 1, 500, 19)))
            << "4: 1>2=5 2>3=2.5 3>4=1"
            << "Inizio A|A|Inizio B|B|Ritardo 2,5 g dopo «A»";
        QTest::newRow("links to and from a summary hold its children")
            << document(task(1, "A", "PT8H0M0S") + summary(2, "Fase", 1) +
                        task(3, "B", "PT16H0M0S", inside(2)) +
                        task(4, "C", "PT24H0M0S", inside(2)) + task(5, "D", "PT8H0M0S") +
                        "<Task><UID>6</UID><ID>6</ID><Name>E</Name><Duration>PT8H0M0S</Duration>" +
                        link(2) + link(1, 1) + "</Task>")
            << "5: 1>2=0 1>4=1 1>5=1 2>3=3 2>4=2 3>4=0 4>5=1"
            << "Inizio A|Inizio B|C|A|D";
    }
    void precedences()
    {
        QFETCH(QByteArray, bytes);
        const auto read = parseMspdi(bytes, QStringLiteral("p.xml"), kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        const Project& p = read.value().project;
        QTEST(test::describeLinks(p), "links");
        QStringList names;
        for (int e = 1; e <= p.eventCount(); ++e)
            names << p.description(e);
        for (const Activity a : p.activities())
            if (a.name().startsWith(QLatin1String("Ritardo")))
                names << a.name();
        QTEST(names.join(QLatin1Char('|')), "names");
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
        QTest::newRow("only summaries") << document(summary(1, "S")) << "non contiene attività";
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
        QTest::newRow("a lead on start-to-start names both tasks by ID, UID and name")
            << document(first() + task(12, "Scavi", "PT40H", link(90)) +
                        task(14, "Getti", "PT8H", link(12, 3, -24000)))
            << "ID 12 (UID 12) «Scavi» → ID 14 (UID 14) «Getti»: legame inizio-inizio con "
               "anticipo di 5 g: un anticipo si può rappresentare solo su un legame fine-inizio.";
        QTest::newRow("a lead longer than the task before")
            << document(first() + task(1, "A", "PT8H", link(90)) +
                        task(2, "B", "PT8H", link(1, 1, -9600)))
            << "ID 1 (UID 1) «A» → ID 2 (UID 2) «B»: legame fine-inizio con anticipo di 2 g "
               "maggiore della durata (1 g) di ID 1 (UID 1) «A».";
        QTest::newRow("a negative cost")
            << document(task(1, "Scavi", "PT8H", "<Cost>-500</Cost>"))
            << "ID 1 (UID 1) «Scavi»: il costo \"-500\" non è un importo da 0 a 999.999.999,99.";
        QTest::newRow("a cost over the limit")
            << document(task(1, "Scavi", "PT8H", "<FixedCost>100000000000</FixedCost>"))
            << "il costo \"100000000000\" non è un importo";
        QTest::newRow("a cost that is no number")
            << document(task(1, "Scavi", "PT8H", "<Cost>1,5E3</Cost>")) << "il costo \"1,5E3\"";
        QTest::newRow("an unknown link type")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 7)))
            << "«A» → ID 2 (UID 2) «B»: il tipo di legame \"7\" non è tra quelli del formato.";
        QTest::newRow("unknown predecessor")
            << document(task(2, "B", "PT8H", link(9)))
            << "ID 2 (UID 2) «B» dipende da un'attività che non esiste (UID \"9\").";
        QTest::newRow("cycle names the tasks")
            << document(task(1, "A", "PT8H", link(2)) + task(2, "B", "PT8H", link(1)))
            << "I legami delle attività ID 1 (UID 1) «A» e ID 2 (UID 2) «B» formano un ciclo";
        QTest::newRow("a task linked to its own summary")
            << document(summary(1, "S") + task(2, "A", "PT8H", inside(2)) +
                        "<Task><UID>3</UID><Name>B</Name><Duration>PT8H</Duration>" + inside(2) +
                        link(1) + "</Task>")
            << "I legami delle attività ID 1 (UID 1) «S» e UID 3 «B» formano un ciclo";
        QTest::newRow("duplicate UID") << document(task(1, "A", "PT8H") + task(1, "B", "PT8H"))
                                       << "ID 1 (UID 1) «A» e ID 1 (UID 1) «B» hanno lo stesso "
                                          "identificativo (UID 1).";
        QTest::newRow("no duration")
            << document("<Task><UID>1</UID><Name>A</Name></Task>") << "UID 1 «A»: manca la durata.";
        QTest::newRow("months have no fixed length")
            << document(task(1, "A", "P1M")) << "la durata \"P1M\" non è leggibile";
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
            << document(task(1, "Scavi", "PT"))
            << "ID 1 (UID 1) «Scavi»: la durata \"PT\" non è leggibile.";
        QTest::newRow("a duration that is no duration")
            << document(task(1, "Scavi", "tre giorni"))
            << "«Scavi»: la durata \"tre giorni\" non è leggibile.";
        QTest::newRow("a time part without time")
            << document(task(1, "A", "P1DT")) << "non è leggibile";
        QTest::newRow("an unknown lag format")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1, 1, 4800, 99)))
            << "ID 1 (UID 1) «A» → ID 2 (UID 2) «B»: il formato del ritardo (LagFormat) \"99\" "
               "non è tra quelli del formato.";
        QTest::newRow("a lag format that is no number")
            << document(task(1, "A", "PT8H") +
                        task(2, "B", "PT8H",
                             "<PredecessorLink><PredecessorUID>1</PredecessorUID>"
                             "<LagFormat>giorni</LagFormat></PredecessorLink>"))
            << "(LagFormat) \"giorni\"";
        QTest::newRow("an unknown duration format")
            << document(task(1, "A", "PT8H", "<DurationFormat>2</DurationFormat>"))
            << "ID 1 (UID 1) «A»: il formato della durata (DurationFormat) \"2\" non è tra "
               "quelli del formato.";
        QTest::newRow("a flag that is neither 0 nor 1")
            << document(task(1, "A", "PT8H", "<Milestone>si</Milestone>"))
            << "ID 1 (UID 1) «A»: <Milestone> vale \"si\" invece di 0 o 1.";
        QTest::newRow("an outline level that is no number")
            << document(task(1, "A", "PT8H", "<OutlineLevel>primo</OutlineLevel>"))
            << "«A»: il livello nella struttura (OutlineLevel) \"primo\" non è un numero intero.";
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
            << document(first() +
                        task(1,
                             "A\xC2\x9B"
                             "2J",
                             "PT8H", link(90)) +
                        task(2, "B", "PT8H", link(1, 3, -4800)))
            << "ID 1 (UID 1) «A\\x9B2J» → ID 2 (UID 2) «B»: legame inizio-inizio";
    }
    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const auto read = parseMspdi(bytes, QStringLiteral("prova.xml"), kToday);
        QVERIFY(!read.ok());
        QCOMPARE(read.error().kind, MessageKind::Critical);
        QVERIFY2(read.error().text.contains(message), qPrintable(read.error().text));
        QVERIFY(read.error().text.startsWith(
            QStringLiteral("Impossibile importare il file \"prova.xml\": ")));
        // The parser's own English never reaches the message, nor does a control character.
        for (const char* english : {"mismatch", "Premature", "Extra content", "not declared",
                                    "Expected", "Unexpected", "Encountered", "«UID »"})
            QVERIFY2(!read.error().text.contains(QLatin1String(english)),
                     qPrintable(read.error().text));
        for (const QChar c : read.error().text)
            QVERIFY(c.unicode() >= 0x20);
    }

    // A refusal lists every problem it found, up to fifty, then counts the others.
    void everyProblemAtOnce_data()
    {
        QTest::addColumn<int>("badTasks");
        QTest::addColumn<QString>("head");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("last");
        QTest::newRow("three problems")
            << 2 << "Impossibile importare il file \"molti.xml\": 3 problemi." << 4
            << "ID 101 (UID 101) «Z» → ID 102 (UID 102) «B»: legame fine-fine con anticipo di 1 g: "
               "un anticipo si può rappresentare solo su un legame fine-inizio.";
        QTest::newRow("fifty listed, the others counted")
            << 60 << "Impossibile importare il file \"molti.xml\": 61 problemi." << 52
            << "e altri 11 problemi.";
    }
    void everyProblemAtOnce()
    {
        QFETCH(int, badTasks);
        QByteArray tasks;
        for (int t = 1; t <= badTasks; ++t)
            tasks += task(t, "T", "PT");
        tasks += first() + task(101, "Z", "PT8H", link(90)) +
                 task(102, "B", "PT8H", link(101, 0, -4800));
        const auto read = parseMspdi(document(tasks), QStringLiteral("molti.xml"), kToday);
        QVERIFY(!read.ok());
        const QStringList lines = read.error().text.split(QLatin1Char('\n'));
        QTEST(lines.first(), "head");
        QTEST(int(lines.size()), "lines");
        QTEST(lines.last(), "last");
        QCOMPARE(lines.value(1), QStringLiteral("ID 1 (UID 1) «T»: la durata \"PT\" non è "
                                                "leggibile."));
    }

    // What Microsoft Project and its peers write, as they write it, and what the report says of
    // it.
    void importDetails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QStringList>("leftOut");
        QTest::newRow("a milestone without a duration is a moment")
            << document(task(1, "A", "PT8H") +
                        "<Task><UID>2</UID><Name>Consegna</Name><Milestone>1</Milestone>" +
                        link(1) + "</Task>" + task(3, "B", "PT16H", link(2)))
            << "3: 1>2=1 2>3=2" << QStringList();
        QTest::newRow("the project's own row (UID 0) is no activity")
            << document("<Task><UID>0</UID><Duration>PT24H</Duration></Task>" +
                        task(1, "A", "PT8H"))
            << "2: 1>2=1" << QStringList{"La riga che riassume l'intero progetto (UID 0)."};
        QTest::newRow("the project's row by its outline level")
            << document("<Task><UID>7</UID><Name>Progetto</Name><Duration>PT24H</Duration>"
                        "<OutlineLevel>0</OutlineLevel></Task>" +
                        task(1, "A", "PT8H"))
            << "2: 1>2=1" << QStringList{"La riga che riassume l'intero progetto (UID 7)."};
        // ProjectLibre writes Summary 0 on the rows that hold others.
        QTest::newRow("a row followed by deeper ones is a summary")
            << document(task(1, "Fase", "PT80H", "<Summary>0</Summary>" + inside(1)) +
                        task(2, "A", "PT8H", inside(2)) + task(3, "B", "PT16H", inside(2)) +
                        task(4, "C", "PT8H", inside(1) + link(1)))
            << "4: 1>2=2 1>3=1 2>3=0 3>4=1" << QStringList();
        // Every element of a task is read, whatever came before it: the link after two actual
        // dates is kept.
        QTest::newRow("actual dates and deadlines before the links")
            << document(task(1, "A", "PT8H") +
                        task(2, "B", "PT8H",
                             "<Deadline>2027-04-01T17:00:00</Deadline>"
                             "<ActualStart>2027-03-01T08:00:00</ActualStart>"
                             "<ActualFinish>2027-03-01T17:00:00</ActualFinish>" +
                                 link(1)) +
                        task(3, "C", "PT8H", "<ActualStart>2027-03-01T08:00:00</ActualStart>"))
            << "3: 1>2=1 1>3=1 2>3=1" << QStringList();
        QTest::newRow("UID 0 in the outline is a task")
            << document("<Task><UID>0</UID><Name>A</Name><Duration>PT8H</Duration>"
                        "<OutlineLevel>1</OutlineLevel></Task>")
            << "2: 1>2=1" << QStringList();
        QTest::newRow("an inactive task is left out with its links")
            << document(task(1, "A", "PT8H") +
                        task(2, "Varianti", "PT80H", "<Active>0</Active>" + link(1)) +
                        task(3, "B", "PT16H", link(2) + link(1)))
            << "3: 1>2=1 2>3=2"
            << QStringList{"Attività inattive (1): «Varianti».",
                           "Legami con attività tralasciate: 1."};
        QTest::newRow("the tasks of an inactive summary are inactive")
            << document(task(1, "A", "PT8H") +
                        QByteArray(summary(2, "Varianti"))
                            .replace("</Task>", "<Active>0</Active></Task>") +
                        "<Task><UID>3</UID><Name>V1</Name><Duration>PT8H</Duration>" + inside(2) +
                        "</Task>" + "<Task><UID>4</UID><Name>V2</Name>" +
                        "<Duration>PT8H</Duration>" + inside(2) + "</Task>" +
                        task(5, "B", "PT8H", link(1)))
            << "3: 1>2=1 2>3=1" << QStringList{"Attività inattive (3): «Varianti», «V1» e «V2»."};
        QTest::newRow("a task after an inactive one starts at once")
            << document(task(1, "Varianti", "PT80H", "<Active>0</Active>") +
                        task(2, "B", "PT16H", link(1)) + task(3, "C", "PT8H", link(2)))
            << "3: 1>2=2 2>3=1"
            << QStringList{"Attività inattive (1): «Varianti».",
                           "Legami con attività tralasciate: 1."};
        QTest::newRow("blank rows, tasks and links of other projects")
            << document(task(1, "A", "PT8H") + "<Task><UID>2</UID><IsNull>1</IsNull></Task>" +
                        task(3, "Altrove", "PT8H", "<ExternalTask>1</ExternalTask>") +
                        task(4, "B", "PT8H",
                             link(3) + "<PredecessorLink><PredecessorUID>1</PredecessorUID>"
                                       "<CrossProject>1</CrossProject></PredecessorLink>"))
            << "3: 1>2=1 1>3=1 2>3=0"
            << QStringList{"Righe vuote: 1.", "Attività di altri progetti (1): «Altrove».",
                           "Legami con attività tralasciate: 1.",
                           "Legami con attività di altri progetti: 1."};
        QTest::newRow("a lead that other links imply is left out and said")
            << document(task(1, "A", "PT8H") + task(2, "B", "PT8H", link(1) + link(1, 3, -4800)))
            << "3: 1>2=1 2>3=1"
            << QStringList{"ID 1 (UID 1) «A» → ID 2 (UID 2) «B»: legame inizio-inizio con "
                           "anticipo di 1 g, che gli altri legami già comprendono"};
        QByteArray utf16("\xFF\xFE");
        const QString text =
            QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                              document(task(1, "Attività", "PT8H"))
                                  .mid(QByteArray("<?xml version=\"1.0\"?>").size()));
        for (const QChar c : text)
            utf16 += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
        QTest::newRow("saved as Unicode (UTF-16 with its mark)")
            << utf16 << "2: 1>2=1" << QStringList();
        QByteArray utf32("\x00\x00\xFE\xFF", 4);
        for (const QChar c : text)
            utf32 += QByteArray(2, '\0') + char(c.unicode() >> 8) + char(c.unicode() & 0xFF);
        QTest::newRow("UTF-32 with its mark") << utf32 << "2: 1>2=1" << QStringList();
    }
    void importDetails()
    {
        QFETCH(QByteArray, bytes);
        const auto read = parseMspdi(bytes, QStringLiteral("dettagli.xml"), kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QTEST(test::describeLinks(read.value().project), "links");
        QTEST(read.value().report.leftOut, "leftOut");
        for (int e = 1; e <= read.value().project.eventCount(); ++e)
            QVERIFY(!read.value().project.description(e).startsWith(QStringLiteral("UID")));
    }

    // Files written by another program, as published: what the report counts, and the times of
    // some tasks worked out by hand from their durations and links (in working days, one a
    // calendar day here).
    void filesOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("counts");    // tasks read/activities/summaries/FS links/events
        QTest::addColumn<QStringList>("times"); // "task: start-finish"
        QTest::newRow("Aspose.Tasks, a summary among the tasks")
            << "aspose-tasks-new-tasks.xml"
            << "11/8/2/5/8"
            << QStringList{"Task4: 2-12", "Task7: 12-23", "Task8: 23-25", "Task10: 26-29"};
        QTest::newRow("Aspose.Tasks, a lag in minutes, two chains")
            << "aspose-tasks-not-updated.xml"
            << "11/10/0/8/11" << QStringList{"Task 3: 4-7", "Task 5: 9-11", "Task 10: 8-9"};
    }
    void filesOfOtherPrograms()
    {
        QFETCH(QString, file);
        const auto read =
            readMspdiFile(QStringLiteral(ZANT_TEST_DATA_DIR "/mspdi/") + file, kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        const MspdiImportReport& r = read.value().report;
        QTEST(QStringLiteral("%1/%2/%3/%4/%5")
                  .arg(r.tasksRead)
                  .arg(r.activityTasks)
                  .arg(r.summaries)
                  .arg(r.links[static_cast<std::size_t>(TaskLinkType::FinishToStart)])
                  .arg(r.events),
              "counts");
        QCOMPARE(r.namesKept, r.activityTasks + r.milestones);
        const ScheduleResults s = ComputeSchedule(read.value().project);
        QFETCH(QStringList, times);
        for (const QString& expected : times) {
            const QString name = expected.section(QLatin1Char(':'), 0, 0);
            const auto task = std::find_if(read.value().tasks.begin(), read.value().tasks.end(),
                                           [&](const auto& t) { return t.name == name; });
            QVERIFY2(task != read.value().tasks.end(), qPrintable(name));
            const double start = s.earliest[task->startEvent];
            QCOMPARE(QStringLiteral("%1: %2-%3").arg(name).arg(start).arg(start + task->days),
                     expected);
        }
        QVERIFY(!findDataFault(read.value().project));
    }

    // The report before anything changes: what was read, what was made, what was left out, not
    // imported or approximated.
    void reportSaysWhatTheImportDoes()
    {
        const QByteArray xml =
            document(task(0, "Progetto", "PT24H", "<OutlineLevel>0</OutlineLevel>") +
                         summary(1, "Strutture") +
                         task(2, "Scavi", "PT16H",
                              inside(2) + "<ConstraintType>4</ConstraintType>"
                                          "<ActualStart>2027-03-01T08:00:00</ActualStart>") +
                         task(3, "Getti", "PT24H",
                              inside(2) + link(2, 3, 4800) +
                                  // placeholders for no date, as Aspose.Tasks writes them
                                  "<Deadline>2000-01-01T00:00:00</Deadline>"
                                  "<ActualFinish>2000-01-01T00:00:00</ActualFinish>") +
                         task(4, "Collaudo", "PT0H", link(1) + link(3, 0, 9600, 19)) +
                         task(5, "Varianti", "PT8H", "<Active>0</Active>"),
                     "<MinutesPerDay>480</MinutesPerDay>") +
            QByteArray();
        const auto read = parseMspdi(
            QByteArray(xml).replace("</Tasks>", "</Tasks><Resources><Resource><UID>0</UID>"
                                                "</Resource><Resource><UID>1</UID><Name>Gru"
                                                "</Name></Resource></Resources><Assignments>"
                                                "<Assignment><ResourceUID>1</ResourceUID>"
                                                "</Assignment><Assignment><ResourceUID>-1"
                                                "</ResourceUID></Assignment><Assignment>"
                                                "<ResourceUID>-65535</ResourceUID>"
                                                "</Assignment></Assignments>"),
            QStringLiteral("r.xml"), kToday);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QCOMPARE(describeImport(read.value().report).split(QLatin1Char('\n')),
                 (QStringList{
                     "Attività lette: 6 (2 attività, 1 milestone, 1 di riepilogo).",
                     "Legami: 1 fine-inizio, 1 inizio-inizio, 1 fine-fine, 0 inizio-fine (2 con "
                     "ritardo, 0 con anticipo).",
                     "Rete: 5 eventi, 4 attività (2 per i ritardi) e 2 legami fittizi.",
                     "Nomi delle attività conservati: 3 su 3.",
                     "Tralasciato:",
                     "  Attività inattive (1): «Varianti».",
                     "  La riga che riassume l'intero progetto (UID 0).",
                     "Non importato:",
                     "  Vincoli di data (come \"Inizia non prima del\" o \"Deve iniziare il\") di "
                     "1 attività: la rete segue solo i legami.",
                     "  Date effettive (inizio o fine reali) di 1 attività.",
                     "  Risorse (1) e loro assegnazioni (1).",
                     "Approssimato:",
                     "  3 durate e ritardi in tempo lavorativo, contati come giorni di calendario "
                     "di 8 ore lavorative: il calendario del progetto (giorni non lavorativi) non "
                     "viene importato.",
                 }));
        const QJsonObject json = importReportJson(read.value().report);
        QCOMPARE(json.value("tasksRead").toInt(), 6);
        QCOMPARE(json.value("links").toObject().value("finishToFinish").toInt(), 1);
        QCOMPARE(json.value("leftOut").toArray().size(), 2);
        QCOMPARE(json.value("approximated").toArray().at(0).toString(),
                 read.value().report.approximated.at(0));
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
