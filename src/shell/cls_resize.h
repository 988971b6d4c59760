#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

namespace zant {

// Keeps the controls of one window proportional to its size. It records once the client size
// the window was designed with and the geometry of every control, in twips; afterwards each
// pass moves and resizes the controls by the ratio between the current client size and the
// recorded one, always from the recorded values, so shrinking and growing again returns to the
// same layout. It also sizes and centres a window as a percentage of the screen.
//
// The client area is the window's central widget when it is a QMainWindow (the menu bar and
// toolbar stay where the main window puts them), the window itself otherwise; the controls are
// all the widgets below the client area, each placed relative to its own parent.
//
// A control's dynamic property "Tag" beginning with "@" selects with the capital letters L, T,
// W and H which of left, top, width and height are scaled; any other tag scales all four. The
// letter B keeps the control's distance from the bottom edge instead: it moves down by as much
// as the client area grew, without scaling. A control without a tag of its own takes the
// scaler's default tag ("@L,T,W,H" unless a window sets another).
class clsResize final
{
public:
    clsResize();
    ~clsResize();
    Q_DISABLE_COPY_MOVE(clsResize)

    QWidget* SourceForm() const { return m_form; }
    // Replaces the window; does not record the layout.
    void setSourceForm(QWidget* form);

    void RecordLayout();
    void ReInitialise() { RecordLayout(); }
    // Sizes the window to `percentage` of the screen, centred, then scales the controls.
    void SizeFormToScreen(int percentage);
    // One scaling pass; the first pass only records the layout.
    void ResizeControls();

    bool needsLayout() const { return m_needsLayout; }
    int designWidth() const { return m_designWidth; }
    int designHeight() const { return m_designHeight; }

    // The tag of the controls that have none of their own.
    QString defaultTag = QStringLiteral("@L,T,W,H");

    // Screen size in twips; the primary screen's available area unless a test replaces it.
    std::function<QSize()> screenSizeTwips;

private:
    struct ControlLayout
    {
        QPointer<QWidget> control;
        std::array<int, 4> values{}; // left, top, width, height in twips
    };

    QWidget* clientArea() const;

    QPointer<QWidget> m_form;
    int m_designWidth = 0;
    int m_designHeight = 0;
    std::vector<ControlLayout> m_controlTable;
    bool m_needsLayout = true;
};

} // namespace zant
