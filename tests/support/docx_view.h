#pragma once

#include "support/docx_package.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace zant::test {

// What a reader sees of a produced document: its body paragraphs and tables in order, with the
// font size of each paragraph's first run and the alignment of every cell.
struct DocxView
{
    struct Paragraph
    {
        QString text;
        double size = 0; // points, 0 when not set
        QString alignment;
        bool keepNext = false;
        double spaceAfter = 0;  // points
        double lineSpacing = 1; // multiple of single spacing
    };
    struct Table
    {
        QList<QStringList> cells;      // [row][column]
        QList<QStringList> alignments; // [row][column]: "right", "both" or ""
        QList<bool> cantSplit;         // [row]
        QList<bool> keepNext;          // [row]: every paragraph of the row keeps with the next
        QList<int> minHeight;          // [row]: twips, 0 when not set
        QList<int> gridWidths;         // twips
        int rows() const { return static_cast<int>(cells.size()); }
        int columns() const { return cells.isEmpty() ? 0 : static_cast<int>(cells.first().size()); }
        // The alignment shared by every cell of a column, or "" when they differ.
        QString columnAlignment(int column) const;
    };

    QStringList outline; // "p" or "tbl", in body order
    QList<Paragraph> paragraphs;
    QList<Table> tables;
    QStringList fieldInstructions;
    // The page footer, when the document has one: its text with the fields' shown values, and
    // its fields' instructions.
    QString footerText;
    QStringList footerFields;
    QByteArray documentXml;

    // Paragraph texts in order, for comparisons of whole passages.
    QStringList texts() const;
};

std::optional<DocxView> readDocx(const QString& path, QString* error = nullptr);

// The text of a paragraph as it was typed: page breaks read back as form feeds, tabs as tabs
// and line breaks as vertical tabs.
QString paragraphText(const XmlElement& paragraph);
// A table cell's paragraphs, joined by carriage returns.
QString cellText(const XmlElement& cell);
// The paragraph's alignment ("right", "both"), empty when it has none.
QString alignmentOf(const XmlElement& paragraph);

} // namespace zant::test
