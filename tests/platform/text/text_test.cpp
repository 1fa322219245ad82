// Text output by pixel: one-bit glyphs (smoothing off) make every pixel either ink, the
// background box or untouched, so cell positions, colours and rotation can be checked exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "support/canvas.h"
#include "platform/gdi/font.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/limits.h"

namespace ov::gdi {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);

using testing_support::Canvas;

// Selects a font made from the given attributes for the life of the object.
class ScopedFont {
public:
    ScopedFont(HDC dc, const char* face, int height, int weight = 400, int escapement = 0, bool underline = false,
               bool strikeout = false)
        : dc_(dc) {
        LOGFONTA lf;
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfEscapement = escapement;
        lf.lfUnderline = underline ? 1 : 0;
        lf.lfStrikeOut = strikeout ? 1 : 0;
        std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
        font_ = CreateFontIndirectA(&lf);
        previous_ = SelectObject(dc, font_);
    }
    ~ScopedFont() {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    HFONT font() const { return font_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

class TextTest : public ::testing::Test {
protected:
    void SetUp() override { Screen().font_smoothing = false; }
    void TearDown() override { Screen().font_smoothing = true; }
};

SIZE Extent(HDC dc, const std::string& text) {
    SIZE size;
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size));
    return size;
}

TEST_F(TextTest, OpaqueCellFromTopLeftInBackgroundColour) {
    Canvas canvas(200, 60, kWhite);
    ScopedFont font(canvas.dc(), "Arial", -16);
    SetTextColor(canvas.dc(), kRed);
    SetBkColor(canvas.dc(), kBlue);
    SetBkMode(canvas.dc(), OPAQUE);
    const SIZE cell = Extent(canvas.dc(), "Hxg");
    ASSERT_GT(cell.cx, 20);
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &metrics));
    EXPECT_EQ(cell.cy, metrics.tmHeight);
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    EXPECT_EQ(metrics.tmInternalLeading, metrics.tmHeight - 16);

    ASSERT_TRUE(TextOutA(canvas.dc(), 10, 20, "Hxg", 3));
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const bool inside = x >= 10 && x < 10 + cell.cx && y >= 20 && y < 20 + cell.cy;
            const COLORREF c = canvas.At(x, y);
            if (inside) ASSERT_TRUE(c == kRed || c == kBlue) << x << "," << y;
            else ASSERT_EQ(c, kWhite) << x << "," << y;
        }
    // The box is the whole cell; ink stays inside it, below the internal leading, with the
    // descender of "g" reaching below the baseline.
    const RECT box = canvas.BoundsOf(kBlue);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 10 + cell.cx);
    EXPECT_EQ(box.bottom, 20 + cell.cy);
    const RECT ink = canvas.BoundsOf(kRed);
    EXPECT_GE(ink.top, 20 + metrics.tmInternalLeading - 1);
    EXPECT_GT(ink.bottom, 20 + metrics.tmAscent);
    EXPECT_LT(ink.left, 10 + 4);
}

TEST_F(TextTest, TransparentModeTouchesOnlyInk) {
    Canvas opaque(120, 40, kWhite), transparent(120, 40, kGreen);
    for (Canvas* canvas : {&opaque, &transparent}) {
        ScopedFont font(canvas->dc(), "Times New Roman", -20);
        SetTextColor(canvas->dc(), kRed);
        SetBkColor(canvas->dc(), kBlue);
        SetBkMode(canvas->dc(), canvas == &opaque ? OPAQUE : TRANSPARENT);
        ASSERT_TRUE(TextOutA(canvas->dc(), 5, 5, "Ink", 3));
    }
    EXPECT_EQ(transparent.Count(kBlue), 0);
    EXPECT_EQ(transparent.Count(kRed) + transparent.Count(kGreen), 120 * 40);
    // Same glyph pixels either way: the mode changes the box, never the ink.
    EXPECT_GT(transparent.Count(kRed), 20);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(opaque.At(x, y) == kRed, transparent.At(x, y) == kRed) << x << "," << y;
}

