#include "schedule/amounts.h"
#include "support/project_builder.h"

#include "model/text_format.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <map>

using namespace zant;
using zant::test::buildProject;

namespace {

// "1.1=100000 2.1=5" sets the amount of event 1 slot 1 and of event 2 slot 1, in cents.
Project withAmounts(const QString& network, const QString& start, const QString& amounts)
{
    Project p = buildProject(network, start);
    for (const QString& item : amounts.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QRegularExpression(QStringLiteral("[.=]")));
        const Result<void> refused =
            p.setLinkAmount(parts[0].toInt(), parts[1].toInt(), parts[2].toLongLong());
        Q_ASSERT(refused.ok());
    }
    return p;
}

QString describePeriods(const std::vector<PeriodAmounts>& list)
{
    QStringList out;
    for (const PeriodAmounts& p : list)
        out << QStringLiteral("%1 %2/%3").arg(p.label, formatEuro(p.early), formatEuro(p.late));
    return out.join(QStringLiteral("; "));
}

// Monday to Friday: day k of the works is the k-th weekday from the start (the start itself
// when it is a weekday).
DayDate weekdays(const QDate& start)
{
    std::vector<QDate> dates;
    for (QDate d = start; dates.size() < 4000; d = d.addDays(1)) {
        if (d.dayOfWeek() <= 5)
            dates.push_back(d);
    }
    return [dates](qint64 day) { return dates.at(static_cast<std::size_t>(day)); };
}

// The exact share of each activity on each day, worked out day by day apart from the program:
// for every day k the part of [start, start + d) inside [k, k + 1), as a fraction of d.
std::map<qint64, double> exactDays(double start, double days, double amount)
{
    std::map<qint64, double> out;
    if (days <= 0) {
        out[static_cast<qint64>(start)] += amount;
        return out;
    }
    for (qint64 k = 0; k < start + days + 1; ++k) {
        const double from = std::max(start, double(k));
        const double to = std::min(start + days, double(k + 1));
        if (to > from)
            out[k] += amount * (to - from) / days;
    }
    return out;
}

} // namespace

class TestAmounts final : public QObject
{
    Q_OBJECT

private slots:
    void periods_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("amounts");
        QTest::addColumn<QString>("months");
        QTest::addColumn<QString>("years");

