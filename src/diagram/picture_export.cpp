#include "diagram/picture_export.h"

#include "diagram/picture_style.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <functional>

namespace zant {

namespace {

using namespace pictures;

// SVG and PNG pictures (and PDF pages of the picture's own size) count 96 units an inch.
constexpr double kMillimetresPerUnit = 25.4 / 96;
constexpr double kPointsPerMillimetre = 72 / 25.4;
constexpr double kSheetMargin = 10; // millimetres around the drawing on paper
constexpr double kTileOverlap = 12; // millimetres two neighbouring tiles share
constexpr double kTileFooter = 7;   // millimetres under a tile for its name

QString decimal(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString scaleText(const TitleBlock& block, double millimetresPerUnit)
{
    if (block.unitsPerDay <= 0)
        return QStringLiteral("Disegno per livelli, senza scala dei tempi");
    const double dayMm = block.unitsPerDay * millimetresPerUnit;
    const double daysPerCm = 10 / dayMm;
    return QStringLiteral("Scala dei tempi: 1 cm = %1 giorni (1 giorno = %2 mm)")
        .arg(decimal(daysPerCm, daysPerCm < 10 ? 2 : 1), decimal(dayMm, dayMm < 1 ? 3 : 2));
}

QPageSize pageSizeOf(Sheet sheet)
{
    switch (sheet) {
    case Sheet::A4:
        return QPageSize(QPageSize::A4);
    case Sheet::A3:
        return QPageSize(QPageSize::A3);
    case Sheet::A1:
        return QPageSize(QPageSize::A1);
    case Sheet::A0:
        break;
    }
    return QPageSize(QPageSize::A0);
}

// The sheet's size in millimetres, its long side across.
QSizeF landscapeMillimetres(Sheet sheet)
{
    const QSizeF size = pageSizeOf(sheet).size(QPageSize::Millimeter);
    return {std::max(size.width(), size.height()), std::min(size.width(), size.height())};
}

void paintWhole(QPainter& p, const QSizeF& picture, const PicturePainter& paint,
                const TitleBlock& block, double millimetresPerUnit)
{
    const QSizeF whole = standaloneSize(picture);
    p.fillRect(QRectF(QPointF(0, 0), whole), Qt::white);
    p.save();
    p.setClipRect(QRectF(QPointF(0, 0), picture));
    paint(p);
    p.restore();
    paintTitleBlock(p, block,
                    QRectF(8, picture.height() + 6, whole.width() - 16, kTitleBlockHeight - 14),
                    millimetresPerUnit);
}

// The pieces of a tiled print, in picture units, and the grid they form.
struct Tiling
{
    std::vector<QRectF> tiles;
    int columns = 0;
    double unitsPerMm = 0;
    QSizeF body; // millimetres of a tile on the sheet
};

Tiling tilingOf(const QSizeF& picture, Sheet sheet, double smallestText)
{
    Tiling t;
    const QSizeF paper = landscapeMillimetres(sheet);
    t.body =
        QSizeF(paper.width() - 2 * kSheetMargin, paper.height() - 2 * kSheetMargin - kTileFooter);
    t.unitsPerMm = 1 / readableScale(smallestText);
    const QSizeF whole = standaloneSize(picture);
    t.tiles = pageTiles(whole, t.body * t.unitsPerMm, kTileOverlap * t.unitsPerMm, 0);
    t.columns = 0;
    for (const QRectF& r : t.tiles)
        t.columns += r.top() == t.tiles.front().top() ? 1 : 0;
    return t;
}

} // namespace

QSizeF standaloneSize(const QSizeF& picture)
{
    return {std::max(picture.width(), kTitleBlockWidth), picture.height() + kTitleBlockHeight};
}

TitleBlock::Legend ganttLegend(const GanttChart& chart)
{
    return chart.skipsDays() ? TitleBlock::Legend::GanttCalendar : TitleBlock::Legend::Gantt;
}

namespace {

using Sample = std::function<void(const QRectF&)>;

// The entries of a legend one after the other: a sample 28 units wide, then its words; a new
// line when the row is full.
class LegendRows
{
public:
    LegendRows(QPainter& p, const QRectF& area)
        : m_p(p), m_area(area), m_text(font(10)), m_fm(m_text), m_x(area.left()), m_y(area.top())
    {
    }

