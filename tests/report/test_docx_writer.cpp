#include "report/docx_writer.h"
#include "support/docx_view.h"
#include "support/message_text.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using zant::DocumentWriter;
using zant::DocxWriter;
using zant::test::alignmentOf;
using zant::test::cellText;
using zant::test::DocxPackage;
using zant::test::paragraphText;
using zant::test::XmlElement;

using Build = std::function<void(DocumentWriter&)>;
Q_DECLARE_METATYPE(Build)

namespace {

constexpr qint64 kEmuPerPoint = 12700;
// Width of the text column of the A4 page, in twips.
constexpr int kTextWidth = 9638;

struct Saved
{
    DocxPackage package;
    XmlElement document;
    const XmlElement* body = nullptr;
};

// Saves the document, reads the package back and parses document.xml.
std::optional<Saved> saveAndRead(const DocxWriter& writer, const QString& path)
{
    const QString error = zant::test::messageText(writer.save(path));
    if (!error.isEmpty()) {
        qWarning() << "save failed:" << error;
        return std::nullopt;
    }
    Saved saved;
    QString readError;
    if (!zant::test::readDocument(path, &saved.package, &saved.document, &readError)) {
        qWarning() << "cannot read back:" << readError;
        return std::nullopt;
    }
    if (const XmlElement* body = saved.document.child("w:body")) {
        saved.body = body;
        return saved;
    }
    return std::nullopt;
}

XmlElement parsePart(const DocxPackage& package, const QString& name)
{
    XmlElement root;
    QString error;
    if (!zant::test::parseXml(package.entry(name), &root, &error)) {
        qWarning() << name << error;
    }
    return root;
}

// The body as a list: "p:<text>" for a paragraph, "p+:<text>" for one kept on the same page as
// the next, "tbl" for a table.
QStringList bodyOutline(const XmlElement& body)
{
    QStringList outline;
    for (const XmlElement& element : body.children) {
        if (element.name == "w:p") {
            const XmlElement* properties = element.child("w:pPr");
            const bool keep = properties && properties->child("w:keepNext");
            outline += (keep ? "p+:" : "p:") + paragraphText(element);
        } else if (element.name == "w:tbl") {
            outline += "tbl";
        }
    }
    return outline;
}

QString markSize(const XmlElement& paragraph)
{
    const XmlElement* properties = paragraph.child("w:pPr");
    const XmlElement* marks = properties ? properties->child("w:rPr") : nullptr;
    const XmlElement* size = marks ? marks->child("w:sz") : nullptr;
    return size ? size->attribute("w:val") : QString();
}

const XmlElement* styleById(const XmlElement& styles, const QString& id)
{
    for (const XmlElement* style : styles.childrenNamed("w:style")) {
        if (style->attribute("w:styleId") == id) {
            return style;
        }
    }
    return nullptr;
}

QString shadingFill(const XmlElement* properties)
{
    const XmlElement* shading = properties ? properties->child("w:shd") : nullptr;
    return shading ? shading->attribute("w:fill") : QString();
}

// A picture of 96 dpi, where 4 pixels are 3 points.
QImage picture(QSize pixels)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return image;
}

QByteArray pictureBytes(const QString& format, QSize pixels)
{
    const QImage image = picture(pixels);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format.toLatin1().constData());
    return bytes;
}

} // namespace

class TestDocxWriter final : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void packageHasEveryPart();
    void typedTextMakesParagraphs_data();
    void typedTextMakesParagraphs();
    void textIsEscapedAndCleaned_data();
    void textIsEscapedAndCleaned();
    void fontsAndSizes();
    void bodyOrder_data();
    void bodyOrder();
    void tableShape_data();
    void tableShape();
    void tableFormatStyleIsDefined();
    void columnWidths();
    void columnAlignment_data();
    void columnAlignment();
    void justifyDocument();
    void paragraphFormat();
    void tableRowOptions();
    void fittedColumns();
    void pageFooter_data();
    void pageFooter();
    void pictures_data();
    void pictures();
    void pictureErrors_data();
    void pictureErrors();
    void pageCountField();
    void estimatedPageCount_data();
    void estimatedPageCount();
    void builderFaultsStopTheSave_data();
    void builderFaultsStopTheSave();
    void saveKeepsDocumentOpen();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::optional<QTemporaryDir> m_dir;
};

void TestDocxWriter::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
}

