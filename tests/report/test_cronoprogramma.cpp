#include "model/money.h"
#include "report/cronoprogramma.h"
#include "report/docx_writer.h"
#include "report/plan_pictures.h"
#include "support/docx_package.h"
#include "support/docx_view.h"
#include "support/project_builder.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using namespace zant::test;

namespace {

// Five events: four lavorazioni with amounts and a dummy (3 -> 4) that the document leaves out.
Project sampleProject(bool amounts = true)
{
    Project p = buildProject(QStringLiteral("5: 1>2=10 1>3=4 2>4=45 3>4=0 4>5=20"),
                             QStringLiteral("01/03/2027"));
    if (amounts) {
        const Cents euro[][3] = {
            {1, 1, 1'250'000'00}, {1, 2, 300'000'00}, {2, 1, 4'567'890'12}, {4, 1, 800'000'01}};
        for (const auto& [e, s, cents] : euro)
            if (!p.setLinkAmount(e, s, cents).ok())
                qFatal("amount refused");
        if (!p.setLinkCategory(2, 1, QStringLiteral("OG1 - Edifici civili e industriali")).ok())
            qFatal("category refused");
    }
    return p;
}

TitlePage sampleTitlePage()
{
    TitlePage t;
    t[TitlePage::progetto] = QStringLiteral("Scuola media di via Roma");
    t[TitlePage::localita] = QStringLiteral("Pratoselva, via Roma 3");
    t[TitlePage::committente] = QStringLiteral("Comune di Pratoselva");
    t[TitlePage::luogo] = QStringLiteral("Pratoselva");
    t[TitlePage::data] = QStringLiteral("lunedì, 1 feb 2027");
    return t;
}

struct Built
{
    DocxView view;
    DocxPackage package;
    int ganttSheets = 0;
    Cents total = 0;
};

Built build(bool amounts = true)
{
    const Project project = sampleProject(amounts);
    const ScheduleResults results = ComputeSchedule(project);
    const TitlePage title = sampleTitlePage();
    const OfficeSettings office{QStringLiteral("Studio Bianchi"), QStringLiteral("Via Po 1"),
                                QStringLiteral("Ing. Maria Bianchi")};
    const ReportData report{project, results, title, office};
    const CronoprogrammaData data =
        cronoprogrammaData(report, SalRule{2, 0, 0}, documentDate(title, QDate(2030, 1, 1)));
    DocxWriter writer;
    buildCronoprogramma(writer, data);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("crono.docx"));
    Built b;
    if (const Result<void> failed = writer.save(path); !failed.ok())
        qFatal("%s", qPrintable(failed.error().text));
    QString error;
    auto view = readDocx(path, &error);
    if (!view || !b.package.open(path, &error))
        qFatal("%s", qPrintable(error));
    b.view = *view;
    b.ganttSheets = static_cast<int>(ganttSheets(report).size());
    b.total = data.amounts.total;
    return b;
}

int count(const QByteArray& text, const QByteArray& what)
{
    return static_cast<int>(text.count(what));
}

QStringList column(const DocxView::Table& t, int c, int firstRow)
{
    QStringList out;
    for (int r = firstRow; r < t.rows(); ++r)
        out << t.cells[r][c];
    return out;
}

} // namespace

class TestCronoprogramma : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cover();
    void headingsAreWordsOwn();
    void lavorazioniTable();
    void periodTables_data();
    void periodTables();
    void salTable();
    void pictures_data();
    void pictures();
    void signature();
    void otherDocumentsKeepTheirStyles();
    void directPrint();
    void longDates_data();
    void longDates();
    void documentDates_data();
    void documentDates();
    void shares_data();
    void shares();

private:
    Built m_doc;
};

void TestCronoprogramma::initTestCase()
{
    m_doc = build();
}

