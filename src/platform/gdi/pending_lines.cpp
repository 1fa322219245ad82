#include "platform/gdi/pending_lines.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/gdi/line_raster.h"

namespace ov::gdi::detail {
namespace {

using Item = PendingLines::Item;

// Enough for a full sweep of lines across a wide surface in one record; past it the record is
// written out so its memory stays small however long nothing reads the bitmap.
constexpr std::size_t kMaxPendingItems = 16384;
constexpr std::size_t kMaxPendingColours = 16384;
// Rows written together: 64 rows of a 1920-pixel surface (480 KiB) stay in the second-level
// cache while every pending line crossing them is written. Fewer rows per band cost more in
// revisiting each line's walk state than they save (measured on the diagonal sweeps).
constexpr int kBandRows = 64;

bool deferral_enabled = true;

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
    ++run.count;
    bitmap.pending.colours.push_back(pixel);
    if (bitmap.pending.colours.size() >= kMaxPendingColours) bitmap.PrepareForAccess();  // the record is full
}

// A segment's walk, visited in the order of increasing rows: forwards when the walk goes down,
// backwards from its last step when it goes up. The error term is kept as in WalkLine; stepping
// back subtracts the increment and renormalises the same way, because |2*dminor| <= 2n.
struct SegmentCursor {
    LineWalk walk;
    std::int64_t i = 0, end = 0, direction = 1;
    std::int64_t q = 0, err = 0, two_n = 0, two_d = 0;

    void Start(const Item& item) {
        walk = MakeLineWalk(item.x, item.top, item.x1, item.bottom);
        const bool rows_increase = walk.x_major ? walk.dminor >= 0 : walk.major_step > 0;
        direction = rows_increase ? 1 : -1;
        i = rows_increase ? item.first_step : item.last_step - 1;
        end = rows_increase ? item.last_step : item.first_step - 1;
        two_n = 2 * walk.n;
        two_d = 2 * walk.dminor;
        q = walk.MinorOffset(i);
        err = static_cast<std::int64_t>(static_cast<__int128>(two_d) * i - walk.n - static_cast<__int128>(two_n) * q);
    }

    // Writes the walk's pixels on rows before `row_end`; true when the walk is finished. Rows
    // only grow in the cursor's direction, so a change of the minor offset moves a y-major walk
    // one column and an x-major walk one row down.
    template <typename T>
    bool WriteUntil(T* base, std::size_t stride, int row_end, T pixel) {
        if (i == end) return true;
        // The state lives in locals inside the loops: kept in members, every step would wait
        // on a store and reload of the error term.
        std::int64_t step = i, error = err, offset = q;
        const std::int64_t last = end, dir = direction, step_err = direction * two_d, period = two_n;
        const std::int64_t major = walk.major0 + walk.major_step * step, minor = walk.minor0 + offset;
        std::int64_t y = walk.x_major ? minor : major;
        if (y >= row_end) return false;
        const auto row_stride = static_cast<std::ptrdiff_t>(stride);
        T* p = base + y * row_stride + (walk.x_major ? major : minor);
        bool finished = false;
        if (walk.x_major) {
            const std::ptrdiff_t along = walk.major_step * direction;
            while (true) {
                *p = pixel;
                step += dir;
                if (step == last) { finished = true; break; }
                p += along;
                error += step_err;
                if (error > 0) { ++offset; error -= period; }
                else if (error <= -period) { --offset; error += period; p -= row_stride; continue; }  // not reached: rows grow
                else continue;
                p += row_stride;  // the minor offset grew: one row down
                if (++y >= row_end) break;
            }
        } else {
            // y-major: one row per step; the minor offset is the column.
            while (true) {
                *p = pixel;
                step += dir;
                if (step == last) { finished = true; break; }
                p += row_stride;
                error += step_err;
                if (error > 0) { ++offset; error -= period; ++p; }
                else if (error <= -period) { --offset; error += period; --p; }
                if (++y >= row_end) break;
            }
        }
        i = step;
        err = error;
        q = offset;
        return finished;
    }
};

// A segment with one pixel per row: steep (y-major) or at exactly 45 degrees.
bool OnePixelPerRow(int x0, int y0, int x1, int y1) {
    const std::int64_t dx = std::llabs(std::int64_t{x1} - x0), dy = std::llabs(std::int64_t{y1} - y0);
    return dy >= dx && dy > 0;
}

// The steps of a run's segment whose rows lie in [0, height), whatever their columns: each copy
// is the same walk moved sideways, so these steps cover every row any copy paints.
void RowRangeSteps(const LineWalk& walk, int height, std::int64_t* first, std::int64_t* last) {
    ClipLineWalk(walk, PixelRect{INT_MIN, 0, INT_MAX, height}, first, last);
}

// The column of a one-pixel-per-row walk row by row, in increasing rows: the step index moves
// by one per row, forwards or backwards, and the error term follows it as in SegmentCursor.
struct RowColumnCursor {
    LineWalk walk;
    std::int64_t i = 0, end = 0, direction = 1;
    std::int64_t q = 0, err = 0, two_n = 0, two_d = 0;
    int row = 0;

