#include "schedule/amounts.h"

#include "model/text_format.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zant {

namespace {

const std::array<const char*, 12> kMonthNames = {"gennaio",   "febbraio", "marzo",    "aprile",
                                                 "maggio",    "giugno",   "luglio",   "agosto",
                                                 "settembre", "ottobre",  "novembre", "dicembre"};

// Adds an activity's amount, spread over [start, start + days) of the project's time, to the
// amounts of each day: every day [k, k + 1) takes the share of the activity it overlaps, in
// whole cents by largest remainder; an activity of no duration puts all of it on its day.
void spread(std::vector<Cents>& perDay, Cents amount, double start, double days,
            std::vector<double>& weights)
{
    start = std::max(0.0, start);
    const auto first = static_cast<qint64>(std::floor(start));
    if (!(days > 0)) {
        if (perDay.size() <= static_cast<std::size_t>(first))
            perDay.resize(static_cast<std::size_t>(first) + 1, 0);
        perDay[static_cast<std::size_t>(first)] += amount;
        return;
    }
    const double end = start + days;
    const auto last = std::max(first, static_cast<qint64>(std::ceil(end)) - 1);
    if (perDay.size() <= static_cast<std::size_t>(last))
        perDay.resize(static_cast<std::size_t>(last) + 1, 0);
    if (double(first) == start && std::floor(days) == days) {
        // Whole days, all alike: the same cents each, the cents left over to the first days (as
        // the largest remainder gives them among equal shares).
        const auto count = last - first + 1;
        const Cents each = amount / count;
        const Cents left = amount % count;
        for (qint64 k = 0; k < count; ++k)
            perDay[static_cast<std::size_t>(first + k)] += each + (k < left ? 1 : 0);
        return;
    }
    weights.clear();
    for (qint64 k = first; k <= last; ++k)
        weights.push_back(std::min(end, double(k + 1)) - std::max(start, double(k)));
    const std::vector<Cents> parts = splitByLargestRemainder(amount, weights);
    for (std::size_t i = 0; i < parts.size(); ++i)
        perDay[static_cast<std::size_t>(first) + i] += parts[i];
}

Cents dayValue(const std::vector<Cents>& perDay, qint64 day)
{
    return day < static_cast<qint64>(perDay.size()) ? perDay[static_cast<std::size_t>(day)] : 0;
}

void cumulate(std::vector<PeriodAmounts>& periods)
{
    Cents early = 0;
    Cents late = 0;
    for (PeriodAmounts& p : periods) {
        early += p.early;
        late += p.late;
        p.earlyCumulative = early;
        p.lateCumulative = late;
    }
}

// One stato di avanzamento: its date, its own amount and the amount done up to it.
struct Sal
{
    QDate date;
    Cents amount = 0;
    Cents cumulative = 0;
};

// The SALs of one schedule, from its cumulative amount at the end of each day.
std::vector<Sal> salsOf(const std::vector<CurvePoint>& curve, bool early, Cents total,
                        const QDate& origin, const SalRule& rule)
{
    std::vector<Sal> sals;
    if (curve.empty() || total <= 0)
        return sals;
    const auto done = [&](const CurvePoint& p) { return early ? p.early : p.late; };
    const QDate end = curve.back().date;
    Cents paid = 0;
    const auto issue = [&](const QDate& date, Cents cumulative) {
        const Cents own = cumulative - paid;
        // A SAL below the minimum waits for the next one.
        if (own > 0 && own >= rule.minimum) {
            sals.push_back({date, own, cumulative});
            paid = cumulative;
        }
    };
    if (rule.everyMonths > 0) {
        std::size_t at = 0;
        Cents cumulative = 0;
        for (int k = 1;; ++k) {
            // The works done up to the last day of the k-th period of N months.
            const QDate until = origin.addMonths(k * rule.everyMonths).addDays(-1);
            if (!until.isValid() || until >= end)
                break;
            while (at < curve.size() && curve[at].date <= until)
                cumulative = done(curve[at++]);
            issue(until, cumulative);
        }
    } else if (rule.everyAmount > 0) {
        const Cents step = std::max(rule.everyAmount, rule.minimum);
        for (std::size_t i = 0; i + 1 < curve.size(); ++i) {
            if (done(curve[i]) - paid >= step)
                issue(curve[i].date, done(curve[i]));
        }
    } else {
        return sals;
    }
    // The last SAL, at the end of the works, takes what is left whatever its size.
    if (total > paid)
        sals.push_back({end, total - paid, total});
    return sals;
}

} // namespace

DayDate calendarDays(const QDate& start)
{
    return [start](qint64 day) { return start.addDays(day); };
}

DayDate projectDays(const Project& project)
{
    return calendarDays(parseDate(project.startDateText()));
}

