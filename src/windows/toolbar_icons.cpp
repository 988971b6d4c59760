#include "windows/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace zant {

namespace {

QPixmap canvas(int size = 40)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLetters(QPainter& p, const QString& text, const QColor& colour, int pointSize)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setBold(true);
    f.setPixelSize(pointSize);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(QRect(0, 0, 40, 40), Qt::AlignCenter, text);
}

// A round badge of one colour with a white letter: the guide's and the information's icons.
void drawBadge(QPainter& p, const QColor& ink, const QColor& fill, const QString& letter)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(fill);
    p.drawEllipse(5, 5, 30, 30);
    drawLetters(p, letter, Qt::white, 22);
}

void drawWindow(QPainter& p, const QColor& bar, const QString& mark)
{
    p.setPen(QPen(QColor(40, 40, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(5, 7, 30, 26);
    p.fillRect(6, 8, 29, 6, bar);
    drawLetters(p, mark, QColor(40, 40, 60), 16);
}

// An open folder.
void drawOpen(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(4, 12, 32, 22);
    p.setBrush(QColor(250, 220, 120));
    p.drawPolygon(QPolygon({QPoint(4, 34), QPoint(10, 18), QPoint(38, 18), QPoint(32, 34)}));
}

// A diskette.
void drawSave(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(70, 100, 170));
    p.drawRect(6, 6, 28, 28);
    p.fillRect(12, 7, 16, 10, Qt::white);
    p.fillRect(11, 23, 18, 10, QColor(200, 200, 210));
}

// A bin crossed in red.
void drawDelete(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(220, 220, 225));
    p.drawRect(10, 10, 20, 26);
    p.drawLine(7, 10, 33, 10);
    p.drawLine(16, 6, 24, 6);
    p.setPen(QPen(QColor(190, 30, 30), 3));
    p.drawLine(14, 16, 26, 30);
    p.drawLine(26, 16, 14, 30);
}

// A printer with its sheet.
void drawPrint(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::white);
    p.drawRect(11, 4, 18, 14);
    p.setBrush(QColor(150, 150, 160));
    p.drawRect(4, 16, 32, 14);
    p.setBrush(Qt::white);
    p.drawRect(11, 26, 18, 10);
}

// Four spots of colour.
void drawColours(QPainter& p)
{
    const QColor colours[] = {QColor(220, 50, 50), QColor(50, 160, 60), QColor(50, 90, 210),
                              QColor(240, 200, 40)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(colours[i]);
        p.drawEllipse(QPoint(i % 2 ? 26 : 14, i < 2 ? 14 : 26), 9, 9);
    }
}

// A light bulb.
void drawBulb(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(255, 230, 90));
    p.drawEllipse(10, 4, 20, 20);
    p.setBrush(QColor(160, 160, 170));
    p.drawRect(14, 24, 12, 10);
}

// A headset.
void drawHeadset(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(8, 6, 24, 24, 0, 180 * 16);
    p.setBrush(ink);
    p.drawRect(6, 18, 6, 12);
    p.drawRect(28, 18, 6, 12);
}

// "ABC" with a tick.
void drawCheck(QPainter& p)
{
    drawLetters(p, QStringLiteral("ABC"), QColor(30, 100, 40), 14);
    p.setPen(QPen(QColor(30, 140, 50), 3));
    p.drawPolyline(QPolygon({QPoint(10, 32), QPoint(16, 37), QPoint(30, 27)}));
}

// An eraser.
void drawEraser(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(250, 170, 180));
    p.drawPolygon(QPolygon({QPoint(6, 26), QPoint(20, 8), QPoint(34, 18), QPoint(22, 34)}));
    p.drawLine(4, 36, 36, 36);
}

// A door with an arrow going out.
void drawExit(QPainter& p, const QColor& ink)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(160, 110, 70));
    p.drawRect(8, 4, 18, 32);
    p.setPen(QPen(QColor(190, 30, 30), 3));
    p.drawLine(22, 20, 36, 20);
    p.drawLine(31, 15, 36, 20);
    p.drawLine(31, 25, 36, 20);
}

void drawCalendar(QPainter& p, const QColor& ink)
{
    // A wall calendar: a red band, the rings and a grid of days, two of them shaded.
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::white);
    p.drawRect(5, 8, 30, 27);
    p.fillRect(6, 9, 29, 7, QColor(200, 50, 50));
    p.drawLine(12, 4, 12, 12);
    p.drawLine(28, 4, 28, 12);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            p.fillRect(9 + column * 7, 19 + row * 5, 4, 3,
                       column == 3 ? QColor(170, 175, 190) : ink);
    }
}

} // namespace

QIcon toolbarIcon(ToolbarButton button)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 60);
    switch (button) {
    case ToolbarButton::Apri:
        drawOpen(p, ink);
        break;
    case ToolbarButton::Salva:
        drawSave(p, ink);
        break;
    case ToolbarButton::Elimina:
        drawDelete(p, ink);
        break;
    case ToolbarButton::Stampa:
        drawPrint(p, ink);
        break;
    case ToolbarButton::Dati:
        drawWindow(p, QColor(60, 120, 200), QStringLiteral("D"));
        break;
    case ToolbarButton::Risultati:
        drawWindow(p, QColor(60, 160, 90), QStringLiteral("R"));
        break;
    case ToolbarButton::Frontespizio:
        drawWindow(p, QColor(190, 110, 40), QStringLiteral("F"));
        break;
    case ToolbarButton::Colore:
        drawColours(p);
        break;
    case ToolbarButton::Guida:
        drawBadge(p, ink, QColor(90, 140, 210), QStringLiteral("?"));
        break;
    case ToolbarButton::Suggerimenti:
        drawBulb(p, ink);
        break;
    case ToolbarButton::Supporto:
        drawHeadset(p, ink);
        break;
    case ToolbarButton::Informazioni:
        drawBadge(p, ink, QColor(60, 140, 90), QStringLiteral("i"));
        break;
    case ToolbarButton::Controllo:
        drawCheck(p);
        break;
    case ToolbarButton::Cancella:
        drawEraser(p, ink);
        break;
    case ToolbarButton::Uscita:
        drawExit(p, ink);
        break;
    case ToolbarButton::Calendario:
        drawCalendar(p, ink);
        break;
    case ToolbarButton::Separator1:
    case ToolbarButton::Separator2:
    case ToolbarButton::Separator3:
    case ToolbarButton::Separator4:
        break;
    }
    return QIcon(pixmap);
}

QIcon deleteRowIcon()
{
    QPixmap pixmap = canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(190, 30, 30), 2.5));
    p.drawLine(4, 4, 12, 12);
    p.drawLine(12, 4, 4, 12);
    return QIcon(pixmap);
}

} // namespace zant
