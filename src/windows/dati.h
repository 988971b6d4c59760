#pragma once

#include "windows/main_window_base.h"
#include "windows/window_style.h"

#include <vector>

class QKeyEvent;
class QLabel;
class QWheelEvent;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace zant {

// The data-entry window: ten event rows over the events 1..500, ten link rows over the slots of
// the selected event, the start date, the guidance box and the window's commands.
class dati final : public MainWindowBase
{
    Q_OBJECT

public:
    explicit dati(ModZANT& app, QWidget* parent = nullptr);
    ~dati() override;
    Q_DISABLE_COPY_MOVE(dati)

    // The rows at the design size; a taller window shows more.
    static constexpr int kRows = kGridRows;

    // Shows the project from event 1 after it was replaced (open, or a project given at start).
    void showNewProject();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the window with its close box: unsaved changes are offered to be saved first; the
    // project stays in memory either way.
    void closeEvent(QCloseEvent* event) override;

private:
    // Grid handlers; rows are 1..10 as in the window.
    void VScroll1_Change();
    void VScroll2_Change();
    void VScroll3_Change();
    void num_MouseMove(int row);
    void resetHighlight();
    // Shows the links of an event: the event whose row has the focus, or the one under the
    // mouse.
    void selectEvent(int event);
    void even_Change(int row, const QString& text);
    void num_click(int row);
    void delriga_Click(int row);
    void numleg_Click(int row);
    void cancleg_Click(int row);
    void scrollalegami_Change(int row);
    void scrollagiorni_Change(int row);
    void scrolladata_Change();
    // Values typed in the link boxes and the date box, stored on Enter or when the box is left.
    void leg_Typed(int row);
    void gior_Typed(int row);
    // The name of the activity typed in a link row.
    void nome_Change(int row, const QString& text);
    // Shows a link row's activity name, or the name it has without one of its own, its amount
    // and its category.
    void showActivityName(int row);
    // The amount typed in a link row, stored on Enter or when the box is left.
    void importo_Typed(int row);
    // The category of work typed in a link row.
    void categoria_Change(int row, const QString& text);
    // "Importo totale: 1.234,56 €"
    void showTotalAmount();
    void datiniz_Typed();
    void UpdateGuidance();

    // Commands.
    void apri_Click();
    // An entry of "File recenti".
    void apriRecente_Click(const QString& path);
    void salva_Click();
    void salvanome_Click();
    void eliminare_click();
    void controlla_Click();
    void cancella_click();
    void risult_Click();
    void aiuto_Click();
    void stampa_Click();
    void modulo_click();
    void usci_Click();
    void esportamspdi_Click();
    void esportacalendario_Click();
    void importamspdi_Click();
    void importaelenco_Click();
    void incollaattivita_Click();

