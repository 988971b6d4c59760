#include "report/direct_print.h"

#include "model/text_format.h"
#include "report/page_printer.h"
#include "report/plan_pictures.h"
#include "report/report_texts.h"
#include "report/text_fit.h"

#include <algorithm>
#include <cmath>

namespace zant {

namespace {

constexpr int kDataPageStart = 800;
constexpr int kDataTableLimit = 14500;
constexpr int kClosingLimit = 13500;
constexpr int kRuleEnd = std::min(11000, kRightLimit);
const QString kSignatureLine = QString(30, QLatin1Char('_'));

const QString kTableAHeading1 = QStringLiteral(
    "evento   tempo minimo   data minima   tempo massimo   data massima   scorrimento");
const QString kTableAHeading2 =
    QStringLiteral("  n.        giorni       gg/mm/aa        giorni         gg/mm/aa       giorni");
// Texts placed at character columns of one line, for the heading lines of the tables.
QString columnsLine(int firstColumn, std::initializer_list<std::pair<int, const char*>> texts)
{
    QString line;
    for (const auto& [column, text] : texts) {
        const QString piece = QString::fromUtf8(text);
        const int at = column - firstColumn;
        if (line.size() < at)
            line += QString(at - line.size(), QLatin1Char(' '));
        line += piece;
    }
    return line;
}

// Table B, at 8 points, fills the width inside the margins: the two descriptions keep their
// 30 characters and the number columns sit close to them.
constexpr int kTableBStart = 4;
const QString kTableBHeading1 = columnsLine(kTableBStart, {{4, "evento"},
                                                           {11, "in entrata"},
                                                           {22, "descrizione"},
                                                           {53, "in uscita"},
                                                           {63, "descrizione"},
                                                           {94, "attività"},
                                                           {103, "scorrimento"}});
const QString kTableBHeading2 = columnsLine(
    kTableBStart, {{6, "n."}, {12, "n.evento"}, {53, "n.evento"}, {96, "giorni"}, {108, "giorni"}});

// The summary's table of the activities with least float, at 10 points.
constexpr int kFloatTableStart = 6;
const QString kFloatHeading1 = columnsLine(
    kFloatTableStart,
    {{6, "da evento"}, {17, "a evento"}, {27, "attività"}, {70, "giorni"}, {78, "scorrimento"}});
const QString kFloatHeading2 = columnsLine(kFloatTableStart, {});

QString numberText(double value)
{
    const QString text = formatDays(value);
    return text.startsWith(QLatin1Char('-')) ? text : QLatin1Char(' ') + text;
}

class ReportLayout final
{
public:
    explicit ReportLayout(const ReportData& d) : m_d(d) {}

    std::vector<PrintPage> run()
    {
        cover();
        summary();
        section(QStringLiteral("IL METODO"), ReportTexts::methodFor(m_d.project.calendar()),
                kPageStart);
        section(QStringLiteral("DATI DELLA ELABORAZIONE"), ReportTexts::standard().data,
                kPageStart);
        dataTable();
        section(QStringLiteral("RISULTATI DELLA ELABORAZIONE"), ReportTexts::standard().results,
                kPageStart);
        tableA();
        tableB();
        tableC();
        m_p.NewPrintPage();
        m_p.insertPages(planPrintPages(m_d, m_p.pageNumber()));
        closing();
        m_p.footer();
        return m_p.take();
    }

private:
    void cover()
    {
        const TitlePage& t = m_d.titlePage;
        m_p.setFont(kCoverFont);
        m_p.moveTo(kPageStart);
        m_p.setSize(24);
        m_p.line(7, QStringLiteral("ZANT"));
        m_p.setSize(14);
        m_p.line(10, QStringLiteral("(tecnica di programmazione reticolare)"));
        m_p.emptyLines(3);
        const std::pair<QString, int> rows[] = {
            {QStringLiteral("progetto..............: ") + t[TitlePage::progetto], 2},
            {QStringLiteral("località................: ") + t[TitlePage::localita], 2},
            {QStringLiteral("tipologia di studio: ") + t[TitlePage::tipostudio], 9},
            {QStringLiteral("progettista............: ") + m_d.office.designerName(), 0},
            {QStringLiteral("committente.........: ") + t[TitlePage::committente], 1},
            {t[TitlePage::luogo] + QStringLiteral(": ") + t[TitlePage::data], 12},
        };
        // Long texts are printed smaller to keep on one line; a line that still had to be
        // wrapped takes the place of one of the empty lines before the rule.
        int extraLines = 0;
        for (const auto& [text, empty] : rows) {
            extraLines += m_p.fitted(10, text) - 1;
            m_p.emptyLines(empty);
        }
        m_p.moveTo(m_p.y() - std::min(extraLines, 12) * lineHeight(kCoverFont, 14));
        m_p.rule(1000, kRuleEnd, 14000);
        m_p.emptyLines(1);
        m_p.setSize(16);
        m_p.fitted(8, m_d.office.officeName);
        m_p.fitted(8, m_d.office.officeAddress);
        m_p.rule(1000, kRuleEnd, std::max(15300, m_p.y()));
        m_p.newPage();
    }

