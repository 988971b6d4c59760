#pragma once

#include "cli/command_line.h"
#include "schedule/amounts.h"

namespace zant {

// The SAL rule of --sal-mesi N or --sal-importo EURO (with --sal-minimo EURO); every month when
// neither is given. The message says what is wrong with them.
Result<SalRule> salRuleOf(const CommandLine& line);

// zant-cli cronoprogramma FILE (-o OUT.docx | --pdf OUT.pdf)
extern const CliCommand kCronoprogrammaCommand;

} // namespace zant
