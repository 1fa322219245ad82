// The panel's painters on plain device contexts: the colour shift, the classic border colours,
// the shaded frames and bevel rings pixel by pixel (against a literal transcription of their
// loops on panels so small that rings overlap), caption placement and styles, and the picture
// routines. Every test checks that the painters leave no graphics object behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "panel/border_painter.h"
#include "panel/caption_painter.h"
#include "panel/panel_enums.h"
#include "panel/picture_painter.h"
#include "panel/rect_parts.h"
#include "panel/shaded_border_painter.h"
#include "panel/shift_colour.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "support/canvas.h"
#include "support/error_number.h"

namespace ov::panel {
namespace {

using gdi::COLORREF;
using gdi::RGB;
using testing_support::Canvas;
using testing_support::ErrorNumberOf;

class PanelPainters : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::Screen() = gdi::ScreenSettings{};
        gdi::ResetSysColors();
        before_ = gdi::CountLiveObjects();
    }
    void TearDown() override { EXPECT_EQ(gdi::CountLiveObjects(), before_) << "graphics objects leaked"; }

    gdi::LiveObjects before_;
};

// --- ShiftColor and the classic colours ----------------------------------------------------

TEST_F(PanelPainters, ShiftColorSplitsClampsAndTranslates) {
    gdi::SetSysColorEntry(15, RGB(10, 20, 30));
    const struct {
        std::uint32_t colour;
        std::int64_t delta;
        std::int32_t expected;
    } cases[] = {
        {RGB(100, 150, 200), 60, RGB(160, 210, 255)},
        {RGB(100, 150, 200), -120, RGB(0, 30, 80)},
        {0x8000000Fu, 0, RGB(10, 20, 30)},                    // system colour at use time
        {0x80000063u, 5, RGB(5, 5, 5)},                       // unknown index: black
        {0xFFFFFFFFu, 96, RGB(96, 96, 96)},                   // a pixel read outside the area
        {0x7F000000u, 0, RGB(0, 0, 255)},                     // blue takes every bit above bit 15
        {0x00010203u, INT64_C(1) << 40, RGB(255, 255, 255)},  // saturates, never overflows
        {0x00010203u, -(INT64_C(1) << 40), RGB(0, 0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftColor(c.colour, c.delta), c.expected) << std::hex << c.colour << " " << std::dec << c.delta;
}

TEST_F(PanelPainters, ClassicColoursComeFromTheSystemOrFromBorderColor) {
    const BorderColours system = ComputeBorderColours(gpsStandard, RGB(255, 0, 0));
    EXPECT_EQ(system.shadow, static_cast<std::int32_t>(gdi::GetSysColor(16)));
    EXPECT_EQ(system.dark_shadow, static_cast<std::int32_t>(gdi::GetSysColor(21)));
    EXPECT_EQ(system.light, static_cast<std::int32_t>(gdi::GetSysColor(22)));
    EXPECT_EQ(system.highlight, static_cast<std::int32_t>(gdi::GetSysColor(20)));
    const BorderColours out_of_range = ComputeBorderColours(7, RGB(255, 0, 0));
    EXPECT_EQ(out_of_range.shadow, system.shadow);

    for (std::int32_t style : {gpsGradient, gpsPicture, gpsTransparent}) {
        const BorderColours red = ComputeBorderColours(style, RGB(255, 0, 0));
        EXPECT_EQ(red.shadow, RGB(175, 0, 0));
        EXPECT_EQ(red.dark_shadow, RGB(95, 0, 0));
        EXPECT_EQ(red.light, RGB(255, 48, 48));
        EXPECT_EQ(red.highlight, RGB(255, 96, 96));
    }
    const BorderColours white = ComputeBorderColours(gpsGradient, RGB(255, 255, 255));
    EXPECT_EQ(white.shadow, RGB(175, 175, 175));
    EXPECT_EQ(white.dark_shadow, RGB(95, 95, 95));
    EXPECT_EQ(white.light, RGB(255, 255, 255));
    EXPECT_EQ(white.highlight, RGB(255, 255, 255));
}

// --- shaded frames and bevel ---------------------------------------------------------------

// The frames' loops as written, one GetPixel/ShiftColor/SetPixelV per listed pixel: what the
// run-based programs must reproduce exactly.
void Shift(gdi::HDC dc, int x, int y, std::int64_t delta) {
    gdi::SetPixelV(dc, x, y, static_cast<COLORREF>(ShiftColor(gdi::GetPixel(dc, x, y), delta)));
}

void LiteralFlat(gdi::HDC dc, int w, int h, int o, bool inset) {
    const std::int64_t a = inset ? -160 : 96, b = inset ? 96 : -160;
    for (int x = o; x <= w - o - 1; ++x) Shift(dc, x, o, a), Shift(dc, x, h - o - 1, b);
    for (int y = o + 1; y <= h - o - 2; ++y) Shift(dc, o, y, a), Shift(dc, w - o - 1, y, b);
}

void Literal3D(gdi::HDC dc, int w, int h, int o, bool inset) {
    const std::int64_t a = inset ? -160 : 96, b = inset ? 96 : -160, c = inset ? -80 : 48, d = inset ? 48 : -80;
    for (int x = o; x <= w - o - 1; ++x) Shift(dc, x, o, a), Shift(dc, x, h - o - 1, b);
    for (int x = o + 1; x <= w - o - 2; ++x) Shift(dc, x, o + 1, c), Shift(dc, x, h - o - 2, d);
    for (int y = o + 1; y <= h - o - 2; ++y) Shift(dc, o, y, a), Shift(dc, w - o - 1, y, b);
    for (int y = o + 2; y <= h - o - 3; ++y) Shift(dc, o + 1, y, c), Shift(dc, w - o - 2, y, d);
}

void LiteralEtched(gdi::HDC dc, int w, int h, int o) {
    for (int x = o; x <= w - o - 1; ++x) Shift(dc, x, o, x == w - o - 1 ? 96 : -160), Shift(dc, x, h - o - 1, 96);
    for (int x = o + 1; x <= w - o - 2; ++x)
        Shift(dc, x, o + 1, x == w - o - 2 ? -160 : 96), Shift(dc, x, h - o - 2, -160);
    for (int y = o + 1; y <= h - o - 2; ++y) Shift(dc, o, y, -160), Shift(dc, w - o - 1, y, 96);
    for (int y = o + 2; y <= h - o - 3; ++y) Shift(dc, o + 1, y, 96), Shift(dc, w - o - 2, y, -160);
}

void LiteralBevel(gdi::HDC dc, int w, int h, int o, std::int32_t width, std::int32_t intensity, bool inset) {
    const std::int64_t sign = inset ? -1 : 1;
    std::int64_t d = intensity;
    for (std::int64_t i = width; i >= 0; --i) {
        const int r = static_cast<int>(i);
        for (int x = o + r; x <= w - r - o - 1; ++x)
            Shift(dc, x, o + r, sign * d), Shift(dc, x, h - r - o - 1, -sign * d);
        for (int y = o + r + 1; y <= h - r - o - 2; ++y)
            Shift(dc, o + r, y, sign * d), Shift(dc, w - r - o - 1, y, -sign * d);
        d += intensity;
    }
}

void FillRandom(Canvas& canvas, std::mt19937& random) {
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) gdi::SetPixelV(canvas.dc(), x, y, random() & 0xFFFFFF);
}

std::vector<COLORREF> Pixels(const Canvas& canvas) {
    std::vector<COLORREF> out;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) out.push_back(canvas.At(x, y));
    return out;
}

