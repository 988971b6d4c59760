#include "generated_network.h"
#include "report/direct_print.h"
#include "report/documents.h"
#include "report/docx_writer.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace zant;

namespace {

struct Input
{
    explicit Input(int linksPerEvent) : project(bench::generateNetwork(linksPerEvent)) {}
    Project project;
    TitlePage titlePage = bench::sampleTitlePage();
    OfficeSettings office{QStringLiteral("Studio tecnico Esempio"), QStringLiteral("Via Roma 1")};
    ScheduleResults results = ComputeSchedule(project);
};

// The whole full report: built and written as a .docx package.
void fullReportDocx(benchmark::State& state, const Input& input, const QString& path)
{
    for (auto _ : state) {
        DocxWriter writer;
        buildFullReport(writer,
                        ReportData{input.project, input.results, input.titlePage, input.office});
        if (const zant::Outcome error = writer.save(path)) {
            state.SkipWithError(error->text.toStdString().c_str());
            return;
        }
    }
#ifdef Q_OS_UNIX
    // The peak of the whole process so far; the largest report runs last, so its figure is its
    // own peak.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024;
#endif
}

void fullReportLayout(benchmark::State& state, const Input& input)
{
    for (auto _ : state) {
        auto pages = layoutDirectReport(
            ReportData{input.project, input.results, input.titlePage, input.office});
        benchmark::DoNotOptimize(pages);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // The full report draws its pictures: fonts need a GUI application, the offscreen one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("relazione.docx"));
    const Input input(10);
    benchmark::RegisterBenchmark("full_report_docx/500_events_4990_links",
                                 [&](benchmark::State& s) { fullReportDocx(s, input, path); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("full_report_direct_layout/500_events_4990_links",
                                 [&](benchmark::State& s) { fullReportLayout(s, input); })
        ->Unit(benchmark::kMillisecond);
    // The largest project the limits allow: 500 links on every event but the last. Its report
    // must be written in bounded memory; run it alone under /usr/bin/time -v to see the peak.
    std::unique_ptr<Input> largest;
    benchmark::RegisterBenchmark("full_report_docx/500_events_249500_links",
                                 [&](benchmark::State& s) {
                                     if (!largest)
                                         largest = std::make_unique<Input>(500);
                                     fullReportDocx(s, *largest, path);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
