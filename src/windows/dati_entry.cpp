// The grid of the data window: the event and link rows, the start date, and what is typed or
// picked in them.

#include "windows/dati.h"

#include "model/text_format.h"
#include "shell/edit_commands.h"
#include "shell/twips.h"
#include "windows/window_style.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWidgetAction>
namespace zant {

namespace {

QString insertRowTip(int number)
{
    return QStringLiteral("cliccare per inserire una riga al n.") + withLeadingBlank(number);
}

QString deleteRowTip(int number)
{
    return QStringLiteral("cliccare per eliminare la riga n.") + withLeadingBlank(number);
}

// Dates typed as 16/03/2026, 16/3/2026 or 16/3/26 (years of two digits fall in 1990..2089, the
// years the start date can take).
QDate parseTypedDate(const QString& typed)
{
    const QString text = typed.trimmed();
    for (const char* format : {"dd/MM/yyyy", "d/M/yyyy"}) {
        const QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid())
            return date;
    }
    for (const char* format : {"dd/MM/yy", "d/M/yy"}) {
        QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid()) {
            const int yy = date.year() % 100;
            return QDate(yy < 90 ? 2000 + yy : 1900 + yy, date.month(), date.day());
        }
    }
    return QDate();
}

// Durations typed with a decimal comma or a decimal point.
std::optional<double> parseTypedDays(const QString& typed)
{
    QString text = typed.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}
} // namespace

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

void dati::resetHighlight()
{
    for (QLabel* num : m_num)
        setBackground(num, kRowNumberColour);
}

void dati::markSelectedRow()
{
    resetHighlight();
    const int row = m_selectedEvent - m_topEvent + 1;
    if (row >= 1 && row <= m_rows)
        setBackground(m_num[row - 1], kHighlightColour);
}

void dati::VScroll1_Change()
{
    m_topEvent = m_VScroll1->value();
    const Project& p = m_app.project();
    for (int r = 1; r <= m_rows; ++r) {
        const int e = m_topEvent + r - 1;
        m_num[r - 1]->setText(QString::number(e));
        m_num[r - 1]->setToolTip(insertRowTip(e));
        m_even[r - 1]->setText(p.description(e));
        // Long descriptions show their beginning.
        m_even[r - 1]->setCursorPosition(0);
        m_even[r - 1]->setAccessibleName(QStringLiteral("descrizione evento %1").arg(e));
        m_delriga[r - 1]->setToolTip(deleteRowTip(e));
    }
    // The box with the focus now holds another event: its links are the ones shown.
    if (const int row = focusedEventRow())
        selectEvent(m_topEvent + row - 1);
    else
        VScroll3_Change();
}

void dati::selectEvent(int event)
{
    setScrollValue(m_VScroll3, std::clamp(event, m_VScroll3->minimum(), m_VScroll3->maximum()));
    VScroll3_Change();
}

void dati::VScroll3_Change()
{
    m_selectedEvent = m_VScroll3->value();
    const Project& p = m_app.project();
    m_Label1->setText(QStringLiteral("Evento n.") + withLeadingBlank(m_selectedEvent));
    // The final event, and any event above it, cannot receive links.
    const bool final = m_selectedEvent >= p.eventCount();
    m_Label2->setText(final ? QStringLiteral("Evento finale senza legami")
                            : p.description(m_selectedEvent));
    for (std::size_t r = 0; r < m_leg.size(); ++r) {
        m_scrollalegami[r]->setEnabled(!final);
        m_scrollagiorni[r]->setEnabled(!final);
        m_leg[r]->setReadOnly(final);
        m_gior[r]->setReadOnly(final);
        m_nome[r]->setReadOnly(final);
        m_importo[r]->setReadOnly(final);
        m_categoria[r]->setReadOnly(final);
    }
    markSelectedRow();
    VScroll2_Change();
}

