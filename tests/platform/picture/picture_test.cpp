// Picture loading by pixel from well-formed files written here byte by byte, HIMETRIC sizes,
// ownership of the graphics handle, icon transparency, the dispatch members, and the font
// object. Malformed and hostile files are in picture_input_test.cpp.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/runtime/automation_error.h"
#include "support/picture_files.h"
#include "support/scratch_dir.h"

namespace ov {
namespace {

using namespace picture_files;

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override { before_ = gdi::CountLiveObjects(); }
    void TearDown() override { EXPECT_EQ(gdi::CountLiveObjects(), before_) << "every picture released its handle"; }
    std::string Write(const std::string& name, const Bytes& bytes) { return scratch_.Write(name, bytes); }
    std::string Path(const std::string& name) const { return scratch_.Path(name); }

    static gdi::COLORREF BitmapPixel(const Picture& picture, int x, int y) {
        std::uint32_t word = 0;
        const gdi::RECT one{x, y, x + 1, y + 1};
        return gdi::GetBitmapBits32(picture.handle(), &one, &word) == 1 ? gdi::ColorFromPixelWord(word)
                                                                        : gdi::CLR_INVALID;
    }

    testing_support::ScratchDir scratch_{"orvelle_picture"};
    gdi::LiveObjects before_;
};

TEST_F(PictureTest, Bmp24BitBottomUpWithRowPadding) {
    // 3 x 2, rows bottom-up, each row 9 bytes padded to 12.
    const Bytes bits = {
        0,   0,   255, 0, 255, 0, 255, 0,  0,  0, 0, 0,  // bottom row: red, green, blue (BGR)
        255, 255, 255, 0, 0,   0, 128, 64, 32, 0, 0, 0,  // top row: white, black, (32, 64, 128)
    };
    auto picture = LoadPicture(Write("a.bmp", BmpFile(InfoHeader(3, 2, 24), {}, bits)));
    ASSERT_EQ(picture->type(), PictureType::Bitmap);
    EXPECT_EQ(picture->width_pixels(), 3);
    EXPECT_EQ(picture->height_pixels(), 2);
    EXPECT_EQ(BitmapPixel(*picture, 0, 1), gdi::RGB(255, 0, 0));
    EXPECT_EQ(BitmapPixel(*picture, 1, 1), gdi::RGB(0, 255, 0));
    EXPECT_EQ(BitmapPixel(*picture, 2, 1), gdi::RGB(0, 0, 255));
    EXPECT_EQ(BitmapPixel(*picture, 0, 0), gdi::RGB(255, 255, 255));
    EXPECT_EQ(BitmapPixel(*picture, 1, 0), gdi::RGB(0, 0, 0));
    EXPECT_EQ(BitmapPixel(*picture, 2, 0), gdi::RGB(32, 64, 128));
    EXPECT_EQ(gdi::GetBitmapBitsPerPixel(picture->handle()), 32);
}

TEST_F(PictureTest, BmpIndexedDepthsTopDownAndRle) {
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    {  // 8-bit, top-down (negative height)
        const Bytes bits = {1, 2, 3, 0, 0, 3, 2, 0};
        auto p = LoadPicture(Write("p8.bmp", BmpFile(InfoHeader(3, -2, 8, 0, 4), palette, bits)));
        EXPECT_EQ(BitmapPixel(*p, 0, 0), gdi::RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 2, 0), gdi::RGB(0, 0, 255));
        EXPECT_EQ(BitmapPixel(*p, 1, 1), gdi::RGB(0, 0, 255));
        EXPECT_EQ(BitmapPixel(*p, 2, 1), gdi::RGB(0, 255, 0));
    }
    {  // 1-bit, 10 pixels wide: the second byte holds pixels 8 and 9
        const Bytes bits = {0b10000001, 0b01000000, 0, 0};
        auto p = LoadPicture(Write("p1.bmp", BmpFile(InfoHeader(10, 1, 1, 0, 2), {0x000000, 0xFFFFFF}, bits)));
        EXPECT_EQ(BitmapPixel(*p, 0, 0), gdi::RGB(255, 255, 255));
        EXPECT_EQ(BitmapPixel(*p, 1, 0), gdi::RGB(0, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 7, 0), gdi::RGB(255, 255, 255));
        EXPECT_EQ(BitmapPixel(*p, 8, 0), gdi::RGB(0, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 9, 0), gdi::RGB(255, 255, 255));
    }
    {  // 4-bit: high nibble first
        const Bytes bits = {0x12, 0x30, 0, 0};
        auto p = LoadPicture(Write("p4.bmp", BmpFile(InfoHeader(3, 1, 4, 0, 4), palette, bits)));
        EXPECT_EQ(BitmapPixel(*p, 0, 0), gdi::RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 1, 0), gdi::RGB(0, 255, 0));
        EXPECT_EQ(BitmapPixel(*p, 2, 0), gdi::RGB(0, 0, 255));
    }
    {  // RLE8, 4 x 2 bottom-up: a run of three 1s and an absolute run, end of line, end of bitmap
        const Bytes bits = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 4, 3, 0, 1};
        auto p = LoadPicture(Write("rle.bmp", BmpFile(InfoHeader(4, 2, 8, 1, 4), palette, bits)));
        EXPECT_EQ(BitmapPixel(*p, 0, 1), gdi::RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 2, 1), gdi::RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 3, 1), gdi::RGB(0, 255, 0));
        EXPECT_EQ(BitmapPixel(*p, 0, 0), gdi::RGB(0, 0, 255));
        EXPECT_EQ(BitmapPixel(*p, 3, 0), gdi::RGB(0, 0, 255));
    }
    {                                                 // 16-bit 5-5-5
        const Bytes bits = {0x00, 0x7C, 0x1F, 0x00};  // pure red, pure blue
        auto p = LoadPicture(Write("p16.bmp", BmpFile(InfoHeader(2, 1, 16), {}, bits)));
        EXPECT_EQ(BitmapPixel(*p, 0, 0), gdi::RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(*p, 1, 0), gdi::RGB(0, 0, 255));
    }
}

