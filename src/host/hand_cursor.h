#pragma once
// The pointing-hand mouse pointer of the headings: a 32 x 32 monochrome cursor with its hot
// spot on the tip of the index finger.
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

const MonochromeCursor& PointingHandCursor();

// A picture of the cursor for a MouseIcon: an icon picture that keeps the cursor's hot spot,
// so a live host points with the fingertip.
std::shared_ptr<Picture> CursorPicture(const MonochromeCursor& cursor);

}  // namespace ov::host
