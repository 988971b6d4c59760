#include "exchange/mspdi.h"
#include "exchange/mspdi_format.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <cmath>
#include <optional>

namespace zant {

namespace {

constexpr qint64 kMaxMspdiBytes = 32 << 20;
constexpr double kMaxImportedDays = 1'000'000;

struct RawLink
{
    QString predecessorUid;
    int type = 1;
    bool crossProject = false;
    double lagTenthsOfMinutes = 0;
    int lagFormat = 7;
};

struct RawTask
{
    QString uid;
    QString name;
    QString duration; // ISO 8601, as written
    int durationFormat = 7;
    bool summary = false;
    bool isNull = false;
    std::optional<bool> milestone;
    std::vector<RawLink> links;
};

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

// "PT8H30M0S", "P2DT4H", "PT1.5H": hours. Years and months have no fixed length and are refused.
std::optional<double> parseDurationHours(const QString& text)
{
    QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('P')) || t.size() < 2)
        return std::nullopt;
    double hours = 0;
    bool timePart = false;
    QString number;
    for (qsizetype i = 1; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('T')) {
            if (timePart || !number.isEmpty())
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
    if (!number.isEmpty())
        return std::nullopt;
    return hours;
}

class MspdiReader final
{
public:
    MspdiReader(const QByteArray& bytes, const QString& fileName)
        : m_xml(bytes), m_fileName(displayPath(fileName))
    {
    }

    Result<ImportedProject> read(const QDate& today);

private:
    Message refuse(const QString& why) const
    {
        return critical(
            QStringLiteral("Impossibile importare il file \"%1\": %2").arg(m_fileName, why));
    }
    // Next token that matters; false at the end of the document or on a refusal in m_problem.
    bool nextStart(int& depth);
    QString elementText();
    void readTask();
    void readLink(RawTask& task);
    bool failed() const { return !m_problem.isEmpty() || m_xml.hasError(); }

    QXmlStreamReader m_xml;
    QString m_fileName;
    QString m_problem;
    QString m_title;
    QString m_startDate;
    QString m_minutesPerDay;
    std::vector<RawTask> m_tasks;
};

constexpr int kMaxTasksRead = 50'000;

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
        if (name == QLatin1String("PredecessorUID")) {
            link.predecessorUid = elementText();
        } else if (name == QLatin1String("Type")) {
            bool ok = false;
            link.type = elementText().toInt(&ok);
            if (!ok)
                link.type = -1;
        } else if (name == QLatin1String("CrossProject")) {
            link.crossProject = elementText() == QLatin1String("1");
        } else if (name == QLatin1String("LinkLag")) {
            bool ok = false;
            link.lagTenthsOfMinutes = elementText().toDouble(&ok);
            if (!ok || !std::isfinite(link.lagTenthsOfMinutes)) {
                m_problem = QStringLiteral("il ritardo di un legame dell'attività «%1» non è un "
                                           "numero.")
                                .arg(task.name);
                return;
            }
        } else if (name == QLatin1String("LagFormat")) {
            link.lagFormat = elementText().toInt();
        } else {
            m_xml.skipCurrentElement();
        }
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
    while (!failed() && m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("UID"))
            task.uid = elementText();
        else if (name == QLatin1String("Name"))
            task.name = elementText();
        else if (name == QLatin1String("Duration"))
            task.duration = elementText();
        else if (name == QLatin1String("DurationFormat"))
            task.durationFormat = elementText().toInt();
        else if (name == QLatin1String("Summary"))
            task.summary = elementText() == QLatin1String("1");
        else if (name == QLatin1String("Milestone"))
            task.milestone = elementText() == QLatin1String("1");
        else if (name == QLatin1String("IsNull"))
            task.isNull = elementText() == QLatin1String("1");
        else if (name == QLatin1String("PredecessorLink"))
            readLink(task);
        else
            m_xml.skipCurrentElement();
    }
    m_tasks.push_back(std::move(task));
}

