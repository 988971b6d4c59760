#pragma once

#include <QColor>
#include <QFont>

// The colours and the lettering shared by the program's pictures: the network, the Gantt chart
// and the example network of the report.
namespace zant::pictures {

inline const QColor kInk(35, 45, 80);
inline const QColor kCritical(200, 30, 30);
inline const QColor kPaleCritical(253, 232, 232);
inline const QColor kMuted(110, 120, 140);
inline const QColor kGrid(225, 228, 236);
inline const QColor kSelected(20, 90, 220);
inline const QColor kBar(70, 110, 190);
inline const QColor kFreeFloat(120, 160, 120);
inline const QColor kTotalFloat(190, 200, 215);
inline const QColor kToday(20, 150, 60);
// The days that do not count, shaded on the Gantt chart.
inline const QColor kRestDay(130, 140, 165, 70);
// The S-curve: the earliest and the latest schedule, and the envelope between them.
inline const QColor kEarlyCurve(40, 90, 180);
inline const QColor kLateCurve(205, 110, 20);
inline const QColor kEnvelope(205, 218, 240);

// A sans-serif face (the metric twin of Arial where there is one) at a size in pixels.
QFont font(double pixels, bool bold = false);

} // namespace zant::pictures
