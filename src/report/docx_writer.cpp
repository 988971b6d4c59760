#include "report/docx_writer.h"

#include "model/file_io.h"
#include "report/xml_writer.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QScopeGuard>

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace zant {

namespace {

// A4 in twips (1/20 point) with Word's usual Italian margins: 2.5 cm on top, 2 cm elsewhere.
constexpr int kPageWidth = 11906;
constexpr int kPageHeight = 16838;
constexpr int kMarginTop = 1417;
constexpr int kMarginBottom = 1134;
constexpr int kMarginSide = 1134;
constexpr int kTextWidth = kPageWidth - 2 * kMarginSide;
// Word's "narrow" side margins, 1.27 cm, on the pages of a table that needs the width.
constexpr int kNarrowMarginSide = 720;
// Each kind of section page has a footer of its own, centred on that page's text width.
constexpr SectionPage kSectionPages[] = {SectionPage::Portrait, SectionPage::Landscape,
                                         SectionPage::PortraitWide};

int textWidthOf(SectionPage page)
{
    switch (page) {
    case SectionPage::Landscape:
        return kPageHeight - 2 * kMarginSide;
    case SectionPage::PortraitWide:
        return kPageWidth - 2 * kNarrowMarginSide;
    case SectionPage::Portrait:
        break;
    }
    return kTextWidth;
}

QString footerName(SectionPage page)
{
    return u"footer%1.xml"_s.arg(int(page) + 1);
}
constexpr int kTextHeight = kPageHeight - kMarginTop - kMarginBottom;
// Left and right padding of every cell, from the default table style.
constexpr int kCellMargin = 108;
// Formatted tables sit closer to their lines: with seven columns on a page the default padding
// alone would take 3.4 cm from the descriptions.
constexpr int kFormattedCellMargin = 57;
// A soft hyphen: where a long heading word may break, with a hyphen shown only when it does.
constexpr char16_t kSoftHyphen = 0x00AD;
constexpr double kEmuPerPoint = 12700.0;
constexpr int kMaxHalfPoints = 3276;

const QString kDefaultFont = u"Century Gothic"_s;
const QString kFormatStyle = u"ZantColorful2"_s;
const QString kPlainStyle = u"TableGrid"_s;

// Colours of the table format: a dark header with white bold text over light warm body rows.
const QString kHeaderFill = u"7A1F2B"_s;
const QString kHeaderText = u"FFFFFF"_s;
const QString kBodyFill = u"FFF8E1"_s;
const QString kBandFill = u"F9E3B4"_s;
const QString kInnerBorder = u"C9A66B"_s;

const QString kNsW = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"_s;
const QString kNsR = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships"_s;
const QString kNsWp = u"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"_s;
const QString kNsA = u"http://schemas.openxmlformats.org/drawingml/2006/main"_s;
const QString kNsPic = u"http://schemas.openxmlformats.org/drawingml/2006/picture"_s;
const QString kRelBase = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"_s;
const QString kMainType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
const QString kWmlType = u"application/vnd.openxmlformats-officedocument.wordprocessingml."_s;

// Relationship ids of document.xml: styles and settings first, then one per picture.
constexpr int kFirstPictureRel = 3;

struct Part
{
    QString name;
    QByteArray data;
    bool compress = true;
    // Produced while the archive is written instead of held in data.
    bool streamed = false;
};

int toHalfPoints(double points)
{
    return int(std::lround(points * 2));
}

bool validSize(double points)
{
    return std::isfinite(points) && toHalfPoints(points) >= 2 &&
           toHalfPoints(points) <= kMaxHalfPoints;
}

// Keeps what a paragraph can carry: XML 1.0 has no place for most control characters, lone
// surrogates or U+FFFE/U+FFFF. Tab and vertical tab survive because they become w:tab and w:br.
QString cleanText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) {
            continue;
        }
        if (u < 0x20 && u != u'\t' && u != u'\v') {
            continue;
        }
        out += c;
    }
    return out;
}

// Splits on carriage returns and line feeds, a CR LF pair counting once.
QStringList splitParagraphs(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines += current;
            current.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            current += c;
        }
    }
    lines += current;
    return lines;
}

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
    for (const QString& part : splitParagraphs(text)) {
        line(cleanText(part));
    }
}

// Rough advance widths in ems, on the wide side: Century Gothic is a wide face and the fonts
// that stand in for it where it is missing are wider still. Good enough to size columns and count
// pages.
double textWidthPoints(QStringView text, double points)
{
    double ems = 0;
    for (const QChar c : text) {
        if (c == kSoftHyphen) {
            continue;
        }
        if (c == u' ') {
            ems += 0.3;
        } else if (c == u'\t') {
            ems += 36.0 / points;
        } else if (c.isDigit()) {
            ems += 0.6;
        } else if (c.isUpper() || c == u'm' || c == u'w') {
            ems += 0.75;
        } else if (QStringView(u"iljtfr.,:;'!|()").contains(c)) {
            ems += 0.3;
        } else {
            ems += 0.56;
        }
    }
    return ems * points;
}

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
    if (widthPoints <= 0 || columnPoints <= 0) {
        return 1;
    }
    return std::max(1, int(std::ceil(widthPoints * 1.04 / columnPoints)));
}

