#pragma once
// The desktop's colours for the controls: the system colour scheme of the drawing layer (the
// COLOR_ indices of platform/gdi/gdi.h, which every OLE_COLOR with the high bit set names) is
// filled from a QPalette through one table, or put back to the classic scheme. The scheme is
// the drawing layer's, one for the process: every host of the process shows the colours last
// applied.
#include <QPalette>
#include <array>

#include "platform/gdi/screen.h"

namespace ov::qt {

// Where one system colour comes from: a colour role of a colour group of the palette.
struct PaletteSource {
    int index;  // COLOR_ index
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The mapping, one row per system colour index 0..30 in order (docs/colours.md shows it).
const std::array<PaletteSource, gdi::kSysColorCount>& PaletteSources();

// The scheme `palette` gives, as 0x00BBGGRR colours by index.
std::array<gdi::COLORREF, gdi::kSysColorCount> SchemeFromPalette(const QPalette& palette);

// Sets the drawing layer's system colours from `palette`; returns whether any changed.
bool ApplyPaletteColours(const QPalette& palette);
// Puts the classic scheme back; returns whether any colour changed.
bool ApplyClassicColours();

}  // namespace ov::qt
