#include "platform/gdi/outline_cover.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "platform/gdi/ellipse_raster.h"
#include "platform/gdi/raster.h"

namespace ov::gdi::detail {
namespace {

// Which pixels of each row the outlines drawn so far (the later ones in drawing order) cover.
// A row's covered pixels are an interval as long as every outline adds a run touching it, which
// nested rings always do; a run apart from it moves that row to a bit per pixel.
class Coverage {
public:
    bool Allocate(int width, int height) {
        words_per_row_ = (static_cast<std::size_t>(width) + 63) / 64;
        const auto rows = static_cast<std::size_t>(height);
        lo_.reset(new (std::nothrow) int[rows]);
        hi_.reset(new (std::nothrow) int[rows]);
        masked_.reset(new (std::nothrow) bool[rows]);
        // Only the rows that move to bits clear theirs.
        bits_.reset(new (std::nothrow) std::uint64_t[rows * words_per_row_]);
        if (!lo_ || !hi_ || !masked_ || !bits_) return false;
        std::fill(lo_.get(), lo_.get() + rows, INT_MAX);
        std::fill(hi_.get(), hi_.get() + rows, INT_MIN);
        std::fill(masked_.get(), masked_.get() + rows, false);
        return true;
    }

    // Columns [x0, x1] of row y (inside the bitmap, x0 <= x1): calls write(from, to) for each
    // stretch not covered yet, then counts the whole run as covered.
    template <typename Write>
    void Paint(int y, int x0, int x1, Write&& write) {
        int& lo = lo_[y];
        int& hi = hi_[y];
        if (lo <= x0 && x1 <= hi) return;  // behind later outlines: the common case
        const bool touches = x1 + 1 >= lo && x0 <= hi + 1;
        if (!masked_[y]) {
            if (lo > hi) {
                write(x0, x1);
                lo = x0;
                hi = x1;
                return;
            }
            if (touches) {
                if (x0 < lo) write(x0, lo - 1);
                if (x1 > hi) write(hi + 1, x1);
                lo = std::min(lo, x0);
                hi = std::max(hi, x1);
                return;
            }
            // A run apart from the interval: from here on this row keeps a bit per pixel.
            masked_[y] = true;
            std::uint64_t* row = Bits(y);
            std::fill(row, row + words_per_row_, 0);
            SetBits(row, lo, hi);
        }
        std::uint64_t* row = Bits(y);
        for (int x = x0; x <= x1;) {
            if (Bit(row, x)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < x1 && !Bit(row, end + 1)) ++end;
            write(x, end);
            SetBits(row, x, end);
            x = end + 1;
        }
        if (touches) {
            lo = std::min(lo, x0);
            hi = std::max(hi, x1);
        }
    }

private:
    std::uint64_t* Bits(int y) { return bits_.get() + static_cast<std::size_t>(y) * words_per_row_; }
    static bool Bit(const std::uint64_t* row, int x) { return (row[x >> 6] >> (x & 63)) & 1u; }
    static void SetBits(std::uint64_t* row, int from, int to) {
        for (int x = from; x <= to; ++x) row[x >> 6] |= std::uint64_t{1} << (x & 63);
    }

