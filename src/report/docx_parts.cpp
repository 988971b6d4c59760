#include "report/docx_parts.h"

#include "report/docx_layout.h"
#include "report/docx_xml.h"

#include <QDateTime>

#include <algorithm>

namespace zant::docx {

namespace {

const QString kBodyFill = QStringLiteral("FFF8E1");
const QString kBandFill = QStringLiteral("F9E3B4");
const QString kInnerBorder = QStringLiteral("C9A66B");
const QString kRelBase =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
const QString kMainType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
const QString kWmlType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");

void writeBorder(XmlWriter& xml, const QString& side, int eighths, const QString& color)
{
    xml.writeEmptyElement(QStringLiteral("w:") + side);
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("single"));
    xml.writeAttribute(QStringLiteral("w:sz"), QString::number(eighths));
    xml.writeAttribute(QStringLiteral("w:space"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("w:color"), color);
}

void writeBorders(XmlWriter& xml, int outer, const QString& outerColor, int inner,
                  const QString& innerColor)
{
    xml.writeStartElement(QStringLiteral("w:tblBorders"));
    for (const char* side : {"top", "left", "bottom", "right"})
        writeBorder(xml, QString::fromLatin1(side), outer, outerColor);
    writeBorder(xml, QStringLiteral("insideH"), inner, innerColor);
    writeBorder(xml, QStringLiteral("insideV"), inner, innerColor);
    xml.writeEndElement();
}

} // namespace

int footerRelationship(const Content& content, SectionPage page)
{
    return kFirstPictureRel + int(content.pictures.size()) + int(page);
}

QString footerName(SectionPage page)
{
    return QStringLiteral("footer%1.xml").arg(int(page) + 1);
}

QString mediaName(const Content& content, int pictureIndex)
{
    return QStringLiteral("media/image%1.%2")
        .arg(pictureIndex + 1)
        .arg(content.pictures[pictureIndex].extension);
}

QList<CellLook> cellLooks(const Content& content)
{
    QList<CellLook> looks;
    for (const Table& table : content.tables)
        if (!looks.contains({table.format.font, table.format.halfPoints}))
            looks.append({table.format.font, table.format.halfPoints});
    return looks;
}

QString cellStyleId(int index)
{
    return QStringLiteral("ZantCella%1").arg(index + 1);
}

QByteArray contentTypesXml(const Content& content)
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("Types"));
    xml.writeDefaultNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
    QList<std::pair<QString, QString>> defaults = {
        {QStringLiteral("rels"),
         QStringLiteral("application/vnd.openxmlformats-package.relationships+xml")},
        {QStringLiteral("xml"), QStringLiteral("application/xml")},
    };
    for (const Picture& picture : content.pictures) {
        // Word knows metafiles by the type Windows gave them.
        const std::pair<QString, QString> entry{picture.extension,
                                                picture.extension == QLatin1String("emf")
                                                    ? QStringLiteral("image/x-emf")
                                                    : QStringLiteral("image/") + picture.extension};
        if (!defaults.contains(entry))
            defaults.append(entry);
    }
    for (const auto& [extension, type] : defaults) {
        xml.writeEmptyElement(QStringLiteral("Default"));
        xml.writeAttribute(QStringLiteral("Extension"), extension);
        xml.writeAttribute(QStringLiteral("ContentType"), type);
    }
    const QList<std::pair<QString, QString>> overrides = {
        {QStringLiteral("/word/document.xml"), kMainType},
        {QStringLiteral("/word/styles.xml"), kWmlType + QStringLiteral("styles+xml")},
        {QStringLiteral("/word/settings.xml"), kWmlType + QStringLiteral("settings+xml")},
        {QStringLiteral("/docProps/core.xml"),
         QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml")},
        {QStringLiteral("/docProps/app.xml"),
         QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml")},
    };
    QList<std::pair<QString, QString>> parts = overrides;
    if (content.hasFooter) {
        for (const SectionPage page : kSectionPages) {
            parts.append({QStringLiteral("/word/") + footerName(page),
                          kWmlType + QStringLiteral("footer+xml")});
        }
    }
    for (const auto& [name, type] : parts) {
        xml.writeEmptyElement(QStringLiteral("Override"));
        xml.writeAttribute(QStringLiteral("PartName"), name);
        xml.writeAttribute(QStringLiteral("ContentType"), type);
    }
    xml.writeEndElement();
    return part.finish();
}

QByteArray documentRelsXml(const Content& content)
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeDefaultNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
    auto relationship = [&](int id, const QString& type, const QString& target) {
        xml.writeEmptyElement(QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(id));
        xml.writeAttribute(QStringLiteral("Type"), kRelBase + type);
        xml.writeAttribute(QStringLiteral("Target"), target);
    };
    relationship(1, QStringLiteral("styles"), QStringLiteral("styles.xml"));
    relationship(2, QStringLiteral("settings"), QStringLiteral("settings.xml"));
    for (int i = 0; i < content.pictures.size(); ++i)
        relationship(kFirstPictureRel + i, QStringLiteral("image"), mediaName(content, i));
    if (content.hasFooter) {
        for (const SectionPage page : kSectionPages) {
            relationship(footerRelationship(content, page), QStringLiteral("footer"),
                         footerName(page));
        }
    }
    xml.writeEndElement();
    return part.finish();
}

