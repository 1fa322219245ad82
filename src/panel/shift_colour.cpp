#include "panel/shift_colour.h"

#include <algorithm>

#include "platform/gdi/gdi.h"

namespace ov::panel {

std::int32_t ShiftColor(std::uint32_t colour, std::int64_t delta) {
    // GetSysColor answers 0 for an index it does not know, which is also what a pixel read
    // outside the drawing area (0xFFFFFFFF) becomes.
    std::uint32_t c = colour;
    if (c & 0x80000000u) c = gdi::GetSysColor(static_cast<int>(c & 0x7FFFFFFFu));
    const auto shift = [delta](std::int64_t channel) { return std::clamp<std::int64_t>(channel + delta, 0, 255); };
    const std::int64_t red = shift((c % 65536) % 256);
    const std::int64_t green = shift((c % 65536) / 256);
    const std::int64_t blue = shift(c / 65536);
    return static_cast<std::int32_t>(red + 256 * green + 65536 * blue);
}

}  // namespace ov::panel
