#pragma once

#include "model/message.h"
#include "model/money.h"
#include "model/work_calendar.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace zant {

inline constexpr int kMaxEvents = 500;
inline constexpr int kMaxLinks = 500;
inline const QString kInitialStartDate = QStringLiteral("01/01/1990");

inline constexpr int kMaxActivityNameLength = 120;
inline constexpr int kMaxCategoryLength = 120;

// One link slot: the event it leads to, the duration of the activity in days, the name the
// activity may have of its own, its amount and its category of work.
struct Link
{
    Link() = default;
    Link(int target, std::optional<double> days, QString name = {})
        : target(target), days(days), name(std::move(name))
    {
    }

    int target = 0;             // 0 marks an empty slot
    std::optional<double> days; // not given yet
    QString name;               // empty: the activity is known by the event it leads to
    Cents amount = 0;           // importo, 0..kMaxAmount
    QString category;           // categoria dei lavori, free text ("OG1 - Edifici civili")

    bool isEmpty() const { return target == 0; }
    friend bool operator==(const Link&, const Link&) = default;
};

struct Event
{
    QString description;     // empty marks a free row
    std::vector<Link> links; // slots 1..linkCount, all with a target

    int linkCount() const { return static_cast<int>(links.size()); }
    friend bool operator==(const Event&, const Event&) = default;
};

class Project;

// One activity of the network: slot `slot` of event `from`, leading to event `to`.
struct Activity
{
    int from = 0;
    int slot = 0;
    int to = 0;
    const Link* link = nullptr;

    double days() const { return link->days.value_or(0.0); }
    const QString& name() const { return link->name; }
    Cents amount() const { return link->amount; }
    const QString& category() const { return link->category; }
    // A pure precedence: no duration, no name and no amount of its own. Drawn dashed, left out
    // of the Gantt chart and written to other programs as a link rather than a task.
    bool isDummy() const { return days() == 0 && link->name.isEmpty() && link->amount == 0; }
};

// The activities of a project, the one rule every layer reads them by: the links of events
// 1..n-1 that lead to an event of the network, in the order of events and slots. The links a
// final event may hold (the window and old files allow them) are not activities: the final
// event ends the network.
class ActivityRange final
{
public:
    class iterator
    {
    public:
        using value_type = Activity;
        using difference_type = std::ptrdiff_t;

        Activity operator*() const;
        iterator& operator++()
        {
            ++m_slot;
            settle();
            return *this;
        }
        iterator operator++(int)
        {
            iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const iterator& other) const
        {
            return m_event == other.m_event && m_slot == other.m_slot;
        }

    private:
        friend class ActivityRange;
        iterator(const Project* project, int event, int slot, int lastEvent, int n);
        // Moves forward to the first activity at or after the current slot.
        void settle();

        const Project* m_project = nullptr;
        int m_event = 0;
        int m_slot = 0; // 0-based index into the event's links
        int m_lastEvent = 0;
        int m_n = 0;
    };

    iterator begin() const { return {m_project, m_first, 0, m_last, m_n}; }
    iterator end() const { return {m_project, m_last + 1, 0, m_last, m_n}; }
    bool empty() const { return begin() == end(); }
    int size() const;

private:
    friend class Project;
    ActivityRange(const Project* project, int first, int last, int n)
        : m_project(project), m_first(first), m_last(std::max(last, first - 1)), m_n(n)
    {
    }

    const Project* m_project;
    int m_first;
    int m_last;
    int m_n;
};

// The network being planned: the start date and events 1..500 with their link slots 1..500.
// Events 1..eventCount have a description; event eventCount is the final event. Slots
// 1..linkCount of every event hold a target, so an event's links are always contiguous.
class Project final
{
public:
    Project();

    const QString& startDateText() const { return m_startDateText; }
    void setStartDateText(const QString& text) { m_startDateText = text; }

    int eventCount() const { return m_eventCount; }

    // Events and slots are numbered from 1; numbers out of range read as empty.
    const QString& description(int event) const;
    int linkCount(int event) const;
    const Link& link(int event, int slot) const;
    const Event& event(int event) const;

    // Every activity of the network, or those that leave one event (none for the final event).
    ActivityRange activities() const;
    ActivityRange activities(int event) const;
    // Whether slot `slot` of event `from` is an activity of the network.
    bool isActivity(int from, int slot) const;
    // What an activity is called: its own name, or the description of the event it leads to.
    const QString& activityName(int from, int slot) const;
    // Whether an activity is a dummy: 0 days and no name of its own (see Activity::isDummy).
    bool isDummy(int from, int slot) const;
    // How many activities are dummies.
    int dummyCount() const;

    // Clear: no start date, no events, no links.
    void clear();

    // Stores the description typed for an event. An empty text changes nothing; a row beyond the
    // first free event is refused.
    Result<void> setDescription(int event, const QString& text);

    // eventCount = number of events 1..500 that have a description.
    void RecountEvents();

    // Inserts the event "*" (without links) before event k, renumbering every target >= k.
    Result<void> insertEvent(int k);

    // Removes event k (1..eventCount): later events move up, links to k are removed and targets
    // above k renumbered.
    void deleteEvent(int k);

    // Picks the target of a slot; the slot before it must be filled.
    Result<void> setLinkTarget(int event, int slot, int target);

    // Names the activity of a filled slot (an empty text takes the name away). Names longer
    // than 120 characters are refused.
    Result<void> setLinkName(int event, int slot, const QString& name);

    // The amount of the activity of a filled slot, in cents (0..kMaxAmount).
    Result<void> setLinkAmount(int event, int slot, Cents amount);
    // The category of work of a filled slot (an empty text takes it away); at most 120
    // characters.
    Result<void> setLinkCategory(int event, int slot, const QString& category);
    Cents activityAmount(int from, int slot) const;
    const QString& activityCategory(int from, int slot) const;
    // The sum of the amounts of every activity.
    Cents totalAmount() const;

    // Gives the duration of a slot, which must have a target.
    Result<void> setLinkDays(int event, int slot, double days);

    // Inserts a copy of slot p before it (slots p..linkCount move down by one). At an empty
    // position nothing changes.
    Result<void> insertLinkSlot(int event, int slot);

    // Removes a filled slot, moving the later ones up. An empty slot is left as it is.
    void deleteLinkSlot(int event, int slot);

    // Used by the file reader, which builds a project from what it read.
    void setEventCount(int count);
    void setEvent(int event, Event contents);

    // Records of a file's extended section that this version does not know: written back as
    // they were, so that a newer program's data survive a save here.
    const QStringList& keptRecords() const { return m_keptRecords; }
    void setKeptRecords(QStringList records) { m_keptRecords = std::move(records); }

    // What a day of the durations is, and so how times become dates. Clear keeps it.
    const ProjectCalendar& calendar() const { return m_calendar; }
    void setCalendar(ProjectCalendar calendar) { m_calendar = std::move(calendar); }

    friend bool operator==(const Project&, const Project&) = default;

private:
    bool isValidEvent(int event) const { return event >= 1 && event <= kMaxEvents; }
    int firstFreeEvent() const;

    QString m_startDateText;
    int m_eventCount = 0;
    std::vector<Event> m_events; // index 0 unused
    QStringList m_keptRecords;
    ProjectCalendar m_calendar;
};

} // namespace zant
