#pragma once

#include "model/file_io.h"
#include "model/message.h"
#include "model/money.h"
#include "model/project.h"
#include "schedule/schedule.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

namespace zant {

// One cell of an exported table: a number, a calendar date, a text or an amount of money.
using ResultCell = std::variant<double, QDate, QString, Cents>;

struct ResultSheet
{
    QString name;
    QStringList headers;
    std::vector<int> widths; // in characters, one per column
    std::vector<std::vector<ResultCell>> rows;
};

// The three tables of the results: "Eventi" (times and dates of every event), "Attività" (every
// activity with its dates, its three floats, its amount and its category) and "Percorso
// critico". Amounts are written as euro with two decimals (a number in the workbook, "1.234,56"
// in the CSV files).
std::vector<ResultSheet> resultSheets(const Project& project, const ScheduleResults& results);

// An Excel workbook with one sheet per table: real dates and numbers, the header row bold and
// frozen, the columns sized, an autofilter on each table. A description longer than a cell can
// hold is refused, naming its event.
Result<void> exportResultsXlsx(const QString& path, const Project& project,
                               const ScheduleResults& results,
                               const SaveTargetFactory& targets = makeFileTarget);

// One table as the Italian Excel reads it: UTF-8 with a byte order mark, semicolons, decimal
// commas, dates dd/MM/yyyy, CR LF line ends. A text that a spreadsheet would run as a formula
// (beginning with =, +, -, @, a tab or a carriage return) gets a leading apostrophe.
QByteArray resultSheetCsv(const ResultSheet& sheet);

// The three tables as "Eventi.csv", "Attività.csv" and "Percorso critico.csv" in `folder`
// (created when missing), written as one: either all three are replaced or none is. `written`
// receives the paths of the files written.
Result<void> exportResultsCsv(const QString& folder, const Project& project,
                              const ScheduleResults& results, QStringList* written = nullptr,
                              const SaveTargetFactory& targets = makeFileTarget);

} // namespace zant
