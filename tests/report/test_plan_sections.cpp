#include "model/project_file.h"
#include "report/docx_writer.h"
#include "report/plan_pictures.h"
#include "report/print_renderer.h"
#include "support/docx_package.h"
#include "support/message_text.h"
#include "support/project_builder.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using namespace zant::test;

namespace {

const OfficeSettings kOffice{"Studio Rossi", "Via Roma 1, Pratoselva"};

// One section of the document as a reader sees it: its paragraphs' text, its pictures, its page.
struct Section
{
    QString text;
    int pictures = 0;
    bool landscape = false;
    bool footer = false;
    int textWidth = 0;      // twips between the side margins
    int footerCentre = 0;   // twips from the left margin to the footer's centred tab
    QList<int> tableWidths; // the grid of each table, summed
};

QString textOf(const XmlElement& paragraph)
{
    QString out;
    for (const XmlElement* t : paragraph.descendants(QStringLiteral("w:t")))
        out += t->text;
    return out;
}

bool isLandscape(const XmlElement* sectPr)
{
    const XmlElement* size = sectPr ? sectPr->child(QStringLiteral("w:pgSz")) : nullptr;
    return size && size->attribute(QStringLiteral("w:orient")) == QLatin1String("landscape") &&
           size->attribute(QStringLiteral("w:w")).toInt() >
               size->attribute(QStringLiteral("w:h")).toInt();
}

// Reads a section's page and the centre of the footer it names.
void readPage(const XmlElement& sectPr, const DocxPackage& package, const XmlElement& rels,
              Section* section)
{
    section->landscape = isLandscape(&sectPr);
    const XmlElement* size = sectPr.child(QStringLiteral("w:pgSz"));
    const XmlElement* margins = sectPr.child(QStringLiteral("w:pgMar"));
    section->textWidth = size->attribute(QStringLiteral("w:w")).toInt() -
                         margins->attribute(QStringLiteral("w:left")).toInt() -
                         margins->attribute(QStringLiteral("w:right")).toInt();
    const XmlElement* reference = sectPr.child(QStringLiteral("w:footerReference"));
    section->footer = reference != nullptr;
    if (!reference)
        return;
    for (const XmlElement* rel : rels.childrenNamed(QStringLiteral("Relationship"))) {
        if (rel->attribute(QStringLiteral("Id")) != reference->attribute(QStringLiteral("r:id")))
            continue;
        XmlElement footer;
        QString error;
        if (!parseXml(
                package.entry(QStringLiteral("word/") + rel->attribute(QStringLiteral("Target"))),
                &footer, &error))
            qFatal("%s", qPrintable(error));
        for (const XmlElement* tab : footer.descendants(QStringLiteral("w:tab")))
            if (tab->attribute(QStringLiteral("w:val")) == QLatin1String("center"))
                section->footerCentre = tab->attribute(QStringLiteral("w:pos")).toInt();
    }
}

QList<Section> sectionsOf(const QString& path, int* mediaCount)
{
    DocxPackage package;
    QString error;
    if (!package.open(path, &error))
        qFatal("%s", qPrintable(error));
    *mediaCount = 0;
    for (const QString& name : package.names())
        if (name.startsWith(QLatin1String("word/media/")))
            ++*mediaCount;
    XmlElement root;
    if (!parseXml(package.entry(QStringLiteral("word/document.xml")), &root, &error))
        qFatal("%s", qPrintable(error));
    XmlElement rels;
    if (!parseXml(package.entry(QStringLiteral("word/_rels/document.xml.rels")), &rels, &error))
        qFatal("%s", qPrintable(error));
    const XmlElement* body = root.child(QStringLiteral("w:body"));
    QList<Section> sections{Section{}};
    for (const XmlElement& block : body->children) {
        if (block.name == QLatin1String("w:sectPr")) {
            readPage(block, package, rels, &sections.last());
            continue;
        }
        if (block.name == QLatin1String("w:tbl")) {
            int width = 0;
            for (const XmlElement* column : block.descendants(QStringLiteral("w:gridCol")))
                width += column->attribute(QStringLiteral("w:w")).toInt();
            sections.last().tableWidths.append(width);
        }
        sections.last().text += textOf(block) + QLatin1Char('\n');
        sections.last().pictures += int(block.descendants(QStringLiteral("w:drawing")).size());
        const XmlElement* pPr = block.child(QStringLiteral("w:pPr"));
        if (const XmlElement* sectPr = pPr ? pPr->child(QStringLiteral("w:sectPr")) : nullptr) {
            readPage(*sectPr, package, rels, &sections.last());
            sections.append(Section{});
        }
    }
    return sections;
}

// The sections of the full report written as a .docx package.
QList<Section> fullReportSections(const ReportData& data, int* mediaCount)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relazione.docx"));
    DocxWriter writer;
    buildFullReport(writer, data);
    const QString error = zant::test::messageText(writer.save(path));
    if (!error.isEmpty())
        qFatal("%s", qPrintable(error));
    return sectionsOf(path, mediaCount);
}

} // namespace

