// OVSideLogo in the reference host: that the strip is what its painters draw at the logo's size,
// the minimum size, the writes and their notifications, persistence, errors, and that rendering
// leaves no graphics object behind. The painters' pixels are their own tests'.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/reference/bag_file.h"
#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "sidelogo/band_painter.h"
#include "sidelogo/caption_painter.h"
#include "sidelogo/side_logo.h"
#include "support/canvas.h"
#include "support/hosted_control.h"

namespace ov::sidelogo {
namespace {

using gdi::COLORREF;
using gdi::RGB;
using host::ReferenceHost;

class SideLogoInHost : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = testing_support::FreshHost(testing_support::RegistryOf<OVSideLogo>("OVSideLogo", 1200, 4800), record_);
    }

    // A new logo `width_px` x `height_px` pixels.
    IDispatch& NewLogo(int width_px, int height_px) {
        host_->New("S", "OVSideLogo", {.left = 0, .top = 0, .width = width_px * 15.0, .height = height_px * 15.0});
        record_.Clear();
        return *host_->Find("S");
    }
    OVSideLogo& Logo() { return *dynamic_cast<OVSideLogo*>(host_->FindControl("S")); }
    // One composition per check: composing the form for every pixel would be slow.
    COLORREF At(int x, int y) { return host_->PixelAt("S", x, y); }
    struct Frame {
        host::ComposedImage image;
        gdi::POINT origin;
        COLORREF At(int x, int y) const { return image.At(origin.x + x, origin.y + y); }
    };
    Frame Snapshot(const std::string& name = "S") { return Frame{host_->Compose(), host_->OriginOf(name)}; }

    // How many pixels of `colour` the left `columns` x `rows` pixels of the logo hold.
    int CountColour(COLORREF colour, int columns, int rows) {
        const Frame frame = Snapshot();
        int count = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < columns; ++x) count += frame.At(x, y) == colour;
        return count;
    }

    testing_support::HostRecord record_;  // outlives the host, which reports to it
    const std::vector<std::string>& changed_ = record_.changed;
    std::unique_ptr<ReferenceHost> host_;
};

