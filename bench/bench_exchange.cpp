// Reading Microsoft Project XML back: the plans the program exports when every event leads to
// every later one, up to all 500 events (124,750 activities and 500 milestones, the most tasks
// the import takes), and the peak memory of the largest.

#include "exchange/mspdi.h"
#include "schedule/schedule.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>

using namespace zant;

namespace {

Project completePlan(int events)
{
    Project project;
    project.setStartDateText(QStringLiteral("01/03/2027"));
    project.setEventCount(events);
    for (int i = 1; i <= events; ++i) {
        Event event{QStringLiteral("Evento %1").arg(i), {}};
        for (int k = i + 1; k <= events; ++k)
            event.links.push_back({k, static_cast<double>((i * k) % 9 + 1)});
        project.setEvent(i, std::move(event));
    }
    return project;
}

void importComplete(benchmark::State& state)
{
    const Project plan = completePlan(static_cast<int>(state.range(0)));
    const QByteArray xml = writeMspdi(plan, ComputeSchedule(plan), QStringLiteral("Piano"));
    for (auto _ : state) {
        auto read = parseMspdi(xml, QStringLiteral("piano.xml"), QDate(2026, 12, 8));
        if (!read) {
            state.SkipWithError(qPrintable(read.error().text));
            return;
        }
        benchmark::DoNotOptimize(read);
    }
    struct rusage usage
    {
    };
    getrusage(RUSAGE_SELF, &usage);
    state.counters["tasks"] = static_cast<double>(state.range(0) * (state.range(0) + 1) / 2);
    state.counters["xml_MB"] = static_cast<double>(xml.size()) / (1 << 20);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(importComplete)->Arg(100)->Arg(300)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
