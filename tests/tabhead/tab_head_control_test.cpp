// OVTabHead in the reference host: defaults, persistence, property writes and their
// notifications, errors reaching the caller, heading clicks with TabSelected, the mouse-over
// underline and its timer, and what the compositor shows. Parsing the list and the selection,
// and the row's geometry, are the model's tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/reference/bag_file.h"
#include "support/error_number.h"
#include "support/hosted_control.h"
#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "tabhead/tab_head.h"

namespace ov::tabhead {
namespace {

using host::ReferenceHost;

host::ClassRegistry& Registry() {
    return testing_support::RegistryOf<OVTabHead>("OVTabHead", kNewInstanceWidth, kNewInstanceHeight);
}

class TabHeadInHost : public ::testing::Test {
protected:
    void SetUp() override { host_ = testing_support::FreshHost(Registry(), record_); }

    IDispatch& NewTabHead(const std::string& name = "T") {
        host_->New(name, "OVTabHead");
        record_.Clear();
        return *host_->Find(name);
    }

    Variant Inspected(const std::string& target, const std::string& property, const std::string& name = "T") {
        for (const auto& [key, value] : host_->Inspect(name, target))
            if (key == property) return value;
        ADD_FAILURE() << target << " has no " << property;
        return Variant();
    }
    double Number(const std::string& target, const std::string& property) { return CDbl(Inspected(target, property)); }
    bool Flag(const std::string& target, const std::string& property) { return CBool(Inspected(target, property)); }

    testing_support::HostRecord record_;  // outlives the host, which reports to it
    const std::vector<std::string>& changed_ = record_.changed;
    const std::vector<testing_support::RaisedEvent>& events_ = record_.events;
    std::unique_ptr<ReferenceHost> host_;
};

using testing_support::ErrorNumberOf;

TEST_F(TabHeadInHost, NewInstanceLaysOutTwoHeadingsWithPlateBehindFirst) {
    IDispatch& tab = NewTabHead();
    host::Control* control = host_->FindControl("T");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Width(), 8460);
    EXPECT_EQ(control->Height(), 630);
    EXPECT_EQ(CStr(GetProperty(tab, "TabString")), "Tab1,Tab2");
    EXPECT_EQ(CStr(GetProperty(tab, "SelectedTab")), "0");
    EXPECT_EQ(CLng(GetProperty(tab, "SelectedColor")), static_cast<std::int32_t>(0x80000012u));
    EXPECT_EQ(CLng(GetProperty(tab, "InactiveColor")), static_cast<std::int32_t>(0x8000000Eu));
    EXPECT_EQ(CLng(GetProperty(tab, "BackColor")), static_cast<std::int32_t>(0x80000010u));
    EXPECT_FALSE(CBool(GetProperty(tab, "SelectedBold")));

    EXPECT_EQ(CStr(Inspected("lblTabItem(0)", "Caption")), "Tab1");
    EXPECT_EQ(Number("lblTabItem(0)", "Left"), 180);
    EXPECT_EQ(Number("lblTabItem(0)", "Top"), 375);
    EXPECT_EQ(Number("lblTabItem(0)", "Width"), 560);
    EXPECT_EQ(Number("lblTabItem(1)", "Left"), 770);
    EXPECT_TRUE(Flag("lblTabItem(1)", "Visible"));
    EXPECT_FALSE(Flag("lblTabItem(2)", "Visible"));
    EXPECT_EQ(CLng(Inspected("lblTabItem(0)", "ForeColor")), static_cast<std::int32_t>(0x80000012u));
    EXPECT_EQ(CLng(Inspected("lblTabItem(1)", "ForeColor")), static_cast<std::int32_t>(0x8000000Eu));

    EXPECT_TRUE(Flag("shpBack", "Visible"));
    EXPECT_EQ(Number("shpBack", "Left"), 150);
    EXPECT_EQ(Number("shpBack", "Top"), 285);
    EXPECT_EQ(Number("shpBack", "Width"), 590);
    EXPECT_EQ(Number("shpBack", "Height"), 915);
    EXPECT_EQ(Number("lnLeft", "X2"), 150);
    EXPECT_EQ(Number("lnRight", "X1"), 725);
    EXPECT_EQ(Number("lnRight", "X2"), 8460);
    EXPECT_EQ(Number("lnTabShadow", "X1"), 725);
    EXPECT_EQ(Number("lnTabShadow", "Y1"), 300);
    EXPECT_EQ(Number("lnTabShadow", "Y2"), 615);
    EXPECT_EQ(CLng(Inspected("lnTabShadow", "BorderColor")), static_cast<std::int32_t>(0x80000010u));

