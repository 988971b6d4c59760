#pragma once

#include "model/project.h"
#include "schedule/schedule.h"

#include <QByteArray>

namespace zant {

// The computation as one JSON object, in UTF-8: the events with their times, dates, float and
// predecessors, every link with its three floats, and the critical path.
QByteArray computeJson(const Project& project, const ScheduleResults& results);

} // namespace zant
