#include "cli/command_line.h"

#include "cli/cli.h"
#include "cli/cli_support.h"

#include <QCommandLineParser>

namespace zant {

namespace {

// "-o" and "--config" are known to the parser as "o" and "config": a single dash reads a whole
// word, as the documented spellings need.
QString nameOf(const QString& spelling)
{
    return spelling.mid(spelling.startsWith(QLatin1String("--")) ? 2 : 1);
}

// Refuses the first argument written as an option that is not one of the command's, named as
// the user wrote it. Only the documented spellings count: the parser alone would also take
// "--o", "-json", "--config=FILE", and a bare "--" as the end of the options, which zant-cli has
// always refused.
Result<void> unknownOption(const QStringList& args, const CommandOptions& options)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (options.values.contains(arg))
            ++i; // its value, whatever it looks like
        else if (arg.size() > 1 && arg.startsWith(QLatin1Char('-')) && !options.flags.contains(arg))
            return Error(ErrorKind::Format,
                         critical(QStringLiteral("opzione sconosciuta: %1").arg(arg)));
    }
    return {};
}

} // namespace

Result<CommandLine> parseCommandLine(const QStringList& args, const CommandOptions& options)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString& flag : options.flags)
        parser.addOption(QCommandLineOption(nameOf(flag)));
    for (const QString& option : options.values)
        parser.addOption(QCommandLineOption(nameOf(option), QString(), QStringLiteral("valore")));
    if (Result<void> unknown = unknownOption(args, options); !unknown.ok())
        return unknown.error();
    // The parser skips the first argument, the program's name. With every option known, what it
    // can still refuse, in English, is an option that takes a value given last without one.
    if (!parser.parse(QStringList{QStringLiteral("zant-cli")} + args))
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("manca il valore dell'opzione %1").arg(args.last())));

    CommandLine line;
    for (const QString& flag : options.flags) {
        if (parser.isSet(nameOf(flag)))
            line.flags << flag;
    }
    for (const QString& option : options.values) {
        if (parser.isSet(nameOf(option))) {
            line.values.insert(option, parser.value(nameOf(option)));
            line.repeated.insert(option, parser.values(nameOf(option)));
        }
    }
    const QStringList positional = parser.positionalArguments();
    const qsizetype files = options.file == CommandOptions::File::None ? 0 : 1;
    if (positional.size() > files)
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("argomento in più: %1").arg(positional[files])));
    if (!positional.isEmpty())
        line.file = positional.first();
    if (options.file == CommandOptions::File::Required && line.file.isEmpty())
        return Error(ErrorKind::Format, critical(QString::fromUtf8(options.missingFile)));
    return line;
}

int runCommand(const CliCommand& command, const QStringList& args, QTextStream& out,
               QTextStream& err)
{
    if (args.contains(QLatin1String("--help"))) {
        out << command.help;
        return ExitOk;
    }
    const auto line = parseCommandLine(args, command.options);
    if (!line)
        return usageError(err, line.error().text, command.usage ? command.usage : command.help);
    return command.run(command, line.value(), out, err);
}

} // namespace zant
