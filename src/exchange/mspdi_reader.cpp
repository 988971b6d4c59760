#include "exchange/import_check.h"
#include "exchange/mspdi.h"
#include "exchange/mspdi_format.h"

#include "model/cp1252.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
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
    QString name;
    QString duration; // ISO 8601, as written
    QString durationFormat;
    QString outlineLevel;
    QString summary;
    QString milestone;
    QString isNull;
    QString active;
    std::vector<RawLink> links;
};

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
    Message refuse(const QString& why) const
    {
        return critical(QStringLiteral("Impossibile importare il file \"%1\": %2")
                            .arg(m_fileName, visibleText(why)));
    }
    QString elementText();
    void readTask();
    void readLink(RawTask& task);
    bool failed() const { return !m_problem.isEmpty() || m_xml.hasError(); }
    std::optional<Message> readDocument();
    Result<ImportedProject> build(const QDate& today);

    QXmlStreamReader m_xml;
    QString m_fileName;
    QString m_problem;
    QString m_title;
    std::optional<QString> m_startDate;
    QString m_minutesPerDay;
    std::vector<RawTask> m_tasks;
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

// How a message names a task: by its name, by its UID, or by the line it begins on.
QString nameOf(const RawTask& task)
{
    if (!task.name.isEmpty())
        return quoted(task.name);
    if (!task.uid.isEmpty())
        return QStringLiteral("UID %1").arg(quoted(task.uid));
    return QStringLiteral("alla riga %1").arg(task.line);
}

// The name a task takes into the network: its own, or its UID.
QString taskName(const RawTask& task)
{
    return task.name.isEmpty() ? QStringLiteral("UID %1").arg(task.uid) : task.name;
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

void MspdiReader::readTask()
{
    if (static_cast<int>(m_tasks.size()) >= kMaxTasksRead) {
        m_problem = QStringLiteral("contiene più di %1 attività.").arg(kMaxTasksRead);
        return;
    }
    RawTask task;
    task.line = m_xml.lineNumber();
    while (!failed() && m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("UID"))
            task.uid = elementText();
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
        else if (name == QLatin1String("PredecessorLink"))
            readLink(task);
        else if (name == QLatin1String("Task"))
            m_problem = QStringLiteral("alla riga %1 un'attività (<Task>) ne contiene un'altra, "
                                       "che Microsoft Project non scrive mai così.")
                            .arg(m_xml.lineNumber());
        else
            m_xml.skipCurrentElement();
    }
    m_tasks.push_back(std::move(task));
}

std::optional<Message> MspdiReader::readDocument()
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
        } else if (name == QLatin1String("Tasks")) {
            while (!failed() && m_xml.readNextStartElement()) {
                if (m_xml.name() == QLatin1String("Task"))
                    readTask();
                else
                    m_xml.skipCurrentElement();
            }
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (!m_problem.isEmpty())
        return refuse(m_problem);
    // Read to the end, so a document broken after the tasks is refused too.
    while (!m_xml.atEnd()) {
        if (m_xml.readNext() == QXmlStreamReader::DTD)
            return refuse(QStringLiteral("il documento contiene una dichiarazione DTD."));
    }
    if (m_xml.hasError())
        return refuse(xmlProblem(m_xml));
    return std::nullopt;
}

Result<ImportedProject> MspdiReader::read(const QDate& today)
{
    if (auto refused = readDocument())
        return *refused;
    return build(today);
}

