#include "report/documents.h"
#include "report/docx_writer.h"
#include "report/print_commands.h"
#include "report/report_texts.h"
#include "support/docx_view.h"
#include "support/fake_document_output.h"
#include "support/project_builder.h"

#include "model/text_format.h"
#include "support/message_text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::buildProject;
using zant::test::DocxView;

namespace {

TitlePage sampleTitlePage()
{
    TitlePage t;
    t.fields = {"Magazzino comunale",   "Pratoselva",      "ipotesi di progetto",
                "Comune di Pratoselva", "Ufficio tecnico", "lunedì, 7 dic 2026",
                "planimetria"};
    return t;
}

const OfficeSettings kOffice{"Studio Rossi", "Via Roma 1, Pratoselva"};

class Documents
{
public:
    QTemporaryDir dir;

    DocxView save(const DocxWriter& writer)
    {
        const QString path = dir.filePath(QString("doc%1.docx").arg(m_count++));
        const QString error = zant::test::messageText(writer.save(path));
        if (!error.isEmpty())
            qFatal("save failed: %s", qPrintable(error));
        QString why;
        auto view = zant::test::readDocx(path, &why);
        if (!view)
            qFatal("cannot read back: %s", qPrintable(why));
        return *view;
    }

private:
    int m_count = 0;
};

// Event 4 has three incoming links and one outgoing; event 5 is the final one.
const char* const kNetwork = "5: 1>2=5 1>3=2 1>4=1 2>4=1 3>4=4 4>5=2";

} // namespace

class TestDocuments final : public QObject
{
    Q_OBJECT

    Documents m_docs;

private slots:
    void methodSaysTheCalendarAndTheRule_data()
    {
        QTest::addColumn<bool>("working");
        QTest::newRow("calendar days") << false;
        QTest::newRow("working days, patron and closure") << true;
    }

    // The method page names the calendar of the project in its paragraph on durations, and the
    // one rule for half days is the one the program states everywhere else.
    void methodSaysTheCalendarAndTheRule()
    {
        QFETCH(bool, working);
        ProjectCalendar c;
        if (working) {
            c.workingDays = true;
            c.patron = {7, 12};
            c.closures.push_back({QDate(2027, 8, 9), QDate(2027, 8, 20), "chiusura estiva"});
        }
        const QString method = ReportTexts::methodFor(c).join("\n");
        QVERIFY(!method.contains("{calendario}"));
        QVERIFY2(method.contains("del programma. " + calendarSentence(c) + " " +
                                 fractionalTimeRule() + " Tale tempo"),
                 qPrintable(method));
    }
    void dataListing()
    {
        DocxWriter w;
        buildDataListing(w, buildProject("3: 1>2=5 1>3=2 2>3=1", "01/03/2027"), sampleTitlePage());
        const DocxView v = m_docs.save(w);
        QCOMPARE(
            v.texts().mid(0, 8),
            QStringList({"ZANT", "tecnica reticolare di programmazione", "", "DATI DEL CALCOLO", "",
                         "Progetto: Magazzino comunale", "", "data iniziale: 01/03/2027"}));
        QCOMPARE(v.paragraphs[0].size, 18.0);
        QCOMPARE(v.paragraphs[1].size, 12.0);
        QCOMPARE(v.tables.size(), 1);
        const DocxView::Table& t = v.tables[0];
        QCOMPARE(t.rows(), 3 + 2);
        QCOMPARE(t.cells[0], QStringList({"n.", "descrizione evento", "legami con evento n.",
                                          "tempi in giorni"}));
        QCOMPARE(t.cells[1], QStringList({" 1", "Evento 1", "2", "5"}));
        QCOMPARE(t.cells[2], QStringList({"", "", "3", "2"}));
        QCOMPARE(t.cells[3], QStringList({" 2", "Evento 2", "3", "1"}));
        QCOMPARE(t.cells[4], QStringList({" 3", "Evento 3", "", ""}));
        QCOMPARE(t.columnAlignment(1), QString("right"));
        QCOMPARE(t.columnAlignment(2), QString());
        QCOMPARE(t.columnAlignment(3), QString("right"));
        QCOMPARE(t.columnAlignment(4), QString("right"));
    }

