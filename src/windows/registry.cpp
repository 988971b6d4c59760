#include "windows/registry.h"

#include "shell/modzant.h"
#include "windows/dati.h"
#include "windows/risultati.h"
#include "windows/frontespizio.h"

namespace zant {

void registerAllWindows(ModZANT& app)
{
    app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
    app.registerWindow(win::risultati, [](ModZANT& a) { return new risultati(a); });
    app.registerWindow(win::frontespizio, [](ModZANT& a) { return new frontespizio(a); });
}

} // namespace zant