void TestDocxWriter::packageHasEveryPart()
{
    DocxWriter writer;
    writer.typeText("ZANT\r");
    QVERIFY(writer.insertPicture(QImage(QSize(8, 8), QImage::Format_RGB32), {}).ok());
    const auto saved = saveAndRead(writer, path("parti.docx"));
    QVERIFY(saved);
    const DocxPackage& package = saved->package;

    const QStringList parts = {"[Content_Types].xml",  "_rels/.rels",
                               "word/document.xml",    "word/_rels/document.xml.rels",
                               "word/styles.xml",      "word/settings.xml",
                               "docProps/core.xml",    "docProps/app.xml",
                               "word/media/image1.png"};
    for (const QString& part : parts) {
        QVERIFY2(package.contains(part), qPrintable(part));
        if (part.endsWith(".xml") || part.endsWith(".rels")) {
            XmlElement root;
            QString error;
            QVERIFY2(zant::test::parseXml(package.entry(part), &root, &error),
                     qPrintable(part + ": " + error));
        }
    }

    const XmlElement types = parsePart(package, "[Content_Types].xml");
    QMap<QString, QString> overrides;
    for (const XmlElement* entry : types.childrenNamed("Override")) {
        overrides.insert(entry->attribute("PartName"), entry->attribute("ContentType"));
    }
    QCOMPARE(overrides.value("/word/document.xml"),
             "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
    QCOMPARE(overrides.value("/word/styles.xml"),
             "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml");
    QCOMPARE(overrides.value("/word/settings.xml"),
             "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml");
    QCOMPARE(overrides.value("/docProps/core.xml"),
             "application/vnd.openxmlformats-package.core-properties+xml");
    QCOMPARE(overrides.value("/docProps/app.xml"),
             "application/vnd.openxmlformats-officedocument.extended-properties+xml");
    QMap<QString, QString> defaults;
    for (const XmlElement* entry : types.childrenNamed("Default")) {
        defaults.insert(entry->attribute("Extension"), entry->attribute("ContentType"));
    }
    QCOMPARE(defaults.value("rels"), "application/vnd.openxmlformats-package.relationships+xml");
    QCOMPARE(defaults.value("png"), "image/png");

    // Every relationship points at a part that exists.
    const XmlElement rootRels = parsePart(package, "_rels/.rels");
    QStringList rootTargets;
    for (const XmlElement* rel : rootRels.childrenNamed("Relationship")) {
        rootTargets += rel->attribute("Target");
        QVERIFY2(package.contains(rel->attribute("Target")), qPrintable(rel->attribute("Target")));
    }
    QVERIFY(rootTargets.contains("word/document.xml"));
    const XmlElement documentRels = parsePart(package, "word/_rels/document.xml.rels");
    QStringList documentTargets;
    for (const XmlElement* rel : documentRels.childrenNamed("Relationship")) {
        documentTargets += rel->attribute("Target");
        QVERIFY(package.contains("word/" + rel->attribute("Target")));
    }
    QVERIFY(documentTargets.contains("styles.xml"));
    QVERIFY(documentTargets.contains("settings.xml"));

    // A4 page.
    const XmlElement* section = saved->body->child("w:sectPr");
    QVERIFY(section);
    QCOMPARE(section->child("w:pgSz")->attribute("w:w"), "11906");
    QCOMPARE(section->child("w:pgSz")->attribute("w:h"), "16838");
}

void TestDocxWriter::typedTextMakesParagraphs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("paragraphs");

    QTest::newRow("one line") << "ZANT" << QStringList{"ZANT"};
    QTest::newRow("carriage return ends the paragraph")
        << "ZANT\rtecnica reticolare\r" << QStringList{"ZANT", "tecnica reticolare", ""};
    QTest::newRow("two returns leave an empty line") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("CR LF counts once") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("line feed alone ends the paragraph") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("form feed breaks the page inside the paragraph")
        << "fine\fIL METODO" << QStringList{"fine\fIL METODO"};
    QTest::newRow("tab and line break") << "a\tb\vc" << QStringList{"a\tb\vc"};
    QTest::newRow("leading blank of a number is kept") << " 7" << QStringList{" 7"};
    QTest::newRow("blanks around words are kept")
        << "  due  spazi  " << QStringList{"  due  spazi  "};
}

void TestDocxWriter::typedTextMakesParagraphs()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, paragraphs);

    DocxWriter writer;
    writer.typeText(typed);
    const auto saved = saveAndRead(writer, path("testo.docx"));
    QVERIFY(saved);
    QStringList expected;
    for (const QString& paragraph : paragraphs) {
        expected += "p:" + paragraph;
    }
    QCOMPARE(bodyOutline(*saved->body), expected);
    for (const XmlElement* text : saved->body->descendants("w:t")) {
        QCOMPARE(text->attribute("xml:space"), "preserve");
    }
}

void TestDocxWriter::textIsEscapedAndCleaned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("ampersand and angle brackets") << "a & b < c > d"
                                                  << "a & b < c > d";
    QTest::newRow("quotes and apostrophes") << "\"l'evento\""
                                            << "\"l'evento\"";
    QTest::newRow("markup stays text") << "<w:p/>&amp;"
                                       << "<w:p/>&amp;";
    QTest::newRow("control characters are dropped") << QString("a\x01"
                                                               "b\x08"
                                                               "c\x1B"
                                                               "d")
                                                    << "abcd";
    QTest::newRow("lone surrogate is dropped") << QString(QChar(0xD800)) + "x"
                                               << "x";
    QTest::newRow("non-characters are dropped")
        << QString(QChar(0xFFFE)) + "y" + QString(QChar(0xFFFF)) << "y";
    QTest::newRow("accents and characters beyond the BMP are kept")
        << QString::fromUtf8("località € \xF0\x9F\x93\x85")
        << QString::fromUtf8("località € \xF0\x9F\x93\x85");
}

void TestDocxWriter::textIsEscapedAndCleaned()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);

    DocxWriter writer;
    writer.typeText(text);
    const int table = writer.addTable(1, 1, 10);
    writer.setCellText(table, 1, 1, text);
    const auto saved = saveAndRead(writer, path("escape.docx"));
    QVERIFY(saved);
    QCOMPARE(paragraphText(saved->body->children.first()), readBack);
    const XmlElement* cell = saved->body->child("w:tbl")->descendants("w:tc").first();
    QCOMPARE(cellText(*cell), readBack);
    if (text.contains(u'&')) {
        QVERIFY(saved->package.entry("word/document.xml").contains("&amp;"));
    }
}

void TestDocxWriter::fontsAndSizes()
{
    DocxWriter writer;
    writer.setFontSize(18);
    writer.typeText("ZANT\r");
    writer.setFontSize(12);
    writer.typeText("sottotitolo\r\r");
    writer.setFontSize(10);
    writer.addParagraph("B) Eventi e legami\r", 12);
    writer.typeText("dopo");
    const int table = writer.addTable(2, 1, 8);
    writer.setCellText(table, 1, 1, "evento");
    writer.setFontName("Courier New");
    writer.typeText("mono");
    const auto saved = saveAndRead(writer, path("caratteri.docx"));
    QVERIFY(saved);

    const XmlElement styles = parsePart(saved->package, "word/styles.xml");
    const XmlElement* defaults = styles.descendants("w:rPrDefault").first();
    QCOMPARE(defaults->descendants("w:rFonts").first()->attribute("w:ascii"), "Century Gothic");

    // A run carries its font and size, or takes them from its paragraph's style (table cells).
    QHash<QString, QString> sizeOf;
    QHash<QString, QString> fontOf;
    for (const XmlElement* paragraph : saved->body->descendants("w:p")) {
        const XmlElement* properties = paragraph->child("w:pPr");
        const XmlElement* styleName = properties ? properties->child("w:pStyle") : nullptr;
        const XmlElement* style =
            styleName ? styleById(styles, styleName->attribute("w:val")) : nullptr;
        for (const XmlElement* run : paragraph->childrenNamed("w:r")) {
            const XmlElement* source = run->child("w:rPr") ? run : style;
            QVERIFY(source);
            const QString text = paragraphText(XmlElement{"w:p", {}, {*run}, {}});
            sizeOf.insert(text, source->descendants("w:sz").first()->attribute("w:val"));
            fontOf.insert(text, source->descendants("w:rFonts").first()->attribute("w:ascii"));
        }
    }
    QCOMPARE(sizeOf.value("ZANT"), "36");
    QCOMPARE(sizeOf.value("sottotitolo"), "24");
    QCOMPARE(sizeOf.value("B) Eventi e legami"), "24");
    QCOMPARE(sizeOf.value("dopo"), "20");
    QCOMPARE(sizeOf.value("evento"), "16");
    QCOMPARE(fontOf.value("ZANT"), "Century Gothic");
    QCOMPARE(fontOf.value("mono"), "Courier New");

    // Empty lines keep the size they were typed at, so that the page layout holds; so does the
    // empty cell.
    const QList<const XmlElement*> paragraphs = saved->body->childrenNamed("w:p");
    QCOMPARE(paragraphText(*paragraphs[2]), QString());
    QCOMPARE(markSize(*paragraphs[2]), "24");
    const XmlElement* emptyCell = saved->body->descendants("w:tc").last();
    const XmlElement* cellStyle = styleById(
        styles, emptyCell->child("w:p")->child("w:pPr")->child("w:pStyle")->attribute("w:val"));
    QVERIFY(cellStyle);
    QCOMPARE(cellStyle->attribute("w:type"), "paragraph");
    QCOMPARE(cellStyle->descendants("w:sz").first()->attribute("w:val"), "16");
    // Body cells repeat no run properties: a large table stays small.
    QVERIFY(emptyCell->descendants("w:rPr").isEmpty());
}

