#pragma once

#include "shell/cls_resize.h"
#include "shell/modzant.h"
#include "windows/toolbar_icons.h"

#include <QMainWindow>

#include <QKeySequence>

#include <functional>
#include <map>

class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace zant {

// What the three main windows (data, results, title page) share: the central area laid out in
// twips and kept proportional by a clsResize, the common "Visualizza" and "?" menus with the
// right-hand window item, the toolbar of 19 positions and the calendar's, the guidance label and
// the background colour command.
class MainWindowBase : public QMainWindow
{
    Q_OBJECT

public:
    MainWindowBase(ModZANT& app, const QString& caption, QWidget* parent = nullptr);
    ~MainWindowBase() override;
    Q_DISABLE_COPY_MOVE(MainWindowBase)

    QLabel* passo() const { return m_passo; }
    // The end date, duration and critical path in the status bar, for windows that show them.
    QLabel* summaryLabel() const { return m_summary; }
    clsResize& resizer() { return m_resize; }

protected:
    // The toolbar's handler, by 1-based position (a ToolbarButton). The positions that open a
    // window or set the colour act alike in the three windows; the others go to the window's own
    // handler.
    void Toolbar1_ButtonClick(int index);

    // Geometry of the design layout is given in twips of the window's client area.
    QWidget* central() const { return m_central; }
    template <typename W> W* place(W* widget, int left, int top, int width, int height)
    {
        placeWidget(widget, left, top, width, height);
        return widget;
    }
    void placeWidget(QWidget* widget, int left, int top, int width, int height);

    // A menu item with its control name and caption.
    QAction* menuItem(QMenu* menu, const QString& name, const QString& caption,
                      std::function<void()> handler);
    // One line of a window's own menu: an item, a separator, or the start or end of a submenu.
    struct MenuEntry
    {
        enum Kind
        {
            Item,
            Separator,
            Submenu,
            EndSubmenu
        };
        Kind kind = Item;
        const char* name = nullptr;
        const char* caption = nullptr;
        std::function<void()> handler; // none: shown but disabled in this window
        QKeySequence shortcut = {};
    };
    static MenuEntry item(const char* name, const char* caption, std::function<void()> handler,
                          QKeySequence shortcut = {})
    {
        return {MenuEntry::Item, name, caption, std::move(handler), std::move(shortcut)};
    }
    static MenuEntry disabledItem(const char* name, const char* caption)
    {
        return {MenuEntry::Item, name, caption, {}, {}};
    }
    // Every member is given, also the empty ones, so that no entry relies on the defaults of a
    // partial brace list.
    static MenuEntry separator() { return {MenuEntry::Separator, nullptr, nullptr, {}, {}}; }
    static MenuEntry submenu(const char* name, const char* caption)
    {
        return {MenuEntry::Submenu, name, caption, {}, {}};
    }
    static MenuEntry endSubmenu() { return {MenuEntry::EndSubmenu, nullptr, nullptr, {}, {}}; }
    // A menu of the menu bar, built from its table.
    QMenu* addMenu(const char* name, const char* caption, std::initializer_list<MenuEntry> entries);
    // The "&Visualizza" menu: the three windows, this window's item asking for its guide.
    struct WindowItems
    {
        QString datiName = QStringLiteral("fin1");
        QString risultatiName = QStringLiteral("fin2");
        QString frontespizioName = QStringLiteral("fin3");
    };
    void addViewMenu(const WindowItems& names, int ownNumber);
    // The "&?" menu: guide, tips, support, about.
    void addHelpMenu(const QString& menuName, const QString& tipsName);
    // The right-hand "Fi&nestra n.N di 3" item, opening the window's own guide.
    void addWindowItem(int ownNumber);

    // The toolbar's positions, with the window's own handlers of the file and data commands; the
    // data window calls its first button "apri files". A command the window has no handler for is
    // shown disabled, and the positions that open a window are enabled only when that window
    // (or, for the window's own position, its guide) exists. Call after addViewMenu.
    struct ToolbarAction
    {
        ToolbarButton button;
        std::function<void()> handler;
    };
    void buildToolbar(std::initializer_list<ToolbarAction> actions,
                      const QString& openTip = QStringLiteral("apri file"));

