// OVGradientPanel in the reference host: the new-instance defaults and their single paint,
// which writes notify and which repaint (and how), persistence in both directions with failing
// and out-of-range keys, the gradient cache, see-through drawing at design and run time,
// pictures and AutoSize, mouse coordinates and by-reference drag arguments, absurd input, and
// that no graphics object outlives a repaint, a resize or the panel.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "host/reference/bag_file.h"
#include "support/allocation_meter.h"
#include "support/error_number.h"
#include "support/hosted_control.h"
#include "support/picture_files.h"
#include "gradient/cls_gradient.h"
#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "panel/gradient_panel.h"
#include "panel/shift_colour.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/picturebox/picture_box_object.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov::panel {
namespace {

using gdi::COLORREF;
using gdi::RGB;
using testing_support::ErrorNumberOf;

// The panel is registered with another extent than a new panel's, so that the defaults'
// own size changes happen.
host::ClassRegistry& Registry() {
    return testing_support::RegistryOf<OVGradientPanel, testing_support::HostClasses::kIncluded>("OVGradientPanel",
                                                                                                 2400, 1200);
}

// A host that also logs every copy a control makes onto its own surface ("present").
class LoggingHost : public host::ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    void SurfaceRefreshed(host::Control&) override { log.push_back("present"); }
    std::vector<std::string> log;
};

struct Raised {
    std::string event;
    std::vector<Variant> args;
};

Variant Long(std::int32_t v) { return Variant::FromLong(v); }

// A placement in twips, in the form or in `container`.
host::Placement Twips(double left, double top, std::optional<double> width = std::nullopt,
                      std::optional<double> height = std::nullopt, std::string container = {}) {
    host::Placement at;
    at.container = std::move(container);
    at.left = left;
    at.top = top;
    at.width = width;
    at.height = height;
    return at;
}

class PanelInHost : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::Screen() = gdi::ScreenSettings{};
        gdi::ResetSysColors();
        objects_before_ = gdi::CountLiveObjects();
        host_ = std::make_unique<LoggingHost>(Registry());
        host_->form().SetWidth(9000);
        host_->form().SetHeight(6000);
        host_->SetListener({
            .on_event =
                [this](const std::string&, const std::string& e, const std::vector<Variant>& a) {
                    events_.push_back({e, a});
                    host_->log.push_back("event " + e);
                },
            .on_changed = [this](const std::string&, const std::string& p) { changed_.push_back(p); },
            .on_lifecycle_error = nullptr,
        });
    }
    void TearDown() override {
        host_.reset();
        EXPECT_EQ(gdi::CountLiveObjects(), objects_before_) << "graphics objects outlived the panels";
    }

    // A new panel `w` x `h` pixels at (x, y) pixels; the logs start empty afterwards.
    IDispatch& NewPanel(int w = 60, int h = 40, const std::string& name = "P", int x = 0, int y = 0) {
        host_->New(name, "OVGradientPanel", Twips(x * 15.0, y * 15.0, w * 15.0, h * 15.0));
        ClearLogs();
        return *host_->Find(name);
    }
    OVGradientPanel& Panel(const std::string& name = "P") {
        return *dynamic_cast<OVGradientPanel*>(host_->FindControl(name));
    }
    void ClearLogs() {
        host_->log.clear();
        changed_.clear();
        events_.clear();
    }
    int Presents() const { return static_cast<int>(std::count(host_->log.begin(), host_->log.end(), "present")); }
    COLORREF At(int x, int y, const std::string& name = "P") { return host_->PixelAt(name, x, y); }
    // One composition for many pixels.
    struct Frame {
        host::ComposedImage image;
        gdi::POINT origin;
        COLORREF At(int x, int y) const { return image.At(origin.x + x, origin.y + y); }
    };
    Frame Snapshot(const std::string& name = "P") { return Frame{host_->Compose(), host_->OriginOf(name)}; }

    // A 20 x 10 picture panel on green, no frame, no caption.
    IDispatch& PicturePanel() {
        IDispatch& p = NewPanel(20, 10);
        PutProperty(p, "Appearance", Long(gpaNone));
        PutProperty(p, "Caption", Variant::FromString(""));
        PutProperty(p, "BackColor", Long(RGB(0, 128, 0)));
        PutProperty(p, "Style", Long(gpsPicture));
        return p;
    }

    gdi::LiveObjects objects_before_;
    std::unique_ptr<LoggingHost> host_;
    std::vector<std::string> changed_;
    std::vector<Raised> events_;
};

// --- new instance ------------------------------------------------------------------------

