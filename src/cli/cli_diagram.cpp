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

#include <optional>

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

struct Arguments
{
    QString file;
    QString output;
    bool json = false;
    bool levels = false;
};

int usage(QTextStream& err, const QString& problem, const char* help)
{
    err << "zant-cli: " << problem << "\n" << help;
    return ExitError;
}

std::optional<Arguments> parse(const QStringList& args, bool diagram, QString& problem)
{
    Arguments a;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-o")) {
            if (i + 1 >= args.size()) {
                problem = QStringLiteral("manca il valore dell'opzione -o");
                return std::nullopt;
            }
            a.output = args[++i];
        } else if (diagram && arg == QLatin1String("--json")) {
            a.json = true;
        } else if (diagram && arg == QLatin1String("--livelli")) {
            a.levels = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            problem = QStringLiteral("opzione sconosciuta: %1").arg(arg);
            return std::nullopt;
        } else if (a.file.isEmpty()) {
            a.file = arg;
        } else {
            problem = QStringLiteral("argomento in più: %1").arg(arg);
            return std::nullopt;
        }
    }
    if (a.file.isEmpty())
        problem = QStringLiteral("manca il nome del file di dati");
    else if (a.json && !a.output.isEmpty())
        problem = QStringLiteral("--json e -o non vanno insieme");
    else if (!a.json && a.output.isEmpty())
        problem = QStringLiteral("manca -o OUT.svg, OUT.png o OUT.pdf");
    else if (!a.json && !isPictureSuffix(a.output))
        problem =
            QStringLiteral("il file d'uscita deve finire in .svg, .png o .pdf: %1").arg(a.output);
    if (!problem.isEmpty())
        return std::nullopt;
    return a;
}

int finish(const Outcome& error, const QString& output, QTextStream& out, QTextStream& err)
{
    if (error) {
        err << "zant-cli: " << forTerminal(error->text) << "\n";
        return ExitError;
    }
    out << "scritto " << output << "\n";
    return ExitOk;
}

} // namespace

int runDiagramCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QLatin1String("--help"))) {
        out << kDiagramHelp;
        return ExitOk;
    }
    QString problem;
    const auto a = parse(args, true, problem);
    if (!a)
        return usage(err, problem, kDiagramHelp);
    int code = ExitOk;
    const auto c = loadAndCompute(a->file, out, err, code);
    if (!c)
        return code;
    const NetworkLayout layout = layoutNetwork(
        c->contents.project, c->results, a->levels ? LayoutMode::Levels : LayoutMode::TimeScale);
    if (a->json) {
        out << layoutToJson(layout);
        return ExitOk;
    }
    const auto error = exportPicture(
        a->output, QSizeF(layout.width, layout.height),
        [&](QPainter& p) { paintNetwork(p, layout, c->contents.project, c->results); }, kPngScale);
    return finish(error, a->output, out, err);
}

int runGanttCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QLatin1String("--help"))) {
        out << kGanttHelp;
        return ExitOk;
    }
    QString problem;
    const auto a = parse(args, false, problem);
    if (!a)
        return usage(err, problem, kGanttHelp);
    int code = ExitOk;
    const auto c = loadAndCompute(a->file, out, err, code);
    if (!c)
        return code;
    const GanttChart chart = buildGantt(c->contents.project, c->results);
    const GanttGeometry geometry;
    const QDate today = QDate::currentDate();
    const auto error = exportPicture(
        a->output, geometry.size(chart),
        [&](QPainter& p) { paintGantt(p, chart, geometry, today); }, kPngScale);
    return finish(error, a->output, out, err);
}

} // namespace zant
