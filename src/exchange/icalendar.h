#pragma once

#include "model/message.h"
#include "model/project.h"
#include "schedule/schedule.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zant {

// An iCalendar file (RFC 5545) with one all-day event per event of the network on its earliest
// date; critical events are marked in the title, and the description gives the latest date and
// the float. Lines end in CR LF and are folded at 75 octets. `stamp` is the DTSTAMP of every
// event (the time of the export).
QByteArray writeICalendar(const Project& project, const ScheduleResults& results,
                          const QString& projectTitle, const QDateTime& stamp);
Result<void> exportICalendar(const QString& path, const Project& project,
                             const ScheduleResults& results, const QString& projectTitle,
                             const QDateTime& stamp);

} // namespace zant
