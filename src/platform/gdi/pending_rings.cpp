// Recording and writing out the rings of an elliptical gradient (see pending_rings.h).
//
// A record of whole rings whose last ring is at most 2 pixels across is written region by
// region. Ring k covers a region: on each row, the span from the leftmost to the rightmost pixel
// of its outlines, which is the union of the same spans of three of its five outlines (the whole
// box and the two boxes with two sides pulled in; the other two lie inside them). The regions
// nest, each inside the one before, and the pixels of region k outside region k + 1 are exactly
// the ones ring k's outlines paint that no later ring paints over; the last ring, at most 2
// pixels across, paints its whole region. So once the record is drawn, a pixel shows the ring
// of the smallest region it lies in, and rings of one colour in a row can be written as one:
// the first one's region less the region of the ring after the last one. Every pixel is written
// once, and only the first ring of each colour is walked.
#include "platform/gdi/pending_rings.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <optional>
#include <utility>
#include <vector>

#include "platform/gdi/ellipse_raster.h"
#include "platform/gdi/pending_lines.h"

namespace ov::gdi::detail {
namespace {

constexpr std::uint32_t kPerRing = PendingRings::kOutlinesPerRing;
// A caller repeating the ring pattern past the point where the boxes turn inside out would grow
// the record without end; past this many rings (more than the largest box has) it is written.
constexpr std::size_t kMaxRings = std::size_t{1} << 19;

struct Box {
    std::int64_t left, top, right, bottom;
    friend bool operator==(const Box&, const Box&) = default;
};

Box OutlineBox(const PendingRings& rings, std::uint32_t number) {
    const std::int64_t k = number / kPerRing;
    const std::int64_t l = rings.left + k, t = rings.top + k, r = rings.right - k, b = rings.bottom - k;
    switch (number % kPerRing) {
        case 0: return {l, t, r, b};
        case 1: return {l + 1, t, r - 1, b};
        case 2: return {l + 1, t + 1, r, b};
        case 3: return {l, t + 1, r, b - 1};
        default: return {l, t, r - 1, b - 1};
    }
}

// Ring k's box (the first outline's), as width and height; the boxes shrink by 2 a ring.
std::int64_t RingWidth(const PendingRings& rings, std::int64_t k) { return std::int64_t{rings.right} - rings.left - 2 * k; }
std::int64_t RingHeight(const PendingRings& rings, std::int64_t k) { return std::int64_t{rings.bottom} - rings.top - 2 * k; }

// Whether `rings` whole rings can be written as regions: every box in order, the last one at
// least 1 and at most 2 pixels across (every ring before it is then at least 3 x 3).
// Region columns are kept in int: boxes this far out would not fit.
constexpr int kMaxRecordCoordinate = 1 << 29;

bool ShrinksToThinRing(const PendingRings& rings, std::uint32_t whole) {
    if (whole == 0) return false;
    for (const int edge : {rings.left, rings.top, rings.right, rings.bottom})
        if (edge < -kMaxRecordCoordinate || edge > kMaxRecordCoordinate) return false;
    const std::int64_t w = RingWidth(rings, whole - 1), h = RingHeight(rings, whole - 1);
    return w >= 1 && h >= 1 && std::min(w, h) <= 2;
}

// A ring's region on the rows of the bitmap: row y spans columns [lo[y], hi[y]], for the rows
// [first, end); a row with lo > hi is empty. `whole` stands for a region that covers the bitmap.
struct Region {
    int* lo = nullptr;
    int* hi = nullptr;
    int first = 0, end = 0;
    bool whole = false;

    bool Covers(int y) const { return whole || (y >= first && y < end && lo[y] <= hi[y]); }
    // Row y's ends; a whole region reaches one column past the bitmap either side.
    int Lo(int y) const { return whole ? -1 : lo[y]; }
    int Hi(int y, int width) const { return whole ? width : hi[y]; }
};

class RegionBuilder {
public:
    RegionBuilder(int width, int height) : width_(width), height_(height) {}