TEST_F(PanelInHost, NewPanelTakesItsDefaultsAndPaintsOnceAfterThem) {
    host_->New("P", "OVGradientPanel");
    // Two size changes of the defaults each raise Resize without painting; the defaults end
    // with one full paint; the host's own resize paints and raises Resize; showing repaints.
    const std::vector<std::string> expected = {"event Resize", "event Resize", "present",
                                               "present",      "event Resize", "present"};
    EXPECT_EQ(host_->log, expected);
    EXPECT_TRUE(changed_.empty()) << changed_.front();

    IDispatch& p = *host_->Find("P");
    EXPECT_EQ(CDbl(GetProperty(p, "Width")), 1230);
    EXPECT_EQ(CDbl(GetProperty(p, "Height")), 510);
    EXPECT_EQ(CStr(GetProperty(p, "Caption")), "P");
    EXPECT_EQ(CLng(GetProperty(p, "Appearance")), gpaEtched);
    EXPECT_EQ(CLng(GetProperty(p, "Alignment")), gpaCenterMiddle);
    EXPECT_EQ(CLng(GetProperty(p, "BackColor")), static_cast<std::int32_t>(0x8000000Fu));
    EXPECT_EQ(CLng(GetProperty(p, "ForeColor")), static_cast<std::int32_t>(0x80000012u));
    EXPECT_EQ(CDbl(GetProperty(p, "GradientRepetitions")), 1.0);
    EXPECT_FALSE(CBool(GetProperty(p, "UseClassicBorders")));
    EXPECT_TRUE(CBool(GetProperty(p, "Enabled")));
    EXPECT_EQ(CStr(GetProperty(*CObj(GetProperty(p, "Font")), "Name")), "MS Sans Serif");
    EXPECT_TRUE(Panel().parent_scale());

    // 82 x 34 pixels, a shaded etched frame on button face (192) and the caption in the middle.
    EXPECT_EQ(At(0, 0), RGB(32, 32, 32));
    EXPECT_EQ(At(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(At(81, 33), RGB(255, 255, 255));
    EXPECT_EQ(At(80, 32), RGB(32, 32, 32));
    EXPECT_EQ(At(5, 16), RGB(192, 192, 192));
    const Frame frame = Snapshot();
    int caption_pixels = 0;
    for (int x = 20; x < 62; ++x)
        for (int y = 8; y < 26; ++y) caption_pixels += frame.At(x, y) != RGB(192, 192, 192);
    EXPECT_GT(caption_pixels, 10);
}

// --- writes ----------------------------------------------------------------------------------

enum class Repaint { None, Quick, Full };

struct PutCase {
    const char* property;
    Variant value;
    std::int32_t style;
    bool notifies;
    Repaint repaint;
    std::int32_t appearance = gpaEtched;
    bool classic = false;
};

// Which repaint a write ran: a full one re-renders a gradient panel's gradient, and on other
// styles picks up a system colour changed just before the write.
TEST_F(PanelInHost, WritesNotifyAndRepaintAsTheirTableSays) {
    const auto bitmap = [] {
        const std::uint32_t red[4] = {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000};
        return Variant::FromObject(Picture::FromPixels(2, 2, red));
    };
    const std::vector<PutCase> cases = {
        {"Alignment", Long(3), gpsStandard, true, Repaint::Quick},
        {"Alignment", Long(12), gpsStandard, true, Repaint::Quick},
        {"AlignmentCushion", Long(-1), gpsStandard, false, Repaint::None},
        {"AlignmentCushion", Long(0), gpsStandard, true, Repaint::Quick},
        {"Appearance", Long(9), gpsStandard, true, Repaint::Quick},
        {"BackColor", Long(RGB(255, 0, 0)), gpsStandard, true, Repaint::Quick},
        {"BackColor", Long(RGB(255, 0, 0)), gpsPicture, true, Repaint::Quick},
        {"BackColor", Long(RGB(255, 0, 0)), gpsTransparent, true, Repaint::Quick},
        {"BackColor", Long(RGB(255, 0, 0)), gpsGradient, true, Repaint::None},
        {"BackColor", Long(RGB(255, 0, 0)), 7, true, Repaint::None},
        {"BevelIntensity", Long(30), gpsStandard, true, Repaint::None},
        {"BevelIntensity", Long(30), gpsStandard, true, Repaint::Quick, gpaBevelRaised},
        {"BevelWidth", Long(5), gpsStandard, true, Repaint::Quick, gpaBevelInset},
        {"BevelWidth", Long(-5), gpsStandard, true, Repaint::None, gpa3DRaised},
        {"BorderColor", Long(RGB(255, 0, 0)), gpsGradient, true, Repaint::None},
        {"BorderColor", Long(RGB(255, 0, 0)), gpsGradient, true, Repaint::Quick, gpaEtched, true},
        {"Caption", Variant::FromString("Hello"), gpsGradient, true, Repaint::Quick},
        {"CaptionStyle", Long(6), gpsStandard, false, Repaint::None},
        {"CaptionStyle", Long(-1), gpsStandard, false, Repaint::None},
        {"CaptionStyle", Long(5), gpsStandard, true, Repaint::Quick},
        {"Enabled", Variant::FromBoolean(false), gpsStandard, true, Repaint::None},
        {"FontBold", Variant::FromBoolean(true), gpsGradient, true, Repaint::Quick},
        {"FontSize", Variant::FromSingle(14), gpsStandard, true, Repaint::Quick},
        {"FontName", Variant::FromString("Arial"), gpsStandard, true, Repaint::Quick},
        {"ForeColor", Long(RGB(0, 0, 255)), gpsGradient, true, Repaint::Quick},
        {"GradientAngle", Variant::FromDouble(45), gpsGradient, true, Repaint::Full},
        {"GradientAngle", Variant::FromDouble(45), gpsStandard, true, Repaint::None},
        {"GradientBlendMode", Long(2), gpsStandard, false, Repaint::None},
        {"GradientBlendMode", Long(1), gpsStandard, true, Repaint::Full},
        {"GradientColor1", Long(RGB(0, 0, 255)), gpsGradient, true, Repaint::Full},
        {"GradientColor2", Long(RGB(0, 0, 255)), gpsPicture, true, Repaint::None},
        {"GradientRepetitions", Variant::FromDouble(0.5), gpsStandard, false, Repaint::None},
        {"GradientRepetitions", Variant::FromDouble(46), gpsStandard, false, Repaint::None},
        {"GradientRepetitions", Variant::FromDouble(1.0), gpsStandard, true, Repaint::Full},
        {"GradientRepetitions", Variant::FromDouble(45.0), gpsGradient, true, Repaint::Full},
        {"GradientType", Long(3), gpsGradient, false, Repaint::None},
        {"GradientType", Long(2), gpsStandard, true, Repaint::Full},
        {"MousePointer", Long(99), gpsStandard, true, Repaint::None},
        {"OLEDropMode", Long(1), gpsStandard, true, Repaint::None},
        {"Picture", bitmap(), gpsStandard, true, Repaint::None},
        {"Picture", bitmap(), gpsPicture, true, Repaint::Quick},
        {"Style", Long(gpsGradient), gpsStandard, true, Repaint::Full},
        {"Style", Long(11), gpsStandard, true, Repaint::Full},
        {"UseClassicBorders", Variant::FromBoolean(true), gpsStandard, true, Repaint::Quick},
    };
    int round = 0;
    for (const PutCase& c : cases) {
        const std::string name = "P" + std::to_string(round++);
        IDispatch& p = NewPanel(40, 30, name);
        PutProperty(p, "Style", Long(c.style));
        PutProperty(p, "Appearance", Long(c.appearance));
        PutProperty(p, "UseClassicBorders", Variant::FromBoolean(c.classic));
        const Variant before = GetProperty(p, c.property);
        const COLORREF marker = RGB(round, 7, 7);
        gdi::SetSysColorEntry(16, marker);
        const std::int64_t renders = Panel(name).gradient_renders();
        ClearLogs();

        if (c.value.IsObject()) PutPropertyRef(p, c.property, c.value);
        else PutProperty(p, c.property, c.value);

        const std::string what = std::string(c.property) + " on style " + std::to_string(c.style);
        EXPECT_EQ(changed_, c.notifies ? std::vector<std::string>{c.property} : std::vector<std::string>{}) << what;
        if (!c.notifies) {
            EXPECT_TRUE(GetProperty(p, c.property) == before) << what << " kept its value";
        }
        const bool full =
            Panel(name).gradient_renders() > renders ||
            (c.style != gpsGradient && Panel(name).ClassicBorderColours().shadow == static_cast<std::int32_t>(marker));
        const Repaint seen = Presents() == 0 ? Repaint::None : full ? Repaint::Full : Repaint::Quick;
        EXPECT_EQ(seen, c.repaint) << what;
        EXPECT_LE(Presents(), 1) << what;
        host_->Terminate(name);
    }
}

TEST_F(PanelInHost, BorderColorIsShadedOnceUsedByAClassicFrame) {
    IDispatch& p = NewPanel(40, 30);
    PutProperty(p, "Appearance", Long(gpaFlatRaised));
    PutProperty(p, "Style", Long(gpsGradient));
    PutProperty(p, "GradientColor1", Long(RGB(0, 128, 0)));
    PutProperty(p, "GradientColor2", Long(RGB(0, 128, 0)));
    PutProperty(p, "BorderColor", Long(RGB(255, 0, 0)));
    // Recomputed but not shown: the frame is still the shaded one over green.
    EXPECT_EQ(Panel().ClassicBorderColours().dark_shadow, RGB(95, 0, 0));
    EXPECT_EQ(At(39, 10), RGB(0, 0, 0));
    EXPECT_EQ(At(0, 10), RGB(96, 224, 96));
    PutProperty(p, "UseClassicBorders", Variant::FromBoolean(true));
    EXPECT_EQ(At(39, 10), RGB(95, 0, 0));
    EXPECT_EQ(At(0, 10), RGB(255, 96, 96));
    // On a gpsStandard panel the classic frame ignores BorderColor.
    PutProperty(p, "Style", Long(gpsStandard));
    EXPECT_EQ(At(39, 10), gdi::GetSysColor(21));
    EXPECT_EQ(At(0, 10), gdi::GetSysColor(20));
}

TEST_F(PanelInHost, FontAttributesReadAndWriteTheDrawingAreasFont) {
    IDispatch& p = NewPanel();
    PutProperty(p, "FontSize", Variant::FromSingle(14));
    PutProperty(p, "FontItalic", Variant::FromBoolean(true));
    const std::shared_ptr<IDispatch> font = CObj(GetProperty(p, "Font"));
    EXPECT_EQ(CDbl(GetProperty(*font, "Size")), 14);
    EXPECT_TRUE(CBool(GetProperty(*font, "Italic")));
    PutPropertyRef(p, "Font", Variant::FromObject(StdFont::Create(FontDesc{"Arial", 9, true, false, true, false})));
    EXPECT_EQ(CStr(GetProperty(p, "FontName")), "Arial");
    EXPECT_TRUE(CBool(GetProperty(p, "FontBold")));
    EXPECT_TRUE(CBool(GetProperty(p, "FontUnderline")));
    EXPECT_FALSE(CBool(GetProperty(p, "FontItalic")));
    EXPECT_EQ(CSng(GetProperty(p, "FontSize")), 9.0f);
}

TEST_F(PanelInHost, SixteenBitValuesOverflowBeforeAnythingChanges) {
    IDispatch& p = NewPanel();
    for (const char* property : {"MousePointer", "OLEDropMode"}) {
        PutProperty(p, property, Long(2));
        changed_.clear();
        EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, property, Long(40000)); }), error::kOverflow) << property;
        EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, property, Long(-32769)); }), error::kOverflow) << property;
        EXPECT_EQ(CLng(GetProperty(p, property)), 2) << property;
        EXPECT_TRUE(changed_.empty()) << property;
    }
}

// --- persistence ---------------------------------------------------------------------------

