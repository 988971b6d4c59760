#include "report/cronoprogramma.h"
#include "report/cronoprogramma_blocks.h"

#include "diagram/gantt_chart.h"
#include "diagram/picture_style.h"
#include "diagram/s_curve.h"
#include "model/text_format.h"
#include "report/plan_pictures.h"
#include "report/print_renderer.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace zant {

QString longItalianDate(const QDate& date)
{
    static const char* const kMonths[] = {"gennaio",   "febbraio", "marzo",    "aprile",
                                          "maggio",    "giugno",   "luglio",   "agosto",
                                          "settembre", "ottobre",  "novembre", "dicembre"};
    if (!date.isValid())
        return {};
    return QStringLiteral("%1 %2 %3")
        .arg(date.day())
        .arg(QString::fromLatin1(kMonths[date.month() - 1]))
        .arg(date.year());
}

QString calendarAndRoundingText(const Project& project)
{
    return zant::calendarSentence(project.calendar()) + QLatin1Char(' ') + fractionalTimeRule();
}

QString salRuleText(const SalRule& rule)
{
    QString text;
    if (rule.everyMonths > 0)
        text = rule.everyMonths == 1 ? QStringLiteral("ogni mese")
                                     : QStringLiteral("ogni %1 mesi").arg(rule.everyMonths);
    else
        text = QStringLiteral("ogni %1 € di lavori eseguiti").arg(formatEuro(rule.everyAmount));
    if (rule.minimum > 0)
        text += QStringLiteral(", con un importo minimo di %1 € per stato di avanzamento")
                    .arg(formatEuro(rule.minimum));
    return text;
}

