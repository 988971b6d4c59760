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

// The explanation of a section, and what the reader needs to know when its picture is shown
// reduced to one page because whole it would fill too many.
QString explanationOf(const QString& text, int wholeSheets, const QString& window)
{
    if (wholeSheets == 0)
        return text;
    return text + QStringLiteral(" Il disegno intero occuperebbe %1 fogli: qui è riportato ridotto "
                                 "a una sola pagina, come quadro d'insieme; intero e leggibile si "
                                 "ottiene dalla finestra «%2» del programma, con «Esporta…».")
                      .arg(wholeSheets)
                      .arg(window);
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
    double scale = 1;    // points per unit
    int wholeSheets = 0; // as in PlanSheet
};

// More sheets than this and the report shows the whole picture reduced to one page instead:
// hundreds of pages of a picture help nobody, and the windows export it whole.
constexpr int kMaxSheets = 24;

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
    const auto tiles =
        pageTiles(whole, QSizeF(kSheetWidth / scale, kSheetHeight / scale), kOverlap, header);
    if (static_cast<int>(tiles.size()) > kMaxSheets) {
        plans.push_back({std::make_shared<const std::function<void(QPainter&)>>(
                             [layout, project, results](QPainter& p) {
                                 paintNetwork(p, *layout, *project, *results);
                             }),
                         whole, fit, static_cast<int>(tiles.size())});
        return plans;
    }
    for (const QRectF& tile : tiles)
        plans.push_back({std::make_shared<const std::function<void(QPainter&)>>(
                             [layout, project, results, tile](QPainter& p) {
                                 paintNetworkTile(p, *layout, *project, *results, tile);
                             }),
                         QSizeF(tile.width(), tile.height() + header), scale});
    return plans;
}

// The Gantt chart: the calendar fitted to the page width, the rows running on over as many
// pages as needed, each with the calendar on top. The report shows no "today": it is read later.
std::vector<SheetPlan> ganttPlans(const std::shared_ptr<const Project>& project,
                                  const std::shared_ptr<const ScheduleResults>& results)
{
    std::vector<SheetPlan> plans;
    const auto chart = std::make_shared<const GanttChart>(buildGantt(*project, *results));
    if (chart->isEmpty())
        return plans;
    GanttGeometry g;
    const double days = std::max(1.0, std::ceil(chart->finish)) + 1;
    g.dayWidth = std::clamp((kSheetWidth - g.labelWidth - 2 * g.margin) / days, 0.2, 14.0);
    const int rowsPerSheet =
        std::max(1, static_cast<int>((kSheetHeight - g.axisHeight - 2 * g.margin) / g.rowHeight));
    const int total = static_cast<int>(chart->bars.size());
    const int sheetCount = (total + rowsPerSheet - 1) / rowsPerSheet;
    if (sheetCount > kMaxSheets) {
        const QSizeF whole = g.size(*chart);
        plans.push_back({std::make_shared<const std::function<void(QPainter&)>>(
                             [chart, g](QPainter& p) { paintGantt(p, *chart, g, QDate()); }),
                         whole,
                         std::min(kSheetWidth / whole.width(), kSheetHeight / whole.height()),
                         sheetCount});
        return plans;
    }
    for (int first = 0; first < total; first += rowsPerSheet) {
        const int rows = std::min(rowsPerSheet, total - first);
        plans.push_back(
            {std::make_shared<const std::function<void(QPainter&)>>(
                 [chart, g, first, rows](QPainter& p) {
                     paintGantt(p, *chart, g, QDate(), first, rows);
                 }),
             QSizeF(g.size(*chart).width(), g.margin * 2 + g.axisHeight + rows * g.rowHeight),
             1.0});
    }
    return plans;
}

std::vector<PlanSheet> render(const std::vector<SheetPlan>& plans)
{
    std::vector<PlanSheet> sheets;
    for (const SheetPlan& plan : plans) {
        const QSizeF points = plan.units * plan.scale;
        sheets.push_back({renderSheet(points, *plan.paint, plan.scale), points, plan.wholeSheets});
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
        const int whole = plans.size() == 1 ? plans.front().wholeSheets : 0;
        addSectionPages(pages, heading, explanationOf(text, whole, window), sheets, number);
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
        const int whole = sheets.size() == 1 ? sheets.front().wholeSheets : 0;
        w.addParagraph(explanationOf(text, whole, window), 10);
        for (size_t i = 0; i < sheets.size(); ++i) {
            w.addParagraph(QString(), 10);
            w.insertPicture(sheets[i].image, sheets[i].points);
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
