// Feeds arbitrary bytes to the data-file reader. What it reads must survive a save and a second
// reading unchanged, and data that pass the check must give a schedule that honours every link.

#include "model/data_check.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "schedule/schedule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace zant;

namespace {

[[noreturn]] void fault(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_project_file: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

// The file keeps a duration to 15 significant digits (and a value closer to zero than 1e-9 as
// 0); a duration read with more digits comes back in that form.
Project asStored(const Project& project)
{
    Project stored = project;
    for (int i = 1; i <= project.eventCount(); ++i) {
        Event event = project.event(i);
        for (Link& link : event.links) {
            if (link.days)
                link.days = formatDaysForFile(*link.days).toDouble();
        }
        stored.setEvent(i, std::move(event));
    }
    return stored;
}

// Names the first difference between two projects, for the report of a fault.
QString firstDifference(const Project& a, const Project& b)
{
    if (a.startDateText() != b.startDateText())
        return QStringLiteral("start date \"%1\" / \"%2\"")
            .arg(a.startDateText(), b.startDateText());
    if (a.eventCount() != b.eventCount())
        return QStringLiteral("event count %1 / %2").arg(a.eventCount()).arg(b.eventCount());
    for (int i = 1; i <= kMaxEvents; ++i) {
        if (a.description(i) != b.description(i))
            return QStringLiteral("event %1: \"%2\" / \"%3\"")
                .arg(QString::number(i), a.description(i), b.description(i));
        if (!(a.event(i).links == b.event(i).links))
            return QStringLiteral("links of event %1").arg(i);
    }
    return QString();
}

void checkRoundTrip(const ProjectFileContents& read)
{
    const auto saved = serializeProjectData(read.project, read.titlePage);
    if (!saved)
        return; // refused, with a message: text the file cannot hold
    const auto again = parseProjectData(saved.value(), QStringLiteral("fuzz-saved"));
    if (!again)
        fault("a saved project does not read back", again.error().text);
    if (!(again.value().project == asStored(read.project)))
        fault("a saved project reads back different",
              firstDifference(asStored(read.project), again.value().project));
    if (!(again.value().titlePage == read.titlePage))
        fault("a saved title page reads back different", QString::fromLatin1(saved.value()));
    const auto savedAgain = serializeProjectData(again.value().project, again.value().titlePage);
    if (!savedAgain || savedAgain.value() != saved.value())
        fault("saving what was read back gives a different file");
}

void checkSchedule(const Project& project)
{
    const ScheduleResults r = ComputeSchedule(project);
    const int n = project.eventCount();
    if (r.eventCount != n || static_cast<int>(r.earliest.size()) != n + 1 ||
        static_cast<int>(r.latest.size()) != n + 1)
        fault("results sized for another network");

    // Earliest times come from sums and latest ones from differences of the same durations, so
    // they may differ in the last bits.
    const double slack = 1e-13 * n * std::max(1.0, std::fabs(r.earliest[n]));
    std::vector<double> longestIncoming(n + 1, 0.0);
    for (int i = 1; i < n; ++i) {
        for (const Link& link : project.event(i).links) {
            const int k = link.target;
            const double d = link.days.value_or(0.0);
            longestIncoming[k] = std::max(longestIncoming[k], r.earliest[i] + d);
            // Event 1's latest time is set to 0 after the backward pass, as the program has
            // always shown its start event, so a link into it is not bound by that value.
            if (k != 1 && r.latest[i] > r.latest[k] - d + (i == 1 ? slack : 0.0))
                fault("an event's latest time leaves no room for one of its links",
                      QStringLiteral("%1 -> %2").arg(i).arg(k));
        }
    }
    for (int k = 1; k <= n; ++k) {
        // Every event starts when the longest of its incoming activities ends, not later.
        if (r.earliest[k] != longestIncoming[k])
            fault("an earliest time is not the end of the longest incoming activity",
                  QString::number(k));
        // The check guarantees that every event leads to the final one, so no event after the
        // first (whose latest time is pinned to 0) can have a negative float.
        if (k > 1 && r.latest[k] < r.earliest[k] - slack)
            fault("an event has a negative float", QString::number(k));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = parseProjectData(bytes, QStringLiteral("fuzz-input"));
    if (!read) {
        if (read.error().text.isEmpty() || read.error().kind != MessageKind::Critical)
            fault("a refused file without a critical message");
        return 0;
    }
    checkRoundTrip(read.value());
    if (!findDataFault(read.value().project))
        checkSchedule(read.value().project);
    return 0;
}