TEST_F(PanelInHost, BagRoundTripKeepsEveryKeyInOrder) {
    IDispatch& p = NewPanel();
    const std::uint32_t pixels[1] = {0x123456};
    const auto picture = Picture::FromPixels(1, 1, pixels);
    // Bag files embed bitmaps only, so the mouse icon here is a bitmap too.
    const std::uint32_t pointer_pixels[4] = {0, 0xFFFFFF, 0xFFFFFF, 0};
    const auto icon = Picture::FromPixels(2, 2, pointer_pixels);
    const std::vector<std::pair<std::string, Variant>> values = {
        {"Alignment", Long(2)},
        {"AlignmentCushion", Long(6)},
        {"Appearance", Long(6)},
        {"AutoSize", Long(1)},
        {"BackColor", Long(RGB(1, 2, 3))},
        {"BevelIntensity", Long(33)},
        {"BevelWidth", Long(4)},
        {"BorderColor", Long(RGB(4, 5, 6))},
        {"Caption", Variant::FromString("Saved")},
        {"CaptionStyle", Long(4)},
        {"Enabled", Variant::FromBoolean(false)},
        {"Font", Variant::FromObject(StdFont::Create(FontDesc{"Arial", 12, true, true, false, false}))},
        {"ForeColor", Long(RGB(7, 8, 9))},
        {"GradientAngle", Variant::FromDouble(30.5)},
        {"GradientBlendMode", Long(1)},
        {"GradientColor1", Long(RGB(10, 11, 12))},
        {"GradientColor2", Long(RGB(13, 14, 15))},
        {"GradientRepetitions", Variant::FromDouble(2.5)},
        {"GradientType", Long(2)},
        {"MouseIcon", Variant::FromObject(icon)},
        {"MousePointer", Long(99)},
        {"OLEDropMode", Long(1)},
        {"Picture", Variant::FromObject(picture)},
        {"Style", Long(1)},
        {"UseClassicBorders", Variant::FromBoolean(true)},
    };
    for (const auto& [key, value] : values) {
        if (value.IsObject()) PutPropertyRef(p, key, value);
        else PutProperty(p, key, value);
    }
    const host::PropertyBag bag = host_->Save("P");
    std::vector<std::string> keys;
    for (const auto& [key, value] : bag.entries()) keys.push_back(key);
    std::vector<std::string> expected_keys;
    for (const auto& [key, value] : values) expected_keys.push_back(key);
    EXPECT_EQ(keys, expected_keys);

    host_->Load("Q", "OVGradientPanel", host::BagFromJsonText(BagToJsonText(bag)), Twips(0, 1200));
    IDispatch& q = *host_->Find("Q");
    for (const auto& [key, value] : values) {
        const Variant loaded = GetProperty(q, key);
        if (key == "Font") {
            EXPECT_EQ(CStr(GetProperty(*CObj(loaded), "Name")), "Arial");
            EXPECT_TRUE(CBool(GetProperty(*CObj(loaded), "Italic")));
        } else if (key == "Picture" || key == "MouseIcon") {
            const auto* original = dynamic_cast<const Picture*>(value.object().get());
            const auto* read = dynamic_cast<const Picture*>(CObj(loaded).get());
            ASSERT_NE(read, nullptr) << key;
            EXPECT_EQ(read->type(), original->type()) << key;
            EXPECT_EQ(read->width_pixels(), original->width_pixels()) << key;
        } else {
            EXPECT_TRUE(CStr(loaded) == CStr(value)) << key << ": " << CStr(loaded) << " vs " << CStr(value);
        }
    }
    // Values equal to their defaults are left out; a new panel's caption is its name.
    const host::PropertyBag fresh = [&] {
        NewPanel(40, 30, "R");
        return host_->Save("R");
    }();
    ASSERT_EQ(fresh.entries().size(), 1u);
    EXPECT_EQ(fresh.entries()[0].first, "Caption");
}

TEST_F(PanelInHost, ReadingGoesStraightIntoHoldersAndPastFailingKeys) {
    host::PropertyBag bag;
    bag.Set("Alignment", Variant::FromString("left"));                   // 13, skipped
    bag.Set("AlignmentCushion", Long(-4));                               // a put would ignore it
    bag.Set("Appearance", Long(12));                                     // out of range, kept: etched
    bag.Set("BackColor", Long(static_cast<std::int32_t>(0x80000063u)));  // the drawing area refuses it: 380
    bag.Set("Caption", Variant::FromString("Loaded"));
    bag.Set("CaptionStyle", Long(9));  // kept, drawn plain
    bag.Set("Enabled", Variant::FromBoolean(false));
    bag.Set("GradientRepetitions", Variant::FromDouble(0.25));  // kept, unlike a put
    bag.Set("MousePointer", Long(40000));                       // not a 16-bit value: 6
    bag.Set("Picture", Long(5));                                // not an object: 13
    bag.Set("Style", Long(17));
    host_->Load("P", "OVGradientPanel", bag, Twips(0, 0, 600, 450));
    IDispatch& p = *host_->Find("P");

    const std::vector<std::string> errors = {"P.ReadProperties.Alignment: 13", "P.ReadProperties.BackColor: 380",
                                             "P.ReadProperties.MousePointer: 6", "P.ReadProperties.Picture: 13"};
    EXPECT_EQ(host_->lifecycle_errors(), errors);
    EXPECT_EQ(CLng(GetProperty(p, "Alignment")), gpaCenterMiddle);
    EXPECT_EQ(CLng(GetProperty(p, "AlignmentCushion")), -4);
    EXPECT_EQ(CLng(GetProperty(p, "Appearance")), 12);
    EXPECT_EQ(CStr(GetProperty(p, "Caption")), "Loaded");
    EXPECT_EQ(CLng(GetProperty(p, "CaptionStyle")), 9);
    EXPECT_EQ(CDbl(GetProperty(p, "GradientRepetitions")), 0.25);
    EXPECT_EQ(CLng(GetProperty(p, "Style")), 17);
    EXPECT_FALSE(CBool(GetProperty(p, "Enabled")));
    // Only the two keys assigned through their puts announce themselves.
    EXPECT_EQ(changed_, (std::vector<std::string>{"Enabled", "MouseIcon"}));
    // Style 17 paints like gpsStandard with the system colours; Appearance 12 is etched.
    EXPECT_EQ(At(0, 0), RGB(32, 32, 32));
    EXPECT_EQ(At(20, 2), RGB(192, 192, 192));
}

// --- the paint pipeline ----------------------------------------------------------------------

// With no frame and no caption the panel shows exactly what the renderer draws on a surface of
// its size; puts that repaint quickly reuse that picture without running the renderer again.
TEST_F(PanelInHost, GradientIsRenderedByFullRepaintsOnlyAndShownAsDrawn) {
    IDispatch& p = NewPanel(50, 30);
    PutProperty(p, "Appearance", Long(gpaNone));
    PutProperty(p, "Caption", Variant::FromString(""));
    PutProperty(p, "GradientColor1", Long(RGB(255, 255, 255)));
    PutProperty(p, "GradientColor2", Long(RGB(0, 0, 128)));
    PutProperty(p, "GradientAngle", Variant::FromDouble(30));
    PutProperty(p, "Style", Long(gpsGradient));
    const std::int64_t renders = Panel().gradient_renders();

    auto box = std::make_shared<PictureBox>(0, 0, 0, 750, 450);
    box->SetBorderStyle(0);
    box->SetAutoRedraw(true);
    gradient::clsGradient reference;
    reference.SetColor1(RGB(255, 255, 255));
    reference.SetColor2(RGB(0, 0, 128));
    reference.SetAngle(30);
    ASSERT_TRUE(reference.Draw(*PictureBoxObject::Create(box)));
    const Frame frame = Snapshot();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(frame.At(x, y), gdi::GetPixel(box->hDC(), x, y)) << x << "," << y;

    PutProperty(p, "Caption", Variant::FromString("x"));
    PutProperty(p, "ForeColor", Long(RGB(255, 0, 0)));
    PutProperty(p, "Appearance", Long(gpa3DRaised));
    PutPropertyRef(p, "Font", Variant::FromObject(StdFont::Create()));
    host_->Show("P");
    EXPECT_EQ(Panel().gradient_renders(), renders);
    CallMethod(p, "Refresh", *std::make_unique<std::vector<Variant>>());
    EXPECT_EQ(Panel().gradient_renders(), renders + 1);
    PutProperty(p, "GradientType", Long(1));
    EXPECT_EQ(Panel().gradient_renders(), renders + 2);
}

// A quick repaint restores only what the last one drew over the cached gradient: after each
// step, a panel that only ever repainted quickly shows what its twin shows after a full repaint
// of the same settings, pixel for pixel (frames of every kind, a wide bevel, captions that move,
// grow past the edges and change style, a resize, a switch through another style).
TEST_F(PanelInHost, QuickRepaintsMatchAFullRepaintAfterEveryChange) {
    IDispatch& quick = NewPanel(70, 40, "P", 0, 0);
    IDispatch& full = NewPanel(70, 40, "R", 0, 50);
    const auto both = [&](const char* name, const Variant& value) {
        PutProperty(quick, name, value);
        PutProperty(full, name, value);
    };
    both("GradientColor1", Long(RGB(255, 255, 255)));
    both("GradientColor2", Long(RGB(0, 64, 128)));
    both("GradientType", Long(gradient::gtElliptical));
    both("Style", Long(gpsGradient));
    const struct {
        const char* name;
        Variant value;
    } steps[] = {
        {"Caption", Variant::FromString("Quarter")},
        {"Appearance", Long(gpaBevelRaised)},
        {"BevelWidth", Long(12)},
        {"Alignment", Long(gpaRightBottom)},
        {"CaptionStyle", Long(gpcRaisedHeavy)},
        {"FontSize", Variant::FromSingle(30)},
        {"Appearance", Long(gpaEtched)},
        {"UseClassicBorders", Variant::FromBoolean(true)},
        {"Appearance", Long(gpa3DInset)},
        {"Alignment", Long(gpaLeftTop)},
        {"Caption", Variant::FromString("")},
        {"Appearance", Long(gpaNone)},
        {"Caption", Variant::FromString("Again")},
        {"Style", Long(gpsStandard)},
        {"Style", Long(gpsGradient)},
        {"Appearance", Long(gpaFlatRaised)},
    };
    for (std::size_t i = 0; i <= std::size(steps); ++i) {
        if (i == std::size(steps)) {
            host_->Resize("P", 900, 525);
            host_->Resize("R", 900, 525);
            PutProperty(quick, "Caption", Variant::FromString("Resized"));
            PutProperty(full, "Caption", Variant::FromString("Resized"));
        } else {
            both(steps[i].name, steps[i].value);
        }
        CallMethod(full, "Refresh", *std::make_unique<std::vector<Variant>>());
        const host::ComposedImage image = host_->Compose();
        const gdi::POINT a = host_->OriginOf("P"), b = host_->OriginOf("R");
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 70; ++x)
                ASSERT_EQ(image.At(a.x + x, a.y + y), image.At(b.x + x, b.y + y))
                    << "step " << i << " at " << x << "," << y;
    }
}

