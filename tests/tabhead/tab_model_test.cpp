// Heading list parsing, the row geometry and the SelectedTab text, without a host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error_number.h"
#include "platform/runtime/automation_error.h"
#include "tabhead/selected_tab.h"
#include "tabhead/tab_layout.h"
#include "tabhead/tab_string.h"

namespace ov::tabhead {
namespace {

using testing_support::ErrorNumberOf;

constexpr double kHeadingHeight = 255;

TabRowMetrics StripMetrics(double width = 8460, double height = 630) { return TabRowMetrics{width, height, 15, 15}; }

// A row whose heading sizes come from the parsed texts, as the control hands them to the layout.
TabRowGeometry RowFor(const HeadingTexts& texts) {
    TabRowGeometry row;
    for (int i = 0; i < kHeadingCount; ++i) {
        row.headings[i].width = texts[i].width;
        row.headings[i].height = kHeadingHeight;
    }
    return row;
}

TabRowGeometry LaidOut(const std::string& list, std::int16_t selected, const TabRowMetrics& metrics = StripMetrics()) {
    HeadingTexts texts;
    ParseTabString(list, texts);
    TabRowGeometry row = RowFor(texts);
    LayoutTabs(metrics, selected, true, row);
    return row;
}

// A heading is 90 twips a character plus 200, whatever the glyphs; an empty item shows "..."
// (the trailing comma makes one too); items are not trimmed; an empty list hides every heading
// but keeps the previous captions and widths; only the first twelve items show.
TEST(ParseTabString, CaptionsWidthsAndVisibleHeadings) {
    struct Heading {
        int index;
        const char* caption;
        double width;
    };
    struct Row {
        const char* before;
        const char* list;
        int visible;  // headings 0 .. visible - 1 show
        std::vector<Heading> headings;
    };
    const Row rows[] = {
        {"", "Tab1,Tab2", 2, {{0, "Tab1", 560}, {1, "Tab2", 560}}},
        {"", "iii,WWW", 2, {{0, "iii", 470}, {1, "WWW", 470}}},
        {"", "One,, Two ,", 4, {{0, "One", 470}, {1, "...", 360}, {2, " Two ", 650}, {3, "...", 360}}},
        {"Alpha,Beta", "", 0, {{0, "Alpha", 650}, {1, "Beta", 560}}},
        {"", "a,b,c,d,e,f,g,h,i,j,k,l,m,n", 12, {{11, "l", 290}}},
    };
    for (const Row& row : rows) {
        HeadingTexts texts;
        ParseTabString(row.before, texts);
        ParseTabString(row.list, texts);
        for (int i = 0; i < kHeadingCount; ++i) EXPECT_EQ(texts[i].visible, i < row.visible) << row.list << ": " << i;
        for (const Heading& h : row.headings) {
            EXPECT_EQ(texts[h.index].caption, h.caption) << row.list << ": " << h.index;
            EXPECT_EQ(texts[h.index].width, h.width) << row.list << ": " << h.index;
        }
    }
}

TEST(LayoutTabs, DefaultRowAndPlateBehindFirstHeading) {
    TabRowGeometry row = LaidOut("Tab1,Tab2", 0);

    EXPECT_EQ(row.headings[0].left, 180);  // six times G = 2 pixels
    EXPECT_EQ(row.headings[0].top, 630 - 255);
    EXPECT_EQ(row.headings[1].left, 180 + 560 + 30);
    // Hidden headings are placed too, each one width and G further.
    EXPECT_EQ(row.headings[2].left, 770 + 560 + 30);

    EXPECT_TRUE(row.plate_visible);
    EXPECT_EQ(row.plate.left, 150);          // 2 pixels left of the heading
    EXPECT_EQ(row.plate.top, 375 - 90);      // 6 pixels above the heading
    EXPECT_EQ(row.plate.right(), 740);       // the heading's right edge
    EXPECT_EQ(row.plate.height, 630 + 285);  // reaches below the bottom edge

    EXPECT_EQ(row.left_line.x1, 0);
    EXPECT_EQ(row.left_line.x2, 150);
    EXPECT_EQ(row.right_line.x1, 725);
    EXPECT_EQ(row.right_line.x2, 8460);
    EXPECT_EQ(row.left_line.y1, 615);
    EXPECT_EQ(row.right_line.y2, 615);
    // 725 is 5 twips into its pixel: no correction.
    EXPECT_EQ(row.shadow.x1, 725);
    EXPECT_EQ(row.shadow.x2, 725);
    EXPECT_EQ(row.shadow.y1, 285 + 15);
    EXPECT_EQ(row.shadow.y2, 615);

    EXPECT_TRUE(row.selected_style[0]);
    EXPECT_FALSE(row.selected_style[1]);
    EXPECT_EQ(row.styled_count, kHeadingCount);
}

TEST(LayoutTabs, ShadowMovesOntoPixelColumn) {
    TabRowGeometry row = LaidOut("Tab1,Tab2", 1);
    EXPECT_EQ(row.plate.left, 740);
    EXPECT_EQ(row.plate.right(), 1330);
    // 1315 is 10 twips into its pixel: the shadow moves one pixel left, the line does not.
    EXPECT_EQ(row.right_line.x1, 1315);
    EXPECT_EQ(row.shadow.x1, 1300);
    EXPECT_EQ(row.left_line.x2, 740);
}

TEST(LayoutTabs, LowStripClampsPlateTop) {
    TabRowGeometry row = LaidOut("Tab1", 0, StripMetrics(2000, 300));
    EXPECT_EQ(row.headings[0].top, 45);
    EXPECT_EQ(row.plate.top, 0);
    EXPECT_EQ(row.plate.height, 300 + 15);
    EXPECT_EQ(row.shadow.y1, 15);
}

TEST(LayoutTabs, SelectionOutsideListAndOutsideArray) {
    HeadingTexts texts;
    ParseTabString("Tab1,Tab2", texts);
    TabRowGeometry row = RowFor(texts);
    row.headings[2].width = row.headings[3].width = row.headings[4].width = row.headings[5].width = 400;

    // Heading 5 is hidden, yet the plate stands where it would be.
    LayoutTabs(StripMetrics(), 5, true, row);
    EXPECT_TRUE(row.plate_visible);
    const double heading5 = 180 + 2 * 590 + 3 * 430;
    EXPECT_EQ(row.headings[5].left, heading5);
    EXPECT_EQ(row.plate.left, heading5 - 30);

    for (std::int16_t outside : {std::int16_t{12}, std::int16_t{-1}}) {
        LayoutTabs(StripMetrics(), outside, true, row);
        EXPECT_FALSE(row.plate_visible) << outside;
        // The stale plate still splits the line, the two halves overlapping by one pixel.
        EXPECT_EQ(row.plate.left, heading5 - 30);
        EXPECT_EQ(row.left_line.x2, row.plate.right());
        EXPECT_EQ(row.right_line.x1, row.plate.right() - 15);
    }
}

TEST(LayoutTabs, EmptyListHidesPlateAndLineRunsAcross) {
    TabRowGeometry row = LaidOut("Tab1,Tab2", 0);
    LayoutTabs(StripMetrics(), 0, false, row);
    EXPECT_FALSE(row.plate_visible);
    EXPECT_EQ(row.left_line.x1, 0);
    EXPECT_EQ(row.left_line.x2, 740);
    EXPECT_EQ(row.right_line.x1, 725);
    EXPECT_EQ(row.right_line.x2, 8460);
}

TEST(LayoutTabs, RunningPositionOverflowStopsPartWay) {
    const TabRowGeometry before = LaidOut("Tab1,Tab2", 1);

    HeadingTexts texts;
    ParseTabString("A," + std::string(400, 'x'), texts);
    TabRowGeometry row = RowFor(texts);
    row.plate = before.plate;
    row.plate_visible = before.plate_visible;
    row.left_line = before.left_line;
    row.right_line = before.right_line;
    row.shadow = before.shadow;
    row.headings[2].left = -1;  // marks a heading the layout must not reach

    EXPECT_EQ(ErrorNumberOf([&] { LayoutTabs(StripMetrics(), 1, true, row); }), 6);
    // Heading 1 (36200 twips wide) was placed, with its plate, before x overflowed.
    EXPECT_EQ(row.headings[1].left, 180 + 290 + 30);
    EXPECT_EQ(row.plate.left, row.headings[1].left - 30);
    EXPECT_EQ(row.styled_count, 2);
    EXPECT_EQ(row.headings[2].left, -1);
    // Nothing after the loop ran: the lines are the previous layout's.
    EXPECT_EQ(row.right_line.x1, before.right_line.x1);
    EXPECT_EQ(row.shadow.x1, before.shadow.x1);
}

TEST(SelectedTabText, ParsedAsTheLanguageReadsNumbers) {
    // Leading blanks skipped, the number ends at the first other character, halves to even.
    const std::pair<const char*, int> rows[] = {{"3", 3},   {"   4", 4}, {"7 tabs", 7},   {"2x5", 2},
                                                {"2.5", 2}, {"3.5", 4},  {"1.4999", 1},   {"none", 0},
                                                {"", 0},    {"-1", -1},  {"32767", 32767}};
    for (auto [text, index] : rows) EXPECT_EQ(ParseSelectedTab(text), index) << '"' << text << '"';
    for (const char* text : {"32768", "-32769", "1e10"})
        EXPECT_EQ(ErrorNumberOf([&] { ParseSelectedTab(text); }), 6) << text;
    EXPECT_EQ(SelectedTabText(3), "3");
    EXPECT_EQ(SelectedTabText(-1), "-1");
}

}  // namespace
}  // namespace ov::tabhead
