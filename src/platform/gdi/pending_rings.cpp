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
#include "platform/gdi/internal/pending_rings.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi/internal/ellipse_raster.h"
#include "platform/gdi/internal/pending_lines.h"

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
std::int64_t RingWidth(const PendingRings& rings, std::int64_t k) {
    return std::int64_t{rings.right} - rings.left - 2 * k;
}
std::int64_t RingHeight(const PendingRings& rings, std::int64_t k) {
    return std::int64_t{rings.bottom} - rings.top - 2 * k;
}

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

// A ring's region clipped to the bitmap, by rows: row y is columns [lb[y], rb[y]), both within
// [0, width]. Rows [first, end) are the rows of the ring's box on the bitmap; a region built
// inside another one also has bounds on the enclosing rows it does not reach, where it is empty
// (lb = rb, at the enclosing region's left bound), so that the bounds of a chain of regions
// always nest on every row the outermost reaches.
struct RegionBounds {
    int* lb = nullptr;
    int* rb = nullptr;
    int first = 0, end = 0;
};

// Works out ring regions from two outline walks each. Ring k's region on row t + q of its box
// (at l, t, w x h) is the union of the spans of its whole-box outline and the two outlines of
// the box one pixel smaller at (l + 1, t + 1) and (l, t): with e[q] the whole box's rightmost
// column on path row q and p[q] the smaller box's (relative to their own left edges), it reaches
// right to l + max(e[q], 1 + p[q - 1], p[q]) and, the outlines being symmetric, left to
// l + w - 1 - max(e[q], p[q - 1], 1 + p[q]). The regions of a few rings are worked out
// together, so that their walks can be stepped side by side.
class RegionBuilder {
public:
    // Regions worked out together, at most.
    static constexpr int kTogether = LockstepWalks::kLanes / 2;

    // Regions on a bitmap `width` wide, on its first `height` rows.
    RegionBuilder(int width, int height, int* walk_scratch)
        : width_(width), height_(height), walk_scratch_(walk_scratch) {}

    // The walk scratch Build needs for a bitmap of this height.
    static std::size_t ScratchSize(int height) { return 2 * kTogether * WalkRows(height) + kQuadrantSpansScratch; }

    // The regions of rings ks[0 .. count - 1] (at most kTogether, each inside the one before) on
    // rows [from, to), which must hold the rows of their boxes on the bitmap: out[i] lies in
    // out[i - 1] and out[0] in `enclosing`, whose bounds are taken where a region is empty.
    // `enclosing` may be null only for a single ring when [from, to) is exactly its box's rows.
    void Build(const PendingRings& rings, const std::uint32_t* ks, int count, const RegionBounds* enclosing, int from,
               int to, RegionBounds* out) const {
        WalkJobs jobs;
        for (int i = 0; i < count; ++i) {
            const std::int64_t k = ks[i], t = rings.top + k, h = RingHeight(rings, k), w = RingWidth(rings, k);
            out[i].first = static_cast<int>(std::clamp<std::int64_t>(t, 0, height_));
            out[i].end = static_cast<int>(std::clamp<std::int64_t>(t + h, 0, height_));
            if (out[i].first < out[i].end && w > 2 && h > 2) AddWalks(rings.left + k, t, w, h, out[i], i, jobs);
        }
        WalkEllipseQuadrantSpansTogether(jobs.spans, jobs.count, jobs,
                                         walk_scratch_ + 2 * kTogether * WalkRows(height_));
        // In order: a region takes the bounds of the one before where it is empty.
        for (int i = 0; i < count; ++i) Finish(rings, ks[i], i == 0 ? enclosing : &out[i - 1], from, to, i, out[i]);
    }

private:
    static constexpr int kNoColumn = INT_MIN / 4;  // a path row the smaller box does not have

    static std::size_t WalkRows(int height) { return static_cast<std::size_t>(height) + 2; }

