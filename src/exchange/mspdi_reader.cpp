#include "exchange/import_check.h"
#include "exchange/mspdi.h"
#include "exchange/mspdi_format.h"

#include "model/cp1252.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTime>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>

namespace zant {

namespace {

// The plan of 500 events with a link between every two of them, as the program exports it, is
// about 140 MB.
constexpr qint64 kMaxMspdiBytes = 256 << 20;
constexpr double kMaxImportedDays = 1'000'000;
// Tasks read, summaries and inactive ones included, before any is looked at.
constexpr int kMaxTasksRead = 2 * kMaxNetworkTasks;
constexpr qsizetype kShownChars = 60;

struct RawLink
{
    QString predecessorUid;
    QString type;
    QString crossProject;
    QString lag;
    QString lagFormat;
};

// A task as written: its values are looked at once its name is known.
struct RawTask
{
    qint64 line = 0;
    QString uid;
    QString id;
    QString name;
    QString duration; // ISO 8601, as written
    QString durationFormat;
    QString outlineLevel;
    QString summary;
    QString milestone;
    QString isNull;
    QString active;
    QString external;
    QString constraintType;
    QString cost; // in hundredths of the currency, as the format writes money
    QString fixedCost;
    // Dates as written; some programs write a placeholder long before the project for none.
    QStringList deadlines;
    QStringList actualDates;
    std::vector<RawLink> links;
};

// A cost as the format writes it, a decimal number of hundredths of the currency ("150000" is
// 1.500,00), in whole cents, a fraction of a cent rounded half up; read as text so that money
// never passes through floating point. Nothing when it is no such number or over the limit.
std::optional<Cents> costInCents(const QString& text)
{
    const QString t = text.trimmed();
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QStringView whole = QStringView(t).left(point < 0 ? t.size() : point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(t).mid(point + 1);
    const auto digitsOnly = [](QStringView s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
    };
    if (whole.isEmpty() || whole.size() > 15 || !digitsOnly(whole) || !digitsOnly(fraction))
        return std::nullopt;
    Cents cents = whole.toLongLong();
    if (!fraction.isEmpty() && fraction[0] >= QLatin1Char('5'))
        ++cents;
    if (cents > kMaxAmount)
        return std::nullopt;
    return cents;
}

// The duration formats of the format, elapsed or not, estimated or not.
bool isKnownFormat(int format)
{
    return (format >= 3 && format <= 12) || format == 19 || format == 20 || format == 21 ||
           (format >= 35 && format <= 44) || format == 51 || format == 52 || format == 53;
}

bool isElapsedFormat(int format)
{
    switch (format) {
    case 4:
    case 6:
    case 8:
    case 10:
    case 12:
    case 20: // em, eh, ed, ew, emo, e%
    case 36:
    case 38:
    case 40:
    case 42:
    case 44:
    case 52: // the same, estimated
        return true;
    default:
        return false;
    }
}

bool isPercentFormat(int format)
{
    return format == 19 || format == 20 || format == 51 || format == 52;
}

// "PT8H30M0S", "P2DT4H", "PT1.5H": hours. Years and months have no fixed length and are refused,
// and so is a duration without any number ("PT").
std::optional<double> parseDurationHours(const QString& text)
{
    QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('P')) || t.size() < 2)
        return std::nullopt;
    double hours = 0;
    bool timePart = false;
    bool anyPart = false;
    QString number;
    for (qsizetype i = 1; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('T')) {
            if (timePart || !number.isEmpty() || i + 1 == t.size())
                return std::nullopt;
            timePart = true;
        } else if (c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char(',')) {
            number += c == QLatin1Char(',') ? QLatin1Char('.') : c;
        } else {
            bool ok = false;
            const double value = number.toDouble(&ok);
            if (!ok || !std::isfinite(value))
                return std::nullopt;
            number.clear();
            anyPart = true;
            if (!timePart && c == QLatin1Char('D'))
                hours += value * 24;
            else if (!timePart && c == QLatin1Char('W'))
                hours += value * 24 * 7;
            else if (timePart && c == QLatin1Char('H'))
                hours += value;
            else if (timePart && c == QLatin1Char('M'))
                hours += value / 60;
            else if (timePart && c == QLatin1Char('S'))
                hours += value / 3600;
            else
                return std::nullopt;
        }
    }
    if (!number.isEmpty() || !anyPart)
        return std::nullopt;
    return hours;
}

