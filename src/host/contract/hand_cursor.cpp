#include "host/contract/hand_cursor.h"

#include <string_view>

#include "platform/gdi/icon.h"

namespace ov::host {

namespace {

// ' ' transparent, '#' black outline, 'o' white. The hot spot (6, 2) is the first white pixel
// row of the index finger, just inside its black tip.
constexpr std::array<std::string_view, 23> kHandArt = {
    "                                ", "     ##                         ", "    #oo#                        ",
    "    #oo#                        ", "    #oo#                        ", "    #oo#                        ",
    "    #oo###                      ", "    #oo#oo###                   ", "    #oo#oo#oo##                 ",
    "    #oo#oo#oo#o#                ", "##  #oooooooo#o#                ", "#o# #ooooooooooo#               ",
    "#oo##ooooooooooo#               ", " #oo#ooooooooooo#               ", "  #ooooooooooooo#               ",
    "  #ooooooooooooo#               ", "   #oooooooooooo#               ", "   #ooooooooooo#                ",
    "    #oooooooooo#                ", "    #ooooooooo#                 ", "     #oooooooo#                 ",
    "     #oooooooo#                 ", "     ##########                 ",
};

// Where the 16-colour rendering puts the drawing: two pixels right and one down, leaving room
// for the shadow and putting the fingertip's hot spot at (8, 3).
constexpr int kColourOffsetX = 2;
constexpr int kColourOffsetY = 1;

constexpr std::uint32_t RowBit(int x) { return 0x80000000u >> x; }

// The drawing's character at (x, y), ' ' outside it.
char ArtAt(int x, int y) {
    if (x < 0 || y < 0 || static_cast<std::size_t>(y) >= kHandArt.size()) return ' ';
    const std::string_view row = kHandArt[static_cast<std::size_t>(y)];
    return static_cast<std::size_t>(x) < row.size() ? row[static_cast<std::size_t>(x)] : ' ';
}

MonochromeCursor BuildPointingHand() {
    MonochromeCursor cursor;
    cursor.hot_spot_x = 6;
    cursor.hot_spot_y = 2;
    cursor.and_mask.fill(0xFFFFFFFFu);
    cursor.xor_mask.fill(0);
    for (int y = 0; y < MonochromeCursor::kSize; ++y) {
        for (int x = 0; x < MonochromeCursor::kSize; ++x) {
            const char c = ArtAt(x, y);
            if (c == ' ') continue;
            cursor.and_mask[static_cast<std::size_t>(y)] &= ~RowBit(x);
            if (c == 'o') cursor.xor_mask[static_cast<std::size_t>(y)] |= RowBit(x);
        }
    }
    return cursor;
}

// The same drawing, moved by the colour offset, black outline and white inside, over a grey
// shadow: the hand's own shape one pixel down and right, wherever the hand leaves it visible.
SixteenColourCursor BuildColourPointingHand() {
    SixteenColourCursor cursor;
    cursor.hot_spot_x = 6 + kColourOffsetX;
    cursor.hot_spot_y = 2 + kColourOffsetY;
    cursor.and_mask.fill(0xFFFFFFFFu);
    for (int y = 0; y < SixteenColourCursor::kSize; ++y) {
        for (int x = 0; x < SixteenColourCursor::kSize; ++x) {
            const char c = ArtAt(x - kColourOffsetX, y - kColourOffsetY);
            std::uint8_t index = 0;
            if (c == '#') index = SixteenColourCursor::kBlack;
            else if (c == 'o') index = SixteenColourCursor::kWhite;
            else if (ArtAt(x - kColourOffsetX - 1, y - kColourOffsetY - 1) != ' ') index = SixteenColourCursor::kGrey;
            else continue;
            cursor.and_mask[static_cast<std::size_t>(y)] &= ~RowBit(x);
            cursor.colour_index[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = index;
        }
    }
    return cursor;
}

std::shared_ptr<Picture> PictureOfCursor(const std::vector<std::uint32_t>& argb, int size, int hot_x, int hot_y) {
    return Picture::FromIcon(gdi::CreateCursorFromArgb(size, size, argb.data(), hot_x, hot_y));
}

}  // namespace

bool MonochromeCursor::IsTransparent(int x, int y) const {
    return (and_mask[static_cast<std::size_t>(y)] & RowBit(x)) != 0;
}

bool MonochromeCursor::IsWhite(int x, int y) const {
    return !IsTransparent(x, y) && (xor_mask[static_cast<std::size_t>(y)] & RowBit(x)) != 0;
}

std::vector<std::uint32_t> MonochromeCursor::ToArgb() const {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kSize) * kSize, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (!IsTransparent(x, y))
                pixels[static_cast<std::size_t>(y) * kSize + x] = IsWhite(x, y) ? 0xFFFFFFFFu : 0xFF000000u;
    return pixels;
}

bool SixteenColourCursor::IsTransparent(int x, int y) const {
    return (and_mask[static_cast<std::size_t>(y)] & RowBit(x)) != 0;
}

std::vector<std::uint32_t> SixteenColourCursor::ToArgb() const {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kSize) * kSize, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (!IsTransparent(x, y))
                pixels[static_cast<std::size_t>(y) * kSize + x] =
                    0xFF000000u | kSixteenColourPalette[ColourIndex(x, y) & 0x0F];
    return pixels;
}

std::shared_ptr<Picture> CursorPicture(const MonochromeCursor& cursor) {
    return PictureOfCursor(cursor.ToArgb(), MonochromeCursor::kSize, cursor.hot_spot_x, cursor.hot_spot_y);
}

std::shared_ptr<Picture> CursorPicture(const SixteenColourCursor& cursor) {
    return PictureOfCursor(cursor.ToArgb(), SixteenColourCursor::kSize, cursor.hot_spot_x, cursor.hot_spot_y);
}

const MonochromeCursor& PointingHandCursor() {
    static const MonochromeCursor cursor = BuildPointingHand();
    return cursor;
}

const SixteenColourCursor& PointingHandColourCursor() {
    static const SixteenColourCursor cursor = BuildColourPointingHand();
    return cursor;
}

}  // namespace ov::host
