#include "exchange/task_network.h"
#include "schedule/schedule.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace zant;

namespace {

// Early starts by the critical path method on the tasks themselves, independently of events.
std::vector<double> taskEarlyStarts(const std::vector<NetworkTask>& tasks,
                                    const std::vector<NetworkTaskLink>& links)
{
    std::vector<double> start(tasks.size(), 0.0);
    // Bellman-Ford style relaxation: the networks are acyclic and small.
    for (std::size_t round = 0; round <= tasks.size(); ++round) {
        bool changed = false;
        for (const NetworkTaskLink& l : links) {
            const double candidate = start[l.predecessor] + tasks[l.predecessor].days + l.lagDays;
            if (candidate > start[l.successor]) {
                start[l.successor] = candidate;
                changed = true;
            }
        }
        if (!changed)
            break;
    }
    return start;
}

// Tasks and links from "A=3 B=2 C=0 | A>C B>C+2": name=days, then pred>succ[+lag].
void parse(const QString& text, std::vector<NetworkTask>& tasks,
           std::vector<NetworkTaskLink>& links)
{
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList names;
    for (const QString& t : parts[0].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList nd = t.split(QLatin1Char('='));
        names << nd[0];
        tasks.push_back({nd[0], nd[1].toDouble(), nd[0].startsWith(QLatin1Char('M'))});
    }
    if (parts.size() < 2)
        return;
    for (const QString& l : parts[1].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList pl = l.split(QLatin1Char('+'));
        const QStringList ps = pl[0].split(QLatin1Char('>'));
        links.push_back({static_cast<int>(names.indexOf(ps[0])),
                         static_cast<int>(names.indexOf(ps[1])),
                         pl.size() > 1 ? pl[1].toDouble() : 0.0});
    }
}

// What every converted network must satisfy, whatever its shape.
void verify(const std::vector<NetworkTask>& tasks, const std::vector<NetworkTaskLink>& links,
            const EventNetwork& net)
{
    const Project& p = net.project;
    const int n = p.eventCount();
    QVERIFY(n >= 2 || tasks.size() == 1);
    for (int i = 1; i <= n; ++i) {
        QVERIFY2(!p.description(i).isEmpty(), qPrintable(QString::number(i)));
        if (i < n)
            QVERIFY2(p.linkCount(i) > 0,
                     qPrintable(QStringLiteral("event %1 leads nowhere").arg(i)));
        for (int s = 1; s <= p.linkCount(i); ++s)
            QVERIFY(p.link(i, s).target > i);
    }
    QCOMPARE(p.linkCount(n), 0);
    // Only event 1 has no incoming link.
    std::vector<int> incoming(n + 1, 0);
    for (int i = 1; i <= n; ++i)
        for (int s = 1; s <= p.linkCount(i); ++s)
            ++incoming[p.link(i, s).target];
    for (int i = 2; i <= n; ++i)
        QVERIFY(incoming[i] > 0);

    Project dated = p;
    dated.setStartDateText(QStringLiteral("01/01/2030"));
    const ScheduleResults r = ComputeSchedule(dated);
    const std::vector<double> expected = taskEarlyStarts(tasks, links);
    for (std::size_t t = 0; t < tasks.size(); ++t) {
        QVERIFY2(qFuzzyCompare(1.0 + r.earliest[net.taskStartEvent[t]], 1.0 + expected[t]),
                 qPrintable(QStringLiteral("task %1: %2 instead of %3")
                                .arg(tasks[t].name)
                                .arg(r.earliest[net.taskStartEvent[t]])
                                .arg(expected[t])));
        if (!tasks[t].milestone) {
            // The task is an activity of its own between its events.
            bool found = false;
            const int a = net.taskStartEvent[t];
            for (int s = 1; s <= p.linkCount(a); ++s)
                found = found || (p.link(a, s).target == net.taskEndEvent[t] &&
                                  p.link(a, s).days == tasks[t].days);
            QVERIFY2(found, qPrintable(tasks[t].name));
        }
    }
    // No two links join the same pair of events.
    for (int i = 1; i <= n; ++i) {
        std::vector<int> targets;
        for (int s = 1; s <= p.linkCount(i); ++s)
            targets.push_back(p.link(i, s).target);
        std::sort(targets.begin(), targets.end());
        QVERIFY(std::adjacent_find(targets.begin(), targets.end()) == targets.end());
    }
}

} // namespace

class TestTaskNetwork final : public QObject
{
    Q_OBJECT

private slots:
    void shapes_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("dummies");