    EXPECT_TRUE(Flag("tmrMouseOver", "Enabled"));
    EXPECT_EQ(CLng(Inspected("tmrMouseOver", "Interval")), 3000);
    EXPECT_EQ(CStr(Inspected("tmrMouseOver", "Tag")), "");
}

TEST_F(TabHeadInHost, HeadingsCarryTheCustomHandPointer) {
    NewTabHead();
    auto* control = host_->FindControl("T");
    auto* heading = dynamic_cast<host::Label*>(control->FindConstituent("lblTabItem(4)"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->MousePointer(), host::kMousePointerCustom);
    auto picture = std::dynamic_pointer_cast<Picture>(heading->MouseIcon());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->type(), PictureType::Icon);
    EXPECT_EQ(picture->width_pixels(), 32);
    EXPECT_EQ(picture->height_pixels(), 32);
    EXPECT_EQ(heading->BackStyle(), 0);
    EXPECT_EQ(heading->Alignment(), host::Label::kCenter);
    EXPECT_EQ(heading->Height(), 255);
}

TEST_F(TabHeadInHost, ComposedStripShowsPlateLinesAndBackground) {
    NewTabHead();
    const gdi::COLORREF shadow = gdi::GetSysColor(16);
    const gdi::COLORREF face = gdi::GetSysColor(15);
    const gdi::COLORREF highlight = gdi::GetSysColor(20);
    EXPECT_EQ(host_->PixelAt("T", 3, 10), shadow);       // background left of the plate
    EXPECT_EQ(host_->PixelAt("T", 12, 21), face);        // inside the plate, above the text
    EXPECT_EQ(host_->PixelAt("T", 10, 25), highlight);   // the plate's left border
    EXPECT_EQ(host_->PixelAt("T", 4, 41), highlight);    // bottom line left of the plate
    EXPECT_EQ(host_->PixelAt("T", 200, 41), highlight);  // bottom line right of the plate
    EXPECT_EQ(host_->PixelAt("T", 48, 30), shadow);      // the plate's shadow column (725 / 15)
    EXPECT_EQ(host_->PixelAt("T", 200, 30), shadow);
}

TEST_F(TabHeadInHost, WritesThatNotifyAndWritesThatDoNot) {
    IDispatch& tab = NewTabHead();
    PutProperty(tab, "TabString", Variant::FromString("A,B,C"));
    PutProperty(tab, "SelectedTab", Variant::FromString("2"));
    std::vector<Variant> none;
    CallMethod(tab, "Refresh", none);
    EXPECT_TRUE(changed_.empty());
    EXPECT_EQ(Number("shpBack", "Left"), 180 + 2 * (290 + 30) - 30);

    PutProperty(tab, "SelectedBold", Variant::FromBoolean(true));
    PutProperty(tab, "SelectedColor", Variant::FromLong(0x0000FF));
    PutProperty(tab, "InactiveBold", Variant::FromBoolean(true));
    PutProperty(tab, "InactiveColor", Variant::FromLong(0x00FF00));
    PutProperty(tab, "BackColor", Variant::FromLong(0x112233));
    EXPECT_EQ(changed_, (std::vector<std::string>{"SelectedBold", "SelectedColor", "InactiveBold", "InactiveColor",
                                                  "BackColor"}));
    // Each of those re-laid the row: the colours and weights are on the headings.
    EXPECT_EQ(CLng(Inspected("lblTabItem(2)", "ForeColor")), 0x0000FF);
    EXPECT_EQ(CLng(Inspected("lblTabItem(0)", "ForeColor")), 0x00FF00);
    EXPECT_TRUE(Flag("lblTabItem(2)", "FontBold"));
    EXPECT_EQ(host_->PixelAt("T", 3, 10), gdi::RGB(0x33, 0x22, 0x11));
}

TEST_F(TabHeadInHost, TabStringPutTakesItsArgumentByReferenceUnchanged) {
    IDispatch& tab = NewTabHead();
    std::vector<Variant> args{Variant::FromString("X,,Z")};
    tab.Invoke(tab.GetIDOfName("TabString"), InvokeKind::PropertyPut, args);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].type(), VarType::String);
    EXPECT_EQ(args[0].string(), "X,,Z");
    EXPECT_EQ(CStr(Inspected("lblTabItem(1)", "Caption")), "...");
}

// How the text is read and where the plate goes are the model's; here: the write reaches the
// row without telling the host, and a refused index reaches the caller and changes nothing.
TEST_F(TabHeadInHost, SelectedTabWritesRelayTheRowAndRefusalsReachTheCaller) {
    IDispatch& tab = NewTabHead();
    PutProperty(tab, "SelectedTab", Variant::FromString(" 1 tab"));
    EXPECT_EQ(CStr(GetProperty(tab, "SelectedTab")), "1");
    EXPECT_EQ(Number("shpBack", "Left"), 740);
    PutProperty(tab, "SelectedTab", Variant::FromString("12"));
    EXPECT_FALSE(Flag("shpBack", "Visible"));
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(tab, "SelectedTab", Variant::FromString("40000")); }), 6);
    EXPECT_EQ(CStr(GetProperty(tab, "SelectedTab")), "12");
    PutProperty(tab, "TabString", Variant::FromString(""));
    PutProperty(tab, "SelectedTab", Variant::FromString("0"));
    EXPECT_FALSE(Flag("shpBack", "Visible")) << "an empty list shows no plate";
    EXPECT_TRUE(changed_.empty());
}

