// Where the pointer meets the form: the z-order of controls and containers, the constituents
// that take the mouse, coordinates in the target's scale, the pointer it asks for, and a
// captured target located outside itself.
#include <gtest/gtest.h>

#include "host/reference/pointer_target.h"
#include "host/reference/reference_host.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

class PointerTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 15 twips a pixel: A covers form pixels 0..99, C (inside A) 20..59, B 50..149, and the
        // probe P 0..159 across and 120..199 down.
        host.New("A", "Box", {.left = 0, .top = 0, .width = 1500, .height = 1500});
        host.New("C", "Box", {.container = "A", .left = 300, .top = 300, .width = 600, .height = 600});
        host.New("B", "Box", {.left = 750, .top = 750, .width = 1500, .height = 1500});
        host.New("P", "Probe", {.left = 0, .top = 1800, .width = 2400, .height = 1200});
        probe = static_cast<Probe*>(host.FindControl("P"));
        // The caption label lies below item 1 (created first), both over probe pixels 20..59 x 10..29.
        probe->caption_label.Move(150, 75, 900, 450);
        probe->caption_label.SetVisible(true);
        probe->items[1]->Move(300, 150, 600, 300);
        probe->items[1]->SetVisible(true);
        probe->items[1]->SetMousePointer(kMousePointerCustom);
        probe->plate.Move(0, 0, 2400, 1200);  // shapes take no mouse events, wherever they lie
        probe->plate.SetVisible(true);
        probe->SetMousePointer(2);
    }
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host{registry};
    Probe* probe = nullptr;
};

struct PointCase {
    const char* what;
    int x, y;  // form pixels
    bool hide_b, disable_item;
    const char* control;  // nullptr: the form only
    const char* target;
    float expected_x, expected_y;
    std::int16_t pointer;
};

TEST_F(PointerTargetTest, TopmostTargetWithItsCoordinatesAndPointer) {
    const PointCase cases[] = {
        {"a control's surface", 5, 5, false, false, "A", "surface", 75, 75, 0},
        {"a contained control above its container", 30, 30, false, false, "C", "surface", 150, 150, 0},
        {"a later top-level control above a contained one", 55, 55, false, false, "B", "surface", 75, 75, 0},
        {"a hidden control lets the pointer through", 55, 55, true, false, "C", "surface", 525, 525, 0},
        {"only the form", 120, 5, false, false, nullptr, "", 0, 0, 0},
        {"the later of two labels, from its own corner", 30, 135, false, false, "P", "lblItem(1)", 150, 75,
         kMousePointerCustom},
        {"a disabled label lets it through", 30, 135, false, true, "P", "lblCaption", 300, 150, 0},
        {"past the labels: the surface, not the shape", 100, 190, false, false, "P", "surface", 1500, 1050, 2},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.hide_b) host.Hide("B");
        probe->items[1]->SetEnabled(!c.disable_item);
        const std::optional<PointerTarget> found = FindPointerTarget(host, c.x, c.y);
        if (c.hide_b) host.Show("B");
        if (!c.control) {
            EXPECT_FALSE(found.has_value());
            continue;
        }
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->control, c.control);
        EXPECT_EQ(found->target, c.target);
        EXPECT_FLOAT_EQ(found->x, c.expected_x);
        EXPECT_FLOAT_EQ(found->y, c.expected_y);
        EXPECT_EQ(found->mouse_pointer, c.pointer);
    }
}

TEST_F(PointerTargetTest, CapturedTargetIsLocatedOutsideItself) {
    const std::optional<PointerTarget> pressed = FindPointerTarget(host, 30, 135);
    ASSERT_TRUE(pressed.has_value());
    // Dragged up onto C: still the label, at negative coordinates in the probe's scale.
    const std::optional<PointerTarget> dragged = LocatePointer(host, *pressed, 30, 30);
    ASSERT_TRUE(dragged.has_value());
    EXPECT_EQ(dragged->target, "lblItem(1)");
    EXPECT_FLOAT_EQ(dragged->y, (30 - 120) * 15.0f - 150);
    host.Terminate("P");
    EXPECT_FALSE(LocatePointer(host, *pressed, 30, 135).has_value());
}

}  // namespace
}  // namespace ov::host::testing
