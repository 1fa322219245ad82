// The one scale module: twips per unit of each mode, conversions, the twips-to-pixels rounding
// at its half-pixel edges, and what an unknown mode gives to every surface that converts.
#include <gtest/gtest.h>

#include "platform/gdi/screen.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/scale/scale.h"
#include "support/error_number.h"

namespace ov {
namespace {

using testing_support::ErrorNumberOf;

TEST(Scale, TwipsPerUnitOfEachMode) {
    struct Case {
        int mode;
        Axis axis;
        double twips;
    };
    const Case cases[] = {
        {kScaleTwips, Axis::X, 1},
        {kScalePoints, Axis::Y, 20},
        {kScalePixels, Axis::X, 15},
        {kScaleCharacters, Axis::X, 120},
        {kScaleCharacters, Axis::Y, 240},
        {kScaleInches, Axis::Y, 1440},
        {kScaleMillimeters, Axis::X, 1440 / 25.4},
        {kScaleCentimeters, Axis::X, 1440 / 2.54},
        {kScaleHimetric, Axis::Y, 1440 / 2540.0},
        {kScaleUser, Axis::X, 7.5},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(TwipsPerUnit(c.mode, c.axis, 7.5), c.twips) << c.mode;
    EXPECT_DOUBLE_EQ(ConvertUnits(2540, kScaleHimetric, kScalePixels, Axis::X), 96);
}

TEST(Scale, TwipsRoundToPixelsWithHalvesToEven) {
    struct Case {
        double twips;
        int pixels;
    };
    const Case cases[] = {{22.5, 2}, {37.5, 2}, {52.5, 4},           {-37.5, -2},          {-52.5, -4},
                          {7.4, 0},  {7.6, 1},  {1e300, 1000000000}, {-1e300, -1000000000}};
    for (const Case& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, Axis::X), c.pixels) << c.twips;
}

TEST(Scale, AnUnknownModeIsAnInvalidCallEverywhere) {
    for (int mode : {-1, 9, 1000}) {
        EXPECT_EQ(ErrorNumberOf([&] { TwipsPerUnit(mode, Axis::X); }), error::kInvalidProcedureCall) << mode;
        EXPECT_EQ(ErrorNumberOf([&] { ConvertUnits(1, mode, mode, Axis::Y); }), error::kInvalidProcedureCall);
        PictureBox box(0, 0, 0, 300, 300);
        EXPECT_EQ(ErrorNumberOf([&] { box.ScaleX(1, mode, kScaleTwips); }), error::kInvalidProcedureCall);
        EXPECT_EQ(ErrorNumberOf([&] { box.SetScaleMode(mode); }), error::kInvalidPropertyValue);
        EXPECT_EQ(ErrorNumberOf([&] { PictureBox(0, 0, 0, 300, 300, mode); }), error::kInvalidProcedureCall);
    }
}

}  // namespace
}  // namespace ov
