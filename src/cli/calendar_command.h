#pragma once

#include "cli/command_line.h"
#include "model/message.h"
#include "model/work_calendar.h"

#include <QString>

namespace zant {

// zant-cli calendario FILE: the project's calendar and the days that do not count within its
// works; with --lavorativi or --naturali and -o, a copy of the project with the calendar given.
extern const CliCommand kCalendarCommand;

// The calendar the options of the command line describe (--lavorativi, --naturali,
// --senza-festivita, --patrono, --chiusura, --chiusure-naturali), or why they describe none.
Result<ProjectCalendar> calendarFromOptions(const CommandLine& line);

// "09/08/2027-20/08/2027:chiusura estiva" (or a single day, with or without the description).
Result<CalendarClosure> parseClosureOption(const QString& text);

} // namespace zant
