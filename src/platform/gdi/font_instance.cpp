// Font resolution (fontconfig), FreeType faces at a pixel size, and the glyph cache.
#include "platform/gdi/internal/font_instance.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <tuple>

#include "platform/codepage/windows1252.h"
#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/font.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/screen.h"
#include "platform/limits.h"

namespace ov::gdi {
namespace detail {

class FontLibrary {
public:
    FontLibrary() {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    ~FontLibrary() {
        if (library_) FT_Done_FreeType(library_);
    }
    FT_Library get() const { return library_; }

    // One library for every face; instances keep it alive so a font object outliving the
    // cache at program exit still closes its face against a live library.
    static std::shared_ptr<FontLibrary> Shared() {
        static std::shared_ptr<FontLibrary> shared = std::make_shared<FontLibrary>();
        return shared;
    }

private:
    FT_Library library_ = nullptr;
};

namespace {

GlyphCacheCounters& Counters() {
    static GlyphCacheCounters counters;
    return counters;
}

// Every cached glyph of every font, most recently used first. A glyph added past the byte
// budget drops the ones used longest ago; the one just added always stays.
GlyphUses& UseOrder() {
    static auto* uses = new GlyphUses();  // never destroyed: instances may outlive other statics at exit
    return *uses;
}

void KeepWithinBudget() {
    GlyphUses& uses = UseOrder();
    while (static_cast<std::size_t>(Counters().cached_bytes) > limits::kMaxGlyphCacheBytes && uses.size() > 1) {
        const GlyphUse oldest = uses.back();
        oldest.instance->ForgetGlyph(oldest.character, oldest.one_bit);
        ++Counters().evictions;
    }
}

std::string Lowercase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Classic face names that are not installed on this system, mapped to metric-compatible or
// look-alike faces; other names go to fontconfig as they are.
std::string InstalledFamilyFor(std::string_view face_name) {
    static const std::map<std::string, std::string> aliases = {
        {"", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},
        {"serif", "Liberation Serif"},
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"},
        {"tahoma", "DejaVu Sans"},
        {"verdana", "DejaVu Sans"},
        {"segoe ui", "Liberation Sans"},
        {"system", "Liberation Sans"},
        {"sans serif", "Liberation Sans"},
        {"sans-serif", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"lucida console", "DejaVu Sans Mono"},
        {"fixedsys", "Liberation Mono"},
        {"terminal", "Liberation Mono"},
        {"monospace", "Liberation Mono"},
    };
    const auto it = aliases.find(Lowercase(face_name));
    return it != aliases.end() ? it->second : std::string(face_name);
}

struct FaceFile {
    std::string path;
    int index = 0;
    std::string family;
    bool is_bold = false, is_italic = false;
};

// Loads the configuration once; fontconfig's own caches are released at exit so leak checkers
// see a clean shutdown.
bool InitFontconfig() {
    static const bool ready = [] {
        if (!FcInit()) return false;
        std::atexit(FcFini);
        return true;
    }();
    return ready;
}

// Asks fontconfig for the best installed face; memoised per request because matching walks
// the whole font set.
const FaceFile* MatchFace(const std::string& family, bool bold, bool italic) {
    static std::map<std::tuple<std::string, bool, bool>, FaceFile> matched;
    const auto key = std::make_tuple(Lowercase(family), bold, italic);
    if (auto it = matched.find(key); it != matched.end()) return it->second.path.empty() ? nullptr : &it->second;

    FaceFile result;
    if (InitFontconfig()) {
        // Held so that a failed allocation below (copying the names) still releases them.
        struct PatternDestroy {
            void operator()(FcPattern* p) const { FcPatternDestroy(p); }
        };
        using Pattern = std::unique_ptr<FcPattern, PatternDestroy>;
        const Pattern pattern(FcPatternCreate());
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
        FcDefaultSubstitute(pattern.get());
        FcResult status = FcResultNoMatch;
        if (const Pattern match{FcFontMatch(nullptr, pattern.get(), &status)}) {
            FcChar8* file = nullptr;
            FcChar8* found_family = nullptr;
            int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
            if (FcPatternGetString(match.get(), FC_FILE, 0, &file) == FcResultMatch)
                result.path = reinterpret_cast<char*>(file);
            if (FcPatternGetString(match.get(), FC_FAMILY, 0, &found_family) == FcResultMatch)
                result.family = reinterpret_cast<char*>(found_family);
            FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
            FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
            result.index = index;
            result.is_bold = weight >= FC_WEIGHT_DEMIBOLD;
            result.is_italic = slant != FC_SLANT_ROMAN;
        }
    }
    auto [it, inserted] = matched.emplace(key, std::move(result));
    return it->second.path.empty() ? nullptr : &it->second;
}

// Scaled font units rounded up, with a tolerance so an exact whole number stays whole.
int CeilScaled(double units, double scale) { return static_cast<int>(std::ceil(units * scale - 1e-6)); }
int RoundScaled(double units, double scale) { return static_cast<int>(std::lround(units * scale)); }

struct InstanceKey {
    std::string face;
    int height, weight_bold, italic, escapement;
    friend auto operator<=>(const InstanceKey&, const InstanceKey&) = default;
};

std::map<InstanceKey, std::shared_ptr<FontInstance>>& InstanceCache() {
    static std::map<InstanceKey, std::shared_ptr<FontInstance>> cache;
    return cache;
}

// Instances no font object holds any more; the cache keeps them for reuse up to this many.
constexpr std::size_t kCachedInstances = 64;

}  // namespace

FontInstance::~FontInstance() {
    for (int one_bit = 0; one_bit < 2; ++one_bit)
        for (int c = 0; c < 256; ++c) ForgetGlyph(static_cast<unsigned char>(c), one_bit != 0);
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
}

void FontInstance::ForgetGlyph(unsigned char character, bool one_bit) {
    CachedGlyph& slot = glyphs_[one_bit ? 1 : 0][character];
    if (!slot.glyph) return;
    Counters().cached_bytes -= static_cast<std::int64_t>(slot.use->bytes);
    UseOrder().erase(slot.use);
    slot.glyph.reset();
}

std::shared_ptr<FontInstance> FontInstance::Acquire(const LOGFONTA& logfont) {
    char face_name[sizeof logfont.lfFaceName + 1] = {};
    std::memcpy(face_name, logfont.lfFaceName, sizeof logfont.lfFaceName);
    const int escapement = ((logfont.lfEscapement % 3600) + 3600) % 3600;
    const InstanceKey key{Lowercase(face_name), logfont.lfHeight, logfont.lfWeight >= 550 ? 1 : 0,
                          logfont.lfItalic ? 1 : 0, escapement};
    auto& cache = InstanceCache();
    if (auto it = cache.find(key); it != cache.end()) return it->second;

    std::shared_ptr<FontInstance> instance(new FontInstance());
    if (!instance->Open(logfont)) return nullptr;
    if (cache.size() >= kCachedInstances) TrimFontCache();
    cache.emplace(key, instance);
    return instance;
}

bool FontInstance::Open(const LOGFONTA& logfont) {
    library_ = FontLibrary::Shared();
    if (!library_->get()) return false;
    char face_name[sizeof logfont.lfFaceName + 1] = {};
    std::memcpy(face_name, logfont.lfFaceName, sizeof logfont.lfFaceName);
    const bool bold = logfont.lfWeight >= 550;
    const bool italic = logfont.lfItalic != 0;

    const FaceFile* file = MatchFace(InstalledFamilyFor(face_name), bold, italic);
    if (!file) file = MatchFace("Liberation Sans", bold, italic);
    if (!file) return false;
    FT_Face face = nullptr;
    if (FT_New_Face(library_->get(), file->path.c_str(), file->index, &face) != 0) return false;
    face_ = face;
    family_ = file->family;
    file_ = file->path;
    synthetic_bold_ = bold && !file->is_bold;
    synthetic_italic_ = italic && !file->is_italic;

    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const TT_Postscript* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    const double units_per_em = face->units_per_EM ? face->units_per_EM : 2048;
    // The cell of the platform's fonts spans the OS/2 "win" ascent and descent.
    const double cell_ascent = (os2 && os2->version != 0xFFFF) ? os2->usWinAscent : face->ascender;
    const double cell_descent = (os2 && os2->version != 0xFFFF) ? os2->usWinDescent : -face->descender;

    // lfHeight < 0 asks for the em height in pixels, > 0 for the cell height, 0 for a default
    // 12-point font at the screen's resolution.
    // In 64 bits: lfHeight may be any int, INT_MIN included.
    std::int64_t em = 0;
    if (logfont.lfHeight < 0) {
        em = -std::int64_t{logfont.lfHeight};
    } else if (logfont.lfHeight > 0) {
        em = std::llround(std::min(logfont.lfHeight * units_per_em / (cell_ascent + cell_descent), 1e9));
    } else {
        em = MulDiv(12, 1440 / std::max(1, Screen().twips_per_pixel_y), 72);
    }
    pixel_size_ = static_cast<int>(std::clamp<std::int64_t>(em, 1, 2000));
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size_)) != 0) return false;

