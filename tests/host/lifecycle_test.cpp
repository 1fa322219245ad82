// Lifecycle order, re-entrant resize, events with by-reference arguments, timers, extender.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "support/error_number.h"
#include "host/reference/reference_host.h"
#include "platform/notifyarea/notification_area.h"
#include "platform/runtime/clock.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

using testing_support::ErrorNumberOf;

class HostFixture : public ::testing::Test {
protected:
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host{registry};
    std::vector<std::string> events;
    std::vector<std::string> changes;

    void SetUp() override {
        host.SetListener({
            .on_event =
                [this](const std::string& o, const std::string& e, const std::vector<Variant>& args) {
                    std::string text = o + "." + e + "(";
                    for (std::size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + CStr(args[i]);
                    events.push_back(text + ")");
                },
            .on_changed = [this](const std::string& o, const std::string& p) { changes.push_back(o + "." + p); },
        });
    }
    Probe& probe(const std::string& name) { return dynamic_cast<Probe&>(*host.FindControl(name)); }
};

TEST_F(HostFixture, NewInstanceRunsTheLifecycleInOrder) {
    host.New("P", "Probe", {.left = 0, .top = 0, .width = 1500, .height = 900});
    Probe& p = probe("P");
    host.Save("P");
    host.Hide("P");
    std::vector<std::string> log_before_terminate = p.log;
    EXPECT_EQ(log_before_terminate, (std::vector<std::string>{"Initialize", "InitProperties", "Resize 900", "Show",
                                                              "Paint", "WriteProperties", "Hide"}));
    // Terminate is the last call; keep the object alive to read its log.
    auto keep = host.Find("P");
    host.Terminate("P");
    EXPECT_EQ(p.log.back(), "Terminate");
    EXPECT_EQ(p.stage(), LifecycleStage::Terminated);
    EXPECT_EQ(host.Find("P"), nullptr);
}

TEST_F(HostFixture, LoadedInstanceReadsPropertiesInsteadOfDefaults) {
    PropertyBag bag;
    bag.Set("Count", Variant::FromLong(7));
    host.Load("P", "Probe", bag);
    Probe& p = probe("P");
    EXPECT_EQ(p.log, (std::vector<std::string>{"Initialize", "ReadProperties", "Resize 900", "Show", "Paint"}));
    EXPECT_EQ(p.Count(), 7);
}

TEST_F(HostFixture, ResizeInsideResizeIsDeliveredSynchronously) {
    host.New("P", "Probe");
    Probe& p = probe("P");
    p.log.clear();
    p.resize_to_height = 40;
    host.Resize("P", 3000, 600);
    // The outer handler sets Height 40: the nested Resize sees 40 before the outer one returns;
    // the nested handler's own SetHeight(40) changes nothing and delivers nothing more.
    EXPECT_EQ(p.log, (std::vector<std::string>{"Resize 600", "Resize 40"}));
    EXPECT_EQ(p.Height(), 40);
    EXPECT_EQ(p.Width(), 3000);
    EXPECT_EQ(p.PixelHeight(), 3);
}

TEST_F(HostFixture, HandlerChangesByReferenceArgumentTheControlSees) {
    host.New("P", "Probe");
    host.SetEventHandler("P", "Changing", "Value", Variant::FromInteger(7));
    host.Fire("P", "surface", "Click", {});
    EXPECT_EQ(probe("P").value_after_event, 7);
    // Listeners see the arguments as raised, before the handler ran.
    EXPECT_EQ(events, (std::vector<std::string>{"P.Changing(1)"}));
}

TEST_F(HostFixture, FireReportsByReferenceArgumentsTheControlChanged) {
    host.New("P", "Probe");
    auto changed =
        host.Fire("P", "surface", "MouseMove",
                  {Variant::FromInteger(1), Variant::FromInteger(0), Variant::FromLong(5), Variant::FromLong(6)});
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].name, "X");
    EXPECT_EQ(changed[0].value, Variant::FromSingle(99));

    // Arguments are converted to the declared types: Button is an Integer.
    EXPECT_EQ(ErrorNumberOf([&] {
                  host.Fire("P", "surface", "MouseMove",
                            {Variant::FromLong(40000), Variant::FromInteger(0), Variant(), Variant()});
              }),
              6);
    EXPECT_EQ(ErrorNumberOf([&] { host.Fire("P", "surface", "MouseMove", {}); }), 450);
}

