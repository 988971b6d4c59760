#include "exchange/mspdi.h"
#include "exchange/mspdi_format.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QBuffer>
#include <QDateTime>
#include <QXmlStreamWriter>

#include <cmath>

namespace zant {

namespace {

constexpr int kElapsedDaysFormat = 8;
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

QString durationText(double days)
{
    const long long seconds = std::llround(std::max(0.0, days) * 86400.0);
    return QStringLiteral("PT%1H%2M%3S")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60)
        .arg(seconds % 60);
}

// Slack in tenths of a minute.
QString slackText(double days)
{
    return QString::number(std::llround((isZeroFloat(days) ? 0.0 : days) * 14400.0));
}

class TaskWriter final
{
public:
    TaskWriter(QXmlStreamWriter& xml, const QDate& start) : m_xml(xml), m_start(start) {}

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
        text(QStringLiteral("Start"), dateTimeText(m_start, t.earlyStart));
        text(QStringLiteral("Finish"), dateTimeText(m_start, t.earlyStart + t.days));
        text(QStringLiteral("Duration"), durationText(t.days));
        text(QStringLiteral("DurationFormat"), QString::number(kElapsedDaysFormat));
        text(QStringLiteral("Estimated"), QStringLiteral("0"));
        text(QStringLiteral("Milestone"), milestone ? QStringLiteral("1") : QStringLiteral("0"));
        text(QStringLiteral("Summary"), QStringLiteral("0"));
        text(QStringLiteral("Critical"), t.critical ? QStringLiteral("1") : QStringLiteral("0"));
        text(QStringLiteral("EarlyStart"), dateTimeText(m_start, t.earlyStart));
        text(QStringLiteral("EarlyFinish"), dateTimeText(m_start, t.earlyStart + t.days));
        text(QStringLiteral("LateStart"), dateTimeText(m_start, t.lateFinish - t.days));
        text(QStringLiteral("LateFinish"), dateTimeText(m_start, t.lateFinish));
        text(QStringLiteral("FreeSlack"), slackText(t.freeFloat));
        text(QStringLiteral("TotalSlack"), slackText(t.totalFloat));
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
            text(QStringLiteral("LagFormat"), QString::number(kElapsedDaysFormat));
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

private:
    QXmlStreamWriter& m_xml;
    QDate m_start;
};

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
        xml.writeStartElement(QStringLiteral("WorkingTimes"));
        xml.writeStartElement(QStringLiteral("WorkingTime"));
        xml.writeTextElement(QStringLiteral("FromTime"), QStringLiteral("00:00:00"));
        xml.writeTextElement(QStringLiteral("ToTime"), QStringLiteral("00:00:00")); // midnight
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

} // namespace

QByteArray writeMspdi(const Project& project, const ScheduleResults& r, const QString& title)
{
    QDate start = parseDate(project.startDateText());
    if (!start.isValid())
        start = parseDate(kInitialStartDate);
    const int n = r.eventCount;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("Project"));
    xml.writeDefaultNamespace(mspdi::kNamespace);
    xml.writeTextElement(QStringLiteral("SaveVersion"), QStringLiteral("14"));
    if (!title.isEmpty())
        xml.writeTextElement(QStringLiteral("Title"), schemaName(title));
    xml.writeTextElement(QStringLiteral("ScheduleFromStart"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("StartDate"), dateTimeText(start, 0));
    xml.writeTextElement(QStringLiteral("FinishDate"),
                         dateTimeText(start, n > 0 ? r.earliest[n] : 0.0));
    // Required by the schema, though nothing here has a cost.
    xml.writeTextElement(QStringLiteral("CurrencyCode"), QStringLiteral("EUR"));
    xml.writeTextElement(QStringLiteral("CalendarUID"), QStringLiteral("1"));
    xml.writeTextElement(QStringLiteral("DefaultStartTime"), QStringLiteral("00:00:00"));
    xml.writeTextElement(QStringLiteral("DefaultFinishTime"), QStringLiteral("00:00:00"));
    xml.writeTextElement(QStringLiteral("MinutesPerDay"),
                         QString::number(mspdi::kMinutesPerCalendarDay));
    xml.writeTextElement(QStringLiteral("MinutesPerWeek"),
                         QString::number(7 * mspdi::kMinutesPerCalendarDay));
    xml.writeTextElement(QStringLiteral("DaysPerMonth"), QStringLiteral("30"));
    xml.writeTextElement(QStringLiteral("DurationFormat"), QString::number(kElapsedDaysFormat));
    writeCalendar(xml);

    // Milestone of event i, then the tasks of its activities, numbered in that order; a dummy
    // is no task but a link between the milestones of its two events.
    std::vector<int> milestoneUid(n + 1, 0);
    std::vector<std::vector<int>> taskUid(n + 1); // by slot, 0 for a dummy
    int next = 0;
    for (int i = 1; i <= n; ++i) {
        milestoneUid[i] = ++next;
        for (const Activity a : project.activities(i))
            taskUid[i].push_back(a.isDummy() ? 0 : ++next);
    }
    std::vector<std::vector<int>> into(n + 1); // tasks and dummies' milestones before each event
    for (int i = 1; i < n; ++i) {
        int index = 0;
        for (const Activity a : project.activities(i)) {
            const int uid = taskUid[i][index++];
            into[a.to].push_back(uid != 0 ? uid : milestoneUid[i]);
        }
    }

    xml.writeStartElement(QStringLiteral("Tasks"));
    TaskWriter tasks(xml, start);
    for (int i = 1; i <= n; ++i) {
        TaskWriter::Times m;
        m.earlyStart = r.earliest[i];
        m.lateFinish = r.latest[i];
        m.totalFloat = r.eventFloat(i);
        m.critical = r.isCritical(i);
        tasks.write(milestoneUid[i],
                    QStringLiteral("Evento %1: %2").arg(i).arg(project.description(i)), m, into[i],
                    true);
        int index = 0;
        for (const Activity a : project.activities(i)) {
            const int uid = taskUid[i][index++];
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
            tasks.write(uid, project.activityName(i, a.slot), t, {milestoneUid[i]}, false);
        }
    }
    xml.writeEndElement(); // Tasks
    xml.writeEndElement(); // Project
    xml.writeEndDocument();
    return bytes;
}

Outcome exportMspdi(const QString& path, const Project& project, const ScheduleResults& results,
                    const QString& projectTitle)
{
    return saveFile(path, writeMspdi(project, results, projectTitle));
}

} // namespace zant
