#pragma once

#include "diagram/network_layout.h"
#include "windows/diagram_window.h"

class QComboBox;

namespace zant {

// The event network of the last computation, to a time scale or by levels.
class reticolo final : public DiagramWindow
{
    Q_OBJECT

public:
    explicit reticolo(ModZANT& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(reticolo)

    void modo_Change();
    // Selects an event: outlined here and shown in the results window.
    void selectEvent(int event);

    // For tests.
    const NetworkLayout& layout() const { return m_layout; }
    QComboBox* modo() const { return m_modo; }
    int selectedEvent() const { return m_selected; }
    QString toolTipAt(QPointF picturePoint) const;

protected:
    bool rebuild() override;
    QSizeF pictureSize() const override;
    void paintPicture(QPainter& painter) const override;
    QString exportBaseName() const override;
    TitleBlock titleBlock() const override;
    double smallestText() const override;
    DirectSvg directSvg() const override;

private:
    NetworkLayout m_layout;
    QComboBox* m_modo = nullptr;
    int m_selected = 0;
};

} // namespace zant
