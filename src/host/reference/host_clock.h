#pragma once
// The reference host's clock: milliseconds since the host started, moved only by Wait, which
// delivers every timer tick that falls due on the way. A fixed runtime clock (Now) moves with
// it, so a control that reads the date during a tick sees the tick's time.
#include <cstdint>

#include "host/reference/reference_only.h"

namespace ov::host {

class ObjectRegistry;

class HostClock {
public:
    std::int64_t milliseconds() const { return now_ms_; }

    // Fixes the runtime clock (Now) at a date serial.
    void SetNow(double date_serial);

    // Advances by `milliseconds` (negative counts as 0), delivering each tick of the live
    // controls' timers in time order; ties go to the control created first, then to its
    // timer created first. A tick handler may change any timer, so the next one due is
    // looked for again after each tick.
    void Wait(const ObjectRegistry& registry, std::int64_t milliseconds);

private:
    void AdvanceTo(std::int64_t ms);

    std::int64_t now_ms_ = 0;
};

}  // namespace ov::host
