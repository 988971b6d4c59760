#pragma once

#include "exchange/mspdi.h"
#include "model/message.h"
#include "model/work_calendar.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The import of Microsoft Project XML in two steps: the reader takes the document's values as
// written (mspdi_reader.cpp), the builder looks at them and makes the project
// (mspdi_import_rows.cpp, mspdi_import.cpp), with the project's calendar resolved from the
// file's calendars (mspdi_calendar.cpp).
namespace zant::mspdi {

struct RawLink
{
    QString predecessorUid;
    QString type;
    QString crossProject;
    QString lag;
    QString lagFormat;
};

// A task as written: its values are looked at once its name is known.
struct RawTask
{
    qint64 line = 0;
    QString uid;
    QString id;
    QString name;
    QString duration; // ISO 8601, as written
    QString durationFormat;
    QString outlineLevel;
    QString summary;
    QString milestone;
    QString isNull;
    QString active;
    QString external;
    QString constraintType;
    QString cost; // in hundredths of the currency, as the format writes money
    QString fixedCost;
    // Dates as written; some programs write a placeholder long before the project for none.
    QStringList deadlines;
    QStringList actualDates;
    std::vector<RawLink> links;
};

// A calendar as written: its weekdays and its exceptions, resolved once every calendar is read.
struct RawCalendar
{
    QString uid;
    QString baseUid;
    // By DayType 1..7 (Sunday..Saturday): whether the day is worked, when the calendar says,
    // and its working minutes when it lists its working times (0 when it does not).
    std::array<std::optional<bool>, 8> weekDays{};
    std::array<int, 8> dayMinutes{};
    struct Exception
    {
        QString from;
        QString to;
        bool working = false;
        bool recurring = false; // repeats by a rule, which is not read
    };
    std::vector<Exception> exceptions;
};

// A document as read: its values as written, looked at only when the project is built.
struct RawDocument
{
    QString fileName; // as messages show it
    QString title;
    std::optional<QString> startDate;
    QString minutesPerDay;
    QString calendarUid;
    std::vector<RawCalendar> calendars;
    std::vector<RawTask> tasks;
    int resources = 0;   // named resources
    int assignments = 0; // assignments of a resource
};

// "2027-03-01T08:00:00" (time and zone optional): the day, or nothing when it is no date.
QDate parseDateTime(const QString& text);
// A flag as the format writes it (0 or 1, or false and true); nothing when it is neither.
std::optional<bool> parseFlag(const QString& text);
// A value of the input as a message quotes it.
QString quoted(const QString& text);

// The refusal of the file `fileName` for one problem, or for all those found.
Error refusal(const QString& fileName, const QString& why);
Error refusalOfAll(const QString& fileName, const QStringList& problems);

// The project's calendar of the file (`calendarUid`, with the base calendars it derives from) in
// working days, or calendar days when it works every day; its day is as long as its working
// times, or `minutesPerDay` (the file's MinutesPerDay) when it lists none. What was left out of
// it is added to `leftOut`.
ProjectCalendar projectCalendar(const std::vector<RawCalendar>& calendars,
                                const QString& calendarUid, int minutesPerDay,
                                QStringList& leftOut);

// The project made of a document as read; `today` is its start date when the file has none.
Result<ImportedProject> buildImport(const RawDocument& document, const QDate& today);

} // namespace zant::mspdi
