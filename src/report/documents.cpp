#include "report/documents.h"

#include "model/text_format.h"
#include "report/plan_pictures.h"
#include "report/report_texts.h"

#include <algorithm>

namespace zant {

namespace {

const QString kFont = QStringLiteral("Century Gothic");
// Headings of narrow number columns, with soft hyphens where a long word may break: the
// columns then need only the width of their numbers.
QString hyphenated(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1Char('|'), QChar(0x00AD));
}

const QString kSignatureLine = QString(30, QLatin1Char('_'));
constexpr double kHandwrittenRowHeight = 0.85 / 2.54 * 72; // 0.85 cm
constexpr int kFormatHeaderOne = 1;
constexpr int kFormatHeaderTwo = 2;

QString daysText(const Link& link)
{
    return link.days ? formatDays(*link.days) : QString();
}

void setRow(DocumentWriter& w, int table, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c) {
        if (!cells[c].isEmpty())
            w.setCellText(table, row, c + 1, cells[c]);
    }
}

// Number columns: right-aligned and as wide as their longest number, so the descriptions get
// the rest of the page.
void alignRight(DocumentWriter& w, int table, std::initializer_list<int> columns)
{
    for (int c : columns)
        w.alignColumnRight(table, c);
}

void fitColumns(DocumentWriter& w, int table, std::initializer_list<int> columns)
{
    for (int c : columns)
        w.fitColumnToContent(table, c);
}

using ParagraphFormat = DocumentWriter::ParagraphFormat;
// The layouts drawn for them: single-spaced lines counted to fill the cover, and running text
// that breathes.
const ParagraphFormat kPlain{};
const ParagraphFormat kBody{6, 1.15, false, false};
const ParagraphFormat kHeading{0, 1, true, false};
const ParagraphFormat kRight{0, 1, false, true};

// A section heading typed with its empty lines, kept on the page of the text below it.
void typeHeading(DocumentWriter& w, const QString& text)
{
    w.setParagraphFormat(kHeading);
    w.typeText(text);
    w.setParagraphFormat(kBody);
}

// The product's name and subtitle that open the listings and the title page's report.
void typeProductTitle(DocumentWriter& w, const SharedConstants& k)
{
    w.setFontName(kFont);
    w.setFontSize(18);
    w.typeText(k.productName + QStringLiteral("\r"));
    w.setFontSize(12);
    w.typeText(k.productSubtitle + QStringLiteral("\r\r"));
}

// The title block of the listings: product, subtitle, heading in capitals, project name.
void typeListingTitle(DocumentWriter& w, const SharedConstants& k, const QString& heading,
                      const QString& project)
{
    typeProductTitle(w, k);
    w.typeText(heading + QStringLiteral("\r\r"));
    w.typeText(QStringLiteral("Progetto: ") + project + QStringLiteral("\r\r"));
}

// The project as entered: an event's number and description on the row of its first link, its
// further links on the rows below.
int addDataTable(DocumentWriter& w, const Project& p)
{
    const int table = w.addTable(dataTableRows(p), 4, 10);
    setRow(w, table, 1,
           {QStringLiteral("n."), QStringLiteral("descrizione evento"),
            QStringLiteral("legami con evento n."), QStringLiteral("tempi in giorni")});
    int row = 2;
    for (int i = 1; i <= p.eventCount(); ++i) {
        setRow(w, table, row, {withLeadingBlank(i), p.description(i)});
        for (int j = 1; j <= p.linkCount(i); ++j) {
            const Link& link = p.link(i, j);
            setRow(w, table, row + j - 1,
                   {QString(), QString(), QString::number(link.target), daysText(link)});
        }
        const int rows = std::max(1, p.linkCount(i));
        if (rows > 1)
            w.keepRowsTogether(table, row, row + rows - 1);
        row += rows;
    }
    w.applyTableFormat(table, kFormatHeaderOne);
    fitColumns(w, table, {1, 3, 4});
    return table;
}

