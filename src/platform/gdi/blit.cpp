// BitBlt and StretchBlt: the source is mapped axis by axis onto the destination (stretch_map.h),
// converted into the destination's format, combined per the stretch mode, and written through
// the raster operation's row kernel.
#include <algorithm>
#include <vector>

#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/pending_lines.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/stretch_map.h"
#include "platform/gdi/stretch_sources.h"

namespace ov::gdi {
namespace detail {
namespace {

SourceConversion ConversionBetween(const Bitmap& src, const DeviceContext& src_dc, const Bitmap& dst,
                                   const DeviceContext& dst_dc) {
    SourceConversion c;
    if (!src.is_mono() && dst.is_mono()) {
        c.kind = SourceConversion::Kind::ColourToMono;
        c.key = PixelWordFromColor(src_dc.bk_colour);
    } else if (src.is_mono() && !dst.is_mono()) {
        c.kind = SourceConversion::Kind::MonoToColour;
        c.zero = PixelWordFromColor(dst_dc.text_colour);
        c.one = PixelWordFromColor(dst_dc.bk_colour);
    }
    return c;
}

std::uint32_t ConvertForReference(std::uint32_t pixel, const void* context) {
    return (*static_cast<const SourceConversion*>(context))(pixel);
}

// A source pixel of stored type S in the destination's stored type D.
template <typename S, typename D>
inline D Convert(const SourceConversion& convert, S p) {
    if constexpr (sizeof(S) == sizeof(D)) return p;
    else if constexpr (sizeof(D) == 1) return convert.ToMono(p);
    else return convert.ToColour(p);
}

// Builds one destination row of source pixels (already in the destination's format, stored
// type D, from a source of stored type S) for destination row `i` of the maps, combining each
// shrink run as the stretch mode says. AND and OR act on bytes as on words, so the modes give
// a mono destination the same black and white as they would on 32-bit mono values.
template <typename S, typename D>
class RowSampler {
public:
    RowSampler(const Bitmap& src, const AxisMap& xmap, const SourceConversion& convert, int mode)
        : src_(src), xmap_(xmap), convert_(convert), mode_(mode) {
        const std::size_t n = static_cast<std::size_t>(xmap.dst_end - xmap.dst_start);
        row_.resize(n);
        line_.resize(n);
        if (mode == HALFTONE) sums_.resize(n * 3);
    }

    const D* Sample(int src_first_row, int src_last_row) {
        const int n = xmap_.dst_end - xmap_.dst_start;
        if constexpr (sizeof(D) == 4) {
            // A mono destination never averages (see Blit).
            if (mode_ == HALFTONE) return Average(src_first_row, src_last_row, n);
        }
        for (int sy = src_first_row; sy <= src_last_row; ++sy) {
            D* out = sy == src_first_row ? row_.data() : line_.data();
            SampleLine(sy, out, n);
            if (sy == src_first_row) continue;
            // Shrinking vertically: BLACKONWHITE keeps black (AND), WHITEONBLACK white (OR).
            if (mode_ == WHITEONBLACK)
                for (int j = 0; j < n; ++j) row_[j] |= line_[j];
            else
                for (int j = 0; j < n; ++j) row_[j] &= line_[j];
        }
        return row_.data();
    }

private:
    void SampleLine(int sy, D* out, int n) const {
        const S* src_row = src_.row_of<S>(sy);
        if (xmap_.identity) {
            // One simple pass per conversion, so each vectorises.
            const S* from = src_row + xmap_.dst_start + xmap_.offset;
            if constexpr (sizeof(S) == sizeof(D)) {
                std::copy_n(from, n, out);
            } else if constexpr (sizeof(D) == 1) {
                const std::uint32_t key = convert_.key;
                for (int j = 0; j < n; ++j) out[j] = (from[j] & 0x00FFFFFFu) == key ? kMonoByteWhite : 0u;
            } else {
                const std::uint32_t zero = convert_.zero, one = convert_.one;
                for (int j = 0; j < n; ++j) out[j] = from[j] ? one : zero;
            }
            return;
        }
        for (int j = 0; j < n; ++j) {
            const int first = xmap_.first[j], last = xmap_.last[j];
            D v = Convert<S, D>(convert_, src_row[first]);
            for (int sx = first + 1; sx <= last; ++sx) {
                if (mode_ == WHITEONBLACK) v |= Convert<S, D>(convert_, src_row[sx]);
                else v &= Convert<S, D>(convert_, src_row[sx]);
            }
            out[j] = v;
        }
    }

