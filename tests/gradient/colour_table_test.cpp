// The colour table: RGB and HSL ramps, the copied and mirrored repetition passes, the builds
// that a failure ends early, and the last index the ring shapes sample. The drawing tests only
// check that lines show these entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "gradient/colour_table.h"
#include "platform/gdi/gdi.h"

namespace ov::gradient {
namespace {

constexpr std::int32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0x0000FF, kBlue = 0xFF0000;

std::int32_t Grey(int level) { return gdi::RGB(level, level, level); }
bool NotBlack(std::int32_t colour) { return colour != 0; }
bool NoGreen(std::int32_t colour) { return gdi::GetGValue(colour) == 0; }

ColourTable Only(std::size_t size, std::vector<std::pair<int, std::int32_t>> set) {
    ColourTable table(size, 0);
    for (auto [index, colour] : set) table[static_cast<std::size_t>(index)] = colour;
    return table;
}

struct Build {
    const char* what;
    std::int32_t c1, c2, n;
    double repetitions;
    std::int32_t blend;
    bool completed;
    std::vector<std::pair<int, std::int32_t>> entries = {};  // index, colour
    std::vector<std::pair<int, int>> equal = {};             // pairs of entries that must match
    std::optional<ColourTable> whole = {};
    std::optional<int> last_ring = {};
    bool (*others)(std::int32_t) = nullptr;  // holds for every entry not listed in `entries`
};

// Every build has 2n + 1 entries (n raised to 2 when lower) and finishes within two seconds.
TEST(GradientColourTable, BuildsRampsRepetitionsAndEarlyEnds) {
    const Build builds[] = {
        {.what = "one run goes there and back: 255 - 2.5 i, then mirrored",
         .c1 = kWhite,
         .c2 = kBlack,
         .n = 102,
         .repetitions = 1,
         .blend = gbmRGB,
         .completed = true,
         .entries = {{0, kWhite}, {4, Grey(245)}, {100, Grey(5)}, {102, kBlack}, {204, kWhite}},
         .equal = {{103, 101}, {200, 4}},
         .last_ring = 203},
        // q = 25.5: the mirrored run reads round(25.5 - k), halves to even, doubling some
        // entries and skipping others; the third run is a copy; beyond it nothing is written.
        {.what = "two runs mirror with halves rounded to even",
         .c1 = kWhite,
         .c2 = kBlack,
         .n = 51,
         .repetitions = 2,
         .blend = gbmRGB,
         .completed = true,
         .entries = {{0, kWhite},
                     {24, Grey(15)},
                     {25, kBlack},
                     {26, Grey(15)},
                     {27, Grey(15)},
                     {28, Grey(35)},
                     {47, Grey(215)},
                     {48, Grey(235)},
                     {49, Grey(235)},
                     {50, kWhite},
                     {51, Grey(245)},
                     {75, kBlack},
                     {76, kBlack}}},
        {.what = "three quarters of a run reach black only at entry 68",
         .c1 = kWhite,
         .c2 = kBlack,
         .n = 51,
         .repetitions = 0.75,
         .blend = gbmRGB,
         .completed = true,
         .entries = {{2, Grey(248)}, {6, Grey(232)}, {48, Grey(75)}, {68, kBlack}, {102, kBlack}}},
        {.what = "half a run ends the build at the table's end",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 10,
         .repetitions = 0.5,
         .blend = gbmRGB,
         .completed = false,
         .whole = Only(21, {{0, kRed}, {20, kBlue}})},
        {.what = "less than half a run sets entry 0 only",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 10,
         .repetitions = 0.4,
         .blend = gbmRGB,
         .completed = false,
         .whole = Only(21, {{0, kRed}}),
         .last_ring = -1},
        {.what = "in HSL the loop fills the whole table before it runs past its end",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 10,
         .repetitions = 0.4,
         .blend = gbmHSL,
         .completed = false,
         .others = NotBlack},
        // Every entry is advanced before it is written: entry 0 is one step (8.5) past red, entry
        // 4 five steps (hue 212.5, magenta), entry 10 one step past blue, kept by the mirror pass.
        {.what = "HSL red to blue takes the short way through magenta",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 10,
         .repetitions = 1,
         .blend = gbmHSL,
         .completed = true,
         .entries = {{0, gdi::RGB(255, 0, 51)},
                     {4, gdi::RGB(255, 0, 255)},
                     {5, gdi::RGB(204, 0, 255)},
                     {9, kBlue},
                     {10, gdi::RGB(0, 51, 255)},
                     {11, kBlue}},
         .equal = {{20, 0}},
         .others = NoGreen},
        {.what = "HSL with more repetitions than steps divides by zero and stays black",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 2,
         .repetitions = 5,
         .blend = gbmHSL,
         .completed = false,
         .whole = ColourTable(5, 0)},
        {.what = "black to black in RGB",
         .c1 = kBlack,
         .c2 = kBlack,
         .n = 20,
         .repetitions = 1,
         .blend = gbmRGB,
         .completed = true,
         .last_ring = -1},
        {.what = "black to black in HSL",
         .c1 = kBlack,
         .c2 = kBlack,
         .n = 20,
         .repetitions = 3,
         .blend = gbmHSL,
         .completed = true,
         .last_ring = -1},
        {.what = "an unknown blend mode ramps black",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 20,
         .repetitions = 1,
         .blend = 7,
         .completed = true,
         .whole = ColourTable(41, 0)},
        {.what = "a huge repetition count finishes quickly with the second colour first",
         .c1 = kRed,
         .c2 = kBlue,
         .n = 102,
         .repetitions = 1e9,
         .blend = gbmRGB,
         .completed = true,
         .entries = {{0, kBlue}, {1, kBlue}, {2, kBlack}},
         .last_ring = 0},
        {.what = "too few steps are raised to two",
         .c1 = kWhite,
         .c2 = kBlack,
         .n = 1,
         .repetitions = 1,
         .blend = gbmRGB,
         .completed = true,
         .whole = ColourTable{kWhite, Grey(128), kBlack, Grey(128), kWhite}},
    };
    for (const Build& b : builds) {
        SCOPED_TRACE(b.what);
        ColourTable t;
        const auto start = std::chrono::steady_clock::now();
        const ColourTableBuild build = BuildGradientColors(b.c1, b.c2, b.n, b.repetitions, b.blend, t);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(build.completed, b.completed);
        EXPECT_EQ(build.steps, std::max(b.n, 2));
        ASSERT_EQ(t.size(), 2u * static_cast<std::size_t>(build.steps) + 1);
        for (auto [index, colour] : b.entries) EXPECT_EQ(t[index], colour) << "entry " << index;
        for (auto [a, c] : b.equal) EXPECT_EQ(t[a], t[c]) << "entries " << a << " and " << c;
        if (b.whole) EXPECT_EQ(t, *b.whole);
        if (b.last_ring) EXPECT_EQ(LastRingIndex(t), *b.last_ring);
        if (b.others)
            for (std::size_t i = 0; i < t.size(); ++i) {
                const bool listed = std::any_of(b.entries.begin(), b.entries.end(),
                                                [&](const auto& e) { return static_cast<std::size_t>(e.first) == i; });
                if (!listed) EXPECT_TRUE(b.others(t[i])) << "entry " << i << ": " << std::hex << t[i];
            }
    }
}

TEST(GradientColourTable, SafeDivideGivesZeroInsteadOfFailing) {
    EXPECT_EQ(SafeDivide(6, 3), 2);
    EXPECT_EQ(SafeDivide(1, 0), 0);
    EXPECT_EQ(SafeDivide(1e308, 1e-308), 0);
}

}  // namespace
}  // namespace ov::gradient
