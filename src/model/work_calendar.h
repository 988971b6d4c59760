#pragma once

#include "model/message.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <vector>

namespace zant {

// A set of weekdays: bit 0 is Monday, bit 6 Sunday (QDate::dayOfWeek() - 1).
using Weekdays = unsigned;
inline constexpr Weekdays kMondayToFriday = 0x1F;
inline constexpr Weekdays kMondayToSaturday = 0x3F;
inline constexpr Weekdays kEveryDay = 0x7F;
constexpr Weekdays weekdayBit(int dayOfWeek)
{
    return 1u << (dayOfWeek - 1);
}

// "lun,mar,mer,gio,ven": the short names, Monday first, as the data file and the command line
// write a working week.
QString weekdayList(Weekdays days);
// The set a list of short names gives (any order, each name once, full names accepted too), or
// nothing.
std::optional<Weekdays> parseWeekdayList(QStringView text);
// "lunedì", …, "domenica" for 1..7.
QString weekdayName(int dayOfWeek);

// A day of the year without a year: the patron saint's day.
struct MonthDay
{
    int day = 0; // 0: none
    int month = 0;

    bool isSet() const { return day != 0; }
    // Whether the day exists in some year (29/02 does, in leap years).
    bool isValid() const;
    bool falls(const QDate& date) const { return date.day() == day && date.month() == month; }
    friend bool operator==(const MonthDay&, const MonthDay&) = default;
};
// "07/12" (or "7/12") read, or nothing when it is no day of a month.
std::optional<MonthDay> parseMonthDay(QStringView text);
// "07/12"
QString formatMonthDay(const MonthDay& day);
// "7 dicembre"
QString longMonthDay(const MonthDay& day);

// Days on which the site does not work, both ends included, with what they are called
// ("chiusura estiva", "fermo per neve").
struct CalendarClosure
{
    QDate first;
    QDate last;
    QString description;

    bool contains(const QDate& date) const { return date >= first && date <= last; }
    friend bool operator==(const CalendarClosure&, const CalendarClosure&) = default;
};

inline constexpr int kMaxClosures = 1000;
inline constexpr int kMaxClosureDescriptionLength = 120;
inline constexpr int kDefaultMinutesPerDay = 480;

// What a day of the project's durations is. By default every calendar day counts ("giorni
// naturali e consecutivi"), as the contract term of public works does; a contractor's programme
// counts working days instead: the days of the working week, less the national holidays, the
// patron saint's day and the closures of the site. Closures may also suspend a calendar-day
// project, when the office says so.
struct ProjectCalendar
{
    bool workingDays = false;
    Weekdays workingWeek = kMondayToFriday;
    bool nationalHolidays = true;
    MonthDay patron;
    std::vector<CalendarClosure> closures;
    bool closuresInCalendarDays = false;
    // How long a working day is, for the programs that count durations in minutes.
    int minutesPerDay = kDefaultMinutesPerDay;

    // A project that says nothing of its calendar has this one, and its file says nothing.
    bool isDefault() const { return *this == ProjectCalendar{}; }
    // Whether some day does not count, so that dates are not the start date plus the time.
    bool skipsDays() const;
    // The weekdays that count: all seven for calendar days.
    Weekdays countedWeek() const { return workingDays ? workingWeek : kEveryDay; }
    // Whether the closures take days away.
    bool closuresCount() const { return workingDays || closuresInCalendarDays; }
    bool isWorkingDay(const QDate& date) const;
    // Why a day does not count: the weekday ("domenica"), the holiday ("Pasquetta"), "santo
    // patrono" or the closure's description ("chiusura" when it has none); empty for a day that
    // counts.
    QString restReason(const QDate& date) const;

    friend bool operator==(const ProjectCalendar&, const ProjectCalendar&) = default;
};

// A working-day calendar as another planning program describes it: its working weekdays, the
// spans of days that are exceptions to them, and the length of a working day. The Italian
// holidays are not added: such a program lists every day off among its exceptions.
ProjectCalendar workingDayCalendar(Weekdays week, std::vector<CalendarClosure> exceptions,
                                   int minutesPerDay = kDefaultMinutesPerDay);

// What no calendar may hold, said in Italian: an empty working week, a patron's day that is no
// date, a closure that ends before it starts or lies outside the dates a project may have, a
// description too long, too many closures, a working day of no minutes or more than a day.
Result<void> checkCalendar(const ProjectCalendar& calendar);

// Easter Sunday of a year of the Gregorian calendar.
QDate easterSunday(int year);

struct NamedDay
{
    QDate date;
    QString name;
};
// The Italian national holidays of a year, in date order: 1 and 6 January, Easter Monday,
// 25 April, 1 May, 2 June, 15 August, 1 November, 8, 25 and 26 December.
std::vector<NamedDay> nationalHolidays(int year);

// The days from `from` to `to` that do not count although their weekday does: each closure as
// one span (cut to the period), each holiday and the patron's day as a day of its own, in date
// order. A day off that falls inside a closure is part of the closure.
std::vector<CalendarClosure> restSpans(const ProjectCalendar& calendar, const QDate& from,
                                       const QDate& to);

// The sentence the documents say the calendar with: "Durate in giorni lavorativi
// (lunedì-venerdì), festività nazionali e patrono (7 dicembre) escluse; chiusure: chiusura
// estiva dal 09/08/2027 al 20/08/2027."
QString calendarSentence(const ProjectCalendar& calendar);

// The one rule by which a time with a fraction of a day gets its date, as the documents say it.
QString fractionalTimeRule();

// The mapping between times in days of the calendar, counted from a start date, and dates.
// Day 0 is the start date, or the first day that counts after it; day k is the k-th day that
// counts after day 0 (before it for k < 0). A time t is dated by the day nearest to it, a half
// day going to the next one (std::llround): 65,5 is day 66. With every day counting, a date is
// the start date plus the time so rounded, as the dates of calendar-day projects always were.
//
// Built once per computation and asked for every date: the days that do not count are kept per
// year, with the number of working days before each year, so that a date costs a few searches.
// Copies share what was worked out.
class WorkingTime final
{
public:
    WorkingTime() = default; // no start date: every date is invalid
    WorkingTime(const ProjectCalendar& calendar, const QDate& start);

    bool isValid() const { return m_start.isValid(); }
    const ProjectCalendar& calendar() const;
    const QDate& start() const { return m_start; }
    // Whether every day counts, so that a date is the start date plus the time.
    bool plain() const;
    // Day 0.
    const QDate& firstDay() const { return m_first; }
    bool isWorkingDay(const QDate& date) const;
    // Working day k; invalid past the year 9999 or before the year 1.
    QDate dayDate(qint64 k) const;
    // The date of a time: the day the time rounds to.
    QDate dateAt(double time) const;
    // The time at which a date begins: the days that count from day 0 up to it (it excluded,
    // negative before day 0). A day that does not count begins when the next working day does.
    qint64 timeOf(const QDate& date) const;
    // Where a time stands on a scale of calendar days from start(): the beginning of its day
    // plus its fraction. The end of an activity stands at the close of the day it ends in, so
    // that a whole time ends with the last working day before it rather than across the days
    // off that follow.
    double calendarPosition(double time) const;
    double calendarPositionOfEnd(double time) const;

private:
    struct Table;

    QDate m_start;
    QDate m_first;
    std::shared_ptr<Table> m_table;
};

} // namespace zant
