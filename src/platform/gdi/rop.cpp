// Ternary raster operations. Each of the 256 truth tables is turned at compile time into a
// short bitwise expression by Shannon expansion over pattern, source and destination, keeping
// the cheap forms (a variable skipped, and/or/xor with it) where the two cofactors allow. The
// result is one specialised row loop per operation and stored type (colour words, mono bytes),
// picked from a table by the index.
#include <array>
#include <type_traits>
#include <utility>

#include "platform/gdi/internal/raster.h"

namespace ov::gdi::detail {
namespace {

// Truth table T over the first N variables (pattern is variable 3, source 2, destination 1);
// bit (p<<2 | s<<1 | d) of the operation index is the result for those inputs. V is the stored
// type; every step is cast back to it so byte rows stay byte-wide operations and vectorise as
// such (the low byte of a bitwise result depends only on the operands' low bytes).
template <unsigned T, int N, typename V>
inline V Eval(V p, V s, V d) {
    constexpr unsigned kFull = (1u << (1u << N)) - 1u;
    if constexpr (T == 0) {
        return V{0};
    } else if constexpr (T == kFull) {
        return static_cast<V>(~V{0});
    } else {
        constexpr unsigned kHalfBits = 1u << (N - 1);
        constexpr unsigned kHalfFull = (1u << kHalfBits) - 1u;
        constexpr unsigned kLo = T & kHalfFull;   // the variable is 0
        constexpr unsigned kHi = T >> kHalfBits;  // the variable is 1
        const V x = N == 3 ? p : N == 2 ? s : d;
        if constexpr (kHi == kLo) return Eval<kLo, N - 1>(p, s, d);
        else if constexpr (kHi == (~kLo & kHalfFull)) return static_cast<V>(x ^ Eval<kLo, N - 1>(p, s, d));
        else if constexpr (kLo == 0) return static_cast<V>(x & Eval<kHi, N - 1>(p, s, d));
        else if constexpr (kHi == 0) return static_cast<V>(~x & Eval<kLo, N - 1>(p, s, d));
        else if constexpr (kHi == kHalfFull) return static_cast<V>(x | Eval<kLo, N - 1>(p, s, d));
        else if constexpr (kLo == kHalfFull) return static_cast<V>(~x | Eval<kHi, N - 1>(p, s, d));
        else {
            const V lo = Eval<kLo, N - 1>(p, s, d);
            return static_cast<V>(lo ^ (x & (lo ^ Eval<kHi, N - 1>(p, s, d))));
        }
    }
}

// Clears the top byte of a colour word; a mono byte is complete as it is.
template <typename V>
inline V Finish(V v) {
    if constexpr (sizeof(V) == 1) return v;
    else return v & 0x00FFFFFFu;
}

template <unsigned Index, typename V>
void RopRow(V* __restrict dst, const V* __restrict src, std::uint32_t pattern, int count) {
    constexpr bool kSource = RopUsesSource(static_cast<std::uint8_t>(Index));
    const V p = StoredAs<V>(pattern);
    for (int i = 0; i < count; ++i) {
        const V s = kSource ? src[i] : V{0};
        dst[i] = Finish(Eval<Index, 3>(p, s, dst[i]));
    }
}

// The converting loops, each compiled twice: for the baseline processor and for AVX2, picked
// when the kernel is looked up. Converting is the compute-bound part of a blit between formats
// (a word compare narrowed to a byte, or a byte widened to a word select), and 32-byte vectors
// halve it. Selects are written as masks so the loops stay branch-free and vectorise.
template <unsigned Index>
[[gnu::always_inline]] inline void ColourToMonoLoop(std::uint8_t* __restrict dst, const std::uint32_t* __restrict src,
                                                    std::uint32_t pattern, int count, std::uint32_t key) {
    const std::uint8_t p = StoredAs<std::uint8_t>(pattern);
    for (int i = 0; i < count; ++i) {
        const auto s = static_cast<std::uint8_t>(0u - static_cast<std::uint32_t>((src[i] & 0x00FFFFFFu) == key));
        dst[i] = Eval<Index, 3>(p, s, dst[i]);
    }
}

template <unsigned Index>
[[gnu::always_inline]] inline void MonoToColourLoop(std::uint32_t* __restrict dst, const std::uint8_t* __restrict src,
                                                    std::uint32_t pattern, int count, std::uint32_t zero,
                                                    std::uint32_t one) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t set = 0u - static_cast<std::uint32_t>(src[i] != 0);
        const std::uint32_t s = (one & set) | (zero & ~set);
        dst[i] = Eval<Index, 3>(pattern, s, dst[i]) & 0x00FFFFFFu;
    }
}

template <unsigned Index>
void ColourToMonoRopRow(std::uint8_t* dst, const std::uint32_t* src, std::uint32_t pattern, int count,
                        const SourceConversion& convert) {
    ColourToMonoLoop<Index>(dst, src, pattern, count, convert.key);
}

