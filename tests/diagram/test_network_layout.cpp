#include "diagram/network_layout.h"
#include "model/data_check.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "support/project_builder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

using namespace zant;
using zant::test::buildProject;

namespace {

// A random acyclic network of n events whose numbers do not follow the order of the network:
// event 1 starts it and event n ends it, the others are shuffled. Every event but the last
// links to one to three events after it in that order; durations minDays..maxDays.
QString randomNetwork(int n, unsigned variant, int minDays, int maxDays, int maxLinks = 3)
{
    std::mt19937 engine(variant);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin() + 1, order.end() - 1, engine);
    QStringList links;
    for (int i = 0; i + 1 < n; ++i) {
        const int count = 1 + static_cast<int>(engine() % maxLinks);
        for (int c = 0; c < count; ++c) {
            const int span = std::min(n - 1 - i, 6);
            const int j = i + 1 + static_cast<int>(engine() % span);
            const int days = minDays + static_cast<int>(engine() % (maxDays - minDays + 1));
            links << QStringLiteral("%1>%2=%3").arg(order[i]).arg(order[j]).arg(days);
        }
    }
    return QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' '));
}

QString chain(int n)
{
    QStringList links;
    for (int i = 1; i < n; ++i)
        links << QStringLiteral("%1>%2=%3").arg(i).arg(i + 1).arg(6 + i % 4);
    return QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' '));
}

QString fan(int n)
{
    QStringList links;
    for (int k = 2; k < n; ++k)
        links << QStringLiteral("1>%1=%2").arg(k).arg(6 + k);
    for (int k = 2; k < n; ++k)
        links << QStringLiteral("%1>%2=%3").arg(k).arg(n).arg(20 - k % 7);
    return QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' '));
}

QString diamonds(int count)
{
    QStringList links;
    int e = 1;
    for (int d = 0; d < count; ++d) {
        links << QStringLiteral("%1>%2=%3").arg(e).arg(e + 1).arg(8 + d)
              << QStringLiteral("%1>%2=%3").arg(e).arg(e + 2).arg(12)
              << QStringLiteral("%1>%2=%3").arg(e + 1).arg(e + 3).arg(9)
              << QStringLiteral("%1>%2=%3").arg(e + 2).arg(e + 3).arg(7 + d);
        e += 3;
    }
    return QStringLiteral("%1: ").arg(e) + links.join(QLatin1Char(' '));
}

struct Computed
{
    Project project;
    ScheduleResults results;
};

Computed compute(const QString& network)
{
    Computed c{buildProject(network), {}};
    if (auto fault = findDataFault(c.project))
        qFatal("bad test network %s: %s", qPrintable(network), qPrintable(fault->text));
    c.results = ComputeSchedule(c.project);
    return c;
}

// Longest chain of activities from event 1, computed the slow way.
int rankOf(const Project& p, int event, std::vector<int>& memo)
{
    if (memo[event] >= 0)
        return memo[event];
    int best = 0;
    for (int i = 1; i <= p.eventCount(); ++i)
        for (int s = 1; s <= p.linkCount(i); ++s)
            if (p.link(i, s).target == event)
                best = std::max(best, rankOf(p, i, memo) + 1);
    return memo[event] = best;
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double distanceToSegment(QPointF c, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(c - a, d) / len2, 0.0, 1.0) : 0.0;
    return distance(c, a + d * t);
}

} // namespace

