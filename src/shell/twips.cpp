#include "shell/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace zant {

double twipsPerPixel(const QWidget* widget)
{
    double dpi = 96;
    if (widget)
        dpi = widget->logicalDpiX();
    else if (QGuiApplication::primaryScreen())
        dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int twipsToPixels(double twips, const QWidget* widget)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel(widget)));
}

double pixelsToTwips(double pixels, const QWidget* widget)
{
    return pixels * twipsPerPixel(widget);
}

QRect twipsRect(int left, int top, int width, int height, const QWidget* widget)
{
    return QRect(twipsToPixels(left, widget), twipsToPixels(top, widget),
                 twipsToPixels(width, widget), twipsToPixels(height, widget));
}

} // namespace zant
