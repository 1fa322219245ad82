// OVHotLabel in the toolbox: a line of text with one underlined blue hot spot under a
// pointing hand.
#include "hotlabel/hot_label.h"

namespace ov::hotlabel {

host::ToolboxImage OVHotLabel::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {
            "................",
            "................",
            "................",
            "................",
            "kk.k.kk..bb.bb..",
            "k..k.k.k.b.b.b..",
            "kk.k.kk..b.b.b..",
            "k..k.k...b.b.b..",
            "...........bbbbb",
            "..........k.....",
            ".........kwk....",
            ".........kwkkk..",
            "........kkwwwwk.",
            "........kwwwwwk.",
            ".........kkkkk..",
        },
        {{'.', 0xFFFFFF}, {'k', 0x000000}, {'b', 0x0000FF}, {'w', 0xFFFFFF}});
}

}  // namespace ov::hotlabel
