#pragma once

#include <QString>
#include <QStringList>

namespace zant {

// A small XML writer for the document parts, with the calls of QXmlStreamWriter that they use.
// It appends to a string with no per-character device writes, which makes a report with tens of
// thousands of table cells several times quicker to write. Texts and attribute values lose the
// characters XML cannot carry.
class XmlWriter final
{
public:
    explicit XmlWriter(QString* out) : m_out(*out) {}

    void writeStartElement(const QString& name);
    // An element with attributes and no content; closed by the next write.
    void writeEmptyElement(const QString& name);
    void writeAttribute(const QString& name, const QString& value);
    void writeNamespace(const QString& uri, const QString& prefix);
    void writeDefaultNamespace(const QString& uri);
    void writeCharacters(const QString& text);
    void writeTextElement(const QString& name, const QString& text);
    void writeEndElement();
    void writeEndDocument();

private:
    void closeOpenTag();
    void escape(QStringView text, bool attribute);

    QString& m_out;
    QStringList m_open;
    bool m_tagOpen = false;
    bool m_tagEmpty = false;
};

} // namespace zant
