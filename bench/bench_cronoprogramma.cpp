#include "generated_network.h"
#include "report/cronoprogramma.h"
#include "report/docx_writer.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

using namespace zant;

namespace {

// The largest network of the report benchmarks (500 events, 4,990 links) with an amount on every
// activity, so that each is a lavorazione with its share.
struct Input
{
    Input() : project(bench::generateNetwork(10))
    {
        std::mt19937 random(20261209);
        std::uniform_int_distribution<Cents> euro(100'00, 250'000'00);
        for (int e = 1; e <= project.eventCount(); ++e)
            for (int s = 1; s <= project.linkCount(e); ++s)
                if (!project.setLinkAmount(e, s, euro(random)).ok())
                    std::abort();
        results = ComputeSchedule(project);
    }
    Project project;
    ScheduleResults results;
    TitlePage titlePage = bench::sampleTitlePage();
    OfficeSettings office{QStringLiteral("Studio tecnico Esempio"), QStringLiteral("Via Roma 1"),
                          QStringLiteral("Ing. Mario Rossi")};
};

// The whole document: figures, tables, Gantt sheets and S-curve, written as a .docx.
void cronoprogrammaDocx(benchmark::State& state, const Input& input, const QString& path)
{
    for (auto _ : state) {
        const ReportData report{input.project, input.results, input.titlePage, input.office};
        DocxWriter writer;
        buildCronoprogramma(writer,
                            cronoprogrammaData(report, SalRule{1, 0, 0}, QDate(2027, 2, 1)));
        if (const Result<void> error = writer.save(path); !error.ok()) {
            state.SkipWithError(error.error().text.toStdString().c_str());
            return;
        }
    }
}

// The same document printed directly into a PDF.
void cronoprogrammaPdf(benchmark::State& state, const Input& input, const QString& path)
{
    for (auto _ : state) {
        const ReportData report{input.project, input.results, input.titlePage, input.office};
        if (const Result<void> error = printCronoprogrammaToPdf(
                cronoprogrammaData(report, SalRule{1, 0, 0}, QDate(2027, 2, 1)), path);
            !error.ok()) {
            state.SkipWithError(error.error().text.toStdString().c_str());
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
    const Input input;
    benchmark::RegisterBenchmark(
        "cronoprogramma_docx/500_events_4990_links",
        [&](benchmark::State& s) { cronoprogrammaDocx(s, input, temp.filePath("crono.docx")); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        "cronoprogramma_pdf/500_events_4990_links",
        [&](benchmark::State& s) { cronoprogrammaPdf(s, input, temp.filePath("crono.pdf")); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
