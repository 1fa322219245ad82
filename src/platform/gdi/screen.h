#pragma once
// Screen metrics and settings the host can change: twips per pixel, text smoothing, the
// system colour scheme. Tests set them to make output exact and independent of the machine.
#include "platform/gdi/gdi.h"

namespace ov::gdi {

struct ScreenSettings {
    int twips_per_pixel_x = 15;
    int twips_per_pixel_y = 15;
    bool font_smoothing = true;  // anti-aliased glyph edges; off gives one-bit glyphs
};

ScreenSettings& Screen();

// Replaces one entry of the system colour scheme; ResetSysColors restores the classic scheme.
void SetSysColorEntry(int index, COLORREF colour);
void ResetSysColors();
inline constexpr int kSysColorCount = 31;

}  // namespace ov::gdi
