#include "exchange/mspdi_format.h"
#include "exchange/mspdi_import.h"

#include "model/cp1252.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>
#include <QXmlStreamReader>

#include <algorithm>

namespace zant {

namespace mspdi {

namespace {

// The plan of 500 events with a link between every two of them, as the program exports it, is
// about 140 MB.
constexpr qint64 kMaxMspdiBytes = 256 << 20;
// Tasks read, summaries and inactive ones included, before any is looked at.
constexpr int kMaxTasksRead = 2 * kMaxNetworkTasks;
constexpr qsizetype kShownChars = 60;

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

class MspdiReader final
{
public:
    MspdiReader(const QByteArray& bytes, const QString& fileName)
    {
        m_doc.fileName = visibleText(displayPath(fileName));
        // A document saved as "Unicode" (UTF-16, or UTF-32) is decoded here: the parser knows
        // only some of these marks.
        if (auto text = decodeWithUnicodeBom(bytes))
            m_xml.addData(*text);
        else
            m_xml.addData(bytes);
    }

    Result<ImportedProject> read(const QDate& today);

private:
    Error refuse(const QString& why) const { return refusal(m_doc.fileName, why); }
    QString elementText();
    Result<void> readTask();
    void readLink(RawTask& task);
    void readResources();
    void readAssignments();
    void readCalendars();
    void readWeekDays(RawCalendar& calendar);
    void readExceptions(RawCalendar& calendar);
    void readTimePeriod(RawCalendar::Exception& exception);
    int readWorkingTimes();
    bool failed() const { return m_xml.hasError(); }
    Result<void> readDocument();

    QXmlStreamReader m_xml;
    RawDocument m_doc;
};

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
    if (static_cast<int>(m_doc.tasks.size()) >= kMaxTasksRead)
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
    m_doc.tasks.push_back(std::move(task));
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
        m_doc.resources += named ? 1 : 0;
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
        m_doc.assignments += assigned ? 1 : 0;
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
    while (!failed() && m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("Calendar") || m_doc.calendars.size() >= kMaxCalendars) {
            m_xml.skipCurrentElement();
            continue;
        }
        RawCalendar calendar;
        while (!failed() && m_xml.readNextStartElement()) {
            const auto name = m_xml.name();
            if (name == QLatin1String("UID"))
                calendar.uid = elementText();
            else if (name == QLatin1String("BaseCalendarUID"))
                calendar.baseUid = elementText();
            else if (name == QLatin1String("WeekDays"))
                readWeekDays(calendar);
            else if (name == QLatin1String("Exceptions"))
                readExceptions(calendar);
            else
                m_xml.skipCurrentElement();
        }
        m_doc.calendars.push_back(std::move(calendar));
    }
}

// A calendar keeps at most this many exceptions, of either form.
constexpr std::size_t kMaxExceptions = 100'000;

// Working and non-working weekdays (DayType 1..7), and exceptions as days of type 0.
void MspdiReader::readWeekDays(RawCalendar& calendar)
{
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
}

void MspdiReader::readExceptions(RawCalendar& calendar)
{
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
            } else if (field == QLatin1String("Type") || field == QLatin1String("Period")) {
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
            m_doc.title = elementText();
        } else if (name == QLatin1String("StartDate")) {
            m_doc.startDate = elementText();
        } else if (name == QLatin1String("MinutesPerDay")) {
            m_doc.minutesPerDay = elementText();
        } else if (name == QLatin1String("CalendarUID")) {
            m_doc.calendarUid = elementText();
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
    return buildImport(m_doc, today);
}

} // namespace

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

Error refusal(const QString& fileName, const QString& why)
{
    // Every text of the file that a refusal quotes shows its control characters.
    return Error(ErrorKind::Format,
                 critical(QStringLiteral("Impossibile importare il file \"%1\": %2")
                              .arg(fileName, visibleText(why))));
}

Error refusalOfAll(const QString& fileName, const QStringList& problems)
{
    if (problems.size() == 1)
        return refusal(fileName, problems.first());
    QStringList lines;
    lines << QStringLiteral("Impossibile importare il file \"%1\": %2 problemi.")
                 .arg(fileName)
                 .arg(problems.size());
    for (int i = 0; i < std::min<int>(kMaxListedProblems, static_cast<int>(problems.size())); ++i)
        lines << visibleText(problems[i]);
    if (problems.size() > kMaxListedProblems)
        lines << QStringLiteral("e altri %1 problemi.").arg(problems.size() - kMaxListedProblems);
    return Error(ErrorKind::Format, critical(lines.join(QLatin1Char('\n'))));
}

} // namespace mspdi

Result<ImportedProject> parseMspdi(const QByteArray& bytes, const QString& fileName,
                                   const QDate& today)
{
    return mspdi::MspdiReader(bytes, fileName).read(today);
}

Result<ImportedProject> readMspdiFile(const QString& path, const QDate& today)
{
    if (QFileInfo(path).size() > mspdi::kMaxMspdiBytes)
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile importare il file \"%1\": è troppo "
                                             "grande (oltre %2 MB).")
                                  .arg(visibleText(displayPath(path)))
                                  .arg(mspdi::kMaxMspdiBytes >> 20)));
    auto bytes = readWholeFile(path, mspdi::kMaxMspdiBytes);
    if (!bytes)
        return bytes.error();
    return parseMspdi(bytes.value(), path, today);
}

} // namespace zant