void dati::VScroll2_Change()
{
    m_topLinkSlot = m_VScroll2->value();
    const Project& p = m_app.project();
    const bool was = m_refreshing;
    m_refreshing = true;
    for (int r = 1; r <= m_rows; ++r) {
        const int s = m_topLinkSlot + r - 1;
        const Link& link = p.link(m_selectedEvent, s);
        m_numleg[r - 1]->setText(QString::number(s));
        // A slot is shown only when it has both its target and its duration.
        const bool shown = !link.isEmpty() && link.days.has_value();
        m_leg[r - 1]->setText(shown ? QString::number(link.target) : QString());
        m_gior[r - 1]->setText(shown ? formatDays(*link.days) : QString());
        m_leg[r - 1]->setModified(false);
        m_gior[r - 1]->setModified(false);
        // An empty slot's bars start at their minimum.
        QScrollBar* targetBar = m_scrollalegami[r - 1];
        QScrollBar* daysBar = m_scrollagiorni[r - 1];
        targetBar->setValue(link.isEmpty() ? targetBar->minimum() : link.target);
        daysBar->setValue(link.days ? static_cast<int>(*link.days) : daysBar->minimum());
        m_leg[r - 1]->setAccessibleName(QStringLiteral("evento legato, legame %1").arg(s));
        m_gior[r - 1]->setAccessibleName(QStringLiteral("giorni, legame %1").arg(s));
        showActivityName(r);
        m_numleg[r - 1]->setToolTip(insertRowTip(s));
        m_cancleg[r - 1]->setToolTip(deleteRowTip(s));
    }
    m_refreshing = was;
}

void dati::num_MouseMove(int row)
{
    selectEvent(m_topEvent + row - 1);
}

void dati::even_Change(int row, const QString& text)
{
    const int e = m_topEvent + row - 1;
    const Project& p = m_app.project();
    if (text.isEmpty())
        return;
    const Result<void> refusal = m_app.edit<SetDescriptionCommand>(e, text, m_app.editSession());
    if (!refusal.ok()) {
        const int n = p.eventCount();
        setScrollValue(m_VScroll1, std::clamp(n == 0 ? 1 : n, 1, 491));
        VScroll1_Change();
        say(refusal.error());
        const int firstFree = n + 1;
        const int freeRow = firstFree - m_topEvent + 1;
        if (freeRow >= 1 && freeRow <= m_rows)
            m_even[freeRow - 1]->setFocus();
        return;
    }
    updateTargetRanges();
    num_MouseMove(row);
    UpdateGuidance();
}

void dati::updateTargetRanges()
{
    // A bar whose value falls beyond the new range moves, and that move must not be taken for a
    // picked target.
    const bool was = m_refreshing;
    m_refreshing = true;
    for (QScrollBar* bar : m_scrollalegami)
        bar->setMaximum(std::max(1, m_app.project().eventCount()));
    m_refreshing = was;
}

void dati::num_click(int row)
{
    if (const Result<void> message = m_app.edit<InsertEventCommand>(m_topEvent + row - 1);
        !message.ok())
        say(message.error());
    updateTargetRanges();
    VScroll1_Change();
    UpdateGuidance();
}

void dati::delriga_Click(int row)
{
    const int e = m_topEvent + row - 1;
    if (m_app.project().description(e).isEmpty())
        return;
    m_app.edit<DeleteEventCommand>(e);
    updateTargetRanges();
    VScroll1_Change();
    UpdateGuidance();
}

void dati::numleg_Click(int row)
{
    if (const Result<void> message = m_app.edit<LinkEditCommand>(
            LinkEditCommand::InsertSlot, m_selectedEvent, m_topLinkSlot + row - 1);
        !message.ok())
        say(message.error());
    VScroll2_Change();
    UpdateGuidance();
}

void dati::cancleg_Click(int row)
{
    const int s = m_topLinkSlot + row - 1;
    if (m_app.project().link(m_selectedEvent, s).isEmpty()) {
        m_gior[row - 1]->clear();
        return;
    }
    m_app.edit<LinkEditCommand>(LinkEditCommand::DeleteSlot, m_selectedEvent, s);
    VScroll2_Change();
    UpdateGuidance();
}

void dati::scrollLinksToLastFilled()
{
    setScrollValue(m_VScroll2, std::clamp(m_app.project().linkCount(m_selectedEvent), 1, 491));
    VScroll2_Change();
}

void dati::scrollalegami_Change(int row)
{
    const int value = m_scrollalegami[row - 1]->value();
    m_leg[row - 1]->setText(QString::number(value));
    const int s = m_topLinkSlot + row - 1;
    if (const Result<void> refusal =
            m_app.edit<LinkEditCommand>(LinkEditCommand::Target, m_selectedEvent, s, value);
        !refusal.ok()) {
        scrollLinksToLastFilled();
        say(refusal.error());
        if (m_app.project().link(m_selectedEvent, m_topLinkSlot + row - 1).isEmpty())
            m_leg[row - 1]->clear();
        return;
    }
    showActivityName(row);
    UpdateGuidance();
}

void dati::scrollagiorni_Change(int row)
{
    storeDays(row, m_scrollagiorni[row - 1]->value());
}