    const D* Average(int src_first_row, int src_last_row, int n) {
        std::fill(sums_.begin(), sums_.end(), 0u);
        for (int sy = src_first_row; sy <= src_last_row; ++sy) {
            const S* src_row = src_.row_of<S>(sy);
            for (int j = 0; j < n; ++j)
                for (int sx = xmap_.first[j]; sx <= xmap_.last[j]; ++sx) {
                    const std::uint32_t p = Convert<S, D>(convert_, src_row[sx]);
                    sums_[3 * j] += (p >> 16) & 0xFF;
                    sums_[3 * j + 1] += (p >> 8) & 0xFF;
                    sums_[3 * j + 2] += p & 0xFF;
                }
        }
        const std::uint64_t rows = static_cast<std::uint64_t>(src_last_row - src_first_row + 1);
        for (int j = 0; j < n; ++j) {
            const std::uint64_t count = rows * static_cast<std::uint64_t>(xmap_.last[j] - xmap_.first[j] + 1);
            auto avg = [&](std::uint64_t v) { return static_cast<std::uint32_t>((v + count / 2) / count); };
            row_[j] = static_cast<D>((avg(sums_[3 * j]) << 16) | (avg(sums_[3 * j + 1]) << 8) | avg(sums_[3 * j + 2]));
        }
        return row_.data();
    }