TEST_F(TabHeadInHost, RunningPositionOverflowReachesTheCaller) {
    IDispatch& tab = NewTabHead();
    const std::string list = "A," + std::string(400, 'x');
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(tab, "TabString", Variant::FromString(list)); }), 6);
    EXPECT_EQ(CStr(GetProperty(tab, "TabString")), list);
    std::vector<Variant> none;
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(tab, "Refresh", none); }), 6);
}

TEST_F(TabHeadInHost, ClickOnHeadingRaisesTabSelectedAndSelects) {
    NewTabHead();
    const auto changed = host_->Fire("T", "lblTabItem(1)", "Click", {});
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].event, "TabSelected");
    ASSERT_EQ(events_[0].args.size(), 2u);
    EXPECT_EQ(CInt(events_[0].args[0]), 1);
    EXPECT_EQ(CStr(events_[0].args[1]), "Tab2");
    EXPECT_EQ(CStr(GetProperty(*host_->Find("T"), "SelectedTab")), "1");
    EXPECT_EQ(Number("shpBack", "Left"), 740);
    EXPECT_EQ(Number("lnTabShadow", "X1"), 1300);  // moved onto the pixel column
    EXPECT_TRUE(changed_.empty());

    // The already selected heading raises again.
    host_->Fire("T", "lblTabItem(1)", "Click", {});
    EXPECT_EQ(events_.size(), 2u);
}

TEST_F(TabHeadInHost, HandlerChangingIndexChangesTheSelection) {
    NewTabHead();
    host_->SetEventHandler("T", "TabSelected", "Index", Variant::FromInteger(0));
    host_->SetEventHandler("T", "TabSelected", "TabName", Variant::FromString("ignored"));
    host_->Fire("T", "lblTabItem(1)", "Click", {});
    EXPECT_EQ(CStr(GetProperty(*host_->Find("T"), "SelectedTab")), "0");
    EXPECT_EQ(Number("shpBack", "Left"), 150);
    EXPECT_EQ(CStr(Inspected("lblTabItem(1)", "Caption")), "Tab2");
}

TEST_F(TabHeadInHost, ClickAndDblClickOnlyFromTheSurface) {
    NewTabHead();
    host_->Fire("T", "lblTabItem(0)", "DblClick", {});
    EXPECT_TRUE(events_.empty());
    host_->Fire("T", "lblTabItem(0)", "MouseDown",
                {Variant::FromInteger(1), Variant::FromInteger(0), Variant::FromSingle(5), Variant::FromSingle(5)});
    EXPECT_TRUE(events_.empty());
    host_->Fire("T", "surface", "Click", {});
    host_->Fire("T", "surface", "DblClick", {});
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_EQ(events_[0].event, "Click");
    EXPECT_EQ(events_[1].event, "DblClick");
}

std::vector<Variant> MouseArgs() {
    return {Variant::FromInteger(0), Variant::FromInteger(0), Variant::FromSingle(10), Variant::FromSingle(10)};
}

TEST_F(TabHeadInHost, MouseOverUnderlinesOneHeadingAtATime) {
    NewTabHead();
    host_->Fire("T", "lblTabItem(1)", "MouseMove", MouseArgs());
    EXPECT_TRUE(Flag("lblTabItem(1)", "FontUnderline"));
    EXPECT_EQ(CStr(Inspected("tmrMouseOver", "Tag")), "1");
    host_->Fire("T", "lblTabItem(0)", "MouseMove", MouseArgs());
    EXPECT_FALSE(Flag("lblTabItem(1)", "FontUnderline"));
    EXPECT_TRUE(Flag("lblTabItem(0)", "FontUnderline"));
    EXPECT_TRUE(events_.empty()) << "mouse movement is not forwarded";
    // Underlining is independent of the selection's weight.
    EXPECT_FALSE(Flag("lblTabItem(0)", "FontBold"));
}