TEST_F(PictureTest, PngLoadsAsBitmap) {
    const std::vector<std::uint32_t> pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
    ASSERT_TRUE(gdi::WritePng(Path("a.png"), 3, 2, pixels.data()));
    auto picture = LoadPicture(Path("a.png"));
    ASSERT_EQ(picture->type(), PictureType::Bitmap);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(BitmapPixel(*picture, x, y), gdi::ColorFromPixelWord(pixels[y * 3 + x])) << x << "," << y;
}

TEST_F(PictureTest, HimetricSizesRoundLikeThePlatform) {
    struct Case {
        int pixels, himetric;
    };
    // pixels * 2540 / 96, halves away from zero: 1 -> 26.46, 3 -> 79.375, 32 -> 846.67, 100 -> 2645.8
    for (const Case c : {Case{1, 26}, Case{3, 79}, Case{32, 847}, Case{100, 2646}, Case{48, 1270}}) {
        EXPECT_EQ(PixelsToHimetricX(c.pixels), c.himetric) << c.pixels;
        auto picture = Picture::FromBitmap(gdi::CreateDIBSection32(c.pixels, 2 * c.pixels));
        EXPECT_EQ(picture->width_himetric(), c.himetric);
        EXPECT_EQ(picture->height_himetric(), PixelsToHimetricY(2 * c.pixels));
        EXPECT_EQ(CLng(GetProperty(*picture, "Width")), c.himetric);
    }
    EXPECT_DOUBLE_EQ(HimetricToPixelsX(2540), 96.0);
    gdi::Screen().twips_per_pixel_x = 12;  // 120 dpi
    EXPECT_EQ(PixelsToHimetricX(120), 2540);
    gdi::Screen().twips_per_pixel_x = 15;
}

