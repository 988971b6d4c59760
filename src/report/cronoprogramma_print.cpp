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

// The cronoprogramma laid out on pages for the direct print.

namespace zant {

using namespace plan_document;

namespace {

// Pages in points inside the printable area (A4 less 5 mm a side): 2 cm of margin on the sheet,
// room for the footer at the bottom.
constexpr double kMargin = 42.5;
constexpr double kPortraitWidth = 595.3 - 28.35 - 2 * kMargin;
constexpr double kPortraitHeight = 841.9 - 28.35 - 2 * kMargin - 24;
constexpr double kCellPadding = 3;
constexpr int kTwipsPerPoint = 20;

using Paint = std::shared_ptr<const std::function<void(QPainter&)>>;

QFont printFont(double points, bool bold = false)
{
    return pictures::font(points, bold);
}

struct Pager
{
    std::vector<PrintPage> pages;
    bool landscape = false;
    double y = 0;
    bool open = false;

    double width() const { return landscape ? 841.9 - 28.35 - 2 * kMargin : kPortraitWidth; }
    double height() const { return landscape ? 595.3 - 28.35 - 2 * kMargin - 24 : kPortraitHeight; }

    void newPage()
    {
        PrintPage page;
        page.landscape = landscape;
        pages.push_back(std::move(page));
        y = 0;
        open = true;
    }
    void ensure(double room)
    {
        if (!open || (y > 0 && y + room > height()))
            newPage();
    }
    void place(double h, const Paint& paint, double w = -1)
    {
        ensure(h);
        if (w < 0)
            w = width();
        PrintItem item;
        item.kind = PrintItem::Kind::Picture;
        item.x = static_cast<int>(kMargin * kTwipsPerPoint);
        item.y = static_cast<int>((kMargin + y) * kTwipsPerPoint);
        item.x2 = item.x + static_cast<int>(w * kTwipsPerPoint);
        item.y2 = item.y + static_cast<int>(h * kTwipsPerPoint);
        item.picture = paint;
        item.pictureSize = QSizeF(w, h);
        pages.back().items.push_back(std::move(item));
        y += h;
    }
};

template <typename F> Paint paintWith(F f)
{
    return std::make_shared<const std::function<void(QPainter&)>>(std::move(f));
}

double textHeight(const QString& text, const QFont& font, double width)
{
    return QFontMetricsF(font)
        .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text)
        .height();
}

void placeText(Pager& pager, const QString& text, double points, bool bold, double after,
               Qt::Alignment align = Qt::AlignLeft, double keep = 0)
{
    const QFont font = printFont(points, bold);
    const double width = pager.width();
    const double h = textHeight(text, font, width) + after;
    pager.ensure(h + keep);
    pager.place(h, paintWith([text, font, width, align](QPainter& p) {
                    p.setFont(font);
                    p.setPen(Qt::black);
                    p.drawText(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | align, text);
                }));
}

// Column widths for the page: number columns as wide as their longest text, the others share
// what is left in proportion to theirs.
std::vector<double> columnWidths(const TableModel& t, double width, const QFont& font,
                                 const QFont& bold)
{
    const int n = t.columns();
    std::vector<double> natural(n, 0);
    std::vector<double> longestWord(n, 0);
    const QFontMetricsF fm(font);
    const QFontMetricsF fb(bold);
    for (const QStringList& row : t.header)
        for (int c = 0; c < n && c < row.size(); ++c)
            for (const QString& word : row[c].split(QLatin1Char(' ')))
                longestWord[c] = std::max(longestWord[c], fb.horizontalAdvance(word));
    for (const QStringList& row : t.rows)
        for (int c = 0; c < n && c < row.size(); ++c)
            natural[c] = std::max(natural[c], fm.horizontalAdvance(row[c]));
    std::vector<double> widths(n, 0);
    double fixed = 0;
    double flexible = 0;
    for (int c = 0; c < n; ++c) {
        const bool fit = std::find(t.right.begin(), t.right.end(), c + 1) != t.right.end();
        natural[c] = std::max(natural[c], longestWord[c]) + 2 * kCellPadding + 1;
        if (fit) {
            widths[c] = natural[c];
            fixed += widths[c];
        } else {
            flexible += natural[c];
        }
    }
    const double rest = std::max(0.0, width - fixed);
    for (int c = 0; c < n; ++c)
        if (widths[c] == 0)
            widths[c] = flexible > 0 ? rest * natural[c] / flexible : rest / n;
    // Number columns wider than the page together are all narrowed alike.
    double sum = 0;
    for (double w : widths)
        sum += w;
    if (sum > width)
        for (double& w : widths)
            w *= width / sum;
    return widths;
}

// The rows of a table that go on one page, under its header. Kept by value: the pages are
// painted after the table model is gone.
struct TableSlice
{
    std::vector<QStringList> header;
    std::vector<double> widths;
    std::vector<double> headerHeights;
    std::vector<double> heights;
    std::shared_ptr<std::vector<QStringList>> rows;
    QFont font;
    QFont bold;
    std::vector<int> right; // columns (from 1) aligned right
    bool endsTable = false;
};

void paintTableSlice(QPainter& p, const TableSlice& s)
{
    double y = 0;
    const auto right = [&s](int c) {
        return std::find(s.right.begin(), s.right.end(), c + 1) != s.right.end();
    };
    const auto drawRow = [&](const QStringList& cells, double h, const QFont& f, const QColor& fill,
                             const QColor& ink) {
        double x = 0;
        p.fillRect(QRectF(0, y, std::accumulate(s.widths.begin(), s.widths.end(), 0.0), h), fill);
        p.setFont(f);
        p.setPen(ink);
        for (size_t c = 0; c < s.widths.size(); ++c) {
            if (static_cast<qsizetype>(c) < cells.size())
                p.drawText(QRectF(x + kCellPadding, y + kCellPadding,
                                  s.widths[c] - 2 * kCellPadding, h - 2 * kCellPadding),
                           Qt::TextWordWrap | Qt::AlignTop |
                               (right(static_cast<int>(c)) ? Qt::AlignRight : Qt::AlignLeft),
                           cells[c]);
            x += s.widths[c];
        }
        p.setPen(QPen(QColor(200, 205, 215), 0.4));
        p.drawLine(QPointF(0, y + h), QPointF(x, y + h));
        y += h;
    };
    for (size_t i = 0; i < s.header.size(); ++i)
        drawRow(s.header[i], s.headerHeights[i], s.bold, QColor(31, 56, 100), Qt::white);
    const std::vector<QStringList>& rows = *s.rows;
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool totalRow = s.endsTable && i + 1 == rows.size() &&
                              rows[i].join(QString()).contains(QStringLiteral("Totale"));
        drawRow(rows[i], s.heights[i], totalRow ? s.bold : s.font,
                i % 2 ? QColor(234, 239, 247) : Qt::white, Qt::black);
    }
}

