// Counting the hot spots of a control string and finding the one under the pointer.
#include <gtest/gtest.h>

#include "hotlabel/hot_spots.h"

namespace ov::hotlabel {
namespace {

TEST(CountHotSpots, PairsOfTildesRoundedDownAndRecordsRemadeOnlyForSome) {
    const struct {
        const char* text;
        std::int32_t count;
        std::size_t records;  // what the table holds afterwards, starting from 3 stale records
    } cases[] = {
        {"", 0, 3},       {"no marks * at all", 0, 3}, {"~", 0, 3},      {"a~b", 0, 3},
        {"~~", 1, 1},     {"a ~b~ c", 1, 1},           {"~a~ ~b", 1, 1},  // three tildes: one hot spot
        {"~a~~b~", 2, 2}, {"~~~~~~~~~~~~", 6, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        HotSpotTable table;
        table.records.assign(3, HotSpot{7, 8, 9});
        CountHotSpots(c.text, table);
        EXPECT_EQ(table.count, c.count);
        ASSERT_EQ(table.records.size(), c.records);
        for (const HotSpot& spot : table.records) {
            // Left alone when none was found, zeroed when re-made.
            const std::int32_t expected = c.count == 0 ? 7 : 0;
            EXPECT_EQ(spot.left, expected);
            EXPECT_EQ(spot.right, c.count == 0 ? 8 : 0);
            EXPECT_EQ(spot.top, c.count == 0 ? 9 : 0);
        }
    }
}

TEST(FindHotSpot, InclusiveBandsLaterRecordsWinRightBeforeLeftNeverHits) {
    HotSpotTable table;
    table.count = 4;
    table.records = {
        {10, 30, 2},  // 1
        {25, 40, 2},  // 2: overlaps 1 from x = 25
        {50, 20, 2},  // 3: wrapped to the left of its start, can never be hit
        {2, 12, 17},  // 4: on the second line
    };
    const float h = 13;  // band: top .. top + 15
    const struct {
        float x, y;
        std::int32_t found;
    } cases[] = {
        {10, 2, 1},      {30, 17, 2}, {24.99f, 10, 1}, {25, 10, 2},  // the later record wins
        {9.99f, 2, 0},   {40, 2, 2},  {40.01f, 2, 0},  {20, 1.99f, 0},
        {20, 17, 1},  // y = top + h + 2 is still inside record 1's band
        {20, 17.01f, 0}, {35, 30, 0}, {2, 17, 4},      {12, 32, 4},
        {45, 5, 0},      {21, 5, 1},  // record 3 covers nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(FindHotSpot(table, c.x, c.y, h), c.found);
    }
}

TEST(FindHotSpot, BandBottomIsSummedInSinglePrecision) {
    // Above 2^24 a float steps by 2: 2^24 + 15 rounds up to 2^24 + 16, so the band reaches
    // 2^24 + 18, one past the exact sum, and a pointer there is inside.
    HotSpotTable table;
    table.count = 1;
    const std::int32_t top = 1 << 24;
    table.records = {{0, 10, top}};
    EXPECT_EQ(FindHotSpot(table, 5, static_cast<float>(top) + 18.0f, 15), 1);
    EXPECT_EQ(FindHotSpot(table, 5, static_cast<float>(top) + 20.0f, 15), 0);
    // No records at all (a count of 0 with an empty table): nothing found.
    EXPECT_EQ(FindHotSpot(HotSpotTable{}, 0, 0, 13), 0);
}

}  // namespace
}  // namespace ov::hotlabel
