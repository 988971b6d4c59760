#pragma once

#include "report/print_commands.h"
#include "shell/cls_resize.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;

namespace zant {

class ModZANT;

// What the eight windows of the guide share: the caption "Guida in linea", the buttons
// "&Chiudi", "&Sommario" and "S&tampa", a size in twips kept proportional by a clsResize, and
// closing, which unloads the window.
class HelpWindowBase : public QWidget
{
    Q_OBJECT

public:
    ~HelpWindowBase() override;
    Q_DISABLE_COPY_MOVE(HelpWindowBase)

    QPushButton* cmdchiudi() const { return m_cmdchiudi; }
    QPushButton* cmdsommario() const { return m_cmdsommario; }
    QPushButton* cmdstampa() const { return m_cmdstampa; }
    clsResize& resizer() { return m_resize; }

    // Closes and unloads the window.
    void cmdchiudi_Click();
    // Brings the summary forward; this window stays open.
    void cmdsommario_Click();
    virtual void cmdstampa_Click() = 0;

protected:
    // `designWidth` is the window's width in twips: 9600 for the wide windows, 5640 for the
    // narrow ones, which stand at a fixed left edge.
    HelpWindowBase(ModZANT& app, const QString& name, int designWidth);

    // Places a control by its design geometry in twips.
    void placeWidget(QWidget* widget, int left, int top, int width, int height);
    // Records the layout and sizes the window; the derived window calls it once its controls
    // exist.
    void Form_Load();
    // After each scaling pass.
    virtual void controlsResized() {}
    // Tells the user what a print command could not do, or where its document is.
    void showPrintOutcome(const PrintResult& result);

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    ModZANT& m_app;

private:
    QString m_name;
    int m_designWidth;
    clsResize m_resize;
    QPushButton* m_cmdchiudi = nullptr;
    QPushButton* m_cmdsommario = nullptr;
    QPushButton* m_cmdstampa = nullptr;
};

// A text page of the guide: the title in Label1, the text in Label2, which scrolls when it does
// not fit. The page is one of the names of helpTopics().
class HelpWindow final : public HelpWindowBase
{
    Q_OBJECT

public:
    HelpWindow(ModZANT& app, const QString& name);
    ~HelpWindow() override;
    Q_DISABLE_COPY_MOVE(HelpWindow)

    QLabel* Label1() const { return m_label1; }
    QLabel* Label2() const { return m_label2; }
    // The text Label2 shows, as it is printed.
    const QString& bodyText() const { return m_body; }
    QScrollArea* Label2Area() const { return m_area; }

    void cmdstampa_Click() override;

private:
    // The title of the topic.
    QLabel* m_label1 = nullptr;
    // The text of the topic.
    QLabel* m_label2 = nullptr;
    QScrollArea* m_area = nullptr;
    QString m_body;
};

} // namespace zant
