#include "report/docx_layout.h"

#include "report/text_fit.h"

#include <algorithm>
#include <cmath>

namespace zant::docx {

namespace {

// The widest piece a line break can leave: a word, or the part of it up to a soft hyphen
// with the hyphen shown.
double longestWordPoints(const QString& text, double points)
{
    double widest = 0;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList pieces = word.split(QChar(kSoftHyphen));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const QString piece = i + 1 < pieces.size() ? pieces[i] + u'-' : pieces[i];
            widest = std::max(widest, textWidthPoints(piece, points));
        }
    }
    return widest;
}

double lineHeightPoints(double points)
{
    return points * 1.2;
}

// Lines taken by text of the given width in a column; word wrap wastes some room on each line.
int lineCount(double widthPoints, double columnPoints)
{
    if (widthPoints <= 0 || columnPoints <= 0)
        return 1;
    return std::max(1, int(std::ceil(widthPoints * 1.04 / columnPoints)));
}

// Follows the text down the pages, one line at a time.
class PageFlow final
{
public:
    void addLine(double height)
    {
        if (m_used > 0 && m_used + height > kTextHeight / 20.0)
            newPage();
        m_used += height;
    }
    void newPage()
    {
        ++m_pages;
        m_used = 0;
    }
    // Space after a paragraph, dropped at the foot of a page.
    void addSpace(double height) { m_used = std::min(m_used + height, kTextHeight / 20.0); }
    double used() const { return m_used; }
    int pages() const { return m_pages; }

private:
    int m_pages = 1;
    double m_used = 0;
};

// What each column's cells need, in twips: their longest line and longest word. A fitted column
// holds its longest body text unbroken. Its headings stay whole, or take two lines, or wrap at
// every blank: the widest of these that still leaves the other columns all they need, else the
// narrowest.
struct ColumnNeeds
{
    QList<double> widest;
    QList<double> narrowest;
    QList<double> fitted;
    QList<double> fittedWhole;
    QList<double> fittedHalf;
};

ColumnNeeds measureColumns(const Table& table)
{
    const double points = table.format.halfPoints / 2.0;
    const double padding = 2 * table.cellMargin() + 60;
    const QList<double> least(table.columns, padding);
    ColumnNeeds n{least, least, least, least, least};
    for (int row = 1; row <= table.rows; ++row) {
        const bool header = table.formatted && row <= table.headerRows;
        // Header text is bold, and bold faces are wider.
        const double scale = header ? 20 * 1.15 : 20;
        for (int column = 1; column <= table.columns; ++column) {
            const int c = column - 1;
            forEachCleanLine(table.cell(row, column).text, [&](const QString& clean) {
                const double whole = textWidthPoints(clean, points) * scale + padding;
                const double word = longestWordPoints(clean, points) * scale + padding;
                n.widest[c] = std::max(n.widest[c], whole);
                n.narrowest[c] = std::max(n.narrowest[c], word);
                n.fitted[c] = std::max(n.fitted[c], header ? word : whole);
                n.fittedWhole[c] = std::max(n.fittedWhole[c], whole);
                n.fittedHalf[c] =
                    std::max(n.fittedHalf[c],
                             header ? std::max(word, (whole - padding) * 0.55 + padding) : whole);
            });
        }
    }
    return n;
}

// Shares the text width among the columns by what they need.
void shareByNeeds(const Table& table, ColumnNeeds n, QList<int>& widths)
{
    const int textWidth = table.width;
    double sumWidest = 0;
    double sumNarrowest = 0;
    int freeColumns = 0;
    for (int c = 0; c < table.columns; ++c) {
        if (!table.fitColumns[c]) {
            ++freeColumns;
            sumWidest += n.widest[c];
            sumNarrowest += n.narrowest[c];
        }
    }
    auto sumOf = [&](const QList<double>& candidate) {
        double sum = 0;
        for (int c = 0; c < table.columns; ++c)
            sum += table.fitColumns[c] ? candidate[c] : 0;
        return sum;
    };
    if (freeColumns > 0 && sumOf(n.fittedWhole) + sumWidest <= textWidth)
        n.fitted = n.fittedWhole;
    else if (freeColumns > 0 && sumOf(n.fittedHalf) + sumWidest <= textWidth)
        n.fitted = n.fittedHalf;
    const double sumFitted = sumOf(n.fitted);
    const double room = textWidth - sumFitted;
    if (freeColumns == 0 && sumFitted <= textWidth) {
        // Numbers only: the spare room is shared in proportion.
        for (int c = 0; c < table.columns; ++c)
            widths[c] = int(n.fitted[c] * textWidth / sumFitted);
    } else if (freeColumns > 0 && sumNarrowest <= room) {
        // The descriptions share what the numbers leave, each at least its longest word, the
        // rest going to those that would wrap most.
        for (int c = 0; c < table.columns; ++c) {
            if (table.fitColumns[c]) {
                widths[c] = int(n.fitted[c]);
            } else if (sumWidest <= room) {
                widths[c] = int(n.widest[c] * room / sumWidest);
            } else {
                widths[c] =
                    int(n.narrowest[c] + (room - sumNarrowest) * (n.widest[c] - n.narrowest[c]) /
                                             std::max(1.0, sumWidest - sumNarrowest));
            }
        }
    } else {
        // Too much for the page: every column gets its share of its longest word.
        double sum = 0;
        for (int c = 0; c < table.columns; ++c)
            sum += table.fitColumns[c] ? n.fitted[c] : n.narrowest[c];
        for (int c = 0; c < table.columns; ++c)
            widths[c] = int((table.fitColumns[c] ? n.fitted[c] : n.narrowest[c]) * textWidth / sum);
    }
}