void TestDocxWriter::bodyOrder_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<QStringList>("outline");

    QTest::newRow("empty last paragraph becomes the table") << Build([](DocumentWriter& w) {
        w.typeText("data iniziale: 01/01/2024\r");
        w.addTable(2, 2, 10);
    }) << QStringList{"p+:data iniziale: 01/01/2024", "tbl", "p:"};
    QTest::newRow("heading without line end stays above the table") << Build([](DocumentWriter& w) {
        w.typeText("A) Tempi e date");
        w.addTable(2, 2, 10);
    }) << QStringList{"p+:A) Tempi e date", "tbl", "p:"};
    QTest::newRow("added paragraph keeps the empty line before it") << Build([](DocumentWriter& w) {
        w.typeText("Dati generali\r");
        w.addParagraph("", 12);
        w.addTable(2, 2, 10);
    }) << QStringList{"p+:Dati generali", "p+:", "tbl", "p:"};
    QTest::newRow("heading paragraph between two tables") << Build([](DocumentWriter& w) {
        w.addTable(2, 2, 10);
        w.addParagraph("B) Eventi e legami\r", 12);
        w.addTable(2, 2, 8);
    }) << QStringList{"tbl", "p:", "p+:B) Eventi e legami", "tbl", "p:"};
    QTest::newRow("two tables in a row stay two tables") << Build([](DocumentWriter& w) {
        w.addTable(1, 1, 10);
        w.addTable(1, 1, 10);
    }) << QStringList{"tbl", "p+:", "tbl", "p:"};
    QTest::newRow("text typed after a table goes below it") << Build([](DocumentWriter& w) {
        w.typeText("prima\r");
        w.addTable(1, 1, 10);
        w.typeText("dopo");
    }) << QStringList{"p+:prima", "tbl", "p:dopo"};
    QTest::newRow("typed text continues an added paragraph") << Build([](DocumentWriter& w) {
        w.addParagraph("composta di n.", 12);
        w.typeText(" 3 pagine.");
    }) << QStringList{"p:", "p:composta di n. 3 pagine."};
}

void TestDocxWriter::bodyOrder()
{
    QFETCH(Build, build);
    QFETCH(QStringList, outline);

    DocxWriter writer;
    build(writer);
    const auto saved = saveAndRead(writer, path("ordine.docx"));
    QVERIFY(saved);
    QCOMPARE(bodyOutline(*saved->body), outline);
}

void TestDocxWriter::tableShape_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("headerRows");
    QTest::addColumn<bool>("formatted");

    QTest::newRow("one cell, plain") << 1 << 1 << 0 << false;
    QTest::newRow("data listing, one header row") << 5 << 4 << 1 << true;
    QTest::newRow("blank form, 41 rows") << 41 << 4 << 1 << true;
    QTest::newRow("table B, two header rows") << 12 << 7 << 2 << true;
    QTest::newRow("formatted with no header row") << 3 << 2 << 0 << true;
}

void TestDocxWriter::tableShape()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, headerRows);
    QFETCH(bool, formatted);

    DocxWriter writer;
    const int table = writer.addTable(rows, columns, 10);
    QCOMPARE(table, 1);
    for (int row = 1; row <= rows; row += 2) {
        writer.setCellText(table, row, 1, QString(" %1").arg(row));
    }
    if (formatted) {
        writer.applyTableFormat(table, headerRows);
    }
    const auto saved = saveAndRead(writer, path("tabella.docx"));
    QVERIFY(saved);

    const QList<const XmlElement*> tables = saved->body->childrenNamed("w:tbl");
    QCOMPARE(tables.size(), 1);
    const XmlElement& tbl = *tables.first();
    const XmlElement* properties = tbl.child("w:tblPr");
    QVERIFY(properties);
    QCOMPARE(properties->child("w:tblStyle")->attribute("w:val"),
             formatted ? "ZantColorful2" : "TableGrid");
    if (formatted) {
        QCOMPARE(properties->child("w:tblLook")->attribute("w:firstRow"), "1");
    }

    const XmlElement* grid = tbl.child("w:tblGrid");
    QVERIFY2(grid, "a table without w:tblGrid is refused by readers");
    const QList<const XmlElement*> gridColumns = grid->childrenNamed("w:gridCol");
    QCOMPARE(gridColumns.size(), columns);
    int gridWidth = 0;
    for (const XmlElement* column : gridColumns) {
        gridWidth += column->attribute("w:w").toInt();
    }
    QCOMPARE(gridWidth, kTextWidth);

    const QList<const XmlElement*> tableRows = tbl.childrenNamed("w:tr");
    QCOMPARE(tableRows.size(), rows);
    const XmlElement styles = parsePart(saved->package, "word/styles.xml");
    const QString headerFill =
        shadingFill(styleById(styles, "ZantColorful2")->child("w:tblStylePr")->child("w:tcPr"));
    for (int row = 0; row < rows; ++row) {
        const XmlElement* rowProperties = tableRows[row]->child("w:trPr");
        const bool repeated = rowProperties && rowProperties->child("w:tblHeader");
        QCOMPARE(repeated, row < headerRows);
        const QList<const XmlElement*> cells = tableRows[row]->childrenNamed("w:tc");
        QCOMPARE(cells.size(), columns);
        for (int column = 0; column < columns; ++column) {
            const XmlElement& cell = *cells[column];
            QVERIFY2(!cell.children.isEmpty() && cell.children.last().name == "w:p",
                     "every cell must end with a paragraph");
            QCOMPARE(cell.child("w:tcPr")->child("w:tcW")->attribute("w:w"),
                     gridColumns[column]->attribute("w:w"));
            // Header rows after the first look like the first, which the style colours.
            if (row > 0 && row < headerRows) {
                QCOMPARE(shadingFill(cell.child("w:tcPr")), headerFill);
            } else {
                QCOMPARE(shadingFill(cell.child("w:tcPr")), QString());
            }
        }
        const QString expected = row % 2 == 0 ? QString(" %1").arg(row + 1) : QString();
        QCOMPARE(cellText(*cells.first()), expected);
    }
}