    // The region of ring k of `rings`: the union of the spans of its first outline and of the
    // two with two sides pulled in (left and top, right and bottom), which share a size and so
    // one walk.
    void Build(const PendingRings& rings, std::int64_t k, Region& out) const {
        const std::int64_t l = rings.left + k, t = rings.top + k;
        const std::int64_t w = RingWidth(rings, k), h = RingHeight(rings, k);
        out.whole = false;
        out.first = static_cast<int>(std::clamp<std::int64_t>(t, 0, height_));
        out.end = static_cast<int>(std::clamp<std::int64_t>(t + h, 0, height_));
        // The first outline reaches every row of its box, except a 1 x 1 box, which paints
        // nothing; so the others only widen what it sets.
        if (w == 1 && h == 1) {
            for (int y = out.first; y < out.end; ++y) {
                out.lo[y] = INT_MAX;
                out.hi[y] = INT_MIN;
            }
        }
        SetFromOutline(l, t, w, h, out);
        AddOutlinePair(l + 1, t + 1, l, t, w - 1, h - 1, out);
    }

private:
    template <bool widen>
    void Put(Region& out, std::int64_t row, std::int64_t from, std::int64_t to) const {
        if (row < 0 || row >= height_) return;
        const auto y = static_cast<std::size_t>(row);
        // Within int: the record's boxes lie within kMaxRecordCoordinate (see ShrinksToThinRing).
        if constexpr (widen) {
            out.lo[y] = std::min(out.lo[y], static_cast<int>(from));
            out.hi[y] = std::max(out.hi[y], static_cast<int>(to));
        } else {
            out.lo[y] = static_cast<int>(from);
            out.hi[y] = static_cast<int>(to);
        }
    }

    // Boxes at most 2 pixels across follow the rectangle rule: every pixel of the box is on the
    // outline, except for a 1 x 1 box, which paints nothing.
    template <bool widen>
    bool AddThinBox(std::int64_t l, std::int64_t t, std::int64_t w, std::int64_t h, Region& out) const {
        if (w > 2 && h > 2) return false;
        if (w <= 0 || h <= 0 || (w == 1 && h == 1)) return true;
        for (std::int64_t row = std::max<std::int64_t>(t, 0); row < std::min<std::int64_t>(t + h, height_); ++row)
            Put<widen>(out, row, l, l + w - 1);
        return true;
    }

    // The rows a walk of a box at top t, height h must reach: path row y lands on rows t + y and
    // t + h - 1 - y, and past this neither is on the bitmap.
    int WalkLimit(std::int64_t t, std::int64_t h) const {
        const std::int64_t limit = std::max<std::int64_t>(height_ - t, t + h);
        return static_cast<int>(std::clamp<std::int64_t>(limit, 0, INT_MAX));
    }

    template <bool widen>
    void PutMirrored(Region& out, std::int64_t l, std::int64_t t, std::int64_t a, std::int64_t b, int y, int count,
                     int hi) const {
        for (int i = 0; i < count; ++i) {
            const std::int64_t path_row = y + i;
            Put<widen>(out, t + path_row, l + a - hi, l + hi);
            if (b - path_row != path_row) Put<widen>(out, t + b - path_row, l + a - hi, l + hi);
        }
    }

    // The first outline's spans, set on every row of its box.
    void SetFromOutline(std::int64_t l, std::int64_t t, std::int64_t w, std::int64_t h, Region& out) const {
        if (AddThinBox<false>(l, t, w, h, out)) return;
        const std::int64_t a = w - 1, b = h - 1;
        WalkEllipseQuadrantSpans(static_cast<int>(w), static_cast<int>(h), WalkLimit(t, h), [&](int y, int count, int hi) {
            PutMirrored<false>(out, l, t, a, b, y, count, hi);
        });
    }

    // Two boxes of the same size, at (l1, t1) and (l2, t2).
    void AddOutlinePair(std::int64_t l1, std::int64_t t1, std::int64_t l2, std::int64_t t2, std::int64_t w,
                        std::int64_t h, Region& out) const {
        if (AddThinBox<true>(l1, t1, w, h, out)) {
            AddThinBox<true>(l2, t2, w, h, out);
            return;
        }
        const std::int64_t a = w - 1, b = h - 1;
        const int limit = std::max(WalkLimit(t1, h), WalkLimit(t2, h));
        WalkEllipseQuadrantSpans(static_cast<int>(w), static_cast<int>(h), limit, [&](int y, int count, int hi) {
            PutMirrored<true>(out, l1, t1, a, b, y, count, hi);
            PutMirrored<true>(out, l2, t2, a, b, y, count, hi);
        });
    }

