#pragma once

#include "model/message.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace zant {

// Reads the comma-delimited records of the data and title-page files one field at a time.
// Commas and line ends (CR LF, LF or CR) both end a field, so the reader is driven by what it
// expects rather than by the lines. A field between double quotes runs to the next double quote
// on the same line; an unquoted one runs to the next comma or line end, blanks trimmed. Blank
// lines between records are skipped.
class RecordReader final
{
public:
    struct Field
    {
        QString text;
        bool quoted = false;
    };
    explicit RecordReader(QString text) : m_text(std::move(text)) {}

    // The next field; none when no field is left; for a malformed field, a Format error whose
    // text is the reason.
    Result<std::optional<Field>> next();

    // 1-based line of the field read last.
    int line() const { return m_fieldLine; }
    // What is left after the fields read so far, and the line it starts on.
    QStringView remaining() const { return QStringView(m_text).mid(m_pos); }
    int remainingLine() const { return m_line; }

private:
    bool atLineEnd() const;
    void skipBlanks();
    void skipLineEnd();

    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_fieldLine = 1;
    bool m_afterComma = false;
};

} // namespace zant