void TestDocxWriter::tableFormatStyleIsDefined()
{
    DocxWriter writer;
    writer.applyTableFormat(writer.addTable(3, 2, 10), 1);
    const auto saved = saveAndRead(writer, path("stile.docx"));
    QVERIFY(saved);
    const XmlElement styles = parsePart(saved->package, "word/styles.xml");
    const XmlElement* style = styleById(styles, "ZantColorful2");
    QVERIFY2(style, "a table style named but not defined gives a plain table");
    QCOMPARE(style->attribute("w:type"), "table");
    QVERIFY(styleById(styles, "TableGrid"));

    QMap<QString, const XmlElement*> conditions;
    for (const XmlElement* condition : style->childrenNamed("w:tblStylePr")) {
        conditions.insert(condition->attribute("w:type"), condition);
    }
    QVERIFY(conditions.contains("firstRow"));
    QVERIFY(conditions.contains("band1Horz"));
    QVERIFY(conditions.contains("band2Horz"));
    const XmlElement* header = conditions.value("firstRow");
    QVERIFY(header->child("w:rPr")->child("w:b"));
    const QString headerFill = shadingFill(header->child("w:tcPr"));
    const QString bandFill = shadingFill(conditions.value("band1Horz")->child("w:tcPr"));
    QVERIFY(!headerFill.isEmpty());
    QVERIFY(!bandFill.isEmpty());
    QVERIFY(headerFill != bandFill);
    QVERIFY(header->child("w:rPr")->child("w:color")->attribute("w:val") != headerFill);
}

void TestDocxWriter::columnWidths()
{
    DocxWriter writer;
    const int plain = writer.addTable(2, 4, 10);
    writer.setCellText(plain, 1, 2, "descrizione del singolo evento");
    writer.typeText("\r");
    const int form = writer.addTable(3, 4, 10);
    const QStringList headers = {"n.", "descrizione del singolo evento" + QString(25, u' '),
                                 "legami con evento n.", "tempi in giorni"};
    for (int column = 1; column <= 4; ++column) {
        writer.setCellText(form, 1, column, headers[column - 1]);
    }
    writer.applyTableFormat(form, 1);
    const auto saved = saveAndRead(writer, path("larghezze.docx"));
    QVERIFY(saved);

    auto widths = [](const XmlElement* table) {
        QList<int> result;
        for (const XmlElement* column : table->child("w:tblGrid")->childrenNamed("w:gridCol")) {
            result += column->attribute("w:w").toInt();
        }
        return result;
    };
    const QList<const XmlElement*> tables = saved->body->childrenNamed("w:tbl");
    const QList<int> plainWidths = widths(tables[0]);
    QVERIFY(plainWidths[3] - plainWidths[0] <= 3);
    QCOMPARE(plainWidths[0], plainWidths[1]);
    // A formatted table is sized to its contents: the blanks widen the description column.
    const QList<int> formWidths = widths(tables[1]);
    QVERIFY(formWidths[1] > formWidths[2]);
    QVERIFY(formWidths[2] > formWidths[0]);
    QVERIFY(formWidths[1] > kTextWidth / 3);
}

void TestDocxWriter::columnAlignment_data()
{
    QTest::addColumn<QList<QPoint>>("rightColumns"); // x = table, y = column
    QTest::addColumn<QStringList>("expected");       // per table, one letter per column

    QTest::newRow("nothing aligned") << QList<QPoint>{} << QStringList{"LLLL", "LLL"};
    QTest::newRow("columns 1, 3 and 4 of the first table")
        << QList<QPoint>{{1, 1}, {1, 3}, {1, 4}} << QStringList{"RLRR", "LLL"};
    QTest::newRow("tables counted in document order")
        << QList<QPoint>{{2, 2}} << QStringList{"LLLL", "LRL"};
    QTest::newRow("same column twice")
        << QList<QPoint>{{2, 3}, {2, 3}} << QStringList{"LLLL", "LLR"};
}

void TestDocxWriter::columnAlignment()
{
    QFETCH(QList<QPoint>, rightColumns);
    QFETCH(QStringList, expected);

    DocxWriter writer;
    const int first = writer.addTable(3, 4, 10);
    writer.setCellText(first, 1, 1, "n.");
    writer.applyTableFormat(first, 1);
    writer.addParagraph("B)\r", 12);
    const int second = writer.addTable(4, 3, 8);
    writer.setCellText(second, 4, 3, " 9");
    writer.applyTableFormat(second, 2);
    for (const QPoint& target : rightColumns) {
        writer.alignColumnRight(target.x(), target.y());
    }
    const auto saved = saveAndRead(writer, path("allineamento.docx"));
    QVERIFY(saved);

    const QList<const XmlElement*> tables = saved->body->childrenNamed("w:tbl");
    QCOMPARE(tables.size(), expected.size());
    for (int t = 0; t < tables.size(); ++t) {
        for (const XmlElement* row : tables[t]->childrenNamed("w:tr")) {
            QString letters;
            for (const XmlElement* cell : row->childrenNamed("w:tc")) {
                const QString value = alignmentOf(*cell->child("w:p"));
                QVERIFY(value.isEmpty() || value == "right");
                letters += value == "right" ? u'R' : u'L';
            }
            QCOMPARE(letters, expected[t]);
        }
    }
}

