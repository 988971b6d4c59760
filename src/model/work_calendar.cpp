#include "model/work_calendar.h"

#include "model/text_format.h"

#include <QStringList>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>

namespace zant {

namespace {

const char* const kShortWeekdays[] = {"lun", "mar", "mer", "gio", "ven", "sab", "dom"};
const char* const kWeekdays[] = {"lunedì",  "martedì", "mercoledì", "giovedì",
                                 "venerdì", "sabato",  "domenica"};
const char* const kMonths[] = {"gennaio",   "febbraio", "marzo",    "aprile",
                               "maggio",    "giugno",   "luglio",   "agosto",
                               "settembre", "ottobre",  "novembre", "dicembre"};

struct FixedHoliday
{
    int month;
    int day;
    const char* name;
};
const FixedHoliday kFixedHolidays[] = {
    {1, 1, "Capodanno"},
    {1, 6, "Epifania"},
    {4, 25, "Festa della Liberazione"},
    {5, 1, "Festa del lavoro"},
    {6, 2, "Festa della Repubblica"},
    {8, 15, "Ferragosto"},
    {11, 1, "Ognissanti"},
    {12, 8, "Immacolata Concezione"},
    {12, 25, "Natale"},
    {12, 26, "Santo Stefano"},
};
const char* const kEasterMonday = "Pasquetta";
const char* const kPatron = "santo patrono";
const char* const kClosure = "chiusura";

// The Italian holiday a date is, or null.
const char* holidayName(const QDate& date)
{
    for (const FixedHoliday& h : kFixedHolidays) {
        if (date.month() == h.month && date.day() == h.day)
            return h.name;
    }
    // Easter Monday falls from 23 March to 26 April.
    if ((date.month() == 3 || date.month() == 4) && date.dayOfWeek() == Qt::Monday &&
        easterSunday(date.year()).addDays(1) == date)
        return kEasterMonday;
    return nullptr;
}

QString closureName(const CalendarClosure& c)
{
    return c.description.isEmpty() ? QString::fromUtf8(kClosure) : c.description;
}

// "dal 09/08/2027 al 20/08/2027", or "il 15/08/2027" for a single day.
QString spanText(const QDate& first, const QDate& last)
{
    if (first == last)
        return QStringLiteral("il ") + formatDate(first);
    return QStringLiteral("dal %1 al %2").arg(formatDate(first), formatDate(last));
}

// "lunedì-venerdì", "lunedì-mercoledì e venerdì", "tutti i giorni".
QString weekText(Weekdays week)
{
    if ((week & kEveryDay) == kEveryDay)
        return QStringLiteral("tutti i giorni");
    QStringList runs;
    for (int d = 1; d <= 7; ++d) {
        if (!(week & weekdayBit(d)))
            continue;
        int end = d;
        while (end < 7 && (week & weekdayBit(end + 1)))
            ++end;
        runs << (end == d ? weekdayName(d) : weekdayName(d) + QLatin1Char('-') + weekdayName(end));
        d = end;
    }
    if (runs.size() <= 1)
        return runs.join(QString());
    const QString last = runs.takeLast();
    return runs.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

} // namespace

QString weekdayList(Weekdays days)
{
    QStringList names;
    for (int d = 1; d <= 7; ++d) {
        if (days & weekdayBit(d))
            names << QString::fromLatin1(kShortWeekdays[d - 1]);
    }
    return names.join(QLatin1Char(','));
}

std::optional<Weekdays> parseWeekdayList(QStringView text)
{
    Weekdays days = 0;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    for (QStringView piece : text.split(QLatin1Char(','))) {
        const QString name = piece.trimmed().toString().toLower();
        int found = 0;
        for (int d = 1; d <= 7 && !found; ++d) {
            const QString full = QString::fromUtf8(kWeekdays[d - 1]);
            QString plain = full;
            plain.replace(QChar(0x00EC), QLatin1Char('i'));
            if (name == QLatin1String(kShortWeekdays[d - 1]) || name == full || name == plain)
                found = d;
        }
        if (!found || (days & weekdayBit(found)))
            return std::nullopt;
        days |= weekdayBit(found);
    }
    return days;
}

QString weekdayName(int dayOfWeek)
{
    return QString::fromUtf8(kWeekdays[std::clamp(dayOfWeek, 1, 7) - 1]);
}

bool MonthDay::isValid() const
{
    return month >= 1 && month <= 12 && day >= 1 && day <= QDate(2000, month, 1).daysInMonth();
}

std::optional<MonthDay> parseMonthDay(QStringView text)
{
    const QList<QStringView> parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 2)
        return std::nullopt;
    const auto number = [](QStringView part) {
        bool ok = part.size() >= 1 && part.size() <= 2;
        for (QChar c : part)
            ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        return ok ? part.toInt() : 0;
    };
    const MonthDay day{number(parts[0]), number(parts[1])};
    if (!day.isValid())
        return std::nullopt;
    return day;
}

QString formatMonthDay(const MonthDay& day)
{
    return QStringLiteral("%1/%2")
        .arg(day.day, 2, 10, QLatin1Char('0'))
        .arg(day.month, 2, 10, QLatin1Char('0'));
}

QString longMonthDay(const MonthDay& day)
{
    return QStringLiteral("%1 %2").arg(day.day).arg(
        QString::fromLatin1(kMonths[std::clamp(day.month, 1, 12) - 1]));
}

bool ProjectCalendar::skipsDays() const
{
    return workingDays || (closuresInCalendarDays && !closures.empty());
}

bool ProjectCalendar::isWorkingDay(const QDate& date) const
{
    return restReason(date).isEmpty();
}

QString ProjectCalendar::restReason(const QDate& date) const
{
    if (!date.isValid())
        return QString();
    if (workingDays) {
        if (!(workingWeek & weekdayBit(date.dayOfWeek())))
            return weekdayName(date.dayOfWeek());
        if (nationalHolidays) {
            if (const char* name = holidayName(date))
                return QString::fromUtf8(name);
        }
        if (patron.isSet() && patron.falls(date))
            return QString::fromUtf8(kPatron);
    }
    if (closuresCount()) {
        for (const CalendarClosure& c : closures) {
            if (c.contains(date))
                return closureName(c);
        }
    }
    return QString();
}

ProjectCalendar workingDayCalendar(Weekdays week, std::vector<CalendarClosure> exceptions,
                                   int minutesPerDay)
{
    ProjectCalendar calendar;
    calendar.workingDays = true;
    calendar.workingWeek = week & kEveryDay;
    calendar.nationalHolidays = false;
    calendar.closures = std::move(exceptions);
    calendar.minutesPerDay = minutesPerDay;
    return calendar;
}

Result<void> checkCalendar(const ProjectCalendar& calendar)
{
    if ((calendar.workingWeek & kEveryDay) == 0 || (calendar.workingWeek & ~kEveryDay) != 0)
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("Scegliere almeno un giorno lavorativo della settimana.")));
    if (calendar.patron.isSet() && !calendar.patron.isValid())
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("Il giorno del santo patrono (%1/%2) non è una data.")
                                  .arg(calendar.patron.day)
                                  .arg(calendar.patron.month)));
    if (calendar.closures.size() > static_cast<std::size_t>(kMaxClosures))
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("Si possono indicare al più %1 chiusure.").arg(kMaxClosures)));
    for (std::size_t i = 0; i < calendar.closures.size(); ++i) {
        const CalendarClosure& c = calendar.closures[i];
        const auto inRange = [](const QDate& d) {
            return d.isValid() && d >= firstAllowedDate() && d <= lastAllowedDate();
        };
        if (!inRange(c.first) || !inRange(c.last))
            return Error(
                ErrorKind::Refused,
                critical(QStringLiteral("La chiusura n. %1 ha una data non valida: le date "
                                        "vanno dal %2 al %3.")
                             .arg(i + 1)
                             .arg(formatDate(firstAllowedDate()), formatDate(lastAllowedDate()))));
        if (c.last < c.first)
            return Error(
                ErrorKind::Refused,
                critical(QStringLiteral("La chiusura n. %1 finisce il %2, prima di cominciare "
                                        "(%3).")
                             .arg(i + 1)
                             .arg(formatDate(c.last), formatDate(c.first))));
        if (c.description.size() > kMaxClosureDescriptionLength)
            return Error(ErrorKind::Refused,
                         critical(QStringLiteral("La descrizione della chiusura n. %1 supera i %2 "
                                                 "caratteri.")
                                      .arg(i + 1)
                                      .arg(kMaxClosureDescriptionLength)));
        if (hasControlCharacter(c.description))
            return Error(ErrorKind::Refused,
                         critical(QStringLiteral("La descrizione della chiusura n. %1 contiene "
                                                 "caratteri di controllo.")
                                      .arg(i + 1)));
    }
    if (calendar.minutesPerDay < 1 || calendar.minutesPerDay > 1440)
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("La giornata lavorativa deve durare da 1 a 1440 minuti.")));
    return {};
}

