#include "diagram/s_curve.h"

#include "diagram/gantt_chart.h"
#include "diagram/picture_style.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace zant {

namespace {

using namespace pictures;

constexpr double kLeft = 104;  // euro labels
constexpr double kRight = 54;  // percentages
constexpr double kTop = 58;    // legend
constexpr double kBottom = 48; // months, then years
// Months narrower than this get a label only every few months.
constexpr double kMonthLabelRoom = 34;

const QColor kEarly = kEarlyCurve;
const QColor kLate = kLateCurve;
const QColor kSal(20, 120, 60);

// The step of the amount axis: 1, 2 or 5 times a power of ten euro, about six steps in all.
Cents amountStep(Cents total)
{
    const double euro = std::max(1.0, static_cast<double>(total) / 100.0 / 6.0);
    const double power = std::pow(10.0, std::floor(std::log10(euro)));
    double step = power;
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (power * factor >= euro) {
            step = power * factor;
            break;
        }
    return static_cast<Cents>(std::llround(step)) * 100;
}

QDate firstOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

} // namespace

QString euroAxisLabel(Cents amount)
{
    QString digits = QString::number(std::llround(static_cast<double>(amount) / 100.0));
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char('.'));
    return digits + QStringLiteral(" €");
}

double SCurvePicture::xOf(const QDate& date) const
{
    return plot.left() + static_cast<double>(start.daysTo(date)) * dayWidth;
}

double SCurvePicture::yOf(Cents amount) const
{
    if (top <= 0)
        return plot.bottom();
    return plot.bottom() - plot.height() * static_cast<double>(amount) / static_cast<double>(top);
}

SCurvePicture layoutSCurve(const AmountsInTime& amounts, const std::vector<SalForecast>& sal,
                           QSizeF size)
{
    SCurvePicture s;
    s.size = size;
    s.total = amounts.total;
    s.plot = QRectF(kLeft, kTop, size.width() - kLeft - kRight, size.height() - kTop - kBottom);
    if (amounts.curve.empty() || amounts.total <= 0)
        return s;
    s.start = amounts.curve.front().date;
    const QDate end = amounts.curve.back().date.addDays(1);
    s.dayWidth = s.plot.width() / static_cast<double>(std::max<qint64>(1, s.start.daysTo(end)));
    const Cents step = amountStep(amounts.total);
    s.top = (amounts.total + step - 1) / step * step;

    // Each point is the amount at the end of its day; days without work in between (a working
    // calendar's holidays) keep the curve flat.
    s.early << QPointF(s.xOf(s.start), s.yOf(0));
    s.late << QPointF(s.xOf(s.start), s.yOf(0));
    QDate reached = s.start;
    Cents early = 0;
    Cents late = 0;
    for (const CurvePoint& p : amounts.curve) {
        if (p.date > reached) {
            s.early << QPointF(s.xOf(p.date), s.yOf(early));
            s.late << QPointF(s.xOf(p.date), s.yOf(late));
        }
        early = p.early;
        late = p.late;
        reached = p.date.addDays(1);
        s.early << QPointF(s.xOf(reached), s.yOf(early));
        s.late << QPointF(s.xOf(reached), s.yOf(late));
    }
    s.envelope = s.early;
    for (qsizetype i = s.late.size() - 1; i >= 0; --i)
        s.envelope << s.late[i];

    // Months: a grid line at each first day, the name under the month's middle, fewer names when
    // months are narrow; the year under its months.
    const double monthWidth = 30.4 * s.dayWidth;
    int every = 1;
    for (const int k : {1, 2, 3, 4, 6, 12}) {
        every = k;
        if (monthWidth * k >= kMonthLabelRoom)
            break;
    }
    for (QDate m = firstOfMonth(s.start); m < end; m = m.addMonths(1)) {
        const QDate from = std::max(m, s.start);
        const QDate to = std::min(m.addMonths(1), end);
        if (m >= s.start)
            s.months.push_back({s.xOf(m), QString()});
        const bool named = (m.month() - 1) % every == 0 && s.xOf(to) - s.xOf(from) >= 8;
        if (named)
            s.months.push_back(
                {(s.xOf(from) + s.xOf(to)) / 2,
                 every >= 12 ? QString::number(m.year()) : italianMonthAbbreviation(m.month())});
    }
    if (every < 12)
        for (int y = s.start.year(); y <= end.addDays(-1).year(); ++y) {
            const QDate from = std::max(QDate(y, 1, 1), s.start);
            const QDate to = std::min(QDate(y + 1, 1, 1), end);
            s.years.push_back({(s.xOf(from) + s.xOf(to)) / 2, QString::number(y)});
        }
    for (Cents a = 0; a <= s.top; a += step)
        s.amounts.push_back({s.yOf(a), euroAxisLabel(a)});

    // A SAL counts the work up to the end of its date; a schedule without that SAL has no mark.
    const auto at = [&s](const QDate& date, Cents cumulative) {
        return date.isValid() ? QPointF(s.xOf(date.addDays(1)), s.yOf(cumulative)) : QPointF();
    };
    for (const SalForecast& f : sal)
        s.sal.push_back({f.number, at(f.earlyDate, f.earlyCumulative),
                         at(f.lateDate, f.lateCumulative), f.earlyDate, f.lateDate});
    return s;
}

