#pragma once
// ShiftColor: the panel's own colour shift, shared by the shaded frames, the bevel, the
// classic border colours and the caption styles. It translates a system colour at use time
// (unknown indices give black) and splits the value as the panel always has: red and green
// from the low 16 bits, blue from everything above bit 15, so a plain colour with stray high
// bits saturates its blue channel.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/ole_colour.h"

namespace ov::panel {

// Adds `delta` to each channel and clamps each to 0..255. The arithmetic is 64-bit, so a shift
// built from BevelIntensity values near the 32-bit limits saturates instead of overflowing.
// Delta 0 turns any colour, system colours included, into its plain 0x00BBGGRR value.
// Inline, so that the frames' loops over whole runs of pixels compile it into their bodies.
inline std::int32_t ShiftColor(std::uint32_t colour, std::int64_t delta) {
    // An index the scheme does not know gives 0, which is also what a pixel read outside the
    // drawing area (0xFFFFFFFF) becomes.
    const std::uint32_t c = gdi::ResolveSystemColorAnyIndex(colour);
    const auto shift = [delta](std::int64_t channel) { return std::clamp<std::int64_t>(channel + delta, 0, 255); };
    const std::int64_t red = shift((c % 65536) % 256);
    const std::int64_t green = shift((c % 65536) / 256);
    const std::int64_t blue = shift(c / 65536);
    return static_cast<std::int32_t>(red + 256 * green + 65536 * blue);
}

}  // namespace ov::panel