    void blankForm()
    {
        DocxWriter w;
        buildBlankForm(w);
        const DocxView v = m_docs.save(w);
        QVERIFY(v.texts().contains("Modulo di acquisizione dei dati"));
        QVERIFY(v.texts().contains("Progetto: " + QString(37, '_')));
        QVERIFY(v.texts().contains("data d'inizio degli eventi: " + QString(18, '_')));
        const DocxView::Table& t = v.tables.value(0);
        QCOMPARE(t.rows(), 41);
        QCOMPARE(t.columns(), 4);
        QCOMPARE(t.cells[0][1], QString("descrizione del singolo evento") + QString(25, ' '));
        for (int r = 1; r < 41; ++r)
            QCOMPARE(t.cells[r].join(""), QString());
    }

    void resultsListing()
    {
        const Project p = buildProject(kNetwork, "01/03/2027");
        const ScheduleResults r = ComputeSchedule(p);
        DocxWriter w;
        buildResultsListing(w, ReportData{p, r, sampleTitlePage(), kOffice});
        const DocxView v = m_docs.save(w);
        QVERIFY(v.texts().contains("RISULTATI DEL CALCOLO"));
        QCOMPARE(v.tables.size(), 3);

        const DocxView::Table& a = v.tables[0];
        QCOMPARE(a.rows(), 5 + 2);
        QCOMPARE(a.cells[0], QStringList({"evento", "tempo minimo", "data minima", "tempo massimo",
                                          "data massima", "scorrimento"}));
        QCOMPARE(a.cells[1],
                 QStringList({"n.", "giorni", "gg/mm/aa", "giorni", "gg/mm/aa", "giorni"}));
        QCOMPARE(a.cells[4], QStringList({" 3", "2", "03/03/2027", "2", "03/03/2027", "0"}));
        QCOMPARE(a.cells[3], QStringList({" 2", "5", "06/03/2027", "5", "06/03/2027", "0"}));
        for (int c = 1; c <= 6; ++c)
            QCOMPARE(a.columnAlignment(c), QString("right"));

        const DocxView::Table& b = v.tables[1];
        // Event 1: three outgoing; 2 and 3: one each side; 4: three incoming beside one
        // outgoing; 5: one incoming.
        QCOMPARE(b.rows(), 3 + 1 + 1 + 3 + 1 + 2);
        QCOMPARE(b.cells[2], QStringList({" 1", "", "", "2", "Evento 2", "5", "0"}));
        QCOMPARE(b.cells[7], QStringList({" 4", "1", "Evento 1", "5", "Evento 5", "2", "0"}));
        QCOMPARE(b.cells[8], QStringList({" 4", "2", "Evento 2", "", "", "", ""}));
        QCOMPARE(b.cells[9], QStringList({" 4", "3", "Evento 3", "", "", "", ""}));
        QCOMPARE(b.cells[10], QStringList({" 5", "4", "Evento 4", "", "", "", ""}));
        for (int c : {1, 2, 4, 6, 7})
            QCOMPARE(b.columnAlignment(c), QString("right"));
        QCOMPARE(b.columnAlignment(3), QString());

        const DocxView::Table& c = v.tables[2];
        QCOMPARE(c.cells, (QList<QStringList>{{"n. evento", "descrizione"},
                                              {" 1", "Evento 1"},
                                              {" 2", "Evento 2"},
                                              {" 3", "Evento 3"},
                                              {" 4", "Evento 4"},
                                              {" 5", "Evento 5"}}));
    }

    void dataOnlyReport()
    {
        DocxWriter w;
        buildDataOnlyReport(w, TitlePage{}, kOffice);
        const DocxView v = m_docs.save(w);
        QCOMPARE(v.texts().mid(0, 4), QStringList({"ZANT", "tecnica reticolare di programmazione",
                                                   "", "Dati generali"}));
        const DocxView::Table& t = v.tables.value(0);
        QCOMPARE(t.rows(), 10);
        QCOMPARE(t.cells[0], QStringList({"tipologia", "dati"}));
        QCOMPARE(t.cells[3], QStringList({"tipologia di studio", ""}));
        QCOMPARE(t.cells[8], QStringList({"studio tecnico", "Studio Rossi"}));
        QCOMPARE(t.cells[9], QStringList({"indirizzo dello studio", "Via Roma 1, Pratoselva"}));
    }

