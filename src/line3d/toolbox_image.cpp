// OV3DLine in the toolbox: a horizontal and a vertical etched line meeting, dark over light.
#include "line3d/ov3dline.h"

namespace ov::line3d {

host::ToolboxImage OV3DLine::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {
            "................",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            ".ddddddddddwdddd",
            ".wwwwwwwwwwwwwww",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            "..........dw....",
            "................",
        },
        {{'.', 0xC0C0C0}, {'d', 0x808080}, {'w', 0xFFFFFF}});
}

}  // namespace ov::line3d
