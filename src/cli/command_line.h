#pragma once

#include "model/message.h"

#include <QMap>
#include <QStringList>
#include <QTextStream>

namespace zant {

// What one command takes besides --help: its flags ("--json"), the options that take a value
// ("-o", "--config"), each as the user writes it, and whether it names a file.
struct CommandOptions
{
    enum class File
    {
        None,
        Optional,
        Required
    };

    QStringList flags;
    QStringList values;
    File file = File::Required;
    const char* missingFile = "manca il nome del file di dati";
};

// The arguments of one command, read.
struct CommandLine
{
    QString file;
    QStringList flags;
    QMap<QString, QString> values;       // the last value given to each option
    QMap<QString, QStringList> repeated; // every value, in order, for options given again

    bool has(const QString& flag) const { return flags.contains(flag); }
    QString value(const QString& option) const { return values.value(option); }
    QStringList valuesOf(const QString& option) const { return repeated.value(option); }
};

// Reads the arguments of one command (without the command's name). Refused with the Italian
// text of what is wrong: an unknown option or one the command does not take, an option without
// its value, an argument too many, a missing file.
Result<CommandLine> parseCommandLine(const QStringList& args, const CommandOptions& options);

struct CliCommand;

// Carries out a command whose arguments were read; gives the exit code.
using CommandRunner = int (*)(const CliCommand& command, const CommandLine& line, QTextStream& out,
                              QTextStream& err);

// One command of zant-cli: what it takes, its help (printed for --help) and what carries it out.
struct CliCommand
{
    const char* name;
    CommandOptions options;
    const char* help;
    CommandRunner run;
    // Printed after a mistake in the command line; null for the command's own help.
    const char* usage = nullptr;
};

// Prints the help when the arguments ask for it anywhere, else reads them and runs the command;
// a mistake in them is printed with the usage. Gives the exit code.
int runCommand(const CliCommand& command, const QStringList& args, QTextStream& out,
               QTextStream& err);

} // namespace zant
