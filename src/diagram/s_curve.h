#pragma once

#include "schedule/amounts.h"

#include <QDate>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

class QPainter;

namespace zant {

// The S-curve laid out as plain values in picture units: the cumulative amount against time on
// the earliest and on the latest schedule, the envelope between them, months along the time axis,
// euro up the amount axis and the SAL forecast marked on both curves.
struct SCurvePicture
{
    struct Tick
    {
        double at = 0; // x of a month's first day, or y of an amount
        QString label; // empty: a grid line without a label
    };
    struct SalMark
    {
        int number = 0;
        QPointF early; // on the earliest curve, at the SAL's date and cumulated amount
        QPointF late;
        QDate earlyDate;
        QDate lateDate;
    };

    QSizeF size;
    QRectF plot; // the area inside the axes
    QDate start; // the first day of the works, at plot.left()
    double dayWidth = 0;
    Cents top = 0; // the amount at plot.top()
    Cents total = 0;
    QPolygonF early; // from (start, 0) to the end of the last day with work, left to right
    QPolygonF late;
    QPolygonF envelope; // the earliest curve there and the latest one back
    std::vector<Tick> months;
    std::vector<Tick> years; // the year under its months
    std::vector<Tick> amounts;
    std::vector<SalMark> sal;

    bool isEmpty() const { return total <= 0 || early.size() < 2; }
    double xOf(const QDate& date) const;
    double yOf(Cents amount) const;
};

// Default size of the picture: a landscape page's width, a little over half its height.
inline constexpr double kSCurveWidth = 1000;
inline constexpr double kSCurveHeight = 560;

SCurvePicture layoutSCurve(const AmountsInTime& amounts, const std::vector<SalForecast>& sal,
                           QSizeF size = QSizeF(kSCurveWidth, kSCurveHeight));

// Draws the laid-out curve in picture units, with its own legend above the plot.
void paintSCurve(QPainter& painter, const SCurvePicture& picture);

// "150.000 €": whole euro with Italian grouping, for the axis.
QString euroAxisLabel(Cents amount);

} // namespace zant