void TestCronoprogramma::cover()
{
    const QByteArray& xml = m_doc.view.documentXml;
    // The cover ends with the paragraph that carries the first section's page.
    const qsizetype end = xml.indexOf("</w:p>", xml.indexOf("<w:sectPr"));
    QVERIFY(end > 0);
    const QString cover = QString::fromUtf8(xml.left(end));
    QVERIFY2(!cover.contains(QStringLiteral("ZANT"), Qt::CaseInsensitive),
             "the cover names no program");
    for (const char* wanted : {"CRONOPROGRAMMA DEI LAVORI", "Scuola media di via Roma",
                               "Pratoselva, via Roma 3", "Comune di Pratoselva", "Studio Bianchi",
                               "Ing. Maria Bianchi", "Pratoselva, 1 febbraio 2027", "6.917.890,13"})
        QVERIFY2(cover.contains(QString::fromUtf8(wanted)), wanted);
}

void TestCronoprogramma::headingsAreWordsOwn()
{
    const QByteArray& xml = m_doc.view.documentXml;
    QCOMPARE(count(xml, "<w:pStyle w:val=\"Heading1\"/>"), 5);
    QCOMPARE(count(xml, "<w:pStyle w:val=\"Heading2\"/>"), 3);
    const QByteArray styles = m_doc.package.entry(QStringLiteral("word/styles.xml"));
    QVERIFY(styles.contains("w:styleId=\"Heading1\""));
    QVERIFY(styles.contains("<w:name w:val=\"heading 1\"/>"));
    QVERIFY(styles.contains("<w:name w:val=\"heading 2\"/>"));
    QVERIFY(styles.contains("<w:outlineLvl w:val=\"1\"/>"));
    // The headings in reading order.
    QStringList headings;
    static const QRegularExpression heading(
        QStringLiteral("<w:pStyle w:val=\"Heading\\d\"/>.*?<w:t[^>]*>([^<]*)</w:t>"));
    for (auto it = heading.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
        headings << it.next().captured(1);
    QCOMPARE(headings,
             QStringList({"1. Calendario e importi", "2. Lavorazioni", "3. Diagramma di Gantt",
                          "4. Importi nel tempo", "4.1 Importi per mese",
                          "4.2 Importi per anno contrattuale", "4.3 Curva a S",
                          "5. Previsione degli stati di avanzamento lavori"}));
}

void TestCronoprogramma::lavorazioniTable()
{
    QCOMPARE(m_doc.view.tables.size(), 4);
    const DocxView::Table& t = m_doc.view.tables[0];
    QCOMPARE(t.columns(), 13);
    QCOMPARE(t.cells[0][2], QStringLiteral("lavorazione"));
    // Four lavorazioni (the dummy left out) and the total.
    QCOMPARE(t.rows(), 1 + 4 + 1);
    QCOMPARE(column(t, 1, 1).mid(0, 4), QStringList({"1-2", "1-3", "2-4", "4-5"}));
    QCOMPARE(t.cells[3][3], QStringLiteral("OG1 - Edifici civili e industriali"));
    // The 45-day activity 2 -> 4 starts on day 10 and has no float; 1 -> 3 has 51 days.
    QCOMPARE(t.cells[3][5], QStringLiteral("11/03/2027"));
    QCOMPARE(t.cells[3][6], QStringLiteral("25/04/2027"));
    QCOMPARE(t.cells[2][7], QStringLiteral("21/04/2027")); // latest start of 1 -> 3
    QCOMPARE(t.cells[2][9], QStringLiteral("51"));
    QVERIFY(t.cells[3][2].endsWith(QStringLiteral("(C)")));
    Cents sum = 0;
    for (const QString& cell : column(t, 11, 1).mid(0, 4))
        sum += parseEuro(cell).value_or(-1);
    QCOMPARE(sum, m_doc.total);
    QCOMPARE(t.cells.last()[11], formatEuro(m_doc.total));
    QCOMPARE(t.cells.last()[12], QStringLiteral("100,00%"));
    QCOMPARE(t.columnAlignment(11), QStringLiteral("right"));
}

void TestCronoprogramma::periodTables_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<QString>("firstLabel");
    QTest::newRow("by month") << 1 << "marzo 2027";
    QTest::newRow("by contract year") << 2 << "1° anno (dal 01/03/2027 al 29/02/2028)";
}

