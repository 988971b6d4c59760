#pragma once

#include "model/message.h"
#include "model/project.h"

#include <optional>

namespace zant {

// The first fault of the data in the fixed order the offices know (start date, events,
// descriptions, links, durations, then closed cycles), or nothing when the project can be
// scheduled.
std::optional<Message> findDataFault(const Project& project);

// What the data allow but the office should know, as one message (nothing when all is plain):
// every event other than the first without incoming activities ("Evento n. 12: nessun legame in
// entrata; sarà trattato come un secondo inizio.") and the links that leave the final event,
// which are not activities. They never stop a command; the windows show them once per check.
std::optional<Message> findDataWarnings(const Project& project);

// "I dati sono stati immessi formalmente corretti (per numero  n eventi)."
Message dataConfirmation(int eventCount);

// The hand-shake between the data check and the commands that need valid data. A command
// refused by the check leaves its refusal pending until the data pass again, either in the
// next such command or in the check the user asks for directly, which always answers.
class CheckConfirmation final
{
public:
    // The check the user asks for directly: always answers, with the fault or the
    // confirmation of the data, and settles a refusal left pending.
    Message checkOnRequest(const Project& project);

    // For the commands that need valid data: the fault to show, as a Check error (the refusal
    // stays pending), or nothing to go on (and nothing is pending any longer).
    Result<void> requireValidData(const Project& project);

    // Whether the last command that needed valid data was refused and no check has passed
    // since.
    bool refusalPending() const { return m_refusalPending; }

private:
    bool m_refusalPending = false;
};

// The next step the data window suggests while the data are typed: the start date (when the
// window shows none), the first event, then each event's links and their durations in order,
// and what can be done once everything is in.
QString dataEntryGuidance(const Project& project, bool startDateShown);

// One closed cycle among the links of events 1..n-1, written from its lowest event and
// ending with it again (2, 3, 2), or an empty list.
std::vector<int> findCycle(const Project& project);

} // namespace zant
