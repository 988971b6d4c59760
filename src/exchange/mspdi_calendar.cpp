#include "exchange/mspdi_import.h"

#include "model/text_format.h"

#include <algorithm>

namespace zant::mspdi {

namespace {

// The last day of an exception's period: a period that ends at midnight ends with the day before.
QDate lastDayOf(const QString& text, const QDate& first)
{
    const QDate day = parseDateTime(text);
    if (day.isValid() && day > first && text.contains(QLatin1String("T00:00:00")))
        return day.addDays(-1);
    return day;
}

// The calendar `uid` and the base calendars it derives from, nearest first.
std::vector<const RawCalendar*> calendarChain(const std::vector<RawCalendar>& calendars,
                                              const QString& uid)
{
    const auto find = [&calendars](const QString& wanted) -> const RawCalendar* {
        for (const RawCalendar& c : calendars)
            if (!wanted.isEmpty() && c.uid == wanted)
                return &c;
        return nullptr;
    };
    std::vector<const RawCalendar*> chain;
    for (const RawCalendar* c = find(uid); c && chain.size() < calendars.size();
         c = find(c->baseUid)) {
        if (std::find(chain.begin(), chain.end(), c) != chain.end())
            break;
        chain.push_back(c);
    }
    return chain;
}

struct WorkingWeek
{
    Weekdays days = 0;
    // The working minutes of the working weekdays, when they are all the same and listed.
    std::optional<int> dayMinutes;
};

// The working weekdays of a chain of calendars: each day as the nearest calendar that says.
WorkingWeek workingWeekOf(const std::vector<const RawCalendar*>& chain)
{
    WorkingWeek week;
    std::optional<int> dayMinutes;
    bool sameMinutes = true;
    for (int type = 1; type <= 7; ++type) {
        bool works = type != 1 && type != 7; // Monday to Friday, where no calendar says
        int minutes = 0;
        for (const RawCalendar* c : chain) {
            if (c->weekDays[type]) {
                works = *c->weekDays[type];
                minutes = c->dayMinutes[type];
                break;
            }
        }
        if (!works)
            continue;
        week.days |= weekdayBit(type == 1 ? 7 : type - 1);
        if (dayMinutes && *dayMinutes != minutes)
            sameMinutes = false;
        dayMinutes = minutes;
    }
    if (sameMinutes && dayMinutes && *dayMinutes > 0)
        week.dayMinutes = dayMinutes;
    return week;
}

struct ExceptionDays
{
    std::vector<CalendarClosure> off; // within the dates the program allows
    int recurring = 0;                // exceptions repeated by a rule, not read
    int worked = 0;                   // working exceptions, not read
};

ExceptionDays exceptionDaysOf(const std::vector<const RawCalendar*>& chain)
{
    ExceptionDays days;
    for (const RawCalendar* c : chain) {
        for (const RawCalendar::Exception& e : c->exceptions) {
            if (e.recurring) {
                ++days.recurring;
                continue;
            }
            const QDate first = parseDateTime(e.from);
            const QDate last = e.to.isEmpty() ? first : lastDayOf(e.to, first);
            if (!first.isValid() || !last.isValid() || last < first || last < firstAllowedDate() ||
                first > lastAllowedDate())
                continue;
            if (e.working) {
                ++days.worked;
                continue;
            }
            days.off.push_back({std::max(first, firstAllowedDate()),
                                std::min(last, lastAllowedDate()), QString()});
        }
    }
    return days;
}

// The spans in order of their first day, overlapping and adjacent ones as one.
std::vector<CalendarClosure> mergedSpans(std::vector<CalendarClosure> off)
{
    std::sort(off.begin(), off.end(),
              [](const CalendarClosure& a, const CalendarClosure& b) { return a.first < b.first; });
    std::vector<CalendarClosure> merged;
    for (const CalendarClosure& span : off) {
        if (!merged.empty() && span.first <= merged.back().last.addDays(1))
            merged.back().last = std::max(merged.back().last, span.last);
        else
            merged.push_back(span);
    }
    return merged;
}

} // namespace

ProjectCalendar projectCalendar(const std::vector<RawCalendar>& calendars,
                                const QString& calendarUid, int minutesPerDay, QStringList& leftOut)
{
    const std::vector<const RawCalendar*> chain = calendarChain(calendars, calendarUid);
    if (chain.empty())
        return {};
    const WorkingWeek week = workingWeekOf(chain);
    if (week.dayMinutes)
        minutesPerDay = *week.dayMinutes;
    ExceptionDays days = exceptionDaysOf(chain);
    if (week.days == kEveryDay && days.off.empty())
        return {}; // every day worked: calendar days
    std::vector<CalendarClosure> merged = mergedSpans(std::move(days.off));
    if (merged.size() > static_cast<std::size_t>(kMaxClosures)) {
        leftOut << QStringLiteral("Eccezioni del calendario oltre le prime %1: %2.")
                       .arg(kMaxClosures)
                       .arg(merged.size() - kMaxClosures);
        merged.resize(kMaxClosures);
    }
    for (CalendarClosure& span : merged)
        span.description = QStringLiteral("giorno non lavorativo");
    if (days.recurring > 0)
        leftOut << QStringLiteral("Eccezioni ricorrenti del calendario: %1.").arg(days.recurring);
    if (days.worked > 0)
        leftOut << QStringLiteral("Giorni lavorativi straordinari del calendario: %1.")
                       .arg(days.worked);
    return workingDayCalendar(week.days == 0 ? kMondayToFriday : week.days, std::move(merged),
                              minutesPerDay);
}

} // namespace zant::mspdi
