#include "diagram/network_layout.h"
#include "model/data_check.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "support/project_builder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPolygonF>
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

// Links between any two events: a random order of the events (1 first, n last), each event
// linked to one of the next few in that order, then random pairs anywhere in it.
QString anyTwoNetwork(int n, int links, unsigned variant, int maxDays)
{
    std::mt19937 engine(variant);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin() + 1, order.end() - 1, engine);
    QStringList out;
    const auto link = [&](int i, int j) {
        const int days = static_cast<int>(engine() % (maxDays + 1));
        out << QStringLiteral("%1>%2=%3").arg(order[i]).arg(order[j]).arg(days);
    };
    for (int i = 0; i + 1 < n; ++i)
        link(i, i + 1 + static_cast<int>(engine() % std::min(n - 1 - i, 8)));
    while (out.size() < links) {
        int i = static_cast<int>(engine() % n);
        int j = static_cast<int>(engine() % n);
        if (i == j)
            continue;
        if (i > j)
            std::swap(i, j);
        link(i, j);
    }
    return QStringLiteral("%1: ").arg(n) + out.join(QLatin1Char(' '));
}

// Many events at one time: 0-day activities from a few events to many others, so that columns
// hold stacks of circles joined by arrows of no length.
QString sameTimeStacks(int groups, int size)
{
    QStringList links;
    const int n = 2 + groups * size;
    for (int g = 0; g < groups; ++g) {
        const int head = 2 + g * size;
        links << QStringLiteral("1>%1=%2").arg(head).arg(5 + g);
        for (int k = 1; k < size; ++k) {
            links << QStringLiteral("%1>%2=0").arg(head).arg(head + k);
            if (k + 1 < size)
                links << QStringLiteral("%1>%2=0").arg(head + k).arg(head + k + 1);
            links << QStringLiteral("%1>%2=%3").arg(head + k).arg(n).arg(3 + k % 4);
        }
        links << QStringLiteral("%1>%2=1").arg(head).arg(n);
    }
    return QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' '));
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

// Whether two segments run along one line over more than a point.
bool shareStretch(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const QPointF u = b - a;
    const double len = std::hypot(u.x(), u.y());
    if (len < 1e-9)
        return false;
    const auto offLine = [&](QPointF p) {
        return std::abs(u.x() * (p.y() - a.y()) - u.y() * (p.x() - a.x())) / len;
    };
    if (offLine(c) > 0.05 || offLine(d) > 0.05)
        return false;
    const auto along = [&](QPointF p) { return QPointF::dotProduct(p - a, u) / len; };
    const double lo = std::max(0.0, std::min(along(c), along(d)));
    const double hi = std::min(len, std::max(along(c), along(d)));
    return hi - lo > 0.5;
}

// The triangle of an arrow head, as the painter draws it at most.
QRectF headBox(const LaidOutActivity& a)
{
    const QPointF tip = a.points.back();
    const QPointF from = a.points[a.points.size() - 2];
    const QPointF d = tip - from;
    const double len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    const QPointF base = tip - u * 11.0;
    const QPointF n(-u.y() * 5.0, u.x() * 5.0);
    return QPolygonF({tip, base + n, base - n}).boundingRect();
}

bool rectMeetsCircle(const QRectF& r, QPointF c, double radius)
{
    const double x = std::clamp(c.x(), r.left(), r.right());
    const double y = std::clamp(c.y(), r.top(), r.bottom());
    return std::hypot(x - c.x(), y - c.y()) < radius;
}

