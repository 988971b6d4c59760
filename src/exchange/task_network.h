#pragma once

#include "model/message.h"
#include "model/project.h"

#include <QString>

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
};

// "Task `successor` starts after task `predecessor` finishes, plus `lagDays`" (indexes into the
// task list; lags are never negative).
struct NetworkTaskLink
{
    int predecessor = 0;
    int successor = 0;
    double lagDays = 0;
};

// The event network that represents a task network, and where every task ended up.
struct EventNetwork
{
    Project project;                 // events 1..n with descriptions and links; no start date
    std::vector<int> taskStartEvent; // by task index
    std::vector<int> taskEndEvent;
    int dummyCount = 0; // zero-day links added only to keep the precedences
};

// The most tasks 500 events can hold: a milestone at every event and an activity between every
// two of them, as the program exports its largest plans. More are refused before the network is
// built.
inline constexpr int kMaxNetworkTasks = kMaxEvents + kMaxEvents * (kMaxEvents - 1) / 2;

// Turns tasks with finish-to-start links into events joined by activities. Every task becomes
// one activity from its start event to its end event, a milestone becomes an event, and a
// positive lag becomes an activity of its own. Start and end events are merged wherever that adds
// no precedence the tasks did not have; zero-day links are added only where two tasks would
// otherwise share both events or a precedence would be lost. The result has one start event (1) and
// one final event (n), every link runs to a higher number, and the earliest time of every task's
// start event is the task's early start. Refused, with a message naming the tasks: a cycle, more
// than 500 events (or more activities and waits than 500 events can hold), more than 500 links
// from one event, more tasks than kMaxNetworkTasks.
Result<EventNetwork> buildEventNetwork(const std::vector<NetworkTask>& tasks,
                                       const std::vector<NetworkTaskLink>& links);

// A one-line description: line breaks and control characters become blanks, runs of blanks one;
// every other character is kept.
QString storableDescription(const QString& text);

} // namespace zant