    const Bitmap& src_;
    const AxisMap& xmap_;
    const SourceConversion& convert_;
    int mode_;
    std::vector<D> row_, line_;
    std::vector<std::uint64_t> sums_;
};

// The kernel that converts from S to D on the way in, or nullptr (none for the same format,
// where no conversion is needed, or for an operation without one).
template <typename S, typename D>
auto ConvertingKernelFor(std::uint8_t index) {
    if constexpr (sizeof(S) == 4 && sizeof(D) == 1) return ColourToMonoRopKernel(index);
    else if constexpr (sizeof(S) == 1 && sizeof(D) == 4) return MonoToColourRopKernel(index);
    else return static_cast<void (*)(D*, const S*, std::uint32_t, int, const SourceConversion&)>(nullptr);
}

template <typename S, typename D>
void BlitRows(Bitmap& dst, const Bitmap& src, const AxisMap& xmap, const AxisMap& ymap, const SourceConversion& convert,
              int mode, std::uint8_t index, std::uint32_t pattern) {
    const RopRowKernelOf<D> kernel = RopKernelFor<D>(index);
    const auto converting = ConvertingKernelFor<S, D>(index);
    const int n = xmap.dst_end - xmap.dst_start;
    RowSampler<S, D> sampler(src, xmap, convert, mode);
    for (int row = ymap.dst_start; row < ymap.dst_end; ++row) {
        const int i = row - ymap.dst_start;
        D* target = dst.row_of<D>(row) + xmap.dst_start;
        if (xmap.identity && ymap.first[i] == ymap.last[i]) {
            // One source pixel per destination pixel: read the source row in place.
            const S* source = src.row_of<S>(ymap.first[i]) + xmap.dst_start + xmap.offset;
            if constexpr (sizeof(S) == sizeof(D)) {
                kernel(target, source, pattern, n);
                continue;
            } else if (converting) {
                converting(target, source, pattern, n, convert);
                continue;
            }
        }
        kernel(target, sampler.Sample(ymap.first[i], ymap.last[i]), pattern, n);
    }
}

// --- recorded blits (see RunBlitChain) ---------------------------------------------------------

// A blit whose source row for each destination row is the row of the same index, with one
// source pixel per destination pixel, columns [x0, x1) reading source columns x + offset. The
// bitmaps are held directly: objects never move, and a recorded bitmap is deleted only after
// the record has run (DestroyObject runs it).
struct ChainedBlit {
    Bitmap* dst = nullptr;
    Bitmap* src = nullptr;
    int x0 = 0, x1 = 0, offset = 0, y0 = 0, y1 = 0;
    std::uint8_t index = 0;
    std::uint32_t pattern = 0;
    SourceConversion convert;
};

// Past this many the recorded blits are run, so the record stays small.
constexpr std::size_t kMaxChainedBlits = 32;
// Rows run together: a band of four 1920-pixel bitmaps (120 KiB) stays in the second-level cache.
constexpr int kChainBandRows = 16;

std::vector<ChainedBlit>& Chain() {
    static std::vector<ChainedBlit> chain;
    return chain;
}

// Whether a row kernel reads the source in place for this pair of formats (the same format, or
// an operation with a converting kernel); the others sample into a row buffer first.
bool HasInPlaceKernel(const Bitmap& src, const Bitmap& dst, std::uint8_t index) {
    if (src.is_mono() == dst.is_mono()) return true;
    return dst.is_mono() ? ColourToMonoRopKernel(index) != nullptr : MonoToColourRopKernel(index) != nullptr;
}

template <typename S, typename D>
void RunChainedRows(const ChainedBlit& op, Bitmap& dst, const Bitmap& src, int top, int bottom) {
    const int n = op.x1 - op.x0;
    if constexpr (sizeof(S) == sizeof(D)) {
        const RopRowKernelOf<D> kernel = RopKernelFor<D>(op.index);
        for (int row = top; row < bottom; ++row)
            kernel(dst.row_of<D>(row) + op.x0, src.row_of<S>(row) + op.x0 + op.offset, op.pattern, n);
    } else {
        const auto kernel = ConvertingKernelFor<S, D>(op.index);
        for (int row = top; row < bottom; ++row)
            kernel(dst.row_of<D>(row) + op.x0, src.row_of<S>(row) + op.x0 + op.offset, op.pattern, n, op.convert);
    }
}

// The stretch mode a blit onto `dst` combines shrink runs with: averaging has no meaning for
// black and white, so a mono destination keeps one pixel per run.
int StretchModeOnto(const DeviceContext& dst_dc, const Bitmap& dst) {
    return dst_dc.stretch_mode == HALFTONE && dst.is_mono() ? COLORONCOLOR : dst_dc.stretch_mode;
}

// The two axes of a blit onto `dst` from a source `src_limit` pixels wide or high. One pixel of a
// shrink run is the last of a horizontal run but the first of a vertical one.
AxisMap MapColumns(const Bitmap& dst, int mode, int x, int width, int src_x, int src_width, int src_limit) {
    return MapAxis(x, width, dst.width, src_x, src_width, src_limit, mode == COLORONCOLOR, /*pick_last=*/true);
}
AxisMap MapRows(const Bitmap& dst, int mode, int y, int height, int src_y, int src_height, int src_limit) {
    return MapAxis(y, height, dst.height, src_y, src_height, src_limit, mode == COLORONCOLOR, /*pick_last=*/false);
}

// Lines recorded on either bitmap are written out first (and a kept frame taken before the
// destination changes), so the blit comes after everything drawn on both.
void RecordBlit(const ChainedBlit& op, Bitmap& dst, Bitmap& src) {
    dst.WriteOutLines();
    src.WriteOutLines();
    Chain().push_back(op);
    dst.in_blit_chain = true;
    src.in_blit_chain = true;
    if (Chain().size() >= kMaxChainedBlits) RunBlitChain();
}

// A blit's bitmaps as looked up for recording, without noting damage.
Bitmap* ForBlit(HBITMAP handle) {
    const UntrackedBitmapAccess noted_by_the_blit;
    return BitmapForRecording(handle);
}

bool Blit(HDC dst_handle, int x, int y, int width, int height, HDC src_handle, int src_x, int src_y, int src_width,
          int src_height, std::uint32_t rop) {
    // Looked up for recording: the sizes and formats decide whether the blit is recorded, and
    // either way the drawing recorded on both bitmaps is dealt with below.
    // Neither lookup notes damage: the source is only read, and the destination's changed
    // rectangle is noted below.
    DeviceContext* dst_dc = LookupDc(dst_handle);
    Bitmap* dst = dst_dc ? ForBlit(dst_dc->bitmap) : nullptr;
    if (!dst) return false;
    const std::uint8_t index = RopIndex(rop);
    std::uint32_t pattern = 0;
    if (RopUsesPattern(index)) {
        const Brush* brush = LookupBrush(dst_dc->brush);
        if (!brush || brush->hollow) return true;  // a hollow pattern draws nothing
        pattern = dst->StoredPixel(brush->colour);
    }
    if (!RopUsesSource(index)) return PatBlt(dst_handle, x, y, width, height, rop);

    DeviceContext* src_dc = LookupDc(src_handle);
    Bitmap* src = src_dc ? ForBlit(src_dc->bitmap) : nullptr;
    if (!src) return false;

    const int mode = StretchModeOnto(*dst_dc, *dst);
    const AxisMap xmap = MapColumns(*dst, mode, x, width, src_x, src_width, src->width);
    if (xmap.empty()) return true;
    const AxisMap ymap = MapRows(*dst, mode, y, height, src_y, src_height, src->height);
    if (ymap.empty()) return true;
    const SourceConversion convert = ConversionBetween(*src, *src_dc, *dst, *dst_dc);
    dst->damage.Note(RECT{xmap.dst_start, ymap.dst_start, xmap.dst_end, ymap.dst_end});

    if (src != dst && LineDeferralEnabled() && xmap.identity && ymap.identity && ymap.offset == 0 &&
        HasInPlaceKernel(*src, *dst, index)) {
        RecordBlit(ChainedBlit{dst, src, xmap.dst_start, xmap.dst_end, xmap.offset, ymap.dst_start, ymap.dst_end, index,
                               pattern, convert},
                   *dst, *src);
        return true;
    }
    // Carried out now: both bitmaps with everything recorded on them done.
    dst->PrepareForAccess();
    src->PrepareForAccess();
    // Copying within one bitmap reads from a snapshot so overlapping areas come out right.
    Bitmap snapshot;
    const Bitmap* source = src;
    if (src == dst) {
        snapshot = *src;
        source = &snapshot;
    }
    source->VisitFormat([&](auto source_tag) {
        dst->VisitFormat([&](auto target_tag) {
            BlitRows<decltype(source_tag), decltype(target_tag)>(*dst, *source, xmap, ymap, convert, mode, index,
                                                                 pattern);
        });
    });
    return true;
}

}  // namespace

void RunBlitChain() {
    // The record is moved aside while it runs (running never records: the kernels only read
    // and write rows), and both lists keep their memory from one run to the next.
    static std::vector<ChainedBlit> ops;
    ops.swap(Chain());
    int top = ops.empty() ? 0 : ops.front().y0, bottom = top;
    for (const ChainedBlit& op : ops) {
        op.dst->in_blit_chain = false;
        op.src->in_blit_chain = false;
        top = std::min(top, op.y0);
        bottom = std::max(bottom, op.y1);
    }
    for (int band = top; band < bottom; band += kChainBandRows) {
        const int band_end = std::min(bottom, band + kChainBandRows);
        for (const ChainedBlit& op : ops) {
            const int from = std::max(band, op.y0), to = std::min(band_end, op.y1);
            if (from >= to) continue;
            op.src->VisitFormat([&](auto source_tag) {
                op.dst->VisitFormat([&](auto target_tag) {
                    RunChainedRows<decltype(source_tag), decltype(target_tag)>(op, *op.dst, *op.src, from, to);
                });
            });
        }
    }
    ops.clear();
}

// Test hook: the slow reference of a blit between two DCs, with the same conversions.
bool StretchBltReference(HDC dst_handle, int x, int y, int width, int height, HDC src_handle, int src_x, int src_y,
                         int src_width, int src_height, std::uint32_t rop) {
    DeviceContext* dst_dc = LookupDc(dst_handle);
    DeviceContext* src_dc = LookupDc(src_handle);
    Bitmap* dst = dst_dc ? BitmapForPixels(dst_dc->bitmap) : nullptr;
    const Bitmap* src = src_dc ? BitmapForPixels(src_dc->bitmap) : nullptr;
    if (!dst || !src || src == dst) return false;
    const Brush* brush = LookupBrush(dst_dc->brush);
    const SourceConversion convert = ConversionBetween(*src, *src_dc, *dst, *dst_dc);
    StretchReferenceArgs args{x,
                              y,
                              width,
                              height,
                              src_x,
                              src_y,
                              src_width,
                              src_height,
                              dst_dc->stretch_mode,
                              RopIndex(rop),
                              brush && !brush->hollow ? dst->StoredPixel(brush->colour) : 0u,
                              &ConvertForReference,
                              &convert};
    StretchReference(*dst, *src, args);
    return true;
}

}  // namespace detail

bool StretchBltSources(HDC dst_handle, int x, int y, int width, int height, int src_x, int src_y, int src_width,
                       int src_height, int source_width, int source_height, StretchAxis* columns, StretchAxis* rows) {
    if (!columns || !rows) return false;
    return detail::Guarded(false, [&] {
        const detail::UntrackedBitmapAccess read;
        const detail::DeviceContext* dst_dc = detail::LookupDc(dst_handle);
        const detail::Bitmap* dst = dst_dc ? detail::BitmapForRecording(dst_dc->bitmap) : nullptr;
        if (!dst) return false;
        const int mode = detail::StretchModeOnto(*dst_dc, *dst);
        const auto publish = [](detail::AxisMap map, StretchAxis* out) {
            *out = StretchAxis{};
            if (map.empty()) return;
            out->dst_start = map.dst_start;
            out->dst_end = map.dst_end;
            out->first = std::move(map.first);
            out->last = std::move(map.last);
        };
        publish(detail::MapColumns(*dst, mode, x, width, src_x, src_width, source_width), columns);
        publish(detail::MapRows(*dst, mode, y, height, src_y, src_height, source_height), rows);
        return true;
    });
}

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, std::uint32_t rop) {
    // A blit is a stretch with equal extents: negative extents cover (origin + extent, origin]
    // on both sides and so copy without mirroring.
    return detail::Guarded(
        false, [&] { return detail::Blit(dst, x, y, width, height, src, src_x, src_y, width, height, rop); });
}

bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, int src_width,
                int src_height, std::uint32_t rop) {
    return detail::Guarded(
        false, [&] { return detail::Blit(dst, x, y, width, height, src, src_x, src_y, src_width, src_height, rop); });
}

}  // namespace ov::gdi
