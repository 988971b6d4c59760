#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace zant {

// Money is counted in whole euro cents, never in floating point.
using Cents = qint64;
// 999.999.999,99 €
inline constexpr Cents kMaxAmount = 99'999'999'999;

// "1.234,56", "1234,56", "1234,5", "1234", "1.234", with or without " €": the cents, or nothing
// when the text is no amount (negative, more than two decimals, over kMaxAmount, empty).
std::optional<Cents> parseEuro(QStringView text);
// "1.234,56" (Italian grouping, always two decimals).
QString formatEuro(Cents amount);

// `total` split into parts proportional to `weights` (non-negative, not all zero), each part
// whole cents, the parts adding up to `total` exactly: the largest remainders get the cents
// left over.
std::vector<Cents> splitByLargestRemainder(Cents total, const std::vector<double>& weights);

} // namespace zant
