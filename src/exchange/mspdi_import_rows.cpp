#include "exchange/mspdi_import_builder.h"

#include <algorithm>
#include <cmath>

namespace zant::mspdi {

namespace {

constexpr double kMaxImportedDays = 1'000'000;

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

// A duration format as written, 7 (days) when absent; nothing when the format has no such.
std::optional<int> formatOf(const QString& text)
{
    if (text.isEmpty())
        return 7;
    bool ok = false;
    const int format = text.toInt(&ok);
    if (!ok || !isKnownFormat(format))
        return std::nullopt;
    return format;
}

} // namespace

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

// A row followed by deeper ones sums them up, whether or not its Summary flag says so (some
// programs write 0 there): its level, as far as it can be read, against the next row's.
void ImportBuilder::markSummingRows()
{
    const auto levelOf = [](const RawTask& raw) {
        bool ok = false;
        const int level = raw.outlineLevel.toInt(&ok);
        return ok ? level : raw.outlineLevel.isEmpty() && raw.uid == QLatin1String("0") ? 0 : 1;
    };
    int previous = -1;
    for (int i = 0; i < m_rowCount; ++i) {
        if (parseFlag(m_doc.tasks[i].isNull).value_or(false))
            continue;
        if (previous >= 0 && levelOf(m_doc.tasks[i]) > levelOf(m_doc.tasks[previous]))
            m_hasChildren[previous] = 1;
        previous = i;
    }
}

// What the row is, with its problems listed; a row that can be read is placed in the outline.
void ImportBuilder::classifyRow(int row)
{
    const RawTask& raw = m_doc.tasks[row];
    const QString ref = referenceOf(raw);
    bool readable = true;
    const auto flag = [&](const QString& text, const char* element, bool absent) {
        if (text.isEmpty())
            return absent;
        if (auto value = parseFlag(text))
            return *value;
        m_problems << QStringLiteral("%1: <%2> vale \"%3\" invece di 0 o 1.")
                          .arg(ref, QLatin1String(element), quoted(text));
        readable = false;
        return absent;
    };
    const bool isNull = flag(raw.isNull, "IsNull", false);
    if (isNull && readable) {
        m_role[row] = Role::Blank;
        ++m_blankRows;
        return;
    }
    const bool summary = flag(raw.summary, "Summary", false) || m_hasChildren[row];
    const bool milestone = flag(raw.milestone, "Milestone", false);
    const bool active = flag(raw.active, "Active", true);
    const bool isExternal = flag(raw.external, "ExternalTask", false);
    if (!takeUid(row, ref))
        return;
    // The row of the project itself (outline level 0, or UID 0 without a level) sums up the
    // others.
    const int level = outlineLevel(row, ref, readable);
    if (level == 0 && readable) {
        m_role[row] = Role::ProjectRow;
        m_projectRow = raw.uid;
        return;
    }
    while (!m_outline.empty() && m_outline.back().first >= level)
        m_outline.pop_back();
    m_parent[row] = m_outline.empty() ? -1 : m_outline.back().second;
    m_outline.push_back({level, row});
    if (!readable)
        return;
    if (isExternal) {
        m_role[row] = Role::External;
        m_external << taskName(raw);
        return;
    }
    // An inactive task, and every task of an inactive summary, takes no part in the schedule.
    if (!active || (m_parent[row] >= 0 && m_role[m_parent[row]] == Role::Inactive)) {
        m_role[row] = Role::Inactive;
        m_inactive << taskName(raw);
        return;
    }
    if (summary) {
        // Its duration is its children's span; a lag in percent of it still needs it.
        const auto format = formatOf(raw.durationFormat);
        std::optional<double> hours;
        if (!raw.duration.isEmpty())
            hours = parseDurationHours(raw.duration);
        m_role[row] = Role::Summary;
        m_days[row] = format && hours ? m_time.days(*hours * 60, *format) : 0.0;
        return;
    }
    readTaskRow(row, ref, milestone);
}

// Whether the row has a UID of its own, which is then known by it.
bool ImportBuilder::takeUid(int row, const QString& ref)
{
    const RawTask& raw = m_doc.tasks[row];
    if (raw.uid.isEmpty()) {
        m_problems << QStringLiteral("%1 non ha un identificativo (UID).")
                          .arg(raw.name.isEmpty() && raw.id.isEmpty()
                                   ? ref
                                   : QStringLiteral("l'attività %1").arg(ref));
        return false;
    }
    if (const int other = m_byUid.value(raw.uid, -1); other >= 0) {
        m_problems << QStringLiteral("%1 e %2 hanno lo stesso identificativo (UID %3).")
                          .arg(referenceOf(m_doc.tasks[other]), ref, quoted(raw.uid));
        return false;
    }
    m_byUid.insert(raw.uid, row);
    return true;
}

// The row's level in the outline: 1 when it gives none (0 for UID 0) or one that cannot be read,
// which makes the row unreadable.
int ImportBuilder::outlineLevel(int row, const QString& ref, bool& readable)
{
    const RawTask& raw = m_doc.tasks[row];
    if (raw.outlineLevel.isEmpty())
        return raw.uid == QLatin1String("0") ? 0 : 1;
    bool ok = false;
    const int level = raw.outlineLevel.toInt(&ok);
    if (ok && level >= 0)
        return level;
    m_problems << QStringLiteral("%1: il livello nella struttura (OutlineLevel) \"%2\" non è un "
                                 "numero intero.")
                      .arg(ref, quoted(raw.outlineLevel));
    readable = false;
    return 1;
}

// The duration and the cost of a row that is a task.
void ImportBuilder::readTaskRow(int row, const QString& ref, bool milestone)
{
    const RawTask& raw = m_doc.tasks[row];
    const auto format = formatOf(raw.durationFormat);
    if (!format) {
        m_problems << QStringLiteral("%1: il formato della durata (DurationFormat) \"%2\" non "
                                     "è tra quelli del formato.")
                          .arg(ref, quoted(raw.durationFormat));
        return;
    }
    double days = 0;
    if (raw.duration.isEmpty()) {
        // A milestone may leave out its duration (TaskJuggler writes them so).
        if (!milestone) {
            m_problems << QStringLiteral("%1: manca la durata.").arg(ref);
            return;
        }
    } else if (const auto hours = parseDurationHours(raw.duration); !hours) {
        m_problems << QStringLiteral("%1: la durata \"%2\" non è leggibile.")
                          .arg(ref, quoted(raw.duration));
        return;
    } else {
        days = m_time.days(*hours * 60, *format);
        if (days > 0)
            ++(isElapsedFormat(*format) ? m_elapsedValues : m_workingTimeValues);
    }
    if (!(days >= 0) || days > kMaxImportedDays) {
        m_problems << QStringLiteral("%1: la durata è fuori dei limiti.").arg(ref);
        return;
    }
    const QString& costText = raw.cost.isEmpty() ? raw.fixedCost : raw.cost;
    const std::optional<Cents> cost = costText.isEmpty() ? Cents{0} : costInCents(costText);
    if (!cost) {
        m_problems << QStringLiteral("%1: il costo \"%2\" non è un importo da 0 a "
                                     "999.999.999,99.")
                          .arg(ref, quoted(costText));
        return;
    }
    m_role[row] = Role::Task;
    m_days[row] = days;
    m_cost[row] = *cost;
    // A zero-duration task is a milestone unless the file says otherwise; one that costs
    // something stays an activity, so that its amount is kept.
    m_moment[row] = days == 0 && (raw.milestone.isEmpty() || milestone) && *cost == 0;
}

// The tasks of the network, in the order of the file's outline.
void ImportBuilder::collectTasks()
{
    for (int i = 0; i < m_rowCount; ++i) {
        if (m_role[i] != Role::Task && m_role[i] != Role::Summary)
            continue;
        NetworkTask task;
        task.name = taskName(m_doc.tasks[i]);
        task.days = m_days[i];
        task.amount = m_cost[i];
        task.summary = m_role[i] == Role::Summary;
        task.milestone = m_moment[i];
        task.reference = referenceOf(m_doc.tasks[i]);
        for (int p = m_parent[i]; p >= 0; p = m_parent[p]) {
            if (m_role[p] == Role::Summary) {
                task.parent = m_indexOf[p];
                break;
            }
        }
        m_indexOf[i] = static_cast<int>(m_tasks.size());
        m_rowOf.push_back(i);
        m_tasks.push_back(std::move(task));
    }
}

// A link of the row's task to its predecessor, kept when both are tasks of the network.
void ImportBuilder::addLink(int row, const RawLink& link)
{
    const RawTask& raw = m_doc.tasks[row];
    const int pred = m_byUid.value(link.predecessorUid, -1);
    if (pred < 0) {
        m_problems << QStringLiteral("%1 dipende da un'attività che non esiste (UID \"%2\").")
                          .arg(referenceOf(raw), quoted(link.predecessorUid));
        return;
    }
    const QString pair =
        QStringLiteral("%1 → %2").arg(referenceOf(m_doc.tasks[pred]), referenceOf(raw));
    const auto crossProject =
        parseFlag(link.crossProject.isEmpty() ? QStringLiteral("0") : link.crossProject);
    if (!crossProject) {
        m_problems << QStringLiteral("%1: <CrossProject> vale \"%2\" invece di 0 o 1.")
                          .arg(pair, quoted(link.crossProject));
        return;
    }
    if (*crossProject) {
        ++m_crossProjectLinks;
        return;
    }
    if (m_role[pred] == Role::Broken)
        return;
    if (m_indexOf[pred] < 0) {
        // A link through a task left out delays nothing.
        ++m_linksToLeftOut;
        return;
    }
    bool typeOk = link.type.isEmpty();
    const int type = typeOk ? 1 : link.type.toInt(&typeOk);
    if (!typeOk || type < 0 || type > 3) {
        m_problems << QStringLiteral("%1: il tipo di legame \"%2\" non è tra quelli del "
                                     "formato.")
                          .arg(pair, quoted(link.type));
        return;
    }
    const std::optional<double> lag = lagDays(pair, link, pred);
    if (!lag)
        return;
    ++m_report.links[static_cast<std::size_t>(type)];
    m_report.leads += *lag < 0 ? 1 : 0;
    m_report.lags += *lag > 0 ? 1 : 0;
    m_links.push_back({m_indexOf[pred], m_indexOf[row], *lag, static_cast<TaskLinkType>(type)});
}

// A link's lag in days; nothing, with the problem listed, when it cannot be read.
std::optional<double> ImportBuilder::lagDays(const QString& pair, const RawLink& link,
                                             int predecessor)
{
    double lagTenths = 0;
    if (!link.lag.isEmpty()) {
        bool ok = false;
        lagTenths = link.lag.toDouble(&ok);
        if (!ok || !std::isfinite(lagTenths)) {
            m_problems << QStringLiteral("%1: il ritardo \"%2\" non è un numero.")
                              .arg(pair, quoted(link.lag));
            return std::nullopt;
        }
    }
    const auto lagFormat = formatOf(link.lagFormat);
    if (!lagFormat || ((*lagFormat == 21 || *lagFormat == 53) && lagTenths != 0)) {
        m_problems << QStringLiteral("%1: il formato del ritardo (LagFormat) \"%2\" non è "
                                     "tra quelli del formato.")
                          .arg(pair, quoted(link.lagFormat));
        return std::nullopt;
    }
    // A lag in percent is counted in tenths of a percent of the predecessor's duration, as every
    // lag of the format is counted in tenths.
    double lag = 0;
    if (isPercentFormat(*lagFormat)) {
        lag = lagTenths / 1000 * m_days[predecessor];
    } else {
        lag = m_time.days(lagTenths / 10, *lagFormat);
        if (lag != 0)
            ++(isElapsedFormat(*lagFormat) ? m_elapsedValues : m_workingTimeValues);
    }
    if (std::abs(lag) > kMaxImportedDays) {
        m_problems << QStringLiteral("%1: il ritardo è fuori dei limiti.").arg(pair);
        return std::nullopt;
    }
    return lag;
}

} // namespace zant::mspdi