// "2027-03-01T08:00:00" (time and zone optional): the day, or nothing when it is no date.
QDate parseDateTime(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:T(\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?"
                       "(?:Z|[+-]\\d{2}:\\d{2})?)?$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return {};
    if (match.capturedLength(4) > 0 &&
        (match.captured(4).toInt() > 23 || match.captured(5).toInt() > 59 ||
         match.captured(6).toInt() > 59))
        return {};
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

// A flag as the format writes it (0 or 1, or false and true); nothing when it is neither.
std::optional<bool> parseFlag(const QString& text)
{
    if (text == QLatin1String("1") || text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("0") || text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

// The parser's complaint in Italian: its own texts are English, or translated when the program
// loaded Qt's translations, so the known ones are told by their English text and the rest by kind.
QString xmlProblem(const QXmlStreamReader& xml)
{
    static const struct
    {
        const char* english;
        const char* italian;
    } kKnown[] = {
        {"Opening and ending tag mismatch",
         "un elemento è chiuso con un nome diverso da quello con cui è aperto"},
        {"Entity '", "un'entità (&...;) non è dichiarata"},
        {"Extra content at end of document", "c'è altro testo dopo la fine del documento"},
        {"Attribute '", "un attributo è ripetuto"},
        {"Encountered incorrectly encoded content",
         "il testo non è nella codifica dichiarata (UTF-8, se non è indicata)"},
        {"Sequence ']]>' not allowed", "la sequenza ]]> non è ammessa nel testo"},
        {"Invalid XML character", "un carattere non è ammesso in XML"},
        {"Expected ", "un carattere non è ammesso in quel punto"},
        {"Unexpected ", "un carattere non è ammesso in quel punto"},
    };
    QString what;
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
        what = QStringLiteral("il documento finisce prima che i suoi elementi siano chiusi");
    } else {
        for (const auto& known : kKnown) {
            if (xml.errorString().startsWith(QLatin1String(known.english))) {
                what = QString::fromUtf8(known.italian);
                break;
            }
        }
        if (what.isEmpty())
            what = QStringLiteral("il testo non segue le regole dell'XML");
    }
    return QStringLiteral("non è un documento XML valido (riga %1, colonna %2: %3).")
        .arg(xml.lineNumber())
        .arg(xml.columnNumber())
        .arg(what);
}

// Working time as the program's days. The elapsed formats count 24 hours a day; the others count
// the file's working day (MinutesPerDay) as one day: a day of the project's calendar when the
// file's calendar has days off, a calendar day when it works every day.
class WorkingTime final
{
public:
    explicit WorkingTime(double minutesPerDay) : m_minutesPerDay(minutesPerDay) {}

    double days(double minutes, int format) const
    {
        return minutes /
               (isElapsedFormat(format) ? mspdi::kMinutesPerCalendarDay : m_minutesPerDay);
    }
    double hoursPerDay() const { return m_minutesPerDay / 60; }

private:
    double m_minutesPerDay;
};

// A value of the input as a message quotes it.
QString quoted(const QString& text)
{
    QString cut = text;
    if (cut.size() > kShownChars) {
        cut.truncate(kShownChars);
        if (cut.back().isHighSurrogate())
            cut.chop(1);
        cut += QStringLiteral("…");
    }
    return visibleText(cut);
}

// How messages name a task: "ID 12 (UID 15) «Scavi»", with what of it the file gives, or the
// line it begins on.
QString referenceOf(const RawTask& task)
{
    QString text;
    if (!task.id.isEmpty())
        text = QStringLiteral("ID %1").arg(quoted(task.id));
    if (!task.uid.isEmpty())
        text += text.isEmpty() ? QStringLiteral("UID %1").arg(quoted(task.uid))
                               : QStringLiteral(" (UID %1)").arg(quoted(task.uid));
    if (!task.name.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) +
                QStringLiteral("«%1»").arg(quoted(task.name));
    if (text.isEmpty())
        text = QStringLiteral("l'attività alla riga %1").arg(task.line);
    return text;
}

// The name a task takes into the network: its own, or its UID.
QString taskName(const RawTask& task)
{
    return task.name.isEmpty() ? QStringLiteral("UID %1").arg(task.uid) : task.name;
}

// "«A», «B», «C» e altre 4" from names.
QString nameList(const QStringList& names)
{
    constexpr int kNamed = 6;
    QStringList shown;
    for (int i = 0; i < std::min<int>(kNamed, static_cast<int>(names.size())); ++i)
        shown << QStringLiteral("«%1»").arg(quoted(names[i]));
    if (names.size() > kNamed)
        shown << QStringLiteral("altre %1").arg(names.size() - kNamed);
    if (shown.isEmpty())
        return QString();
    const QString last = shown.takeLast();
    return shown.isEmpty() ? last : shown.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

// A calendar as written: its weekdays and its exceptions, resolved once every calendar is read.
struct RawCalendar
{
    QString uid;
    QString baseUid;
    // By DayType 1..7 (Sunday..Saturday): whether the day is worked, when the calendar says,
    // and its working minutes when it lists its working times (0 when it does not).
    std::array<std::optional<bool>, 8> weekDays{};
    std::array<int, 8> dayMinutes{};
    struct Exception
    {
        QString from;
        QString to;
        bool working = false;
        bool recurring = false; // repeats by a rule, which is not read
    };
    std::vector<Exception> exceptions;
};

// The last day of an exception's period: a period that ends at midnight ends with the day before.
QDate lastDayOf(const QString& text, const QDate& first)
{
    const QDate day = parseDateTime(text);
    if (day.isValid() && day > first && text.contains(QLatin1String("T00:00:00")))
        return day.addDays(-1);
    return day;
}

class MspdiReader final
{
public:
    MspdiReader(const QByteArray& bytes, const QString& fileName)
        : m_fileName(visibleText(displayPath(fileName)))
    {
        // A document saved as "Unicode" (UTF-16, or UTF-32) is decoded here: the parser knows
        // only some of these marks.
        if (auto text = decodeWithUnicodeBom(bytes))
            m_xml.addData(*text);
        else
            m_xml.addData(bytes);
    }

    Result<ImportedProject> read(const QDate& today);

private:
    // Every text of the file that a refusal quotes shows its control characters.
    Error refuse(const QString& why) const
    {
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("Impossibile importare il file \"%1\": %2")
                                  .arg(m_fileName, visibleText(why))));
    }
    Error refuseAll(const QStringList& problems) const;
    QString elementText();
    Result<void> readTask();
    void readLink(RawTask& task);
    void readResources();
    void readAssignments();
    void readCalendars();
    void readTimePeriod(RawCalendar::Exception& exception);
    int readWorkingTimes();
    // The project's calendar of the file in working days, or calendar days when it works every
    // day; its day is as long as its working times, or `minutesPerDay` (the file's
    // MinutesPerDay) when it lists none. What was left out of it is added to `leftOut`.
    ProjectCalendar projectCalendar(int minutesPerDay, QStringList& leftOut) const;
    bool failed() const { return m_xml.hasError(); }
    Result<void> readDocument();
    Result<ImportedProject> build(const QDate& today);

    QXmlStreamReader m_xml;
    QString m_fileName;
    QString m_title;
    std::optional<QString> m_startDate;
    QString m_minutesPerDay;
    QString m_calendarUid;
    std::vector<RawCalendar> m_calendars;
    std::vector<RawTask> m_tasks;
    int m_resources = 0;
    int m_assignments = 0;
};

Error MspdiReader::refuseAll(const QStringList& problems) const
{
    if (problems.size() == 1)
        return refuse(problems.first());
    QStringList lines;
    lines << QStringLiteral("Impossibile importare il file \"%1\": %2 problemi.")
                 .arg(m_fileName)
                 .arg(problems.size());
    for (int i = 0; i < std::min<int>(kMaxListedProblems, static_cast<int>(problems.size())); ++i)
        lines << visibleText(problems[i]);
    if (problems.size() > kMaxListedProblems)
        lines << QStringLiteral("e altri %1 problemi.").arg(problems.size() - kMaxListedProblems);
    return Error(ErrorKind::Format, critical(lines.join(QLatin1Char('\r'))));
}

QString MspdiReader::elementText()
{
    const QString text = m_xml.readElementText(QXmlStreamReader::SkipChildElements);
    return text.trimmed();
}

void MspdiReader::readLink(RawTask& task)
{
    RawLink link;
    while (m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("PredecessorUID"))
            link.predecessorUid = elementText();
        else if (name == QLatin1String("Type"))
            link.type = elementText();
        else if (name == QLatin1String("CrossProject"))
            link.crossProject = elementText();
        else if (name == QLatin1String("LinkLag"))
            link.lag = elementText();
        else if (name == QLatin1String("LagFormat"))
            link.lagFormat = elementText();
        else
            m_xml.skipCurrentElement();
    }
    task.links.push_back(link);
}

Result<void> MspdiReader::readTask()
{
    if (static_cast<int>(m_tasks.size()) >= kMaxTasksRead)
        return refuse(QStringLiteral("contiene più di %1 attività.").arg(kMaxTasksRead));
    RawTask task;
    task.line = m_xml.lineNumber();
    while (!failed() && m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("UID"))
            task.uid = elementText();
        else if (name == QLatin1String("ID"))
            task.id = elementText();
        else if (name == QLatin1String("Name"))
            task.name = elementText();
        else if (name == QLatin1String("Duration"))
            task.duration = elementText();
        else if (name == QLatin1String("DurationFormat"))
            task.durationFormat = elementText();
        else if (name == QLatin1String("OutlineLevel"))
            task.outlineLevel = elementText();
        else if (name == QLatin1String("Summary"))
            task.summary = elementText();
        else if (name == QLatin1String("Milestone"))
            task.milestone = elementText();
        else if (name == QLatin1String("IsNull"))
            task.isNull = elementText();
        else if (name == QLatin1String("Active"))
            task.active = elementText();
        else if (name == QLatin1String("ExternalTask"))
            task.external = elementText();
        else if (name == QLatin1String("ConstraintType"))
            task.constraintType = elementText();
        else if (name == QLatin1String("Deadline"))
            task.deadlines << elementText();
        else if (name == QLatin1String("Cost"))
            task.cost = elementText();
        else if (name == QLatin1String("FixedCost"))
            task.fixedCost = elementText();
        else if (name == QLatin1String("ActualStart") || name == QLatin1String("ActualFinish"))
            task.actualDates << elementText();
        else if (name == QLatin1String("PredecessorLink"))
            readLink(task);
        else if (name == QLatin1String("Task"))
            return refuse(QStringLiteral("alla riga %1 un'attività (<Task>) ne contiene "
                                         "un'altra, che Microsoft Project non scrive mai così.")
                              .arg(m_xml.lineNumber()));
        else
            m_xml.skipCurrentElement();
    }
    m_tasks.push_back(std::move(task));
    return {};
}

