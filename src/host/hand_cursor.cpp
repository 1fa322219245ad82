#include "host/hand_cursor.h"

#include <string_view>

#include "platform/gdi/icon.h"

namespace ov::host {

namespace {

// ' ' transparent, '#' black outline, 'o' white. The hot spot (6, 2) is the first white pixel
// row of the index finger, just inside its black tip.
constexpr std::array<std::string_view, 23> kHandArt = {
    "                                ",
    "     ##                         ",
    "    #oo#                        ",
    "    #oo#                        ",
    "    #oo#                        ",
    "    #oo#                        ",
    "    #oo###                      ",
    "    #oo#oo###                   ",
    "    #oo#oo#oo##                 ",
    "    #oo#oo#oo#o#                ",
    "##  #oooooooo#o#                ",
    "#o# #ooooooooooo#               ",
    "#oo##ooooooooooo#               ",
    " #oo#ooooooooooo#               ",
    "  #ooooooooooooo#               ",
    "  #ooooooooooooo#               ",
    "   #oooooooooooo#               ",
    "   #ooooooooooo#                ",
    "    #oooooooooo#                ",
    "    #ooooooooo#                 ",
    "     #oooooooo#                 ",
    "     #oooooooo#                 ",
    "     ##########                 ",
};

MonochromeCursor BuildPointingHand() {
    MonochromeCursor cursor;
    cursor.hot_spot_x = 6;
    cursor.hot_spot_y = 2;
    cursor.and_mask.fill(0xFFFFFFFFu);
    cursor.xor_mask.fill(0);
    for (std::size_t y = 0; y < kHandArt.size(); ++y) {
        for (std::size_t x = 0; x < kHandArt[y].size(); ++x) {
            const std::uint32_t bit = 0x80000000u >> x;
            const char c = kHandArt[y][x];
            if (c == ' ') continue;
            cursor.and_mask[y] &= ~bit;
            if (c == 'o') cursor.xor_mask[y] |= bit;
        }
    }
    return cursor;
}

}  // namespace

bool MonochromeCursor::IsTransparent(int x, int y) const {
    return (and_mask[static_cast<std::size_t>(y)] & (0x80000000u >> x)) != 0;
}

bool MonochromeCursor::IsWhite(int x, int y) const {
    return !IsTransparent(x, y) && (xor_mask[static_cast<std::size_t>(y)] & (0x80000000u >> x)) != 0;
}

std::vector<std::uint32_t> MonochromeCursor::ToArgb() const {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kSize) * kSize, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (!IsTransparent(x, y))
                pixels[static_cast<std::size_t>(y) * kSize + x] = IsWhite(x, y) ? 0xFFFFFFFFu : 0xFF000000u;
    return pixels;
}

std::shared_ptr<Picture> CursorPicture(const MonochromeCursor& cursor) {
    const std::vector<std::uint32_t> argb = cursor.ToArgb();
    return Picture::FromIcon(gdi::CreateCursorFromArgb(MonochromeCursor::kSize, MonochromeCursor::kSize, argb.data(),
                                                       cursor.hot_spot_x, cursor.hot_spot_y));
}

const MonochromeCursor& PointingHandCursor() {
    static const MonochromeCursor cursor = BuildPointingHand();
    return cursor;
}

}  // namespace ov::host