TEST_F(PictureTest, IcoWithAndMaskDrawsTransparentWhereMaskIsSet) {
    // 2 x 2, 24-bit: bottom row blue, blue; top row red, white. The AND mask (bottom-up) makes
    // the bottom-left and top-right pixels transparent.
    Bytes dib = InfoHeader(2, 4, 24);
    const Bytes colour = {255, 0, 0, 255, 0, 0, 0, 0, /* top */ 0, 0, 255, 255, 255, 255, 0, 0};
    const Bytes mask = {0b10000000, 0, 0, 0, 0b01000000, 0, 0, 0};
    dib.insert(dib.end(), colour.begin(), colour.end());
    dib.insert(dib.end(), mask.begin(), mask.end());
    auto picture = LoadPicture(Write("a.ico", IcoFile(2, 2, 24, dib)));
    ASSERT_EQ(picture->type(), PictureType::Icon);
    EXPECT_EQ(picture->width_himetric(), PixelsToHimetricX(2));
    EXPECT_EQ(CInt(GetProperty(*picture, "Type")), 3);

    const gdi::HDC dc = gdi::CreateCompatibleDC(0);
    const gdi::HBITMAP canvas = gdi::CreateDIBSection32(4, 4);
    const gdi::HGDIOBJ previous = gdi::SelectObject(dc, canvas);
    const gdi::RECT all{0, 0, 4, 4};
    ASSERT_TRUE(gdi::FillBitmapRect(canvas, &all, gdi::RGB(0, 128, 0)));
    ASSERT_TRUE(gdi::DrawIcon(dc, 1, 1, picture->handle()));
    auto at = [&](int x, int y) { return gdi::GetPixel(dc, x, y); };
    EXPECT_EQ(at(1, 1), gdi::RGB(255, 0, 0));  // top-left: red
    EXPECT_EQ(at(2, 1), gdi::RGB(0, 128, 0));  // top-right: transparent
    EXPECT_EQ(at(1, 2), gdi::RGB(0, 128, 0));  // bottom-left: transparent
    EXPECT_EQ(at(2, 2), gdi::RGB(0, 0, 255));  // bottom-right: blue
    EXPECT_EQ(at(0, 0), gdi::RGB(0, 128, 0));  // outside the icon
    EXPECT_EQ(at(3, 3), gdi::RGB(0, 128, 0));
    // Clipped at the bitmap's edge without complaint.
    EXPECT_TRUE(gdi::DrawIcon(dc, 3, -1, picture->handle()));
    EXPECT_EQ(at(3, 0), gdi::RGB(0, 128, 0));  // the icon's transparent bottom-left
    EXPECT_TRUE(gdi::DrawIcon(dc, 2, -1, picture->handle()));
    EXPECT_EQ(at(3, 0), gdi::RGB(0, 0, 255));       // its bottom-right
    EXPECT_FALSE(gdi::DrawIcon(dc, 0, 0, canvas));  // not an icon
    gdi::SelectObject(dc, previous);
    gdi::DeleteObject(canvas);
    gdi::DeleteDC(dc);
}

TEST_F(PictureTest, Ico32BitAlphaIsBlended) {
    Bytes dib = InfoHeader(2, 2, 32);
    const Bytes colour = {0, 0, 255, 255, 0, 0, 255, 0};  // one row, bottom-up: opaque red, transparent red
    dib.insert(dib.end(), colour.begin(), colour.end());
    dib.insert(dib.end(), {0, 0, 0, 0});  // a mask that would say "opaque": alpha wins
    auto picture = LoadPicture(Write("alpha.ico", IcoFile(2, 1, 32, dib)));
    const gdi::HDC dc = gdi::CreateCompatibleDC(0);
    const gdi::HBITMAP canvas = gdi::CreateDIBSection32(2, 1);
    const gdi::HGDIOBJ previous = gdi::SelectObject(dc, canvas);
    const gdi::RECT all{0, 0, 2, 1};
    gdi::FillBitmapRect(canvas, &all, gdi::RGB(0, 128, 0));
    ASSERT_TRUE(gdi::DrawIcon(dc, 0, 0, picture->handle()));
    EXPECT_EQ(gdi::GetPixel(dc, 0, 0), gdi::RGB(255, 0, 0));  // opaque
    EXPECT_EQ(gdi::GetPixel(dc, 1, 0), gdi::RGB(0, 128, 0));  // transparent: the canvas shows
    gdi::SelectObject(dc, previous);
    gdi::DeleteObject(canvas);
    gdi::DeleteDC(dc);
}