    void entry(const QString& words, const Sample& sample)
    {
        const double width = 34 + m_fm.horizontalAdvance(words) + 16;
        if (m_x > m_area.left() && m_x + width > m_area.right()) {
            m_x = m_area.left();
            m_y += kLine;
        }
        m_p.save();
        sample(QRectF(m_x, m_y + 2, 28, kLine - 4));
        m_p.restore();
        m_p.setFont(m_text);
        m_p.setPen(kInk);
        m_p.drawText(QRectF(m_x + 34, m_y, width, kLine), Qt::AlignVCenter, words);
        m_x += width;
    }

private:
    static constexpr double kLine = 18;
    QPainter& m_p;
    QRectF m_area;
    QFont m_text;
    QFontMetricsF m_fm;
    double m_x;
    double m_y;
};

Sample stroke(QPainter& p, const QColor& colour, double width, Qt::PenStyle style)
{
    return [&p, colour, width, style](const QRectF& r) {
        QPen pen(colour, width, style);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    };
}

Sample bar(QPainter& p, const QColor& colour, double share)
{
    return [&p, colour, share](const QRectF& r) {
        const double h = r.height() * share;
        p.fillRect(QRectF(r.left(), r.center().y() - h / 2, r.width(), h), colour);
    };
}

Sample diamond(QPainter& p, const QColor& fill)
{
    return [&p, fill](const QRectF& r) {
        const QPointF c = r.center();
        const double s = r.height() * 0.45;
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(fill);
        p.drawPolygon(QPolygonF(
            {c + QPointF(0, -s), c + QPointF(s, 0), c + QPointF(0, s), c + QPointF(-s, 0)}));
    };
}

void networkEntries(QPainter& p, LegendRows& rows)
{
    rows.entry(QStringLiteral("attività critica"), stroke(p, kCritical, 2.6, Qt::SolidLine));
    rows.entry(QStringLiteral("attività, con la durata in giorni"),
               stroke(p, kInk, 1.1, Qt::SolidLine));
    rows.entry(QStringLiteral("scorrimento libero"), stroke(p, kInk, 1.1, Qt::DotLine));
    rows.entry(QStringLiteral("attività fittizia (0 giorni)"), stroke(p, kInk, 1.1, Qt::DashLine));
    rows.entry(QStringLiteral("evento: numero; tempo minimo | tempo massimo (giorni)"),
               [&p](const QRectF& r) {
                   const QPointF c = r.center();
                   const double radius = r.height() / 2 + 1;
                   p.setPen(QPen(kInk, 1));
                   p.setBrush(Qt::white);
                   p.drawEllipse(c, radius, radius);
                   p.drawLine(QPointF(c.x() - radius, c.y()), QPointF(c.x() + radius, c.y()));
                   p.drawLine(c, QPointF(c.x(), c.y() + radius));
               });
    rows.entry(QStringLiteral("evento critico"), [&p](const QRectF& r) {
        const QPointF c = r.center();
        const double radius = r.height() / 2 + 1;
        p.setPen(QPen(kCritical, 2));
        p.setBrush(kPaleCritical);
        p.drawEllipse(c, radius, radius);
    });
}

void sCurveEntries(QPainter& p, LegendRows& rows)
{
    rows.entry(QStringLiteral("programma al più presto"),
               stroke(p, kEarlyCurve, 2.2, Qt::SolidLine));
    rows.entry(QStringLiteral("programma al più tardi"), stroke(p, kLateCurve, 2.2, Qt::SolidLine));
    rows.entry(QStringLiteral("fascia tra i due programmi"), bar(p, kEnvelope, 0.7));
    rows.entry(QStringLiteral("SAL previsto, su ciascun programma"), [&p](const QRectF& r) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(kEarlyCurve);
        p.drawEllipse(r.center() - QPointF(6, 0), 4.2, 4.2);
        p.setBrush(kLateCurve);
        p.drawEllipse(r.center() + QPointF(6, 0), 4.2, 4.2);
    });
}

void ganttEntries(QPainter& p, LegendRows& rows, TitleBlock::Legend legend, bool withToday)
{
    rows.entry(QStringLiteral("attività critica (C)"), bar(p, kCritical, 0.6));
    rows.entry(QStringLiteral("attività"), bar(p, kBar, 0.6));
    rows.entry(QStringLiteral("scorrimento totale"), bar(p, kTotalFloat, 0.25));
    rows.entry(QStringLiteral("di cui libero"), bar(p, kFreeFloat, 0.25));
    rows.entry(QStringLiteral("evento"), diamond(p, Qt::white));
    rows.entry(QStringLiteral("evento critico"), diamond(p, kCritical));
    if (withToday)
        rows.entry(QStringLiteral("oggi"), stroke(p, kToday, 1.6, Qt::DashLine));
    if (legend == TitleBlock::Legend::GanttCalendar) {
        rows.entry(QStringLiteral("giorni non lavorativi e chiusure"),
                   [&p](const QRectF& r) { p.fillRect(r, kRestDay); });
    } else {
        rows.entry(QStringLiteral("sabato e domenica (giorni in rosso)"), [&p](const QRectF& r) {
            p.setFont(font(9));
            p.setPen(kCritical);
            p.drawText(r, Qt::AlignCenter, QStringLiteral("6 7"));
        });
    }
}

} // namespace

void paintLegend(QPainter& p, TitleBlock::Legend legend, const QRectF& area, bool withToday)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    LegendRows rows(p, area);
    if (legend == TitleBlock::Legend::Network)
        networkEntries(p, rows);
    else if (legend == TitleBlock::Legend::SCurve)
        sCurveEntries(p, rows);
    else
        ganttEntries(p, rows, legend, withToday);
    p.restore();
}

