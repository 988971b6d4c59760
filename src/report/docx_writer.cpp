#include "report/docx_writer.h"

#include "model/file_io.h"
#include "report/docx_body.h"
#include "report/docx_emf.h"
#include "report/docx_layout.h"
#include "report/docx_parts.h"
#include "report/docx_xml.h"
#include "report/docx_zip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace zant {

using namespace docx;

namespace {

constexpr int kMaxHalfPoints = 3276;

int toHalfPoints(double points)
{
    return int(std::lround(points * 2));
}

bool validSize(double points)
{
    return std::isfinite(points) && toHalfPoints(points) >= 2 &&
           toHalfPoints(points) <= kMaxHalfPoints;
}

QString builtWrongly(const QString& fault)
{
    return QStringLiteral("il documento è stato costruito in modo errato (%1)").arg(fault);
}

} // namespace

DocxWriter::DocxWriter()
{
    m_content.format.font = kDefaultFont;
    m_content.format.halfPoints = 24;
    Block first;
    first.paragraph.markFormat = m_content.format;
    m_content.blocks.append(first);
}

void DocxWriter::recordFault(const QString& fault)
{
    if (m_firstFault.isEmpty())
        m_firstFault = fault;
}

void DocxWriter::setFontName(const QString& name)
{
    if (name.trimmed().isEmpty()) {
        recordFault(QStringLiteral("nome del carattere mancante"));
        return;
    }
    m_content.format.font = name;
}

void DocxWriter::setFontSize(double points)
{
    if (!validSize(points)) {
        recordFault(QStringLiteral("dimensione del carattere non valida: %1").arg(points));
        return;
    }
    m_content.format.halfPoints = toHalfPoints(points);
}

// A new paragraph takes its layout from the one it follows, as in Word.
void DocxWriter::startParagraph(const Format& mark, const Paragraph& from)
{
    Block block;
    block.paragraph.markFormat = mark;
    block.paragraph.alignment = from.alignment;
    block.paragraph.layout = from.layout;
    m_content.blocks.append(block);
}

void DocxWriter::setParagraphFormat(const ParagraphFormat& format)
{
    if (!std::isfinite(format.spaceAfter) || format.spaceAfter < 0 || format.spaceAfter > 1584 ||
        !std::isfinite(format.lineSpacing) || format.lineSpacing <= 0 || format.lineSpacing > 10) {
        recordFault(QStringLiteral("formato di paragrafo non valido"));
        return;
    }
    Paragraph& paragraph = openParagraph();
    paragraph.layout = format;
    if (format.alignRight)
        paragraph.alignment = Alignment::Right;
    else if (paragraph.alignment == Alignment::Right)
        paragraph.alignment = Alignment::Left;
}

void DocxWriter::setPageFooter(const QString& leftText)
{
    m_content.hasFooter = true;
    m_content.footerText = cleanText(QString(leftText).replace(u'\t', u' ').replace(u'\v', u' '));
}

void DocxWriter::appendRun(const Run& run)
{
    Paragraph& paragraph = openParagraph();
    if (run.kind == Run::Kind::Text && !paragraph.runs.isEmpty()) {
        Run& last = paragraph.runs.last();
        if (last.kind == Run::Kind::Text && last.format == run.format) {
            last.text += run.text;
            return;
        }
    }
    paragraph.runs.append(run);
    paragraph.markFormat = run.format;
}

void DocxWriter::write(const QString& text, const Format& format)
{
    QString chunk;
    auto flush = [&] {
        const QString clean = cleanText(chunk);
        chunk.clear();
        if (!clean.isEmpty())
            appendRun({Run::Kind::Text, clean, format});
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            flush();
            openParagraph().markFormat = format;
            startParagraph(format, openParagraph());
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\f') {
            flush();
            appendRun({Run::Kind::PageBreak, {}, format});
        } else {
            chunk += c;
        }
    }
    flush();
}

void DocxWriter::typeText(const QString& text)
{
    write(text, m_content.format);
}

void DocxWriter::typePageCountField()
{
    appendRun({Run::Kind::PageCountField, {}, m_content.format});
}

