#pragma once

#include <QDate>
#include <QStringList>
#include <QTextStream>

namespace zant {

// zant-cli export FILE --mspdi OUT.xml / --ics OUT.ics
int runExport(const QStringList& args, QTextStream& out, QTextStream& err);

// zant-cli import IN.xml|IN.csv -o OUT.txt; `today` is the start date of an activity list (and
// of an MSPDI file without one).
int runImport(const QStringList& args, QTextStream& out, QTextStream& err,
              const QDate& today = QDate::currentDate());

// zant-cli results FILE --xlsx OUT.xlsx / --csv DIR
int runResultsExport(const QStringList& args, QTextStream& out, QTextStream& err);

// Whether `results` arguments ask for a spreadsheet rather than the document.
bool wantsResultsExport(const QStringList& args);

} // namespace zant
