#include "cli/cli_diagram.h"

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "diagram/picture_export.h"
#include "model/data_check.h"
#include "model/project_file.h"

#include <QDate>
#include <QPainter>

namespace zant {

namespace {

const char* const kDiagramHelp =
    "uso: zant-cli diagram FILE -o OUT.svg|OUT.png|OUT.pdf [--livelli]\n"
    "     zant-cli diagram FILE -o OUT.pdf --foglio A4|A3|A1|A0 [--tassellato] [--livelli]\n"
    "     zant-cli diagram FILE --json [--livelli]\n"
    "Disegna il reticolo degli eventi del progetto calcolato: a scala dei tempi, oppure per\n"
    "livelli con --livelli, con il riquadro del titolo (progetto, data del calcolo, scala,\n"
    "legenda). Con --foglio il PDF sta su un foglio di quel formato; con --tassellato il\n"
    "disegno, a grandezza leggibile, è diviso su fogli A4 o A3 sovrapposti, con il quadro\n"
    "d'unione sul primo. Con --json stampa la disposizione (posizioni degli eventi e\n"
    "percorsi delle attività) invece di scrivere l'immagine.\n"
    "Oltre 6000 attività sono disegnati solo gli eventi e il percorso critico.\n"
    "uscita: 0 eseguito, 1 dati rifiutati dal controllo, 2 file illeggibile, errore d'uso\n"
    "o immagine non scrivibile\n";

const char* const kGanttHelp =
    "uso: zant-cli gantt FILE -o OUT.svg|OUT.png|OUT.pdf\n"
    "     zant-cli gantt FILE -o OUT.pdf --foglio A4|A3|A1|A0 [--tassellato]\n"
    "Disegna il diagramma di Gantt del progetto calcolato: una riga per attività (le fittizie,\n"
    "di 0 giorni, escluse), dalla data minima d'inizio, con gli scorrimenti e il riquadro del\n"
    "titolo. --foglio e --tassellato come per diagram.\n"
    "uscita: 0 eseguito, 1 dati rifiutati dal controllo, 2 file illeggibile, errore d'uso\n"
    "o immagine non scrivibile\n";

// What the output options ask for, or why they do not go together.
Result<void> outputProblem(const CommandLine& line)
{
    const QString output = line.value(QStringLiteral("-o"));
    const bool json = line.has(QStringLiteral("--json"));
    if (json && !output.isEmpty())
        return Error(ErrorKind::Format, critical(QStringLiteral("--json e -o non vanno insieme")));
    if (!json && output.isEmpty())
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("manca -o OUT.svg, OUT.png o OUT.pdf")));
    if (!json && !isPictureSuffix(output))
        return Error(
            ErrorKind::Format,
            critical(QStringLiteral("il file d'uscita deve finire in .svg, .png o .pdf: %1")
                         .arg(output)));
    const bool sheet = line.values.contains(QStringLiteral("--foglio"));
    const QString name = line.value(QStringLiteral("--foglio"));
    if (sheet && json)
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("--foglio e --json non vanno insieme")));
    if (sheet && !sheetNamed(name))
        return Error(
            ErrorKind::Format,
            critical(QStringLiteral("foglio non riconosciuto: %1 (A4, A3, A1 o A0)").arg(name)));
    if (sheet && !output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("--foglio scrive un file .pdf: %1").arg(output)));
    if (line.has(QStringLiteral("--tassellato"))) {
        if (!sheet)
            return Error(ErrorKind::Format,
                         critical(QStringLiteral("--tassellato vuole --foglio A4 o A3")));
        if (*sheetNamed(name) != Sheet::A4 && *sheetNamed(name) != Sheet::A3)
            return Error(
                ErrorKind::Format,
                critical(
                    QStringLiteral("la stampa tassellata usa fogli A4 o A3, non %1").arg(name)));
    }
    return {};
}

PictureOutput pictureOutput(const CommandLine& line)
{
    PictureOutput output;
    output.path = line.value(QStringLiteral("-o"));
    if (line.values.contains(QStringLiteral("--foglio")))
        output.sheet = sheetNamed(line.value(QStringLiteral("--foglio")));
    output.tiled = line.has(QStringLiteral("--tassellato"));
    return output;
}

int runDiagram(const CliCommand& command, const CommandLine& line, QTextStream& out,
               QTextStream& err)
{
    if (const Result<void> problem = outputProblem(line); !problem.ok())
        return usageError(err, problem.error().text, command.help);
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
    const PictureOutput output = pictureOutput(line);
    const TitleBlock block =
        networkTitleBlock(layout, c->contents.titlePage[TitlePage::progetto], QDate::currentDate());
    const auto error = exportStandalone(
        output, QSizeF(layout.width, layout.height),
        [&](QPainter& p) { paintNetwork(p, layout, c->results); }, block,
        networkSmallestText(layout, c->results), networkSvg(layout, c->results));
    return reportWritten(error, output.path, out, err);
}

int runGantt(const CliCommand& command, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    if (const Result<void> problem = outputProblem(line); !problem.ok())
        return usageError(err, problem.error().text, command.help);
    int code = ExitOk;
    const auto c = loadAndCompute(line.file, out, err, code);
    if (!c)
        return code;
    const GanttChart chart = buildGantt(c->contents.project, c->results);
    const GanttGeometry geometry;
    const QDate today = QDate::currentDate();
    const PictureOutput output = pictureOutput(line);
    TitleBlock block;
    block.title = QStringLiteral("Diagramma di Gantt");
    block.project = c->contents.titlePage[TitlePage::progetto];
    block.computed = today;
    block.unitsPerDay = geometry.dayWidth;
    block.legend = ganttLegend(chart);
    const auto error = exportStandalone(
        output, geometry.size(chart), [&](QPainter& p) { paintGantt(p, chart, geometry, today); },
        block, ganttSmallestText(geometry));
    return reportWritten(error, output.path, out, err);
}

} // namespace

const CliCommand kDiagramCommand{"diagram",
                                 {{"--json", "--livelli", "--tassellato"}, {"-o", "--foglio"}},
                                 kDiagramHelp,
                                 runDiagram};
const CliCommand kGanttCommand{
    "gantt", {{"--tassellato"}, {"-o", "--foglio"}}, kGanttHelp, runGantt};

} // namespace zant