void TestDocxWriter::justifyDocument()
{
    DocxWriter writer;
    writer.typeText("IL METODO\r\rIl metodo di programmazione\r");
    const int table = writer.addTable(2, 2, 10);
    writer.setCellText(table, 2, 1, " 1");
    writer.applyTableFormat(table, 1);
    writer.justifyDocument();
    writer.alignColumnRight(table, 1);
    writer.typeText("dopo\rancora");
    const auto saved = saveAndRead(writer, path("giustificato.docx"));
    QVERIFY(saved);

    const QList<const XmlElement*> paragraphs = saved->body->childrenNamed("w:p");
    QCOMPARE(paragraphs.size(), 5);
    for (const XmlElement* paragraph : paragraphs) {
        QCOMPARE(alignmentOf(*paragraph), "both");
    }
    for (const XmlElement* row : saved->body->child("w:tbl")->childrenNamed("w:tr")) {
        const QList<const XmlElement*> cells = row->childrenNamed("w:tc");
        QCOMPARE(alignmentOf(*cells[0]->child("w:p")), "right");
        // A justified narrow cell reads badly: cells keep their left alignment.
        QCOMPARE(alignmentOf(*cells[1]->child("w:p")), QString());
    }

    // A right-aligned paragraph stays so.
    DocxWriter signed_;
    signed_.typeText("testo\r");
    signed_.setParagraphFormat({0, 1, false, true});
    signed_.typeText("Il progettista");
    signed_.justifyDocument();
    const auto signedSaved = saveAndRead(signed_, path("firma.docx"));
    QVERIFY(signedSaved);
    const QList<const XmlElement*> signedParagraphs = signedSaved->body->childrenNamed("w:p");
    QCOMPARE(alignmentOf(*signedParagraphs[0]), "both");
    QCOMPARE(alignmentOf(*signedParagraphs[1]), "right");
}

void TestDocxWriter::paragraphFormat()
{
    DocxWriter writer;
    writer.typeText("copertina\r");
    writer.setParagraphFormat({0, 1, true, false});
    writer.typeText("TITOLO\r\r");
    writer.setParagraphFormat({6, 1.15, false, false});
    writer.typeText("primo\rsecondo");
    const auto saved = saveAndRead(writer, path("paragrafi.docx"));
    QVERIFY(saved);
    const QList<const XmlElement*> paragraphs = saved->body->childrenNamed("w:p");
    QCOMPARE(paragraphs.size(), 5);
    struct Expected
    {
        bool keepNext;
        QString after;
        QString line;
    };
    const Expected expected[] = {{false, "", ""},
                                 {true, "", ""},
                                 {true, "", ""},
                                 {false, "120", "276"},
                                 {false, "120", "276"}};
    for (int i = 0; i < 5; ++i) {
        const XmlElement* properties = paragraphs[i]->child("w:pPr");
        QCOMPARE(properties->child("w:keepNext") != nullptr, expected[i].keepNext);
        const XmlElement* spacing = properties->child("w:spacing");
        QCOMPARE(spacing ? spacing->attribute("w:after") : QString(), expected[i].after);
        QCOMPARE(spacing ? spacing->attribute("w:line") : QString(), expected[i].line);
    }
    // Spaced text takes more room than single-spaced text.
    DocxWriter single;
    DocxWriter spaced;
    spaced.setParagraphFormat({6, 1.15, false, false});
    for (int i = 0; i < 45; ++i) {
        single.typeText("Una riga di testo.\r");
        spaced.typeText("Una riga di testo.\r");
    }
    QVERIFY(spaced.estimatedPageCount() > single.estimatedPageCount());
}

void TestDocxWriter::tableRowOptions()
{
    DocxWriter writer;
    const int table = writer.addTable(6, 3, 8);
    writer.setCellText(table, 2, 2, "riga\rsu due paragrafi");
    writer.applyTableFormat(table, 1);
    writer.keepRowsTogether(table, 2, 4);
    writer.setMinimumRowHeight(table, 24);
    const auto saved = saveAndRead(writer, path("righe.docx"));
    QVERIFY(saved);
    const QList<const XmlElement*> rows = saved->body->child("w:tbl")->childrenNamed("w:tr");
    QCOMPARE(rows.size(), 6);
    for (int row = 0; row < 6; ++row) {
        const XmlElement* properties = rows[row]->child("w:trPr");
        QVERIFY2(properties && properties->child("w:cantSplit"), "no row may split");
        QCOMPARE(properties->child("w:trHeight")->attribute("w:val"), "480");
        QCOMPARE(properties->child("w:trHeight")->attribute("w:hRule"), "atLeast");
        // Rows 2 and 3 keep with the row below; row 4 ends the group.
        const bool keep = row == 1 || row == 2;
        for (const XmlElement* paragraph : rows[row]->descendants("w:p")) {
            QCOMPARE(paragraph->child("w:pPr")->child("w:keepNext") != nullptr, keep);
        }
    }
}

void TestDocxWriter::fittedColumns()
{
    // Table B's shape: number columns with long headings, two description columns.
    DocxWriter writer;
    const int table = writer.addTable(4, 5, 8);
    const QString soft(QChar(0x00AD));
    const QStringList heading{"evento", "descrizione", "in en" + soft + "trata", "descrizione",
                              "scorri" + soft + "mento"};
    for (int c = 0; c < 5; ++c) {
        writer.setCellText(table, 1, c + 1, heading[c]);
    }
    for (int row = 2; row <= 4; ++row) {
        writer.setCellText(table, row, 1, " 120");
        writer.setCellText(table, row, 2, "Lavorazione in officina della struttura in acciaio");
        writer.setCellText(table, row, 3, "12");
        writer.setCellText(table, row, 4, "Serramenti, portoni sezionali e lucernari");
        writer.setCellText(table, row, 5, "104");
    }
    writer.applyTableFormat(table, 1);
    for (int c : {1, 3, 5}) {
        writer.fitColumnToContent(table, c);
    }
    const auto saved = saveAndRead(writer, path("colonne.docx"));
    QVERIFY(saved);
    const XmlElement& tbl = *saved->body->child("w:tbl");
    QList<int> widths;
    for (const XmlElement* column : tbl.child("w:tblGrid")->childrenNamed("w:gridCol")) {
        widths << column->attribute("w:w").toInt();
    }
    QCOMPARE(widths.size(), 5);
    QCOMPARE(widths[0] + widths[1] + widths[2] + widths[3] + widths[4], kTextWidth);
    for (int number : {0, 2, 4}) {
        QVERIFY2(widths[number] < 900, qPrintable(QString::number(widths[number])));
    }
    QVERIFY(widths[1] > 3000 && widths[3] > 3000);
    // The soft hyphens are where the headings may break.
    QCOMPARE(tbl.descendants("w:softHyphen").size(), 2);
}