// The strip is exactly what the band and caption painters draw at the logo's pixel size, in its
// colours and font (and the caption is there: no empty strip passes).
TEST_F(SideLogoInHost, NewInstanceShowsWhatItsPaintersDrawAtItsSize) {
    IDispatch& logo = NewLogo(60, 255);
    EXPECT_EQ(CLng(GetProperty(logo, "StartColor")), 0xFF0000);
    EXPECT_EQ(CLng(GetProperty(logo, "EndColor")), 0xC0C0C0);
    EXPECT_EQ(CLng(GetProperty(logo, "FontColor")), 0xFFFFFF);
    EXPECT_EQ(CStr(GetProperty(logo, "Caption")), "Orvelle Computer Software");
    EXPECT_EQ(CLng(GetProperty(logo, "Style")), 0);

    testing_support::Canvas expected(60, 255, RGB(0, 0, 0));
    PaintBands(expected.dc(), 60, 255, ChannelTriple{0, 0, 255}, ChannelTriple{192, 192, 192});
    gdi::SetTextColor(expected.dc(), RGB(255, 255, 255));
    gdi::SetBkMode(expected.dc(), gdi::TRANSPARENT);
    PaintCaption(expected.dc(), 255, "Orvelle Computer Software", FontDesc{"Times New Roman", 11.25, true});
    const Frame frame = Snapshot();
    for (int y = 0; y < 255; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(frame.At(x, y), expected.At(x, y)) << x << "," << y;
    EXPECT_GT(CountColour(RGB(255, 255, 255), 22, 255), 30);
}

TEST_F(SideLogoInHost, ThreeDimensionalCentreBoxesDarkenOutwards) {
    IDispatch& logo = NewLogo(300, 300);
    PutProperty(logo, "Style", Variant::FromLong(1));
    // The boxes are laid out in twips (c = 2250, d = 100) and land on these pixels: either side
    // of the centre, the next pair, and the 23rd box to the right at the edge.
    EXPECT_EQ(At(153, 299), RGB(0, 0, 255));
    EXPECT_EQ(At(146, 10), RGB(0, 0, 255));
    EXPECT_EQ(At(160, 10), RGB(0, 0, 249));
    EXPECT_EQ(At(299, 10), RGB(0, 0, 255 - 22 * 6));
    // The caption is drawn over the shading.
    EXPECT_GT(CountColour(RGB(255, 255, 255), 22, 300), 30);
}

TEST_F(SideLogoInHost, GrowsToTheMinimumSize) {
    NewLogo(60, 300);
    host_->Resize("S", 100, 300);
    host::Control* control = host_->FindControl("S");
    EXPECT_EQ(control->Width(), 200);
    EXPECT_EQ(control->Height(), 700);
    host::ConstituentPictureBox& picture = *Logo().LogoPicture();
    EXPECT_EQ(picture.Width(), 200);
    EXPECT_EQ(picture.Height(), 700);
    // The box itself holds whole pixels.
    EXPECT_EQ(picture.box().client_width(), 13);
    EXPECT_EQ(picture.box().client_height(), 47);
    EXPECT_EQ(picture.box().BorderStyle(), 0);
    host_->Resize("S", 3000, 500);
    EXPECT_EQ(control->Width(), 3000);
    EXPECT_EQ(control->Height(), 700);
}

TEST_F(SideLogoInHost, UnchangedStartOrEndColourOnlyNotifies) {
    IDispatch& logo = NewLogo(40, 300);
    PictureBox& box = Logo().LogoPicture()->box();
    // Paint over a corner; a render would cover it again.
    box.Line(300, 300, 450, 450, 0x00FF00u, LineForm::FilledBox);
    ASSERT_EQ(At(25, 25), RGB(0, 255, 0));

    PutProperty(logo, "StartColor", Variant::FromLong(0xFF0000));
    PutProperty(logo, "EndColor", Variant::FromLong(0xC0C0C0));
    EXPECT_EQ(changed_, (std::vector<std::string>{"StartColor", "EndColor"}));
    EXPECT_EQ(At(25, 25), RGB(0, 255, 0)) << "an unchanged colour re-rendered";

    PutProperty(logo, "EndColor", Variant::FromLong(0xC0C0C1));
    EXPECT_NE(At(25, 25), RGB(0, 255, 0));
}

TEST_F(SideLogoInHost, SystemColourIsTranslatedOnceAtTheWrite) {
    IDispatch& logo = NewLogo(40, 300);
    PutProperty(logo, "StartColor", Variant::FromLong(static_cast<std::int32_t>(0x8000000Fu)));
    EXPECT_EQ(Logo().StartRGB(), (ChannelTriple{192, 192, 192}));
    gdi::SetSysColorEntry(15, RGB(10, 20, 30));
    PutProperty(logo, "StartColor", Variant::FromLong(static_cast<std::int32_t>(0x8000000Fu)));
    EXPECT_EQ(Logo().StartRGB(), (ChannelTriple{192, 192, 192}));
    EXPECT_EQ(At(39, 299), RGB(192, 192, 192));
    gdi::ResetSysColors();
}

TEST_F(SideLogoInHost, FontColorWrittenByReferenceColoursTheCaption) {
    IDispatch& logo = NewLogo(60, 300);
    std::vector<Variant> args{Variant::FromLong(0x0000FF)};
    logo.Invoke(logo.GetIDOfName("FontColor"), InvokeKind::PropertyPut, args);
    EXPECT_EQ(changed_, std::vector<std::string>{"FontColor"});
    EXPECT_EQ(Logo().LogoPicture()->box().ForeColor(), 0x0000FFu);
    EXPECT_GT(CountColour(RGB(255, 0, 0), 60, 300), 30);
    EXPECT_EQ(CountColour(RGB(255, 255, 255), 60, 300), 0) << "the old caption colour stayed";
}

TEST_F(SideLogoInHost, WritesNotifyAndRender) {
    IDispatch& logo = NewLogo(60, 300);
    PutProperty(logo, "Caption", Variant::FromString(""));
    EXPECT_EQ(CountColour(RGB(255, 255, 255), 60, 300), 0);  // background only
    PutProperty(logo, "Style", Variant::FromLong(1));
    PutProperty(logo, "EndColor", Variant::FromLong(0x00FF00));
    PutProperty(logo, "StartColor", Variant::FromLong(0x0000FF));
    auto font = StdFont::Create(FontDesc{"Arial", 20, false, false, false, false});
    PutPropertyRef(logo, "Font", Variant::FromObject(font));
    EXPECT_EQ(changed_, (std::vector<std::string>{"Caption", "Style", "EndColor", "StartColor", "Font"}));
    // The box took the attributes, not the object.
    auto box_font = Logo().LogoPicture()->box().Font();
    EXPECT_EQ(box_font->desc().name, "Arial");
    EXPECT_NE(box_font.get(), font.get());
    EXPECT_EQ(At(30, 5), RGB(255, 0, 0));  // cylinder centre in the new start colour
}

TEST_F(SideLogoInHost, InitialFontAndOverlongFaceName) {
    IDispatch& logo = NewLogo(60, 300);
    auto font = std::dynamic_pointer_cast<StdFont>(CObj(GetProperty(logo, "Font")));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->desc().name, "Times New Roman");
    EXPECT_EQ(font->desc().size, 11.25);
    EXPECT_TRUE(font->desc().bold);

    // A face name that does not fit the font record ends the render before the caption.
    PutPropertyRef(logo, "Font", Variant::FromObject(StdFont::Create(FontDesc{std::string(40, 'N'), 12})));
    EXPECT_EQ(CountColour(RGB(255, 255, 255), 60, 300), 0);
    EXPECT_EQ(At(59, 299), RGB(0, 0, 255));  // the background was drawn
}

