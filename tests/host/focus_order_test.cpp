// The form's tab order: creation order per container, containers' controls after them, the
// TabIndex and TabStop extender members, and which controls Tab stops at.
#include <gtest/gtest.h>

#include "host/contract/text_box.h"
#include "host/reference/focus_order.h"
#include "host/reference/reference_host.h"
#include "platform/runtime/dispatch.h"
#include "probe_control.h"
#include "support/error_number.h"

namespace ov::host::testing {
namespace {

using testing_support::ErrorNumberOf;

// A control that takes keyboard input through a text box.
class Entry : public Control {
public:
    Entry() : box(AddTextBox("txt")) {}
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = ClassBuilder<Entry>("Entry").Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }
    TextBox& box;
};

ClassRegistry EntryRegistry() {
    ClassRegistry registry = ProbeRegistry();
    registry.Add(ControlEntry<Entry>("Entry", 1200, 315));
    return registry;
}

class FocusOrderTest : public ::testing::Test {
protected:
    ClassRegistry registry = EntryRegistry();
    ReferenceHost host{registry};

    // Where Tab goes from each stop in turn, starting before the first.
    std::vector<std::string> Walk(bool forward, int steps) {
        std::vector<std::string> visited;
        std::string at;
        for (int i = 0; i < steps; ++i) visited.push_back(at = NextTabStop(host.objects(), at, forward, true));
        return visited;
    }
    std::vector<std::string> Order() {
        std::vector<std::string> names;
        for (const HostEntry* entry : TabOrder(host.objects())) names.push_back(entry->name);
        return names;
    }
    void Put(const char* control, const char* member, Variant value) {
        PutProperty(*host.Find(control), member, value);
    }
};

TEST_F(FocusOrderTest, CreationOrderWithContainedControlsAfterTheirContainer) {
    host.New("A", "Entry", {});
    host.New("Frame", "Box", {.width = 3000, .height = 2000});
    host.New("B", "Probe", {});
    host.New("Inner", "Entry", {.container = "Frame"});
    host.New("C", "Entry", {});
    EXPECT_EQ(Order(), (std::vector<std::string>{"A", "Frame", "Inner", "B", "C"}));
    // Only the controls with a text box take the focus; the walk wraps around both ways.
    EXPECT_EQ(Walk(true, 4), (std::vector<std::string>{"A", "Inner", "C", "A"}));
    EXPECT_EQ(Walk(false, 4), (std::vector<std::string>{"C", "Inner", "A", "C"}));
    // From a control that takes no focus, Tab goes to the next one that does.
    EXPECT_EQ(NextTabStop(host.objects(), "B", true, true), "C");
    EXPECT_EQ(NextTabStop(host.objects(), "B", false, true), "Inner");
    // Without wrapping the ends give nothing.
    EXPECT_EQ(NextTabStop(host.objects(), "C", true, false), "");
    EXPECT_EQ(NextTabStop(host.objects(), "A", false, false), "");
}

TEST_F(FocusOrderTest, TabIndexMovesAControlAmongItsContainersControls) {
    host.New("A", "Entry", {});
    host.New("B", "Entry", {});
    host.New("C", "Entry", {});
    EXPECT_EQ(CInt(GetProperty(*host.Find("C"), "TabIndex")), 2);
    Put("C", "TabIndex", Variant::FromInteger(0));
    EXPECT_EQ(Order(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(CInt(GetProperty(*host.Find("A"), "TabIndex")), 1);
    // Past the last place is the last place; a control created later comes after all of them.
    Put("A", "TabIndex", Variant::FromInteger(99));
    host.New("D", "Entry", {});
    EXPECT_EQ(Order(), (std::vector<std::string>{"C", "B", "A", "D"}));
    EXPECT_EQ(CInt(GetProperty(*host.Find("D"), "TabIndex")), 3);
    EXPECT_EQ(ErrorNumberOf([&] { Put("B", "TabIndex", Variant::FromInteger(-1)); }), 380);
    EXPECT_EQ(Order(), (std::vector<std::string>{"C", "B", "A", "D"}));
    // Removing one closes the gap.
    host.Terminate("C");
    EXPECT_EQ(CInt(GetProperty(*host.Find("B"), "TabIndex")), 0);
}

TEST_F(FocusOrderTest, TabPassesByWhatCannotTakeTheFocus) {
    host.New("A", "Entry", {});
    host.New("NoStop", "Entry", {});
    host.New("Hidden", "Entry", {});
    host.New("Disabled", "Entry", {});
    host.New("Frame", "Box", {.width = 3000, .height = 2000});
    host.New("InHiddenFrame", "Entry", {.container = "Frame"});
    host.New("Z", "Entry", {});
    Put("NoStop", "TabStop", Variant::FromBoolean(false));
    EXPECT_FALSE(CBool(GetProperty(*host.Find("NoStop"), "TabStop")));
    Put("Hidden", "Visible", Variant::FromBoolean(false));
    Put("Frame", "Visible", Variant::FromBoolean(false));
    static_cast<Entry*>(host.FindControl("Disabled"))->box.SetEnabled(false);
    EXPECT_EQ(Walk(true, 3), (std::vector<std::string>{"A", "Z", "A"}));
    // The only stop is found again from itself; a form with none gives nothing.
    Put("A", "TabStop", Variant::FromBoolean(false));
    EXPECT_EQ(NextTabStop(host.objects(), "Z", true, true), "Z");
    Put("Z", "TabStop", Variant::FromBoolean(false));
    EXPECT_EQ(NextTabStop(host.objects(), "", true, true), "");
}

}  // namespace
}  // namespace ov::host::testing
