#include "report/docx_xml.h"

#include "report/docx_content.h"

namespace zant::docx {

const QString kNsW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kNsR =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

const QString kDefaultFont = QStringLiteral("Century Gothic");
const QString kFormatStyle = QStringLiteral("ZantColorful2");
const QString kPlainStyle = QStringLiteral("TableGrid");
const QString kHeaderFill = QStringLiteral("7A1F2B");
const QString kHeaderText = QStringLiteral("FFFFFF");

const QString kXmlDeclaration =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");

XmlPart::XmlPart() : m_xml(&m_text)
{
    m_text.reserve(1 << 16);
    m_text += kXmlDeclaration;
}

QByteArray XmlPart::finish()
{
    m_xml.writeEndDocument();
    return m_text.toUtf8();
}

void writeValue(XmlWriter& xml, const QString& element, const QString& value)
{
    xml.writeEmptyElement(element);
    xml.writeAttribute(QStringLiteral("w:val"), value);
}

void writeShading(XmlWriter& xml, const QString& fill)
{
    xml.writeEmptyElement(QStringLiteral("w:shd"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("clear"));
    xml.writeAttribute(QStringLiteral("w:color"), QStringLiteral("auto"));
    xml.writeAttribute(QStringLiteral("w:fill"), fill);
}

void writeTwips(XmlWriter& xml, const QString& element, int twips)
{
    xml.writeEmptyElement(element);
    xml.writeAttribute(QStringLiteral("w:w"), QString::number(twips));
    xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("dxa"));
}

void writeRunProperties(XmlWriter& xml, const QString& font, int halfPoints, bool header)
{
    xml.writeStartElement(QStringLiteral("w:rPr"));
    static const QString fontSlots[] = {QStringLiteral("w:ascii"), QStringLiteral("w:hAnsi"),
                                        QStringLiteral("w:eastAsia"), QStringLiteral("w:cs")};
    xml.writeEmptyElement(QStringLiteral("w:rFonts"));
    for (const QString& slot : fontSlots)
        xml.writeAttribute(slot, font);
    if (header) {
        xml.writeEmptyElement(QStringLiteral("w:b"));
        xml.writeEmptyElement(QStringLiteral("w:bCs"));
        writeValue(xml, QStringLiteral("w:color"), kHeaderText);
    }
    writeValue(xml, QStringLiteral("w:sz"), QString::number(halfPoints));
    writeValue(xml, QStringLiteral("w:szCs"), QString::number(halfPoints));
    xml.writeEndElement();
}

void writeRunText(XmlWriter& xml, const QString& text)
{
    if (!text.contains(u'\t') && !text.contains(u'\v') && !text.contains(QChar(kSoftHyphen))) {
        xml.writeStartElement(QStringLiteral("w:t"));
        xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        xml.writeCharacters(text);
        xml.writeEndElement();
        return;
    }
    QString piece;
    auto flush = [&] {
        if (piece.isEmpty())
            return;
        xml.writeStartElement(QStringLiteral("w:t"));
        xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        xml.writeCharacters(piece);
        xml.writeEndElement();
        piece.clear();
    };
    for (const QChar c : text) {
        if (c == u'\t') {
            flush();
            xml.writeEmptyElement(QStringLiteral("w:tab"));
        } else if (c == u'\v') {
            flush();
            xml.writeEmptyElement(QStringLiteral("w:br"));
        } else if (c == kSoftHyphen) {
            flush();
            xml.writeEmptyElement(QStringLiteral("w:softHyphen"));
        } else {
            piece += c;
        }
    }
    flush();
}

namespace {

void writeFieldChar(XmlWriter& xml, const QString& font, int halfPoints, const QString& type)
{
    xml.writeStartElement(QStringLiteral("w:r"));
    writeRunProperties(xml, font, halfPoints);
    xml.writeEmptyElement(QStringLiteral("w:fldChar"));
    xml.writeAttribute(QStringLiteral("w:fldCharType"), type);
    xml.writeEndElement();
}

} // namespace

void writeField(XmlWriter& xml, const QString& font, int halfPoints, const QString& instruction,
                int cached)
{
    writeFieldChar(xml, font, halfPoints, QStringLiteral("begin"));
    xml.writeStartElement(QStringLiteral("w:r"));
    writeRunProperties(xml, font, halfPoints);
    xml.writeStartElement(QStringLiteral("w:instrText"));
    xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    xml.writeCharacters(instruction);
    xml.writeEndElement();
    xml.writeEndElement();
    writeFieldChar(xml, font, halfPoints, QStringLiteral("separate"));
    xml.writeStartElement(QStringLiteral("w:r"));
    writeRunProperties(xml, font, halfPoints);
    writeRunText(xml, QString::number(cached));
    xml.writeEndElement();
    writeFieldChar(xml, font, halfPoints, QStringLiteral("end"));
}

} // namespace zant::docx