    void fullReport()
    {
        const Project p = buildProject(kNetwork, "01/03/2027");
        const ScheduleResults r = ComputeSchedule(p);
        DocxWriter w;
        buildFullReport(w, ReportData{p, r, sampleTitlePage(), kOffice});
        const DocxView v = m_docs.save(w);
        const QStringList texts = v.texts();
        QCOMPARE(texts.mid(0, 6),
                 QStringList({"ZANT", "tecnica reticolare di programmazione", "",
                              "progetto: Magazzino comunale", "località: Pratoselva",
                              "tipologia di studio: ipotesi di progetto"}));
        QCOMPARE(v.paragraphs[0].size, 24.0);
        QVERIFY(texts.contains("progettista: Studio Rossi"));
        QVERIFY(texts.contains("Ufficio tecnico: lunedì, 7 dic 2026"));
        QVERIFY(texts.contains("Data iniziale: 01/03/2027"));

        // Sections in order, each explanatory paragraph a paragraph of its own.
        const int method = texts.indexOf(QRegularExpression("(.*\f)?IL METODO"));
        const int data = texts.indexOf(QRegularExpression("(.*\f)?DATI DELLA ELABORAZIONE"));
        const int results =
            texts.indexOf(QRegularExpression("(.*\f)?RISULTATI DELLA ELABORAZIONE"));
        QVERIFY2(method > 0 && data > method && results > data,
                 qPrintable(texts.mid(0, 50).join(" | ")));
        QVERIFY(texts[method + 2].startsWith("Il metodo di programmazione ZANT"));
        QVERIFY(texts[method + 8].startsWith("Lo scorrimento si calcola come differenza"));
        QVERIFY(texts[data + 2].startsWith("I dati necessari alla elaborazione del reticolo ZANT"));
        QVERIFY(texts[results + 2].startsWith("I risultati della elaborazione consistono"));
        QCOMPARE(data - method, 2 + 11);

        // The summary's table of least floats first, then the data table and tables A, B, C.
        QCOMPARE(v.tables.size(), 5);
        QCOMPARE(v.tables[1].rows(), 6 + 2);
        QCOMPARE(v.tables[2].rows(), 5 + 2);
        QCOMPARE(v.tables[3].rows(), 9 + 2);
        QCOMPARE(v.tables[4].rows(), 5 + 1);
        for (int c : {1, 3, 4})
            QCOMPARE(v.tables[1].columnAlignment(c), QString("right"));
        // Descriptions are left-aligned, never justified.
        QCOMPARE(v.tables[1].columnAlignment(2), QString());
        QCOMPARE(v.tables[3].columnAlignment(3), QString());
        QCOMPARE(v.tables[3].columnAlignment(5), QString());
        QCOMPARE(v.tables[4].columnAlignment(2), QString());

        // The closing block states the real page count through a field.
        QVERIFY(v.fieldInstructions.contains("NUMPAGES"));
        const int closing = texts.indexOf(
            QRegularExpression("^La presente relazione è composta di n\\. \\d+ pagine\\.$"));
        QVERIFY2(closing > 0, qPrintable(texts.mid(texts.size() - 8).join(" | ")));
        QCOMPARE(texts.mid(closing + 1),
                 QStringList({"Si allegano: planimetria", "", "Ufficio tecnico: lunedì, 7 dic 2026",
                              "", "il progettista", "(Studio Rossi)", "", "", "Il progettista", "",
                              QString(30, '_')}));
        QCOMPARE(v.paragraphs[method + 2].alignment, QString("both"));
        // Room to sign, on the right.
        QCOMPARE(v.paragraphs[closing + 9].alignment, QString("right"));
        QCOMPARE(v.paragraphs[closing + 11].alignment, QString("right"));
        // Running text breathes; headings stay with what follows them.
        QCOMPARE(v.paragraphs[method + 2].spaceAfter, 6.0);
        QCOMPARE(v.paragraphs[method + 2].lineSpacing, 1.15);
        QVERIFY(!v.paragraphs[method + 2].keepNext);
        for (int heading : {method, data, results})
            QVERIFY(v.paragraphs[heading].keepNext && v.paragraphs[heading + 1].keepNext);
        // The cover keeps its counted single lines.
        QCOMPARE(v.paragraphs[3].spaceAfter, 0.0);
        QCOMPARE(v.paragraphs[3].lineSpacing, 1.0);
    }