    const double scale = pixel_size_ / units_per_em;
    ascent_ = CeilScaled(cell_ascent, scale);
    descent_ = std::max(0, CeilScaled(cell_descent, scale));
    internal_leading_ = std::max(0, height() - pixel_size_);
    average_width_ = os2 && os2->xAvgCharWidth > 0 ? RoundScaled(os2->xAvgCharWidth, scale) : Advance('x');

    underline_thickness_ = std::max(1, post ? RoundScaled(post->underlineThickness, scale) : pixel_size_ / 14);
    const int underline_depth =
        post ? std::max(1, RoundScaled(-post->underlinePosition, scale)) : std::max(1, descent_ / 2);
    underline_top_ = std::min(ascent_ + underline_depth, height() - underline_thickness_);
    strikeout_thickness_ =
        std::max(1, os2 && os2->version != 0xFFFF ? RoundScaled(os2->yStrikeoutSize, scale) : underline_thickness_);
    const int strike_height = os2 && os2->version != 0xFFFF ? RoundScaled(os2->yStrikeoutPosition, scale) : ascent_ / 3;
    strikeout_top_ = std::max(0, ascent_ - strike_height);

    escapement_ = ((logfont.lfEscapement % 3600) + 3600) % 3600;
    switch (escapement_) {  // exact values for the right angles, so rotated cells stay on the pixel grid
        case 0:
            direction_x_ = 1;
            direction_y_ = 0;
            break;
        case 900:
            direction_x_ = 0;
            direction_y_ = -1;
            break;
        case 1800:
            direction_x_ = -1;
            direction_y_ = 0;
            break;
        case 2700:
            direction_x_ = 0;
            direction_y_ = 1;
            break;
        default: {
            const double angle = escapement_ * std::numbers::pi / 1800.0;
            direction_x_ = std::cos(angle);
            direction_y_ = -std::sin(angle);
        }
    }
    return true;
}