    // "Annulla" and "Ripeti" at the top of the "&Modifica" menu, enabled when there is
    // something to undo or redo, and "Impostazioni dello studio" at its end.
    void addUndoItems(QMenu* modif);

    // Windows whose grids take as many rows as the height allows. Their controls keep their
    // design height and font and their place from the top; those placed at or below
    // `firstBelowTwips` (design top) follow the bottom edge. Widths still grow with the window.
    // Call before placing the controls.
    void growRowsAbove(int firstBelowTwips);
    // Makes the window's design wider than the common one by `twips`, for columns of its own.
    // Call before placing the controls.
    void widenDesign(int twips);
    // Rows of `pitchTwips` that fit in the height the client area has beyond its design height.
    int extraRows(int pitchTwips) const;
    // The pixel top of a control placed at `topTwips` in the design.
    int designTop(int topTwips) const;
    // After each scaling pass: a growing window places its rows here.
    virtual void layoutRows() {}

    // The status bar shows, on its right, the end date, the duration and the length of the
    // critical path of the project as it is now (nothing while the data do not pass the check).
    void showScheduleSummary();

    // Last step of building a window: the standard shortcuts on the menu items that have one
    // (Ctrl+O, Ctrl+S, Ctrl+Shift+S, Ctrl+P on `printItem`, Ctrl+Q, F1 on the window's guide),
    // Ctrl+Z and Ctrl+Y left to the window's history rather than to the text boxes, and the
    // accessible names of the bottom buttons.
    void finishCommands(const QString& printItem, const QString& exitItem);

    // The buttons along the bottom of a window.
    struct ButtonSpec
    {
        const char* name;
        const char* caption;
        const char* toolTip;
        int left;
        std::function<void()> handler;
        const QString* needs = nullptr; // the window it shows, when it shows one
    };
    void addButtons(std::initializer_list<ButtonSpec> buttons, int top, int width, int height);
    QPushButton* button(const char* name) const;

    // Enabled only when the window it opens is part of the program.
    void enableIfAvailable(QAction* action, const QString& window);

    // "E' questa la finestra ...": asks whether the user wants this window's own guide (under
    // the program's name for the data window, under the help title for the others).
    void askOwnGuide();
    void showGuide(const QString& guide);

    // The background colour command shared by the three windows.
    void colorare_Click();

    // Sizes the window through the scaler as every main window does at load.
    void applyDesignSize();

    // The main windows open centred on the screen, each later one a step lower and to the right.
    void showEvent(QShowEvent* event) override;
    // Closing the last open window ends the program: unsaved changes are offered first.
    void closeEvent(QCloseEvent* event) override;

    // Shows a message under the data-check title.
    void say(const Message& message);

    // Deletes a file chosen in the open dialog: it goes to the desktop's trash, so a wrong
    // choice can be undone, and is removed only where there is no trash.
    void deleteChosenFile(const QString& filters);

    bool eventFilter(QObject* watched, QEvent* event) override;

    ModZANT& m_app;

private:
    // The fonts grow with the window, which cannot become smaller than its design size, so the
    // captions stay whole.
    void setFontScale(double scale);
    // The caption, the name of the project's file and the mark of unsaved changes.
    void updateTitle();
    void updateSummary();

    QString m_caption;
    QLabel* m_summary = nullptr;
    int m_firstBelowTwips = 0;
    // Twips a window adds to the common design width (the data window's activity names).
    int m_extraDesignWidth = 0;
    QWidget* m_central = nullptr;
    QLabel* m_passo = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::map<ToolbarButton, std::function<void()>> m_toolbarHandlers;
    clsResize m_resize;
    int m_ownNumber = 0;
    double m_fontScale = 0;
    bool m_placed = false;
};

} // namespace zant
