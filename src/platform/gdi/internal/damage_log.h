#pragma once
// Where a bitmap's pixels may have changed, and when: what lets a compositor redo only the part
// of a frame that changed.
//
// Every change is noted under a stamp taken from one counter for all bitmaps. A consumer keeps
// the stamp it last read at and later asks for the union of what was noted after it. The log is
// conservative: a lookup of a bitmap that does not say what it changes notes the whole bitmap,
// and when the log runs out of entries its two oldest merge into one rectangle holding both,
// under the later stamp. A bitmap created after the stamp cannot say what changed since.
#include <array>
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// The counter: the stamp of the latest note.
std::uint64_t CurrentDamageStamp();
std::uint64_t NextDamageStamp();

class DamageLog {
public:
    // A rectangle beyond every bitmap: the whole of it, whatever its size.
    static constexpr RECT kWhole{0, 0, 0x7FFFFFFF, 0x7FFFFFFF};

    DamageLog() : created_(NextDamageStamp()) {}

    void NoteWhole() { Note(kWhole); }
    // An empty rectangle notes nothing.
    void Note(const RECT& rect);
    // The union of what was noted after `stamp` (empty when nothing); false when the bitmap is
    // newer than the stamp.
    bool Since(std::uint64_t stamp, RECT* out) const;

private:
    struct Entry {
        std::uint64_t stamp = 0;
        RECT rect{};
    };
    static constexpr int kEntries = 8;
    std::uint64_t created_;
    std::array<Entry, kEntries> entries_{};
    int count_ = 0;
};

}  // namespace ov::gdi::detail