void DocxWriter::addParagraph(const QString& text, double points)
{
    if (!validSize(points)) {
        recordFault(QStringLiteral("dimensione del carattere non valida: %1").arg(points));
        return;
    }
    const Format format{m_content.format.font, toHalfPoints(points)};
    // The first paragraph of a section goes in the empty one the section opened with, so that
    // the new page does not begin with a blank line.
    if (m_content.blocks.size() - 1 == m_sectionStart && openParagraph().runs.isEmpty())
        openParagraph().markFormat = format;
    else
        startParagraph(format, openParagraph());
    write(text, format);
}

void DocxWriter::addHeading(const QString& text, int level, double points)
{
    if (level < 1 || level > 2) {
        recordFault(QStringLiteral("livello di titolo non valido: %1").arg(level));
        return;
    }
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'\f', u' ');
    addParagraph(line, points);
    openParagraph().headingLevel = level;
}

void DocxWriter::startSection(SectionPage page)
{
    // A section ends with a paragraph that holds its page settings; a table cannot.
    if (m_content.blocks.last().table != 0)
        startParagraph(m_content.format, Paragraph{});
    openParagraph().sectionEnd = m_content.section;
    startParagraph(m_content.format, openParagraph());
    openParagraph().sectionEnd.reset();
    m_sectionStart = m_content.blocks.size() - 1;
    m_content.section = page;
}

int DocxWriter::addTable(int rows, int columns, double points)
{
    if (rows < 1 || columns < 1) {
        recordFault(
            QStringLiteral("tabella di %1 righe e %2 colonne non valida").arg(rows).arg(columns));
        return 0;
    }
    if (!validSize(points)) {
        recordFault(QStringLiteral("dimensione del carattere non valida: %1").arg(points));
        return 0;
    }
    Table table;
    table.rows = rows;
    table.columns = columns;
    table.format = {m_content.format.font, toHalfPoints(points)};
    table.cells.fill(Cell{{}, Alignment::Left}, qsizetype(rows) * columns);
    table.fitColumns.fill(false, columns);
    table.keepWithNextRow.fill(false, rows);
    table.width = textWidthOf(m_content.section);
    m_content.tables.append(table);
    const int number = int(m_content.tables.size());

    // An empty last paragraph turns into the table, unless it is what keeps this table apart
    // from the one before: readers merge adjacent tables into one.
    const bool previousIsTable =
        m_content.blocks.size() >= 2 && m_content.blocks[m_content.blocks.size() - 2].table > 0;
    Block block;
    block.table = number;
    if (openParagraph().runs.isEmpty() && !previousIsTable)
        m_content.blocks.last() = block;
    else
        m_content.blocks.append(block);
    const Paragraph before = openParagraph();
    startParagraph(m_content.format, before);
    return number;
}

bool DocxWriter::checkTable(int table)
{
    if (table < 1 || table > m_content.tables.size()) {
        recordFault(QStringLiteral("la tabella %1 non esiste").arg(table));
        return false;
    }
    return true;
}

bool DocxWriter::checkColumn(int table, int column)
{
    if (!checkTable(table))
        return false;
    const int columns = m_content.tables[table - 1].columns;
    if (column < 1 || column > columns) {
        recordFault(QStringLiteral("la colonna %1 è fuori dalla tabella %2 di %3 colonne")
                        .arg(column)
                        .arg(table)
                        .arg(columns));
        return false;
    }
    return true;
}

void DocxWriter::setCellText(int table, int row, int column, const QString& text)
{
    if (!checkTable(table))
        return;
    Table& t = m_content.tables[table - 1];
    if (row < 1 || row > t.rows || column < 1 || column > t.columns) {
        recordFault(QStringLiteral("la cella (%1, %2) è fuori dalla tabella %3 di %4 righe e %5 "
                                   "colonne")
                        .arg(row)
                        .arg(column)
                        .arg(table)
                        .arg(t.rows)
                        .arg(t.columns));
        return;
    }
    t.cell(row, column).text = text;
}