    int width_, height_;
};

// Writes columns [xs[0], end) of `row`: [xs[k], xs[k + 1]) in colours[k], the last of the n
// spans up to `end`; the bounds are inside the row and never decrease. Most spans are a few
// pixels long, so each is written in blocks of 8 that may run on into the spans after it,
// which are written after it and so put those pixels right; a block never passes `end`.
template <typename T>
void WriteSpanSequence(T* row, const int* xs, const T* colours, int n, int end) {
    for (int k = 0; k < n; ++k) {
        int x = xs[k];
        const int stop = k + 1 < n ? xs[k + 1] : end;
        const T pixel = colours[k];
        for (; x < stop && x + 8 <= end; x += 8)
            for (int i = 0; i < 8; ++i) row[x + i] = pixel;
        for (; x < stop; ++x) row[x] = pixel;
    }
}

// A scratch store for the regions, kept from one write-out to the next when small.
std::vector<int>& RegionScratch() {
    static thread_local std::vector<int> scratch;
    return scratch;
}
constexpr std::size_t kKeptScratch = std::size_t{1} << 20;

// Writes rings [0, whole) of a record, each run of rings of one colour as one region
// difference. The regions of up to kChunk runs are worked out, then written row by row: on each
// row the chunk's runs are a sequence of spans from the outer region's left end in to the next
// chunk's region, and the mirrored sequence out to the right end. Everything it needs is
// allocated when it is made, so that writing cannot fail.
class RegionWriter {
public:
    static constexpr int kChunk = 32;

    RegionWriter(const Bitmap& bitmap, const PendingRings& rings, std::uint32_t whole)
        : builder_(bitmap.width, bitmap.height), height_(bitmap.height), scratch_(RegionScratch()) {
        const std::size_t needed = static_cast<std::size_t>(bitmap.height) * (kChunk + 1) * 2;
        if (scratch_.size() < needed) scratch_.resize(needed);
        // The runs of one colour, by their first rings.
        for (std::uint32_t k = 0; k < whole; ++k)
            if (k == 0 || rings.colours[k] != rings.colours[k - 1]) starts_.push_back(k);
        // A run whose first ring encloses the whole bitmap covers every run before it.
        for (std::size_t i = starts_.size(); i-- > 0;) {
            const std::int64_t k = starts_[i];
            if (SurfaceInsideOutline(rings.left + k, rings.top + k, RingWidth(rings, k), RingHeight(rings, k),
                                     bitmap.width, bitmap.height)) {
                first_run_ = i;
                first_covers_bitmap_ = true;
                break;
            }
        }
    }
    ~RegionWriter() {
        if (scratch_.size() > kKeptScratch) std::vector<int>().swap(scratch_);
    }
    RegionWriter(const RegionWriter&) = delete;
    RegionWriter& operator=(const RegionWriter&) = delete;

