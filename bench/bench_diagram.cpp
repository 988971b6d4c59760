#include "generated_network.h"

#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "model/project_file.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

using namespace zant;

namespace {

// 500 events and 1,800 activities, each event linking to events up to 25 numbers later.
Project nearNetwork1800()
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

void layoutAndPicture(benchmark::State& state, const Input& input, const QString& path)
{
    for (auto _ : state) {
        const NetworkLayout l = layoutNetwork(input.project, input.results, LayoutMode::TimeScale);
        const auto error = exportPicture(
            path, QSizeF(l.width, l.height),
            [&](QPainter& p) { paintNetwork(p, l, input.results); }, 300.0 / 96.0);
        if (!error.ok()) {
            state.SkipWithError(qPrintable(error.error().text));
            return;
        }
    }
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}

void gantt(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        GanttChart chart = buildGantt(input.project, input.results);
        benchmark::DoNotOptimize(chart);
    }
}

// Crossings of Graphviz's dot with straight lines on the same network, counted on its drawing
// the way ours are counted; -1 when dot cannot be run.
int dotCrossings(const Project& project, const QString& dot)
{
    QString graph = QStringLiteral("digraph G { rankdir=LR; splines=line; "
                                   "node [shape=circle, width=0.6, fixedsize=true];\n");
    for (int e = 1; e <= project.eventCount(); ++e)
        graph += QStringLiteral("%1;\n").arg(e);
    for (int e = 1; e <= project.eventCount(); ++e)
        for (int s = 1; s <= project.linkCount(e); ++s)
            graph += QStringLiteral("%1 -> %2;\n").arg(e).arg(project.link(e, s).target);
    graph += QStringLiteral("}\n");
    QProcess process;
    process.start(dot, {QStringLiteral("-Tplain")});
    process.write(graph.toUtf8());
    process.closeWriteChannel();
    // dot takes minutes on the largest networks: it is waited for however long it takes.
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return -1;
    // "edge tail head n x1 y1 ... xn yn ...", in inches: scaled to points.
    NetworkLayout drawing;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 4 || f[0] != "edge")
            continue;
        LaidOutActivity a;
        const int count = f[3].toInt();
        for (int i = 0; i < count && 5 + 2 * i < f.size(); ++i) {
            const QPointF p(f[4 + 2 * i].toDouble() * 72, f[5 + 2 * i].toDouble() * 72);
            a.points.push_back(p);
            drawing.width = std::max(drawing.width, p.x() + 1);
            drawing.height = std::max(drawing.height, p.y() + 1);
        }
        drawing.activities.push_back(std::move(a));
    }
    return countCrossings(drawing);
}

void crossingsAgainstDot(benchmark::State& state, const Input& input, const QString& dot)
{
    int dotCount = -1;
    int levels = 0;
    int time = 0;
    for (auto _ : state) {
        levels = countCrossings(layoutNetwork(input.project, input.results, LayoutMode::Levels));
        time = countCrossings(layoutNetwork(input.project, input.results, LayoutMode::TimeScale));
        if (!dot.isEmpty())
            dotCount = dotCrossings(input.project, dot);
    }
    state.counters["levels"] = levels;
    state.counters["time_scale"] = time;
    state.counters["dot"] = dotCount;
    if (dotCount > 0) {
        state.counters["levels_per_dot"] = static_cast<double>(levels) / dotCount;
        state.counters["time_per_dot"] = static_cast<double>(time) / dotCount;
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
    // ZANT_BENCH_KEEP=DIR keeps the generated project files there, to profile zant-cli on them.
    const QString keep = qEnvironmentVariable("ZANT_BENCH_KEEP");

    std::vector<Input> inputs(4);
    inputs[0].name = "example_magazzino";
    auto example =
        readProjectFile(QStringLiteral(ZANT_EXAMPLES_DIR "/ZANT-dati-esempio-magazzino.txt"));
    if (!example) {
        std::fprintf(stderr, "%s\n", qPrintable(example.error().text));
        return 1;
    }
    inputs[0].project = example.value().project;
    inputs[1].name = "any_two_500_events_1800_activities";
    inputs[1].project = bench::generateAnyTwoNetwork(500, 1800, 1000, 20261209);
    inputs[2].name = "generated_500_events_99800_activities";
    inputs[2].project = bench::generateNetwork();
    inputs[3].name = "near_500_events_1800_activities";
    inputs[3].project = nearNetwork1800();
    // Five networks whose links join any two events, for the crossings against dot.
    const int sizes[] = {60, 120, 200, 350, 500};
    std::vector<Input> random(5);
    for (int i = 0; i < 5; ++i) {
        random[i].name = "any_two_" + std::to_string(sizes[i]) + "_events";
        random[i].project =
            bench::generateAnyTwoNetwork(sizes[i], sizes[i] * 18 / 5, 60 + i * 200, 100 + i);
    }
    for (std::vector<Input>* list : {&inputs, &random}) {
        for (Input& input : *list) {
            input.results = ComputeSchedule(input.project);
            const QString file = QString::fromStdString(input.name) + QStringLiteral(".txt");
            input.path = keep.isEmpty() ? temp.filePath(file) : QDir(keep).filePath(file);
            if (Result<void> error =
                    writeProjectFile(input.path, input.project, bench::sampleTitlePage());
                !error.ok()) {
                std::fprintf(stderr, "%s\n", qPrintable(error.error().text));
                return 1;
            }
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
    const QString hugeSvg = temp.filePath(QStringLiteral("rete-grande.svg"));
    reg("layout_and_svg/" + inputs[2].name, [&inputs, hugeSvg](benchmark::State& s) {
        layoutAndPicture(s, inputs[2], hugeSvg);
    })->Iterations(3);
    const QString png = temp.filePath(QStringLiteral("rete.png"));
    reg("layout_and_png/" + inputs[2].name, [&inputs, png](benchmark::State& s) {
        layoutAndPicture(s, inputs[2], png);
    })->Iterations(3);
    // Graphviz is needed only here, and only when it is installed.
    const QString dot = QStandardPaths::findExecutable(QStringLiteral("dot"));
    if (dot.isEmpty())
        std::fprintf(stderr, "dot non trovato: i confronti con Graphviz sono saltati\n");
    for (const Input& input : random) {
        reg("layout_time_scale/" + input.name,
            [&input](benchmark::State& s) { layout(s, input, LayoutMode::TimeScale); });
        reg("layout_levels/" + input.name,
            [&input](benchmark::State& s) { layout(s, input, LayoutMode::Levels); });
    }
    for (const Input& input : random)
        reg("crossings_against_dot/" + input.name, [&input, dot](benchmark::State& s) {
            crossingsAgainstDot(s, input, dot);
        })->Iterations(1);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
