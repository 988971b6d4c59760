#pragma once

#include "report/xml_writer.h"

#include <QByteArray>
#include <QString>

// The pieces of WordprocessingML that the body and the fixed parts of a package both write.
namespace zant::docx {

extern const QString kNsW;
extern const QString kNsR;

extern const QString kDefaultFont;
extern const QString kFormatStyle;
extern const QString kPlainStyle;
// Colours of the table format: a dark header with white bold text over light warm body rows.
extern const QString kHeaderFill;
extern const QString kHeaderText;

// Writes into a string, which is far faster than through an I/O device for the many small
// writes of a large table, and encodes the whole part as UTF-8 at the end.
class XmlPart final
{
public:
    XmlPart();
    XmlWriter& xml() { return m_xml; }
    QByteArray finish();

private:
    QString m_text;
    XmlWriter m_xml;
};

// The XML declaration every part starts with.
extern const QString kXmlDeclaration;

void writeValue(XmlWriter& xml, const QString& element, const QString& value);
void writeShading(XmlWriter& xml, const QString& fill);
void writeTwips(XmlWriter& xml, const QString& element, int twips);
// Run properties; header carries the bold light text of header rows beyond the first, which
// the table style only gives to the first row.
void writeRunProperties(XmlWriter& xml, const QString& font, int halfPoints, bool header = false);
// Text of one run, with tabs and line breaks as their own elements. Every w:t preserves its
// blanks: numbers are written with a leading blank that readers would otherwise drop.
void writeRunText(XmlWriter& xml, const QString& text);
// A field that readers compute (" PAGE ", " NUMPAGES "), showing `cached` until they do.
void writeField(XmlWriter& xml, const QString& font, int halfPoints, const QString& instruction,
                int cached);

} // namespace zant::docx
