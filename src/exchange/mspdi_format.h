#pragma once

#include <QString>

// What the writer and the reader of Microsoft Project XML agree on.
namespace zant::mspdi {

inline const QString kNamespace = QStringLiteral("http://schemas.microsoft.com/project");

// The program's days are calendar days: 24 hours of work, every day.
inline constexpr int kMinutesPerCalendarDay = 24 * 60;

} // namespace zant::mspdi