    // The walks of the regions being built: job j fills out[q - a] for the path rows q in [a, z)
    // of a box with the path's rightmost column, from one quadrant walk and its mirror image.
    struct WalkJobs {
        struct Target {
            int a, z, bottom;  // bottom: the box's last path row, where the mirror image turns
            int* out;
        };
        QuadrantSpansJob spans[2 * kTogether];
        Target targets[2 * kTogether];
        int count = 0;

        // The target is read into locals first: the stores through `out` could otherwise
        // overwrite it, as far as the compiler knows, and it would be read again every row.
        void Spans(int job, int y, int n, int hi) const {
            const auto [a, z, bottom, out] = targets[job];
            for (int q = std::max(y, a), up = std::min(y + n, z); q < up; ++q) out[q - a] = hi;
            for (int q = std::max(bottom - y - n + 1, a), up = std::min(bottom - y + 1, z); q < up; ++q)
                out[q - a] = hi;
        }
        void Rows(int job, int y, int n, const std::int32_t* hi, int stride) const {
            const auto [a, z, bottom, out] = targets[job];
            for (int q = std::max(y, a), up = std::min(y + n, z); q < up; ++q)
                out[q - a] = Strided(hi[static_cast<std::ptrdiff_t>(q - y) * stride]);
            for (int q = std::max(bottom - y - n + 1, a), up = std::min(bottom - y + 1, z); q < up; ++q)
                out[q - a] = Strided(hi[static_cast<std::ptrdiff_t>(bottom - q - y) * stride]);
        }
        // A value read with a stride, kept out of the vectoriser's hands: it would gather
        // neighbouring rows' values into a vector through the stack, which stalls every store.
        static int Strided(int value) {
#if defined(__GNUC__)
            asm("" : "+r"(value));
#endif
            return value;
        }
        // Path rows [a, z) of a box_width x box_height box into out; a row reaching column
        // `far_column` may be given any column from there on.
        void Add(int box_width, int box_height, int a, int z, int far_column, int* out) {
            if (z <= a) return;
            if (box_width <= 2 || box_height <= 2) {
                std::fill(out, out + (z - a), box_width - 1);  // the rectangle rule
                return;
            }
            const int limit = std::clamp(std::max(z, box_height - a), 0, box_height);
            spans[count] = {box_width, box_height, limit, far_column};
            targets[count] = {a, z, box_height - 1, out};
            ++count;
        }
    };

    int* WholeRows(int i) const { return walk_scratch_ + 2 * i * WalkRows(height_); }
    // smaller[q - q0] is path row q; smaller[-1] is row q0 - 1.
    int* SmallerRows(int i) const { return walk_scratch_ + (2 * i + 1) * WalkRows(height_) + 1; }

    int Column(std::int64_t x) const { return static_cast<int>(std::clamp<std::int64_t>(x, 0, width_)); }

    void AddWalks(std::int64_t l, std::int64_t t, std::int64_t w, std::int64_t h, const RegionBounds& out, int i,
                  WalkJobs& jobs) const {
        // Path rows q0 .. q1 - 1 of the box lie on the bitmap; the smaller box is read at q - 1
        // and q, so on q0 - 1 .. q1 - 1 where it has them.
        const int q0 = static_cast<int>(out.first - t), q1 = static_cast<int>(out.end - t);
        const int hw = static_cast<int>(w), hh = static_cast<int>(h);
        // An outline reaching this many columns right of l on a row reaches past the bitmap's
        // last column and, being symmetric, past its first: the row's bounds are then 0 and the
        // width whatever the exact reach, so the walks need not find it (rings around the
        // bitmap pass such rows in their steep middle part).
        const std::int64_t covering = std::max<std::int64_t>(width_ - 1 - l, l + w - 1);
        const int far_column = static_cast<int>(std::clamp<std::int64_t>(covering, 0, INT_MAX));
        jobs.Add(hw, hh, q0, q1, far_column, WholeRows(i));
        const int s0 = std::max(q0 - 1, 0), s1 = std::min(q1, hh - 1);
        int* const smaller = SmallerRows(i);
        smaller[-1] = kNoColumn;
        smaller[q1 - q0 - 1] = kNoColumn;
        jobs.Add(hw - 1, hh - 1, s0, s1, far_column, smaller + (s0 - q0));
    }

