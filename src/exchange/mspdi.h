#pragma once

#include "exchange/task_network.h"
#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"
#include "schedule/schedule.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace zant {

// Microsoft Project XML (MSPDI). The program's days are consecutive calendar days, so every
// duration is written as elapsed days (DurationFormat 8, 24 hours a day, every day) on a project
// calendar that works 24 hours a day, 7 days a week (MinutesPerDay 1440): the other program
// stretches nothing over weekends and gives the same dates.

// Each activity becomes a task "i → k: <description of k>", each event a milestone "Evento N:
// <description>", joined by finish-to-start links; dates, slack and the critical flag are
// those of `results`, which must have been computed for `project`.
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
    };
    std::vector<TaskPlace> tasks;
};

// Reads an MSPDI document into a fresh project. Summary tasks are left out (their children are
// kept); durations and lags are turned into calendar days by their format (elapsed formats at 24
// hours a day, the others at the project's MinutesPerDay). Refused with a message naming the
// tasks: links other than finish-to-start, negative or percentage lags, what the event network
// cannot hold. A document type declaration (and so any entity) is refused outright.
// `today` is the start date when the file has none.
Result<ImportedProject> parseMspdi(const QByteArray& bytes, const QString& fileName,
                                   const QDate& today);
Result<ImportedProject> readMspdiFile(const QString& path, const QDate& today);

} // namespace zant
