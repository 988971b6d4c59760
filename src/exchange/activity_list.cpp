#include "exchange/activity_list.h"

#include "exchange/task_network.h"
#include "model/cp1252.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <set>

namespace zant {

namespace {

constexpr qint64 kMaxListBytes = 8 << 20;
constexpr double kMaxDays = 1'000'000;

// Splits the text into rows of fields, honouring quoted fields (which may hold separators and
// line breaks). Each row keeps the line it started on and its text.
struct RawRow
{
    int line = 0;
    QString text;
    QStringList fields;
    QStringList untrimmed; // the same, with their blanks: a description joined back keeps them
};

std::vector<RawRow> splitRows(const QString& text, QChar separator)
{
    std::vector<RawRow> rows;
    RawRow row;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    int line = 1;
    row.line = 1;
    const auto endField = [&]() {
        row.fields << (wasQuoted ? field : field.trimmed());
        row.untrimmed << field;
        field.clear();
        wasQuoted = false;
    };
    const auto endRow = [&]() {
        endField();
        rows.push_back(row);
        row = RawRow();
        row.line = line;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    row.text += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            row.text += c;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            endRow();
            continue;
        }
        row.text += c;
        if (c == separator) {
            endField();
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
            field.clear();
        } else {
            field += c;
        }
    }
    if (!row.text.isEmpty() || !field.isEmpty())
        endRow();
    return rows;
}

bool readWhole(const QString& text, int& value)
{
    if (text.isEmpty() || text.size() > 6)
        return false;
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > u'9')
            return false;
    value = text.toInt();
    return true;
}

bool readDays(QString text, QChar separator, double& value)
{
    if (separator != QLatin1Char(','))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.isEmpty() || text.size() > 20)
        return false;
    for (QChar c : text)
        if (!(c.isDigit() && c.unicode() <= u'9') && c != QLatin1Char('.'))
            return false;
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

bool looksLikeHeading(const QStringList& fields, QChar separator)
{
    int whole = 0;
    double days = 0;
    return fields.size() < 3 || !readWhole(fields[0], whole) || !readWhole(fields[1], whole) ||
           !readDays(fields[2], separator, days);
}

} // namespace

ActivityList parseActivityList(const QString& text)
{
    ActivityList list;
    list.separator = text.contains(QLatin1Char('\t'))  ? QLatin1Char('\t')
                     : text.contains(QLatin1Char(';')) ? QLatin1Char(';')
                                                       : QLatin1Char(',');
    const QChar sep = list.separator;
    bool first = true;
    for (RawRow& raw : splitRows(text, sep)) {
        if (raw.text.trimmed().isEmpty())
            continue;
        if (first) {
            first = false;
            if (looksLikeHeading(raw.fields, sep)) {
                list.headingSkipped = true;
                continue;
            }
        }
        const auto refuse = [&](const QString& why) {
            list.refused.push_back({raw.line, raw.text.trimmed(), why});
        };
        if (raw.fields.size() < 3) {
            refuse(QStringLiteral("servono almeno evento da, evento a e giorni"));
            continue;
        }
        ActivityRow row;
        row.line = raw.line;
        if (!readWhole(raw.fields[0], row.from) || row.from < 1 || row.from > kMaxEvents) {
            refuse(QStringLiteral("l'evento da \"%1\" non è un numero intero da 1 a %2")
                       .arg(raw.fields[0])
                       .arg(kMaxEvents));
            continue;
        }
        if (!readWhole(raw.fields[1], row.to) || row.to < 1 || row.to > kMaxEvents) {
            refuse(QStringLiteral("l'evento a \"%1\" non è un numero intero da 1 a %2")
                       .arg(raw.fields[1])
                       .arg(kMaxEvents));
            continue;
        }
        if (!readDays(raw.fields[2], sep, row.days) || row.days > kMaxDays) {
            refuse(QStringLiteral("i giorni \"%1\" non sono un numero da 0 a %2")
                       .arg(raw.fields[2])
                       .arg(formatDays(kMaxDays)));
            continue;
        }
        if (raw.fields.size() > 3)
            row.description = storableDescription(raw.untrimmed.mid(3).join(sep));
        list.rows.push_back(row);
    }
    return list;
}

