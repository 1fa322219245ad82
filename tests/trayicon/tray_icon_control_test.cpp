// OVTrayIcon in the reference host over a recording notification area: the record's bytes
// for each call, the tip's NUL, the errors, the fixed size, the delete at terminate, and the
// notifications decoded into events with the window calls around them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/hosted_control.h"
#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/screen.h"
#include "platform/notifyarea/notification_area.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "trayicon/tray_icon.h"

namespace ov::trayicon {
namespace {

using host::ReferenceHost;
using notifyarea::AreaCall;
using testing_support::RaisedEvent;

host::ClassRegistry& Registry() {
    return testing_support::RegistryOf<OVTrayIcon, testing_support::HostClasses::kIncluded>("OVTrayIcon", 1800, 375);
}

// The record as bytes, built field by field at the platform's offsets.
class ExpectedRecord {
public:
    ExpectedRecord& Dword(std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return *this;
    }
    ExpectedRecord& Text(std::size_t offset, const std::string& text) {
        std::memcpy(bytes_.data() + offset, text.data(), text.size());
        return *this;
    }
    const std::array<std::uint8_t, 488>& bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, 488> bytes_{};
};

class TrayIconInHost : public ::testing::Test {
public:
    void SetUp() override {
        gdi::Screen() = gdi::ScreenSettings{};
        auto area = std::make_unique<notifyarea::RecordingNotificationArea>();
        area_ = area.get();
        area_->SetCursor({300, 40});
        previous_area_ = notifyarea::InstallNotificationArea(std::move(area));
        previous_observer_ = notifyarea::SetCallObserver([this](const AreaCall& call) { calls_.push_back(call); });
        host_ = std::make_unique<ReferenceHost>(Registry());
        host_->SetListener({
            .on_event =
                [this](const std::string& o, const std::string& e, const std::vector<Variant>& a) {
                    events_.push_back({o, e, a});
                },
            .on_changed = nullptr,
            .on_lifecycle_error = nullptr,
            .on_form_operation = [this](const std::string& op) { form_operations_.push_back(op); },
        });
    }
    void TearDown() override {
        host_.reset();
        notifyarea::SetCallObserver(std::move(previous_observer_));
        notifyarea::InstallNotificationArea(std::move(previous_area_));
    }

    OVTrayIcon& NewTray(const host::Placement& at = {}) {
        host_->New("Y", "OVTrayIcon", at);
        calls_.clear();
        return static_cast<OVTrayIcon&>(*host_->FindControl("Y"));
    }
    IDispatch& Tray() { return *host_->Find("Y"); }
    void Call(const char* method) {
        std::vector<Variant> none;
        CallMethod(Tray(), method, none);
    }

    void Balloon(const std::string& text, const std::string& title, std::int32_t style) {
        std::vector<Variant> args = {Variant::FromString(text), Variant::FromString(title), Variant::FromLong(style)};
        CallMethod(Tray(), "PopupBalloon", args);
    }

    const AreaCall& LastNotifyCall() const {
        for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
            if (it->kind == AreaCall::Kind::NotifyIcon) return *it;
        throw std::logic_error("no notification-area call");
    }

