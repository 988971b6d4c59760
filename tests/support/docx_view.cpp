#include "support/docx_view.h"

namespace zant::test {

namespace {

double firstRunSize(const XmlElement& paragraph)
{
    for (const XmlElement* run : paragraph.childrenNamed("w:r")) {
        const XmlElement* properties = run->child("w:rPr");
        const XmlElement* size = properties ? properties->child("w:sz") : nullptr;
        if (size)
            return size->attribute("w:val").toDouble() / 2;
    }
    const XmlElement* properties = paragraph.child("w:pPr");
    const XmlElement* marks = properties ? properties->child("w:rPr") : nullptr;
    const XmlElement* size = marks ? marks->child("w:sz") : nullptr;
    return size ? size->attribute("w:val").toDouble() / 2 : 0;
}

} // namespace

QString paragraphText(const XmlElement& paragraph)
{
    QString text;
    for (const XmlElement* run : paragraph.descendants("w:r")) {
        for (const XmlElement& item : run->children) {
            if (item.name == "w:t")
                text += item.text;
            else if (item.name == "w:tab")
                text += u'\t';
            else if (item.name == "w:br")
                text += item.attribute("w:type") == "page" ? u'\f' : u'\v';
        }
    }
    return text;
}

QString alignmentOf(const XmlElement& paragraph)
{
    const XmlElement* properties = paragraph.child("w:pPr");
    const XmlElement* jc = properties ? properties->child("w:jc") : nullptr;
    return jc ? jc->attribute("w:val") : QString();
}

QString cellText(const XmlElement& cell)
{
    QStringList lines;
    for (const XmlElement* paragraph : cell.childrenNamed("w:p"))
        lines << paragraphText(*paragraph);
    return lines.join(u'\r');
}

QString DocxView::Table::columnAlignment(int column) const
{
    QString shared;
    for (int r = 0; r < alignments.size(); ++r) {
        const QString a = alignments[r].value(column - 1);
        if (r == 0)
            shared = a;
        else if (a != shared)
            return QString();
    }
    return shared;
}

QStringList DocxView::texts() const
{
    QStringList out;
    for (const Paragraph& p : paragraphs)
        out << p.text;
    return out;
}

std::optional<DocxView> readDocx(const QString& path, QString* error)
{
    DocxPackage package;
    QString why;
    XmlElement document;
    if (!readDocument(path, &package, &document, &why)) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    const XmlElement* body = document.child("w:body");
    if (!body)
        return std::nullopt;
    DocxView view;
    view.documentXml = package.entry("word/document.xml");
    for (const XmlElement& element : body->children) {
        if (element.name == "w:p") {
            view.outline << "p";
            DocxView::Paragraph paragraph{paragraphText(element), firstRunSize(element),
                                          alignmentOf(element)};
            if (const XmlElement* properties = element.child("w:pPr")) {
                paragraph.keepNext = properties->child("w:keepNext") != nullptr;
                if (const XmlElement* spacing = properties->child("w:spacing")) {
                    paragraph.spaceAfter = spacing->attribute("w:after").toDouble() / 20;
                    if (!spacing->attribute("w:line").isEmpty())
                        paragraph.lineSpacing = spacing->attribute("w:line").toDouble() / 240;
                }
            }
            view.paragraphs.push_back(paragraph);
        } else if (element.name == "w:tbl") {
            view.outline << "tbl";
            DocxView::Table table;
            if (const XmlElement* grid = element.child("w:tblGrid")) {
                for (const XmlElement* column : grid->childrenNamed("w:gridCol"))
                    table.gridWidths << column->attribute("w:w").toInt();
            }
            for (const XmlElement* row : element.childrenNamed("w:tr")) {
                QStringList cells;
                QStringList alignments;
                const XmlElement* rowProperties = row->child("w:trPr");
                table.cantSplit << (rowProperties && rowProperties->child("w:cantSplit"));
                const XmlElement* height =
                    rowProperties ? rowProperties->child("w:trHeight") : nullptr;
                table.minHeight << (height ? height->attribute("w:val").toInt() : 0);
                bool keep = true;
                for (const XmlElement* p : row->descendants("w:p")) {
                    const XmlElement* properties = p->child("w:pPr");
                    keep = keep && properties && properties->child("w:keepNext");
                }
                table.keepNext << keep;
                for (const XmlElement* cell : row->childrenNamed("w:tc")) {
                    QString alignment;
                    for (const XmlElement* p : cell->childrenNamed("w:p"))
                        alignment = alignmentOf(*p);
                    cells << cellText(*cell);
                    alignments << alignment;
                }
                table.cells << cells;
                table.alignments << alignments;
            }
            view.tables << table;
        }
    }
    for (const XmlElement* instruction : body->descendants("w:instrText"))
        view.fieldInstructions << instruction->text.trimmed();
    XmlElement footer;
    if (package.contains("word/footer1.xml") &&
        parseXml(package.entry("word/footer1.xml"), &footer, &why)) {
        for (const XmlElement* p : footer.descendants("w:p"))
            view.footerText += paragraphText(*p);
        for (const XmlElement* instruction : footer.descendants("w:instrText"))
            view.footerFields << instruction->text.trimmed();
    }
    return view;
}

} // namespace zant::test
