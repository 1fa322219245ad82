// The compositor: form background, surfaces, constituents, containers clipping children,
// transparency, and no leaked drawing objects.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "host/reference/reference_host.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

constexpr std::int32_t kRed = 0x0000FF;  // OLE_COLOR / COLORREF: red in the low byte
constexpr std::int32_t kBlue = 0xFF0000;
constexpr std::int32_t kGreen = 0x00FF00;

class CompositorTest : public ::testing::Test {
protected:
    void TearDown() override { gdi::ResetSysColors(); }
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host{registry};
};

TEST_F(CompositorTest, ContainersClipTheirChildren) {
    host.New("Outer", "Box", {.left = 0, .top = 0, .width = 1500, .height = 1500});  // 100 x 100 px
    PutProperty(*host.Find("Outer"), "BackColor", Variant::FromLong(kRed));
    host.New("Inner", "Box", {.container = "Outer", .left = 1200, .top = 150, .width = 1500, .height = 300});
    PutProperty(*host.Find("Inner"), "BackColor", Variant::FromLong(kBlue));

    const ComposedImage image = host.Compose();
    EXPECT_EQ(image.At(10, 50), static_cast<gdi::COLORREF>(kRed));
    EXPECT_EQ(image.At(85, 12), static_cast<gdi::COLORREF>(kBlue));  // child, inside the container
    EXPECT_EQ(image.At(99, 12), static_cast<gdi::COLORREF>(kBlue));
    EXPECT_EQ(image.At(100, 12), gdi::GetSysColor(15));  // clipped: form background
    EXPECT_EQ(host.PixelAt("Inner", 5, 5), static_cast<gdi::COLORREF>(kBlue));
    EXPECT_EQ(host.PixelAt("Inner", 5, 20), static_cast<gdi::COLORREF>(kRed));  // below the child
}

// A control's image is all of it: past the form's edges and its containers' (the form's
// background beneath where nothing else lies), and what covers it on the form covers it here.
TEST_F(CompositorTest, AControlsImageIsTheWholeControlWhateverTheFormsSize) {
    ASSERT_EQ(host.Compose().width, 480);                                            // the form is 480 x 360 pixels
    host.New("Wide", "Box", {.left = 0, .top = 0, .width = 12000, .height = 6000});  // 800 x 400 px
    PutProperty(*host.Find("Wide"), "BackColor", Variant::FromLong(kRed));
    host.New("Inner", "Box", {.container = "Wide", .left = 6000, .top = 3000, .width = 9000, .height = 1500});
    PutProperty(*host.Find("Inner"), "BackColor", Variant::FromLong(kBlue));
    host.New("Off", "Box", {.left = 9000, .top = 0, .width = 1500, .height = 1500});  // beyond the form
    PutProperty(*host.Find("Off"), "BackColor", Variant::FromLong(kGreen));
    host.New("Over", "Box", {.left = 150, .top = 150, .width = 150, .height = 150});  // above Wide
    PutProperty(*host.Find("Over"), "BackColor", Variant::FromLong(kGreen));

    const struct {
        const char* name;
        int width, height;
        std::vector<std::pair<int, int>> pixels;
    } cases[] = {
        {"Wide", 800, 400, {{700, 300}, {10, 10}, {479, 359}, {500, 10}, {15, 15}, {450, 250}, {799, 219}}},
        {"Inner", 600, 100, {{0, 0}, {599, 99}, {400, 50}}},
        {"Off", 100, 100, {{0, 0}, {99, 99}}},
    };
    const auto colour_at = [](const std::string& name, int x, int y) -> std::int32_t {
        if (name == "Wide") {
            if (x >= 10 && x < 20 && y >= 10 && y < 20) return kGreen;  // Over lies on it
            if (x >= 400 && y >= 200 && y < 300) return kBlue;          // Inner, uncut by the form
            return kRed;
        }
        return name == "Inner" ? kBlue : kGreen;
    };
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvelle-snap-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& c : cases) {
        const std::string path = (dir / (std::string(c.name) + ".png")).string();
        ASSERT_TRUE(host.Snap(c.name, path)) << c.name;
        int width = 0, height = 0;
        std::vector<std::uint32_t> argb;
        ASSERT_TRUE(gdi::ReadPng(path, &width, &height, &argb)) << c.name;
        EXPECT_EQ(width, c.width) << c.name;
        EXPECT_EQ(height, c.height) << c.name;
        for (const auto& [x, y] : c.pixels) {
            const std::uint32_t pixel = argb[static_cast<std::size_t>(y) * width + x] & 0xFFFFFFu;
            EXPECT_EQ(gdi::ColorFromPixelWord(pixel), static_cast<gdi::COLORREF>(colour_at(c.name, x, y)))
                << c.name << " at " << x << ", " << y;
        }
    }
    std::filesystem::remove_all(dir);
}