void paintTitleBlock(QPainter& p, const TitleBlock& block, const QRectF& area,
                     double millimetresPerUnit)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(area, Qt::white);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
    const double split = area.left() + std::min(380.0, area.width() * 0.45);
    p.drawLine(QPointF(split, area.top()), QPointF(split, area.bottom()));
    const double left = area.left() + 10;
    const double width = split - left - 8;
    double y = area.top() + 6;
    const auto line = [&](const QString& text, double size, bool bold) {
        const QFont f = font(size, bold);
        p.setFont(f);
        p.setPen(kInk);
        const QFontMetricsF fm(f);
        p.drawText(QRectF(left, y, width, fm.height()), Qt::AlignVCenter,
                   fm.elidedText(text, Qt::ElideRight, width));
        y += fm.height() + 2;
    };
    line(block.title, 15, true);
    line(QStringLiteral("Progetto: ") +
             (block.project.isEmpty() ? QStringLiteral("senza nome") : block.project),
         11, false);
    line(QStringLiteral("Calcolo del ") + formatDate(block.computed), 11, false);
    line(scaleText(block, millimetresPerUnit), 10, false);
    line(QStringLiteral("ZANT - programmazione con tecnica reticolare"), 8.5, false);
    p.setFont(font(10, true));
    p.drawText(QPointF(split + 10, area.top() + 18), QStringLiteral("Legenda"));
    paintLegend(p, block.legend,
                QRectF(split + 10, area.top() + 24, area.right() - split - 16, area.height() - 28));
    p.restore();
}

std::optional<Sheet> sheetNamed(const QString& name)
{
    const QString n = name.trimmed().toUpper();
    if (n == QLatin1String("A4"))
        return Sheet::A4;
    if (n == QLatin1String("A3"))
        return Sheet::A3;
    if (n == QLatin1String("A1"))
        return Sheet::A1;
    if (n == QLatin1String("A0"))
        return Sheet::A0;
    return std::nullopt;
}

