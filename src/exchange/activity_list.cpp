#include "exchange/activity_list.h"

#include "exchange/import_check.h"
#include "exchange/task_network.h"
#include "model/cp1252.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace zant {

namespace {

constexpr qint64 kMaxListBytes = 8 << 20;
constexpr double kMaxDays = 1'000'000;
// How many of the first lines decide the separator.
constexpr int kLinesForSeparator = 5;
constexpr qsizetype kShownRowChars = 120;
constexpr qsizetype kShownFieldChars = 40;

// A text of the input as a message shows it: tabs as blanks, control characters visible, and cut
// when long.
QString shown(QString text, qsizetype limit)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    if (text.size() > limit) {
        text.truncate(limit);
        if (text.back().isHighSurrogate())
            text.chop(1);
        text += QStringLiteral("…");
    }
    return visibleText(text);
}

// One row of fields. A quoted field may hold separators and line breaks; the row keeps the line
// it started on and its text.
struct RawRow
{
    int line = 0;
    QString text;
    QStringList fields;
    QStringList untrimmed; // the same, with their blanks: a description joined back keeps them
    bool unclosedQuote = false;
};

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

class RowSplitter final
{
public:
    RowSplitter(const QString& text, QChar separator) : m_text(text), m_separator(separator) {}

    std::vector<RawRow> split()
    {
        while (m_at < m_text.size())
            readRow();
        return std::move(m_rows);
    }

private:
    // Steps over the line break at m_at (CR LF, LF or CR), counting the line.
    void skipLineBreak()
    {
        if (m_text[m_at] == QLatin1Char('\r') && m_at + 1 < m_text.size() &&
            m_text[m_at + 1] == QLatin1Char('\n'))
            ++m_at;
        ++m_at;
        ++m_line;
    }

    void readRow()
    {
        RawRow row;
        row.line = m_line;
        const qsizetype start = m_at;
        QString field;
        bool wasQuoted = false;
        const auto endField = [&]() {
            row.fields << (wasQuoted ? field : field.trimmed());
            row.untrimmed << field;
            field.clear();
            wasQuoted = false;
        };
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (c == QLatin1Char('"') && !wasQuoted && field.trimmed().isEmpty()) {
                const qsizetype opened = m_at;
                const int openedLine = m_line;
                if (!readQuoted(field)) {
                    // Everything after an unclosed quote would end in one description: the row
                    // is refused up to the end of its line, and the next lines are read anew.
                    m_at = opened;
                    while (m_at < m_text.size() && !isLineBreak(m_text[m_at]))
                        ++m_at;
                    m_line = openedLine;
                    row.text = m_text.mid(start, m_at - start);
                    row.unclosedQuote = true;
                    m_rows.push_back(std::move(row));
                    if (m_at < m_text.size())
                        skipLineBreak();
                    return;
                }
                wasQuoted = true;
                continue;
            }
            if (isLineBreak(c)) {
                row.text = m_text.mid(start, m_at - start);
                skipLineBreak();
                endField();
                m_rows.push_back(std::move(row));
                return;
            }
            if (c == m_separator)
                endField();
            else
                field += c;
            ++m_at;
        }
        row.text = m_text.mid(start);
        endField();
        m_rows.push_back(std::move(row));
    }

    // Reads a quoted field from its opening quote; false when the quote is never closed.
    bool readQuoted(QString& field)
    {
        field.clear();
        ++m_at;
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (c == QLatin1Char('"')) {
                if (m_at + 1 < m_text.size() && m_text[m_at + 1] == QLatin1Char('"')) {
                    field += c;
                    m_at += 2;
                    continue;
                }
                ++m_at;
                return true;
            }
            if (c == QLatin1Char('\n') ||
                (c == QLatin1Char('\r') &&
                 !(m_at + 1 < m_text.size() && m_text[m_at + 1] == QLatin1Char('\n'))))
                ++m_line;
            field += c;
            ++m_at;
        }
        return false;
    }

    const QString& m_text;
    QChar m_separator;
    qsizetype m_at = 0;
    int m_line = 1;
    std::vector<RawRow> m_rows;
};

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

// An amount of the sixth column: the Italian way, or with a decimal point where commas separate
// the columns.
std::optional<Cents> readAmount(const QString& text, QChar separator)
{
    if (separator == QLatin1Char(',')) {
        static const QRegularExpression pointed(QStringLiteral("^(\\d{1,9})(?:\\.(\\d{1,2}))?$"));
        const auto m = pointed.match(text);
        if (m.hasMatch())
            return parseEuro(m.captured(1) + QLatin1Char(',') +
                             (m.captured(2).isEmpty() ? QStringLiteral("0") : m.captured(2)));
    }
    return parseEuro(text);
}

