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
    QString text = formatDaysForFile(days);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
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
