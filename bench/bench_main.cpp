#include "generated_network.h"

#include "model/data_check.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "schedule/schedule.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace zant;

namespace {

// One network the benchmarks run on, with its data file already on disk for the load timing.
struct Input
{
    std::string name;
    Project project;
    TitlePage titlePage;
    QString path;
    int links = 0;
};

bool fail(const std::string& what, const QString& why)
{
    std::fprintf(stderr, "zant_bench: %s: %s\n", what.c_str(), qPrintable(why));
    return false;
}

// Writes the network to `dir` and reads it back: a benchmark of a file that does not load, or of
// data that the check refuses, would time the wrong path.
bool prepare(Input& input, const QDir& dir)
{
    input.path = dir.filePath(QString::fromStdString(input.name) + QStringLiteral(".txt"));
    if (Result<void> error = writeProjectFile(input.path, input.project, input.titlePage);
        !error.ok())
        return fail(input.name, error.error().text);
    auto loaded = readProjectFile(input.path);
    if (!loaded)
        return fail(input.name, loaded.error().text);
    if (!(loaded.value().project == input.project) ||
        !(loaded.value().titlePage == input.titlePage))
        return fail(input.name, QStringLiteral("the saved file reads back differently"));
    if (auto fault = findDataFault(input.project))
        return fail(input.name, fault->text);
    input.links = bench::totalLinks(input.project);
    return true;
}

void countLinks(benchmark::State& state, const Input& input)
{
    state.SetItemsProcessed(state.iterations() * input.links);
    state.counters["links"] = input.links;
}

void load(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        auto result = readProjectFile(input.path);
        if (!result) {
            state.SkipWithError(qPrintable(result.error().text));
            return;
        }
        benchmark::DoNotOptimize(result);
    }
    countLinks(state, input);
}

void parse(benchmark::State& state, const Input& input)
{
    auto bytes = serializeProjectData(input.project, input.titlePage);
    const QByteArray data = bytes.value();
    for (auto _ : state) {
        auto result = parseProjectData(data, input.path);
        benchmark::DoNotOptimize(result);
    }
    countLinks(state, input);
}

void check(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        auto fault = findDataFault(input.project);
        benchmark::DoNotOptimize(fault);
    }
    countLinks(state, input);
}

void compute(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        ScheduleResults results = ComputeSchedule(input.project);
        benchmark::DoNotOptimize(results);
    }
    countLinks(state, input);
}

// The dates of every event, earliest and latest, on a calendar of working days with holidays,
// a patron's day and closures: the mapping a computation adds to the times, from nothing.
void mapDates(benchmark::State& state, const Input& input)
{
    Project project = input.project;
    ProjectCalendar calendar;
    calendar.workingDays = true;
    calendar.patron = {7, 12};
    for (int year = 2027; year <= 2060; ++year)
        calendar.closures.push_back(
            {QDate(year, 8, 9), QDate(year, 8, 20), QStringLiteral("chiusura estiva")});
    project.setCalendar(calendar);
    const ScheduleResults computed = ComputeSchedule(project);
    const QDate start = parseDate(project.startDateText());
    for (auto _ : state) {
        const WorkingTime clock(calendar, start);
        for (int e = 1; e <= computed.eventCount; ++e) {
            QString early = formatDate(clock.dateAt(computed.earliest[e]));
            QString late = formatDate(clock.dateAt(computed.latest[e]));
            benchmark::DoNotOptimize(early);
            benchmark::DoNotOptimize(late);
        }
    }
    state.counters["events"] = computed.eventCount;
    state.counters["final_time"] = computed.earliest[computed.eventCount];
}

void serialize(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        auto bytes = serializeProjectData(input.project, input.titlePage);
        benchmark::DoNotOptimize(bytes);
    }
    countLinks(state, input);
}

void write(benchmark::State& state, const Input& input, const QString& path)
{
    for (auto _ : state) {
        if (Result<void> error = writeProjectFile(path, input.project, input.titlePage);
            !error.ok()) {
            state.SkipWithError(qPrintable(error.error().text));
            return;
        }
    }
    countLinks(state, input);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QTemporaryDir temp;
    if (!temp.isValid()) {
        fail("temporary folder", temp.errorString());
        return 1;
    }
    const QDir dir(temp.path());

    std::vector<Input> inputs(2);
    inputs[0].name = "generated_500_events_99800_links";
    inputs[0].project = bench::generateNetwork();
    inputs[0].titlePage = bench::sampleTitlePage();

    const QString examplePath =
        QStringLiteral(ZANT_EXAMPLES_DIR "/ZANT-dati-esempio-magazzino.txt");
    auto example = readProjectFile(examplePath);
    if (!example) {
        fail("example project", example.error().text);
        return 1;
    }
    inputs[1].name = "example_magazzino";
    inputs[1].project = example.value().project;
    inputs[1].titlePage = example.value().titlePage;

    for (Input& input : inputs) {
        if (!prepare(input, dir))
            return 1;
    }

    for (const Input& input : inputs) {
        const QString savePath =
            dir.filePath(QString::fromStdString(input.name) + QStringLiteral("-saved.txt"));
        const auto reg = [&](const char* what, auto fn) {
            benchmark::RegisterBenchmark((std::string(what) + "/" + input.name).c_str(), fn)
                ->Unit(benchmark::kMicrosecond);
        };
        reg("load", [&input](benchmark::State& s) { load(s, input); });
        reg("parse", [&input](benchmark::State& s) { parse(s, input); });
        reg("check", [&input](benchmark::State& s) { check(s, input); });
        reg("compute", [&input](benchmark::State& s) { compute(s, input); });
        reg("map_dates_working_calendar", [&input](benchmark::State& s) { mapDates(s, input); });
        reg("save_serialize", [&input](benchmark::State& s) { serialize(s, input); });
        reg("save_write", [&input, savePath](benchmark::State& s) { write(s, input, savePath); });
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
