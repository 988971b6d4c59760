#pragma once

#include "report/docx_content.h"

#include <QList>
#include <QStringView>

// An estimate of how the document falls on the pages, good enough to size table columns and
// count pages without Word: text is measured with rough advance widths, not with the font.
namespace zant::docx {

// Rough width of text in points at the given size.
double textWidthPoints(QStringView text, double points);

// How many characters from the start of `text` fit in `room` points, measured as
// textWidthPoints() does, each character once; a surrogate pair is never cut.
qsizetype fittingLength(QStringView text, double points, double room);

struct Layout
{
    // The width of every column of every table, in twips, in table order: Word's table format
    // sizes columns to their contents, and readers that keep the grid as written (LibreOffice)
    // then show the same table.
    QList<QList<int>> columnWidths;
    int pageCount = 1;
};

// Measures every table once and follows the body down the pages. Measuring every cell is the
// costly part of a large report, so a package is laid out once and written from the result.
Layout layOut(const Content& content);

} // namespace zant::docx
