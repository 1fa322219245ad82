#pragma once
// The `Regular` background of the side logo: horizontal bands from the bottom up, blending from
// the start colour (bottom) towards the end colour (top).
#include "platform/gdi/gdi.h"
#include "sidelogo/logo_colours.h"

namespace ov::sidelogo {

// Band height for a strip of `height` pixels: as many bands as fit 255, at least one pixel.
int BandStep(int height);

// Fills `width` x `height` pixels of `dc` with the bands. Each band's colour is computed from
// the band below it, so the two lowest bands both have `start` and the top one stops short of
// `end`. A zero height has no band colour (0 / 0): after the first band the painter throws
// AutomationError 6, leaving what it drew. Every brush is deleted before the next is made.
void PaintBands(gdi::HDC dc, int width, int height, const ChannelTriple& start, const ChannelTriple& end);

}  // namespace ov::sidelogo
