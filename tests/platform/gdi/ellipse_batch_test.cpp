// EllipseBatch against the same Ellipse calls made one after another: seeded random boxes (on,
// across and far outside the surface, down to 0, 1 and 2 pixels), pens changing between calls,
// and the DC states that make the batch draw call by call instead of from the last outline.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "canvas.h"

namespace ov::gdi {
namespace {

using testing::Canvas;

struct Box {
    int left, top, right, bottom;
    int pen;  // index into the case's pens; -1 keeps the DC's own pen
};

struct Case {
    const char* name;
    bool mono;
    int pen_width;     // of the pens the calls switch between
    int own_pen;       // the DC's pen: 0 a one-pixel pen, 1 a wide pen, 2 the null pen
    bool brush;        // a solid brush selected instead of a hollow one
    bool outlines;     // expected path: from the last outline back
};

std::vector<Box> RandomBoxes(std::mt19937& rng, int count, int w, int h) {
    std::uniform_int_distribution<int> kind(0, 9), pen(-1, 3), side(0, 6);
    std::uniform_int_distribution<int> x(-w, 2 * w), y(-h, 2 * h), size(0, 3 * (w + h));
    std::vector<Box> boxes;
    for (int i = 0; i < count; ++i) {
        int l = x(rng), t = y(rng), r = l + size(rng), b = t + size(rng);
        if (kind(rng) < 3) r = l + side(rng), b = t + side(rng);  // 0..6 pixels: the rectangle rule
        if (kind(rng) == 0) std::swap(l, r);                     // unnormalised boxes
        boxes.push_back(Box{l, t, r, b, pen(rng)});
    }
    // Concentric rings as a gradient draws them, ending in the innermost boxes.
    for (int i = 0; i < std::min(w, h); ++i) {
        const int reach = std::min(w, h) / 2, l = i - reach, r = w + reach - i, b = h + reach - i;
        boxes.push_back(Box{l, l, r, b, i % 4});
        boxes.push_back(Box{l + 1, l + 1, r, b, i % 4});
        boxes.push_back(Box{l, l, r - 1, b - 1, i % 4});
    }
    return boxes;
}

TEST(EllipseBatch, DrawsWhatTheSameEllipseCallsDraw) {
    const Case cases[] = {
        {"one-pixel pens", false, 1, 0, false, true},
        {"one-pixel pens on a mono bitmap", true, 1, 0, false, true},
        {"the null pen between them", false, 1, 2, false, true},
        {"a wide pen of the DC's own", false, 1, 1, false, false},
        {"wide pens", false, 4, 0, false, false},
        {"a solid brush", false, 1, 0, true, false},
        {"a solid brush on a mono bitmap", true, 1, 2, true, false},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        for (const auto& [w, h] : {std::pair{61, 47}, {8, 90}, {90, 3}}) {
            const std::vector<Box> boxes = RandomBoxes(rng, 80, w, h);
            Canvas batched(w, h, 0x00FF00, c.mono), direct(w, h, 0x00FF00, c.mono);
            std::vector<HPEN> pens;
            for (COLORREF colour : {0x0000FFu, 0xFF0000u, 0x000000u, 0xFFFFFFu})
                pens.push_back(CreatePen(PS_SOLID, c.pen_width, colour));
            const HPEN own = c.own_pen == 2 ? GetStockObject(NULL_PEN) : CreatePen(PS_SOLID, c.own_pen ? 3 : 1, 0x808080);
            for (Canvas* canvas : {&batched, &direct}) {
                canvas->HollowBrush();
                if (c.brush) canvas->Brush(0x00FFFF);
                SelectObject(canvas->dc(), own);
            }
            const LiveObjects before = CountLiveObjects();
            EllipseBatch batch(batched.dc());
            int returned_differently = 0;
            for (const Box& box : boxes) {
                for (Canvas* canvas : {&batched, &direct})
                    SelectObject(canvas->dc(), box.pen < 0 ? own : pens[static_cast<std::size_t>(box.pen)]);
                const bool added = batch.Add(box.left, box.top, box.right, box.bottom);
                returned_differently += added != Ellipse(direct.dc(), box.left, box.top, box.right, box.bottom);
            }
            batch.Draw();
            EXPECT_EQ(batch.drew_outlines_only(), c.outlines) << c.name;
            EXPECT_EQ(returned_differently, 0) << c.name;
            EXPECT_EQ(CountLiveObjects(), before) << c.name;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(batched.At(x, y), direct.At(x, y)) << c.name << " " << w << "x" << h << " at " << x << "," << y;
            for (Canvas* canvas : {&batched, &direct}) SelectObject(canvas->dc(), GetStockObject(BLACK_PEN));
            for (HPEN pen : pens) DeleteObject(pen);
            DeleteObject(own);
        }
    }
}

TEST(EllipseBatch, RefusesWhatEllipseRefusesAndDrawsEachCallOnItsOwnBitmap) {
    Canvas canvas(20, 20, 0xFFFFFF);
    canvas.Pen(0x0000FF);
    canvas.HollowBrush();
    EllipseBatch batch(canvas.dc());
    EXPECT_FALSE(batch.Add(0, 0, 1 << 20, 10));  // past the outline walk's size limit
    EXPECT_TRUE(batch.Add(2, 2, 18, 18));
    // The DC is given another bitmap: the call taken before lands on the canvas's own one.
    const HBITMAP other = CreateCompatibleBitmap(canvas.dc(), 20, 20);
    const HGDIOBJ own = SelectObject(canvas.dc(), other);
    EXPECT_TRUE(batch.Add(0, 0, 20, 20));
    batch.Draw();
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 10), 0x0000FFu);  // the second call, on the other bitmap
    SelectObject(canvas.dc(), own);
    EXPECT_EQ(canvas.At(2, 10), 0x0000FFu);  // the first call, on the canvas's bitmap
    EXPECT_EQ(canvas.At(0, 10), 0xFFFFFFu);
    DeleteObject(other);
    EllipseBatch invalid(0);
    EXPECT_FALSE(invalid.Add(0, 0, 5, 5));
}

}  // namespace
}  // namespace ov::gdi