    // The programme at a glance, on the page after the cover.
    void summary()
    {
        const ProgrammeSummary s = summarizeProgramme(m_d.project, m_d.results);
        m_p.setFont(kPrintFont);
        m_p.moveTo(kPageStart);
        m_p.setSize(18);
        m_p.line(10, kSummaryHeading);
        m_p.emptyLines(1);
        m_p.setSize(kPrintSize);
        for (const QString& text : summaryLines(s))
            for (const QString& l : m_p.wrap(10, text))
                m_p.textLine(10, l);
        m_p.emptyLines(1);
        for (const QString& l : m_p.wrap(10, s.calendar))
            m_p.textLine(10, l);
        m_p.emptyLines(1);
        for (const QString& l : m_p.wrap(10, kPlanPicturesNote))
            m_p.textLine(10, l);
        if (!s.leastFloat.empty()) {
            m_p.emptyLines(1);
            m_p.textLine(10, kLeastFloatHeading);
            m_p.emptyLines(1);
            m_p.setSize(10);
            tableHeading(kFloatTableStart, kFloatHeading1, kFloatHeading2);
            for (const ActivityFloat& a : s.leastFloat) {
                if (m_p.y() + lineHeight(kPrintFont, 10) > kTextBottom) {
                    m_p.NewPrintPage();
                    m_p.setSize(10);
                }
                m_p.rightAt(14, withLeadingBlank(a.from));
                m_p.rightAt(24, withLeadingBlank(a.to));
                m_p.at(27, m_d.project.activityName(a.from, a.slot).left(40));
                m_p.rightAt(75, numberText(a.days));
                m_p.rightAt(88, numberText(a.totalFloat));
                m_p.endLine();
            }
        }
        m_p.NewPrintPage();
    }

    void section(const QString& title, const QStringList& paragraphs, int top)
    {
        m_p.setFont(kPrintFont);
        m_p.moveTo(top);
        m_p.setSize(18);
        m_p.line(10, title);
        m_p.emptyLines(1);
        m_p.setSize(kPrintSize);
        for (const QString& text : justifyParagraphs(paragraphs, 66))
            m_p.textLine(10, text);
        m_p.NewPrintPage();
    }

    // The data table at 8 points: number, description and four links a line, all inside the
    // margins even for the widest link ("500/1000").
    static constexpr int kDataNumber = 5;
    static constexpr int kDataDescription = 7;
    static constexpr int kDataLinks = 79;
    static constexpr int kDataLinkStep = 9;

    void PrintDataHeading()
    {
        m_p.NewPrintPage();
        m_p.setSize(8);
        m_p.at(kDataNumber - 1, QStringLiteral("n."));
        m_p.at(kDataDescription, QStringLiteral("descrizione evento"));
        m_p.at(kDataLinks, QStringLiteral("legami/eventi"));
        m_p.endLine();
    }