TEST_F(HostFixture, EventsOfArrayElementsReachTheOwnerWithTheirIndex) {
    host.New("P", "Probe");
    host.Fire("P", "lblItem(2)", "Click", {});
    host.Fire("P", "LBLITEM(0)", "DblClick", {});
    EXPECT_EQ(probe("P").log.back(), "lblItem(0) DblClick at 0");
    EXPECT_EQ(probe("P").log[probe("P").log.size() - 2], "lblItem(2) Click at 0");
    for (const char* bad : {"lblItem(3)", "lblItem", "lblItem(x)", "nothing"})
        EXPECT_EQ(ErrorNumberOf([&] { host.Fire("P", bad, "Click", {}); }), 424) << bad;
}

TEST_F(HostFixture, WaitMovesAFixedClockForward) {
    host.SetNow(45657.0);  // 2024-12-31 00:00
    host.Wait(6 * 3600 * 1000);
    EXPECT_DOUBLE_EQ(ov::Now(), 45657.25);
    ov::SetFixedNow(std::nullopt);
}

TEST_F(HostFixture, ChangeNotificationsReachTheListenerByName) {
    host.New("P", "Probe");
    PutProperty(*host.Find("P"), "count", Variant::FromInteger(3));
    EXPECT_EQ(changes, (std::vector<std::string>{"P.Count"}));
    EXPECT_EQ(probe("P").Count(), 3);
}

TEST_F(HostFixture, TimersTickInOrderAsTheClockAdvances) {
    host.New("A", "Probe");
    host.New("B", "Probe");
    host.Wait(250);
    probe("A").timer.SetEnabled(true);  // A's period starts at 250
    probe("B").timer.SetInterval(700);
    probe("B").timer.SetEnabled(true);  // B's at 250 too
    host.Wait(3000);                    // until 3250
    // A ticks at 1250, 2250, 3250 (disables itself at >= 3000); B at 950, 1650, 2350, 3050.
    std::vector<std::string> ticks;
    for (const auto& l : probe("A").log)
        if (l.starts_with("tmrTick")) ticks.push_back("A " + l);
    for (const auto& l : probe("B").log)
        if (l.starts_with("tmrTick")) ticks.push_back("B " + l);
    EXPECT_EQ(ticks,
              (std::vector<std::string>{"A tmrTick Timer at 1250", "A tmrTick Timer at 2250", "A tmrTick Timer at 3250",
                                        "B tmrTick Timer at 950", "B tmrTick Timer at 1650", "B tmrTick Timer at 2350",
                                        "B tmrTick Timer at 3050"}));
    EXPECT_FALSE(probe("A").timer.Enabled());
    EXPECT_FALSE(probe("B").timer.Enabled());
    EXPECT_EQ(host.ClockMilliseconds(), 3250);
}