TEST_F(SideLogoInHost, PersistsSixKeysInOrderAndSkipsUnreadableOnes) {
    IDispatch& logo = NewLogo(60, 300);
    // A new instance differs from the defaults only in its font (Times New Roman bold, not the
    // ambient font).
    const host::PropertyBag fresh = host_->Save("S");
    ASSERT_EQ(fresh.entries().size(), 1u) << BagToJsonText(fresh);
    EXPECT_EQ(fresh.entries()[0].first, "Font");

    PutProperty(logo, "FontColor", Variant::FromLong(0x00FFFF));
    PutProperty(logo, "StartColor", Variant::FromLong(0x000080));
    PutProperty(logo, "EndColor", Variant::FromLong(0x008000));
    PutPropertyRef(logo, "Font", Variant::FromObject(StdFont::Create(FontDesc{"Arial", 10, true})));
    PutProperty(logo, "Caption", Variant::FromString("Setup"));
    PutProperty(logo, "Style", Variant::FromLong(1));
    host::PropertyBag bag = host_->Save("S");
    std::vector<std::string> keys;
    for (const auto& [key, value] : bag.entries()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"FontColor", "StartColor", "EndColor", "Font", "Caption", "Style"}));

    host_->Load("L", "OVSideLogo", bag, {.left = 2000, .top = 0, .width = 900, .height = 4500});
    IDispatch& loaded = *host_->Find("L");
    EXPECT_EQ(CLng(GetProperty(loaded, "FontColor")), 0x00FFFF);
    EXPECT_EQ(CLng(GetProperty(loaded, "StartColor")), 0x000080);
    EXPECT_EQ(CLng(GetProperty(loaded, "EndColor")), 0x008000);
    EXPECT_EQ(CStr(GetProperty(loaded, "Caption")), "Setup");
    EXPECT_EQ(CLng(GetProperty(loaded, "Style")), 1);
    auto font = std::dynamic_pointer_cast<StdFont>(CObj(GetProperty(loaded, "Font")));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->desc().name, "Arial");

    host::PropertyBag broken;
    broken.Set("StartColor", Variant::FromString("not a colour"));
    broken.Set("Caption", Variant::FromString("Still read"));
    host_->Load("B", "OVSideLogo", broken);
    IDispatch& partial = *host_->Find("B");
    EXPECT_EQ(CLng(GetProperty(partial, "StartColor")), 0xFF0000);  // as creation left it
    EXPECT_EQ(CStr(GetProperty(partial, "Caption")), "Still read");
    EXPECT_EQ(host_->lifecycle_errors().size(), 1u);

    // A FontColor the picture box refuses (an unknown system colour, 380) leaves the property
    // as it was, and what is saved is the colour the caption is drawn in.
    host::PropertyBag refused;
    refused.Set("FontColor", Variant::FromLong(static_cast<std::int32_t>(0x800000FFu)));
    host_->Load("R", "OVSideLogo", refused);
    IDispatch& kept = *host_->Find("R");
    EXPECT_EQ(CLng(GetProperty(kept, "FontColor")), 0xFFFFFF);
    EXPECT_EQ(host_->lifecycle_errors().size(), 2u);
    EXPECT_FALSE(host_->Save("R").Contains("FontColor"));
}

TEST_F(SideLogoInHost, RenderingLeavesNoGraphicsObjects) {
    IDispatch& logo = NewLogo(60, 400);
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    PutProperty(logo, "Caption", Variant::FromString("Another caption"));
    PutProperty(logo, "Style", Variant::FromLong(1));
    PutProperty(logo, "Style", Variant::FromLong(0));
    PutProperty(logo, "StartColor", Variant::FromLong(0x123456));
    host_->Paint("S");
    host_->Resize("S", 1200, 9000);
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

}  // namespace
}  // namespace ov::sidelogo
