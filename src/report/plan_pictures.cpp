#include "report/plan_pictures.h"

#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "diagram/picture_export.h"

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
// The sheets after the first, which has the heading and the explanation above it.
constexpr double kLaterSheetHeight = 440;
// Text at least 2.5 mm high on paper, in points.
constexpr double kReadableText = 2.5 * 72 / 25.4;
// The Gantt chart at 0.8 points a unit: rows of 16 points (5.6 mm), text of 7.2 points or more.
constexpr double kGanttScale = 0.8;
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
    "a sinistra il tempo minimo e a destra il tempo massimo, in giorni dalla data iniziale. Il "
    "centro di ogni evento sta al suo tempo minimo sulla scala dei giorni in alto; eventi troppo "
    "vicini nel tempo stanno uno sopra l'altro. Le attività sono le frecce: il tratto continuo "
    "è lungo quanto la durata sulla scala, scritta nel riquadro sulla freccia; il tratto "
    "punteggiato che lo segue è lo scorrimento libero, il tempo di cui l'attività può ritardare "
    "senza spostare l'evento che la segue; una freccia tratteggiata è un'attività fittizia, di 0 "
    "giorni. Il percorso critico è in rosso e corre, per quanto possibile, su una linea.");

const QString kGanttText = QStringLiteral(
    "Il diagramma di Gantt riporta una riga per ogni attività, tranne le fittizie di 0 giorni, "
    "nell'ordine della data minima d'inizio, con la durata in giorni e le date d'inizio e di "
    "fine al più presto; la barra va dall'inizio alla fine sul calendario dei lavori, diviso in "
    "mesi e settimane (o giorni). La linea sottile che segue la barra è lo scorrimento totale, "
    "in verde la parte di scorrimento libero. Le attività critiche sono in rosso e segnate con "
    "C; i rombi segnano gli eventi alla loro data minima. Ogni foglio ripete il calendario e la "
    "legenda.");

// The explanation of a section, and what the reader needs to know when the picture whole would
// fill too many sheets and the whole is shown reduced to one page.
template <typename Sheet>
QString explanationOf(const QString& text, const std::vector<Sheet>& sheets, const QString& window)
{
    if (sheets.empty() || sheets.front().shown == PlanSheet::Shown::Whole)
        return text;
    return text + QStringLiteral(" Il disegno intero, con il testo alto almeno 2,5 mm, "
                                 "occuperebbe %1 fogli: qui è riportato ridotto a una sola "
                                 "pagina, come quadro d'insieme, non leggibile nei particolari; "
                                 "intero e leggibile si ottiene dalla finestra «%2» del "
                                 "programma, con «Esporta…», su un foglio A1 o A0 o su fogli "
                                 "A4 o A3 tassellati.")
                      .arg(sheets.front().wholeSheets)
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
    double scale = 1; // points per unit
    int wholeSheets = 0;
    PlanSheet::Shown shown = PlanSheet::Shown::Whole;
    bool gantt = false;
    int rows = 0;
    double smallestText = 0; // points
};

// More sheets of the network than this and the report shows the whole reduced to one page:
// dozens of pages of one picture help nobody, and the windows export it whole on large paper.
constexpr int kMaxSheets = 24;

using Paint = std::shared_ptr<const std::function<void(QPainter&)>>;

template <typename F> Paint paintWith(F f)
{
    return std::make_shared<const std::function<void(QPainter&)>>(std::move(f));
}

