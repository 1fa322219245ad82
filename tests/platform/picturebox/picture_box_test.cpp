// The picture box by pixel (what its window presents), its scale conversions, frame, text
// position, persistent image and its late-bound members.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"
#include "platform/picturebox/picture_box.h"
#include "platform/picturebox/picture_box_object.h"
#include "platform/runtime/automation_error.h"

namespace ov {
namespace {

constexpr OleColor kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

struct Presented {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    gdi::COLORREF At(int x, int y) const {
        return gdi::ColorFromPixelWord(pixels[static_cast<std::size_t>(y) * width + x]);
    }
};

Presented Show(const PictureBox& box) {
    Presented p;
    EXPECT_TRUE(gdi::GetPresentedPixels(box.hWnd(), &p.width, &p.height, &p.pixels));
    return p;
}

class PictureBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::Screen().font_smoothing = false;
        // 100 x 60 pixels outside, no border, drawing in pixels on white.
        box_ = std::make_unique<PictureBox>(0, 0, 0, 1500, 900);
        box_->SetBorderStyle(0);
        box_->SetScaleMode(3);
        box_->SetBackColor(kWhite);
    }
    void TearDown() override {
        box_.reset();
        gdi::Screen().font_smoothing = true;
    }
    std::unique_ptr<PictureBox> box_;
};

TEST_F(PictureBoxTest, LineIncludesItsEndPoint) {
    box_->Line(2, 3, 8, 3, kRed);
    box_->Line(20, 10, 20, 4, kBlue);  // upwards
    const Presented p = Show(*box_);
    for (int x = 0; x < 12; ++x) EXPECT_EQ(p.At(x, 3), (x >= 2 && x <= 8) ? kRed : kWhite) << x;
    for (int y = 2; y < 12; ++y) EXPECT_EQ(p.At(20, y), (y >= 4 && y <= 10) ? kBlue : kWhite) << y;
    EXPECT_DOUBLE_EQ(box_->CurrentX(), 20);
    EXPECT_DOUBLE_EQ(box_->CurrentY(), 4);
}

TEST_F(PictureBoxTest, BoxOutlineAndFilledBoxCoverBothCorners) {
    box_->Line(6, 5, 2, 2, kRed, LineForm::Box);  // corners given in any order
    box_->Line(12, 2, 16, 5, kBlue, LineForm::FilledBox);
    const Presented p = Show(*box_);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool outline = x >= 2 && x <= 6 && y >= 2 && y <= 5 && (x == 2 || x == 6 || y == 2 || y == 5);
            const bool filled = x >= 12 && x <= 16 && y >= 2 && y <= 5;
            EXPECT_EQ(p.At(x, y), outline ? kRed : filled ? kBlue : kWhite) << x << "," << y;
        }
}

TEST_F(PictureBoxTest, LinesInTwipsRoundToPixels) {
    box_->SetScaleMode(1);
    box_->Line(0, 150, 1500, 150, kRed);  // y = 10 px, across and beyond the surface
    box_->Line(300, 0, 300, 0, kBlue);    // a single point: (20, 0)
    const Presented p = Show(*box_);
    for (int x = 0; x < 100; ++x) EXPECT_EQ(p.At(x, 10), kRed);
    EXPECT_EQ(p.At(20, 0), kBlue);
    EXPECT_EQ(p.At(21, 0), kWhite);
    EXPECT_EQ(box_->ToPixelX(22.5), 2);  // 1.5 px: halves go to the even neighbour
    EXPECT_EQ(box_->ToPixelX(37.5), 2);
}

TEST_F(PictureBoxTest, ClsErasesToBackColourAndPictureAndResetsPosition) {
    box_->Line(0, 0, 99, 59, kRed, LineForm::FilledBox);
    box_->SetCurrentX(40);
    box_->Cls();
    Presented p = Show(*box_);
    for (std::uint32_t pixel : p.pixels) ASSERT_EQ(gdi::ColorFromPixelWord(pixel), kWhite);
    EXPECT_EQ(box_->CurrentX(), 0);
    EXPECT_EQ(box_->CurrentY(), 0);

    const std::uint32_t green_pixels[4] = {0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00};
    box_->SetPicture(Picture::FromPixels(2, 2, green_pixels));
    box_->Line(0, 0, 99, 59, kRed, LineForm::FilledBox);
    box_->Cls();
    p = Show(*box_);
    EXPECT_EQ(p.At(0, 0), kGreen);
    EXPECT_EQ(p.At(1, 1), kGreen);
    EXPECT_EQ(p.At(2, 0), kWhite);
    EXPECT_EQ(p.At(0, 2), kWhite);
}