struct FrameCase {
    const char* name;
    std::function<ShiftProgram(int w, int h)> program;
    std::function<void(gdi::HDC, int w, int h)> literal;
};

std::vector<FrameCase> FrameCases() {
    return {
        {"flat raised", [](int w, int h) { return ShadedFlatFrame(w, h, 0, false); },
         [](gdi::HDC dc, int w, int h) { LiteralFlat(dc, w, h, 0, false); }},
        {"flat inset", [](int w, int h) { return ShadedFlatFrame(w, h, 0, true); },
         [](gdi::HDC dc, int w, int h) { LiteralFlat(dc, w, h, 0, true); }},
        {"3-D raised", [](int w, int h) { return Shaded3DFrame(w, h, 0, false); },
         [](gdi::HDC dc, int w, int h) { Literal3D(dc, w, h, 0, false); }},
        {"3-D inset", [](int w, int h) { return Shaded3DFrame(w, h, 0, true); },
         [](gdi::HDC dc, int w, int h) { Literal3D(dc, w, h, 0, true); }},
        {"etched", [](int w, int h) { return ShadedEtchedFrame(w, h, 0); },
         [](gdi::HDC dc, int w, int h) { LiteralEtched(dc, w, h, 0); }},
        {"etched offset 1", [](int w, int h) { return ShadedEtchedFrame(w, h, 1); },
         [](gdi::HDC dc, int w, int h) { LiteralEtched(dc, w, h, 1); }},
        {"bevel 3 x 20", [](int w, int h) { return BevelRings(w, h, 0, 3, 20, false); },
         [](gdi::HDC dc, int w, int h) { LiteralBevel(dc, w, h, 0, 3, 20, false); }},
        {"bevel inset 2 x 70", [](int w, int h) { return BevelRings(w, h, 0, 2, 70, true); },
         [](gdi::HDC dc, int w, int h) { LiteralBevel(dc, w, h, 0, 2, 70, true); }},
        {"bevel 0 x -35", [](int w, int h) { return BevelRings(w, h, 0, 0, -35, false); },
         [](gdi::HDC dc, int w, int h) { LiteralBevel(dc, w, h, 0, 0, -35, false); }},
        // Far more rings than the panel has pixels: only the ones that touch it are listed.
        {"bevel 100000 x 3", [](int w, int h) { return BevelRings(w, h, 0, 100000, 3, false); },
         [](gdi::HDC dc, int w, int h) { LiteralBevel(dc, w, h, 0, 100000, 3, false); }},
        {"bevel offset 2", [](int w, int h) { return BevelRings(w, h, 2, 4, 25, false); },
         [](gdi::HDC dc, int w, int h) { LiteralBevel(dc, w, h, 2, 4, 25, false); }},
    };
}

// Panels 1 to 3 pixels in one direction overlap their own rings: a pixel listed twice is
// shifted twice, in the listed order (each shift clamps, so the order shows). Clipped to a
// rectangle, a program changes exactly the pixels inside it, and those as unclipped.
TEST_F(PanelPainters, ShadedFramesMatchTheirLoopsOnOverlappingAndNormalSizes) {
    std::mt19937 random(20240613);
    const int sizes[][2] = {{1, 1}, {1, 5}, {5, 1}, {2, 2}, {2, 7}, {7, 2}, {3, 3}, {3, 9}, {9, 3}, {4, 6}, {12, 10}};
    for (const FrameCase& frame : FrameCases())
        for (const auto& size : sizes) {
            const int w = size[0], h = size[1];
            Canvas expected(w, h), actual(w, h), stepwise(w, h), clipped(w, h);
            FillRandom(expected, random);
            for (Canvas* copy : {&actual, &stepwise, &clipped})
                gdi::BitBlt(copy->dc(), 0, 0, w, h, expected.dc(), 0, 0, gdi::SRCCOPY);
            const std::vector<COLORREF> original = Pixels(expected);
            frame.literal(expected.dc(), w, h);
            const ShiftProgram program = frame.program(w, h);
            RunShifts(actual.dc(), program);
            RunShiftsPixelByPixel(stepwise.dc(), program);
            const gdi::RECT clip{1, 0, w, h - 1};
            RunShifts(clipped.dc(), program, &clip);
            ASSERT_EQ(Pixels(actual), Pixels(expected)) << frame.name << " on " << w << " x " << h;
            ASSERT_EQ(Pixels(stepwise), Pixels(expected)) << frame.name << " on " << w << " x " << h;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool inside = x >= clip.left && y < clip.bottom;
                    ASSERT_EQ(clipped.At(x, y), inside ? expected.At(x, y) : original[y * w + x])
                        << frame.name << " clipped, on " << w << " x " << h << " at " << x << "," << y;
                }
        }
}

