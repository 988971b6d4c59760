#pragma once

#include "exchange/task_network.h"
#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"
#include "schedule/schedule.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

namespace zant {

// Microsoft Project XML (MSPDI). The program's days are consecutive calendar days, so every
// duration is written as elapsed days (DurationFormat 8, 24 hours a day, every day) on a project
// calendar that works 24 hours a day, 7 days a week (MinutesPerDay 1440): the other program
// stretches nothing over weekends and gives the same dates.

// Each activity becomes a task "i → k: <description of k>", each event a milestone "Evento N:
// <description>", joined by finish-to-start links; dates, slack and the critical flag are
// those of `results`, which must have been computed for `project`. The document follows the
// published schema of Project 2007: its order, its required elements, names and title of at most
// 512 characters.
QByteArray writeMspdi(const Project& project, const ScheduleResults& results,
                      const QString& projectTitle);
Outcome exportMspdi(const QString& path, const Project& project, const ScheduleResults& results,
                    const QString& projectTitle);

// A project made from another program's file, ready to be swapped in.
struct ImportedProject
{
    Project project;
    TitlePage titlePage;
    int dummyCount = 0;
    // Where each imported task begins and ends, for checks: the task's name and its events.
    struct TaskPlace
    {
        QString name;
        int startEvent = 0;
        int endEvent = 0;
        bool milestone = false; // a moment, which became an event rather than an activity
    };
    std::vector<TaskPlace> tasks;
    // The inactive tasks, by name, which take no part in the schedule and were left out.
    QStringList leftOut;
};

// Reads an MSPDI document (UTF-8 or as declared, or UTF-16 or UTF-32 with a byte order mark) into
// a fresh project. Summary tasks and the project's own row are left out (their children are
// kept), and so are inactive tasks, with the links through them, which the result names; a
// milestone may leave out its duration. Durations and lags are turned into calendar days by their
// format (elapsed formats at 24 hours a day, the others at the project's MinutesPerDay). Refused
// with a message naming the task or the link: a start date, duration, format or flag that cannot
// be read, links other than finish-to-start, negative or percentage lags, a task inside a task,
// what the event network or the data file cannot hold. A document type declaration (and so any
// entity) is refused outright. `today` is the start date when the file has none.
Result<ImportedProject> parseMspdi(const QByteArray& bytes, const QString& fileName,
                                   const QDate& today);
Result<ImportedProject> readMspdiFile(const QString& path, const QDate& today);

// "Tralasciate 2 attività inattive: «A» e «B»." for ImportedProject::leftOut.
QString describeLeftOut(const QStringList& names);

} // namespace zant