// A full repaint copies a new render into the cache unless the cache holds that very render:
// a system colour the gradient uses changing its value, or the colour that an unknown gradient
// type (read from a bag) leaves showing, must reach the cache, or the quick repaint that
// follows restores the old pixels under the caption it removes.
TEST_F(PanelInHost, FullRepaintsRefreshTheCacheWhenTheRenderWouldDiffer) {
    const struct {
        const char* what;
        std::int32_t gradient_type;
        std::function<void(IDispatch&)> change;
    } cases[] = {
        {"system colour of GradientColor2", gradient::gtNormal,
         [](IDispatch&) { gdi::SetSysColorEntry(15, RGB(0, 200, 0)); }},
        {"BackColor under an unknown type", 9, [](IDispatch& p) { PutProperty(p, "BackColor", Long(RGB(0, 0, 200))); }},
    };
    for (const auto& c : cases) {
        gdi::ResetSysColors();
        host::PropertyBag bag;
        bag.Set("Caption", Variant::FromString("Quarter"));
        bag.Set("GradientType", Long(c.gradient_type));
        bag.Set("Style", Long(gpsGradient));
        host_->Load("P", "OVGradientPanel", bag, Twips(0, 0, 900, 450));
        IDispatch& p = *host_->Find("P");
        c.change(p);
        CallMethod(p, "Refresh", *std::make_unique<std::vector<Variant>>());
        PutProperty(p, "Caption", Variant::FromString(""));  // a quick repaint, from the cache
        const Frame quick = Snapshot();
        CallMethod(p, "Refresh", *std::make_unique<std::vector<Variant>>());
        const Frame full = Snapshot();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x) ASSERT_EQ(quick.At(x, y), full.At(x, y)) << c.what << " at " << x << "," << y;
        host_->Terminate("P");
    }
}

// After a new render the cache may still lean on the drawing area for what no frame or caption
// covers. Every order of puts that draws over the area, clears it, resizes it or switches it
// to another style must leave the panel showing what a full repaint of the same settings
// shows, pixel for pixel; a twin panel gets each put too and repaints in full after it.
TEST_F(PanelInHost, RepaintsAfterANewRenderMatchAFullRepaintInAnyOrder) {
    struct Step {
        std::string what;
        std::function<void(IDispatch&, const std::string&)> apply;
    };
    const auto put = [](const char* name, Variant value) {
        return Step{name, [name, value](IDispatch& p, const std::string&) { PutProperty(p, name, value); }};
    };
    const auto colour = [&](std::int32_t c) { return put("GradientColor2", Long(c)); };
    const auto caption = [&](const char* text) { return put("Caption", Variant::FromString(text)); };
    const auto resize = [&](double w, double h) {
        return Step{"resize", [this, w, h](IDispatch&, const std::string& name) { host_->Resize(name, w, h); }};
    };
    const auto picture = [](std::shared_ptr<Picture> pic) {
        return Step{"Picture", [pic](IDispatch& p, const std::string&) {
                        PutPropertyRef(p, "Picture", Variant::FromObject(pic));
                    }};
    };
    const auto run_time = [this](bool on) {
        return Step{"user mode", [this, on](IDispatch&, const std::string&) { host_->SetUserMode(on); }};
    };
    const std::uint32_t checker[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const auto bitmap = Picture::FromPixels(2, 2, checker);
    const auto metafile = Picture::FromMetafile(PictureType::Metafile, 1000, 1000, {1});
    std::vector<Step> many_places{colour(RGB(0, 90, 0))};
    for (int i = 0; i < 40; ++i) {
        many_places.push_back(put("Alignment", Long(i % 9)));
        if (i % 4 == 3) many_places.push_back(put("FontSize", Variant::FromSingle(static_cast<float>(8 + i % 7 * 3))));
    }
    const struct {
        const char* name;
        std::int32_t type;
        std::vector<Step> steps;
    } rows[] = {
        {"captions",
         gradient::gtNormal,
         {colour(RGB(0, 0, 200)), put("Alignment", Long(gpaLeftTop)), caption("A longer caption"),
          put("CaptionStyle", Long(gpcRaisedHeavy)), put("Alignment", Long(gpaRightBottom)), caption(""),
          caption("Back"), put("ForeColor", Long(RGB(255, 255, 0))), put("FontSize", Variant::FromSingle(26))}},
        {"frames",
         gradient::gtNormal,
         {colour(RGB(0, 0, 200)), put("Appearance", Long(gpaBevelRaised)), put("BevelWidth", Long(12)),
          put("BevelIntensity", Long(60)), put("Appearance", Long(gpaEtched)),
          put("UseClassicBorders", Variant::FromBoolean(true)), put("BorderColor", Long(RGB(200, 0, 0))),
          put("Appearance", Long(gpa3DInset)), put("UseClassicBorders", Variant::FromBoolean(false)),
          put("Appearance", Long(gpaNone)), caption("x")}},
        {"renders over renders",
         gradient::gtNormal,
         {colour(RGB(0, 0, 200)), caption("One"), put("GradientColor1", Long(RGB(250, 200, 0))),
          put("Alignment", Long(gpaCenterTop)), put("GradientAngle", Variant::FromDouble(30)),
          put("Appearance", Long(gpaBevelInset)), put("GradientRepetitions", Variant::FromDouble(3)),
          Step{"Refresh",
               [](IDispatch& p, const std::string&) {
                   CallMethod(p, "Refresh", *std::make_unique<std::vector<Variant>>());
               }},
          caption("Two"), put("GradientBlendMode", Long(gradient::gbmHSL)), put("Appearance", Long(gpa3DRaised))}},
        {"clears and resizes",
         gradient::gtNormal,
         {colour(RGB(0, 0, 200)), put("BackColor", Long(RGB(0, 100, 100))), colour(RGB(90, 0, 0)), resize(900, 525),
          caption("Resized"), colour(RGB(0, 0, 200)), resize(600, 300), put("Alignment", Long(gpaRightTop)),
          resize(1050, 600), put("Appearance", Long(gpaBevelRaised))}},
        {"other styles",
         gradient::gtNormal,
         {colour(RGB(0, 0, 200)), put("Style", Long(gpsStandard)), put("Style", Long(gpsGradient)), caption("s"),
          colour(RGB(90, 0, 0)), picture(bitmap), put("Style", Long(gpsPicture)), put("Style", Long(gpsGradient)),
          put("Alignment", Long(gpaLeftBottom)), colour(RGB(0, 0, 200)), run_time(true),
          put("Style", Long(gpsTransparent)), put("Style", Long(gpsGradient)), caption("t"), run_time(false)}},
        {"failed repaints",
         gradient::gtNormal,
         {colour(RGB(0, 0, 200)), put("GradientAngle", Variant::FromDouble(1e300)), caption("after"),
          put("GradientAngle", Variant::FromDouble(45)), picture(metafile), put("Style", Long(gpsPicture)),
          put("Style", Long(gpsGradient)), colour(RGB(90, 0, 0)), caption("again")}},
        {"elliptical and rectangular",
         gradient::gtElliptical,
         {colour(RGB(0, 0, 200)), put("Alignment", Long(gpaLeftTop)),
          put("GradientType", Long(gradient::gtRectangular)), caption("Rect"), colour(RGB(90, 0, 0)),
          put("GradientAngle", Variant::FromDouble(-1e300)), put("Appearance", Long(gpaBevelRaised)),
          put("GradientAngle", Variant::FromDouble(0)), put("GradientType", Long(gradient::gtNormal)), caption("Line"),
          put("GradientType", Long(gradient::gtElliptical)), caption("")}},
        {"many caption places", gradient::gtNormal, many_places},
        // A BackColor put erases the area without repainting a gradient panel.
        {"BackColor then quick repaints",
         gradient::gtNormal,
         {put("BackColor", Long(RGB(0, 100, 100))), caption("After"), caption("Again"),
          put("Alignment", Long(gpaLeftTop)), put("BackColor", Long(RGB(200, 0, 200))),
          put("Appearance", Long(gpaBevelRaised)), put("BackColor", Long(RGB(0, 0, 0))),
          put("ForeColor", Long(RGB(255, 255, 0))), colour(RGB(0, 0, 200)), put("BackColor", Long(RGB(9, 9, 9))),
          put("FontSize", Variant::FromSingle(20)), put("BackColor", Long(RGB(250, 250, 250))),
          put("UseClassicBorders", Variant::FromBoolean(true))}},
        {"BackColor between other clears",
         gradient::gtNormal,
         {caption("x"), put("BackColor", Long(RGB(0, 100, 100))), resize(900, 525),
          put("BackColor", Long(RGB(90, 0, 0))), picture(bitmap), caption("y"), put("BackColor", Long(RGB(0, 0, 90))),
          run_time(true), caption("z"), put("BackColor", Long(RGB(0, 90, 0))), put("Style", Long(gpsTransparent)),
          put("Style", Long(gpsGradient)), put("BackColor", Long(RGB(90, 90, 0))), run_time(false),
          put("Alignment", Long(gpaCenterBottom))}},
        {"BackColor on elliptical",
         gradient::gtElliptical,
         {caption("e"), put("BackColor", Long(RGB(0, 100, 100))), caption("f"), put("Appearance", Long(gpaNone)),
          put("BackColor", Long(RGB(90, 0, 0))), put("Appearance", Long(gpaEtched))}},
    };
    for (const auto& row : rows) {
        std::vector<IDispatch*> panels{&NewPanel(70, 40, "P", 0, 0), &NewPanel(70, 40, "R", 0, 50)};
        for (IDispatch* p : panels) {
            PutProperty(*p, "GradientColor1", Long(RGB(255, 255, 255)));
            PutProperty(*p, "GradientColor2", Long(RGB(0, 64, 128)));
            PutProperty(*p, "GradientType", Long(row.type));
            PutProperty(*p, "Appearance", Long(gpa3DRaised));
            PutProperty(*p, "Caption", Variant::FromString("Quarter"));
            PutProperty(*p, "Style", Long(gpsGradient));
        }
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            const Step& step = row.steps[i];
            const std::int32_t error = ErrorNumberOf([&] { step.apply(*panels[0], "P"); });
            ASSERT_EQ(ErrorNumberOf([&] { step.apply(*panels[1], "R"); }), error) << row.name << ", " << step.what;
            ErrorNumberOf([&] { CallMethod(*panels[1], "Refresh", *std::make_unique<std::vector<Variant>>()); });
            const host::ComposedImage image = host_->Compose();
            const gdi::POINT a = host_->OriginOf("P"), b = host_->OriginOf("R");
            for (int y = 0; y < Panel("R").PixelHeight(); ++y)
                for (int x = 0; x < Panel("R").PixelWidth(); ++x)
                    ASSERT_EQ(image.At(a.x + x, a.y + y), image.At(b.x + x, b.y + y))
                        << row.name << ", step " << i << " (" << step.what << ") at " << x << "," << y;
        }
        host_->Terminate("P");
        host_->Terminate("R");
    }
}

