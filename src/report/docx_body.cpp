#include "report/docx_body.h"

#include "report/docx_xml.h"

#include <cmath>

namespace zant::docx {

namespace {

const QString kNsWp =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString kNsA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kNsPic = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");

constexpr qsizetype kPieceSize = 1 << 16;

QString alignmentValue(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Right:
        return QStringLiteral("right");
    case Alignment::Justify:
        return QStringLiteral("both");
    case Alignment::Left:
        break;
    }
    return {};
}

void writeAlignment(XmlWriter& xml, const QString& value)
{
    if (!value.isEmpty())
        writeValue(xml, QStringLiteral("w:jc"), value);
}

void writeSectionProperties(XmlWriter& xml, const Content& content, SectionPage page)
{
    const bool landscape = page == SectionPage::Landscape;
    const int side = page == SectionPage::PortraitWide ? kNarrowMarginSide : kMarginSide;
    xml.writeStartElement(QStringLiteral("w:sectPr"));
    // Every section names the footer: a section without one would print none.
    if (content.hasFooter) {
        xml.writeEmptyElement(QStringLiteral("w:footerReference"));
        xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("default"));
        xml.writeAttribute(QStringLiteral("r:id"),
                           QStringLiteral("rId%1").arg(footerRelationship(content, page)));
    }
    xml.writeEmptyElement(QStringLiteral("w:pgSz"));
    xml.writeAttribute(QStringLiteral("w:w"),
                       QString::number(landscape ? kPageHeight : kPageWidth));
    xml.writeAttribute(QStringLiteral("w:h"),
                       QString::number(landscape ? kPageWidth : kPageHeight));
    if (landscape)
        xml.writeAttribute(QStringLiteral("w:orient"), QStringLiteral("landscape"));
    xml.writeEmptyElement(QStringLiteral("w:pgMar"));
    xml.writeAttribute(QStringLiteral("w:top"), QString::number(kMarginTop));
    xml.writeAttribute(QStringLiteral("w:right"), QString::number(side));
    xml.writeAttribute(QStringLiteral("w:bottom"), QString::number(kMarginBottom));
    xml.writeAttribute(QStringLiteral("w:left"), QString::number(side));
    xml.writeAttribute(QStringLiteral("w:header"), QStringLiteral("708"));
    xml.writeAttribute(QStringLiteral("w:footer"), QStringLiteral("708"));
    xml.writeAttribute(QStringLiteral("w:gutter"), QStringLiteral("0"));
    xml.writeEmptyElement(QStringLiteral("w:cols"));
    xml.writeAttribute(QStringLiteral("w:space"), QStringLiteral("708"));
    xml.writeEndElement();
}