void DocxWriter::applyTableFormat(int table, int headerRows)
{
    if (!checkTable(table))
        return;
    Table& t = m_content.tables[table - 1];
    if (headerRows < 0 || headerRows > t.rows) {
        recordFault(QStringLiteral("%1 righe di intestazione non valide per la tabella %2 di %3 "
                                   "righe")
                        .arg(headerRows)
                        .arg(table)
                        .arg(t.rows));
        return;
    }
    t.formatted = true;
    t.headerRows = headerRows;
}

void DocxWriter::alignColumnRight(int table, int column)
{
    if (!checkColumn(table, column))
        return;
    Table& t = m_content.tables[table - 1];
    for (int row = 1; row <= t.rows; ++row)
        t.cell(row, column).alignment = Alignment::Right;
}

void DocxWriter::justifyDocument()
{
    for (Block& block : m_content.blocks)
        if (block.paragraph.alignment != Alignment::Right)
            block.paragraph.alignment = Alignment::Justify;
}

void DocxWriter::fitColumnToContent(int table, int column)
{
    if (checkColumn(table, column))
        m_content.tables[table - 1].fitColumns[column - 1] = true;
}

void DocxWriter::keepRowsTogether(int table, int firstRow, int lastRow)
{
    if (!checkTable(table))
        return;
    Table& t = m_content.tables[table - 1];
    if (firstRow < 1 || lastRow > t.rows || firstRow > lastRow) {
        recordFault(QStringLiteral("righe da %1 a %2 fuori dalla tabella %3 di %4 righe")
                        .arg(firstRow)
                        .arg(lastRow)
                        .arg(table)
                        .arg(t.rows));
        return;
    }
    for (int row = firstRow; row < lastRow; ++row)
        t.keepWithNextRow[row - 1] = true;
}

void DocxWriter::setMinimumRowHeight(int table, double points)
{
    if (!checkTable(table))
        return;
    if (!std::isfinite(points) || points < 0 || points > kTextHeight / 20.0) {
        recordFault(QStringLiteral("altezza di riga non valida: %1").arg(points));
        return;
    }
    m_content.tables[table - 1].minRowHeight = int(std::lround(points * 20));
}

Result<void> DocxWriter::insertPictureFile(const QString& path, QSizeF points)
{
    auto failure = [&](const QString& reason) {
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile inserire l'immagine \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(path), reason)));
    };
    QFile file(path);
    if (!file.exists())
        return failure(QStringLiteral("il file non esiste"));
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("il file non si può leggere (%1)").arg(file.errorString()));
    QByteArray data = file.readAll();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format().toLower();
    const QImage image = reader.read();
    if (image.isNull())
        return failure(QStringLiteral("il file non contiene un'immagine leggibile"));
    // Formats every reader shows are embedded as they are; anything else becomes PNG.
    static const QList<QByteArray> embedded = {"png", "jpeg", "gif", "bmp"};
    if (!embedded.contains(format))
        return insertPicture(image, points);
    return addPictureData(data, QString::fromLatin1(format), image.size(), image.dotsPerMeterX(),
                          points);
}

Result<void> DocxWriter::insertPicture(const QImage& image, QSizeF points)
{
    if (image.isNull())
        return Error(ErrorKind::File, critical(QStringLiteral(
                                          "Impossibile inserire l'immagine: l'immagine è vuota")));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    // Quality 80 is zlib level 1: line drawings shrink almost as much as at the default level in
    // a fraction of the time, which matters for a report of many sheets.
    if (!image.save(&buffer, "PNG", 80))
        return Error(ErrorKind::File,
                     critical(QStringLiteral(
                         "Impossibile inserire l'immagine: conversione in PNG non riuscita")));
    return addPictureData(data, QStringLiteral("png"), image.size(), image.dotsPerMeterX(), points);
}

Result<void> DocxWriter::insertDrawing(const std::function<void(QPainter&)>& paint, QSizeF units,
                                       QSizeF points, double detailDpi)
{
    if (units.isEmpty() || points.isEmpty())
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("Impossibile inserire il disegno: il disegno è vuoto")));
    return addPictureData(docx::emfPicture(paint, units, points, detailDpi), QStringLiteral("emf"),
                          QSize(int(std::ceil(points.width())), int(std::ceil(points.height()))), 0,
                          points);
}