// A full repaint that fails leaves the next quick repaint nothing to rely on but the cache, which
// it copies whole: whatever cleared, resized or re-rendered the area in between, that copy must
// show the gradient the panel showed before, even where no frame or caption ever covered it.
TEST_F(PanelInHost, QuickRepaintAfterAFailedOneShowsTheWholeCachedGradient) {
    const struct {
        const char* name;
        std::int32_t type;
        std::function<void(IDispatch&)> between;
    } cases[] = {
        {"nothing", gradient::gtNormal, [](IDispatch&) {}},
        {"BackColor put", gradient::gtNormal,
         [](IDispatch& p) { PutProperty(p, "BackColor", Long(RGB(0, 100, 100))); }},
        {"shrunk and grown back", gradient::gtNormal,
         [this](IDispatch&) {
             host_->Resize("P", 600, 300);
             host_->Resize("P", 1050, 600);
         }},
        {"elliptical, cleared by the failing repaint", gradient::gtElliptical, [](IDispatch&) {}},
    };
    for (const auto& c : cases) {
        IDispatch& p = NewPanel(70, 40);
        PutProperty(p, "GradientType", Long(c.type));
        PutProperty(p, "Appearance", Long(gpaBevelRaised));
        PutProperty(p, "Caption", Variant::FromString("Quarter"));
        PutProperty(p, "Style", Long(gpsGradient));
        PutProperty(p, "GradientColor2", Long(RGB(0, 0, 200)));  // a new render
        PutProperty(p, "Caption", Variant::FromString(""));
        PutProperty(p, "Appearance", Long(gpaNone));
        const Frame before = Snapshot();
        EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, "GradientAngle", Variant::FromDouble(1e300)); }),
                  error::kOverflow);
        ErrorNumberOf([&] { c.between(p); });
        PutProperty(p, "Caption", Variant::FromString(""));
        const Frame after = Snapshot();
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 70; ++x)
                ASSERT_EQ(after.At(x, y), before.At(x, y)) << c.name << " at " << x << "," << y;
        host_->Terminate("P");
    }
}

// See-through at run time over a red box on the form: what is still BackColor shows the box,
// the frame and the contained control do not. At design time the panel is opaque.
TEST_F(PanelInHost, TransparentPanelShowsItsParentOnlyAtRunTime) {
    host_->New("Under", "Box", Twips(0, 0, 1500, 1500));
    PutProperty(*host_->Find("Under"), "BackColor", Long(RGB(255, 0, 0)));
    const struct {
        bool run_time;
        COLORREF back;
        COLORREF seen_inside;
        COLORREF mask_under_child;
    } cases[] = {
        {true, RGB(0, 128, 0), RGB(255, 0, 0), RGB(0, 0, 0)},
        {true, RGB(0, 0, 0), RGB(255, 0, 0), RGB(255, 255, 255)},
        {false, RGB(0, 128, 0), RGB(0, 128, 0), 0},
    };
    for (const auto& c : cases) {
        host_->SetUserMode(c.run_time);
        IDispatch& p = NewPanel(60, 40, "P", 10, 10);
        PutProperty(p, "Caption", Variant::FromString(""));
        PutProperty(p, "BackColor", Long(c.back));
        host_->New("C", "Box", Twips(300, 150, 150, 75, "P"));
        PutProperty(*host_->Find("C"), "BackColor", Long(RGB(0, 0, 255)));
        PutProperty(p, "Style", Long(gpsTransparent));

        EXPECT_EQ(Panel().BackStyle(), c.run_time ? 0 : 1);
        EXPECT_EQ(At(30, 5), c.seen_inside);
        EXPECT_EQ(At(59, 20), static_cast<COLORREF>(ShiftColor(c.back, 96))) << "the etched frame stays";
        EXPECT_EQ(At(21, 11), RGB(0, 0, 255)) << "the contained box";
        if (c.run_time) {
            // The mask holds the contained control's pixels exactly: 20..29 x 10..14.
            const auto* mask = dynamic_cast<const Picture*>(Panel().MaskPicture().get());
            ASSERT_NE(mask, nullptr);
            const gdi::HDC dc = gdi::CreateCompatibleDC(0);
            const gdi::HGDIOBJ previous = gdi::SelectObject(dc, mask->handle());
            EXPECT_EQ(gdi::GetPixel(dc, 20, 10), c.mask_under_child);
            EXPECT_EQ(gdi::GetPixel(dc, 29, 14), c.mask_under_child);
            EXPECT_EQ(gdi::GetPixel(dc, 30, 14), c.back);
            EXPECT_EQ(gdi::GetPixel(dc, 20, 15), c.back);
            gdi::SelectObject(dc, previous);
            gdi::DeleteDC(dc);
        }
        // Another style makes it opaque again.
        PutProperty(p, "Style", Long(gpsStandard));
        EXPECT_EQ(Panel().BackStyle(), 1);
        EXPECT_EQ(At(30, 5), c.back);
        host_->Terminate("P");
    }
}

