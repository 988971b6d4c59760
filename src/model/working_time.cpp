#include "model/work_calendar.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>

// The mapping between times in days of the project's calendar and dates.
namespace zant {

namespace {

// The whole part of a time, a trace of rounding noise under the next whole number counting as
// that number (3 × 1/3 is 3).
std::optional<qint64> dayIndex(double time)
{
    if (!std::isfinite(time) || std::fabs(time) > 1e15)
        return std::nullopt;
    return static_cast<qint64>(std::floor(time + 1e-9 * std::max(1.0, std::fabs(time))));
}

constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

// Days from `first`, `count` of them, whose weekday is in `week`.
qint64 weekdaysIn(int firstDayOfWeek, qint64 count, Weekdays week)
{
    qint64 n = count / 7 * std::popcount(week & kEveryDay);
    for (qint64 i = 0; i < count % 7; ++i) {
        if (week & weekdayBit(static_cast<int>((firstDayOfWeek - 1 + i) % 7) + 1))
            ++n;
    }
    return n;
}

} // namespace

// The days that do not count, year by year, and the working days before each year.
struct WorkingTime::Table
{
    ProjectCalendar calendar;
    // Every day counts: a date is the start date plus the time, and nothing below is used.
    bool plain = true;
    Weekdays week = kEveryDay;
    QDate first;
    int baseYear = 0;
    // cumulative[i]: working days from day 0 to 1 January of baseYear + i (negative before it).
    std::vector<qint64> cumulative;
    // Per year: where it begins, how long it is and the days of the year (0 = 1 January) that
    // do not count although their weekday does, in order. Worked out with whole numbers only,
    // since a computation asks for them thousands of times.
    struct Year
    {
        qint64 jan1 = 0; // Julian day of 1 January
        int length = 365;
        int jan1Weekday = 1; // 1 Monday .. 7 Sunday
        std::vector<int> rest;
    };
    std::map<int, Year> years;
    // The closures as Julian days, when they count.
    std::vector<std::pair<qint64, qint64>> closureDays;

    static bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
    static int dayOfYear(int year, int month, int day)
    {
        static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
        return before[month - 1] + day - 1 + (month > 2 && leap(year) ? 1 : 0);
    }

    const Year& yearOf(int year)
    {
        auto it = years.find(year);
        if (it != years.end())
            return it->second;
        Year y;
        y.rest.reserve(16);
        y.jan1 = QDate(year, 1, 1).toJulianDay();
        y.length = leap(year) ? 366 : 365;
        y.jan1Weekday = static_cast<int>(y.jan1 % 7) + 1; // Julian day 0 was a Monday
        const auto add = [&](int dayInYear) {
            if (dayInYear >= 0 && dayInYear < y.length &&
                (week & weekdayBit((y.jan1Weekday - 1 + dayInYear) % 7 + 1)))
                y.rest.push_back(dayInYear);
        };
        if (calendar.workingDays) {
            if (calendar.nationalHolidays) {
                for (const NamedDay& holiday : nationalHolidays(year))
                    add(dayOfYear(year, holiday.date.month(), holiday.date.day()));
            }
            const MonthDay& patron = calendar.patron;
            if (patron.isSet() && patron.isValid() &&
                (patron.month != 2 || patron.day != 29 || leap(year)))
                add(dayOfYear(year, patron.month, patron.day));
        }
        const qint64 dec31 = y.jan1 + y.length - 1;
        for (const auto& [first, last] : closureDays) {
            if (last < y.jan1 || first > dec31)
                continue;
            for (qint64 d = std::max(first, y.jan1); d <= std::min(last, dec31); ++d)
                add(static_cast<int>(d - y.jan1));
        }
        std::sort(y.rest.begin(), y.rest.end());
        y.rest.erase(std::unique(y.rest.begin(), y.rest.end()), y.rest.end());
        return years.emplace(year, std::move(y)).first->second;
    }

    // Working days among the first `days` days of a year.
    qint64 workingBefore(const Year& y, qint64 days) const
    {
        const auto restBefore =
            std::lower_bound(y.rest.begin(), y.rest.end(), days) - y.rest.begin();
        return weekdaysIn(y.jan1Weekday, days, week) - restBefore;
    }
    qint64 workingBefore(int year, qint64 days) { return workingBefore(yearOf(year), days); }

    qint64 workingInYear(int year)
    {
        const Year& y = yearOf(year);
        return workingBefore(y, y.length);
    }

    int lastYear() const { return baseYear + static_cast<int>(cumulative.size()) - 1; }

