#pragma once

#include "model/file_io.h"
#include "model/message.h"
#include "report/document_writer.h"
#include "report/docx_content.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace zant {

// Writes the document as an Office Open XML package (.docx) on an A4 page, default font
// "Century Gothic". Word is not needed: the package is built here and zipped with libzip.
class DocxWriter : public DocumentWriter
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
    void addHeading(const QString& text, int level, double points) override;
    int addTable(int rows, int columns, double points) override;
    void setCellText(int table, int row, int column, const QString& text) override;
    void applyTableFormat(int table, int headerRows) override;
    void alignColumnRight(int table, int column) override;
    void fitColumnToContent(int table, int column) override;
    void keepRowsTogether(int table, int firstRow, int lastRow) override;
    void setMinimumRowHeight(int table, double points) override;
    void justifyDocument() override;
    Result<void> insertPictureFile(const QString& path, QSizeF points) override;
    Result<void> insertPicture(const QImage& image, QSizeF points) override;
    // Drawings go in as Enhanced Metafiles.
    Result<void> insertDrawing(const std::function<void(QPainter&)>& paint, QSizeF units,
                               QSizeF points, double detailDpi) override;
    void startSection(SectionPage page) override;
    int estimatedPageCount() const override;
    Result<void> save(const QString& path) const override;
    // The same, into the targets given (tests pass failing ones).
    Result<void> save(const QString& path, const SaveTargetFactory& targets) const;

    // Writes the package into an open device: a file being saved, or a buffer. The message says
    // why it could not; its text is empty when the device refused the bytes.
    Result<void> writePackage(QIODevice& device) const;

private:
    // The last paragraph of the document, where typed text goes.
    docx::Paragraph& openParagraph() { return m_content.blocks.last().paragraph; }
    void startParagraph(const docx::Format& mark, const docx::Paragraph& from);
    void write(const QString& text, const docx::Format& format);
    void appendRun(const docx::Run& run);
    bool checkTable(int table);
    bool checkColumn(int table, int column);
    void recordFault(const QString& fault);
    Result<void> addPictureData(const QByteArray& data, const QString& extension, QSize pixels,
                                double dotsPerMeter, QSizeF points);

    docx::Content m_content;
    qsizetype m_sectionStart = -1; // the block that opened the current section, when a call did
    QString m_firstFault;
};

} // namespace zant
