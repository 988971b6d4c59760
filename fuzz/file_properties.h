#pragma once

// What must hold for any bytes read as a data file, a title-page file or an extended section:
// what reads is saved and read again unchanged, refusals carry a critical message, and data that
// pass the check schedule consistently. Shared by the fuzz targets, which stop at the first
// fault, and by a test of the ordinary build that replays the corpora. Each answers an empty
// text when all holds, otherwise what went wrong.

#include "model/data_check.h"
#include "model/extended_section.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "model/title_page.h"
#include "schedule/schedule.h"

#include <algorithm>
#include <cmath>

namespace zant::fuzz {

// The file keeps a duration to 15 significant digits (and a value closer to zero than 1e-9 as
// 0); a duration read with more digits comes back in that form.
inline Project asStored(const Project& project)
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

// Names the first difference between two projects.
inline QString firstDifference(const Project& a, const Project& b)
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
    if (a.keptRecords() != b.keptRecords())
        return QStringLiteral("kept records");
    if (!(a.calendar() == b.calendar()))
        return QStringLiteral("calendar");
    return QString();
}

inline QString roundTripFault(const ProjectFileContents& read)
{
    const auto saved = serializeProjectData(read.project, read.titlePage);
    if (!saved)
        return QStringLiteral("a project that was read cannot be saved: ") + saved.error().text;
    const auto again = parseProjectData(saved.value(), QStringLiteral("fuzz-saved"));
    if (!again)
        return QStringLiteral("a saved project does not read back: ") + again.error().text;
    if (!(again.value().project == asStored(read.project)))
        return QStringLiteral("a saved project reads back different: ") +
               firstDifference(asStored(read.project), again.value().project);
    if (!(again.value().titlePage == read.titlePage))
        return QStringLiteral("a saved title page reads back different");
    // What an older version reads: the same network, texts in their closest form.
    const auto old = parseProjectData(saved.value(), QStringLiteral("fuzz-saved"),
                                      ProjectRecords::TraditionalOnly);
    if (!old || old.value().project.eventCount() != read.project.eventCount())
        return QStringLiteral("the traditional records of a saved project do not read alone");
    const Project storedProject = asStored(read.project);
    for (int i = 1; i <= read.project.eventCount(); ++i) {
        const auto& links = old.value().project.event(i).links;
        const auto& stored = storedProject.event(i).links;
        if (links.size() != stored.size())
            return QStringLiteral("the traditional records lose links of event %1").arg(i);
        for (std::size_t s = 0; s < links.size(); ++s) {
            if (links[s].target != stored[s].target || links[s].days != stored[s].days)
                return QStringLiteral("the traditional records change link %1 of event %2")
                    .arg(s + 1)
                    .arg(i);
        }
    }
    const auto savedAgain = serializeProjectData(again.value().project, again.value().titlePage);
    if (!savedAgain || savedAgain.value() != saved.value())
        return QStringLiteral("saving what was read back gives a different file");
    return QString();
}

inline QString scheduleFault(const Project& project)
{
    const ScheduleResults r = ComputeSchedule(project);
    const int n = project.eventCount();
    if (r.eventCount != n || static_cast<int>(r.earliest.size()) != n + 1 ||
        static_cast<int>(r.latest.size()) != n + 1)
        return QStringLiteral("results sized for another network");

    // Earliest times come from sums and latest ones from differences of the same durations, so
    // they may differ in the last bits.
    const double slack = 1e-12 * n * std::max(1.0, std::fabs(r.earliest[n]));
    std::vector<double> longestIncoming(n + 1, 0.0);
    for (const Activity a : project.activities()) {
        longestIncoming[a.to] = std::max(longestIncoming[a.to], r.earliest[a.from] + a.days());
        if (r.latest[a.from] > r.latest[a.to] - a.days() + slack)
            return QStringLiteral("an event's latest time leaves no room for %1 -> %2")
                .arg(a.from)
                .arg(a.to);
    }
    // Dates follow the calendar: an event's date is a day that counts, and a later time never
    // has an earlier date.
    const ProjectCalendar& calendar = project.calendar();
    for (int k = 1; k <= n && r.clock.isValid(); ++k) {
        const QDate early = r.dateAt(r.earliest[k]);
        if (early.isValid() && !calendar.isWorkingDay(early) && calendar.skipsDays())
            return QStringLiteral("event %1 falls on a day that does not count").arg(k);
        if (early.isValid() && r.earliestDate[k] != formatDate(early))
            return QStringLiteral("event %1 is dated apart from the calendar").arg(k);
        for (const Activity a : project.activities(k)) {
            const QDate next = r.dateAt(r.earliest[a.to]);
            if (early.isValid() && next.isValid() && r.earliest[a.to] >= r.earliest[k] &&
                next < early)
                return QStringLiteral("event %1 is dated before event %2").arg(a.to).arg(k);
        }
    }
    for (int k = 1; k <= n; ++k) {
        // Every event starts when the longest of its incoming activities ends, not later.
        if (r.earliest[k] != longestIncoming[k])
            return QStringLiteral("earliest time of %1 is not the end of the longest incoming "
                                  "activity")
                .arg(k);
        // Every event's latest time is the tightest its successors allow: one of them (or the
        // final time, for an event that leads nowhere) binds it.
        double bound = r.earliest[n];
        bool any = false;
        for (const Activity a : project.activities(k)) {
            bound = any ? std::min(bound, r.latest[a.to] - a.days()) : r.latest[a.to] - a.days();
            any = true;
        }
        if (k != n && std::fabs(r.latest[k] - bound) > slack + 1e-9)
            return QStringLiteral("latest time of %1 is not the tightest its successors allow")
                .arg(k);
    }
    return QString();
}

inline QString projectFileFault(const QByteArray& bytes)
{
    const auto read = parseProjectData(bytes, QStringLiteral("fuzz-input"));
    if (!read) {
        if (read.error().text.isEmpty() || read.error().kind != MessageKind::Critical)
            return QStringLiteral("a refused file without a critical message");
        return QString();
    }
    if (QString fault = roundTripFault(read.value()); !fault.isEmpty())
        return fault;
    if (!findDataFault(read.value().project))
        return scheduleFault(read.value().project);
    return QString();
}

inline QString titlePageFault(const QByteArray& bytes)
{
    const auto read = parseTitlePageData(bytes, QStringLiteral("fuzz-input"));
    if (!read) {
        if (read.error().text.isEmpty() || read.error().kind != MessageKind::Critical)
            return QStringLiteral("a refused file without a critical message");
        return QString();
    }
    const auto record = serializeTitlePage(read.value());
    if (!record)
        return QStringLiteral("a title page that was read cannot be saved");
    const QByteArray saved = record.value() + serializeTitlePageSection(read.value(), nullptr);
    const auto again = parseTitlePageData(saved, QStringLiteral("fuzz-saved"));
    if (!again)
        return QStringLiteral("a saved title page does not read back: ") + again.error().text;
    if (!(again.value() == read.value()))
        return QStringLiteral("a saved title page reads back different");
    return QString();
}

// The bytes as the extended section of a small project, after its traditional records.
inline QByteArray withSection(const QByteArray& section)
{
    return QByteArray("\"01/03/2027\",3\r\n\"Inizio\",2\r\n\"2\",\"4\"\r\n\"3\",\"0\"\r\n"
                      "\"Scavi\",1\r\n\"3\",\"2.5\"\r\n\"Fine\",0\r\n"
                      "\"Scuola\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n") +
           section;
}

inline QString extendedSectionFault(const QByteArray& section)
{
    return projectFileFault(withSection(section));
}

} // namespace zant::fuzz