    void dataTable()
    {
        const Project& p = m_d.project;
        const int n = p.eventCount();
        m_p.moveTo(kDataPageStart);
        m_p.setSize(kPrintSize);
        m_p.line(10, QStringLiteral("Data iniziale: ") + p.startDateText());
        for (const QString& l : m_p.wrap(10, calendarSentence(p.calendar())))
            m_p.textLine(10, l);
        m_p.emptyLines(1);
        m_p.setSize(8);
        m_p.at(kDataNumber - 1, QStringLiteral("n."));
        m_p.at(kDataDescription, QStringLiteral("descrizione evento"));
        m_p.at(kDataLinks, QStringLiteral("legami/tempi"));
        m_p.endLine();
        for (int i = 1; i <= n; ++i) {
            m_p.emptyLines(1);
            m_p.rightAt(kDataNumber, withLeadingBlank(i));
            // Long descriptions stop before the links column.
            QString description = p.description(i).left(71);
            if (description.size() < 70)
                description += QString(70 - description.size() + 1, QLatin1Char('_'));
            m_p.at(kDataDescription, description);
            const int links = p.linkCount(i);
            if (links == 0)
                m_p.endLine();
            for (int j = 1; j <= links; j += 4) {
                for (int k = 0; k < 4 && j + k <= links; ++k) {
                    const Link& link = p.link(i, j + k);
                    m_p.at(kDataLinks + kDataLinkStep * k,
                           QString::number(link.target) + QLatin1Char('/') +
                               (link.days ? formatDays(*link.days) : QString()));
                }
                m_p.endLine();
                if (m_p.y() > kDataTableLimit && (j + 3 < links || i < n))
                    PrintDataHeading();
            }
        }
        m_p.NewPrintPage();
    }

    void tableHeading(int column, const QString& first, const QString& second)
    {
        m_p.at(column, first);
        m_p.endLine();
        m_p.at(column, second);
        m_p.endLine();
        m_p.emptyLines(1);
    }

    void tableA()
    {
        const ScheduleResults& r = m_d.results;
        const int n = r.eventCount;
        m_p.setSize(10);
        m_p.line(10, QStringLiteral("A) Tempi e date"));
        m_p.emptyLines(1);
        tableHeading(6, kTableAHeading1, kTableAHeading2);
        int counter = 7;
        for (int i = 1; i <= n; ++i) {
            m_p.rightAt(9, withLeadingBlank(i));
            m_p.rightAt(22, numberText(r.earliest[i]));
            m_p.at(31, r.earliestDate[i]);
            m_p.rightAt(51, numberText(r.latest[i]));
            m_p.at(62, r.latestDate[i]);
            m_p.rightAt(81, numberText(r.eventFloat(i)));
            m_p.endLine();
            ++counter;
            if (counter == 60 && i < n) {
                m_p.NewPrintPage();
                m_p.setSize(10);
                tableHeading(6, kTableAHeading1, kTableAHeading2);
                counter = 3;
            }
            if (counter <= 60 && i == n)
                m_p.NewPrintPage();
        }
        if (n == 0)
            m_p.NewPrintPage();
    }

    void tableB()
    {
        const Project& p = m_d.project;
        const ScheduleResults& r = m_d.results;
        const std::vector<EventLinkRow> rows = eventLinkRows(p, r);
        m_p.setSize(kPrintSize);
        m_p.line(10, QStringLiteral("B) Eventi e legami"));
        m_p.emptyLines(1);
        m_p.setSize(8);
        tableHeading(kTableBStart, kTableBHeading1, kTableBHeading2);
        int counter = 3;
        for (const EventLinkRow& row : rows) {
            if (counter == 80) {
                m_p.NewPrintPage();
                m_p.setSize(8);
                tableHeading(kTableBStart, kTableBHeading1, kTableBHeading2);
                counter = 3;
            }
            m_p.rightAt(9, withLeadingBlank(row.event));
            if (row.predecessor) {
                m_p.rightAt(20, withLeadingBlank(row.predecessor));
                m_p.at(22, p.description(row.predecessor).left(30));
            }
            if (row.target) {
                const Link& link = p.link(row.event, row.position);
                m_p.rightAt(61, withLeadingBlank(row.target));
                m_p.at(63, p.activityName(row.event, row.position).left(30));
                if (link.days)
                    m_p.rightAt(101, numberText(*link.days));
                m_p.rightAt(113, numberText(r.linkFloatAt(row.event, row.position)));
            }
            m_p.endLine();
            ++counter;
        }
        m_p.NewPrintPage();
    }

