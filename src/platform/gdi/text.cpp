// TextOutA, DrawTextA and GetTextExtentPoint32A: glyphs from the font's cache written straight
// into the DC's bitmap, clipped to it (and to the rectangle for DrawTextA).
//
// A line of text is laid out in "text space": x along the baseline direction, y down across
// it, the origin at the top-left of the text cell. The font's escapement turns text space into
// device space; for the right angles the mapping is exact, so rotated cells stay on the grid.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/internal/font_instance.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/internal/text_blend.h"

namespace ov::gdi {
namespace {

using detail::Bitmap;
using detail::FontInstance;

// Half-open clip box in device pixels.
struct Clip {
    int left, top, right, bottom;
    bool empty() const { return left >= right || top >= bottom; }
};

Clip BitmapClip(const Bitmap& bitmap) { return Clip{0, 0, bitmap.width, bitmap.height}; }

// Positions are worked out in 64 bits and in doubles: a text call may start anywhere in the int
// range and a line may be longer than it. What reaches the pixels is clipped first, so clamping
// to the int range never moves anything that is drawn.
int ClampToInt(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }
int ClampToInt(double v) { return static_cast<int>(std::clamp<double>(v, INT_MIN, INT_MAX)); }

Clip Intersect(const Clip& a, const Clip& b) {
    return Clip{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

struct PointF {
    double x, y;
};

// Text space -> device space for one line whose cell's top-left is at (x, y).
struct TextFrame {
    double x, y;    // cell origin
    double ux, uy;  // baseline direction
    double dx, dy;  // "down" across the line
    PointF Map(double tx, double ty) const { return PointF{x + tx * ux + ty * dx, y + tx * uy + ty * dy}; }
};

TextFrame FrameFor(const FontInstance& font, std::int64_t x, std::int64_t y) {
    const double ux = font.direction_x(), uy = font.direction_y();
    return TextFrame{static_cast<double>(x), static_cast<double>(y), ux, uy, -uy, ux};
}

// Fills the convex quadrilateral a-b-c-d: a pixel belongs to it when its centre does, with
// left and top edges inclusive and right and bottom edges exclusive, so an axis-aligned quad
// from (l, t) to (r, b) covers exactly l..r-1 x t..b-1 like FillRect.
void FillQuad(Bitmap& bitmap, const Clip& clip, const PointF (&corners)[4], std::uint32_t pixel) {
    double min_y = corners[0].y, max_y = corners[0].y;
    for (const PointF& p : corners) {
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
    }
    const int first_row = std::max(clip.top, ClampToInt(std::ceil(min_y - 0.5)));
    const int end_row = std::min(clip.bottom, ClampToInt(std::ceil(max_y - 0.5)));
    for (int row = first_row; row < end_row; ++row) {
        const double centre = row + 0.5;
        double from = 1e300, to = -1e300;
        for (int i = 0; i < 4; ++i) {
            const PointF& p = corners[i];
            const PointF& q = corners[(i + 1) % 4];
            if ((centre < p.y) == (centre < q.y)) continue;  // edge does not cross this row's centre
            const double at = p.x + (centre - p.y) * (q.x - p.x) / (q.y - p.y);
            from = std::min(from, at);
            to = std::max(to, at);
        }
        if (from > to) continue;
        const int first_col = std::max(clip.left, ClampToInt(std::ceil(from - 0.5)));
        const int end_col = std::min(clip.right, ClampToInt(std::ceil(to - 0.5)));
        if (first_col < end_col) detail::FillSpan(bitmap, row, first_col, end_col, pixel);
    }
}

// A text-space rectangle [left, right) x [top, bottom) filled in device space.
void FillTextRect(Bitmap& bitmap, const Clip& clip, const TextFrame& frame, double left, double top, double right,
                  double bottom, std::uint32_t pixel) {
    if (frame.ux == 1 && frame.uy == 0) {  // upright: a plain rectangle on whole pixels
        const int x0 = std::max(clip.left, ClampToInt(frame.x + left));
        const int x1 = std::min(clip.right, ClampToInt(frame.x + right));
        const int y0 = std::max(clip.top, ClampToInt(frame.y + top));
        const int y1 = std::min(clip.bottom, ClampToInt(frame.y + bottom));
        if (x0 < x1 && y0 < y1) detail::FillRectPixels(bitmap, detail::PixelRect{x0, y0, x1, y1}, pixel);
        return;
    }
    const PointF corners[4] = {frame.Map(left, top), frame.Map(right, top), frame.Map(right, bottom),
                               frame.Map(left, bottom)};
    FillQuad(bitmap, clip, corners, pixel);
}

// Blends glyph coverage in `colour` onto the bitmap: full coverage writes the colour, partial
// coverage mixes it with the pixel beneath. A monochrome bitmap takes the colour's mono value
// where coverage is at least half.
void DrawGlyph(Bitmap& bitmap, const Clip& clip, const detail::Glyph& glyph, std::int64_t left, std::int64_t top,
               COLORREF colour) {
    const int x0 = ClampToInt(std::max<std::int64_t>(clip.left, left));
    const int x1 = ClampToInt(std::min<std::int64_t>(clip.right, left + glyph.width));
    const int y0 = ClampToInt(std::max<std::int64_t>(clip.top, top));
    const int y1 = ClampToInt(std::min<std::int64_t>(clip.bottom, top + glyph.height));
    if (x0 >= x1 || y0 >= y1) return;
    const std::uint32_t solid = bitmap.StoredPixel(colour);
    const std::uint8_t* const first =
        glyph.coverage.data() + static_cast<std::size_t>(y0 - top) * glyph.width + (x0 - left);
    if (!bitmap.is_mono()) {
        detail::BlendRect(bitmap.row(y0) + x0, static_cast<std::size_t>(bitmap.width), first,
                          static_cast<std::size_t>(glyph.width), x1 - x0, y1 - y0, solid);
        return;
    }
    const std::uint8_t mono_solid = detail::StoredAs<std::uint8_t>(solid);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* coverage = first + static_cast<std::size_t>(y - y0) * glyph.width;
        std::uint8_t* out = bitmap.mono_row(y) + x0;
        for (int x = 0; x < x1 - x0; ++x)
            if (coverage[x] >= 128) out[x] = mono_solid;
    }
}

int LineWidth(FontInstance& font, std::string_view text) {
    std::int64_t width = 0;
    for (unsigned char c : text) width += font.Advance(c);
    return ClampToInt(width);
}

struct LineStyle {
    COLORREF text_colour;
    COLORREF bk_colour;
    bool opaque;
    bool underline;
    bool strikeout;
};

// Draws one line with the top-left of its cell at (x, y). `underlined_index` marks one
// character (a DrawTextA prefix) to underline on its own; -1 for none.
void DrawLine(Bitmap& bitmap, const Clip& clip, FontInstance& font, const LineStyle& style, std::int64_t x,
              std::int64_t y, std::string_view text, int underlined_index = -1) {
    if (clip.empty()) return;
    const TextFrame frame = FrameFor(font, x, y);
    const int width = LineWidth(font, text);
    if (style.opaque)
        FillTextRect(bitmap, clip, frame, 0, 0, width, font.height(), bitmap.StoredPixel(style.bk_colour));

    const bool one_bit = !Screen().font_smoothing;
    std::int64_t pen = 0;
    std::int64_t underlined_from = 0, underlined_to = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int advance = font.Advance(c);
        if (static_cast<int>(i) == underlined_index) {
            underlined_from = pen;
            underlined_to = pen + advance;
        }
        const detail::Glyph& glyph = font.GetGlyph(c, one_bit);
        if (!glyph.coverage.empty()) {
            std::int64_t gx = x + pen, gy = y + font.ascent();
            if (font.rotated()) {
                const PointF origin = frame.Map(static_cast<double>(pen), font.ascent());
                gx = std::llround(std::clamp<double>(origin.x, INT_MIN, INT_MAX));
                gy = std::llround(std::clamp<double>(origin.y, INT_MIN, INT_MAX));
            }
            DrawGlyph(bitmap, clip, glyph, gx + glyph.left, gy - glyph.top, style.text_colour);
        }
        pen += advance;
    }

    const std::uint32_t ink = bitmap.StoredPixel(style.text_colour);
    const double underline_top = font.underline_top(), underline_bottom = underline_top + font.underline_thickness();
    if (style.underline) FillTextRect(bitmap, clip, frame, 0, underline_top, width, underline_bottom, ink);
    else if (underlined_to > underlined_from)
        FillTextRect(bitmap, clip, frame, static_cast<double>(underlined_from), underline_top,
                     static_cast<double>(underlined_to), underline_bottom, ink);
    if (style.strikeout)
        FillTextRect(bitmap, clip, frame, 0, font.strikeout_top(), width,
                     font.strikeout_top() + font.strikeout_thickness(), ink);
}

// Everything a text call needs from its DC, or nothing when any part is invalid.
struct TextTarget {
    detail::DeviceContext* dc = nullptr;
    Bitmap* bitmap = nullptr;
    FontInstance* font = nullptr;
    const LOGFONTA* logfont = nullptr;