TEST_F(PictureBoxTest, BorderStyleTakesTwoPixelsPerSide) {
    PictureBox box(0, 0, 0, 1500, 900);  // 100 x 60 pixels, fixed single by default
    gdi::RECT client;
    ASSERT_TRUE(gdi::GetClientRect(box.hWnd(), &client));
    EXPECT_EQ(client.right, 96);
    EXPECT_EQ(client.bottom, 56);
    EXPECT_DOUBLE_EQ(box.ScaleWidth(), 96 * 15);
    EXPECT_DOUBLE_EQ(box.ScaleHeight(), 56 * 15);
    EXPECT_DOUBLE_EQ(box.Width(), 1500);
    box.SetBorderStyle(0);
    ASSERT_TRUE(gdi::GetClientRect(box.hWnd(), &client));
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 60);
    EXPECT_DOUBLE_EQ(box.Width(), 1500);  // the outer size stays
    EXPECT_THROW(box.SetBorderStyle(2), AutomationError);
}

TEST_F(PictureBoxTest, SizesInContainerUnitsSnapToWholePixels) {
    PictureBox box(0, 100, 200, 1000, 500);
    EXPECT_DOUBLE_EQ(box.Width(), 1005);  // 66.67 px -> 67 px
    EXPECT_DOUBLE_EQ(box.Height(), 495);  // 33.3 px -> 33 px
    EXPECT_DOUBLE_EQ(box.Left(), 105);
    box.Move(0, 0, 3000, 1500);
    EXPECT_EQ(box.client_width(), 196);
    EXPECT_EQ(box.client_height(), 96);
    PictureBox in_pixels(0, 0, 0, 50, 40, /*container_scale_mode=*/3);
    EXPECT_DOUBLE_EQ(in_pixels.Width(), 50);
    EXPECT_EQ(in_pixels.client_width(), 46);
    EXPECT_THROW(box.Move(0, 0, -1, 10), AutomationError);
}

TEST_F(PictureBoxTest, ScaleConversionsBetweenAllModes) {
    struct Row {
        int mode;
        double per_inch_x, per_inch_y;
    };
    // One inch (1440 twips) in every unit; characters are 120 x 240 twips.
    const Row rows[] = {{1, 1440, 1440}, {2, 72, 72},     {3, 96, 96},     {4, 12, 6},
                        {5, 1, 1},       {6, 25.4, 25.4}, {7, 2.54, 2.54}, {8, 2540, 2540}};
    for (const Row& from : rows)
        for (const Row& to : rows) {
            EXPECT_NEAR(box_->ScaleX(from.per_inch_x, from.mode, to.mode), to.per_inch_x, 1e-9)
                << from.mode << "->" << to.mode;
            EXPECT_NEAR(box_->ScaleY(from.per_inch_y, from.mode, to.mode), to.per_inch_y, 1e-9)
                << from.mode << "->" << to.mode;
        }
    EXPECT_THROW(box_->ScaleX(1, 9, 1), AutomationError);

    // The screen's twips per pixel drive the pixel unit.
    gdi::Screen().twips_per_pixel_x = 12;
    EXPECT_DOUBLE_EQ(box_->ScaleX(1440, 1, 3), 120);
    gdi::Screen().twips_per_pixel_x = 15;

    // A user scale: 200 units across the 100-pixel client area.
    box_->SetScaleWidth(200);
    EXPECT_EQ(box_->ScaleMode(), 0);
    EXPECT_DOUBLE_EQ(box_->ScaleX(200, 0, 3), 100);
    EXPECT_DOUBLE_EQ(box_->ScaleHeight(), 60);  // kept from the pixel scale
    box_->Line(100, 0, 100, 0, kRed);
    EXPECT_EQ(Show(*box_).At(50, 0), kRed);
    box_->SetScaleMode(1);
    EXPECT_DOUBLE_EQ(box_->ScaleWidth(), 1500);
    EXPECT_THROW(box_->SetScaleMode(8), AutomationError);
}

