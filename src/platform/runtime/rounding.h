#pragma once
// The language's one rounding rule: a fractional value stored into an integer goes to the
// nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4, -2.5 gives -2).
#include <cmath>

namespace ov {

// Under the default floating-point environment nearbyint rounds exactly this way, without a
// branch; infinities and NaN pass through for the caller's range check.
inline double RoundHalfEven(double value) { return std::nearbyint(value); }

}  // namespace ov
