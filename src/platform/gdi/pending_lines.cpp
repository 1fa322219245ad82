#include "platform/gdi/pending_columns.h"

#include <algorithm>
#include <cstring>

namespace ov::gdi::detail {
namespace {

// Enough for a full sweep of vertical lines across a wide surface in one record; past it the
// record is written out so its memory stays small however long nothing reads the bitmap.
constexpr std::size_t kMaxPendingColumns = 16384;

bool deferral_enabled = true;

}  // namespace

void SetColumnDeferral(bool enabled) { deferral_enabled = enabled; }
bool ColumnDeferralEnabled() { return deferral_enabled; }

void AppendPendingColumn(Bitmap& bitmap, int x, int top, int bottom, std::uint32_t pixel) {
    PendingColumns& pending = bitmap.pending;
    bool joined = false;
    if (!pending.runs.empty()) {
        PendingColumns::Run& last = pending.runs.back();
        const int last_x = last.x + last.step * static_cast<int>(last.count - 1);
        const int step = x - last_x;
        // Only the next column on with exactly the same rows joins: a run must stay a rectangle
        // with one colour per column and no column twice.
        if (last.top == top && last.bottom == bottom && (step == 1 || step == -1) && (last.step == 0 || last.step == step)) {
            last.step = step;
            ++last.count;
            joined = true;
        }
    }
    if (!joined)
        pending.runs.push_back(PendingColumns::Run{x, 0, top, bottom, static_cast<std::uint32_t>(pending.colours.size()), 1});
    pending.colours.push_back(pixel);
    if (pending.colours.size() >= kMaxPendingColumns) bitmap.FlushPendingColumns();
}

void Bitmap::FlushPendingColumns() const {
    // The record and the pixels belong to a bitmap in the object table (or a copy of one),
    // never to a const object, so writing through this is well defined.
    Bitmap& self = const_cast<Bitmap&>(*this);
    PendingColumns& pending = self.pending;
    std::uint32_t* const base = self.pixels.data();
    const std::size_t stride = static_cast<std::size_t>(width);
    // Runs in drawing order, each writing every pixel of its rectangle once, so where runs
    // overlap the later one wins, as it would have drawn directly.
    for (const PendingColumns::Run& run : pending.runs) {
        std::uint32_t* colours = pending.colours.data() + run.first;
        if (run.count == 1) {
            std::uint32_t* p = base + static_cast<std::size_t>(run.top) * stride + run.x;
            for (int y = run.top; y < run.bottom; ++y, p += stride) *p = colours[0];
            continue;
        }
        int left = run.x;
        if (run.step < 0) {
            // Drawn right to left: turn the colours into left-to-right order for the row copy.
            std::reverse(colours, colours + run.count);
            left = run.x - static_cast<int>(run.count - 1);
        }
        const std::size_t bytes = run.count * sizeof(std::uint32_t);
        for (int y = run.top; y < run.bottom; ++y) std::memcpy(base + y * stride + left, colours, bytes);
    }
    pending.runs.clear();
    pending.colours.clear();
}

}  // namespace ov::gdi::detail
