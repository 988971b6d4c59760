#include "cli/cli_support.h"

#include "cli/cli.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QStringList>

namespace zant {

QString forTerminal(const QString& text)
{
    // Lines stay lines; any other control character that came from the input is shown, so that
    // it cannot move the cursor or retitle the terminal.
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = visibleText(line);
    return lines.join(QLatin1Char('\n'));
}

int failWith(QTextStream& err, const QString& text)
{
    err << "zant-cli: " << forTerminal(text) << "\n";
    return ExitError;
}

int usageError(QTextStream& err, const QString& problem, const char* usage)
{
    err << "zant-cli: " << forTerminal(problem) << "\n" << usage;
    return ExitError;
}

int reportWritten(const Result<void>& failed, const QString& output, QTextStream& out,
                  QTextStream& err)
{
    if (!failed.ok())
        return failWith(err, failed.error().text);
    out << "scritto " << output << "\n";
    return ExitOk;
}

std::optional<ComputedProject> loadAndCompute(const QString& file, QTextStream& out,
                                              QTextStream& err, int& code)
{
    auto contents = readProjectFile(file);
    if (!contents) {
        code = failWith(err, contents.error().text);
        return std::nullopt;
    }
    if (Result<void> fault = CheckConfirmation().requireValidData(contents.value().project);
        !fault.ok()) {
        out << forTerminal(fault.error().text) << "\n";
        code = ExitRefused;
        return std::nullopt;
    }
    ComputedProject c{std::move(contents).value(), {}};
    c.results = ComputeSchedule(c.contents.project);
    return c;
}

// The office from --config, which must be readable, or from the default settings file, which
// may be missing: then the documents say so, and so does the standard error.
std::optional<OfficeSettings> officeFor(const CommandLine& line, QTextStream& err)
{
    if (line.values.contains(QStringLiteral("--config"))) {
        auto office = OfficeSettings::read(line.value(QStringLiteral("--config")));
        if (!office) {
            failWith(err, office.error().text);
            return std::nullopt;
        }
        return office.value();
    }
    const QString path = OfficeSettings::defaultPath();
    auto office = OfficeSettings::read(path);
    if (office)
        return office.value();
    err << "zant-cli: nessun file delle impostazioni dello studio in \"" << displayPath(path)
        << "\": nome e indirizzo dello studio non configurati\n";
    return OfficeSettings::parse(QByteArray());
}

} // namespace zant
