#pragma once

#include "cli/command_line.h"

namespace zant {

// zant-cli diagram FILE (-o OUT.{svg,png,pdf} | --json) [--livelli]
extern const CliCommand kDiagramCommand;

// zant-cli gantt FILE -o OUT.{svg,png,pdf}
extern const CliCommand kGanttCommand;

} // namespace zant