QString sheetName(Sheet sheet)
{
    static const char* const kNames[] = {"A4", "A3", "A1", "A0"};
    return QString::fromLatin1(kNames[static_cast<int>(sheet)]);
}

double readableScale(double smallestText)
{
    return 2.5 / std::max(1.0, smallestText);
}

TitleBlock networkTitleBlock(const NetworkLayout& layout, const QString& project,
                             const QDate& computed)
{
    TitleBlock block;
    const bool levels = layout.mode == LayoutMode::Levels;
    block.title = levels ? QStringLiteral("Reticolo per livelli")
                         : QStringLiteral("Reticolo a scala dei tempi");
    if (layout.summaryOnly)
        block.title += QStringLiteral(": eventi e percorso critico");
    block.project = project;
    block.computed = computed;
    block.unitsPerDay = levels ? 0 : layout.unitsPerDay;
    block.legend = TitleBlock::Legend::Network;
    return block;
}

double networkSmallestText(const NetworkLayout& layout, const ScheduleResults& results)
{
    // The sizes circleTexts fits the times to, worked out from the advances of the face alone,
    // so that pages can be planned without a font system.
    const double r = layout.metrics.radius;
    const auto fitted = [r](const QString& text) {
        double pixels = std::floor(0.36 * r);
        for (; pixels > 2; pixels -= 1) {
            const double depth = 0.08 * r + pixels * (0.905 + 0.212 * 0.4);
            const double half = std::sqrt(std::max(0.0, r * r - depth * depth)) - 2.5;
            if (labelWidth(text, pixels) <= half)
                break;
        }
        return pixels;
    };
    double smallest = layout.metrics.labelFont;
    for (const LaidOutEvent& e : layout.events)
        smallest = std::min({smallest, fitted(formatDays(results.earliest[e.event])),
                             fitted(formatDays(results.latest[e.event]))});
    return smallest;
}

double ganttSmallestText(const GanttGeometry&)
{
    return 9;
}

int tiledSheetCount(const QSizeF& picture, Sheet sheet, double smallestText)
{
    return static_cast<int>(tilingOf(picture, sheet, smallestText).tiles.size()) + 1;
}