    void Start(const Item& item, int height) {
        walk = MakeLineWalk(item.x, item.top, item.x1, item.bottom);
        std::int64_t first = 0, last = 0;
        RowRangeSteps(walk, height, &first, &last);
        const bool rows_increase = walk.x_major ? walk.dminor >= 0 : walk.major_step > 0;
        direction = rows_increase ? 1 : -1;
        i = rows_increase ? first : last - 1;
        end = rows_increase ? last : first - 1;
        if (first >= last) {
            i = end;
            return;
        }
        two_n = 2 * walk.n;
        two_d = 2 * walk.dminor;
        q = walk.MinorOffset(i);
        err = static_cast<std::int64_t>(static_cast<__int128>(two_d) * i - walk.n - static_cast<__int128>(two_n) * q);
        row = static_cast<int>(walk.x_major ? walk.minor0 + q : walk.major0 + walk.major_step * i);
    }

    // Calls write(row, column) for the rows before `row_end`.
    template <typename Write>
    void WriteUntil(int row_end, Write&& write) {
        const std::int64_t step_err = direction * two_d;
        while (i != end && row < row_end) {
            const std::int64_t column = walk.x_major ? walk.major0 + walk.major_step * i : walk.minor0 + q;
            write(row, column);
            i += direction;
            err += step_err;
            if (err > 0) { ++q; err -= two_n; }
            else if (err <= -two_n) { --q; err += two_n; }
            ++row;
        }
    }
};

// The rows an item covers, [first, last] inclusive.
std::pair<int, int> RowsOf(const Item& item, int height) {
    if (item.kind == Item::Kind::ColumnRun || item.kind == Item::Kind::FrameRun) return {item.top, item.bottom - 1};
    if (item.kind == Item::Kind::RowSpan) return {item.top, item.top};
    const LineWalk walk = MakeLineWalk(item.x, item.top, item.x1, item.bottom);
    if (item.kind == Item::Kind::SegmentRun) {
        // One pixel per row: the rows are those of the first and last steps inside [0, height).
        std::int64_t first = 0, last = 0;
        RowRangeSteps(walk, height, &first, &last);
        if (first >= last) return {0, -1};
        auto row_at = [&](std::int64_t i) {
            return static_cast<int>(walk.x_major ? walk.minor0 + walk.MinorOffset(i) : walk.major0 + walk.major_step * i);
        };
        const int a = row_at(first), b = row_at(last - 1);
        return {std::min(a, b), std::max(a, b)};
    }
    auto row_at = [&](std::int64_t i) {
        return static_cast<int>(walk.x_major ? walk.minor0 + walk.MinorOffset(i) : walk.major0 + walk.major_step * i);
    };
    const int a = row_at(item.first_step), b = row_at(item.last_step - 1);
    return {std::min(a, b), std::max(a, b)};
}

template <typename T>
void WriteColumnRows(const Item& item, const T* colours, T* base, std::size_t stride, int top, int bottom) {
    if (item.count == 1) {
        T* p = base + static_cast<std::size_t>(top) * stride + item.x;
        for (int y = top; y < bottom; ++y, p += stride) *p = colours[0];
        return;
    }
    const int left = item.step < 0 ? item.x - static_cast<int>(item.count - 1) : item.x;
    const std::size_t bytes = item.count * sizeof(T);
    for (int y = top; y < bottom; ++y) std::memcpy(base + static_cast<std::size_t>(y) * stride + left, colours, bytes);
}

// Rows [top, bottom) of a run of nested outlines. Row y lies m rows inside the outermost
// outline: outlines 0..m-1 give it their left and right edge pixels, side by side, and outline
// m (if the run has it) its top or bottom edge in between. `reversed` holds the run's colours
// backwards, so the right-hand edges are a plain copy too.
template <typename T>
void WriteFrameRows(const Item& item, const T* colours, const T* reversed, T* base, std::size_t stride, int top, int bottom) {
    const int n = static_cast<int>(item.count);
    for (int y = top; y < bottom; ++y) {
        T* const row = base + static_cast<std::size_t>(y) * stride;
        const int m = std::min(y - item.top, item.bottom - 1 - y);
        const int sides = std::min(m, n);
        if (sides == 1) {  // a lone outline, or the first rows of a run: no call for one pixel
            row[item.x] = colours[0];
            row[item.x1 - 1] = reversed[n - 1];
        } else if (sides > 1) {
            std::memcpy(row + item.x, colours, static_cast<std::size_t>(sides) * sizeof(T));
            std::memcpy(row + item.x1 - sides, reversed + (n - sides), static_cast<std::size_t>(sides) * sizeof(T));
        }
        if (m < n) std::fill(row + item.x + m, row + item.x1 - m, colours[m]);
    }
}

// Working lists of FlushPendingLines (see there).
struct FlushScratch {
    std::vector<std::pair<int, int>> rows;
    std::vector<std::uint32_t> band_start, order, next, active, merged;
    std::vector<SegmentCursor> cursors;
    std::vector<RowColumnCursor> run_cursors;
};

FlushScratch& Scratch() {
    static thread_local FlushScratch scratch;
    return scratch;
}

// The record's colours in the stored type T: narrowed copies for a mono bitmap, and the frame
// runs' colours backwards.
template <typename T>
struct TypedColours {
    std::vector<T> narrowed, reversed;
};

template <typename T>
TypedColours<T>& ColourScratch() {
    static thread_local TypedColours<T> scratch;
    return scratch;
}

template <typename T>
T* StoreOf(Bitmap& bitmap) {
    if constexpr (sizeof(T) == 1) return bitmap.mono_pixels.data();
    else return bitmap.pixels.data();
}

template <typename T>
void FlushInto(Bitmap& self);

}  // namespace