int addTimesTable(DocumentWriter& w, const ReportData& d)
{
    const ScheduleResults& r = d.results;
    const int table = w.addTable(r.eventCount + 2, 6, 10);
    setRow(w, table, 1,
           {QStringLiteral("evento"), QStringLiteral("tempo minimo"), QStringLiteral("data minima"),
            QStringLiteral("tempo massimo"), QStringLiteral("data massima"),
            QStringLiteral("scorrimento")});
    setRow(w, table, 2,
           {QStringLiteral("n."), QStringLiteral("giorni"), QStringLiteral("gg/mm/aa"),
            QStringLiteral("giorni"), QStringLiteral("gg/mm/aa"), QStringLiteral("giorni")});
    for (int i = 1; i <= r.eventCount; ++i) {
        setRow(w, table, i + 2,
               {withLeadingBlank(i), formatDays(r.earliest[i]), r.earliestDate[i],
                formatDays(r.latest[i]), r.latestDate[i], formatDays(r.eventFloat(i))});
    }
    w.applyTableFormat(table, kFormatHeaderTwo);
    fitColumns(w, table, {1, 2, 3, 4, 5, 6});
    return table;
}

int addEventLinkTable(DocumentWriter& w, const ReportData& d)
{
    const Project& p = d.project;
    const std::vector<EventLinkRow> rows = eventLinkRows(p, d.results);
    const int table = w.addTable(static_cast<int>(rows.size()) + 2, 7, 8);
    setRow(w, table, 1,
           {hyphenated("e|ven|to"), hyphenated("in en|tra|ta"), QStringLiteral("descrizione"),
            hyphenated("in u|sci|ta"), QStringLiteral("descrizione"), hyphenated("at|ti|vi|tà"),
            hyphenated("scor|ri|men|to")});
    setRow(w, table, 2,
           {QStringLiteral("n."), hyphenated("n.e|ven|to"), QString(), hyphenated("n.e|ven|to"),
            QString(), hyphenated("gior|ni"), hyphenated("gior|ni")});
    int row = 3;
    int eventFirstRow = row;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const EventLinkRow& e = rows[k];
        QStringList cells{withLeadingBlank(e.event)};
        if (e.predecessor)
            cells << QString::number(e.predecessor) << p.description(e.predecessor);
        else
            cells << QString() << QString();
        if (e.target) {
            const Link& link = p.link(e.event, e.position);
            cells << QString::number(e.target) << p.activityName(e.event, e.position)
                  << daysText(link) << formatDays(d.results.linkFloatAt(e.event, e.position));
        }
        setRow(w, table, row, cells);
        if (k + 1 == rows.size() || rows[k + 1].event != e.event) {
            if (row > eventFirstRow)
                w.keepRowsTogether(table, eventFirstRow, row);
            eventFirstRow = row + 1;
        }
        ++row;
    }
    w.applyTableFormat(table, kFormatHeaderTwo);
    fitColumns(w, table, {1, 2, 4, 6, 7});
    return table;
}

int addCriticalTable(DocumentWriter& w, const ReportData& d)
{
    const ScheduleResults& r = d.results;
    std::vector<int> critical;
    for (int i = 1; i <= r.eventCount; ++i) {
        if (r.isCritical(i))
            critical.push_back(i);
    }
    const int table = w.addTable(static_cast<int>(critical.size()) + 1, 2, 8);
    setRow(w, table, 1, {QStringLiteral("n. evento"), QStringLiteral("descrizione")});
    int row = 2;
    for (int i : critical)
        setRow(w, table, row++, {withLeadingBlank(i), d.project.description(i)});
    w.applyTableFormat(table, kFormatHeaderOne);
    fitColumns(w, table, {1});
    return table;
}

// Tables B and C on pages with narrow side margins: the two description columns of table B then
// hold most descriptions on one line, which roughly halves its pages. The section runs on until
// the caller starts the next one. Returns table B.
int addEventLinkSection(DocumentWriter& w, const ReportData& d, const QString& headingB,
                        const QString& headingC)
{
    w.startSection(SectionPage::PortraitWide);
    w.addParagraph(headingB, 12);
    const int table = addEventLinkTable(w, d);
    w.addParagraph(headingC, 12);
    addCriticalTable(w, d);
    return table;
}

void typeParagraphs(DocumentWriter& w, const QStringList& paragraphs)
{
    for (const QString& paragraph : paragraphs)
        w.typeText(paragraph + QStringLiteral("\r"));
}

