#include "model/project.h"

#include "model/text_format.h"

#include <algorithm>

namespace zant {

namespace {

const Event& emptyEvent()
{
    static const Event event;
    return event;
}

const Link& emptyLink()
{
    static const Link link;
    return link;
}

QString typeEventFirst(int firstFree)
{
    return QStringLiteral("Digitare prima l'evento n.") + withLeadingBlank(firstFree);
}

} // namespace

Project::Project() : m_startDateText(kInitialStartDate), m_events(kMaxEvents + 1) {}

const Event& Project::event(int event) const
{
    return isValidEvent(event) ? m_events[event] : emptyEvent();
}

const QString& Project::description(int e) const
{
    return event(e).description;
}

int Project::linkCount(int e) const
{
    return event(e).linkCount();
}

const Link& Project::link(int e, int slot) const
{
    const Event& ev = event(e);
    return slot >= 1 && slot <= ev.linkCount() ? ev.links[slot - 1] : emptyLink();
}

ActivityRange Project::activities() const
{
    return ActivityRange(this, 1, m_eventCount - 1, m_eventCount);
}

ActivityRange Project::activities(int e) const
{
    if (e < 1 || e >= m_eventCount)
        return ActivityRange(this, 1, 0, m_eventCount);
    return ActivityRange(this, e, e, m_eventCount);
}

bool Project::isActivity(int from, int slot) const
{
    if (from < 1 || from >= m_eventCount || slot < 1 || slot > linkCount(from))
        return false;
    const int to = m_events[from].links[slot - 1].target;
    return to >= 1 && to <= m_eventCount;
}

const QString& Project::activityName(int from, int slot) const
{
    const Link& l = link(from, slot);
    return l.name.isEmpty() ? description(l.target) : l.name;
}

bool Project::isDummy(int from, int slot) const
{
    if (!isActivity(from, slot))
        return false;
    const Link& l = link(from, slot);
    return l.days.value_or(0.0) == 0 && l.name.isEmpty() && l.amount == 0;
}

Cents Project::activityAmount(int from, int slot) const
{
    return link(from, slot).amount;
}

const QString& Project::activityCategory(int from, int slot) const
{
    return link(from, slot).category;
}

Cents Project::totalAmount() const
{
    Cents total = 0;
    for (const Activity a : activities())
        total += a.amount();
    return total;
}

int Project::dummyCount() const
{
    int count = 0;
    for (const Activity a : activities())
        count += a.isDummy() ? 1 : 0;
    return count;
}

ActivityRange::iterator::iterator(const Project* project, int event, int slot, int lastEvent, int n)
    : m_project(project), m_event(event), m_slot(slot), m_lastEvent(lastEvent), m_n(n)
{
    settle();
}

void ActivityRange::iterator::settle()
{
    while (m_event <= m_lastEvent) {
        const auto& links = m_project->event(m_event).links;
        while (m_slot < static_cast<int>(links.size())) {
            const int to = links[m_slot].target;
            if (to >= 1 && to <= m_n)
                return;
            ++m_slot;
        }
        ++m_event;
        m_slot = 0;
    }
    m_slot = 0;
}

Activity ActivityRange::iterator::operator*() const
{
    const Link& link = m_project->event(m_event).links[m_slot];
    return {m_event, m_slot + 1, link.target, &link};
}

int ActivityRange::size() const
{
    int count = 0;
    for (auto it = begin(); it != end(); ++it)
        ++count;
    return count;
}

void Project::clear()
{
    m_startDateText.clear();
    for (Event& ev : m_events)
        ev = Event{};
    m_eventCount = 0;
}

int Project::firstFreeEvent() const
{
    for (int e = 1; e <= kMaxEvents; ++e) {
        if (m_events[e].description.isEmpty())
            return e;
    }
    return kMaxEvents + 1;
}

Result<void> Project::setDescription(int e, const QString& text)
{
    if (text.isEmpty() || !isValidEvent(e))
        return {};
    if (e > 1 && m_events[e - 1].description.isEmpty())
        return Error(ErrorKind::Refused, critical(typeEventFirst(firstFreeEvent())));
    m_events[e].description = text;
    RecountEvents();
    return {};
}

void Project::RecountEvents()
{
    m_eventCount =
        static_cast<int>(std::count_if(m_events.begin() + 1, m_events.end(),
                                       [](const Event& ev) { return !ev.description.isEmpty(); }));
}

Result<void> Project::insertEvent(int k)
{
    if (m_eventCount >= kMaxEvents)
        return Error(ErrorKind::Refused,
                     information(QStringLiteral(
                         "Siamo già a 500 eventi: non è possibile aggiungerne degli altri.")));
    if (k < 1)
        return {};
    if (k > m_eventCount + 1)
        return Error(ErrorKind::Refused, critical(typeEventFirst(m_eventCount + 1)));

    for (int e = 1; e <= m_eventCount; ++e) {
        for (Link& l : m_events[e].links) {
            if (l.target >= k)
                ++l.target;
        }
    }
    // The last slot holds an empty event (eventCount < 500), so rotating it to k shifts the
    // events k..n down by one and leaves an empty event at k.
    std::rotate(m_events.begin() + k, m_events.begin() + m_eventCount + 1,
                m_events.begin() + m_eventCount + 2);
    m_events[k] = Event{QStringLiteral("*"), {}};
    ++m_eventCount;
    return {};
}

void Project::deleteEvent(int k)
{
    if (k < 1 || k > m_eventCount)
        return;
    m_events.erase(m_events.begin() + k);
    m_events.emplace_back();
    --m_eventCount;
    for (int e = 1; e <= kMaxEvents; ++e) {
        auto& links = m_events[e].links;
        std::erase_if(links, [k](const Link& l) { return l.target == k; });
        for (Link& l : links) {
            if (l.target > k)
                --l.target;
        }
    }
}

Result<void> Project::setLinkTarget(int e, int slot, int target)
{
    if (!isValidEvent(e) || slot < 1 || slot > kMaxLinks || target < 1 || target > kMaxEvents)
        return {};
    auto& links = m_events[e].links;
    const int count = static_cast<int>(links.size());
    if (slot > count + 1)
        return Error(ErrorKind::Refused, critical(QStringLiteral("Scegliere prima il legame n.") +
                                                  withLeadingBlank(count + 1)));
    if (slot == count + 1)
        links.push_back(Link{target, std::nullopt});
    else
        links[slot - 1].target = target;
    return {};
}

Result<void> Project::setLinkName(int e, int slot, const QString& name)
{
    if (!isValidEvent(e) || slot < 1 || slot > linkCount(e))
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral(
                         "Scegliere prima il legame a cui dare il nome dell'attività.")));
    if (name.size() > kMaxActivityNameLength)
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("Il nome dell'attività non può superare %1 caratteri.")
                                  .arg(kMaxActivityNameLength)));
    m_events[e].links[slot - 1].name = name;
    return {};
}

