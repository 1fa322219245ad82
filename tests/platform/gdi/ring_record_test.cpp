// Ellipse outlines recorded as the nested rings of an elliptical gradient and written out region
// by region, against the same calls drawn one at a time: every pixel must agree, however the
// rings are cut short, interrupted or placed against the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "drawing_reference.h"
#include "platform/gdi/internal/ellipse_raster.h"

namespace ov::gdi {
namespace {

using testing::DrawWithPen;
using testing::ExpectDeferralInvisible;
using testing_support::Canvas;

std::vector<COLORREF> Frame(const Canvas& c) {
    std::vector<std::uint32_t> words(static_cast<std::size_t>(c.width()) * c.height());
    const RECT all{0, 0, c.width(), c.height()};
    GetBitmapBits32(c.bitmap(), &all, words.data());
    return {words.begin(), words.end()};
}

// Ring k of the box (l, t, r, b): its five outlines, as a gradient draws them, with one pen.
void DrawRing(HDC dc, COLORREF colour, int l, int t, int r, int b, int outlines = 5) {
    const HPEN pen = CreatePen(PS_SOLID, 1, colour);
    const HGDIOBJ old = SelectObject(dc, pen);
    const int boxes[5][4] = {
        {l, t, r, b}, {l + 1, t, r - 1, b}, {l + 1, t + 1, r, b}, {l, t + 1, r, b - 1}, {l, t, r - 1, b - 1}};
    for (int j = 0; j < outlines; ++j) Ellipse(dc, boxes[j][0], boxes[j][1], boxes[j][2], boxes[j][3]);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// The gradient's rings on a width x height surface: reach and count as the painter has them,
// colours in runs of equal rings.
std::vector<COLORREF> GradientRings(int width, int height, std::uint32_t seed, bool mono) {
    std::mt19937 rng(seed);
    Canvas c(width, height, 0x00FF00, mono);
    c.HollowBrush();
    const int shorter = std::min(width, height), reach = shorter / 2;
    COLORREF colour = 0;
    for (int i = 0; i < shorter; ++i) {
        if (rng() % 3 == 0) colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
        DrawRing(c.dc(), colour, i - reach, i - reach, width + reach - i, height + reach - i);
    }
    return Frame(c);
}

TEST(RingRecord, EveryGradientUpToFortySquareMatchesDirectDrawing) {
    for (int w = 1; w <= 40; ++w)
        for (int h = 1; h <= 40; ++h)
            ExpectDeferralInvisible([&] { return GradientRings(w, h, static_cast<std::uint32_t>(w * 100 + h), false); },
                                    std::to_string(w) + " x " + std::to_string(h));
}

TEST(RingRecord, LargeFlatTallAndMonoGradientsMatchDirectDrawing) {
    struct Case {
        int width, height;
        bool mono;
    };
    const Case cases[] = {{400, 3, false},  {3, 400, false}, {517, 40, false}, {41, 300, false}, {256, 255, false},
                          {300, 301, true}, {97, 2, false},  {2, 97, true},    {640, 480, false}};
    for (const Case& k : cases)
        ExpectDeferralInvisible([&] { return GradientRings(k.width, k.height, 7, k.mono); },
                                std::to_string(k.width) + " x " + std::to_string(k.height));
}

// Ring sequences placed anywhere against the surface, cut short, broken off mid-ring, and
// interrupted by what must come between two rings: a line, a read, a null pen, a brush, a blit.
std::vector<COLORREF> InterruptedRings(std::uint32_t seed) {
    std::mt19937 rng(seed);
    const int width = 1 + static_cast<int>(rng() % 120), height = 1 + static_cast<int>(rng() % 120);
    Canvas c(width, height, 0xFFFFFF, seed % 5 == 0);
    Canvas other(width, height, 0x0000FF);
    c.HollowBrush();
    std::vector<COLORREF> seen;
    for (int sequence = 0; sequence < 3; ++sequence) {
        int l = static_cast<int>(rng() % (width + 40)) - 40, t = static_cast<int>(rng() % (height + 40)) - 40;
        int r = l + 1 + static_cast<int>(rng() % 200), b = t + 1 + static_cast<int>(rng() % 200);
        const int rings = 1 + static_cast<int>(rng() % 110);
        COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
        for (int k = 0; k < rings; ++k, ++l, ++t, --r, --b) {
            if (rng() % 4 == 0) colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
            switch (rng() % 40) {
                case 0: DrawWithPen(c.dc(), 0x123456, 0, k % std::max(height, 1), width, 0); break;
                case 1: seen.push_back(c.At(k % width, k % height)); break;
                case 2: {
                    const HGDIOBJ old = SelectObject(c.dc(), GetStockObject(NULL_PEN));
                    Ellipse(c.dc(), l, t, r, b);
                    SelectObject(c.dc(), old);
                    continue;
                }
                case 3: {
                    c.Brush(0x00FFFF);
                    DrawRing(c.dc(), colour, l, t, r, b);
                    c.HollowBrush();
                    continue;
                }
                case 4: BitBlt(c.dc(), 0, 0, width / 2, height / 2, other.dc(), 0, 0, SRCCOPY); break;
                case 5: DrawRing(c.dc(), colour, l, t, r, b, 1 + static_cast<int>(rng() % 4)); continue;  // broken off
                default: break;
            }
            DrawRing(c.dc(), colour, l, t, r, b);
        }
    }
    for (COLORREF p : Frame(c)) seen.push_back(p);
    return seen;
}

TEST(RingRecord, InterruptedAndMisplacedRingsMatchDirectDrawing) {
    for (std::uint32_t seed = 1; seed <= 150; ++seed)
        ExpectDeferralInvisible([&] { return InterruptedRings(seed); }, "seed " + std::to_string(seed));
}

// The span walk gives, row by row, the reach of the point-by-point walk.
std::map<int, int> ReachByRow(int width, int height, int y_limit, bool spans) {
    std::map<int, int> reach;
    if (spans) {
        detail::WalkEllipseQuadrantSpans(width, height, y_limit, [&](int y, int count, int hi) {
            for (int i = 0; i < count; ++i) EXPECT_TRUE(reach.emplace(y + i, hi).second) << "row " << y + i << " twice";
        });
    } else {
        detail::WalkEllipseQuadrantRows(width, height, y_limit, [&](int y, int, int hi) { reach.emplace(y, hi); });
    }
    return reach;
}

TEST(EllipseSpanWalk, AgreesWithThePointWalk) {
    for (int w = 3; w <= 90; ++w)
        for (int h = 3; h <= 90; ++h)
            ASSERT_EQ(ReachByRow(w, h, h, true), ReachByRow(w, h, h, false)) << w << " x " << h;
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 300; ++trial) {
        // Past 8192 the run checks switch to 128 bits.
        const int limit = trial % 3 == 0 ? 20000 : 3000;
        const int w = 3 + static_cast<int>(rng() % limit), h = 3 + static_cast<int>(rng() % limit);
        const int y_limit = trial % 2 ? h : h / 2 + static_cast<int>(rng() % (h / 2 + 1));
        ASSERT_EQ(ReachByRow(w, h, y_limit, true), ReachByRow(w, h, y_limit, false))
            << w << " x " << h << " to " << y_limit;
    }
}

// With a far column, rows reaching it may report any column from it on; every other row is
// exact. Boxes wide and tall enough for the walk to start below the middle row, and narrow ones
// where it cannot.
TEST(EllipseSpanWalk, StartsBelowTheRowsReachingTheFarColumn) {
    std::mt19937 rng(77);
    int started_lower = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const int limit = trial % 4 == 0 ? 12000 : 3000;
        const int w = 3 + static_cast<int>(rng() % limit), h = 3 + static_cast<int>(rng() % limit);
        const int y_limit = trial % 2 ? h : h / 2 + static_cast<int>(rng() % (h / 2 + 1));
        const int far_column = w / 2 + static_cast<int>(rng() % (w / 2 + 1));
        const std::map<int, int> exact = ReachByRow(w, h, y_limit, false);
        std::map<int, int> reported;
        bool first = true;
        detail::WalkEllipseQuadrantSpans(
            w, h, y_limit,
            [&](int y, int count, int hi) {
                if (first && count > 1 && hi < w - 1) ++started_lower;
                first = false;
                for (int i = 0; i < count; ++i) reported.emplace(y + i, hi);
            },
            far_column);
        ASSERT_EQ(reported.size(), exact.size()) << w << " x " << h;
        for (const auto& [y, hi] : exact) {
            const int got = reported.at(y);
            if (hi >= far_column) ASSERT_GE(got, far_column) << w << " x " << h << " row " << y;
            else ASSERT_EQ(got, hi) << w << " x " << h << " row " << y << " far column " << far_column;
        }
    }
    EXPECT_GT(started_lower, 100);  // the shortcut is taken, not only declined
}

// Walks stepped together report, job by job, exactly what each walk alone reports, with every
// kernel this processor has: random batches of boxes (some past the 64-bit limit, walked
// alone), with and without far columns, more jobs than lanes, and tall boxes whose walks run
// past one call's row cap.
class WalksSteppedTogether : public ::testing::TestWithParam<detail::LockstepKernel> {};

TEST_P(WalksSteppedTogether, MatchWalksAlone) {
    const detail::LockstepKernel kernel = GetParam();
    struct Recorder {
        std::vector<std::map<int, int>> rows;
        int rows_together = 0;
        int rows_one_by_one = 0;  // rows the walk alone reports one at a time
        void Put(int job, int y, int hi) {
            EXPECT_TRUE(rows[job].emplace(y, hi).second) << "job " << job << " row " << y << " twice";
        }
        void Spans(int job, int y, int count, int hi) {
            rows_one_by_one += count == 1;
            for (int i = 0; i < count; ++i) Put(job, y + i, hi);
        }
        void Rows(int job, int y, int count, const std::int32_t* hi, int stride) {
            rows_together += count;
            for (int i = 0; i < count; ++i) Put(job, y + i, hi[i * stride]);
        }
    };
    std::mt19937 rng(4242);
    std::vector<std::int32_t> scratch(detail::kQuadrantSpansScratch);
    int rows_together = 0, rows_one_by_one = 0;
    for (int batch = 0; batch < 40; ++batch) {
        const int count = 1 + static_cast<int>(rng() % 60);
        std::vector<detail::QuadrantSpansJob> jobs;
        for (int i = 0; i < count; ++i) {
            const int limit = batch % 8 == 0 ? 12000 : batch % 2 ? 4500 : 200;
            const int w = 3 + static_cast<int>(rng() % limit), h = 3 + static_cast<int>(rng() % limit);
            const int y_limit = rng() % 2 ? h : h / 2 + static_cast<int>(rng() % (h / 2 + 1));
            const int far_column = rng() % 3 == 0 ? INT_MAX : w / 2 + static_cast<int>(rng() % (w / 2 + 1));
            jobs.push_back({w, h, y_limit, far_column});
        }
        Recorder together;
        together.rows.resize(count);
        detail::WalkEllipseQuadrantSpansTogether(jobs.data(), count, together, scratch.data(), kernel);
        rows_together += together.rows_together;
        rows_one_by_one += together.rows_one_by_one;
        for (int i = 0; i < count; ++i) {
            const detail::QuadrantSpansJob& job = jobs[i];
            std::map<int, int> alone;
            detail::WalkEllipseQuadrantSpans(
                job.width, job.height, job.y_limit,
                [&](int y, int n, int hi) {
                    for (int r = 0; r < n; ++r) alone.emplace(y + r, hi);
                },
                job.far_column);
            ASSERT_EQ(together.rows[i], alone) << job.width << " x " << job.height << " to " << job.y_limit
                                               << " far column " << job.far_column << ", job " << i << " of " << count;
        }
    }
    // Where the processor has the kernel, it takes most rows that are walked (the rest: boxes
    // past the 64-bit limit, and each walk's last rows by the middle column).
    if (detail::LockstepKernelSupported(kernel)) {
        EXPECT_GT(rows_together, 4 * rows_one_by_one);
    } else {
        EXPECT_EQ(rows_together, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(EllipseSpanWalk, WalksSteppedTogether,
                         ::testing::Values(detail::LockstepKernel::kAvx512, detail::LockstepKernel::kAvx2),
                         [](const ::testing::TestParamInfo<detail::LockstepKernel>& info) {
                             return std::string(info.param == detail::LockstepKernel::kAvx512 ? "Avx512" : "Avx2");
                         });

}  // namespace
}  // namespace ov::gdi
