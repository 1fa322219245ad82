// Hostile sizes and positions through every host entry point: an extent no surface can have is
// error 7 and leaves everything as it was; a pixel however far off the form is a clear "none".
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "support/error_number.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/window.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

using testing_support::ErrorNumberOf;

constexpr std::int32_t kRed = 0x0000FF;

// Sizes its picture box to twice its own extent, so an extent it may have can still ask for a
// box no surface can be.
class Doubler : public Control {
public:
    Doubler() : box(AddPictureBox("picDouble")) {}
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = ClassBuilder<Doubler>("Doubler").Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }
    ConstituentPictureBox& box;

protected:
    void OnResize() override { box.Move(0, 0, 2 * ScaleWidth(), 2 * ScaleHeight()); }
};

// Gives itself an extent no surface can have while it initialises its properties.
class Grower : public Control {
public:
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = ClassBuilder<Grower>("Grower").Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }

protected:
    void OnInitProperties() override { SetExtent(3e5, 3e5); }
};

class SurfaceLimits : public ::testing::Test {
protected:
    SurfaceLimits() {
        registry.Add(ControlEntry<Doubler>("Doubler", 1500, 750));
        registry.Add(ControlEntry<Grower>("Grower", 1500, 750));
        host.New("P", "Probe", {.left = 150, .top = 150, .width = 1500, .height = 900});
        host.FindControl("P")->SetBackColor(kRed);
        host.New("D", "Doubler", {.left = 0, .top = 3000});
        host.New("Pic", "PictureBox", {.left = 3000, .top = 3000});
    }
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host{registry};
};

// 300,000 twips is 20,000 pixels: either side alone may be, both together may not; two billion
// twips is past any side.
TEST_F(SurfaceLimits, OversizedExtentsAreOutOfMemoryAndChangeNothing) {
    const PropertyBag empty;
    // The plain picture box's Width and Height are its drawing box's: 20,000 x 120 pixels fit.
    PutProperty(*host.Find("Pic"), "Width", Variant::FromDouble(3e5));
    struct Row {
        const char* what;
        std::function<void()> action;
    };
    const Row rows[] = {
        {"new, placed huge", [&] { host.New("N", "Probe", {.width = 3e5, .height = 3e5}); }},
        {"load, placed huge", [&] { host.Load("N", "Probe", empty, {.width = 2e9, .height = 15}); }},
        {"new, sizing itself huge", [&] { host.New("N", "Grower"); }},
        {"resize", [&] { host.Resize("P", 2e9, 2e9); }},
        {"resize past a side", [&] { host.Resize("P", 6e5, 15); }},
        {"extender Width", [&] { PutProperty(*host.Find("P"), "Width", Variant::FromDouble(1e9)); }},
        {"extender Height of a wide picture box",
         [&] { PutProperty(*host.Find("Pic"), "Height", Variant::FromDouble(3e5)); }},
        {"a constituent picture box", [&] { host.Resize("D", 3e5, 15); }},
        {"form Width", [&] { PutProperty(host.form(), "Width", Variant::FromDouble(1e9)); }},
        {"form Height", [&] { PutProperty(host.form(), "Height", Variant::FromDouble(3e5 * 300)); }},
    };
    for (const Row& row : rows) {
        const std::vector<std::string> names = host.Names();
        const int windows = gdi::LiveWindowCount();
        const gdi::LiveObjects objects = gdi::CountLiveObjects();
        const double form_width = host.form().Width(), form_height = host.form().Height();
        const auto& doubled = host.FindControl("D")->FindConstituent("picDouble");
        const double box_width = doubled->Width();

        EXPECT_EQ(ErrorNumberOf(row.action), error::kOutOfMemory) << row.what;
        EXPECT_EQ(host.Names(), names) << row.what;
        EXPECT_EQ(gdi::LiveWindowCount(), windows) << row.what;
        EXPECT_EQ(gdi::CountLiveObjects(), objects) << row.what;
        EXPECT_EQ(host.FindControl("P")->Width(), 1500) << row.what;
        EXPECT_EQ(host.FindControl("P")->Height(), 900) << row.what;
        EXPECT_EQ(CDbl(GetProperty(*host.Find("Pic"), "Width")), 3e5) << row.what;
        EXPECT_EQ(CDbl(GetProperty(*host.Find("Pic"), "Height")), 1800) << row.what;
        EXPECT_EQ(doubled->Width(), box_width) << row.what;
        EXPECT_EQ(host.FindControl("D")->Width(), 1500) << row.what;
        EXPECT_EQ(host.form().Width(), form_width) << row.what;
        EXPECT_EQ(host.form().Height(), form_height) << row.what;
        EXPECT_EQ(host.PixelAt("P", 99, 59), static_cast<gdi::COLORREF>(kRed)) << row.what;
    }
}

// Coordinates and placements at the ends of their ranges: never an overflow, always "none".
TEST_F(SurfaceLimits, PixelsFarOffTheFormAreNone) {
    host.New("Far", "Box", {.left = 1e300, .top = -1e300});
    host.New("Outer", "Box", {.left = 3e10, .top = 0});
    host.New("Inner", "Box", {.container = "Outer", .left = 3e10, .top = 3e10});
    host.Move("Outer", -3e10, 0);  // the child stays at +3e10 within it
    struct Row {
        const char* name;
        int x, y;
    };
    const Row rows[] = {
        {"form", INT_MIN, 0},      {"form", INT_MAX, INT_MAX},  {"form", 0, INT_MIN},
        {"P", INT_MAX, INT_MAX},   {"P", INT_MIN, INT_MIN},     {"Far", 0, 0},
        {"Far", INT_MIN, INT_MAX}, {"Inner", INT_MIN, INT_MIN}, {"Outer", INT_MAX, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(host.PixelAt(row.name, row.x, row.y), gdi::CLR_INVALID) << row.name << " " << row.x << " " << row.y;
    // The far controls are skipped, the near one still drawn.
    const ComposedImage& image = host.Compose();
    EXPECT_EQ(image.At(10, 10), static_cast<gdi::COLORREF>(kRed));
    EXPECT_EQ(image.At(0, 0), gdi::GetSysColor(15));
    EXPECT_EQ(image.At(INT64_MIN, INT64_MAX), gdi::CLR_INVALID);
}

}  // namespace
}  // namespace ov::host::testing