namespace {

// A sheet of paper in points, its margin, and the room inside the margin.
struct Paper
{
    double margin = 0;
    QSizeF room;
};

// The drawing shrunk (or grown) onto one sheet, the title block under it at the size of text
// on paper (a unit a point).
void paintOnSheet(QPainter& p, const Paper& paper, const QSizeF& picture,
                  const PicturePainter& paint, const TitleBlock& block)
{
    const double blockHeight = kTitleBlockHeight;
    const double blockWidth = std::min(paper.room.width(), kTitleBlockWidth * 1.4);
    const double s = std::min(paper.room.width() / picture.width(),
                              (paper.room.height() - blockHeight) / picture.height());
    p.save();
    p.translate(paper.margin + (paper.room.width() - picture.width() * s) / 2, paper.margin);
    p.scale(s, s);
    p.setClipRect(QRectF(QPointF(0, 0), picture));
    paint(p);
    p.restore();
    paintTitleBlock(p, block,
                    QRectF(paper.margin + paper.room.width() - blockWidth,
                           paper.margin + paper.room.height() - blockHeight + 6, blockWidth,
                           blockHeight - 6),
                    s / kPointsPerMillimetre);
}

int tilingRows(const Tiling& t)
{
    const int count = static_cast<int>(t.tiles.size());
    return (count + t.columns - 1) / std::max(1, t.columns);
}

// The first sheet of a tiled print: the map of the sheets over the whole picture, and the title
// block at a readable size.
void paintSheetMap(QPainter& p, const Paper& paper, Sheet sheet, const Tiling& t,
                   const QSizeF& picture, const PicturePainter& paint, const TitleBlock& block)
{
    const QSizeF whole = standaloneSize(picture);
    const double pointsPerUnit = kPointsPerMillimetre / t.unitsPerMm;
    const int count = static_cast<int>(t.tiles.size());
    const double blockHeight = kTitleBlockHeight * pointsPerUnit;
    const QRectF mapArea(paper.margin, paper.margin + 16, paper.room.width(),
                         paper.room.height() - blockHeight - 24);
    p.setFont(font(11, true));
    p.setPen(kInk);
    p.drawText(QPointF(paper.margin, paper.margin + 10),
               QStringLiteral("Quadro d'unione: %1 fogli %2 (%3 righe, %4 colonne), "
                              "sovrapposti di %5 mm")
                   .arg(count)
                   .arg(sheetName(sheet))
                   .arg(tilingRows(t))
                   .arg(t.columns)
                   .arg(kTileOverlap));
    const double s = std::min(mapArea.width() / whole.width(), mapArea.height() / whole.height());
    p.save();
    p.translate(mapArea.topLeft());
    p.scale(s, s);
    paintWhole(p, picture, paint, block, s / kPointsPerMillimetre);
    for (int i = 0; i < count; ++i) {
        const QRectF& r = t.tiles[i];
        p.setPen(QPen(kSelected, 1.5 / s));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        p.setFont(font(std::min(r.height(), r.width()) / 5, true));
        p.setPen(kSelected);
        p.drawText(r, Qt::AlignCenter, QString::number(i + 2));
    }
    p.restore();
    p.save();
    const double blockWidth = std::min(paper.room.width(), whole.width() * pointsPerUnit);
    p.translate(paper.margin, paper.margin + paper.room.height() - blockHeight);
    p.scale(pointsPerUnit, pointsPerUnit);
    paintTitleBlock(p, block, QRectF(0, 0, blockWidth / pointsPerUnit, kTitleBlockHeight - 8),
                    1 / t.unitsPerMm);
    p.restore();
}

// Where the neighbours of a tile begin and end: dashed lines over the shared strips, crosses at
// the corners, to lay the sheets edge on edge; under them, the sheet's name.
void paintTileMarks(QPainter& p, const QRectF& body, int index, const Tiling& t,
                    const TitleBlock& block)
{
    const int row = index / std::max(1, t.columns);
    const int column = index % std::max(1, t.columns);
    const int rows = tilingRows(t);
    const double overlap = kTileOverlap * kPointsPerMillimetre;
    p.setPen(QPen(kSelected, 0.8, Qt::DashLine));
    if (column > 0)
        p.drawLine(QPointF(body.left() + overlap, body.top()),
                   QPointF(body.left() + overlap, body.bottom()));
    if (column + 1 < t.columns)
        p.drawLine(QPointF(body.right() - overlap, body.top()),
                   QPointF(body.right() - overlap, body.bottom()));
    if (row > 0)
        p.drawLine(QPointF(body.left(), body.top() + overlap),
                   QPointF(body.right(), body.top() + overlap));
    if (row + 1 < rows)
        p.drawLine(QPointF(body.left(), body.bottom() - overlap),
                   QPointF(body.right(), body.bottom() - overlap));
    p.setPen(QPen(kInk, 0.8));
    for (const QPointF& c :
         {body.topLeft(), body.topRight(), body.bottomLeft(), body.bottomRight()}) {
        p.drawLine(c - QPointF(8, 0), c + QPointF(8, 0));
        p.drawLine(c - QPointF(0, 8), c + QPointF(0, 8));
    }
    p.setFont(font(9));
    p.drawText(QPointF(body.left(), body.bottom() + 14),
               QStringLiteral("%1 - foglio %2 di %3: riga %4, colonna %5 (foglio 1: "
                              "quadro d'unione). Le linee tratteggiate segnano la "
                              "striscia in comune con il foglio accanto.")
                   .arg(block.title)
                   .arg(index + 2)
                   .arg(static_cast<int>(t.tiles.size()) + 1)
                   .arg(row + 1)
                   .arg(column + 1));
}

// One piece of a tiled print, at the readable scale, with its marks.
void paintTile(QPainter& p, const Paper& paper, int index, const Tiling& t, const QSizeF& picture,
               const PicturePainter& paint, const TitleBlock& block)
{
    const QRectF& r = t.tiles[index];
    const double pointsPerUnit = kPointsPerMillimetre / t.unitsPerMm;
    p.save();
    p.translate(paper.margin, paper.margin);
    p.setClipRect(QRectF(0, 0, r.width() * pointsPerUnit, r.height() * pointsPerUnit));
    p.scale(pointsPerUnit, pointsPerUnit);
    p.translate(-r.topLeft());
    paintWhole(p, picture, paint, block, 1 / t.unitsPerMm);
    p.restore();
    const QRectF body(paper.margin, paper.margin, r.width() * pointsPerUnit,
                      r.height() * pointsPerUnit);
    paintTileMarks(p, body, index, t, block);
}

// The PDF of a picture on sheets of paper: one sheet, or the map and the tiles.
Result<void> writeSheets(QIODevice& device, const PictureOutput& output, const QSizeF& picture,
                         const PicturePainter& paint, const TitleBlock& block, double smallestText)
{
    const QString what = QStringLiteral("Impossibile disegnare l'immagine nel file %1.")
                             .arg(displayPath(output.path));
    const Sheet sheet = *output.sheet;
    const QSizeF whole = standaloneSize(picture);
    QPdfWriter pdf(&device);
    pdf.setResolution(72);
    pdf.setTitle(block.title);
    pdf.setPageSize(pageSizeOf(sheet));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    const bool across = output.tiled || whole.width() >= whole.height();
    pdf.setPageOrientation(across ? QPageLayout::Landscape : QPageLayout::Portrait);
    QSizeF millimetres = landscapeMillimetres(sheet);
    if (!across)
        millimetres.transpose();
    QPainter p;
    if (!p.begin(&pdf))
        return Error(ErrorKind::File, critical(what));
    Paper paper;
    paper.margin = kSheetMargin * kPointsPerMillimetre;
    paper.room = QSizeF(millimetres.width() * kPointsPerMillimetre - 2 * paper.margin,
                        millimetres.height() * kPointsPerMillimetre - 2 * paper.margin);
    if (!output.tiled) {
        paintOnSheet(p, paper, picture, paint, block);
        return p.end() ? Result<void>() : Result<void>(ErrorKind::File, critical(what));
    }
    const Tiling t = tilingOf(picture, sheet, smallestText);
    paintSheetMap(p, paper, sheet, t, picture, paint, block);
    for (int i = 0; i < static_cast<int>(t.tiles.size()); ++i) {
        if (!pdf.newPage())
            return Error(ErrorKind::File, critical(what));
        paintTile(p, paper, i, t, picture, paint, block);
    }
    return p.end() ? Result<void>() : Result<void>(ErrorKind::File, critical(what));
}

} // namespace

Result<void> exportStandalone(const PictureOutput& output, const QSizeF& picture,
                              const PicturePainter& paint, const TitleBlock& block,
                              double smallestText, const DirectSvg& svg)
{
    const QSizeF whole = standaloneSize(picture);
    const QString suffix = QFileInfo(output.path).suffix().toLower();
    if (!output.sheet && svg && suffix == QLatin1String("svg")) {
        const PicturePainter background = [&](QPainter& p) {
            paintWhole(p, picture, svg.background, block, kMillimetresPerUnit);
        };
        return exportSvg(output.path, whole, DirectSvg{background, svg.elements});
    }
    if (!output.sheet) {
        return exportPicture(
            output.path, whole,
            [&](QPainter& p) { paintWhole(p, picture, paint, block, kMillimetresPerUnit); },
            300.0 / 96.0);
    }
    if (suffix != QLatin1String("pdf"))
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("La stampa su foglio %1 si scrive in un file .pdf, "
                                             "non in %2.")
                                  .arg(sheetName(*output.sheet), displayPath(output.path))));
    return saveFile(output.path, [&](QIODevice& device) {
        return writeSheets(device, output, picture, paint, block, smallestText);
    });
}

} // namespace zant
