#include "diagram/s_curve.h"
#include "model/text_format.h"
#include "schedule/schedule.h"
#include "support/project_builder.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace zant;
using zant::test::buildProject;

namespace {

// A project in compact form with an amount in euro on each link, in the order written.
Project withAmounts(const QString& network, const QList<double>& euro,
                    const QString& start = QStringLiteral("15/02/2027"))
{
    Project p = buildProject(network, start);
    int k = 0;
    for (int e = 1; e <= p.eventCount(); ++e)
        for (int s = 1; s <= p.linkCount(e); ++s, ++k)
            if (k < euro.size()) {
                const Result<void> refused = p.setLinkAmount(e, s, std::llround(euro[k] * 100));
                if (!refused.ok())
                    qFatal("amount refused: %s", qPrintable(refused.error().text));
            }
    return p;
}

// The y of a polyline at x (vertical steps take their lower end: the larger amount).
double yAt(const QPolygonF& line, double x)
{
    double y = line.front().y();
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1];
        const QPointF b = line[i];
        if (x < a.x() - 1e-9)
            break;
        if (x <= b.x() + 1e-9) {
            y = b.x() - a.x() < 1e-9 ? std::min(a.y(), b.y())
                                     : a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
            if (x < b.x() - 1e-9)
                return y;
        }
    }
    return y;
}

} // namespace

class TestSCurve : public QObject
{
    Q_OBJECT

private slots:
    void invariants_data();
    void invariants();
    void salMarks_data();
    void salMarks();
    void monthsAndAmounts();
    void missingSalSideHasNoMark();
    void nothingToDraw();
    void euroLabels_data();
    void euroLabels();
};

void TestSCurve::invariants_data()
{
    QTest::addColumn<QString>("network");
    QTest::addColumn<QList<double>>("euro");
    QTest::newRow("one activity") << "2: 1>2=10" << QList<double>{1000};
    QTest::newRow("parallel paths, the short one with float")
        << "4: 1>2=30 1>3=5 2>4=10 3>4=2" << QList<double>{300000, 50000.55, 120000, 7000};
    QTest::newRow("zero-day activity with an amount at its date")
        << "3: 1>2=20 2>3=0" << QList<double>{80000, 15000};
    QTest::newRow("long works over two years")
        << "4: 1>2=200 1>3=400 2>4=300 3>4=50" << QList<double>{1e6, 2.5e6, 7e5, 99999.99};
    QTest::newRow("amounts only on the path with float")
        << "4: 1>2=60 2>4=60 1>3=10 3>4=10" << QList<double>{0, 0, 5000, 5000};
}

