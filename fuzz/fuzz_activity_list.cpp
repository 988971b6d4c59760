// Feeds arbitrary bytes to the activity-list reader, as a file and as text pasted into a small
// project. What it adds must keep the project's invariants (no link from the final event) and be
// storable in a data file; a list imported as a file must give a data file that the data file
// reader accepts and reads back unchanged.

#include "exchange/activity_list.h"
#include "model/cp1252.h"
#include "model/data_check.h"
#include "model/project_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace zant;

namespace {

[[noreturn]] void fault(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_activity_list: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

Project smallProject()
{
    Project p;
    p.setStartDateText(QStringLiteral("01/03/2027"));
    p.setEventCount(3);
    p.setEvent(1, Event{QStringLiteral("Inizio"), {Link{2, 4.0}, Link{3, 1.0}}});
    p.setEvent(2, Event{QStringLiteral("Scavi"), {Link{3, 2.0}}});
    p.setEvent(3, Event{QStringLiteral("Fine"), {}});
    return p;
}

void checkPaste(const Project& before, const ActivityList& list)
{
    const ActivityPaste paste = planActivityPaste(before, list);
    const Project& after = paste.result;
    const int n = after.eventCount();
    if (n < before.eventCount() || n > kMaxEvents)
        fault("event count out of range", QString::number(n));
    if (n - before.eventCount() != paste.newEvents)
        fault("new events miscounted");
    int links = 0;
    int linksBefore = 0;
    for (int i = 1; i <= n; ++i) {
        if (after.description(i).isEmpty())
            fault("an event without a description", QString::number(i));
        if (after.linkCount(i) > kMaxLinks)
            fault("too many links from one event", QString::number(i));
        links += after.linkCount(i);
        for (int s = 1; s <= after.linkCount(i); ++s) {
            const Link& l = after.link(i, s);
            if (l.target < 1 || l.target > n || l.target == i || !l.days || *l.days < 0)
                fault("a malformed link", QStringLiteral("%1 slot %2").arg(i).arg(s));
        }
    }
    for (int i = 1; i <= before.eventCount(); ++i)
        linksBefore += before.linkCount(i);
    if (links != linksBefore + static_cast<int>(paste.added.size()))
        fault("links added do not match the rows taken");
    if (paste.refused.size() < list.refused.size())
        fault("a refused row disappeared");
    for (const RefusedRow& r : paste.refused)
        if (r.reason.isEmpty())
            fault("a row refused without a reason");
    if (n > 0 && after.linkCount(n) > 0)
        fault("a link leaves the final event");
    if (!serializeProjectData(after, TitlePage()))
        fault("the pasted project cannot be saved");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ActivityList list = parseActivityList(decodeForeignText(bytes));
    Project empty;
    empty.clear();
    checkPaste(empty, list);
    checkPaste(smallProject(), list);

    const auto file = parseActivityListFile(bytes, QStringLiteral("fuzz.csv"), QDate(2026, 12, 8));
    if (file) {
        const Project& imported = file.value().project;
        if (auto problem = findDataFault(imported))
            fault("an imported list fails the data check", problem->text);
        const auto bytesOfFile = serializeProjectData(imported, TitlePage());
        if (!bytesOfFile)
            fault("an imported list cannot be saved", bytesOfFile.error().text);
        const auto reopened = parseProjectData(bytesOfFile.value(), QStringLiteral("fuzz.txt"));
        if (!reopened)
            fault("the file of an imported list does not open", reopened.error().text);
        if (!(reopened.value().project == imported))
            fault("the file of an imported list opens with other data");
    } else if (file.error().text.isEmpty()) {
        fault("a refused list without a message");
    }
    return 0;
}