TEST_F(TextTest, EscapementNineHundredReadsUpwardsWithCellRightOfX) {
    Canvas canvas(100, 200, kWhite);
    ScopedFont font(canvas.dc(), "Arial", -16, 400, 900);
    SetTextColor(canvas.dc(), kRed);
    SetBkColor(canvas.dc(), kBlue);
    const SIZE cell = Extent(canvas.dc(), "Rotate");  // the unrotated extent
    ASSERT_TRUE(TextOutA(canvas.dc(), 20, 150, "Rotate", 6));
    RECT all = canvas.BoundsOf(kBlue);
    const RECT ink = canvas.BoundsOf(kRed);
    all.left = std::min(all.left, ink.left);
    all.top = std::min(all.top, ink.top);
    all.right = std::max(all.right, ink.right);
    all.bottom = std::max(all.bottom, ink.bottom);
    EXPECT_EQ(all.left, 20);
    EXPECT_EQ(all.right, 20 + cell.cy);
    EXPECT_EQ(all.top, 150 - cell.cx);
    EXPECT_EQ(all.bottom, 150);
    EXPECT_EQ(canvas.Count(kRed) + canvas.Count(kBlue), cell.cx * cell.cy);
}

TEST_F(TextTest, RotatedTextIsTheUprightTextTurnedAnticlockwise) {
    // Reading upwards: the first character sits at the bottom, the tops of the letters face
    // left (towards x). Compare with the upright rendering turned by a quarter.
    Canvas upright(80, 30, kWhite), rotated(30, 80, kWhite);
    {
        ScopedFont font(upright.dc(), "Arial", -16);
        SetBkMode(upright.dc(), TRANSPARENT);
        ASSERT_TRUE(TextOutA(upright.dc(), 0, 0, "Lg7", 3));
    }
    {
        ScopedFont font(rotated.dc(), "Arial", -16, 400, 900);
        SetBkMode(rotated.dc(), TRANSPARENT);
        ASSERT_TRUE(TextOutA(rotated.dc(), 0, 80, "Lg7", 3));
    }
    int ink = 0, mismatches = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            // Upright (x, y) lands at (y, 79 - x) after a quarter turn anticlockwise about the origin.
            const bool a = upright.At(x, y) == 0, b = rotated.At(y, 79 - x) == 0;
            ink += a;
            mismatches += a != b;
        }
    EXPECT_GT(ink, 30);
    // Hinting happens before the turn and a quarter turn maps the pixel grid onto itself, so
    // the one-bit renderings agree pixel for pixel.
    EXPECT_EQ(mismatches, 0) << "ink " << ink;
}

TEST_F(TextTest, DrawTextCalcRectMeasuresLinesAndWidestLine) {
    Canvas canvas(10, 10, kWhite);
    ScopedFont font(canvas.dc(), "Arial", -12);
    const SIZE wide = Extent(canvas.dc(), "abcdefgh"), line = Extent(canvas.dc(), "ab");
    RECT rect{5, 7, 6, 8};
    EXPECT_EQ(DrawTextA(canvas.dc(), "ab\nabcdefgh\r\nab", -1, &rect, DT_CALCRECT), 3 * line.cy);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 7);
    EXPECT_EQ(rect.right, 5 + wide.cx);
    EXPECT_EQ(rect.bottom, 7 + 3 * line.cy);

    RECT single{0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(canvas.dc(), "abcdefgh", 8, &single, DT_CALCRECT | DT_SINGLELINE), wide.cy);
    EXPECT_EQ(single.right, wide.cx);
    EXPECT_EQ(single.bottom, wide.cy);

    // Prefix characters take no room unless DT_NOPREFIX says they are text.
    RECT prefixed{0, 0, 0, 0}, literal{0, 0, 0, 0};
    DrawTextA(canvas.dc(), "&ab", 3, &prefixed, DT_CALCRECT | DT_SINGLELINE);
    DrawTextA(canvas.dc(), "&ab", 3, &literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(prefixed.right, line.cx);
    EXPECT_EQ(literal.right, Extent(canvas.dc(), "&ab").cx);
    // Nothing was drawn while measuring.
    EXPECT_EQ(canvas.Count(kWhite), 100);
}