TEST_F(TabHeadInHost, TimerRunsFromCreationAndIsNotRestartedByMoves) {
    NewTabHead();
    host_->Wait(1000);
    host_->Fire("T", "lblTabItem(1)", "MouseMove", MouseArgs());
    host_->Wait(1500);
    host_->Fire("T", "lblTabItem(1)", "MouseMove", MouseArgs());
    host_->Wait(499);
    EXPECT_TRUE(Flag("lblTabItem(1)", "FontUnderline"));
    EXPECT_TRUE(Flag("tmrMouseOver", "Enabled"));
    host_->Wait(1);  // 3000 ms after creation: the first tick
    EXPECT_FALSE(Flag("lblTabItem(1)", "FontUnderline"));
    EXPECT_FALSE(Flag("tmrMouseOver", "Enabled"));

    // The next movement brings the underline back and starts a new period.
    host_->Wait(200);
    host_->Fire("T", "lblTabItem(1)", "MouseMove", MouseArgs());
    EXPECT_TRUE(Flag("lblTabItem(1)", "FontUnderline"));
    host_->Wait(2999);
    EXPECT_TRUE(Flag("lblTabItem(1)", "FontUnderline"));
    host_->Wait(1);
    EXPECT_FALSE(Flag("lblTabItem(1)", "FontUnderline"));
}

TEST_F(TabHeadInHost, FirstTickWithEmptyTagActsOnHeadingZero) {
    NewTabHead();
    // Underline heading 0 without touching the timer's tag, as a host could leave it.
    auto* heading = dynamic_cast<host::Label*>(host_->FindControl("T")->FindConstituent("lblTabItem(0)"));
    heading->SetFontUnderline(true);
    host_->Wait(3000);
    EXPECT_FALSE(heading->FontUnderline());
    EXPECT_FALSE(Flag("tmrMouseOver", "Enabled"));
}

TEST_F(TabHeadInHost, PersistsSevenKeysInOrderAndLoadsThem) {
    IDispatch& tab = NewTabHead();
    host::PropertyBag defaults = host_->Save("T");
    EXPECT_TRUE(defaults.empty()) << BagToJsonText(defaults);

    PutProperty(tab, "TabString", Variant::FromString("One,Two,Three"));
    PutProperty(tab, "SelectedTab", Variant::FromString("2"));
    PutProperty(tab, "SelectedBold", Variant::FromBoolean(true));
    PutProperty(tab, "SelectedColor", Variant::FromLong(0xFF));
    PutProperty(tab, "InactiveBold", Variant::FromBoolean(true));
    PutProperty(tab, "InactiveColor", Variant::FromLong(0xFF00));
    PutProperty(tab, "BackColor", Variant::FromLong(0x808000));
    host::PropertyBag bag = host_->Save("T");
    std::vector<std::string> keys;
    for (const auto& [key, value] : bag.entries()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"TabString", "SelectedTab", "SelectedBold", "SelectedColor",
                                              "InactiveBold", "InactiveColor", "BackColor"}));
    EXPECT_EQ(bag.ReadProperty("SelectedTab").type(), VarType::String);
    EXPECT_EQ(CStr(bag.ReadProperty("SelectedTab")), "2");

    host_->Load("U", "OVTabHead", bag, {.left = 0, .top = 1000, .width = 8460, .height = 630});
    IDispatch& loaded = *host_->Find("U");
    EXPECT_EQ(CStr(GetProperty(loaded, "TabString")), "One,Two,Three");
    EXPECT_EQ(CStr(GetProperty(loaded, "SelectedTab")), "2");
    EXPECT_TRUE(CBool(GetProperty(loaded, "InactiveBold")));
    EXPECT_EQ(CLng(GetProperty(loaded, "BackColor")), 0x808000);
    EXPECT_EQ(CStr(Inspected("lblTabItem(2)", "Caption", "U")), "Three");
    EXPECT_EQ(CLng(Inspected("lblTabItem(2)", "ForeColor", "U")), 0xFF);
    EXPECT_TRUE(CBool(Inspected("shpBack", "Visible", "U")));
}

TEST_F(TabHeadInHost, LoadWithUnreadableIndexStillParsesTheList) {
    host::PropertyBag bag;
    bag.Set("TabString", Variant::FromString("P,Q,R"));
    bag.Set("SelectedTab", Variant::FromString("99999"));
    host_->Load("U", "OVTabHead", bag);
    EXPECT_EQ(host_->lifecycle_errors().size(), 1u);
    EXPECT_EQ(CStr(GetProperty(*host_->Find("U"), "SelectedTab")), "0");
    EXPECT_EQ(CStr(Inspected("lblTabItem(2)", "Caption", "U")), "R");
    EXPECT_TRUE(CBool(Inspected("lblTabItem(2)", "Visible", "U")));
}

TEST_F(TabHeadInHost, NoGraphicsObjectsLeftBehind) {
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    {
        ReferenceHost host(Registry());
        host.New("T", "OVTabHead");
        host.Fire("T", "lblTabItem(1)", "Click", {});
        host.Compose();
        host.Terminate("T");
    }
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

}  // namespace
}  // namespace ov::tabhead
