#include "document/edit_commands.h"

#include "document/project_document.h"

namespace zant {

EditCommand::EditCommand(ProjectDocument& document, const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent), m_document(document)
{
}

Project& EditCommand::project()
{
    return m_document.editableProject();
}

TitlePage& EditCommand::titlePage()
{
    return m_document.editableTitlePage();
}

Result<void> EditCommand::applyBeforePush()
{
    Result<void> refusal = apply();
    m_applied = refusal.ok();
    return refusal;
}

void EditCommand::redo()
{
    // The first redo comes from the push, right after applyBeforePush.
    if (m_applied) {
        m_applied = false;
        return;
    }
    apply();
    announce();
}

void EditCommand::undo()
{
    revert();
    announce();
}

void EditCommand::announce()
{
    emit m_document.projectRestored();
}

// ---------------------------------------------------------------------------------------------

SetDescriptionCommand::SetDescriptionCommand(ProjectDocument& document, int event,
                                             const QString& text, int session)
    : EditCommand(document, QStringLiteral("descrizione evento %1").arg(event)), m_event(event),
      m_text(text), m_session(session)
{
}

Result<void> SetDescriptionCommand::apply()
{
    m_before = project().description(m_event);
    return project().setDescription(m_event, m_text);
}

bool SetDescriptionCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const SetDescriptionCommand*>(other);
    if (next->m_event != m_event || next->m_session != m_session)
        return false;
    m_text = next->m_text;
    setObsolete(m_text == m_before);
    return true;
}

void SetDescriptionCommand::revert()
{
    // setDescription ignores an empty text, and the text before may be empty (a new event).
    Event event = project().event(m_event);
    event.description = m_before;
    project().setEvent(m_event, std::move(event));
    project().RecountEvents();
}

// ---------------------------------------------------------------------------------------------

SetActivityTextCommand::SetActivityTextCommand(ProjectDocument& document, const QString& what,
                                               int event, int slot, const QString& text,
                                               int session)
    : EditCommand(
          document,
          QStringLiteral("%1 attività, legame %2 dell'evento %3").arg(what).arg(slot).arg(event)),
      m_event(event), m_slot(slot), m_text(text), m_session(session)
{
}

Result<void> SetActivityTextCommand::apply()
{
    m_before = stored();
    return store(m_text);
}

bool SetActivityTextCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const SetActivityTextCommand*>(other);
    if (next->m_event != m_event || next->m_slot != m_slot || next->m_session != m_session)
        return false;
    m_text = next->m_text;
    setObsolete(m_text == m_before);
    return true;
}

void SetActivityTextCommand::revert()
{
    store(m_before);
}

SetActivityNameCommand::SetActivityNameCommand(ProjectDocument& document, int event, int slot,
                                               const QString& text, int session)
    : SetActivityTextCommand(document, QStringLiteral("descrizione"), event, slot, text, session)
{
}

QString SetActivityNameCommand::stored()
{
    return project().link(m_event, m_slot).name;
}

Result<void> SetActivityNameCommand::store(const QString& text)
{
    return project().setLinkName(m_event, m_slot, text);
}

// ---------------------------------------------------------------------------------------------

SetActivityAmountCommand::SetActivityAmountCommand(ProjectDocument& document, int event, int slot,
                                                   Cents amount)
    : EditCommand(
          document,
          QStringLiteral("importo attività, legame %1 dell'evento %2").arg(slot).arg(event)),
      m_event(event), m_slot(slot), m_amount(amount)
{
}

Result<void> SetActivityAmountCommand::apply()
{
    m_before = project().link(m_event, m_slot).amount;
    return project().setLinkAmount(m_event, m_slot, m_amount);
}

void SetActivityAmountCommand::revert()
{
    project().setLinkAmount(m_event, m_slot, m_before);
}

// ---------------------------------------------------------------------------------------------

SetActivityCategoryCommand::SetActivityCategoryCommand(ProjectDocument& document, int event,
                                                       int slot, const QString& text, int session)
    : SetActivityTextCommand(document, QStringLiteral("categoria"), event, slot, text, session)
{
}