TEST_F(TextTest, DrawTextWordBreakAndMultiLineDrawing) {
    Canvas canvas(200, 80, kWhite), reference(200, 80, kWhite);
    ScopedFont font(canvas.dc(), "Arial", -12);
    ScopedFont reference_font(reference.dc(), "Arial", -12);
    const SIZE two_words = Extent(canvas.dc(), "aaa bbb"), line = Extent(canvas.dc(), "ccc");
    RECT rect{0, 0, two_words.cx + 2, 0};
    EXPECT_EQ(DrawTextA(canvas.dc(), "aaa bbb ccc", -1, &rect, DT_CALCRECT | DT_WORDBREAK), 2 * line.cy);
    EXPECT_EQ(rect.right, two_words.cx);

    // Drawn lines stack one cell apart, each from the rectangle's left edge (or centred).
    RECT box{10, 5, 190, 75};
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetBkMode(reference.dc(), TRANSPARENT);
    EXPECT_EQ(DrawTextA(canvas.dc(), "one\r\ntwo", -1, &box, DT_LEFT), 2 * line.cy);
    TextOutA(reference.dc(), 10, 5, "one", 3);
    TextOutA(reference.dc(), 10, 5 + line.cy, "two", 3);
    RECT centred{10, 50, 190, 75};
    DrawTextA(canvas.dc(), "mid", -1, &centred, DT_CENTER | DT_SINGLELINE);
    TextOutA(reference.dc(), 10 + (180 - Extent(reference.dc(), "mid").cx) / 2, 50, "mid", 3);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(canvas.At(x, y), reference.At(x, y)) << x << "," << y;
}

TEST_F(TextTest, DrawTextSingleLineDrawsFromTopLeftClippedToRect) {
    Canvas canvas(200, 60, kWhite), reference(200, 60, kWhite);
    for (Canvas* c : {&canvas, &reference}) {
        SetTextColor(c->dc(), kRed);
        SetBkColor(c->dc(), kBlue);
    }
    ScopedFont font(canvas.dc(), "Arial", -16);
    ScopedFont reference_font(reference.dc(), "Arial", -16);
    RECT rect{10, 12, 60, 22};
    const SIZE size = Extent(canvas.dc(), "Clipped text here");
    EXPECT_EQ(DrawTextA(canvas.dc(), "Clipped text here", -1, &rect, DT_SINGLELINE), size.cy);
    ASSERT_TRUE(TextOutA(reference.dc(), 10, 12, "Clipped text here", 17));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside = x >= 10 && x < 60 && y >= 12 && y < 22;
            ASSERT_EQ(canvas.At(x, y), inside ? reference.At(x, y) : kWhite) << x << "," << y;
        }
    EXPECT_GT(canvas.Count(kRed), 10);
}

TEST_F(TextTest, GlyphsAreRasterisedOncePerFontAndCharacter) {
    Canvas canvas(300, 40, kWhite);
    ScopedFont font(canvas.dc(), "Arial", -17);  // a size no other test uses: a cold cache
    const GlyphCacheCounters before = GetGlyphCacheCounters();
    ASSERT_TRUE(TextOutA(canvas.dc(), 0, 0, "cache me", 8));
    const GlyphCacheCounters first = GetGlyphCacheCounters();
    EXPECT_EQ(first.rasterisations - before.rasterisations, 6);  // c, a, h, e, space, m
    ASSERT_TRUE(TextOutA(canvas.dc(), 0, 20, "cache me", 8));
    const GlyphCacheCounters second = GetGlyphCacheCounters();
    EXPECT_EQ(second.rasterisations, first.rasterisations);
    EXPECT_EQ(second.hits - first.hits, 8);

    // An equal font created anew shares the cached glyphs.
    ScopedFont again(canvas.dc(), "arial", -17);
    ASSERT_TRUE(TextOutA(canvas.dc(), 0, 0, "me", 2));
    EXPECT_EQ(GetGlyphCacheCounters().rasterisations, first.rasterisations);
}