    void Finish(const PendingRings& rings, std::int64_t k, const RegionBounds* enclosing, int from, int to, int i,
                RegionBounds& out) const {
        const std::int64_t l = rings.left + k;
        const std::int64_t w = RingWidth(rings, k), h = RingHeight(rings, k);
        auto empty_rows = [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) out.lb[y] = out.rb[y] = enclosing ? enclosing->lb[y] : 0;
        };
        empty_rows(from, std::min(out.first, to));
        empty_rows(std::max(out.end, from), to);
        if (out.first >= out.end) return;
        if (w == 1 && h == 1) {
            empty_rows(out.first, out.end);  // a 1 x 1 box paints nothing
        } else if (w <= 2 || h <= 2) {
            // Boxes at most 2 pixels across follow the rectangle rule: every pixel of the box
            // is on the outline.
            const int lb = Column(l), rb = Column(l + w);
            for (int y = out.first; y < out.end; ++y) {
                out.lb[y] = lb;
                out.rb[y] = rb;
            }
        } else {
            Combine(l, w, i, out);
        }
    }

    void Combine(std::int64_t l, std::int64_t w, int i, RegionBounds& out) const {
        const int* const whole = WholeRows(i);
        const int* const smaller = SmallerRows(i);
        const int left = static_cast<int>(l), far = static_cast<int>(l + w - 1);
        int* const lb = out.lb + out.first;
        int* const rb = out.rb + out.first;
        for (int q = 0; q < out.end - out.first; ++q) {
            const int e = whole[q], above = smaller[q - 1], here = smaller[q];
            const int right = std::max(e, std::max(1 + above, here));
            const int reach_left = std::max(e, std::max(above, 1 + here));
            lb[q] = std::clamp(far - reach_left, 0, width_);
            rb[q] = std::clamp(left + right + 1, 0, width_);
        }
    }

    int width_, height_;
    int* walk_scratch_;
};

// Eight copies of one pixel, stored in one go: most spans are a few pixels long, so most take
// one block.
template <typename T>
struct PixelBlock;

template <>
struct PixelBlock<std::uint32_t> {
    static constexpr int kPixels = 8;
    PixelBlock() = default;
    explicit PixelBlock(std::uint32_t pixel) {
#if defined(__SSE2__)
        quad = _mm_set1_epi32(static_cast<int>(pixel));
#else
        std::fill(std::begin(pixels), std::end(pixels), pixel);
#endif
    }
    void StoreAt(std::uint32_t* at) const {
#if defined(__SSE2__)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), quad);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 4), quad);
#else
        std::memcpy(at, pixels, sizeof pixels);
#endif
    }
#if defined(__SSE2__)
    __m128i quad;
#else
    std::uint32_t pixels[8];
#endif
};

template <>
struct PixelBlock<std::uint8_t> {
    static constexpr int kPixels = 8;
    PixelBlock() = default;
    explicit PixelBlock(std::uint8_t pixel) : bytes(0x0101010101010101ull * pixel) {}
    void StoreAt(std::uint8_t* at) const { std::memcpy(at, &bytes, sizeof bytes); }
    std::uint64_t bytes;
};

// Fills [x, stop) of a row in blocks of 8, which may run on past `stop` up to `end`: the
// pixels there belong to spans written after this one.
template <typename T>
inline void FillSpanAhead(T* row, int x, int stop, int end, const PixelBlock<T>& block, T pixel) {
    constexpr int kBlock = PixelBlock<T>::kPixels;
    if (x == stop) return;  // a run the bitmap's edge or the next region leaves no room for on this row
    if (x + kBlock > end) {
        for (; x < stop; ++x) row[x] = pixel;
        return;
    }
    do {
        if (x + kBlock > end) x = end - kBlock;  // the block's start is still inside this span
        block.StoreAt(row + x);
        x += kBlock;
    } while (x < stop);
}