    void tableC()
    {
        const ScheduleResults& r = m_d.results;
        std::vector<int> critical;
        for (int i = 1; i <= r.eventCount; ++i)
            if (r.isCritical(i))
                critical.push_back(i);
        m_p.moveTo(kPageStart);
        m_p.setSize(kPrintSize);
        m_p.line(10, QStringLiteral("C) Percorso critico"));
        m_p.emptyLines(1);
        tableHeading(6, QStringLiteral("evento  descrizione"), QStringLiteral("  n."));
        int counter = 5;
        for (std::size_t k = 0; k < critical.size(); ++k) {
            const int i = critical[k];
            const QStringList lines = m_p.wrap(14, m_d.project.description(i));
            for (qsizetype l = 0; l < lines.size(); ++l) {
                if (l == 0)
                    m_p.rightAt(9, withLeadingBlank(i));
                m_p.at(14, lines[l]);
                m_p.endLine();
                ++counter;
                // A new page only when more follows.
                if (counter == 60 && (l + 1 < lines.size() || k + 1 < critical.size())) {
                    m_p.NewPrintPage();
                    tableHeading(6, QStringLiteral("evento  descrizione"), QStringLiteral("  n."));
                    counter = 3;
                }
            }
        }
    }

    void closing()
    {
        const TitlePage& t = m_d.titlePage;
        m_p.setSize(kPrintSize);
        m_p.emptyLines(2);
        if (m_p.y() > kClosingLimit)
            m_p.NewPrintPage();
        m_p.line(8, QStringLiteral("La presente relazione è composta di n.") +
                        withLeadingBlank(m_p.pageNumber()) + QStringLiteral(" pagine."));
        m_p.wrapped(8, QStringLiteral("Si allegano: ") + t[TitlePage::allegati]);
        m_p.emptyLines(1);
        m_p.wrapped(8, t[TitlePage::luogo] + QStringLiteral(": ") + t[TitlePage::data]);
        m_p.line(50, QStringLiteral("Studio:"));
        m_p.wrapped(50, QStringLiteral("(") + m_d.office.officeName + QStringLiteral(")"));
        // Room to sign.
        m_p.emptyLines(2);
        m_p.rightAligned(QStringLiteral("Il progettista"));
        m_p.emptyLines(1);
        m_p.rightAligned(kSignatureLine);
    }

    const ReportData& m_d;
    PagePrinter m_p;
};

} // namespace

int characterWidth(const QString& font, double size)
{
    // Courier New advances 0.6 em for every character; the cover font is proportional and
    // columns there use its average width.
    return static_cast<int>(size * 20 * (font == kPrintFont ? 0.6 : 0.5) + 0.5);
}

namespace {

// Advance of one character of the cover's proportional font, in ems. Capitals and wide letters
// of a serif face take about 0.75 em, blanks and narrow letters less; counting every other
// character at 0.5 em stays on the wide side.
double coverCharacterEms(QChar c)
{
    if (c == QLatin1Char(' '))
        return 0.25;
    if (c.isUpper() || c == QLatin1Char('m') || c == QLatin1Char('w'))
        return 0.75;
    return 0.5;
}

int twipsOfEms(double ems, double size)
{
    return static_cast<int>(ems * size * 20 + 0.5);
}

} // namespace

int textWidth(const QString& font, double size, QStringView text)
{
    if (font == kPrintFont)
        return static_cast<int>(text.size()) * characterWidth(font, size);
    double ems = 0;
    for (const QChar c : text)
        ems += coverCharacterEms(c);
    return twipsOfEms(ems, size);
}

qsizetype fittingLength(const QString& font, double size, QStringView text, int width)
{
    const bool monospaced = font == kPrintFont;
    const int advance = characterWidth(font, size);
    // The first character goes on the line whatever its width.
    return fittingPrefix(text, coverCharacterEms,
                         [&](qsizetype placed, qsizetype length, double ems) {
                             const int twips = monospaced ? static_cast<int>(length) * advance
                                                          : twipsOfEms(ems, size);
                             return placed == 0 || twips <= width;
                         });
}

int lineHeight(const QString& font, double size)
{
    return static_cast<int>(size * 20 * (font == kPrintFont ? 1.0 : 1.2) + 0.5);
}

std::vector<PrintPage> layoutDirectReport(const ReportData& data)
{
    return ReportLayout(data).run();
}

} // namespace zant
