#pragma once
// Ellipse outlines drawn from the last back: each pixel is written once, by the last outline
// that covers it, instead of once by every outline that passes through it. Concentric rings
// (an elliptical gradient draws five outlines per ring, a thousand rings deep) overwrite all
// but the outermost pixels of each ring, so most of the work of drawing them in order is lost.
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal_only.h"

namespace ov::gdi::detail {

// Draws the calls (boxes normalised; no brush; a one-pixel pen or none) so that every pixel
// ends as drawing them in order with Ellipse would leave it. False, with nothing written, when
// the working lists cannot be allocated.
bool DrawOutlinesFromLast(Bitmap& bitmap, const std::vector<EllipseBatch::Call>& calls);

}  // namespace ov::gdi::detail
