#include "generated_network.h"
#include "report/direct_print.h"
#include "report/documents.h"
#include "report/docx_writer.h"
#include "report/print_renderer.h"

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
        if (const zant::Result<void> error = writer.save(path); !error.ok()) {
            state.SkipWithError(error.error().text.toStdString().c_str());
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

// Four events in a row.
Project smallPlan()
{
    Project project;
    project.setStartDateText(QStringLiteral("01/03/2027"));
    project.setEventCount(4);
    for (int e = 1; e <= 4; ++e) {
        Event event;
        event.description = QStringLiteral("Evento %1").arg(e);
        if (e < 4)
            event.links.push_back(Link{e + 1, 5.0});
        project.setEvent(e, event);
    }
    return project;
}

// A small plan whose office name and title are one word of 100,000 characters without a blank,
// as a Microsoft Project <Title> may be: every line that holds it is cut where it is full.
// Each of these must take well under a second.
struct LongWordInput
{
    explicit LongWordInput(const QString& word)
        : project(smallPlan()), office{word, QStringLiteral("Via Roma 1")}
    {
        titlePage[TitlePage::progetto] = word;
    }
    Project project;
    TitlePage titlePage = bench::sampleTitlePage();
    OfficeSettings office;
    ScheduleResults results = ComputeSchedule(project);
    ReportData data() const { return ReportData{project, results, titlePage, office}; }
};

void longWordLayout(benchmark::State& state, const LongWordInput& input)
{
    for (auto _ : state) {
        auto pages = layoutDirectReport(input.data());
        benchmark::DoNotOptimize(pages);
    }
}

void longWordPdf(benchmark::State& state, const LongWordInput& input, const QString& path)
{
    for (auto _ : state) {
        if (const zant::Result<void> error = printReportToPdf(input.data(), path); !error.ok()) {
            state.SkipWithError(error.error().text.toStdString().c_str());
            return;
        }
    }
}

void longWordDocx(benchmark::State& state, const LongWordInput& input, const QString& path)
{
    for (auto _ : state) {
        DocxWriter writer;
        buildFullReport(writer, input.data());
        if (const zant::Result<void> error = writer.save(path); !error.ok()) {
            state.SkipWithError(error.error().text.toStdString().c_str());
            return;
        }
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
    const LongWordInput longWord(QString(100000, QLatin1Char('W')));
    const QString pdfPath = temp.filePath(QStringLiteral("relazione.pdf"));
    benchmark::RegisterBenchmark("direct_layout/100000_character_word", [&](benchmark::State& s) {
        longWordLayout(s, longWord);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("direct_pdf/100000_character_word", [&](benchmark::State& s) {
        longWordPdf(s, longWord, pdfPath);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("full_report_docx/100000_character_title",
                                 [&](benchmark::State& s) { longWordDocx(s, longWord, path); })
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
