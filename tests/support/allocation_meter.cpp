#include "support/allocation_meter.h"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define ORVELLE_HAS_ALLOCATOR_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVELLE_HAS_ALLOCATOR_HOOKS 1
#endif
#endif

#ifdef ORVELLE_HAS_ALLOCATOR_HOOKS
// The sanitizer runtime's allocator interface (not every compiler installs its header).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                              void (*free_hook)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#endif

namespace ov::testing_support {
namespace {

std::atomic<bool> g_running{false};
std::atomic<std::int64_t> g_current{0};
std::atomic<std::int64_t> g_peak{0};

#ifdef ORVELLE_HAS_ALLOCATOR_HOOKS
void OnMalloc(const volatile void*, std::size_t size) {
    if (!g_running.load(std::memory_order_relaxed)) return;
    const std::int64_t now = g_current.fetch_add(static_cast<std::int64_t>(size)) + static_cast<std::int64_t>(size);
    std::int64_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {}
}

// Memory allocated before the start and freed meanwhile lowers the count below zero, which can
// only make the peak smaller than what the measured code holds at once: a bound a test sets
// still holds for the code it measures.
void OnFree(const volatile void* pointer) {
    if (!g_running.load(std::memory_order_relaxed) || !pointer) return;
    g_current.fetch_sub(static_cast<std::int64_t>(__sanitizer_get_allocated_size(pointer)));
}

bool InstallHooks() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
}
#endif

}  // namespace

bool AllocationMeter::Available() {
#ifdef ORVELLE_HAS_ALLOCATOR_HOOKS
    return InstallHooks();
#else
    return false;
#endif
}

AllocationMeter::AllocationMeter() {
    Available();
    g_current = 0;
    g_peak = 0;
    g_running = true;
}

AllocationMeter::~AllocationMeter() { g_running = false; }

std::int64_t AllocationMeter::PeakBytes() const { return g_peak.load(); }

}  // namespace ov::testing_support