TEST_F(HostFixture, ExtenderMembersAnswerNamesTheControlLacks) {
    host.New("Outer", "Box", {.left = 300, .top = 150, .width = 3000, .height = 2000});
    host.New("P", "Probe", {.container = "Outer", .left = 150, .top = 75});
    auto p = host.Find("P");
    EXPECT_EQ(CStr(GetProperty(*p, "Name")), "P");
    EXPECT_EQ(CSng(GetProperty(*p, "Left")), 150);
    probe("P").log.clear();
    PutProperty(*p, "Height", Variant::FromLong(1200));
    EXPECT_EQ(probe("P").log, (std::vector<std::string>{"Resize 1200"}));
    // Parent is the form; the container is the extender's Container, and lists its child.
    EXPECT_EQ(probe("P").Parent(), host.Find("form"));
    EXPECT_EQ(CObj(GetProperty(*p, "Container")), host.Find("Outer"));
    ASSERT_EQ(host.FindControl("Outer")->ContainedControls().size(), 1u);
    EXPECT_EQ(host.OriginOf("P").x, 30);
    EXPECT_EQ(host.OriginOf("P").y, 15);
    EXPECT_EQ(ErrorNumberOf([&] { GetProperty(*p, "NoSuchThing"); }), 438);
}

TEST_F(HostFixture, NegativeExtentsAreRefusedWhereverTheyAreSet) {
    host.New("P", "Probe", {.width = 900, .height = 600});
    auto p = host.Find("P");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        std::function<void()> set;
    } cases[] = {
        {"host resize", [&] { host.Resize("P", -5, -5); }},
        {"host resize of one side", [&] { host.Resize("P", 900, -1); }},
        {"extender Width", [&] { PutProperty(*p, "Width", Variant::FromLong(-1)); }},
        {"extender Height", [&] { PutProperty(*p, "Height", Variant::FromDouble(-0.5)); }},
        {"not a number", [&] { host.Resize("P", nan, 600); }},
    };
    probe("P").log.clear();
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorNumberOf(c.set), error::kInvalidPropertyValue) << c.what;
        EXPECT_EQ(probe("P").Width(), 900) << c.what;
        EXPECT_EQ(probe("P").Height(), 600) << c.what;
    }
    EXPECT_TRUE(probe("P").log.empty());  // no Resize for a refused extent
    EXPECT_EQ(ErrorNumberOf([&] { host.New("Q", "Probe", {.width = -15, .height = 600}); }),
              error::kInvalidPropertyValue);
    EXPECT_EQ(ErrorNumberOf([&] { host.Resize("P", 0, 0); }), 0);  // empty is allowed
}

TEST_F(HostFixture, AmbientValuesComeFromTheHost) {
    host.SetUserMode(false);
    host.SetAmbientFont(FontAttributes{"Arial", 12, true});
    host.New("Named", "Probe");
    Control& c = *host.FindControl("Named");
    EXPECT_FALSE(c.AmbientUserMode());
    EXPECT_EQ(c.AmbientDisplayName(), "Named");
    EXPECT_EQ(FontFromObject(c.AmbientFont()), (FontAttributes{"Arial", 12, true}));
    // Labels the control made before it was sited take the ambient font too.
    EXPECT_EQ(probe("Named").caption_label.Font(), (FontAttributes{"Arial", 12, true}));
}

TEST_F(HostFixture, ParentFormAnswersScaleModeLateBound) {
    host.New("P", "Probe");
    host.form().SetScaleMode(3);
    EXPECT_EQ(CLng(GetProperty(*probe("P").Parent(), "ScaleMode")), 3);
    EXPECT_EQ(probe("P").Parent()->TypeName(), "Form");
}

TEST_F(HostFixture, ParentIsTheFormAtEveryDepthOfNesting) {
    host.New("Box1", "Box", {.width = 6000, .height = 4000});
    host.New("Pic", "PictureBox", {.container = "Box1", .width = 5000, .height = 3000});
    PutProperty(*host.Find("Pic"), "ScaleMode", Variant::FromInteger(3));
    host.New("Box2", "Box", {.container = "Pic", .width = 4000, .height = 2000});
    const struct {
        const char* name;
        const char* container;  // "" for the form
        const char* in;
    } cases[] = {
        {"OnForm", "", "form"},
        {"InBox", "Box1", "Box1"},
        {"InPictureBox", "Pic", "Pic"},
        {"ThreeDeep", "Box2", "Box2"},
    };
    host.form().SetScaleMode(5);
    for (const auto& c : cases) {
        host.New(c.name, "Probe", {.container = c.container});
        Probe& control = probe(c.name);
        EXPECT_EQ(control.Parent(), host.Find("form")) << c.name;
        EXPECT_EQ(CLng(GetProperty(*control.Parent(), "ScaleMode")), 5) << c.name;
        EXPECT_EQ(CObj(GetProperty(*host.Find(c.name), "Container")), host.Find(c.in)) << c.name;
    }
}