TEST_F(PictureTest, MetafilesCarryTheirSizeAndAreNotDrawable) {
    // A box of 1440 x 720 units at 1440 a inch: one inch by half an inch.
    auto placeable = LoadPicture(Write("a.wmf", WmfFile(0, 0, 1440, 720, 1440, {WmfRecord(0x0103, {8})})));
    EXPECT_EQ(placeable->type(), PictureType::Metafile);
    EXPECT_EQ(placeable->width_himetric(), 2540);
    EXPECT_EQ(placeable->height_himetric(), 1270);
    EXPECT_NE(placeable->handle(), 0u);
    gdi::SIZE size;  // neither a bitmap nor an icon: nothing draws it
    EXPECT_FALSE(gdi::GetBitmapSize(placeable->handle(), &size));
    EXPECT_FALSE(gdi::GetIconSize(placeable->handle(), &size));

    auto enhanced = LoadPicture(Write("a.emf", EmfFile(100, 200, 5100, 3200, {EmfRecord(17, {1})})));
    EXPECT_EQ(enhanced->type(), PictureType::EnhancedMetafile);
    EXPECT_EQ(enhanced->width_himetric(), 5000);
    EXPECT_EQ(enhanced->height_himetric(), 3000);
    EXPECT_EQ(CInt(GetProperty(*enhanced, "Type")), 4);
}

TEST_F(PictureTest, PictureOwnsAndReleasesItsHandle) {
    const auto start = gdi::CountLiveObjects();
    std::uint32_t released_icon = 0;
    {
        auto bitmap = Picture::FromBitmap(gdi::CreateDIBSection32(4, 4));
        const std::uint32_t argb[1] = {0xFF00FF00u};
        auto icon = Picture::FromIcon(gdi::CreateIconFromArgb(1, 1, argb));
        EXPECT_EQ(gdi::CountLiveObjects().bitmaps, start.bitmaps + 1);
        EXPECT_EQ(gdi::CountLiveObjects().icons, start.icons + 1);
        // Each handle leads back to the picture owning it.
        EXPECT_EQ(Picture::Owning(bitmap->handle()), bitmap);
        EXPECT_EQ(Picture::Owning(icon->handle()), icon);
        released_icon = icon->handle();
    }
    EXPECT_EQ(gdi::CountLiveObjects(), start);
    EXPECT_EQ(Picture::Owning(released_icon), nullptr);
    // A picture that does not own its handle leaves it alone, and is not its owner.
    const gdi::HBITMAP kept = gdi::CreateDIBSection32(2, 2);
    auto borrowing = Picture::FromBitmap(kept, false);
    EXPECT_EQ(Picture::Owning(kept), nullptr);
    borrowing.reset();
    EXPECT_TRUE(gdi::DeleteObject(kept));
    EXPECT_EQ(Picture::FromBitmap(0), nullptr);
}

TEST_F(PictureTest, DispatchMembers) {
    auto picture = Picture::FromBitmap(gdi::CreateDIBSection32(10, 5));
    EXPECT_EQ(picture->TypeName(), "StdPicture");
    EXPECT_EQ(picture->GetIDOfName("handle"), Picture::kDispidHandle);
    EXPECT_EQ(picture->GetIDOfName("HEIGHT"), Picture::kDispidHeight);
    EXPECT_EQ(picture->GetIDOfName("Render2"), kDispidUnknown);
    EXPECT_EQ(static_cast<std::uint32_t>(CLng(GetProperty(*picture, "Handle"))), picture->handle());
    EXPECT_EQ(CInt(GetProperty(*picture, "Type")), 1);
    EXPECT_EQ(CLng(GetProperty(*picture, "Height")), 132);  // 5 * 2540 / 96 = 132.3
    try {
        PutProperty(*picture, "Width", Variant::FromLong(1));
        FAIL() << "Width is read-only";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 383);
    }
}

