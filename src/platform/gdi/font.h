#pragma once
// Font queries beyond the platform's text calls: cell metrics, which installed face a logical
// font resolved to, and the glyph cache's counters (tests use them to prove that drawing the
// same text twice renders each glyph once, and that the cache keeps within its byte budget).
#include <cstdint>
#include <string>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

struct TEXTMETRICA {
    int tmHeight = 0;  // ascent + descent
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;  // cell height minus the em height
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;  // advance of 'x'
    int tmWeight = 400;
    std::uint8_t tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0;
};

// Metrics of the font selected into `dc`; false for an invalid DC or an unloadable font.
bool GetTextMetricsA(HDC dc, TEXTMETRICA* out);

// The installed family and font file a font handle resolved to ("Liberation Serif", path).
bool GetResolvedFontFace(HFONT font, std::string* family, std::string* file);

struct GlyphCacheCounters {
    std::int64_t rasterisations = 0;  // glyphs rendered by FreeType
    std::int64_t hits = 0;            // glyph requests served from the cache
    std::int64_t cached_bytes = 0;    // held by the cached glyphs now (limits::kMaxGlyphCacheBytes)
    std::int64_t evictions = 0;       // glyphs dropped to keep within that budget
};
GlyphCacheCounters GetGlyphCacheCounters();

// Drops every cached font instance that no font object holds (their glyphs go with them).
void TrimFontCache();

}  // namespace ov::gdi