unsigned char FontInstance::EnsureAdvance(unsigned char character) {
    if (advance_known_[character]) return character;
    advance_known_[character] = true;
    if (character < 0x20) return character;  // control characters take no room
    FT_Face face = static_cast<FT_Face>(face_);
    // Layout uses hinted whole-pixel advances measured upright and unaffected by smoothing,
    // so a string has the same width drawn, measured, rotated or one-bit.
    FT_Set_Transform(face, nullptr, nullptr);
    const FT_UInt index = FT_Get_Char_Index(face, codepage::ToUnicode(character));
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) == 0) {
        if (synthetic_bold_) FT_GlyphSlot_Embolden(face->glyph);
        advances_[character] = static_cast<int>((face->glyph->metrics.horiAdvance + 32) >> 6);
    }
    return character;
}

const Glyph& FontInstance::GetGlyph(unsigned char character, bool one_bit) {
    CachedGlyph& slot = glyphs_[one_bit ? 1 : 0][character];
    GlyphUses& uses = UseOrder();
    if (slot.glyph) {
        ++Counters().hits;
        uses.splice(uses.begin(), uses, slot.use);
        return *slot.glyph;
    }
    // Cached only once complete: an allocation failing while it is rendered leaves no half glyph.
    auto glyph = std::make_unique<Glyph>();
    Rasterise(character, one_bit, *glyph);
    const std::size_t bytes = sizeof(Glyph) + glyph->coverage.capacity();
    uses.push_front(GlyphUse{this, character, one_bit, bytes});
    slot.use = uses.begin();
    slot.glyph = std::move(glyph);
    Counters().cached_bytes += static_cast<std::int64_t>(bytes);
    ++Counters().rasterisations;
    KeepWithinBudget();
    return *slot.glyph;
}