Result<ImportedProject> MspdiReader::build(const QDate& today)
{
    QDate start = today;
    if (m_startDate) {
        start = parseDateTime(*m_startDate);
        if (!start.isValid())
            return refuse(QStringLiteral("la data d'inizio del progetto (StartDate) \"%1\" non è "
                                         "una data valida.")
                              .arg(quoted(*m_startDate)));
        if (start < firstAllowedDate() || start > lastAllowedDate())
            return refuse(QStringLiteral("la data d'inizio del progetto (StartDate) \"%1\" non è "
                                         "tra il %2 e il %3.")
                              .arg(quoted(*m_startDate), formatDate(firstAllowedDate()),
                                   formatDate(lastAllowedDate())));
    }
    double minutesPerDay = 480;
    if (!m_minutesPerDay.isEmpty()) {
        bool ok = false;
        minutesPerDay = m_minutesPerDay.toDouble(&ok);
        if (!ok || !(minutesPerDay > 0) || minutesPerDay > mspdi::kMinutesPerCalendarDay)
            return refuse(QStringLiteral("i minuti lavorativi al giorno (MinutesPerDay) valgono "
                                         "\"%1\".")
                              .arg(quoted(m_minutesPerDay)));
    }
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
    const auto toDays = [&](double minutes, int format) {
        return minutes / (isElapsedFormat(format) ? mspdi::kMinutesPerCalendarDay : minutesPerDay);
    };

    // What each task is, by UID; summaries and inactive tasks are known so that their links can
    // be named or left out.
    enum class Role
    {
        Kept,
        Summary,
        Inactive
    };
    QHash<QString, int> indexOf;
    QHash<QString, const RawTask*> byUid;
    QHash<QString, Role> roleOf;
    std::vector<NetworkTask> tasks;
    QStringList leftOut;
    for (const RawTask& raw : m_tasks) {
        const QString shown = nameOf(raw);
        const auto flag = [&](const QString& text, const char* element) -> std::optional<bool> {
            if (text.isEmpty())
                return false;
            if (auto value = parseFlag(text))
                return value;
            m_problem = QStringLiteral("l'attività «%1» ha <%2> \"%3\" invece di 0 o 1.")
                            .arg(shown, QLatin1String(element), quoted(text));
            return std::nullopt;
        };
        const auto isNull = flag(raw.isNull, "IsNull");
        const auto summary = flag(raw.summary, "Summary");
        const auto milestone = flag(raw.milestone, "Milestone");
        const auto active =
            raw.active.isEmpty() ? std::optional<bool>(true) : flag(raw.active, "Active");
        if (!isNull || !summary || !milestone || !active)
            return refuse(m_problem);
        if (*isNull)
            continue;
        if (raw.uid.isEmpty())
            return refuse(QStringLiteral("l'attività %1 non ha un identificativo (UID).")
                              .arg(raw.name.isEmpty() ? shown : QStringLiteral("«%1»").arg(shown)));
        if (byUid.contains(raw.uid))
            return refuse(QStringLiteral("due attività hanno lo stesso identificativo (UID %1).")
                              .arg(quoted(raw.uid)));
        byUid.insert(raw.uid, &raw);
        // The row of the project itself (outline level 0, or UID 0 without a level) sums up
        // the others.
        bool numeric = false;
        const bool projectRow =
            raw.outlineLevel == QLatin1String("0") ||
            (raw.outlineLevel.isEmpty() && raw.uid.toInt(&numeric) == 0 && numeric);
        if (*summary || projectRow) {
            roleOf.insert(raw.uid, Role::Summary);
            continue;
        }
        // An inactive task takes no part in the schedule; it is said what was left out.
        if (!*active) {
            roleOf.insert(raw.uid, Role::Inactive);
            leftOut << taskName(raw);
            continue;
        }
        const auto format = formatOf(raw.durationFormat);
        if (!format)
            return refuse(QStringLiteral("il formato della durata (DurationFormat) \"%1\" "
                                         "dell'attività «%2» non è tra quelli del formato.")
                              .arg(quoted(raw.durationFormat), shown));
        double days = 0;
        if (raw.duration.isEmpty()) {
            // A milestone may leave out its duration (TaskJuggler writes them so).
            if (!*milestone)
                return refuse(QStringLiteral("l'attività «%1» non ha una durata.").arg(shown));
        } else {
            const auto hours = parseDurationHours(raw.duration);
            if (!hours)
                return refuse(QStringLiteral("la durata \"%1\" dell'attività «%2» non è leggibile.")
                                  .arg(quoted(raw.duration), shown));
            days = toDays(*hours * 60, *format);
        }
        if (!(days >= 0) || days > kMaxImportedDays)
            return refuse(
                QStringLiteral("la durata dell'attività «%1» è fuori dei limiti.").arg(shown));
        roleOf.insert(raw.uid, Role::Kept);
        indexOf.insert(raw.uid, static_cast<int>(tasks.size()));
        // A zero-duration task is a milestone unless the file says otherwise.
        tasks.push_back({taskName(raw), days, raw.milestone.isEmpty() ? days == 0 : *milestone});
    }

    std::vector<NetworkTaskLink> links;
    for (const RawTask& raw : m_tasks) {
        if (!roleOf.contains(raw.uid) || byUid.value(raw.uid) != &raw ||
            roleOf.value(raw.uid) == Role::Inactive)
            continue;
        for (const RawLink& link : raw.links) {
            const RawTask* pred = byUid.value(link.predecessorUid);
            if (!pred)
                return refuse(QStringLiteral("l'attività «%1» dipende da un'attività che non "
                                             "esiste (UID \"%2\").")
                                  .arg(nameOf(raw), quoted(link.predecessorUid)));
            // A link through an inactive task delays nothing.
            if (roleOf.value(pred->uid) == Role::Inactive)
                continue;
            const QString pair = QStringLiteral("«%1» → «%2»").arg(nameOf(*pred), nameOf(raw));
            if (roleOf.value(raw.uid) == Role::Summary || roleOf.value(pred->uid) == Role::Summary)
                return refuse(QStringLiteral("il legame %1 riguarda un'attività di riepilogo, che "
                                             "ZANT non può rappresentare.")
                                  .arg(pair));
            const auto crossProject =
                parseFlag(link.crossProject.isEmpty() ? QStringLiteral("0") : link.crossProject);
            if (!crossProject)
                return refuse(QStringLiteral("il legame %1 ha <CrossProject> \"%2\" invece di 0 "
                                             "o 1.")
                                  .arg(pair, quoted(link.crossProject)));
            if (*crossProject)
                return refuse(
                    QStringLiteral("il legame %1 rimanda a un altro progetto.").arg(pair));
            bool typeOk = link.type.isEmpty();
            const int type = typeOk ? 1 : link.type.toInt(&typeOk);
            if (!typeOk || type != 1) {
                static const char* const kinds[] = {"fine-fine", "", "inizio-fine",
                                                    "inizio-inizio"};
                const QString kind = typeOk && (type == 0 || type == 2 || type == 3)
                                         ? QString::fromLatin1(kinds[type])
                                         : QStringLiteral("di tipo \"%1\"").arg(quoted(link.type));
                return refuse(QStringLiteral("il legame %1 è %2: ZANT rappresenta solo legami "
                                             "fine-inizio.")
                                  .arg(pair, kind));
            }
            double lagTenths = 0;
            if (!link.lag.isEmpty()) {
                bool ok = false;
                lagTenths = link.lag.toDouble(&ok);
                if (!ok || !std::isfinite(lagTenths))
                    return refuse(QStringLiteral("il ritardo \"%1\" del legame %2 non è un "
                                                 "numero.")
                                      .arg(quoted(link.lag), pair));
            }
            const auto lagFormat = formatOf(link.lagFormat);
            if (!lagFormat || ((*lagFormat == 21 || *lagFormat == 53) && lagTenths != 0))
                return refuse(QStringLiteral("il formato del ritardo (LagFormat) \"%1\" del "
                                             "legame %2 non è tra quelli del formato.")
                                  .arg(quoted(link.lagFormat), pair));
            if (lagTenths < 0)
                return refuse(QStringLiteral("il legame %1 ha un ritardo negativo (anticipo), che "
                                             "ZANT non può rappresentare.")
                                  .arg(pair));
            if (lagTenths > 0 && isPercentFormat(*lagFormat))
                return refuse(QStringLiteral("il ritardo del legame %1 è in percentuale, che ZANT "
                                             "non può rappresentare.")
                                  .arg(pair));
            const double lag = toDays(lagTenths / 10, *lagFormat);
            if (lag > kMaxImportedDays)
                return refuse(
                    QStringLiteral("il ritardo del legame %1 è fuori dei limiti.").arg(pair));
            links.push_back({indexOf.value(pred->uid), indexOf.value(raw.uid), lag});
        }
    }
    if (tasks.empty())
        return refuse(QStringLiteral("non contiene attività da importare."));

    auto network = buildEventNetwork(tasks, links);
    if (!network)
        return refuse(network.error().text);

    Project project = std::move(network.value().project);
    project.setStartDateText(formatDate(start));
    TitlePage titlePage;
    titlePage[TitlePage::progetto] = storableDescription(m_title);
    auto reopened = asReopened(project, titlePage);
    if (!reopened)
        return refuse(reopened.error().text);

    ImportedProject imported;
    imported.project = std::move(reopened.value().project);
    imported.titlePage = std::move(reopened.value().titlePage);
    imported.dummyCount = network.value().dummyCount;
    imported.leftOut = std::move(leftOut);
    for (std::size_t t = 0; t < tasks.size(); ++t)
        imported.tasks.push_back({tasks[t].name, network.value().taskStartEvent[t],
                                  network.value().taskEndEvent[t],
                                  tasks[t].milestone && tasks[t].days == 0});
    return imported;
}

} // namespace