    std::unique_ptr<ReferenceHost> host_;
    notifyarea::RecordingNotificationArea* area_ = nullptr;
    std::unique_ptr<notifyarea::NotificationArea> previous_area_;
    notifyarea::CallObserver previous_observer_;
    std::vector<AreaCall> calls_;
    std::vector<RaisedEvent> events_;
    std::vector<std::string> form_operations_;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST_F(TrayIconInHost, RecordBytesOfEachCall) {
    constexpr std::int32_t kIcon = 0x1234;
    struct Case {
        const char* what;
        std::function<void(TrayIconInHost&)> action;
        std::uint32_t message, flags;
        std::string tip, info, title;
        std::uint32_t info_flags, timeout;
    };
    // One tray taken through the calls in order: each row's record carries what the rows before
    // it left in the fields it does not set.
    const Case cases[] = {
        {"add with a tip of 5",
         [](TrayIconInHost& t) {
             PutProperty(t.Tray(), "InfoTip", Variant::FromString("Hello"));
             PutProperty(t.Tray(), "TrayIcon", Variant::FromLong(kIcon));
             PutProperty(t.Tray(), "SetSysTray", Variant::FromBoolean(true));
         },
         0, 7, "Hello", "", "", 0, 0},
        {"tip of 127",
         [](TrayIconInHost& t) { PutProperty(t.Tray(), "InfoTip", Variant::FromString(Repeat('a', 127))); }, 1, 7,
         Repeat('a', 127), "", "", 0, 0},
        {"tip of 200",
         [](TrayIconInHost& t) { PutProperty(t.Tray(), "InfoTip", Variant::FromString(Repeat('b', 200))); }, 1, 7,
         Repeat('b', 127), "", "", 0, 0},
        {"balloon of 300 titled 80", [](TrayIconInHost& t) { t.Balloon(Repeat('c', 300), Repeat('d', 80), 18); }, 1, 16,
         Repeat('b', 127), Repeat('c', 255), Repeat('d', 63), 18, 1},
        {"update after the balloon", [](TrayIconInHost& t) { t.Call("Refresh"); }, 1, 7, Repeat('b', 127),
         Repeat('c', 255), Repeat('d', 63), 18, 1},
        {"short balloon", [](TrayIconInHost& t) { t.Balloon("Saved", "Backup", 1); }, 1, 16, Repeat('b', 127), "Saved",
         "Backup", 1, 1},
        {"delete", [](TrayIconInHost& t) { PutProperty(t.Tray(), "SetSysTray", Variant::FromBoolean(false)); }, 2, 16,
         Repeat('b', 127), "Saved", "Backup", 1, 1},
    };
    const OVTrayIcon& tray = NewTray();
    for (const Case& c : cases) {
        calls_.clear();
        c.action(*this);
        ASSERT_EQ(calls_.size(), 1u) << c.what;
        ExpectedRecord expected;
        expected.Dword(0, 488).Dword(4, tray.hWnd()).Dword(8, 0).Dword(12, c.flags).Dword(16, 512).Dword(20, kIcon);
        expected.Text(24, c.tip).Text(160, c.info).Dword(416, c.timeout).Text(420, c.title).Dword(484, c.info_flags);
        EXPECT_EQ(calls_[0].message, c.message) << c.what;
        EXPECT_EQ(notifyarea::RecordBytes(calls_[0].record), expected.bytes()) << c.what;
    }
}

TEST_F(TrayIconInHost, InfoTipIsStoredWithOneNul) {
    NewTray();
    PutProperty(Tray(), "InfoTip", Variant::FromString("Hello"));
    EXPECT_EQ(CStr(GetProperty(Tray(), "InfoTip")), std::string("Hello\0", 6));
    EXPECT_TRUE(calls_.empty());  // no icon yet: only stored
    PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
    EXPECT_EQ(std::string(LastNotifyCall().record.tip, 7), std::string("Hello\0\0", 7));
}

TEST_F(TrayIconInHost, AddingTwiceSendsTwoAddsAndKeepsTheIcon) {
    OVTrayIcon& tray = NewTray();
    tray.SetScaleMode(kScalePixels);
    PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
    PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[1].message, notifyarea::kNimAdd);
    EXPECT_FALSE(calls_[1].result);
    EXPECT_TRUE(CBool(GetProperty(Tray(), "SetSysTray")));
    EXPECT_EQ(tray.ScaleMode(), kScaleTwips);
}

// A host whose Parent is the container: what a parent that is no form looks like.
class ContainerAsParentHost : public ReferenceHost {
public:
    using ReferenceHost::ReferenceHost;
    std::shared_ptr<IDispatch> Parent(const host::Control& control) const override {
        const host::HostEntry* entry = objects().EntryOf(&control);
        return entry && entry->container ? entry->container->object : ReferenceHost::Parent(control);
    }
};

TEST_F(TrayIconInHost, Errors) {
    NewTray();
    ContainerAsParentHost odd_host(Registry());
    odd_host.New("B", "Box", {.width = 3000, .height = 3000});
    odd_host.New("Z", "OVTrayIcon", {.container = "B"});
    const auto unsited = std::make_shared<OVTrayIcon>();
    struct Case {
        IDispatch* object;
        const char* method;
        std::int32_t number;
        const char* description;
    };
    const Case cases[] = {
        {host_->Find("Y").get(), "PopupBalloon", -2147218504, "The SetSysTray property must be set to True"},
        {odd_host.Find("Z").get(), "AddForm", -2147218503, "Invalid Form object"},
        {odd_host.Find("Z").get(), "RestoreForm", -2147218503, "Invalid Form object"},
        {unsited.get(), "AddForm", -2147218503, "Invalid Form object"},
        {unsited.get(), "RestoreForm", -2147218503, "Invalid Form object"},
    };
    calls_.clear();
    for (const Case& c : cases) {
        std::vector<Variant> args;
        if (std::string(c.method) == "PopupBalloon")
            args = {Variant::FromString("m"), Variant::FromString("t"), Variant::FromLong(0)};
        try {
            CallMethod(*c.object, c.method, args);
            ADD_FAILURE() << c.method << " raised nothing";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), c.number) << c.method;
            EXPECT_EQ(e.description(), c.description) << c.method;
            EXPECT_EQ(e.source(), "TrayIcon") << c.method;
        }
    }
    EXPECT_TRUE(calls_.empty());
}