void writeDrawing(XmlWriter& xml, const Content& content, int pictureIndex, int drawingId)
{
    const Picture& picture = content.pictures[pictureIndex];
    const QString cx = QString::number(picture.widthEmu);
    const QString cy = QString::number(picture.heightEmu);
    const QString name = QStringLiteral("Immagine %1").arg(drawingId);

    xml.writeStartElement(QStringLiteral("w:drawing"));
    xml.writeStartElement(QStringLiteral("wp:inline"));
    for (const char* distance : {"distT", "distB", "distL", "distR"})
        xml.writeAttribute(QString::fromLatin1(distance), QStringLiteral("0"));
    xml.writeEmptyElement(QStringLiteral("wp:extent"));
    xml.writeAttribute(QStringLiteral("cx"), cx);
    xml.writeAttribute(QStringLiteral("cy"), cy);
    xml.writeEmptyElement(QStringLiteral("wp:effectExtent"));
    for (const char* side : {"l", "t", "r", "b"})
        xml.writeAttribute(QString::fromLatin1(side), QStringLiteral("0"));
    xml.writeEmptyElement(QStringLiteral("wp:docPr"));
    xml.writeAttribute(QStringLiteral("id"), QString::number(drawingId));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("wp:cNvGraphicFramePr"));
    xml.writeEmptyElement(QStringLiteral("a:graphicFrameLocks"));
    xml.writeAttribute(QStringLiteral("noChangeAspect"), QStringLiteral("1"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("a:graphic"));
    xml.writeStartElement(QStringLiteral("a:graphicData"));
    xml.writeAttribute(QStringLiteral("uri"), kNsPic);
    xml.writeStartElement(QStringLiteral("pic:pic"));
    xml.writeStartElement(QStringLiteral("pic:nvPicPr"));
    xml.writeEmptyElement(QStringLiteral("pic:cNvPr"));
    xml.writeAttribute(QStringLiteral("id"), QString::number(drawingId));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeEmptyElement(QStringLiteral("pic:cNvPicPr"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("pic:blipFill"));
    xml.writeEmptyElement(QStringLiteral("a:blip"));
    xml.writeAttribute(QStringLiteral("r:embed"),
                       QStringLiteral("rId%1").arg(kFirstPictureRel + pictureIndex));
    xml.writeStartElement(QStringLiteral("a:stretch"));
    xml.writeEmptyElement(QStringLiteral("a:fillRect"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("pic:spPr"));
    xml.writeStartElement(QStringLiteral("a:xfrm"));
    xml.writeEmptyElement(QStringLiteral("a:off"));
    xml.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    xml.writeEmptyElement(QStringLiteral("a:ext"));
    xml.writeAttribute(QStringLiteral("cx"), cx);
    xml.writeAttribute(QStringLiteral("cy"), cy);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("a:prstGeom"));
    xml.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
    xml.writeEmptyElement(QStringLiteral("a:avLst"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement(); // pic:pic
    xml.writeEndElement(); // a:graphicData
    xml.writeEndElement(); // a:graphic
    xml.writeEndElement(); // wp:inline
    xml.writeEndElement(); // w:drawing
}

void writeParagraph(XmlWriter& xml, const Content& content, const Paragraph& paragraph,
                    int pageCount, int& drawingId, bool keepWithNext)
{
    xml.writeStartElement(QStringLiteral("w:p"));
    xml.writeStartElement(QStringLiteral("w:pPr"));
    if (paragraph.headingLevel > 0)
        writeValue(xml, QStringLiteral("w:pStyle"),
                   QStringLiteral("Heading%1").arg(paragraph.headingLevel));
    if (keepWithNext || paragraph.layout.keepWithNext)
        xml.writeEmptyElement(QStringLiteral("w:keepNext"));
    if (paragraph.layout.spaceAfter > 0 || paragraph.layout.lineSpacing != 1) {
        xml.writeEmptyElement(QStringLiteral("w:spacing"));
        xml.writeAttribute(QStringLiteral("w:after"),
                           QString::number(std::lround(paragraph.layout.spaceAfter * 20)));
        xml.writeAttribute(QStringLiteral("w:line"),
                           QString::number(std::lround(paragraph.layout.lineSpacing * 240)));
        xml.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("auto"));
    }
    writeAlignment(xml, alignmentValue(paragraph.alignment));
    writeRunProperties(xml, paragraph.markFormat.font, paragraph.markFormat.halfPoints);
    if (paragraph.sectionEnd)
        writeSectionProperties(xml, content, *paragraph.sectionEnd);
    xml.writeEndElement();
    for (const Run& run : paragraph.runs) {
        const QString& font = run.format.font;
        const int size = run.format.halfPoints;
        if (run.kind == Run::Kind::PageCountField) {
            // Readers recompute the field; the estimate is what shows until they do.
            writeField(xml, font, size, QStringLiteral(" NUMPAGES "), pageCount);
            continue;
        }
        xml.writeStartElement(QStringLiteral("w:r"));
        writeRunProperties(xml, font, size);
        switch (run.kind) {
        case Run::Kind::Text:
            writeRunText(xml, run.text);
            break;
        case Run::Kind::PageBreak:
            xml.writeEmptyElement(QStringLiteral("w:br"));
            xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("page"));
            break;
        case Run::Kind::Picture:
            writeDrawing(xml, content, run.picture, ++drawingId);
            break;
        case Run::Kind::PageCountField:
            break;
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeTableStart(XmlWriter& xml, const Table& table, const QList<int>& widths)
{
    xml.writeStartElement(QStringLiteral("w:tbl"));
    xml.writeStartElement(QStringLiteral("w:tblPr"));
    writeValue(xml, QStringLiteral("w:tblStyle"), table.formatted ? kFormatStyle : kPlainStyle);
    writeTwips(xml, QStringLiteral("w:tblW"), table.width);
    if (table.formatted) {
        // Header row on, banded rows on, no first or last column look.
        xml.writeEmptyElement(QStringLiteral("w:tblLook"));
        xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("0420"));
        xml.writeAttribute(QStringLiteral("w:firstRow"), QStringLiteral("1"));
        xml.writeAttribute(QStringLiteral("w:lastRow"), QStringLiteral("0"));
        xml.writeAttribute(QStringLiteral("w:firstColumn"), QStringLiteral("0"));
        xml.writeAttribute(QStringLiteral("w:lastColumn"), QStringLiteral("0"));
        xml.writeAttribute(QStringLiteral("w:noHBand"), QStringLiteral("0"));
        xml.writeAttribute(QStringLiteral("w:noVBand"), QStringLiteral("1"));
    }
    xml.writeEndElement();
    // Readers refuse a table without its grid.
    xml.writeStartElement(QStringLiteral("w:tblGrid"));
    for (const int width : widths) {
        xml.writeEmptyElement(QStringLiteral("w:gridCol"));
        xml.writeAttribute(QStringLiteral("w:w"), QString::number(width));
    }
    xml.writeEndElement();
}

void writeTableRow(XmlWriter& xml, const Table& table, int row, const QList<int>& widths,
                   const QString& styleId)
{
    const bool header = table.formatted && row <= table.headerRows;
    // The style colours the first row only; further header rows get the same look directly.
    const bool directHeader = header && row > 1;
    const bool keepWithNext = table.keepWithNextRow[row - 1];
    xml.writeStartElement(QStringLiteral("w:tr"));
    // A row is never split across pages: half a description at the foot of a page reads as two
    // rows.
    xml.writeStartElement(QStringLiteral("w:trPr"));
    xml.writeEmptyElement(QStringLiteral("w:cantSplit"));
    if (table.minRowHeight > 0) {
        xml.writeEmptyElement(QStringLiteral("w:trHeight"));
        xml.writeAttribute(QStringLiteral("w:val"), QString::number(table.minRowHeight));
        xml.writeAttribute(QStringLiteral("w:hRule"), QStringLiteral("atLeast"));
    }
    if (header)
        xml.writeEmptyElement(QStringLiteral("w:tblHeader"));
    xml.writeEndElement();
    for (int column = 1; column <= table.columns; ++column) {
        const Cell& cell = table.cell(row, column);
        xml.writeStartElement(QStringLiteral("w:tc"));
        xml.writeStartElement(QStringLiteral("w:tcPr"));
        writeTwips(xml, QStringLiteral("w:tcW"), widths[column - 1]);
        if (directHeader)
            writeShading(xml, kHeaderFill);
        xml.writeEndElement();
        // Every cell ends with a paragraph, also an empty one: Word calls the file corrupt
        // otherwise.
        forEachCleanLine(cell.text, [&](const QString& clean) {
            xml.writeStartElement(QStringLiteral("w:p"));
            xml.writeStartElement(QStringLiteral("w:pPr"));
            writeValue(xml, QStringLiteral("w:pStyle"), styleId);
            if (keepWithNext) {
                xml.writeEmptyElement(QStringLiteral("w:keepNext"));
            }
            writeAlignment(xml, alignmentValue(cell.alignment));
            // The header look of further header rows is the one formatting a cell repeats.
            if (directHeader) {
                writeRunProperties(xml, table.format.font, table.format.halfPoints, true);
            }
            xml.writeEndElement();
            if (!clean.isEmpty()) {
                xml.writeStartElement(QStringLiteral("w:r"));
                if (directHeader) {
                    writeRunProperties(xml, table.format.font, table.format.halfPoints, true);
                }
                writeRunText(xml, clean);
                xml.writeEndElement();
            }
            xml.writeEndElement();
        });
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

DocumentXml::DocumentXml(const Content& content, const Layout& layout,
                         const QList<CellLook>& cellLooks)
    : m_content(content), m_layout(layout), m_xml(&m_text),
      m_keepWithNext(content.blocks.size(), false)
{
    for (const Table& table : content.tables)
        m_cellStyles.append(
            cellStyleId(int(cellLooks.indexOf({table.format.font, table.format.halfPoints}))));
    // A table's heading, with the empty lines between them, stays on the table's page rather
    // than being left alone at the foot of the one before.
    const QList<Block>& blocks = content.blocks;
    for (qsizetype i = 1; i < blocks.size(); ++i) {
        if (blocks[i].table == 0)
            continue;
        for (qsizetype j = i - 1; j >= 0 && blocks[j].table == 0; --j) {
            m_keepWithNext[j] = true;
            if (!blocks[j].paragraph.runs.isEmpty())
                break;
        }
    }
    m_text.reserve(kPieceSize + 4096);
}

bool DocumentXml::next(QByteArray& out)
{
    if (m_done)
        return false;
    while (m_text.size() < kPieceSize && !m_done)
        step();
    out += m_text.toUtf8();
    m_text.resize(0);
    return !m_done;
}

void DocumentXml::step()
{
    const QList<Block>& blocks = m_content.blocks;
    if (!m_started) {
        m_started = true;
        m_text += kXmlDeclaration;
        m_xml.writeStartElement(QStringLiteral("w:document"));
        m_xml.writeNamespace(kNsW, QStringLiteral("w"));
        m_xml.writeNamespace(kNsR, QStringLiteral("r"));
        m_xml.writeNamespace(kNsWp, QStringLiteral("wp"));
        m_xml.writeNamespace(kNsA, QStringLiteral("a"));
        m_xml.writeNamespace(kNsPic, QStringLiteral("pic"));
        m_xml.writeStartElement(QStringLiteral("w:body"));
        return;
    }
    if (m_block < blocks.size()) {
        const Block& block = blocks[m_block];
        if (block.table == 0) {
            writeParagraph(m_xml, m_content, block.paragraph, m_layout.pageCount, m_drawingId,
                           m_keepWithNext[m_block]);
            ++m_block;
            return;
        }
        const Table& table = m_content.tables[block.table - 1];
        const QList<int>& widths = m_layout.columnWidths[block.table - 1];
        if (m_row == 0) {
            writeTableStart(m_xml, table, widths);
            m_row = 1;
            return;
        }
        if (m_row <= table.rows) {
            writeTableRow(m_xml, table, m_row++, widths, m_cellStyles[block.table - 1]);
            return;
        }
        m_xml.writeEndElement();
        m_row = 0;
        ++m_block;
        return;
    }
    writeSectionProperties(m_xml, m_content, m_content.section);
    m_xml.writeEndDocument();
    m_done = true;
}

quint64 DocumentXml::estimatedBytes(const Content& content)
{
    // Generous per element, text counted at three bytes a character.
    quint64 bytes = 4096;
    for (const Block& block : content.blocks) {
        bytes += 400;
        for (const Run& run : block.paragraph.runs)
            bytes += 400 + quint64(run.text.size()) * 3;
    }
    for (const Table& table : content.tables) {
        bytes += 1024 + quint64(table.rows) * 64;
        for (const Cell& cell : table.cells)
            bytes += 200 + quint64(cell.text.size()) * 3;
    }
    return bytes;
}

} // namespace zant::docx
