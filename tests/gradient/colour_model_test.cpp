// The colour arithmetic: RGB <-> HSL on 0..255 scales, the hue helper's thresholds, wrap and
// rounding, and the assignment-time translation of system colours.
#include <gtest/gtest.h>

#include "support/error_number.h"
#include "gradient/colour_model.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/runtime/automation_error.h"

namespace ov::gradient {
namespace {

void ExpectHsl(const HslTriple& hsl, double hue, double saturation, double lightness) {
    EXPECT_DOUBLE_EQ(hsl.hue, hue);
    EXPECT_DOUBLE_EQ(hsl.saturation, saturation);
    EXPECT_DOUBLE_EQ(hsl.lightness, lightness);
}

TEST(GradientColourModel, RgbToHslOfPrimariesAndGrey) {
    ExpectHsl(RGBtoHSL(0x0000FF), 0, 255, 127.5);    // red
    ExpectHsl(RGBtoHSL(0x00FF00), 85, 255, 127.5);   // green
    ExpectHsl(RGBtoHSL(0xFF0000), 170, 255, 127.5);  // blue
    ExpectHsl(RGBtoHSL(0x808080), 170, 0, 128);      // greys carry hue 170
    ExpectHsl(RGBtoHSL(0x000000), 170, 0, 0);
}

TEST(GradientColourModel, RgbToHslSaturationBranchesAndHueWrap) {
    // Lightness 175 (> 127.5): saturation over 510 - max - min.
    ExpectHsl(RGBtoHSL(gdi::RGB(200, 150, 150)), 0, 50.0 * 255 / 160, 175);
    // Lightness 75: saturation over max + min.
    ExpectHsl(RGBtoHSL(gdi::RGB(100, 50, 50)), 0, 85, 75);
    // Red largest with blue above green: the hue comes out negative and is wrapped.
    const HslTriple pink = RGBtoHSL(gdi::RGB(255, 0, 128));
    EXPECT_NEAR(pink.hue, 255 + 127.0 / 6 - 42.5, 1e-9);
    // The high byte plays no part in the split.
    ExpectHsl(RGBtoHSL(static_cast<std::int32_t>(0x800000FFu)), 0, 255, 127.5);
}

TEST(GradientColourModel, HslToRgbRoundTripsPrimariesClampsAndRoundsGreys) {
    EXPECT_EQ(HSLtoRGB({0, 255, 127.5}), 0x0000FF);
    EXPECT_EQ(HSLtoRGB({85, 255, 127.5}), 0x00FF00);
    EXPECT_EQ(HSLtoRGB({170, 255, 127.5}), 0xFF0000);
    // Out-of-range components are clamped to 0..255 first.
    EXPECT_EQ(HSLtoRGB({-10, 300, 127.5}), 0x0000FF);
    // Zero saturation: lightness rounded half to even (127.5 -> 128, 128.5 -> 128, 2.5 -> 2).
    EXPECT_EQ(HSLtoRGB({50, 0, 127.5}), 0x808080);
    EXPECT_EQ(HSLtoRGB({50, 0, 128.5}), 0x808080);
    EXPECT_EQ(HSLtoRGB({50, 0, 2.5}), 0x020202);
    EXPECT_EQ(HSLtoRGB({50, -4, 300}), 0xFFFFFF);
}

TEST(GradientColourModel, HueToRgbThresholdsWrapAndRounding) {
    const double fa = 255, fb = 0;
    EXPECT_EQ(HUEtoRGB(fa, fb, 85), 255);
    EXPECT_EQ(HUEtoRGB(fa, fb, -85), 0);  // becomes 170: the last band
    EXPECT_EQ(HUEtoRGB(200, 100, 300), 200);  // treated as 45
    EXPECT_EQ(HUEtoRGB(fa, fb, 42.5), 255);   // 42.5 already belongs to the flat band
    EXPECT_EQ(HUEtoRGB(fa, fb, 169.9), 1);    // 6 * 0.1 rounds to 1
    EXPECT_EQ(HUEtoRGB(fa, fb, 170), 0);
    EXPECT_EQ(HUEtoRGB(fa, fb, 255), 0);      // 255 is not wrapped
    EXPECT_EQ(HUEtoRGB(fa, fb, 256), 6);      // 256 wraps to 1
    // Only one period is folded: -300 becomes -45, which extrapolates below FB.
    EXPECT_EQ(HUEtoRGB(fa, fb, -300), -270);
    // Rounding halves to even: 0.5 -> 0, 1.5 -> 2.
    EXPECT_EQ(HUEtoRGB(1, 0, 21.25), 0);
    EXPECT_EQ(HUEtoRGB(3, 0, 21.25), 2);
}

TEST(GradientColourModel, HueToRgbLeavesItsReferenceArgumentsAndOverflows) {
    double fa = 255.25, fb = 0.75;
    HUEtoRGB(fa, fb, 10);
    EXPECT_EQ(fa, 255.25);
    EXPECT_EQ(fb, 0.75);
    EXPECT_EQ(testing_support::ErrorNumberOf([] { HUEtoRGB(1e12, 0, 60); }), 6);
}

TEST(GradientColourModel, SystemColoursTranslatedAtAssignmentUpToIndex24) {
    gdi::ResetSysColors();
    EXPECT_EQ(TranslateColourAtAssignment(static_cast<std::int32_t>(0x80000005u)),
              static_cast<std::int32_t>(gdi::GetSysColor(5)));
    gdi::SetSysColorEntry(24, gdi::RGB(1, 2, 3));
    EXPECT_EQ(TranslateColourAtAssignment(static_cast<std::int32_t>(0x80000018u)), gdi::RGB(1, 2, 3));
    gdi::ResetSysColors();
    // Index 25 and above, and other high-bit values, are kept as they are.
    EXPECT_EQ(TranslateColourAtAssignment(static_cast<std::int32_t>(0x80000019u)), static_cast<std::int32_t>(0x80000019u));
    EXPECT_EQ(TranslateColourAtAssignment(static_cast<std::int32_t>(0xFF000005u)), static_cast<std::int32_t>(0xFF000005u));
    EXPECT_EQ(TranslateColourAtAssignment(0x123456), 0x123456);
}

}  // namespace
}  // namespace ov::gradient