// However deeply the icon is placed, its form is the one it hides, restores and activates.
TEST_F(TrayIconInHost, AnIconInsideContainersWorksOnItsForm) {
    host_->New("Outer", "Box", {.width = 6000, .height = 4000});
    host_->New("Pic", "PictureBox", {.container = "Outer", .width = 5000, .height = 3000});
    const gdi::HWND form = host_->form().hWnd();
    for (const char* container : {"Outer", "Pic"}) {
        host_->New("Z", "OVTrayIcon", {.container = container});
        calls_.clear();
        form_operations_.clear();
        std::vector<Variant> none;
        CallMethod(*host_->Find("Z"), "AddForm", none);
        CallMethod(*host_->Find("Z"), "RestoreForm", none);
        host_->Fire(
            "Z", "surface", "MouseMove",
            {Variant::FromInteger(0), Variant::FromInteger(0), Variant::FromSingle(513 * 15), Variant::FromSingle(0)});
        EXPECT_EQ(form_operations_, (std::vector<std::string>{"hide", "state 0", "show"})) << container;
        std::vector<gdi::HWND> windows;
        for (const AreaCall& call : calls_)
            if (call.kind == AreaCall::Kind::SetForegroundWindow || call.kind == AreaCall::Kind::SetActiveWindow)
                windows.push_back(call.window);
        EXPECT_EQ(windows, (std::vector<gdi::HWND>{form, form, form})) << container;
        host_->Terminate("Z");
    }
}

TEST_F(TrayIconInHost, FormOperations) {
    NewTray();
    const gdi::HWND form = host_->form().hWnd();
    Call("AddForm");
    EXPECT_FALSE(host_->form().Visible());
    host_->form().SetWindowState(2);
    form_operations_.clear();
    Call("RestoreForm");
    EXPECT_TRUE(host_->form().Visible());
    EXPECT_EQ(host_->form().WindowState(), 0);
    EXPECT_EQ(form_operations_, (std::vector<std::string>{"state 0", "show"}));
    ASSERT_EQ(calls_.size(), 2u);
    for (const AreaCall& call : calls_) {
        EXPECT_EQ(call.kind, AreaCall::Kind::SetForegroundWindow);
        EXPECT_EQ(call.window, form);
    }
}

// The size stays 120 x 25 pixels through resizes, and no graphics object outlives the
// repaints, resizes and the terminate.
TEST_F(TrayIconInHost, FixedSizeWhateverTheHostAsks) {
    struct Case {
        int twips_per_pixel_x, twips_per_pixel_y;
    };
    for (const Case& c : {Case{15, 15}, Case{12, 20}}) {
        gdi::Screen().twips_per_pixel_x = c.twips_per_pixel_x;
        gdi::Screen().twips_per_pixel_y = c.twips_per_pixel_y;
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        const OVTrayIcon& tray = NewTray({.width = 5000, .height = 4000});
        EXPECT_EQ(tray.Width(), 120.0 * c.twips_per_pixel_x);
        EXPECT_EQ(tray.Height(), 25.0 * c.twips_per_pixel_y);
        const gdi::LiveObjects settled = gdi::CountLiveObjects();
        host_->Resize("Y", 300, 9000);
        EXPECT_EQ(tray.Width(), 120.0 * c.twips_per_pixel_x);
        EXPECT_EQ(tray.Height(), 25.0 * c.twips_per_pixel_y);
        EXPECT_EQ(tray.PixelWidth(), 120);
        EXPECT_EQ(tray.PixelHeight(), 25);
        Call("Refresh");
        host_->Paint("Y");
        EXPECT_EQ(gdi::CountLiveObjects(), settled);
        host_->Terminate("Y");
        EXPECT_EQ(gdi::CountLiveObjects(), before);
    }
}

