#pragma once
// How every call of the C interface runs: under the server's one lock, with nothing thrown
// crossing the interface (every failure answers with a result code), and the counts that keep
// the server loaded.
#include <atomic>
#include <mutex>
#include <new>

#include "library/server_values.h"
#include "orvelle/orvelle.h"
#include "platform/runtime/automation_error.h"

namespace ov::library::server {

// What DllCanUnloadNow looks at.
extern std::atomic<int> g_live_objects;
extern std::atomic<int> g_live_factories;
extern std::atomic<int> g_locks;

// Every call runs on the host's thread, but a host may have several: one lock keeps the
// server's objects (which share the drawing layer) from running at once.
std::recursive_mutex& ServerLock();

template <typename F>
OvResult Guarded(F&& body) {
    try {
        std::lock_guard<std::recursive_mutex> hold(ServerLock());
        return body();
    } catch (const std::bad_alloc&) {
        return OV_E_OUTOFMEMORY;
    } catch (...) {
        return OV_E_FAIL;
    }
}

// Runs a member's body with automation errors reported through `exception`.
template <typename F>
OvResult Automation(OvExcepInfo* exception, F&& body) {
    return Guarded([&]() -> OvResult {
        try {
            return body();
        } catch (const AutomationError& error) {
            FillException(exception, error);
            return OV_DISP_E_EXCEPTION;
        }
    });
}

}  // namespace ov::library::server
