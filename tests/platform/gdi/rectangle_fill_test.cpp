// Rectangle, FillRect, PatBlt and single pixels at the edges of their rules.
#include <gtest/gtest.h>

#include "support/canvas.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;
using testing_support::Rows;

constexpr COLORREF kPen = 0x0000FF, kBrush = 0x00FF00, kBack = 0xFFFFFF;

TEST(RectangleRule, OutlineOnTheEdgeColumnsAndRowsBrushInside) {
    Canvas c(8, 7, kBack);
    c.Pen(kPen);
    c.Brush(kBrush);
    ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 6));
    EXPECT_EQ(c.Art(kPen), Rows({"........", ".#####..", ".#...#..", ".#...#..", ".#...#..", ".#####..", "........"}));
    EXPECT_EQ(c.Art(kBrush),
              Rows({"........", "........", "..###...", "..###...", "..###...", "........", "........"}));
}

TEST(RectangleRule, ReversedCoordinatesAreSwapped) {
    Canvas a(16, 16), b(16, 16);
    a.Pen(kPen);
    b.Pen(kPen);
    Rectangle(a.dc(), 10, 5, 5, 15);
    Rectangle(b.dc(), 5, 5, 10, 15);
    EXPECT_EQ(a.Art(kPen), b.Art(kPen));
    EXPECT_GT(a.Count(kPen), 0);
}

TEST(RectangleRule, DegenerateBoxes) {
    {
        Canvas c(8, 8);
        c.Pen(kPen);
        Rectangle(c.dc(), 2, 2, 3, 7);  // one wide: x 2, y 2..6
        EXPECT_EQ(c.Count(kPen), 5);
        for (int y = 2; y <= 6; ++y) EXPECT_EQ(c.At(2, y), kPen);
    }
    {
        Canvas c(8, 8);
        c.Pen(kPen);
        c.Brush(kBrush);
        Rectangle(c.dc(), 2, 2, 3, 3);  // 1x1 paints nothing
        Rectangle(c.dc(), 4, 4, 4, 7);  // zero wide
        Rectangle(c.dc(), 4, 4, 7, 4);  // zero high
        EXPECT_EQ(c.Count(kBack), 64);
    }
}

TEST(RectangleRule, NullPenBrushStopsOnePixelShortRightAndBottom) {
    Canvas c(9, 9, kBack);
    c.Pen(0, PS_NULL);
    c.Brush(kBrush);
    Rectangle(c.dc(), 2, 2, 7, 7);
    EXPECT_EQ(c.Count(kBrush), 16);  // x 2..5, y 2..5
    EXPECT_EQ(c.At(2, 2), kBrush);
    EXPECT_EQ(c.At(5, 5), kBrush);
    EXPECT_EQ(c.At(6, 6), kBack);
    c.Fill(kBack);
    Rectangle(c.dc(), 1, 1, 2, 6);  // one wide: nothing
    EXPECT_EQ(c.Count(kBrush), 0);
    Rectangle(c.dc(), 1, 1, 3, 3);  // 2x2: one pixel
    EXPECT_EQ(c.Count(kBrush), 1);
    EXPECT_EQ(c.At(1, 1), kBrush);
}

TEST(RectangleRule, HollowBrushLeavesTheInside) {
    Canvas c(8, 8, 0x123456);
    c.Pen(kPen);
    c.HollowBrush();
    Rectangle(c.dc(), 0, 0, 8, 8);
    EXPECT_EQ(c.Count(kPen), 28);
    EXPECT_EQ(c.Count(0x123456), 36);
}

TEST(RectangleRule, ClippedAtTheSurfaceEdges) {
    Canvas c(10, 10, kBack);
    c.Pen(kPen);
    c.Brush(kBrush);
    Rectangle(c.dc(), -5, -5, 5, 5);  // outline columns -5 and 4, rows -5 and 4
    EXPECT_EQ(c.At(4, 0), kPen);
    EXPECT_EQ(c.At(0, 4), kPen);
    EXPECT_EQ(c.At(3, 3), kBrush);
    EXPECT_EQ(c.At(5, 5), kBack);
    Rectangle(c.dc(), -100000, 3, 100000, 8);
    EXPECT_EQ(c.At(9, 3), kPen);
    EXPECT_EQ(c.At(9, 7), kPen);
    EXPECT_EQ(c.At(9, 5), kBrush);
}

TEST(FillRectRule, HalfOpenAndClipped) {
    Canvas c(10, 10, kBack);
    HBRUSH brush = CreateSolidBrush(kBrush);
    RECT r{-3, 2, 4, 5};
    EXPECT_NE(FillRect(c.dc(), &r, brush), 0);
    EXPECT_EQ(c.Count(kBrush), 12);  // x 0..3, y 2..4
    EXPECT_EQ(c.At(3, 4), kBrush);
    EXPECT_EQ(c.At(4, 4), kBack);
    EXPECT_EQ(c.At(3, 5), kBack);
    RECT empty{5, 5, 5, 9};
    FillRect(c.dc(), &empty, brush);
    EXPECT_EQ(c.Count(kBrush), 12);
    DeleteObject(brush);
}

