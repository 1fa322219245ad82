// OVTabHead in the toolbox: three headings on a strip, the middle one on its raised plate.
#include "tabhead/tab_head.h"

namespace ov::tabhead {

host::ToolboxImage OVTabHead::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {
            "................",
            "................",
            "................",
            "......wwwwww....",
            "......w....d....",
            ".www..w.kk.d.ww.",
            ".w.dd.w.kk.d.w.d",
            ".w.k..w....d.w.k",
            ".w....w....d.w..",
            "wwwwwwdddddddddd",
            "dddddddddddddddd",
            "................",
            "................",
            "................",
            "................",
        },
        {{'.', 0xC0C0C0}, {'d', 0x808080}, {'w', 0xFFFFFF}, {'k', 0x000000}});
}

}  // namespace ov::tabhead