    void Write(Bitmap& bitmap, const PendingRings& rings) {
        Region regions[kChunk + 1];
        for (int i = 0; i <= kChunk; ++i) {
            regions[i].lo = scratch_.data() + static_cast<std::size_t>(2 * i) * height_;
            regions[i].hi = scratch_.data() + static_cast<std::size_t>(2 * i + 1) * height_;
        }
        if (first_covers_bitmap_) regions[0].whole = true;
        else builder_.Build(rings, starts_[first_run_], regions[0]);
        bitmap.VisitFormat([&](auto tag) {
            using T = decltype(tag);
            T* const base = bitmap.row_of<T>(0);
            const int width = bitmap.width;
            const std::size_t runs = starts_.size();
            T colours[2 * kChunk + 1];
            int xs[2 * kChunk + 1];
            for (std::size_t chunk = first_run_; chunk < runs; chunk += kChunk) {
                const int count = static_cast<int>(std::min<std::size_t>(kChunk, runs - chunk));
                const bool has_next = chunk + count < runs;  // the next chunk's first region, in slot count
                for (int i = 1; i <= count && chunk + i < runs; ++i) builder_.Build(rings, starts_[chunk + i], regions[i]);
                T run_colour[kChunk];
                for (int i = 0; i < count; ++i) run_colour[i] = StoredAs<T>(rings.colours[starts_[chunk + i]]);
                auto column = [&](int x) { return std::clamp(x, 0, width); };
                for (int y = 0; y < height_; ++y) {
                    if (!regions[0].Covers(y)) continue;
                    // The innermost region of the chunk on this row: the regions nest, so every
                    // one before it covers the row too.
                    int inner = 0;
                    while (inner + 1 < count + (has_next ? 1 : 0) && regions[inner + 1].Covers(y)) ++inner;
                    T* const row = base + static_cast<std::ptrdiff_t>(y) * width;
                    auto lo = [&](int i) { return regions[i].Lo(y); };
                    auto hi = [&](int i) { return regions[i].Hi(y, width); };
                    int n = 0;
                    for (int i = 0; i < inner; ++i) {
                        xs[n] = column(lo(i));
                        colours[n++] = run_colour[i];
                    }
                    if (inner == count) {
                        // The next chunk's region covers the row: two sequences, either side of it.
                        WriteSpanSequence(row, xs, colours, n, column(lo(count)));
                        n = 0;
                    } else {
                        xs[n] = column(lo(inner));
                        colours[n++] = run_colour[inner];
                    }
                    for (int i = inner - 1; i >= 0; --i) {
                        xs[n] = column(hi(i + 1) + 1);
                        colours[n++] = run_colour[i];
                    }
                    WriteSpanSequence(row, xs, colours, n, column(hi(0) + 1));
                }
                // The chunk's last region is the next chunk's first.
                std::swap(regions[0], regions[count]);
            }
        });
    }

private:
    RegionBuilder builder_;
    int height_;
    std::vector<int>& scratch_;
    std::vector<std::uint32_t> starts_;
    std::size_t first_run_ = 0;
    bool first_covers_bitmap_ = false;
};

}  // namespace

bool AppendPendingRingOutline(Bitmap& bitmap, int left, int top, int right, int bottom, std::uint32_t pixel) {
    if (!LineDeferralEnabled()) return false;
    // Everything recorded before the outline comes first.
    if (bitmap.in_blit_chain) RunBlitChain();
    if (!bitmap.pending.empty()) bitmap.WriteOutLines();
    PendingRings& rings = bitmap.rings;
    if (!rings.empty()) {
        const std::uint32_t next = rings.outlines;
        const bool begins_ring = next % kPerRing == 0;
        if (OutlineBox(rings, next) == Box{left, top, right, bottom} &&
            (begins_ring ? rings.colours.size() < kMaxRings : rings.colours.back() == pixel)) {
            if (begins_ring) rings.colours.push_back(pixel);
            ++rings.outlines;
            return true;
        }
        bitmap.WriteOutLines();
    }
    rings.colours.assign(1, pixel);
    rings.left = left;
    rings.top = top;
    rings.right = right;
    rings.bottom = bottom;
    rings.outlines = 1;
    return true;
}

void WriteOutPendingRings(Bitmap& bitmap) {
    if (bitmap.rings.empty()) return;
    const std::uint32_t whole = bitmap.rings.outlines / kPerRing;
    const bool as_regions = ShrinksToThinRing(bitmap.rings, whole);
    std::optional<RegionWriter> writer;
    if (as_regions) writer.emplace(bitmap, bitmap.rings, whole);  // a failure leaves the record as it was
    PendingRings record;
    std::swap(record, bitmap.rings);
    std::uint32_t drawn = 0;
    if (as_regions) {
        writer->Write(bitmap, record);
        drawn = whole * kPerRing;
    }
    for (; drawn < record.outlines; ++drawn) {
        const Box box = OutlineBox(record, drawn);
        DrawThinEllipseOutline(bitmap, static_cast<int>(box.left), static_cast<int>(box.top), static_cast<int>(box.right),
                               static_cast<int>(box.bottom), record.colours[drawn / kPerRing]);
    }
}

}  // namespace ov::gdi::detail