// A picture's icon stays alive while its handle is the TrayIcon, though the picture was let go
// at the assignment; it goes with another TrayIcon or the terminate. A bare handle is the
// program's: the control leaves it alive.
TEST_F(TrayIconInHost, APictureAssignedAndReleasedKeepsItsIconWhileItIsTheTrayIcon) {
    struct Case {
        const char* name;
        bool from_picture;
        bool replaced;  // another TrayIcon assigned before the terminate
    };
    const std::uint32_t pixels[] = {0xFF102030};
    for (const Case& c : {Case{"picture, replaced", true, true}, Case{"picture, terminated", true, false},
                          Case{"bare handle", false, false}}) {
        SCOPED_TRACE(c.name);
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        NewTray();
        gdi::HICON icon = 0;
        if (c.from_picture) {
            const std::shared_ptr<Picture> picture = LoadPicture(ORVELLE_SOURCE_ROOT "/examples/pictures/tray.ico");
            icon = picture->handle();
            PutProperty(Tray(), "TrayIcon", Variant::FromObject(picture));
        } else {
            icon = gdi::CreateIconFromArgb(1, 1, pixels);
            PutProperty(Tray(), "TrayIcon", Variant::FromLong(static_cast<std::int32_t>(icon)));
        }
        gdi::SIZE size;
        PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
        EXPECT_EQ(LastNotifyCall().record.icon, icon);
        EXPECT_TRUE(gdi::GetIconSize(icon, &size)) << "alive at the add";
        if (c.replaced) {
            PutProperty(Tray(), "TrayIcon", Variant::FromLong(0));
            EXPECT_FALSE(gdi::GetIconSize(icon, &size)) << "gone with its picture";
        }
        host_->Terminate("Y");
        EXPECT_EQ(gdi::GetIconSize(icon, &size), !c.from_picture);
        if (!c.from_picture) gdi::DestroyIcon(icon);
        EXPECT_EQ(gdi::CountLiveObjects(), before);
    }
}

TEST_F(TrayIconInHost, TerminateDeletesWhetherOrNotAdded) {
    for (bool added : {false, true}) {
        NewTray();
        if (added) PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
        const gdi::HWND window = host_->FindControl("Y")->hWnd();
        host_->Terminate("Y");
        const AreaCall& last = LastNotifyCall();
        EXPECT_EQ(last.message, notifyarea::kNimDelete) << added;
        EXPECT_EQ(last.result, added);
        EXPECT_EQ(last.record.window, added ? window : 0u);
        EXPECT_FALSE(area_->HasIcon(window, 0));
    }
}

