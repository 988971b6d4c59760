#pragma once

#include "windows/main_window_base.h"
#include "windows/window_style.h"

#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QScrollBar;

namespace zant {

// The results window: the times, dates and floats of ten events at a time (more in a taller
// window), the incoming and outgoing links of the highlighted event (the one last pointed at
// with the mouse or reached with the keys), and the critical path. It only reads.
class risultati final : public MainWindowBase
{
    Q_OBJECT

public:
    explicit risultati(ModZANT& app, QWidget* parent = nullptr);
    ~risultati() override;
    Q_DISABLE_COPY_MOVE(risultati)

    // The rows at the design size; a taller window shows more.
    static constexpr int kRows = kGridRows;

    // Brings an event into the table's rows and highlights it, as the mouse over its number
    // would (a click on the event in the network or the Gantt chart).
    void selectEvent(int event);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void VScroll1_Change();
    void VScroll2_Change();
    void VScroll3_Change();
    void num_MouseMove(int row);
    void stampa_Click();
    void aiuto_Click();
    void eliminare_click();
    void usci_Click();
    // The row that shows the highlighted event, 0 when there is none or it is scrolled out of
    // sight.
    int highlightedRow() const;
    void buildEventTable();
    // The critical path, the buttons of the diagrams and the caption of the link tables.
    void buildCriticalPath();
    // The links entering and leaving the highlighted event, each list in its frame.
    void buildLinkTables();
    void buildButtons();
    void buildMenus();
    void resetColours();
    // Moves the highlight to an event, scrolling the table to show it.
    void highlightEvent(int event);
    void addRow();
    void layoutRows() override;
    void clearLinkTables();
    // Shows the results of the project as it is now, or the data check's message when they
    // cannot be computed.
    void showResults();
    // The results to show: those of the project as it is now, or nothing when the data do not
    // pass the check.
    const ScheduleResults* currentResults();
    // The event whose links the lower tables show. An event, not a row: scrolling the table or
    // a new computation never changes which event the tables and their caption speak of.
    int m_highlightedEvent = 0;
    // Rows shown; none until the first ones are made.
    int m_rows = 0;
    // Whether the guidance label shows the data check's message instead of results.
    bool m_showingFault = false;
    int m_wheelRemainder = 0;
    std::array<std::vector<QLabel*>, 6> m_table{}; // num, tmin, datmin, tmax, datmax, scorr
    std::array<std::array<QLabel*, kLinkListRows>, 3> m_in{}; // n1, n2, eventrata
    std::array<std::array<QLabel*, kLinkListRows>, 5>
        m_out{}; // n3, n4, evenuscita, tempusc, scorrusc
    // Scrolls the rows of the events' times.
    QScrollBar* m_VScroll1 = nullptr;
    // Scrolls the list of the links entering the highlighted event.
    QScrollBar* m_VScroll2 = nullptr;
    // Scrolls the list of the links leaving the highlighted event.
    QScrollBar* m_VScroll3 = nullptr;
    // The critical path, read-only.
    QLineEdit* m_Text1 = nullptr;
    QLabel* m_Label13 = nullptr;
};

} // namespace zant