namespace {

// The grid, the envelope between the two programmes, the axes and their numbers.
void paintSCurveAxes(QPainter& p, const SCurvePicture& s)
{
    const QRectF& plot = s.plot;
    p.setPen(QPen(kGrid, 1));
    for (const SCurvePicture::Tick& t : s.amounts)
        p.drawLine(QPointF(plot.left(), t.at), QPointF(plot.right(), t.at));
    for (const SCurvePicture::Tick& t : s.months)
        if (t.label.isEmpty())
            p.drawLine(QPointF(t.at, plot.top()), QPointF(t.at, plot.bottom()));

    p.setPen(Qt::NoPen);
    p.setBrush(kEnvelope);
    p.drawPolygon(s.envelope);
    p.setBrush(Qt::NoBrush);

    p.setPen(QPen(kInk, 1.2));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawLine(plot.bottomRight(), plot.topRight());

    p.setFont(font(10));
    for (const SCurvePicture::Tick& t : s.amounts)
        p.drawText(QRectF(0, t.at - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   t.label);
    // Percentages of the total on the right, at every quarter.
    for (int q = 0; q <= 4; ++q) {
        const double y = s.yOf(s.total * q / 4);
        p.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 4, y));
        p.drawText(QRectF(plot.right() + 6, y - 8, kRight - 6, 16),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("%1%").arg(q * 25));
    }
    for (const SCurvePicture::Tick& t : s.months) {
        if (t.label.isEmpty()) {
            p.drawLine(QPointF(t.at, plot.bottom()), QPointF(t.at, plot.bottom() + 4));
            continue;
        }
        p.drawText(QRectF(t.at - 40, plot.bottom() + 4, 80, 18), Qt::AlignCenter, t.label);
    }
    p.setFont(font(10, true));
    for (const SCurvePicture::Tick& t : s.years)
        p.drawText(QRectF(t.at - 40, plot.bottom() + 22, 80, 18), Qt::AlignCenter, t.label);
}

// The two curves, the earliest over the latest.
void paintSCurveLines(QPainter& p, const SCurvePicture& s)
{
    const auto curve = [&p](const QPolygonF& line, const QColor& colour) {
        QPen pen(colour, 2.2);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.drawPolyline(line);
    };
    curve(s.late, kLate);
    curve(s.early, kEarly);
}

// SAL: a dot on each curve, numbered; dense forecasts number every few.
void paintSalMarks(QPainter& p, const SCurvePicture& s)
{
    const double room = s.sal.size() > 1 ? s.plot.width() / static_cast<double>(s.sal.size()) : 100;
    const int labelEvery = std::max(1, static_cast<int>(std::ceil(22.0 / std::max(1.0, room))));
    p.setFont(font(9, true));
    for (size_t i = 0; i < s.sal.size(); ++i) {
        const SCurvePicture::SalMark& m = s.sal[i];
        for (const auto& [at, colour, date] :
             {std::tuple{m.early, kEarly, m.earlyDate}, std::tuple{m.late, kLate, m.lateDate}}) {
            if (!date.isValid())
                continue;
            p.setPen(QPen(Qt::white, 1));
            p.setBrush(colour);
            p.drawEllipse(at, 4.2, 4.2);
        }
        p.setBrush(Qt::NoBrush);
        const bool last = i + 1 == s.sal.size();
        if (static_cast<int>(i) % labelEvery != 0 && !last)
            continue;
        p.setPen(kSal);
        const QString label = QString::number(m.number);
        if (m.earlyDate.isValid())
            p.drawText(QRectF(m.early.x() - 30, m.early.y() - 20, 26, 14),
                       Qt::AlignRight | Qt::AlignVCenter, label);
        if (m.lateDate.isValid())
            p.drawText(QRectF(m.late.x() + 4, m.late.y() + 2, 26, 14),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
    }
}

// The legend and the title above the plot.
void paintSCurveLegend(QPainter& p, const SCurvePicture& s)
{
    p.setFont(font(10));
    const QFontMetricsF fm(p.font());
    double x = s.plot.left();
    const double y = 14;
    const auto entry = [&](const QString& words, const auto& sample) {
        sample(QRectF(x, y, 26, 16));
        p.setPen(kInk);
        p.drawText(QRectF(x + 32, y, fm.horizontalAdvance(words) + 4, 16), Qt::AlignVCenter, words);
        x += 32 + fm.horizontalAdvance(words) + 22;
    };
    const auto line = [&p](const QColor& colour) {
        return [&p, colour](const QRectF& r) {
            p.setPen(QPen(colour, 2.2));
            p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        };
    };
    entry(QStringLiteral("programma al più presto"), line(kEarly));
    entry(QStringLiteral("programma al più tardi"), line(kLate));
    entry(QStringLiteral("fascia tra i due programmi"),
          [&p](const QRectF& r) { p.fillRect(r.adjusted(0, 2, 0, -2), kEnvelope); });
    entry(QStringLiteral("SAL previsto, con il numero"), [&p](const QRectF& r) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(kEarly);
        p.drawEllipse(r.center() - QPointF(6, 0), 4.2, 4.2);
        p.setBrush(kLate);
        p.drawEllipse(r.center() + QPointF(6, 0), 4.2, 4.2);
        p.setBrush(Qt::NoBrush);
    });
    p.setFont(font(10, true));
    p.setPen(kInk);
    p.drawText(QRectF(s.plot.left(), 36, 400, 16), Qt::AlignVCenter,
               QStringLiteral("Importo dei lavori eseguiti, cumulato"));
}

} // namespace

void paintSCurve(QPainter& p, const SCurvePicture& s)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(QRectF(QPointF(0, 0), s.size), Qt::white);
    if (!s.isEmpty()) {
        paintSCurveAxes(p, s);
        paintSCurveLines(p, s);
        paintSalMarks(p, s);
        paintSCurveLegend(p, s);
    }
    p.restore();
}

} // namespace zant
