#pragma once

#include "model/message.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;

namespace zant {

// The page of a section: A4 upright or on its side, or upright with narrow side margins for a
// table whose descriptions need the width.
enum class SectionPage
{
    Portrait,
    Landscape,
    PortraitWide
};

// The operations every printed document of the program is built from. A document grows from top
// to bottom: typed text, added paragraphs, tables and pictures always go at its end, so a builder
// only states texts, sizes and tables in reading order.
//
// Sizes are in points. Tables, rows and columns are counted from 1. A call with a table or cell
// that does not exist, or with a size that makes no sense, is a fault of the builder: the writer
// ignores it, remembers the first such fault and save() then refuses to write the document,
// reporting that fault.
class DocumentWriter
{
public:
    // How a paragraph stands on the page.
    struct ParagraphFormat
    {
        double spaceAfter = 0;     // points below the paragraph
        double lineSpacing = 1;    // a multiple of single spacing
        bool keepWithNext = false; // on the same page as the paragraph that follows
        bool alignRight = false;   // right-aligned, and left so by justifyDocument()
        bool operator==(const ParagraphFormat&) const = default;
    };

    virtual ~DocumentWriter() = default;

    // Font of the text typed next and of paragraphs and tables added from now on. Only new text
    // is affected.
    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;

    // Layout of the paragraph where text goes now and of the paragraphs started after it, until
    // the next call. A new document starts single-spaced, with no space after paragraphs.
    virtual void setParagraphFormat(const ParagraphFormat& format) = 0;

    // Gives every page a footer in 8 points: leftText (none when empty) on the left and
    // "pagina X di Y" centred, X and Y being fields that Word and LibreOffice fill in; until they
    // do, they show 1 and estimatedPageCount().
    virtual void setPageFooter(const QString& leftText) = 0;

    // Types text at the end of the document with the current font. A carriage return (13) ends
    // the paragraph, a form feed (12) breaks the page, a tab (9) is a tab stop and a vertical
    // tab (11) a line break inside the paragraph. A line feed alone counts as a carriage return;
    // other control characters are dropped.
    virtual void typeText(const QString& text) = 0;

    // Types a field showing the number of pages of the whole document, with the current font.
    // Word and LibreOffice recompute it when they lay the document out; until then it shows
    // estimatedPageCount().
    virtual void typePageCountField() = 0;

    // Starts a new paragraph at the end of the document, even when the last one is empty, and
    // writes text into it at the given size (current font name). Control characters work as in
    // typeText(); text typed afterwards continues where this text ends.
    virtual void addParagraph(const QString& text, double points) = 0;

    // Starts a new paragraph holding a heading at the given size, in Word's own style of that
    // level (1 or 2: "heading 1", "heading 2"), so that the navigation pane and a table of
    // contents find it. Text typed afterwards continues the heading: add a paragraph next.
    virtual void addHeading(const QString& text, int level, double points) = 0;

    // Adds an empty table at the end of the document with its font size and returns its number
    // in document order. An empty last paragraph becomes the table, as in Word; text typed
    // afterwards goes into a new paragraph below it. Returns 0 for a table with no rows or no
    // columns.
    virtual int addTable(int rows, int columns, double points) = 0;

    // Replaces the text of one cell; a carriage return inside the text starts a new paragraph
    // of the cell. The cell keeps its alignment.
    virtual void setCellText(int table, int row, int column, const QString& text) = 0;

    // Word's table format 9 ("Colorful 2"): dark header rows with light bold text, coloured body
    // rows, columns sized to their contents. The first headerRows rows are header rows, repeated
    // at the top of every page the table runs onto.
    virtual void applyTableFormat(int table, int headerRows) = 0;

    // Right-aligns every cell of one column, header rows included.
    virtual void alignColumnRight(int table, int column) = 0;

    // Gives one column the width of its longest content (the longest word of header rows), so
    // that numbers never wrap; the columns not so marked share the rest of the page width.
    virtual void fitColumnToContent(int table, int column) = 0;

    // Keeps rows firstRow..lastRow on one page when they fit on one. No row of any table is ever
    // split across two pages.
    virtual void keepRowsTogether(int table, int firstRow, int lastRow) = 0;

    // Every row of the table at least this high, in points.
    virtual void setMinimumRowHeight(int table, double points) = 0;

    // Justifies every paragraph of running text written so far, except the right-aligned ones;
    // paragraphs started later from a justified one are justified too. Table cells keep their
    // alignment: a justified narrow cell reads badly.
    virtual void justifyDocument() = 0;

    // Inserts an inline picture at the end of the document. An empty size keeps the picture's
    // own size, shrunk to fit the page. Returns the message of a picture that cannot be read,
    // which leaves the document as it was.
    virtual Result<void> insertPictureFile(const QString& path, QSizeF points) = 0;
    virtual Result<void> insertPicture(const QImage& image, QSizeF points) = 0;
    // Inserts an inline drawing that `paint` draws over `units`, `points` large on the page, as
    // vectors the reader draws itself; the drawing picks its details as it would on an image of
    // `detailDpi`.
    virtual Result<void> insertDrawing(const std::function<void(QPainter&)>& paint, QSizeF units,
                                       QSizeF points, double detailDpi) = 0;

    // Ends the current section of the document and starts a new one on a new page with the
    // given A4 page. The document starts in portrait.
    virtual void startSection(SectionPage page) = 0;

    // The number of pages the document takes now, estimated from its text, tables and pictures.
    virtual int estimatedPageCount() const = 0;

    // Writes the whole document to path. Returns the message of a failure, which leaves an
    // existing file at path as it was. The document stays open for further calls.
    virtual Result<void> save(const QString& path) const = 0;
};

} // namespace zant
