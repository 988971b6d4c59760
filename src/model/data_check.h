#pragma once

#include "model/message.h"
#include "model/project.h"

#include <optional>

namespace zant {

// The first fault of the data in the fixed order the offices know (start date, events,
// descriptions, links, durations, then closed cycles), or nothing when the project can be
// scheduled.
std::optional<Message> findDataFault(const Project& project);

// "I dati sono stati immessi formalmente corretti (per numero  n eventi)."
Message dataConfirmation(int eventCount);

// The check the user asks for directly: always answers, with the fault or the confirmation.
// It also settles a flag left at 1 by a command that the check refused earlier.
Message controlla_Click(const Project& project, int& checkFailed);

// The hand-shake of the commands that need valid data: sets checkFailed to 1, checks, and
// sets it back to 0 when the data pass. Returns the fault to show, or nothing to go on.
std::optional<Message> requireValidData(const Project& project, int& checkFailed);

// One closed cycle among the links of events 1..n-1, written from its lowest event and
// ending with it again (2, 3, 2), or an empty list.
std::vector<int> findCycle(const Project& project);

} // namespace zant
