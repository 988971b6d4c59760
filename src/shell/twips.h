#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace zant {

// Window layouts are given in twips (1/1440 inch): 15 twips per pixel at 96 logical dpi,
// scaled by the screen's logical dpi.
double twipsPerPixel(const QWidget* widget = nullptr);
int twipsToPixels(double twips, const QWidget* widget = nullptr);
double pixelsToTwips(double pixels, const QWidget* widget = nullptr);
QRect twipsRect(int left, int top, int width, int height, const QWidget* widget = nullptr);

} // namespace zant
