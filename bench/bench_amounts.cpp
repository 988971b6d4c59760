// Amounts in time of a large works programme: 500 events, 5,000 activities with amounts over
// about ten years, spread day by day on both schedules and summed by month and contract year;
// and the SAL forecast on top of them.

#include "model/data_check.h"
#include "model/text_format.h"
#include "schedule/amounts.h"
#include "schedule/schedule.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace zant;

namespace {

// Events 1..500 in a chain of 7 or 8 days (3,659 days: ten years), and from each event nine or
// ten more activities to the next twenty events, never longer than the chain between them, so
// that the works end with the chain: 5,000 activities. Every activity has an amount; a tenth
// last 0 days.
Project programme()
{
    QRandomGenerator random(20270201);
    Project p;
    p.setStartDateText(QStringLiteral("01/02/2027"));
    const int n = kMaxEvents;
    std::vector<Event> events(n + 1);
    for (int i = 1; i <= n; ++i)
        events[i].description = QStringLiteral("Evento %1").arg(i);
    for (int i = 1; i < n; ++i) {
        events[i].links.push_back({i + 1, i % 3 == 0 ? 8.0 : 7.0});
        const int more = i % 26 == 1 ? 10 : 9;
        for (int k = 0; k < more && i + 1 < n; ++k) {
            const int to = std::min(n, i + 1 + random.bounded(20));
            const double days = random.bounded(10) == 0 ? 0.0 : random.bounded(1, 7 * (to - i) + 1);
            events[i].links.push_back({to, days});
        }
        for (Link& link : events[i].links) {
            link.amount = Cents(random.bounded(1, 5'000'000)) * 10 + random.bounded(10);
            link.category = QStringLiteral("OG1");
        }
    }
    p.setEventCount(n);
    for (int i = 1; i <= n; ++i)
        p.setEvent(i, events[i]);
    return p;
}

void amountsInTimeOfTheProgramme(benchmark::State& state)
{
    const Project project = programme();
    if (auto fault = findDataFault(project)) {
        state.SkipWithError(qPrintable(fault->text));
        return;
    }
    const ScheduleResults results = ComputeSchedule(project);
    const DayDate days = projectDays(project);
    for (auto _ : state) {
        const AmountsInTime amounts = amountsInTime(project, results, days);
        benchmark::DoNotOptimize(amounts.curve.data());
    }
    const AmountsInTime amounts = amountsInTime(project, results, days);
    state.counters["activities"] = project.activities().size();
    state.counters["days"] = static_cast<double>(amounts.curve.size());
    state.counters["months"] = static_cast<double>(amounts.months.size());
    if (amounts.years.back().earlyCumulative != project.totalAmount())
        state.SkipWithError("the years do not add up to the total");
}

void salForecastOfTheProgramme(benchmark::State& state)
{
    const Project project = programme();
    const AmountsInTime amounts =
        amountsInTime(project, ComputeSchedule(project), projectDays(project));
    for (auto _ : state) {
        const auto sals = salForecast(amounts, SalRule{0, 15'000'000, 5'000'000});
        benchmark::DoNotOptimize(sals.data());
    }
}

} // namespace

BENCHMARK(amountsInTimeOfTheProgramme)->Unit(benchmark::kMillisecond);
BENCHMARK(salForecastOfTheProgramme)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