TEST_F(PictureBoxTest, PrintIsTransparentAndAdvancesCurrentX) {
    box_->SetForeColor(kBlue);
    box_->Line(0, 0, 99, 59, kGreen, LineForm::FilledBox);
    box_->SetCurrentX(5);
    box_->SetCurrentY(4);
    const double width = box_->TextWidth("Ab");
    EXPECT_GT(width, 5);
    box_->Print("Ab");
    EXPECT_DOUBLE_EQ(box_->CurrentX(), 5 + width);
    EXPECT_DOUBLE_EQ(box_->CurrentY(), 4);
    box_->Print("c", /*new_line=*/true);
    EXPECT_DOUBLE_EQ(box_->CurrentX(), 0);
    EXPECT_DOUBLE_EQ(box_->CurrentY(), 4 + box_->TextHeight("c"));
    EXPECT_DOUBLE_EQ(box_->TextHeight("two\nlines"), 2 * box_->TextHeight("x"));

    const Presented p = Show(*box_);
    int ink = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const gdi::COLORREF c = p.At(x, y);
            ASSERT_TRUE(c == kBlue || c == kGreen) << x << "," << y;  // no background box
            if (c == kBlue) {
                ++ink;
                EXPECT_GE(x, 5);
                EXPECT_GE(y, 4);
            }
        }
    EXPECT_GT(ink, 10);
}

TEST_F(PictureBoxTest, AutoRedrawKeepsDrawingInTheImageUntilRefresh) {
    box_->SetAutoRedraw(true);
    box_->Line(1, 1, 1, 1, kRed);  // methods present their drawing
    EXPECT_EQ(Show(*box_).At(1, 1), kRed);
    gdi::SetPixelV(box_->hDC(), 3, 3, kBlue);  // calls on hDC wait for Refresh
    EXPECT_EQ(Show(*box_).At(3, 3), kWhite);
    box_->Refresh();
    EXPECT_EQ(Show(*box_).At(3, 3), kBlue);

    // Image is a copy of the drawing; assigned as Picture it becomes the background.
    auto image = box_->Image();
    ASSERT_EQ(image->type(), PictureType::Bitmap);
    EXPECT_EQ(image->width_pixels(), 100);
    box_->Cls();
    EXPECT_EQ(Show(*box_).At(3, 3), kWhite);
    box_->SetPicture(image);
    box_->Line(50, 50, 50, 50, kGreen);
    box_->Cls();
    const Presented p = Show(*box_);
    EXPECT_EQ(p.At(3, 3), kBlue);
    EXPECT_EQ(p.At(1, 1), kRed);
    EXPECT_EQ(p.At(50, 50), kWhite);
}

TEST_F(PictureBoxTest, HdcHoldsTheHollowBrushAndTheBoxFont) {
    const gdi::HDC dc = box_->hDC();
    const gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, kRed);
    const gdi::HGDIOBJ previous = gdi::SelectObject(dc, pen);
    gdi::Rectangle(dc, 10, 10, 20, 20);
    gdi::SelectObject(dc, previous);
    gdi::DeleteObject(pen);
    const Presented p = Show(*box_);
    EXPECT_EQ(p.At(10, 10), kRed);
    EXPECT_EQ(p.At(15, 15), kWhite);  // no interior

    box_->Font()->set_desc(FontDesc{"Arial", 24, true});
    gdi::SIZE size;
    ASSERT_TRUE(gdi::GetTextExtentPoint32A(box_->hDC(), "x", 1, &size));
    EXPECT_GT(size.cy, 30);  // 24 pt = 32 px em
}