// Resources with a name: the row without one is the program's own placeholder.
void MspdiReader::readResources()
{
    while (!failed() && m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("Resource")) {
            m_xml.skipCurrentElement();
            continue;
        }
        bool named = false;
        while (!failed() && m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("Name"))
                named = !elementText().isEmpty();
            else
                m_xml.skipCurrentElement();
        }
        m_resources += named ? 1 : 0;
    }
}

// Assignments of a resource: the program writes those of no resource as -65535.
void MspdiReader::readAssignments()
{
    while (!failed() && m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("Assignment")) {
            m_xml.skipCurrentElement();
            continue;
        }
        bool assigned = false;
        while (!failed() && m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("ResourceUID")) {
                const QString uid = elementText();
                // Unassigned rows name -65535 (or -1), the placeholder resource 0.
                bool ok = false;
                assigned = uid.toLongLong(&ok) > 0 && ok;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        m_assignments += assigned ? 1 : 0;
    }
}

void MspdiReader::readTimePeriod(RawCalendar::Exception& exception)
{
    while (!failed() && m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("FromDate"))
            exception.from = elementText();
        else if (m_xml.name() == QLatin1String("ToDate"))
            exception.to = elementText();
        else
            m_xml.skipCurrentElement();
    }
}

// The minutes of a day's working times; a time that ends at midnight ends at 24:00.
int MspdiReader::readWorkingTimes()
{
    const auto minuteOf = [](const QString& text) -> std::optional<int> {
        const QTime time = QTime::fromString(text.left(8), QStringLiteral("HH:mm:ss"));
        if (!time.isValid())
            return std::nullopt;
        return time.hour() * 60 + time.minute();
    };
    int total = 0;
    while (!failed() && m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("WorkingTime")) {
            m_xml.skipCurrentElement();
            continue;
        }
        std::optional<int> from;
        std::optional<int> to;
        while (!failed() && m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("FromTime"))
                from = minuteOf(elementText());
            else if (m_xml.name() == QLatin1String("ToTime"))
                to = minuteOf(elementText());
            else
                m_xml.skipCurrentElement();
        }
        if (from && to)
            total += (*to <= *from ? *to + 24 * 60 : *to) - *from;
    }
    return std::min(total, 24 * 60);
}

