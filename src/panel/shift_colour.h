#pragma once
// ShiftColor: the panel's own colour shift, shared by the shaded frames, the bevel, the
// classic border colours and the caption styles. It translates a system colour at use time
// (unknown indices give black) and splits the value as the panel always has: red and green
// from the low 16 bits, blue from everything above bit 15, so a plain colour with stray high
// bits saturates its blue channel.
#include <cstdint>

namespace ov::panel {

// Adds `delta` to each channel and clamps each to 0..255. The arithmetic is 64-bit, so a shift
// built from BevelIntensity values near the 32-bit limits saturates instead of overflowing.
// Delta 0 turns any colour, system colours included, into its plain 0x00BBGGRR value.
std::int32_t ShiftColor(std::uint32_t colour, std::int64_t delta);

}  // namespace ov::panel
