#pragma once
// The colour table of a gradient: entries 0..2n, one per sweep line, holding the ramp from the
// first colour to the second and its repeated, mirrored runs.
#include <cstdint>
#include <vector>

#include "gradient/gradient_enums.h"

namespace ov::gradient {

using ColourTable = std::vector<std::int32_t>;

// dividend / divisor, or 0 where the division has no finite result.
double SafeDivide(double dividend, double divisor);

struct ColourTableBuild {
    std::int32_t steps = 0;  // n as adjusted (at least 2)
    bool completed = false;  // false: a failure ended the build; entries not yet written stay 0
};

// Fills `table` with 2n + 1 entries for `steps` sweep lines. `repetitions` is read, never
// changed. A failure anywhere (an index past the table's end when the repetitions are at or
// below one half, a division by zero in HSL mode with fewer steps than repetitions) ends the
// build at once and leaves the table as written so far.
ColourTableBuild BuildGradientColors(std::int32_t colour1, std::int32_t colour2, std::int32_t steps,
                                     const double& repetitions, std::int32_t blend_mode, ColourTable& table);

// The last index the ring shapes sample: the highest entry that is not 0, minus one; -1 when
// every entry is 0. A black entry is indistinguishable from an unfilled one here.
std::int32_t LastRingIndex(const ColourTable& table);

}  // namespace ov::gradient
