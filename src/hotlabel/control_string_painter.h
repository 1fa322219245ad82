#pragma once
// The hot label's renderer: draws a control string character by character onto a picture box,
// hot spots underlined in their colour, "*" as a copy of the picture holder, wrapping by
// character, and records where each hot spot starts and ends for the pointer's hit test.
#include <cstdint>
#include <string_view>

#include "hotlabel/hot_spots.h"
#include "platform/picturebox/picture_box.h"

namespace ov::hotlabel {

// OLE_COLORs, handed to the surface as they are (it translates system colours).
struct ControlStringColours {
    OleColor fore = 0;       // text outside hot spots
    OleColor hotspot = 0;    // hot-spot text
    OleColor highlight = 0;  // the hot spot under the pointer
};

// Hot spot `index` is lit while `over` is true.
struct Hover {
    std::int32_t index = 0;
    bool over = false;
};

// Where text starts, and the gap a line break and an inline picture add, in pixels.
inline constexpr int kTextOrigin = 2;
inline constexpr int kLineGap = 2;
inline constexpr int kPictureGap = 3;

// Renders `control_string` on `surface` (pixel scale): counts the hot spots first when the
// table holds none, clears the surface, then draws from (2, 2). Text outside hot spots is in
// `fore` without underline, inside in `hotspot` (or `highlight` for the hovered one) with
// underline, both set on the surface's fore colour and shared font object, so the font keeps
// the underline of the last character drawn. A character that would cross the surface's right
// edge goes to x = 2 on the next line (its height + 2 further down), in the middle of a word
// if need be; a CR, an LF or a CR LF pair starts the next line the same way. "*" copies
// `picture`'s whole client area (pixel scale) to (x + 3, y) and moves x by its outer width + 3,
// never wrapping. A hot spot's record is rewritten only when its opening "~" is met at an x
// other than its stored left; its right follows at the closing "~". Positions are stored
// rounded halves to even; one beyond 32 bits is the overflow error (6).
void RenderControlString(PictureBox& surface, PictureBox& picture, std::string_view control_string,
                         const ControlStringColours& colours, const Hover& hover, HotSpotTable& hot_spots);

}  // namespace ov::hotlabel
