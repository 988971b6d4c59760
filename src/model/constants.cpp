#include "model/constants.h"

namespace zant {

const SharedConstants& sharedConstants()
{
    static const SharedConstants constants = [] {
        SharedConstants c;
        c.productName = QStringLiteral("ZANT");
        c.productSubtitle = QStringLiteral("tecnica reticolare di programmazione");
        c.versionText = QStringLiteral("3.04.05");
        c.firstReleaseDate = QStringLiteral("05/07/1985");
        c.messageTitle =
            c.productName + QStringLiteral(": controllo dati immessi nella finestra attiva");
        c.helpTitle = c.productName + QStringLiteral(": aiuto in linea");
        c.deleteDialogTitle = QStringLiteral(
            "Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo");
        return c;
    }();
    return constants;
}

} // namespace zant