TEST_F(PanelInHost, SystemColoursFollowAtTheNextRepaintInEveryCaptionStyle) {
    // The caption in the system's button-text colour: after the colour changes, the next repaint
    // (a quick one, from a caption write) draws it in the new colour in every style.
    const COLORREF marker = RGB(1, 2, 3);
    gdi::Screen().font_smoothing = false;  // the text's pixels exactly in its colour
    for (std::int32_t style = 0; style <= 5; ++style) {
        SCOPED_TRACE(style);
        gdi::ResetSysColors();
        IDispatch& p = NewPanel(120, 40);
        PutProperty(p, "BackColor", Long(RGB(255, 255, 255)));
        PutProperty(p, "ForeColor", Long(static_cast<std::int32_t>(0x80000012u)));
        PutProperty(p, "CaptionStyle", Long(style));
        PutProperty(p, "Caption", Variant::FromString("WWW"));
        gdi::SetSysColorEntry(18, marker);
        PutProperty(p, "Caption", Variant::FromString("MMM"));
        const Frame frame = Snapshot();
        int marked = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) marked += frame.At(x, y) == marker;
        EXPECT_GT(marked, 20);
        host_->Terminate("P");
    }
    gdi::ResetSysColors();
    gdi::Screen().font_smoothing = true;
}

TEST_F(PanelInHost, SeeThroughPanelWithASystemBackColorStaysSeeThrough) {
    host_->SetUserMode(true);
    host_->New("Under", "Box", Twips(0, 0, 1500, 1500));
    PutProperty(*host_->Find("Under"), "BackColor", Long(RGB(255, 0, 0)));
    IDispatch& p = NewPanel(60, 40, "P", 10, 10);
    PutProperty(p, "Caption", Variant::FromString(""));
    PutProperty(p, "BackColor", Long(static_cast<std::int32_t>(0x8000000Fu)));
    PutProperty(p, "Style", Long(gpsTransparent));
    const struct {
        const char* step;
        std::function<void()> act;
    } steps[] = {
        {"as made", [] {}},
        {"system colour changed", [] { gdi::SetSysColorEntry(15, RGB(0, 90, 0)); }},
        {"quick repaint", [&] { PutProperty(p, "Caption", Variant::FromString("")); }},
        {"full repaint",
         [&] {
             std::vector<Variant> none;
             CallMethod(p, "Refresh", none);
         }},
        {"changed back", [] { gdi::ResetSysColors(); }},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(At(30, 20), RGB(255, 0, 0)) << s.step;
    }
}

// --- pictures ------------------------------------------------------------------------------

std::shared_ptr<Picture> Checker(int w, int h) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels.push_back((x + y) % 2 ? 0x0000FF : 0xFFFF00);
    return Picture::FromPixels(w, h, pixels.data());
}

TEST_F(PanelInHost, PictureAtNaturalSizeStretchedOrSizingThePanel) {
    IDispatch& p = PicturePanel();
    PutPropertyRef(p, "Picture", Variant::FromObject(Checker(4, 2)));
    EXPECT_EQ(At(0, 0), RGB(255, 255, 0));
    EXPECT_EQ(At(3, 0), RGB(0, 0, 255));
    EXPECT_EQ(At(3, 1), RGB(255, 255, 0));
    EXPECT_EQ(At(4, 0), RGB(0, 128, 0));
    EXPECT_EQ(At(0, 2), RGB(0, 128, 0));

    // Stretched over the panel: each picture pixel covers 5 x 5 panel pixels.
    PutProperty(p, "AutoSize", Long(gpasPictureToControl));
    EXPECT_EQ(At(4, 4), RGB(255, 255, 0));
    EXPECT_EQ(At(5, 4), RGB(0, 0, 255));
    EXPECT_EQ(At(19, 9), RGB(255, 255, 0));

    // Putting a picture repaints but does not resize; the AutoSize put sizes the panel to it
    // with a single Resize event.
    PutProperty(p, "AutoSize", Long(gpasControlToPicture));
    ClearLogs();
    // (The first put already sized it to the 4 x 2 picture.)
    EXPECT_EQ(Panel().PixelWidth(), 4);
    PutPropertyRef(p, "Picture", Variant::FromObject(Checker(6, 3)));
    EXPECT_EQ(Panel().PixelWidth(), 4);
    EXPECT_EQ(Presents(), 1);
    ClearLogs();
    PutProperty(p, "AutoSize", Long(gpasControlToPicture));
    // 6 x 3 pixels are 159 x 79 HIMETRIC, which are 90.1 x 44.8 twips.
    EXPECT_NEAR(CDbl(GetProperty(p, "Width")), 90, 0.5);
    EXPECT_NEAR(CDbl(GetProperty(p, "Height")), 45, 0.5);
    EXPECT_EQ(Panel().PixelWidth(), 6);
    EXPECT_EQ(Panel().PixelHeight(), 3);
    EXPECT_EQ(host_->log, (std::vector<std::string>{"present", "event Resize"}));
}

TEST_F(PanelInHost, IconTransparencyAndRefusedPictures) {
    IDispatch& p = PicturePanel();
    std::vector<std::uint32_t> argb(16, 0);
    argb[0] = 0xFFFF0000u;
    PutPropertyRef(p, "Picture", Variant::FromObject(Picture::FromIcon(gdi::CreateIconFromArgb(4, 4, argb.data()))));
    EXPECT_EQ(At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(1, 1), RGB(0, 128, 0));

    // A metafile is stored and announced, then refused by the repaint; with another style it
    // is simply not drawn.
    const auto metafile = Picture::FromMetafile(PictureType::Metafile, 1000, 1000, {1});
    changed_.clear();
    EXPECT_EQ(ErrorNumberOf([&] { PutPropertyRef(p, "Picture", Variant::FromObject(metafile)); }),
              error::kInvalidPicture);
    EXPECT_EQ(changed_, std::vector<std::string>{"Picture"});
    EXPECT_EQ(CObj(GetProperty(p, "Picture")).get(), metafile.get());
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, "Style", Long(gpsStandard)); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, "Style", Long(gpsPicture)); }), error::kInvalidPicture);
    // An object that is no picture at all is of the wrong class: a type mismatch, nothing
    // written, nothing announced.
    changed_.clear();
    EXPECT_EQ(ErrorNumberOf([&] { PutPropertyRef(p, "Picture", Variant::FromObject(StdFont::Create())); }),
              error::kTypeMismatch);
    EXPECT_EQ(CObj(GetProperty(p, "Picture")).get(), metafile.get());
    EXPECT_TRUE(changed_.empty());
    // Without a picture the panel paints like gpsStandard.
    PutPropertyRef(p, "Picture", Variant::FromObject(nullptr));
    EXPECT_EQ(At(1, 1), RGB(0, 128, 0));
}

// A picture far larger than the panel costs a repaint what the panel's surface costs: only the
// part that reaches the surface is drawn, at natural size or stretched.
TEST_F(PanelInHost, HugePictureRepaintsWithinTheMemoryOfTheSurface) {
    if (!testing_support::AllocationMeter::Available())
        GTEST_SKIP() << "counting allocations needs the sanitizer allocator's hooks (a sanitized build)";
    constexpr int kSide = 8192, kW = 200, kH = 60;
    constexpr std::int64_t kSurfaceBytes = std::int64_t{kW} * kH * 4;
    IDispatch& p = NewPanel(kW, kH);
    PutProperty(p, "Appearance", Long(gpaNone));
    PutProperty(p, "BackColor", Long(RGB(0, 128, 0)));
    PutProperty(p, "Style", Long(gpsPicture));
    const gdi::HBITMAP pixels = gdi::CreateDIBSection32(kSide, kSide);  // black
    ASSERT_NE(pixels, 0u);
    const gdi::RECT corner{kSide - 1, kSide - 1, kSide, kSide};
    gdi::FillBitmapRect(pixels, &corner, RGB(255, 0, 0));
    PutPropertyRef(p, "Picture", Variant::FromObject(Picture::FromBitmap(pixels)));
    for (const std::int32_t autosize : {gpasNone, gpasPictureToControl}) {
        PutProperty(p, "AutoSize", Long(autosize));
        PutProperty(p, "Caption", Variant::FromString("warm"));  // the caption's glyphs cached
        std::int64_t peak = 0;
        {
            const testing_support::AllocationMeter meter;
            PutProperty(p, "Caption", Variant::FromString("Huge"));
            peak = meter.PeakBytes();
        }
        EXPECT_LE(peak, 8 * kSurfaceBytes) << "AutoSize " << autosize << ": a repaint allocated " << peak << " bytes";
        EXPECT_EQ(At(1, 1), RGB(0, 0, 0)) << "AutoSize " << autosize;
    }
}

