#pragma once

#include "model/project.h"
#include "schedule/schedule.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace zant {

// The computation as one JSON object, in UTF-8: the events with their times, dates, float and
// predecessors, every link with its three floats, and the critical path.
QByteArray computeJson(const Project& project, const ScheduleResults& results);

// The same bytes handed to `write` a piece at a time, so that they never need to be held whole.
void writeComputeJson(const Project& project, const ScheduleResults& results,
                      const std::function<void(QByteArrayView)>& write);

} // namespace zant
