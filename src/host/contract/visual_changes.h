#pragma once
// A count of changes to what the compositor reads outside the drawing layer: extents and
// placement, constituents' properties, see-through settings, the form's size and colour, and
// any late-bound call on a control (which may change any of these). The drawing layer counts pixel changes
// itself (gdi::SurfaceChangeCount); together they tell a cached composition whether it is
// still what composing now would give. Every change counts, in any host: a needless
// recomposition costs time, a missed one would be a wrong pixel.
#include <cstdint>
#include <utility>

namespace ov::host {

inline std::uint64_t& VisualChangeCounter() {
    static std::uint64_t count = 0;
    return count;
}

inline void NoteVisualChange() { ++VisualChangeCounter(); }
inline std::uint64_t VisualChangeCount() { return VisualChangeCounter(); }

// A setter of something the compositor reads: stores the value and counts the change.
template <class Member, class Value>
void StoreVisual(Member& member, Value&& value) {
    member = std::forward<Value>(value);
    NoteVisualChange();
}

}  // namespace ov::host
