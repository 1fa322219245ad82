// The pointing-hand cursor the tab header's headings (and any control that points at a link)
// show: its image, its hot spot, and the hot spot surviving the way into a picture.
#include <gtest/gtest.h>

#include "host/hand_cursor.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"

namespace ov::host {
namespace {

TEST(PointingHandCursor, HotSpotOnFingertipInsideOutline) {
    const MonochromeCursor& hand = PointingHandCursor();
    EXPECT_EQ(hand.hot_spot_x, 6);
    EXPECT_EQ(hand.hot_spot_y, 2);
    EXPECT_TRUE(hand.IsWhite(6, 2));
    EXPECT_FALSE(hand.IsTransparent(6, 1));  // the black tip just above
    EXPECT_FALSE(hand.IsWhite(6, 1));
    EXPECT_TRUE(hand.IsTransparent(6, 0));
    EXPECT_TRUE(hand.IsTransparent(31, 31));
    const std::vector<std::uint32_t> argb = hand.ToArgb();
    ASSERT_EQ(argb.size(), 32u * 32u);
    EXPECT_EQ(argb[2 * 32 + 6], 0xFFFFFFFFu);
    EXPECT_EQ(argb[1 * 32 + 6], 0xFF000000u);
    EXPECT_EQ(argb[0], 0u);

    // As a MouseIcon the cursor keeps its hot spot; a plain icon points with its centre.
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    {
        const std::shared_ptr<Picture> pointer = CursorPicture(hand);
        ASSERT_NE(pointer, nullptr);
        EXPECT_EQ(pointer->type(), PictureType::Icon);
        EXPECT_EQ(pointer->HotSpot().x, 6);
        EXPECT_EQ(pointer->HotSpot().y, 2);
        const auto icon = Picture::FromIcon(gdi::CreateIconFromArgb(32, 16, argb.data()));
        EXPECT_EQ(icon->HotSpot().x, 16);
        EXPECT_EQ(icon->HotSpot().y, 8);
    }
    EXPECT_EQ(gdi::CountLiveObjects(), before);
    EXPECT_EQ(gdi::CreateCursorFromArgb(32, 32, argb.data(), 32, 0), 0u);  // hot spot outside
}

}  // namespace
}  // namespace ov::host