    LineStyle Style() const {
        return LineStyle{dc->text_colour, dc->bk_colour, dc->bk_mode == OPAQUE, logfont->lfUnderline != 0,
                         logfont->lfStrikeOut != 0};
    }
};

bool ResolveTarget(HDC handle, TextTarget& target, bool need_bitmap) {
    target.dc = detail::LookupDc(handle);
    if (!target.dc) return false;
    const detail::Font* font = detail::LookupFont(target.dc->font);
    target.font = detail::InstanceOfFont(target.dc->font);
    if (!font || !target.font) return false;
    target.logfont = &font->logfont;
    target.bitmap = detail::BitmapForPixels(target.dc->bitmap);
    return target.bitmap || !need_bitmap;
}

// DrawTextA's text after prefix processing: "&x" underlines x, "&&" is a literal "&".
struct PrefixedLine {
    std::string text;
    int underlined_index = -1;
};

PrefixedLine StripPrefixes(std::string_view line) {
    PrefixedLine out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '&' && i + 1 < line.size()) {
            ++i;
            if (line[i] != '&') out.underlined_index = static_cast<int>(out.text.size());
        } else if (line[i] == '&') {
            continue;  // a trailing lone ampersand shows nothing
        }
        out.text += line[i];
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            current += c;
        }
    }
    lines.push_back(std::move(current));
    return lines;
}

