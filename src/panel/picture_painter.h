#pragma once
// The panel's picture routines on device contexts: a stretching copy, a copy with one colour
// transparent, and the mask technique behind the second. They draw bitmaps and icons; any
// other picture, or none, is refused with "Invalid picture" (481) before anything is drawn.
//
// Colours are OLE_COLOR values, translated with OleTranslateColor. Every routine takes an
// optional palette: 0 makes it create a halftone palette for this call, which it deletes
// again; a palette it is given is left to the caller. Every device context, bitmap, brush and
// palette a routine creates is selected back out and deleted before it returns, and the
// screen's device context is released.
#include <cstdint>

#include "platform/gdi/gdi.h"

namespace ov {
class Picture;
}

namespace ov::panel {

// Copies the source rectangle of `picture` stretched into (x, y, width, height) of `dst`. An
// icon comes out as if first drawn at its natural size over `background` on a bitmap reaching
// the source rectangle's far edges, which is then stretched: no transparency. That bitmap is
// never made whole, only the pieces of it that reach `dst`'s bitmap, so the cost follows the
// part of `dst` drawn, not the icon; where it could be no bitmap (past the surface limits),
// nothing is drawn.
void PaintStdPicture(gdi::HDC dst, int x, int y, int width, int height, const Picture* picture, int src_x, int src_y,
                     int src_width, int src_height, std::uint32_t background, gdi::HPALETTE palette);

// Copies a width x height rectangle of `picture` from (src_x, src_y), leaving the destination
// where the picture has `transparent`. An icon is drawn over `transparent` first, so its own
// transparent parts stay transparent too.
void PaintTransparentStdPicture(gdi::HDC dst, int x, int y, int width, int height, const Picture* picture, int src_x,
                                int src_y, std::uint32_t transparent, gdi::HPALETTE palette);

// The same for a source device context: a monochrome mask of the pixels in `transparent`
// blacks them out of a copy of the source and keeps the destination only there, and the two
// are merged onto the destination in one final copy.
void TransparentBlit(gdi::HDC dst, int x, int y, int width, int height, gdi::HDC src, int src_x, int src_y,
                     std::uint32_t transparent, gdi::HPALETTE palette);

}  // namespace ov::panel
