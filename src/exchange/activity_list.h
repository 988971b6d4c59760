#pragma once

#include "model/message.h"
#include "model/project.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

namespace zant {

// One row of an activity list: "evento da, evento a, giorni[, descrizione evento a[,
// descrizione attività[, importo[, categoria]]]]".
struct ActivityRow
{
    int line = 0; // 1-based line of the text
    int from = 0;
    int to = 0;
    double days = 0;
    QString description; // of event `to`; may be empty
    QString name;        // of the activity; may be empty
    Cents amount = 0;    // of the activity, in cents
    QString category;    // of the activity; may be empty
};

// A row that is not taken. Both texts are ready for a message: control characters are shown as
// \xNN and a long row is cut.
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
    // The first row, when its words make it a heading (it holds no number where the events and
    // the days go); it is skipped and said.
    bool headingSkipped = false;
    int headingLine = 0;
    QString heading;
    QChar separator; // tab, semicolon or comma, decided from the first lines
};

// Reads rows of text copied from a spreadsheet. The separator is the one of tab, semicolon and
// comma that splits the first lines into rows of numbers (a tab inside a description of a
// semicolon list does not change it); durations take a decimal comma or point (with commas as
// separators, only the point); a field may be quoted as spreadsheets do. A first row made of
// words is a heading and is skipped; rows with nothing in them are ignored; any other row that
// cannot be read is refused with its reason, a quote left open included (the rows after it are
// read again on their own).
//
// The sixth column is the amount in euro ("1.234,56"; with commas as separators "1234.56" or a
// quoted "1.234,56"), the seventh the category of work (what follows it, unquoted, is part of
// it). A sixth column that is no number at all belongs to the name, as in lists written before
// amounts were read; one that looks like a number but is no amount is refused.
ActivityList parseActivityList(const QString& text);

// "Separatore delle colonne: punto e virgola (...); riga 1 di intestazione saltata: «...»."
QString describeLayout(const ActivityList& list);

// What adding the rows to a project gives: the project with the links appended to their events
// and the new events created (described by their row, or "Evento N"), the rows taken and the
// rows refused, in the order of the text (events beyond 500, an event's 501st link, a link to
// its own event, a link already there, a link leaving the final event: the highest event number
// of the result, which has no links of its own).
struct ActivityPaste
{
    Project result;
    std::vector<ActivityRow> added;
    std::vector<RefusedRow> refused;
    int newEvents = 0;
};
ActivityPaste planActivityPaste(const Project& project, const ActivityList& list);

// A new project read from an activity list file, and how the file was read.
struct ImportedActivityList
{
    Project project;
    QString layout; // describeLayout()
    int links = 0;
};

// A new project from an activity list file (UTF-8, Windows-1252, or UTF-16 or UTF-32 with a
// byte order mark): today's start date, every row taken. Refused when the file cannot be read,
// when a row is refused, when the result does not pass the data check (an event left without
// links, a cycle), or when the data file reader would not take it back, with the reason.
Result<ImportedActivityList> parseActivityListFile(const QByteArray& bytes, const QString& fileName,
                                                   const QDate& today);
Result<ImportedActivityList> readActivityListFile(const QString& path, const QDate& today);

// The activities of a project as an activity list that the reader above takes back: UTF-8 with a
// byte order mark, semicolons, CR LF, a heading row, then "evento da;evento a;giorni;descrizione
// evento a;descrizione attività;importo;categoria" for every activity (days and amounts with a
// decimal comma, an amount of 0 left empty; a text holding a semicolon or a quote is quoted).
// Two links between the same two events are both written, but a list takes only one of them.
QByteArray activityListCsv(const Project& project);
Result<void> exportActivityList(const QString& path, const Project& project);

} // namespace zant
