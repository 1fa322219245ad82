#include "host/reference/host_clock.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "host/contract/control.h"
#include "host/reference/object_registry.h"
#include "platform/runtime/clock.h"

namespace ov::host {

namespace {

struct DueTick {
    Timer* timer = nullptr;
    Control* owner = nullptr;
    std::int64_t at = 0;
};

// The earliest tick due no later than `limit`; the first in creation order wins a tie.
DueTick NextTick(const ObjectRegistry& registry, std::int64_t limit) {
    DueTick next;
    for (const auto& entry : registry.entries()) {
        Control* control = entry->control;
        if (!control || control->stage() == LifecycleStage::Terminated) continue;
        for (const auto& c : control->constituents()) {
            if (c->kind() != ConstituentKind::Timer) continue;
            auto& timer = static_cast<Timer&>(*c);
            const std::int64_t due = timer.NextDue();
            if (due < 0 || due > limit) continue;
            if (!next.timer || due < next.at) next = {&timer, control, due};
        }
    }
    return next;
}

}  // namespace

void HostClock::SetNow(double date_serial) { SetFixedNow(date_serial); }

void HostClock::AdvanceTo(std::int64_t ms) {
    AdvanceFixedNow(static_cast<double>(ms - now_ms_));
    now_ms_ = ms;
}

void HostClock::Wait(const ObjectRegistry& registry, std::int64_t milliseconds) {
    // The clock stops at the end of its range rather than wrapping round.
    const std::int64_t target =
        now_ms_ + std::clamp<std::int64_t>(milliseconds, 0, std::numeric_limits<std::int64_t>::max() - now_ms_);
    for (DueTick tick = NextTick(registry, target); tick.timer; tick = NextTick(registry, target)) {
        AdvanceTo(tick.at);
        tick.timer->Ticked(tick.at);
        std::vector<Variant> none;
        tick.owner->DeliverConstituentEvent(*tick.timer, "Timer", none);
    }
    AdvanceTo(target);
}

}  // namespace ov::host