// The page after the cover: the programme at a glance.
void addSummaryPage(DocumentWriter& w, const ReportData& d)
{
    const ProgrammeSummary summary = summarizeProgramme(d.project, d.results);
    w.setFontSize(16);
    typeHeading(w, kSummaryHeading + QStringLiteral("\r\r"));
    w.setFontSize(12);
    for (const QString& line : summaryLines(summary))
        w.typeText(line + QStringLiteral("\r"));
    w.typeText(QStringLiteral("\r") + summary.calendar + QStringLiteral("\r"));
    w.typeText(QStringLiteral("\r") + kPlanPicturesNote + QStringLiteral("\r"));
    if (summary.leastFloat.empty())
        return;
    typeHeading(w, QStringLiteral("\r") + kLeastFloatHeading + QStringLiteral("\r"));
    const int table = w.addTable(static_cast<int>(summary.leastFloat.size()) + 1, 5, 10);
    setRow(w, table, 1,
           {QStringLiteral("da evento"), QStringLiteral("a evento"), QStringLiteral("attività"),
            QStringLiteral("giorni"), hyphenated("scorri|mento")});
    int row = 2;
    for (const ActivityFloat& a : summary.leastFloat)
        setRow(w, table, row++,
               {withLeadingBlank(a.from), QString::number(a.to),
                d.project.activityName(a.from, a.slot), formatDays(a.days),
                formatDays(a.totalFloat)});
    w.applyTableFormat(table, kFormatHeaderOne);
    alignRight(w, table, {1, 2, 4, 5});
    fitColumns(w, table, {1, 2, 4, 5});
}

} // namespace

QString activityCountText(int activities, int dummies)
{
    return QStringLiteral("%1 attività e %2 legam%3 fittizi%4")
        .arg(activities)
        .arg(dummies)
        .arg(dummies == 1 ? QStringLiteral("e") : QStringLiteral("i"))
        .arg(dummies == 1 ? QStringLiteral("o") : QString());
}

ProgrammeSummary summarizeProgramme(const Project& project, const ScheduleResults& results)
{
    ProgrammeSummary s;
    const int n = results.eventCount;
    s.startDate = project.startDateText();
    const WorkingTime& clock = results.clock;
    if (clock.isValid() && clock.firstDay() != clock.start())
        s.startDate +=
            QStringLiteral(" (non lavorativa: il giorno 0 è %1)").arg(formatDate(clock.firstDay()));
    s.events = n;
    s.criticalPath = results.criticalPath;
    s.workingDays = project.calendar().workingDays;
    s.calendar = calendarSentence(project.calendar());
    if (n > 0) {
        s.finishDate = results.latestDate[n];
        s.totalDays = results.latest[n];
    }
    std::vector<ActivityFloat> floating;
    for (const Activity a : project.activities()) {
        if (a.from > n)
            break;
        if (a.isDummy())
            ++s.dummies;
        else
            ++s.activities;
        const double total = results.linkFloatAt(a.from, a.slot);
        if (!isZeroFloat(total) && total > 0)
            floating.push_back({a.from, a.slot, a.to, a.days(), total});
    }
    std::stable_sort(
        floating.begin(), floating.end(),
        [](const ActivityFloat& a, const ActivityFloat& b) { return a.totalFloat < b.totalFloat; });
    if (floating.size() > static_cast<std::size_t>(kLeastFloatCount))
        floating.resize(kLeastFloatCount);
    s.leastFloat = std::move(floating);
    return s;
}

QStringList summaryLines(const ProgrammeSummary& s)
{
    return {QStringLiteral("Data d'inizio: ") + s.startDate,
            QStringLiteral("Data di fine prevista: ") + s.finishDate,
            QStringLiteral("Durata complessiva: ") + formatDays(s.totalDays) +
                (s.workingDays ? QStringLiteral(" giorni lavorativi") : QStringLiteral(" giorni")),
            QStringLiteral("Numero degli eventi: ") + QString::number(s.events),
            QStringLiteral("Numero delle attività: ") + activityCountText(s.activities, s.dummies),
            QStringLiteral("Percorso critico: ") + s.criticalPath};
}

std::vector<EventLinkRow> eventLinkRows(const Project& project, const ScheduleResults& results)
{
    std::vector<EventLinkRow> rows;
    for (int i = 1; i <= results.eventCount; ++i) {
        // An event can have more incoming links than slots, so the longer list decides.
        // Only activities go out: the final event's own links are not part of the network.
        const int outgoing = project.isActivity(i, 1) ? project.linkCount(i) : 0;
        const int positions = std::max(static_cast<int>(results.predecessors[i].size()), outgoing);
        for (int j = 1; j <= positions; ++j)
            rows.push_back({i, j, results.predecessor(i, j),
                            project.isActivity(i, j) ? project.link(i, j).target : 0});
    }
    return rows;
}

