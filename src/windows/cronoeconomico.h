#pragma once

#include "diagram/s_curve.h"
#include "windows/diagram_window.h"

class QSpinBox;

namespace zant {

// The S-curve of the amounts: the cumulative amount against time on the earliest and on the
// latest schedule, with the SALs every so many months.
class cronoeconomico final : public DiagramWindow
{
    Q_OBJECT

public:
    explicit cronoeconomico(ModZANT& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(cronoeconomico)

    const SCurvePicture& picture() const { return m_picture; }
    const AmountsInTime& amounts() const { return m_amounts; }
    // The months between two SALs.
    QSpinBox* salmesi() const { return m_salmesi; }

protected:
    bool rebuild() override;
    QSizeF pictureSize() const override;
    void paintPicture(QPainter& painter) const override;
    QString exportBaseName() const override;
    TitleBlock titleBlock() const override;
    double smallestText() const override;

private:
    QSpinBox* m_salmesi = nullptr;
    AmountsInTime m_amounts;
    SCurvePicture m_picture;
};

} // namespace zant