    void printCommandsWriteSafelyNamedFiles()
    {
        zant::test::FakeDocumentOutput output;
        const Project p = buildProject(kNetwork);
        TitlePage title = sampleTitlePage();
        title[TitlePage::committente] = "../../etc/Comune: A*B?";
        CheckConfirmation confirmation;
        QStringList statuses;
        PrintResult result = printFullReport(p, title, kOffice, confirmation, output,
                                             [&](const QString& s) { statuses << s; });
        QVERIFY(result.ok());
        QVERIFY(!result.value().notice);
        QCOMPARE(QFileInfo(result.value().path).fileName(),
                 QString("ZANT-RelazioneZANT-_._.._etc_Comune_ A_B_.docx"));
        QCOMPARE(QFileInfo(result.value().path).absolutePath(),
                 QDir(output.folder()).absolutePath());
        QCOMPARE(statuses,
                 QStringList({"sto caricando WORD", "ho visualizzato la relazione con WORD"}));
        QVERIFY(result.value().results && result.value().results->eventCount == 5);

        // Dated names never replace an earlier document.
        const PrintResult first = printBlankForm(output);
        const PrintResult second = printBlankForm(output);
        QVERIFY(first.value().path.endsWith("ZANT-modulo-2026-12-07-1530.docx"));
        QVERIFY(second.value().path.endsWith("ZANT-modulo-2026-12-07-1530-2.docx"));

        // Refused by the check: no document at all.
        const PrintResult refused =
            printResultsListing(buildProject("3: 1>2=1"), title, confirmation, output);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.error().type, ErrorKind::Check);
        QVERIFY(confirmation.refusalPending());

