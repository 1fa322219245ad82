// The colour table: RGB and HSL ramps, the copied and mirrored repetition passes, the builds
// that a failure ends early, and the last index the ring shapes sample.
#include <gtest/gtest.h>

#include <chrono>

#include "gradient/colour_table.h"
#include "platform/gdi/gdi.h"

namespace ov::gradient {
namespace {

constexpr std::int32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0x0000FF, kBlue = 0xFF0000;

std::int32_t Grey(int level) { return gdi::RGB(level, level, level); }

ColourTable Build(std::int32_t c1, std::int32_t c2, std::int32_t n, double repetitions, std::int32_t blend,
                  ColourTableBuild* result = nullptr) {
    ColourTable table;
    const ColourTableBuild build = BuildGradientColors(c1, c2, n, repetitions, blend, table);
    if (result) *result = build;
    return table;
}

TEST(GradientColourTable, OneRunGoesThereAndBackOverTwoNPlusOneEntries) {
    ColourTableBuild build;
    const ColourTable t = Build(kWhite, kBlack, 102, 1, gbmRGB, &build);
    EXPECT_TRUE(build.completed);
    EXPECT_EQ(build.steps, 102);
    ASSERT_EQ(t.size(), 205u);
    EXPECT_EQ(t[0], kWhite);
    EXPECT_EQ(t[4], Grey(245));  // 255 - 4 * 2.5
    EXPECT_EQ(t[100], Grey(5));
    EXPECT_EQ(t[102], kBlack);
    EXPECT_EQ(t[103], t[101]);  // the mirrored run
    EXPECT_EQ(t[200], t[4]);
    EXPECT_EQ(t[204], kWhite);
    EXPECT_EQ(LastRingIndex(t), 203);
}

TEST(GradientColourTable, RepetitionsMirrorWithHalvesRoundedToEven) {
    // n = 51, two runs: q = 25.5, so the mirrored run reads entries round(25.5 - k), and the
    // half-way indices go to their even neighbours, doubling some entries and skipping others.
    const ColourTable t = Build(kWhite, kBlack, 51, 2, gbmRGB);
    EXPECT_EQ(t[0], kWhite);
    EXPECT_EQ(t[24], Grey(15));
    EXPECT_EQ(t[25], kBlack);
    EXPECT_EQ(t[26], Grey(15));
    EXPECT_EQ(t[27], Grey(15));
    EXPECT_EQ(t[28], Grey(35));
    EXPECT_EQ(t[47], Grey(215));
    EXPECT_EQ(t[48], Grey(235));
    EXPECT_EQ(t[49], Grey(235));
    EXPECT_EQ(t[50], kWhite);
    EXPECT_EQ(t[51], Grey(245));  // third run copied
    EXPECT_EQ(t[75], kBlack);
    EXPECT_EQ(t[76], kBlack);     // beyond the third run: never written
}

TEST(GradientColourTable, FractionalRunLongerThanTheSurface) {
    // 0.75 runs: the ramp reaches black only at entry 68, so 51 lines show three quarters.
    const ColourTable t = Build(kWhite, kBlack, 51, 0.75, gbmRGB);
    EXPECT_EQ(t[2], Grey(248));   // 247.5 rounded to even
    EXPECT_EQ(t[6], Grey(232));   // 232.5 rounded to even
    EXPECT_EQ(t[48], Grey(75));
    EXPECT_EQ(t[68], kBlack);
    EXPECT_EQ(t[102], kBlack);
}

TEST(GradientColourTable, HalfARunOrLessEndsTheBuildAtTheTableEnd) {
    ColourTableBuild build;
    ColourTable t = Build(kRed, kBlue, 10, 0.5, gbmRGB, &build);
    EXPECT_FALSE(build.completed);
    ColourTable expected(21, 0);
    expected[0] = kRed;
    expected[20] = kBlue;
    EXPECT_EQ(t, expected);

    t = Build(kRed, kBlue, 10, 0.4, gbmRGB, &build);
    EXPECT_FALSE(build.completed);
    expected[20] = 0;
    EXPECT_EQ(t, expected);
    EXPECT_EQ(LastRingIndex(t), -1);  // only entry 0 is set

    // In HSL the loop fills the whole table before it runs past its end.
    t = Build(kRed, kBlue, 10, 0.4, gbmHSL, &build);
    EXPECT_FALSE(build.completed);
    for (std::size_t i = 0; i < t.size(); ++i) EXPECT_NE(t[i], 0) << "entry " << i;
}

TEST(GradientColourTable, HslRedToBlueTakesTheShortWayThroughMagenta) {
    const ColourTable t = Build(kRed, kBlue, 10, 1, gbmHSL);
    // Every entry is advanced before it is written: entry 0 is one step (8.5) past red.
    EXPECT_EQ(t[0], gdi::RGB(255, 0, 51));
    EXPECT_EQ(t[4], gdi::RGB(255, 0, 255));  // five steps: hue 212.5, magenta
    EXPECT_EQ(t[5], gdi::RGB(204, 0, 255));
    EXPECT_EQ(t[9], kBlue);
    EXPECT_EQ(t[10], gdi::RGB(0, 51, 255));  // one step past blue, kept by the mirror pass
    EXPECT_EQ(t[11], kBlue);                 // mirrored from entry 9
    EXPECT_EQ(t[20], t[0]);
    for (std::int32_t c : t) EXPECT_TRUE(gdi::GetGValue(c) == 0 || c == t[10]) << std::hex << c;
}

TEST(GradientColourTable, HslWithMoreRepetitionsThanStepsStaysBlack) {
    ColourTableBuild build;
    const ColourTable t = Build(kRed, kBlue, 2, 5, gbmHSL, &build);
    EXPECT_FALSE(build.completed);  // qf = 0: the hue step divides by zero
    EXPECT_EQ(t, ColourTable(5, 0));
}

TEST(GradientColourTable, BlackToBlackAndUnknownBlendModeAreAllBlack) {
    EXPECT_EQ(LastRingIndex(Build(kBlack, kBlack, 20, 1, gbmRGB)), -1);
    EXPECT_EQ(LastRingIndex(Build(kBlack, kBlack, 20, 3, gbmHSL)), -1);
    ColourTableBuild build;
    EXPECT_EQ(Build(kRed, kBlue, 20, 1, 7, &build), ColourTable(41, 0));
    EXPECT_TRUE(build.completed);
}

TEST(GradientColourTable, HugeRepetitionCountFinishesWithTheSecondColourFirst) {
    const auto start = std::chrono::steady_clock::now();
    ColourTableBuild build;
    const ColourTable t = Build(kRed, kBlue, 102, 1e9, gbmRGB, &build);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(build.completed);
    EXPECT_EQ(t[0], kBlue);
    EXPECT_EQ(t[1], kBlue);
    EXPECT_EQ(t[2], 0);
    EXPECT_EQ(LastRingIndex(t), 0);
}

TEST(GradientColourTable, TooFewStepsAreRaisedToTwo) {
    ColourTableBuild build;
    const ColourTable t = Build(kWhite, kBlack, 1, 1, gbmRGB, &build);
    EXPECT_EQ(build.steps, 2);
    EXPECT_EQ(t, (ColourTable{kWhite, Grey(128), kBlack, Grey(128), kWhite}));
}

TEST(GradientColourTable, SafeDivideGivesZeroInsteadOfFailing) {
    EXPECT_EQ(SafeDivide(6, 3), 2);
    EXPECT_EQ(SafeDivide(1, 0), 0);
    EXPECT_EQ(SafeDivide(1e308, 1e-308), 0);
}

}  // namespace
}  // namespace ov::gradient