TEST_F(TrayIconInHost, NotificationsBecomeEventsAfterTheWindowCalls) {
    struct Case {
        double x_twips;
        bool form_visible;
        const char* event;  // nullptr: nothing raised
        std::vector<Variant> args;
    };
    const Variant cx = Variant::FromSingle(300), cy = Variant::FromSingle(40);
    const auto button = [](std::int16_t b) { return Variant::FromInteger(b); };
    const Case cases[] = {
        {512 * 15, true, "MouseMove", {button(3), button(1), cx, cy}},  // Button and Shift as fired
        {513 * 15, true, "MouseDown", {button(1), cx, cy}},
        {517 * 15, false, "MouseUp", {button(2), cx, cy}},
        {521 * 15, true, "MouseDblClick", {button(4), cx, cy}},
        {1026 * 15, true, "BalloonShow", {}},
        {1027 * 15, true, "BalloonTimeoutOrHide", {}},
        {1028 * 15, false, "BalloonTimeoutOrHide", {}},
        {1029 * 15, true, "BalloonClick", {}},
        {1024 * 15, false, nullptr, {}},
        {513 * 15 + 0.5, true, nullptr, {}},
    };
    NewTray();
    const gdi::HWND form = host_->form().hWnd();
    for (const Case& c : cases) {
        host_->form().SetVisible(c.form_visible);
        calls_.clear();
        events_.clear();
        host_->Fire(
            "Y", "surface", "MouseMove",
            {Variant::FromInteger(3), Variant::FromInteger(1), Variant::FromDouble(c.x_twips), Variant::FromDouble(0)});
        std::vector<AreaCall::Kind> expected_calls = {AreaCall::Kind::SetActiveWindow};
        if (!c.form_visible) expected_calls.push_back(AreaCall::Kind::SetForegroundWindow);
        expected_calls.push_back(AreaCall::Kind::GetCursorPos);
        ASSERT_EQ(calls_.size(), expected_calls.size()) << c.x_twips;
        for (std::size_t i = 0; i < calls_.size(); ++i) {
            EXPECT_EQ(calls_[i].kind, expected_calls[i]) << c.x_twips;
            if (calls_[i].kind != AreaCall::Kind::GetCursorPos) EXPECT_EQ(calls_[i].window, form) << c.x_twips;
        }
        if (!c.event) {
            EXPECT_TRUE(events_.empty()) << c.x_twips;
            continue;
        }
        ASSERT_EQ(events_.size(), 1u) << c.x_twips;
        EXPECT_EQ(events_[0].event, c.event);
        ASSERT_EQ(events_[0].args.size(), c.args.size()) << c.event;
        for (std::size_t i = 0; i < c.args.size(); ++i) {
            EXPECT_EQ(events_[0].args[i].type(), c.args[i].type()) << c.event << " argument " << i;
            EXPECT_EQ(CDbl(events_[0].args[i]), CDbl(c.args[i])) << c.event << " argument " << i;
        }
    }
}

TEST_F(TrayIconInHost, CallbacksArriveThroughTheMessageLoop) {
    gdi::Screen().twips_per_pixel_x = 12;  // the loop converts pixels to the control's twips
    const OVTrayIcon& tray = NewTray();
    notifyarea::PostCallbackMessage({tray.hWnd(), 512, notifyarea::kWmRButtonUp});
    notifyarea::PostCallbackMessage({tray.hWnd() + 1000, 512, notifyarea::kWmLButtonDown});  // no such control
    notifyarea::PostCallbackMessage({tray.hWnd(), 512, notifyarea::kNinBalloonUserClick});
    EXPECT_TRUE(events_.empty());
    host_->Wait(0);
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_EQ(events_[0].event, "MouseUp");
    EXPECT_EQ(CInt(events_[0].args[0]), 2);
    EXPECT_EQ(events_[1].event, "BalloonClick");
}

// A desktop that cannot carry a call out (no server for the balloon, nowhere to show the icon)
// says why; the control raises that as error 5 once its own state is settled, while a refusal
// the platform makes too (an add of an icon already there) stays silent.
class FailingArea : public notifyarea::RecordingNotificationArea {
public:
    bool NotifyIcon(std::uint32_t message, const notifyarea::NotifyIconDataA& record) override {
        const bool result = RecordingNotificationArea::NotifyIcon(message, record);
        if (message == notifyarea::kNimDelete || (record.flags & fail_flags) == 0) return result;
        ReportFailure("the desktop said no");
        return false;
    }
    std::uint32_t fail_flags = 0;
};

TEST_F(TrayIconInHost, WhatTheDesktopCannotDoIsErrorFiveAfterTheStateIsSettled) {
    auto owned = std::make_unique<FailingArea>();
    FailingArea& area = *owned;
    notifyarea::InstallNotificationArea(std::move(owned));
    NewTray();
    struct Case {
        const char* what;
        std::uint32_t fail_flags;
        std::function<void()> action;
        std::int32_t number;
    };
    const Case cases[] = {
        {"an icon with nowhere to go", notifyarea::kNifIcon,
         [&] { PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true)); }, error::kInvalidProcedureCall},
        {"an update of it", notifyarea::kNifTip, [&] { PutProperty(Tray(), "InfoTip", Variant::FromString("tip")); },
         error::kInvalidProcedureCall},
        {"a balloon no server took", notifyarea::kNifInfo, [&] { Balloon("m", "t", 0); }, error::kInvalidProcedureCall},
        {"a second add, refused as the platform refuses", 0,
         [&] { PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true)); }, 0},
    };
    for (const Case& c : cases) {
        area.fail_flags = c.fail_flags;
        calls_.clear();
        try {
            c.action();
            EXPECT_EQ(c.number, 0) << c.what << " raised nothing";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), c.number) << c.what;
            EXPECT_EQ(e.description(), "the desktop said no") << c.what;
            EXPECT_EQ(e.source(), "TrayIcon") << c.what;
        }
        ASSERT_EQ(calls_.size(), 1u) << c.what;
        EXPECT_EQ(calls_[0].failure, c.number ? "the desktop said no" : "") << c.what;
        // The call was made and the control's state is what was written.
        EXPECT_TRUE(CBool(GetProperty(Tray(), "SetSysTray"))) << c.what;
    }
    EXPECT_EQ(CStr(GetProperty(Tray(), "InfoTip")), std::string("tip") + '\0');
}