    // Working days before 1 January of a year, or nothing outside the years kept.
    std::optional<qint64> before(int year)
    {
        if (year < kFirstYear || year > kLastYear + 1)
            return std::nullopt;
        while (year < baseYear) {
            cumulative.insert(cumulative.begin(), cumulative.front() - workingInYear(baseYear - 1));
            --baseYear;
        }
        while (year > lastYear())
            cumulative.push_back(cumulative.back() + workingInYear(lastYear()));
        return cumulative[static_cast<std::size_t>(year - baseYear)];
    }
};

WorkingTime::WorkingTime(const ProjectCalendar& calendar, const QDate& start)
    : m_start(start), m_first(start), m_table(std::make_shared<Table>())
{
    Table& t = *m_table;
    t.calendar = calendar;
    t.plain = !start.isValid() || !calendar.skipsDays();
    if (t.plain)
        return;
    t.week = calendar.countedWeek() & kEveryDay;
    if (t.week == 0)
        t.week = kEveryDay; // refused by the check; counted as every day rather than never
    // Day 0: the first day that counts, looked for within a span longer than any closure.
    for (int i = 0; i < 366 * 310 && !calendar.isWorkingDay(m_first); ++i)
        m_first = m_first.addDays(1);
    if (calendar.closuresCount()) {
        for (const CalendarClosure& c : calendar.closures) {
            if (c.first.isValid() && c.last.isValid() && c.first <= c.last)
                t.closureDays.emplace_back(c.first.toJulianDay(), c.last.toJulianDay());
        }
    }
    t.first = m_first;
    t.baseYear = m_first.year();
    t.cumulative = {-t.workingBefore(t.baseYear, QDate(t.baseYear, 1, 1).daysTo(m_first))};
    // A year that begins after day 0, so that every day before it has a year to be found in.
    t.before(t.baseYear + 1);
}

const ProjectCalendar& WorkingTime::calendar() const
{
    static const ProjectCalendar standard;
    return m_table ? m_table->calendar : standard;
}

bool WorkingTime::isWorkingDay(const QDate& date) const
{
    return plain() ? date.isValid() : m_table->calendar.isWorkingDay(date);
}

bool WorkingTime::plain() const
{
    return !m_table || m_table->plain;
}

QDate WorkingTime::dayDate(qint64 k) const
{
    if (!m_start.isValid())
        return QDate();
    if (plain())
        return m_start.addDays(k);
    Table& t = *m_table;
    // The year whose working days include day k: the last one that begins at or before it.
    while (t.cumulative.back() <= k) {
        if (t.lastYear() > kLastYear)
            return QDate();
        t.before(t.lastYear() + 1);
    }
    while (t.cumulative.front() > k) {
        if (t.baseYear <= kFirstYear)
            return QDate();
        t.before(t.baseYear - 1);
    }
    const int year =
        t.baseYear +
        static_cast<int>(std::upper_bound(t.cumulative.begin(), t.cumulative.end(), k) -
                         t.cumulative.begin()) -
        1;
    // Within the year: the first day after which k + 1 working days have passed.
    const qint64 wanted = k - *t.before(year) + 1;
    const Table::Year& y = t.yearOf(year);
    // The day of the (wanted + skipped)-th counted weekday, where skipped is the number of days
    // off up to that day: found again until it no longer moves.
    const int perWeek = std::popcount(t.week);
    qint64 skipped = 0;
    for (;;) {
        const qint64 n = wanted + skipped - 1; // counted weekdays before the day
        qint64 day = n / perWeek * 7;
        for (qint64 left = n % perWeek;; ++day) {
            if (t.week & weekdayBit(static_cast<int>((y.jan1Weekday - 1 + day) % 7) + 1)) {
                if (left == 0)
                    break;
                --left;
            }
        }
        const qint64 off = std::upper_bound(y.rest.begin(), y.rest.end(), day) - y.rest.begin();
        if (off == skipped)
            return QDate::fromJulianDay(y.jan1 + day);
        skipped = off;
    }
}

QDate WorkingTime::dateAt(double time) const
{
    if (!m_start.isValid() || !std::isfinite(time) || std::fabs(time) > 1e15)
        return QDate();
    return dayDate(std::llround(time));
}

qint64 WorkingTime::timeOf(const QDate& date) const
{
    if (!date.isValid() || !m_start.isValid())
        return 0;
    if (plain())
        return m_start.daysTo(date);
    const auto begins = m_table->before(date.year());
    if (!begins)
        return date < m_first ? std::numeric_limits<qint64>::min()
                              : std::numeric_limits<qint64>::max();
    return *begins + m_table->workingBefore(date.year(), QDate(date.year(), 1, 1).daysTo(date));
}

double WorkingTime::calendarPosition(double time) const
{
    if (plain())
        return time;
    const auto k = dayIndex(time);
    if (!k)
        return time;
    const QDate day = dayDate(*k);
    if (!day.isValid())
        return time;
    return static_cast<double>(m_start.daysTo(day)) + std::clamp(time - *k, 0.0, 1.0);
}

double WorkingTime::calendarPositionOfEnd(double time) const
{
    if (plain())
        return time;
    const auto k = dayIndex(time);
    if (!k)
        return time;
    if (std::fabs(time - static_cast<double>(*k)) > 1e-9 * std::max(1.0, std::fabs(time)))
        return calendarPosition(time);
    const QDate day = dayDate(*k - 1);
    if (!day.isValid())
        return time;
    return static_cast<double>(m_start.daysTo(day)) + 1;
}

} // namespace zant
