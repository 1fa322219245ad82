#include "platform/gdi/internal/damage_log.h"

#include <algorithm>

namespace ov::gdi::detail {

namespace {

std::uint64_t damage_stamp = 0;

bool Equal(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::uint64_t CurrentDamageStamp() { return damage_stamp; }
std::uint64_t NextDamageStamp() { return ++damage_stamp; }

void DamageLog::Note(const RECT& rect) {
    if (IsRectEmpty(rect)) return;
    const std::uint64_t stamp = NextDamageStamp();
    // Changes of the same place over and over (a bitmap looked up for each drawing call) take
    // one entry: the newest, moved on. A smaller rectangle gets its own, since folding it into a
    // larger newest one would make it look larger to whoever asks after that one's stamp.
    if (count_ > 0 && Equal(entries_[count_ - 1].rect, rect)) {
        entries_[count_ - 1].stamp = stamp;
        return;
    }
    if (count_ == kEntries) {
        entries_[1].rect = UnionRect(entries_[0].rect, entries_[1].rect);
        std::move(entries_.begin() + 1, entries_.end(), entries_.begin());
        --count_;
    }
    entries_[count_++] = Entry{stamp, rect};
}

bool DamageLog::Since(std::uint64_t stamp, RECT* out) const {
    if (stamp < created_) return false;
    RECT changed{};
    for (int i = count_ - 1; i >= 0 && entries_[i].stamp > stamp; --i) changed = UnionRect(changed, entries_[i].rect);
    *out = changed;
    return true;
}

}  // namespace ov::gdi::detail