void placeTable(Pager& pager, const TableModel& t)
{
    TableSlice slice;
    slice.header = t.header;
    slice.font = printFont(kTableSize);
    slice.bold = printFont(kTableSize, true);
    slice.widths = columnWidths(t, pager.width(), slice.font, slice.bold);
    slice.right = t.right;
    const auto rowHeight = [&slice](const QStringList& cells, const QFont& f) {
        double h = 0;
        for (int c = 0; c < static_cast<int>(slice.widths.size()) && c < cells.size(); ++c)
            h = std::max(h, textHeight(cells[c], f, slice.widths[c] - 2 * kCellPadding));
        return std::max(h, QFontMetricsF(f).height()) + 2 * kCellPadding;
    };
    double header = 0;
    for (const QStringList& cells : t.header) {
        slice.headerHeights.push_back(rowHeight(cells, slice.bold));
        header += slice.headerHeights.back();
    }
    size_t first = 0;
    while (first < t.rows.size()) {
        // Rows that fit under the header on what is left of this page, at least one.
        pager.ensure(header + rowHeight(t.rows[first], slice.font));
        double room = pager.height() - pager.y - header;
        slice.heights.clear();
        size_t last = first;
        while (last < t.rows.size()) {
            const double h = rowHeight(t.rows[last], slice.font);
            if (!slice.heights.empty() && h > room)
                break;
            slice.heights.push_back(h);
            room -= h;
            ++last;
        }
        double total = header;
        for (double h : slice.heights)
            total += h;
        slice.rows = std::make_shared<std::vector<QStringList>>(t.rows.begin() + first,
                                                                t.rows.begin() + last);
        slice.endsTable = last == t.rows.size();
        pager.place(total, paintWith([slice](QPainter& p) { paintTableSlice(p, slice); }));
        first = last;
        if (first < t.rows.size())
            pager.newPage();
    }
    pager.y += 8;
}

void placePicture(Pager& pager, const Paint& paint, QSizeF units, const QString& caption)
{
    const double captionHeight = caption.isEmpty() ? 0 : 14;
    const double room = pager.height() - pager.y - captionHeight - 4;
    double scale = std::min(pager.width() / units.width(), room / units.height());
    if (scale * units.height() < 0.5 * (pager.height() - captionHeight)) {
        pager.newPage();
        scale = std::min(pager.width() / units.width(),
                         (pager.height() - captionHeight - 4) / units.height());
    }
    const QSizeF size = units * scale;
    pager.place(size.height(), paintWith([paint, scale](QPainter& p) {
                    p.scale(scale, scale);
                    (*paint)(p);
                }),
                size.width());
    if (!caption.isEmpty())
        placeText(pager, caption, 8, false, 6);
}

} // namespace

