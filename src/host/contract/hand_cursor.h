#pragma once
// The pointing-hand mouse pointer of controls that point at something clickable (tab headings,
// hot spots). One drawing of the hand, two renderings of it: a 32 x 32 monochrome cursor with
// its hot spot on the tip of the index finger at (6, 2), and a 32 x 32 16-colour cursor of the
// same hand moved two pixels right and one down, with a grey drop shadow and its hot spot on
// the same fingertip pixel, now at (8, 3).
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/picture/picture.h"

namespace ov::host {

struct MonochromeCursor {
    static constexpr int kSize = 32;
    int hot_spot_x = 0;
    int hot_spot_y = 0;
    // One 32-bit word per row, the leftmost pixel in the most significant bit. The platform's
    // cursor masks: AND 1 keeps the screen (transparent), AND 0 with XOR 0 paints black,
    // AND 0 with XOR 1 paints white.
    std::array<std::uint32_t, kSize> and_mask{};
    std::array<std::uint32_t, kSize> xor_mask{};

    bool IsTransparent(int x, int y) const;
    bool IsWhite(int x, int y) const;
    // 0xAARRGGBB pixels, row-major, transparent pixels with alpha 0; for hosts that take
    // cursors as colour icons.
    std::vector<std::uint32_t> ToArgb() const;
};

// The sixteen colours a 4-bit cursor picks from, 0x00RRGGBB: the classic display palette
// (0 black, 7 silver, 8 grey, 15 white, ...).
inline constexpr std::array<std::uint32_t, 16> kSixteenColourPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

struct SixteenColourCursor {
    static constexpr int kSize = 32;
    static constexpr std::uint8_t kBlack = 0, kGrey = 8, kWhite = 15;
    int hot_spot_x = 0;
    int hot_spot_y = 0;
    // The AND mask as in MonochromeCursor (1 keeps the screen), and a palette index 0..15 for
    // every pixel the mask paints.
    std::array<std::uint32_t, kSize> and_mask{};
    std::array<std::array<std::uint8_t, kSize>, kSize> colour_index{};  // [y][x]

    bool IsTransparent(int x, int y) const;
    std::uint8_t ColourIndex(int x, int y) const {
        return colour_index[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    }
    std::vector<std::uint32_t> ToArgb() const;  // as MonochromeCursor::ToArgb
};

const MonochromeCursor& PointingHandCursor();
const SixteenColourCursor& PointingHandColourCursor();

// A picture of the cursor for a MouseIcon: an icon picture that keeps the cursor's hot spot,
// so a live host points with the fingertip.
std::shared_ptr<Picture> CursorPicture(const MonochromeCursor& cursor);
std::shared_ptr<Picture> CursorPicture(const SixteenColourCursor& cursor);

}  // namespace ov::host