void dati::storeDays(int row, double value)
{
    m_gior[row - 1]->setText(formatDays(value));
    const int s = m_topLinkSlot + row - 1;
    if (const Result<void> refusal =
            m_app.edit<LinkEditCommand>(LinkEditCommand::Days, m_selectedEvent, s, value);
        !refusal.ok()) {
        say(refusal.error());
        m_gior[row - 1]->clear();
        return;
    }
    UpdateGuidance();
}

void dati::showActivityName(int row)
{
    const int s = m_topLinkSlot + row - 1;
    const Project& p = m_app.project();
    const Link& link = p.link(m_selectedEvent, s);
    // The name of its own, or (greyed) the one the activity has without it.
    QLineEdit* nome = m_nome[row - 1];
    if (nome->text() != link.name)
        nome->setText(link.name);
    nome->setPlaceholderText(link.isEmpty() ? QString() : p.description(link.target));
    nome->setAccessibleName(QStringLiteral("descrizione attività, legame %1").arg(s));
    QLineEdit* importo = m_importo[row - 1];
    importo->setText(link.amount == 0 ? QString() : formatEuro(link.amount));
    importo->setModified(false);
    importo->setAccessibleName(QStringLiteral("importo attività, legame %1").arg(s));
    QLineEdit* categoria = m_categoria[row - 1];
    if (categoria->text() != link.category)
        categoria->setText(link.category);
    categoria->setAccessibleName(QStringLiteral("categoria attività, legame %1").arg(s));
}

void dati::importo_Typed(int row)
{
    QLineEdit* box = m_importo[row - 1];
    if (!box->isModified() || box->isReadOnly())
        return;
    box->setModified(false);
    const int s = m_topLinkSlot + row - 1;
    const Link& link = m_app.project().link(m_selectedEvent, s);
    const QString text = box->text().trimmed();
    if (link.isEmpty()) {
        box->clear();
        if (!text.isEmpty())
            setStatus(QStringLiteral("Scegliere prima l'evento legato del legame n.") +
                      withLeadingBlank(s) + QStringLiteral(", poi l'importo dell'attività."));
        return;
    }
    // An emptied box takes the amount away.
    const std::optional<Cents> amount = text.isEmpty() ? Cents{0} : parseEuro(text);
    if (!amount) {
        box->setText(link.amount == 0 ? QString() : formatEuro(link.amount));
        say(critical(QStringLiteral("Importo non valido: digitarlo in euro con la virgola "
                                    "decimale, da 0,00 a %1, ad esempio 1.234,56.")
                         .arg(formatEuro(kMaxAmount))));
        return;
    }
    box->setText(*amount == 0 ? QString() : formatEuro(*amount));
    if (*amount == link.amount)
        return;
    if (const Result<void> refusal =
            m_app.edit<SetActivityAmountCommand>(m_selectedEvent, s, *amount);
        !refusal.ok())
        say(refusal.error());
    UpdateGuidance();
}

void dati::categoria_Change(int row, const QString& text)
{
    const int s = m_topLinkSlot + row - 1;
    if (m_app.project().link(m_selectedEvent, s).isEmpty()) {
        m_categoria[row - 1]->clear();
        setStatus(QStringLiteral("Scegliere prima l'evento legato del legame n.") +
                  withLeadingBlank(s) + QStringLiteral(", poi la categoria dei lavori."));
        return;
    }
    if (const Result<void> refusal =
            m_app.edit<SetActivityCategoryCommand>(m_selectedEvent, s, text, m_app.editSession());
        !refusal.ok())
        say(refusal.error());
}

void dati::nome_Change(int row, const QString& text)
{
    const int s = m_topLinkSlot + row - 1;
    if (m_app.project().link(m_selectedEvent, s).isEmpty()) {
        // A name belongs to a link: the box stays empty until the link has its event.
        m_nome[row - 1]->clear();
        setStatus(QStringLiteral("Scegliere prima l'evento legato del legame n.") +
                  withLeadingBlank(s) + QStringLiteral(", poi la descrizione dell'attività."));
        return;
    }
    if (const Result<void> refusal =
            m_app.edit<SetActivityNameCommand>(m_selectedEvent, s, text, m_app.editSession());
        !refusal.ok())
        say(refusal.error());
}

