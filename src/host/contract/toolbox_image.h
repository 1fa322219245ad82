#pragma once
// The picture a form designer shows for a control in its toolbox: 16 x 15 pixels, 24-bit.
// Each control draws its own from a few lines of pixel art (ToolboxArt), so the picture lives
// next to the control and the registry carries it to the designer metadata.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace ov::host {

struct ToolboxImage {
    static constexpr int kWidth = 16;
    static constexpr int kHeight = 15;
    std::vector<std::uint32_t> pixels;  // kWidth * kHeight, 0x00RRGGBB, row-major, top-down; empty: none

    bool empty() const { return pixels.empty(); }
};

// Fifteen rows of sixteen characters, each character a key of `palette` (0x00RRGGBB). A
// character missing from the palette is a programming error and draws magenta, so it shows.
using ToolboxArt = std::array<std::string_view, ToolboxImage::kHeight>;
ToolboxImage ToolboxImageFromArt(const ToolboxArt& rows, std::initializer_list<std::pair<char, std::uint32_t>> palette);

}  // namespace ov::host
