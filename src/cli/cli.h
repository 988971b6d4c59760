#pragma once

#include <QStringList>
#include <QTextStream>

namespace zant {

// Exit codes of zant-cli.
enum CliExit : int
{
    ExitOk = 0,
    ExitRefused = 1,
    ExitError = 2
};

// Runs zant-cli with its arguments (without the program name), writing results to `out` and
// problems to `err`. Returns the exit code.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

// Flushes both streams and gives the exit code: results that could not all be written to
// standard output (a full disk, a closed pipe) are no success.
int finishOutput(QTextStream& out, QTextStream& err, int code);

} // namespace zant
