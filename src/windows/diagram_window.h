#pragma once

#include "diagram/picture_export.h"
#include "shell/modzant.h"

#include <QMainWindow>
#include <QSizeF>
#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QToolBar;

namespace zant {

// Draws a picture at a zoom factor and turns the mouse into picture coordinates: drag to pan
// the surrounding scroll area, Ctrl+wheel to zoom around the pointer, a click to pick, a pause
// for a tool-tip.
class DiagramCanvas final : public QWidget
{
    Q_OBJECT

public:
    explicit DiagramCanvas(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(DiagramCanvas)

    std::function<void(QPainter&)> paintPicture;
    std::function<QString(QPointF)> toolTipAt;

    void setPictureSize(const QSizeF& size);
    QSizeF pictureSize() const { return m_picture; }
    double zoom() const { return m_zoom; }
    void setZoom(double zoom, QPoint anchor = QPoint(-1, -1));
    QPointF toPicture(QPoint widgetPoint) const;

signals:
    void clicked(QPointF picturePoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    QScrollArea* scrollArea() const;

    QSizeF m_picture;
    double m_zoom = 1.0;
    QPoint m_pressAt;
    QPoint m_scrollAtPress;
    bool m_dragging = false;
    bool m_pressed = false;
};

// What the network and Gantt windows share: the toolbar with zoom and export, the scroll area
// with the canvas, the text shown while nothing is computed, and the refresh on new results.
class DiagramWindow : public QMainWindow
{
    Q_OBJECT

public:
    DiagramWindow(ModZANT& app, const QString& caption, const QString& name,
                  QWidget* parent = nullptr);
    ~DiagramWindow() override;
    Q_DISABLE_COPY_MOVE(DiagramWindow)

    DiagramCanvas* canvas() const { return m_canvas; }
    QLabel* emptyLabel() const { return m_empty; }
    QToolBar* toolBar() const { return m_toolbar; }
    // How Esporta writes a PDF: the drawing's own page, one sheet, or tiled sheets.
    QComboBox* formato() const { return m_formato; }
    // The date of the computation the picture shows.
    QDate computedOn() const { return m_computedOn; }

    void zoomIn();
    void zoomOut();
    void fitToWindow();
    // Asks for a file name and writes the picture as PNG, SVG or PDF.
    void esporta_Click();

protected:
    // Rebuilds the picture from the results of the project as it is now (currentResults());
    // false when there is nothing to draw.
    virtual bool rebuild() = 0;
    // The results of the project as it is now, computed again when it changed; nothing when the
    // data do not pass the check, whose message the window then shows in place of the picture.
    const ScheduleResults* currentResults();
    void showEvent(QShowEvent* event) override;
    virtual QSizeF pictureSize() const = 0;
    virtual void paintPicture(QPainter& painter) const = 0;
    virtual QString exportBaseName() const = 0;
    // What the exported picture says of itself, and its smallest text in picture units.
    virtual TitleBlock titleBlock() const = 0;
    virtual double smallestText() const = 0;
    // The picture written straight into an SVG file, for pictures too large for Qt's generator.
    virtual DirectSvg directSvg() const { return {}; }
    void refresh();

    ModZANT& m_app;

private:
    QToolBar* m_toolbar = nullptr;
    QScrollArea* m_scroll = nullptr;
    DiagramCanvas* m_canvas = nullptr;
    QLabel* m_empty = nullptr;
    QComboBox* m_formato = nullptr;
    QDate m_computedOn;
};

} // namespace zant