TEST_F(PictureTest, StdFontMembersAndGdiFont) {
    auto font = StdFont::Create();
    EXPECT_EQ(font->TypeName(), "StdFont");
    EXPECT_EQ(CStr(GetProperty(*font, "Name")), "MS Sans Serif");
    PutProperty(*font, "Name", Variant::FromString("Times New Roman"));
    PutProperty(*font, "Size", Variant::FromDouble(11.25));
    PutProperty(*font, "Bold", Variant::FromBoolean(true));
    PutProperty(*font, "strikethrough", Variant::FromBoolean(true));
    EXPECT_EQ(font->desc().name, "Times New Roman");
    EXPECT_DOUBLE_EQ(CDbl(GetProperty(*font, "Size")), 11.25);
    EXPECT_TRUE(CBool(GetProperty(*font, "Bold")));
    EXPECT_EQ(CInt(GetProperty(*font, "Weight")), 700);
    EXPECT_FALSE(font->desc().italic);
    EXPECT_TRUE(font->desc().strikethrough);
    try {
        PutProperty(*font, "Size", Variant::FromDouble(-1));
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 380);
    }

    const gdi::LOGFONTA lf = LogFontFromDesc(font->desc(), 900);
    EXPECT_EQ(lf.lfHeight, -15);  // 11.25 pt at 96 dpi
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfStrikeOut, 1);
    EXPECT_EQ(lf.lfEscapement, 900);
    EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
    EXPECT_EQ(LogFontFromDesc(FontDesc{}).lfHeight, -11);  // 8.25 pt

    const gdi::HFONT handle = CreateGdiFont(font->desc());
    gdi::LOGFONTA stored;
    ASSERT_TRUE(gdi::GetObjectLogFont(handle, &stored));
    EXPECT_EQ(stored.lfHeight, -15);
    EXPECT_TRUE(gdi::DeleteObject(handle));
}

// Owners of a font hear of every late-bound write to it, for as long as they hold their token;
// the owner's own set_desc is silent, and a listener that fails neither stops the others nor
// the write.
TEST_F(PictureTest, StdFontTellsItsListenersOfWritesMadeThroughIt) {
    auto font = StdFont::Create();
    std::vector<std::string> heard;
    auto first = font->OnChange([&] { heard.push_back("first " + font->desc().name); });
    auto failing = font->OnChange([&] {
        heard.push_back("failing");
        throw AutomationError(481);
    });
    auto last = font->OnChange([&] { heard.push_back("last"); });
    const struct {
        const char* member;
        Variant value;
    } writes[] = {{"Name", Variant::FromString("Arial")},
                  {"Size", Variant::FromDouble(12)},
                  {"Bold", Variant::FromBoolean(true)},
                  {"Weight", Variant::FromInteger(400)}};
    for (const auto& w : writes) {
        heard.clear();
        try {
            PutProperty(*font, w.member, w.value);
            ADD_FAILURE() << w.member << ": the listener's error did not reach the writer";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), 481) << w.member;
        }
        EXPECT_EQ(heard, (std::vector<std::string>{"first Arial", "failing", "last"})) << w.member;
    }
    EXPECT_DOUBLE_EQ(font->desc().size, 12);  // the writes took effect all the same
    failing.reset();
    heard.clear();
    font->set_desc(FontDesc{});
    EXPECT_TRUE(heard.empty());
    first.reset();
    PutProperty(*font, "Italic", Variant::FromBoolean(true));
    EXPECT_EQ(heard, std::vector<std::string>{"last"});
    // A refused write changes nothing and tells no one.
    heard.clear();
    EXPECT_THROW(PutProperty(*font, "Size", Variant::FromDouble(-1)), AutomationError);
    EXPECT_TRUE(heard.empty());
}

}  // namespace
}  // namespace ov
