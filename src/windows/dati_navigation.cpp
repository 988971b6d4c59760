// The data window's rows: how the wheel, the keys and the mouse move through them, and how
// they are laid out as the window grows.

#include "windows/dati.h"

#include "shell/twips.h"
#include "windows/window_style.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

namespace zant {

bool dati::eventFilter(QObject* watched, QEvent* event)
{
    // The rows being made while the window is built are not all there yet.
    const int rows = std::min(m_rows, static_cast<int>(m_scrollagiorni.size()));
    if (rows == 0)
        return MainWindowBase::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        QScrollBar* bar = nullptr;
        if (watched == m_VScroll1) {
            bar = m_VScroll1;
        } else if (watched == m_VScroll2 ||
                   std::find(m_scrollalegami.begin(), m_scrollalegami.end(), watched) !=
                       m_scrollalegami.end() ||
                   std::find(m_scrollagiorni.begin(), m_scrollagiorni.end(), watched) !=
                       m_scrollagiorni.end()) {
            // Over the link rows the wheel scrolls the list; it never changes a link.
            bar = m_VScroll2;
        } else if (watched == m_scrolladata) {
            return true;
        } else if (auto* w = qobject_cast<QWidget*>(watched)) {
            // A row's control, or the window between the rows.
            const QPoint at = w == central() ? wheel->position().toPoint() : w->geometry().center();
            const QRect events = m_num[0]->geometry().united(m_even[rows - 1]->geometry());
            const QRect links = m_numleg[0]->geometry().united(m_categoria[rows - 1]->geometry());
            if (w->parentWidget() == central() || w == central()) {
                if (events.contains(at))
                    bar = m_VScroll1;
                else if (links.contains(at))
                    bar = m_VScroll2;
            }
        }
        if (bar) {
            wheelRows(bar, wheel);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (int r = 1; r <= rows; ++r) {
            if (watched == m_even[r - 1])
                return moveInRows(r, false, key) || tabInRows(r, false, key) ||
                       MainWindowBase::eventFilter(watched, event);
            if (watched == m_leg[r - 1] || watched == m_gior[r - 1] || watched == m_nome[r - 1] ||
                watched == m_importo[r - 1] || watched == m_categoria[r - 1])
                return moveInRows(r, true, key) || tabInRows(r, true, key) ||
                       MainWindowBase::eventFilter(watched, event);
        }
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) {
        // The links shown are those of the event being typed, however its box was reached.
        const auto box = std::find(m_even.begin(), m_even.end(), watched);
        if (box != m_even.end()) {
            const int row = static_cast<int>(box - m_even.begin()) + 1;
            if (row <= rows)
                selectEvent(m_topEvent + row - 1);
            // Typing in a box after coming back to it is a new step of the history.
            if (event->type() == QEvent::FocusIn)
                m_app.newEditSession();
        }
        if (event->type() == QEvent::FocusIn &&
            (std::find(m_nome.begin(), m_nome.end(), watched) != m_nome.end() ||
             std::find(m_categoria.begin(), m_categoria.end(), watched) != m_categoria.end()))
            m_app.newEditSession();
    }
    for (int r = 1; r <= rows; ++r) {
        if (watched == m_num[r - 1]) {
            if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
                num_MouseMove(r);
            else if (event->type() == QEvent::MouseButtonPress)
                num_click(r);
        } else if (watched == m_numleg[r - 1] && event->type() == QEvent::MouseButtonPress) {
            numleg_Click(r);
        }
    }
    if (watched == central() && event->type() == QEvent::MouseMove)
        resetHighlight();
    return MainWindowBase::eventFilter(watched, event);
}

void dati::wheelRows(QScrollBar* bar, QWheelEvent* wheel)
{
    m_wheelRemainder += wheel->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder %= 120;
    if (notches != 0)
        bar->setValue(bar->value() - notches);
}

bool dati::moveInRows(int row, bool links, QKeyEvent* key)
{
    QScrollBar* bar = links ? m_VScroll2 : m_VScroll1;
    auto* box = static_cast<QLineEdit*>(QApplication::focusWidget());
    const auto column = [&](int r) -> QLineEdit* {
        if (!links)
            return m_even[r - 1];
        if (box == m_nome[row - 1])
            return m_nome[r - 1];
        if (box == m_importo[row - 1])
            return m_importo[r - 1];
        if (box == m_categoria[row - 1])
            return m_categoria[r - 1];
        return box == m_gior[row - 1] ? m_gior[r - 1] : m_leg[r - 1];
    };
    int step = 0;
    switch (key->key()) {
    case Qt::Key_Up:
        if (row > 1) {
            column(row - 1)->setFocus(Qt::OtherFocusReason);
            return true;
        }
        step = -1;
        break;
    case Qt::Key_Down:
        if (row < m_rows) {
            column(row + 1)->setFocus(Qt::OtherFocusReason);
            return true;
        }
        step = 1;
        break;
    case Qt::Key_PageUp:
        step = -m_rows;
        break;
    case Qt::Key_PageDown:
        step = m_rows;
        break;
    default:
        return false;
    }
    // A value typed in the box is stored before the rows move under it.
    if (links)
        commitLinkBox(column(row));
    else
        m_app.newEditSession();
    // The focus goes with the rows: a page further is the event (or slot) a page further, also
    // where the list cannot scroll a whole page.
    const int top = bar->value();
    const int target = std::clamp(top + row - 1 + step, 1, kMaxEvents);
    bar->setValue(top + step);
    const int newRow = std::clamp(target - bar->value() + 1, 1, m_rows);
    if (newRow != row)
        column(newRow)->setFocus(Qt::OtherFocusReason);
    return true;
}

bool dati::tabInRows(int row, bool links, QKeyEvent* key)
{
    const bool forward = key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier;
    const bool backward = key->key() == Qt::Key_Backtab;
    const Project& p = m_app.project();
    if (!links) {
        const int e = m_topEvent + row - 1;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // The event's links: the first free slot, or the last one when all are taken.
            if (e >= p.eventCount())
                return true;
            selectEvent(e);
            const int slot = std::min(p.linkCount(e) + 1, kMaxEvents);
            const int top = std::clamp(slot - m_rows + 1, 1, m_VScroll2->maximum());
            if (slot < m_topLinkSlot || slot >= m_topLinkSlot + m_rows)
                m_VScroll2->setValue(top);
            m_leg[slot - m_topLinkSlot]->setFocus(Qt::OtherFocusReason);
            return true;
        }
        // Past the last row only while there is an event to type there: the next free one.
        if (forward && row == m_rows && e < std::min(p.eventCount() + 1, kMaxEvents)) {
            m_app.newEditSession();
            m_VScroll1->setValue(m_VScroll1->value() + 1);
            return true;
        }
        if (backward && row == 1 && m_topEvent > 1) {
            m_app.newEditSession();
            m_VScroll1->setValue(m_VScroll1->value() - 1);
            return true;
        }
        return false;
    }
    QLineEdit* box = static_cast<QLineEdit*>(QApplication::focusWidget());
    const int slot = m_topLinkSlot + row - 1;
    if (key->key() == Qt::Key_Escape) {
        // Back to the description of the event whose links these are.
        commitLinkBox(box);
        const int e = m_selectedEvent;
        if (e < m_topEvent || e >= m_topEvent + m_rows)
            m_VScroll1->setValue(std::clamp(e, 1, m_VScroll1->maximum()));
        m_even[e - m_topEvent]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (forward && box == m_categoria[row - 1] && row == m_rows && !box->isReadOnly() &&
        slot < std::min(p.linkCount(m_selectedEvent) + 1, kMaxEvents)) {
        commitLinkBox(box);
        m_VScroll2->setValue(m_VScroll2->value() + 1);
        m_leg[m_rows - 1]->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (backward && box == m_leg[row - 1] && row == 1 && m_topLinkSlot > 1) {
        commitLinkBox(box);
        m_VScroll2->setValue(m_VScroll2->value() - 1);
        m_categoria[0]->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

int dati::focusedEventRow() const
{
    const QWidget* focused = QApplication::focusWidget();
    for (int r = 1; r <= m_rows; ++r) {
        if (m_even[r - 1] == focused)
            return r;
    }
    return 0;
}

void dati::layoutRows()
{
    if (m_even.empty())
        return;
    const int wanted = std::clamp(kRows + extraRows(kGridRowPitch), kRows, kMaxEvents);
    const bool grew = static_cast<int>(m_even.size()) < wanted;
    while (static_cast<int>(m_even.size()) < wanted)
        addRow();
    if (grew) {
        updateTargetRanges();
        updateTabOrder();
    }
    // Every row as the first one stands across, one pitch below the row above it.
    const auto placeRow = [this](QWidget* w, QWidget* first, int top, bool shown) {
        w->setGeometry(first->x(), designTop(top), first->width(), first->height());
        w->setVisible(shown);
    };
    for (int r = 1; r <= static_cast<int>(m_even.size()); ++r) {
        const bool shown = r <= wanted;
        const int eventTop = 1080 + kGridRowPitch * (r - 1);
        const int linkTop = 2760 + kGridRowPitch * (r - 1);
        placeRow(m_num[r - 1], m_num[0], eventTop, shown);
        placeRow(m_delriga[r - 1], m_delriga[0], eventTop, shown);
        placeRow(m_even[r - 1], m_even[0], eventTop, shown);
        placeRow(m_numleg[r - 1], m_numleg[0], linkTop, shown);
        placeRow(m_cancleg[r - 1], m_cancleg[0], linkTop, shown);
        placeRow(m_scrollalegami[r - 1], m_scrollalegami[0], linkTop, shown);
        placeRow(m_leg[r - 1], m_leg[0], linkTop, shown);
        placeRow(m_gior[r - 1], m_gior[0], linkTop, shown);
        placeRow(m_scrollagiorni[r - 1], m_scrollagiorni[0], linkTop, shown);
        placeRow(m_nome[r - 1], m_nome[0], linkTop, shown);
        placeRow(m_importo[r - 1], m_importo[0], linkTop, shown);
        placeRow(m_categoria[r - 1], m_categoria[0], linkTop, shown);
    }
    const int more = (wanted - kRows) * kGridRowPitch;
    m_VScroll1->resize(m_VScroll1->width(), twipsToPixels(2415 + more, m_VScroll1));
    m_VScroll2->resize(m_VScroll2->width(), twipsToPixels(2415 + more, m_VScroll2));
    if (wanted == m_rows)
        return;
    m_rows = wanted;
    // The last event and the last slot still end the lists.
    const bool was = m_refreshing;
    m_refreshing = true;
    for (QScrollBar* bar : {m_VScroll1, m_VScroll2}) {
        bar->setMaximum(kMaxEvents - m_rows + 1);
        bar->setPageStep(m_rows);
    }
    m_refreshing = was;
    VScroll1_Change();
}

void dati::updateTabOrder()
{
    // Tab runs through the descriptions, the link rows, the date and the buttons in reading
    // order.
    QList<QWidget*> order;
    for (QLineEdit* even : m_even)
        order << even;
    for (std::size_t r = 0; r < m_leg.size(); ++r)
        order << m_leg[r] << m_gior[r] << m_nome[r] << m_importo[r] << m_categoria[r];
    order << m_datiniz << m_calendario;
    for (const char* name : {"aiuto", "guidainlinea", "risult", "esco"}) {
        if (QPushButton* b = button(name))
            order << b;
    }
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void dati::commitLinkBox(QLineEdit* box)
{
    for (int r = 1; r <= m_rows; ++r) {
        if (box == m_leg[r - 1])
            leg_Typed(r);
        else if (box == m_gior[r - 1])
            gior_Typed(r);
        else if (box == m_importo[r - 1])
            importo_Typed(r);
    }
}

} // namespace zant
