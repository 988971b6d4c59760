#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QTimer;

namespace zant {

class ModZANT;

// The opening window: publisher, product, version and the picture of a small network, with
// the splash music. It stays open behind the working windows for the whole run; a click on it
// starts work, a key press ends the program. After the exit it comes back with its closing
// caption and ends the program by itself after a few bars of its tune, or at once at any key or
// click.
class frmSplash final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSplash)

public:
    static constexpr int labelCount = 13;

    explicit frmSplash(ModZANT& app, QWidget* parent = nullptr);

    QLabel* label(int index) const { return m_label.at(static_cast<std::size_t>(index)); }
    QLabel* Image1() const { return m_image1; }
    QWidget* Shape1() const { return m_shape1; }

    void Form_Click();
    void label_Click(int index);
    void Image1_Click();
    void Form_KeyPress();

    // How long the closing splash stays, in milliseconds: the tune's first two bars.
    static constexpr int kClosingMilliseconds = 4000;
    bool isClosing() const { return m_closing; }
    // The closing time ran out.
    void closingTimeUp();
    const QTimer* closingTimer() const { return m_closingTimer; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void showClosingCaption();
    // Work is over: the program ends.
    void endProgram();

    ModZANT& m_app;
    std::array<QLabel*, labelCount> m_label{};
    // The picture on the left.
    QLabel* m_image1 = nullptr;
    // The decorative frame behind the program's name.
    QWidget* m_shape1 = nullptr;
    bool m_closing = false;
    QTimer* m_closingTimer = nullptr;
};

// The splash picture: a small network of numbered events joined by arrows, with its critical
// path, drawn in code at the given size.
QPixmap drawNetworkPicture(const QSize& size);

} // namespace zant
