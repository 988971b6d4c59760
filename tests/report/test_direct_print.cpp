#include "report/direct_print.h"
#include "report/page_printer.h"
#include "report/report_texts.h"
#include "support/project_builder.h"

#include <QTest>

using namespace zant;
using zant::test::buildProject;

namespace {

const OfficeSettings kOffice{"Studio Rossi", "Via Roma 1"};

TitlePage title()
{
    TitlePage t;
    t.fields = {"Strada", "Pratoselva", "progetto", "Comune", "Ufficio", "7 dic 2026", "tavole"};
    return t;
}

// A chain 1 -> 2 -> ... -> n: every event critical, one row per event in every table.
Project chain(int n)
{
    QString net = QString::number(n) + ":";
    for (int i = 1; i < n; ++i)
        net += QStringLiteral(" %1>%2=1").arg(i).arg(i + 1);
    return buildProject(net);
}

int column(const PrintItem& item)
{
    return item.x / characterWidth(item.font, item.size) + 1;
}
int lastColumn(const PrintItem& item)
{
    return column(item) + item.text.size() - 1;
}

// The pages from the one holding `from` up to (not including) the one holding `to`.
std::vector<const PrintPage*> pagesBetween(const std::vector<PrintPage>& pages, const QString& from,
                                           const QString& to)
{
    std::vector<const PrintPage*> out;
    bool inside = false;
    for (const PrintPage& page : pages) {
        for (const PrintItem& item : page.items) {
            if (item.text == from)
                inside = true;
            if (item.text.startsWith(to))
                inside = false;
        }
        if (inside)
            out.push_back(&page);
    }
    return out;
}

const PrintItem* find(const PrintPage& page, const QString& text)
{
    for (const PrintItem& item : page.items) {
        if (item.text == text)
            return &item;
    }
    return nullptr;
}

} // namespace

