// The pointing-hand cursor of tab headings and hot spots, in both renderings: its image, its
// hot spot, the 16-colour one being the monochrome drawing moved with a shadow added, and the
// hot spot surviving the way into a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "host/contract/hand_cursor.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"

namespace ov::host {
namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u, kOpaqueWhite = 0xFFFFFFFFu, kOpaqueGrey = 0xFF808080u;

struct Rendering {
    const char* name;
    int hot_x, hot_y;
    std::function<std::vector<std::uint32_t>()> argb;
    std::function<std::shared_ptr<Picture>()> picture;
};

const Rendering kRenderings[] = {
    {"monochrome", 6, 2, [] { return PointingHandCursor().ToArgb(); },
     [] { return CursorPicture(PointingHandCursor()); }},
    {"16-colour", 8, 3, [] { return PointingHandColourCursor().ToArgb(); },
     [] { return CursorPicture(PointingHandColourCursor()); }},
};

std::uint32_t At(const std::vector<std::uint32_t>& argb, int x, int y) {
    return argb[static_cast<std::size_t>(y) * 32 + x];
}

TEST(PointingHandCursor, HotSpotOnFingertipInsideOutline) {
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    for (const Rendering& r : kRenderings) {
        SCOPED_TRACE(r.name);
        const std::vector<std::uint32_t> argb = r.argb();
        ASSERT_EQ(argb.size(), 32u * 32u);
        EXPECT_EQ(At(argb, r.hot_x, r.hot_y), kOpaqueWhite);      // first white row of the finger
        EXPECT_EQ(At(argb, r.hot_x, r.hot_y - 1), kOpaqueBlack);  // the black tip just above
        EXPECT_EQ(At(argb, r.hot_x, r.hot_y - 2), 0u);            // and nothing above the tip
        EXPECT_EQ(At(argb, 31, 31), 0u);
        // As a MouseIcon the cursor keeps its hot spot.
        const std::shared_ptr<Picture> pointer = r.picture();
        ASSERT_NE(pointer, nullptr);
        EXPECT_EQ(pointer->type(), PictureType::Icon);
        EXPECT_EQ(pointer->width_pixels(), 32);
        EXPECT_EQ(pointer->HotSpot().x, r.hot_x);
        EXPECT_EQ(pointer->HotSpot().y, r.hot_y);
    }
    // A plain icon points with its centre; a hot spot outside the image makes no cursor.
    const std::vector<std::uint32_t> argb = PointingHandCursor().ToArgb();
    {
        const auto icon = Picture::FromIcon(gdi::CreateIconFromArgb(32, 16, argb.data()));
        EXPECT_EQ(icon->HotSpot().x, 16);
        EXPECT_EQ(icon->HotSpot().y, 8);
    }
    EXPECT_EQ(gdi::CreateCursorFromArgb(32, 32, argb.data(), 32, 0), 0u);
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

TEST(PointingHandCursor, ColourRenderingIsTheSameHandMovedOverAGreyShadow) {
    const MonochromeCursor& mono = PointingHandCursor();
    const SixteenColourCursor& colour = PointingHandColourCursor();
    const std::vector<std::uint32_t> mono_argb = mono.ToArgb(), colour_argb = colour.ToArgb();
    const int dx = colour.hot_spot_x - mono.hot_spot_x, dy = colour.hot_spot_y - mono.hot_spot_y;
    ASSERT_EQ(dx, 2);
    ASSERT_EQ(dy, 1);
    const auto hand_at = [&](int x, int y) {  // the monochrome hand in the colour cursor's place
        const int mx = x - dx, my = y - dy;
        return mx >= 0 && my >= 0 && mx < 32 && my < 32 && !mono.IsTransparent(mx, my);
    };
    int shadow = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint32_t pixel = At(colour_argb, x, y);
            ASSERT_EQ(colour.IsTransparent(x, y), pixel == 0u) << x << "," << y;
            if (pixel != 0u) {
                ASSERT_NE(std::find(kSixteenColourPalette.begin(), kSixteenColourPalette.end(), pixel & 0xFFFFFFu),
                          kSixteenColourPalette.end());
            }
            if (hand_at(x, y)) {
                ASSERT_EQ(pixel, At(mono_argb, x - dx, y - dy)) << x << "," << y;
            } else if (hand_at(x - 1, y - 1)) {
                ASSERT_EQ(pixel, kOpaqueGrey) << x << "," << y;
                ++shadow;
            } else {
                ASSERT_EQ(pixel, 0u) << x << "," << y;
            }
        }
    EXPECT_GT(shadow, 20);
}

}  // namespace
}  // namespace ov::host
