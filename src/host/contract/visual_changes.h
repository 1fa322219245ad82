#pragma once
// A count of changes to what the compositor reads outside the drawing layer: extents and
// placement, constituents' properties, see-through settings, the form's size and colour, an
// event fired into a control. Each setter of such state counts its change. The drawing layer
// notes where pixels change itself (gdi::GetWindowDamageSince); together they tell a cached
// composition whether, and where, it is still what composing now would give. Every change
// counts, in any host: a needless recomposition costs time, a missed one would be a wrong pixel.
#include <cstdint>
#include <utility>

namespace ov::host {

inline std::uint64_t& VisualChangeCounter() {
    static std::uint64_t count = 0;
    return count;
}

inline void NoteVisualChange() { ++VisualChangeCounter(); }
inline std::uint64_t VisualChangeCount() { return VisualChangeCounter(); }

// A setter of something the compositor reads: stores the value and counts the change, when it
// is one (a control that sets a value again on every repaint changes nothing).
template <class Member, class Value>
void StoreVisual(Member& member, Value&& value) {
    if (member == value) return;
    member = std::forward<Value>(value);
    NoteVisualChange();
}

}  // namespace ov::host
