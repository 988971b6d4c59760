#include "generated_network.h"

#include "diagram/diagram_painter.h"
#include "diagram/network_layout.h"
#include "diagram/picture_export.h"
#include "model/project_file.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

// The pictures of the largest networks: the network's SVG as Qt's generator writes it and as
// written directly, the window's frames, and zant-cli writing the SVG as the user runs it.
using namespace zant;

namespace {

struct Input
{
    std::string name;
    Project project;
    ScheduleResults results;
    NetworkLayout layout;
    QString path;
};

void reportFile(benchmark::State& state, const QString& path)
{
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}

// The standalone network picture (title block included) to SVG, the layout done beforehand.
void networkSvgFile(benchmark::State& state, const Input& input, const QString& path, bool direct)
{
    const NetworkLayout& l = input.layout;
    const TitleBlock block = networkTitleBlock(l, QStringLiteral("Prova"), QDate(2027, 3, 1));
    for (auto _ : state) {
        const auto error = exportStandalone(
            PictureOutput{path, std::nullopt, false}, QSizeF(l.width, l.height),
            [&](QPainter& p) { paintNetwork(p, l, input.results); }, block, 9,
            direct ? networkSvg(l, input.results) : DirectSvg());
        if (!error.ok()) {
            state.SkipWithError(qPrintable(error.error().text));
            return;
        }
    }
    reportFile(state, path);
}

// One frame of the network window, 1280 × 800 pixels: the whole picture fitted (zoom 0; the
// window itself goes down to 5 %) or a window in the middle of it at a zoom, as the canvas
// paints it.
void frame(benchmark::State& state, const Input& input, double zoom)
{
    const NetworkLayout& l = input.layout;
    QImage image(1280, 800, QImage::Format_RGB32);
    const double scale =
        zoom > 0 ? zoom : std::min(image.width() / l.width, image.height() / l.height);
    const QPointF offset = zoom > 0 ? QPointF(l.width / 2, l.height / 2) * scale : QPointF();
    for (auto _ : state) {
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::white);
        p.setClipRect(image.rect());
        p.translate(-offset);
        p.scale(scale, scale);
        paintNetwork(p, l, input.results);
    }
}

// zant-cli as the user runs it: start, read, check, compute, lay out, write the SVG.
void cliSvg(benchmark::State& state, const Input& input, const QString& output)
{
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral(ZANT_CLI_PATH),
                      {QStringLiteral("diagram"), input.path, QStringLiteral("-o"), output});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            return;
        }
    }
    reportFile(state, output);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir temp;
    std::vector<Input> inputs(2);
    inputs[0].name = "any_two_500_events_1800_activities";
    inputs[0].project = bench::generateAnyTwoNetwork(500, 1800, 1000, 20261209);
    inputs[1].name = "generated_500_events_99800_activities";
    inputs[1].project = bench::generateNetwork();
    for (Input& input : inputs) {
        input.results = ComputeSchedule(input.project);
        input.layout = layoutNetwork(input.project, input.results, LayoutMode::TimeScale);
        input.path = temp.filePath(QString::fromStdString(input.name) + QStringLiteral(".txt"));
        if (auto error = writeProjectFile(input.path, input.project, bench::sampleTitlePage());
            !error.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(error.error().text));
            return 1;
        }
    }
    const auto reg = [](const std::string& name, auto fn) {
        return benchmark::RegisterBenchmark(name.c_str(), fn)->Unit(benchmark::kMillisecond);
    };
    const QString svg = temp.filePath(QStringLiteral("rete.svg"));
    for (const Input& input : inputs) {
        const Input* in = &input;
        reg("network_svg_generator/" + input.name, [in, svg](benchmark::State& s) {
            networkSvgFile(s, *in, svg, false);
        })->Iterations(3);
        reg("network_svg_direct/" + input.name, [in, svg](benchmark::State& s) {
            networkSvgFile(s, *in, svg, true);
        })->Iterations(3);
        reg("cli_diagram_svg_process/" + input.name, [in, svg](benchmark::State& s) {
            cliSvg(s, *in, svg);
        })->Iterations(5);
        for (const double zoom : {0.0, 0.05, 0.25, 1.0}) {
            const std::string which =
                zoom == 0 ? "fitted" : "at_" + std::to_string(static_cast<int>(zoom * 100));
            reg("window_frame_" + which + "/" + input.name,
                [in, zoom](benchmark::State& s) { frame(s, *in, zoom); });
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