// Calendars: the week of each, with the exceptions written either as weekdays of type 0 with a
// period (as Project 2003 and 2007 write them) or in a list of their own (2010 and later).
void MspdiReader::readCalendars()
{
    constexpr std::size_t kMaxCalendars = 10'000;
    constexpr std::size_t kMaxExceptions = 100'000;
    while (!failed() && m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("Calendar") || m_calendars.size() >= kMaxCalendars) {
            m_xml.skipCurrentElement();
            continue;
        }
        RawCalendar calendar;
        while (!failed() && m_xml.readNextStartElement()) {
            const auto name = m_xml.name();
            if (name == QLatin1String("UID")) {
                calendar.uid = elementText();
            } else if (name == QLatin1String("BaseCalendarUID")) {
                calendar.baseUid = elementText();
            } else if (name == QLatin1String("WeekDays")) {
                while (!failed() && m_xml.readNextStartElement()) {
                    if (m_xml.name() != QLatin1String("WeekDay")) {
                        m_xml.skipCurrentElement();
                        continue;
                    }
                    QString type;
                    QString working;
                    RawCalendar::Exception exception;
                    int minutes = 0;
                    while (!failed() && m_xml.readNextStartElement()) {
                        if (m_xml.name() == QLatin1String("DayType"))
                            type = elementText();
                        else if (m_xml.name() == QLatin1String("DayWorking"))
                            working = elementText();
                        else if (m_xml.name() == QLatin1String("TimePeriod"))
                            readTimePeriod(exception);
                        else if (m_xml.name() == QLatin1String("WorkingTimes"))
                            minutes = readWorkingTimes();
                        else
                            m_xml.skipCurrentElement();
                    }
                    bool ok = false;
                    const int day = type.toInt(&ok);
                    const auto works = parseFlag(working);
                    if (!ok || !works || day < 0 || day > 7)
                        continue;
                    if (day > 0) {
                        calendar.weekDays[day] = *works;
                        calendar.dayMinutes[day] = minutes;
                    } else if (calendar.exceptions.size() < kMaxExceptions) {
                        exception.working = *works;
                        calendar.exceptions.push_back(exception);
                    }
                }
            } else if (name == QLatin1String("Exceptions")) {
                while (!failed() && m_xml.readNextStartElement()) {
                    if (m_xml.name() != QLatin1String("Exception")) {
                        m_xml.skipCurrentElement();
                        continue;
                    }
                    RawCalendar::Exception exception;
                    QString working;
                    while (!failed() && m_xml.readNextStartElement()) {
                        const auto field = m_xml.name();
                        if (field == QLatin1String("TimePeriod")) {
                            readTimePeriod(exception);
                        } else if (field == QLatin1String("DayWorking")) {
                            working = elementText();
                        } else if (field == QLatin1String("Type") ||
                                   field == QLatin1String("Period")) {
                            // Type 1 with a period of 1 is every day of the span.
                            const QString value = elementText();
                            exception.recurring |= !value.isEmpty() && value != QLatin1String("1");
                        } else if (field == QLatin1String("DaysOfWeek")) {
                            exception.recurring = true;
                            m_xml.skipCurrentElement();
                        } else {
                            m_xml.skipCurrentElement();
                        }
                    }
                    exception.working = parseFlag(working).value_or(false);
                    if (calendar.exceptions.size() < kMaxExceptions)
                        calendar.exceptions.push_back(exception);
                }
            } else {
                m_xml.skipCurrentElement();
            }
        }
        m_calendars.push_back(std::move(calendar));
    }
}

ProjectCalendar MspdiReader::projectCalendar(int minutesPerDay, QStringList& leftOut) const
{
    const auto find = [this](const QString& uid) -> const RawCalendar* {
        for (const RawCalendar& c : m_calendars)
            if (!uid.isEmpty() && c.uid == uid)
                return &c;
        return nullptr;
    };
    // The calendar and the base calendars it derives from, nearest first.
    std::vector<const RawCalendar*> chain;
    for (const RawCalendar* c = find(m_calendarUid); c && chain.size() < m_calendars.size();
         c = find(c->baseUid)) {
        if (std::find(chain.begin(), chain.end(), c) != chain.end())
            break;
        chain.push_back(c);
    }
    if (chain.empty())
        return {};
    Weekdays week = 0;
    // The working minutes of the working weekdays, when they are all the same.
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
        week |= weekdayBit(type == 1 ? 7 : type - 1);
        if (dayMinutes && *dayMinutes != minutes)
            sameMinutes = false;
        dayMinutes = minutes;
    }
    if (sameMinutes && dayMinutes && *dayMinutes > 0)
        minutesPerDay = *dayMinutes;
    std::vector<CalendarClosure> off;
    int recurring = 0;
    int workedExceptions = 0;
    for (const RawCalendar* c : chain) {
        for (const RawCalendar::Exception& e : c->exceptions) {
            if (e.recurring) {
                ++recurring;
                continue;
            }
            const QDate first = parseDateTime(e.from);
            const QDate last = e.to.isEmpty() ? first : lastDayOf(e.to, first);
            if (!first.isValid() || !last.isValid() || last < first || last < firstAllowedDate() ||
                first > lastAllowedDate())
                continue;
            if (e.working) {
                ++workedExceptions;
                continue;
            }
            off.push_back({std::max(first, firstAllowedDate()), std::min(last, lastAllowedDate()),
                           QString()});
        }
    }
    if (week == kEveryDay && off.empty())
        return {}; // every day worked: calendar days
    if (week == 0)
        week = kMondayToFriday;
    std::sort(off.begin(), off.end(),
              [](const CalendarClosure& a, const CalendarClosure& b) { return a.first < b.first; });
    // Overlapping and adjacent spans as one.
    std::vector<CalendarClosure> merged;
    for (const CalendarClosure& span : off) {
        if (!merged.empty() && span.first <= merged.back().last.addDays(1))
            merged.back().last = std::max(merged.back().last, span.last);
        else
            merged.push_back(span);
    }
    if (merged.size() > static_cast<std::size_t>(kMaxClosures)) {
        leftOut << QStringLiteral("Eccezioni del calendario oltre le prime %1: %2.")
                       .arg(kMaxClosures)
                       .arg(merged.size() - kMaxClosures);
        merged.resize(kMaxClosures);
    }
    for (CalendarClosure& span : merged)
        span.description = QStringLiteral("giorno non lavorativo");
    if (recurring > 0)
        leftOut << QStringLiteral("Eccezioni ricorrenti del calendario: %1.").arg(recurring);
    if (workedExceptions > 0)
        leftOut << QStringLiteral("Giorni lavorativi straordinari del calendario: %1.")
                       .arg(workedExceptions);
    return workingDayCalendar(week, std::move(merged), minutesPerDay);
}