TEST_F(CompositorTest, FormBackgroundFollowsTheSystemColourAtEachComposition) {
    EXPECT_EQ(host.PixelAt("form", 3, 3), gdi::GetSysColor(15));
    gdi::SetSysColorEntry(15, gdi::RGB(1, 2, 3));
    EXPECT_EQ(host.PixelAt("form", 3, 3), gdi::RGB(1, 2, 3));
}

TEST_F(CompositorTest, ShapeOutlineAndFillInTheirColours) {
    host.New("P", "Probe", {.width = 3000, .height = 1500});
    auto& p = dynamic_cast<Probe&>(*host.FindControl("P"));
    p.SetBackColor(kGreen);
    p.plate.SetVisible(true);
    p.plate.Move(150, 150, 1500, 750);  // pixels 10..110 x 10..60
    p.plate.SetBorderColor(kRed);
    p.plate.SetFillStyle(Shape::kFillSolid);
    p.plate.SetFillColor(kBlue);
    EXPECT_EQ(host.PixelAt("P", 10, 10), static_cast<gdi::COLORREF>(kRed));
    EXPECT_EQ(host.PixelAt("P", 109, 59), static_cast<gdi::COLORREF>(kRed));
    EXPECT_EQ(host.PixelAt("P", 50, 30), static_cast<gdi::COLORREF>(kBlue));
    EXPECT_EQ(host.PixelAt("P", 110, 30), static_cast<gdi::COLORREF>(kGreen));  // right edge exclusive
    EXPECT_EQ(host.PixelAt("P", 5, 5), static_cast<gdi::COLORREF>(kGreen));
}

TEST_F(CompositorTest, OpaqueLabelFillsItsBackgroundAndDrawsText) {
    host.New("P", "Probe", {.width = 3000, .height = 1500});
    auto& p = dynamic_cast<Probe&>(*host.FindControl("P"));
    p.caption_label.SetVisible(true);
    p.caption_label.Move(0, 0, 1500, 450);
    p.caption_label.SetBackColor(0xFFFFFF);
    p.caption_label.SetForeColor(0);
    p.caption_label.SetCaption("WWWW");
    const ComposedImage image = host.Compose();
    int dark = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (image.At(x, y) != 0xFFFFFF) ++dark;
    EXPECT_GT(dark, 20);                     // the glyphs
    EXPECT_EQ(image.At(99, 29), 0xFFFFFFu);  // background corner
    p.caption_label.SetCaption("");
    EXPECT_EQ(host.PixelAt("P", 5, 5), 0xFFFFFFu);
}

TEST_F(CompositorTest, TransparentSurfaceShowsTheParentThroughMaskColourPixels) {
    host.New("Under", "Box", {.width = 3000, .height = 1500});
    PutProperty(*host.Find("Under"), "BackColor", Variant::FromLong(kBlue));
    host.New("P", "Probe", {.width = 3000, .height = 1500});
    Control& p = *host.FindControl("P");
    p.SetBackColor(kGreen);
    EXPECT_EQ(host.PixelAt("P", 1, 1), static_cast<gdi::COLORREF>(kGreen));

    // Mask: the left half in the mask colour (white), the right half black.
    std::vector<std::uint32_t> mask(200 * 100, 0xFFFFFF);
    for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 200; ++x) mask[y * 200 + x] = 0;
    p.SetMaskPicture(Picture::FromPixels(200, 100, mask.data()));
    p.SetMaskColor(0xFFFFFF);
    p.SetBackStyle(0);
    EXPECT_EQ(host.PixelAt("P", 10, 10), static_cast<gdi::COLORREF>(kBlue));    // see-through
    EXPECT_EQ(host.PixelAt("P", 150, 10), static_cast<gdi::COLORREF>(kGreen));  // opaque
    // Without a mask picture a transparent surface shows only its constituents.
    p.SetMaskPicture(nullptr);
    EXPECT_EQ(host.PixelAt("P", 150, 10), static_cast<gdi::COLORREF>(kBlue));
}

TEST_F(CompositorTest, HiddenControlsAreNotDrawn) {
    host.New("B", "Box", {.width = 1500, .height = 1500});
    PutProperty(*host.Find("B"), "BackColor", Variant::FromLong(kRed));
    PutProperty(*host.Find("B"), "Visible", Variant::FromBoolean(false));
    EXPECT_EQ(host.PixelAt("B", 5, 5), gdi::GetSysColor(15));
}