void TestDocxWriter::pageFooter_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("cut");
    QTest::newRow("project on the left") << "Magazzino comunale" << false;
    QTest::newRow("no project") << "" << false;
    QTest::newRow("a long project name stops before the page number")
        << QString("Ristrutturazione ed ampliamento della scuola elementare Verdi e della "
                   "palestra comunale")
        << true;
    // Cut in one pass, however long; a character outside the basic plane stays whole.
    QTest::newRow("a title of one 100,000-character word") << QString(100000, 'W') << true;
    QString pairs;
    for (int i = 0; i < 50000; ++i)
        pairs += QString::fromUtf8("\xF0\x9D\x92\x9C");
    QTest::newRow("a title of characters outside the basic plane") << pairs << true;
}

void TestDocxWriter::pageFooter()
{
    QFETCH(QString, left);
    QFETCH(bool, cut);
    DocxWriter writer;
    writer.setPageFooter(left);
    for (int i = 0; i < 80; ++i) {
        writer.typeText("Una riga di testo che si ripete per riempire le pagine.\r");
    }
    const int pages = writer.estimatedPageCount();
    QVERIFY(pages >= 2);
    const auto saved = saveAndRead(writer, path("pie.docx"));
    QVERIFY(saved);
    const XmlElement* section = saved->body->child("w:sectPr");
    const XmlElement* reference = section->child("w:footerReference");
    QVERIFY(reference);

    const XmlElement rels = parsePart(saved->package, "word/_rels/document.xml.rels");
    QString target;
    for (const XmlElement* rel : rels.childrenNamed("Relationship")) {
        if (rel->attribute("Id") == reference->attribute("r:id"))
            target = rel->attribute("Target");
    }
    QCOMPARE(target, "footer1.xml");
    QVERIFY(saved->package.entry("[Content_Types].xml").contains("/word/footer1.xml"));

    const XmlElement footer = parsePart(saved->package, "word/footer1.xml");
    const XmlElement* paragraph = footer.child("w:p");
    QCOMPARE(paragraph->child("w:pPr")->child("w:tabs")->child("w:tab")->attribute("w:val"),
             "center");
    QString text;
    for (const XmlElement* run : paragraph->childrenNamed("w:r")) {
        for (const XmlElement& item : run->children) {
            if (item.name == "w:t")
                text += item.text;
            else if (item.name == "w:tab")
                text += '\t';
            else if (item.name == "w:instrText")
                text += '{' + item.text.trimmed() + '}';
            QVERIFY(item.name != "w:rPr" || item.child("w:sz")->attribute("w:val") == "16");
        }
    }
    const QString pageText = QString("\tpagina {PAGE}1 di {NUMPAGES}%1").arg(pages);
    QVERIFY2(text.endsWith(pageText), qPrintable(text));
    const QString shown = text.chopped(pageText.size());
    if (cut) {
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QVERIFY(shown.size() > 20 && shown.size() < 60);
        QVERIFY(left.startsWith(shown.chopped(1)));
        QVERIFY(!shown.chopped(1).back().isHighSurrogate());
    } else {
        QCOMPARE(shown, left);
    }

    // Without a footer there is no footer part.
    DocxWriter plain;
    plain.typeText("testo");
    const auto plainSaved = saveAndRead(plain, path("senza.docx"));
    QVERIFY(plainSaved);
    QVERIFY(!plainSaved->package.contains("word/footer1.xml"));
    QVERIFY(!plainSaved->body->child("w:sectPr")->child("w:footerReference"));
}

void TestDocxWriter::pictures_data()
{
    QTest::addColumn<QString>("source"); // "image", or the format of a file
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QSizeF>("requested");
    QTest::addColumn<QSizeF>("expected");
    QTest::addColumn<QString>("extension");

    QTest::newRow("image at its own size")
        << "image" << QSize(300, 160) << QSizeF() << QSizeF(225, 120) << "png";
    QTest::newRow("image at a given size")
        << "image" << QSize(300, 160) << QSizeF(144, 72) << QSizeF(144, 72) << "png";
    QTest::newRow("width only keeps the proportions")
        << "image" << QSize(300, 150) << QSizeF(200, 0) << QSizeF(200, 100) << "png";
    QTest::newRow("wide picture shrinks to the page width")
        << "image" << QSize(1606, 400) << QSizeF() << QSizeF(481.9, 120.02) << "png";
    QTest::newRow("PNG file embedded as it is")
        << "png" << QSize(120, 80) << QSizeF() << QSizeF(90, 60) << "png";
    QTest::newRow("JPEG file embedded as it is")
        << "jpeg" << QSize(120, 80) << QSizeF() << QSizeF(90, 60) << "jpeg";
    QTest::newRow("PPM file converted to PNG")
        << "ppm" << QSize(40, 40) << QSizeF(30, 30) << QSizeF(30, 30) << "png";
}