ActivityPaste planActivityPaste(const Project& project, const ActivityList& list)
{
    ActivityPaste paste;
    paste.result = project;
    paste.refused = list.refused;
    const int before = project.eventCount();
    int n = before;
    std::vector<Event> events(kMaxEvents + 1);
    for (int e = 1; e <= before; ++e)
        events[e] = project.event(e);
    std::set<std::pair<int, int>> existing;
    for (int e = 1; e <= before; ++e)
        for (const Link& link : events[e].links)
            existing.insert({e, link.target});

    for (const ActivityRow& row : list.rows) {
        const auto refuse = [&](const QString& why) {
            paste.refused.push_back(
                {row.line,
                 QStringLiteral("%1 → %2: %3").arg(row.from).arg(row.to).arg(formatDays(row.days)),
                 why});
        };
        if (row.from == row.to) {
            refuse(QStringLiteral("un legame deve portare a un altro evento"));
            continue;
        }
        if (existing.count({row.from, row.to})) {
            refuse(QStringLiteral("il legame da %1 a %2 c'è già").arg(row.from).arg(row.to));
            continue;
        }
        if (events[row.from].linkCount() >= kMaxLinks) {
            refuse(QStringLiteral("l'evento %1 ha già %2 legami").arg(row.from).arg(kMaxLinks));
            continue;
        }
        existing.insert({row.from, row.to});
        events[row.from].links.push_back({row.to, row.days});
        const int top = std::max(row.from, row.to);
        if (top > n)
            n = top;
        if (row.to > before && events[row.to].description.isEmpty() && !row.description.isEmpty())
            events[row.to].description = row.description;
        paste.added.push_back(row);
    }
    for (int e = before + 1; e <= n; ++e) {
        if (events[e].description.isEmpty())
            events[e].description = QStringLiteral("Evento %1").arg(e);
    }
    paste.newEvents = n - before;
    paste.result.setEventCount(n);
    for (int e = 1; e <= n; ++e)
        paste.result.setEvent(e, std::move(events[e]));
    return paste;
}

Result<Project> parseActivityListFile(const QByteArray& bytes, const QString& fileName,
                                      const QDate& today)
{
    const auto refuse = [&](const QString& why) {
        return critical(QStringLiteral("Impossibile importare il file \"%1\": %2")
                            .arg(displayPath(fileName), why));
    };
    const ActivityList list = parseActivityList(decodeTextFile(bytes));
    Project empty;
    empty.clear();
    empty.setStartDateText(formatDate(today));
    const ActivityPaste paste = planActivityPaste(empty, list);
    if (!paste.refused.empty()) {
        const RefusedRow& r = paste.refused.front();
        QString text = QStringLiteral("riga %1 (%2): %3.").arg(r.line).arg(r.text, r.reason);
        if (paste.refused.size() > 1)
            text += QStringLiteral(" Le righe rifiutate sono %1.").arg(paste.refused.size());
        return refuse(text);
    }
    if (paste.added.empty())
        return refuse(QStringLiteral("non contiene attività."));
    if (auto fault = findDataFault(paste.result))
        return refuse(QStringLiteral("il progetto che ne risulta non supera il controllo dei "
                                     "dati. ") +
                      fault->text);
    return paste.result;
}

Result<Project> readActivityListFile(const QString& path, const QDate& today)
{
    if (QFileInfo(path).size() > kMaxListBytes)
        return critical(QStringLiteral("Impossibile importare il file \"%1\": è troppo grande "
                                       "(oltre %2 MB) per essere un elenco di attività.")
                            .arg(displayPath(path))
                            .arg(kMaxListBytes >> 20));
    auto bytes = readWholeFile(path, kMaxListBytes);
    if (!bytes)
        return bytes.error();
    return parseActivityListFile(bytes.value(), path, today);
}

} // namespace zant
