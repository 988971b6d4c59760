#pragma once

#include "exchange/task_network.h"
#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"
#include "schedule/schedule.h"

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace zant {

// Microsoft Project XML (MSPDI). A project of calendar days has every duration written as
// elapsed days (DurationFormat 8, 24 hours a day, every day) on a project calendar that works
// 24 hours a day, 7 days a week (MinutesPerDay 1440): the other program stretches nothing over
// weekends and gives the same dates. A project whose calendar skips days has it written as the
// project calendar: its working week in days of 08:00-12:00 and 13:00-17:00, and each day off of
// the project's span (holidays, the patron's day, closures) as an exception; durations are in
// working days (DurationFormat 7) of the calendar's MinutesPerDay, and a task runs from the
// morning of its first working day to the evening of its last.

// Each event becomes a milestone "Evento N: <description>", each activity a task named as the
// activity (its own name, or the description of the event it leads to) that follows the
// milestone of its first event, and each dummy a finish-to-start link between the milestones of
// its two events; dates, slack and the critical flag are those of `results`, which must have been
// computed for `project`. The document follows the published schema of Project 2007: its order,
// its required elements, names and title of at most 512 characters.
QByteArray writeMspdi(const Project& project, const ScheduleResults& results,
                      const QString& projectTitle);
Result<void> exportMspdi(const QString& path, const Project& project,
                         const ScheduleResults& results, const QString& projectTitle);

// What an import of Microsoft Project XML makes of a file, and what it leaves out or
// represents less strictly: shown before anything changes.
struct MspdiImportReport
{
    int tasksRead = 0;     // task rows of the file, of every kind
    int activityTasks = 0; // tasks that became activities
    int milestones = 0;    // tasks that became events
    int summaries = 0;     // summary tasks: events of their own, no activity
    int events = 0;
    int activities = 0;    // activities of the project, lags included, dummies not
    int lagActivities = 0; // activities that stand for the lag of a link
    int dummies = 0;
    std::array<int, 4> links{}; // links kept, by TaskLinkType
    int leads = 0;              // links kept with a negative lag
    int lags = 0;               // links kept with a positive lag
    int namesKept = 0;          // task names that name their activity or event in the project
    int namesShortened = 0;     // of those, names cut to the length an activity name may have
    QStringList leftOut;        // what was left out, one line each
    QStringList notImported;    // what the event network does not hold, one line each
    QStringList approximated;   // what it represents less strictly than the file, one line each
    // The working calendar taken from the file, in one line; empty when the project counts
    // calendar days.
    QString calendar;
};

// The report as the data window and zant-cli show it, lines joined by LF.
QString describeImport(const MspdiImportReport& report);
// The same as one JSON object (its lines as arrays of texts).
QJsonObject importReportJson(const MspdiImportReport& report);

// A project made from another program's file, ready to be swapped in.
struct ImportedProject
{
    Project project;
    TitlePage titlePage;
    MspdiImportReport report;
    // Where each imported task begins and ends, for checks: the task's name and its events.
    struct TaskPlace
    {
        QString name;
        QString uid;
        int startEvent = 0;
        int endEvent = 0;
        double days = 0;
        bool milestone = false; // a moment, which became an event rather than an activity
        bool summary = false;   // a summary task, with events of its own
    };
    std::vector<TaskPlace> tasks;
};

// Reads an MSPDI document (UTF-8 or as declared, or UTF-16 or UTF-32 with a byte order mark) into
// a fresh project: every precedence type, lags and leads (see buildEventNetwork), summary tasks
// with events of their own. Left out, and said in the report: inactive tasks, the project's own
// row (UID 0), blank rows, tasks of other projects and the links through them; not imported:
// constraints, deadlines, actual dates and resources. A milestone may leave out its duration.
// Durations and lags are turned into days by their format (WorkingTime). The project's calendar
// (CalendarUID, with the base calendars it derives from) becomes the project's: its working
// weekdays and its days off, written either way the format allows; a calendar that works every
// day, with no day off, leaves the project in calendar days. Refused with every
// problem found (up to 50, then their count), each naming the task's ID, UID and name and the
// link's type: a start date, duration, format or flag that cannot be read, a lead the event
// network cannot represent, a cycle, what the event network or the data file cannot hold. A
// document type declaration (and so any entity) is refused outright. `today` is the start date
// when the file has none.
Result<ImportedProject> parseMspdi(const QByteArray& bytes, const QString& fileName,
                                   const QDate& today);
Result<ImportedProject> readMspdiFile(const QString& path, const QDate& today);

// How many problems a refusal lists before it only counts the others.
inline constexpr int kMaxListedProblems = 50;

} // namespace zant
