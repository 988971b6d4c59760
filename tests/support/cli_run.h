#pragma once

#include "cli/cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace zant::test {

// What one run of zant-cli gave: its exit code and what it printed.
struct Run
{
    int code = -1;
    QString out;
    QString err;
};

inline Run run(const QStringList& args)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = runCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace zant::test
