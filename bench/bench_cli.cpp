#include "generated_network.h"

#include "cli/compute_json.h"
#include "model/project_file.h"
#include "schedule/schedule.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <utility>

using namespace zant;

namespace {

void json(benchmark::State& state, const Project& project)
{
    const ScheduleResults results = ComputeSchedule(project);
    for (auto _ : state) {
        QByteArray bytes = computeJson(project, results);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(computeJson(project, results).size());
}

// zant-cli as the user runs it on a file. Its standard output is thrown away: sent to a file
// rewritten each time, it would time the file system's flushing (ext4 writes out a truncated and
// rewritten file when it is closed), not the program.
void process(benchmark::State& state, const QStringList& args)
{
    for (auto _ : state) {
        QProcess cli;
        cli.setStandardOutputFile(QProcess::nullDevice());
        // ZANT_BENCH_CLI times another build of zant-cli, to compare the two.
        cli.start(qEnvironmentVariable("ZANT_BENCH_CLI", QStringLiteral(ZANT_CLI_PATH)), args);
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
            state.SkipWithError(cli.readAllStandardError().constData());
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const Project generated = bench::generateNetwork();
    auto example =
        readProjectFile(QStringLiteral(ZANT_EXAMPLES_DIR "/ZANT-dati-esempio-magazzino.txt"));
    if (!example) {
        std::fprintf(stderr, "zant_bench_cli: %s\n", qPrintable(example.error().text));
        return 1;
    }
    const Project sample = example.value().project;

    benchmark::RegisterBenchmark("compute_json/generated_500_events_99800_links",
                                 [&](benchmark::State& s) { json(s, generated); })
        ->Unit(benchmark::kMillisecond);
    QTemporaryDir temp;
    const QString file = temp.filePath(QStringLiteral("generated.txt"));
    if (Result<void> error = writeProjectFile(file, generated, bench::sampleTitlePage());
        !error.ok()) {
        std::fprintf(stderr, "zant_bench_cli: %s\n", qPrintable(error.error().text));
        return 1;
    }
    const std::pair<const char*, QStringList> runs[] = {
        {"cli_process/check/generated_500_events_99800_links", {"check", file}},
        {"cli_process/compute_json/generated_500_events_99800_links", {"compute", file, "--json"}}};
    for (const auto& [name, args] : runs) {
        benchmark::RegisterBenchmark(name, [args](benchmark::State& s) {
            process(s, args);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("compute_json/example_magazzino", [&](benchmark::State& s) {
        json(s, sample);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
