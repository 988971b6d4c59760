#pragma once

#include "cli/command_line.h"

namespace zant {

// zant-cli importi FILE [--json] [--sal-mesi N | --sal-importo EURO] [--sal-minimo EURO]
extern const CliCommand kAmountsCommand;

} // namespace zant