Result<void> DocxWriter::addPictureData(const QByteArray& data, const QString& extension,
                                        QSize pixels, double dotsPerMeter, QSizeF points)
{
    const double aspect = double(pixels.height()) / pixels.width();
    QSizeF size = points;
    if (size.width() > 0 && size.height() <= 0) {
        size.setHeight(size.width() * aspect);
    } else if (size.height() > 0 && size.width() <= 0) {
        size.setWidth(size.height() / aspect);
    } else if (size.width() <= 0 && size.height() <= 0) {
        const double dpi = dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : 96.0;
        size = QSizeF(pixels.width() * 72.0 / dpi, pixels.height() * 72.0 / dpi);
        const double fit =
            std::min({1.0, kTextWidth / 20.0 / size.width(), kTextHeight / 20.0 / size.height()});
        size *= fit;
    }
    Picture picture;
    picture.data = data;
    picture.extension = extension;
    picture.widthEmu = std::llround(size.width() * kEmuPerPoint);
    picture.heightEmu = std::llround(size.height() * kEmuPerPoint);
    m_content.pictures.append(picture);

    Run run{Run::Kind::Picture, {}, m_content.format};
    run.picture = int(m_content.pictures.size()) - 1;
    appendRun(run);
    return {};
}

int DocxWriter::estimatedPageCount() const
{
    return layOut(m_content).pageCount;
}

Result<void> DocxWriter::writePackage(QIODevice& device) const
{
    if (!m_firstFault.isEmpty())
        return Error(ErrorKind::Refused, critical(builtWrongly(m_firstFault)));
    // The tables are measured once, for the page count and the document.
    const Layout layout = layOut(m_content);
    const QList<CellLook> looks = cellLooks(m_content);
    DocumentXml body(m_content, layout, looks);
    auto part = [](const QString& name, const QByteArray& data) {
        return ZipEntry{.name = name, .data = data};
    };
    QList<ZipEntry> entries = {
        part(QStringLiteral("[Content_Types].xml"), contentTypesXml(m_content)),
        part(QStringLiteral("_rels/.rels"), packageRelsXml()),
        ZipEntry{.name = QStringLiteral("word/document.xml"),
                 .next = [&body](QByteArray& out) { return body.next(out); },
                 .estimatedSize = DocumentXml::estimatedBytes(m_content)},
        part(QStringLiteral("word/_rels/document.xml.rels"), documentRelsXml(m_content)),
        part(QStringLiteral("word/styles.xml"), stylesXml(looks, usesHeadings(m_content))),
        part(QStringLiteral("word/settings.xml"), settingsXml()),
        part(QStringLiteral("docProps/core.xml"), coreXml()),
        part(QStringLiteral("docProps/app.xml"), appXml(layout.pageCount)),
    };
    if (m_content.hasFooter) {
        for (const SectionPage page : kSectionPages)
            entries.append(part(QStringLiteral("word/") + footerName(page),
                                footerXml(m_content, layout.pageCount, page)));
    }
    for (int i = 0; i < m_content.pictures.size(); ++i)
        entries.append(ZipEntry{.name = QStringLiteral("word/") + mediaName(m_content, i),
                                .data = m_content.pictures[i].data,
                                .compress = false});
    return writeZip(device, entries);
}

Result<void> DocxWriter::save(const QString& path) const
{
    return save(path, makeFileTarget);
}

Result<void> DocxWriter::save(const QString& path, const SaveTargetFactory& targets) const
{
    // A fault of the document is told before any file is touched.
    auto refused = [&](const QString& reason) {
        return QStringLiteral("Impossibile scrivere il documento \"%1\": %2")
            .arg(displayPath(path), reason);
    };
    if (!m_firstFault.isEmpty())
        return Error(ErrorKind::Refused, critical(refused(builtWrongly(m_firstFault))));
    return saveFile(
        path,
        [&](QIODevice& device) {
            Result<void> result = writePackage(device);
            if (!result.ok() && result.error().type != ErrorKind::Write)
                result.error().text = refused(result.error().text);
            return result;
        },
        targets);
}

} // namespace zant