QByteArray packageRelsXml()
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeDefaultNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
    const QList<std::pair<QString, QString>> rels = {
        {kRelBase + QStringLiteral("officeDocument"), QStringLiteral("word/document.xml")},
        {QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
                        "core-properties"),
         QStringLiteral("docProps/core.xml")},
        {kRelBase + QStringLiteral("extended-properties"), QStringLiteral("docProps/app.xml")},
    };
    int id = 0;
    for (const auto& [type, target] : rels) {
        xml.writeEmptyElement(QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(++id));
        xml.writeAttribute(QStringLiteral("Type"), type);
        xml.writeAttribute(QStringLiteral("Target"), target);
    }
    xml.writeEndElement();
    return part.finish();
}

bool usesHeadings(const Content& content)
{
    return std::any_of(content.blocks.begin(), content.blocks.end(),
                       [](const Block& b) { return b.paragraph.headingLevel > 0; });
}

namespace {

// Single spacing and no space after paragraphs, as the documents' layouts were drawn for: the
// cover page counts its empty lines to reach the bottom of the page.
void writeDocDefaults(XmlWriter& xml)
{
    xml.writeStartElement(QStringLiteral("w:docDefaults"));
    xml.writeStartElement(QStringLiteral("w:rPrDefault"));
    xml.writeStartElement(QStringLiteral("w:rPr"));
    xml.writeEmptyElement(QStringLiteral("w:rFonts"));
    for (const char* slot : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"})
        xml.writeAttribute(QString::fromLatin1(slot), kDefaultFont);
    writeValue(xml, QStringLiteral("w:sz"), QStringLiteral("24"));
    writeValue(xml, QStringLiteral("w:szCs"), QStringLiteral("24"));
    xml.writeEmptyElement(QStringLiteral("w:lang"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("it-IT"));
    xml.writeAttribute(QStringLiteral("w:eastAsia"), QStringLiteral("it-IT"));
    xml.writeAttribute(QStringLiteral("w:bidi"), QStringLiteral("ar-SA"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("w:pPrDefault"));
    xml.writeStartElement(QStringLiteral("w:pPr"));
    xml.writeEmptyElement(QStringLiteral("w:spacing"));
    xml.writeAttribute(QStringLiteral("w:after"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("w:line"), QStringLiteral("240"));
    xml.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("auto"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

// Opens a style; the caller writes its properties and closes it.
void startStyle(XmlWriter& xml, const QString& type, const QString& id, const QString& name,
                bool isDefault)
{
    xml.writeStartElement(QStringLiteral("w:style"));
    xml.writeAttribute(QStringLiteral("w:type"), type);
    if (isDefault)
        xml.writeAttribute(QStringLiteral("w:default"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("w:styleId"), id);
    writeValue(xml, QStringLiteral("w:name"), name);
}

// Word knows its headings by these names and ids: the navigation pane and the table of contents
// list the paragraphs that carry them, by their outline level.
void writeHeadingStyles(XmlWriter& xml)
{
    for (int level = 1; level <= 2; ++level) {
        startStyle(xml, QStringLiteral("paragraph"), QStringLiteral("Heading%1").arg(level),
                   QStringLiteral("heading %1").arg(level), false);
        writeValue(xml, QStringLiteral("w:basedOn"), QStringLiteral("Normal"));
        writeValue(xml, QStringLiteral("w:next"), QStringLiteral("Normal"));
        writeValue(xml, QStringLiteral("w:uiPriority"), QStringLiteral("9"));
        xml.writeEmptyElement(QStringLiteral("w:qFormat"));
        xml.writeStartElement(QStringLiteral("w:pPr"));
        xml.writeEmptyElement(QStringLiteral("w:keepNext"));
        xml.writeEmptyElement(QStringLiteral("w:keepLines"));
        xml.writeEmptyElement(QStringLiteral("w:spacing"));
        xml.writeAttribute(QStringLiteral("w:before"),
                           level == 1 ? QStringLiteral("240") : QStringLiteral("180"));
        xml.writeAttribute(QStringLiteral("w:after"), QStringLiteral("120"));
        writeValue(xml, QStringLiteral("w:outlineLvl"), QString::number(level - 1));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("w:rPr"));
        xml.writeEmptyElement(QStringLiteral("w:b"));
        xml.writeEmptyElement(QStringLiteral("w:bCs"));
        writeValue(xml, QStringLiteral("w:color"), QStringLiteral("1F3864"));
        xml.writeEndElement();
        xml.writeEndElement();
    }
}

void writeCellStyles(XmlWriter& xml, const QList<std::pair<QString, int>>& cellLooks)
{
    for (qsizetype i = 0; i < cellLooks.size(); ++i) {
        const auto& [font, halfPoints] = cellLooks[i];
        startStyle(xml, QStringLiteral("paragraph"), cellStyleId(int(i)),
                   QStringLiteral("ZANT cella %1 (%2 pt)").arg(i + 1).arg(halfPoints / 2.0), false);
        writeValue(xml, QStringLiteral("w:basedOn"), QStringLiteral("Normal"));
        writeRunProperties(xml, font, halfPoints);
        xml.writeEndElement();
    }
}

// Word's defaults for runs, tables and lists, which its own styles are based on.
void writeDefaultStyles(XmlWriter& xml)
{
    startStyle(xml, QStringLiteral("character"), QStringLiteral("DefaultParagraphFont"),
               QStringLiteral("Default Paragraph Font"), true);
    writeValue(xml, QStringLiteral("w:uiPriority"), QStringLiteral("1"));
    xml.writeEmptyElement(QStringLiteral("w:semiHidden"));
    xml.writeEndElement();

    startStyle(xml, QStringLiteral("table"), QStringLiteral("TableNormal"),
               QStringLiteral("Normal Table"), true);
    xml.writeEmptyElement(QStringLiteral("w:semiHidden"));
    xml.writeStartElement(QStringLiteral("w:tblPr"));
    writeTwips(xml, QStringLiteral("w:tblInd"), 0);
    xml.writeStartElement(QStringLiteral("w:tblCellMar"));
    writeTwips(xml, QStringLiteral("w:top"), 0);
    writeTwips(xml, QStringLiteral("w:left"), kCellMargin);
    writeTwips(xml, QStringLiteral("w:bottom"), 0);
    writeTwips(xml, QStringLiteral("w:right"), kCellMargin);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();

    startStyle(xml, QStringLiteral("numbering"), QStringLiteral("NoList"),
               QStringLiteral("No List"), true);
    xml.writeEmptyElement(QStringLiteral("w:semiHidden"));
    xml.writeEndElement();
}

// The look of a table that was never formatted: thin black lines, as Word draws a new table.
void writePlainTableStyle(XmlWriter& xml)
{
    startStyle(xml, QStringLiteral("table"), kPlainStyle, QStringLiteral("Table Grid"), false);
    writeValue(xml, QStringLiteral("w:basedOn"), QStringLiteral("TableNormal"));
    xml.writeStartElement(QStringLiteral("w:tblPr"));
    writeBorders(xml, 4, QStringLiteral("auto"), 4, QStringLiteral("auto"));
    xml.writeEndElement();
    xml.writeEndElement();
}

// The formatted tables: a coloured header row and banded rows.
void writeFormattedTableStyle(XmlWriter& xml)
{
    startStyle(xml, QStringLiteral("table"), kFormatStyle, QStringLiteral("ZANT Colorful 2"),
               false);
    writeValue(xml, QStringLiteral("w:basedOn"), QStringLiteral("TableNormal"));
    writeValue(xml, QStringLiteral("w:uiPriority"), QStringLiteral("99"));
    xml.writeStartElement(QStringLiteral("w:tblPr"));
    writeValue(xml, QStringLiteral("w:tblStyleRowBandSize"), QStringLiteral("1"));
    writeBorders(xml, 12, kHeaderFill, 4, kInnerBorder);
    xml.writeStartElement(QStringLiteral("w:tblCellMar"));
    writeTwips(xml, QStringLiteral("w:left"), kFormattedCellMargin);
    writeTwips(xml, QStringLiteral("w:right"), kFormattedCellMargin);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("w:tcPr"));
    writeShading(xml, kBodyFill);
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("w:tblStylePr"));
    xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("firstRow"));
    xml.writeStartElement(QStringLiteral("w:rPr"));
    xml.writeEmptyElement(QStringLiteral("w:b"));
    xml.writeEmptyElement(QStringLiteral("w:bCs"));
    writeValue(xml, QStringLiteral("w:color"), kHeaderText);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("w:tcPr"));
    writeShading(xml, kHeaderFill);
    xml.writeEndElement();
    xml.writeEndElement();

    for (const auto& [band, fill] : {std::pair{QStringLiteral("band1Horz"), kBodyFill},
                                     std::pair{QStringLiteral("band2Horz"), kBandFill}}) {
        xml.writeStartElement(QStringLiteral("w:tblStylePr"));
        xml.writeAttribute(QStringLiteral("w:type"), band);
        xml.writeStartElement(QStringLiteral("w:tcPr"));
        writeShading(xml, fill);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

QByteArray stylesXml(const QList<std::pair<QString, int>>& cellLooks, bool headings)
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("w:styles"));
    xml.writeNamespace(kNsW, QStringLiteral("w"));
    writeDocDefaults(xml);
    startStyle(xml, QStringLiteral("paragraph"), QStringLiteral("Normal"), QStringLiteral("Normal"),
               true);
    xml.writeEmptyElement(QStringLiteral("w:qFormat"));
    xml.writeEndElement();
    if (headings)
        writeHeadingStyles(xml);
    writeCellStyles(xml, cellLooks);
    writeDefaultStyles(xml);
    writePlainTableStyle(xml);
    writeFormattedTableStyle(xml);
    xml.writeEndElement();
    return part.finish();
}

QByteArray settingsXml()
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("w:settings"));
    xml.writeNamespace(kNsW, QStringLiteral("w"));
    xml.writeEmptyElement(QStringLiteral("w:zoom"));
    xml.writeAttribute(QStringLiteral("w:percent"), QStringLiteral("100"));
    writeValue(xml, QStringLiteral("w:defaultTabStop"), QStringLiteral("708"));
    writeValue(xml, QStringLiteral("w:characterSpacingControl"), QStringLiteral("doNotCompress"));
    xml.writeStartElement(QStringLiteral("w:compat"));
    xml.writeEmptyElement(QStringLiteral("w:compatSetting"));
    xml.writeAttribute(QStringLiteral("w:name"), QStringLiteral("compatibilityMode"));
    xml.writeAttribute(QStringLiteral("w:uri"),
                       QStringLiteral("http://schemas.microsoft.com/office/word"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("15"));
    xml.writeEndElement();
    xml.writeEndElement();
    return part.finish();
}

QByteArray coreXml()
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("cp:coreProperties"));
    xml.writeNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties"),
        QStringLiteral("cp"));
    xml.writeNamespace(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc"));
    xml.writeNamespace(QStringLiteral("http://purl.org/dc/terms/"), QStringLiteral("dcterms"));
    xml.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"),
                       QStringLiteral("xsi"));
    xml.writeTextElement(QStringLiteral("dc:creator"), QStringLiteral("ZANT"));
    xml.writeTextElement(QStringLiteral("cp:lastModifiedBy"), QStringLiteral("ZANT"));
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    for (const char* element : {"dcterms:created", "dcterms:modified"}) {
        xml.writeStartElement(QString::fromLatin1(element));
        xml.writeAttribute(QStringLiteral("xsi:type"), QStringLiteral("dcterms:W3CDTF"));
        xml.writeCharacters(now);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return part.finish();
}

