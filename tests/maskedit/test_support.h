#pragma once
#include "maskedit/mask_context.h"
#include "platform/runtime/dates.h"

namespace ov::maskedit::testing {

// A context at a fixed moment with the English names, so two-digit years and mask checks are
// reproducible: Saturday 1 June 2024, 13:05:09.
inline MaskContext FixedContext(int year = 2024, int month = 6, int day = 1, int h = 13, int n = 5, int s = 9) {
    return MaskContext::At(*DateFromParts(year, month, day, h, n, s));
}

inline double At(int y, int m, int d, int h = 0, int n = 0, int s = 0) { return *DateFromParts(y, m, d, h, n, s); }

}  // namespace ov::maskedit::testing
