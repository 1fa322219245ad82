// What Draw promises around the drawing: which surfaces are drawn, the update lock held for
// the whole drawing and released on every way out, errors passed on with their own number,
// and no graphics object left behind whatever the properties.
#include <gtest/gtest.h>

#include "support/error_number.h"
#include "gradient/draw_gradient.h"
#include "gradient/gradient_object.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"
#include "test_surface.h"

namespace ov::gradient {
namespace {

using testing::TestSurface;
using testing_support::ErrorNumberOf;

TEST(GradientDraw, SurfacesOfOnePixelOrLessEitherWayAreNotDrawn) {
    clsGradient g;
    for (auto [w, h] : {std::pair{1, 40}, std::pair{40, 1}, std::pair{0, 0}, std::pair{1, 1}}) {
        TestSurface surface(w, h);
        EXPECT_FALSE(g.Draw(surface)) << w << "x" << h;
        EXPECT_EQ(surface.dc_reads(), 0);
        EXPECT_EQ(surface.CountPixels(testing::kSentinel), w * h);
        EXPECT_EQ(gdi::GetLockedWindow(), 0u);
    }
    TestSurface tiny(2, 2);
    EXPECT_TRUE(g.Draw(tiny));
    EXPECT_EQ(tiny.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(tiny.Pixel(1, 1), gdi::RGB(191, 191, 191));  // entry 1 of 4: 255 - 63.75, rounded
}

TEST(GradientDraw, UnreadableClientAreaGivesFalse) {
    // A surface whose window is gone: the client rectangle cannot be read.
    TestSurface surface(30, 30);
    gdi::DestroyWindowSurface(surface.hwnd());
    clsGradient g;
    EXPECT_FALSE(g.Draw(surface));
    EXPECT_EQ(surface.dc_reads(), 0);
}

TEST(GradientDraw, HoldsTheUpdateLockWhileDrawingAndReleasesIt) {
    TestSurface surface(30, 20);
    clsGradient g;
    ASSERT_TRUE(g.Draw(surface));
    EXPECT_TRUE(surface.locked_when_dc_read());
    EXPECT_EQ(gdi::GetLockedWindow(), 0u);
    // While locked the window showed its old content; after the release it shows the gradient.
    int w = 0, h = 0;
    std::vector<std::uint32_t> shown;
    ASSERT_TRUE(gdi::GetPresentedPixels(surface.hwnd(), &w, &h, &shown));
    EXPECT_EQ(gdi::ColorFromPixelWord(shown[0]), 0xFFFFFFu);
}

TEST(GradientDraw, FailingPropertyReadReachesTheCallerAfterTheLockIsReleased) {
    for (std::int32_t number : {481, error::kObjectErrorBase + 77, 438}) {
        TestSurface surface(30, 20);
        surface.FailDcReadWith(number);
        GradientObject object;
        std::vector<Variant> args{Variant::FromObject(std::shared_ptr<IDispatch>(&surface, [](IDispatch*) {}))};
        EXPECT_EQ(ErrorNumberOf([&] { CallMethod(object, "Draw", args); }), number);
        EXPECT_TRUE(surface.locked_when_dc_read());
        EXPECT_EQ(gdi::GetLockedWindow(), 0u);
        EXPECT_EQ(surface.CountPixels(testing::kSentinel), 600);
    }
    // An object without a window at all: 438 before any lock.
    testing::NotASurface other;
    clsGradient g;
    EXPECT_EQ(ErrorNumberOf([&] { g.Draw(other); }), 438);
    EXPECT_EQ(gdi::GetLockedWindow(), 0u);
}

TEST(GradientDraw, LockHeldElsewhereIsLeftToItsOwner) {
    TestSurface elsewhere(10, 10), surface(30, 20);
    ASSERT_TRUE(gdi::LockWindowUpdate(elsewhere.hwnd()));
    clsGradient g;
    EXPECT_TRUE(g.Draw(surface));
    EXPECT_EQ(gdi::GetLockedWindow(), elsewhere.hwnd());
    gdi::LockWindowUpdate(0);
}

TEST(GradientDraw, LateBoundDrawReturnsTrueAndDraws) {
    auto surface = std::make_shared<TestSurface>(40, 10);
    GradientObject object;
    PutProperty(object, "Angle", Variant::FromLong(180));
    std::vector<Variant> args{Variant::FromObject(surface)};
    const Variant result = CallMethod(object, "Draw", args);
    EXPECT_EQ(result.type(), VarType::Boolean);
    EXPECT_TRUE(result.boolean());
    EXPECT_LT(testing::Grey(surface->Pixel(0, 0)), testing::Grey(surface->Pixel(39, 0)));
}

TEST(GradientDraw, AbsurdSizesFailStepsWithoutOverrunning) {
    // Sweep ends beyond the 32-bit range, a point list that would need billions of points:
    // the failing steps are skipped and the plan still ends with a consistent table.
    const GradientPlan plan = PlanGradient(2000000000, 2000000000, GradientSettings{});
    EXPECT_TRUE(plan.failed);
    EXPECT_EQ(plan.table.size(), 2 * static_cast<std::size_t>(plan.steps) + 1);
    EXPECT_EQ(plan.steps, static_cast<std::int32_t>(plan.sweep.points.size() / 2));
}

TEST(GradientDraw, NoGraphicsObjectOutlivesADrawing) {
    TestSurface surface(16, 12);
    const gdi::HGDIOBJ pen_before = gdi::SelectObject(surface.hdc(), gdi::GetStockObject(gdi::BLACK_PEN));
    const std::pair<std::int32_t, std::int32_t> colours[] = {
        {0xFFFFFF, 0}, {0, 0}, {0x0000FF, 0xFF0000}, {static_cast<std::int32_t>(0x80000019u), 0x00FF00}};
    for (int type : {int{gtNormal}, int{gtElliptical}, int{gtRectangular}, 3})
        for (int blend : {int{gbmRGB}, int{gbmHSL}, 5})
            for (double repetitions : {1.0, 3.0, 0.75, 0.5, 0.4, 1e9})
                for (auto [c1, c2] : colours)
                    for (double angle : {0.0, 137.0, -30.0}) {
                        clsGradient g;
                        g.SetGradientType(type);
                        g.SetBlendMode(blend);
                        g.SetRepetitions(repetitions);
                        g.SetColor1(c1);
                        g.SetColor2(c2);
                        g.SetAngle(angle);
                        const gdi::LiveObjects before = gdi::CountLiveObjects();
                        EXPECT_EQ(g.Draw(surface), type != 3);
                        ASSERT_EQ(gdi::CountLiveObjects(), before)
                            << "type " << type << " blend " << blend << " repetitions " << repetitions << " colours "
                            << c1 << "/" << c2 << " angle " << angle;
                        ASSERT_EQ(gdi::GetLockedWindow(), 0u);
                    }
    EXPECT_EQ(gdi::SelectObject(surface.hdc(), pen_before), gdi::GetStockObject(gdi::BLACK_PEN));
}

}  // namespace
}  // namespace ov::gradient