// A plain table has equal columns across the page; a formatted one, or one with columns fitted
// to their contents, shares the width by what the cells hold.
QList<int> columnWidths(const Table& table)
{
    const int textWidth = table.width;
    QList<int> widths(table.columns, textWidth / table.columns);
    if (table.formatted || table.fitColumns.contains(true))
        shareByNeeds(table, measureColumns(table), widths);
    int used = 0;
    for (int c = 0; c + 1 < table.columns; ++c)
        used += widths[c];
    widths.last() = textWidth - used;
    return widths;
}

QList<double> rowHeights(const Table& table, const QList<int>& widths)
{
    const double points = table.format.halfPoints / 2.0;
    const double lineHeight = lineHeightPoints(points);
    QList<double> heights(table.rows);
    for (int row = 1; row <= table.rows; ++row) {
        int lines = 1;
        for (int column = 1; column <= table.columns; ++column) {
            const double room = (widths[column - 1] - 2 * table.cellMargin()) / 20.0;
            int cellLines = 0;
            forEachCleanLine(table.cell(row, column).text, [&](const QString& clean) {
                cellLines += lineCount(textWidthPoints(clean, points), room);
            });
            lines = std::max(lines, cellLines);
        }
        heights[row - 1] = std::max(lines * lineHeight + 1, table.minRowHeight / 20.0);
    }
    return heights;
}

} // namespace

namespace {

// Rough advance widths in ems, on the wide side: Century Gothic is a wide face and the fonts
// that stand in for it where it is missing are wider still. Good enough to size columns and count
// pages.
double characterEms(QChar c, double points)
{
    if (c == kSoftHyphen)
        return 0;
    if (c == u' ')
        return 0.3;
    if (c == u'\t')
        return 36.0 / points;
    if (c.isDigit())
        return 0.6;
    if (c.isUpper() || c == u'm' || c == u'w')
        return 0.75;
    if (QStringView(u"iljtfr.,:;'!|()").contains(c))
        return 0.3;
    return 0.56;
}

} // namespace

double textWidthPoints(QStringView text, double points)
{
    double ems = 0;
    for (const QChar c : text)
        ems += characterEms(c, points);
    return ems * points;
}

qsizetype fittingLength(QStringView text, double points, double room)
{
    return fittingPrefix(
        text, [points](QChar c) { return characterEms(c, points); },
        [points, room](qsizetype, qsizetype, double ems) { return ems * points <= room; });
}

namespace {

// The rows of a table down the pages, its header rows repeated on each.
void flowTable(PageFlow& flow, const Table& table, const QList<int>& widths)
{
    const QList<double> heights = rowHeights(table, widths);
    const double page = kTextHeight / 20.0;
    double headerHeight = 0;
    for (int row = 1; row <= table.rows; ++row) {
        const bool header = table.formatted && row <= table.headerRows;
        if (header) {
            flow.addLine(heights[row - 1]);
            headerHeight += heights[row - 1];
            continue;
        }
        // A group of rows kept together moves to the next page as a whole when it does not fit
        // on this one but fits on an empty page.
        double height = heights[row - 1];
        if (row == 1 || !table.keepWithNextRow[row - 2]) {
            for (int next = row; next < table.rows && table.keepWithNextRow[next - 1]; ++next)
                height += heights[next];
            if (height + headerHeight > page)
                height = heights[row - 1];
        } else {
            height = heights[row - 1];
        }
        if (flow.used() > 0 && flow.used() + height > page) {
            flow.newPage();
            flow.addLine(headerHeight);
        }
        flow.addLine(heights[row - 1]);
    }
}

// A paragraph is cut by its page breaks into stretches; each takes at least one line.
void flowParagraph(PageFlow& flow, const Paragraph& paragraph, const Content& content)
{
    const double textWidth = kTextWidth / 20.0;
    const double spacing = paragraph.layout.lineSpacing;
    double width = 0;
    double lineHeight = lineHeightPoints(paragraph.markFormat.halfPoints / 2.0) * spacing;
    double pictureHeight = 0;
    auto finishStretch = [&] {
        const int lines = lineCount(width, textWidth);
        for (int i = 0; i < lines; ++i)
            flow.addLine(i == lines - 1 ? std::max(lineHeight, pictureHeight) : lineHeight);
        width = 0;
        pictureHeight = 0;
    };
    for (const Run& run : paragraph.runs) {
        const double points = run.format.halfPoints / 2.0;
        lineHeight = std::max(lineHeight, lineHeightPoints(points) * spacing);
        switch (run.kind) {
        case Run::Kind::Text:
            for (const QString& line : run.text.split(u'\v'))
                width += textWidthPoints(line, points);
            break;
        case Run::Kind::PageCountField:
            width += textWidthPoints(u"99", points);
            break;
        case Run::Kind::Picture:
            width += content.pictures[run.picture].widthEmu / kEmuPerPoint;
            pictureHeight =
                std::max(pictureHeight, content.pictures[run.picture].heightEmu / kEmuPerPoint);
            break;
        case Run::Kind::PageBreak:
            finishStretch();
            flow.newPage();
            break;
        }
    }
    finishStretch();
    flow.addSpace(paragraph.layout.spaceAfter);
    if (paragraph.sectionEnd)
        flow.newPage();
}

} // namespace

Layout layOut(const Content& content)
{
    Layout layout;
    layout.columnWidths.reserve(content.tables.size());
    for (const Table& table : content.tables)
        layout.columnWidths.append(columnWidths(table));
    PageFlow flow;
    for (const Block& block : content.blocks) {
        if (block.table > 0)
            flowTable(flow, content.tables[block.table - 1], layout.columnWidths[block.table - 1]);
        else
            flowParagraph(flow, block.paragraph, content);
    }
    layout.pageCount = flow.pages();
    return layout;
}

} // namespace zant::docx
