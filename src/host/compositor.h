#pragma once
// The compositor: draws one control (its surface with see-through handling, then its
// lightweight constituents in z-order, then its windowed constituents) onto a canvas of form
// pixels. System colours are translated here, at every composition.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::host {

class Control;

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t>& pixels;  // 0x00RRGGBB, row-major
};

// Fills `rect` (half-open, form pixels) with an OLE_COLOR, clipped to the canvas.
void FillCanvas(Canvas& canvas, const gdi::RECT& rect, std::int32_t ole_colour);

// Draws `control` with its top-left corner at `origin`, touching only pixels inside `clip`
// (half-open). What lies beneath shows through the transparent parts of its surface.
void ComposeControl(const Control& control, Canvas& canvas, gdi::POINT origin, const gdi::RECT& clip);

// An OLE_COLOR to COLORREF with the current system colours (black for an invalid value).
gdi::COLORREF TranslateOleColor(std::int32_t ole_colour);

}  // namespace ov::host
