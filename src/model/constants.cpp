#include "model/constants.h"

namespace zant {

void InitSharedConstants(SharedConstants& constants)
{
    constants.productName = QStringLiteral("ZANT");
    constants.productSubtitle = QStringLiteral("tecnica reticolare di programmazione");
    constants.versionText = QStringLiteral("3.04.05");
    constants.firstReleaseDate = QStringLiteral("05/07/1985");
}

void InitMessageTitles(SharedConstants& constants)
{
    InitSharedConstants(constants);
    constants.messageTitle =
        constants.productName + QStringLiteral(": controllo dati immessi nella finestra attiva");
    constants.helpTitle = constants.productName + QStringLiteral(": aiuto in linea");
    constants.deleteDialogTitle =
        QStringLiteral("Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo");
}

const SharedConstants& sharedConstants()
{
    static const SharedConstants constants = [] {
        SharedConstants c;
        InitMessageTitles(c);
        return c;
    }();
    return constants;
}

} // namespace zant
