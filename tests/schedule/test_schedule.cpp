#include "schedule/schedule.h"
#include "support/project_builder.h"

#include <QTest>

using namespace zant;
using zant::test::buildProject;

namespace {

QString join(const std::vector<double>& values)
{
    QStringList out;
    for (std::size_t i = 1; i < values.size(); ++i)
        out << QString::number(values[i]);
    return out.join(QLatin1Char(' '));
}

QString join(const std::vector<QString>& values)
{
    return QStringList(values.begin() + 1, values.end()).join(QLatin1Char(' '));
}

} // namespace

class TestSchedule final : public QObject
{
    Q_OBJECT

private slots:
    void scenarios_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("earliest");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("criticalPath");

        QTest::newRow("chain") << "3: 1>2=3 2>3=4"
                               << "0 3 7"
                               << "0 3 7"
                               << "- 1- 2- 3";
        QTest::newRow("diamond with a slack branch") << "4: 1>2=5 1>3=2 2>4=1 3>4=1"
                                                     << "0 5 2 6"
                                                     << "0 5 5 6"
                                                     << "- 1- 2- 4";
        QTest::newRow("link from 5 back to 3") << "6: 1>2=1 1>5=4 2>3=1 5>3=2 3>4=1 4>6=1"
                                               << "0 1 6 7 4 8"
                                               << "0 5 6 7 4 8"
                                               << "- 1- 3- 4- 5- 6";
        QTest::newRow("chain numbered against its links") << "6: 1>5=1 5>4=1 4>3=1 3>2=1 2>6=1"
                                                          << "0 4 3 2 1 5"
                                                          << "0 4 3 2 1 5"
                                                          << "- 1- 2- 3- 4- 5- 6";
        QTest::newRow("long backward chain beyond two sweeps")
            << "8: 1>7=2 7>6=2 6>5=2 5>4=2 4>3=2 3>2=2 2>8=2 1>8=1"
            << "0 12 10 8 6 4 2 14"
            << "0 12 10 8 6 4 2 14"
            << "- 1- 2- 3- 4- 5- 6- 7- 8";
        QTest::newRow("two links between the same events: the longer decides")
            << "3: 1>2=7 1>2=2 2>3=1"
            << "0 7 8"
            << "0 7 8"
            << "- 1- 2- 3";
        QTest::newRow("longer link listed last decides too") << "3: 1>2=2 1>2=7 2>3=1"
                                                             << "0 7 8"
                                                             << "0 7 8"
                                                             << "- 1- 2- 3";
        QTest::newRow("single event") << "1"
                                      << "0"
                                      << "0"
                                      << "- 1";
        // Event 3 leads nowhere, so it must occur by the final time: 8 days before the start
        // for event 1, whose float is as negative as event 3's.
        QTest::newRow("dead end after the final time has negative float") << "4: 1>2=1 1>3=10 2>4=1"
                                                                          << "0 1 10 2"
                                                                          << "-8 1 2 2"
                                                                          << "- 2- 4";
        QTest::newRow("two equal critical paths merge in number order")
            << "5: 1>2=3 1>3=3 2>4=2 3>4=2 4>5=1"
            << "0 3 3 5 6"
            << "0 3 3 5 6"
            << "- 1- 2- 3- 4- 5";
        QTest::newRow("links of the final event are ignored") << "3: 1>2=1 2>3=1 3>1=5"
                                                              << "0 1 2"
                                                              << "0 1 2"
                                                              << "- 1- 2- 3";
        QTest::newRow("event without predecessors starts at zero") << "4: 1>4=2 2>3=1 3>4=1"
                                                                   << "0 0 1 2"
                                                                   << "0 0 1 2"
                                                                   << "- 1- 2- 3- 4";
        QTest::newRow("second start: event 1 keeps its float and is not critical")
            << "4: 1>3=2 2>3=6 3>4=1"
            << "0 0 6 7"
            << "4 0 6 7"
            << "- 2- 3- 4";
        QTest::newRow("forgotten link: an event without incoming links starts a branch")
            << "5: 1>2=3 2>5=4 3>4=2 4>5=1"
            << "0 3 0 2 7"
            << "0 3 4 6 7"
            << "- 1- 2- 5";
        QTest::newRow("zero durations") << "3: 1>2=0 2>3=0"
                                        << "0 0 0"
                                        << "0 0 0"
                                        << "- 1- 2- 3";
        QTest::newRow("fractional durations") << "3: 1>2=0.1 1>3=0.3 2>3=0.2"
                                              << "0 0.1 0.3"
                                              << "0 0.1 0.3"
                                              << "- 1- 2- 3";
    }

    void scenarios()
    {
        QFETCH(QString, network);
        QFETCH(QString, earliest);
        QFETCH(QString, latest);
        QFETCH(QString, criticalPath);
        const Project project = buildProject(network);
        const ScheduleResults r = ComputeSchedule(project);
        QCOMPARE(r.eventCount, project.eventCount());
        QCOMPARE(join(r.earliest), earliest);
        QCOMPARE(join(r.latest), latest);
        QCOMPARE(r.criticalPath, criticalPath);
        for (int e = 1; e <= r.eventCount; ++e)
            QCOMPARE(r.isCritical(e), criticalPath.contains(QStringLiteral("- %1").arg(e) + "-") ||
                                          criticalPath.endsWith(QStringLiteral("- %1").arg(e)));
    }

    void linkFloats()
    {
        const ScheduleResults r = ComputeSchedule(buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1 4>1=3"));
        QCOMPARE(r.linkFloatAt(1, 1), 0.0);
        QCOMPARE(r.linkFloatAt(1, 2), 3.0);
        QCOMPARE(r.linkFloatAt(2, 1), 0.0);
        QCOMPARE(r.linkFloatAt(3, 1), 3.0);
        // The final event's own link is not an activity: it has no float.
        QCOMPARE(r.linkFloatAt(4, 1), 0.0);
        QCOMPARE(r.linkFloatAt(1, 3), 0.0);
    }

    void activityFloats_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("slot");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("free");
        QTest::addColumn<double>("independent");
        // Earliest 0 2 6 6 26, latest 0 3 6 22 26; event 2's slots are 2→4, then 2→3.
        const QString net = "5: 1>2=2 1>3=6 1>4=6 2>4=2 2>3=3 3>5=20 4>5=4";
        QTest::newRow("critical activity has no float of any kind")
            << net << 1 << 2 << 0.0 << 0.0 << 0.0;
        QTest::newRow("total float shared with the next activity, none free")
            << net << 1 << 1 << 1.0 << 0.0 << 0.0;
        QTest::newRow("free float lost when the predecessor starts late")
            << net << 2 << 2 << 1.0 << 1.0 << 0.0;
        QTest::newRow("total, free and independent all differ")
            << net << 2 << 1 << 18.0 << 2.0 << 1.0;
        QTest::newRow("into the final event: free equals total")
            << net << 4 << 1 << 16.0 << 16.0 << 0.0;
        QTest::newRow("slot beyond the links") << net << 2 << 3 << 0.0 << 0.0 << 0.0;
    }

    void activityFloats()
    {
        QFETCH(QString, network);
        QFETCH(int, event);
        QFETCH(int, slot);
        QFETCH(double, total);
        QFETCH(double, free);
        QFETCH(double, independent);
        const ScheduleResults r = ComputeSchedule(buildProject(network));
        QCOMPARE(r.linkFloatAt(event, slot), total);
        QCOMPARE(r.linkFreeFloatAt(event, slot), free);
        QCOMPARE(r.linkIndependentFloatAt(event, slot), independent);
    }

    void predecessors()
    {
        const ScheduleResults r =
            ComputeSchedule(buildProject("4: 1>4=1 1>2=1 2>4=1 3>4=1 1>3=1 1>3=2"));
        QCOMPARE(r.predecessors[4], (std::vector<int>{1, 2, 3}));
        QCOMPARE(r.predecessors[3], (std::vector<int>{1, 1}));
        QCOMPARE(r.predecessor(4, 2), 2);
        QCOMPARE(r.predecessor(4, 4), 0);
        QVERIFY(r.predecessors[1].empty());
    }

    void dates_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("earliestDates");
        QTest::addColumn<QString>("latestDates");
        QTest::newRow("31 days from the first scroll day") << "01/01/1990"
                                                           << "2: 1>2=31"
                                                           << "01/01/1990 01/02/1990"
                                                           << "01/01/1990 01/02/1990";
        QTest::newRow("across 29 February of a leap year") << "28/02/2028"
                                                           << "3: 1>2=1 2>3=1"
                                                           << "28/02/2028 29/02/2028 01/03/2028"
                                                           << "28/02/2028 29/02/2028 01/03/2028";
        QTest::newRow("no 29 February in a common year") << "28/02/2027"
                                                         << "2: 1>2=1"
                                                         << "28/02/2027 01/03/2027"
                                                         << "28/02/2027 01/03/2027";
        QTest::newRow("across the year end") << "20/12/2026"
                                             << "3: 1>2=12 1>3=20"
                                             << "20/12/2026 01/01/2027 09/01/2027"
                                             << "20/12/2026 09/01/2027 09/01/2027";
        QTest::newRow("single event keeps the start date") << "07/12/2026"
                                                           << "1"
                                                           << "07/12/2026"
                                                           << "07/12/2026";
        QTest::newRow("fractional days round to the nearest day")
            << "01/01/2027"
            << "3: 1>2=2.4 2>3=0.2"
            << "01/01/2027 03/01/2027 04/01/2027"
            << "01/01/2027 03/01/2027 04/01/2027";
        QTest::newRow("second start: event 1 may occur later than the start")
            << "10/01/2027"
            << "3: 1>3=1 2>3=5"
            << "10/01/2027 10/01/2027 15/01/2027"
            << "14/01/2027 10/01/2027 15/01/2027";
    }

    void dates()
    {
        QFETCH(QString, start);
        QFETCH(QString, network);
        QFETCH(QString, earliestDates);
        QFETCH(QString, latestDates);
        const ScheduleResults r = ComputeSchedule(buildProject(network, start));
        QCOMPARE(join(r.earliestDate), earliestDates);
        QCOMPARE(join(r.latestDate), latestDates);
    }

    void progressWraps()
    {
        QString net = "500:";
        for (int i = 1; i < 500; ++i)
            net += QStringLiteral(" %1>%2=1").arg(i).arg(i + 1);
        int calls = 0;
        int maximum = -1;
        ComputeSchedule(buildProject(net), [&](int value) {
            ++calls;
            maximum = std::max(maximum, value);
            QVERIFY(value >= 0 && value < 1000);
        });
        QCOMPARE(calls, 1000);
        QCOMPARE(maximum, 999);
    }
};

QTEST_GUILESS_MAIN(TestSchedule)
#include "test_schedule.moc"
