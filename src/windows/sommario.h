#pragma once

#include "shell/cls_resize.h"

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace zant {

class ModZANT;

// The table of contents of the guide: nine topics, each opening a page of the guide or the tips,
// and the print of the whole guide.
class sommario final : public QWidget
{
    Q_OBJECT

public:
    explicit sommario(ModZANT& app, QWidget* parent = nullptr);
    ~sommario() override;
    Q_DISABLE_COPY_MOVE(sommario)

    static constexpr int kTopics = 9;

    // Topics are 1..9 as in the window.
    QLabel* lbl(int index) const { return m_lbl[index - 1]; }
    QPushButton* puls(int index) const { return m_puls[index - 1]; }
    QLabel* Label1() const { return m_label1; }
    QPushButton* cmdchiudi() const { return m_cmdchiudi; }
    QPushButton* cmdstampa() const { return m_cmdstampa; }
    QPushButton* Command1() const { return m_command1; }
    clsResize& resizer() { return m_resize; }

    // The window that each topic opens.
    static QString topicWindow(int index);

    void puls_Click(int index);
    void lbl_MouseMove(int index);
    void Form_MouseMove();
    void lbl_MouseDown(int index);
    void lbl_MouseUp(int index);
    void cmdchiudi_Click();
    void Command1_Click();
    // Writes the whole guide as ZANT-guida.docx in the documents folder and opens it.
    void cmdstampa_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void setTopicWeights(int boldIndex);

    ModZANT& m_app;
    clsResize m_resize;
    // The heading "Argomenti della guida".
    QLabel* m_label1 = nullptr;
    std::array<QLabel*, kTopics> m_lbl{};
    std::array<QPushButton*, kTopics> m_puls{};
    QPushButton* m_cmdchiudi = nullptr;
    QPushButton* m_cmdstampa = nullptr;
    // "USCITA": closes the contents.
    QPushButton* m_command1 = nullptr;
};

} // namespace zant