QString monthLabel(const QDate& date)
{
    return QString::fromLatin1(kMonthNames[static_cast<std::size_t>(date.month() - 1)]) +
           QLatin1Char(' ') + QString::number(date.year());
}

QString contractYearLabel(int number, const QDate& first, const QDate& last)
{
    return QStringLiteral("%1° anno (dal %2 al %3)")
        .arg(number)
        .arg(formatDate(first), formatDate(last));
}

AmountsInTime amountsInTime(const Project& project, const ScheduleResults& results,
                            const DayDate& dayDate)
{
    AmountsInTime out;
    out.total = project.totalAmount();
    // Results of another network, or none: nothing to place in time.
    const int n = project.eventCount();
    if (results.isEmpty() || results.eventCount != n ||
        static_cast<int>(results.earliest.size()) <= n ||
        static_cast<int>(results.latest.size()) <= n || !dayDate)
        return out;

    std::vector<Cents> early;
    std::vector<Cents> late;
    std::vector<double> weights;
    for (const Activity a : project.activities()) {
        if (a.amount() <= 0)
            continue;
        const double d = std::max(0.0, a.days());
        spread(early, a.amount(), results.earliest[a.from], d, weights);
        spread(late, a.amount(), results.latest[a.to] - d, d, weights);
    }
    // The days of the works: up to the end of the network, and of any work placed on its last
    // date.
    const double end = results.earliest[n];
    qint64 lastDay = std::isfinite(end) ? static_cast<qint64>(std::ceil(end)) - 1 : 0;
    lastDay = std::max({lastDay, static_cast<qint64>(early.size()) - 1,
                        static_cast<qint64>(late.size()) - 1, qint64{0}});

    const QDate startDate = parseDate(project.startDateText());
    const QDate origin = startDate.isValid() ? startDate : dayDate(0);
    if (!origin.isValid())
        return out;

    out.curve.reserve(static_cast<std::size_t>(lastDay) + 1);
    Cents earlyDone = 0;
    Cents lateDone = 0;
    int year = 0; // contract year of the day, from 0
    QDate yearEnd = origin.addYears(1);
    const QDate firstMonth(origin.year(), origin.month(), 1);
    out.months.push_back({firstMonth, firstMonth.addMonths(1).addDays(-1), monthLabel(firstMonth)});
    for (qint64 k = 0; k <= lastDay; ++k) {
        const QDate date = dayDate(k);
        const Cents e = dayValue(early, k);
        const Cents l = dayValue(late, k);
        earlyDone += e;
        lateDone += l;
        out.curve.push_back({k, date, earlyDone, lateDone});

        // Months from the start date's month; every month in between has its row.
        const QDate monthStart(date.year(), date.month(), 1);
        while (out.months.back().first < monthStart) {
            const QDate m = out.months.back().first.addMonths(1);
            out.months.push_back({m, m.addMonths(1).addDays(-1), monthLabel(m)});
        }
        out.months.back().early += e;
        out.months.back().late += l;

        // Contract years counted from the start date, each from the same day of the month.
        while (date >= yearEnd) {
            ++year;
            yearEnd = origin.addYears(year + 1);
        }
        while (static_cast<int>(out.years.size()) <= year) {
            const int y = static_cast<int>(out.years.size());
            const QDate first = origin.addYears(y);
            const QDate last = origin.addYears(y + 1).addDays(-1);
            out.years.push_back({first, last, contractYearLabel(y + 1, first, last)});
        }
        out.years.back().early += e;
        out.years.back().late += l;
    }
    cumulate(out.months);
    cumulate(out.years);
    return out;
}

std::vector<SalForecast> salForecast(const AmountsInTime& amounts, const SalRule& rule)
{
    std::vector<SalForecast> out;
    if (amounts.curve.empty())
        return out;
    const QDate origin =
        amounts.years.empty() ? amounts.curve.front().date : amounts.years.front().first;
    const std::vector<Sal> early = salsOf(amounts.curve, true, amounts.total, origin, rule);
    const std::vector<Sal> late = salsOf(amounts.curve, false, amounts.total, origin, rule);
    const std::size_t count = std::max(early.size(), late.size());
    for (std::size_t i = 0; i < count; ++i) {
        SalForecast s;
        s.number = static_cast<int>(i) + 1;
        if (i < early.size()) {
            s.earlyDate = early[i].date;
            s.earlyAmount = early[i].amount;
            s.earlyCumulative = early[i].cumulative;
        }
        if (i < late.size()) {
            s.lateDate = late[i].date;
            s.lateAmount = late[i].amount;
            s.lateCumulative = late[i].cumulative;
        }
        out.push_back(s);
    }
    return out;
}

} // namespace zant