Result<ImportedProject> MspdiReader::read(const QDate& today)
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
        return refuse(QStringLiteral("non è un documento XML valido (riga %1: %2).")
                          .arg(m_xml.lineNumber())
                          .arg(m_xml.errorString()));
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
        return refuse(QStringLiteral("non è un documento XML valido (riga %1: %2).")
                          .arg(m_xml.lineNumber())
                          .arg(m_xml.errorString()));

    double minutesPerDay = 480;
    if (!m_minutesPerDay.isEmpty()) {
        bool ok = false;
        minutesPerDay = m_minutesPerDay.toDouble(&ok);
        if (!ok || !(minutesPerDay > 0) || minutesPerDay > mspdi::kMinutesPerCalendarDay)
            return refuse(QStringLiteral("i minuti lavorativi al giorno (MinutesPerDay) valgono "
                                         "\"%1\".")
                              .arg(m_minutesPerDay));
    }
    const auto toDays = [&](double minutes, int format) {
        return minutes / (isElapsedFormat(format) ? mspdi::kMinutesPerCalendarDay : minutesPerDay);
    };

    // The tasks that take part, by UID; summaries are known so their links can be named.
    QHash<QString, int> indexOf;
    QHash<QString, const RawTask*> byUid;
    std::vector<NetworkTask> tasks;
    std::vector<const RawTask*> kept;
    for (const RawTask& raw : m_tasks) {
        if (raw.isNull)
            continue;
        const QString shown = raw.name.isEmpty() ? QStringLiteral("UID %1").arg(raw.uid) : raw.name;
        if (raw.uid.isEmpty())
            return refuse(
                QStringLiteral("l'attività «%1» non ha un identificativo (UID).").arg(shown));
        if (byUid.contains(raw.uid))
            return refuse(QStringLiteral("due attività hanno lo stesso identificativo (UID %1).")
                              .arg(raw.uid));
        byUid.insert(raw.uid, &raw);
        if (raw.summary)
            continue;
        const auto hours = parseDurationHours(raw.duration);
        if (raw.duration.isEmpty())
            return refuse(QStringLiteral("l'attività «%1» non ha una durata.").arg(shown));
        if (!hours)
            return refuse(QStringLiteral("la durata \"%1\" dell'attività «%2» non è leggibile.")
                              .arg(raw.duration, shown));
        const double days = toDays(*hours * 60, raw.durationFormat);
        if (!(days >= 0) || days > kMaxImportedDays)
            return refuse(
                QStringLiteral("la durata dell'attività «%1» è fuori dei limiti.").arg(shown));
        indexOf.insert(raw.uid, static_cast<int>(tasks.size()));
        // A zero-duration task is a milestone unless the file says otherwise.
        tasks.push_back({shown, days, raw.milestone.value_or(days == 0)});
        kept.push_back(&raw);
    }
    const auto nameOf = [](const RawTask& t) {
        return t.name.isEmpty() ? QStringLiteral("UID %1").arg(t.uid) : t.name;
    };
    std::vector<NetworkTaskLink> links;
    for (const RawTask& raw : m_tasks) {
        if (raw.isNull)
            continue;
        for (const RawLink& link : raw.links) {
            const RawTask* pred = byUid.value(link.predecessorUid);
            if (!pred)
                return refuse(QStringLiteral("l'attività «%1» dipende da un'attività che non "
                                             "esiste (UID \"%2\").")
                                  .arg(nameOf(raw), link.predecessorUid));
            const QString pair = QStringLiteral("«%1» → «%2»").arg(nameOf(*pred), nameOf(raw));
            if (raw.summary || pred->summary)
                return refuse(QStringLiteral("il legame %1 riguarda un'attività di riepilogo, che "
                                             "ZANT non può rappresentare.")
                                  .arg(pair));
            if (link.crossProject)
                return refuse(
                    QStringLiteral("il legame %1 rimanda a un altro progetto.").arg(pair));
            if (link.type != 1) {
                static const char* const kinds[] = {"fine-fine", "", "inizio-fine",
                                                    "inizio-inizio"};
                const QString kind = link.type == 0 || link.type == 2 || link.type == 3
                                         ? QString::fromLatin1(kinds[link.type])
                                         : QStringLiteral("di tipo %1").arg(link.type);
                return refuse(QStringLiteral("il legame %1 è %2: ZANT rappresenta solo legami "
                                             "fine-inizio.")
                                  .arg(pair, kind));
            }
            if (link.lagTenthsOfMinutes < 0)
                return refuse(QStringLiteral("il legame %1 ha un ritardo negativo (anticipo), che "
                                             "ZANT non può rappresentare.")
                                  .arg(pair));
            if (link.lagTenthsOfMinutes > 0 && isPercentFormat(link.lagFormat))
                return refuse(QStringLiteral("il ritardo del legame %1 è in percentuale, che ZANT "
                                             "non può rappresentare.")
                                  .arg(pair));
            const double lag = toDays(link.lagTenthsOfMinutes / 10, link.lagFormat);
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

    ImportedProject imported;
    imported.project = std::move(network.value().project);
    QDate start = QDate::fromString(m_startDate.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!start.isValid())
        start = today;
    imported.project.setStartDateText(formatDate(start));
    imported.titlePage[TitlePage::progetto] = storableDescription(m_title);
    imported.dummyCount = network.value().dummyCount;
    for (std::size_t t = 0; t < tasks.size(); ++t)
        imported.tasks.push_back(
            {tasks[t].name, network.value().taskStartEvent[t], network.value().taskEndEvent[t]});
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
        return critical(QStringLiteral("Impossibile importare il file \"%1\": è troppo grande "
                                       "(oltre %2 MB).")
                            .arg(displayPath(path))
                            .arg(kMaxMspdiBytes >> 20));
    auto bytes = readWholeFile(path, kMaxMspdiBytes);
    if (!bytes)
        return bytes.error();
    return parseMspdi(bytes.value(), path, today);
}

} // namespace zant
