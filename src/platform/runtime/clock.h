#pragma once
// The current date and time. Reads the real local clock unless a host or test fixed it, so
// that everything depending on "now" (two-digit years, date-mask checks) can be reproduced.
#include <optional>

namespace ov {

// The current local date and time as a date serial, to the second.
double Now();

// Fixes the clock at a serial (nullopt returns to the real clock).
void SetFixedNow(std::optional<double> serial);
std::optional<double> FixedNow();

// Moves a fixed clock forward by a number of milliseconds; no effect on the real clock.
void AdvanceFixedNow(double milliseconds);

}  // namespace ov