TEST_F(PanelPainters, ShadedFramesOnUniformBackgrounds) {
    const COLORREF grey = RGB(128, 128, 128), white = RGB(255, 255, 255);
    struct Probe {
        int x, y;
        COLORREF expected;
    };
    const struct {
        const char* name;
        COLORREF background;
        ShiftProgram program;
        std::vector<Probe> probes;
    } cases[] = {
        {"3-D raised on grey",
         grey,
         Shaded3DFrame(10, 8, 0, false),
         {{0, 0, RGB(224, 224, 224)},
          {4, 0, RGB(224, 224, 224)},
          {0, 4, RGB(224, 224, 224)},
          {1, 1, RGB(176, 176, 176)},
          {4, 1, RGB(176, 176, 176)},
          {1, 4, RGB(176, 176, 176)},
          {9, 4, RGB(0, 0, 0)},
          {4, 7, RGB(0, 0, 0)},
          {9, 7, RGB(0, 0, 0)},
          {8, 4, RGB(48, 48, 48)},
          {4, 6, RGB(48, 48, 48)},
          {4, 4, grey}}},
        {"3-D inset on grey",
         grey,
         Shaded3DFrame(10, 8, 0, true),
         {{0, 0, RGB(0, 0, 0)}, {1, 1, RGB(48, 48, 48)}, {9, 7, RGB(224, 224, 224)}, {8, 6, RGB(176, 176, 176)}}},
        {"flat raised on white",
         white,
         ShadedFlatFrame(10, 8, 0, false),
         {{0, 0, white},
          {5, 0, white},
          {0, 5, white},
          {9, 3, RGB(95, 95, 95)},
          {3, 7, RGB(95, 95, 95)},
          {9, 7, RGB(95, 95, 95)},
          {1, 1, white}}},
        // The top-right pixel of each etched ring takes the right edge's shift.
        {"etched on grey",
         grey,
         ShadedEtchedFrame(10, 8, 0),
         {{0, 0, RGB(0, 0, 0)},
          {8, 0, RGB(0, 0, 0)},
          {9, 0, RGB(224, 224, 224)},
          {0, 3, RGB(0, 0, 0)},
          {1, 1, RGB(224, 224, 224)},
          {7, 1, RGB(224, 224, 224)},
          {8, 1, RGB(0, 0, 0)},
          {9, 3, RGB(224, 224, 224)},
          {4, 7, RGB(224, 224, 224)},
          {4, 6, RGB(0, 0, 0)},
          {8, 3, RGB(0, 0, 0)}}},
        // The default bevel: rings 3, 2, 1, 0 shifted by 20, 40, 60, 80.
        {"default bevel on grey",
         grey,
         BevelRings(12, 12, 0, 3, 20, false),
         {{5, 0, RGB(208, 208, 208)},
          {5, 1, RGB(188, 188, 188)},
          {5, 2, RGB(168, 168, 168)},
          {5, 3, RGB(148, 148, 148)},
          {5, 4, grey},
          {0, 5, RGB(208, 208, 208)},
          {5, 11, RGB(48, 48, 48)},
          {5, 8, RGB(108, 108, 108)},
          {11, 5, RGB(48, 48, 48)},
          {11, 0, RGB(208, 208, 208)}}},
        // A negative intensity turns a raised bevel into an inset-looking one.
        {"bevel with intensity -20",
         grey,
         BevelRings(12, 12, 0, 3, -20, false),
         {{5, 0, RGB(48, 48, 48)}, {5, 3, RGB(108, 108, 108)}, {5, 11, RGB(208, 208, 208)}}},
        {"negative bevel width draws nothing",
         grey,
         BevelRings(12, 12, 0, -4, 20, false),
         {{0, 0, grey}, {5, 11, grey}}},
        // One pixel high: each pixel is in the top and the bottom row, +96 then -160.
        {"flat raised 1 pixel high",
         grey,
         ShadedFlatFrame(6, 1, 0, false),
         {{0, 0, RGB(64, 64, 64)}, {5, 0, RGB(64, 64, 64)}}},
        {"flat raised 1 pixel high on white", white, ShadedFlatFrame(6, 1, 0, false), {{3, 0, RGB(95, 95, 95)}}},
        // One pixel wide: the rows are shifted as listed and so are both column loops, which
        // land on the same column: +96 then -160 again.
        {"flat raised 1 pixel wide",
         grey,
         ShadedFlatFrame(1, 6, 0, false),
         {{0, 0, RGB(224, 224, 224)}, {0, 3, RGB(64, 64, 64)}, {0, 5, RGB(0, 0, 0)}}},
    };
    for (const auto& c : cases) {
        Canvas canvas(12, 12, c.background);
        RunShifts(canvas.dc(), c.program);
        for (const Probe& p : c.probes)
            EXPECT_EQ(canvas.At(p.x, p.y), p.expected) << c.name << " at " << p.x << "," << p.y;
    }
}