    std::size_t words_per_row_ = 0;
    std::unique_ptr<int[]> lo_, hi_;
    std::unique_ptr<bool[]> masked_;
    std::unique_ptr<std::uint64_t[]> bits_;
};

// The quadrant path of one box size, kept for the next outlines of that size (a gradient's
// ring draws two boxes of the same size one pixel apart).
struct WalkedPath {
    struct Row {
        int y, lo, hi;
    };
    int width = -1, height = -1, y_limit = 0, skip_column = 0;
    std::vector<Row> rows;
};

// Rows before which a box's path rows can reach the bitmap (see DrawEllipseShape): path row y
// lands on rows top + y and top + b - y.
int PathRowLimit(const EllipseBatch::Call& call, int surface_height) {
    const std::int64_t b = std::int64_t{call.bottom} - call.top - 1;
    const std::int64_t limit = std::max<std::int64_t>(std::int64_t{surface_height} - call.top, b + call.top + 1);
    return static_cast<int>(std::min<std::int64_t>(limit, INT_MAX));
}

bool WalksOutline(const EllipseBatch::Call& call) {
    return call.has_pen && call.right - call.left > 2 && call.bottom - call.top > 2;
}

template <typename T>
void DrawFromLast(Bitmap& bitmap, const std::vector<EllipseBatch::Call>& calls, Coverage& cover, WalkedPath* paths) {
    T* const base = bitmap.row_of<T>(0);
    const int surface_width = bitmap.width, surface_height = bitmap.height;
    const auto stride = static_cast<std::ptrdiff_t>(surface_width);
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        const EllipseBatch::Call& call = *it;
        if (!call.has_pen) continue;  // no pen and no brush: nothing drawn
        const T pixel = StoredAs<T>(bitmap.StoredPixel(call.pen_colour));
        // Columns [from, to] of a row, clipped to the bitmap.
        auto paint = [&](int row, std::int64_t from, std::int64_t to) {
            from = std::max<std::int64_t>(from, 0);
            to = std::min<std::int64_t>(to, surface_width - 1);
            if (from > to) return;
            T* const p = base + row * stride;
            cover.Paint(row, static_cast<int>(from), static_cast<int>(to),
                        [&](int a, int b) { std::fill(p + a, p + b + 1, pixel); });
        };
        const int left = call.left, top = call.top;
        const int width = call.right - call.left, height = call.bottom - call.top;
        if (width == 0 || height == 0) continue;
        if (width <= 2 || height <= 2) {
            // The rectangle rule on a box at most two pixels thick: its closed outline passes
            // through every pixel of the box, except that a 1 x 1 box paints nothing.
            if (width == 1 && height == 1) continue;
            const int first = std::max(top, 0), last = std::min<std::int64_t>(std::int64_t{call.bottom}, surface_height);
            for (int row = first; row < last; ++row) paint(row, left, std::int64_t{call.right} - 1);
            continue;
        }
        if (SurfaceInsideOutline(left, top, width, height, surface_width, surface_height)) continue;
        // As DrawEllipseShape: path row y lands on rows top + y and top + b - y, each with a run
        // on the right and its mirror image on the left.
        const int a = width - 1, b = height - 1;
        const int y_limit = PathRowLimit(call, surface_height);
        // The path of this size, walked now unless one of the last two outlines had it (at
        // least as far down: rows past a limit are only cut off, never changed).
        // Rows left out of a kept path (past its skip column) must be ones this outline does
        // not need either.
        const int skip_column = OffSurfaceColumn(left, a, surface_width);
        WalkedPath* path = nullptr;
        for (int k = 0; k < 2; ++k)
            if (paths[k].width == width && paths[k].height == height && paths[k].y_limit >= y_limit &&
                paths[k].skip_column <= skip_column)
                path = &paths[k];
        if (!path) {
            std::swap(paths[0], paths[1]);
            path = &paths[0];
            path->width = width;
            path->height = height;
            path->y_limit = y_limit;
            path->skip_column = skip_column;
            path->rows.clear();  // reserved for the tallest path: no allocation here
            WalkEllipseQuadrantRows(width, height, y_limit, skip_column,
                                    [&](int y, int lo, int hi) { path->rows.push_back(WalkedPath::Row{y, lo, hi}); });
        }
        for (const WalkedPath::Row& path_row : path->rows) {
            const int y = path_row.y, lo = path_row.lo, hi = path_row.hi;
            if (y >= y_limit) break;
            const std::int64_t right_from = std::int64_t{left} + lo, right_to = std::int64_t{left} + hi;
            const std::int64_t left_from = std::int64_t{left} + a - hi, left_to = std::int64_t{left} + a - lo;
            auto both = [&](int row) {
                paint(row, right_from, right_to);
                paint(row, left_from, left_to);
            };
            const std::int64_t lower = std::int64_t{top} + y, upper = std::int64_t{top} + b - y;
            if (lower >= 0 && lower < surface_height) both(static_cast<int>(lower));
            if (upper != lower && upper >= 0 && upper < surface_height) both(static_cast<int>(upper));
        }
    }
}

}  // namespace

bool DrawOutlinesFromLast(Bitmap& bitmap, const std::vector<EllipseBatch::Call>& calls) {
    Coverage cover;
    if (bitmap.width <= 0 || bitmap.height <= 0) return true;
    if (!cover.Allocate(bitmap.width, bitmap.height)) return false;
    // Every allocation happens before the first pixel is written, so a failure leaves the
    // bitmap as it was for the call-by-call drawing.
    WalkedPath paths[2];
    try {
        std::size_t tallest = 0;
        for (const EllipseBatch::Call& call : calls) {
            if (!WalksOutline(call)) continue;
            const std::int64_t height = std::int64_t{call.bottom} - call.top;
            const std::int64_t last = std::min<std::int64_t>(height, PathRowLimit(call, bitmap.height));
            tallest = std::max<std::size_t>(tallest, static_cast<std::size_t>(std::max<std::int64_t>(last - height / 2 + 1, 0)));
        }
        for (WalkedPath& path : paths) path.rows.reserve(tallest);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bitmap.VisitFormat([&](auto tag) { DrawFromLast<decltype(tag)>(bitmap, calls, cover, paths); });
    return true;
}

}  // namespace ov::gdi::detail