        // A folder that cannot be made: the failure is told, nothing is opened.
        QFile blocker(output.dir.filePath("blocco"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        output.sub = "blocco/ZANT";
        const int opened = output.opened.size();
        const PrintResult failed = printBlankForm(output);
        QVERIFY(!failed.ok());
        QCOMPARE(failed.error().type, ErrorKind::File);
        QCOMPARE(failed.error().kind, MessageKind::Critical);
        QCOMPARE(output.opened.size(), opened);
    }

    void summaryPageShowsTheComputation()
    {
        // Floats of the activities: 1>2 0, 1>3 3, 1>4 5, 2>4 0... and one of 2 days.
        const Project p =
            buildProject("6: 1>2=5 1>3=2 1>4=1 2>4=1 3>4=1 4>5=2 4>6=1 5>6=3", "01/03/2027");
        const ScheduleResults r = ComputeSchedule(p);
        const ProgrammeSummary s = summarizeProgramme(p, r);
        QCOMPARE(s.events, 6);
        QCOMPARE(s.activities, 8);
        QCOMPARE(s.startDate, QString("01/03/2027"));
        QCOMPARE(s.finishDate, r.latestDate[6]);
        QCOMPARE(s.totalDays, r.latest[6]);
        QCOMPARE(s.criticalPath, r.criticalPath);
        std::vector<double> floats;
        for (const ActivityFloat& a : s.leastFloat) {
            QCOMPARE(a.totalFloat, r.linkFloatAt(a.from, a.slot));
            QVERIFY(a.totalFloat > 0);
            QCOMPARE(a.to, p.link(a.from, a.slot).target);
            floats.push_back(a.totalFloat);
        }
        QVERIFY(!floats.empty());
        QVERIFY(std::is_sorted(floats.begin(), floats.end()));

        DocxWriter w;
        buildFullReport(w, ReportData{p, r, sampleTitlePage(), kOffice});
        const DocxView v = m_docs.save(w);
        const QStringList texts = v.texts();
        const int heading = texts.indexOf(QRegularExpression(".*\fSINTESI DELLA PROGRAMMAZIONE$"));
        QVERIFY2(heading > 0, qPrintable(texts.mid(0, 40).join(" | ")));
        QVERIFY(heading < texts.indexOf(QRegularExpression(".*IL METODO$")));
        QCOMPARE(texts.mid(heading + 2, 6), summaryLines(s));
        QVERIFY(texts[heading + 7].startsWith("Percorso critico: " + r.criticalPath));
        const DocxView::Table& leastTable = v.tables[0];
        QCOMPARE(leastTable.rows(), int(s.leastFloat.size()) + 1);
        QCOMPARE(leastTable.cells[1],
                 QStringList({withLeadingBlank(s.leastFloat[0].from),
                              QString::number(s.leastFloat[0].to),
                              p.description(s.leastFloat[0].to), formatDays(s.leastFloat[0].days),
                              formatDays(s.leastFloat[0].totalFloat)}));

        // At most ten, least first.
        QString big = "30:";
        for (int i = 1; i < 30; ++i)
            big += QString(" %1>%2=1 %1>30=%3").arg(i).arg(i + 1).arg(i);
        const Project bigProject = buildProject(big);
        const ProgrammeSummary bigSummary =
            summarizeProgramme(bigProject, ComputeSchedule(bigProject));
        QCOMPARE(int(bigSummary.leastFloat.size()), kLeastFloatCount);
        const ScheduleResults bigResults = ComputeSchedule(bigProject);
        double least = 1e9;
        int positive = 0;
        for (int i = 1; i <= 30; ++i) {
            for (int j = 1; j <= bigProject.linkCount(i); ++j) {
                if (bigResults.linkFloatAt(i, j) > 0) {
                    least = std::min(least, bigResults.linkFloatAt(i, j));
                    ++positive;
                }
            }
        }
        QVERIFY(positive > kLeastFloatCount);
        QCOMPARE(bigSummary.leastFloat.front().totalFloat, least);
        QCOMPARE(bigSummary.leastFloat.back().totalFloat >= least, true);
    }

    // Activities with names of their own are named by them in table B and in the summary;
    // dummies are counted apart, while table B keeps them.
    void namesAndDummiesInTheReport()
    {
        Project p = buildProject("5: 1>2=40 1>3=5 2>4=5 3>4=0 4>5=2", "01/03/2027");
        QVERIFY(p.setLinkName(1, 1, "Fornitura serramenti").ok());
        QVERIFY(p.setLinkName(1, 2, "Posa serramenti").ok());
        const ScheduleResults r = ComputeSchedule(p);
        const ProgrammeSummary s = summarizeProgramme(p, r);
        QCOMPARE(s.activities, 4);
        QCOMPARE(s.dummies, 1);
        QVERIFY(summaryLines(s).contains("Numero delle attività: 4 attività e 1 legame fittizio"));
        QCOMPARE(activityCountText(3, 2), QString("3 attività e 2 legami fittizi"));

        DocxWriter w;
        buildFullReport(w, ReportData{p, r, sampleTitlePage(), kOffice});
        const DocxView v = m_docs.save(w);
        QStringList outgoing;
        for (const DocxView::Table& t : v.tables) {
            if (t.columns() != 7)
                continue;
            for (const QStringList& row : t.cells)
                outgoing << row.value(3) + ":" + row.value(4);
        }
        QVERIFY2(outgoing.contains("2:Fornitura serramenti"), qPrintable(outgoing.join(" | ")));
        QVERIFY(outgoing.contains("3:Posa serramenti"));
        QVERIFY(outgoing.contains("4:Evento 4")); // the dummy 3 → 4 stays in table B
        // Least floats: 1 → 3 has 35 days, named by its own name.
        bool named = false;
        for (const QStringList& row : v.tables[0].cells)
            named = named || row.value(2) == "Posa serramenti";
        QVERIFY(named);
    }

    void tablesReadWell()
    {
        Project p = buildProject(kNetwork, "01/03/2027");
        Event four = p.event(4);
        four.description =
            "Lavorazione in officina della struttura in acciaio e montaggio in opera";
        p.setEvent(4, four);
        const ScheduleResults r = ComputeSchedule(p);
        DocxWriter w;
        buildFullReport(w, ReportData{p, r, sampleTitlePage(), kOffice});
        const DocxView v = m_docs.save(w);
        // No row of any table is split across pages.
        for (const DocxView::Table& t : v.tables) {
            QCOMPARE(t.cantSplit.size(), t.rows());
            QVERIFY(!t.cantSplit.contains(false));
        }
        // The rows of one event keep together: every row but the event's last keeps with the
        // next. Data table: event 1 has rows 2..4; table B: event 1 rows 3..5, event 4 rows 8..10.
        const DocxView::Table& data = v.tables[1];
        QCOMPARE(data.keepNext.mid(1, 4), QList<bool>({true, true, false, false}));
        const DocxView::Table& links = v.tables[3];
        QCOMPARE(links.keepNext.mid(2, 3), QList<bool>({true, true, false}));
        QCOMPARE(links.keepNext.mid(7, 4), QList<bool>({true, true, false, false}));
        // Number columns take what their numbers need; the descriptions get the rest.
        QCOMPARE(links.gridWidths.size(), 7);
        for (int number : {0, 1, 3, 5, 6}) {
            QVERIFY2(links.gridWidths[number] < links.gridWidths[2],
                     qPrintable(QString::number(number)));
            QVERIFY(links.gridWidths[number] < 1400);
        }
        QVERIFY2(links.gridWidths[2] > 2800 && links.gridWidths[4] > 2800,
                 qPrintable(QString("%1 %2").arg(links.gridWidths[2]).arg(links.gridWidths[4])));
        QVERIFY(data.gridWidths[1] > data.gridWidths[0] + data.gridWidths[2] + data.gridWidths[3]);
    }

    void footersNumberThePages_data()
    {
        QTest::addColumn<QString>("document");
        QTest::newRow("full report") << "report";
        QTest::newRow("results listing") << "results";
        QTest::newRow("data listing") << "listing";
    }

    void footersNumberThePages()
    {
        QFETCH(QString, document);
        const Project p = buildProject(kNetwork, "01/03/2027");
        const ScheduleResults r = ComputeSchedule(p);
        const ReportData d{p, r, sampleTitlePage(), kOffice};
        DocxWriter w;
        if (document == "report")
            buildFullReport(w, d);
        else if (document == "results")
            buildResultsListing(w, d);
        else
            buildDataListing(w, p, d.titlePage);
        const DocxView v = m_docs.save(w);
        QCOMPARE(v.footerFields, QStringList({"PAGE", "NUMPAGES"}));
        QCOMPARE(v.footerText,
                 QString("Magazzino comunale\tpagina 1 di %1").arg(w.estimatedPageCount()));
        QVERIFY(v.documentXml.contains("w:footerReference"));
    }

    void blankFormCanBeWrittenOnByHand()
    {
        DocxWriter w;
        buildBlankForm(w);
        const DocxView v = m_docs.save(w);
        const DocxView::Table& t = v.tables.value(0);
        for (int height : t.minHeight)
            QVERIFY(height >= 0.8 / 2.54 * 1440);
        // An empty line between the date to be written and the table.
        const int date = v.texts().indexOf("data d'inizio degli eventi: " + QString(18, '_'));
        QCOMPARE(v.outline.mid(date, 3), QStringList({"p", "p", "tbl"}));
        QVERIFY(v.paragraphs[date + 1].text.isEmpty());
    }

    void officeSettingsWithCommasReachTheReport()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("zant.ini");
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[studio]\nnome=Studio Rossi, Bianchi & C.\nindirizzo=Via Roma 1, 00100 Roma\n");
        f.close();
        const OfficeSettings office = OfficeSettings::load(ini);
        const Project p = buildProject(kNetwork, "01/03/2027");
        const ScheduleResults r = ComputeSchedule(p);
        DocxWriter w;
        buildFullReport(w, ReportData{p, r, sampleTitlePage(), office});
        const QStringList texts = m_docs.save(w).texts();
        QVERIFY(texts.contains("progettista: Studio Rossi, Bianchi & C."));
        QVERIFY(texts.indexOf(QRegularExpression("Via Roma 1, 00100 Roma\f.*")) > 0);
        QVERIFY(texts.contains("(Studio Rossi, Bianchi & C.)"));
    }