TEST_F(PanelPainters, BevelOfAbsurdWidthAndIntensityFinishesAndSaturates) {
    Canvas canvas(40, 30, RGB(128, 128, 128));
    RunShifts(canvas.dc(), BevelRings(40, 30, 0, INT32_MAX, INT32_MAX, false));
    // Every ring saturates: rows top/left go white first, then a later overlapping ring takes
    // the bottom/right pixels to black; no pixel keeps the background.
    EXPECT_EQ(canvas.Count(RGB(128, 128, 128)), 0);
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(39, 29), RGB(0, 0, 0));
    RunShifts(canvas.dc(), BevelRings(40, 30, 0, INT32_MAX, INT32_MIN, true));
    EXPECT_EQ(canvas.Count(RGB(128, 128, 128)), 0);
}

// --- classic frames through the drawing area -----------------------------------------------

TEST_F(PanelPainters, ClassicFramesDrawTheirRingsInOrder) {
    const BorderColours c{RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0)};
    const std::int32_t back = RGB(200, 200, 200);
    struct Probe {
        int x, y;
        std::int32_t expected;
    };
    const struct {
        std::int32_t appearance;
        std::vector<Probe> probes;
    } cases[] = {
        {gpaFlatRaised,
         {{0, 0, c.highlight},
          {5, 0, c.highlight},
          {0, 5, c.highlight},
          {9, 0, c.highlight},
          {9, 5, c.dark_shadow},
          {5, 7, c.dark_shadow},
          {0, 7, c.highlight},
          {1, 1, back}}},
        {gpaFlatInset, {{5, 0, c.dark_shadow}, {9, 5, c.highlight}, {5, 7, c.highlight}}},
        {gpa3DRaised,
         {{5, 0, c.highlight},
          {0, 5, c.highlight},
          {5, 1, c.light},
          {1, 5, c.light},
          {9, 5, c.dark_shadow},
          {5, 7, c.dark_shadow},
          {8, 5, c.shadow},
          {5, 6, c.shadow},
          {8, 1, c.light},
          {2, 2, back}}},
        {gpa3DInset, {{5, 0, c.dark_shadow}, {5, 1, c.shadow}, {9, 5, c.light}, {8, 5, c.highlight}}},
        // Dark shadow on the outer top and left and the inner bottom and right, highlight on
        // the inner top and left and the outer bottom and right.
        {gpaEtched,
         {{5, 0, c.dark_shadow},
          {0, 5, c.dark_shadow},
          {5, 1, c.highlight},
          {1, 5, c.highlight},
          {5, 6, c.dark_shadow},
          {8, 5, c.dark_shadow},
          {5, 7, c.highlight},
          {9, 5, c.highlight},
          {9, 0, c.highlight},
          {2, 2, back}}},
        {42, {{5, 0, c.dark_shadow}, {5, 7, c.highlight}}},  // out of range: etched
    };
    for (const auto& k : cases) {
        PictureBox area(0, 0, 0, 150, 120);  // 10 x 8 pixels in twips
        area.SetBorderStyle(0);
        area.SetAutoRedraw(true);
        area.SetBackColor(static_cast<OleColor>(back));
        const FrameGeometry geometry{15, 15, area.ScaleWidth(), area.ScaleHeight()};
        DrawBorder(area, geometry, BorderSettings{k.appearance, true, 3, 20, c});
        for (const Probe& p : k.probes)
            EXPECT_EQ(static_cast<std::int32_t>(gdi::GetPixel(area.hDC(), p.x, p.y)), p.expected)
                << "appearance " << k.appearance << " at " << p.x << "," << p.y;
    }
}

// A 2-pixel panel still issues every operation; what lands is the drawing area's business,
// and nothing is drawn outside it.
TEST_F(PanelPainters, ClassicFramesOnTinyPanelsStayInside) {
    for (std::int32_t appearance = gpaFlatRaised; appearance <= gpaEtched; ++appearance) {
        PictureBox area(0, 0, 0, 30, 30);
        area.SetBorderStyle(0);
        area.SetAutoRedraw(true);
        area.SetBackColor(RGB(200, 200, 200));
        const BorderColours c{RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0)};
        DrawBorder(area, FrameGeometry{15, 15, area.ScaleWidth(), area.ScaleHeight()},
                   BorderSettings{appearance, true, 3, 20, c});
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) EXPECT_NE(gdi::GetPixel(area.hDC(), x, y), RGB(200, 200, 200)) << appearance;
    }
}

// What BorderBands promises before a frame is drawn is what the panel saves from under it:
// every pixel any frame changes, classic or shaded, on tiny and normal areas, lies inside.
TEST_F(PanelPainters, FramesChangeNothingOutsideTheirBands) {
    std::mt19937 random(20261207);
    const BorderColours c{RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0)};
    const int sizes[][2] = {{2, 2}, {3, 9}, {12, 10}, {40, 30}};
    for (bool classic : {false, true})
        for (std::int32_t appearance = gpaNone; appearance <= gpaBevelInset + 1; ++appearance)
            for (std::int32_t bevel : {0, 3, 12, 50})
                for (const auto& size : sizes) {
                    const int w = size[0], h = size[1];
                    PictureBox area(0, 0, 0, w * 15.0, h * 15.0);
                    area.SetBorderStyle(0);
                    area.SetAutoRedraw(true);
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) gdi::SetPixelV(area.hDC(), x, y, random() & 0xFFFFFF);
                    std::vector<COLORREF> before;
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) before.push_back(gdi::GetPixel(area.hDC(), x, y));
                    const BorderSettings settings{appearance, classic, bevel, 20, c};
                    const std::vector<gdi::RECT> bands = BorderBands(area, settings);
                    DrawBorder(area, FrameGeometry{15, 15, area.ScaleWidth(), area.ScaleHeight()}, settings);
                    int changed = 0;
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) {
                            if (gdi::GetPixel(area.hDC(), x, y) == before[y * w + x]) continue;
                            ++changed;
                            const bool inside = std::any_of(bands.begin(), bands.end(), [&](const gdi::RECT& r) {
                                return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                            });
                            ASSERT_TRUE(inside)
                                << "appearance " << appearance << (classic ? " classic" : "") << " bevel " << bevel
                                << " on " << w << " x " << h << " at " << x << "," << y;
                        }
                    if (appearance != gpaNone) {
                        EXPECT_GT(changed, 0) << appearance << " drew nothing";
                    }
                }
}

