#pragma once
// The panel's frame: the four classic border colours, the dispatch on Appearance and the
// classic flat, 3-D and etched frames drawn with the drawing area's box and line operations.
// The shaded renderings and the bevel are in shaded_border_painter.h.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov {
class PictureBox;
}

namespace ov::panel {

// Plain colours (0x00BBGGRR).
struct BorderColours {
    std::int32_t shadow = 0;
    std::int32_t dark_shadow = 0;
    std::int32_t light = 0;
    std::int32_t highlight = 0;
    friend bool operator==(const BorderColours&, const BorderColours&) = default;
};

// A gpsStandard panel, and any Style outside the enumeration, takes the system 3-D colours;
// the other styles shade BorderColor, so the frame matches what it is drawn around.
BorderColours ComputeBorderColours(std::int32_t style, std::int32_t border_colour);

// Where the classic frames put their corners: pixel offsets from the near edges and from the
// far edges, expressed in the drawing area's scale units. A far-edge coordinate W - k is the
// scale extent less k pixels, so it lands on the same pixel whatever the scale mode.
struct FrameGeometry {
    double pixel_x = 1;  // one pixel in scale units
    double pixel_y = 1;
    double scale_width = 0;
    double scale_height = 0;

    double NearX(int k) const { return k * pixel_x; }
    double NearY(int k) const { return k * pixel_y; }
    double FarX(int k) const { return scale_width - k * pixel_x; }
    double FarY(int k) const { return scale_height - k * pixel_y; }
    friend bool operator==(const FrameGeometry&, const FrameGeometry&) = default;
};

struct BorderSettings {
    std::int32_t appearance = 5;
    bool classic = false;  // UseClassicBorders
    std::int32_t bevel_width = 3;
    std::int32_t bevel_intensity = 20;
    BorderColours colours;
    friend bool operator==(const BorderSettings&, const BorderSettings&) = default;
};

// Draws the frame chosen by `settings.appearance` (out of range: etched) at offset 0. Returns
// rectangles, in pixels of the area, that hold every pixel the frame may have changed.
//
// With `redo_within`, the area already holds this very frame everywhere except inside that
// rectangle, which holds again what lay under the frame: a shaded frame then shifts only the
// pixels there (each pixel's result depends only on the shifts listed for it), and a classic
// frame, which paints fixed colours over whatever is there, is drawn whole again.
std::vector<gdi::RECT> DrawBorder(PictureBox& area, const FrameGeometry& geometry, const BorderSettings& settings,
                                  const gdi::RECT* redo_within = nullptr);

// The rectangles DrawBorder returns for these settings, worked out without drawing: what a
// frame is about to change.
std::vector<gdi::RECT> BorderBands(const PictureBox& area, const BorderSettings& settings);

// The classic renderings at `offset` pixels from the edges.
void DrawClassicFlatFrame(PictureBox& area, const FrameGeometry& geometry, int offset, bool inset,
                          const BorderColours& colours);
void DrawClassic3DFrame(PictureBox& area, const FrameGeometry& geometry, int offset, bool inset,
                        const BorderColours& colours);
void DrawClassicEtchedFrame(PictureBox& area, const FrameGeometry& geometry, int offset, const BorderColours& colours);

}  // namespace ov::panel