// The pages of the network; pictures keep shared copies of what they draw, so that the direct
// print can paint them after the data are gone. The network is printed at the size its smallest
// text needs, or larger when it fits one sheet, cut into overlapping sheets that repeat the axis.
std::vector<SheetPlan> networkPlans(const std::shared_ptr<const Project>& project,
                                    const std::shared_ptr<const ScheduleResults>& results)
{
    std::vector<SheetPlan> plans;
    const auto layout = std::make_shared<const NetworkLayout>(
        layoutNetwork(*project, *results, LayoutMode::TimeScale));
    if (layout->isEmpty())
        return plans;
    const QSizeF whole(layout->width, layout->height);
    const double smallest = networkSmallestText(*layout, *results);
    const double readable = kReadableText / smallest;
    const double fit = std::min(kSheetWidth / whole.width(), kSheetHeight / whole.height());
    const double scale = fit >= readable ? std::min(fit, 1.25) : readable;
    const double header = networkHeaderHeight(*layout);
    const QSizeF page(kSheetWidth / scale, kSheetHeight / scale);
    const std::vector<QRectF> tiles = pageTiles(whole, page, kOverlap, header);
    const int wholeSheets = static_cast<int>(tiles.size());
    if (wholeSheets > kMaxSheets) {
        plans.push_back(
            {paintWith([layout, results](QPainter& p) { paintNetwork(p, *layout, *results); }),
             whole, fit, wholeSheets, PlanSheet::Shown::Reduced, false, 0, smallest * fit});
        return plans;
    }
    for (const QRectF& tile : tiles)
        plans.push_back({paintWith([layout, results, tile](QPainter& p) {
                             paintNetworkTile(p, *layout, *results, tile);
                         }),
                         QSizeF(tile.width(), tile.height() + header), scale, 0,
                         PlanSheet::Shown::Whole, false, 0, smallest * scale});
    return plans;
}

// The Gantt chart: the calendar fitted to the page width, every activity but the dummies on
// rows running on over as many sheets as they need, each with the calendar on top and the
// legend under. The report shows no "today": it is read later.
std::vector<SheetPlan> ganttPlans(const std::shared_ptr<const Project>& project,
                                  const std::shared_ptr<const ScheduleResults>& results)
{
    std::vector<SheetPlan> plans;
    auto chart = std::make_shared<const GanttChart>(buildGantt(*project, *results));
    if (chart->isEmpty())
        return plans;
    GanttGeometry g;
    const double days = std::max(1.0, std::ceil(chart->calendarLength())) + 1;
    const double width = kSheetWidth / kGanttScale;
    // The calendar always fits the sheet's width: a schedule of many years is drawn by years.
    g.dayWidth = std::min((width - g.chartLeft() - g.margin) / days, 14.0);
    const auto rowsIn = [&g](double points) {
        return std::max(1, static_cast<int>((points / kGanttScale - 2 * g.margin - g.axisHeight -
                                             g.legendHeight) /
                                            g.rowHeight));
    };
    const int total = static_cast<int>(chart->bars.size());
    for (int first = 0; first < total;) {
        const int rows =
            std::min(rowsIn(first == 0 ? kSheetHeight : kLaterSheetHeight), total - first);
        plans.push_back({paintWith([chart, g, first, rows](QPainter& p) {
                             paintGantt(p, *chart, g, QDate(), first, rows);
                         }),
                         g.size(*chart, rows), kGanttScale, 0, PlanSheet::Shown::Whole, true, rows,
                         9 * kGanttScale});
        first += rows;
    }
    return plans;
}

std::vector<PlanSheet> render(const std::vector<SheetPlan>& plans)
{
    std::vector<PlanSheet> sheets;
    for (const SheetPlan& plan : plans) {
        const QSizeF points = plan.units * plan.scale;
        sheets.push_back({renderSheet(points, *plan.paint, plan.scale), points, plan.shown,
                          plan.wholeSheets, plan.gantt, plan.rows, plan.smallestText,
                          plan.scale * (plan.gantt ? GanttGeometry().rowHeight : 0)});
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

std::vector<PlanPicture> ganttPictures(const ReportData& d)
{
    std::vector<PlanPicture> pictures;
    for (const SheetPlan& plan : ganttPlans(std::make_shared<const Project>(d.project),
                                            std::make_shared<const ScheduleResults>(d.results)))
        pictures.push_back({plan.paint, plan.units, plan.units * plan.scale});
    return pictures;
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
            if (const Result<void> failed = w.insertPicture(sheets[i].image, sheets[i].points);
                !failed.ok())
                w.typeText(failed.error().text);
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