// The earliest curve never below the latest, both rising from nothing to the total, the envelope
// between them.
void TestSCurve::invariants()
{
    QFETCH(QString, network);
    QFETCH(QList<double>, euro);
    const Project p = withAmounts(network, euro);
    const ScheduleResults r = ComputeSchedule(p);
    const AmountsInTime a = amountsInTime(p, r, projectDays(p));
    const SCurvePicture s = layoutSCurve(a, {});
    QVERIFY(!s.isEmpty());
    QCOMPARE(s.early.size(), s.late.size());
    QCOMPARE(s.early.front(), QPointF(s.plot.left(), s.plot.bottom()));
    QCOMPARE(s.late.front(), s.early.front());
    QCOMPARE(s.early.back().y(), s.yOf(a.total));
    QCOMPARE(s.late.back().y(), s.yOf(a.total));
    QVERIFY(s.top >= a.total);
    for (qsizetype i = 1; i < s.early.size(); ++i) {
        QVERIFY2(s.early[i].x() >= s.early[i - 1].x(), "time runs left to right");
        QVERIFY2(s.early[i].y() <= s.early[i - 1].y() + 1e-9, "the earliest curve never falls");
        QVERIFY2(s.late[i].y() <= s.late[i - 1].y() + 1e-9, "the latest curve never falls");
        QCOMPARE(s.late[i].x(), s.early[i].x());
        QVERIFY2(s.early[i].y() <= s.late[i].y() + 1e-9, "the earliest is never behind");
        QVERIFY(s.plot.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(s.early[i]));
    }
    QCOMPARE(s.envelope.size(), s.early.size() + s.late.size());
    QCOMPARE(s.envelope.front(), s.early.front());
    QCOMPARE(s.envelope.back(), s.late.front());
    QCOMPARE(s.envelope[s.early.size()], s.late.back());

    // Drawn, the envelope's colour stands between the curves: at half the works, half-way up.
    QImage image(s.size.toSize(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintSCurve(painter, s);
    painter.end();
    const double x = (s.early.front().x() + s.early.back().x()) / 2;
    const double top = yAt(s.early, x);
    const double bottom = yAt(s.late, x);
    if (bottom - top > 8)
        QCOMPARE(image.pixelColor(QPointF(x, (top + bottom) / 2).toPoint()).rgb(),
                 QColor(205, 218, 240).rgb());
}

void TestSCurve::salMarks_data()
{
    QTest::addColumn<int>("months");
    QTest::addColumn<qint64>("everyCents");
    QTest::newRow("every month") << 1 << qint64(0);
    QTest::newRow("every three months") << 3 << qint64(0);
    QTest::newRow("every 100.000,00 euro") << 0 << qint64(10'000'000);
}

// Each SAL mark stands on its curve, at the end of its date and at its cumulated amount.
void TestSCurve::salMarks()
{
    QFETCH(int, months);
    QFETCH(qint64, everyCents);
    const Project p = withAmounts(QStringLiteral("4: 1>2=100 1>3=40 2>4=80 3>4=30"),
                                  {400000, 150000, 250000, 60000});
    const ScheduleResults r = ComputeSchedule(p);
    const AmountsInTime a = amountsInTime(p, r, projectDays(p));
    const std::vector<SalForecast> sal = salForecast(a, SalRule{months, everyCents, 0});
    QVERIFY(sal.size() >= 2);
    const SCurvePicture s = layoutSCurve(a, sal);
    QCOMPARE(s.sal.size(), sal.size());
    for (size_t i = 0; i < sal.size(); ++i) {
        const SCurvePicture::SalMark& m = s.sal[i];
        QCOMPARE(m.number, sal[i].number);
        if (sal[i].earlyDate.isValid()) {
            QCOMPARE(m.early.x(), s.xOf(sal[i].earlyDate.addDays(1)));
            QCOMPARE(m.early.y(), s.yOf(sal[i].earlyCumulative));
            QVERIFY2(std::abs(yAt(s.early, m.early.x()) - m.early.y()) < 1e-6,
                     qPrintable(QStringLiteral("SAL %1 off the earliest curve").arg(m.number)));
        }
        if (sal[i].lateDate.isValid()) {
            QCOMPARE(m.late.x(), s.xOf(sal[i].lateDate.addDays(1)));
            QVERIFY2(std::abs(yAt(s.late, m.late.x()) - m.late.y()) < 1e-6,
                     qPrintable(QStringLiteral("SAL %1 off the latest curve").arg(m.number)));
        }
    }
}

void TestSCurve::monthsAndAmounts()
{
    // 15/02/2027 + 120 days: the works run into June.
    const Project p = withAmounts(QStringLiteral("2: 1>2=120"), {1234567.89});
    const ScheduleResults r = ComputeSchedule(p);
    const AmountsInTime a = amountsInTime(p, r, projectDays(p));
    const SCurvePicture s = layoutSCurve(a, {});
    QStringList names;
    QList<double> lines;
    for (const SCurvePicture::Tick& t : s.months)
        (t.label.isEmpty() ? static_cast<void>(lines << t.at)
                           : static_cast<void>(names << t.label));
    QCOMPARE(names, QStringList({"feb", "mar", "apr", "mag", "giu"}));
    QCOMPARE(lines.size(), 4); // the first days of March to June
    QCOMPARE(lines.front(), s.xOf(QDate(2027, 3, 1)));
    QCOMPARE(s.years.size(), size_t(1));
    QCOMPARE(s.years.front().label, QStringLiteral("2027"));
    QCOMPARE(s.amounts.front().label, QStringLiteral("0 €"));
    QCOMPARE(s.amounts.front().at, s.plot.bottom());
    QCOMPARE(s.amounts.back().at, s.plot.top());
    QCOMPARE(s.amounts.back().label, euroAxisLabel(s.top));
    QVERIFY(s.top >= a.total && s.top < a.total * 2);
    // The steps are round: 1, 2 or 5 times a power of ten euro.
    const Cents step = s.top / static_cast<Cents>(s.amounts.size() - 1);
    QVERIFY(QList<Cents>({100000 * 100, 200000 * 100, 500000 * 100}).contains(step));
}

void TestSCurve::missingSalSideHasNoMark()
{
    AmountsInTime a;
    a.total = 1000;
    for (int d = 0; d < 10; ++d)
        a.curve.push_back(
            {d, QDate(2027, 1, 1).addDays(d), (d + 1) * 100, d < 5 ? 0 : (d - 4) * 200});
    SalForecast only;
    only.number = 1;
    only.earlyDate = QDate(2027, 1, 5);
    only.earlyCumulative = 500;
    const SCurvePicture s = layoutSCurve(a, {only});
    QCOMPARE(s.sal.size(), size_t(1));
    QVERIFY(!s.sal.front().lateDate.isValid());
    QCOMPARE(s.sal.front().early, QPointF(s.xOf(QDate(2027, 1, 6)), s.yOf(500)));
    // Painting a forecast with one side missing draws no mark at the origin.
    QImage image(s.size.toSize(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintSCurve(painter, s);
    painter.end();
    QCOMPARE(image.pixelColor(2, 2).rgb(), QColor(Qt::white).rgb());
}

void TestSCurve::nothingToDraw()
{
    const Project p = buildProject(QStringLiteral("3: 1>2=10 2>3=5"), QStringLiteral("01/03/2027"));
    const ScheduleResults r = ComputeSchedule(p);
    QVERIFY(layoutSCurve(amountsInTime(p, r, projectDays(p)), {}).isEmpty());
    QVERIFY(layoutSCurve(AmountsInTime{}, {}).isEmpty());
}

void TestSCurve::euroLabels_data()
{
    QTest::addColumn<qint64>("cents");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0 €";
    QTest::newRow("hundreds") << qint64(50000) << "500 €";
    QTest::newRow("thousands grouped") << qint64(150000000) << "1.500.000 €";
    QTest::newRow("exact thousand") << qint64(100000) << "1.000 €";
    QTest::newRow("largest amount") << qint64(99999999999) << "1.000.000.000 €";
}

void TestSCurve::euroLabels()
{
    QFETCH(qint64, cents);
    QFETCH(QString, text);
    QCOMPARE(euroAxisLabel(cents), text);
}

QTEST_MAIN(TestSCurve)
#include "test_s_curve.moc"