    // The designer named in the settings signs the report; the office keeps the cover's foot.
    void designerSignsTheReport_data()
    {
        QTest::addColumn<QString>("designer");
        QTest::addColumn<QString>("signer");
        QTest::addColumn<int>("dataOnlyRows");
        QTest::newRow("no designer: the office signs") << ""
                                                       << "Studio Rossi" << 10;
        QTest::newRow("a designer") << "Ing. Anna Verdi"
                                    << "Ing. Anna Verdi" << 11;
    }

    void designerSignsTheReport()
    {
        QFETCH(QString, designer);
        QFETCH(QString, signer);
        QFETCH(int, dataOnlyRows);
        OfficeSettings office = kOffice;
        office.designer = designer;
        const Project p = buildProject(kNetwork, "01/03/2027");
        const ScheduleResults r = ComputeSchedule(p);
        DocxWriter w;
        buildFullReport(w, ReportData{p, r, sampleTitlePage(), office});
        const QStringList texts = m_docs.save(w).texts();
        QVERIFY(texts.contains("progettista: " + signer));
        QVERIFY(texts.contains("(" + signer + ")"));
        QVERIFY(texts.indexOf(QRegularExpression("Via Roma 1, Pratoselva\f.*")) > 0);
        QVERIFY(texts.contains("Studio Rossi"));

        DocxWriter only;
        buildDataOnlyReport(only, TitlePage{}, office);
        const DocxView::Table t = m_docs.save(only).tables.value(0);
        QCOMPARE(t.rows(), dataOnlyRows);
        if (dataOnlyRows > 10)
            QCOMPARE(t.cells[10], QStringList({"progettista", designer}));
    }

