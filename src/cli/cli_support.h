#pragma once

#include "cli/command_line.h"
#include "model/message.h"
#include "model/project_file.h"
#include "report/office_settings.h"
#include "schedule/schedule.h"

#include <QString>
#include <QTextStream>

#include <optional>

namespace zant {

// Messages join their lines with CR; a terminal wants LF. Other control characters are shown as
// \xNN.
QString forTerminal(const QString& text);

// Prints a problem on standard error and gives the exit code of a failure.
int failWith(QTextStream& err, const QString& text);

// Prints a mistake in the command line, then how the command is used; gives the exit code.
int usageError(QTextStream& err, const QString& problem, const char* usage);

// Says that `output` was written, or why not, and gives the exit code.
int reportWritten(const Result<void>& failed, const QString& output, QTextStream& out,
                  QTextStream& err);

// A data file read, checked and computed.
struct ComputedProject
{
    ProjectFileContents contents;
    ScheduleResults results;
};

// Reads, checks and computes a data file; on failure says why (a refusal of the check on
// standard output, anything else on standard error) and sets the exit code.
std::optional<ComputedProject> loadAndCompute(const QString& file, QTextStream& out,
                                              QTextStream& err, int& code);

// The office from --config, which must be readable, or from the default settings file, which
// may be missing: then the documents say so, and so does the standard error. Nothing when
// --config names a file that cannot be read (said on standard error).
std::optional<OfficeSettings> officeFor(const CommandLine& line, QTextStream& err);

} // namespace zant