void TestDocxWriter::pictures()
{
    QFETCH(QString, source);
    QFETCH(QSize, pixels);
    QFETCH(QSizeF, requested);
    QFETCH(QSizeF, expected);
    QFETCH(QString, extension);

    DocxWriter writer;
    writer.typeText("Schema di reticolo ZANT\r");
    QByteArray fileBytes;
    // Two pictures, so that their ids must differ.
    for (int i = 0; i < 2; ++i) {
        QString error;
        if (source == "image") {
            error = zant::test::messageText(writer.insertPicture(picture(pixels), requested));
        } else {
            fileBytes = pictureBytes(source, pixels);
            const QString file = path("schemaZANT." + source);
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(fileBytes);
            out.close();
            error = zant::test::messageText(writer.insertPictureFile(file, requested));
        }
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    const auto saved = saveAndRead(writer, path("immagine.docx"));
    QVERIFY(saved);

    const XmlElement types = parsePart(saved->package, "[Content_Types].xml");
    bool typed = false;
    for (const XmlElement* entry : types.childrenNamed("Default")) {
        typed |= entry->attribute("Extension") == extension &&
                 entry->attribute("ContentType") == "image/" + extension;
    }
    QVERIFY(typed);

    QMap<QString, QString> targets;
    const XmlElement rels = parsePart(saved->package, "word/_rels/document.xml.rels");
    for (const XmlElement* rel : rels.childrenNamed("Relationship")) {
        if (rel->attribute("Type").endsWith("/image")) {
            targets.insert(rel->attribute("Id"), rel->attribute("Target"));
        }
    }
    QCOMPARE(targets.size(), 2);

    const QList<const XmlElement*> drawings = saved->body->descendants("wp:inline");
    QCOMPARE(drawings.size(), 2);
    QSet<QString> ids;
    for (const XmlElement* inline_ : drawings) {
        ids.insert(inline_->child("wp:docPr")->attribute("id"));
        const QString embed = inline_->descendants("a:blip").first()->attribute("r:embed");
        QVERIFY(targets.contains(embed));
        const QString part = "word/" + targets.value(embed);
        QVERIFY(part.endsWith("." + extension));
        QVERIFY2(saved->package.contains(part), qPrintable(part));
        if (source == extension) {
            QCOMPARE(saved->package.entry(part), fileBytes);
        }
        const XmlElement* extent = inline_->child("wp:extent");
        QVERIFY(qAbs(extent->attribute("cx").toLongLong() - expected.width() * kEmuPerPoint) <
                kEmuPerPoint);
        QVERIFY(qAbs(extent->attribute("cy").toLongLong() - expected.height() * kEmuPerPoint) <
                kEmuPerPoint);
        QCOMPARE(inline_->descendants("a:ext").first()->attribute("cx"), extent->attribute("cx"));
    }
    QCOMPARE(ids.size(), 2);
}

void TestDocxWriter::pictureErrors_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("missing file") << "missing";
    QTest::newRow("file that is not a picture") << "text";
    QTest::newRow("empty image") << "null";
}

void TestDocxWriter::pictureErrors()
{
    QFETCH(QString, kind);

    DocxWriter writer;
    writer.typeText("Schema\r");
    QString error;
    const QString file = path("schemaZANT.jpg");
    if (kind == "null") {
        error = zant::test::messageText(writer.insertPicture(QImage(), {}));
    } else {
        if (kind == "text") {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("non sono un'immagine");
        }
        error = zant::test::messageText(writer.insertPictureFile(file, {}));
        QVERIFY2(error.contains(QDir::toNativeSeparators(file)), qPrintable(error));
    }
    QVERIFY(error.startsWith("Impossibile inserire l'immagine"));

    // The document is still whole and has no picture.
    const auto saved = saveAndRead(writer, path("senza.docx"));
    QVERIFY(saved);
    QVERIFY(saved->body->descendants("w:drawing").isEmpty());
    for (const QString& name : saved->package.names()) {
        QVERIFY(!name.startsWith("word/media/"));
    }
}

void TestDocxWriter::pageCountField()
{
    DocxWriter writer;
    writer.typeText("primo\fsecondo\fLa presente relazione è composta di n. ");
    writer.typePageCountField();
    writer.typeText(" pagine.");
    const int estimate = writer.estimatedPageCount();
    QCOMPARE(estimate, 3);
    const auto saved = saveAndRead(writer, path("pagine.docx"));
    QVERIFY(saved);

    const XmlElement& paragraph = saved->body->children.first();
    QStringList sequence;
    for (const XmlElement* run : paragraph.childrenNamed("w:r")) {
        for (const XmlElement& item : run->children) {
            if (item.name == "w:fldChar") {
                sequence += item.attribute("w:fldCharType");
            } else if (item.name == "w:instrText") {
                sequence += "instr:" + item.text;
            } else if (item.name == "w:t" && !sequence.isEmpty() && sequence.last() == "separate") {
                sequence += "shown:" + item.text;
            }
        }
    }
    QCOMPARE(sequence, (QStringList{"begin", "instr: NUMPAGES ", "separate", "shown:3", "end"}));
    QVERIFY(paragraphText(paragraph).endsWith("composta di n. 3 pagine."));

    const XmlElement app = parsePart(saved->package, "docProps/app.xml");
    QCOMPARE(app.child("Pages")->text, "3");
}

void TestDocxWriter::estimatedPageCount_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<int>("least");
    QTest::addColumn<int>("most");

    QTest::newRow("empty document") << Build([](DocumentWriter&) {}) << 1 << 1;
    QTest::newRow("one page break")
        << Build([](DocumentWriter& w) { w.typeText("a\fb"); }) << 2 << 2;
    QTest::newRow("two breaks in a row make an empty page")
        << Build([](DocumentWriter& w) { w.typeText("\f\f"); }) << 3 << 3;
    // The cover page of the report: one line at 24 points and 39 at 14 fill a single page.
    auto cover = [](DocumentWriter& w) {
        w.setFontSize(24);
        w.typeText("ZANT\r");
        w.setFontSize(14);
        w.typeText("tecnica reticolare di programmazione\r\r");
        w.typeText("progetto: \rlocalità: \rtipologia di studio: \r" + QString(6, u'\r'));
        w.typeText("progettista: \rcommittente: \r\r: \r" + QString(22, u'\r'));
        w.typeText("Studio tecnico\rvia Roma 1");
    };
    QTest::newRow("cover page fits one page") << Build(cover) << 1 << 1;
    QTest::newRow("cover page then a section") << Build([cover](DocumentWriter& w) {
        cover(w);
        w.setFontSize(16);
        w.typeText("\fIL METODO\r\r");
    }) << 2 << 2;
    QTest::newRow("sixty lines at 12 points overflow") << Build([](DocumentWriter& w) {
        for (int i = 0; i < 60; ++i) {
            w.typeText("riga\r");
        }
    }) << 2 << 2;
    QTest::newRow("a long paragraph wraps onto a second page")
        << Build([](DocumentWriter& w) { w.typeText(QString(9000, u'x')); }) << 2 << 3;
    QTest::newRow("table of 150 rows runs over several pages") << Build([](DocumentWriter& w) {
        const int t = w.addTable(150, 4, 10);
        for (int row = 1; row <= 150; ++row) {
            w.setCellText(t, row, 2, "descrizione dell'evento");
        }
        w.applyTableFormat(t, 1);
    }) << 2 << 4;
    QTest::newRow("two tall pictures") << Build([](DocumentWriter& w) {
        QImage image(QSize(10, 10), QImage::Format_RGB32);
        w.insertPicture(image, QSizeF(400, 400));
        w.typeText("\r");
        w.insertPicture(image, QSizeF(400, 400));
    }) << 2 << 2;
}