// What waits for the message loop (a notification-area callback, a timer tick already due)
// runs when a control lets pending messages run, before the control's handler goes on.
TEST_F(HostFixture, PendingMessagesRunWhenAControlLetsThem) {
    int host_queue_runs = 0;
    host.SetListener({.process_pending_messages = [&] { ++host_queue_runs; }});
    host.New("P", "Probe");
    Probe& p = probe("P");
    p.log.clear();
    notifyarea::PostCallbackMessage({p.hWnd(), 512, 513});
    notifyarea::PostCallbackMessage({p.hWnd(), 512, 514});
    static_cast<ControlSite&>(host).ProcessPendingMessages();
    EXPECT_EQ(p.log, (std::vector<std::string>{"surface MouseMove", "surface MouseMove"}));
    EXPECT_EQ(host_queue_runs, 1);
    // Nothing waits any more: the next call delivers nothing but still asks the host's queue.
    static_cast<ControlSite&>(host).ProcessPendingMessages();
    EXPECT_EQ(p.log.size(), 2u);
    EXPECT_EQ(host_queue_runs, 2);
}

// A control that has read its properties stays loaded when showing it fails: the first failing
// step is reported once and the remaining steps still run. A failure before (a bag the
// control's reading refuses as a whole, an extent no surface can have) still unloads it.
TEST_F(HostFixture, AFailingFirstShowIsReportedOnceAndTheControlStays) {
    std::vector<std::string> reported;
    host.SetListener({.on_lifecycle_error = [&](const std::string& o, const std::string& step, const std::string& key,
                                                const AutomationError& e) {
        reported.push_back(LifecyclePlace(o, step, key) + " " + std::to_string(e.number()));
    }});
    const struct {
        std::int32_t count;
        std::vector<std::string> reported;
    } cases[] = {
        {-481, {"P.Resize 481"}},
        {-6, {"P.Resize 6"}},
        {3, {}},
    };
    for (const auto& c : cases) {
        reported.clear();
        PropertyBag bag;
        bag.Set("Count", Variant::FromLong(c.count));
        ASSERT_EQ(ErrorNumberOf([&] { host.Load("P", "Probe", bag); }), 0) << c.count;
        ASSERT_NE(host.FindControl("P"), nullptr) << c.count;
        EXPECT_EQ(probe("P").Count(), c.count);
        EXPECT_EQ(probe("P").log,
                  (std::vector<std::string>{"Initialize", "ReadProperties", "Resize 900", "Show", "Paint"}));
        EXPECT_EQ(reported, c.reported) << c.count;
        host.Terminate("P");
    }
    EXPECT_EQ(ErrorNumberOf([&] { host.New("Huge", "Probe", {.width = 1e9, .height = 1e9}); }), error::kOutOfMemory);
    EXPECT_EQ(host.Find("Huge"), nullptr);
}

TEST_F(HostFixture, InspectListsConstituentProperties) {
    host.New("P", "Probe");
    probe("P").timer.SetTag("4");
    auto props = host.Inspect("P", "tmrTick");
    ASSERT_EQ(props.size(), 3u);
    EXPECT_EQ(props[1].first, "Interval");
    EXPECT_EQ(props[1].second, Variant::FromLong(1000));
    EXPECT_EQ(props[2].second, Variant::FromString("4"));
}

}  // namespace
}  // namespace ov::host::testing
