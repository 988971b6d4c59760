#include "model/money.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zant {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The euro of the whole part: digits, or groups of three digits after the first (of one to
// three) separated by dots.
std::optional<Cents> wholeEuro(QStringView text)
{
    const QList<QStringView> groups = text.split(QLatin1Char('.'));
    Cents value = 0;
    int digits = 0;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QStringView group = groups[g];
        if (groups.size() > 1 && (g == 0 ? group.isEmpty() || group.size() > 3 : group.size() != 3))
            return std::nullopt;
        if (group.isEmpty())
            return std::nullopt;
        for (const QChar c : group) {
            if (!isDigit(c) || ++digits > 12)
                return std::nullopt;
            value = value * 10 + (c.unicode() - '0');
        }
    }
    return value;
}

} // namespace

std::optional<Cents> parseEuro(QStringView text)
{
    text = text.trimmed();
    if (text.endsWith(QChar(0x20AC)))
        text.chop(1);
    else if (text.startsWith(QChar(0x20AC)))
        text = text.mid(1);
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    const QStringView whole = comma < 0 ? text : text.left(comma);
    const QStringView decimals = comma < 0 ? QStringView() : text.mid(comma + 1);
    if (comma >= 0 && (decimals.isEmpty() || decimals.size() > 2))
        return std::nullopt;
    const auto euro = wholeEuro(whole);
    if (!euro)
        return std::nullopt;
    Cents cents = 0;
    for (qsizetype i = 0; i < 2; ++i) {
        cents *= 10;
        if (i < decimals.size()) {
            if (!isDigit(decimals[i]))
                return std::nullopt;
            cents += decimals[i].unicode() - '0';
        }
    }
    const Cents amount = *euro * 100 + cents;
    if (amount > kMaxAmount)
        return std::nullopt;
    return amount;
}

QString formatEuro(Cents amount)
{
    const bool negative = amount < 0;
    // The magnitude of the most negative value does not fit: it is never an amount anyway.
    const quint64 magnitude = negative ? quint64(0) - quint64(amount) : quint64(amount);
    const QString whole = QString::number(magnitude / 100);
    QString out;
    out.reserve(whole.size() + whole.size() / 3 + 4);
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            out += QLatin1Char('.');
        out += whole[i];
    }
    const auto cents = static_cast<int>(magnitude % 100);
    out += QLatin1Char(',');
    out += QLatin1Char(static_cast<char>('0' + cents / 10));
    out += QLatin1Char(static_cast<char>('0' + cents % 10));
    return negative ? QLatin1Char('-') + out : out;
}

std::vector<Cents> splitByLargestRemainder(Cents total, const std::vector<double>& weights)
{
    const std::size_t n = weights.size();
    std::vector<Cents> parts(n, 0);
    if (n == 0)
        return parts;
    if (total < 0) {
        parts = splitByLargestRemainder(-total, weights);
        for (Cents& p : parts)
            p = -p;
        return parts;
    }
    std::vector<long double> w(n);
    long double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // Negative or undefined weights count as nothing.
        w[i] = std::isfinite(weights[i]) && weights[i] > 0 ? weights[i] : 0.0L;
        sum += w[i];
    }
    if (!(sum > 0)) {
        // No weight at all: even parts, so that nothing of the total is lost.
        std::fill(w.begin(), w.end(), 1.0L);
        sum = static_cast<long double>(n);
    }
    // The whole cents of each exact share; the shares' fractions say who gets the cents left.
    std::vector<long double> fraction(n);
    Cents given = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const long double exact = static_cast<long double>(total) * (w[i] / sum);
        const Cents whole = std::clamp<Cents>(static_cast<Cents>(std::floor(exact)), 0, total);
        parts[i] = whole;
        fraction[i] = exact - static_cast<long double>(whole);
        given += whole;
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Largest fraction first; among equal ones the earlier part.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return fraction[a] > fraction[b]; });
    Cents left = total - given;
    for (std::size_t k = 0; left > 0; k = (k + 1) % n) {
        if (w[order[k]] > 0) {
            ++parts[order[k]];
            --left;
        }
    }
    // Rounding of the shares may give a cent too many: it comes off the smallest fractions.
    for (std::size_t k = n; left < 0;) {
        k = k == 0 ? n - 1 : k - 1;
        if (parts[order[k]] > 0) {
            --parts[order[k]];
            ++left;
        }
    }
    return parts;
}

} // namespace zant