int dataTableRows(const Project& project)
{
    int rows = 1;
    for (int i = 1; i <= project.eventCount(); ++i)
        rows += std::max(1, project.linkCount(i));
    return rows;
}

void buildDataListing(DocumentWriter& w, const Project& project, const TitlePage& titlePage,
                      const SharedConstants& constants)
{
    w.setPageFooter(titlePage[TitlePage::progetto]);
    typeListingTitle(w, constants, QStringLiteral("DATI DEL CALCOLO"),
                     titlePage[TitlePage::progetto]);
    w.typeText(QStringLiteral("data iniziale: ") + project.startDateText() + QStringLiteral("\r"));
    w.typeText(calendarSentence(project.calendar()) + QStringLiteral("\r"));
    const int table = addDataTable(w, project);
    alignRight(w, table, {1, 3, 4});
}

void buildBlankForm(DocumentWriter& w, const SharedConstants& constants)
{
    w.setFontName(kFont);
    w.setFontSize(18);
    w.typeText(constants.productName + QStringLiteral("\r"));
    w.setFontSize(12);
    w.typeText(constants.productSubtitle + QStringLiteral("\r\r"));
    w.typeText(QStringLiteral("Modulo di acquisizione dei dati\r\r"));
    w.typeText(QStringLiteral("Progetto: ") + QString(37, QLatin1Char('_')) +
               QStringLiteral("\r\r"));
    // The empty line keeps the date to be written by hand clear of the table.
    w.typeText(QStringLiteral("data d'inizio degli eventi: ") + QString(18, QLatin1Char('_')) +
               QStringLiteral("\r\r"));
    const int table = w.addTable(41, 4, 10);
    // Rows high enough to write in by hand.
    w.setMinimumRowHeight(table, kHandwrittenRowHeight);
    setRow(w, table, 1,
           {QStringLiteral("n."),
            QStringLiteral("descrizione del singolo evento") + QString(25, QLatin1Char(' ')),
            QStringLiteral("legami con evento n."), QStringLiteral("tempi in giorni")});
    w.applyTableFormat(table, kFormatHeaderOne);
}

void buildResultsListing(DocumentWriter& w, const ReportData& d)
{
    w.setPageFooter(d.titlePage[TitlePage::progetto]);
    typeListingTitle(w, d.constants, QStringLiteral("RISULTATI DEL CALCOLO"),
                     d.titlePage[TitlePage::progetto]);
    w.typeText(calendarSentence(d.project.calendar()) + QStringLiteral("\r\r"));
    w.typeText(QStringLiteral("A) Tempi e date"));
    const int times = addTimesTable(w, d);
    const int links = addEventLinkSection(w, d, QStringLiteral("B) Eventi e legami\r"),
                                          QStringLiteral("C) Percorso critico\r"));
    alignRight(w, times, {1, 2, 3, 4, 5, 6});
    alignRight(w, links, {1, 2, 4, 6, 7});
}

void buildDataOnlyReport(DocumentWriter& w, const TitlePage& t, const OfficeSettings& office,
                         const SharedConstants& constants)
{
    typeProductTitle(w, constants);
    w.typeText(QStringLiteral("Dati generali\r"));
    w.addParagraph(QString(), 12);
    QStringList labels{QStringLiteral("tipologia"),
                       QStringLiteral("progetto"),
                       QStringLiteral("località"),
                       QStringLiteral("tipologia di studio"),
                       QStringLiteral("committente"),
                       QStringLiteral("luogo di elaborazione"),
                       QStringLiteral("data della elaborazione"),
                       QStringLiteral("allegati alla relazione"),
                       QStringLiteral("studio tecnico"),
                       QStringLiteral("indirizzo dello studio")};
    QStringList values{QStringLiteral("dati")};
    for (int f = 0; f < TitlePage::kFieldCount; ++f)
        values << t.fields[f];
    values << office.officeName << office.officeAddress;
    // The designer has a row of its own only when the settings name one.
    if (!office.designer.trimmed().isEmpty()) {
        labels << QStringLiteral("progettista");
        values << office.designer;
    }
    const int rows = static_cast<int>(labels.size());
    const int table = w.addTable(rows, 2, 10);
    for (int r = 0; r < rows; ++r)
        setRow(w, table, r + 1, {labels[r], values[r]});
    w.applyTableFormat(table, kFormatHeaderOne);
}