QDate easterSunday(int year)
{
    // The anonymous Gregorian computus (Meeus, Jones, Butcher).
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(year, month, day);
}

std::vector<NamedDay> nationalHolidays(int year)
{
    std::vector<NamedDay> days;
    for (const FixedHoliday& h : kFixedHolidays)
        days.push_back({QDate(year, h.month, h.day), QString::fromUtf8(h.name)});
    days.push_back({easterSunday(year).addDays(1), QString::fromUtf8(kEasterMonday)});
    std::sort(days.begin(), days.end(),
              [](const NamedDay& a, const NamedDay& b) { return a.date < b.date; });
    return days;
}

std::vector<CalendarClosure> restSpans(const ProjectCalendar& calendar, const QDate& from,
                                       const QDate& to)
{
    std::vector<CalendarClosure> spans;
    if (!from.isValid() || !to.isValid() || to < from)
        return spans;
    if (calendar.closuresCount()) {
        for (const CalendarClosure& c : calendar.closures) {
            if (c.last < from || c.first > to)
                continue;
            spans.push_back({std::max(c.first, from), std::min(c.last, to), closureName(c)});
        }
    }
    if (calendar.workingDays) {
        const auto inClosure = [&](const QDate& d) {
            return calendar.closuresCount() &&
                   std::any_of(calendar.closures.begin(), calendar.closures.end(),
                               [&](const CalendarClosure& c) { return c.contains(d); });
        };
        const auto add = [&](const QDate& d, const QString& name) {
            if (d.isValid() && d >= from && d <= to &&
                (calendar.workingWeek & weekdayBit(d.dayOfWeek())) && !inClosure(d))
                spans.push_back({d, d, name});
        };
        for (int year = from.year(); year <= to.year(); ++year) {
            if (calendar.nationalHolidays) {
                for (const NamedDay& h : nationalHolidays(year))
                    add(h.date, h.name);
            }
            // A holiday that is also the patron's day is named once, as the holiday.
            if (calendar.patron.isSet()) {
                const QDate d(year, calendar.patron.month, calendar.patron.day);
                if (!(calendar.nationalHolidays && d.isValid() && holidayName(d)))
                    add(d, QString::fromUtf8(kPatron));
            }
        }
    }
    std::stable_sort(
        spans.begin(), spans.end(),
        [](const CalendarClosure& a, const CalendarClosure& b) { return a.first < b.first; });
    return spans;
}