TEST(FillRectRule, InvertedExtentsCoverEndExclusiveToStartInclusive) {
    Canvas c(16, 16, kBack);
    HBRUSH brush = CreateSolidBrush(kBrush);
    RECT r{10, 10, 5, 5};
    FillRect(c.dc(), &r, brush);
    EXPECT_EQ(c.Count(kBrush), 25);  // x 6..10, y 6..10
    EXPECT_EQ(c.At(6, 6), kBrush);
    EXPECT_EQ(c.At(10, 10), kBrush);
    EXPECT_EQ(c.At(5, 5), kBack);
    EXPECT_EQ(c.At(11, 11), kBack);
    DeleteObject(brush);
}

TEST(FillRectRule, MonoBitmapTakesTheNearerOfBlackAndWhite) {
    Canvas c(6, 1, 0, /*mono=*/true);
    const COLORREF colours[] = {0x808080, 0xC0C0C0, 0x7F7F7F, 0x404040, 0x0000FF, 0xFFFFFF};
    const COLORREF expected[] = {0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0xFFFFFF};
    for (int i = 0; i < 6; ++i) {
        HBRUSH brush = CreateSolidBrush(colours[i]);
        RECT r{i, 0, i + 1, 1};
        FillRect(c.dc(), &r, brush);
        DeleteObject(brush);
        EXPECT_EQ(c.At(i, 0), expected[i]) << std::hex << colours[i];
    }
}

TEST(PatBltRule, NegativeExtentsAndPatternOperations) {
    Canvas c(16, 16, 0x0F0F0F);
    c.Brush(0xF000F0);
    ASSERT_TRUE(PatBlt(c.dc(), 10, 10, -5, -5, PATCOPY));  // x 6..10, y 6..10
    EXPECT_EQ(c.Count(0xF000F0), 25);
    EXPECT_EQ(c.At(6, 6), 0xF000F0u);
    EXPECT_EQ(c.At(11, 11), 0x0F0F0Fu);
    ASSERT_TRUE(PatBlt(c.dc(), 0, 0, 2, 1, DSTINVERT));
    EXPECT_EQ(c.At(0, 0), 0xF0F0F0u);
    ASSERT_TRUE(PatBlt(c.dc(), 0, 1, 1, 1, PATINVERT));
    EXPECT_EQ(c.At(0, 1), 0xFF0FFFu);
    ASSERT_TRUE(PatBlt(c.dc(), 0, 2, 1, 1, BLACKNESS));
    ASSERT_TRUE(PatBlt(c.dc(), 1, 2, 1, 1, WHITENESS));
    EXPECT_EQ(c.At(0, 2), 0x000000u);
    EXPECT_EQ(c.At(1, 2), 0xFFFFFFu);
    EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));  // needs a source
}

TEST(PixelRule, GetAndSetInsideAndOutside) {
    Canvas c(4, 3, kBack);
    EXPECT_TRUE(SetPixelV(c.dc(), 3, 2, 0x123456));
    EXPECT_EQ(GetPixel(c.dc(), 3, 2), 0x123456u);
    EXPECT_FALSE(SetPixelV(c.dc(), 4, 0, 0x123456));
    EXPECT_FALSE(SetPixelV(c.dc(), -1, 0, 0x123456));
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}})
        EXPECT_EQ(GetPixel(c.dc(), x, y), CLR_INVALID);
    EXPECT_EQ(c.Count(kBack), 11);
    EXPECT_EQ(SetPixel(c.dc(), 0, 0, 0xABCDEF), 0xABCDEFu);
    EXPECT_EQ(SetPixel(c.dc(), 9, 9, 0xABCDEF), CLR_INVALID);
    // The high byte of a colour is not stored.
    SetPixelV(c.dc(), 1, 1, 0xFF00FF00);
    EXPECT_EQ(GetPixel(c.dc(), 1, 1), 0x0000FF00u);
}

TEST(PixelRule, MonoPixels) {
    Canvas c(4, 1, 0, /*mono=*/true);
    EXPECT_EQ(SetPixel(c.dc(), 0, 0, 0x808080), 0xFFFFFFu);
    EXPECT_EQ(SetPixel(c.dc(), 1, 0, 0x7F7F7F), 0u);
    EXPECT_EQ(GetPixel(c.dc(), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(c.dc(), 4, 0), CLR_INVALID);
}

TEST(DrawingCalls, InvalidHandlesFailSafely) {
    const HDC bogus = 0x12345678;
    EXPECT_FALSE(LineTo(bogus, 1, 1));
    EXPECT_FALSE(Rectangle(bogus, 0, 0, 4, 4));
    EXPECT_FALSE(Ellipse(bogus, 0, 0, 4, 4));
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(FillRect(bogus, &r, GetStockObject(BLACK_BRUSH)), 0);
    Canvas c(2, 2);
    EXPECT_EQ(FillRect(c.dc(), &r, 0), 0);
    EXPECT_EQ(FillRect(c.dc(), nullptr, GetStockObject(BLACK_BRUSH)), 0);
    EXPECT_EQ(GetPixel(bogus, 0, 0), CLR_INVALID);
    EXPECT_FALSE(SetPixelV(bogus, 0, 0, 0));
    EXPECT_FALSE(PatBlt(bogus, 0, 0, 1, 1, PATCOPY));
    EXPECT_FALSE(BitBlt(c.dc(), 0, 0, 1, 1, bogus, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(bogus, 0, 0, 1, 1, c.dc(), 0, 0, SRCCOPY));
    EXPECT_FALSE(StretchBlt(c.dc(), 0, 0, 1, 1, bogus, 0, 0, 2, 2, SRCCOPY));
}

}  // namespace
}  // namespace ov::gdi