template <unsigned Index>
__attribute__((target("avx2"))) void ColourToMonoRopRowAvx2(std::uint8_t* dst, const std::uint32_t* src,
                                                            std::uint32_t pattern, int count,
                                                            const SourceConversion& convert) {
    ColourToMonoLoop<Index>(dst, src, pattern, count, convert.key);
}

template <unsigned Index>
void MonoToColourRopRow(std::uint32_t* dst, const std::uint8_t* src, std::uint32_t pattern, int count,
                        const SourceConversion& convert) {
    MonoToColourLoop<Index>(dst, src, pattern, count, convert.zero, convert.one);
}

template <unsigned Index>
__attribute__((target("avx2"))) void MonoToColourRopRowAvx2(std::uint32_t* dst, const std::uint8_t* src,
                                                            std::uint32_t pattern, int count,
                                                            const SourceConversion& convert) {
    MonoToColourLoop<Index>(dst, src, pattern, count, convert.zero, convert.one);
}

bool& Avx2Allowed() {
    static bool allowed = true;
    return allowed;
}

bool HasAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 && Avx2Allowed();
}

template <typename V, std::size_t... I>
constexpr std::array<RopRowKernelOf<V>, 256> MakeTable(std::index_sequence<I...>) {
    return {&RopRow<static_cast<unsigned>(I), V>...};
}

constexpr std::array<RopRowKernel, 256> kRopKernels = MakeTable<std::uint32_t>(std::make_index_sequence<256>{});
constexpr std::array<MonoRopRowKernel, 256> kMonoRopKernels = MakeTable<std::uint8_t>(std::make_index_sequence<256>{});

// The copies, masks and combinations of the transparent blit and of mask painting.
template <template <unsigned> class Pick>
auto ConvertingKernel(std::uint8_t rop_index) -> std::remove_const_t<decltype(Pick<0xCC>::kernel)> {
    const bool avx2 = HasAvx2();
    switch (rop_index) {
        case 0xCC: return avx2 ? Pick<0xCC>::avx2_kernel : Pick<0xCC>::kernel;  // SRCCOPY
        case 0x88: return avx2 ? Pick<0x88>::avx2_kernel : Pick<0x88>::kernel;  // SRCAND
        case 0xEE: return avx2 ? Pick<0xEE>::avx2_kernel : Pick<0xEE>::kernel;  // SRCPAINT
        case 0x66: return avx2 ? Pick<0x66>::avx2_kernel : Pick<0x66>::kernel;  // SRCINVERT
        case 0x22: return avx2 ? Pick<0x22>::avx2_kernel : Pick<0x22>::kernel;  // DSna
        case 0x44: return avx2 ? Pick<0x44>::avx2_kernel : Pick<0x44>::kernel;  // SRCERASE
        case 0x33: return avx2 ? Pick<0x33>::avx2_kernel : Pick<0x33>::kernel;  // NOTSRCCOPY
        case 0xBB: return avx2 ? Pick<0xBB>::avx2_kernel : Pick<0xBB>::kernel;  // MERGEPAINT
        case 0xC0: return avx2 ? Pick<0xC0>::avx2_kernel : Pick<0xC0>::kernel;  // MERGECOPY
        default: return nullptr;
    }
}

template <unsigned Index>
struct PickColourToMono {
    static constexpr ColourToMonoRopRowKernel kernel = &ColourToMonoRopRow<Index>;
    static constexpr ColourToMonoRopRowKernel avx2_kernel = &ColourToMonoRopRowAvx2<Index>;
};
template <unsigned Index>
struct PickMonoToColour {
    static constexpr MonoToColourRopRowKernel kernel = &MonoToColourRopRow<Index>;
    static constexpr MonoToColourRopRowKernel avx2_kernel = &MonoToColourRopRowAvx2<Index>;
};

}  // namespace

RopRowKernel RopKernel(std::uint8_t rop_index) { return kRopKernels[rop_index]; }
MonoRopRowKernel MonoRopKernel(std::uint8_t rop_index) { return kMonoRopKernels[rop_index]; }

void SetAvx2ConvertingKernels(bool allowed) { Avx2Allowed() = allowed; }

ColourToMonoRopRowKernel ColourToMonoRopKernel(std::uint8_t rop_index) {
    return ConvertingKernel<PickColourToMono>(rop_index);
}
MonoToColourRopRowKernel MonoToColourRopKernel(std::uint8_t rop_index) {
    return ConvertingKernel<PickMonoToColour>(rop_index);
}

std::uint32_t RopReference(std::uint8_t rop_index, std::uint32_t pattern, std::uint32_t source,
                           std::uint32_t destination) {
    std::uint32_t result = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const unsigned p = (pattern >> bit) & 1u, s = (source >> bit) & 1u, d = (destination >> bit) & 1u;
        result |= ((rop_index >> (p << 2 | s << 1 | d)) & 1u) << bit;
    }
    return result;
}

}  // namespace ov::gdi::detail