Result<void> MspdiReader::readDocument()
{
    // The root element, refusing any document type declaration: no entity is ever expanded and
    // nothing outside the document is read.
    while (!m_xml.atEnd()) {
        const auto token = m_xml.readNext();
        if (token == QXmlStreamReader::DTD)
            return refuse(
                QStringLiteral("il documento contiene una dichiarazione DTD (<!DOCTYPE>), "
                               "che non viene accettata."));
        if (token == QXmlStreamReader::StartElement)
            break;
    }
    if (m_xml.hasError())
        return refuse(xmlProblem(m_xml));
    if (m_xml.tokenType() != QXmlStreamReader::StartElement ||
        m_xml.name() != QLatin1String("Project") ||
        (!m_xml.namespaceUri().isEmpty() && m_xml.namespaceUri() != mspdi::kNamespace))
        return refuse(QStringLiteral("non è un file Microsoft Project XML (MSPDI)."));

    while (!failed() && m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("Title")) {
            m_title = elementText();
        } else if (name == QLatin1String("StartDate")) {
            m_startDate = elementText();
        } else if (name == QLatin1String("MinutesPerDay")) {
            m_minutesPerDay = elementText();
        } else if (name == QLatin1String("CalendarUID")) {
            m_calendarUid = elementText();
        } else if (name == QLatin1String("Calendars")) {
            readCalendars();
        } else if (name == QLatin1String("Tasks")) {
            while (!failed() && m_xml.readNextStartElement()) {
                if (m_xml.name() == QLatin1String("Task")) {
                    if (Result<void> task = readTask(); !task.ok())
                        return task;
                } else {
                    m_xml.skipCurrentElement();
                }
            }
        } else if (name == QLatin1String("Resources")) {
            readResources();
        } else if (name == QLatin1String("Assignments")) {
            readAssignments();
        } else {
            m_xml.skipCurrentElement();
        }
    }
    // Read to the end, so a document broken after the tasks is refused too.
    while (!m_xml.atEnd()) {
        if (m_xml.readNext() == QXmlStreamReader::DTD)
            return refuse(QStringLiteral("il documento contiene una dichiarazione DTD."));
    }
    if (m_xml.hasError())
        return refuse(xmlProblem(m_xml));
    return {};
}

Result<ImportedProject> MspdiReader::read(const QDate& today)
{
    if (Result<void> refused = readDocument(); !refused.ok())
        return refused.error();
    return build(today);
}

