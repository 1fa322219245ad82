#pragma once
// The panel's caption: one line of text measured in the drawing area's font, placed at one of
// nine positions kept `cushion` pixels from the edges it is aligned to, and drawn in one of
// six styles that add a white or lighter copy one pixel up-left or down-right (engraved,
// embossed, shadowed).
#include <cstdint>
#include <string>

#include "platform/gdi/gdi.h"

namespace ov {
class PictureBox;
}

namespace ov::panel {

struct CaptionLayout {
    std::int32_t alignment = 7;  // gpAlignment; out of range centres both ways
    std::int32_t style = 0;      // gpCaptionStyle; out of range draws plain
    std::int32_t cushion = 3;    // AlignmentCushion, pixels
    double panel_width = 0;      // the panel's size in pixels, unrounded
    double panel_height = 0;
    gdi::RECT client{};  // the panel's client rectangle, where measuring starts
};

// Where the text goes for a measured size of tw x th pixels. Right and bottom alignments keep
// cushion + 1 pixels free, left and top ones cushion pixels; halves round to even.
gdi::RECT PlaceCaption(const CaptionLayout& layout, int text_width, int text_height);

// Measures (DT_CALCRECT, line breaks honoured) and draws (DT_SINGLELINE) `text` on the drawing
// area. The area's ForeColor is the text colour; the extra passes change it and it is set back
// before the text itself is drawn. Returns the rectangle holding every pixel it may have drawn:
// each pass is clipped to its text rectangle, so the placed one grown by a pixel each way.
gdi::RECT DrawCaption(const std::string& text, PictureBox& area, const CaptionLayout& layout);

// The two halves of DrawCaption, for a caller that needs to know where the caption goes before
// it is drawn: the placed text rectangle, the rectangle holding every pixel drawing it there
// may change, and the drawing (which returns that rectangle too).
gdi::RECT PlaceCaptionText(const std::string& text, PictureBox& area, const CaptionLayout& layout);
gdi::RECT CaptionBounds(const gdi::RECT& placed);
gdi::RECT DrawCaptionAt(const std::string& text, PictureBox& area, std::int32_t style, const gdi::RECT& placed);

}  // namespace ov::panel
