#pragma once

#include <QIcon>

namespace zant {

// The positions of the main windows' toolbar, numbered from 1 as Toolbar1_ButtonClick receives
// them; the separators take a position of their own.
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
    Uscita,
    // Added after the traditional 19, so that their numbers stay; shown before "Controllo".
    Calendario
};
constexpr int kToolbarPositions = static_cast<int>(ToolbarButton::Calendario);
// The positions in the order the toolbar shows them.
inline constexpr ToolbarButton kToolbarOrder[] = {
    ToolbarButton::Apri,         ToolbarButton::Salva,        ToolbarButton::Elimina,
    ToolbarButton::Stampa,       ToolbarButton::Separator1,   ToolbarButton::Dati,
    ToolbarButton::Risultati,    ToolbarButton::Frontespizio, ToolbarButton::Separator2,
    ToolbarButton::Colore,       ToolbarButton::Separator3,   ToolbarButton::Guida,
    ToolbarButton::Suggerimenti, ToolbarButton::Supporto,     ToolbarButton::Informazioni,
    ToolbarButton::Separator4,   ToolbarButton::Calendario,   ToolbarButton::Controllo,
    ToolbarButton::Cancella,     ToolbarButton::Uscita};

// The pictures of the toolbar buttons (none for a separator) and of the X buttons, drawn here.
QIcon toolbarIcon(ToolbarButton button);
QIcon deleteRowIcon();

} // namespace zant