// The pieces of a rectangle outside a set of held ones cover exactly the pixels not yet held,
// each once, checked pixel by pixel on a small grid after every addition.
TEST_F(PanelPainters, RectPartsGiveEachMissingPixelOnce) {
    constexpr int kGrid = 16;
    const gdi::RECT additions[] = {
        {2, 2, 8, 6}, {4, 4, 12, 10}, {0, 0, 16, 1}, {6, 3, 7, 14},   {-5, -5, 3, 3},
        {5, 5, 5, 9}, {9, 1, 3, 4},   {2, 2, 8, 6},  {10, 8, 16, 16}, {0, 0, 16, 16},
    };
    RectParts parts;
    std::vector<int> held(kGrid * kGrid, 0);
    for (const gdi::RECT& add : additions) {
        const std::vector<gdi::RECT> pieces = parts.Outside(add);
        std::vector<int> covered(kGrid * kGrid, 0);
        for (const gdi::RECT& p : pieces) {
            ASSERT_TRUE(p.left < p.right && p.top < p.bottom) << "empty piece";
            for (int y = p.top; y < p.bottom; ++y)
                for (int x = p.left; x < p.right; ++x)
                    if (x >= 0 && y >= 0 && x < kGrid && y < kGrid) ++covered[y * kGrid + x];
        }
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const bool in_add = x >= add.left && x < add.right && y >= add.top && y < add.bottom;
                ASSERT_EQ(covered[y * kGrid + x], in_add && !held[y * kGrid + x] ? 1 : 0)
                    << "adding " << add.left << "," << add.top << "," << add.right << "," << add.bottom << " at " << x
                    << "," << y;
            }
        parts.AddOutside(pieces);
        for (int i = 0; i < kGrid * kGrid; ++i) held[i] |= covered[i];
    }
    EXPECT_TRUE(parts.Outside(gdi::RECT{0, 0, kGrid, kGrid}).empty());
}

// --- caption -------------------------------------------------------------------------------

TEST_F(PanelPainters, CaptionPlacement) {
    const struct {
        std::int32_t alignment, cushion;
        double width, height;
        int text_width, text_height, left, top;
    } cases[] = {
        {gpaLeftTop, 3, 100, 40, 20, 16, 3, 3},
        // Right and bottom keep cushion + 1 pixels free: 4 between text and edge.
        {gpaRightBottom, 3, 100, 40, 20, 16, 76, 20},
        {gpaLeftMiddle, 3, 100, 31, 20, 16, 3, 8},  // (31 - 16) / 2 = 7.5, to even
        {gpaLeftMiddle, 3, 100, 33, 20, 16, 3, 8},  // 8.5, to even
        {gpaRightTop, 0, 100, 40, 21, 16, 78, 0},
        {gpaRightMiddle, 2, 100.5, 40, 20, 16, 78, 12},  // 100.5 - 20 - 3 = 77.5, to even
        {gpaCenterTop, 5, 101, 40, 20, 16, 40, 5},       // 40.5, to even
        {gpaCenterMiddle, 3, 100, 40, 20, 16, 40, 12},
        {gpaCenterBottom, 3, 100, 40, 20, 16, 40, 20},
        {gpaLeftBottom, 1, 100, 40, 20, 16, 1, 22},
        {12, 3, 100, 40, 20, 16, 40, 12},  // out of range: centred both ways
        {-1, 3, 100, 40, 20, 16, 40, 12},
        {gpaRightBottom, 3, 10, 8, 20, 16, -14, -12},  // wider than the panel: negative
        // A cushion near 2^31 puts the caption far off the panel, its edges held within the
        // drawing layer's coordinates rather than overflowing.
        {gpaLeftTop, 2147483647, 100, 40, 20, 16, 1'000'000'000, 1'000'000'000},
        {gpaRightBottom, 2147483647, 100, 40, 20, 16, -1'000'000'000, -1'000'000'000},
        {gpaLeftBottom, 2147483646, 100, 40, 20, 16, 1'000'000'000, -1'000'000'000},
    };
    for (const auto& c : cases) {
        const gdi::RECT r =
            PlaceCaption(CaptionLayout{c.alignment, 0, c.cushion, c.width, c.height, {}}, c.text_width, c.text_height);
        EXPECT_EQ(r.left, c.left) << "alignment " << c.alignment;
        EXPECT_EQ(r.top, c.top) << "alignment " << c.alignment;
        EXPECT_EQ(r.right - r.left, c.text_width);
        EXPECT_EQ(r.bottom - r.top, c.text_height);
    }
}

