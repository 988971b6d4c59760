#pragma once

#include "model/text_format.h"
#include "report/document_writer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a DocxWriter collects before it writes the package: the blocks of the body, the tables
// and pictures they refer to, and the page sizes they are laid out on. Shared by the parts of the
// writer; callers use DocxWriter only.
namespace zant::docx {

// A4 in twips (1/20 point) with Word's usual Italian margins: 2.5 cm on top, 2 cm elsewhere.
constexpr int kPageWidth = 11906;
constexpr int kPageHeight = 16838;
constexpr int kMarginTop = 1417;
constexpr int kMarginBottom = 1134;
constexpr int kMarginSide = 1134;
constexpr int kTextWidth = kPageWidth - 2 * kMarginSide;
constexpr int kTextHeight = kPageHeight - kMarginTop - kMarginBottom;
// Word's "narrow" side margins, 1.27 cm, on the pages of a table that needs the width.
constexpr int kNarrowMarginSide = 720;
// Left and right padding of every cell, from the default table style.
constexpr int kCellMargin = 108;
// Formatted tables sit closer to their lines: with seven columns on a page the default padding
// alone would take 3.4 cm from the descriptions.
constexpr int kFormattedCellMargin = 57;
// A soft hyphen: where a long heading word may break, with a hyphen shown only when it does.
constexpr char16_t kSoftHyphen = 0x00AD;
constexpr double kEmuPerPoint = 12700.0;

// The text width of a section's page, in twips.
int textWidthOf(SectionPage page);

enum class Alignment
{
    Left,
    Right,
    Justify
};

struct Format
{
    QString font;
    int halfPoints = 24;
    bool operator==(const Format&) const = default;
};

struct Run
{
    enum class Kind
    {
        Text,
        PageBreak,
        PageCountField,
        Picture
    };
    Kind kind = Kind::Text;
    QString text;
    Format format;
    int picture = -1;
};

struct Paragraph
{
    QList<Run> runs;
    Format markFormat;
    Alignment alignment = Alignment::Left;
    DocumentWriter::ParagraphFormat layout;
    // A paragraph that ends a section carries that section's page.
    std::optional<SectionPage> sectionEnd;
    // 1 or 2: the paragraph has Word's heading style of that level; 0: none.
    int headingLevel = 0;
};

struct Cell
{
    QString text;
    Alignment alignment = Alignment::Left;
};

struct Table
{
    int rows = 0;
    int columns = 0;
    Format format;
    QList<Cell> cells;
    bool formatted = false;
    int headerRows = 0;
    QList<bool> fitColumns;
    QList<bool> keepWithNextRow; // the row stays on the page of the row below it
    int minRowHeight = 0;        // twips
    int width = 0;               // twips: the text width of the table's section
    int cellMargin() const { return formatted ? kFormattedCellMargin : kCellMargin; }
    Cell& cell(int row, int column) { return cells[(row - 1) * columns + column - 1]; }
    const Cell& cell(int row, int column) const { return cells[(row - 1) * columns + column - 1]; }
};

struct Picture
{
    QByteArray data;
    QString extension;
    qint64 widthEmu = 0;
    qint64 heightEmu = 0;
};

// One element of the body: a paragraph or, when table > 0, that table.
struct Block
{
    Paragraph paragraph;
    int table = 0;
};

struct Content
{
    // The font of text typed next; the footer is written in it.
    Format format;
    QList<Block> blocks;
    QList<Table> tables;
    QList<Picture> pictures;
    SectionPage section = SectionPage::Portrait; // the page of the section being written
    bool hasFooter = false;
    QString footerText;
};

// Keeps what a paragraph can carry: the text cleaned for XML, without line ends. Tab and vertical
// tab survive because they become w:tab and w:br.
QString cleanText(QStringView text);

// Calls `line` with each paragraph of a cell's text as it will be written: split at line ends,
// without the characters XML cannot carry. Most cells hold one clean line and cost no copy.
template <typename Function> void forEachCleanLine(const QString& text, Function line)
{
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || c.isSurrogate() || u >= 0xFFFE) {
            plain = false;
            break;
        }
    }
    if (plain) {
        line(text);
        return;
    }
    for (const QString& part : splitLines(text))
        line(cleanText(part));
}

} // namespace zant::docx