void TestDocxWriter::estimatedPageCount()
{
    QFETCH(Build, build);
    QFETCH(int, least);
    QFETCH(int, most);

    DocxWriter writer;
    build(writer);
    const int pages = writer.estimatedPageCount();
    QVERIFY2(pages >= least && pages <= most, qPrintable(QString::number(pages)));
}

void TestDocxWriter::builderFaultsStopTheSave_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<QString>("fault");

    QTest::newRow("cell of a missing table")
        << Build([](DocumentWriter& w) { w.setCellText(2, 1, 1, "x"); })
        << "la tabella 2 non esiste";
    QTest::newRow("cell below the last row")
        << Build([](DocumentWriter& w) { w.setCellText(w.addTable(2, 2, 10), 3, 1, "x"); })
        << "la cella (3, 1)";
    QTest::newRow("column beyond the last")
        << Build([](DocumentWriter& w) { w.alignColumnRight(w.addTable(2, 2, 10), 5); })
        << "la colonna 5";
    QTest::newRow("more header rows than rows")
        << Build([](DocumentWriter& w) { w.applyTableFormat(w.addTable(2, 2, 10), 3); })
        << "3 righe di intestazione";
    QTest::newRow("table without rows")
        << Build([](DocumentWriter& w) { QCOMPARE(w.addTable(0, 4, 10), 0); })
        << "tabella di 0 righe";
    QTest::newRow("font size zero")
        << Build([](DocumentWriter& w) { w.setFontSize(0); }) << "dimensione del carattere";
    QTest::newRow("fitted column beyond the last")
        << Build([](DocumentWriter& w) { w.fitColumnToContent(w.addTable(2, 2, 10), 3); })
        << "la colonna 3";
    QTest::newRow("rows kept together past the end")
        << Build([](DocumentWriter& w) { w.keepRowsTogether(w.addTable(3, 2, 10), 2, 4); })
        << "righe da 2 a 4";
    QTest::newRow("rows kept together backwards")
        << Build([](DocumentWriter& w) { w.keepRowsTogether(w.addTable(3, 2, 10), 3, 2); })
        << "righe da 3 a 2";
    QTest::newRow("negative row height")
        << Build([](DocumentWriter& w) { w.setMinimumRowHeight(w.addTable(3, 2, 10), -1); })
        << "altezza di riga";
    QTest::newRow("negative space after a paragraph") << Build([](DocumentWriter& w) {
        w.setParagraphFormat({-6, 1, false, false});
    }) << "formato di paragrafo";
    QTest::newRow("first fault is the one reported") << Build([](DocumentWriter& w) {
        w.alignColumnRight(7, 1);
        w.setCellText(8, 1, 1, "x");
    }) << "la tabella 7 non esiste";
}

void TestDocxWriter::builderFaultsStopTheSave()
{
    QFETCH(Build, build);
    QFETCH(QString, fault);

    DocxWriter writer;
    writer.typeText("testo\r");
    build(writer);
    const QString file = path("errato.docx");
    const QString error = zant::test::messageText(writer.save(file));
    QVERIFY2(error.startsWith("Impossibile scrivere il documento"), qPrintable(error));
    QVERIFY2(error.contains(fault), qPrintable(error));
    QVERIFY(!QFile::exists(file));
}

void TestDocxWriter::saveKeepsDocumentOpen()
{
    DocxWriter writer;
    const int table = writer.addTable(2, 2, 10);
    writer.applyTableFormat(table, 1);
    const auto before = saveAndRead(writer, path("prima.docx"));
    QVERIFY(before);
    writer.alignColumnRight(table, 2);
    writer.typeText("fine");
    const auto after = saveAndRead(writer, path("dopo.docx"));
    QVERIFY(after);
    QCOMPARE(bodyOutline(*before->body), (QStringList{"tbl", "p:"}));
    QCOMPARE(bodyOutline(*after->body), (QStringList{"tbl", "p:fine"}));
    QCOMPARE(before->body->descendants("w:jc").size(), 0);
    QCOMPARE(after->body->descendants("w:jc").size(), 2);
}

void TestDocxWriter::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("folder does not exist") << "missing folder";
    QTest::newRow("folder is a file") << "file as folder";
    QTest::newRow("read-only folder keeps the old document") << "read-only";
    QTest::newRow("disk full keeps the old document") << "file size limit";
}

void TestDocxWriter::failedSaveKeepsOldFile()
{
    QFETCH(QString, kind);

    DocxWriter writer;
    writer.typeText(QString(3000, u'x'));
    const QByteArray oldContent = "documento precedente";
    QString file;
    QString folder = m_dir->path();
    if (kind == "missing folder") {
        file = path("manca/relazione.docx");
    } else if (kind == "file as folder") {
        QFile blocker(path("blocco"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        file = path("blocco/relazione.docx");
    } else {
        folder = path("cartella");
        QVERIFY(QDir().mkpath(folder));
        file = folder + "/relazione.docx";
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(oldContent);
    }

    QString error;
#ifdef Q_OS_UNIX
    if (kind == "read-only") {
        if (geteuid() == 0) {
            QSKIP("root writes into read-only folders");
        }
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        error = zant::test::messageText(writer.save(file));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else if (kind == "file size limit") {
        // Writes past the limit fail as on a full disk, whoever runs the test.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = 512;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        error = zant::test::messageText(writer.save(file));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    } else {
        error = zant::test::messageText(writer.save(file));
    }
#else
    if (kind == "read-only" || kind == "file size limit") {
        QSKIP("needs POSIX permissions and limits");
    }
    error = zant::test::messageText(writer.save(file));
#endif

    static const QHash<QString, QString> causes = {
        {"missing folder", "cartella inesistente"},
        {"file as folder", "cartella inesistente"},
        {"read-only", "permesso negato"},
        {"file size limit", "file troppo grande per il file system"},
    };
    QVERIFY2(error.startsWith("Impossibile salvare il file \"" + QDir::toNativeSeparators(file) +
                              "\": " + causes.value(kind) + "."),
             qPrintable(error));
    if (kind == "read-only" || kind == "file size limit") {
        QFile old(file);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), oldContent);
        // No half-written temporary file is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"relazione.docx"});
    } else {
        QVERIFY(!QFile::exists(file));
    }
}

QTEST_GUILESS_MAIN(TestDocxWriter)
#include "test_docx_writer.moc"
