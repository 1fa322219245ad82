#pragma once
// Quadrant walks stepped together, one row at a time, in the wide integer registers the
// processor may have. The walk's diagonal part, where each row has one or two points, is where
// it spends its time, and there the next step depends on a comparison the branch predictor
// cannot guess; many walks side by side turn those branches into masks.
#include <cstdint>
#include <optional>

#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// The walks' states, lane by lane: each lane at the first point of a row (as in QuadrantWalkPoint)
// with its box's step sizes, the row it stops before and the column it must stay right of.
struct LockstepWalks {
    static constexpr int kLanes = 24;
    static constexpr int kMaxPoints = 2;  // points stepped one by one; the rest of a row in one go
    alignas(64) std::int64_t x[kLanes], y[kLanes], dx[kLanes], dy[kLanes], err[kLanes];
    alignas(64) std::int64_t step_dx[kLanes], step_dy[kLanes], y_limit[kLanes], x_floor[kLanes];
    alignas(64) std::int64_t rows[kLanes];  // rows taken by the last StepLockstepWalks, lane by lane
    std::uint32_t walking = 0;              // the lanes still to be stepped, one bit each
};

// The most rows one StepLockstepWalks takes, and the room its output needs.
inline constexpr int kLockstepRows = 512;
inline constexpr int kLockstepOutput = kLockstepRows * LockstepWalks::kLanes;

// The ways of stepping walks together: eight lanes to a 512-bit register (AVX-512 with its
// 64-bit multiplies), or four to a 256-bit one (AVX2). Every kernel takes the same rows to the
// same states.
enum class LockstepKernel { kAvx512, kAvx2 };
bool LockstepKernelSupported(LockstepKernel kernel);

// The widest kernel this processor has; none when it has none of them.
std::optional<LockstepKernel> WidestLockstepKernel();

// Steps every walking lane on, row by row, for at most kLockstepRows rows: a lane stops before
// a row whose run along it cannot be taken in one go (rarely), before its y_limit, and before
// its x would reach x_floor; it stays walking only if it stopped at the row cap. Each row's
// first column goes to hi[row * kLanes + lane], rows counted from the lane's y on entry;
// rows[lane] is how many rows it took, and its state is left at the first point of the next
// row. The processor must support `kernel`.
void StepLockstepWalks(LockstepKernel kernel, LockstepWalks& walks, std::int32_t* hi);

}  // namespace ov::gdi::detail