class TestNetworkLayout final : public QObject
{
    Q_OBJECT

private slots:
    void invariants_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<int>("mode");
        for (int mode : {int(LayoutMode::TimeScale), int(LayoutMode::Levels)}) {
            const char* m = mode == int(LayoutMode::Levels) ? "levels" : "time scale";
            const auto row = [&](const char* name, const QString& network) {
                QTest::addRow("%s, %s", name, m) << network << mode;
            };
            row("single activity", QStringLiteral("2: 1>2=5"));
            row("chain of 12", chain(12));
            row("fan of 15", fan(15));
            row("five diamonds", diamonds(5));
            row("parallel activities",
                QStringLiteral("4: 1>2=6 1>2=9 1>2=14 2>3=8 2>3=8 3>4=7 1>4=10"));
            row("zero durations", QStringLiteral("6: 1>2=0 1>3=5 2>3=0 3>4=0 2>5=7 4>6=6 5>6=0"));
            row("random 30 in shuffled numbering", randomNetwork(30, 7, 6, 40));
            row("random 60 with zero durations", randomNetwork(60, 11, 0, 25));
            row("random 120, dense", randomNetwork(120, 3, 1, 60, 4));
            // Random networks of 20 to 109 events, some with very short activities.
            for (unsigned variant = 100; variant < 160; ++variant)
                QTest::addRow("random %u, variant %u, %s", 20 + variant % 90, variant, m)
                    << randomNetwork(20 + variant % 90, variant, variant % 3, 5 + variant % 50,
                                     1 + variant % 4)
                    << mode;
        }
    }

    void invariants()
    {
        QFETCH(QString, network);
        QFETCH(int, mode);
        const Computed c = compute(network);
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode(mode));
        const int n = c.project.eventCount();
        const double r = layout.metrics.radius;

        // Every event once, in number order, inside the picture.
        QCOMPARE(int(layout.events.size()), n);
        for (int e = 1; e <= n; ++e) {
            const LaidOutEvent& ev = layout.eventAt(e);
            QCOMPARE(ev.event, e);
            QVERIFY(ev.centre.x() - r >= 0 && ev.centre.x() + r <= layout.width);
            QVERIFY(ev.centre.y() - r >= 0 && ev.centre.y() + r <= layout.height);
        }
        // No two circles overlap.
        for (int a = 1; a <= n; ++a)
            for (int b = a + 1; b <= n; ++b)
                QVERIFY2(distance(layout.eventAt(a).centre, layout.eventAt(b).centre) >= 2 * r,
                         qPrintable(QStringLiteral("events %1 and %2 overlap").arg(a).arg(b)));

        // Every activity once, joining its own two circles, x never decreasing, and passing
        // through no other circle.
        QStringList through;
        int links = 0;
        for (int e = 1; e <= n; ++e)
            links += c.project.linkCount(e);
        QCOMPARE(int(layout.activities.size()), links);
        for (const LaidOutActivity& a : layout.activities) {
            const QString name =
                QStringLiteral("%1 → %2 (slot %3)").arg(a.from).arg(a.to).arg(a.slot);
            QCOMPARE(c.project.link(a.from, a.slot).target, a.to);
            QVERIFY2(a.points.size() >= 2, qPrintable(name));
            QVERIFY2(std::abs(distance(a.points.front(), layout.eventAt(a.from).centre) - r) < 0.01,
                     qPrintable(name));
            QVERIFY2(std::abs(distance(a.points.back(), layout.eventAt(a.to).centre) - r) < 0.01,
                     qPrintable(name));
            for (size_t i = 1; i < a.points.size(); ++i) {
                QVERIFY2(a.points[i].x() >= a.points[i - 1].x() - 1e-6, qPrintable(name));
                for (const LaidOutEvent& ev : layout.events) {
                    if (ev.event == a.from || ev.event == a.to)
                        continue;
                    if (distanceToSegment(ev.centre, a.points[i - 1], a.points[i]) < r) {
                        through << name + QStringLiteral(" through event %1").arg(ev.event);
                        break;
                    }
                }
            }
            QCOMPARE(a.critical, isZeroFloat(c.results.linkFloatAt(a.from, a.slot)));
        }

        QVERIFY2(through.isEmpty(), qPrintable(through.join(", ")));

        // The critical path from event 1 to the final event on one horizontal line.
        QVERIFY(!layout.criticalLine.empty());
        QCOMPARE(c.results.earliest[layout.criticalLine.front()], 0.0);
        QCOMPARE(layout.criticalLine.back(), n);
        for (int e : layout.criticalLine) {
            QVERIFY(c.results.isCritical(e));
            QCOMPARE(layout.eventAt(e).centre.y(), layout.criticalY);
        }

        // Parallel activities follow curves of their own.
        for (size_t i = 0; i < layout.activities.size(); ++i)
            for (size_t j = i + 1; j < layout.activities.size(); ++j) {
                const auto& a = layout.activities[i];
                const auto& b = layout.activities[j];
                if (a.from == b.from && a.to == b.to)
                    QVERIFY(a.points != b.points);
            }

        // Levels: x is the rank. Time scale: x grows with the earliest time, in proportion when
        // no step of the critical path had to be stretched.
        std::vector<int> memo(n + 1, -1);
        for (int e = 1; e <= n; ++e) {
            const LaidOutEvent& ev = layout.eventAt(e);
            if (mode == int(LayoutMode::Levels)) {
                // An event no activity leads to stands just before its first successor.
                int firstSuccessor = std::numeric_limits<int>::max();
                bool hasPredecessor = false;
                for (const LaidOutActivity& a : layout.activities) {
                    if (a.from == e)
                        firstSuccessor = std::min(firstSuccessor, layout.eventAt(a.to).level);
                    hasPredecessor = hasPredecessor || a.to == e;
                }
                if (e == 1 || hasPredecessor)
                    QCOMPARE(ev.level, rankOf(c.project, e, memo));
                else
                    QCOMPARE(ev.level, std::max(0, firstSuccessor - 1));
                QCOMPARE(ev.centre.x(),
                         layout.metrics.margin + r + ev.level * layout.metrics.levelWidth);
            }
        }
        if (mode == int(LayoutMode::TimeScale)) {
            for (int a = 1; a <= n; ++a)
                for (int b = 1; b <= n; ++b)
                    if (c.results.earliest[a] < c.results.earliest[b] - 1e-9)
                        QVERIFY(layout.eventAt(a).centre.x() <= layout.eventAt(b).centre.x());
        }

        // The chosen ordering never draws more crossings than the plain event order.
        const NetworkLayout baseline =
            layoutNetwork(c.project, c.results, LayoutMode(mode), LayoutOrdering::EventNumber);
        QVERIFY(countCrossings(layout) <= countCrossings(baseline));
    }

    void timeScaleIsProportional_data()
    {
        QTest::addColumn<QString>("network");
        QTest::newRow("chain") << chain(10);
        QTest::newRow("fan") << fan(12);
        QTest::newRow("diamonds") << diamonds(4);
        QTest::newRow("random, long durations") << randomNetwork(40, 5, 8, 30);
    }

    void timeScaleIsProportional()
    {
        QFETCH(QString, network);
        const Computed c = compute(network);
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode::TimeScale);
        QVERIFY(layout.unitsPerDay > 0);
        for (const LaidOutEvent& ev : layout.events)
            QVERIFY2(std::abs(ev.centre.x() - (layout.originX + c.results.earliest[ev.event] *
                                                                    layout.unitsPerDay)) < 1e-6,
                     qPrintable(QString::number(ev.event)));
    }

    void freeFloatIsDotted()
    {
        // 1 → 3 takes 4 days but 3 is reached only on day 10: six days of free float.
        const Computed c = compute(QStringLiteral("3: 1>2=6 1>3=4 2>3=4"));
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode::TimeScale);
        for (const LaidOutActivity& a : layout.activities) {
            if (a.from == 1 && a.to == 3) {
                const double reach = layout.eventAt(1).centre.x() + 4 * layout.unitsPerDay;
                QCOMPARE(a.floatFromX, reach);
            } else {
                QCOMPARE(a.floatFromX, -1.0);
            }
        }
    }

    void crossingsAreCounted()
    {
        // Two straight arrows forming an X, and a layout with none.
        NetworkLayout layout;
        layout.width = 200;
        layout.height = 200;
        LaidOutActivity a;
        a.points = {QPointF(0, 0), QPointF(100, 100)};
        LaidOutActivity b;
        b.points = {QPointF(0, 100), QPointF(100, 0)};
        LaidOutActivity parallel;
        parallel.points = {QPointF(0, 150), QPointF(100, 150)};
        layout.activities = {a, b, parallel};
        QCOMPARE(countCrossings(layout), 1);
        layout.activities = {a, parallel};
        QCOMPARE(countCrossings(layout), 0);
    }

    void exampleHasFewCrossings()
    {
        auto file =
            readProjectFile(QStringLiteral(ZANT_EXAMPLES_DIR "/ZANT-dati-esempio-magazzino.txt"));
        QVERIFY(file.ok());
        const ScheduleResults results = ComputeSchedule(file.value().project);
        for (LayoutMode mode : {LayoutMode::TimeScale, LayoutMode::Levels}) {
            const NetworkLayout layout = layoutNetwork(file.value().project, results, mode);
            const NetworkLayout baseline =
                layoutNetwork(file.value().project, results, mode, LayoutOrdering::EventNumber);
            qInfo("crossings on the example, %s: %d (event order: %d)",
                  qPrintable(layoutModeName(mode)), countCrossings(layout),
                  countCrossings(baseline));
            QVERIFY(countCrossings(layout) <= countCrossings(baseline));
        }
    }

    void jsonDescribesTheLayout()
    {
        const Computed c = compute(QStringLiteral("3: 1>2=6 1>3=4 2>3=4"));
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode::Levels);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(layoutToJson(layout).toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject o = doc.object();
        QCOMPARE(o.value("mode").toString(), QStringLiteral("livelli"));
        QCOMPARE(o.value("events").toArray().size(), 3);
        QCOMPARE(o.value("activities").toArray().size(), 3);
        const QJsonObject first = o.value("activities").toArray().first().toObject();
        QCOMPARE(first.value("from").toInt(), 1);
        QCOMPARE(first.value("to").toInt(), 2);
        QCOMPARE(first.value("critical").toBool(), true);
        const QJsonArray start = first.value("points").toArray().first().toArray();
        const QJsonObject e1 = o.value("events").toArray().first().toObject();
        QCOMPARE(std::hypot(start[0].toDouble() - e1.value("x").toDouble(),
                            start[1].toDouble() - e1.value("y").toDouble()),
                 e1.value("r").toDouble());
    }

    void largeNetworkShowsCriticalPathOnly()
    {
        QStringList links;
        const int n = 60;
        for (int i = 1; i < n; ++i)
            for (int k = i + 1; k <= n; ++k)
                for (int s = 0; s < 4; ++s)
                    links << QStringLiteral("%1>%2=%3")
                                 .arg(i)
                                 .arg(k)
                                 .arg((i * 7 + k * 3 + s) % 50 + 1);
        const Computed c = compute(QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' ')));
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode::TimeScale);
        QVERIFY(links.size() > kFullDrawingActivityLimit);
        QVERIFY(layout.summaryOnly);
        QCOMPARE(layout.activityCount, int(links.size()));
        QVERIFY(!layout.activities.empty());
        for (const LaidOutActivity& a : layout.activities)
            QVERIFY(a.critical);
        QCOMPARE(int(layout.events.size()), n);
    }
};

QTEST_GUILESS_MAIN(TestNetworkLayout)
#include "test_network_layout.moc"