// The same for an icon stretched over the panel: one read from an icon file whose image is a
// huge PNG, its left half red and its right half transparent, shows BackColor through that
// half, and a repaint costs a few surfaces. On a panel of a few pixels, where each pixel
// combines a large square of the icon, the pieces the icon is drawn in stay small all the same.
TEST_F(PanelInHost, HugeIconStretchesWithinTheMemoryOfTheSurface) {
    if (!testing_support::AllocationMeter::Available())
        GTEST_SKIP() << "counting allocations needs the sanitizer allocator's hooks (a sanitized build)";
    using picture_files::Bytes;
    const struct {
        int side, width, height;
        std::int64_t bound;
    } cases[] = {
        {8192, 200, 60, 8 * std::int64_t{200} * 60 * 4},
        {2048, 8, 8, 128 * 1024},  // each pixel 256 x 256 of the icon: 256 KiB were it drawn at once
    };
    for (const auto& c : cases) {
        std::shared_ptr<Picture> icon;
        {
            // One bit a pixel: palette entry 0 opaque red, entry 1 fully transparent.
            Bytes rows;
            rows.reserve(static_cast<std::size_t>(c.side) * (1 + c.side / 8));
            for (int y = 0; y < c.side; ++y) {
                rows.push_back(0);  // no filter
                rows.insert(rows.end(), c.side / 16, 0x00);
                rows.insert(rows.end(), c.side / 16, 0xFF);
            }
            const auto side = static_cast<std::uint32_t>(c.side);
            const Bytes png = picture_files::PngFile(
                {side, side, 1, 3}, rows,
                {picture_files::PngChunk("PLTE", {255, 0, 0, 0, 0, 255}), picture_files::PngChunk("tRNS", {255, 0})});
            icon = LoadPictureFromMemory(picture_files::IcoFile(0, 0, 32, png));
        }
        ASSERT_EQ(icon->type(), PictureType::Icon);
        IDispatch& p = NewPanel(c.width, c.height);
        PutProperty(p, "Appearance", Long(gpaNone));
        PutProperty(p, "Caption", Variant::FromString(""));
        PutProperty(p, "BackColor", Long(RGB(0, 128, 0)));
        PutProperty(p, "AutoSize", Long(gpasPictureToControl));
        PutPropertyRef(p, "Picture", Variant::FromObject(icon));
        PutProperty(p, "Style", Long(gpsPicture));  // the first repaint with the icon
        std::int64_t peak = 0;
        {
            const testing_support::AllocationMeter meter;
            PutProperty(p, "BackColor", Long(RGB(0, 0, 128)));
            peak = meter.PeakBytes();
        }
        EXPECT_LE(peak, c.bound) << c.side << " on " << c.width << " x " << c.height << ": a repaint allocated " << peak
                                 << " bytes";
        EXPECT_EQ(At(1, c.height / 2), RGB(255, 0, 0)) << c.width << " x " << c.height;
        EXPECT_EQ(At(c.width - 2, c.height / 2), RGB(0, 0, 128)) << c.width << " x " << c.height;
        host_->Terminate("P");
    }
}

// --- mouse and drag ------------------------------------------------------------------------

TEST_F(PanelInHost, MouseCoordinatesArriveInTheParentsScale) {
    const struct {
        std::int32_t scale_at_creation, scale_at_event;
        float x_in;
        float x_out;
    } cases[] = {
        {kScalePixels, kScalePixels, 15, 1},  // 15 twips is one pixel
        {kScaleTwips, kScaleTwips, 15, 15},
        {kScaleTwips, kScalePixels, 30, 2},  // the parent's mode is read at each event
        {kScaleUser, kScalePixels, 30, 30},  // no scale when created: twips for good
        {kScalePixels, kScalePoints, 40, 2},
    };
    for (const auto& c : cases) {
        host_->form().SetScaleMode(c.scale_at_creation);
        NewPanel();
        host_->form().SetScaleMode(c.scale_at_event);
        for (const char* event : {"MouseDown", "MouseMove", "MouseUp"}) {
            events_.clear();
            host_->Fire("P", "surface", event,
                        {Long(1), Long(2), Variant::FromSingle(c.x_in), Variant::FromSingle(c.x_in * 2)});
            ASSERT_EQ(events_.size(), 1u);
            EXPECT_EQ(events_[0].event, event);
            EXPECT_EQ(CInt(events_[0].args[0]), 1);
            EXPECT_EQ(CInt(events_[0].args[1]), 2);
            EXPECT_EQ(CSng(events_[0].args[2]), c.x_out) << event << " scale " << c.scale_at_event;
            EXPECT_EQ(CSng(events_[0].args[3]), c.x_out * 2) << event << " scale " << c.scale_at_event;
        }
        host_->Terminate("P");
    }
}

TEST_F(PanelInHost, DragArgumentsGoBackByReferenceExceptCoordinates) {
    host_->form().SetScaleMode(kScalePixels);
    NewPanel();
    host_->SetEventHandler("P", "OLEDragOver", "Effect", Long(1));
    host_->SetEventHandler("P", "OLEDragOver", "X", Variant::FromSingle(999));
    host_->SetEventHandler("P", "OLEStartDrag", "AllowedEffects", Long(3));
    host_->SetEventHandler("P", "OLEGiveFeedback", "DefaultCursors", Variant::FromBoolean(false));
    const auto over = host_->Fire("P", "surface", "OLEDragOver",
                                  {Variant::FromObject(nullptr), Long(0), Long(1), Long(0), Variant::FromSingle(150),
                                   Variant::FromSingle(45), Long(2)});
    ASSERT_EQ(over.size(), 1u);
    EXPECT_EQ(over[0].name, "Effect");
    EXPECT_EQ(CLng(over[0].value), 1);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(CSng(events_[0].args[4]), 10);
    EXPECT_EQ(CSng(events_[0].args[5]), 3);
    const auto start = host_->Fire("P", "surface", "OLEStartDrag", {Variant::FromObject(nullptr), Long(0)});
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(CLng(start[0].value), 3);
    const auto feedback = host_->Fire("P", "surface", "OLEGiveFeedback", {Long(0), Variant::FromBoolean(true)});
    ASSERT_EQ(feedback.size(), 1u);
    EXPECT_FALSE(CBool(feedback[0].value));

    // Every other surface event is passed on by its own number.
    events_.clear();
    host_->Fire("P", "surface", "Click", {});
    host_->Fire("P", "surface", "DblClick", {});
    host_->Fire("P", "surface", "OLESetData", {Variant::FromObject(nullptr), Long(1)});
    host_->Fire(
        "P", "surface", "OLEDragDrop",
        {Variant::FromObject(nullptr), Long(1), Long(1), Long(0), Variant::FromSingle(15), Variant::FromSingle(15)});
    host_->Fire("P", "surface", "OLECompleteDrag", {Long(1)});
    host_->Fire("P", "surface", "KeyPress", {Long(65)});
    std::vector<std::string> names;
    for (const Raised& r : events_) names.push_back(r.event);
    EXPECT_EQ(names, (std::vector<std::string>{"Click", "DblClick", "OLESetData", "OLEDragDrop", "OLECompleteDrag"}));
    const ClassInfo& info = OVGradientPanel::StaticInfo();
    const char* order[] = {"Click",       "DblClick",     "MouseDown",       "MouseMove",
                           "MouseUp",     "OLEStartDrag", "OLESetData",      "OLEGiveFeedback",
                           "OLEDragOver", "OLEDragDrop",  "OLECompleteDrag", "Resize"};
    for (int id = 1; id <= 12; ++id) EXPECT_EQ(info.FindEvent(id)->name, order[id - 1]);
}

// --- absurd input and graphics objects -----------------------------------------------------

TEST_F(PanelInHost, AbsurdSizesAndBevelsPaintWithoutErrorOrLeak) {
    const std::vector<std::pair<double, double>> sizes = {{0, 0}, {1, 1}, {15, 15}, {15, 600}, {40000, 40000}};
    for (std::int32_t style : {gpsGradient, gpsTransparent, gpsPicture}) {
        IDispatch& p = NewPanel(20, 20);
        PutPropertyRef(p, "Picture", Variant::FromObject(Checker(3, 3)));
        PutProperty(p, "Appearance", Long(gpaBevelRaised));
        PutProperty(p, "Style", Long(style));
        // A panel without pixels caches no gradient and builds no mask bitmap, so the count is
        // compared once it is back at its size.
        const gdi::LiveObjects settled = gdi::CountLiveObjects();
        for (const auto& [w, h] : sizes) {
            EXPECT_EQ(ErrorNumberOf([&] { host_->Resize("P", w, h); }), 0) << style << ": " << w << " x " << h;
            host_->Resize("P", 300, 300);
            EXPECT_EQ(gdi::CountLiveObjects(), settled) << style << ": " << w << " x " << h;
        }
        for (std::int32_t width : {-5, 0, INT32_MAX})
            for (std::int32_t intensity : {INT32_MIN, -1, INT32_MAX}) {
                PutProperty(p, "BevelWidth", Long(width));
                EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, "BevelIntensity", Long(intensity)); }), 0);
            }
        for (std::int32_t appearance = -1; appearance <= 9; ++appearance)
            PutProperty(p, "Appearance", Long(appearance));
        EXPECT_EQ(gdi::CountLiveObjects(), settled) << style;
        host_->Terminate("P");
    }
}

