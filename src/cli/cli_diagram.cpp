#include "cli/cli_diagram.h"

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "model/data_check.h"
#include "model/project_file.h"

#include <QDate>
#include <QPainter>

namespace zant {

namespace {

const char* const kDiagramHelp =
    "uso: zant-cli diagram FILE -o OUT.svg|OUT.png|OUT.pdf [--livelli]\n"
    "     zant-cli diagram FILE --json [--livelli]\n"
    "Disegna il reticolo degli eventi del progetto calcolato: a scala dei tempi, oppure per\n"
    "livelli con --livelli. Con --json stampa la disposizione (posizioni degli eventi e\n"
    "percorsi delle attività) invece di scrivere l'immagine.\n"
    "Oltre 6000 attività sono disegnati solo gli eventi e il percorso critico.\n"
    "uscita: 0 eseguito, 1 dati rifiutati dal controllo, 2 file illeggibile, errore d'uso\n"
    "o immagine non scrivibile\n";

const char* const kGanttHelp =
    "uso: zant-cli gantt FILE -o OUT.svg|OUT.png|OUT.pdf\n"
    "Disegna il diagramma di Gantt del progetto calcolato: una riga per attività, dalla data\n"
    "minima d'inizio, con gli scorrimenti.\n"
    "uscita: 0 eseguito, 1 dati rifiutati dal controllo, 2 file illeggibile, errore d'uso\n"
    "o immagine non scrivibile\n";

// PNG files are drawn at the resolution of printed documents.
constexpr double kPngScale = 300.0 / 96.0;

// What the output options ask for, or why they do not go together.
Outcome outputProblem(const CommandLine& line)
{
    const QString output = line.value(QStringLiteral("-o"));
    const bool json = line.has(QStringLiteral("--json"));
    if (json && !output.isEmpty())
        return critical(QStringLiteral("--json e -o non vanno insieme"));
    if (!json && output.isEmpty())
        return critical(QStringLiteral("manca -o OUT.svg, OUT.png o OUT.pdf"));
    if (!json && !isPictureSuffix(output))
        return critical(
            QStringLiteral("il file d'uscita deve finire in .svg, .png o .pdf: %1").arg(output));
    return std::nullopt;
}

int runDiagram(const CliCommand& command, const CommandLine& line, QTextStream& out,
               QTextStream& err)
{
    if (const Outcome problem = outputProblem(line))
        return usageError(err, problem->text, command.help);
    int code = ExitOk;
    const auto c = loadAndCompute(line.file, out, err, code);
    if (!c)
        return code;
    const bool levels = line.has(QStringLiteral("--livelli"));
    const NetworkLayout layout = layoutNetwork(c->contents.project, c->results,
                                               levels ? LayoutMode::Levels : LayoutMode::TimeScale);
    if (line.has(QStringLiteral("--json"))) {
        out << layoutToJson(layout);
        return ExitOk;
    }
    const QString output = line.value(QStringLiteral("-o"));
    const auto error = exportPicture(
        output, QSizeF(layout.width, layout.height),
        [&](QPainter& p) { paintNetwork(p, layout, c->contents.project, c->results); }, kPngScale);
    return reportWritten(error, output, out, err);
}

int runGantt(const CliCommand& command, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    if (const Outcome problem = outputProblem(line))
        return usageError(err, problem->text, command.help);
    int code = ExitOk;
    const auto c = loadAndCompute(line.file, out, err, code);
    if (!c)
        return code;
    const GanttChart chart = buildGantt(c->contents.project, c->results);
    const GanttGeometry geometry;
    const QDate today = QDate::currentDate();
    const QString output = line.value(QStringLiteral("-o"));
    const auto error = exportPicture(
        output, geometry.size(chart), [&](QPainter& p) { paintGantt(p, chart, geometry, today); },
        kPngScale);
    return reportWritten(error, output, out, err);
}

} // namespace

const CliCommand kDiagramCommand{
    "diagram", {{"--json", "--livelli"}, {"-o"}}, kDiagramHelp, runDiagram};
const CliCommand kGanttCommand{"gantt", {{}, {"-o"}}, kGanttHelp, runGantt};

} // namespace zant