namespace {

void placeGantt(Pager& pager, const CronoprogrammaData& d)
{
    const std::vector<PlanPicture> sheets = ganttPictures(d.report);
    for (size_t s = 0; s < sheets.size(); ++s)
        placePicture(pager, sheets[s].paint, sheets[s].units,
                     sheets.size() > 1 ? QStringLiteral("Diagramma di Gantt, foglio %1 di %2")
                                             .arg(s + 1)
                                             .arg(sheets.size())
                                       : QString());
}

void placeSignature(Pager& pager, const CronoprogrammaData& d)
{
    const std::vector<QString> lines = signatureLines(d);
    pager.ensure(160);
    pager.y += 16;
    placeText(pager, lines[0], 10, false, 18);
    for (size_t l = 1; l < lines.size(); ++l) {
        if (l == lines.size() - 1)
            pager.y += 24;
        placeText(pager, lines[l], 10, false, 4, Qt::AlignRight);
    }
}

void placeBlock(Pager& pager, const Block& b, const CronoprogrammaData& d)
{
    switch (b.kind) {
    case Block::Kind::Cover:
        pager.newPage();
        for (const CoverLine& line : coverLines(d)) {
            pager.y += line.gapBefore * 16;
            placeText(pager, line.text, line.size, line.bold, 4);
        }
        break;
    case Block::Kind::Section:
        pager.landscape = b.page == SectionPage::Landscape;
        pager.open = false;
        break;
    case Block::Kind::Heading:
        // A heading never stands alone at the foot of a page.
        placeText(pager, b.text, b.level == 1 ? 16 : 13, true, 8, Qt::AlignLeft, 60);
        break;
    case Block::Kind::Text:
        placeText(pager, b.text, 10, false, 6);
        break;
    case Block::Kind::Table:
        placeTable(pager, b.table);
        break;
    case Block::Kind::Gantt:
        placeGantt(pager, d);
        break;
    case Block::Kind::SCurve: {
        const auto curve = std::make_shared<const SCurvePicture>(layoutSCurve(d.amounts, d.sal));
        placePicture(pager, paintWith([curve](QPainter& p) { paintSCurve(p, *curve); }),
                     curve->size, QString());
        break;
    }
    case Block::Kind::Signature:
        placeSignature(pager, d);
        break;
    }
}

// Footers: the project on the left, "pagina N di M" on the right; the cover has none.
void addFooters(std::vector<PrintPage>& pages, const QString& project)
{
    const int count = static_cast<int>(pages.size());
    for (int i = 0; i < count; ++i) {
        PrintPage& page = pages[i];
        page.number = i + 1;
        if (i == 0)
            continue;
        const double bottom = (page.landscape ? 595.3 - 28.35 : 841.9 - 28.35) - kMargin + 6;
        const double width = page.landscape ? 841.9 - 28.35 - 2 * kMargin : kPortraitWidth;
        const QString footer = QStringLiteral("pagina %1 di %2").arg(i + 1).arg(count);
        PrintItem item;
        item.kind = PrintItem::Kind::Picture;
        item.x = static_cast<int>(kMargin * kTwipsPerPoint);
        item.y = static_cast<int>(bottom * kTwipsPerPoint);
        item.x2 = item.x + static_cast<int>(width * kTwipsPerPoint);
        item.y2 = item.y + 12 * kTwipsPerPoint;
        item.pictureSize = QSizeF(width, 12);
        item.picture = paintWith([project, footer, width](QPainter& p) {
            p.setFont(printFont(8));
            p.setPen(Qt::black);
            p.drawText(QRectF(0, 0, width * 0.7, 12), Qt::AlignLeft | Qt::AlignVCenter,
                       QFontMetricsF(p.font()).elidedText(project, Qt::ElideRight, width * 0.7));
            p.drawText(QRectF(0, 0, width, 12), Qt::AlignRight | Qt::AlignVCenter, footer);
        });
        page.items.push_back(std::move(item));
    }
}

} // namespace

std::vector<PrintPage> layoutCronoprogramma(const CronoprogrammaData& d)
{
    Pager pager;
    for (const Block& b : documentBlocks(d))
        placeBlock(pager, b, d);
    addFooters(pager.pages, d.report.titlePage[TitlePage::progetto]);
    return pager.pages;
}

Result<void> printCronoprogrammaToPdf(const CronoprogrammaData& d, const QString& pdfPath)
{
    return writePagesToPdf(layoutCronoprogramma(d), pdfPath, kCronoprogrammaTitle);
}

} // namespace zant
