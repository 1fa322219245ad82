#pragma once
// Icons: ARGB images whose transparent pixels leave the destination untouched when drawn.
#include <cstdint>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// A new icon from width*height pixels 0xAARRGGBB, row-major, top-down (alpha 0 transparent,
// 255 opaque, values between blended). Returns 0 for an empty size or no pixels.
HICON CreateIconFromArgb(int width, int height, const std::uint32_t* argb);
bool GetIconSize(HICON icon, SIZE* out);

}  // namespace ov::gdi
