// Writing out the lines recorded on a bitmap (see pending_lines.h), in four stages: the working
// lists are sized (the only allocations, so a failure leaves the record untouched), the
// record's colours are put in the order and stored type the row copies need, the items are
// sorted into the bands of rows where they start, and the bands are written top to bottom.
#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/gdi/internal/line_raster.h"
#include "platform/gdi/internal/pending_lines.h"

namespace ov::gdi::detail {
namespace {

using Item = PendingLines::Item;

// Rows written together: 64 rows of a 1920-pixel surface (480 KiB) stay in the second-level
// cache while every pending line crossing them is written. Fewer rows per band cost more in
// revisiting each line's walk state than they save (measured on the diagonal sweeps).
constexpr int kBandRows = 64;

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
                if (step == last) {
                    finished = true;
                    break;
                }
                p += along;
                error += step_err;
                if (error > 0) {
                    ++offset;
                    error -= period;
                } else if (error <= -period) {
                    --offset;
                    error += period;
                    p -= row_stride;
                    continue;
                }  // not reached: rows grow
                else
                    continue;
                p += row_stride;  // the minor offset grew: one row down
                if (++y >= row_end) break;
            }
        } else {
            // y-major: one row per step; the minor offset is the column.
            while (true) {
                *p = pixel;
                step += dir;
                if (step == last) {
                    finished = true;
                    break;
                }
                p += row_stride;
                error += step_err;
                if (error > 0) {
                    ++offset;
                    error -= period;
                    ++p;
                } else if (error <= -period) {
                    --offset;
                    error += period;
                    --p;
                }
                if (++y >= row_end) break;
            }
        }
        i = step;
        err = error;
        q = offset;
        return finished;
    }
};

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
            if (err > 0) {
                ++q;
                err -= two_n;
            } else if (err <= -two_n) {
                --q;
                err += two_n;
            }
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
            return static_cast<int>(walk.x_major ? walk.minor0 + walk.MinorOffset(i)
                                                 : walk.major0 + walk.major_step * i);
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
void WriteFrameRows(const Item& item, const T* colours, const T* reversed, T* base, std::size_t stride, int top,
                    int bottom) {
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

// The write-out's working lists, kept from one write-out to the next: a full record needs
// megabytes of them, and fresh allocations that size come as new, unfaulted pages each time.
struct WriteScratch {
    std::vector<std::pair<int, int>> rows;  // each item's rows, [first, last]
    std::vector<std::uint32_t> band_start, order, next, active, merged;
    std::vector<SegmentCursor> cursors;
    std::vector<RowColumnCursor> run_cursors;
};

WriteScratch& Scratch() {
    static thread_local WriteScratch scratch;
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

bool OnlyColumnRuns(const PendingLines& pending) {
    return std::all_of(pending.items.begin(), pending.items.end(),
                       [](const Item& item) { return item.kind == Item::Kind::ColumnRun; });
}

int BandCount(int height) { return (height + kBandRows - 1) / kBandRows; }

// Stage 1: every list the later stages fill, at its size. Nothing after this allocates.
template <typename T>
void SizeWorkingLists(const PendingLines& pending, int height, bool banded) {
    const std::size_t colours = pending.colours.size();
    TypedColours<T>& typed = ColourScratch<T>();
    if constexpr (sizeof(T) == 1) typed.narrowed.resize(colours);
    const bool frames = std::any_of(pending.items.begin(), pending.items.end(),
                                    [](const Item& item) { return item.kind == Item::Kind::FrameRun; });
    if (frames && typed.reversed.size() < colours) typed.reversed.resize(colours);
    if (!banded) return;
    const std::size_t count = pending.items.size();
    WriteScratch& scratch = Scratch();
    scratch.rows.resize(count);
    scratch.order.resize(count);
    scratch.band_start.resize(static_cast<std::size_t>(BandCount(height)) + 1);
    scratch.next.resize(static_cast<std::size_t>(BandCount(height)));
    scratch.active.reserve(count);
    scratch.merged.reserve(count);
    if (scratch.cursors.size() < count) scratch.cursors.resize(count);
    if (scratch.run_cursors.size() < count) scratch.run_cursors.resize(count);
}

// Stage 2: the colours as the row copies take them. Runs drawn right to left are turned into
// left-to-right order in the record itself (this is what makes the write-out final: the
// record is emptied once the bands are written); mono bitmaps get narrowed copies and frame
// runs a reversed copy for their right-hand edges.
template <typename T>
struct ColourTable {
    const T* colours = nullptr;
    const T* reversed = nullptr;
};

template <typename T>
ColourTable<T> OrderColours(PendingLines& pending) {
    for (const Item& item : pending.items)
        if ((item.kind == Item::Kind::ColumnRun || item.kind == Item::Kind::SegmentRun) && item.step < 0) {
            std::uint32_t* colours = pending.colours.data() + item.first;
            std::reverse(colours, colours + item.count);
        }
    TypedColours<T>& typed = ColourScratch<T>();
    ColourTable<T> table;
    if constexpr (sizeof(T) == 1) {
        std::transform(pending.colours.begin(), pending.colours.end(), typed.narrowed.begin(), StoredAs<T>);
        table.colours = typed.narrowed.data();
    } else {
        table.colours = pending.colours.data();
    }
    for (const Item& item : pending.items)
        if (item.kind == Item::Kind::FrameRun)
            std::reverse_copy(table.colours + item.first, table.colours + item.first + item.count,
                              typed.reversed.begin() + item.first);
    table.reversed = typed.reversed.data();
    return table;
}

// Stage 3: items sorted by the band of their first row (a stable counting sort keeps drawing
// order within a band), with each item's rows.
void ScheduleBands(const PendingLines& pending, int height) {
    WriteScratch& scratch = Scratch();
    const std::size_t count = pending.items.size();
    std::fill(scratch.band_start.begin(), scratch.band_start.end(), 0u);
    for (std::size_t k = 0; k < count; ++k) {
        scratch.rows[k] = RowsOf(pending.items[k], height);
        if (scratch.rows[k].first > scratch.rows[k].second)
            scratch.rows[k] = {0, 0};  // paints nothing; joins and leaves at once
        ++scratch.band_start[static_cast<std::size_t>(scratch.rows[k].first / kBandRows) + 1];
    }
    const int bands = BandCount(height);
    for (int b = 0; b < bands; ++b) scratch.band_start[b + 1] += scratch.band_start[b];
    std::copy(scratch.band_start.begin(), scratch.band_start.end() - 1, scratch.next.begin());
    for (std::size_t k = 0; k < count; ++k)
        scratch.order[scratch.next[static_cast<std::size_t>(scratch.rows[k].first / kBandRows)]++] =
            static_cast<std::uint32_t>(k);
    scratch.active.clear();
}

// One item's rows inside [band_top, band_end).
template <typename T>
void WriteItemRows(Bitmap& bitmap, const Item& item, std::uint32_t k, const ColourTable<T>& table, int band_top,
                   int band_end) {
    WriteScratch& scratch = Scratch();
    T* const base = StoreOf<T>(bitmap);
    const std::size_t stride = static_cast<std::size_t>(bitmap.width);
    switch (item.kind) {
        case Item::Kind::ColumnRun:
            WriteColumnRows(item, table.colours + item.first, base, stride, std::max(item.top, band_top),
                            std::min(item.bottom, band_end));
            break;
        case Item::Kind::FrameRun:
            WriteFrameRows(item, table.colours + item.first, table.reversed + item.first, base, stride,
                           std::max(item.top, band_top), std::min(item.bottom, band_end));
            break;
        case Item::Kind::RowSpan:
            std::fill(base + static_cast<std::size_t>(item.top) * stride + item.x,
                      base + static_cast<std::size_t>(item.top) * stride + item.x1, StoredAs<T>(item.pixel));
            break;
        case Item::Kind::Segment: scratch.cursors[k].WriteUntil(base, stride, band_end, StoredAs<T>(item.pixel)); break;
        case Item::Kind::SegmentRun: {
            // Row by row, the copies' pixels side by side from the leftmost copy's on.
            const T* colours = table.colours + item.first;
            const std::int64_t span = item.count, surface_width = bitmap.width;
            const std::int64_t leftmost = item.step < 0 ? -(span - 1) : 0;
            scratch.run_cursors[k].WriteUntil(band_end, [&](int row, std::int64_t column) {
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

// Stage 4: band by band, top to bottom; within a band every item crossing it in drawing order,
// so each pixel still sees the writes in drawing order. Items join the active list in the band
// of their first row and leave after their last.
template <typename T>
void WriteBands(Bitmap& bitmap, const ColourTable<T>& table) {
    const PendingLines& pending = bitmap.pending;
    WriteScratch& scratch = Scratch();
    auto& active = scratch.active;
    auto& merged = scratch.merged;
    for (int b = 0, bands = BandCount(bitmap.height); b < bands; ++b) {
        const int band_top = b * kBandRows, band_end = std::min(bitmap.height, band_top + kBandRows);
        const auto joining_begin = scratch.order.begin() + scratch.band_start[b];
        const auto joining_end = scratch.order.begin() + scratch.band_start[b + 1];
        // Cursors are set up when their item joins; only segments and runs of segments use them.
        for (auto it = joining_begin; it != joining_end; ++it)
            if (pending.items[*it].kind == Item::Kind::Segment) scratch.cursors[*it].Start(pending.items[*it]);
            else if (pending.items[*it].kind == Item::Kind::SegmentRun)
                scratch.run_cursors[*it].Start(pending.items[*it], bitmap.height);
        merged.clear();
        std::merge(active.begin(), active.end(), joining_begin, joining_end, std::back_inserter(merged));
        active.swap(merged);
        for (const std::uint32_t k : active) WriteItemRows(bitmap, pending.items[k], k, table, band_top, band_end);
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](std::uint32_t k) { return scratch.rows[k].second < band_end; }),
                     active.end());
    }
}

template <typename T>
void WriteOut(Bitmap& bitmap) {
    PendingLines& pending = bitmap.pending;
    // Column runs alone are row-major already: runs in drawing order, each writing every pixel
    // of its rectangle once, so where runs overlap the later one wins.
    const bool banded = !OnlyColumnRuns(pending);
    SizeWorkingLists<T>(pending, bitmap.height, banded);
    const ColourTable<T> table = OrderColours<T>(pending);
    if (!banded) {
        T* const base = StoreOf<T>(bitmap);
        const std::size_t stride = static_cast<std::size_t>(bitmap.width);
        for (const Item& item : pending.items)
            WriteColumnRows(item, table.colours + item.first, base, stride, item.top, item.bottom);
    } else {
        ScheduleBands(pending, bitmap.height);
        WriteBands(bitmap, table);
    }
    pending.items.clear();
    pending.colours.clear();
}

}  // namespace

void WriteOutPendingLines(Bitmap& bitmap) {
    bitmap.VisitFormat([&](auto tag) { WriteOut<decltype(tag)>(bitmap); });
}

}  // namespace ov::gdi::detail