Result<ImportedProject> parseMspdi(const QByteArray& bytes, const QString& fileName,
                                   const QDate& today)
{
    return MspdiReader(bytes, fileName).read(today);
}

QString describeLeftOut(const QStringList& names)
{
    constexpr int kNamed = 6;
    if (names.isEmpty())
        return QString();
    QStringList shown;
    for (int i = 0; i < std::min<int>(kNamed, static_cast<int>(names.size())); ++i)
        shown << QStringLiteral("«%1»").arg(quoted(names[i]));
    if (names.size() > kNamed)
        shown << QStringLiteral("altre %1").arg(names.size() - kNamed);
    const QString last = shown.takeLast();
    const QString list =
        shown.isEmpty() ? last : shown.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
    return names.size() == 1 ? QStringLiteral("Tralasciata 1 attività inattiva: %1.").arg(list)
                             : QStringLiteral("Tralasciate %1 attività inattive: %2.")
                                   .arg(names.size())
                                   .arg(list);
}

Result<ImportedProject> readMspdiFile(const QString& path, const QDate& today)
{
    if (QFileInfo(path).size() > kMaxMspdiBytes)
        return critical(QStringLiteral("Impossibile importare il file \"%1\": è troppo grande "
                                       "(oltre %2 MB).")
                            .arg(visibleText(displayPath(path)))
                            .arg(kMaxMspdiBytes >> 20));
    auto bytes = readWholeFile(path, kMaxMspdiBytes);
    if (!bytes)
        return bytes.error();
    return parseMspdi(bytes.value(), path, today);
}

} // namespace zant