// Follows the text down the pages, one line at a time.
class PageFlow final
{
public:
    void addLine(double height)
    {
        if (m_used > 0 && m_used + height > kTextHeight / 20.0) {
            newPage();
        }
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

// The archive's output: libzip writes the package straight into the device the save helper
// opened, seeking back only to complete each entry's header.
struct DeviceSink
{
    QIODevice* device = nullptr;
    zip_error_t error;
    int systemError = 0;
};

zip_int64_t deviceSinkCommand(void* userdata, void* data, zip_uint64_t length,
                              zip_source_cmd_t command)
{
    auto* sink = static_cast<DeviceSink*>(userdata);
    QIODevice& device = *sink->device;
    switch (command) {
    case ZIP_SOURCE_STAT:
        // A new archive: nothing to read back.
        zip_error_set(&sink->error, ZIP_ER_READ, ENOENT);
        return -1;
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_WRITE: {
        errno = 0;
        const qint64 written = device.write(static_cast<const char*>(data), qint64(length));
        if (written != qint64(length)) {
            sink->systemError = errno;
            zip_error_set(&sink->error, ZIP_ER_WRITE, errno);
            return -1;
        }
        return written;
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &sink->error);
        if (!seek) {
            return -1;
        }
        qint64 base = 0;
        if (seek->whence == SEEK_CUR) {
            base = device.pos();
        } else if (seek->whence == SEEK_END) {
            base = device.size();
        }
        errno = 0;
        if (!device.seek(base + seek->offset)) {
            sink->systemError = errno;
            zip_error_set(&sink->error, ZIP_ER_SEEK, errno);
            return -1;
        }
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
        return device.pos();
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE,
            ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE,
            ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, ZIP_SOURCE_SUPPORTS,
            -1);
    default:
        zip_error_set(&sink->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// A part produced piece by piece while libzip compresses it, so that the largest document never
// lies whole in memory. `next` appends the following piece and returns false at the end.
struct StreamedPart
{
    std::function<bool(QByteArray&)> next;
    quint64 size = 0;
    QByteArray piece;
    qsizetype offset = 0;
    bool finished = false;
    zip_error_t error;
};

zip_int64_t streamedPartCommand(void* userdata, void* data, zip_uint64_t length,
                                zip_source_cmd_t command)
{
    auto* part = static_cast<StreamedPart*>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &part->error);
        if (!stat) {
            return -1;
        }
        // libzip decides from the announced size whether the entry needs Zip64 headers, which
        // older readers refuse; the real size is recorded once the part is written. A part far
        // beyond the estimate and past 4 GB makes libzip fail rather than write a damaged file.
        stat->size = part->size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_READ: {
        auto* out = static_cast<char*>(data);
        zip_uint64_t done = 0;
        while (done < length) {
            if (part->offset == part->piece.size()) {
                part->piece.resize(0);
                part->offset = 0;
                if (part->finished || !part->next(part->piece)) {
                    part->finished = true;
                    if (part->piece.isEmpty()) {
                        break;
                    }
                }
                continue;
            }
            const qsizetype take =
                qsizetype(std::min<zip_uint64_t>(length - done, part->piece.size() - part->offset));
            std::memcpy(out + done, part->piece.constData() + part->offset, size_t(take));
            part->offset += take;
            done += zip_uint64_t(take);
        }
        return zip_int64_t(done);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&part->error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&part->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// Writes into a string, which is far faster than through an I/O device for the many small
// writes of a large table, and encodes the whole part as UTF-8 at the end.
class XmlPart final
{
public:
    XmlPart() : m_xml(&m_text)
    {
        m_text.reserve(1 << 16);
        m_text += u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"_s;
    }
    XmlWriter& xml() { return m_xml; }
    QByteArray finish()
    {
        m_xml.writeEndDocument();
        return m_text.toUtf8();
    }

private:
    QString m_text;
    XmlWriter m_xml;
};

void writeValue(XmlWriter& xml, const QString& element, const QString& value)
{
    xml.writeEmptyElement(element);
    xml.writeAttribute(u"w:val"_s, value);
}

void writeShading(XmlWriter& xml, const QString& fill)
{
    xml.writeEmptyElement(u"w:shd"_s);
    xml.writeAttribute(u"w:val"_s, u"clear"_s);
    xml.writeAttribute(u"w:color"_s, u"auto"_s);
    xml.writeAttribute(u"w:fill"_s, fill);
}

void writeBorder(XmlWriter& xml, const QString& side, int eighths, const QString& color)
{
    xml.writeEmptyElement(u"w:"_s + side);
    xml.writeAttribute(u"w:val"_s, u"single"_s);
    xml.writeAttribute(u"w:sz"_s, QString::number(eighths));
    xml.writeAttribute(u"w:space"_s, u"0"_s);
    xml.writeAttribute(u"w:color"_s, color);
}

void writeBorders(XmlWriter& xml, int outer, const QString& outerColor, int inner,
                  const QString& innerColor)
{
    xml.writeStartElement(u"w:tblBorders"_s);
    for (const char* side : {"top", "left", "bottom", "right"}) {
        writeBorder(xml, QString::fromLatin1(side), outer, outerColor);
    }
    writeBorder(xml, u"insideH"_s, inner, innerColor);
    writeBorder(xml, u"insideV"_s, inner, innerColor);
    xml.writeEndElement();
}

void writeTwips(XmlWriter& xml, const QString& element, int twips)
{
    xml.writeEmptyElement(element);
    xml.writeAttribute(u"w:w"_s, QString::number(twips));
    xml.writeAttribute(u"w:type"_s, u"dxa"_s);
}

// Run properties; header carries the bold light text of header rows beyond the first, which
// the table style only gives to the first row.
void writeRunProperties(XmlWriter& xml, const QString& font, int halfPoints, bool header = false)
{
    xml.writeStartElement(u"w:rPr"_s);
    static const QString fontSlots[] = {u"w:ascii"_s, u"w:hAnsi"_s, u"w:eastAsia"_s, u"w:cs"_s};
    xml.writeEmptyElement(u"w:rFonts"_s);
    for (const QString& slot : fontSlots) {
        xml.writeAttribute(slot, font);
    }
    if (header) {
        xml.writeEmptyElement(u"w:b"_s);
        xml.writeEmptyElement(u"w:bCs"_s);
        writeValue(xml, u"w:color"_s, kHeaderText);
    }
    writeValue(xml, u"w:sz"_s, QString::number(halfPoints));
    writeValue(xml, u"w:szCs"_s, QString::number(halfPoints));
    xml.writeEndElement();
}

// Text of one run, with tabs and line breaks as their own elements. Every w:t preserves its
// blanks: numbers are written with a leading blank that readers would otherwise drop.
void writeRunText(XmlWriter& xml, const QString& text)
{
    if (!text.contains(u'\t') && !text.contains(u'\v') && !text.contains(QChar(kSoftHyphen))) {
        xml.writeStartElement(u"w:t"_s);
        xml.writeAttribute(u"xml:space"_s, u"preserve"_s);
        xml.writeCharacters(text);
        xml.writeEndElement();
        return;
    }
    QString piece;
    auto flush = [&] {
        if (piece.isEmpty()) {
            return;
        }
        xml.writeStartElement(u"w:t"_s);
        xml.writeAttribute(u"xml:space"_s, u"preserve"_s);
        xml.writeCharacters(piece);
        xml.writeEndElement();
        piece.clear();
    };
    for (const QChar c : text) {
        if (c == u'\t') {
            flush();
            xml.writeEmptyElement(u"w:tab"_s);
        } else if (c == u'\v') {
            flush();
            xml.writeEmptyElement(u"w:br"_s);
        } else if (c == kSoftHyphen) {
            flush();
            xml.writeEmptyElement(u"w:softHyphen"_s);
        } else {
            piece += c;
        }
    }
    flush();
}

void writeAlignment(XmlWriter& xml, const QString& value)
{
    if (!value.isEmpty()) {
        writeValue(xml, u"w:jc"_s, value);
    }
}

void writeFieldChar(XmlWriter& xml, const QString& font, int halfPoints, const QString& type)
{
    xml.writeStartElement(u"w:r"_s);
    writeRunProperties(xml, font, halfPoints);
    xml.writeEmptyElement(u"w:fldChar"_s);
    xml.writeAttribute(u"w:fldCharType"_s, type);
    xml.writeEndElement();
}

QByteArray packageRelsXml()
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"Relationships"_s);
    xml.writeDefaultNamespace(u"http://schemas.openxmlformats.org/package/2006/relationships"_s);
    const QList<std::pair<QString, QString>> rels = {
        {kRelBase + u"officeDocument"_s, u"word/document.xml"_s},
        {QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
                        "core-properties"),
         u"docProps/core.xml"_s},
        {kRelBase + u"extended-properties"_s, u"docProps/app.xml"_s},
    };
    int id = 0;
    for (const auto& [type, target] : rels) {
        xml.writeEmptyElement(u"Relationship"_s);
        xml.writeAttribute(u"Id"_s, u"rId%1"_s.arg(++id));
        xml.writeAttribute(u"Type"_s, type);
        xml.writeAttribute(u"Target"_s, target);
    }
    xml.writeEndElement();
    return part.finish();
}

// Styles of the table cells' paragraphs, one per font and size in use: a cell then names its
// style instead of repeating the run properties, which keeps the rows of a large table small.
QString cellStyleId(int index)
{
    return u"ZantCella%1"_s.arg(index + 1);
}

QByteArray stylesXml(const QList<std::pair<QString, int>>& cellLooks)
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"w:styles"_s);
    xml.writeNamespace(kNsW, u"w"_s);

    // Single spacing and no space after paragraphs, as the documents' layouts were drawn for:
    // the cover page counts its empty lines to reach the bottom of the page.
    xml.writeStartElement(u"w:docDefaults"_s);
    xml.writeStartElement(u"w:rPrDefault"_s);
    xml.writeStartElement(u"w:rPr"_s);
    xml.writeEmptyElement(u"w:rFonts"_s);
    for (const char* slot : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"}) {
        xml.writeAttribute(QString::fromLatin1(slot), kDefaultFont);
    }
    writeValue(xml, u"w:sz"_s, u"24"_s);
    writeValue(xml, u"w:szCs"_s, u"24"_s);
    xml.writeEmptyElement(u"w:lang"_s);
    xml.writeAttribute(u"w:val"_s, u"it-IT"_s);
    xml.writeAttribute(u"w:eastAsia"_s, u"it-IT"_s);
    xml.writeAttribute(u"w:bidi"_s, u"ar-SA"_s);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(u"w:pPrDefault"_s);
    xml.writeStartElement(u"w:pPr"_s);
    xml.writeEmptyElement(u"w:spacing"_s);
    xml.writeAttribute(u"w:after"_s, u"0"_s);
    xml.writeAttribute(u"w:line"_s, u"240"_s);
    xml.writeAttribute(u"w:lineRule"_s, u"auto"_s);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();

    auto startStyle = [&](const QString& type, const QString& id, const QString& name,
                          bool isDefault) {
        xml.writeStartElement(u"w:style"_s);
        xml.writeAttribute(u"w:type"_s, type);
        if (isDefault) {
            xml.writeAttribute(u"w:default"_s, u"1"_s);
        }
        xml.writeAttribute(u"w:styleId"_s, id);
        writeValue(xml, u"w:name"_s, name);
    };