Result<ImportedProject> MspdiReader::build(const QDate& today)
{
    QStringList problems;
    MspdiImportReport report;
    report.tasksRead = static_cast<int>(m_tasks.size());

    QDate start = today;
    if (m_startDate) {
        start = parseDateTime(*m_startDate);
        if (!start.isValid())
            problems << QStringLiteral("la data d'inizio del progetto (StartDate) \"%1\" non è "
                                       "una data valida.")
                            .arg(quoted(*m_startDate));
        else if (start < firstAllowedDate() || start > lastAllowedDate())
            problems << QStringLiteral("la data d'inizio del progetto (StartDate) \"%1\" non è "
                                       "tra il %2 e il %3.")
                            .arg(quoted(*m_startDate), formatDate(firstAllowedDate()),
                                 formatDate(lastAllowedDate()));
    }
    double minutesPerDay = 480;
    if (!m_minutesPerDay.isEmpty()) {
        bool ok = false;
        minutesPerDay = m_minutesPerDay.toDouble(&ok);
        if (!ok || !(minutesPerDay > 0) || minutesPerDay > mspdi::kMinutesPerCalendarDay) {
            problems << QStringLiteral("i minuti lavorativi al giorno (MinutesPerDay) valgono "
                                       "\"%1\".")
                            .arg(quoted(m_minutesPerDay));
            minutesPerDay = 480;
        }
    }
    QStringList calendarLeftOut;
    const ProjectCalendar calendar =
        projectCalendar(static_cast<int>(std::lround(minutesPerDay)), calendarLeftOut);
    // The other program lays a duration on the working hours of its calendar: a day of the
    // project's calendar is as long as they are, whatever MinutesPerDay shows days as.
    const WorkingTime time(calendar.workingDays ? calendar.minutesPerDay : minutesPerDay);
    int workingTimeValues = 0; // durations and lags counted in working time
    int elapsedValues = 0;     // and in elapsed time

    // A duration format as written, 7 (days) when absent; nothing when the format has no such.
    const auto formatOf = [](const QString& text) -> std::optional<int> {
        if (text.isEmpty())
            return 7;
        bool ok = false;
        const int format = text.toInt(&ok);
        if (!ok || !isKnownFormat(format))
            return std::nullopt;
        return format;
    };

    // What each row of the file is.
    enum class Role
    {
        Broken, // its own problem is listed: links to it say nothing more
        Blank,
        ProjectRow,
        External,
        Inactive,
        Summary,
        Task
    };
    const int rawCount = static_cast<int>(m_tasks.size());
    // A row followed by deeper ones sums them up, whether or not its Summary flag says so (some
    // programs write 0 there): its level, as far as it can be read, against the next row's.
    std::vector<char> hasChildren(rawCount, 0);
    {
        const auto levelOf = [](const RawTask& raw) {
            bool ok = false;
            const int level = raw.outlineLevel.toInt(&ok);
            return ok ? level : raw.outlineLevel.isEmpty() && raw.uid == QLatin1String("0") ? 0 : 1;
        };
        int previous = -1;
        for (int i = 0; i < rawCount; ++i) {
            if (parseFlag(m_tasks[i].isNull).value_or(false))
                continue;
            if (previous >= 0 && levelOf(m_tasks[i]) > levelOf(m_tasks[previous]))
                hasChildren[previous] = 1;
            previous = i;
        }
    }
    std::vector<Role> role(rawCount, Role::Broken);
    std::vector<double> rawDays(rawCount, 0);
    std::vector<Cents> rawCost(rawCount, 0);
    std::vector<char> moment(rawCount, 0);
    std::vector<int> rawParent(rawCount, -1);
    QHash<QString, int> byUid;
    QStringList inactive;
    QStringList external;
    int blankRows = 0;
    QString projectRow;                       // the UID of the row of the project itself
    std::vector<std::pair<int, int>> outline; // level and row of the tasks above the current one

    for (int i = 0; i < rawCount; ++i) {
        const RawTask& raw = m_tasks[i];
        const QString ref = referenceOf(raw);
        bool readable = true;
        const auto flag = [&](const QString& text, const char* element, bool absent) {
            if (text.isEmpty())
                return absent;
            if (auto value = parseFlag(text))
                return *value;
            problems << QStringLiteral("%1: <%2> vale \"%3\" invece di 0 o 1.")
                            .arg(ref, QLatin1String(element), quoted(text));
            readable = false;
            return absent;
        };
        const bool isNull = flag(raw.isNull, "IsNull", false);
        if (isNull && readable) {
            role[i] = Role::Blank;
            ++blankRows;
            continue;
        }
        const bool summary = flag(raw.summary, "Summary", false) || hasChildren[i];
        const bool milestone = flag(raw.milestone, "Milestone", false);
        const bool active = flag(raw.active, "Active", true);
        const bool isExternal = flag(raw.external, "ExternalTask", false);
        if (raw.uid.isEmpty()) {
            problems << QStringLiteral("%1 non ha un identificativo (UID).")
                            .arg(raw.name.isEmpty() && raw.id.isEmpty()
                                     ? ref
                                     : QStringLiteral("l'attività %1").arg(ref));
            continue;
        }
        if (const int other = byUid.value(raw.uid, -1); other >= 0) {
            problems << QStringLiteral("%1 e %2 hanno lo stesso identificativo (UID %3).")
                            .arg(referenceOf(m_tasks[other]), ref, quoted(raw.uid));
            continue;
        }
        byUid.insert(raw.uid, i);

        // The row of the project itself (outline level 0, or UID 0 without a level) sums up
        // the others.
        int level = 1;
        if (!raw.outlineLevel.isEmpty()) {
            bool ok = false;
            level = raw.outlineLevel.toInt(&ok);
            if (!ok || level < 0) {
                problems << QStringLiteral("%1: il livello nella struttura (OutlineLevel) \"%2\" "
                                           "non è un numero intero.")
                                .arg(ref, quoted(raw.outlineLevel));
                readable = false;
                level = 1;
            }
        } else if (raw.uid == QLatin1String("0")) {
            level = 0;
        }
        if (level == 0 && readable) {
            role[i] = Role::ProjectRow;
            projectRow = raw.uid;
            continue;
        }
        while (!outline.empty() && outline.back().first >= level)
            outline.pop_back();
        rawParent[i] = outline.empty() ? -1 : outline.back().second;
        outline.push_back({level, i});
        if (!readable)
            continue;
        if (isExternal) {
            role[i] = Role::External;
            external << taskName(raw);
            continue;
        }
        // An inactive task, and every task of an inactive summary, takes no part in the schedule.
        if (!active || (rawParent[i] >= 0 && role[rawParent[i]] == Role::Inactive)) {
            role[i] = Role::Inactive;
            inactive << taskName(raw);
            continue;
        }
        const auto format = formatOf(raw.durationFormat);
        std::optional<double> hours;
        if (!raw.duration.isEmpty())
            hours = parseDurationHours(raw.duration);
        if (summary) {
            // Its duration is its children's span; a lag in percent of it still needs it.
            role[i] = Role::Summary;
            rawDays[i] = format && hours ? time.days(*hours * 60, *format) : 0.0;
            continue;
        }
        if (!format) {
            problems << QStringLiteral("%1: il formato della durata (DurationFormat) \"%2\" non "
                                       "è tra quelli del formato.")
                            .arg(ref, quoted(raw.durationFormat));
            continue;
        }
        double days = 0;
        if (raw.duration.isEmpty()) {
            // A milestone may leave out its duration (TaskJuggler writes them so).
            if (!milestone) {
                problems << QStringLiteral("%1: manca la durata.").arg(ref);
                continue;
            }
        } else if (!hours) {
            problems << QStringLiteral("%1: la durata \"%2\" non è leggibile.")
                            .arg(ref, quoted(raw.duration));
            continue;
        } else {
            days = time.days(*hours * 60, *format);
            if (days > 0)
                ++(isElapsedFormat(*format) ? elapsedValues : workingTimeValues);
        }
        if (!(days >= 0) || days > kMaxImportedDays) {
            problems << QStringLiteral("%1: la durata è fuori dei limiti.").arg(ref);
            continue;
        }
        const QString& costText = raw.cost.isEmpty() ? raw.fixedCost : raw.cost;
        const std::optional<Cents> cost = costText.isEmpty() ? Cents{0} : costInCents(costText);
        if (!cost) {
            problems << QStringLiteral("%1: il costo \"%2\" non è un importo da 0 a "
                                       "999.999.999,99.")
                            .arg(ref, quoted(costText));
            continue;
        }
        role[i] = Role::Task;
        rawDays[i] = days;
        rawCost[i] = *cost;
        // A zero-duration task is a milestone unless the file says otherwise; one that costs
        // something stays an activity, so that its amount is kept.
        moment[i] = days == 0 && (raw.milestone.isEmpty() || milestone) && *cost == 0;
    }

    // The tasks of the network, in the order of the file's outline.
    std::vector<NetworkTask> tasks;
    std::vector<int> indexOf(rawCount, -1);
    std::vector<int> rowOf;
    for (int i = 0; i < rawCount; ++i) {
        if (role[i] != Role::Task && role[i] != Role::Summary)
            continue;
        NetworkTask task;
        task.name = taskName(m_tasks[i]);
        task.days = rawDays[i];
        task.amount = rawCost[i];
        task.summary = role[i] == Role::Summary;
        task.milestone = moment[i];
        task.reference = referenceOf(m_tasks[i]);
        for (int p = rawParent[i]; p >= 0; p = rawParent[p]) {
            if (role[p] == Role::Summary) {
                task.parent = indexOf[p];
                break;
            }
        }
        indexOf[i] = static_cast<int>(tasks.size());
        rowOf.push_back(i);
        tasks.push_back(std::move(task));
    }

    std::vector<NetworkTaskLink> links;
    int linksToLeftOut = 0;
    int crossProjectLinks = 0;
    for (int i = 0; i < rawCount; ++i) {
        if (indexOf[i] < 0)
            continue;
        const RawTask& raw = m_tasks[i];
        for (const RawLink& link : raw.links) {
            const int pred = byUid.value(link.predecessorUid, -1);
            if (pred < 0) {
                problems << QStringLiteral("%1 dipende da un'attività che non esiste (UID \"%2\").")
                                .arg(referenceOf(raw), quoted(link.predecessorUid));
                continue;
            }
            const QString pair =
                QStringLiteral("%1 → %2").arg(referenceOf(m_tasks[pred]), referenceOf(raw));
            const auto crossProject =
                parseFlag(link.crossProject.isEmpty() ? QStringLiteral("0") : link.crossProject);
            if (!crossProject) {
                problems << QStringLiteral("%1: <CrossProject> vale \"%2\" invece di 0 o 1.")
                                .arg(pair, quoted(link.crossProject));
                continue;
            }
            if (*crossProject) {
                ++crossProjectLinks;
                continue;
            }
            if (role[pred] == Role::Broken)
                continue;
            if (indexOf[pred] < 0) {
                // A link through a task left out delays nothing.
                ++linksToLeftOut;
                continue;
            }
            bool typeOk = link.type.isEmpty();
            const int type = typeOk ? 1 : link.type.toInt(&typeOk);
            if (!typeOk || type < 0 || type > 3) {
                problems << QStringLiteral("%1: il tipo di legame \"%2\" non è tra quelli del "
                                           "formato.")
                                .arg(pair, quoted(link.type));
                continue;
            }
            double lagTenths = 0;
            if (!link.lag.isEmpty()) {
                bool ok = false;
                lagTenths = link.lag.toDouble(&ok);
                if (!ok || !std::isfinite(lagTenths)) {
                    problems << QStringLiteral("%1: il ritardo \"%2\" non è un numero.")
                                    .arg(pair, quoted(link.lag));
                    continue;
                }
            }
            const auto lagFormat = formatOf(link.lagFormat);
            if (!lagFormat || ((*lagFormat == 21 || *lagFormat == 53) && lagTenths != 0)) {
                problems << QStringLiteral("%1: il formato del ritardo (LagFormat) \"%2\" non è "
                                           "tra quelli del formato.")
                                .arg(pair, quoted(link.lagFormat));
                continue;
            }
            // A lag in percent is counted in tenths of a percent of the predecessor's duration,
            // as every lag of the format is counted in tenths.
            double lag = 0;
            if (isPercentFormat(*lagFormat)) {
                lag = lagTenths / 1000 * rawDays[pred];
            } else {
                lag = time.days(lagTenths / 10, *lagFormat);
                if (lag != 0)
                    ++(isElapsedFormat(*lagFormat) ? elapsedValues : workingTimeValues);
            }
            if (std::abs(lag) > kMaxImportedDays) {
                problems << QStringLiteral("%1: il ritardo è fuori dei limiti.").arg(pair);
                continue;
            }
            ++report.links[static_cast<std::size_t>(type)];
            report.leads += lag < 0 ? 1 : 0;
            report.lags += lag > 0 ? 1 : 0;
            links.push_back({indexOf[pred], indexOf[i], lag, static_cast<TaskLinkType>(type)});
        }
    }
    const bool anyTask =
        std::any_of(tasks.begin(), tasks.end(), [](const NetworkTask& t) { return !t.summary; });
    if (!anyTask && problems.isEmpty())
        return refuse(QStringLiteral("non contiene attività da importare."));

    EventNetworkResult built;
    if (anyTask)
        built = buildEventNetwork(tasks, links);
    problems += built.problems;
    if (!problems.isEmpty())
        return refuseAll(problems);
    EventNetwork& network = *built.network;

    Project project = std::move(network.project);
    project.setStartDateText(formatDate(start));
    project.setCalendar(calendar);
    TitlePage titlePage;
    titlePage[TitlePage::progetto] = storableDescription(m_title);
    auto reopened = asReopened(project, titlePage);
    if (!reopened)
        return refuse(reopened.error().text);

    ImportedProject imported;
    imported.project = std::move(reopened.value().project);
    imported.titlePage = std::move(reopened.value().titlePage);
    const Project& p = imported.project;
    for (std::size_t t = 0; t < tasks.size(); ++t) {
        const NetworkTask& task = tasks[t];
        const bool isMoment = task.milestone && task.days == 0;
        imported.tasks.push_back({task.name, m_tasks[rowOf[t]].uid, network.taskStartEvent[t],
                                  network.taskEndEvent[t], task.days, isMoment, task.summary});
        if (task.summary) {
            ++report.summaries;
            continue;
        }
        (isMoment ? report.milestones : report.activityTasks) += 1;
        // The task's name is kept when it names its activity, or a milestone's event.
        const int from = network.taskStartEvent[t];
        const int to = network.taskEndEvent[t];
        if (isMoment) {
            report.namesKept +=
                p.description(from) == storableDescription(withoutEventNumber(task.name)) ? 1 : 0;
            continue;
        }
        const QString name = activityNameFrom(withoutEventNumber(task.name));
        for (int s = 1; s <= p.linkCount(from); ++s) {
            if (p.link(from, s).target == to && p.activityName(from, s) == name) {
                ++report.namesKept;
                break;
            }
        }
    }
    report.events = p.eventCount();
    report.dummies = p.dummyCount();
    report.activities = p.activities().size() - report.dummies;
    report.lagActivities = network.lagActivityCount;
    report.namesShortened = network.namesShortened;

    if (!inactive.isEmpty())
        report.leftOut << QStringLiteral("Attività inattive (%1): %2.")
                              .arg(inactive.size())
                              .arg(nameList(inactive));
    if (!projectRow.isEmpty())
        report.leftOut << QStringLiteral("La riga che riassume l'intero progetto (UID %1).")
                              .arg(quoted(projectRow));
    if (blankRows > 0)
        report.leftOut << QStringLiteral("Righe vuote: %1.").arg(blankRows);
    if (!external.isEmpty())
        report.leftOut << QStringLiteral("Attività di altri progetti (%1): %2.")
                              .arg(external.size())
                              .arg(nameList(external));
    if (linksToLeftOut > 0)
        report.leftOut
            << QStringLiteral("Legami con attività tralasciate: %1.").arg(linksToLeftOut);
    if (crossProjectLinks > 0)
        report.leftOut
            << QStringLiteral("Legami con attività di altri progetti: %1.").arg(crossProjectLinks);
    report.leftOut += network.droppedLeads;

    int constraints = 0;
    int deadlines = 0;
    int actuals = 0;
    for (int i = 0; i < rawCount; ++i) {
        if (role[i] != Role::Task && role[i] != Role::Summary)
            continue;
        const RawTask& raw = m_tasks[i];
        constraints +=
            raw.constraintType.isEmpty() || raw.constraintType == QLatin1String("0") ? 0 : 1;
        const auto anyDate = [&start](const QStringList& texts) {
            return std::any_of(texts.begin(), texts.end(), [&start](const QString& text) {
                const QDate date = parseDateTime(text);
                return date.isValid() && date >= start;
            });
        };
        deadlines += anyDate(raw.deadlines) ? 1 : 0;
        actuals += anyDate(raw.actualDates) ? 1 : 0;
    }
    if (constraints > 0)
        report.notImported << QStringLiteral("Vincoli di data (come \"Inizia non prima del\" o "
                                             "\"Deve iniziare il\") di %1 attività: la rete segue "
                                             "solo i legami.")
                                  .arg(constraints);
    if (deadlines > 0)
        report.notImported << QStringLiteral("Scadenze di %1 attività.").arg(deadlines);
    if (actuals > 0)
        report.notImported << QStringLiteral("Date effettive (inizio o fine reali) di %1 "
                                             "attività.")
                                  .arg(actuals);
    if (m_resources > 0 || m_assignments > 0)
        report.notImported << QStringLiteral("Risorse (%1) e loro assegnazioni (%2).")
                                  .arg(m_resources)
                                  .arg(m_assignments);
    if (calendar.workingDays) {
        const int daysOff = std::accumulate(
            calendar.closures.begin(), calendar.closures.end(), qint64{0},
            [](qint64 sum, const CalendarClosure& c) { return sum + c.first.daysTo(c.last) + 1; });
        report.calendar = QStringLiteral("Calendario del file: giorni lavorativi (%1), %2 ore al "
                                         "giorno, %3 giorni di eccezione non lavorativi.")
                              .arg(weekdayList(calendar.workingWeek))
                              .arg(formatDays(calendar.minutesPerDay / 60.0))
                              .arg(daysOff);
        report.notImported += calendarLeftOut;
        if (elapsedValues > 0)
            report.approximated << QStringLiteral("%1 durate e ritardi in tempo trascorso (giorni "
                                                  "di calendario), contati come giorni "
                                                  "lavorativi.")
                                       .arg(elapsedValues);
    } else if (workingTimeValues > 0)
        report.approximated << QStringLiteral("%1 durate e ritardi in tempo lavorativo, contati "
                                              "come giorni di calendario di %2 ore lavorative: il "
                                              "calendario del progetto (giorni non lavorativi) "
                                              "non viene importato.")
                                   .arg(workingTimeValues)
                                   .arg(formatDays(time.hoursPerDay()));
    report.approximated += network.approximated;
    if (report.namesShortened > 0)
        report.approximated << QStringLiteral("Nomi di attività accorciati a %1 caratteri: %2.")
                                   .arg(kMaxActivityNameLength)
                                   .arg(report.namesShortened);
    imported.report = std::move(report);
    return imported;
}

} // namespace