// Text at many large sizes keeps the glyph cache within its byte budget: the glyphs used
// longest ago are dropped, and drawn again they look as they did.
TEST_F(TextTest, GlyphCacheKeepsWithinItsByteBudgetAtManyLargeSizes) {
    const char* const caption = "Budget: glyphs 0123";
    const int length = static_cast<int>(std::strlen(caption));
    Canvas first(160, 120, kWhite), again(160, 120, kWhite);
    const GlyphCacheCounters before = GetGlyphCacheCounters();
    {
        ScopedFont font(first.dc(), "Arial", -301);
        ASSERT_TRUE(TextOutA(first.dc(), -40, -60, caption, length));
    }
    for (int size = 302; size < 302 + 79 * 9; size += 9) {
        Canvas canvas(64, 64, kWhite);
        ScopedFont font(canvas.dc(), "Arial", -size);
        ASSERT_TRUE(TextOutA(canvas.dc(), 0, 0, caption, length));
        ASSERT_LE(GetGlyphCacheCounters().cached_bytes, static_cast<std::int64_t>(limits::kMaxGlyphCacheBytes))
            << "after size " << size;
    }
    const GlyphCacheCounters after = GetGlyphCacheCounters();
    EXPECT_GT(after.evictions, before.evictions);
    // The first size's glyphs went first; they are rendered again, to the same pixels.
    {
        ScopedFont font(again.dc(), "Arial", -301);
        ASSERT_TRUE(TextOutA(again.dc(), -40, -60, caption, length));
    }
    EXPECT_GT(GetGlyphCacheCounters().rasterisations, after.rasterisations);
    EXPECT_EQ(again.Pixels(), first.Pixels());
}

TEST_F(TextTest, TextCallsLeaveNoObjectsBehind) {
    Canvas canvas(100, 40, kWhite);
    const LiveObjects before = CountLiveObjects();
    {
        ScopedFont font(canvas.dc(), "Courier New", -13, 700, 0, true, true);
        TextOutA(canvas.dc(), 0, 0, "leak?", 5);
        RECT rect{0, 0, 100, 40};
        DrawTextA(canvas.dc(), "two\nlines", -1, &rect, 0);
        DrawTextA(canvas.dc(), "two\nlines", -1, &rect, DT_CALCRECT);
        SIZE size;
        GetTextExtentPoint32A(canvas.dc(), "x", 1, &size);
    }
    EXPECT_EQ(CountLiveObjects(), before);
}

TEST_F(TextTest, ClassicFaceNamesResolveToInstalledLookAlikes) {
    const std::pair<const char*, std::set<std::string>> cases[] = {
        {"Times New Roman", {"Liberation Serif"}},
        {"Arial", {"Liberation Sans"}},
        {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
        {"Courier New", {"Liberation Mono"}},
    };
    for (const auto& [face, expected] : cases) {
        LOGFONTA lf;
        lf.lfHeight = -12;
        std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
        const HFONT font = CreateFontIndirectA(&lf);
        std::string family, file;
        ASSERT_TRUE(GetResolvedFontFace(font, &family, &file)) << face;
        EXPECT_TRUE(expected.count(family)) << face << " -> " << family;
        EXPECT_FALSE(file.empty());
        DeleteObject(font);
    }
}

TEST_F(TextTest, UnderlineAndStrikeoutInTextColourAcrossTheCell) {
    Canvas canvas(200, 40, kWhite);
    ScopedFont font(canvas.dc(), "Arial", -16, 400, 0, true, true);
    SetTextColor(canvas.dc(), kRed);
    SetBkMode(canvas.dc(), TRANSPARENT);
    const SIZE size = Extent(canvas.dc(), "a  b");
    ASSERT_TRUE(TextOutA(canvas.dc(), 3, 2, "a  b", 4));
    // The spaces carry no ink, so a row fully red across the whole run is a decoration;
    // there must be two such bands (underline below the baseline, strikeout above it).
    TEXTMETRICA metrics;
    GetTextMetricsA(canvas.dc(), &metrics);
    int above = 0, below = 0;
    for (int y = 0; y < 40; ++y) {
        bool full = true;
        for (int x = 3; x < 3 + size.cx; ++x) full = full && canvas.At(x, y) == kRed;
        if (!full) continue;
        EXPECT_EQ(canvas.At(2, y), kWhite);
        EXPECT_EQ(canvas.At(3 + size.cx, y), kWhite);
        (y >= 2 + metrics.tmAscent ? below : above) += 1;
    }
    EXPECT_GE(above, 1);
    EXPECT_GE(below, 1);
}

TEST_F(TextTest, SmoothedEdgesBlendWithWhatLiesBeneath) {
    Screen().font_smoothing = true;
    Canvas canvas(120, 40, kGreen);
    ScopedFont font(canvas.dc(), "Times New Roman", -24);
    SetTextColor(canvas.dc(), kRed);
    SetBkMode(canvas.dc(), TRANSPARENT);
    ASSERT_TRUE(TextOutA(canvas.dc(), 2, 2, "Sw", 2));
    int blended = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const COLORREF c = canvas.At(x, y);
            if (c == kRed || c == kGreen) continue;
            // A mix of the two: red rises as green falls, blue stays 0.
            ASSERT_EQ(GetBValue(c), 0);
            ASSERT_GT(GetRValue(c), 0);
            ASSERT_LT(GetGValue(c), 160);
            ++blended;
        }
    EXPECT_GT(blended, 10);
}