    startStyle(u"paragraph"_s, u"Normal"_s, u"Normal"_s, true);
    xml.writeEmptyElement(u"w:qFormat"_s);
    xml.writeEndElement();

    for (qsizetype i = 0; i < cellLooks.size(); ++i) {
        const auto& [font, halfPoints] = cellLooks[i];
        startStyle(u"paragraph"_s, cellStyleId(int(i)),
                   u"ZANT cella %1 (%2 pt)"_s.arg(i + 1).arg(halfPoints / 2.0), false);
        writeValue(xml, u"w:basedOn"_s, u"Normal"_s);
        writeRunProperties(xml, font, halfPoints);
        xml.writeEndElement();
    }

    startStyle(u"character"_s, u"DefaultParagraphFont"_s, u"Default Paragraph Font"_s, true);
    writeValue(xml, u"w:uiPriority"_s, u"1"_s);
    xml.writeEmptyElement(u"w:semiHidden"_s);
    xml.writeEndElement();

    startStyle(u"table"_s, u"TableNormal"_s, u"Normal Table"_s, true);
    xml.writeEmptyElement(u"w:semiHidden"_s);
    xml.writeStartElement(u"w:tblPr"_s);
    writeTwips(xml, u"w:tblInd"_s, 0);
    xml.writeStartElement(u"w:tblCellMar"_s);
    writeTwips(xml, u"w:top"_s, 0);
    writeTwips(xml, u"w:left"_s, kCellMargin);
    writeTwips(xml, u"w:bottom"_s, 0);
    writeTwips(xml, u"w:right"_s, kCellMargin);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();

    startStyle(u"numbering"_s, u"NoList"_s, u"No List"_s, true);
    xml.writeEmptyElement(u"w:semiHidden"_s);
    xml.writeEndElement();

    // The look of a table that was never formatted: thin black lines, as Word draws a new table.
    startStyle(u"table"_s, kPlainStyle, u"Table Grid"_s, false);
    writeValue(xml, u"w:basedOn"_s, u"TableNormal"_s);
    xml.writeStartElement(u"w:tblPr"_s);
    writeBorders(xml, 4, u"auto"_s, 4, u"auto"_s);
    xml.writeEndElement();
    xml.writeEndElement();

    startStyle(u"table"_s, kFormatStyle, u"ZANT Colorful 2"_s, false);
    writeValue(xml, u"w:basedOn"_s, u"TableNormal"_s);
    writeValue(xml, u"w:uiPriority"_s, u"99"_s);
    xml.writeStartElement(u"w:tblPr"_s);
    writeValue(xml, u"w:tblStyleRowBandSize"_s, u"1"_s);
    writeBorders(xml, 12, kHeaderFill, 4, kInnerBorder);
    xml.writeStartElement(u"w:tblCellMar"_s);
    writeTwips(xml, u"w:left"_s, kFormattedCellMargin);
    writeTwips(xml, u"w:right"_s, kFormattedCellMargin);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(u"w:tcPr"_s);
    writeShading(xml, kBodyFill);
    xml.writeEndElement();

    xml.writeStartElement(u"w:tblStylePr"_s);
    xml.writeAttribute(u"w:type"_s, u"firstRow"_s);
    xml.writeStartElement(u"w:rPr"_s);
    xml.writeEmptyElement(u"w:b"_s);
    xml.writeEmptyElement(u"w:bCs"_s);
    writeValue(xml, u"w:color"_s, kHeaderText);
    xml.writeEndElement();
    xml.writeStartElement(u"w:tcPr"_s);
    writeShading(xml, kHeaderFill);
    xml.writeEndElement();
    xml.writeEndElement();

    for (const auto& [band, fill] :
         {std::pair{u"band1Horz"_s, kBodyFill}, std::pair{u"band2Horz"_s, kBandFill}}) {
        xml.writeStartElement(u"w:tblStylePr"_s);
        xml.writeAttribute(u"w:type"_s, band);
        xml.writeStartElement(u"w:tcPr"_s);
        writeShading(xml, fill);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();

    xml.writeEndElement();
    return part.finish();
}

QByteArray settingsXml()
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"w:settings"_s);
    xml.writeNamespace(kNsW, u"w"_s);
    xml.writeEmptyElement(u"w:zoom"_s);
    xml.writeAttribute(u"w:percent"_s, u"100"_s);
    writeValue(xml, u"w:defaultTabStop"_s, u"708"_s);
    writeValue(xml, u"w:characterSpacingControl"_s, u"doNotCompress"_s);
    xml.writeStartElement(u"w:compat"_s);
    xml.writeEmptyElement(u"w:compatSetting"_s);
    xml.writeAttribute(u"w:name"_s, u"compatibilityMode"_s);
    xml.writeAttribute(u"w:uri"_s, u"http://schemas.microsoft.com/office/word"_s);
    xml.writeAttribute(u"w:val"_s, u"15"_s);
    xml.writeEndElement();
    xml.writeEndElement();
    return part.finish();
}

QByteArray coreXml()
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"cp:coreProperties"_s);
    xml.writeNamespace(u"http://schemas.openxmlformats.org/package/2006/metadata/core-properties"_s,
                       u"cp"_s);
    xml.writeNamespace(u"http://purl.org/dc/elements/1.1/"_s, u"dc"_s);
    xml.writeNamespace(u"http://purl.org/dc/terms/"_s, u"dcterms"_s);
    xml.writeNamespace(u"http://www.w3.org/2001/XMLSchema-instance"_s, u"xsi"_s);
    xml.writeTextElement(u"dc:creator"_s, u"ZANT"_s);
    xml.writeTextElement(u"cp:lastModifiedBy"_s, u"ZANT"_s);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    for (const char* element : {"dcterms:created", "dcterms:modified"}) {
        xml.writeStartElement(QString::fromLatin1(element));
        xml.writeAttribute(u"xsi:type"_s, u"dcterms:W3CDTF"_s);
        xml.writeCharacters(now);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return part.finish();
}

} // namespace

DocxWriter::DocxWriter()
{
    m_format.font = kDefaultFont;
    m_format.halfPoints = 24;
    Block first;
    first.paragraph.markFormat = m_format;
    m_blocks.append(first);
}

void DocxWriter::recordFault(const QString& fault)
{
    if (m_firstFault.isEmpty()) {
        m_firstFault = fault;
    }
}

void DocxWriter::setFontName(const QString& name)
{
    if (name.trimmed().isEmpty()) {
        recordFault(u"nome del carattere mancante"_s);
        return;
    }
    m_format.font = name;
}

void DocxWriter::setFontSize(double points)
{
    if (!validSize(points)) {
        recordFault(u"dimensione del carattere non valida: %1"_s.arg(points));
        return;
    }
    m_format.halfPoints = toHalfPoints(points);
}

// A new paragraph takes its layout from the one it follows, as in Word.
void DocxWriter::startParagraph(const Format& mark, const Paragraph& from)
{
    Block block;
    block.paragraph.markFormat = mark;
    block.paragraph.alignment = from.alignment;
    block.paragraph.layout = from.layout;
    m_blocks.append(block);
}

void DocxWriter::setParagraphFormat(const ParagraphFormat& format)
{
    if (!std::isfinite(format.spaceAfter) || format.spaceAfter < 0 || format.spaceAfter > 1584 ||
        !std::isfinite(format.lineSpacing) || format.lineSpacing <= 0 || format.lineSpacing > 10) {
        recordFault(u"formato di paragrafo non valido"_s);
        return;
    }
    Paragraph& paragraph = openParagraph();
    paragraph.layout = format;
    if (format.alignRight) {
        paragraph.alignment = Alignment::Right;
    } else if (paragraph.alignment == Alignment::Right) {
        paragraph.alignment = Alignment::Left;
    }
}