QString SetActivityCategoryCommand::stored()
{
    return project().link(m_event, m_slot).category;
}

Result<void> SetActivityCategoryCommand::store(const QString& text)
{
    return project().setLinkCategory(m_event, m_slot, text);
}

// ---------------------------------------------------------------------------------------------

InsertEventCommand::InsertEventCommand(ProjectDocument& document, int k)
    : EditCommand(document, QStringLiteral("inserimento evento %1").arg(k)), m_k(k)
{
}

Result<void> InsertEventCommand::apply()
{
    return project().insertEvent(m_k);
}

void InsertEventCommand::revert()
{
    // The inserted event has no links and no link leads to it: deleting it renumbers the
    // targets back.
    project().deleteEvent(m_k);
}

// ---------------------------------------------------------------------------------------------

DeleteEventCommand::DeleteEventCommand(ProjectDocument& document, int k)
    : EditCommand(document, QStringLiteral("eliminazione evento %1").arg(k)), m_k(k)
{
}

Result<void> DeleteEventCommand::apply()
{
    Project& p = project();
    m_event = p.event(m_k);
    m_removed.clear();
    for (int e = 1; e <= kMaxEvents; ++e) {
        if (e == m_k)
            continue;
        for (int s = 1; s <= p.linkCount(e); ++s) {
            if (p.link(e, s).target == m_k)
                m_removed.push_back({e, s, p.link(e, s)});
        }
    }
    p.deleteEvent(m_k);
    return {};
}

void DeleteEventCommand::revert()
{
    Project& p = project();
    // Inserting at k renumbers the targets above k back; then the event and the links that led
    // to it return to their places, in slot order so that each lands where it was.
    p.insertEvent(m_k);
    p.setEvent(m_k, m_event);
    for (const RemovedLink& r : m_removed) {
        Event event = p.event(r.event);
        event.links.insert(event.links.begin() + (r.slot - 1), r.link);
        p.setEvent(r.event, std::move(event));
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

QString linkEditText(LinkEditCommand::Kind kind, int event, int slot)
{
    static const char* const names[] = {"legame", "tempi", "inserimento legame",
                                        "eliminazione legame"};
    return QStringLiteral("%1 %2 dell'evento %3")
        .arg(QString::fromLatin1(names[kind]))
        .arg(slot)
        .arg(event);
}

} // namespace

LinkEditCommand::LinkEditCommand(ProjectDocument& document, Kind kind, int event, int slot,
                                 double value)
    : EditCommand(document, linkEditText(kind, event, slot)), m_kind(kind), m_event(event),
      m_slot(slot), m_value(value), m_session(document.editSession())
{
}

Result<void> LinkEditCommand::apply()
{
    Project& p = project();
    m_before = p.event(m_event);
    switch (m_kind) {
    case Target:
        return p.setLinkTarget(m_event, m_slot, static_cast<int>(m_value));
    case Days:
        return p.setLinkDays(m_event, m_slot, m_value);
    case InsertSlot:
        return p.insertLinkSlot(m_event, m_slot);
    case DeleteSlot:
        p.deleteLinkSlot(m_event, m_slot);
        return {};
    }
    return {};
}

bool LinkEditCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const LinkEditCommand*>(other);
    if ((m_kind != Target && m_kind != Days) || next->m_kind != m_kind ||
        next->m_event != m_event || next->m_slot != m_slot || next->m_session != m_session)
        return false;
    m_value = next->m_value;
    setObsolete(project().event(m_event) == m_before);
    return true;
}

void LinkEditCommand::revert()
{
    project().setEvent(m_event, m_before);
}

// ---------------------------------------------------------------------------------------------

SetStartDateCommand::SetStartDateCommand(ProjectDocument& document, const QString& text)
    : EditCommand(document, QStringLiteral("data d'inizio")), m_text(text),
      m_session(document.editSession())
{
}

Result<void> SetStartDateCommand::apply()
{
    m_before = project().startDateText();
    project().setStartDateText(m_text);
    return {};
}