// --- the panel among other controls and across saves -----------------------------------------

// Inside any container the panel reports in its form's scale: the form is its Parent.
TEST_F(PanelInHost, AContainedPanelReportsInTheFormsScale) {
    host_->New("Pic", "PictureBox", Twips(0, 0, 6000, 4000));
    PutProperty(*host_->Find("Pic"), "ScaleMode", Variant::FromInteger(kScalePixels));
    host_->New("Outer", "Box", Twips(0, 0, 6000, 4000));
    const struct {
        const char* container;
        std::int32_t form_scale;
        float clicked;  // twips from the panel's corner
        float reported;
    } cases[] = {
        {"Pic", kScaleTwips, 150, 150},   {"Pic", kScaleInches, 1440, 1},
        {"Outer", kScaleTwips, 150, 150}, {"Outer", kScaleInches, 1440, 1},
        {"Q", kScaleTwips, 150, 150},     {"Q", kScaleInches, 1440, 1},  // a panel in a panel
    };
    host_->New("Q", "OVGradientPanel", Twips(0, 0, 6000, 4000));
    for (const auto& c : cases) {
        host_->form().SetScaleMode(kScaleTwips);
        host_->New("P", "OVGradientPanel", Twips(150, 150, 3000, 2000, c.container));
        host_->form().SetScaleMode(c.form_scale);
        events_.clear();
        host_->Fire("P", "surface", "MouseDown",
                    {Long(1), Long(0), Variant::FromSingle(c.clicked), Variant::FromSingle(c.clicked)});
        ASSERT_EQ(events_.size(), 1u) << c.container;
        EXPECT_EQ(CSng(events_[0].args[2]), c.reported) << c.container << " scale " << c.form_scale;
        EXPECT_EQ(CSng(events_[0].args[3]), c.reported) << c.container << " scale " << c.form_scale;
        host_->Terminate("P");
    }
}

// A panel the library saved loads again even when its first repaint refuses what it read: it
// keeps the values, the host reports the repaint's error once, and the form still composes.
TEST_F(PanelInHost, APanelWhoseFirstRepaintFailsLoadsWithItsValues) {
    const struct {
        const char* what;
        std::function<void(IDispatch&)> set;
        std::int32_t style;
    } cases[] = {
        {"cleared picture", [](IDispatch& p) { PutPropertyRef(p, "Picture", Variant::FromObject(Picture::Empty())); },
         gpsPicture},
        {"metafile",
         [](IDispatch& p) {
             PutPropertyRef(p, "Picture",
                            Variant::FromObject(LoadPictureFromMemory(picture_files::WmfFile(0, 0, 720, 720, 1440))));
         },
         gpsPicture},
        {"angle 1e12", [](IDispatch& p) { PutProperty(p, "GradientAngle", Variant::FromDouble(1e12)); }, gpsGradient},
    };
    for (const auto& c : cases) {
        IDispatch& p = NewPanel();
        PutProperty(p, "Caption", Variant::FromString("kept"));
        PutProperty(p, "Style", Long(c.style));
        const std::int32_t put_error = ErrorNumberOf([&] { c.set(p); });
        const std::string saved = BagToJsonText(host_->Save("P"));
        host_->Terminate("P");
        const std::size_t errors_before = host_->lifecycle_errors().size();

        ASSERT_EQ(ErrorNumberOf([&] { host_->Load("P", "OVGradientPanel", host::BagFromJsonText(saved)); }), 0)
            << c.what;
        ASSERT_NE(host_->FindControl("P"), nullptr) << c.what;
        EXPECT_EQ(CStr(GetProperty(*host_->Find("P"), "Caption")), "kept") << c.what;
        EXPECT_EQ(CLng(GetProperty(*host_->Find("P"), "Style")), c.style) << c.what;
        const std::vector<std::string> reported(host_->lifecycle_errors().begin() + errors_before,
                                                host_->lifecycle_errors().end());
        EXPECT_EQ(reported, std::vector<std::string>{"P.Resize: " + std::to_string(put_error)}) << c.what;
        EXPECT_NE(put_error, 0) << c.what;
        EXPECT_EQ(host_->Compose().width, 600) << c.what;
        host_->Terminate("P");
    }
}

// A resize to a picture the panel cannot take fails with 7 and leaves the panel as resizable
// as before: the next resize to a picture it can take sizes it, with its Resize event.
TEST_F(PanelInHost, AFailedResizeToThePictureLeavesThePanelResizable) {
    const struct {
        const char* what;
        int width_himetric, height_himetric;
    } cases[] = {
        {"20 km wide", 2000000000, 1000},
        {"20 km tall", 1000, 2000000000},
        {"both", 2000000000, 2000000000},
    };
    for (const auto& c : cases) {
        IDispatch& p = PicturePanel();
        PutProperty(p, "AutoSize", Long(gpasControlToPicture));
        // The metafile is refused by the repaint (481) before the resize is tried.
        const auto huge = Picture::FromMetafile(PictureType::Metafile, c.width_himetric, c.height_himetric, {1});
        ErrorNumberOf([&] { PutPropertyRef(p, "Picture", Variant::FromObject(huge)); });
        EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, "AutoSize", Long(gpasControlToPicture)); }), error::kOutOfMemory)
            << c.what;
        PutPropertyRef(p, "Picture", Variant::FromObject(Checker(6, 3)));
        ClearLogs();
        EXPECT_EQ(ErrorNumberOf([&] { PutProperty(p, "AutoSize", Long(gpasControlToPicture)); }), 0) << c.what;
        EXPECT_EQ(Panel().PixelWidth(), 6) << c.what;
        EXPECT_EQ(Panel().PixelHeight(), 3) << c.what;
        EXPECT_EQ(std::count(host_->log.begin(), host_->log.end(), "event Resize"), 1) << c.what;
        host_->Terminate("P");
    }
}

// Saving skips the keys a bag cannot hold, each with its error, and writes every other one;
// pictures of every type (icons too) come back as the same type.
TEST_F(PanelInHost, SavingSkipsOnlyTheKeysABagCannotHold) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::function<void(IDispatch&)> set;
        std::vector<std::string> skipped;
    } cases[] = {
        {"+inf",
         [&](IDispatch& p) { PutProperty(p, "GradientAngle", Variant::FromDouble(inf)); },
         {"P.WriteProperties.GradientAngle: 6"}},
        {"NaN",
         [](IDispatch& p) { PutProperty(p, "GradientAngle", Variant::FromDouble(std::nan(""))); },
         {"P.WriteProperties.GradientAngle: 6"}},
        // The put already refuses another class of object (13), so the save has nothing to skip.
        {"a control as Picture",
         [this](IDispatch& p) {
             host_->New("Other", "Box", Twips(0, 0, 300, 300));
             EXPECT_EQ(ErrorNumberOf([&] { PutPropertyRef(p, "Picture", Variant::FromObject(host_->Find("Other"))); }),
                       13);
         },
         {}},
        {"icons",
         [](IDispatch& p) {
             std::vector<std::uint32_t> argb(16, 0xFFFF0000u);
             const auto icon = Picture::FromIcon(gdi::CreateIconFromArgb(4, 4, argb.data()));
             PutPropertyRef(p, "Picture", Variant::FromObject(icon));
             PutPropertyRef(p, "MouseIcon", Variant::FromObject(icon));
         },
         {}},
    };
    for (const auto& c : cases) {
        IDispatch& p = NewPanel();
        PutProperty(p, "Caption", Variant::FromString("kept"));
        c.set(p);
        const std::size_t errors_before = host_->lifecycle_errors().size();
        const host::PropertyBag bag = host_->Save("P");
        const std::vector<std::string> skipped(host_->lifecycle_errors().begin() + errors_before,
                                               host_->lifecycle_errors().end());
        EXPECT_EQ(skipped, c.skipped) << c.what;
        const host::PropertyBag loaded = host::BagFromJsonText(BagToJsonText(bag));
        EXPECT_EQ(loaded.ReadProperty("Caption"), Variant::FromString("kept")) << c.what;
        for (const char* key : {"Picture", "MouseIcon"}) {
            const auto* stored =
                dynamic_cast<const Picture*>(CObj(bag.ReadProperty(key, Variant::FromObject(nullptr))).get());
            const auto* back =
                dynamic_cast<const Picture*>(CObj(loaded.ReadProperty(key, Variant::FromObject(nullptr))).get());
            EXPECT_EQ(stored != nullptr, back != nullptr) << c.what << " " << key;
            if (stored && back) EXPECT_EQ(back->type(), stored->type()) << c.what << " " << key;
        }
        host_->Terminate("P");
        if (host_->Find("Other")) host_->Terminate("Other");
    }
}

}  // namespace
}  // namespace ov::panel
