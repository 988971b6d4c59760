#include "model/text_format.h"

#include <cmath>

namespace zant {

QString withLeadingBlank(long long value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

bool isZeroFloat(double value)
{
    return std::fabs(value) < 1e-9;
}

QString formatDaysForFile(double days)
{
    if (isZeroFloat(days))
        return QStringLiteral("0");
    if (std::nearbyint(days) == days && std::fabs(days) < 1e15)
        return QString::number(static_cast<long long>(days));
    return QString::number(days, 'g', 15);
}

QString formatDays(double days)
{
    const double rounded = std::round(days * 1000) / 1000;
    if (isZeroFloat(rounded))
        return QStringLiteral("0");
    QString text;
    if (std::fabs(rounded) < 1e12) {
        text = QString::number(rounded, 'f', 3);
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    } else {
        text = formatDaysForFile(days);
    }
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString visibleText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x") +
                   QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString formatDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QDate parseDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    QDate date = QDate::fromString(trimmed, QStringLiteral("dd/MM/yyyy"));
    if (!date.isValid())
        date = QDate::fromString(trimmed, QStringLiteral("d/M/yyyy"));
    if (date.isValid() && (date < firstAllowedDate() || date > lastAllowedDate()))
        return {};
    return date;
}

QDate firstAllowedDate()
{
    return QDate(1900, 1, 1);
}

QDate lastAllowedDate()
{
    return QDate(2199, 12, 31);
}

QDate dateScrollOrigin()
{
    return QDate(1989, 12, 31);
}

namespace {

// Whether the character at i, with its partner when it is half of a surrogate pair, may stand
// in XML; `length` receives how many code units it takes.
bool isXmlCharacterAt(const QString& text, qsizetype i, qsizetype& length)
{
    const QChar c = text[i];
    length = 1;
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        length = 2;
        return true;
    }
    const char16_t u = c.unicode();
    if (u < 0x20)
        return u == u'\t' || u == u'\n' || u == u'\r';
    return !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF;
}

} // namespace

QString cleanXmlText(const QString& text)
{
    qsizetype length = 1;
    qsizetype first = 0;
    while (first < text.size() && isXmlCharacterAt(text, first, length))
        first += length;
    if (first == text.size())
        return text;
    QString out = text.left(first);
    out.reserve(text.size());
    for (qsizetype i = first; i < text.size(); i += length) {
        if (isXmlCharacterAt(text, i, length))
            out.append(text.constData() + i, length);
    }
    return out;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines += current;
            current.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            current += c;
        }
    }
    lines += current;
    return lines;
}

} // namespace zant
