#pragma once
// Icons: ARGB images whose transparent pixels leave the destination untouched when drawn.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// A new icon from width*height pixels 0xAARRGGBB, row-major, top-down (alpha 0 transparent,
// 255 opaque, values between blended). Returns 0 for an empty size or no pixels.
HICON CreateIconFromArgb(int width, int height, const std::uint32_t* argb);
// The same image as a cursor: a pointer whose hot spot is (hot_x, hot_y), which must lie in
// the image (0 otherwise).
HICON CreateCursorFromArgb(int width, int height, const std::uint32_t* argb, int hot_x, int hot_y);
bool GetIconSize(HICON icon, SIZE* out);
// The icon's pixels as it was made from them: 0xAARRGGBB, row-major, top-down.
bool GetIconPixels(HICON icon, int* width, int* height, std::vector<std::uint32_t>* argb);
// Where a pointer shown with this icon points: a cursor's hot spot, an icon's centre.
bool GetIconHotSpot(HICON icon, POINT* out);

}  // namespace ov::gdi
