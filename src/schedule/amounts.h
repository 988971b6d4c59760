#pragma once

#include "model/money.h"
#include "model/project.h"
#include "schedule/schedule.h"

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

namespace zant {

// The date of day k of the project's time (day 0 is the first day of the works). Under calendar
// days it is the start date plus k; under a working calendar, the k-th working day.
using DayDate = std::function<QDate(qint64 day)>;

// Calendar days: day k is `start` plus k days.
DayDate calendarDays(const QDate& start);
// The days of a project's time as its dates: what every caller asks for, so that a working
// calendar, when the project has one, is taken in one place.
DayDate projectDays(const Project& project);

// "marzo 2027"
QString monthLabel(const QDate& date);
// "1° anno (dal 01/02/2027 al 31/01/2028)"
QString contractYearLabel(int number, const QDate& first, const QDate& last);

// The amounts of one period (a month, or a contract year counted from the start date).
struct PeriodAmounts
{
    QDate first; // first and last calendar day of the period
    QDate last;
    QString label;   // "marzo 2027"; "1° anno (dal 01/02/2027 al 31/01/2028)"
    Cents early = 0; // done in the period on the earliest schedule
    Cents late = 0;  // on the latest schedule
    Cents earlyCumulative = 0;
    Cents lateCumulative = 0;
};

// Cumulative amount at the end of a day of the project's time, for both schedules.
struct CurvePoint
{
    qint64 day = 0;
    QDate date;
    Cents early = 0;
    Cents late = 0;
};

// An activity's amount spread evenly over its days (the days of the calendar its times count),
// all of it on its date when it lasts 0 days; the per-activity split is in whole cents
// (largest remainder), so that every table adds up to the total exactly.
struct AmountsInTime
{
    Cents total = 0;
    std::vector<PeriodAmounts> months;
    std::vector<PeriodAmounts> years;
    std::vector<CurvePoint> curve; // one point per day from day 0 to the last day with work
};

// The months run from the start date's month to the month of the last day; the contract years
// from the start date (or from day 0 without one). With no results, or the results of another
// network, only the total is given.
AmountsInTime amountsInTime(const Project& project, const ScheduleResults& results,
                            const DayDate& dayDate);

// When a stato di avanzamento lavori falls: every N months from the start date, or each time the
// work done reaches a further amount; a SAL below the minimum waits for the next one (the last
// SAL, at the end of the works, takes what is left whatever its size).
//
// By months, SAL k counts the work done up to the day before the start date plus k·N months
// (its date), for the dates before the end of the works. By amount, a SAL falls at the end of
// the first day on which the work done since the last SAL reaches the amount (or the minimum,
// when larger). A period without work gives no SAL. Each schedule has its own SALs: the k-th
// SAL of the earliest schedule and that of the latest side by side (a side without a k-th SAL
// has no date and no amount).
struct SalRule
{
    int everyMonths = 0;   // > 0: by months
    Cents everyAmount = 0; // > 0: by amount
    Cents minimum = 0;
};

struct SalForecast
{
    int number = 0;
    QDate earlyDate;
    QDate lateDate;
    Cents earlyAmount = 0; // the SAL's own amount (not cumulated) on the earliest schedule
    Cents lateAmount = 0;
    Cents earlyCumulative = 0;
    Cents lateCumulative = 0;
};

std::vector<SalForecast> salForecast(const AmountsInTime& amounts, const SalRule& rule);

} // namespace zant