QByteArray appXml(int pageCount)
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("Properties"));
    xml.writeDefaultNamespace(QStringLiteral(
        "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"));
    xml.writeNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes"),
        QStringLiteral("vt"));
    xml.writeTextElement(QStringLiteral("Application"), QStringLiteral("ZANT"));
    xml.writeTextElement(QStringLiteral("Pages"), QString::number(pageCount));
    xml.writeEndElement();
    return part.finish();
}

QByteArray footerXml(const Content& content, int pageCount, SectionPage page)
{
    constexpr int kFooterHalfPoints = 16;
    const QString& font = content.format.font;
    const int textWidth = textWidthOf(page);
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(QStringLiteral("w:ftr"));
    xml.writeNamespace(kNsW, QStringLiteral("w"));
    xml.writeNamespace(kNsR, QStringLiteral("r"));
    xml.writeStartElement(QStringLiteral("w:p"));
    xml.writeStartElement(QStringLiteral("w:pPr"));
    xml.writeStartElement(QStringLiteral("w:tabs"));
    xml.writeEmptyElement(QStringLiteral("w:tab"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("center"));
    xml.writeAttribute(QStringLiteral("w:pos"), QString::number(textWidth / 2));
    xml.writeEndElement();
    writeRunProperties(xml, font, kFooterHalfPoints);
    xml.writeEndElement();

    auto run = [&](const QString& text) {
        xml.writeStartElement(QStringLiteral("w:r"));
        writeRunProperties(xml, font, kFooterHalfPoints);
        writeRunText(xml, text);
        xml.writeEndElement();
    };
    // The project name stops short of the centred page number.
    QString left = content.footerText;
    const double room =
        textWidth / 40.0 - textWidthPoints(QStringLiteral("pagina 999 di 999"), 4) - 12;
    if (textWidthPoints(left, 8) > room) {
        const double ellipsis = textWidthPoints(u"…", 8);
        left = left.left(fittingLength(left, 8, room - ellipsis)).trimmed() + QStringLiteral("…");
    }
    if (!left.isEmpty())
        run(left);
    xml.writeStartElement(QStringLiteral("w:r"));
    writeRunProperties(xml, font, kFooterHalfPoints);
    xml.writeEmptyElement(QStringLiteral("w:tab"));
    xml.writeEndElement();
    run(QStringLiteral("pagina "));
    writeField(xml, font, kFooterHalfPoints, QStringLiteral(" PAGE "), 1);
    run(QStringLiteral(" di "));
    writeField(xml, font, kFooterHalfPoints, QStringLiteral(" NUMPAGES "), pageCount);
    xml.writeEndElement();
    xml.writeEndElement();
    return part.finish();
}

} // namespace zant::docx
