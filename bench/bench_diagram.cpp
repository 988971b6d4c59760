#include "generated_network.h"

#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "model/project_file.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

using namespace zant;

namespace {

// 500 events and 1,800 activities, each event linking to events up to 25 numbers later: the
// size of a large building site's network.
Project randomNetwork1800()
{
    std::mt19937 engine(20261208);
    Project project;
    project.setStartDateText(QStringLiteral("01/03/2027"));
    project.setEventCount(kMaxEvents);
    constexpr int kActivities = 1800;
    const int base = kActivities / (kMaxEvents - 1);
    const int extra = kActivities - base * (kMaxEvents - 1);
    for (int i = 1; i <= kMaxEvents; ++i) {
        Event event;
        event.description = QStringLiteral("Lavorazione n. %1").arg(i);
        if (i < kMaxEvents) {
            const int count = base + (i <= extra ? 1 : 0);
            for (int s = 0; s < count; ++s) {
                const int span = std::min(25, kMaxEvents - i);
                Link link;
                link.target = i + 1 + static_cast<int>(engine() % span);
                link.days = 1 + static_cast<int>(engine() % 60);
                event.links.push_back(link);
            }
        }
        project.setEvent(i, std::move(event));
    }
    return project;
}

struct Input
{
    std::string name;
    Project project;
    ScheduleResults results;
    QString path;
};

void layout(benchmark::State& state, const Input& input, LayoutMode mode)
{
    int crossings = 0;
    for (auto _ : state) {
        NetworkLayout l = layoutNetwork(input.project, input.results, mode);
        benchmark::DoNotOptimize(l);
        state.PauseTiming();
        crossings = countCrossings(l);
        state.ResumeTiming();
    }
    state.counters["activities"] = bench::totalLinks(input.project);
    state.counters["crossings"] = crossings;
}

void layoutAndPng(benchmark::State& state, const Input& input, const QString& path)
{
    for (auto _ : state) {
        const NetworkLayout l = layoutNetwork(input.project, input.results, LayoutMode::TimeScale);
        const auto error = exportPicture(
            path, QSizeF(l.width, l.height),
            [&](QPainter& p) { paintNetwork(p, l, input.project, input.results); }, 300.0 / 96.0);
        if (error) {
            state.SkipWithError(qPrintable(error->text));
            return;
        }
    }
}

void gantt(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        GanttChart chart = buildGantt(input.project, input.results);
        benchmark::DoNotOptimize(chart);
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

    std::vector<Input> inputs(3);
    inputs[0].name = "example_magazzino";
    auto example =
        readProjectFile(QStringLiteral(ZANT_EXAMPLES_DIR "/ZANT-dati-esempio-magazzino.txt"));
    if (!example) {
        std::fprintf(stderr, "%s\n", qPrintable(example.error().text));
        return 1;
    }
    inputs[0].project = example.value().project;
    inputs[1].name = "random_500_events_1800_activities";
    inputs[1].project = randomNetwork1800();
    inputs[2].name = "generated_500_events_99800_activities";
    inputs[2].project = bench::generateNetwork();
    for (Input& input : inputs) {
        input.results = ComputeSchedule(input.project);
        input.path = temp.filePath(QString::fromStdString(input.name) + QStringLiteral(".txt"));
        if (auto error = writeProjectFile(input.path, input.project, bench::sampleTitlePage())) {
            std::fprintf(stderr, "%s\n", qPrintable(error->text));
            return 1;
        }
    }

    const auto reg = [](const std::string& name, auto fn) {
        return benchmark::RegisterBenchmark(name.c_str(), fn)->Unit(benchmark::kMillisecond);
    };
    for (const Input& input : inputs) {
        const bool huge = &input == &inputs[2];
        auto* scale = reg("layout_time_scale/" + input.name, [&input](benchmark::State& s) {
            layout(s, input, LayoutMode::TimeScale);
        });
        auto* levels = reg("layout_levels/" + input.name,
                           [&input](benchmark::State& s) { layout(s, input, LayoutMode::Levels); });
        if (huge) {
            scale->Iterations(3);
            levels->Iterations(3);
        }
        reg("gantt_model/" + input.name, [&input](benchmark::State& s) { gantt(s, input); });
    }
    const QString svg = temp.filePath(QStringLiteral("rete.svg"));
    reg("cli_diagram_svg_process/" + inputs[1].name, [&inputs, svg](benchmark::State& s) {
        cliSvg(s, inputs[1], svg);
    })->Iterations(5);
    const QString png = temp.filePath(QStringLiteral("rete.png"));
    reg("layout_and_png/" + inputs[2].name, [&inputs, png](benchmark::State& s) {
        layoutAndPng(s, inputs[2], png);
    })->Iterations(3);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
