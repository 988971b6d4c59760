#include "windows/registry.h"

#include "shell/modzant.h"
#include "windows/dati.h"

namespace zant {

void registerAllWindows(ModZANT& app)
{
    app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
}

} // namespace zant