class TestPlanSections final : public QObject
{
    Q_OBJECT

private slots:
    void reportHasTheNetworkAndTheGanttOnLandscapePages_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("networkSplit");
        QTest::newRow("example") << QStringLiteral("example") << true;
        QTest::newRow("small network") << QStringLiteral("3: 1>2=2 2>3=2 1>3=3") << false;
    }

    void reportHasTheNetworkAndTheGanttOnLandscapePages()
    {
        QFETCH(QString, source);
        QFETCH(bool, networkSplit);
        Project project;
        TitlePage title;
        if (source == QLatin1String("example")) {
            auto file = readProjectFile(
                QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt"));
            QVERIFY(file.ok());
            project = file.value().project;
            title = file.value().titlePage;
        } else {
            project = buildProject(source, QStringLiteral("01/03/2027"));
        }
        const ScheduleResults results = ComputeSchedule(project);
        const ReportData data{project, results, title, kOffice};
        const auto network = networkSheets(data);
        const auto gantt = ganttSheets(data);
        QCOMPARE(network.size() > 1, networkSplit);
        // The Gantt chart's sheets hold every activity but the dummies, on rows of 4 mm or
        // more; the network's text stays 2.5 mm high.
        int activities = 0;
        for (int e = 1; e <= project.eventCount(); ++e)
            for (int k = 1; k <= project.linkCount(e); ++k)
                activities += project.link(e, k).days.value_or(0) != 0;
        int rows = 0;
        for (const PlanSheet& sheet : gantt) {
            rows += sheet.rows;
            QVERIFY(sheet.rowHeight >= 4 * 72 / 25.4);
            QVERIFY(sheet.smallestText >= 2.5 * 72 / 25.4 - 1e-9);
        }
        QCOMPARE(rows, activities);
        for (const PlanSheet& sheet : network)
            QVERIFY(sheet.smallestText >= 2.5 * 72 / 25.4 - 1e-9);
        // Every sheet fits the text area of a landscape page.
        for (const auto& sheets : {network, gantt}) {
            for (const PlanSheet& s : sheets) {
                QVERIFY(s.points.width() <= 728.5 && s.points.height() <= 467);
                QVERIFY(!s.image.isNull());
                // 300 dpi.
                QVERIFY(std::abs(s.image.width() - s.points.width() * 300 / 72) < 2);
            }
        }

        int media = 0;
        const QList<Section> sections = fullReportSections(data, &media);
        QCOMPARE(media, int(network.size() + gantt.size()));

        int d = -1;
        int e = -1;
        for (int i = 0; i < sections.size(); ++i) {
            if (sections[i].text.contains(QStringLiteral("D) Reticolo")))
                d = i;
            if (sections[i].text.contains(QStringLiteral("E) Diagramma di Gantt")))
                e = i;
        }
        QVERIFY(d > 0 && e > d);
        // The summary page points to the pictures; every section keeps the page footer.
        QVERIFY(sections.first().text.contains(kPlanPicturesNote));
        // Every section keeps the page footer, centred on its own page; every table fills the
        // width between its section's margins.
        for (const Section& section : sections) {
            QVERIFY(section.footer);
            QCOMPARE(section.footerCentre, section.textWidth / 2);
            for (const int width : section.tableWidths)
                QCOMPARE(width, section.textWidth);
        }
        // Tables B and C have pages of their own with narrow side margins.
        QVERIFY(sections[d - 1].text.startsWith(QStringLiteral("B) Eventi e legami")));
        QVERIFY(sections[d - 1].text.contains(QStringLiteral("C) Percorso critico")));
        QCOMPARE(sections[d - 1].tableWidths.size(), 2);
        QVERIFY(!sections[d - 1].landscape);
        QVERIFY(sections[d - 1].textWidth > sections[d - 2].textWidth);
        QVERIFY(!sections[d - 2].landscape);
        QVERIFY(sections[d].landscape);
        QCOMPARE(sections[d].pictures, int(network.size()));
        QVERIFY(sections[d].text.contains(QStringLiteral("tempo minimo")));
        QVERIFY(sections[e].landscape);
        QCOMPARE(sections[e].pictures, int(gantt.size()));
        QVERIFY(sections[e].text.contains(QStringLiteral("scorrimento totale")));
        QVERIFY(!sections[d].text.contains(QStringLiteral("occuperebbe")));
        QVERIFY(!sections[e].text.contains(QStringLiteral("occuperebbe")));
        // The closing block is back on portrait pages.
        QVERIFY(!sections.last().landscape);
        QVERIFY(sections.last().text.contains(QStringLiteral("La presente relazione")));
        if (networkSplit)
            QVERIFY(
                sections[d].text.contains(QStringLiteral("foglio 1 di %1").arg(network.size())));
    }

    void aSheetThatCannotGoInSaysSoInItsPlace()
    {
        // A writer whose pictures all fail, as when memory runs out converting them.
        class NoPictures final : public DocxWriter
        {
        public:
            Result<void> insertPicture(const QImage&, QSizeF) override
            {
                return Error(ErrorKind::File, critical(QStringLiteral("immagine non inserita")));
            }
        };
        const Project project =
            buildProject(QStringLiteral("3: 1>2=2 2>3=2 1>3=3"), QStringLiteral("01/03/2027"));
        const ScheduleResults results = ComputeSchedule(project);
        const TitlePage title;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("relazione.docx"));
        NoPictures writer;
        buildFullReport(writer, ReportData{project, results, title, kOffice});
        QVERIFY(writer.save(path).ok());
        int media = 0;
        int noted = 0;
        for (const Section& section : sectionsOf(path, &media))
            noted += int(section.text.count(QStringLiteral("immagine non inserita")));
        QCOMPARE(media, 0);
        QCOMPARE(noted, 2); // the network's sheet and the Gantt chart's
    }

    void directPrintTurnsThePagesForThePictures()
    {
        auto file = readProjectFile(
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt"));
        QVERIFY(file.ok());
        const ScheduleResults results = ComputeSchedule(file.value().project);
        const ReportData data{file.value().project, results, file.value().titlePage, kOffice};
        const auto pages = layoutDirectReport(data);
        QStringList headings;
        int landscape = 0;
        for (const PrintPage& page : pages) {
            int pictures = 0;
            for (const PrintItem& item : page.items) {
                if (item.kind == PrintItem::Kind::Picture) {
                    ++pictures;
                    QVERIFY(item.picture);
                    // Proportions kept, inside the page.
                    QCOMPARE(qRound(double(item.x2 - item.x) / (item.y2 - item.y) * 100),
                             qRound(item.pictureSize.width() / item.pictureSize.height() * 100));
                    QVERIFY(item.x2 <= 15500 && item.y2 <= 10300);
                }
                if (item.text.startsWith(QLatin1String("D) ")) ||
                    item.text.startsWith(QLatin1String("E) ")))
                    headings << item.text;
            }
            QCOMPARE(pictures > 0, page.landscape);
            landscape += page.landscape;
        }
        QCOMPARE(landscape, int(networkSheets(data).size() + ganttSheets(data).size()));
        QVERIFY(headings.first().startsWith(QLatin1String("D) Reticolo - foglio 1 di")));
        QVERIFY(headings.last().startsWith(QLatin1String("E) Diagramma di Gantt - foglio")));
        QVERIFY(!pages.back().landscape);

        // The PDF has as many landscape pages (842 x 595 points) as the layout.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("relazione.pdf"));
        QCOMPARE(zant::test::messageText(printReportToPdf(data, path)), QString());
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        static const QRegularExpression box(
            QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        int wide = 0;
        int pdfPages = 0;
        for (const auto& m : box.globalMatch(QString::fromLatin1(bytes))) {
            ++pdfPages;
            wide += m.captured(1).toDouble() > m.captured(2).toDouble();
        }
        QCOMPARE(pdfPages, int(pages.size()));
        QCOMPARE(wide, landscape);
    }

    void ganttRowsRunOverSeveralSheets()
    {
        QStringList links;
        for (int i = 1; i < 60; ++i)
            links << QStringLiteral("%1>%2=%3").arg(i).arg(i + 1).arg(3 + i % 5)
                  << QStringLiteral("%1>60=2").arg(i);
        const Project project =
            buildProject(QStringLiteral("60: ") + links.join(' '), QStringLiteral("01/03/2027"));
        const ScheduleResults results = ComputeSchedule(project);
        const TitlePage title;
        const auto sheets = ganttSheets(ReportData{project, results, title, kOffice});
        // 118 activities on as many sheets as they need, each a page high at most.
        int rows = 0;
        for (const PlanSheet& s : sheets) {
            QVERIFY(s.points.height() <= (rows == 0 ? 350 : 440));
            rows += s.rows;
        }
        QCOMPARE(rows, 118);
        QVERIFY(sheets.size() > 1);

        // A schedule of years keeps its calendar inside the page's width.
        const Project years = buildProject(QStringLiteral("4: 1>2=1000 2>3=1000 3>4=1000"),
                                           QStringLiteral("01/03/2027"));
        const auto long_ = ganttSheets(ReportData{years, ComputeSchedule(years), title, kOffice});
        QCOMPARE(int(long_.size()), 1);
        QVERIFY(long_.front().points.width() <= 728.5);
    }

    void aPictureTooLargeForTheReportShowsItsCriticalPartAndSaysSo_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("gantt");
        QTest::addColumn<int>("sheetCount");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("note");
        // 340 activities in parallel between three events: the Gantt chart runs on over all the
        // sheets it needs and says nothing of a reduction.
        QStringList mixed;
        for (int k = 1; k <= 170; ++k)
            mixed << QStringLiteral("1>2=%1").arg(k % 9 + 1)
                  << QStringLiteral("2>3=%1").arg(k % 7 + 1);
        QTest::newRow("gantt: every activity") << QStringLiteral("3: ") + mixed.join(' ') << true
                                               << 17 << int(PlanSheet::Shown::Whole) << QString();
        // 198 side events one day after the start stack up in a column far above and below
        // the critical path 1 > 2 > 200: the picture is tall, readable only on many sheets.
        QStringList tall{QStringLiteral("1>2=5"), QStringLiteral("2>200=5")};
        for (int k = 3; k < 200; ++k)
            tall << QStringLiteral("1>%1=1").arg(k) << QStringLiteral("%1>200=1").arg(k);
        QTest::newRow("network: the whole reduced")
            << QStringLiteral("200: ") + tall.join(' ') << false << 1
            << int(PlanSheet::Shown::Reduced)
            << QStringLiteral("qui è riportato ridotto a una sola pagina, come quadro d'insieme, "
                              "non leggibile nei particolari;");
    }

    void aPictureTooLargeForTheReportShowsItsCriticalPartAndSaysSo()
    {
        QFETCH(QString, source);
        QFETCH(bool, gantt);
        QFETCH(int, sheetCount);
        QFETCH(int, shown);
        QFETCH(QString, note);
        const Project project = buildProject(source, QStringLiteral("01/03/2027"));
        const ScheduleResults results = ComputeSchedule(project);
        const TitlePage title;
        const ReportData data{project, results, title, kOffice};
        const auto sheets = gantt ? ganttSheets(data) : networkSheets(data);
        QCOMPARE(int(sheets.size()), sheetCount);
        for (const PlanSheet& sheet : sheets) {
            QCOMPARE(int(sheet.shown), shown);
            QVERIFY(shown == int(PlanSheet::Shown::Whole) || sheet.wholeSheets > 24);
            QVERIFY(sheet.points.width() <= 728.5 && sheet.points.height() <= 467);
        }

        int media = 0;
        const QString heading =
            gantt ? QStringLiteral("E) Diagramma di Gantt") : QStringLiteral("D) Reticolo");
        const QString window = gantt ? QStringLiteral("«ZANT: diagramma di Gantt»")
                                     : QStringLiteral("«ZANT: reticolo»");
        bool noted = false;
        for (const Section& section : fullReportSections(data, &media)) {
            if (section.text.contains(heading))
                noted = note.isEmpty()
                            ? !section.text.contains(QStringLiteral("occuperebbe"))
                            : section.text.contains(note) && section.text.contains(window);
        }
        QVERIFY(noted);

        QString printed;
        for (const PrintPage& page : planPrintPages(data, 1))
            for (const PrintItem& item : page.items)
                printed += item.text + QLatin1Char(' ');
        QVERIFY(note.isEmpty() ? !printed.contains(QStringLiteral("occuperebbe"))
                               : printed.simplified().contains(note));
    }
};

QTEST_MAIN(TestPlanSections)
#include "test_plan_sections.moc"
