// OVTrayIcon in the toolbox: a yellow balloon with two lines of text pointing down at a small
// blue icon in a sunken notification area.
#include "trayicon/tray_icon.h"

namespace ov::trayicon {

host::ToolboxImage OVTrayIcon::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {
            "................",
            ".kkkkkkkkkkkkk..",
            ".kyyyyyyyyyyyk..",
            ".kykkkkkkkkyyk..",
            ".kyyyyyyyyyyyk..",
            ".kykkkkkkyyyyk..",
            ".kyyyyyyyyyyyk..",
            ".kkkkkkyykkkkk..",
            "......kyk.......",
            ".......k........",
            "dddddddddddddddd",
            "d......bb......w",
            "d.....bbbb.....w",
            "d......bb......w",
            "wwwwwwwwwwwwwwww",
        },
        {{'.', 0xC0C0C0}, {'k', 0x000000}, {'y', 0xFFFFE1}, {'d', 0x808080}, {'w', 0xFFFFFF}, {'b', 0x0000FF}});
}

}  // namespace ov::trayicon