TEST_F(PictureBoxTest, MethodsLeaveNoObjectsBehind) {
    box_->TextWidth("warm up the font");
    const auto before = gdi::CountLiveObjects();
    box_->Line(0, 0, 10, 10, kRed);
    box_->Line(0, 0, 10, 10, kRed, LineForm::Box);
    box_->Line(0, 0, 10, 10, kRed, LineForm::FilledBox);
    box_->Print("text");
    box_->Cls();
    box_->TextHeight("x");
    box_->SetAutoRedraw(true);
    box_->Refresh();
    box_->Move(0, 0, 2000, 1000);
    box_->Image().reset();
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

TEST_F(PictureBoxTest, DestructionReleasesEverything) {
    box_.reset();
    const auto before = gdi::CountLiveObjects();
    const int windows = gdi::LiveWindowCount();
    {
        PictureBox box(0, 0, 0, 1500, 900);
        box.SetAutoRedraw(true);
        box.Print("x");
        box.SetPicture(box.Image());
    }
    EXPECT_EQ(gdi::CountLiveObjects(), before);
    EXPECT_EQ(gdi::LiveWindowCount(), windows);
}

TEST_F(PictureBoxTest, ExportsWhatItShowsAsPng) {
    box_->Line(3, 2, 3, 2, kRed);
    const std::string path = (std::filesystem::temp_directory_path() / "orvelle_picturebox_export.png").string();
    ASSERT_TRUE(box_->ExportPng(path));
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    ASSERT_TRUE(gdi::ReadPng(path, &width, &height, &argb));
    std::filesystem::remove(path);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 60);
    EXPECT_EQ(argb[2 * 100 + 3] & 0xFFFFFFu, 0xFF0000u);  // red as 0xRRGGBB
    EXPECT_EQ(argb[0] & 0xFFFFFFu, 0xFFFFFFu);
}

TEST_F(PictureBoxTest, AutoSizeFitsThePicture) {
    PictureBox box(0, 0, 0, 1500, 900);
    box.SetAutoSize(true);
    box.SetPicture(Picture::FromBitmap(gdi::CreateDIBSection32(30, 20)));
    EXPECT_EQ(box.client_width(), 30);
    EXPECT_EQ(box.client_height(), 20);
    EXPECT_DOUBLE_EQ(box.Width(), 34 * 15);
}

TEST_F(PictureBoxTest, LateBoundMembers) {
    auto shared = std::make_shared<PictureBox>(0, 0, 0, 1500, 900);
    auto object = PictureBoxObject::Create(shared);
    EXPECT_EQ(object->TypeName(), "PictureBox");
    EXPECT_EQ(static_cast<gdi::HWND>(CLng(GetProperty(*object, "hwnd"))), shared->hWnd());
    EXPECT_EQ(static_cast<gdi::HDC>(CLng(GetProperty(*object, "hDC"))), shared->hDC());
    PutProperty(*object, "BorderStyle", Variant::FromInteger(0));
    PutProperty(*object, "ScaleMode", Variant::FromInteger(3));
    PutProperty(*object, "BackColor", Variant::FromLong(static_cast<std::int32_t>(kWhite)));
    std::vector<Variant> args{Variant::FromLong(2),
                              Variant::FromLong(2),
                              Variant::FromLong(4),
                              Variant::FromLong(4),
                              Variant::FromLong(static_cast<std::int32_t>(kRed)),
                              Variant::FromString("BF")};
    CallMethod(*object, "Line", args);
    EXPECT_EQ(Show(*shared).At(4, 4), kRed);
    EXPECT_EQ(Show(*shared).At(5, 5), kWhite);
    // ScaleX defaults to HIMETRIC -> the box's scale (pixels here).
    std::vector<Variant> scale_args{Variant::FromLong(2540)};
    EXPECT_FLOAT_EQ(CSng(CallMethod(*object, "ScaleX", scale_args)), 96.0f);
    EXPECT_DOUBLE_EQ(CDbl(GetProperty(*object, "ScaleWidth")), 100);
    PutProperty(*object, "FontBold", Variant::FromBoolean(true));
    EXPECT_TRUE(shared->Font()->desc().bold);
    auto picture = CObj(GetProperty(*object, "Picture"));
    EXPECT_EQ(CLng(GetProperty(*picture, "Handle")), 0);
    PutPropertyRef(*object, "Picture", GetProperty(*object, "Image"));
    EXPECT_NE(CLng(GetProperty(*CObj(GetProperty(*object, "Picture")), "Handle")), 0);
    EXPECT_EQ(object->GetIDOfName("NoSuchMember"), kDispidUnknown);
    try {
        PutProperty(*object, "ScaleMode", Variant::FromInteger(12));
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 380);
    }
}

}  // namespace
}  // namespace ov