class TestDirectPrint final : public QObject
{
    Q_OBJECT

private slots:
    void tablesArePagedByLines_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("next");
        QTest::addColumn<double>("size");
        QTest::addColumn<int>("endColumn");
        QTest::addColumn<QList<int>>("rowsPerPage");
        QTest::newRow("A: 53, then 57 a page")
            << "A) Tempi e date"
            << "B) Eventi e legami" << 10.0 << 9 << QList<int>{53, 57, 10};
        QTest::newRow("B: 77 lines a page")
            << "B) Eventi e legami"
            << "C) Percorso critico" << 8.0 << 9 << QList<int>{77, 43};
        QTest::newRow("C: 55, then 57 a page")
            << "C) Percorso critico"
            << "D) Reticolo" << 12.0 << 9 << QList<int>{55, 57, 8};
    }

    void tablesArePagedByLines()
    {
        QFETCH(QString, table);
        QFETCH(QString, next);
        QFETCH(double, size);
        QFETCH(int, endColumn);
        QFETCH(QList<int>, rowsPerPage);
        const Project p = chain(120);
        const ScheduleResults r = ComputeSchedule(p);
        const TitlePage t = title();
        const auto pages = layoutDirectReport(ReportData{p, r, t, kOffice});
        QList<int> counted;
        for (const PrintPage* page : pagesBetween(pages, table, next)) {
            int rows = 0;
            for (const PrintItem& item : page->items) {
                // Event numbers stand right-aligned to column 9.
                if (item.size == size && item.font == kPrintFont && lastColumn(item) == endColumn &&
                    item.text.trimmed().toInt() > 0 && column(item) > 1)
                    ++rows;
            }
            counted << rows;
        }
        QCOMPARE(counted, rowsPerPage);
    }

    void tableAEndsWithAPageBreakWhenFull()
    {
        // 53 events fill the first page of table A exactly; table B still starts on a new page.
        const Project p = chain(53);
        const ScheduleResults r = ComputeSchedule(p);
        const TitlePage t = title();
        const auto pages = layoutDirectReport(ReportData{p, r, t, kOffice});
        const auto a = pagesBetween(pages, "A) Tempi e date", "B) Eventi e legami");
        QCOMPARE(a.size(), std::size_t(1));
        QVERIFY(find(*a.front(), "pagina " + QString::number(a.front()->number)));
    }

    void coverAndFooters()
    {
        const Project p = chain(5);
        const ScheduleResults r = ComputeSchedule(p);
        const TitlePage t = title();
        const auto pages = layoutDirectReport(ReportData{p, r, t, kOffice});
        QVERIFY(pages.size() >= 8);
        for (const PrintItem& item : pages[0].items)
            QVERIFY2(!item.text.startsWith("pagina"), qPrintable(item.text));
        QVERIFY(find(pages[0], "ZANT"));
        QCOMPARE(find(pages[0], "ZANT")->font, kCoverFont);
        QVERIFY(find(pages[0], "progettista............: Studio Rossi"));
        int rules = 0;
        for (const PrintItem& item : pages[0].items)
            rules += item.kind == PrintItem::Kind::Rule;
        QCOMPARE(rules, 2);
        for (std::size_t i = 1; i < pages.size(); ++i) {
            const PrintItem* footer = find(pages[i], QString("pagina %1").arg(i + 1));
            QVERIFY2(footer, qPrintable(QString("page %1").arg(i + 1)));
            // The pictures' landscape pages have the footer at their own bottom right.
            QCOMPARE(footer->x,
                     pages[i].landscape
                         ? 13800
                         : std::min(9800, kRightLimit -
                                              textWidth(footer->font, footer->size, footer->text)));
            QCOMPARE(footer->y, pages[i].landscape ? 10700 : 15500);
        }
        // The summary follows the cover.
        QVERIFY(find(pages[1], kSummaryHeading));
        const ProgrammeSummary s = summarizeProgramme(p, r);
        for (const QString& line : summaryLines(s))
            QVERIFY2(find(pages[1], line), qPrintable(line));
        QVERIFY(find(pages[2], "IL METODO"));
        // The closing sentence names the page it stands on, and there is room to sign.
        const PrintPage& last = pages.back();
        QVERIFY(find(
            last, QString("La presente relazione è composta di n. %1 pagine.").arg(last.number)));
        QVERIFY(find(last, "(Studio Rossi)"));
        const PrintItem* signer = find(last, "Il progettista");
        const PrintItem* line = find(last, QString(30, '_'));
        QVERIFY(signer && line && line->y > signer->y &&
                signer->y > find(last, "(Studio Rossi)")->y);
        QVERIFY(line->x + textWidth(line->font, line->size, line->text) == kRightLimit ||
                kRightLimit - (line->x + textWidth(line->font, line->size, line->text)) <
                    characterWidth(line->font, line->size));
    }

    void everyTextStaysInsideThePrintableArea()
    {
        // The longest texts the fields allow (60 characters are asked for, more is only
        // warned about), an office name of 120 characters and long descriptions, with the widest
        // numbers: 500 events, links to 500 of 1000 days.
        const QString sixty = "Ristrutturazione e ampliamento della scuola elementare Verdi";
        QCOMPARE(sixty.size(), 60);
        TitlePage t;
        for (QString& field : t.fields)
            field = sixty + " e palestra";
        const OfficeSettings office{"Studio Tecnico Associato di Ingegneria e Architettura Ing. "
                                    "Mario Rossi, Arch. Giovanna Bianchi, Geom. Luca Verdi e soci",
                                    "Via Giuseppe Garibaldi 1234, 00100 Roma (RM) - tel. 06 "
                                    "1234567 - posta@studiotecnicoassociato.it"};
        QString net = "500:";
        for (int i = 1; i < 500; i += 1)
            net += QStringLiteral(" %1>%2=1000").arg(i).arg(i + 1);
        for (int k = 0; k < 5; ++k)
            net += QStringLiteral(" 1>500=%1").arg(k);
        Project p = buildProject(net, "01/01/2100");
        for (int i = 1; i <= 500; ++i) {
            Event e = p.event(i);
            e.description = QString("Descrizione molto lunga dell'evento numero %1 con lavorazioni "
                                    "di carpenteria metallica e di finitura delle facciate")
                                .arg(i);
            p.setEvent(i, e);
        }
        const ScheduleResults r = ComputeSchedule(p);
        const auto pages = layoutDirectReport(ReportData{p, r, t, office});
        int texts = 0;
        for (const PrintPage& page : pages) {
            // The pictures' pages lie in landscape.
            const int rightLimit = page.landscape ? kLandscapeRightLimit : kRightLimit;
            const int printableHeight =
                page.landscape ? kLandscapePrintableHeight : kPrintableHeight;
            for (const PrintItem& item : page.items) {
                if (item.kind == PrintItem::Kind::Rule) {
                    QVERIFY(item.x >= 0 && item.x2 <= kRightLimit);
                    continue;
                }
                if (item.kind == PrintItem::Kind::Picture) {
                    QVERIFY(page.landscape && item.x >= 0 && item.x2 <= rightLimit &&
                            item.y2 <= printableHeight);
                    continue;
                }
                ++texts;
                const int right = item.x + textWidth(item.font, item.size, item.text);
                QVERIFY2(item.x >= 0 && right <= rightLimit && item.size >= 8,
                         qPrintable(QString("page %1: \"%2\" ends at %3")
                                        .arg(page.number)
                                        .arg(item.text)
                                        .arg(right)));
                QVERIFY2(item.y >= 0 &&
                             item.y + lineHeight(item.font, item.size) <= printableHeight,
                         qPrintable(QString("page %1: \"%2\" at height %3")
                                        .arg(page.number)
                                        .arg(item.text)
                                        .arg(item.y)));
                QCOMPARE(item.maxWidth, rightLimit - item.x);
            }
        }
        QVERIFY(texts > 1000);
        // Long cover lines are shrunk, never dropped; the office name wraps where it must.
        QString cover;
        for (const PrintItem& item : pages[0].items)
            cover += item.text + ' ';
        QVERIFY(cover.contains("progetto..............: " + sixty));
        QVERIFY(cover.simplified().contains(office.officeName));
    }

    void dataTableLines_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("underscores");
        QTest::newRow("ten characters get 61") << QString(10, 'd') << 61;
        QTest::newRow("69 characters get 2") << QString(69, 'd') << 2;
        QTest::newRow("70 characters get none") << QString(70, 'd') << 0;
        QTest::newRow("longer ones stop before the links") << QString(90, 'd') << 0;
    }

    void dataTableLines()
    {
        QFETCH(QString, description);
        QFETCH(int, underscores);
        Project p = buildProject("3: 1>2=1 1>3=2 1>2=3 1>3=4 1>2=5 2>3=1");
        Event first = p.event(1);
        first.description = description;
        p.setEvent(1, first);
        const ScheduleResults r = ComputeSchedule(p);
        const TitlePage t = title();
        const auto pages = layoutDirectReport(ReportData{p, r, t, kOffice});
        const auto data =
            pagesBetween(pages, "Data iniziale: 01/01/1990", "RISULTATI DELLA ELABORAZIONE");
        QVERIFY(!data.empty());
        const PrintPage& page = *data.front();
        const PrintItem* text = nullptr;
        for (const PrintItem& item : page.items) {
            if (item.text.startsWith(description.left(10)))
                text = &item;
        }
        QVERIFY(text);
        QCOMPARE(column(*text), 7);
        QCOMPARE(int(text->text.count('_')), underscores);
        QVERIFY(lastColumn(*text) < 79);
        // Five links: four on the description's line at 79, 88, 97, 106, the fifth below at 79.
        QStringList sameLine;
        QStringList below;
        for (const PrintItem& item : page.items) {
            if (item.text.contains('/') && item.size == 8) {
                if (item.y == text->y)
                    sameLine << QString("%1:%2").arg(column(item)).arg(item.text);
                else if (item.y == text->y + lineHeight(kPrintFont, 8))
                    below << QString("%1:%2").arg(column(item)).arg(item.text);
            }
        }
        QCOMPARE(sameLine, QStringList({"79:2/1", "88:3/2", "97:2/3", "106:3/4"}));
        QCOMPARE(below, QStringList({"79:2/5"}));
    }

    void longWordsAreCutWhereTheLineIsFull_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("text");
        const QString pair = QString::fromUtf8("\xF0\x9D\x92\x9C");
        QTest::newRow("print font, one word of 2,000 letters")
            << kPrintFont << 12.0 << QString(2000, QLatin1Char('x'));
        QTest::newRow("cover font, wide and narrow letters")
            << kCoverFont << 14.0 << QString("MiwaTo").repeated(300);
        QTest::newRow("cover font, words around a long word")
            << kCoverFont << 16.0 << "Studio " + QString("Wi").repeated(400) + " tecnico Rossi";
        QTest::newRow("print font, characters outside the basic plane")
            << kPrintFont << 12.0 << pair.repeated(333);
        QTest::newRow("cover font, characters outside the basic plane")
            << kCoverFont << 14.0 << "a" + pair.repeated(333);
    }

    // Every line fits, a piece of a cut word fills its line, a character outside the basic
    // plane is never split, and the lines hold the text's characters, nothing added (no
    // hyphen) and nothing lost.
    void longWordsAreCutWhereTheLineIsFull()
    {
        QFETCH(QString, font);
        QFETCH(double, size);
        QFETCH(QString, text);
        PagePrinter printer;
        printer.setFont(font);
        printer.setSize(size);
        const int room = printer.room(10);
        const QStringList lines = printer.wrap(10, text);
        QVERIFY(lines.size() > 3);
        // A piece of a cut word, not a whole word that went on to the next line.
        const QStringList words = text.split(QLatin1Char(' '));
        const auto isPiece = [&](const QString& line) {
            return !line.contains(QLatin1Char(' ')) && !words.contains(line);
        };
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            QVERIFY2(textWidth(font, size, line) <= room, qPrintable(QString::number(i)));
            QVERIFY(!line.front().isLowSurrogate() && !line.back().isHighSurrogate());
            if (i + 1 < lines.size() && isPiece(line) && isPiece(lines[i + 1])) {
                const QString next =
                    lines[i + 1].left(lines[i + 1].front().isHighSurrogate() ? 2 : 1);
                QVERIFY(textWidth(font, size, line + next) > room);
            }
        }
        QCOMPARE(lines.join(QString()).remove(QLatin1Char(' ')),
                 QString(text).remove(QLatin1Char(' ')));
    }

    void justifiedTexts()
    {
        for (const QStringList* section :
             {&ReportTexts::standard().method, &ReportTexts::standard().data,
              &ReportTexts::standard().results}) {
            QVERIFY(!section->isEmpty());
            for (const QString& paragraph : *section) {
                const QStringList lines = justifyParagraphs({paragraph}, 66);
                for (int i = 0; i < lines.size(); ++i) {
                    QVERIFY(lines[i].size() <= 66);
                    if (i + 1 < lines.size())
                        QCOMPARE(lines[i].size(), 66);
                }
                // Only blanks were added.
                QCOMPARE(lines.join(' ').simplified(), paragraph.simplified());
            }
        }
        QCOMPARE(justifyParagraphs({"uno due tre"}, 7), QStringList({"uno due", "tre"}));
        QCOMPARE(justifyParagraphs({"a b c d"}, 4), QStringList({"a  b", "c d"}));
        QCOMPARE(justifyParagraphs({QString(10, 'x')}, 4), QStringList({"xxxx", "xxxx", "xx"}));
    }
};

QTEST_GUILESS_MAIN(TestDirectPrint)
#include "test_direct_print.moc"
