#pragma once
// OLE_COLOR values and every way the library turns one into a colour. An OLE_COLOR with the
// high bit clear is a plain 0x00BBGGRR colour; with the high bit set it names a system colour
// by the index in its low bits (the COLOR_ constants of gdi.h).
//
// The rule has three forms, and callers of the platform form differ in what a value it
// refuses becomes. Each variant is one function here, named by what it does with the values
// the others treat differently, so a caller says which one it relies on:
//
// | variant                        | system colour index       | refused value becomes  |
// |--------------------------------|---------------------------|------------------------|
// | TranslateOleColorOrBlack       | in the scheme             | black                  |
// | TranslateOleColorOrLow24Bits   | in the scheme             | its low three bytes    |
// | TranslateOleColorOrRaw         | in the scheme             | itself, unchanged      |
// | OleColorTranslates             | in the scheme             | false (nothing else)   |
// | ResolveSystemColorAnyIndex     | any (unknown: black)      | nothing is refused     |
// | ResolveSystemColorUpToIndex24  | 0..24, others stay as set | nothing is refused     |
//
// The platform form (OleTranslateColor) refuses a high byte other than 0x00 and 0x80 and a
// system colour index outside the scheme. The two resolving forms never refuse: a plain value
// passes through untouched, stray high bits included.
#include <cstdint>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

inline constexpr std::uint32_t kSystemColorFlag = 0x80000000u;

// The OLE_COLOR that names system colour `index`, as the 32-bit signed value properties hold.
constexpr std::int32_t OleSystemColor(int index) {
    return static_cast<std::int32_t>(kSystemColorFlag | static_cast<std::uint32_t>(index));
}

constexpr bool IsSystemColor(std::uint32_t ole_colour) { return (ole_colour & kSystemColorFlag) != 0; }

// --- the platform form: OleTranslateColor with the current system colours --------------------

inline COLORREF TranslateOleColorOrBlack(std::uint32_t ole_colour, HPALETTE palette = 0) {
    COLORREF out = 0;
    return OleTranslateColor(ole_colour, palette, &out) == S_OK ? out : 0;
}

inline COLORREF TranslateOleColorOrLow24Bits(std::uint32_t ole_colour) {
    COLORREF out = 0;
    return OleTranslateColor(ole_colour, 0, &out) == S_OK ? out : (ole_colour & 0x00FFFFFFu);
}

inline std::uint32_t TranslateOleColorOrRaw(std::uint32_t ole_colour) {
    COLORREF out = 0;
    return OleTranslateColor(ole_colour, 0, &out) == S_OK ? out : ole_colour;
}

// Whether the platform form accepts the value; the colour it gives is not wanted.
inline bool OleColorTranslates(std::uint32_t ole_colour) {
    COLORREF ignored = 0;
    return OleTranslateColor(ole_colour, 0, &ignored) == S_OK;
}

// --- the use-time form: each use reads the current system colour -----------------------------

// Any high-bit value becomes GetSysColor of the value with the high bit cleared, with no range
// check: an index the scheme does not know gives black. Inline, so that loops over runs of
// pixels compile it into their bodies.
inline std::uint32_t ResolveSystemColorAnyIndex(std::uint32_t ole_colour) {
    if (!IsSystemColor(ole_colour)) return ole_colour;
    return GetSysColor(static_cast<int>(ole_colour & ~kSystemColorFlag));
}

// --- the assignment form: translated once, when the value is stored ---------------------------

// Indices 0..24 become GetSysColor of the index; a high-bit value with a larger index is kept
// as it is (its low three bytes then read as red, green and blue).
inline std::int32_t ResolveSystemColorUpToIndex24(std::int32_t ole_colour) {
    constexpr std::uint32_t kLastResolvedIndex = 24;
    const auto bits = static_cast<std::uint32_t>(ole_colour);
    if (!IsSystemColor(bits)) return ole_colour;
    const std::uint32_t index = bits & ~kSystemColorFlag;
    if (index > kLastResolvedIndex) return ole_colour;
    return static_cast<std::int32_t>(GetSysColor(static_cast<int>(index)));
}

}  // namespace ov::gdi
