#pragma once

#include "model/message.h"
#include "model/money.h"
#include "model/project.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace zant {

// A task of a task-on-node schedule (the form of Microsoft Project and its peers).
struct NetworkTask
{
    QString name;
    double days = 0;
    // A zero-duration milestone is a moment, not an activity: it becomes an event. Any other
    // task, even of zero days, becomes an activity.
    bool milestone = false;
    // A summary task groups the tasks whose `parent` it is: it gets a start and a finish event of
    // its own, joined by zero-day links to its children's, and is no activity itself.
    bool summary = false;
    int parent = -1;  // index of the summary task that holds this one, -1 at the top
    Cents amount = 0; // what the task costs, given to its activity
    // How messages name the task ("ID 12 (UID 15) «Scavi»"); «name» when empty.
    QString reference;
};

// The four precedences of a task network, as Microsoft Project numbers them in its files.
enum class TaskLinkType
{
    FinishToFinish = 0,
    FinishToStart = 1,
    StartToFinish = 2,
    StartToStart = 3
};

// "Italian name of the link type": "fine-inizio", "inizio-inizio", ...
QString linkTypeName(TaskLinkType type);

// Task `successor` follows task `predecessor` by one of the four precedences, `lagDays` after it
// (indexes into the task list). A negative lag is a lead.
struct NetworkTaskLink
{
    int predecessor = 0;
    int successor = 0;
    double lagDays = 0;
    TaskLinkType type = TaskLinkType::FinishToStart;
};

// The event network that represents a task network, and where every task ended up.
struct EventNetwork
{
    Project project;                 // events 1..n with descriptions and links; no start date
    std::vector<int> taskStartEvent; // by task index
    std::vector<int> taskEndEvent;
    int dummyCount = 0;       // zero-day links without a name, kept only as precedences
    int lagActivityCount = 0; // the named activities that stand for lags ("Ritardo 3 g dopo …")
    // Leads that other links already imply, left out: one line each, naming the tasks.
    QStringList droppedLeads;
    // Links represented less strictly than the file states them: one line each.
    QStringList approximated;
    // Names of activities cut to the length an activity name may have.
    int namesShortened = 0;
};

// The event network of a task network, or every reason why there is none (each a line that
// names its tasks).
struct EventNetworkResult
{
    std::optional<EventNetwork> network;
    QStringList problems;
};

// The most tasks 500 events can hold: a milestone at every event and an activity between every
// two of them, as the program exports its largest plans. More are refused before the network is
// built.
inline constexpr int kMaxNetworkTasks = kMaxEvents + kMaxEvents * (kMaxEvents - 1) / 2;

// Turns tasks with typed precedences into events joined by activities. With s(t) and f(t) the
// start and finish events of task t, a finish-to-start link with lag L runs f(a) → s(b),
// start-to-start s(a) → s(b), finish-to-finish f(a) → f(b), start-to-finish s(a) → f(b); a
// positive lag becomes an activity of its own ("Ritardo 3 g dopo «Scavi»"), a zero lag a
// zero-day link. A lead L on a finish-to-start link runs s(a) → s(b) with d(a) − L when that is
// not negative; any other lead is dropped when the other links already imply it, and refused
// otherwise. Every task that lasts becomes one activity from s(t) to f(t), named as the task;
// a milestone becomes an event. Events are merged wherever that changes no task's start and no
// finish that a link drives, and zero-day links are added only where they are needed. The
// result has one start event (1) and one final event (n), every link runs to a higher number,
// events are numbered in the order of the tasks, the earliest time of s(t) is the task's early
// start and the task's early finish is the earliest time of s(t) plus its duration, or the
// earliest time of f(t) when finish-to-finish or start-to-finish links reach it. Refused, with
// every problem found: a cycle, a lead that cannot be represented, more than 500 events (or
// more activities than 500 events can hold), more than 500 links from one event, more tasks
// than kMaxNetworkTasks.
EventNetworkResult buildEventNetwork(const std::vector<NetworkTask>& tasks,
                                     const std::vector<NetworkTaskLink>& links);

// A one-line description: line breaks and control characters become blanks, runs of blanks one;
// every other character is kept.
QString storableDescription(const QString& text);

// The part of a task's name that describes its event or activity: the program's own export calls
// milestones "Evento N: ..." and, before activities had names, tasks "i → k: ...".
QString withoutEventNumber(const QString& name);

// A task's name as an activity's name: one line, cut where a word ends (and marked "…") when it
// is longer than an activity name may be.
QString activityNameFrom(const QString& text);

} // namespace zant