// Writes row y of a chunk of runs: run i is [lb[i][y], lb[i + 1][y]) and [rb[i + 1][y],
// rb[i][y]) in its colour, the innermost bounds lb[count], rb[count] being the next chunk's
// region, which is written later. Left to right, so each span may run on into the ones after it.
template <typename T>
inline void WriteRowOfRuns(T* row, int y, const int* const* lb, const int* const* rb, const PixelBlock<T>* blocks,
                           const T* colours, int count) {
    const int end = rb[0][y];
    for (int i = 0; i < count; ++i) FillSpanAhead(row, lb[i][y], lb[i + 1][y], end, blocks[i], colours[i]);
    for (int i = count; i-- > 0;) FillSpanAhead(row, rb[i + 1][y], rb[i][y], end, blocks[i], colours[i]);
}

// Writes row `from` reversed into row `to` (two rows of `width` pixels that do not overlap).
template <typename T>
void CopyRowReversed(T* to, const T* from, int width) {
    for (int x = 0; x < width; ++x) to[x] = from[width - 1 - x];
}

template <>
void CopyRowReversed(std::uint32_t* to, const std::uint32_t* from, int width) {
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= width; x += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + width - 4 - x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_shuffle_epi32(four, _MM_SHUFFLE(0, 1, 2, 3)));
    }
#endif
    for (; x < width; ++x) to[x] = from[width - 1 - x];
}

// A scratch store for the regions, kept from one write-out to the next when small.
std::vector<int>& RegionScratch() {
    static thread_local std::vector<int> scratch;
    return scratch;
}
constexpr std::size_t kKeptScratch = std::size_t{1} << 20;

// Writes rings [0, whole) of a record, each run of rings of one colour as one region
// difference. The regions of up to kChunk runs are worked out on the rows the chunk's outer
// region reaches, then written row by row, each row one left-to-right sequence of spans from
// the outer region's left bound to its right bound around the next chunk's region. Everything
// it needs is allocated when it is made, so that writing cannot fail.
class RegionWriter {
public:
    static constexpr int kChunk = 32;

    RegionWriter(const Bitmap& bitmap, const PendingRings& rings, std::uint32_t whole)
        : height_(bitmap.height), scratch_(RegionScratch()) {
        const std::size_t regions = static_cast<std::size_t>(bitmap.height) * (kChunk + 1) * 2;
        const std::size_t needed = regions + RegionBuilder::ScratchSize(bitmap.height);
        if (scratch_.size() < needed) scratch_.resize(needed);
        walk_scratch_ = scratch_.data() + regions;
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
        // Every region is symmetric about the rings' common centre, and so is the whole record
        // once drawn. When that centre is the bitmap's and the rings cover all of it, the lower
        // half is the upper half turned about the centre: it is copied instead of written.
        if (first_covers_bitmap_ && std::int64_t{rings.left} + rings.right == bitmap.width &&
            std::int64_t{rings.top} + rings.bottom == bitmap.height)
            turned_from_ = (bitmap.height + 1) / 2;
        else turned_from_ = bitmap.height;
    }
    ~RegionWriter() {
        if (scratch_.size() > kKeptScratch) std::vector<int>().swap(scratch_);
    }
    RegionWriter(const RegionWriter&) = delete;
    RegionWriter& operator=(const RegionWriter&) = delete;