    void longClientNamesFitTheFileSystem_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("expected");
        const QString a199(199, u'a');
        QTest::newRow("116 accented letters") << QString(116, u'è') << QString(100, u'è');
        QTest::newRow("300 plain letters") << QString(300, u'a') << QString(200, u'a');
        QTest::newRow("four-byte emoji across the limit") << a199 + QString::fromUtf8("😀") << a199;
        QTest::newRow("letter with combining accent across the limit")
            << a199 + QString::fromUtf8("e\u0301") << a199;
        QTest::newRow("short name kept") << "Comune di Prova"
                                         << "Comune di Prova";
    }

    // The client part of the report's name is cut to 200 bytes of UTF-8 between two whole
    // characters, and the report is written.
    void longClientNamesFitTheFileSystem()
    {
        QFETCH(QString, client);
        QFETCH(QString, expected);
        QCOMPARE(safeFileNamePart(client), expected);
        zant::test::FakeDocumentOutput output;
        TitlePage title = sampleTitlePage();
        title[TitlePage::committente] = client;
        CheckConfirmation confirmation;
        const PrintResult result =
            printFullReport(buildProject(kNetwork), title, kOffice, confirmation, output);
        QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().text));
        QVERIFY(!result.value().notice);
        QCOMPARE(QFileInfo(result.value().path).fileName(),
                 "ZANT-RelazioneZANT-" + expected + ".docx");
        QVERIFY(QFile::exists(result.value().path));
    }

    void eventLinkRowsFollowTheLongerList()
    {
        // Event 3 receives more links than any event has slots would allow in one list.
        QString net = "3: 1>2=1";
        for (int i = 0; i < 6; ++i)
            net += " 1>3=1";
        net += " 2>3=1";
        const Project p = buildProject(net);
        const auto rows = eventLinkRows(p, ComputeSchedule(p));
        QCOMPARE(std::count_if(rows.begin(), rows.end(),
                               [](const EventLinkRow& r) { return r.event == 3; }),
                 7L);
        QCOMPARE(std::count_if(rows.begin(), rows.end(),
                               [](const EventLinkRow& r) { return r.event == 1; }),
                 7L);
    }
};

// The full report draws its pictures, which needs fonts and so a GUI application.
QTEST_MAIN(TestDocuments)
#include "test_documents.moc"
