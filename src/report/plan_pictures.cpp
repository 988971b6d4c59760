#include "report/plan_pictures.h"

#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"

#include <QPainter>

#include <memory>

#include <algorithm>
#include <cmath>

namespace zant {

namespace {

// The text area of a landscape A4 page (margins of the report), less room for the heading and
// the explanation above the first sheet, so that every sheet fits a page of its own.
constexpr double kSheetWidth = 728;
constexpr double kSheetHeight = 350;
// The smallest text of the pictures (the times inside the circles, 8.8 units) stays at 7 pt.
constexpr double kMinScale = 7.0 / 8.8;
// Pictures are raster images at the resolution of printed documents.
constexpr double kDpi = 300;
constexpr double kOverlap = 36;

QImage renderSheet(QSizeF points, const std::function<void(QPainter&)>& paint, double scale)
{
    const double pixelsPerPoint = kDpi / 72.0;
    QImage image(std::max(1, static_cast<int>(std::ceil(points.width() * pixelsPerPoint))),
                 std::max(1, static_cast<int>(std::ceil(points.height() * pixelsPerPoint))),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(std::lround(kDpi / 0.0254)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    QPainter painter(&image);
    painter.scale(pixelsPerPoint * scale, pixelsPerPoint * scale);
    paint(painter);
    return image;
}

const QString kNetworkText = QStringLiteral(
    "Il reticolo rappresenta ogni evento con un cerchio: in alto il numero dell'evento, in basso "
    "a sinistra il tempo minimo e a destra il tempo massimo, in giorni dalla data iniziale. Le "
    "attività sono le frecce, con la loro durata; la posizione orizzontale degli eventi segue il "
    "tempo minimo, così che la lunghezza delle frecce si legge sulla scala dei giorni in alto. "
    "Il percorso critico corre in rosso su una sola linea; il tratto punteggiato di una freccia "
    "è lo scorrimento libero dell'attività, il tempo di cui può ritardare senza spostare "
    "l'evento che la segue.");

const QString kGanttText = QStringLiteral(
    "Il diagramma di Gantt riporta una riga per ogni attività, nell'ordine della data minima "
    "d'inizio: la barra va dall'inizio alla fine al più presto, sul calendario dei lavori; la "
    "linea sottile che la segue è lo scorrimento totale, con in verde la parte di scorrimento "
    "libero. Le attività critiche sono in rosso; i rombi segnano gli eventi alla loro data "
    "minima.");

// The explanation of a section, and what the reader needs to know when the picture whole would
// fill too many sheets and only its critical part, or the whole reduced to one page, is shown.
template <typename Sheet>
QString explanationOf(const QString& text, const std::vector<Sheet>& sheets, const QString& window)
{
    if (sheets.empty())
        return text;
    const Sheet& first = sheets.front();
    QString shown;
    switch (first.shown) {
    case PlanSheet::Shown::Whole:
        return text;
    case PlanSheet::Shown::CriticalPart:
        shown = first.gantt ? QStringLiteral("qui sono riportate, a grandezza leggibile, le sole "
                                             "attività critiche")
                            : QStringLiteral("qui è riportata, a grandezza leggibile, la sola "
                                             "fascia del percorso critico con gli eventi che gli "
                                             "stanno accanto");
        break;
    case PlanSheet::Shown::Reduced:
        shown = QStringLiteral("qui è riportato ridotto a una sola pagina, come quadro d'insieme");
        break;
    }
    return text + QStringLiteral(" Il disegno intero occuperebbe %1 fogli: %2; intero e leggibile "
                                 "si ottiene dalla finestra «%3» del programma, con «Esporta…».")
                      .arg(first.wholeSheets)
                      .arg(shown, window);
}

const QString kNetworkWindow = QStringLiteral("ZANT: reticolo");
const QString kGanttWindow = QStringLiteral("ZANT: diagramma di Gantt");

} // namespace

namespace {

// One sheet of a picture: how to paint it and its size, in picture units and on the page.
struct SheetPlan
{
    std::shared_ptr<const std::function<void(QPainter&)>> paint;
    QSizeF units;
    double scale = 1; // points per unit
    int wholeSheets = 0;
    PlanSheet::Shown shown = PlanSheet::Shown::Whole;
    bool gantt = false;
};

// More sheets than this and the report shows only the critical part of a picture at the readable
// size, or when even that is too long the whole reduced to one page: hundreds of pages of a
// picture help nobody, and the windows export it whole.
constexpr int kMaxSheets = 24;

using Paint = std::shared_ptr<const std::function<void(QPainter&)>>;

template <typename F> Paint paintWith(F f)
{
    return std::make_shared<const std::function<void(QPainter&)>>(std::move(f));
}

// The pages of the network; pictures keep shared copies of what they draw, so that the direct
// print can paint them after the data are gone.
std::vector<SheetPlan> networkPlans(const std::shared_ptr<const Project>& project,
                                    const std::shared_ptr<const ScheduleResults>& results)
{
    std::vector<SheetPlan> plans;
    const auto layout = std::make_shared<const NetworkLayout>(
        layoutNetwork(*project, *results, LayoutMode::TimeScale));
    if (layout->isEmpty())
        return plans;
    const QSizeF whole(layout->width, layout->height);
    const double fit = std::min(kSheetWidth / whole.width(), kSheetHeight / whole.height());
    const double scale = std::clamp(fit, kMinScale, 1.0);
    const double header = networkHeaderHeight(*layout);
    const QSizeF page(kSheetWidth / scale, kSheetHeight / scale);
    std::vector<QRectF> tiles = pageTiles(whole, page, kOverlap, header);
    const int wholeSheets = static_cast<int>(tiles.size());
    const auto shown = PlanSheet::Shown::Whole;
    if (wholeSheets > kMaxSheets) {
        plans.push_back({paintWith([layout, project, results](QPainter& p) {
                             paintNetwork(p, *layout, *project, *results);
                         }),
                         whole, fit, wholeSheets, PlanSheet::Shown::Reduced});
        return plans;
    }
    for (const QRectF& tile : tiles)
        plans.push_back({paintWith([layout, project, results, tile](QPainter& p) {
                             paintNetworkTile(p, *layout, *project, *results, tile);
                         }),
                         QSizeF(tile.width(), tile.height() + header), scale,
                         shown == PlanSheet::Shown::Whole ? 0 : wholeSheets, shown});
    return plans;
}

// The critical activities of a chart alone, with the diamonds of their rows.
GanttChart criticalActivities(const GanttChart& chart)
{
    GanttChart critical;
    critical.startDate = chart.startDate;
    critical.finish = chart.finish;
    std::vector<int> newRow(chart.bars.size(), -1);
    for (size_t row = 0; row < chart.bars.size(); ++row) {
        if (chart.bars[row].critical) {
            newRow[row] = static_cast<int>(critical.bars.size());
            critical.bars.push_back(chart.bars[row]);
        }
    }
    for (GanttMilestone milestone : chart.milestones) {
        if (milestone.row >= 0 && newRow[milestone.row] >= 0) {
            milestone.row = newRow[milestone.row];
            critical.milestones.push_back(milestone);
        }
    }
    return critical;
}

// The Gantt chart: the calendar fitted to the page width, the rows running on over as many
// pages as needed, each with the calendar on top. The report shows no "today": it is read later.
std::vector<SheetPlan> ganttPlans(const std::shared_ptr<const Project>& project,
                                  const std::shared_ptr<const ScheduleResults>& results)
{
    std::vector<SheetPlan> plans;
    auto chart = std::make_shared<const GanttChart>(buildGantt(*project, *results));
    if (chart->isEmpty())
        return plans;
    GanttGeometry g;
    const double days = std::max(1.0, std::ceil(chart->finish)) + 1;
    // The calendar always fits the sheet's width: a schedule of many years is drawn by years.
    g.dayWidth = std::min((kSheetWidth - g.labelWidth - 2 * g.margin) / days, 14.0);
    const int rowsPerSheet =
        std::max(1, static_cast<int>((kSheetHeight - g.axisHeight - 2 * g.margin) / g.rowHeight));
    const auto sheetsFor = [rowsPerSheet](const GanttChart& c) {
        return (static_cast<int>(c.bars.size()) + rowsPerSheet - 1) / rowsPerSheet;
    };
    const int wholeSheets = sheetsFor(*chart);
    auto shown = PlanSheet::Shown::Whole;
    if (wholeSheets > kMaxSheets) {
        auto critical = std::make_shared<const GanttChart>(criticalActivities(*chart));
        if (sheetsFor(*critical) > kMaxSheets || critical->isEmpty()) {
            const QSizeF whole = g.size(*chart);
            plans.push_back(
                {paintWith([chart, g](QPainter& p) { paintGantt(p, *chart, g, QDate()); }), whole,
                 std::min(kSheetWidth / whole.width(), kSheetHeight / whole.height()), wholeSheets,
                 PlanSheet::Shown::Reduced, true});
            return plans;
        }
        chart = critical;
        shown = PlanSheet::Shown::CriticalPart;
    }
    const int total = static_cast<int>(chart->bars.size());
    for (int first = 0; first < total; first += rowsPerSheet) {
        const int rows = std::min(rowsPerSheet, total - first);
        plans.push_back(
            {paintWith([chart, g, first, rows](QPainter& p) {
                 paintGantt(p, *chart, g, QDate(), first, rows);
             }),
             QSizeF(g.size(*chart).width(), g.margin * 2 + g.axisHeight + rows * g.rowHeight), 1.0,
             shown == PlanSheet::Shown::Whole ? 0 : wholeSheets, shown, true});
    }
    return plans;
}

std::vector<PlanSheet> render(const std::vector<SheetPlan>& plans)
{
    std::vector<PlanSheet> sheets;
    for (const SheetPlan& plan : plans) {
        const QSizeF points = plan.units * plan.scale;
        sheets.push_back({renderSheet(points, *plan.paint, plan.scale), points, plan.shown,
                          plan.wholeSheets, plan.gantt});
    }
    return sheets;
}

} // namespace

std::vector<PlanSheet> networkSheets(const ReportData& d)
{
    return render(networkPlans(std::make_shared<const Project>(d.project),
                               std::make_shared<const ScheduleResults>(d.results)));
}

std::vector<PlanSheet> ganttSheets(const ReportData& d)
{
    return render(ganttPlans(std::make_shared<const Project>(d.project),
                             std::make_shared<const ScheduleResults>(d.results)));
}

namespace {

// A landscape A4 page of the direct print, in twips from the top-left of the printable area.
constexpr int kLandscapeLeft = 700;
constexpr int kLandscapeRight = 15500;
constexpr int kLandscapeTop = 700;
constexpr int kLandscapePictureBottom = 10300;
constexpr int kLandscapeFooterX = 13800;
constexpr int kLandscapeFooterY = 10700;
constexpr double kExplanationSize = 10;

// Words of a text in lines of at most `width` characters.
QStringList wrap(const QString& text, int width)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

PrintItem textItem(int x, int y, double size, const QString& text)
{
    PrintItem item;
    item.x = x;
    item.y = y;
    item.font = kPrintFont;
    item.size = size;
    item.text = text;
    item.maxWidth = kLandscapeRightLimit - x;
    return item;
}

struct PrintedSheet
{
    std::shared_ptr<const std::function<void(QPainter&)>> paint;
    QSizeF size; // picture units
};

void addSectionPages(std::vector<PrintPage>& pages, const QString& heading,
                     const QString& explanation, const std::vector<PrintedSheet>& sheets,
                     int& number)
{
    for (size_t i = 0; i < sheets.size(); ++i) {
        PrintPage page;
        page.number = number++;
        page.landscape = true;
        int y = kLandscapeTop;
        QString title = heading;
        if (sheets.size() > 1)
            title += QStringLiteral(" - foglio %1 di %2").arg(i + 1).arg(sheets.size());
        page.items.push_back(textItem(kLandscapeLeft, y, kPrintSize, title));
        y += lineHeight(kPrintFont, kPrintSize) * 3 / 2;
        if (i == 0) {
            const int columns =
                (kLandscapeRight - kLandscapeLeft) / characterWidth(kPrintFont, kExplanationSize);
            for (const QString& line : wrap(explanation, columns)) {
                page.items.push_back(textItem(kLandscapeLeft, y, kExplanationSize, line));
                y += lineHeight(kPrintFont, kExplanationSize);
            }
            y += lineHeight(kPrintFont, kExplanationSize);
        }
        // The sheet keeps its proportions inside the room left on the page.
        const QSizeF size = sheets[i].size;
        const double room = std::min((kLandscapeRight - kLandscapeLeft) / size.width(),
                                     (kLandscapePictureBottom - y) / size.height());
        PrintItem picture;
        picture.kind = PrintItem::Kind::Picture;
        picture.x = kLandscapeLeft;
        picture.y = y;
        picture.x2 = kLandscapeLeft + static_cast<int>(size.width() * room);
        picture.y2 = y + static_cast<int>(size.height() * room);
        picture.picture = sheets[i].paint;
        picture.pictureSize = size;
        page.items.push_back(picture);
        page.items.push_back(textItem(kLandscapeFooterX, kLandscapeFooterY, kPrintSize,
                                      QStringLiteral("pagina ") + QString::number(page.number)));
        pages.push_back(std::move(page));
    }
}

} // namespace

std::vector<PrintPage> planPrintPages(const ReportData& d, int firstNumber)
{
    std::vector<PrintPage> pages;
    // The pages are drawn after this returns: the pictures keep their own copies.
    const auto project = std::make_shared<const Project>(d.project);
    const auto results = std::make_shared<const ScheduleResults>(d.results);
    int number = firstNumber;
    const auto section = [&](const QString& heading, const QString& text, const QString& window,
                             const std::vector<SheetPlan>& plans) {
        std::vector<PrintedSheet> sheets;
        for (const SheetPlan& plan : plans)
            sheets.push_back({plan.paint, plan.units});
        addSectionPages(pages, heading, explanationOf(text, plans, window), sheets, number);
    };
    section(QStringLiteral("D) Reticolo"), kNetworkText, kNetworkWindow,
            networkPlans(project, results));
    section(QStringLiteral("E) Diagramma di Gantt"), kGanttText, kGanttWindow,
            ganttPlans(project, results));
    return pages;
}

void addPlanSections(DocumentWriter& w, const ReportData& d)
{
    const auto section = [&w](const QString& heading, const QString& text, const QString& window,
                              const std::vector<PlanSheet>& sheets) {
        w.addParagraph(heading + QStringLiteral("\r"), 12);
        w.addParagraph(explanationOf(text, sheets, window), 10);
        for (size_t i = 0; i < sheets.size(); ++i) {
            w.addParagraph(QString(), 10);
            // A sheet that cannot go in says so where it would stand.
            if (const Outcome failed = w.insertPicture(sheets[i].image, sheets[i].points))
                w.typeText(failed->text);
            if (sheets.size() > 1)
                w.addParagraph(QStringLiteral("foglio %1 di %2").arg(i + 1).arg(sheets.size()), 8);
        }
    };
    w.startSection(SectionPage::Landscape);
    section(QStringLiteral("D) Reticolo"), kNetworkText, kNetworkWindow, networkSheets(d));
    w.startSection(SectionPage::Landscape);
    section(QStringLiteral("E) Diagramma di Gantt"), kGanttText, kGanttWindow, ganttSheets(d));
    w.startSection(SectionPage::Portrait);
}

} // namespace zant
