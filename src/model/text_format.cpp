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

} // namespace zant
