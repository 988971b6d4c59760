#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "exchange/mspdi.h"
#include "exchange/results_export.h"
#include "report/documents.h"
#include "report/docx_writer.h"
#include "schedule/schedule.h"
#include "support/docx_package.h"
#include "support/fail_device.h"
#include "support/project_builder.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace zant;

namespace {

// A character XML 1.0 cannot carry, as the data may hold it: 29 control characters, U+FFFE,
// U+FFFF and the two halves of a surrogate pair on their own.
QList<std::pair<QByteArray, QString>> forbiddenCharacters()
{
    QList<std::pair<QByteArray, QString>> characters;
    for (char16_t u = 0; u < 0x20; ++u) {
        if (u != u'\t' && u != u'\n' && u != u'\r')
            characters.append({"U+" + QByteArray::number(u, 16).rightJustified(4, '0').toUpper(),
                               QString(QChar(u))});
    }
    characters.append({"U+FFFE", QString(QChar(0xFFFE))});
    characters.append({"U+FFFF", QString(QChar(0xFFFF))});
    characters.append({"lone high surrogate", QString(QChar(0xD800))});
    characters.append({"lone low surrogate", QString(QChar(0xDC00))});
    return characters;
}

const QStringList kWriters = {"docx report",  "docx data listing", "docx results listing",
                              "gantt svg",    "network svg",       "mspdi",
                              "xlsx workbook"};

// The XML documents a writer made: the parts of a package, or the file itself.
QList<std::pair<QString, QByteArray>> xmlDocuments(const QString& path, bool package)
{
    QList<std::pair<QString, QByteArray>> documents;
    if (!package) {
        documents.append({path, test::fileBytes(path)});
        return documents;
    }
    test::DocxPackage zip;
    QString error;
    if (!zip.open(path, &error))
        return documents;
    for (const QString& name : zip.names()) {
        if (name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels")))
            documents.append({name, zip.entry(name)});
    }
    return documents;
}

// The document's text content, read as an XML parser reads it; the error
// is empty when the document is well-formed.
QString parsedText(const QByteArray& bytes, QString* error)
{
    QXmlStreamReader reader(bytes);
    QString text;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters())
            text += reader.text();
    }
    *error = reader.hasError()
                 ? QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString())
                 : QString();
    return text;
}

} // namespace

class TestXmlOutputs final : public QObject
{
    Q_OBJECT

private slots:
    void everyWriterDropsWhatXmlForbids_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("character");
        for (const QString& writer : kWriters) {
            for (const auto& [name, character] : forbiddenCharacters())
                QTest::addRow("%s, %s", qPrintable(writer), name.constData())
                    << writer << character;
        }
    }

    // A description, the title page and the office name hold the character between two words:
    // every XML document the writer makes parses, and the words are there with nothing between
    // them.
    void everyWriterDropsWhatXmlForbids()
    {
        QFETCH(QString, writer);
        QFETCH(QString, character);
        const QString text = QStringLiteral("prima") + character + QStringLiteral("dopo");
        Project project = test::buildProject("3: 1>2=5 2>3=2", "01/03/2027");
        project.setDescription(2, text);
        const ScheduleResults results = ComputeSchedule(project);
        TitlePage titlePage;
        titlePage.fields[TitlePage::progetto] = text;
        const OfficeSettings office{text, QStringLiteral("Via Roma 1")};
        const ReportData data{project, results, titlePage, office};

        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("uscita"));
        Result<void> written;
        const bool package =
            writer.startsWith(QLatin1String("docx")) || writer.startsWith(QLatin1String("xlsx"));
        if (package && writer.startsWith(QLatin1String("docx"))) {
            DocxWriter document;
            if (writer == QLatin1String("docx report"))
                buildFullReport(document, data);
            else if (writer == QLatin1String("docx data listing"))
                buildDataListing(document, project, titlePage);
            else
                buildResultsListing(document, data);
            path += QStringLiteral(".docx");
            written = document.save(path);
        } else if (writer == QLatin1String("xlsx workbook")) {
            path += QStringLiteral(".xlsx");
            written = exportResultsXlsx(path, project, results);
        } else if (writer == QLatin1String("mspdi")) {
            path += QStringLiteral(".xml");
            written = exportMspdi(path, project, results, text);
        } else if (writer == QLatin1String("gantt svg")) {
            path += QStringLiteral(".svg");
            const GanttChart chart = buildGantt(project, results);
            const GanttGeometry geometry;
            written = exportPicture(path, geometry.size(chart), [&](QPainter& p) {
                paintGantt(p, chart, geometry, QDate(2027, 3, 1));
            });
        } else {
            path += QStringLiteral(".svg");
            const NetworkLayout layout = layoutNetwork(project, results, LayoutMode::TimeScale);
            written = exportPicture(path, QSizeF(layout.width, layout.height),
                                    [&](QPainter& p) { paintNetwork(p, layout, results); });
        }
        QVERIFY2(written.ok(), !written.ok() ? qPrintable(written.error().text) : "");

        const auto documents = xmlDocuments(path, package);
        QVERIFY(!documents.isEmpty());
        QString allText;
        for (const auto& [name, bytes] : documents) {
            QString error;
            allText += parsedText(bytes, &error);
            QVERIFY2(error.isEmpty(), qPrintable(name + QStringLiteral(": ") + error));
        }
        // The network shows numbers only; every other writer carries the description or the
        // title. Half a surrogate pair reaches the SVG generator, whose own encoder turns it
        // into a replacement character before the document can be cleaned (the label is then
        // shortened), so there only the well-formed document counts.
        if (writer == QLatin1String("network svg"))
            return;
        const bool encoded = writer.endsWith(QLatin1String("svg")) && character[0].isSurrogate();
        QVERIFY2(allText.contains(encoded ? QStringLiteral("prima") : QStringLiteral("primadopo")),
                 qPrintable(writer));
    }
};

QTEST_MAIN(TestXmlOutputs)
#include "test_xml_outputs.moc"
