#pragma once

#include "model/message.h"
#include "model/project.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

namespace zant {

// One row of an activity list: "evento da, evento a, giorni[, descrizione evento a]".
struct ActivityRow
{
    int line = 0; // 1-based line of the text
    int from = 0;
    int to = 0;
    double days = 0;
    QString description; // of event `to`; may be empty
};

struct RefusedRow
{
    int line = 0;
    QString text;   // the row as it was written
    QString reason; // why it is refused, in Italian
};

struct ActivityList
{
    std::vector<ActivityRow> rows;
    std::vector<RefusedRow> refused;
    bool headingSkipped = false;
    QChar separator; // the one recognised: tab, semicolon or comma
};

// Reads rows of text copied from a spreadsheet. The fields are separated by tabs, semicolons or
// commas (the first of these found in the text, in that order); durations take a decimal comma
// or point (with commas as separators, only the point); a field may be quoted as spreadsheets
// do. A first row that is not made of numbers is a heading and is skipped; blank rows are
// ignored; any other row that cannot be read is refused with its reason.
ActivityList parseActivityList(const QString& text);

// What adding the rows to a project gives: the project with the links appended to their events
// and the new events created (described by their row, or "Evento N"), the rows taken and the
// rows refused (events beyond 500, an event's 501st link, a link to its own event, a link
// already there).
struct ActivityPaste
{
    Project result;
    std::vector<ActivityRow> added;
    std::vector<RefusedRow> refused;
    int newEvents = 0;
};
ActivityPaste planActivityPaste(const Project& project, const ActivityList& list);

// A new project from an activity list file: today's start date, every row taken. Refused when
// the file cannot be read, when a row is refused, or when the result does not pass the data
// check (an event left without links, a cycle), with the reason.
Result<Project> parseActivityListFile(const QByteArray& bytes, const QString& fileName,
                                      const QDate& today);
Result<Project> readActivityListFile(const QString& path, const QDate& today);

} // namespace zant