// Each schedule's periods add up to the total, cumulated to it, with the share at 100%.
void TestCronoprogramma::periodTables()
{
    QFETCH(int, table);
    QFETCH(QString, firstLabel);
    const DocxView::Table& t = m_doc.view.tables[table];
    QCOMPARE(t.columns(), 7);
    QCOMPARE(t.cells[2][0], firstLabel);
    const int last = t.rows() - 1;
    QCOMPARE(t.cells[last][0], QStringLiteral("Totale"));
    for (const int c : {1, 4}) {
        Cents sum = 0;
        for (int r = 2; r < last; ++r)
            sum += parseEuro(t.cells[r][c]).value_or(-1);
        QCOMPARE(sum, m_doc.total);
        QCOMPARE(t.cells[last][c], formatEuro(m_doc.total));
        QCOMPARE(t.cells[last - 1][c + 1], formatEuro(m_doc.total));
        QCOMPARE(t.cells[last - 1][c + 2], QStringLiteral("100,00%"));
    }
}

void TestCronoprogramma::salTable()
{
    const DocxView::Table& t = m_doc.view.tables[3];
    QCOMPARE(t.cells[0][0], QStringLiteral("SAL n."));
    // 75 days from 01/03/2027, a SAL every two months: 30/04 and the end of the works.
    QCOMPARE(t.rows(), 2 + 2);
    QCOMPARE(t.cells[2][1], QStringLiteral("30/04/2027"));
    QCOMPARE(t.cells[3][3], formatEuro(m_doc.total));
    QCOMPARE(t.cells[3][6], formatEuro(m_doc.total));
}

void TestCronoprogramma::pictures_data()
{
    QTest::addColumn<bool>("amounts");
    QTest::addColumn<int>("curves");
    QTest::newRow("with amounts: the Gantt sheets and the S-curve") << true << 1;
    QTest::newRow("without amounts: the Gantt sheets only") << false << 0;
}

void TestCronoprogramma::pictures()
{
    QFETCH(bool, amounts);
    QFETCH(int, curves);
    const Built b = amounts ? m_doc : build(false);
    QStringList metafiles;
    QStringList images;
    for (const QString& name : b.package.names()) {
        if (!name.startsWith(QStringLiteral("word/media/")))
            continue;
        const QByteArray bytes = b.package.entry(name);
        // The Gantt sheets are drawings Word draws itself (a metafile's header record and
        // signature); the S-curve is an image.
        if (name.endsWith(QStringLiteral(".emf")) && bytes.startsWith(QByteArray("\1\0\0\0", 4)) &&
            bytes.mid(40, 4) == " EMF")
            metafiles << name;
        else if (name.endsWith(QStringLiteral(".png")) && bytes.startsWith("\x89PNG"))
            images << name;
    }
    QVERIFY(b.ganttSheets >= 1);
    QCOMPARE(metafiles.size(), b.ganttSheets);
    QCOMPARE(images.size(), curves);
    QCOMPARE(b.view.texts()
                 .join(QLatin1Char(' '))
                 .contains(QStringLiteral("Nessuna lavorazione ha un importo")),
             !amounts);
}

void TestCronoprogramma::signature()
{
    const QStringList texts = m_doc.view.texts();
    const qsizetype at = texts.lastIndexOf(QStringLiteral("Il progettista"));
    QVERIFY(at > 0);
    QVERIFY(texts.mid(0, at).contains(QStringLiteral("Pratoselva, 1 febbraio 2027")));
    QCOMPARE(texts[at + 1], QStringLiteral("Ing. Maria Bianchi"));
    QCOMPARE(texts[at + 2], QStringLiteral("(timbro e firma)"));
    QCOMPARE(m_doc.view.paragraphs[at].alignment, QStringLiteral("right"));
}

