#include "report/example_network.h"

#include "diagram/picture_style.h"
#include "model/file_io.h"
#include "model/text_format.h"
#include "schedule/schedule.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace zant {

namespace {

struct Arrow
{
    int from;
    int to;
    int days;
};

constexpr Arrow kArrows[] = {{1, 2, 4}, {1, 3, 6}, {2, 4, 5}, {3, 4, 2}, {3, 5, 7},
                             {4, 6, 6}, {5, 6, 3}, {5, 7, 4}, {6, 8, 5}, {7, 8, 6}};
constexpr int kEvents = 8;
constexpr qreal kRadius = 19;

// Where each event stands, in the 603 x 363 area (index 0 unused).
const QPointF kCentres[kEvents + 1] = {{},         {48, 150}, {165, 68},  {165, 232}, {300, 68},
                                       {300, 232}, {435, 68}, {435, 232}, {552, 150}};

using namespace pictures;

void drawArrowHead(QPainter& p, QPointF tip, QPointF direction, qreal length, qreal halfWidth,
                   const QColor& colour)
{
    const QPointF normal(-direction.y(), direction.x());
    const QPointF base = tip - direction * length;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(base + normal * halfWidth);
    head.lineTo(base - normal * halfWidth);
    head.closeSubpath();
    p.fillPath(head, colour);
}

// A line between two circles that stops at their edges, with its head on the second.
void drawActivity(QPainter& p, QPointF from, QPointF to, bool critical)
{
    const QLineF line(from, to);
    const QPointF direction = (to - from) / line.length();
    const QPointF start = from + direction * kRadius;
    const QPointF tip = to - direction * (kRadius + 1);
    const qreal headLength = critical ? 13 : 10;
    const QColor colour = critical ? kCritical : kMuted;
    p.setPen(QPen(colour, critical ? 3.2 : 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(start, tip - direction * (headLength - 2));
    drawArrowHead(p, tip, direction, headLength, critical ? 6.5 : 5, colour);
}

// The duration in a small box on the middle of its arrow.
void drawDuration(QPainter& p, QPointF from, QPointF to, int days, bool critical)
{
    const QString text = QStringLiteral("%1 gg").arg(days);
    p.setFont(pictures::font(12, critical));
    const QRectF box = p.fontMetrics().boundingRect(text).adjusted(-5, -2, 5, 2);
    const QRectF placed(QPointF((from + to) / 2) - box.center() + box.topLeft(), box.size());
    p.setPen(QPen(critical ? kCritical : kMuted, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(placed, 4, 4);
    p.setPen(critical ? kCritical : kInk);
    p.drawText(placed, Qt::AlignCenter, text);
}

void drawEvent(QPainter& p, int event, QPointF centre, bool critical)
{
    p.setPen(QPen(critical ? kCritical : kInk, critical ? 3 : 1.8));
    p.setBrush(critical ? kPaleCritical : QColor(Qt::white));
    p.drawEllipse(centre, kRadius, kRadius);
    p.setFont(pictures::font(16, true));
    p.setPen(critical ? kCritical : kInk);
    p.drawText(QRectF(centre.x() - kRadius, centre.y() - kRadius, 2 * kRadius, 2 * kRadius),
               Qt::AlignCenter, QString::number(event));
}

// Earliest and latest time beside the circle: above it on the upper row, below on the lower.
void drawTimes(QPainter& p, QPointF centre, double earliest, double latest, bool critical)
{
    const QString text = QStringLiteral("%1 | %2").arg(earliest).arg(latest);
    p.setFont(pictures::font(12, critical));
    p.setPen(critical ? kCritical : kMuted);
    const bool below = centre.y() > 200;
    const QRectF area(centre.x() - 40, below ? centre.y() + kRadius + 2 : centre.y() - kRadius - 19,
                      80, 17);
    p.drawText(area, Qt::AlignCenter, text);
}

void drawLegend(QPainter& p, const ScheduleResults& results)
{
    const qreal top = 292;
    p.setPen(QPen(QColor(200, 205, 215), 1));
    p.drawLine(QPointF(12, top), QPointF(591, top));

    p.setFont(pictures::font(12));
    const auto label = [&](qreal x, qreal y, const QString& text, const QColor& colour) {
        p.setPen(colour);
        p.drawText(QRectF(x, y - 9, 280, 18), Qt::AlignLeft | Qt::AlignVCenter, text);
    };

    // First row: the two kinds of arrow.
    const qreal row1 = top + 22;
    p.setPen(QPen(kCritical, 3.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(20, row1), QPointF(50, row1));
    drawArrowHead(p, QPointF(62, row1), QPointF(1, 0), 13, 6.5, kCritical);
    QStringList path;
    for (int e = 1; e <= results.eventCount; ++e) {
        if (results.isCritical(e))
            path << QString::number(e);
    }
    label(72, row1,
          QStringLiteral("percorso critico %1: %2 giorni")
              .arg(path.join(QLatin1Char('-')))
              .arg(results.earliest[results.eventCount]),
          kCritical);
    p.setPen(QPen(kMuted, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(318, row1), QPointF(350, row1));
    drawArrowHead(p, QPointF(360, row1), QPointF(1, 0), 10, 5, kMuted);
    label(370, row1, QStringLiteral("attività, con la durata in giorni"), kInk);

    // Second row: the event and its two times.
    const qreal row2 = top + 50;
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(41, row2), 11, 11);
    p.setFont(pictures::font(11, true));
    p.setPen(kInk);
    p.drawText(QRectF(30, row2 - 11, 22, 22), Qt::AlignCenter, QStringLiteral("n"));
    p.setFont(pictures::font(12));
    label(72, row2, QStringLiteral("evento numerato"), kInk);
    p.setPen(kMuted);
    p.drawText(QRectF(306, row2 - 9, 60, 18), Qt::AlignCenter, QStringLiteral("0 | 3"));
    label(370, row2, QStringLiteral("tempo minimo | tempo massimo (giorni)"), kInk);
}

} // namespace

Project exampleNetworkProject()
{
    Project project;
    project.setStartDateText(QString(kInitialStartDate));
    std::vector<Event> events(kEvents + 1);
    for (int e = 1; e <= kEvents; ++e)
        events[e].description = QStringLiteral("Evento %1").arg(e);
    for (const Arrow& a : kArrows)
        events[a.from].links.push_back({a.to, double(a.days)});
    project.setEventCount(kEvents);
    for (int e = 1; e <= kEvents; ++e)
        project.setEvent(e, events[e]);
    return project;
}

void paintExampleNetwork(QPainter& p)
{
    const Project project = exampleNetworkProject();
    const ScheduleResults results = ComputeSchedule(project);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(kExampleNetworkSize)), Qt::white);
    p.setPen(QPen(QColor(200, 205, 215), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kExampleNetworkSize.width() - 1, kExampleNetworkSize.height() - 1));

    p.setFont(pictures::font(12, true));
    p.setPen(kInk);
    p.drawText(
        QRectF(12, 6, 400, 18), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("Esempio: %1 eventi, %2 attività").arg(kEvents).arg(std::size(kArrows)));

    // An activity is critical when it has no float and joins two critical events.
    const auto critical = [&](const Arrow& a, int slot) {
        return results.isCritical(a.from) && results.isCritical(a.to) &&
               isZeroFloat(results.linkFloatAt(a.from, slot));
    };
    const auto slotOf = [&](const Arrow& a) {
        for (int s = 1; s <= project.linkCount(a.from); ++s) {
            if (project.link(a.from, s).target == a.to)
                return s;
        }
        return 0;
    };
    // Ordinary arrows first, so that the critical path is drawn over them.
    for (bool criticalPass : {false, true}) {
        for (const Arrow& a : kArrows) {
            if (critical(a, slotOf(a)) == criticalPass)
                drawActivity(p, kCentres[a.from], kCentres[a.to], criticalPass);
        }
    }
    for (const Arrow& a : kArrows)
        drawDuration(p, kCentres[a.from], kCentres[a.to], a.days, critical(a, slotOf(a)));
    for (int e = 1; e <= kEvents; ++e) {
        const bool isCritical = results.isCritical(e);
        drawEvent(p, e, kCentres[e], isCritical);
        drawTimes(p, kCentres[e], results.earliest[e], results.latest[e], isCritical);
    }
    drawLegend(p, results);
    p.restore();
}

QImage drawExampleNetwork(qreal scale)
{
    if (!(scale > 0))
        scale = 1;
    const QSize size(int(std::ceil(kExampleNetworkSize.width() * scale)),
                     int(std::ceil(kExampleNetworkSize.height() * scale)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    // Printed at the size the picture has on screen at scale 1.
    const int dotsPerMeter = int(std::lround(96 * scale / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter p(&image);
    p.scale(scale, scale);
    paintExampleNetwork(p);
    return image;
}

Result<void> saveExampleNetworkPicture(const QString& path, qreal scale,
                                       const SaveTargetFactory& targets)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Error(
            ErrorKind::File,
            critical(QStringLiteral("Impossibile scrivere l'immagine \"%1\": la cartella non "
                                    "si può creare.")
                         .arg(displayPath(path))));
    const QImage picture = drawExampleNetwork(scale);
    // Encoded in memory: the encoder then never meets a failing disk, whose cause the save
    // names, and prints nothing of its own on the terminal.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "jpeg");
    writer.setQuality(95);
    if (!writer.write(picture))
        return Error(
            ErrorKind::File,
            critical(QStringLiteral("Impossibile scrivere l'immagine \"%1\": la codifica JPEG "
                                    "non è riuscita.")
                         .arg(displayPath(path))));
    return saveFile(path, encoded.data(), targets);
}

} // namespace zant
