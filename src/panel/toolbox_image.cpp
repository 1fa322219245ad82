// OVGradientPanel in the toolbox: a panel with an etched frame around a gradient that runs
// from light to dark blue, a caption line across its middle.
#include "panel/gradient_panel.h"

namespace ov::panel {

host::ToolboxImage OVGradientPanel::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {
            "................",
            "dddddddddddddddw",
            "dwwwwwwwwwwwwwdw",
            "dw111222333444dw",
            "dw111222333444dw",
            "dw111222333444dw",
            "dw111222333444dw",
            "dw11kkkkkkkk44dw",
            "dw111222333444dw",
            "dw111222333444dw",
            "dw111222333444dw",
            "dw111222333444dw",
            "dddddddddddddddw",
            "dwwwwwwwwwwwwwww",
            "................",
        },
        {{'.', 0xC0C0C0},
         {'d', 0x808080},
         {'w', 0xFFFFFF},
         {'k', 0x000000},
         {'1', 0xD8E8FF},
         {'2', 0xA0C0F0},
         {'3', 0x6890D8},
         {'4', 0x3060B0}});
}

}  // namespace ov::panel