QString shareText(Cents part, Cents total)
{
    if (total <= 0)
        return QStringLiteral("0,00%");
    // Hundredths of a per cent, rounded half up, in whole numbers.
    const qint64 hundredths =
        static_cast<qint64>(std::llround(static_cast<double>(part) * 10000.0 / total));
    return QStringLiteral("%1,%2%")
        .arg(hundredths / 100)
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

std::vector<Lavorazione> lavorazioni(const Project& project, const ScheduleResults& results)
{
    std::vector<Lavorazione> rows;
    if (results.isEmpty())
        return rows;
    const int n = results.eventCount;
    // Dated by the one rule of every output (the results' dates), in the project's calendar.
    const auto dateOf = [&results](double t) { return results.dateAt(t); };
    for (const Activity a : project.activities()) {
        if (a.to > n || a.isDummy())
            continue;
        Lavorazione l;
        l.from = a.from;
        l.slot = a.slot;
        l.to = a.to;
        l.name = project.activityName(a.from, a.slot);
        l.days = a.days();
        const double es = results.earliest[a.from];
        const double lf = results.latest[a.to];
        l.earlyStart = dateOf(es);
        l.earlyFinish = dateOf(es + l.days);
        l.lateStart = dateOf(lf - l.days);
        l.lateFinish = dateOf(lf);
        l.totalFloat = results.linkFloatAt(a.from, a.slot);
        l.freeFloat = results.linkFreeFloatAt(a.from, a.slot);
        l.critical = isZeroFloat(l.totalFloat);
        l.amount = a.amount();
        l.category = a.category();
        rows.push_back(std::move(l));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [&results](const Lavorazione& a, const Lavorazione& b) {
                         const double sa = results.earliest[a.from];
                         const double sb = results.earliest[b.from];
                         if (sa != sb)
                             return sa < sb;
                         if (a.from != b.from)
                             return a.from < b.from;
                         return a.slot < b.slot;
                     });
    return rows;
}

CronoprogrammaData cronoprogrammaData(const ReportData& report, const SalRule& rule,
                                      const QDate& date)
{
    const DayDate days = projectDays(report.project);
    CronoprogrammaData d{report,
                         lavorazioni(report.project, report.results),
                         amountsInTime(report.project, report.results, days),
                         rule,
                         {},
                         date};
    if (rule.everyMonths > 0 || rule.everyAmount > 0)
        d.sal = salForecast(d.amounts, rule);
    return d;
}

QDate documentDate(const TitlePage& titlePage, const QDate& today)
{
    // The title page's date as the program writes it ("lunedì, 1 feb 2027"), as typed
    // (dd/MM/yyyy) or written out.
    const QString text = titlePage[TitlePage::data].trimmed();
    QDate written = parseDate(text);
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    for (const char* format : {"dddd, d MMM yyyy", "d MMM yyyy", "d MMMM yyyy", "dddd d MMMM yyyy"})
        if (!written.isValid())
            written = italian.toDate(text, QString::fromLatin1(format));
    return written.isValid() ? written : today;
}

namespace plan_document {

using ParagraphFormat = DocumentWriter::ParagraphFormat;

// Arial, or its metric twin where it is missing: the figures of the tables keep the widths
// the columns are sized for whatever the reader's machine.
const QString kFont = QStringLiteral("Arial");
constexpr double kBodySize = 11;
const QString kSignatureLine = QString(34, QLatin1Char('_'));

QString orDash(const QString& text)
{
    return text.trimmed().isEmpty() ? QStringLiteral("-") : text.trimmed();
}

// The cover: what the works are, where, for whom, by whom and when; the program is not named.
std::vector<CoverLine> coverLines(const CronoprogrammaData& d)
{
    const TitlePage& t = d.report.titlePage;
    std::vector<CoverLine> lines;
    lines.push_back({kCronoprogrammaTitle.toUpper(), 24, true, 4});
    lines.push_back({QStringLiteral("(tempi e costi delle lavorazioni)"), 12, false, 0});
    lines.push_back({QStringLiteral("Lavori: ") + orDash(t[TitlePage::progetto]), 16, true, 3});
    lines.push_back({QStringLiteral("Località: ") + orDash(t[TitlePage::localita]), 12, false, 1});
    lines.push_back(
        {QStringLiteral("Committente: ") + orDash(t[TitlePage::committente]), 12, false, 0});
    lines.push_back({QStringLiteral("Importo dei lavori: ") + formatEuro(d.amounts.total) +
                         QStringLiteral(" €"),
                     12, false, 1});
    lines.push_back(
        {QStringLiteral("Progettista: ") + d.report.office.designerName(), 12, false, 6});
    lines.push_back({d.report.office.officeName, 12, true, 1});
    lines.push_back({d.report.office.officeAddress, 11, false, 0});
    const QString place = t[TitlePage::luogo].trimmed();
    lines.push_back(
        {(place.isEmpty() ? QString() : place + QStringLiteral(", ")) + longItalianDate(d.date), 12,
         false, 4});
    return lines;
}

QString daysText(double days)
{
    return formatDays(days);
}

TableModel lavorazioniTable(const CronoprogrammaData& d)
{
    TableModel t;
    t.header.push_back({QStringLiteral("n."), QStringLiteral("eventi"),
                        QStringLiteral("lavorazione"), QStringLiteral("categoria"),
                        QStringLiteral("durata gg"), QStringLiteral("inizio al più presto"),
                        QStringLiteral("fine al più presto"), QStringLiteral("inizio al più tardi"),
                        QStringLiteral("fine al più tardi"), QStringLiteral("scorr. totale gg"),
                        QStringLiteral("scorr. libero gg"), QStringLiteral("importo €"),
                        QStringLiteral("quota")});
    int n = 0;
    for (const Lavorazione& l : d.lavorazioni)
        t.rows.push_back({QString::number(++n), QStringLiteral("%1-%2").arg(l.from).arg(l.to),
                          l.critical ? l.name + QStringLiteral(" (C)") : l.name, l.category,
                          daysText(l.days), formatDate(l.earlyStart), formatDate(l.earlyFinish),
                          formatDate(l.lateStart), formatDate(l.lateFinish), daysText(l.totalFloat),
                          daysText(l.freeFloat), formatEuro(l.amount),
                          shareText(l.amount, d.amounts.total)});
    t.rows.push_back({QString(), QString(), QStringLiteral("Totale"), QString(), QString(),
                      QString(), QString(), QString(), QString(), QString(), QString(),
                      formatEuro(d.amounts.total),
                      d.amounts.total > 0 ? QStringLiteral("100,00%") : QStringLiteral("0,00%")});
    t.right = {1, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    return t;
}

TableModel periodTable(const std::vector<PeriodAmounts>& periods, const QString& what,
                       const QString& within, Cents total)
{
    TableModel t;
    t.header.push_back({what, QStringLiteral("al più presto"), QString(), QString(),
                        QStringLiteral("al più tardi"), QString(), QString()});
    t.header.push_back({QString(), within + QStringLiteral(" €"), QStringLiteral("cumulato €"),
                        QStringLiteral("%"), within + QStringLiteral(" €"),
                        QStringLiteral("cumulato €"), QStringLiteral("%")});
    for (const PeriodAmounts& p : periods)
        t.rows.push_back({p.label, formatEuro(p.early), formatEuro(p.earlyCumulative),
                          shareText(p.earlyCumulative, total), formatEuro(p.late),
                          formatEuro(p.lateCumulative), shareText(p.lateCumulative, total)});
    Cents early = 0;
    Cents late = 0;
    for (const PeriodAmounts& p : periods) {
        early += p.early;
        late += p.late;
    }
    t.rows.push_back({QStringLiteral("Totale"), formatEuro(early), QString(), QString(),
                      formatEuro(late), QString(), QString()});
    t.right = {2, 3, 4, 5, 6, 7};
    return t;
}

TableModel salTable(const CronoprogrammaData& d)
{
    TableModel t;
    t.header.push_back({QStringLiteral("SAL n."), QStringLiteral("al più presto"), QString(),
                        QString(), QStringLiteral("al più tardi"), QString(), QString()});
    t.header.push_back({QString(), QStringLiteral("data"), QStringLiteral("importo €"),
                        QStringLiteral("cumulato €"), QStringLiteral("data"),
                        QStringLiteral("importo €"), QStringLiteral("cumulato €")});
    // A schedule with fewer SALs leaves the later rows of its side empty.
    const auto side = [](const QDate& date, Cents amount, Cents cumulative) -> QStringList {
        if (!date.isValid())
            return {QStringLiteral("-"), QString(), QString()};
        return {formatDate(date), formatEuro(amount), formatEuro(cumulative)};
    };
    for (const SalForecast& s : d.sal)
        t.rows.push_back(QStringList{QString::number(s.number)} +
                         side(s.earlyDate, s.earlyAmount, s.earlyCumulative) +
                         side(s.lateDate, s.lateAmount, s.lateCumulative));
    t.right = {1, 2, 3, 4, 5, 6, 7};
    return t;
}

QString finishText(const CronoprogrammaData& d)
{
    const ScheduleResults& r = d.report.results;
    if (r.isEmpty())
        return {};
    const QDate start = r.clock.firstDay();
    const QDate finish = r.dateAt(r.earliest[r.eventCount]);
    return QStringLiteral("I lavori iniziano il %1 e terminano, al più presto, il %2, in %3 "
                          "giorni.")
        .arg(longItalianDate(start), longItalianDate(finish), formatDays(r.earliest[r.eventCount]));
}

namespace {

// The document's blocks as they are stated, in reading order.
class Blocks
{
public:
    void heading(int level, const QString& text)
    {
        Block block;
        block.kind = Block::Kind::Heading;
        block.level = level;
        block.text = text;
        m_blocks.push_back(block);
    }
    void text(const QString& words)
    {
        Block block;
        block.kind = Block::Kind::Text;
        block.text = words;
        m_blocks.push_back(block);
    }
    void table(TableModel model)
    {
        Block block;
        block.kind = Block::Kind::Table;
        block.table = std::move(model);
        m_blocks.push_back(block);
    }
    void section(SectionPage page)
    {
        Block block;
        block.kind = Block::Kind::Section;
        block.page = page;
        m_blocks.push_back(block);
    }
    void kind(Block::Kind k)
    {
        Block block;
        block.kind = k;
        m_blocks.push_back(block);
    }
    std::vector<Block> take() { return std::move(m_blocks); }

private:
    std::vector<Block> m_blocks;
};

// The cover and chapter 1: the calendar, how dates and floats read, the rule for amounts.
void addCalendarChapter(Blocks& b, const CronoprogrammaData& d)
{
    b.kind(Block::Kind::Cover);
    b.section(SectionPage::Portrait);
    b.heading(1, QStringLiteral("1. Calendario e importi"));
    b.text(calendarAndRoundingText(d.report.project) + QStringLiteral(" ") + finishText(d));
    b.text(QStringLiteral("Le date di inizio e di fine di ogni lavorazione sono quelle degli "
                          "eventi che la delimitano: la fine di una lavorazione coincide con "
                          "l'inizio di quelle che la seguono. Lo scorrimento totale è il ritardo "
                          "che una lavorazione può subire senza spostare la fine dei lavori; lo "
                          "scorrimento libero quello che non sposta le lavorazioni che la "
                          "seguono. Le lavorazioni critiche, senza scorrimento, sono segnate con "
                          "(C)."));
    b.text(QStringLiteral("L'importo di ogni lavorazione è ripartito in parti uguali sui suoi "
                          "giorni di lavoro; una lavorazione di durata nulla ha l'intero importo "
                          "nella sua data. Gli importi dei periodi sono arrotondati al centesimo "
                          "con il metodo dei resti maggiori, così che ogni tabella somma "
                          "esattamente l'importo complessivo dei lavori, %1 €. Gli anni "
                          "contrattuali si contano dalla data d'inizio dei lavori.")
               .arg(formatEuro(d.amounts.total)));
}

// Chapters 2 and 3: the table of the lavorazioni and the Gantt chart, on landscape pages.
void addLavorazioniChapters(Blocks& b, const CronoprogrammaData& d)
{
    b.section(SectionPage::Landscape);
    b.heading(1, QStringLiteral("2. Lavorazioni"));
    b.text(QStringLiteral("%1 lavorazioni, nell'ordine della data d'inizio al più presto; le "
                          "attività fittizie, pure precedenze senza durata né importo, non sono "
                          "elencate. Durate e scorrimenti in giorni; la quota è la parte "
                          "dell'importo complessivo.")
               .arg(d.lavorazioni.size()));
    b.table(lavorazioniTable(d));

    b.section(SectionPage::Landscape);
    b.heading(1, QStringLiteral("3. Diagramma di Gantt"));
    b.text(QStringLiteral("Una riga per lavorazione, nell'ordine della tabella precedente; le "
                          "attività fittizie, pure precedenze senza durata, non sono riportate. "
                          "Il calendario in alto è diviso in mesi e, sotto, in settimane con la "
                          "data del loro lunedì. La barra va dall'inizio alla fine al più "
                          "presto; la linea sottile che la segue è lo scorrimento totale, in "
                          "verde la parte libera. Le lavorazioni critiche sono in rosso e "
                          "segnate con C."));
    b.kind(Block::Kind::Gantt);
}

// Chapter 4: the amounts by month and by contract year, and the S-curve.
void addAmountsChapter(Blocks& b, const CronoprogrammaData& d)
{
    const Cents total = d.amounts.total;
    b.section(SectionPage::Portrait);
    b.heading(1, QStringLiteral("4. Importi nel tempo"));
    if (total <= 0) {
        b.text(QStringLiteral("Nessuna lavorazione ha un importo: gli importi nel tempo, la "
                              "curva e la previsione degli stati di avanzamento non sono "
                              "calcolati."));
        return;
    }
    b.heading(2, QStringLiteral("4.1 Importi per mese"));
    b.text(QStringLiteral("Importo dei lavori eseguiti in ogni mese e cumulato alla sua fine, "
                          "secondo il programma al più presto e al più tardi; la percentuale è "
                          "quella cumulata dell'importo complessivo."));
    b.table(
        periodTable(d.amounts.months, QStringLiteral("mese"), QStringLiteral("nel mese"), total));
    b.heading(2, QStringLiteral("4.2 Importi per anno contrattuale"));
    b.text(QStringLiteral("Importo dei lavori eseguiti in ogni anno contato dalla data d'inizio "
                          "dei lavori, e cumulato."));
    b.table(
        periodTable(d.amounts.years, QStringLiteral("anno"), QStringLiteral("nell'anno"), total));
    b.section(SectionPage::Landscape);
    b.heading(2, QStringLiteral("4.3 Curva a S"));
    b.text(QStringLiteral("Importo cumulato dei lavori eseguiti secondo il programma al più "
                          "presto (in blu) e al più tardi (in arancio); la fascia tra le due "
                          "curve contiene ogni andamento che rispetta le durate delle "
                          "lavorazioni e la fine dei lavori. I punti numerati sono gli stati di "
                          "avanzamento previsti."));
    b.kind(Block::Kind::SCurve);
    b.section(SectionPage::Portrait);
}

// Chapter 5: the SAL forecast, then the signature.
void addSalChapter(Blocks& b, const CronoprogrammaData& d)
{
    b.heading(1, QStringLiteral("5. Previsione degli stati di avanzamento lavori"));
    if (d.amounts.total > 0 && !d.sal.empty()) {
        b.text(QStringLiteral("Stati di avanzamento lavori (SAL) previsti %1; l'ultimo, alla "
                              "fine dei lavori, comprende quanto resta. Per ciascuno la data, "
                              "ultimo giorno dei lavori che comprende, e l'importo secondo il "
                              "programma al più presto e al più tardi.")
                   .arg(salRuleText(d.rule)));
        b.table(salTable(d));
    } else {
        b.text(
            QStringLiteral("Nessuno stato di avanzamento previsto: i lavori non hanno importi."));
    }
    b.kind(Block::Kind::Signature);
}

} // namespace

// The blocks of the whole document, in reading order.
std::vector<Block> documentBlocks(const CronoprogrammaData& d)
{
    Blocks b;
    addCalendarChapter(b, d);
    addLavorazioniChapters(b, d);
    addAmountsChapter(b, d);
    addSalChapter(b, d);
    return b.take();
}

std::vector<QString> signatureLines(const CronoprogrammaData& d)
{
    const QString place = d.report.titlePage[TitlePage::luogo].trimmed();
    return {(place.isEmpty() ? QString() : place + QStringLiteral(", ")) + longItalianDate(d.date),
            QStringLiteral("Il progettista"), d.report.office.designerName(),
            QStringLiteral("(timbro e firma)"), kSignatureLine};
}

// --- .docx -----------------------------------------------------------------------------------

void writeTable(DocumentWriter& w, const TableModel& t)
{
    const int headers = static_cast<int>(t.header.size());
    const int rows = headers + static_cast<int>(t.rows.size());
    const int table = w.addTable(rows, t.columns(), kTableSize);
    int row = 1;
    const auto put = [&](const QStringList& cells) {
        for (int c = 0; c < cells.size(); ++c)
            if (!cells[c].isEmpty())
                w.setCellText(table, row, c + 1, cells[c]);
        ++row;
    };
    for (const QStringList& cells : t.header)
        put(cells);
    for (const QStringList& cells : t.rows)
        put(cells);
    w.applyTableFormat(table, headers);
    for (const int c : t.right) {
        w.alignColumnRight(table, c);
        w.fitColumnToContent(table, c);
    }
    w.addParagraph(QString(), 6);
}

} // namespace plan_document

using namespace plan_document;

namespace {

// Pictures of the document at the resolution of a printed page.
constexpr double kPictureDpi = 200;

QImage renderPicture(const std::function<void(QPainter&)>& paint, QSizeF units, QSizeF points)
{
    const double pixelsPerPoint = kPictureDpi / 72.0;
    QImage image(std::max(1, static_cast<int>(std::ceil(points.width() * pixelsPerPoint))),
                 std::max(1, static_cast<int>(std::ceil(points.height() * pixelsPerPoint))),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(std::lround(kPictureDpi / 0.0254)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    QPainter painter(&image);
    painter.scale(image.width() / units.width(), image.height() / units.height());
    paint(painter);
    return image;
}

} // namespace

QImage sCurveImage(const CronoprogrammaData& d, QSizeF points)
{
    const SCurvePicture s = layoutSCurve(d.amounts, d.sal);
    return renderPicture([&s](QPainter& p) { paintSCurve(p, s); }, s.size, points);
}

namespace {

// The S-curve on a landscape page under its heading: the text width, in its own proportions.
constexpr double kLandscapeTextWidth = 728;
QSizeF sCurvePoints()
{
    return {kLandscapeTextWidth, kLandscapeTextWidth * kSCurveHeight / kSCurveWidth};
}

} // namespace

void buildCronoprogramma(DocumentWriter& w, const CronoprogrammaData& d)
{
    const ParagraphFormat body{6, 1.1, false, false};
    const ParagraphFormat plain{};
    const ParagraphFormat right{0, 1, false, true};
    w.setFontName(kFont);
    w.setFontSize(kBodySize);
    w.setPageFooter(d.report.titlePage[TitlePage::progetto]);
    for (const Block& b : documentBlocks(d)) {
        switch (b.kind) {
        case Block::Kind::Cover:
            w.setParagraphFormat(plain);
            for (const CoverLine& line : coverLines(d)) {
                for (int i = 0; i < line.gapBefore; ++i)
                    w.addParagraph(QString(), 12);
                w.addParagraph(line.text, line.size);
            }
            break;
        case Block::Kind::Section:
            w.startSection(b.page);
            break;
        case Block::Kind::Heading:
            w.setParagraphFormat(plain);
            w.addHeading(b.text, b.level, b.level == 1 ? 16 : 13);
            break;
        case Block::Kind::Text:
            w.setParagraphFormat(body);
            w.addParagraph(b.text, kBodySize);
            break;
        case Block::Kind::Table:
            w.setParagraphFormat(plain);
            writeTable(w, b.table);
            break;
        case Block::Kind::Gantt: {
            // Each sheet is drawn, put in and let go before the next: a chart of thousands of
            // rows never stands whole in memory as pictures.
            const std::vector<PlanPicture> sheets = ganttPictures(d.report);
            for (size_t i = 0; i < sheets.size(); ++i) {
                w.setParagraphFormat(plain);
                w.addParagraph(QString(), 6);
                if (const Result<void> failed = w.insertDrawing(*sheets[i].paint, sheets[i].units,
                                                                sheets[i].points, kPictureDpi);
                    !failed.ok())
                    w.typeText(failed.error().text);
                if (sheets.size() > 1)
                    w.addParagraph(QStringLiteral("Diagramma di Gantt, foglio %1 di %2")
                                       .arg(i + 1)
                                       .arg(sheets.size()),
                                   8);
            }
            break;
        }
        case Block::Kind::SCurve:
            w.setParagraphFormat(plain);
            w.addParagraph(QString(), 6);
            if (const Result<void> failed =
                    w.insertPicture(sCurveImage(d, sCurvePoints()), sCurvePoints());
                !failed.ok())
                w.typeText(failed.error().text);
            break;
        case Block::Kind::Signature: {
            const std::vector<QString> lines = signatureLines(d);
            w.setParagraphFormat(plain);
            w.addParagraph(QString(), kBodySize);
            w.addParagraph(lines[0], kBodySize);
            w.addParagraph(QString(), kBodySize);
            w.setParagraphFormat(right);
            for (size_t i = 1; i < lines.size(); ++i) {
                if (i == lines.size() - 1) {
                    w.addParagraph(QString(), kBodySize);
                    w.addParagraph(QString(), kBodySize);
                }
                w.addParagraph(lines[i], kBodySize);
            }
            break;
        }
        }
    }
}

} // namespace zant
