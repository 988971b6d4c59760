#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zant {

// Windows-1252, the code page of the data files written by the offices' machines. Bytes that the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the control character of
// the same value, as Windows itself does, so every byte sequence decodes.
QString decodeCp1252(const QByteArray& bytes);

// Encodes text that fits the code page; callers check with firstCharOutsideCp1252 first.
// A character outside it is written as '?'.
QByteArray encodeCp1252(const QString& text);

// The first character that Windows-1252 cannot hold, if any.
std::optional<char32_t> firstCharOutsideCp1252(const QString& text);

// The closest text Windows-1252 can hold, for the records that older versions of the program
// read: a double quote becomes an apostrophe, line breaks and other control characters a
// blank, a few symbols their usual spelling ("≥" ">=", "→" "->"), letters the code page lacks
// their base letter where they have one ("ő" "o"), anything else '?'.
QString traditionalSubstitute(const QString& text);

// Decodes a text file: as UTF-8 when it is valid UTF-8 holding non-ASCII characters (or starts
// with a UTF-8 byte order mark), otherwise as Windows-1252.
QString decodeTextFile(const QByteArray& bytes);

// Decodes a text that starts with a UTF-16 or UTF-32 byte order mark (Windows programs save
// "Unicode" text so), without the mark; nothing when it has no such mark.
std::optional<QString> decodeWithUnicodeBom(const QByteArray& bytes);

// Text written by other programs: UTF-16 or UTF-32 with a byte order mark, otherwise as
// decodeTextFile() reads it.
QString decodeForeignText(const QByteArray& bytes);

} // namespace zant
