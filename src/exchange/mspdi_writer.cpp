#include "exchange/mspdi.h"
#include "exchange/mspdi_format.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QBuffer>
#include <QDateTime>
#include <QXmlStreamWriter>

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>
#include <vector>

namespace zant {

namespace {

constexpr int kElapsedDaysFormat = 8;
constexpr int kWorkingDaysFormat = 7;
// The working day of a working-day calendar: 08:00-12:00 and 13:00-17:00.
constexpr int kMorningStart = 8 * 60;
constexpr int kMorningMinutes = 4 * 60;
constexpr int kAfternoonStart = 13 * 60;
constexpr int kDayEnd = 17 * 60;
constexpr int kWorkedMinutes = 8 * 60;
// The longest task name and project title the format's schema allows.
constexpr qsizetype kMaxNameLength = 512;

// Names and the title are the user's texts, which may hold characters XML cannot carry.
QString xmlText(const QString& text)
{
    return cleanXmlText(text);
}

// A name or title the schema accepts: at most kMaxNameLength characters (a pair of surrogates
// is one character).
QString schemaName(const QString& text)
{
    const QString clean = xmlText(text);
    qsizetype characters = 0;
    for (qsizetype i = 0; i < clean.size(); ++i) {
        if (characters == kMaxNameLength)
            return clean.left(i);
        if (clean[i].isHighSurrogate() && i + 1 < clean.size() && clean[i + 1].isLowSurrogate())
            ++i;
        ++characters;
    }
    return clean;
}

QString dateTimeText(const QDate& start, double days)
{
    const QDateTime at =
        QDateTime(start, QTime(0, 0), Qt::UTC).addSecs(std::llround(days * 86400.0));
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString durationText(double days, int minutesPerDay)
{
    const long long seconds = std::llround(std::max(0.0, days) * minutesPerDay * 60.0);
    return QStringLiteral("PT%1H%2M%3S")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60)
        .arg(seconds % 60);
}

// How times in the program's days become the other program's dates and durations. On calendar
// days a day is 24 hours of every day; on working days it is one working day of the calendar,
// worked 08:00-12:00 and 13:00-17:00, and a time falls on the working day its whole part counts
// to, its fraction spread over the worked hours.
class Dating final
{
public:
    Dating(const WorkingTime& clock, int minutesPerDay)
        : m_clock(clock), m_working(clock.isValid() && !clock.plain()),
          m_minutesPerDay(m_working ? minutesPerDay : mspdi::kMinutesPerCalendarDay)
    {
    }

    bool working() const { return m_working; }
    int minutesPerDay() const { return m_minutesPerDay; }
    int format() const { return m_working ? kWorkingDaysFormat : kElapsedDaysFormat; }

    // When something that begins at `time` begins.
    QString start(double time) const { return at(time, false); }
    // When something that ends at `time` ends: a whole time ends with the close of the working
    // day before it, as the other program ends a task at 17:00 rather than at the next morning.
    QString finish(double time) const { return at(time, true); }
    QString duration(double days) const { return durationText(days, m_minutesPerDay); }
    // Slack in tenths of a minute.
    QString slack(double days) const
    {
        return QString::number(
            std::llround((isZeroFloat(days) ? 0.0 : days) * m_minutesPerDay * 10.0));
    }

private:
    QString at(double time, bool end) const
    {
        if (!m_working)
            return dateTimeText(m_clock.start(), time);
        double day = std::floor(time);
        // The fraction in whole minutes of the worked day, rounded as the elapsed export rounds
        // to the second.
        long long minutes = std::llround((time - day) * kWorkedMinutes);
        if (minutes >= kWorkedMinutes) {
            day += 1;
            minutes = 0;
        }
        int clock = 0;
        if (minutes == 0 && end && time > 0) {
            day -= 1;
            clock = kDayEnd;
        } else {
            clock =
                static_cast<int>(minutes < kMorningMinutes || (minutes == kMorningMinutes && end)
                                     ? kMorningStart + minutes
                                     : kAfternoonStart + minutes - kMorningMinutes);
        }
        const QDate date = m_clock.dayDate(static_cast<qint64>(day));
        return QDateTime(date, QTime(clock / 60, clock % 60), Qt::UTC)
            .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    }

    WorkingTime m_clock;
    bool m_working;
    int m_minutesPerDay;
};

class TaskWriter final
{
public:
    TaskWriter(QXmlStreamWriter& xml, const Dating& dating) : m_xml(xml), m_dating(dating) {}

    struct Times
    {
        double earlyStart = 0, days = 0, lateFinish = 0, freeFloat = 0, totalFloat = 0;
        bool critical = false;
        Cents cost = 0;
    };

