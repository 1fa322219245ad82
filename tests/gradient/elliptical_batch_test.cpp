// The elliptical gradient drawn as one batch of outlines against the same rings drawn call by
// call: every pixel, the count returned and the live objects, over seeded random surfaces, and
// on surfaces whose own pen or brush makes the batch draw call by call.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "gradient/draw_gradient.h"
#include "gradient/ring_painter.h"
#include "platform/gdi/gdi.h"
#include "test_surface.h"

namespace ov::gradient {
namespace {

using testing::TestSurface;

struct Scene {
    int width, height;
    GradientSettings settings;
    gdi::HGDIOBJ pen = 0, brush = 0;  // selected into both surfaces first when set
};

std::string Describe(const Scene& s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height) + " angle " + std::to_string(s.settings.angle) +
           " reps " + std::to_string(s.settings.repetitions) + " blend " + std::to_string(s.settings.blend_mode) +
           " colours " + std::to_string(s.settings.colour1) + "/" + std::to_string(s.settings.colour2);
}

// Draws the scene both ways on surfaces of the same starting content and compares.
void ExpectSameAsReference(const Scene& s) {
    const GradientPlan plan = PlanGradient(s.width, s.height, s.settings);
    TestSurface fast(s.width, s.height), slow(s.width, s.height);
    std::int32_t counts[2] = {};
    gdi::LiveObjects changed[2];
    TestSurface* surfaces[2] = {&fast, &slow};
    for (int k = 0; k < 2; ++k) {
        const gdi::HDC dc = surfaces[k]->hdc();
        if (s.pen) gdi::SelectObject(dc, s.pen);
        if (s.brush) gdi::SelectObject(dc, s.brush);
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        counts[k] = k == 0 ? PaintEllipticalGradient(dc, s.width, s.height, plan.table)
                           : PaintEllipticalGradientReference(dc, s.width, s.height, plan.table);
        const gdi::LiveObjects after = gdi::CountLiveObjects();
        changed[k] = gdi::LiveObjects{after.dcs - before.dcs, after.bitmaps - before.bitmaps, after.pens - before.pens,
                                      after.brushes - before.brushes, after.fonts - before.fonts,
                                      after.palettes - before.palettes, after.icons - before.icons};
        gdi::SelectObject(dc, gdi::GetStockObject(gdi::BLACK_PEN));
        gdi::SelectObject(dc, gdi::GetStockObject(gdi::HOLLOW_BRUSH));
    }
    EXPECT_EQ(counts[0], counts[1]) << Describe(s);
    EXPECT_EQ(changed[0], gdi::LiveObjects{}) << Describe(s);
    EXPECT_EQ(changed[1], gdi::LiveObjects{}) << Describe(s);
    const std::vector<gdi::COLORREF> a = fast.Frame(), b = slow.Frame();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], b[i]) << Describe(s) << " at " << i % s.width << "," << i / s.width;
}

TEST(EllipticalBatch, SeededRandomSurfacesMatchTheCallByCallRings) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> small(1, 40), medium(41, 400), big(401, 1100), angle(-359, 359), blend(0, 1),
        colour(0, 0xFFFFFF);
    const double repetitions[] = {1, 2, 3.5, 0.75, 7, 1e9};
    for (int n = 0; n < 48; ++n) {
        // Mostly small and medium sides, every twelfth surface large; odd and even alike.
        auto side = [&] { return n % 12 == 11 ? big(rng) : n % 2 ? medium(rng) : small(rng); };
        Scene s{side(), side(), {}};
        // Very flat and very tall surfaces: one side a few pixels, the other long.
        if (n % 7 == 3) s.height = 1 + n % 4, s.width = 200 + 37 * n;
        if (n % 7 == 5) s.width = 1 + n % 5, s.height = 150 + 41 * n;
        s.settings.type = gtElliptical;
        s.settings.angle = angle(rng);
        s.settings.blend_mode = blend(rng);
        s.settings.repetitions = repetitions[n % 6];
        if (n % 3 == 0) s.settings.colour1 = colour(rng), s.settings.colour2 = colour(rng);
        ExpectSameAsReference(s);
    }
    // The corners of the size range, odd and even: the largest surfaces once each.
    for (const auto& [w, h] : {std::pair{2000, 2000}, {1999, 1201}, {1, 1}, {2, 1}, {1, 2000}, {2000, 3}})
        ExpectSameAsReference(Scene{w, h, GradientSettings{0xFFFFFF, 0, 45, 2, gtElliptical, gbmHSL}});
}

TEST(EllipticalBatch, SurfacePenAndBrushStatesMatchTheCallByCallRings) {
    const gdi::HPEN wide = gdi::CreatePen(gdi::PS_SOLID, 3, 0x0000FF);
    const gdi::HPEN thin = gdi::CreatePen(gdi::PS_SOLID, 1, 0xFF0000);
    const gdi::HGDIOBJ none = gdi::GetStockObject(gdi::NULL_PEN);
    const gdi::HBRUSH solid = gdi::CreateSolidBrush(0x00FFFF);
    GradientSettings black;  // black to black: every ring after the first keeps the surface's pen
    black.colour1 = 0;
    black.type = gtElliptical;
    GradientSettings plain;
    plain.type = gtElliptical;
    const Scene scenes[] = {
        {57, 41, plain, 0, solid},  // a brush fills each ellipse: drawn call by call
        {64, 30, black, wide, 0},   // a wide pen draws the later rings: call by call
        {64, 30, black, thin, 0},   // a thin surface pen: still outlines only
        {33, 48, black, none, 0},   // no pen: the later rings draw nothing
        {40, 40, black, wide, solid},
    };
    for (const Scene& s : scenes) ExpectSameAsReference(s);
    gdi::DeleteObject(wide);
    gdi::DeleteObject(thin);
    gdi::DeleteObject(solid);
}

}  // namespace
}  // namespace ov::gradient
