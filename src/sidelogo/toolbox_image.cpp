// OVSideLogo in the toolbox: a tall strip banded from blue to silver with a caption written
// upwards in white.
#include "sidelogo/side_logo.h"

namespace ov::sidelogo {

host::ToolboxImage OVSideLogo::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {
            ".....kkkkkk.....",
            ".....k1111k.....",
            ".....k1ww1k.....",
            ".....k2ww2k.....",
            ".....k2222k.....",
            ".....k3ww3k.....",
            ".....k3w33k.....",
            ".....k3ww3k.....",
            ".....k4444k.....",
            ".....k4ww4k.....",
            ".....k5w55k.....",
            ".....k5ww5k.....",
            ".....k6666k.....",
            ".....k6666k.....",
            ".....kkkkkk.....",
        },
        {{'.', 0xC0C0C0},
         {'k', 0x000000},
         {'w', 0xFFFFFF},
         {'1', 0x0000FF},
         {'2', 0x2828E8},
         {'3', 0x5050D8},
         {'4', 0x7878C8},
         {'5', 0x9C9CC8},
         {'6', 0xC0C0C0}});
}

}  // namespace ov::sidelogo
