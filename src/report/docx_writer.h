#pragma once

#include "model/message.h"
#include "report/document_writer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class QIODevice;

namespace zant {

class XmlWriter;

// Writes the document as an Office Open XML package (.docx) on an A4 page, default font
// "Century Gothic". Word is not needed: the package is built here and zipped with libzip.
class DocxWriter final : public DocumentWriter
{
public:
    DocxWriter();

    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setParagraphFormat(const ParagraphFormat& format) override;
    void setPageFooter(const QString& leftText) override;
    void typeText(const QString& text) override;
    void typePageCountField() override;
    void addParagraph(const QString& text, double points) override;
    int addTable(int rows, int columns, double points) override;
    void setCellText(int table, int row, int column, const QString& text) override;
    void applyTableFormat(int table, int headerRows) override;
    void alignColumnRight(int table, int column) override;
    void fitColumnToContent(int table, int column) override;
    void keepRowsTogether(int table, int firstRow, int lastRow) override;
    void setMinimumRowHeight(int table, double points) override;
    void justifyDocument() override;
    QString insertPictureFile(const QString& path, QSizeF points) override;
    QString insertPicture(const QImage& image, QSizeF points) override;
    void startSection(SectionPage page) override;
    int estimatedPageCount() const override;
    QString save(const QString& path) const override;

    // Writes the package into an open device: a file being saved, or a buffer. The message says
    // why it could not; its text is empty when the device refused the bytes.
    Outcome writePackage(QIODevice& device) const;

private:
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
        ParagraphFormat layout;
        // A paragraph that ends a section carries that section's page.
        std::optional<SectionPage> sectionEnd;
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
        QList<double> rowHeights(const QList<int>& widths) const; // points
        int cellMargin() const;
        Cell& cell(int row, int column) { return cells[(row - 1) * columns + column - 1]; }
        const Cell& cell(int row, int column) const
        {
            return cells[(row - 1) * columns + column - 1];
        }
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

    static QString alignmentValue(Alignment alignment);
    void writeSectionProperties(XmlWriter& xml, SectionPage page) const;

    // The last paragraph of the document, where typed text goes.
    Paragraph& openParagraph() { return m_blocks.last().paragraph; }
    void startParagraph(const Format& mark, const Paragraph& from);
    void write(const QString& text, const Format& format);
    void appendRun(const Run& run);
    bool checkTable(int table);
    void recordFault(const QString& fault);
    QString addPictureData(const QByteArray& data, const QString& extension, QSize pixels,
                           double dotsPerMeter, QSizeF points);
    QList<int> columnWidths(const Table& table) const;
    QList<int> computeColumnWidths(const Table& table) const;
    QString mediaName(int pictureIndex) const;

    // document.xml, produced a few blocks or table rows at a time.
    class DocumentXml;
    quint64 estimatedDocumentBytes() const;
    void writeParagraph(XmlWriter& xml, const Paragraph& paragraph, int pageCount, int& drawingId,
                        bool keepWithNext) const;
    void writeDrawing(XmlWriter& xml, int pictureIndex, int drawingId) const;
    void writeTableStart(XmlWriter& xml, const Table& table, const QList<int>& widths) const;
    void writeTableRow(XmlWriter& xml, const Table& table, int row, const QList<int>& widths) const;
    QByteArray footerXml(int pageCount, int textWidth) const;
    QByteArray contentTypesXml() const;
    QByteArray documentRelsXml() const;
    QByteArray appXml(int pageCount) const;

    Format m_format;
    QList<Block> m_blocks;
    SectionPage m_section = SectionPage::Portrait; // the page of the section being written
    qsizetype m_sectionStart = -1; // the block that opened it, when it was started by a call
    QList<Table> m_tables;
    // Column widths of the tables while one package is being written: the page count and the
    // document both need them, and measuring every cell is the costly part of a large report.
    mutable QHash<const Table*, QList<int>> m_widthCache;
    mutable bool m_packaging = false;
    // Font and half-point size of each cell paragraph style, while a package is written.
    mutable QList<std::pair<QString, int>> m_cellLooks;
    QList<Picture> m_pictures;
    bool m_hasFooter = false;
    QString m_footerText;
    QString m_firstFault;
};

} // namespace zant
