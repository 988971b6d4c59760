#include "windows/registry.h"

#include "shell/modzant.h"
#include "windows/calendarioprogetto.h"
#include "windows/cronoeconomico.h"
#include "windows/dati.h"
#include "windows/frmSplash.h"
#include "windows/frmTip.h"
#include "windows/frontespizio.h"
#include "windows/gantt.h"
#include "windows/guidaschema.h"
#include "windows/help_window.h"
#include "windows/impostazioni.h"
#include "windows/informa.h"
#include "windows/reticolo.h"
#include "windows/risultati.h"
#include "windows/sommario.h"
#include "windows/supportoclienti.h"

namespace zant {

void registerAllWindows(ModZANT& app)
{
    app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
    app.registerWindow(win::risultati, [](ModZANT& a) { return new risultati(a); });
    app.registerWindow(win::frontespizio, [](ModZANT& a) { return new frontespizio(a); });
    app.registerWindow(win::sommario, [](ModZANT& a) { return new sommario(a); });
    for (const QString& page :
         {win::manuale, win::guidafunzionamento, win::guidastampa, win::guidadati,
          win::guidarisultati, win::guidafrontespizio, win::metodo})
        app.registerWindow(page, [page](ModZANT& a) { return new HelpWindow(a, page); });
    app.registerWindow(win::guidaschema, [](ModZANT& a) { return new guidaschema(a); });
    app.registerWindow(win::frmTip, [](ModZANT&) { return new frmTip; });
    app.registerWindow(win::frmSplash, [](ModZANT& a) { return new frmSplash(a); });
    app.registerWindow(win::informa, [](ModZANT& a) { return new informa(a); });
    app.registerWindow(win::supportoclienti, [](ModZANT& a) { return new supportoclienti(a); });
    app.registerWindow(win::reticolo, [](ModZANT& a) { return new reticolo(a); });
    app.registerWindow(win::gantt, [](ModZANT& a) { return new gantt(a); });
    app.registerWindow(win::cronoeconomico, [](ModZANT& a) { return new cronoeconomico(a); });
    app.registerWindow(win::impostazioni, [](ModZANT& a) { return new impostazioni(a); });
    app.registerWindow(win::calendarioprogetto,
                       [](ModZANT& a) { return new calendarioprogetto(a); });
}

} // namespace zant