void DocxWriter::setPageFooter(const QString& leftText)
{
    m_hasFooter = true;
    m_footerText = cleanText(QString(leftText).replace(u'\t', u' ').replace(u'\v', u' '));
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
        if (!clean.isEmpty()) {
            appendRun({Run::Kind::Text, clean, format});
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            flush();
            openParagraph().markFormat = format;
            startParagraph(format, openParagraph());
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
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
    write(text, m_format);
}

void DocxWriter::typePageCountField()
{
    appendRun({Run::Kind::PageCountField, {}, m_format});
}

void DocxWriter::addParagraph(const QString& text, double points)
{
    if (!validSize(points)) {
        recordFault(u"dimensione del carattere non valida: %1"_s.arg(points));
        return;
    }
    const Format format{m_format.font, toHalfPoints(points)};
    // The first paragraph of a section goes in the empty one the section opened with, so that
    // the new page does not begin with a blank line.
    if (m_blocks.size() - 1 == m_sectionStart && openParagraph().runs.isEmpty())
        openParagraph().markFormat = format;
    else
        startParagraph(format, openParagraph());
    write(text, format);
}

void DocxWriter::startSection(SectionPage page)
{
    // A section ends with a paragraph that holds its page settings; a table cannot.
    if (m_blocks.last().table != 0)
        startParagraph(m_format, Paragraph{});
    openParagraph().sectionEnd = m_section;
    startParagraph(m_format, openParagraph());
    openParagraph().sectionEnd.reset();
    m_sectionStart = m_blocks.size() - 1;
    m_section = page;
}

int DocxWriter::addTable(int rows, int columns, double points)
{
    if (rows < 1 || columns < 1) {
        recordFault(u"tabella di %1 righe e %2 colonne non valida"_s.arg(rows).arg(columns));
        return 0;
    }
    if (!validSize(points)) {
        recordFault(u"dimensione del carattere non valida: %1"_s.arg(points));
        return 0;
    }
    Table table;
    table.rows = rows;
    table.columns = columns;
    table.format = {m_format.font, toHalfPoints(points)};
    table.cells.fill(Cell{{}, Alignment::Left}, qsizetype(rows) * columns);
    table.fitColumns.fill(false, columns);
    table.keepWithNextRow.fill(false, rows);
    table.width = textWidthOf(m_section);
    m_tables.append(table);
    const int number = int(m_tables.size());

    // An empty last paragraph turns into the table, unless it is what keeps this table apart
    // from the one before: readers merge adjacent tables into one.
    const bool previousIsTable = m_blocks.size() >= 2 && m_blocks[m_blocks.size() - 2].table > 0;
    Block block;
    block.table = number;
    if (openParagraph().runs.isEmpty() && !previousIsTable) {
        m_blocks.last() = block;
    } else {
        m_blocks.append(block);
    }
    const Paragraph before = openParagraph();
    startParagraph(m_format, before);
    return number;
}

bool DocxWriter::checkTable(int table)
{
    if (table < 1 || table > m_tables.size()) {
        recordFault(u"la tabella %1 non esiste"_s.arg(table));
        return false;
    }
    return true;
}

void DocxWriter::setCellText(int table, int row, int column, const QString& text)
{
    if (!checkTable(table)) {
        return;
    }
    Table& t = m_tables[table - 1];
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
    if (!checkTable(table)) {
        return;
    }
    Table& t = m_tables[table - 1];
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
    if (!checkTable(table)) {
        return;
    }
    Table& t = m_tables[table - 1];
    if (column < 1 || column > t.columns) {
        recordFault(
            u"la colonna %1 è fuori dalla tabella %2 di %3 colonne"_s.arg(column).arg(table).arg(
                t.columns));
        return;
    }
    for (int row = 1; row <= t.rows; ++row) {
        t.cell(row, column).alignment = Alignment::Right;
    }
}

void DocxWriter::justifyDocument()
{
    for (Block& block : m_blocks) {
        if (block.paragraph.alignment != Alignment::Right) {
            block.paragraph.alignment = Alignment::Justify;
        }
    }
}

void DocxWriter::fitColumnToContent(int table, int column)
{
    if (!checkTable(table)) {
        return;
    }
    Table& t = m_tables[table - 1];
    if (column < 1 || column > t.columns) {
        recordFault(
            u"la colonna %1 è fuori dalla tabella %2 di %3 colonne"_s.arg(column).arg(table).arg(
                t.columns));
        return;
    }
    t.fitColumns[column - 1] = true;
}

void DocxWriter::keepRowsTogether(int table, int firstRow, int lastRow)
{
    if (!checkTable(table)) {
        return;
    }
    Table& t = m_tables[table - 1];
    if (firstRow < 1 || lastRow > t.rows || firstRow > lastRow) {
        recordFault(u"righe da %1 a %2 fuori dalla tabella %3 di %4 righe"_s.arg(firstRow)
                        .arg(lastRow)
                        .arg(table)
                        .arg(t.rows));
        return;
    }
    for (int row = firstRow; row < lastRow; ++row) {
        t.keepWithNextRow[row - 1] = true;
    }
}

void DocxWriter::setMinimumRowHeight(int table, double points)
{
    if (!checkTable(table)) {
        return;
    }
    if (!std::isfinite(points) || points < 0 || points > kTextHeight / 20.0) {
        recordFault(u"altezza di riga non valida: %1"_s.arg(points));
        return;
    }
    m_tables[table - 1].minRowHeight = int(std::lround(points * 20));
}

QString DocxWriter::insertPictureFile(const QString& path, QSizeF points)
{
    auto failure = [&](const QString& reason) {
        return u"Impossibile inserire l'immagine \"%1\": %2"_s.arg(QDir::toNativeSeparators(path),
                                                                   reason);
    };
    QFile file(path);
    if (!file.exists()) {
        return failure(u"il file non esiste"_s);
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return failure(u"il file non si può leggere (%1)"_s.arg(file.errorString()));
    }
    QByteArray data = file.readAll();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format().toLower();
    const QImage image = reader.read();
    if (image.isNull()) {
        return failure(u"il file non contiene un'immagine leggibile"_s);
    }
    // Formats every reader shows are embedded as they are; anything else becomes PNG.
    static const QList<QByteArray> embedded = {"png", "jpeg", "gif", "bmp"};
    if (!embedded.contains(format)) {
        return insertPicture(image, points);
    }
    return addPictureData(data, QString::fromLatin1(format), image.size(), image.dotsPerMeterX(),
                          points);
}

QString DocxWriter::insertPicture(const QImage& image, QSizeF points)
{
    if (image.isNull()) {
        return u"Impossibile inserire l'immagine: l'immagine è vuota"_s;
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    // Quality 80 is zlib level 1: line drawings shrink almost as much as at the default level in
    // a fraction of the time, which matters for a report of many sheets.
    if (!image.save(&buffer, "PNG", 80)) {
        return u"Impossibile inserire l'immagine: conversione in PNG non riuscita"_s;
    }
    return addPictureData(data, u"png"_s, image.size(), image.dotsPerMeterX(), points);
}

QString DocxWriter::addPictureData(const QByteArray& data, const QString& extension, QSize pixels,
                                   double dotsPerMeter, QSizeF points)
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
    m_pictures.append(picture);

    Run run{Run::Kind::Picture, {}, m_format};
    run.picture = int(m_pictures.size()) - 1;
    appendRun(run);
    return {};
}

// Word's format sizes columns to their contents; the widths are computed here so that readers
// which keep the grid as written (LibreOffice) show the same table. A plain table has equal
// columns across the page.
QList<int> DocxWriter::columnWidths(const Table& table) const
{
    if (!m_packaging)
        return computeColumnWidths(table);
    auto cached = m_widthCache.constFind(&table);
    if (cached != m_widthCache.constEnd())
        return *cached;
    const QList<int> widths = computeColumnWidths(table);
    m_widthCache.insert(&table, widths);
    return widths;
}

QList<int> DocxWriter::computeColumnWidths(const Table& table) const
{
    const int textWidth = table.width;
    QList<int> widths(table.columns, textWidth / table.columns);
    if (table.formatted || table.fitColumns.contains(true)) {
        const double points = table.format.halfPoints / 2.0;
        const double padding = 2 * table.cellMargin() + 60;
        QList<double> widest(table.columns, padding);
        QList<double> narrowest(table.columns, padding);
        // A fitted column holds its longest body text unbroken. Its headings stay whole, or take
        // two lines, or wrap at every blank: the widest of these that still leaves the other
        // columns all they need, else the narrowest.
        QList<double> fitted(table.columns, padding);
        QList<double> fittedWhole(table.columns, padding);
        QList<double> fittedHalf(table.columns, padding);
        for (int row = 1; row <= table.rows; ++row) {
            const bool header = table.formatted && row <= table.headerRows;
            // Header text is bold, and bold faces are wider.
            const double scale = header ? 20 * 1.15 : 20;
            for (int column = 1; column <= table.columns; ++column) {
                const int c = column - 1;
                forEachCleanLine(table.cell(row, column).text, [&](const QString& clean) {
                    const double whole = textWidthPoints(clean, points) * scale + padding;
                    const double word = longestWordPoints(clean, points) * scale + padding;
                    widest[c] = std::max(widest[c], whole);
                    narrowest[c] = std::max(narrowest[c], word);
                    fitted[c] = std::max(fitted[c], header ? word : whole);
                    fittedWhole[c] = std::max(fittedWhole[c], whole);
                    fittedHalf[c] = std::max(
                        fittedHalf[c],
                        header ? std::max(word, (whole - padding) * 0.55 + padding) : whole);
                });
            }
        }
        double sumWidest = 0;
        double sumNarrowest = 0;
        int freeColumns = 0;
        for (int c = 0; c < table.columns; ++c) {
            if (!table.fitColumns[c]) {
                ++freeColumns;
                sumWidest += widest[c];
                sumNarrowest += narrowest[c];
            }
        }
        auto sumOf = [&](const QList<double>& candidate) {
            double sum = 0;
            for (int c = 0; c < table.columns; ++c) {
                sum += table.fitColumns[c] ? candidate[c] : 0;
            }
            return sum;
        };
        if (freeColumns > 0 && sumOf(fittedWhole) + sumWidest <= textWidth) {
            fitted = fittedWhole;
        } else if (freeColumns > 0 && sumOf(fittedHalf) + sumWidest <= textWidth) {
            fitted = fittedHalf;
        }
        const double sumFitted = sumOf(fitted);
        const double room = textWidth - sumFitted;
        if (freeColumns == 0 && sumFitted <= textWidth) {
            // Numbers only: the spare room is shared in proportion.
            for (int c = 0; c < table.columns; ++c) {
                widths[c] = int(fitted[c] * textWidth / sumFitted);
            }
        } else if (freeColumns > 0 && sumNarrowest <= room) {
            // The descriptions share what the numbers leave, each at least its longest word,
            // the rest going to those that would wrap most.
            for (int c = 0; c < table.columns; ++c) {
                if (table.fitColumns[c]) {
                    widths[c] = int(fitted[c]);
                } else if (sumWidest <= room) {
                    widths[c] = int(widest[c] * room / sumWidest);
                } else {
                    widths[c] =
                        int(narrowest[c] + (room - sumNarrowest) * (widest[c] - narrowest[c]) /
                                               std::max(1.0, sumWidest - sumNarrowest));
                }
            }
        } else {
            // Too much for the page: every column gets its share of its longest word.
            double sum = 0;
            for (int c = 0; c < table.columns; ++c) {
                sum += table.fitColumns[c] ? fitted[c] : narrowest[c];
            }
            for (int c = 0; c < table.columns; ++c) {
                widths[c] = int((table.fitColumns[c] ? fitted[c] : narrowest[c]) * textWidth / sum);
            }
        }
    }
    int used = 0;
    for (int c = 0; c + 1 < table.columns; ++c) {
        used += widths[c];
    }
    widths.last() = textWidth - used;
    return widths;
}

int DocxWriter::Table::cellMargin() const
{
    return formatted ? kFormattedCellMargin : kCellMargin;
}

QList<double> DocxWriter::Table::rowHeights(const QList<int>& widths) const
{
    const double points = format.halfPoints / 2.0;
    const double lineHeight = lineHeightPoints(points);
    QList<double> heights(rows);
    for (int row = 1; row <= rows; ++row) {
        int lines = 1;
        for (int column = 1; column <= columns; ++column) {
            const double room = (widths[column - 1] - 2 * cellMargin()) / 20.0;
            int cellLines = 0;
            forEachCleanLine(cell(row, column).text, [&](const QString& clean) {
                cellLines += lineCount(textWidthPoints(clean, points), room);
            });
            lines = std::max(lines, cellLines);
        }
        heights[row - 1] = std::max(lines * lineHeight + 1, minRowHeight / 20.0);
    }
    return heights;
}

int DocxWriter::estimatedPageCount() const
{
    PageFlow flow;
    const double textWidth = kTextWidth / 20.0;
    for (const Block& block : m_blocks) {
        if (block.table > 0) {
            const Table& table = m_tables[block.table - 1];
            const QList<double> heights = table.rowHeights(columnWidths(table));
            const double page = kTextHeight / 20.0;
            double headerHeight = 0;
            for (int row = 1; row <= table.rows; ++row) {
                const bool header = table.formatted && row <= table.headerRows;
                if (header) {
                    flow.addLine(heights[row - 1]);
                    headerHeight += heights[row - 1];
                    continue;
                }
                // A group of rows kept together moves to the next page as a whole when it
                // does not fit on this one but fits on an empty page.
                double height = heights[row - 1];
                if (row == 1 || !table.keepWithNextRow[row - 2]) {
                    for (int next = row; next < table.rows && table.keepWithNextRow[next - 1];
                         ++next) {
                        height += heights[next];
                    }
                    if (height + headerHeight > page) {
                        height = heights[row - 1];
                    }
                } else {
                    height = heights[row - 1];
                }
                if (flow.used() > 0 && flow.used() + height > page) {
                    flow.newPage();
                    flow.addLine(headerHeight);
                }
                flow.addLine(heights[row - 1]);
            }
            continue;
        }
        // A paragraph is cut by its page breaks into stretches; each takes at least one line.
        const Paragraph& paragraph = block.paragraph;
        const double spacing = paragraph.layout.lineSpacing;
        double width = 0;
        double lineHeight = lineHeightPoints(paragraph.markFormat.halfPoints / 2.0) * spacing;
        double pictureHeight = 0;
        auto finishStretch = [&] {
            const int lines = lineCount(width, textWidth);
            for (int i = 0; i < lines; ++i) {
                flow.addLine(i == lines - 1 ? std::max(lineHeight, pictureHeight) : lineHeight);
            }
            width = 0;
            pictureHeight = 0;
        };
        for (const Run& run : paragraph.runs) {
            const double points = run.format.halfPoints / 2.0;
            lineHeight = std::max(lineHeight, lineHeightPoints(points) * spacing);
            switch (run.kind) {
            case Run::Kind::Text:
                for (const QString& line : run.text.split(u'\v')) {
                    width += textWidthPoints(line, points);
                }
                break;
            case Run::Kind::PageCountField:
                width += textWidthPoints(u"99", points);
                break;
            case Run::Kind::Picture:
                width += m_pictures[run.picture].widthEmu / kEmuPerPoint;
                pictureHeight =
                    std::max(pictureHeight, m_pictures[run.picture].heightEmu / kEmuPerPoint);
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
    return flow.pages();
}

void DocxWriter::writeSectionProperties(XmlWriter& xml, SectionPage page) const
{
    const bool landscape = page == SectionPage::Landscape;
    const int side = page == SectionPage::PortraitWide ? kNarrowMarginSide : kMarginSide;
    xml.writeStartElement(u"w:sectPr"_s);
    // Every section names the footer: a section without one would print none.
    if (m_hasFooter) {
        xml.writeEmptyElement(u"w:footerReference"_s);
        xml.writeAttribute(u"w:type"_s, u"default"_s);
        xml.writeAttribute(u"r:id"_s,
                           u"rId%1"_s.arg(kFirstPictureRel + m_pictures.size() + int(page)));
    }
    xml.writeEmptyElement(u"w:pgSz"_s);
    xml.writeAttribute(u"w:w"_s, QString::number(landscape ? kPageHeight : kPageWidth));
    xml.writeAttribute(u"w:h"_s, QString::number(landscape ? kPageWidth : kPageHeight));
    if (landscape)
        xml.writeAttribute(u"w:orient"_s, u"landscape"_s);
    xml.writeEmptyElement(u"w:pgMar"_s);
    xml.writeAttribute(u"w:top"_s, QString::number(kMarginTop));
    xml.writeAttribute(u"w:right"_s, QString::number(side));
    xml.writeAttribute(u"w:bottom"_s, QString::number(kMarginBottom));
    xml.writeAttribute(u"w:left"_s, QString::number(side));
    xml.writeAttribute(u"w:header"_s, u"708"_s);
    xml.writeAttribute(u"w:footer"_s, u"708"_s);
    xml.writeAttribute(u"w:gutter"_s, u"0"_s);
    xml.writeEmptyElement(u"w:cols"_s);
    xml.writeAttribute(u"w:space"_s, u"708"_s);
    xml.writeEndElement();
}

void DocxWriter::writeParagraph(XmlWriter& xml, const Paragraph& paragraph, int pageCount,
                                int& drawingId, bool keepWithNext) const
{
    xml.writeStartElement(u"w:p"_s);
    xml.writeStartElement(u"w:pPr"_s);
    if (keepWithNext || paragraph.layout.keepWithNext) {
        xml.writeEmptyElement(u"w:keepNext"_s);
    }
    if (paragraph.layout.spaceAfter > 0 || paragraph.layout.lineSpacing != 1) {
        xml.writeEmptyElement(u"w:spacing"_s);
        xml.writeAttribute(u"w:after"_s,
                           QString::number(std::lround(paragraph.layout.spaceAfter * 20)));
        xml.writeAttribute(u"w:line"_s,
                           QString::number(std::lround(paragraph.layout.lineSpacing * 240)));
        xml.writeAttribute(u"w:lineRule"_s, u"auto"_s);
    }
    writeAlignment(xml, alignmentValue(paragraph.alignment));
    writeRunProperties(xml, paragraph.markFormat.font, paragraph.markFormat.halfPoints);
    if (paragraph.sectionEnd)
        writeSectionProperties(xml, *paragraph.sectionEnd);
    xml.writeEndElement();
    for (const Run& run : paragraph.runs) {
        const QString& font = run.format.font;
        const int size = run.format.halfPoints;
        if (run.kind == Run::Kind::PageCountField) {
            // Readers recompute the field; the estimate is what shows until they do.
            writeFieldChar(xml, font, size, u"begin"_s);
            xml.writeStartElement(u"w:r"_s);
            writeRunProperties(xml, font, size);
            xml.writeStartElement(u"w:instrText"_s);
            xml.writeAttribute(u"xml:space"_s, u"preserve"_s);
            xml.writeCharacters(u" NUMPAGES "_s);
            xml.writeEndElement();
            xml.writeEndElement();
            writeFieldChar(xml, font, size, u"separate"_s);
            xml.writeStartElement(u"w:r"_s);
            writeRunProperties(xml, font, size);
            writeRunText(xml, QString::number(pageCount));
            xml.writeEndElement();
            writeFieldChar(xml, font, size, u"end"_s);
            continue;
        }
        xml.writeStartElement(u"w:r"_s);
        writeRunProperties(xml, font, size);
        switch (run.kind) {
        case Run::Kind::Text:
            writeRunText(xml, run.text);
            break;
        case Run::Kind::PageBreak:
            xml.writeEmptyElement(u"w:br"_s);
            xml.writeAttribute(u"w:type"_s, u"page"_s);
            break;
        case Run::Kind::Picture:
            writeDrawing(xml, run.picture, ++drawingId);
            break;
        case Run::Kind::PageCountField:
            break;
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void DocxWriter::writeDrawing(XmlWriter& xml, int pictureIndex, int drawingId) const
{
    const Picture& picture = m_pictures[pictureIndex];
    const QString cx = QString::number(picture.widthEmu);
    const QString cy = QString::number(picture.heightEmu);
    const QString name = u"Immagine %1"_s.arg(drawingId);

    xml.writeStartElement(u"w:drawing"_s);
    xml.writeStartElement(u"wp:inline"_s);
    for (const char* distance : {"distT", "distB", "distL", "distR"}) {
        xml.writeAttribute(QString::fromLatin1(distance), u"0"_s);
    }
    xml.writeEmptyElement(u"wp:extent"_s);
    xml.writeAttribute(u"cx"_s, cx);
    xml.writeAttribute(u"cy"_s, cy);
    xml.writeEmptyElement(u"wp:effectExtent"_s);
    for (const char* side : {"l", "t", "r", "b"}) {
        xml.writeAttribute(QString::fromLatin1(side), u"0"_s);
    }
    xml.writeEmptyElement(u"wp:docPr"_s);
    xml.writeAttribute(u"id"_s, QString::number(drawingId));
    xml.writeAttribute(u"name"_s, name);
    xml.writeStartElement(u"wp:cNvGraphicFramePr"_s);
    xml.writeEmptyElement(u"a:graphicFrameLocks"_s);
    xml.writeAttribute(u"noChangeAspect"_s, u"1"_s);
    xml.writeEndElement();
    xml.writeStartElement(u"a:graphic"_s);
    xml.writeStartElement(u"a:graphicData"_s);
    xml.writeAttribute(u"uri"_s, kNsPic);
    xml.writeStartElement(u"pic:pic"_s);
    xml.writeStartElement(u"pic:nvPicPr"_s);
    xml.writeEmptyElement(u"pic:cNvPr"_s);
    xml.writeAttribute(u"id"_s, QString::number(drawingId));
    xml.writeAttribute(u"name"_s, name);
    xml.writeEmptyElement(u"pic:cNvPicPr"_s);
    xml.writeEndElement();
    xml.writeStartElement(u"pic:blipFill"_s);
    xml.writeEmptyElement(u"a:blip"_s);
    xml.writeAttribute(u"r:embed"_s, u"rId%1"_s.arg(kFirstPictureRel + pictureIndex));
    xml.writeStartElement(u"a:stretch"_s);
    xml.writeEmptyElement(u"a:fillRect"_s);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(u"pic:spPr"_s);
    xml.writeStartElement(u"a:xfrm"_s);
    xml.writeEmptyElement(u"a:off"_s);
    xml.writeAttribute(u"x"_s, u"0"_s);
    xml.writeAttribute(u"y"_s, u"0"_s);
    xml.writeEmptyElement(u"a:ext"_s);
    xml.writeAttribute(u"cx"_s, cx);
    xml.writeAttribute(u"cy"_s, cy);
    xml.writeEndElement();
    xml.writeStartElement(u"a:prstGeom"_s);
    xml.writeAttribute(u"prst"_s, u"rect"_s);
    xml.writeEmptyElement(u"a:avLst"_s);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement(); // pic:pic
    xml.writeEndElement(); // a:graphicData
    xml.writeEndElement(); // a:graphic
    xml.writeEndElement(); // wp:inline
    xml.writeEndElement(); // w:drawing
}

void DocxWriter::writeTableStart(XmlWriter& xml, const Table& table, const QList<int>& widths) const
{
    xml.writeStartElement(u"w:tbl"_s);
    xml.writeStartElement(u"w:tblPr"_s);
    writeValue(xml, u"w:tblStyle"_s, table.formatted ? kFormatStyle : kPlainStyle);
    writeTwips(xml, u"w:tblW"_s, table.width);
    if (table.formatted) {
        // Header row on, banded rows on, no first or last column look.
        xml.writeEmptyElement(u"w:tblLook"_s);
        xml.writeAttribute(u"w:val"_s, u"0420"_s);
        xml.writeAttribute(u"w:firstRow"_s, u"1"_s);
        xml.writeAttribute(u"w:lastRow"_s, u"0"_s);
        xml.writeAttribute(u"w:firstColumn"_s, u"0"_s);
        xml.writeAttribute(u"w:lastColumn"_s, u"0"_s);
        xml.writeAttribute(u"w:noHBand"_s, u"0"_s);
        xml.writeAttribute(u"w:noVBand"_s, u"1"_s);
    }
    xml.writeEndElement();
    // Readers refuse a table without its grid.
    xml.writeStartElement(u"w:tblGrid"_s);
    for (const int width : widths) {
        xml.writeEmptyElement(u"w:gridCol"_s);
        xml.writeAttribute(u"w:w"_s, QString::number(width));
    }
    xml.writeEndElement();
}

void DocxWriter::writeTableRow(XmlWriter& xml, const Table& table, int row,
                               const QList<int>& widths) const
{
    const bool header = table.formatted && row <= table.headerRows;
    // The style colours the first row only; further header rows get the same look directly.
    const bool directHeader = header && row > 1;
    const bool keepWithNext = table.keepWithNextRow[row - 1];
    const QString styleId =
        cellStyleId(int(m_cellLooks.indexOf({table.format.font, table.format.halfPoints})));
    xml.writeStartElement(u"w:tr"_s);
    // A row is never split across pages: half a description at the foot of a page reads as two
    // rows.
    xml.writeStartElement(u"w:trPr"_s);
    xml.writeEmptyElement(u"w:cantSplit"_s);
    if (table.minRowHeight > 0) {
        xml.writeEmptyElement(u"w:trHeight"_s);
        xml.writeAttribute(u"w:val"_s, QString::number(table.minRowHeight));
        xml.writeAttribute(u"w:hRule"_s, u"atLeast"_s);
    }
    if (header) {
        xml.writeEmptyElement(u"w:tblHeader"_s);
    }
    xml.writeEndElement();
    for (int column = 1; column <= table.columns; ++column) {
        const Cell& cell = table.cell(row, column);
        xml.writeStartElement(u"w:tc"_s);
        xml.writeStartElement(u"w:tcPr"_s);
        writeTwips(xml, u"w:tcW"_s, widths[column - 1]);
        if (directHeader) {
            writeShading(xml, kHeaderFill);
        }
        xml.writeEndElement();
        // Every cell ends with a paragraph, also an empty one: Word calls the file corrupt
        // otherwise.
        forEachCleanLine(cell.text, [&](const QString& clean) {
            xml.writeStartElement(u"w:p"_s);
            xml.writeStartElement(u"w:pPr"_s);
            writeValue(xml, u"w:pStyle"_s, styleId);
            if (keepWithNext) {
                xml.writeEmptyElement(u"w:keepNext"_s);
            }
            writeAlignment(xml, alignmentValue(cell.alignment));
            // The header look of further header rows is the one formatting a cell repeats.
            if (directHeader) {
                writeRunProperties(xml, table.format.font, table.format.halfPoints, true);
            }
            xml.writeEndElement();
            if (!clean.isEmpty()) {
                xml.writeStartElement(u"w:r"_s);
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

QString DocxWriter::alignmentValue(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Right:
        return u"right"_s;
    case Alignment::Justify:
        return u"both"_s;
    case Alignment::Left:
        break;
    }
    return {};
}

class DocxWriter::DocumentXml final
{
public:
    DocumentXml(const DocxWriter& writer, int pageCount)
        : m_writer(writer), m_pageCount(pageCount), m_xml(&m_text),
          m_keepWithNext(writer.m_blocks.size(), false)
    {
        // A table's heading, with the empty lines between them, stays on the table's page rather
        // than being left alone at the foot of the one before.
        const QList<Block>& blocks = writer.m_blocks;
        for (qsizetype i = 1; i < blocks.size(); ++i) {
            if (blocks[i].table == 0) {
                continue;
            }
            for (qsizetype j = i - 1; j >= 0 && blocks[j].table == 0; --j) {
                m_keepWithNext[j] = true;
                if (!blocks[j].paragraph.runs.isEmpty()) {
                    break;
                }
            }
        }
        m_text.reserve(kPieceSize + 4096);
    }

    // Appends the next piece of the part as UTF-8; false once the part is complete.
    bool next(QByteArray& out)
    {
        if (m_done) {
            return false;
        }
        while (m_text.size() < kPieceSize && !m_done) {
            step();
        }
        out += m_text.toUtf8();
        m_text.resize(0);
        return !m_done;
    }

private:
    static constexpr qsizetype kPieceSize = 1 << 16;

    void step()
    {
        const QList<Block>& blocks = m_writer.m_blocks;
        if (!m_started) {
            m_started = true;
            m_text += u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"_s;
            m_xml.writeStartElement(u"w:document"_s);
            m_xml.writeNamespace(kNsW, u"w"_s);
            m_xml.writeNamespace(kNsR, u"r"_s);
            m_xml.writeNamespace(kNsWp, u"wp"_s);
            m_xml.writeNamespace(kNsA, u"a"_s);
            m_xml.writeNamespace(kNsPic, u"pic"_s);
            m_xml.writeStartElement(u"w:body"_s);
            return;
        }
        if (m_block < blocks.size()) {
            const Block& block = blocks[m_block];
            if (block.table == 0) {
                m_writer.writeParagraph(m_xml, block.paragraph, m_pageCount, m_drawingId,
                                        m_keepWithNext[m_block]);
                ++m_block;
                return;
            }
            const Table& table = m_writer.m_tables[block.table - 1];
            if (m_row == 0) {
                m_widths = m_writer.columnWidths(table);
                m_writer.writeTableStart(m_xml, table, m_widths);
                m_row = 1;
                return;
            }
            if (m_row <= table.rows) {
                m_writer.writeTableRow(m_xml, table, m_row++, m_widths);
                return;
            }
            m_xml.writeEndElement();
            m_row = 0;
            ++m_block;
            return;
        }
        m_writer.writeSectionProperties(m_xml, m_writer.m_section);
        m_xml.writeEndDocument();
        m_done = true;
    }

    const DocxWriter& m_writer;
    const int m_pageCount;
    QString m_text;
    XmlWriter m_xml;
    QList<bool> m_keepWithNext;
    QList<int> m_widths;
    qsizetype m_block = 0;
    int m_row = 0;
    int m_drawingId = 0;
    bool m_started = false;
    bool m_done = false;
};

QByteArray DocxWriter::footerXml(int pageCount, int textWidth) const
{
    constexpr int kFooterHalfPoints = 16;
    const QString& font = m_format.font;
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"w:ftr"_s);
    xml.writeNamespace(kNsW, u"w"_s);
    xml.writeNamespace(kNsR, u"r"_s);
    xml.writeStartElement(u"w:p"_s);
    xml.writeStartElement(u"w:pPr"_s);
    xml.writeStartElement(u"w:tabs"_s);
    xml.writeEmptyElement(u"w:tab"_s);
    xml.writeAttribute(u"w:val"_s, u"center"_s);
    xml.writeAttribute(u"w:pos"_s, QString::number(textWidth / 2));
    xml.writeEndElement();
    writeRunProperties(xml, font, kFooterHalfPoints);
    xml.writeEndElement();

    auto run = [&](const QString& text) {
        xml.writeStartElement(u"w:r"_s);
        writeRunProperties(xml, font, kFooterHalfPoints);
        writeRunText(xml, text);
        xml.writeEndElement();
    };
    auto field = [&](const QString& instruction, int cached) {
        writeFieldChar(xml, font, kFooterHalfPoints, u"begin"_s);
        xml.writeStartElement(u"w:r"_s);
        writeRunProperties(xml, font, kFooterHalfPoints);
        xml.writeStartElement(u"w:instrText"_s);
        xml.writeAttribute(u"xml:space"_s, u"preserve"_s);
        xml.writeCharacters(instruction);
        xml.writeEndElement();
        xml.writeEndElement();
        writeFieldChar(xml, font, kFooterHalfPoints, u"separate"_s);
        run(QString::number(cached));
        writeFieldChar(xml, font, kFooterHalfPoints, u"end"_s);
    };
    // The project name stops short of the centred page number.
    QString left = m_footerText;
    const double room = textWidth / 40.0 - textWidthPoints(u"pagina 999 di 999"_s, 4) - 12;
    if (textWidthPoints(left, 8) > room) {
        while (!left.isEmpty() && textWidthPoints(left + u"…"_s, 8) > room) {
            left.chop(1);
        }
        left = left.trimmed() + u"…"_s;
    }
    if (!left.isEmpty()) {
        run(left);
    }
    xml.writeStartElement(u"w:r"_s);
    writeRunProperties(xml, font, kFooterHalfPoints);
    xml.writeEmptyElement(u"w:tab"_s);
    xml.writeEndElement();
    run(u"pagina "_s);
    field(u" PAGE "_s, 1);
    run(u" di "_s);
    field(u" NUMPAGES "_s, pageCount);
    xml.writeEndElement();
    xml.writeEndElement();
    return part.finish();
}

QByteArray DocxWriter::contentTypesXml() const
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"Types"_s);
    xml.writeDefaultNamespace(u"http://schemas.openxmlformats.org/package/2006/content-types"_s);
    QList<std::pair<QString, QString>> defaults = {
        {u"rels"_s, u"application/vnd.openxmlformats-package.relationships+xml"_s},
        {u"xml"_s, u"application/xml"_s},
    };
    for (const Picture& picture : m_pictures) {
        const std::pair<QString, QString> entry{picture.extension, u"image/"_s + picture.extension};
        if (!defaults.contains(entry)) {
            defaults.append(entry);
        }
    }
    for (const auto& [extension, type] : defaults) {
        xml.writeEmptyElement(u"Default"_s);
        xml.writeAttribute(u"Extension"_s, extension);
        xml.writeAttribute(u"ContentType"_s, type);
    }
    const QList<std::pair<QString, QString>> overrides = {
        {u"/word/document.xml"_s, kMainType},
        {u"/word/styles.xml"_s, kWmlType + u"styles+xml"_s},
        {u"/word/settings.xml"_s, kWmlType + u"settings+xml"_s},
        {u"/docProps/core.xml"_s, u"application/vnd.openxmlformats-package.core-properties+xml"_s},
        {u"/docProps/app.xml"_s,
         u"application/vnd.openxmlformats-officedocument.extended-properties+xml"_s},
    };
    QList<std::pair<QString, QString>> parts = overrides;
    if (m_hasFooter) {
        for (const SectionPage page : kSectionPages) {
            parts.append({u"/word/"_s + footerName(page), kWmlType + u"footer+xml"_s});
        }
    }
    for (const auto& [name, type] : parts) {
        xml.writeEmptyElement(u"Override"_s);
        xml.writeAttribute(u"PartName"_s, name);
        xml.writeAttribute(u"ContentType"_s, type);
    }
    xml.writeEndElement();
    return part.finish();
}

QByteArray DocxWriter::documentRelsXml() const
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"Relationships"_s);
    xml.writeDefaultNamespace(u"http://schemas.openxmlformats.org/package/2006/relationships"_s);
    auto relationship = [&](int id, const QString& type, const QString& target) {
        xml.writeEmptyElement(u"Relationship"_s);
        xml.writeAttribute(u"Id"_s, u"rId%1"_s.arg(id));
        xml.writeAttribute(u"Type"_s, kRelBase + type);
        xml.writeAttribute(u"Target"_s, target);
    };
    relationship(1, u"styles"_s, u"styles.xml"_s);
    relationship(2, u"settings"_s, u"settings.xml"_s);
    for (int i = 0; i < m_pictures.size(); ++i) {
        relationship(kFirstPictureRel + i, u"image"_s, mediaName(i));
    }
    if (m_hasFooter) {
        for (const SectionPage page : kSectionPages) {
            relationship(kFirstPictureRel + int(m_pictures.size()) + int(page), u"footer"_s,
                         footerName(page));
        }
    }
    xml.writeEndElement();
    return part.finish();
}

QString DocxWriter::mediaName(int pictureIndex) const
{
    return u"media/image%1.%2"_s.arg(pictureIndex + 1).arg(m_pictures[pictureIndex].extension);
}

QByteArray DocxWriter::appXml(int pageCount) const
{
    XmlPart part;
    XmlWriter& xml = part.xml();
    xml.writeStartElement(u"Properties"_s);
    xml.writeDefaultNamespace(QStringLiteral(
        "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"));
    xml.writeNamespace(u"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes"_s,
                       u"vt"_s);
    xml.writeTextElement(u"Application"_s, u"ZANT"_s);
    xml.writeTextElement(u"Pages"_s, QString::number(pageCount));
    xml.writeEndElement();
    return part.finish();
}

quint64 DocxWriter::estimatedDocumentBytes() const
{
    // Generous per element, text counted at three bytes a character.
    quint64 bytes = 4096;
    for (const Block& block : m_blocks) {
        bytes += 400;
        for (const Run& run : block.paragraph.runs) {
            bytes += 400 + quint64(run.text.size()) * 3;
        }
    }
    for (const Table& table : m_tables) {
        bytes += 1024 + quint64(table.rows) * 64;
        for (const Cell& cell : table.cells) {
            bytes += 200 + quint64(cell.text.size()) * 3;
        }
    }
    return bytes;
}

Outcome DocxWriter::writePackage(QIODevice& device) const
{
    if (!m_firstFault.isEmpty()) {
        return critical(u"il documento è stato costruito in modo errato (%1)"_s.arg(m_firstFault));
    }
    // Column widths are measured once for the page count and the document.
    m_widthCache.clear();
    m_packaging = true;
    const auto done = qScopeGuard([this] {
        m_widthCache.clear();
        m_packaging = false;
    });
    const int pageCount = estimatedPageCount();
    m_cellLooks.clear();
    for (const Table& table : m_tables) {
        if (!m_cellLooks.contains({table.format.font, table.format.halfPoints})) {
            m_cellLooks.append({table.format.font, table.format.halfPoints});
        }
    }

    QList<Part> parts = {
        {u"[Content_Types].xml"_s, contentTypesXml()},
        {u"_rels/.rels"_s, packageRelsXml()},
        {u"word/document.xml"_s, {}, true, true},
        {u"word/_rels/document.xml.rels"_s, documentRelsXml()},
        {u"word/styles.xml"_s, stylesXml(m_cellLooks)},
        {u"word/settings.xml"_s, settingsXml()},
        {u"docProps/core.xml"_s, coreXml()},
        {u"docProps/app.xml"_s, appXml(pageCount)},
    };
    if (m_hasFooter) {
        for (const SectionPage page : kSectionPages) {
            parts.append({u"word/"_s + footerName(page), footerXml(pageCount, textWidthOf(page))});
        }
    }
    for (int i = 0; i < m_pictures.size(); ++i) {
        parts.append({u"word/"_s + mediaName(i), m_pictures[i].data, false});
    }

    StreamedPart document;
    zip_error_init(&document.error);
    document.size = estimatedDocumentBytes();
    auto generator = std::make_shared<DocumentXml>(*this, pageCount);
    document.next = [generator](QByteArray& out) { return generator->next(out); };

    DeviceSink sink;
    sink.device = &device;
    zip_error_init(&sink.error);
    const auto cleanup = qScopeGuard([&] {
        zip_error_fini(&sink.error);
        zip_error_fini(&document.error);
    });
    auto zipFailure = [&](const QString& detail) -> Outcome {
        if (sink.systemError != 0 || zip_error_code_zip(&sink.error) == ZIP_ER_WRITE) {
            // The device refused the bytes: the save names the cause from the error number.
            errno = sink.systemError;
            return critical(QString());
        }
        return critical(u"errore nella creazione dell'archivio (%1)"_s.arg(detail));
    };

    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* output = zip_source_function_create(deviceSinkCommand, &sink, &openError);
    zip_t* archive =
        output ? zip_open_from_source(output, ZIP_CREATE | ZIP_TRUNCATE, &openError) : nullptr;
    if (!archive) {
        const QString detail = QString::fromUtf8(zip_error_strerror(&openError));
        zip_error_fini(&openError);
        if (output) {
            zip_source_free(output);
        }
        return zipFailure(detail);
    }
    zip_error_fini(&openError);

    auto fail = [&] {
        const QString detail = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        return zipFailure(detail);
    };
    // Pictures are compressed already; the XML parts take the fastest deflate level, which
    // keeps large reports quick to write for a small cost in size.
    auto add = [&](const QString& name, zip_source_t* source, bool compress) {
        if (!source) {
            return false;
        }
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_set_file_compression(archive, zip_uint64_t(index),
                                        compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                        compress ? 1 : 0) == 0;
    };
    for (const Part& part : parts) {
        zip_source_t* source = part.streamed
                                   ? zip_source_function(archive, streamedPartCommand, &document)
                                   : zip_source_buffer(archive, part.data.constData(),
                                                       zip_uint64_t(part.data.size()), 0);
        if (!add(part.name, source, part.compress)) {
            return fail();
        }
    }
    if (zip_close(archive) < 0) {
        return fail();
    }
    return std::nullopt;
}

QString DocxWriter::save(const QString& path) const
{
    // A fault of the document is told before any file is touched.
    auto refused = [&](const QString& reason) {
        return u"Impossibile scrivere il documento \"%1\": %2"_s.arg(displayPath(path), reason);
    };
    if (!m_firstFault.isEmpty()) {
        return refused(u"il documento è stato costruito in modo errato (%1)"_s.arg(m_firstFault));
    }
    const Outcome failure = saveFile(path, [&](QIODevice& device) -> Outcome {
        Outcome result = writePackage(device);
        if (result && !result->text.isEmpty()) {
            result->text = refused(result->text);
        }
        return result;
    });
    return failure ? failure->text : QString();
}

} // namespace zant