// Each style's extra passes: the text drawn plain gives the glyph's pixels G; a style then
// shows its copies offset by one pixel in their colours, with the text itself on top.
TEST_F(PanelPainters, CaptionStylesDrawTheirCopiesUnderTheText) {
    gdi::Screen().font_smoothing = false;
    const COLORREF back = RGB(0, 128, 0), text = RGB(100, 0, 0), lighter = RGB(160, 60, 60), white = RGB(255, 255, 255);
    struct Copy {
        int offset;
        COLORREF colour;
    };
    const struct {
        std::int32_t style;
        std::vector<Copy> copies;  // drawn in this order, before the text
    } cases[] = {
        {gpcStandard, {}},
        {gpcInsetLight, {{+1, white}}},
        {gpcInsetHeavy, {{-1, lighter}, {+1, white}}},
        {gpcRaisedLight, {{-1, white}}},
        {gpcRaisedHeavy, {{-1, white}, {+1, lighter}}},
        {gpcDropShadow, {{+1, lighter}}},
        {9, {}},
    };
    auto draw = [&](std::int32_t style) {
        auto area = std::make_unique<PictureBox>(0, 0, 0, 900, 450);  // 60 x 30 pixels
        area->SetBorderStyle(0);
        area->SetAutoRedraw(true);
        area->SetBackColor(back);
        area->SetForeColor(text);
        area->SetFont(StdFont::Create(FontDesc{"Arial", 12, true}));
        gdi::RECT client{0, 0, 60, 30};
        DrawCaption("Hi", *area, CaptionLayout{gpaCenterMiddle, style, 3, 60, 30, client});
        EXPECT_EQ(area->ForeColor(), text) << "ForeColor restored after style " << style;
        return area;
    };
    const auto plain = draw(gpcStandard);
    auto glyph = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < 60 && y < 30 && gdi::GetPixel(plain->hDC(), x, y) == text;
    };
    int glyph_pixels = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) glyph_pixels += glyph(x, y);
    ASSERT_GT(glyph_pixels, 20);
    for (const auto& c : cases) {
        const auto styled = draw(c.style);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x) {
                COLORREF expected = back;
                for (const Copy& copy : c.copies)
                    if (glyph(x - copy.offset, y - copy.offset)) expected = copy.colour;
                if (glyph(x, y)) expected = text;
                ASSERT_EQ(gdi::GetPixel(styled->hDC(), x, y), expected)
                    << "style " << c.style << " at " << x << "," << y;
            }
    }
}

// --- picture routines ----------------------------------------------------------------------

// A picture of 0x00RRGGBB words, `rows` of equal length, each character naming a colour.
std::shared_ptr<Picture> PictureOf(const std::vector<std::string>& rows) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    std::vector<std::uint32_t> pixels;
    for (const std::string& row : rows)
        for (char c : row) pixels.push_back(c == 'r' ? 0xFF0000 : c == 'g' ? 0x00FF00 : c == 'b' ? 0x0000FF : 0xFFFFFF);
    return Picture::FromPixels(w, h, pixels.data());
}

// A 4 x 4 icon: red left half opaque, right half transparent.
std::shared_ptr<Picture> HalfIcon() {
    std::vector<std::uint32_t> argb(16);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) argb[y * 4 + x] = x < 2 ? 0xFFFF0000u : 0x00000000u;
    return Picture::FromIcon(gdi::CreateIconFromArgb(4, 4, argb.data()));
}

TEST_F(PanelPainters, TransparentPictureLeavesTheKeyColourOut) {
    const auto picture = PictureOf({"rwg", "wbw"});  // white is the transparent colour
    Canvas canvas(5, 4, RGB(1, 2, 3));
    PaintTransparentStdPicture(canvas.dc(), 1, 1, 3, 2, picture.get(), 0, 0, RGB(255, 255, 255), 0);
    EXPECT_EQ(canvas.Art(RGB(1, 2, 3)), "#####\n#.#.#\n##.##\n#####\n");
    EXPECT_EQ(canvas.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(3, 1), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 255));
    // A system colour as the key is translated first.
    gdi::SetSysColorEntry(15, RGB(255, 0, 0));
    Canvas second(3, 2, RGB(1, 2, 3));
    PaintTransparentStdPicture(second.dc(), 0, 0, 3, 2, picture.get(), 0, 0, 0x8000000Fu, 0);
    EXPECT_EQ(second.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(second.At(1, 0), RGB(255, 255, 255));
}

