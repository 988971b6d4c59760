// Feeds arbitrary bytes to the Microsoft Project XML reader. A project it accepts must pass the
// data check, have every link run to a higher event, give a data file that the data file reader
// accepts and reads back unchanged, and come back with the same event dates when it is exported
// and read again.

#include "exchange/mspdi.h"
#include "model/data_check.h"
#include "model/project_file.h"
#include "schedule/schedule.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace zant;

namespace {

[[noreturn]] void fault(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_mspdi: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

const QDate kToday(2026, 12, 8);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = parseMspdi(bytes, QStringLiteral("fuzz.xml"), kToday);
    if (!read) {
        if (read.error().text.isEmpty() || read.error().kind != MessageKind::Critical)
            fault("a refused document without a critical message");
        return 0;
    }
    const Project& p = read.value().project;
    const int n = p.eventCount();
    if (n < 1 || n > kMaxEvents)
        fault("event count out of range", QString::number(n));
    if (auto problem = findDataFault(p))
        fault("an imported project fails the data check", problem->text);
    for (int i = 1; i <= n; ++i)
        for (int s = 1; s <= p.linkCount(i); ++s)
            if (p.link(i, s).target <= i)
                fault("a link runs to a lower event", QStringLiteral("%1 slot %2").arg(i).arg(s));
    for (const auto& task : read.value().tasks)
        if (task.startEvent < 1 || task.startEvent > n || task.endEvent < 1 || task.endEvent > n)
            fault("a task placed outside the network", task.name);

    const auto bytesOfFile = serializeProjectData(p, read.value().titlePage);
    if (!bytesOfFile)
        fault("an imported project cannot be saved", bytesOfFile.error().text);
    const auto reopened = parseProjectData(bytesOfFile.value(), QStringLiteral("fuzz.txt"));
    if (!reopened)
        fault("the file of an imported project does not open", reopened.error().text);
    if (!(reopened.value().project == p) || !(reopened.value().titlePage == read.value().titlePage))
        fault("the file of an imported project opens with other data");

    const ScheduleResults results = ComputeSchedule(p);
    const auto again =
        parseMspdi(writeMspdi(p, results, QString()), QStringLiteral("again.xml"), kToday);
    if (!again)
        fault("an exported project does not read back", again.error().text);
    const ScheduleResults second = ComputeSchedule(again.value().project);
    if (second.eventCount != n)
        fault("an exported project reads back with another event count");
    for (int i = 1; i <= n; ++i)
        if (second.earliestDate[i] != results.earliestDate[i])
            fault("an exported project reads back with other dates", QString::number(i));
    return 0;
}
