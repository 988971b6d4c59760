#include "model/record_reader.h"

namespace zant {

bool RecordReader::atLineEnd() const
{
    return m_pos < m_text.size() &&
           (m_text[m_pos] == QLatin1Char('\r') || m_text[m_pos] == QLatin1Char('\n'));
}

void RecordReader::skipBlanks()
{
    while (m_pos < m_text.size() &&
           (m_text[m_pos] == QLatin1Char(' ') || m_text[m_pos] == QLatin1Char('\t')))
        ++m_pos;
}

void RecordReader::skipLineEnd()
{
    if (m_text[m_pos] == QLatin1Char('\r') && m_pos + 1 < m_text.size() &&
        m_text[m_pos + 1] == QLatin1Char('\n'))
        ++m_pos;
    ++m_pos;
    ++m_line;
}

Result<std::optional<RecordReader::Field>> RecordReader::next()
{
    Field field;
    skipBlanks();
    if (!m_afterComma) {
        while (atLineEnd()) {
            skipLineEnd();
            skipBlanks();
        }
    }
    m_fieldLine = m_line;
    if (m_pos >= m_text.size()) {
        if (!m_afterComma)
            return std::optional<Field>();
        m_afterComma = false;
        return std::optional<Field>(field);
    }

    if (m_text[m_pos] == QLatin1Char('"')) {
        const qsizetype start = ++m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char('"') && !atLineEnd())
            ++m_pos;
        if (m_pos >= m_text.size() || m_text[m_pos] != QLatin1Char('"'))
            return Error(ErrorKind::Format, critical(QStringLiteral("virgolette non chiuse")));
        field.text = m_text.mid(start, m_pos - start);
        field.quoted = true;
        ++m_pos;
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char(',') && !atLineEnd())
            return Error(ErrorKind::Format,
                         critical(QStringLiteral("testo inatteso dopo le virgolette")));
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char(',') && !atLineEnd())
            ++m_pos;
        field.text = m_text.mid(start, m_pos - start).trimmed();
    }

    m_afterComma = false;
    if (m_pos < m_text.size()) {
        if (m_text[m_pos] == QLatin1Char(',')) {
            ++m_pos;
            m_afterComma = true;
        } else {
            skipLineEnd();
        }
    }
    return std::optional<Field>(std::move(field));
}

} // namespace zant