QString calendarSentence(const ProjectCalendar& calendar)
{
    QString text;
    if (calendar.workingDays) {
        text =
            QStringLiteral("Durate in giorni lavorativi (%1)").arg(weekText(calendar.workingWeek));
        const bool patron = calendar.patron.isSet();
        const QString patronText =
            QStringLiteral("patrono (%1)").arg(longMonthDay(calendar.patron));
        if (calendar.nationalHolidays && patron)
            text += QStringLiteral(", festività nazionali e %1 escluse").arg(patronText);
        else if (calendar.nationalHolidays)
            text += QStringLiteral(", festività nazionali escluse");
        else if (patron)
            text += QStringLiteral(", %1 escluso").arg(patronText);
    } else {
        text = QStringLiteral("Durate in giorni naturali e consecutivi");
    }
    if (calendar.closuresCount() && !calendar.closures.empty()) {
        QStringList closures;
        for (const CalendarClosure& c : calendar.closures)
            closures << closureName(c) + QLatin1Char(' ') + spanText(c.first, c.last);
        text += calendar.workingDays ? QStringLiteral("; chiusure: ")
                                     : QStringLiteral("; chiusure non conteggiate (sospensione "
                                                      "dei lavori): ");
        text += closures.join(QStringLiteral(", "));
    }
    return text + QLatin1Char('.');
}

QString fractionalTimeRule()
{
    return QStringLiteral(
        "I giorni si contano dalla data iniziale, che è il giorno 0 (se non è un giorno "
        "lavorativo, il giorno 0 è il primo giorno lavorativo che la segue). Un tempo di t giorni "
        "prende la data del giorno numero t arrotondato al giorno intero più vicino; mezza "
        "giornata va al giorno seguente (65,5 giorni: giorno 66).");
}

} // namespace zant
