// Ternary raster operations. Each of the 256 truth tables is turned at compile time into a
// short bitwise expression by Shannon expansion over pattern, source and destination, keeping
// the cheap forms (a variable skipped, and/or/xor with it) where the two cofactors allow. The
// result is one specialised row loop per operation, picked from a table by the index.
#include <array>
#include <utility>

#include "platform/gdi/raster.h"

namespace ov::gdi::detail {
namespace {

// Truth table T over the first N variables (pattern is variable 3, source 2, destination 1);
// bit (p<<2 | s<<1 | d) of the operation index is the result for those inputs.
template <unsigned T, int N>
inline std::uint32_t Eval(std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    constexpr unsigned kFull = (1u << (1u << N)) - 1u;
    if constexpr (T == 0) {
        return 0u;
    } else if constexpr (T == kFull) {
        return ~0u;
    } else {
        constexpr unsigned kHalfBits = 1u << (N - 1);
        constexpr unsigned kHalfFull = (1u << kHalfBits) - 1u;
        constexpr unsigned kLo = T & kHalfFull;  // the variable is 0
        constexpr unsigned kHi = T >> kHalfBits;  // the variable is 1
        const std::uint32_t x = N == 3 ? p : N == 2 ? s : d;
        if constexpr (kHi == kLo) return Eval<kLo, N - 1>(p, s, d);
        else if constexpr (kHi == (~kLo & kHalfFull)) return x ^ Eval<kLo, N - 1>(p, s, d);
        else if constexpr (kLo == 0) return x & Eval<kHi, N - 1>(p, s, d);
        else if constexpr (kHi == 0) return ~x & Eval<kLo, N - 1>(p, s, d);
        else if constexpr (kHi == kHalfFull) return x | Eval<kLo, N - 1>(p, s, d);
        else if constexpr (kLo == kHalfFull) return ~x | Eval<kHi, N - 1>(p, s, d);
        else {
            const std::uint32_t lo = Eval<kLo, N - 1>(p, s, d);
            return lo ^ (x & (lo ^ Eval<kHi, N - 1>(p, s, d)));
        }
    }
}

template <unsigned Index>
void RopRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict src, std::uint32_t pattern, int count) {
    constexpr bool kSource = RopUsesSource(static_cast<std::uint8_t>(Index));
    for (int i = 0; i < count; ++i) {
        const std::uint32_t s = kSource ? src[i] : 0u;
        dst[i] = Eval<Index, 3>(pattern, s, dst[i]) & 0x00FFFFFFu;
    }
}

template <unsigned Index, SourceConversion::Kind kKind>
void ConvertingRopRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict src, std::uint32_t pattern, int count,
                      const SourceConversion& convert) {
    const std::uint32_t key = convert.key, zero = convert.zero, one = convert.one;
    for (int i = 0; i < count; ++i) {
        // Selects written as masks so the loop stays branch-free and vectorises.
        std::uint32_t s;
        if constexpr (kKind == SourceConversion::Kind::ColourToMono) {
            s = (0u - static_cast<std::uint32_t>((src[i] & 0x00FFFFFFu) == key)) & kMonoWhite;
        } else {
            const std::uint32_t set = 0u - static_cast<std::uint32_t>(src[i] != 0);
            s = (one & set) | (zero & ~set);
        }
        dst[i] = Eval<Index, 3>(pattern, s, dst[i]) & 0x00FFFFFFu;
    }
}

template <unsigned Index>
constexpr std::pair<ConvertingRopRowKernel, ConvertingRopRowKernel> ConvertingPair() {
    return {&ConvertingRopRow<Index, SourceConversion::Kind::ColourToMono>,
            &ConvertingRopRow<Index, SourceConversion::Kind::MonoToColour>};
}

template <std::size_t... I>
constexpr std::array<RopRowKernel, 256> MakeTable(std::index_sequence<I...>) {
    return {&RopRow<static_cast<unsigned>(I)>...};
}

constexpr std::array<RopRowKernel, 256> kRopKernels = MakeTable(std::make_index_sequence<256>{});

}  // namespace

RopRowKernel RopKernel(std::uint8_t rop_index) { return kRopKernels[rop_index]; }

ConvertingRopRowKernel ConvertingRopKernel(std::uint8_t rop_index, SourceConversion::Kind kind) {
    // The copies, masks and combinations of the transparent blit and of mask painting.
    std::pair<ConvertingRopRowKernel, ConvertingRopRowKernel> pair{nullptr, nullptr};
    switch (rop_index) {
        case 0xCC: pair = ConvertingPair<0xCC>(); break;  // SRCCOPY
        case 0x88: pair = ConvertingPair<0x88>(); break;  // SRCAND
        case 0xEE: pair = ConvertingPair<0xEE>(); break;  // SRCPAINT
        case 0x66: pair = ConvertingPair<0x66>(); break;  // SRCINVERT
        case 0x22: pair = ConvertingPair<0x22>(); break;  // DSna
        case 0x44: pair = ConvertingPair<0x44>(); break;  // SRCERASE
        case 0x33: pair = ConvertingPair<0x33>(); break;  // NOTSRCCOPY
        case 0xBB: pair = ConvertingPair<0xBB>(); break;  // MERGEPAINT
        case 0xC0: pair = ConvertingPair<0xC0>(); break;  // MERGECOPY
        default: return nullptr;
    }
    switch (kind) {
        case SourceConversion::Kind::ColourToMono: return pair.first;
        case SourceConversion::Kind::MonoToColour: return pair.second;
        case SourceConversion::Kind::None: break;
    }
    return nullptr;
}

std::uint32_t RopReference(std::uint8_t rop_index, std::uint32_t pattern, std::uint32_t source, std::uint32_t destination) {
    std::uint32_t result = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const unsigned p = (pattern >> bit) & 1u, s = (source >> bit) & 1u, d = (destination >> bit) & 1u;
        result |= ((rop_index >> (p << 2 | s << 1 | d)) & 1u) << bit;
    }
    return result;
}

}  // namespace ov::gdi::detail