class TestNetworkLayout final : public QObject
{
    Q_OBJECT

private slots:
    void invariants_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<int>("mode");
        // Every this-many activities has a name of its own (0: none).
        QTest::addColumn<int>("named");
        for (int mode : {int(LayoutMode::TimeScale), int(LayoutMode::Levels)}) {
            const char* m = mode == int(LayoutMode::Levels) ? "levels" : "time scale";
            const auto row = [&](const char* name, const QString& network, int named = 0) {
                QTest::addRow("%s, %s", name, m) << network << mode << named;
            };
            row("single activity", QStringLiteral("2: 1>2=5"));
            row("chain of 12", chain(12));
            row("fan of 15", fan(15));
            row("five diamonds", diamonds(5));
            row("parallel activities",
                QStringLiteral("4: 1>2=6 1>2=9 1>2=14 2>3=8 2>3=8 3>4=7 1>4=10"));
            row("zero durations", QStringLiteral("6: 1>2=0 1>3=5 2>3=0 3>4=0 2>5=7 4>6=6 5>6=0"));
            row("stacks of events at one time", sameTimeStacks(3, 5));
            row("one-day steps", QStringLiteral("7: 1>2=1 2>3=1 3>4=1 1>4=2 4>5=1 5>6=1 6>7=1 "
                                                "2>6=1 1>7=1"));
            row("random 30 in shuffled numbering", randomNetwork(30, 7, 6, 40));
            row("random 60 with zero durations", randomNetwork(60, 11, 0, 25));
            row("random 120, dense", randomNetwork(120, 3, 1, 60, 4));
            row("any two of 40, short", anyTwoNetwork(40, 120, 1, 10));
            row("any two of 60", anyTwoNetwork(60, 200, 2, 40));
            row("any two of 90, durations to 1000", anyTwoNetwork(90, 300, 3, 1000));
            row("named activities, zero durations",
                QStringLiteral("6: 1>2=0 1>3=5 2>3=0 3>4=0 2>5=7 4>6=6 5>6=0"), 2);
            row("named stacks", sameTimeStacks(3, 5), 3);
            row("any two of 60, every activity named", anyTwoNetwork(60, 200, 2, 40), 1);
            row("random 60, some named", randomNetwork(60, 11, 0, 25), 4);
            // Random networks of 20 to 64 events, some with very short activities.
            for (unsigned variant = 100; variant < 130; ++variant)
                QTest::addRow("random %u, variant %u, %s", 20 + variant % 45, variant, m)
                    << randomNetwork(20 + variant % 45, variant, variant % 3, 5 + variant % 50,
                                     1 + variant % 4)
                    << mode << 0;
            for (unsigned variant = 200; variant < 210; ++variant)
                QTest::addRow("any two, variant %u, %s", variant, m)
                    << anyTwoNetwork(20 + variant % 30, 3 * (20 + variant % 30), variant,
                                     variant % 2 ? 20 : 300)
                    << mode << 0;
        }
    }

    void invariants()
    {
        QFETCH(QString, network);
        QFETCH(int, mode);
        QFETCH(int, named);
        Computed c = compute(network);
        if (named > 0) {
            // Names short and long, some past what an arrow shows.
            static const QStringList names{QStringLiteral("Scavo"),
                                           QStringLiteral("Posa serramenti al piano terra"),
                                           QStringLiteral("Getto solaio"),
                                           QStringLiteral("Maturazione cls ≥ 28 gg, poi disarmo")};
            int index = 0;
            for (int e = 1; e <= c.project.eventCount(); ++e) {
                Event event = c.project.event(e);
                for (Link& link : event.links)
                    if (index++ % named == 0)
                        link.name = names[index % names.size()];
                c.project.setEvent(e, event);
            }
            c.results = ComputeSchedule(c.project);
        }
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode(mode));
        const int n = c.project.eventCount();
        const double r = layout.metrics.radius;

        // Every event once, in number order, inside the picture, no two circles overlapping.
        QCOMPARE(int(layout.events.size()), n);
        for (int e = 1; e <= n; ++e) {
            const LaidOutEvent& ev = layout.eventAt(e);
            QCOMPARE(ev.event, e);
            QVERIFY(ev.centre.x() - r >= 0 && ev.centre.x() + r <= layout.width);
            QVERIFY(ev.centre.y() - r >= 0 && ev.centre.y() + r <= layout.height);
        }
        for (int a = 1; a <= n; ++a)
            for (int b = a + 1; b <= n; ++b)
                QVERIFY2(distance(layout.eventAt(a).centre, layout.eventAt(b).centre) >= 2 * r,
                         qPrintable(QStringLiteral("events %1 and %2 overlap").arg(a).arg(b)));

        // Time scale: every centre exactly at its earliest time on one linear scale.
        if (mode == int(LayoutMode::TimeScale)) {
            QVERIFY(layout.unitsPerDay > 0);
            for (const LaidOutEvent& ev : layout.events)
                QVERIFY2(std::abs(ev.centre.x() - layout.xOfTime(c.results.earliest[ev.event])) <
                             1e-6,
                         qPrintable(QString::number(ev.event)));
        } else {
            for (const LaidOutEvent& ev : layout.events)
                QCOMPARE(ev.centre.x(), layout.xOfLevel(ev.level));
        }

        // Every activity once, from its own circle to its own circle, through no other circle,
        // x growing (but for a detour), with its duration as its solid length on the scale.
        QStringList faults;
        int links = 0;
        for (int e = 1; e <= n; ++e)
            links += c.project.linkCount(e);
        QCOMPARE(int(layout.activities.size()), links);
        int detours = 0;
        int flats = 0;
        for (const LaidOutActivity& a : layout.activities) {
            const QString name =
                QStringLiteral("%1 → %2 (slot %3)").arg(a.from).arg(a.to).arg(a.slot);
            QCOMPARE(c.project.link(a.from, a.slot).target, a.to);
            QCOMPARE(a.critical, isZeroFloat(c.results.linkFloatAt(a.from, a.slot)));
            QCOMPARE(a.dummy, c.project.link(a.from, a.slot).days == 0.0 &&
                                  c.project.link(a.from, a.slot).name.isEmpty());
            QVERIFY2(a.points.size() >= 2, qPrintable(name));
            const QPointF cs = layout.eventAt(a.from).centre;
            const QPointF ct = layout.eventAt(a.to).centre;
            QVERIFY2(std::abs(distance(a.points.front(), cs) - r) < 0.01, qPrintable(name));
            QVERIFY2(std::abs(distance(a.points.back(), ct) - r) < 0.01, qPrintable(name));
            detours += a.detour;
            for (size_t i = 1; i < a.points.size(); ++i) {
                if (!a.detour && a.points[i].x() < a.points[i - 1].x() - 1e-6)
                    faults << name + QStringLiteral(" turns back");
                for (const LaidOutEvent& ev : layout.events) {
                    if (ev.event != a.from && ev.event != a.to &&
                        distanceToSegment(ev.centre, a.points[i - 1], a.points[i]) < r) {
                        faults << name + QStringLiteral(" through event %1").arg(ev.event);
                        break;
                    }
                }
            }
            if (mode == int(LayoutMode::TimeScale) && !a.detour) {
                const double reach = cs.x() + a.days * layout.unitsPerDay;
                if (a.floatFromX >= 0) {
                    if (std::abs(a.floatFromX - std::max(reach, a.points.front().x())) > 1e-6)
                        faults << name + QStringLiteral(" solid part is not its duration");
                } else if (reach < std::min(a.points.back().x(), ct.x()) - 0.5 ||
                           reach > ct.x() + 1e-6) {
                    // No dotted part: the float would not show beyond the circle's rim (or, for
                    // an arrow entering from above or below, beside the event's time).
                    faults << name + QStringLiteral(" does not end at its time");
                }
            }
            flats += layout.eventAt(a.from).column == layout.eventAt(a.to).column;
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(", ")));
        // Only arrows between events of one column may turn back, and few of them.
        QVERIFY2(detours <= std::max(1, flats / 2),
                 qPrintable(QStringLiteral("%1 of %2").arg(detours).arg(flats)));

        // No two arrows share a stretch of line; no two leave or enter a circle at one point.
        struct Piece
        {
            QPointF a, b;
            int owner;
        };
        std::vector<Piece> pieces;
        for (int i = 0; i < int(layout.activities.size()); ++i) {
            const auto& pts = layout.activities[i].points;
            for (size_t j = 1; j < pts.size(); ++j)
                pieces.push_back({pts[j - 1], pts[j], i});
        }
        std::sort(pieces.begin(), pieces.end(), [](const Piece& x, const Piece& y) {
            return std::min(x.a.x(), x.b.x()) < std::min(y.a.x(), y.b.x());
        });
        for (size_t i = 0; i < pieces.size(); ++i) {
            const double right = std::max(pieces[i].a.x(), pieces[i].b.x());
            for (size_t j = i + 1;
                 j < pieces.size() && std::min(pieces[j].a.x(), pieces[j].b.x()) <= right; ++j) {
                if (pieces[i].owner != pieces[j].owner &&
                    shareStretch(pieces[i].a, pieces[i].b, pieces[j].a, pieces[j].b))
                    faults << QStringLiteral("shared stretch at %1,%2")
                                  .arg(pieces[j].a.x())
                                  .arg(pieces[j].a.y());
            }
        }
        std::vector<std::vector<QPointF>> ends(n + 1);
        for (const LaidOutActivity& a : layout.activities) {
            ends[a.from].push_back(a.points.front());
            ends[a.to].push_back(a.points.back());
        }
        for (int e = 1; e <= n; ++e)
            for (size_t i = 0; i < ends[e].size(); ++i)
                for (size_t j = i + 1; j < ends[e].size(); ++j)
                    if (distance(ends[e][i], ends[e][j]) < 0.5)
                        faults << QStringLiteral("two arrows meet event %1 at one point").arg(e);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 10).join(", ")));

        // Every duration written in a box of its own, clear of circles and arrow heads.
        std::vector<QRectF> heads;
        for (const LaidOutActivity& a : layout.activities)
            heads.push_back(headBox(a));
        for (size_t i = 0; i < layout.activities.size(); ++i) {
            const LaidOutActivity& a = layout.activities[i];
            const QRectF box = a.labelBox.adjusted(0.01, 0.01, -0.01, -0.01);
            QVERIFY(!a.labelBox.isEmpty());
            QVERIFY(a.label.endsWith(formatDays(a.days)));
            QVERIFY(a.labelBox.width() >= labelWidth(a.label, layout.metrics.labelFont));
            for (size_t j = i + 1; j < layout.activities.size(); ++j)
                if (box.intersects(layout.activities[j].labelBox))
                    faults << QStringLiteral("labels of %1 → %2 and %3 → %4 overlap")
                                  .arg(a.from)
                                  .arg(a.to)
                                  .arg(layout.activities[j].from)
                                  .arg(layout.activities[j].to);
            for (const LaidOutEvent& ev : layout.events)
                if (rectMeetsCircle(box, ev.centre, r))
                    faults << QStringLiteral("label of %1 → %2 on event %3")
                                  .arg(a.from)
                                  .arg(a.to)
                                  .arg(ev.event);
            for (const QRectF& head : heads)
                if (box.intersects(head))
                    faults << QStringLiteral("label of %1 → %2 on an arrow head")
                                  .arg(a.from)
                                  .arg(a.to);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 10).join(", ")));

        // The chosen order never draws more crossings than the plain order of the numbers.
        const NetworkLayout baseline =
            layoutNetwork(c.project, c.results, LayoutMode(mode), LayoutOrdering::EventNumber);
        QVERIFY(countCrossings(layout) <= countCrossings(baseline));
    }

    void criticalPathRunsOnOneLine_data()
    {
        QTest::addColumn<QString>("network");
        QTest::newRow("chain") << chain(10);
        QTest::newRow("diamonds") << diamonds(4);
        QTest::newRow("random") << randomNetwork(40, 5, 8, 30);
        QTest::newRow("any two") << anyTwoNetwork(50, 150, 9, 50);
    }

    void criticalPathRunsOnOneLine()
    {
        QFETCH(QString, network);
        const Computed c = compute(network);
        for (LayoutMode mode : {LayoutMode::TimeScale, LayoutMode::Levels}) {
            const NetworkLayout layout = layoutNetwork(c.project, c.results, mode);
            QVERIFY(!layout.criticalLine.empty());
            QCOMPARE(c.results.earliest[layout.criticalLine.front()], 0.0);
            QCOMPARE(layout.criticalLine.back(), c.project.eventCount());
            // Events of the line in columns of their own stand on it; so do its arrows.
            for (int e : layout.criticalLine)
                QVERIFY(c.results.isCritical(e));
            QCOMPARE(layout.eventAt(layout.criticalLine.front()).centre.y(), layout.criticalY);
            for (size_t i = 1; i < layout.criticalLine.size(); ++i) {
                const LaidOutEvent& a = layout.eventAt(layout.criticalLine[i - 1]);
                const LaidOutEvent& b = layout.eventAt(layout.criticalLine[i]);
                if (a.column != b.column)
                    QCOMPARE(b.centre.y(), layout.criticalY);
            }
        }
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

    void crossingsAreCounted_data()
    {
        using Arrows = QList<QPolygonF>;
        QTest::addColumn<Arrows>("arrows");
        QTest::addColumn<int>("crossings");
        const QPolygonF a{QPointF(0, 0), QPointF(100, 100)};
        const QPolygonF b{QPointF(0, 100), QPointF(100, 0)};
        const QPolygonF parallel{QPointF(0, 150), QPointF(100, 150)};
        QTest::newRow("an X") << Arrows{a, b, parallel} << 1;
        QTest::newRow("no crossing") << Arrows{a, parallel} << 0;
        // The X's meeting point is the x where a third arrow begins.
        QTest::newRow("X on a segment end")
            << Arrows{a, b, {QPointF(50, 300), QPointF(90, 310)}} << 1;
        // Two arrows leave one point, or one ends on the other: they touch, not cross.
        QTest::newRow("common start")
            << Arrows{{QPointF(0, 0), QPointF(100, 50)}, {QPointF(0, 0), QPointF(100, -50)}} << 0;
        QTest::newRow("T") << Arrows{{QPointF(0, 50), QPointF(50, 50)}, b} << 0;
        QTest::newRow("along one line")
            << Arrows{{QPointF(0, 0), QPointF(60, 0)}, {QPointF(30, 0), QPointF(90, 0)}} << 0;
        QTest::newRow("upright through two")
            << Arrows{{QPointF(50, -10), QPointF(50, 200)}, a, parallel} << 2;
        QTest::newRow("upright ending on one")
            << Arrows{{QPointF(50, 50), QPointF(50, 200)}, a, parallel} << 1;
        QTest::newRow("upright at a run's end")
            << Arrows{{QPointF(100, -10), QPointF(100, 200)}, a, parallel} << 0;
        // One arrow's own segments never count.
        QTest::newRow("one arrow turning back")
            << Arrows{{QPointF(0, 0), QPointF(100, 100), QPointF(100, 0), QPointF(0, 100)}} << 0;
        QTest::newRow("a path through a fence")
            << Arrows{{QPointF(0, 50), QPointF(20, 50), QPointF(40, 10), QPointF(200, 10)},
                      {QPointF(10, 0), QPointF(10, 100)},
                      {QPointF(30, 0), QPointF(30, 100)},
                      {QPointF(35, 0), QPointF(60, 100)}}
            << 3;
    }

    void crossingsAreCounted()
    {
        QFETCH(QList<QPolygonF>, arrows);
        QFETCH(int, crossings);
        NetworkLayout layout;
        layout.width = 400;
        layout.height = 400;
        for (const QPolygonF& arrow : arrows) {
            LaidOutActivity activity;
            activity.points.assign(arrow.begin(), arrow.end());
            layout.activities.push_back(activity);
        }
        QCOMPARE(countCrossings(layout), crossings);
    }

    // The sweep counts what testing every pair of segments counts, on real drawings.
    void crossingsMatchEveryPairTested_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<int>("mode");
        QTest::newRow("random, time scale") << randomNetwork(60, 4, 0, 30) << 0;
        QTest::newRow("random, levels") << randomNetwork(60, 4, 0, 30) << 1;
        QTest::newRow("any two, time scale") << anyTwoNetwork(80, 280, 12, 400) << 0;
        QTest::newRow("any two, levels") << anyTwoNetwork(80, 280, 12, 400) << 1;
        QTest::newRow("stacks, time scale") << sameTimeStacks(4, 6) << 0;
        QTest::newRow("stacks, levels") << sameTimeStacks(4, 6) << 1;
    }

    void crossingsMatchEveryPairTested()
    {
        QFETCH(QString, network);
        QFETCH(int, mode);
        const Computed c = compute(network);
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode(mode));
        const auto side = [](QPointF o, QPointF a, QPointF b) {
            const double v = (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
            return v > 1e-7 ? 1 : v < -1e-7 ? -1 : 0;
        };
        int expected = 0;
        const auto& acts = layout.activities;
        for (size_t i = 0; i < acts.size(); ++i)
            for (size_t j = i + 1; j < acts.size(); ++j)
                for (size_t s = 1; s < acts[i].points.size(); ++s)
                    for (size_t t = 1; t < acts[j].points.size(); ++t) {
                        const QPointF p = acts[i].points[s - 1], q = acts[i].points[s];
                        const QPointF u = acts[j].points[t - 1], v = acts[j].points[t];
                        if (side(p, q, u) * side(p, q, v) < 0 && side(u, v, p) * side(u, v, q) < 0)
                            ++expected;
                    }
        QCOMPARE(countCrossings(layout), expected);
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
        QVERIFY(std::abs(std::hypot(start[0].toDouble() - e1.value("x").toDouble(),
                                    start[1].toDouble() - e1.value("y").toDouble()) -
                         e1.value("r").toDouble()) < 0.01);
    }

    void largeNetworkShowsTheCriticalPathOnly_data()
    {
        QTest::addColumn<bool>("allCritical");
        QTest::newRow("a few critical activities") << false;
        QTest::newRow("every activity critical") << true;
    }

    void largeNetworkShowsTheCriticalPathOnly()
    {
        QFETCH(bool, allCritical);
        QStringList links;
        const int n = 60;
        for (int i = 1; i < n; ++i)
            for (int k = i + 1; k <= n; ++k)
                for (int s = 0; s < 4; ++s)
                    links << QStringLiteral("%1>%2=%3")
                                 .arg(i)
                                 .arg(k)
                                 .arg(allCritical ? 5 * (k - i) : (i * 7 + k * 3 + s) % 50 + 1);
        const Computed c = compute(QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' ')));
        const NetworkLayout layout = layoutNetwork(c.project, c.results, LayoutMode::TimeScale);
        QVERIFY(links.size() > kFullDrawingActivityLimit);
        QVERIFY(layout.summaryOnly);
        QCOMPARE(layout.activityCount, int(links.size()));
        QCOMPARE(int(layout.events.size()), n);
        // One arrow for each step of the line, however many activities are critical.
        QCOMPARE(int(layout.activities.size()), int(layout.criticalLine.size()) - 1);
        for (const LaidOutActivity& a : layout.activities)
            QVERIFY(a.critical);
    }

    // Networks whose long arrows pass through hundreds of columns get the reduced ordering effort
    // of large networks and no comparison with the plain order afterwards: the sweeps alone must
    // still cross far less, and every event keep its place on the scale.
    void largeNetworkOrderingBeatsThePlainOrder_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("time scale") << int(LayoutMode::TimeScale);
        QTest::newRow("levels") << int(LayoutMode::Levels);
    }

    void largeNetworkOrderingBeatsThePlainOrder()
    {
        QFETCH(int, mode);
        const Computed c = compute(anyTwoNetwork(500, 1800, 11, 1000));
        const NetworkLayout swept = layoutNetwork(c.project, c.results, LayoutMode(mode));
        const NetworkLayout plain =
            layoutNetwork(c.project, c.results, LayoutMode(mode), LayoutOrdering::EventNumber);
        QCOMPARE(int(swept.activities.size()), 1800);
        const int sweptCrossings = countCrossings(swept);
        const int plainCrossings = countCrossings(plain);
        QVERIFY2(
            sweptCrossings < plainCrossings * 3 / 4,
            qPrintable(QStringLiteral("%1 against %2").arg(sweptCrossings).arg(plainCrossings)));
        if (LayoutMode(mode) == LayoutMode::TimeScale)
            for (const LaidOutEvent& e : swept.events)
                QCOMPARE(e.centre.x(), swept.xOfTime(c.results.earliest[e.event]));
    }
};

QTEST_GUILESS_MAIN(TestNetworkLayout)
#include "test_network_layout.moc"