Result<ImportedProject> parseMspdi(const QByteArray& bytes, const QString& fileName,
                                   const QDate& today)
{
    return MspdiReader(bytes, fileName).read(today);
}

Result<ImportedProject> readMspdiFile(const QString& path, const QDate& today)
{
    if (QFileInfo(path).size() > kMaxMspdiBytes)
        return Error(
            ErrorKind::File,
            critical(QStringLiteral("Impossibile importare il file \"%1\": è troppo grande "
                                    "(oltre %2 MB).")
                         .arg(visibleText(displayPath(path)))
                         .arg(kMaxMspdiBytes >> 20)));
    auto bytes = readWholeFile(path, kMaxMspdiBytes);
    if (!bytes)
        return bytes.error();
    return parseMspdi(bytes.value(), path, today);
}

QString describeImport(const MspdiImportReport& r)
{
    constexpr int kShownLines = 12;
    QStringList lines;
    lines << QStringLiteral("Attività lette: %1 (%2 attività, %3 milestone, %4 di riepilogo).")
                 .arg(r.tasksRead)
                 .arg(r.activityTasks)
                 .arg(r.milestones)
                 .arg(r.summaries);
    lines << QStringLiteral("Legami: %1 fine-inizio, %2 inizio-inizio, %3 fine-fine, %4 "
                            "inizio-fine (%5 con ritardo, %6 con anticipo).")
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::FinishToStart)])
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::StartToStart)])
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::FinishToFinish)])
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::StartToFinish)])
                 .arg(r.lags)
                 .arg(r.leads);
    lines << QStringLiteral("Rete: %1 eventi, %2 attività (%3 per i ritardi) e %4 legami "
                            "fittizi.")
                 .arg(r.events)
                 .arg(r.activities)
                 .arg(r.lagActivities)
                 .arg(r.dummies);
    lines << QStringLiteral("Nomi delle attività conservati: %1 su %2.")
                 .arg(r.namesKept)
                 .arg(r.activityTasks + r.milestones);
    if (!r.calendar.isEmpty())
        lines << r.calendar;
    const auto section = [&](const QString& title, const QStringList& items) {
        if (items.isEmpty())
            return;
        lines << title;
        for (int i = 0; i < std::min<int>(kShownLines, static_cast<int>(items.size())); ++i)
            lines << QStringLiteral("  ") + items[i];
        if (items.size() > kShownLines)
            lines << QStringLiteral("  ... e altre %1 voci").arg(items.size() - kShownLines);
    };
    section(QStringLiteral("Tralasciato:"), r.leftOut);
    section(QStringLiteral("Non importato:"), r.notImported);
    section(QStringLiteral("Approssimato:"), r.approximated);
    return lines.join(QLatin1Char('\r'));
}

