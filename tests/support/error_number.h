#pragma once
// The automation error number an action raises, 0 when it returns normally. Shared by the
// control and host tests, which all assert numbers rather than messages.
#include <cstdint>
#include <functional>

#include "platform/runtime/automation_error.h"

namespace ov::testing_support {

inline std::int32_t ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace ov::testing_support
