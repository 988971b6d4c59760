#pragma once

#include <QColor>

namespace zant {

// The colours the windows share.
// The boxes of the row numbers in the grids of the data and results windows.
inline const QColor kRowNumberColour(0, 255, 255);
// The row number under the mouse, whose event the side lists show.
inline const QColor kHighlightColour(255, 255, 0);
// The guidance box at the bottom of the main windows.
inline const QColor kGuidanceColour(255, 255, 192);
// The guidance box when what was typed was cut short.
inline const QColor kWarningColour(255, 170, 120);
// The captions of the help and information windows.
inline const QColor kCaptionColour(0, 0, 128);

// The rows the grids show at a time: events in the data and results windows, links in the
// results window's lists of incoming and outgoing links.
constexpr int kGridRows = 10;
constexpr int kLinkListRows = 5;
// Twips from one grid row to the next.
constexpr int kGridRowPitch = 240;

} // namespace zant