TEST_F(CompositorTest, ComposingLeavesNoDrawingObjectsBehind) {
    host.New("P", "Probe", {.width = 3000, .height = 1500});
    auto& p = dynamic_cast<Probe&>(*host.FindControl("P"));
    p.plate.SetVisible(true);
    p.plate.SetFillStyle(Shape::kFillSolid);
    p.caption_label.SetVisible(true);
    p.caption_label.SetCaption("text");
    const auto before = gdi::CountLiveObjects();
    host.Compose();
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

TEST_F(CompositorTest, PlainPictureBoxShowsItsBackColour) {
    host.New("Pic", "PictureBox", {.left = 150, .top = 150, .width = 1500, .height = 1500});
    PutProperty(*host.Find("Pic"), "BorderStyle", Variant::FromInteger(0));
    PutProperty(*host.Find("Pic"), "BackColor", Variant::FromLong(kRed));
    EXPECT_EQ(host.PixelAt("Pic", 50, 50), static_cast<gdi::COLORREF>(kRed));
    EXPECT_EQ(host.Find("Pic")->TypeName(), "PictureBox");
    EXPECT_GT(CLng(GetProperty(*host.Find("Pic"), "hWnd")), 0);
    // Drawing-layer members answer late-bound; the extender is asked after the adapter.
    auto plain = host.New("Plain", "PictureBox");
    PutProperty(*plain, "CurrentX", Variant::FromLong(300));
    EXPECT_EQ(CDbl(GetProperty(*plain, "CurrentX")), 300);
    EXPECT_EQ(CSng(GetProperty(*plain, "Left")), 0);
}

TEST_F(CompositorTest, FixedSinglePictureBoxShowsASunkenFrameAroundItsClientArea) {
    // Distinct frame colours, so a ring or side drawn in the wrong one shows.
    const gdi::COLORREF shadow = 0x000010, highlight = 0x000020, dark = 0x000030, light = 0x000040;
    gdi::SetSysColorEntry(16, shadow);
    gdi::SetSysColorEntry(20, highlight);
    gdi::SetSysColorEntry(21, dark);
    gdi::SetSysColorEntry(22, light);
    host.New("Pic", "PictureBox", {.left = 0, .top = 0, .width = 300, .height = 225});  // 20 x 15 pixels
    PutProperty(*host.Find("Pic"), "BorderStyle", Variant::FromInteger(1));
    PutProperty(*host.Find("Pic"), "BackColor", Variant::FromLong(kRed));
    const ComposedImage image = host.Compose();
    const struct {
        int x, y;
        gdi::COLORREF colour;
    } expected[] = {
        {0, 0, shadow},
        {18, 0, shadow},
        {0, 13, shadow},
        {19, 0, highlight},
        {0, 14, highlight},
        {19, 14, highlight},
        {19, 7, highlight},
        {1, 1, dark},
        {17, 1, dark},
        {1, 12, dark},
        {18, 1, light},
        {1, 13, light},
        {18, 13, light},
        {2, 2, static_cast<gdi::COLORREF>(kRed)},
        {17, 12, static_cast<gdi::COLORREF>(kRed)},
        {20, 7, gdi::GetSysColor(15)},
    };
    for (const auto& e : expected) EXPECT_EQ(image.At(e.x, e.y), e.colour) << e.x << "," << e.y;
}

}  // namespace
}  // namespace ov::host::testing

namespace ov::host::testing {
namespace {

TEST(ScaleTest, SurfaceConversionsFollowTheScaleMode) {
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host(registry);
    host.New("P", "Probe", {.width = 3000, .height = 1500});  // 200 x 100 pixels
    Control& p = *host.FindControl("P");
    EXPECT_EQ(p.ScaleWidth(), 3000);
    EXPECT_DOUBLE_EQ(p.ScaleX(2540, kScaleHimetric, kScaleTwips), 1440);
    p.SetScaleMode(kScalePixels);
    EXPECT_EQ(p.ScaleWidth(), 200);
    EXPECT_DOUBLE_EQ(p.ScaleX(150, kScaleTwips), 10);
    p.SetScaleWidth(50);  // user scale: 50 units across 200 pixels
    EXPECT_EQ(p.ScaleMode(), kScaleUser);
    EXPECT_DOUBLE_EQ(p.ScaleX(1, kScaleUser, kScalePixels), 4);
    EXPECT_EQ(p.ToPixelsX(25), 100);
    gdi::Screen().twips_per_pixel_x = 12;
    EXPECT_EQ(TwipsToPixels(120, Axis::X), 10);
    gdi::Screen().twips_per_pixel_x = 15;
}

}  // namespace
}  // namespace ov::host::testing
