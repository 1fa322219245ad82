#pragma once
// The compositor: draws one control (its surface with see-through handling, then its
// lightweight constituents in z-order, then its windowed constituents) onto a canvas of form
// pixels. System colours are translated here, at every composition.
//
// A canvas may cover only part of the form (a pixel query composes one pixel): it says where
// it lies, and a control is drawn through a buffer the size of the part of it that shows, so
// the cost follows the canvas, not the control.
#include <cstdint>
#include <vector>

#include "host/reference/reference_only.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/gdi.h"

namespace ov::host {

class Control;

// What a composition drew from: the windows whose presented pixels it read, with where their
// pixel (0, 0) lies in form pixels, and the other bitmaps (mask and image pictures). Where their
// pixels change later is where the composed image may be out of date.
struct CompositionSources {
    struct Window {
        gdi::HWND window;
        std::int64_t left, top;
    };
    std::vector<Window> windows;
    std::vector<gdi::HBITMAP> bitmaps;
};

struct Canvas {
    gdi::RECT bounds;                       // form pixels covered, half-open
    std::uint32_t* pixels;                  // 0x00RRGGBB, row-major: bounds' top-left pixel
    std::size_t stride;                     // pixels from one row to the next, at least the width of `bounds`
    CompositionSources* sources = nullptr;  // when set, what is drawn from is added
    int width() const { return bounds.right - bounds.left; }
    std::uint32_t& at(int x, int y) {  // form pixels, inside `bounds`
        return pixels[static_cast<std::size_t>(y - bounds.top) * stride + static_cast<std::size_t>(x - bounds.left)];
    }
};

// Fills `rect` (half-open, form pixels) with an OLE_COLOR, clipped to the canvas.
void FillCanvas(Canvas& canvas, const gdi::RECT& rect, std::int32_t ole_colour);

// Draws `control` with its top-left corner at `origin` (form pixels), touching only pixels
// inside `clip` and the canvas. What lies beneath shows through the transparent parts of its
// surface. Throws "Out of memory" (7) when its drawing buffer cannot be made.
void ComposeControl(const Control& control, Canvas& canvas, gdi::POINT origin, const gdi::RECT& clip);

// The intersection of two half-open rectangles (empty ones keep right >= left, bottom >= top).
gdi::RECT Intersect(const gdi::RECT& a, const gdi::RECT& b);

}  // namespace ov::host