// Greedy word wrap: breaks after spaces so each line fits `width`; a single word wider than
// the box keeps a line of its own.
std::vector<std::string> WrapLine(FontInstance& font, const std::string& line, int width) {
    std::vector<std::string> out;
    std::string current;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t end = line.find(' ', i);
        end = end == std::string::npos ? line.size() : end + 1;
        const std::string word = line.substr(i, end - i);
        std::string candidate = current + word;
        std::string trimmed = candidate;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        if (!current.empty() && LineWidth(font, trimmed) > width) {
            while (!current.empty() && current.back() == ' ') current.pop_back();
            out.push_back(std::move(current));
            current = word;
        } else {
            current = std::move(candidate);
        }
        i = end;
    }
    while (!current.empty() && current.back() == ' ') current.pop_back();
    out.push_back(std::move(current));
    return out;
}

bool DrawTextLine(HDC dc, int x, int y, const char* text, int length) {
    TextTarget target;
    if (!ResolveTarget(dc, target, true) || length < 0 || (length > 0 && !text)) return false;
    DrawLine(*target.bitmap, BitmapClip(*target.bitmap), *target.font, target.Style(), x, y,
             std::string_view(text ? text : "", static_cast<std::size_t>(length)));
    return true;
}

bool MeasureTextLine(HDC dc, const char* text, int length, SIZE* out) {
    TextTarget target;
    if (!ResolveTarget(dc, target, false) || length < 0 || !out || (length > 0 && !text)) return false;
    // The extent is the unrotated one, whatever the escapement.
    *out = SIZE{LineWidth(*target.font, std::string_view(text ? text : "", static_cast<std::size_t>(length))),
                target.font->height()};
    return true;
}

int DrawFormattedText(HDC dc, const char* text, int length, RECT* rect, unsigned format) {
    TextTarget target;
    if (!rect || !ResolveTarget(dc, target, (format & DT_CALCRECT) == 0)) return 0;
    if (!text) length = 0;
    const std::string_view source(text ? text : "", length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
    FontInstance& font = *target.font;
    const int line_height = font.height();
    const int box_width = ClampToInt(std::int64_t{rect->right} - rect->left);

    std::vector<PrefixedLine> lines;
    auto add = [&](std::string_view line) {
        if (format & DT_NOPREFIX) lines.push_back(PrefixedLine{std::string(line), -1});
        else lines.push_back(StripPrefixes(line));
    };
    if (format & DT_SINGLELINE) {
        // One line: line breaks are characters like any other control character (no ink, no room).
        add(source);
    } else {
        for (const std::string& line : SplitLines(source)) {
            if (format & DT_WORDBREAK)
                for (const std::string& wrapped : WrapLine(font, line, box_width)) add(wrapped);
            else add(line);
        }
    }

    const std::int64_t text_height = std::int64_t{line_height} * static_cast<std::int64_t>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const PrefixedLine& line : lines) widest = std::max(widest, LineWidth(font, line.text));
        rect->right = ClampToInt(std::int64_t{rect->left} + widest);
        rect->bottom = ClampToInt(rect->top + text_height);
        return ClampToInt(text_height);
    }

    std::int64_t top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect->top + (std::int64_t{rect->bottom} - rect->top - text_height) / 2;
        else if (format & DT_BOTTOM) top = rect->bottom - text_height;
    }
    Clip clip = BitmapClip(*target.bitmap);
    if (!(format & DT_NOCLIP)) clip = Intersect(clip, Clip{rect->left, rect->top, rect->right, rect->bottom});
    const LineStyle style = target.Style();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int width = LineWidth(font, lines[i].text);
        std::int64_t left = rect->left;
        if (format & DT_CENTER) left = rect->left + (std::int64_t{box_width} - width) / 2;
        else if (format & DT_RIGHT) left = std::int64_t{rect->right} - width;
        DrawLine(*target.bitmap, clip, font, style, left, top + static_cast<std::int64_t>(i) * line_height,
                 lines[i].text, lines[i].underlined_index);
    }
    // Like the platform: the height of the text, measured from the rectangle's top when the
    // text was moved down inside it.
    return ClampToInt((top - rect->top) + text_height);
}

}  // namespace

// Rendering a glyph caches it, and a face is opened on first use: both allocate.
bool TextOutA(HDC dc, int x, int y, const char* text, int length) {
    return detail::Guarded(false, [&] { return DrawTextLine(dc, x, y, text, length); });
}

bool GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* out) {
    return detail::Guarded(false, [&] { return MeasureTextLine(dc, text, length, out); });
}

int DrawTextA(HDC dc, const char* text, int length, RECT* rect, unsigned format) {
    return detail::Guarded(0, [&] { return DrawFormattedText(dc, text, length, rect, format); });
}

}  // namespace ov::gdi