Result<void> Project::setLinkAmount(int e, int slot, Cents amount)
{
    if (!isValidEvent(e) || slot < 1 || slot > linkCount(e))
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral(
                         "Scegliere prima il legame a cui dare l'importo dell'attività.")));
    if (amount < 0 || amount > kMaxAmount)
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("L'importo dell'attività va da 0,00 a %1 €.")
                                  .arg(formatEuro(kMaxAmount))));
    m_events[e].links[slot - 1].amount = amount;
    return {};
}

Result<void> Project::setLinkCategory(int e, int slot, const QString& category)
{
    if (!isValidEvent(e) || slot < 1 || slot > linkCount(e))
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral(
                         "Scegliere prima il legame a cui dare la categoria dei lavori.")));
    if (category.size() > kMaxCategoryLength)
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("La categoria dei lavori non può superare %1 caratteri.")
                         .arg(kMaxCategoryLength)));
    m_events[e].links[slot - 1].category = category;
    return {};
}

Result<void> Project::setLinkDays(int e, int slot, double days)
{
    if (!isValidEvent(e) || slot < 1 || slot > linkCount(e))
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("Scegliere prima il legame a cui corrispondono i tempi.")));
    m_events[e].links[slot - 1].days = std::max(0.0, days);
    return {};
}

Result<void> Project::insertLinkSlot(int e, int slot)
{
    if (!isValidEvent(e))
        return {};
    auto& links = m_events[e].links;
    if (links.size() >= static_cast<std::size_t>(kMaxLinks))
        return Error(ErrorKind::Refused,
                     information(QStringLiteral(
                         "Siamo già a 500 legami: non è possibile aggiungerne degli altri.")));
    if (slot < 1 || slot > static_cast<int>(links.size()))
        return {};
    const Link copy = links[slot - 1];
    links.insert(links.begin() + (slot - 1), copy);
    return {};
}

void Project::deleteLinkSlot(int e, int slot)
{
    if (!isValidEvent(e) || slot < 1 || slot > linkCount(e))
        return;
    auto& links = m_events[e].links;
    links.erase(links.begin() + (slot - 1));
}

void Project::setEventCount(int count)
{
    m_eventCount = std::clamp(count, 0, kMaxEvents);
}

void Project::setEvent(int e, Event contents)
{
    if (!isValidEvent(e))
        return;
    if (contents.links.size() > static_cast<std::size_t>(kMaxLinks))
        contents.links.resize(kMaxLinks);
    m_events[e] = std::move(contents);
}

} // namespace zant
