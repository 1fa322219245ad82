// Property writes of clsGradient, directly and late-bound: what is stored, what fails and
// with which number, and that writes draw nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "gradient/colour_model.h"
#include "gradient/gradient_object.h"
#include "host/reference/class_registry.h"
#include "platform/gdi/screen.h"
#include "platform/runtime/automation_error.h"
#include "support/error_number.h"
#include "test_surface.h"

namespace ov::gradient {
namespace {

using testing_support::ErrorNumberOf;

TEST(GradientProperties, NewObjectDefaults) {
    clsGradient g;
    EXPECT_EQ(g.Color1(), 0xFFFFFF);
    EXPECT_EQ(g.Color2(), 0);
    EXPECT_EQ(g.Angle(), 0);
    EXPECT_EQ(g.Repetitions(), 1);
    EXPECT_EQ(g.GradientType(), gtNormal);
    EXPECT_EQ(g.BlendMode(), gbmRGB);
}

TEST(GradientProperties, AngleIsRoundedHalfToEvenAndReducedWithItsSign) {
    clsGradient g;
    const std::pair<double, double> cases[] = {{725, 5},     {-725, -5},  {45.5, 46}, {44.5, 44},
                                               {-44.5, -44}, {360, 0},    {-360, 0},  {359.4, 359},
                                               {359.5, 0},   {-359.6, 0}, {-30, -30}, {1e9, 1e9 - 360 * 2777777}};
    for (auto [written, stored] : cases) {
        g.SetAngle(written);
        EXPECT_EQ(g.Angle(), stored) << written;
        EXPECT_FALSE(std::signbit(g.Angle()) && stored == 0) << "negative zero for " << written;
    }
}

TEST(GradientProperties, AngleOutsideThe32BitRangeOverflowsAndKeepsTheOldValue) {
    clsGradient g;
    g.SetAngle(30);
    for (double bad : {2147483647.5, -2147483649.0, 1e300, std::nan("")}) {
        EXPECT_EQ(ErrorNumberOf([&] { g.SetAngle(bad); }), 6) << bad;
        EXPECT_EQ(g.Angle(), 30);
    }
    g.SetAngle(2147483647.4);  // rounds to INT32_MAX, which fits
    EXPECT_EQ(g.Angle(), 2147483647 % 360);
}

TEST(GradientProperties, RepetitionsStoreTheMagnitudeAndNeverZero) {
    clsGradient g;
    g.SetRepetitions(-3);
    EXPECT_EQ(g.Repetitions(), 3);
    g.SetRepetitions(0);
    EXPECT_EQ(g.Repetitions(), 1);
    g.SetRepetitions(-0.0);
    EXPECT_EQ(g.Repetitions(), 1);
    g.SetRepetitions(0.4);
    EXPECT_EQ(g.Repetitions(), 0.4);
}

// Both colours translate at the write (which values translate is the colour model's test): a
// later scheme change does not reach them.
TEST(GradientProperties, ColoursTranslateSystemIndicesOnlyAtTheWrite) {
    using Setter = void (clsGradient::*)(std::int32_t);
    using Getter = std::int32_t (clsGradient::*)() const;
    const std::pair<Setter, Getter> colours[] = {{&clsGradient::SetColor1, &clsGradient::Color1},
                                                 {&clsGradient::SetColor2, &clsGradient::Color2}};
    for (auto [set, get] : colours) {
        gdi::ResetSysColors();
        clsGradient g;
        (g.*set)(static_cast<std::int32_t>(0x80000005u));
        const std::int32_t stored = static_cast<std::int32_t>(gdi::GetSysColor(5));
        EXPECT_EQ((g.*get)(), stored);
        gdi::SetSysColorEntry(5, gdi::RGB(9, 8, 7));
        EXPECT_EQ((g.*get)(), stored);
    }
    gdi::ResetSysColors();
}

TEST(GradientProperties, WritesNeitherDrawNorTouchTheSurface) {
    testing::TestSurface surface(20, 20);
    GradientObject object;
    PutProperty(object, "Color1", Variant::FromLong(0x0000FF));
    PutProperty(object, "Angle", Variant::FromDouble(45));
    PutProperty(object, "GradientType", Variant::FromLong(gtElliptical));
    PutProperty(object, "Repetitions", Variant::FromDouble(3));
    EXPECT_EQ(surface.CountPixels(testing::kSentinel), 400);
    EXPECT_EQ(surface.dc_reads(), 0);
}

TEST(GradientLateBound, CreatableByClassNameOrProgIdInAnyCase) {
    host::ClassRegistry registry;
    registry.Add(host::ObjectEntry<GradientObject>(kGradientClassName));
    for (const char* name : {"clsGradient", "OrvelleControls.clsGradient", "orvellecontrols.CLSGRADIENT"}) {
        const std::shared_ptr<AutomationObject> object = registry.Create(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->TypeName(), "clsGradient");
        EXPECT_EQ(GetProperty(*object, "Color1").integral(), 0xFFFFFF);
    }
}

TEST(GradientLateBound, WritesConvertLikeTheLanguageAndReportErrorNumbers) {
    GradientObject object;
    PutProperty(object, "Angle", Variant::FromString("725"));
    EXPECT_EQ(GetProperty(object, "Angle").real(), 5);
    EXPECT_EQ(GetProperty(object, "Angle").type(), VarType::Double);
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(object, "Angle", Variant::FromDouble(1e10)); }), 6);
    EXPECT_EQ(GetProperty(object, "Angle").real(), 5);
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(object, "Angle", Variant::FromString("east")); }), 13);
    PutProperty(object, "Repetitions", Variant::FromInteger(-2));
    EXPECT_EQ(GetProperty(object, "Repetitions").real(), 2);
    PutProperty(object, "Color1", Variant::FromLong(static_cast<std::int32_t>(0x80000008u)));
    EXPECT_EQ(GetProperty(object, "Color1").integral(), static_cast<std::int32_t>(gdi::GetSysColor(8)));
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(object, "Refresh", Variant::FromLong(1)); }), 438);
    std::vector<Variant> none;
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(object, "Draw", none); }), 450);
    std::vector<Variant> nothing{Variant::FromObject(nullptr)};
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(object, "Draw", nothing); }), 91);
    std::vector<Variant> number{Variant::FromLong(3)};
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(object, "Draw", number); }), 13);
}

// The late-bound call gives what the colour model computes and leaves the values of the
// by-reference arguments as they were given, whatever their type; its overflow reaches the
// caller.
TEST(GradientLateBound, HueToRgbLeavesItsByReferenceArgumentsAsGiven) {
    GradientObject object;
    const std::vector<Variant> calls[] = {
        {Variant::FromDouble(200.25), Variant::FromDouble(100.75), Variant::FromDouble(300)},
        {Variant::FromLong(255), Variant::FromInteger(0), Variant::FromLong(-85)}};
    for (const std::vector<Variant>& given : calls) {
        std::vector<Variant> args = given;
        EXPECT_EQ(CallMethod(object, "HUEtoRGB", args).integral(),
                  HUEtoRGB(CDbl(given[0]), CDbl(given[1]), CDbl(given[2])));
        for (std::size_t i = 0; i < given.size(); ++i) EXPECT_EQ(CDbl(args[i]), CDbl(given[i])) << "argument " << i;
    }
    std::vector<Variant> overflow{Variant::FromDouble(1e12), Variant::FromDouble(0), Variant::FromDouble(60)};
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(object, "HUEtoRGB", overflow); }), 6);
}

}  // namespace
}  // namespace ov::gradient
