#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace zant {

// A whole number as the listings and messages write it: one blank before a non-negative value,
// the minus sign in that place otherwise (7 -> " 7", -3 -> "-3").
QString withLeadingBlank(long long value);

// Times, durations and floats in days as the screens, documents and messages show them: with the
// Italian decimal comma, no grouping, and at most three decimals (12 -> "12", 12.5 -> "12,5",
// 50/3 -> "16,667", -3 -> "-3"). Values that round to zero read "0". The data keep their value.
QString formatDays(double days);

// The value as the data files store it: "." as decimal point, 15 significant digits.
QString formatDaysForFile(double days);

// Text taken from a file or the clipboard as a message quotes it: every control character (which
// could move a terminal's cursor or retitle its window) is shown as \xNN.
QString visibleText(const QString& text);

// Dates are always written dd/MM/yyyy whatever the system locale.
QString formatDate(const QDate& date);

// The dates a project may hold: far enough either side of any works schedule, and always
// written with four digits.
QDate firstAllowedDate();
QDate lastAllowedDate();

// Reads a date written as dd/MM/yyyy (one-digit day and month are accepted too); a date before
// firstAllowedDate() or after lastAllowedDate() is invalid.
QDate parseDate(const QString& text);

// The day after which the start-date scroll bar counts: value 1 is 01/01/1990.
QDate dateScrollOrigin();

// True when |value| is small enough to count as zero (floats of the critical path).
bool isZeroFloat(double value);

// The text without the characters XML 1.0 cannot carry: control characters other than tab,
// line feed and carriage return, surrogates that are not part of a pair, U+FFFE and U+FFFF.
// Every text the program writes into XML (documents, pictures, workbooks, Microsoft Project
// files) goes through here; a text with nothing to drop comes back as it is, without a copy.
QString cleanXmlText(const QString& text);

// The lines of a text that ends them with CR, LF or CR LF, in order; what follows the last line
// end is the last line, empty when the text ends with one ("a\r\nb" -> "a", "b"; "a\r\n" -> "a",
// "").
QStringList splitLines(const QString& text);

} // namespace zant