        QTest::newRow("single task") << "A=4" << 2 << 0;
        QTest::newRow("chain merges ends into starts") << "A=1 B=2 C=3 | A>B B>C" << 4 << 0;
        QTest::newRow("two independent tasks need one dummy") << "A=1 B=2" << 3 << 1;
        QTest::newRow("fork and join") << "A=1 B=2 C=3 D=1 | A>B A>C B>D C>D" << 5 << 1;
        QTest::newRow("two tasks both before two tasks")
            << "A=1 B=2 C=3 D=4 | A>C A>D B>C B>D" << 5 << 2;
        QTest::newRow("the classic N needs one dummy") << "A=2 B=3 C=4 D=5 | A>C B>C B>D" << 4 << 1;
        QTest::newRow("milestones become events")
            << "M1=0 A=3 B=4 M2=0 | M1>A M1>B A>M2 B>M2" << 3 << 1;
        QTest::newRow("a lag is an activity of its own") << "A=2 B=3 | A>B+5" << 4 << 0;
        QTest::newRow("implied link left out") << "A=1 B=1 C=1 | A>B B>C A>C" << 4 << 0;
        QTest::newRow("duplicate links taken once, longest lag")
            << "A=1 B=1 | A>B+2 A>B+3 A>B" << 4 << 0;
    }
    void shapes()
    {
        QFETCH(QString, network);
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        parse(network, tasks, links);
        const auto built = buildEventNetwork(tasks, links);
        QVERIFY2(built.ok(), built.ok() ? "" : qPrintable(built.error().text));
        verify(tasks, links, built.value());
        QTEST(built.value().project.eventCount(), "events");
        QTEST(built.value().dummyCount, "dummies");
    }

    void eventsAreNamedAfterMilestonesThenTasks()
    {
        std::vector<NetworkTask> tasks{{QStringLiteral("Evento 1: Consegna"), 0, true},
                                       {QStringLiteral("1 → 2: Scavi"), 5},
                                       {QStringLiteral("Getto \"a\" fine"), 2}};
        std::vector<NetworkTaskLink> links{{0, 1, 0}, {1, 2, 0}};
        const auto built = buildEventNetwork(tasks, links);
        QVERIFY(built.ok());
        const Project& p = built.value().project;
        QCOMPARE(p.eventCount(), 3);
        QCOMPARE(p.description(1), QStringLiteral("Consegna"));
        QCOMPARE(p.description(2), QStringLiteral("Scavi"));
        QCOMPARE(p.description(3), QStringLiteral("Getto \"a\" fine"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("message");
        QTest::newRow("cycle names its tasks")
            << "A=1 B=1 C=1 | A>B B>C C>A"
            << "I legami delle attività «A», «B» e «C» formano un ciclo";
        QTest::newRow("task linked to itself") << "A=1 | A>A"
                                               << "«A» è legata a sé stessa";
        QTest::newRow("no tasks") << ""
                                  << "Non ci sono attività";
    }
    void refusals()
    {
        QFETCH(QString, network);
        QFETCH(QString, message);
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        if (!network.isEmpty())
            parse(network, tasks, links);
        const auto built = buildEventNetwork(tasks, links);
        QVERIFY(!built.ok());
        QVERIFY2(built.error().text.contains(message), qPrintable(built.error().text));
    }

    void tooManyEventsRefused()
    {
        // A chain of 500 tasks needs 501 events.
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        for (int t = 0; t < 500; ++t) {
            tasks.push_back({QStringLiteral("T%1").arg(t), 1});
            if (t > 0)
                links.push_back({t - 1, t, 0});
        }
        auto built = buildEventNetwork(tasks, links);
        QVERIFY(!built.ok());
        QVERIFY2(built.error().text.contains(QStringLiteral("servono 501 eventi")),
                 qPrintable(built.error().text));
        tasks.pop_back();
        links.pop_back();
        built = buildEventNetwork(tasks, links);
        QVERIFY(built.ok());
        QCOMPARE(built.value().project.eventCount(), 500);
    }

    // Random layered task networks, with milestones, lags and links that skip layers: the
    // early start of every task read from its start event equals the CPM on the tasks.
    void generatedNetworksKeepEarlyStarts_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("taskCount");
        QTest::addColumn<int>("linkPercent");
        for (int variant = 1; variant <= 40; ++variant)
            QTest::addRow("variant %d", variant)
                << variant << 5 + variant * 3 << 10 + variant % 5 * 10;
    }
    void generatedNetworksKeepEarlyStarts()
    {
        QFETCH(int, variant);
        QFETCH(int, taskCount);
        QFETCH(int, linkPercent);
        QRandomGenerator random(static_cast<quint32>(variant));
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        for (int t = 0; t < taskCount; ++t) {
            const int kind = random.bounded(10);
            const double days = kind == 0 ? 0.0 : kind == 1 ? 0.5 : random.bounded(1, 30);
            tasks.push_back(
                {QStringLiteral("T%1").arg(t), days, kind == 0 && random.bounded(2) == 0});
        }
        // Links only from lower to higher index keep the network acyclic; shuffle the order.
        for (int a = 0; a < taskCount; ++a) {
            for (int b = a + 1; b < taskCount; ++b) {
                if (random.bounded(100) < linkPercent * 3 / (b - a + 2)) {
                    const double lag = random.bounded(8) == 0 ? random.bounded(1, 10) : 0.0;
                    links.push_back({a, b, lag});
                }
            }
        }
        const auto built = buildEventNetwork(tasks, links);
        QVERIFY2(built.ok(), built.ok() ? "" : qPrintable(built.error().text));
        verify(tasks, links, built.value());
    }
};

QTEST_GUILESS_MAIN(TestTaskNetwork)
#include "test_task_network.moc"
