#pragma once
// The most memory allocated at once while a meter runs, counted through the sanitizer
// allocator's hooks: a test bounds what one call may allocate (a repaint, a font cache
// filling up) without timing anything. Only sanitized builds have the hooks; elsewhere
// Available() is false and a test skips with that reason.
#include <cstdint>

namespace ov::testing_support {

class AllocationMeter {
public:
    static bool Available();

    // Starts counting from what is allocated now; one meter runs at a time.
    AllocationMeter();
    ~AllocationMeter();
    AllocationMeter(const AllocationMeter&) = delete;
    AllocationMeter& operator=(const AllocationMeter&) = delete;

    // The highest count of bytes allocated since the start and not yet freed.
    std::int64_t PeakBytes() const;
};

}  // namespace ov::testing_support
