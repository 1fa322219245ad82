#pragma once
// RenderLogo: the whole side logo on its picture box, background (bands or cylinder) and then
// the caption, in the box's fore colour and font.
#include <cstdint>
#include <string>

#include "platform/gdi/screen.h"
#include "sidelogo/logo_colours.h"

namespace ov {
class PictureBox;
}

namespace ov::sidelogo {

struct LogoAppearance {
    ChannelTriple start;
    ChannelTriple end;
    std::string caption;
    std::int32_t style = 0;  // 1 draws the cylinder, anything else the bands
};

// Draws on `box` and refreshes it. Any error ends the drawing silently: what was drawn stays and
// the box is not refreshed (a zero height, a face name too long for the font record, a position
// past 16 bits). Returns whether the drawing completed.
bool RenderLogo(PictureBox& box, const gdi::ScreenSettings& screen, const LogoAppearance& logo);

}  // namespace ov::sidelogo