TEST_F(PanelPainters, StretchedPictureCoversTheRectangle) {
    const auto picture = PictureOf({"rg", "bw"});
    Canvas canvas(6, 4, RGB(1, 2, 3));
    PaintStdPicture(canvas.dc(), 1, 0, 4, 4, picture.get(), 0, 0, 2, 2, RGB(9, 9, 9), 0);
    EXPECT_EQ(canvas.At(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(2, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(3, 0), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(1, 3), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(4, 3), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(5, 3), RGB(1, 2, 3));
}

TEST_F(PanelPainters, IconsStretchOverTheBackgroundOrStayTransparent) {
    const auto icon = HalfIcon();
    // Stretched: the icon on the background colour, no transparency.
    Canvas stretched(8, 8, RGB(1, 2, 3));
    PaintStdPicture(stretched.dc(), 0, 0, 8, 8, icon.get(), 0, 0, 4, 4, RGB(0, 0, 200), 0);
    EXPECT_EQ(stretched.At(1, 5), RGB(255, 0, 0));
    EXPECT_EQ(stretched.At(6, 5), RGB(0, 0, 200));
    // Natural size with a key colour: the icon's transparent half shows the destination.
    Canvas natural(6, 6, RGB(1, 2, 3));
    PaintTransparentStdPicture(natural.dc(), 1, 1, 4, 4, icon.get(), 0, 0, RGB(0, 0, 200), 0);
    EXPECT_EQ(natural.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(natural.At(2, 4), RGB(255, 0, 0));
    EXPECT_EQ(natural.At(3, 1), RGB(1, 2, 3));
    EXPECT_EQ(natural.At(4, 4), RGB(1, 2, 3));
}

// A stretched icon comes out as the icon drawn at its natural size over the background on a
// bitmap reaching the source rectangle's far edges, stretched from there onto the destination:
// whatever the stretch (shrinking, enlarging, part of the icon or more than all of it, mirrored,
// partly off the destination), the stretch mode, the destination's format and the palette.
TEST_F(PanelPainters, StretchedIconsMatchAStretchOfTheWholeCanvas) {
    constexpr int kIconW = 97, kIconH = 71, kBigW = 260, kBigH = 190, kW = 24, kH = 18;
    const COLORREF background = RGB(0, 0, 200);
    std::mt19937 random(5);
    // Opaque, transparent and partly transparent pixels, so the background shows and blends.
    // Shrinking combines many pixels, which for random colours would come out black (AND) or
    // white (OR) whatever was combined; the large icon is one grey instead with a rare pixel
    // that differs (one bit flipped, transparent, partly transparent), so that every source
    // pixel a combination misses or adds shows.
    const auto random_icon = [&](int width, int height, bool sparse) {
        std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * height);
        for (std::uint32_t& p : argb) {
            if (sparse && random() % 1500 != 0) {
                p = 0xFF5A5A5Au;
                continue;
            }
            const std::uint32_t kind = random() % 4;
            const std::uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 0x80 + random() % 0x7F : 0xFF;
            const std::uint32_t colour = sparse ? 0x5A5A5Au ^ (1u << (random() % 24)) : random() & 0xFFFFFF;
            p = (alpha << 24) | colour;
        }
        return Picture::FromIcon(gdi::CreateIconFromArgb(width, height, argb.data()));
    };
    // The large icon shrinks so far that one destination pixel combines more of it than a
    // piece of the visible part's size holds.
    const auto small_icon = random_icon(kIconW, kIconH, false), big_icon = random_icon(kBigW, kBigH, true);
    const struct Stretch {
        const char* name;
        bool big;
        int x, y, width, height, src_x, src_y, src_width, src_height;
        bool draws;
    } stretches[] = {
        {"shrunk whole", false, 2, 1, 13, 9, 0, 0, kIconW, kIconH, true},
        {"shrunk to one pixel", false, 5, 5, 1, 1, 0, 0, kIconW, kIconH, true},
        {"enlarged part", false, 0, 0, kW, kH, 10, 20, 7, 5, true},
        {"enlarged, far larger than the destination", false, -100, -50, 300, 200, 0, 0, kIconW, kIconH, true},
        {"beyond the icon's edges", false, 1, 1, 20, 15, 40, 30, 90, 60, true},
        {"partly off the destination", false, -7, -5, 30, 25, 0, 0, kIconW, kIconH, true},
        {"mirrored both ways", false, 20, 15, -19, -13, 0, 0, kIconW, kIconH, true},
        {"mirrored across the left edge", false, 12, 0, -40, kH, 5, 5, 60, 50, true},
        {"enlarged across, shrunk down", false, 0, 2, kW, 6, 3, 0, 9, kIconH, true},
        {"source starting left of the icon", false, 0, 0, kW, kH, -10, -8, 60, 50, true},
        {"source mirrored", false, 0, 0, kW, kH, 90, 0, -80, kIconH, false},
        {"no width", false, 0, 0, 0, kH, 0, 0, kIconW, kIconH, false},
        {"wholly off the destination", false, kW, 0, 10, 10, 0, 0, kIconW, kIconH, false},
        {"large, shrunk to one pixel", true, 3, 3, 1, 1, 0, 0, kBigW, kBigH, true},
        {"large, shrunk to two pixels, mirrored", true, 9, 4, -2, 1, 0, 0, kBigW, kBigH, true},
        {"large, shrunk to a column partly off", true, 0, -1, 1, 3, 10, 0, 200, kBigH, true},
    };
    const gdi::HPALETTE given = gdi::CreateHalftonePalette(0);
    for (const Stretch& s : stretches)
        for (const int mode : {gdi::BLACKONWHITE, gdi::WHITEONBLACK, gdi::COLORONCOLOR, gdi::HALFTONE})
            for (const bool mono : {false, true})
                for (const gdi::HPALETTE palette : {gdi::HPALETTE{0}, given}) {
                    Canvas actual(kW, kH, 0, mono), expected(kW, kH, 0, mono);
                    FillRandom(expected, random);
                    for (int y = 0; y < kH; ++y)
                        for (int x = 0; x < kW; ++x) gdi::SetPixelV(actual.dc(), x, y, expected.At(x, y));
                    const std::vector<COLORREF> before = Pixels(expected);
                    gdi::SetStretchBltMode(actual.dc(), mode);
                    gdi::SetStretchBltMode(expected.dc(), mode);
                    const Picture& icon = s.big ? *big_icon : *small_icon;
                    PaintStdPicture(actual.dc(), s.x, s.y, s.width, s.height, &icon, s.src_x, s.src_y, s.src_width,
                                    s.src_height, background, palette);
                    const int canvas_w = s.src_x + s.src_width, canvas_h = s.src_y + s.src_height;
                    if (canvas_w > 0 && canvas_h > 0) {
                        Canvas whole(canvas_w, canvas_h, background);
                        gdi::DrawIcon(whole.dc(), 0, 0, icon.handle());
                        gdi::StretchBlt(expected.dc(), s.x, s.y, s.width, s.height, whole.dc(), s.src_x, s.src_y,
                                        s.src_width, s.src_height, gdi::SRCCOPY);
                    }
                    const std::string what = std::string(s.name) + ", mode " + std::to_string(mode) +
                                             (mono ? ", mono" : ", colour") + (palette ? ", palette given" : "");
                    // A black-and-white destination may hold what is drawn already.
                    if (!mono) {
                        EXPECT_EQ(Pixels(expected) != before, s.draws) << what;
                    }
                    for (int y = 0; y < kH; ++y)
                        for (int x = 0; x < kW; ++x)
                            ASSERT_EQ(actual.At(x, y), expected.At(x, y)) << what << ": pixel " << x << "," << y;
                }
    EXPECT_TRUE(gdi::DeleteObject(given)) << "the palette it was given is still the caller's";
}

// The bitmap an icon is stretched from reaches the source rectangle's far edges; where it could
// not be a bitmap (past the surface limits) nothing is drawn, at once, however large the
// rectangle and whatever the stretch mode.
TEST_F(PanelPainters, StretchedIconsFromPastTheLargestBitmapDrawNothing) {
    std::vector<std::uint32_t> argb(16, 0xFF112233u);
    const auto icon = Picture::FromIcon(gdi::CreateIconFromArgb(4, 4, argb.data()));
    const struct {
        int width, height, src_x, src_y, src_width, src_height;
    } sources[] = {
        {24, 18, 0, 0, 40000, 10},                                     // wider than a bitmap may be
        {24, 18, 0, 0, 10000, 10000},                                  // more pixels than a bitmap may have
        {1, 1, 0, 0, INT32_MAX, INT32_MAX},                            // shrunk into one pixel
        {24, 18, INT32_MAX - 3, 0, 3, 4},                              // far edge at the end of the coordinates
        {24, 18, INT32_MIN + 1, INT32_MIN + 1, INT32_MAX, INT32_MAX},  // far edge at 0: no bitmap
    };
    std::mt19937 random(9);
    for (const auto& c : sources)
        for (const int mode : {gdi::BLACKONWHITE, gdi::HALFTONE}) {
            Canvas canvas(24, 18);
            FillRandom(canvas, random);
            const std::vector<COLORREF> before = Pixels(canvas);
            gdi::SetStretchBltMode(canvas.dc(), mode);
            PaintStdPicture(canvas.dc(), 0, 0, c.width, c.height, icon.get(), c.src_x, c.src_y, c.src_width,
                            c.src_height, 0, 0);
            EXPECT_EQ(Pixels(canvas), before)
                << c.src_width << " x " << c.src_height << " from " << c.src_x << "," << c.src_y << ", mode " << mode;
        }
}

// Only the part of a transparent copy that lands on the destination is worked out; wherever
// the copy lies, partly off any edge or wholly outside, the destination ends as a copy onto a
// surface large enough for all of it would leave it.
TEST_F(PanelPainters, TransparentCopiesOffTheSurfaceMatchTheWholeCopy) {
    constexpr int kW = 6, kH = 4, kMargin = 12;
    const COLORREF key = RGB(255, 255, 255);
    std::mt19937 random(31);
    std::vector<std::uint32_t> pixels(7 * 5);
    for (std::uint32_t& p : pixels) p = random() % 3 == 0 ? 0xFFFFFF : random() & 0xFFFFFF;
    const auto bitmap = Picture::FromPixels(7, 5, pixels.data());
    std::vector<std::uint32_t> argb(7 * 5);
    for (std::uint32_t& p : argb) p = random() % 3 == 0 ? 0 : (0xFF000000u | (random() & 0xFFFFFF));
    const auto icon = Picture::FromIcon(gdi::CreateIconFromArgb(7, 5, argb.data()));
    const struct {
        int x, y, src_x, src_y;
    } places[] = {{0, 0, 0, 0},  {-3, -2, 0, 0}, {4, 2, 0, 0}, {-6, 1, 1, 1}, {3, -4, 0, 2},
                  {-7, 0, 0, 0}, {6, 0, 0, 0},   {0, 4, 0, 0}, {-2, 3, 2, 0}, {1, 1, -2, -1}};
    for (const auto& at : places) {
        for (const Picture* picture : {bitmap.get(), icon.get()}) {
            Canvas actual(kW, kH), whole(kW + 2 * kMargin, kH + 2 * kMargin);
            FillRandom(whole, random);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) gdi::SetPixelV(actual.dc(), x, y, whole.At(x + kMargin, y + kMargin));
            if (picture == bitmap.get()) {
                PaintTransparentStdPicture(actual.dc(), at.x, at.y, 7, 5, picture, at.src_x, at.src_y, key, 0);
                PaintTransparentStdPicture(whole.dc(), at.x + kMargin, at.y + kMargin, 7, 5, picture, at.src_x,
                                           at.src_y, key, 0);
            } else {
                PaintTransparentStdPicture(actual.dc(), at.x, at.y, 7, 5, picture, 0, 0, key, 0);
                PaintTransparentStdPicture(whole.dc(), at.x + kMargin, at.y + kMargin, 7, 5, picture, 0, 0, key, 0);
            }
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    ASSERT_EQ(actual.At(x, y), whole.At(x + kMargin, y + kMargin))
                        << (picture == bitmap.get() ? "bitmap" : "icon") << " at " << at.x << "," << at.y << " from "
                        << at.src_x << "," << at.src_y << ": pixel " << x << "," << y;
        }
    }
}

TEST_F(PanelPainters, PicturesThatAreNeitherBitmapNorIconAreRefused) {
    const auto metafile = Picture::FromMetafile(PictureType::Metafile, 2540, 2540, {1, 2, 3});
    const auto empty = Picture::Empty();
    Canvas canvas(4, 4, RGB(1, 2, 3));
    for (const Picture* picture : std::vector<const Picture*>{metafile.get(), empty.get(), nullptr}) {
        EXPECT_EQ(ErrorNumberOf([&] { PaintStdPicture(canvas.dc(), 0, 0, 4, 4, picture, 0, 0, 4, 4, 0, 0); }),
                  error::kInvalidPicture);
        EXPECT_EQ(ErrorNumberOf([&] { PaintTransparentStdPicture(canvas.dc(), 0, 0, 4, 4, picture, 0, 0, 0, 0); }),
                  error::kInvalidPicture);
    }
    EXPECT_EQ(canvas.Count(RGB(1, 2, 3)), 16);
}

TEST_F(PanelPainters, TransparentBlitKeepsTheCallersPalette) {
    Canvas source(3, 1, RGB(255, 255, 255));
    gdi::SetPixelV(source.dc(), 1, 0, RGB(7, 7, 7));
    Canvas target(3, 1, RGB(1, 2, 3));
    const gdi::HPALETTE palette = gdi::CreateHalftonePalette(0);
    TransparentBlit(target.dc(), 0, 0, 3, 1, source.dc(), 0, 0, RGB(255, 255, 255), palette);
    EXPECT_EQ(target.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(target.At(1, 0), RGB(7, 7, 7));
    EXPECT_TRUE(gdi::DeleteObject(palette)) << "the palette it was given is still the caller's";
}

}  // namespace
}  // namespace ov::panel
