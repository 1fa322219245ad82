#pragma once
// The rasterising side of a logical font: a FreeType face resolved through fontconfig at one
// pixel size and escapement, its cell metrics, and a cache of rendered glyphs. Equal logical
// fonts (same face, size, weight, slant, escapement) share one instance, so a font created and
// deleted on every repaint keeps its glyphs between repaints.
#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// One rendered glyph. Coverage is 0..255 per pixel (0 or 255 only for one-bit glyphs).
struct Glyph {
    int width = 0, height = 0;
    int left = 0;                        // bitmap's left edge relative to the pen position, pixels, x right
    int top = 0;                         // bitmap's top edge above the pen position, pixels, y up
    std::vector<std::uint8_t> coverage;  // width * height, row-major
};

class FontLibrary;  // the shared FreeType library (font_instance.cpp)
class FontInstance;

// A cached glyph's place in the order of use of every font's glyphs (font_instance.cpp keeps
// the cache within its byte budget by dropping the glyphs used longest ago).
struct GlyphUse {
    FontInstance* instance;
    unsigned char character;
    bool one_bit;
    std::size_t bytes;
};
using GlyphUses = std::list<GlyphUse>;

struct CachedGlyph {
    std::unique_ptr<Glyph> glyph;  // null: not rendered, or dropped since
    GlyphUses::iterator use;
};

class FontInstance {
public:
    ~FontInstance();
    FontInstance(const FontInstance&) = delete;
    FontInstance& operator=(const FontInstance&) = delete;

    // The shared instance for a logical font; nullptr only when no face can be loaded at all.
    static std::shared_ptr<FontInstance> Acquire(const LOGFONTA& logfont);

    // The glyph of one single-byte character (Windows-1252), rendered on first use. The
    // reference holds until the next GetGlyph of any font, which may drop it from the cache.
    const Glyph& GetGlyph(unsigned char character, bool one_bit);
    // Drops one cached glyph (the budget's eviction).
    void ForgetGlyph(unsigned char character, bool one_bit);
    // Hinted, unrotated advance width in pixels.
    int Advance(unsigned char character) { return advances_[EnsureAdvance(character)]; }

    // Cell metrics in pixels, unrotated: the cell is ascent + descent high.
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int height() const { return ascent_ + descent_; }
    int internal_leading() const { return internal_leading_; }
    int average_width() const { return average_width_; }
    // Decorations, measured downwards from the top of the cell.
    int underline_top() const { return underline_top_; }
    int underline_thickness() const { return underline_thickness_; }
    int strikeout_top() const { return strikeout_top_; }
    int strikeout_thickness() const { return strikeout_thickness_; }

    // Direction of the baseline (cos, -sin in device space) from the escapement.
    double direction_x() const { return direction_x_; }
    double direction_y() const { return direction_y_; }
    bool rotated() const { return escapement_ != 0; }
    int escapement() const { return escapement_; }

    const std::string& family() const { return family_; }
    const std::string& file() const { return file_; }

private:
    struct Resolved;
    FontInstance() = default;
    bool Open(const LOGFONTA& logfont);
    unsigned char EnsureAdvance(unsigned char character);
    void Rasterise(unsigned char character, bool one_bit, Glyph& out);

    std::shared_ptr<FontLibrary> library_;
    void* face_ = nullptr;  // FT_Face, kept opaque so FreeType's headers stay out of this one
    std::string family_, file_;
    int pixel_size_ = 0;
    int escapement_ = 0;
    double direction_x_ = 1.0, direction_y_ = 0.0;
    bool synthetic_bold_ = false, synthetic_italic_ = false;
    int ascent_ = 0, descent_ = 0, internal_leading_ = 0, average_width_ = 0;
    int underline_top_ = 0, underline_thickness_ = 1, strikeout_top_ = 0, strikeout_thickness_ = 1;

    std::array<int, 256> advances_{};
    std::array<bool, 256> advance_known_{};
    // [one_bit][character].
    std::array<std::array<CachedGlyph, 256>, 2> glyphs_;
};

// The instance behind a font handle, resolved on first use and kept on the font object.
FontInstance* InstanceOfFont(HFONT font);

}  // namespace ov::gdi::detail