// Whether a field is meant as a number: digits, with only what numbers and amounts are written
// with around them.
bool looksLikeAmount(const QString& text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!(c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char('-') ||
                   c == QLatin1Char('+') || c == QChar(0x20AC) || c.isSpace()))
            return false;
    }
    return digit;
}

// The fields of one line split at `separator` outside quotes, without their quotes and blanks.
QStringList lineFields(const QString& line, QChar separator)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == separator && !quoted)
            fields << std::exchange(field, QString()).trimmed();
        else
            field += c;
    }
    fields << field.trimmed();
    return fields;
}

// The separator that makes rows of numbers of the first lines: for each of tab, semicolon and
// comma, the lines it splits into event, event and more, then the lines it splits into three
// fields or more, then how often it occurs; the first best in that order. One tab inside a
// description of a semicolon list gives no row of numbers, so it does not decide.
QChar detectSeparator(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start <= text.size() && lines.size() < kLinesForSeparator) {
        qsizetype end = start;
        while (end < text.size() && !isLineBreak(text[end]))
            ++end;
        const QString line = text.mid(start, end - start);
        if (!line.trimmed().isEmpty())
            lines << line;
        start = end + 1;
    }
    QChar best = QLatin1Char(';');
    std::tuple<int, int, int> bestScore{0, 0, 0};
    for (const QChar candidate : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        int numbered = 0;
        int wide = 0;
        int occurrences = 0;
        for (const QString& line : lines) {
            const QStringList fields = lineFields(line, candidate);
            occurrences += static_cast<int>(fields.size()) - 1;
            int whole = 0;
            if (fields.size() >= 3) {
                ++wide;
                if (readWhole(fields[0], whole) && readWhole(fields[1], whole))
                    ++numbered;
            }
        }
        const std::tuple<int, int, int> score{numbered, wide, occurrences};
        if (score > bestScore) {
            bestScore = score;
            best = candidate;
        }
    }
    return best;
}

// A heading is told by its words: no number where the events and the days go, and letters.
bool isHeading(const QStringList& fields, QChar separator)
{
    for (int i = 0; i < std::min<int>(3, static_cast<int>(fields.size())); ++i) {
        int whole = 0;
        double days = 0;
        if (readWhole(fields[i], whole) || readDays(fields[i], separator, days))
            return false;
    }
    return std::any_of(fields.begin(), fields.end(), [](const QString& f) {
        return std::any_of(f.begin(), f.end(), [](QChar c) { return c.isLetter(); });
    });
}

bool holdsNothing(const RawRow& row)
{
    return std::all_of(row.fields.begin(), row.fields.end(),
                       [](const QString& f) { return f.trimmed().isEmpty(); });
}

QString separatorName(QChar separator)
{
    if (separator == QLatin1Char('\t'))
        return QStringLiteral("tabulazione");
    if (separator == QLatin1Char(','))
        return QStringLiteral("virgola");
    return QStringLiteral("punto e virgola");
}

// Reads the fields of one row of the list into `row`: nothing when they make an activity, else
// why the row is refused.
std::optional<QString> readActivityRow(const RawRow& raw, QChar sep, ActivityRow& row)
{
    if (raw.fields.size() < 3)
        return QStringLiteral("servono almeno evento da, evento a e giorni");
    if (!readWhole(raw.fields[0], row.from) || row.from < 1 || row.from > kMaxEvents)
        return QStringLiteral("l'evento da \"%1\" non è un numero intero da 1 a %2")
            .arg(shown(raw.fields[0], kShownFieldChars))
            .arg(kMaxEvents);
    if (!readWhole(raw.fields[1], row.to) || row.to < 1 || row.to > kMaxEvents)
        return QStringLiteral("l'evento a \"%1\" non è un numero intero da 1 a %2")
            .arg(shown(raw.fields[1], kShownFieldChars))
            .arg(kMaxEvents);
    if (!readDays(raw.fields[2], sep, row.days) || row.days > kMaxDays)
        return QStringLiteral("i giorni \"%1\" non sono un numero da 0 a %2")
            .arg(shown(raw.fields[2], kShownFieldChars), formatDays(kMaxDays));
    if (raw.fields.size() > 3)
        row.description = storableDescription(raw.untrimmed[3]);
    // The fifth column names the activity; the sixth is its amount and the seventh its
    // category when the sixth is an amount (or empty), else what follows the fifth,
    // unquoted, is part of the name.
    bool amounted = false;
    if (raw.fields.size() > 5) {
        const QString amount = raw.fields[5];
        if (amount.isEmpty()) {
            amounted = true;
        } else if (const auto cents = readAmount(amount, sep)) {
            amounted = true;
            row.amount = *cents;
        } else if (looksLikeAmount(amount)) {
            return QStringLiteral("l'importo \"%1\" non è un importo in euro da 0 a %2")
                .arg(shown(amount, kShownFieldChars), formatEuro(kMaxAmount));
        }
    }
    if (raw.fields.size() > 4)
        row.name = storableDescription(
            (amounted ? raw.untrimmed.mid(4, 1) : raw.untrimmed.mid(4)).join(sep));
    if (amounted && raw.fields.size() > 6)
        row.category = storableDescription(raw.untrimmed.mid(6).join(sep));
    if (row.category.size() > kMaxCategoryLength)
        return QStringLiteral("la categoria dei lavori supera %1 caratteri")
            .arg(kMaxCategoryLength);
    if (row.name.size() > kMaxActivityNameLength)
        return QStringLiteral("la descrizione dell'attività supera %1 caratteri")
            .arg(kMaxActivityNameLength);
    return std::nullopt;
}

} // namespace

