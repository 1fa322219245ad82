// Recording lines on a bitmap (see pending_lines.h); the write-out is pending_lines_write.cpp.
#include "platform/gdi/internal/pending_lines.h"

#include "platform/gdi/gdi.h"

#include <cstdlib>

namespace ov::gdi::detail {
namespace {

using Item = PendingLines::Item;

// Enough for a full sweep of lines across a wide surface in one record; past it the record is
// written out so its memory stays small however long nothing reads the bitmap.
constexpr std::size_t kMaxPendingItems = 16384;
constexpr std::size_t kMaxPendingColours = 16384;

bool deferral_enabled = true;

// Before anything joins the record: blits and rings recorded on the bitmap come before the line.
void BeginRecording(Bitmap& bitmap) {
    if (bitmap.in_blit_chain) RunBlitChain();
    if (!bitmap.rings.empty()) bitmap.WriteOutLines();
}

// Every change below grows a list before it changes an item, so an allocation that fails
// leaves the record consistent (an unused colour at its end at worst).
void Append(Bitmap& bitmap, const Item& item) {
    bitmap.pending.items.push_back(item);
    if (bitmap.pending.items.size() >= kMaxPendingItems) bitmap.PrepareForAccess();  // the record is full
}

// Appends `item` as a run of one colour, `pixel`.
void AppendRun(Bitmap& bitmap, Item item, std::uint32_t pixel) {
    item.first = static_cast<std::uint32_t>(bitmap.pending.colours.size());
    item.count = 1;
    bitmap.pending.colours.push_back(pixel);
    Append(bitmap, item);
}

// Adds one colour to `run`, the record's last item.
void ExtendRun(Bitmap& bitmap, Item& run, std::uint32_t pixel) {
    bitmap.pending.colours.push_back(pixel);
    ++run.count;
    if (bitmap.pending.colours.size() >= kMaxPendingColours) bitmap.PrepareForAccess();  // the record is full
}

// A segment with one pixel per row: steep (y-major) or at exactly 45 degrees.
bool OnePixelPerRow(int x0, int y0, int x1, int y1) {
    const std::int64_t dx = std::llabs(std::int64_t{x1} - x0), dy = std::llabs(std::int64_t{y1} - y0);
    return dy >= dx && dy > 0;
}

}  // namespace

void SetLineDeferral(bool enabled) { deferral_enabled = enabled; }
bool LineDeferralEnabled() { return deferral_enabled; }

void AppendPendingColumn(Bitmap& bitmap, int x, int top, int bottom, std::uint32_t pixel) {
    BeginRecording(bitmap);
    PendingLines& pending = bitmap.pending;
    if (!pending.items.empty() && pending.items.back().kind == Item::Kind::ColumnRun) {
        Item& last = pending.items.back();
        const int last_x = last.x + last.step * static_cast<int>(last.count - 1);
        const int step = x - last_x;
        // Only the next column on with exactly the same rows joins: a run must stay a rectangle
        // with one colour per column and no column twice.
        if (last.top == top && last.bottom == bottom && (step == 1 || step == -1) &&
            (last.step == 0 || last.step == step)) {
            last.step = step;
            ExtendRun(bitmap, last, pixel);
            return;
        }
    }
    Item item;
    item.kind = Item::Kind::ColumnRun;
    item.x = x;
    item.top = top;
    item.bottom = bottom;
    AppendRun(bitmap, item, pixel);
}

void AppendPendingRowSpan(Bitmap& bitmap, int y, int left, int right, std::uint32_t pixel) {
    BeginRecording(bitmap);
    Item item;
    item.kind = Item::Kind::RowSpan;
    item.x = left;
    item.x1 = right;
    item.top = item.bottom = y;
    item.pixel = pixel;
    Append(bitmap, item);
}

bool AppendPendingFrame(Bitmap& bitmap, int left, int top, int right, int bottom, std::uint32_t pixel) {
    if (!LineDeferralEnabled() || left < 0 || top < 0 || right > bitmap.width || bottom > bitmap.height ||
        right - left < 3 || bottom - top < 3)
        return false;
    BeginRecording(bitmap);
    PendingLines& pending = bitmap.pending;
    if (!pending.items.empty() && pending.items.back().kind == Item::Kind::FrameRun) {
        Item& last = pending.items.back();
        const int k = static_cast<int>(last.count);
        if (left == last.x + k && top == last.top + k && right == last.x1 - k && bottom == last.bottom - k) {
            ExtendRun(bitmap, last, pixel);
            return true;
        }
    }
    Item item;
    item.kind = Item::Kind::FrameRun;
    item.x = left;
    item.x1 = right;
    item.top = top;
    item.bottom = bottom;
    AppendRun(bitmap, item, pixel);
    return true;
}

void AppendPendingSegment(Bitmap& bitmap, int x0, int y0, int x1, int y1, std::int64_t first, std::int64_t last,
                          std::uint32_t pixel) {
    BeginRecording(bitmap);
    PendingLines& pending = bitmap.pending;
    if (!pending.items.empty() && OnePixelPerRow(x0, y0, x1, y1)) {
        Item& previous = pending.items.back();
        const bool segment = previous.kind == Item::Kind::Segment, run = previous.kind == Item::Kind::SegmentRun;
        // The copy before this one, and how far this one is moved from it.
        const int copies = run ? static_cast<int>(previous.count) : 1;
        const std::int64_t last_x0 = std::int64_t{previous.x} + std::int64_t{previous.step} * (copies - 1);
        const std::int64_t shift = x0 - last_x0;
        if ((segment || run) && y0 == previous.top && std::int64_t{x1} - x0 == std::int64_t{previous.x1} - previous.x &&
            y1 == previous.bottom && (shift == 1 || shift == -1) &&
            (segment ? OnePixelPerRow(previous.x, previous.top, previous.x1, previous.bottom)
                     : shift == previous.step)) {
            if (segment) {
                // The segment becomes a run of one copy, its colour the run's first.
                const auto first_colour = static_cast<std::uint32_t>(pending.colours.size());
                pending.colours.push_back(previous.pixel);
                previous.kind = Item::Kind::SegmentRun;
                previous.step = static_cast<int>(shift);
                previous.first = first_colour;
                previous.count = 1;
            }
            ExtendRun(bitmap, previous, pixel);
            return;
        }
    }
    Item item;
    item.kind = Item::Kind::Segment;
    item.x = x0;
    item.top = y0;
    item.x1 = x1;
    item.bottom = y1;
    item.first_step = first;
    item.last_step = last;
    item.pixel = pixel;
    Append(bitmap, item);
}

}  // namespace ov::gdi::detail

namespace ov::gdi {

int GdiSetBatchLimit(int limit) {
    constexpr int kDefaultBatchLimit = 20;
    static int current = kDefaultBatchLimit;
    if (limit < 0) return 0;
    const int previous = current;
    current = limit == 0 ? kDefaultBatchLimit : limit;
    detail::SetLineDeferral(current != 1);
    return previous;
}

}  // namespace ov::gdi