        QTest::newRow("one month") << "2: 1>2=10"
                                   << "01/02/2027"
                                   << "1.1=100000"
                                   << "febbraio 2027 1.000,00/1.000,00"
                                   << "1° anno (dal 01/02/2027 al 31/01/2028) 1.000,00/1.000,00";
        QTest::newRow("across the end of a month")
            << "2: 1>2=10"
            << "25/02/2027"
            << "1.1=100000"
            << "febbraio 2027 400,00/400,00; marzo 2027 600,00/600,00"
            << "1° anno (dal 25/02/2027 al 24/02/2028) 1.000,00/1.000,00";
        QTest::newRow("float moves the latest schedule")
            << "3: 1>2=10 2>3=50 1>3=10"
            << "20/01/2027"
            << "1.2=31000000"
            << "gennaio 2027 310.000,00/0,00; febbraio 2027 0,00/0,00; marzo 2027 0,00/310.000,00"
            << "1° anno (dal 20/01/2027 al 19/01/2028) 310.000,00/310.000,00";
        QTest::newRow("a month without work keeps its row")
            << "4: 1>2=5 2>3=60 3>4=5"
            << "01/01/2027"
            << "1.1=500 3.1=700"
            << "gennaio 2027 5,00/5,00; febbraio 2027 0,00/0,00; marzo 2027 7,00/7,00"
            << "1° anno (dal 01/01/2027 al 31/12/2027) 12,00/12,00";
        QTest::newRow("no duration: all on its day")
            << "3: 1>2=31 2>3=0"
            << "01/03/2027"
            << "2.1=12345"
            << "marzo 2027 0,00/0,00; aprile 2027 123,45/123,45"
            << "1° anno (dal 01/03/2027 al 29/02/2028) 123,45/123,45";
        QTest::newRow("half days") << "2: 1>2=2.5"
                                   << "30/04/2027"
                                   << "1.1=1000"
                                   << "aprile 2027 4,00/4,00; maggio 2027 6,00/6,00"
                                   << "1° anno (dal 30/04/2027 al 29/04/2028) 10,00/10,00";
        QTest::newRow("a cent left over goes to the first day") << "2: 1>2=3"
                                                                << "30/06/2027"
                                                                << "1.1=100"
                                                                << "giugno 2027 0,34/0,34; "
                                                                   "luglio 2027 0,66/0,66"
                                                                << "1° anno (dal 30/06/2027 al "
                                                                   "29/06/2028) 1,00/1,00";
        QTest::newRow("contract years") << "2: 1>2=400"
                                        << "01/02/2027"
                                        << "1.1=40000"
                                        << ""
                                        << "1° anno (dal 01/02/2027 al 31/01/2028) 365,00/365,00; "
                                           "2° anno (dal 01/02/2028 al 31/01/2029) 35,00/35,00";
        QTest::newRow("contract year from a 29 February")
            << "2: 1>2=366"
            << "29/02/2028"
            << "1.1=36600"
            << ""
            << "1° anno (dal 29/02/2028 al 27/02/2029) 365,00/365,00; "
               "2° anno (dal 28/02/2029 al 27/02/2030) 1,00/1,00";
        QTest::newRow("links of the final event are no activities")
            << "2: 1>2=1 2>1=1"
            << "01/01/2027"
            << "1.1=100 2.1=900"
            << "gennaio 2027 1,00/1,00"
            << "1° anno (dal 01/01/2027 al 31/12/2027) 1,00/1,00";
    }

    void periods()
    {
        QFETCH(QString, network);
        QFETCH(QString, start);
        QFETCH(QString, amounts);
        QFETCH(QString, months);
        QFETCH(QString, years);
        const Project p = withAmounts(network, start, amounts);
        const AmountsInTime a = amountsInTime(p, ComputeSchedule(p), projectDays(p));
        if (!months.isEmpty())
            QCOMPARE(describePeriods(a.months), months);
        QCOMPARE(describePeriods(a.years), years);
        QCOMPARE(a.years.back().earlyCumulative, a.total);
        QCOMPARE(a.years.back().lateCumulative, a.total);
    }

    void resultsOfAnotherNetworkGiveOnlyTheTotal()
    {
        const Project p = withAmounts("3: 1>2=5 2>3=5", "01/01/2027", "1.1=100 2.1=200");
        const Project other = buildProject("4: 1>2=5 2>3=5 3>4=1", "01/01/2027");
        const AmountsInTime a = amountsInTime(p, ComputeSchedule(other), projectDays(p));
        QCOMPARE(a.total, Cents{300});
        QVERIFY(a.months.empty() && a.years.empty() && a.curve.empty());
        QVERIFY(amountsInTime(p, ScheduleResults{}, projectDays(p)).curve.empty());
    }

    // Random networks, amounts, durations and calendars: every table adds up to the total to
    // the cent, and every period is within a cent a day of each activity's exact share.
    void generatedProjectsAddUp_data()
    {
        QTest::addColumn<bool>("weekdaysOnly");
        QTest::addColumn<bool>("wholeDays");
        QTest::newRow("calendar days, whole days") << false << true;
        QTest::newRow("calendar days, fractions") << false << false;
        QTest::newRow("weekdays, whole days") << true << true;
        QTest::newRow("weekdays, fractions") << true << false;
    }

    void generatedProjectsAddUp()
    {
        QFETCH(bool, weekdaysOnly);
        QFETCH(bool, wholeDays);
        QRandomGenerator random(weekdaysOnly * 2 + wholeDays + 7);
        for (int round = 0; round < 40; ++round) {
            const int n = random.bounded(2, 40);
            QStringList links;
            for (int i = 1; i < n; ++i) {
                const int count = random.bounded(1, 4);
                for (int c = 0; c < count; ++c) {
                    const int to = random.bounded(i + 1, n + 1);
                    const double days = random.bounded(6) == 0 ? 0
                                        : wholeDays            ? random.bounded(1, 90)
                                                               : random.bounded(1, 180) / 2.0;
                    links << QStringLiteral("%1>%2=%3").arg(i).arg(to).arg(days);
                }
            }
            const QDate start = QDate(2026, 1, 1).addDays(random.bounded(800));
            Project p = buildProject(QStringLiteral("%1: ").arg(n) + links.join(QLatin1Char(' ')),
                                     formatDate(start));
            for (int i = 1; i < n; ++i) {
                for (int s = 1; s <= p.linkCount(i); ++s) {
                    const Cents amount = random.bounded(3) == 0
                                             ? 0
                                             : Cents(random.bounded(1, 1'000'000)) *
                                                   Cents(random.bounded(1, 10'000));
                    QVERIFY(p.setLinkAmount(i, s, std::min(amount, kMaxAmount / 40)).ok());
                }
            }
            const ScheduleResults r = ComputeSchedule(p);
            const DayDate dates = weekdaysOnly ? weekdays(start) : calendarDays(start);
            const AmountsInTime a = amountsInTime(p, r, dates);
            QCOMPARE(a.total, p.totalAmount());
            for (const auto* table : {&a.months, &a.years}) {
                Cents early = 0;
                Cents late = 0;
                for (const PeriodAmounts& period : *table) {
                    early += period.early;
                    late += period.late;
                    QCOMPARE(period.earlyCumulative, early);
                    QCOMPARE(period.lateCumulative, late);
                }
                QCOMPARE(early, a.total);
                QCOMPARE(late, a.total);
            }
            QCOMPARE(a.curve.back().early, a.total);
            QCOMPARE(a.curve.back().late, a.total);
            for (std::size_t k = 0; k < a.curve.size(); ++k) {
                QCOMPARE(a.curve[k].day, qint64(k));
                QCOMPARE(a.curve[k].date, dates(qint64(k)));
            }

            // The independent spread, day by day, then summed over each month; each activity's
            // part of a day may differ from its exact share by less than a cent.
            struct Day
            {
                double value = 0;
                int activities = 0;
            };
            std::map<qint64, Day> earlyDays;
            std::map<qint64, Day> lateDays;
            for (const Activity act : p.activities()) {
                if (act.amount() == 0)
                    continue;
                const double d = act.days();
                for (const auto& [day, value] :
                     exactDays(r.earliest[act.from], d, double(act.amount()))) {
                    earlyDays[day].value += value;
                    ++earlyDays[day].activities;
                }
                for (const auto& [day, value] :
                     exactDays(r.latest[act.to] - d, d, double(act.amount()))) {
                    lateDays[day].value += value;
                    ++lateDays[day].activities;
                }
            }
            const auto inMonth = [&](const std::map<qint64, Day>& days, const PeriodAmounts& m) {
                Day sum;
                for (const auto& [day, value] : days) {
                    const QDate date = dates(day);
                    if (date >= m.first && date <= m.last) {
                        sum.value += value.value;
                        sum.activities += value.activities;
                    }
                }
                return sum;
            };
            for (const PeriodAmounts& month : a.months) {
                const Day early = inMonth(earlyDays, month);
                const Day late = inMonth(lateDays, month);
                QVERIFY2(std::abs(double(month.early) - early.value) < early.activities + 1e-6 &&
                             std::abs(double(month.late) - late.value) < late.activities + 1e-6,
                         qPrintable(QStringLiteral("round %1, %2: %3 / %4 against %5 / %6")
                                        .arg(round)
                                        .arg(month.label)
                                        .arg(month.early)
                                        .arg(month.late)
                                        .arg(early.value, 0, 'f', 2)
                                        .arg(late.value, 0, 'f', 2)));
            }
        }
    }

    // One activity of 100 days and 100.000,00 € from 01/01/2027: 1.000,00 € a day, ending on
    // 10/04/2027; and the rules at their edges.
    void sal_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("amounts");
        QTest::addColumn<int>("months");
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<qint64>("minimum");
        QTest::addColumn<QString>("expected"); // n early-date own/cumulative | late ...

        const QString one = QStringLiteral("2: 1>2=100");
        const QString all = QStringLiteral("1.1=10000000");
        QTest::newRow("every month") << one << all << 1 << qint64(0) << qint64(0)
                                     << "1 31/01/2027 31.000,00 31.000,00 | 31/01/2027; "
                                        "2 28/02/2027 28.000,00 59.000,00 | 28/02/2027; "
                                        "3 31/03/2027 31.000,00 90.000,00 | 31/03/2027; "
                                        "4 10/04/2027 10.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("below the minimum waits, the last takes the rest")
            << one << all << 1 << qint64(0) << qint64(3000000)
            << "1 31/01/2027 31.000,00 31.000,00 | 31/01/2027; "
               "2 31/03/2027 59.000,00 90.000,00 | 31/03/2027; "
               "3 10/04/2027 10.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("exactly the minimum is paid")
            << one << all << 1 << qint64(0) << qint64(2800000)
            << "1 31/01/2027 31.000,00 31.000,00 | 31/01/2027; "
               "2 28/02/2027 28.000,00 59.000,00 | 28/02/2027; "
               "3 31/03/2027 31.000,00 90.000,00 | 31/03/2027; "
               "4 10/04/2027 10.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("a period ending with the works is the last SAL")
            << "2: 1>2=59"
            << "1.1=5900000" << 2 << qint64(0) << qint64(0)
            << "1 28/02/2027 59.000,00 59.000,00 | 28/02/2027";
        QTest::newRow("every three months") << one << all << 3 << qint64(0) << qint64(0)
                                            << "1 31/03/2027 90.000,00 90.000,00 | 31/03/2027; "
                                               "2 10/04/2027 10.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("each 25.000,00 €") << one << all << 0 << qint64(2500000) << qint64(0)
                                          << "1 25/01/2027 25.000,00 25.000,00 | 25/01/2027; "
                                             "2 19/02/2027 25.000,00 50.000,00 | 19/02/2027; "
                                             "3 16/03/2027 25.000,00 75.000,00 | 16/03/2027; "
                                             "4 10/04/2027 25.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("each 30.000,00 €: the last is smaller")
            << one << all << 0 << qint64(3000000) << qint64(0)
            << "1 30/01/2027 30.000,00 30.000,00 | 30/01/2027; "
               "2 01/03/2027 30.000,00 60.000,00 | 01/03/2027; "
               "3 31/03/2027 30.000,00 90.000,00 | 31/03/2027; "
               "4 10/04/2027 10.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("a minimum above the amount decides")
            << one << all << 0 << qint64(2500000) << qint64(4000000)
            << "1 09/02/2027 40.000,00 40.000,00 | 09/02/2027; "
               "2 21/03/2027 40.000,00 80.000,00 | 21/03/2027; "
               "3 10/04/2027 20.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("the whole amount: one SAL at the end")
            << one << all << 0 << qint64(10000000) << qint64(0)
            << "1 10/04/2027 100.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("more than the whole amount")
            << one << all << 0 << qint64(90000000) << qint64(0)
            << "1 10/04/2027 100.000,00 100.000,00 | 10/04/2027";
        QTest::newRow("no rule") << one << all << 0 << qint64(0) << qint64(0) << "";
        QTest::newRow("no amounts") << one << "" << 1 << qint64(0) << qint64(0) << "";
        QTest::newRow("each schedule its own date")
            << "3: 1>2=10 2>3=10 1>3=5"
            << "1.2=10000" << 0 << qint64(10000) << qint64(0)
            << "1 05/01/2027 100,00 100,00 | 20/01/2027";
        QTest::newRow("each schedule its own count")
            << "3: 1>2=40 2>3=20 1>3=10"
            << "1.2=10000 1.1=4000" << 1 << qint64(0) << qint64(0)
            << "1 31/01/2027 131,00 131,00 | 31/01/2027 31,00 31,00; "
               "2 28/02/2027 9,00 140,00 | 28/02/2027 99,00 130,00; "
               "3  0,00 0,00 | 01/03/2027 10,00 140,00";
    }

    void sal()
    {
        QFETCH(QString, network);
        QFETCH(QString, amounts);
        QFETCH(int, months);
        QFETCH(qint64, amount);
        QFETCH(qint64, minimum);
        QFETCH(QString, expected);
        const Project p = withAmounts(network, "01/01/2027", amounts);
        const AmountsInTime a = amountsInTime(p, ComputeSchedule(p), projectDays(p));
        const auto sals = salForecast(a, SalRule{months, amount, minimum});
        QStringList out;
        for (const SalForecast& s : sals) {
            QString row = QStringLiteral("%1 %2 %3 %4 | %5")
                              .arg(s.number)
                              .arg(formatDate(s.earlyDate), formatEuro(s.earlyAmount),
                                   formatEuro(s.earlyCumulative), formatDate(s.lateDate));
            if (s.lateAmount != s.earlyAmount || s.lateCumulative != s.earlyCumulative)
                row += QStringLiteral(" %1 %2").arg(formatEuro(s.lateAmount),
                                                    formatEuro(s.lateCumulative));
            out << row;
        }
        QCOMPARE(out.join(QStringLiteral("; ")), expected);
    }
};

QTEST_GUILESS_MAIN(TestAmounts)
#include "test_amounts.moc"