ActivityList parseActivityList(const QString& text)
{
    ActivityList list;
    list.separator = detectSeparator(text);
    const QChar sep = list.separator;
    bool first = true;
    for (RawRow& raw : RowSplitter(text, sep).split()) {
        const auto refuse = [&](const QString& why) {
            list.refused.push_back({raw.line, shown(raw.text.trimmed(), kShownRowChars), why});
        };
        if (raw.unclosedQuote) {
            first = false;
            refuse(QStringLiteral("le virgolette aperte in questa riga non sono chiuse"));
            continue;
        }
        if (holdsNothing(raw))
            continue;
        if (std::exchange(first, false) && isHeading(raw.fields, sep)) {
            list.headingSkipped = true;
            list.headingLine = raw.line;
            list.heading = shown(raw.text.trimmed(), kShownRowChars);
            continue;
        }
        ActivityRow row;
        row.line = raw.line;
        if (const auto why = readActivityRow(raw, sep, row))
            refuse(*why);
        else
            list.rows.push_back(row);
    }
    return list;
}

QString describeLayout(const ActivityList& list)
{
    QString text = QStringLiteral("Separatore delle colonne: %1 (riconosciuto dalle prime righe)")
                       .arg(separatorName(list.separator));
    if (list.headingSkipped)
        text += QStringLiteral("; riga %1 di intestazione saltata: «%2»")
                    .arg(list.headingLine)
                    .arg(list.heading);
    return text + QLatin1Char('.');
}

Result<ImportedActivityList> parseActivityListFile(const QByteArray& bytes, const QString& fileName,
                                                   const QDate& today)
{
    const auto refuse = [&](const QString& why) {
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("Impossibile importare il file \"%1\": %2")
                                  .arg(visibleText(displayPath(fileName)), why)));
    };
    const ActivityList list = parseActivityList(decodeForeignText(bytes));
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
    auto reopened = asReopened(paste.result, TitlePage());
    if (!reopened)
        return refuse(reopened.error().text);
    return ImportedActivityList{std::move(reopened).value().project, describeLayout(list),
                                static_cast<int>(paste.added.size())};
}

Result<ImportedActivityList> readActivityListFile(const QString& path, const QDate& today)
{
    if (QFileInfo(path).size() > kMaxListBytes)
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile importare il file \"%1\": è troppo "
                                             "grande (oltre %2 MB) per essere un elenco di "
                                             "attività.")
                                  .arg(visibleText(displayPath(path)))
                                  .arg(kMaxListBytes >> 20)));
    auto bytes = readWholeFile(path, kMaxListBytes);
    if (!bytes)
        return bytes.error();
    return parseActivityListFile(bytes.value(), path, today);
}

QByteArray activityListCsv(const Project& project)
{
    const auto field = [](const QString& text) {
        if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
            text.trimmed() == text)
            return text;
        QString quoted = text;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    };
    QString out = QStringLiteral("evento da;evento a;giorni;descrizione evento a;descrizione "
                                 "attività;importo;categoria\r\n");
    for (const Activity a : project.activities()) {
        QString days = formatDaysForFile(a.days());
        days.replace(QLatin1Char('.'), QLatin1Char(','));
        out += QStringLiteral("%1;%2;%3;%4;%5;%6;%7\r\n")
                   .arg(a.from)
                   .arg(a.to)
                   .arg(days, field(project.description(a.to)), field(a.name()),
                        a.amount() == 0 ? QString() : formatEuro(a.amount()), field(a.category()));
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

Result<void> exportActivityList(const QString& path, const Project& project)
{
    return saveFile(path, activityListCsv(project));
}

} // namespace zant
