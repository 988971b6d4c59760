#include "report/xml_writer.h"

#include "model/text_format.h"

namespace zant {

void XmlWriter::closeOpenTag()
{
    if (!m_tagOpen)
        return;
    m_out += m_tagEmpty ? QStringLiteral("/>") : QStringLiteral(">");
    m_tagOpen = false;
}

void XmlWriter::escape(QStringView text, bool attribute)
{
    // Plain stretches are appended whole; only the characters XML gives a meaning are replaced.
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QLatin1String entity;
        switch (text[i].unicode()) {
        case '&':
            entity = QLatin1String("&amp;");
            break;
        case '<':
            entity = QLatin1String("&lt;");
            break;
        case '>':
            entity = QLatin1String("&gt;");
            break;
        case '\r':
            entity = QLatin1String("&#13;");
            break;
        case '"':
            if (attribute)
                entity = QLatin1String("&quot;");
            break;
        case '\n':
            if (attribute)
                entity = QLatin1String("&#10;");
            break;
        case '\t':
            if (attribute)
                entity = QLatin1String("&#9;");
            break;
        default:
            break;
        }
        if (entity.isEmpty())
            continue;
        m_out.append(text.mid(plain, i - plain));
        m_out += entity;
        plain = i + 1;
    }
    m_out.append(text.mid(plain));
}

void XmlWriter::writeStartElement(const QString& name)
{
    closeOpenTag();
    m_out += QLatin1Char('<');
    m_out += name;
    m_open.append(name);
    m_tagOpen = true;
    m_tagEmpty = false;
}

void XmlWriter::writeEmptyElement(const QString& name)
{
    closeOpenTag();
    m_out += QLatin1Char('<');
    m_out += name;
    m_tagOpen = true;
    m_tagEmpty = true;
}

void XmlWriter::writeAttribute(const QString& name, const QString& value)
{
    m_out += QLatin1Char(' ');
    m_out += name;
    m_out += QLatin1String("=\"");
    escape(cleanXmlText(value), true);
    m_out += QLatin1Char('"');
}

void XmlWriter::writeNamespace(const QString& uri, const QString& prefix)
{
    writeAttribute(QStringLiteral("xmlns:") + prefix, uri);
}

void XmlWriter::writeDefaultNamespace(const QString& uri)
{
    writeAttribute(QStringLiteral("xmlns"), uri);
}

void XmlWriter::writeCharacters(const QString& text)
{
    closeOpenTag();
    escape(cleanXmlText(text), false);
}

void XmlWriter::writeTextElement(const QString& name, const QString& text)
{
    writeStartElement(name);
    writeCharacters(text);
    writeEndElement();
}

void XmlWriter::writeEndElement()
{
    if (m_open.isEmpty())
        return;
    const QString name = m_open.takeLast();
    if (m_tagOpen && !m_tagEmpty) {
        m_out += QStringLiteral("/>");
        m_tagOpen = false;
        return;
    }
    closeOpenTag();
    m_out += QStringLiteral("</");
    m_out += name;
    m_out += QLatin1Char('>');
}

void XmlWriter::writeEndDocument()
{
    closeOpenTag();
    while (!m_open.isEmpty())
        writeEndElement();
}

} // namespace zant