    // How each list's rows begin: the row's number (a click inserts a row there) and its
    // delete button.
    struct RowHead
    {
        std::vector<QLabel*>* numbers;
        std::vector<QToolButton*>* deletes;
        const char* numberName;
        const char* deleteName;
        int left;
        // The number of an event row selects the event under the mouse.
        bool hover;
        void (dati::*onDelete)(int row);
    };
    // A text box of a row: its name, column and tip.
    struct RowBox
    {
        const char* name;
        int left;
        int width;
        QString toolTip;
    };
    // A bar of a link row, beside the box that shows its value.
    struct RowBar
    {
        const char* name;
        int left;
        int minimum;
        int maximum;
        void (dati::*onChange)(int row);
        std::vector<QLineEdit*> dati::*boxes;
    };
    // Shows the project again after an undo or redo, where the lists stand.
    void showRestoredProject();
    void updateTargetRanges();
    // The date picked in the calendar.
    void pickDate();
    // Stores a date typed or picked; false (with the message) when it is refused.
    bool storeStartDate(const QDate& date);
    // Up, Down, PageUp and PageDown in a box of the event or link rows.
    bool moveInRows(int row, bool links, QKeyEvent* key);
    // Tab past the last row and Shift+Tab before the first scroll the rows while there is more to
    // type; Enter in a description goes to the event's links, Esc in a link box back to the
    // event.
    bool tabInRows(int row, bool links, QKeyEvent* key);
    // The row whose description box has the focus, 0 when none has.
    int focusedEventRow() const;
    // The number of the selected event in yellow, when its row is shown.
    void markSelectedRow();
    // Rows added when the window grows; each row of the two lists in one go.
    void addRow();
    void layoutRows() override;
    void updateTabOrder();
    void fillRecentFiles();
    // One row a notch of the wheel; partial notches of fine wheels add up.
    void wheelRows(QScrollBar* bar, QWheelEvent* wheel);
    void commitLinkBox(QLineEdit* box);
    // Shows and stores a duration from the bar or the box.
    void storeDays(int row, double value);
    void buildGrid();
    void buildEventHeadings();
    void buildSelectedEventPanel();
    void buildStartDate();
    void buildLinkHeadings();
    // The vertical bar that scrolls one of the two lists.
    QScrollBar* addListBar(const QString& name, int left, int top, void (dati::*onChange)());
    void addEventRow(int r, int top);
    void addLinkRow(int r, int top);
    void addActivityBoxes(int r, int top);
    void addRowHead(const RowHead& head, int r, int top);
    QLineEdit* addRowBox(std::vector<QLineEdit*>& boxes, QLineEdit* box, const RowBox& look, int r,
                         int top);
    QScrollBar* addRowBar(std::vector<QScrollBar*>& bars, const RowBar& look, int r, int top);
    // The start date in the box and on its bar, as the project has it.
    void showStartDate();
    void buildCommands();
    void scrollLinksToLastFilled();
    void setScrollValue(QScrollBar* bar, int value);
    void setStatus(const QString& text);
    // Runs the check and the computation; false when the check refused the data.
    bool computeResults();
    // After a passing check: what the data allow but the office should know (second starts,
    // links of the final event).
    void warnAboutData();

    int m_topEvent = 1;
    int m_topLinkSlot = 1;
    int m_selectedEvent = 1;
    // Rows shown; none until the first ones are made.
    int m_rows = 0;
    // True while the window redraws itself, so that moving a scroll bar to show a value does
    // not store it again.
    bool m_refreshing = false;

    // The controls of every row made so far; the first m_rows are shown.
    std::vector<QLabel*> m_num;
    std::vector<QToolButton*> m_delriga;
    std::vector<QLineEdit*> m_even;
    std::vector<QLabel*> m_numleg;
    std::vector<QToolButton*> m_cancleg;
    std::vector<QScrollBar*> m_scrollalegami;
    std::vector<QLineEdit*> m_leg;
    std::vector<QLineEdit*> m_gior;
    // The activities' own names ("descrizione attività").
    std::vector<QLineEdit*> m_nome;
    // The activities' amounts, in euro with a decimal comma, and categories of work.
    std::vector<QLineEdit*> m_importo;
    std::vector<QLineEdit*> m_categoria;
    std::vector<QScrollBar*> m_scrollagiorni;
    // Scrolls the event rows (the top event shown).
    QScrollBar* m_VScroll1 = nullptr;
    // Scrolls the link rows (the top slot shown).
    QScrollBar* m_VScroll2 = nullptr;
    // Chooses the event whose links the link rows show.
    QScrollBar* m_VScroll3 = nullptr;
    QScrollBar* m_scrolladata = nullptr;
    // "Evento n. k": the number of the event whose links are shown.
    QLabel* m_Label1 = nullptr;
    // The description of that event ("Evento finale senza legami" for the last one).
    QLabel* m_Label2 = nullptr;
    QLineEdit* m_datiniz = nullptr;
    QToolButton* m_calendario = nullptr;
    int m_wheelRemainder = 0;
    // The progress of the computation started by "Risultati".
    QProgressBar* m_ProgressBar1 = nullptr;
    // The sum of the activities' amounts.
    QLabel* m_totale = nullptr;
};

} // namespace zant