// Two hosts in one process (two component-server objects, two live widgets), each with a tray
// icon: whichever host runs its loop first takes only its own callbacks, and the other's wait
// for it, in the order they were sent.
TEST_F(TrayIconInHost, EachHostTakesOnlyItsOwnCallbacks) {
    const OVTrayIcon& first = NewTray();
    testing_support::HostRecord other_events;
    std::unique_ptr<ReferenceHost> other = testing_support::FreshHost(Registry(), other_events);
    other->New("Z", "OVTrayIcon");
    const gdi::HWND second = other->FindControl("Z")->hWnd();
    ASSERT_NE(first.hWnd(), second);

    struct Sent {
        gdi::HWND window;
        std::uint32_t message;
    };
    const Sent sent[] = {
        {second, notifyarea::kWmLButtonDown},       {first.hWnd(), notifyarea::kNinBalloonShow},
        {second, notifyarea::kWmLButtonUp},         {first.hWnd(), notifyarea::kWmRButtonDblClk},
        {second, notifyarea::kNinBalloonUserClick},
    };
    struct Case {
        const char* first_to_run;
        std::vector<std::string> first_events, other_events;
    };
    const Case cases[] = {
        {"first", {"BalloonShow", "MouseDblClick"}, {"MouseDown", "MouseUp", "BalloonClick"}},
        {"other", {"BalloonShow", "MouseDblClick"}, {"MouseDown", "MouseUp", "BalloonClick"}},
    };
    const auto names = [](const std::vector<RaisedEvent>& events) {
        std::vector<std::string> out;
        for (const RaisedEvent& e : events) out.push_back(e.object + "." + e.event);
        return out;
    };
    const auto prefixed = [](const char* object, const std::vector<std::string>& events) {
        std::vector<std::string> out;
        for (const std::string& e : events) out.push_back(std::string(object) + "." + e);
        return out;
    };
    for (const Case& c : cases) {
        events_.clear();
        other_events.Clear();
        for (const Sent& s : sent) notifyarea::PostCallbackMessage({s.window, 512, s.message});
        ReferenceHost& runs_first = std::string(c.first_to_run) == "first" ? *host_ : *other;
        ReferenceHost& runs_second = &runs_first == host_.get() ? *other : *host_;
        runs_first.ProcessMessages();
        // The host that ran has its own events and none of the other's.
        const std::vector<RaisedEvent>& ran = &runs_first == host_.get() ? events_ : other_events.events;
        const std::vector<RaisedEvent>& waiting = &runs_first == host_.get() ? other_events.events : events_;
        EXPECT_FALSE(ran.empty()) << c.first_to_run;
        EXPECT_TRUE(waiting.empty()) << c.first_to_run;
        runs_second.ProcessMessages();
        EXPECT_EQ(names(events_), prefixed("Y", c.first_events)) << c.first_to_run;
        EXPECT_EQ(names(other_events.events), prefixed("Z", c.other_events)) << c.first_to_run;
    }

    // A host that is gone takes its sink with it: callbacks for its windows are dropped, and
    // the remaining host still gets its own.
    other.reset();
    events_.clear();
    notifyarea::PostCallbackMessage({second, 512, notifyarea::kWmLButtonDown});
    notifyarea::PostCallbackMessage({first.hWnd(), 512, notifyarea::kNinBalloonShow});
    host_->ProcessMessages();
    EXPECT_EQ(names(events_), (std::vector<std::string>{"Y.BalloonShow"}));
}

}  // namespace
}  // namespace ov::trayicon
