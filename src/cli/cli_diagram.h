#pragma once

#include <QStringList>
#include <QTextStream>

namespace zant {

// zant-cli diagram FILE (-o OUT.{svg,png,pdf} | --json) [--livelli]
int runDiagramCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// zant-cli gantt FILE -o OUT.{svg,png,pdf}
int runGanttCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace zant