bool SetStartDateCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const SetStartDateCommand*>(other);
    if (next->m_session != m_session)
        return false;
    m_text = next->m_text;
    setObsolete(m_text == m_before);
    return true;
}

void SetStartDateCommand::revert()
{
    project().setStartDateText(m_before);
}

// ---------------------------------------------------------------------------------------------

SetCalendarCommand::SetCalendarCommand(ProjectDocument& document, ProjectCalendar calendar)
    : EditCommand(document, QStringLiteral("calendario del progetto")),
      m_calendar(std::move(calendar))
{
}

Result<void> SetCalendarCommand::apply()
{
    if (Result<void> refused = checkCalendar(m_calendar); !refused.ok())
        return refused;
    m_before = project().calendar();
    project().setCalendar(m_calendar);
    return {};
}

void SetCalendarCommand::revert()
{
    project().setCalendar(m_before);
}

// ---------------------------------------------------------------------------------------------

ReplaceProjectCommand::ReplaceProjectCommand(ProjectDocument& document, const QString& text,
                                             Project project, TitlePage titlePage)
    : EditCommand(document, text), m_project(std::move(project)), m_titlePage(std::move(titlePage))
{
}

Result<void> ReplaceProjectCommand::apply()
{
    m_beforeProject = project();
    m_beforeTitlePage = titlePage();
    project() = m_project;
    titlePage() = m_titlePage;
    return {};
}

void ReplaceProjectCommand::revert()
{
    project() = m_beforeProject;
    titlePage() = m_beforeTitlePage;
}

void ReplaceProjectCommand::announce()
{
    emit m_document.projectRestored();
    emit m_document.titlePageChanged();
}

// ---------------------------------------------------------------------------------------------

SetTitleFieldCommand::SetTitleFieldCommand(ProjectDocument& document, TitlePage::Field field,
                                           const QString& text, int session)
    : EditCommand(document, TitlePage::fieldName(field)), m_field(field), m_text(text),
      m_session(session)
{
}

Result<void> SetTitleFieldCommand::apply()
{
    m_before = titlePage()[m_field];
    titlePage()[m_field] = m_text;
    return {};
}

bool SetTitleFieldCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const SetTitleFieldCommand*>(other);
    if (next->m_field != m_field || next->m_session != m_session)
        return false;
    m_text = next->m_text;
    setObsolete(m_text == m_before);
    return true;
}

void SetTitleFieldCommand::revert()
{
    titlePage()[m_field] = m_before;
}

void SetTitleFieldCommand::announce()
{
    emit m_document.titlePageChanged();
}

// ---------------------------------------------------------------------------------------------

ReplaceTitlePageCommand::ReplaceTitlePageCommand(ProjectDocument& document, const QString& text,
                                                 TitlePage titlePage)
    : EditCommand(document, text), m_titlePage(std::move(titlePage))
{
}

Result<void> ReplaceTitlePageCommand::apply()
{
    m_before = titlePage();
    titlePage() = m_titlePage;
    return {};
}

void ReplaceTitlePageCommand::revert()
{
    titlePage() = m_before;
}

void ReplaceTitlePageCommand::announce()
{
    emit m_document.titlePageChanged();
}

// ---------------------------------------------------------------------------------------------

CompoundEditCommand::CompoundEditCommand(ProjectDocument& document, const QString& text)
    : EditCommand(document, text)
{
}

void CompoundEditCommand::add(std::unique_ptr<EditCommand> part)
{
    m_parts.push_back(std::move(part));
}

Result<void> CompoundEditCommand::apply()
{
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (Result<void> refusal = m_parts[i]->apply(); !refusal.ok()) {
            for (std::size_t j = i; j-- > 0;)
                m_parts[j]->revert();
            return refusal;
        }
    }
    return {};
}

void CompoundEditCommand::revert()
{
    for (auto it = m_parts.rbegin(); it != m_parts.rend(); ++it)
        (*it)->revert();
}

void CompoundEditCommand::announce()
{
    emit m_document.projectRestored();
    emit m_document.titlePageChanged();
}

} // namespace zant
