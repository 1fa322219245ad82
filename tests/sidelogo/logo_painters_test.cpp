// The side logo's painters on plain device contexts: band heights and colours, the cylinder's
// box pairs, the caption font and where the caption lands. Every test also checks that the
// painters leave no graphics object behind.
#include <gtest/gtest.h>

#include <vector>

#include "support/error_number.h"
#include "platform/gdi/gdi.h"
#include "platform/runtime/automation_error.h"
#include "sidelogo/band_painter.h"
#include "sidelogo/caption_painter.h"
#include "sidelogo/cylinder_painter.h"
#include "sidelogo/logo_colours.h"
#include "support/canvas.h"

namespace ov::sidelogo {
namespace {

using gdi::COLORREF;
using gdi::RGB;
using testing_support::ErrorNumberOf;

constexpr ChannelTriple kBlue{0, 0, 255};
constexpr ChannelTriple kSilver{192, 192, 192};
constexpr COLORREF kSentinel = RGB(1, 2, 3);

// Every canvas starts in a sentinel colour no painter uses.
class Canvas : public testing_support::Canvas {
public:
    Canvas(int width, int height) : testing_support::Canvas(width, height, kSentinel) {}
};

class LogoPainters : public ::testing::Test {
protected:
    void SetUp() override { before_ = gdi::CountLiveObjects(); }
    void TearDown() override { EXPECT_EQ(gdi::CountLiveObjects(), before_) << "graphics objects leaked"; }
    gdi::LiveObjects before_;
};

TEST(BandStep, OnePixelUpTo255ThenHeightOver255) {
    EXPECT_EQ(BandStep(0), 1);
    EXPECT_EQ(BandStep(254), 1);
    EXPECT_EQ(BandStep(255), 1);
    EXPECT_EQ(BandStep(509), 1);
    EXPECT_EQ(BandStep(510), 2);
    EXPECT_EQ(BandStep(600), 2);
}

// Blue to silver from the bottom up. The two lowest bands both have the start colour; the
// third is one step of the way (255 rows: 0.75 rounds to 1, 254.75 to 255; 600 rows: two
// 600ths, 0.64 rounds to 1); the top band stops short of silver.
TEST_F(LogoPainters, BandsRiseFromStartColourOneOrTwoPixelsHigh) {
    struct Row {
        int height, x, y;
        COLORREF colour;
    };
    const Row rows[] = {{255, 0, 254, RGB(0, 0, 255)},   {255, 2, 253, RGB(0, 0, 255)},  {255, 0, 252, RGB(1, 1, 255)},
                        {255, 0, 0, RGB(190, 190, 192)}, {600, 0, 599, RGB(0, 0, 255)},  {600, 0, 596, RGB(0, 0, 255)},
                        {600, 0, 594, RGB(1, 1, 255)},   {600, 0, 0, RGB(191, 191, 192)}};
    for (int height : {255, 600}) {
        Canvas canvas(3, height);
        PaintBands(canvas.dc(), 3, height, kBlue, kSilver);
        for (const Row& row : rows)
            if (row.height == height) EXPECT_EQ(canvas.At(row.x, row.y), row.colour) << height << " rows, y " << row.y;
        for (int y = 0; y < height; ++y) ASSERT_NE(canvas.At(2, y), kSentinel) << height << " rows, y " << y;
        if (height == 600) {
            for (int y = 0; y < 600; y += 2) ASSERT_EQ(canvas.At(1, y), canvas.At(1, y + 1)) << "band at row " << y;
        } else {
            // Every row is one band: neighbouring rows differ somewhere along the strip.
            int changes = 0;
            for (int y = 0; y + 1 < 254; ++y) changes += canvas.At(0, y) != canvas.At(0, y + 1);
            EXPECT_GT(changes, 180);
        }
    }
}

TEST_F(LogoPainters, EqualStartAndEndGiveOneFlatColour) {
    Canvas canvas(20, 300);
    const ChannelTriple teal{0, 128, 128};
    PaintBands(canvas.dc(), 20, 300, teal, teal);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(canvas.At(x, y), RGB(0, 128, 128)) << x << "," << y;
}

TEST_F(LogoPainters, ZeroHeightStopsAfterFirstBandWithOverflow) {
    Canvas canvas(5, 5);
    EXPECT_EQ(ErrorNumberOf([&] { PaintBands(canvas.dc(), 5, 0, kBlue, kSilver); }), 6);
    EXPECT_EQ(canvas.At(0, 0), kSentinel);  // the only band lay above the strip
}

struct RecordedBox {
    int x1, y1, x2, y2;
    COLORREF colour;
};

std::vector<RecordedBox> RecordCylinder(double scale_width, double scale_height, const ChannelTriple& base) {
    std::vector<RecordedBox> boxes;
    PaintCylinder(scale_width, scale_height, base, [&](int x1, int y1, int x2, int y2, COLORREF colour) {
        boxes.push_back(RecordedBox{x1, y1, x2, y2, colour});
    });
    return boxes;
}

TEST(CylinderPainter, CentrePairsDarkenBySixFromTheMiddleOut) {
    const std::vector<RecordedBox> boxes = RecordCylinder(3000, 10500, kBlue);
    ASSERT_EQ(boxes.size(), 100u);
    // c = 1500, d = 3000 / 45 = 66.7 -> 67; right box first, then left.
    EXPECT_EQ(boxes[0].x1, 1500);
    EXPECT_EQ(boxes[0].x2, 1567);
    EXPECT_EQ(boxes[1].x1, 1500);
    EXPECT_EQ(boxes[1].x2, 1433);
    EXPECT_EQ(boxes[0].y1, 0);
    EXPECT_EQ(boxes[0].y2, 10500);
    EXPECT_EQ(boxes[0].colour, RGB(0, 0, 255));
    EXPECT_EQ(boxes[1].colour, RGB(0, 0, 255));
    EXPECT_EQ(boxes[2].x1, 1567);
    EXPECT_EQ(boxes[2].x2, 1634);
    EXPECT_EQ(boxes[3].x2, 1366);
    EXPECT_EQ(boxes[2].colour, RGB(0, 0, 249));
    EXPECT_EQ(boxes[3].colour, RGB(0, 0, 249));
    // 255 - 6 * 42 = 3; the next step would go below 0 and stays at 0.
    EXPECT_EQ(boxes[84].colour, RGB(0, 0, 3));
    EXPECT_EQ(boxes[86].colour, RGB(0, 0, 0));
    EXPECT_EQ(boxes[99].colour, RGB(0, 0, 0));
}

TEST(CylinderPainter, HalvesRoundToEvenAndChannelsClampIndependently) {
    const std::vector<RecordedBox> boxes = RecordCylinder(112.5, 700, ChannelTriple{10, 100, 255});
    // c = 56.25 -> 56; d = 2.5 -> 2 (half to even).
    EXPECT_EQ(boxes[0].x1, 56);
    EXPECT_EQ(boxes[0].x2, 58);
    EXPECT_EQ(boxes[2].colour, RGB(4, 94, 249));
    EXPECT_EQ(boxes[4].colour, RGB(0, 88, 243));
    EXPECT_EQ(boxes[6].colour, RGB(0, 82, 237));
}

TEST(CylinderPainter, PositionPastSixteenBitsStopsWithOverflow) {
    std::vector<RecordedBox> boxes;
    EXPECT_EQ(ErrorNumberOf([&] {
                  PaintCylinder(30000, 1000, kBlue, [&](int x1, int y1, int x2, int y2, COLORREF colour) {
                      boxes.push_back(RecordedBox{x1, y1, x2, y2, colour});
                  });
              }),
              6);
    // c = 15000, d = 667: the right box's far edge passes 32767 after the 26th pair.
    EXPECT_EQ(boxes.size(), 52u);
    EXPECT_EQ(boxes.back().x2, 15000 - 26 * 667);
}

TEST_F(LogoPainters, FontRecordFromFontDesc) {
    Canvas canvas(1, 1);
    ASSERT_EQ(gdi::GetDeviceCaps(canvas.dc(), gdi::LOGPIXELSY), 96);
    gdi::LOGFONTA record;
    FontToLogFont(FontDesc{"Times New Roman", 11.25, true, false, false, false}, canvas.dc(), record);
    EXPECT_EQ(record.lfHeight, -15);  // 11 points at 96 dpi: 14.67 rounds to 15
    EXPECT_EQ(record.lfWeight, 700);
    EXPECT_EQ(record.lfItalic, 0);
    EXPECT_EQ(record.lfEscapement, 0);
    EXPECT_STREQ(record.lfFaceName, "Times New Roman");

    FontToLogFont(FontDesc{"Arial", 12.5, false, true, true, true}, canvas.dc(), record);
    EXPECT_EQ(record.lfHeight, -16);  // 12.5 rounds to 12 (half to even)
    EXPECT_EQ(record.lfWeight, 400);
    EXPECT_EQ(record.lfItalic, 255);
    EXPECT_EQ(record.lfUnderline, 255);
    EXPECT_EQ(record.lfStrikeOut, 255);

    EXPECT_NO_THROW(FontToLogFont(FontDesc{std::string(33, 'F'), 10, false, false, false, false}, canvas.dc(), record));
    EXPECT_EQ(ErrorNumberOf([&] {
                  FontToLogFont(FontDesc{std::string(34, 'F'), 10, false, false, false, false}, canvas.dc(), record);
              }),
              9);
}

TEST_F(LogoPainters, CaptionReadsUpwardsFrom16PixelsAboveBottom) {
    const COLORREF black = RGB(0, 0, 0);
    testing_support::Canvas canvas(40, 300, black);
    gdi::SetTextColor(canvas.dc(), RGB(255, 255, 255));
    gdi::SetBkMode(canvas.dc(), gdi::TRANSPARENT);

    PaintCaption(canvas.dc(), 300, "Orvelle Software", FontDesc{"Times New Roman", 11.25, true, false, false, false});

    int lowest = -1, highest = 300, rightmost = -1, touched = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 40; ++x) {
            const COLORREF c = canvas.At(x, y);
            if (c == black) continue;
            ++touched;
            lowest = std::max(lowest, y);
            highest = std::min(highest, y);
            rightmost = std::max(rightmost, x);
        }
    ASSERT_GT(touched, 50) << "no caption drawn";
    EXPECT_LE(lowest, 300 - 16);      // nothing below its starting point
    EXPECT_GE(lowest, 300 - 16 - 6);  // the first letter starts there
    EXPECT_LT(rightmost, 22);         // one line of 15-pixel text along the left edge
    EXPECT_GT(lowest - highest, 60);  // and it runs upwards, longer than it is wide
    // The fully lit pixels carry the text colour.
    bool white_found = false;
    for (int y = highest; y <= lowest && !white_found; ++y)
        for (int x = 0; x < 40; ++x)
            if (canvas.At(x, y) == RGB(255, 255, 255)) white_found = true;
    EXPECT_TRUE(white_found);
}

TEST_F(LogoPainters, OverlongFaceNameSkipsCaptionAndCreatesNothing) {
    Canvas canvas(20, 100);
    EXPECT_THROW(PaintCaption(canvas.dc(), 100, "Text", FontDesc{std::string(40, 'x'), 10, false, false, false, false}),
                 AutomationError);
    EXPECT_EQ(canvas.At(5, 80), kSentinel);
}

}  // namespace
}  // namespace ov::sidelogo
