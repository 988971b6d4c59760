// The grid of the data window: what the event and link rows show, and what is typed or picked
// in them.

#include "windows/dati.h"

#include "document/edit_commands.h"
#include "model/text_format.h"
#include "windows/window_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QToolButton>
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

} // namespace zant
