#pragma once

#include "cli/command_line.h"

#include <QStringList>

namespace zant {

// zant-cli export FILE --mspdi OUT.xml / --ics OUT.ics
extern const CliCommand kExportCommand;

// zant-cli import IN.xml|IN.csv -o OUT.txt; an activity list (and an MSPDI file without a start
// date) starts today.
extern const CliCommand kImportCommand;

// zant-cli results FILE --xlsx OUT.xlsx / --csv DIR
extern const CliCommand kResultsExportCommand;

// Whether `results` arguments ask for a spreadsheet rather than the document.
bool wantsResultsExport(const QStringList& args);

} // namespace zant