void SetLineDeferral(bool enabled) { deferral_enabled = enabled; }
bool LineDeferralEnabled() { return deferral_enabled; }

void AppendPendingColumn(Bitmap& bitmap, int x, int top, int bottom, std::uint32_t pixel) {
    PendingLines& pending = bitmap.pending;
    if (!pending.items.empty() && pending.items.back().kind == Item::Kind::ColumnRun) {
        Item& last = pending.items.back();
        const int last_x = last.x + last.step * static_cast<int>(last.count - 1);
        const int step = x - last_x;
        // Only the next column on with exactly the same rows joins: a run must stay a rectangle
        // with one colour per column and no column twice.
        if (last.top == top && last.bottom == bottom && (step == 1 || step == -1) && (last.step == 0 || last.step == step)) {
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
    PendingLines& pending = bitmap.pending;
    if (!pending.items.empty() && OnePixelPerRow(x0, y0, x1, y1)) {
        Item& previous = pending.items.back();
        const bool segment = previous.kind == Item::Kind::Segment, run = previous.kind == Item::Kind::SegmentRun;
        // The copy before this one, and how far this one is moved from it.
        const int copies = run ? static_cast<int>(previous.count) : 1;
        const std::int64_t last_x0 = std::int64_t{previous.x} + std::int64_t{previous.step} * (copies - 1);
        const std::int64_t shift = x0 - last_x0;
        if ((segment || run) && y0 == previous.top && std::int64_t{x1} - x0 == std::int64_t{previous.x1} - previous.x &&
            y1 == previous.bottom && (shift == 1 || shift == -1) && (segment ? OnePixelPerRow(previous.x, previous.top, previous.x1, previous.bottom)
                                                                              : shift == previous.step)) {
            if (segment) {
                previous.kind = Item::Kind::SegmentRun;
                previous.step = static_cast<int>(shift);
                previous.first = static_cast<std::uint32_t>(pending.colours.size());
                previous.count = 1;
                pending.colours.push_back(previous.pixel);
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

void Bitmap::FlushPendingLines() const {
    // The record and the pixels belong to a bitmap in the object table (or a copy of one),
    // never to a const object, so writing through this is well defined.
    Bitmap& self = const_cast<Bitmap&>(*this);
    VisitFormat([&](auto tag) { FlushInto<decltype(tag)>(self); });
}

namespace {

template <typename T>
void FlushInto(Bitmap& self) {
    const int width = self.width, height = self.height;
    PendingLines& pending = self.pending;
    T* const base = StoreOf<T>(self);
    const std::size_t stride = static_cast<std::size_t>(width);
    bool only_columns = true;
    for (const Item& item : pending.items) {
        if (item.kind != Item::Kind::ColumnRun) only_columns = false;
        if ((item.kind == Item::Kind::ColumnRun || item.kind == Item::Kind::SegmentRun) && item.step < 0) {
            // Drawn right to left: turn the colours into left-to-right order for the row copy.
            std::uint32_t* colours = pending.colours.data() + item.first;
            std::reverse(colours, colours + item.count);
        }
    }
    TypedColours<T>& typed = ColourScratch<T>();
    const T* all_colours = nullptr;
    if constexpr (sizeof(T) == 1) {
        typed.narrowed.resize(pending.colours.size());
        std::transform(pending.colours.begin(), pending.colours.end(), typed.narrowed.begin(), StoredAs<T>);
        all_colours = typed.narrowed.data();
    } else {
        all_colours = pending.colours.data();
    }
    auto& reversed = typed.reversed;
    for (const Item& item : pending.items) {
        if (item.kind != Item::Kind::FrameRun) continue;
        if (reversed.size() < pending.colours.size()) reversed.resize(pending.colours.size());
        std::reverse_copy(all_colours + item.first, all_colours + item.first + item.count, reversed.begin() + item.first);
    }
    if (only_columns) {
        // Each run is row-major already: runs in drawing order, each writing every pixel of its
        // rectangle once, so where runs overlap the later one wins.
        for (const Item& item : pending.items)
            WriteColumnRows(item, all_colours + item.first, base, stride, item.top, item.bottom);
        pending.items.clear();
        pending.colours.clear();
        return;
    }

    // Band by band, top to bottom; within a band every item crossing it in drawing order, so
    // each pixel still sees the writes in drawing order. Items join the active list in the band
    // of their first row (a stable counting sort keeps drawing order) and leave after their last.
    const std::size_t count = pending.items.size();
    const int bands = (height + kBandRows - 1) / kBandRows;
    // The write-out's working lists are kept from one flush to the next: a full record needs
    // megabytes of them, and fresh allocations that size come as new, unfaulted pages each time.
    FlushScratch& scratch = Scratch();
    auto& rows = scratch.rows;
    auto& band_start = scratch.band_start;
    auto& order = scratch.order;
    auto& next = scratch.next;
    auto& cursors = scratch.cursors;
    auto& run_cursors = scratch.run_cursors;
    auto& active = scratch.active;
    auto& merged = scratch.merged;
    rows.resize(count);
    order.resize(count);
    band_start.assign(static_cast<std::size_t>(bands) + 1, 0);
    for (std::size_t k = 0; k < count; ++k) {
        rows[k] = RowsOf(pending.items[k], height);
        if (rows[k].first > rows[k].second) rows[k] = {0, 0};  // paints nothing; joins and leaves at once
        ++band_start[static_cast<std::size_t>(rows[k].first / kBandRows) + 1];
    }
    for (int b = 0; b < bands; ++b) band_start[b + 1] += band_start[b];
    next.assign(band_start.begin(), band_start.end() - 1);
    for (std::size_t k = 0; k < count; ++k) order[next[static_cast<std::size_t>(rows[k].first / kBandRows)]++] = static_cast<std::uint32_t>(k);
    // Cursors are set up when their item joins; only segments and runs of segments use them.
    if (cursors.size() < count) cursors.resize(count);
    if (run_cursors.size() < count) run_cursors.resize(count);
    active.clear();
    for (int b = 0; b < bands; ++b) {
        const int band_top = b * kBandRows, band_end = std::min(height, band_top + kBandRows);
        const auto joining_begin = order.begin() + band_start[b], joining_end = order.begin() + band_start[b + 1];
        for (auto it = joining_begin; it != joining_end; ++it)
            if (pending.items[*it].kind == Item::Kind::Segment) cursors[*it].Start(pending.items[*it]);
            else if (pending.items[*it].kind == Item::Kind::SegmentRun) run_cursors[*it].Start(pending.items[*it], height);
        merged.clear();
        std::merge(active.begin(), active.end(), joining_begin, joining_end, std::back_inserter(merged));
        active.swap(merged);
        for (const std::uint32_t k : active) {
            const Item& item = pending.items[k];
            switch (item.kind) {
                case Item::Kind::ColumnRun:
                    WriteColumnRows(item, all_colours + item.first, base, stride, std::max(item.top, band_top),
                                    std::min(item.bottom, band_end));
                    break;
                case Item::Kind::FrameRun:
                    WriteFrameRows(item, all_colours + item.first, reversed.data() + item.first, base, stride,
                                   std::max(item.top, band_top), std::min(item.bottom, band_end));
                    break;
                case Item::Kind::RowSpan:
                    std::fill(base + static_cast<std::size_t>(item.top) * stride + item.x,
                              base + static_cast<std::size_t>(item.top) * stride + item.x1, StoredAs<T>(item.pixel));
                    break;
                case Item::Kind::Segment: cursors[k].WriteUntil(base, stride, band_end, StoredAs<T>(item.pixel)); break;
                case Item::Kind::SegmentRun: {
                    // Row by row, the copies' pixels side by side from the leftmost copy's on.
                    const T* colours = all_colours + item.first;
                    const std::int64_t span = item.count, surface_width = width;
                    const std::int64_t leftmost = item.step < 0 ? -(span - 1) : 0;
                    run_cursors[k].WriteUntil(band_end, [&](int row, std::int64_t column) {
                        const std::int64_t left = column + leftmost;
                        const std::int64_t from = std::max<std::int64_t>(left, 0), to = std::min(left + span, surface_width);
                        if (from < to)
                            std::memcpy(base + static_cast<std::size_t>(row) * stride + from, colours + (from - left),
                                        static_cast<std::size_t>(to - from) * sizeof(T));
                    });
                    break;
                }
            }
        }
        active.erase(std::remove_if(active.begin(), active.end(), [&](std::uint32_t k) { return rows[k].second < band_end; }),
                     active.end());
    }
    pending.items.clear();
    pending.colours.clear();
}

}  // namespace

}  // namespace ov::gdi::detail
