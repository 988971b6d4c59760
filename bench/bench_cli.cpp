#include "generated_network.h"

#include "cli/compute_json.h"
#include "model/project_file.h"
#include "schedule/schedule.h"

#include <benchmark/benchmark.h>

#include <cstdio>

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

} // namespace

int main(int argc, char** argv)
{
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
    benchmark::RegisterBenchmark("compute_json/example_magazzino", [&](benchmark::State& s) {
        json(s, sample);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