QJsonObject importReportJson(const MspdiImportReport& r)
{
    const auto texts = [](const QStringList& items) { return QJsonArray::fromStringList(items); };
    const auto links = [&r](TaskLinkType type) { return r.links[static_cast<std::size_t>(type)]; };
    QJsonObject json{
        {QStringLiteral("tasksRead"), r.tasksRead},
        {QStringLiteral("activityTasks"), r.activityTasks},
        {QStringLiteral("milestones"), r.milestones},
        {QStringLiteral("summaries"), r.summaries},
        {QStringLiteral("events"), r.events},
        {QStringLiteral("activities"), r.activities},
        {QStringLiteral("lagActivities"), r.lagActivities},
        {QStringLiteral("dummies"), r.dummies},
        {QStringLiteral("links"),
         QJsonObject{{QStringLiteral("finishToStart"), links(TaskLinkType::FinishToStart)},
                     {QStringLiteral("startToStart"), links(TaskLinkType::StartToStart)},
                     {QStringLiteral("finishToFinish"), links(TaskLinkType::FinishToFinish)},
                     {QStringLiteral("startToFinish"), links(TaskLinkType::StartToFinish)}}},
        {QStringLiteral("lags"), r.lags},
        {QStringLiteral("leads"), r.leads},
        {QStringLiteral("namesKept"), r.namesKept},
        {QStringLiteral("namesShortened"), r.namesShortened},
        {QStringLiteral("leftOut"), texts(r.leftOut)},
        {QStringLiteral("notImported"), texts(r.notImported)},
        {QStringLiteral("approximated"), texts(r.approximated)},
    };
    if (!r.calendar.isEmpty())
        json.insert(QStringLiteral("calendar"), r.calendar);
    return json;
}

} // namespace zant