void dati::leg_Typed(int row)
{
    QLineEdit* box = m_leg[row - 1];
    if (!box->isModified() || box->isReadOnly())
        return;
    box->setModified(false);
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return;
    QScrollBar* bar = m_scrollalegami[row - 1];
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < bar->minimum() || value > bar->maximum()) {
        const Link& link = m_app.project().link(m_selectedEvent, m_topLinkSlot + row - 1);
        box->setText(link.isEmpty() ? QString() : QString::number(link.target));
        say(critical(QStringLiteral("Digitare un numero di evento da 1 a") +
                     withLeadingBlank(bar->maximum()) + QLatin1Char('.')));
        return;
    }
    setScrollValue(bar, value);
    // A typed value is a step of its own, never merged with a drag of the bar.
    m_app.newEditSession();
    scrollalegami_Change(row);
    m_app.newEditSession();
}

void dati::gior_Typed(int row)
{
    QLineEdit* box = m_gior[row - 1];
    if (!box->isModified() || box->isReadOnly())
        return;
    box->setModified(false);
    if (box->text().trimmed().isEmpty())
        return;
    QScrollBar* bar = m_scrollagiorni[row - 1];
    const std::optional<double> value = parseTypedDays(box->text());
    if (!value || *value < bar->minimum() || *value > bar->maximum()) {
        const Link& link = m_app.project().link(m_selectedEvent, m_topLinkSlot + row - 1);
        box->setText(link.days ? formatDays(*link.days) : QString());
        say(critical(QStringLiteral("Digitare un numero di giorni da 0 a 1000.")));
        return;
    }
    setScrollValue(bar, static_cast<int>(*value));
    m_app.newEditSession();
    storeDays(row, *value);
    m_app.newEditSession();
}

void dati::scrolladata_Change()
{
    const QString text = formatDate(dateScrollOrigin().addDays(m_scrolladata->value()));
    m_datiniz->setText(text);
    m_datiniz->setModified(false);
    m_app.edit<SetStartDateCommand>(text);
    UpdateGuidance();
}

void dati::datiniz_Typed()
{
    if (!m_datiniz->isModified())
        return;
    m_datiniz->setModified(false);
    if (m_datiniz->text().trimmed().isEmpty()) {
        m_datiniz->setText(m_app.project().startDateText());
        return;
    }
    const QDate date = parseTypedDate(m_datiniz->text());
    if (!date.isValid()) {
        m_datiniz->setText(m_app.project().startDateText());
        say(critical(QStringLiteral("Data non valida: digitarla come giorno/mese/anno, ad "
                                    "esempio 16/03/2026.")));
        return;
    }
    storeStartDate(date);
}

bool dati::storeStartDate(const QDate& date)
{
    const qint64 days = dateScrollOrigin().daysTo(date);
    if (days < m_scrolladata->minimum() || days > m_scrolladata->maximum()) {
        m_datiniz->setText(m_app.project().startDateText());
        say(critical(QStringLiteral("La data d'inizio va scelta dal %1 al %2.")
                         .arg(formatDate(dateScrollOrigin().addDays(m_scrolladata->minimum())),
                              formatDate(dateScrollOrigin().addDays(m_scrolladata->maximum())))));
        return false;
    }
    // Moving the bar stores the date, as a drag of the bar does; a typed or picked date is a
    // step of its own.
    m_app.newEditSession();
    if (m_scrolladata->value() != days)
        m_scrolladata->setValue(static_cast<int>(days));
    else
        scrolladata_Change();
    m_app.newEditSession();
    return true;
}

void dati::pickDate()
{
    QMenu popup(this);
    auto* calendar = new QCalendarWidget(&popup);
    calendar->setObjectName(QStringLiteral("calendarioData"));
    calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->setGridVisible(true);
    calendar->setDateRange(dateScrollOrigin().addDays(m_scrolladata->minimum()),
                           dateScrollOrigin().addDays(m_scrolladata->maximum()));
    const QDate shown = parseDate(m_app.project().startDateText());
    calendar->setSelectedDate(shown.isValid() ? shown : m_app.today());
    auto* holder = new QWidgetAction(&popup);
    holder->setDefaultWidget(calendar);
    popup.addAction(holder);
    QDate picked;
    connect(calendar, &QCalendarWidget::activated, &popup, [&](const QDate& date) {
        picked = date;
        popup.close();
    });
    connect(calendar, &QCalendarWidget::clicked, &popup, [&](const QDate& date) {
        picked = date;
        popup.close();
    });
    popup.exec(m_calendario->mapToGlobal(QPoint(m_calendario->width(), m_calendario->height())) -
               QPoint(calendar->sizeHint().width(), 0));
    if (picked.isValid())
        storeStartDate(picked);
}

} // namespace zant
