#pragma once

#include <QString>

namespace zant {

// The folder of the program's read-only files (splash music, tips, help texts): the installed
// share folder next to the program, else a "resources" folder beside it, else the source
// tree's, so that a build runs without being installed.
QString resourcesDir();

// A file of that folder.
QString resourceFile(const QString& name);

} // namespace zant