    void write(int uid, const QString& name, const Times& t, const std::vector<int>& predecessors,
               bool milestone)
    {
        const auto text = [this](const QString& element, const QString& value) {
            m_xml.writeTextElement(element, value);
        };
        m_xml.writeStartElement(QStringLiteral("Task"));
        text(QStringLiteral("UID"), QString::number(uid));
        text(QStringLiteral("ID"), QString::number(uid));
        text(QStringLiteral("Name"), schemaName(name));
        text(QStringLiteral("Type"), QStringLiteral("1")); // fixed duration
        text(QStringLiteral("IsNull"), QStringLiteral("0"));
        text(QStringLiteral("OutlineNumber"), QString::number(uid));
        text(QStringLiteral("OutlineLevel"), QStringLiteral("1"));
        text(QStringLiteral("Priority"), QStringLiteral("500"));
        // A milestone after some work stands where that work ends.
        const auto startOf = [&](double time) {
            return milestone ? m_dating.finish(time) : m_dating.start(time);
        };
        const QString earlyStart = startOf(t.earlyStart);
        const QString earlyFinish = m_dating.finish(t.earlyStart + t.days);
        const QString lateStart = startOf(t.lateFinish - t.days);
        const QString lateFinish = m_dating.finish(t.lateFinish);
        text(QStringLiteral("Start"), earlyStart);
        text(QStringLiteral("Finish"), milestone ? earlyStart : earlyFinish);
        text(QStringLiteral("Duration"), m_dating.duration(t.days));
        text(QStringLiteral("DurationFormat"), QString::number(m_dating.format()));
        text(QStringLiteral("Estimated"), QStringLiteral("0"));
        text(QStringLiteral("Milestone"), milestone ? QStringLiteral("1") : QStringLiteral("0"));
        text(QStringLiteral("Summary"), QStringLiteral("0"));
        text(QStringLiteral("Critical"), t.critical ? QStringLiteral("1") : QStringLiteral("0"));
        text(QStringLiteral("EarlyStart"), earlyStart);
        text(QStringLiteral("EarlyFinish"), milestone ? earlyStart : earlyFinish);
        text(QStringLiteral("LateStart"), lateStart);
        text(QStringLiteral("LateFinish"), milestone ? lateStart : lateFinish);
        text(QStringLiteral("FreeSlack"), m_dating.slack(t.freeFloat));
        text(QStringLiteral("TotalSlack"), m_dating.slack(t.totalFloat));
        if (t.cost > 0) {
            // Money in hundredths of the currency, that is in cents, spread over the task's
            // duration (accrual 3, "prorated") as the amounts in time spread it.
            text(QStringLiteral("FixedCost"), QString::number(t.cost));
            text(QStringLiteral("FixedCostAccrual"), QStringLiteral("3"));
            text(QStringLiteral("Cost"), QString::number(t.cost));
        }
        text(QStringLiteral("ConstraintType"), QStringLiteral("0")); // as soon as possible
        for (int p : predecessors) {
            m_xml.writeStartElement(QStringLiteral("PredecessorLink"));
            text(QStringLiteral("PredecessorUID"), QString::number(p));
            text(QStringLiteral("Type"), QStringLiteral("1")); // finish-to-start
            text(QStringLiteral("CrossProject"), QStringLiteral("0"));
            text(QStringLiteral("LinkLag"), QStringLiteral("0"));
            text(QStringLiteral("LagFormat"), QString::number(m_dating.format()));
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

private:
    QXmlStreamWriter& m_xml;
    const Dating& m_dating;
};

void writeWorkingTimes(QXmlStreamWriter& xml, const std::vector<std::pair<int, int>>& spans)
{
    const auto clock = [](int minutes) {
        return QTime(minutes / 60 % 24, minutes % 60).toString(QStringLiteral("HH:mm:ss"));
    };
    xml.writeStartElement(QStringLiteral("WorkingTimes"));
    for (const auto& [from, to] : spans) {
        xml.writeStartElement(QStringLiteral("WorkingTime"));
        xml.writeTextElement(QStringLiteral("FromTime"), clock(from));
        xml.writeTextElement(QStringLiteral("ToTime"), clock(to)); // 24:00 is written 00:00
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// The calendar of calendar days: 24 hours, every day.
void writeCalendar(QXmlStreamWriter& xml)
{
    xml.writeStartElement(QStringLiteral("Calendars"));
    xml.writeStartElement(QStringLiteral("Calendar"));
    xml.writeTextElement(QStringLiteral("UID"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("24 ore, 7 giorni"));
    xml.writeTextElement(QStringLiteral("IsBaseCalendar"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("BaseCalendarUID"), QStringLiteral("-1"));
    xml.writeStartElement(QStringLiteral("WeekDays"));
    for (int day = 1; day <= 7; ++day) {
        xml.writeStartElement(QStringLiteral("WeekDay"));
        xml.writeTextElement(QStringLiteral("DayType"), QString::number(day));
        xml.writeTextElement(QStringLiteral("DayWorking"), QStringLiteral("1"));
        writeWorkingTimes(xml, {{0, 24 * 60}});
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

// A calendar of working days: the working week in 8-hour days, and each day off of the project's
// span that falls on a working weekday (holidays, the patron's day, closures) as an exception.
void writeWorkingCalendar(QXmlStreamWriter& xml, const ProjectCalendar& calendar, const QDate& from,
                          const QDate& to)
{
    const Weekdays week = calendar.countedWeek();
    xml.writeStartElement(QStringLiteral("Calendars"));
    xml.writeStartElement(QStringLiteral("Calendar"));
    xml.writeTextElement(QStringLiteral("UID"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Calendario del progetto"));
    xml.writeTextElement(QStringLiteral("IsBaseCalendar"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("BaseCalendarUID"), QStringLiteral("-1"));
    xml.writeStartElement(QStringLiteral("WeekDays"));
    for (int type = 1; type <= 7; ++type) {
        // DayType 1 is Sunday, 7 Saturday.
        const int dayOfWeek = type == 1 ? 7 : type - 1;
        const bool works = (week & weekdayBit(dayOfWeek)) != 0;
        xml.writeStartElement(QStringLiteral("WeekDay"));
        xml.writeTextElement(QStringLiteral("DayType"), QString::number(type));
        xml.writeTextElement(QStringLiteral("DayWorking"),
                             works ? QStringLiteral("1") : QStringLiteral("0"));
        if (works)
            writeWorkingTimes(xml, {{kMorningStart, kMorningStart + kMorningMinutes},
                                    {kAfternoonStart, kDayEnd}});
        xml.writeEndElement();
    }
    for (const CalendarClosure& off : restSpans(calendar, from, to)) {
        xml.writeStartElement(QStringLiteral("WeekDay"));
        xml.writeTextElement(QStringLiteral("DayType"), QStringLiteral("0"));
        xml.writeTextElement(QStringLiteral("DayWorking"), QStringLiteral("0"));
        xml.writeStartElement(QStringLiteral("TimePeriod"));
        xml.writeTextElement(QStringLiteral("FromDate"),
                             off.first.toString(QStringLiteral("yyyy-MM-ddT00:00:00")));
        xml.writeTextElement(QStringLiteral("ToDate"),
                             off.last.toString(QStringLiteral("yyyy-MM-ddT23:59:00")));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

// The project's own elements, up to its calendar: its dates and how its durations are written.
void writeProjectValues(QXmlStreamWriter& xml, const Project& project, const ScheduleResults& r,
                        const QString& title, const WorkingTime& clock, const Dating& dating)
{
    const int n = r.eventCount;
    xml.writeTextElement(QStringLiteral("SaveVersion"), QStringLiteral("14"));
    if (!title.isEmpty())
        xml.writeTextElement(QStringLiteral("Title"), schemaName(title));
    xml.writeTextElement(QStringLiteral("ScheduleFromStart"), QStringLiteral("1"));
    const ProjectCalendar& calendar = project.calendar();
    const double end = n > 0 ? r.earliest[n] : 0.0;
    xml.writeTextElement(QStringLiteral("StartDate"), dating.start(0));
    xml.writeTextElement(QStringLiteral("FinishDate"), dating.finish(end));
    // Required by the schema, though nothing here has a cost.
    xml.writeTextElement(QStringLiteral("CurrencyCode"), QStringLiteral("EUR"));
    xml.writeTextElement(QStringLiteral("CalendarUID"), QStringLiteral("1"));
    const int weekDays = std::popcount(calendar.countedWeek());
    xml.writeTextElement(QStringLiteral("DefaultStartTime"), dating.working()
                                                                 ? QStringLiteral("08:00:00")
                                                                 : QStringLiteral("00:00:00"));
    xml.writeTextElement(QStringLiteral("DefaultFinishTime"), dating.working()
                                                                  ? QStringLiteral("17:00:00")
                                                                  : QStringLiteral("00:00:00"));
    xml.writeTextElement(QStringLiteral("MinutesPerDay"), QString::number(dating.minutesPerDay()));
    xml.writeTextElement(
        QStringLiteral("MinutesPerWeek"),
        QString::number((dating.working() ? weekDays : 7) * dating.minutesPerDay()));
    xml.writeTextElement(QStringLiteral("DaysPerMonth"),
                         dating.working() ? QStringLiteral("20") : QStringLiteral("30"));
    xml.writeTextElement(QStringLiteral("DurationFormat"), QString::number(dating.format()));
    if (dating.working()) {
        // The days off up to the day after the last date the tasks have.
        const double last = std::max({end, n > 0 ? r.latest[n] : 0.0, 0.0});
        QDate until = clock.dayDate(static_cast<qint64>(std::ceil(last)) + 1);
        if (!until.isValid())
            until = lastAllowedDate();
        writeWorkingCalendar(xml, calendar, clock.firstDay(), until);
    } else {
        writeCalendar(xml);
    }
}

// Milestone of event i, then the tasks of its activities, numbered in that order; a dummy is no
// task but a link between the milestones of its two events.
struct TaskNumbers
{
    std::vector<int> milestoneUid;         // by event
    std::vector<std::vector<int>> taskUid; // by event and slot, 0 for a dummy
    std::vector<std::vector<int>> into;    // tasks and dummies' milestones before each event
};

TaskNumbers taskNumbers(const Project& project, int n)
{
    TaskNumbers numbers{std::vector<int>(n + 1, 0), std::vector<std::vector<int>>(n + 1),
                        std::vector<std::vector<int>>(n + 1)};
    int next = 0;
    for (int i = 1; i <= n; ++i) {
        numbers.milestoneUid[i] = ++next;
        for (const Activity a : project.activities(i))
            numbers.taskUid[i].push_back(a.isDummy() ? 0 : ++next);
    }
    for (int i = 1; i < n; ++i) {
        int index = 0;
        for (const Activity a : project.activities(i)) {
            const int uid = numbers.taskUid[i][index++];
            numbers.into[a.to].push_back(uid != 0 ? uid : numbers.milestoneUid[i]);
        }
    }
    return numbers;
}

// Each event's milestone, then the tasks of its activities.
void writeTasks(QXmlStreamWriter& xml, const Dating& dating, const Project& project,
                const ScheduleResults& r)
{
    const int n = r.eventCount;
    const TaskNumbers numbers = taskNumbers(project, n);
    xml.writeStartElement(QStringLiteral("Tasks"));
    TaskWriter tasks(xml, dating);
    for (int i = 1; i <= n; ++i) {
        TaskWriter::Times m;
        m.earlyStart = r.earliest[i];
        m.lateFinish = r.latest[i];
        m.totalFloat = r.eventFloat(i);
        m.critical = r.isCritical(i);
        tasks.write(numbers.milestoneUid[i],
                    QStringLiteral("Evento %1: %2").arg(i).arg(project.description(i)), m,
                    numbers.into[i], true);
        int index = 0;
        for (const Activity a : project.activities(i)) {
            const int uid = numbers.taskUid[i][index++];
            if (uid == 0)
                continue;
            TaskWriter::Times t;
            t.earlyStart = r.earliest[i];
            t.days = a.days();
            t.lateFinish = r.latest[a.to];
            t.freeFloat = r.linkFreeFloatAt(i, a.slot);
            t.totalFloat = r.linkFloatAt(i, a.slot);
            t.critical = isZeroFloat(t.totalFloat);
            t.cost = a.amount();
            tasks.write(uid, project.activityName(i, a.slot), t, {numbers.milestoneUid[i]}, false);
        }
    }
    xml.writeEndElement(); // Tasks
}

} // namespace

QByteArray writeMspdi(const Project& project, const ScheduleResults& r, const QString& title)
{
    QDate start = parseDate(project.startDateText());
    if (!start.isValid())
        start = parseDate(kInitialStartDate);
    const ProjectCalendar& calendar = project.calendar();
    const WorkingTime clock =
        r.clock.isValid() && r.clock.start() == start ? r.clock : WorkingTime(calendar, start);
    const Dating dating(clock, calendar.minutesPerDay);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("Project"));
    xml.writeDefaultNamespace(mspdi::kNamespace);
    writeProjectValues(xml, project, r, title, clock, dating);
    writeTasks(xml, dating, project, r);
    xml.writeEndElement(); // Project
    xml.writeEndDocument();
    return bytes;
}

Result<void> exportMspdi(const QString& path, const Project& project,
                         const ScheduleResults& results, const QString& projectTitle)
{
    return saveFile(path, writeMspdi(project, results, projectTitle));
}

} // namespace zant
