#pragma once

#include <QIcon>

namespace zant {

// The 19 positions of the main windows' toolbar, numbered from 1 as Toolbar1_ButtonClick
// receives them; the separators take a position of their own.
enum class ToolbarButton
{
    Apri = 1,
    Salva,
    Elimina,
    Stampa,
    Separator1,
    Dati,
    Risultati,
    Frontespizio,
    Separator2,
    Colore,
    Separator3,
    Guida,
    Suggerimenti,
    Supporto,
    Informazioni,
    Separator4,
    Controllo,
    Cancella,
    Uscita
};
constexpr int kToolbarPositions = static_cast<int>(ToolbarButton::Uscita);

// The pictures of the toolbar buttons (none for a separator) and of the X buttons, drawn here.
QIcon toolbarIcon(ToolbarButton button);
QIcon deleteRowIcon();

} // namespace zant