TEST_F(TextTest, MonochromeTargetTakesTheMonoValueOfTheTextColour) {
    Canvas mono(60, 20, kWhite, /*mono=*/true);
    SetTextColor(mono.dc(), RGB(40, 40, 40));
    SetBkMode(mono.dc(), TRANSPARENT);
    ASSERT_TRUE(TextOutA(mono.dc(), 0, 0, "Mono", 4));  // the DC's default font
    const int black = mono.Count(RGB(0, 0, 0));
    EXPECT_EQ(black + mono.Count(kWhite), 60 * 20) << "a mono bitmap holds only black and white";
    EXPECT_GT(black, 10);
}

TEST_F(TextTest, InvalidArgumentsFailSafely) {
    Canvas canvas(10, 10, kWhite);
    SIZE size;
    RECT rect{0, 0, 10, 10};
    EXPECT_FALSE(TextOutA(0, 0, 0, "x", 1));
    EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, nullptr, 3));
    EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, "x", -1));
    EXPECT_TRUE(TextOutA(canvas.dc(), -1000, -1000, "far away", 8));
    EXPECT_FALSE(GetTextExtentPoint32A(12345, "x", 1, &size));
    EXPECT_EQ(DrawTextA(canvas.dc(), "x", 1, nullptr, 0), 0);
    EXPECT_EQ(DrawTextA(0, "x", 1, &rect, 0), 0);
    EXPECT_EQ(canvas.Count(kWhite), 100);
}

// Text is Windows-1252: each byte draws the glyph of its own character. A byte drawn as the
// code point of the same value (the 0x80..0x9F range read as Latin-1) falls on a character the
// face lacks and draws the same missing-glyph box as the five bytes 1252 leaves undefined.
TEST_F(TextTest, Windows1252BytesDrawTheirOwnCharacters) {
    const auto draw = [](const std::string& text) {
        Canvas canvas(40, 30, kWhite);
        ScopedFont font(canvas.dc(), "Arial", -20);
        SetTextColor(canvas.dc(), kRed);
        SetBkMode(canvas.dc(), TRANSPARENT);
        TextOutA(canvas.dc(), 2, 2, text.data(), static_cast<int>(text.size()));
        return canvas.Art(kRed);
    };
    const std::string missing = draw("\x81");
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D || byte == 0xA0 ||
            byte == 0xAD)
            continue;  // undefined, or drawn without ink (no-break space, soft hyphen)
        EXPECT_NE(draw(std::string(1, static_cast<char>(byte))), missing) << "byte " << byte;
    }
    EXPECT_EQ(draw("\x8D"), missing);
    // An accented letter is its own glyph, not its base letter, and one character wide.
    EXPECT_NE(draw("\xE9"), draw("e"));
    Canvas canvas(10, 10);
    ScopedFont font(canvas.dc(), "Arial", -20);
    EXPECT_EQ(Extent(canvas.dc(), "caf\xE9").cx, Extent(canvas.dc(), "cafe").cx);
}

}  // namespace
}  // namespace ov::gdi