void TestCronoprogramma::otherDocumentsKeepTheirStyles()
{
    const Project project = sampleProject();
    const ScheduleResults results = ComputeSchedule(project);
    const TitlePage title = sampleTitlePage();
    const OfficeSettings office;
    DocxWriter writer;
    buildFullReport(writer, ReportData{project, results, title, office});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relazione.docx"));
    QVERIFY(writer.save(path).ok());
    DocxPackage package;
    QString error;
    QVERIFY2(package.open(path, &error), qPrintable(error));
    QVERIFY(!package.entry(QStringLiteral("word/styles.xml")).contains("Heading1"));
    QVERIFY(!package.entry(QStringLiteral("word/document.xml")).contains("Heading"));
}

void TestCronoprogramma::directPrint()
{
    const Project project = sampleProject();
    const ScheduleResults results = ComputeSchedule(project);
    const TitlePage title = sampleTitlePage();
    const OfficeSettings office;
    const ReportData report{project, results, title, office};
    const CronoprogrammaData data = cronoprogrammaData(report, SalRule{1, 0, 0}, QDate(2027, 2, 1));
    const std::vector<PrintPage> pages = layoutCronoprogramma(data);
    QVERIFY(pages.size() >= 6);
    QVERIFY(!pages.front().landscape);
    int landscape = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        QCOMPARE(pages[i].number, static_cast<int>(i) + 1);
        landscape += pages[i].landscape ? 1 : 0;
        // Everything stays inside the printable area of its page.
        const int width = pages[i].landscape ? kLandscapePrintableWidth : kPrintableWidth;
        const int height = pages[i].landscape ? kLandscapePrintableHeight : kPrintableHeight;
        for (const PrintItem& item : pages[i].items) {
            QVERIFY(item.x >= 0 && item.x2 <= width);
            QVERIFY(item.y >= 0 && item.y2 <= height);
        }
    }
    QVERIFY(landscape >= 3); // lavorazioni, Gantt chart, S-curve

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("crono.pdf"));
    QVERIFY(printCronoprogrammaToPdf(data, pdf).ok());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"),
             static_cast<qsizetype>(pages.size()));
    // A folder that does not exist: a message, no file.
    const QString nowhere = dir.filePath(QStringLiteral("manca/crono.pdf"));
    QVERIFY(!printCronoprogrammaToPdf(data, nowhere).ok());
    QVERIFY(!QFile::exists(nowhere));
}

void TestCronoprogramma::longDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("first of February") << QDate(2027, 2, 1) << "1 febbraio 2027";
    QTest::newRow("end of year") << QDate(2028, 12, 31) << "31 dicembre 2028";
    QTest::newRow("leap day") << QDate(2028, 2, 29) << "29 febbraio 2028";
    QTest::newRow("invalid") << QDate() << "";
}

void TestCronoprogramma::longDates()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(longItalianDate(date), text);
}

void TestCronoprogramma::documentDates_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QDate>("date");
    const QDate today(2030, 6, 15);
    QTest::newRow("as the program writes it") << "lunedì, 1 feb 2027" << QDate(2027, 2, 1);
    QTest::newRow("typed dd/MM/yyyy") << "03/04/2027" << QDate(2027, 4, 3);
    QTest::newRow("written out") << "12 marzo 2027" << QDate(2027, 3, 12);
    QTest::newRow("no date: today") << "" << today;
    QTest::newRow("not a date: today") << "primavera" << today;
}

void TestCronoprogramma::documentDates()
{
    QFETCH(QString, written);
    QFETCH(QDate, date);
    TitlePage t;
    t[TitlePage::data] = written;
    QCOMPARE(documentDate(t, QDate(2030, 6, 15)), date);
}

void TestCronoprogramma::shares_data()
{
    QTest::addColumn<qint64>("part");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << qint64(500) << qint64(500) << "100,00%";
    QTest::newRow("a third") << qint64(1) << qint64(3) << "33,33%";
    QTest::newRow("rounded half up") << qint64(1) << qint64(8) << "12,50%";
    QTest::newRow("tiny") << qint64(1) << qint64(99999999999) << "0,00%";
    QTest::newRow("no total") << qint64(0) << qint64(0) << "0,00%";
}

void TestCronoprogramma::shares()
{
    QFETCH(qint64, part);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QCOMPARE(shareText(part, total), text);
}

QTEST_MAIN(TestCronoprogramma)
#include "test_cronoprogramma.moc"