void buildFullReport(DocumentWriter& w, const ReportData& d)
{
    const TitlePage& t = d.titlePage;
    const ReportTexts& texts = ReportTexts::standard();
    const QString cr = QStringLiteral("\r");

    w.setPageFooter(t[TitlePage::progetto]);
    w.setFontName(kFont);
    w.setFontSize(24);
    w.typeText(d.constants.productName + cr);
    w.setFontSize(14);
    w.typeText(d.constants.productSubtitle + cr + cr);
    w.typeText(QStringLiteral("progetto: ") + t[TitlePage::progetto] + cr);
    w.typeText(QStringLiteral("località: ") + t[TitlePage::localita] + cr);
    w.typeText(QStringLiteral("tipologia di studio: ") + t[TitlePage::tipostudio] + cr);
    w.typeText(cr.repeated(6));
    w.typeText(QStringLiteral("progettista: ") + d.office.designerName() + cr);
    w.typeText(QStringLiteral("committente: ") + t[TitlePage::committente] + cr + cr);
    w.typeText(t[TitlePage::luogo] + QStringLiteral(": ") + t[TitlePage::data] + cr);
    w.typeText(cr.repeated(22));
    w.typeText(d.office.officeName + cr);
    w.typeText(d.office.officeAddress + QStringLiteral("\f"));

    addSummaryPage(w, d);

    w.setFontSize(16);
    typeHeading(w, QStringLiteral("\fIL METODO\r\r"));
    w.setFontSize(12);
    typeParagraphs(w, ReportTexts::methodFor(d.project.calendar()));

    w.setFontSize(16);
    typeHeading(w, QStringLiteral("\fDATI DELLA ELABORAZIONE\r\r"));
    w.setFontSize(12);
    typeParagraphs(w, texts.data);
    w.setParagraphFormat(kHeading);
    w.typeText(cr + QStringLiteral("Data iniziale: ") + d.project.startDateText() + cr);
    w.setParagraphFormat(kBody);
    w.typeText(calendarSentence(d.project.calendar()) + cr);
    const int data = addDataTable(w, d.project);

    w.setParagraphFormat(kHeading);
    w.addParagraph(QStringLiteral("\fRISULTATI DELLA ELABORAZIONE\r\r"), 16);
    w.setParagraphFormat(kBody);
    w.setFontSize(12);
    typeParagraphs(w, texts.results);

    w.setParagraphFormat(kHeading);
    w.addParagraph(QStringLiteral("\rA) Tempi e date"), 12);
    const int times = addTimesTable(w, d);
    const int links = addEventLinkSection(w, d, QStringLiteral("B) Eventi e legami"),
                                          QStringLiteral("\rC) Percorso critico"));
    addPlanSections(w, d);

    // The closing sentence states the real page count: a field that Word and LibreOffice fill
    // in when they lay the document out, the closing block included.
    w.setParagraphFormat(kPlain);
    w.addParagraph(cr + QStringLiteral("La presente relazione è composta di n. "), 12);
    w.typePageCountField();
    w.typeText(QStringLiteral(" pagine.") + cr);
    w.typeText(QStringLiteral("Si allegano: ") + t[TitlePage::allegati] + cr + cr);
    w.typeText(t[TitlePage::luogo] + QStringLiteral(": ") + t[TitlePage::data] + cr + cr);
    w.typeText(QStringLiteral("il progettista") + cr);
    w.typeText(QStringLiteral("(") + d.office.designerName() + QStringLiteral(")") + cr + cr + cr);
    // Room to sign, kept on the page of the closing text.
    w.setParagraphFormat(kRight);
    w.typeText(QStringLiteral("Il progettista") + cr + cr);
    w.typeText(kSignatureLine);

    w.justifyDocument();
    alignRight(w, data, {1, 3, 4});
    alignRight(w, times, {1, 2, 3, 4, 5, 6});
    alignRight(w, links, {1, 2, 4, 6, 7});
}

} // namespace zant