void FontInstance::Rasterise(unsigned char character, bool one_bit, Glyph& out) {
    FT_Face face = static_cast<FT_Face>(face_);
    if (character < 0x20) return;  // control characters draw nothing
    // Glyph space is y up, so an anticlockwise escapement is the plain rotation matrix; a
    // synthetic italic shears before rotating.
    const double shear = synthetic_italic_ ? 0.2 : 0.0;
    const double c = direction_x_, s = -direction_y_;
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(std::lround(c * 0x10000));
    matrix.xy = static_cast<FT_Fixed>(std::lround((c * shear - s) * 0x10000));
    matrix.yx = static_cast<FT_Fixed>(std::lround(s * 0x10000));
    matrix.yy = static_cast<FT_Fixed>(std::lround((s * shear + c) * 0x10000));
    const bool identity = escapement_ == 0 && !synthetic_italic_;
    FT_Set_Transform(face, identity ? nullptr : &matrix, nullptr);

    const FT_UInt index = FT_Get_Char_Index(face, codepage::ToUnicode(character));
    const FT_Int32 load = FT_LOAD_NO_BITMAP | (one_bit ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, index, load) != 0) return;
    if (synthetic_bold_) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, one_bit ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return;

    const FT_Bitmap& bitmap = face->glyph->bitmap;
    out.width = static_cast<int>(bitmap.width);
    out.height = static_cast<int>(bitmap.rows);
    out.left = face->glyph->bitmap_left;
    out.top = face->glyph->bitmap_top;
    out.coverage.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    for (int y = 0; y < out.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        std::uint8_t* dst = out.coverage.data() + static_cast<std::size_t>(y) * out.width;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < out.width; ++x) dst[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            std::copy_n(row, out.width, dst);
        }
    }
}

FontInstance* InstanceOfFont(HFONT handle) {
    Font* font = LookupFont(handle);
    if (!font) return nullptr;
    if (!font->instance) font->instance = FontInstance::Acquire(font->logfont);
    return font->instance.get();
}

}  // namespace detail

GlyphCacheCounters GetGlyphCacheCounters() { return detail::Counters(); }

void TrimFontCache() {
    auto& cache = detail::InstanceCache();
    std::erase_if(cache, [](const auto& entry) { return entry.second.use_count() == 1; });
}

namespace {

bool ReadTextMetrics(HDC dc_handle, TEXTMETRICA* out) {
    const detail::DeviceContext* dc = detail::LookupDc(dc_handle);
    if (!dc || !out) return false;
    detail::FontInstance* instance = detail::InstanceOfFont(dc->font);
    const detail::Font* font = detail::LookupFont(dc->font);
    if (!instance || !font) return false;
    TEXTMETRICA metrics;
    metrics.tmHeight = instance->height();
    metrics.tmAscent = instance->ascent();
    metrics.tmDescent = instance->descent();
    metrics.tmInternalLeading = instance->internal_leading();
    metrics.tmAveCharWidth = instance->average_width();
    metrics.tmWeight = font->logfont.lfWeight;
    metrics.tmItalic = font->logfont.lfItalic;
    metrics.tmUnderlined = font->logfont.lfUnderline;
    metrics.tmStruckOut = font->logfont.lfStrikeOut;
    *out = metrics;
    return true;
}

}  // namespace

// Both open the font's face on first use, which allocates.
bool GetResolvedFontFace(HFONT font, std::string* family, std::string* file) {
    return detail::Guarded(false, [&] {
        detail::FontInstance* instance = detail::InstanceOfFont(font);
        if (!instance) return false;
        if (family) *family = instance->family();
        if (file) *file = instance->file();
        return true;
    });
}

bool GetTextMetricsA(HDC dc_handle, TEXTMETRICA* out) {
    return detail::Guarded(false, [&] { return ReadTextMetrics(dc_handle, out); });
}

}  // namespace ov::gdi