    void Write(Bitmap& bitmap, const PendingRings& rings) {
        // Regions are worked out on the rows that are written; the rest are copied.
        const RegionBuilder builder(bitmap.width, turned_from_, walk_scratch_);
        RegionBounds regions[kChunk + 1];
        for (int i = 0; i <= kChunk; ++i) {
            regions[i].lb = scratch_.data() + static_cast<std::size_t>(2 * i) * height_;
            regions[i].rb = scratch_.data() + static_cast<std::size_t>(2 * i + 1) * height_;
        }
        if (first_covers_bitmap_) {
            regions[0].first = 0;
            regions[0].end = turned_from_;
            std::fill(regions[0].lb, regions[0].lb + turned_from_, 0);
            std::fill(regions[0].rb, regions[0].rb + turned_from_, bitmap.width);
        } else {
            const std::int64_t k = starts_[first_run_];
            const int top = static_cast<int>(std::clamp<std::int64_t>(rings.top + k, 0, turned_from_));
            const int bottom =
                static_cast<int>(std::clamp<std::int64_t>(rings.top + k + RingHeight(rings, k), 0, turned_from_));
            builder.Build(rings, &starts_[first_run_], 1, nullptr, top, std::max(top, bottom), regions);
        }
        bitmap.VisitFormat([&](auto tag) {
            using T = decltype(tag);
            T* const base = bitmap.row_of<T>(0);
            const int width = bitmap.width;
            const std::size_t runs = starts_.size();
            for (std::size_t chunk = first_run_; chunk < runs; chunk += kChunk) {
                const int count = static_cast<int>(std::min<std::size_t>(kChunk, runs - chunk));
                const bool has_next = chunk + count < runs;  // the next chunk's first region, in slot count
                const int from = regions[0].first, to = regions[0].end;
                const int inner = static_cast<int>(std::min<std::size_t>(count, runs - chunk - 1));
                for (int i = 1; i <= inner; i += RegionBuilder::kTogether)
                    builder.Build(rings, &starts_[chunk + i], std::min(RegionBuilder::kTogether, inner - i + 1),
                                  &regions[i - 1], from, to, &regions[i]);
                T run_colour[kChunk];
                PixelBlock<T> blocks[kChunk];
                for (int i = 0; i < count; ++i) {
                    run_colour[i] = StoredAs<T>(rings.colours[starts_[chunk + i]]);
                    blocks[i] = PixelBlock<T>(run_colour[i]);
                }
                const int* lb[kChunk + 1];
                const int* rb[kChunk + 1];
                for (int i = 0; i <= count; ++i) {
                    lb[i] = regions[i].lb;
                    rb[i] = regions[i].rb;
                }
                // Without a next chunk the last run fills its whole region.
                if (!has_next) lb[count] = rb[count] = regions[count - 1].lb;
                // The runs whose boxes reach the row, a prefix of the chunk's (the boxes nest);
                // the ones after them are empty there, and the first of those, as bounds, is
                // the prefix's inner region.
                int reaching = 1;
                for (int y = from; y < to; ++y) {
                    while (reaching < count && regions[reaching].first <= y && y < regions[reaching].end) ++reaching;
                    while (reaching > 1 && y >= regions[reaching - 1].end) --reaching;
                    WriteRowOfRuns(base + static_cast<std::ptrdiff_t>(y) * width, y, lb, rb, blocks, run_colour,
                                   reaching);
                }
                // The chunk's last region is the next chunk's first.
                std::swap(regions[0], regions[count]);
            }
            for (int y = turned_from_; y < height_; ++y)
                CopyRowReversed(base + static_cast<std::ptrdiff_t>(y) * width,
                                base + static_cast<std::ptrdiff_t>(height_ - 1 - y) * width, width);
        });
    }

private:
    int height_;
    std::vector<int>& scratch_;
    int* walk_scratch_ = nullptr;
    std::vector<std::uint32_t> starts_;
    std::size_t first_run_ = 0;
    bool first_covers_bitmap_ = false;
    int turned_from_ = 0;  // the first row copied from the upper half
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
        DrawThinEllipseOutline(bitmap, static_cast<int>(box.left), static_cast<int>(box.top),
                               static_cast<int>(box.right), static_cast<int>(box.bottom),
                               record.colours[drawn / kPerRing]);
    }
}

}  // namespace ov::gdi::detail
