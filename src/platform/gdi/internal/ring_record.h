#pragma once
// The record of ellipse outlines drawn on a bitmap as the nested rings an elliptical gradient is
// made of, not yet written (see pending_rings.h).
#include <cstdint>
#include <vector>

#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// Ring k is five outlines, drawn in this order on these boxes (as passed to Ellipse, before
// the corners are put in order), with (l, t, r, b) = (left + k, top + k, right - k, bottom - k):
//   (l, t, r, b), (l + 1, t, r - 1, b), (l + 1, t + 1, r, b), (l, t + 1, r, b - 1), (l, t, r - 1, b - 1)
// the whole box, then four boxes each with one side pulled in, which close the gaps between
// neighbouring rings. All five share one pen; ring k's is colours[k].
struct PendingRings {
    int left = 0, top = 0, right = 0, bottom = 0;
    std::uint32_t outlines = 0;          // recorded so far: outline j of ring k is number 5 k + j
    std::vector<std::uint32_t> colours;  // one per ring begun, in stored form

    static constexpr std::uint32_t kOutlinesPerRing = 5;
    bool empty() const { return outlines == 0; }
};

}  // namespace ov::gdi::detail
