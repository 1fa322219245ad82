#include "platform/runtime/clock.h"

#include <ctime>

#include "platform/runtime/dates.h"

namespace ov {

namespace {
// The library runs on the host's one user-interface thread, so a plain global serves.
std::optional<double> g_fixed_now;
}  // namespace

double Now() {
    if (g_fixed_now) return *g_fixed_now;
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return DateFromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         local.tm_sec > 59 ? 59 : local.tm_sec)
        .value_or(kZeroDate);
}

void SetFixedNow(std::optional<double> serial) { g_fixed_now = serial; }

std::optional<double> FixedNow() { return g_fixed_now; }

void AdvanceFixedNow(double milliseconds) {
    if (g_fixed_now) g_fixed_now = SerialFromLinear(LinearFromSerial(*g_fixed_now) + milliseconds / 86400000.0);
}

}  // namespace ov
