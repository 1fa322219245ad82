// OVHotLabel in the reference host: the new instance and its constituents, hover colour and
// pointer switching, HotSpotClick by reference and the event order, what repaints and what
// does not, persistence with "Highlight", errors reaching the caller, bad input, and no
// graphics object left behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/reference/bag_file.h"
#include "support/error_number.h"
#include "host/reference/class_registry.h"
#include "host/contract/font_attributes.h"
#include "host/reference/reference_host.h"
#include "hotlabel/hot_label.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/dispatch.h"

namespace ov::hotlabel {
namespace {

using gdi::COLORREF;
using host::ReferenceHost;
using testing_support::ErrorNumberOf;

constexpr COLORREF kBlack = 0x000000, kBlue = 0xFF0000, kRed = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF;
constexpr int kFrame = 2;  // picMain's fixed-single frame: its client area starts at (2, 2)

host::ClassRegistry& Registry() {
    static host::ClassRegistry registry = [] {
        host::ClassRegistry r;
        r.Add(host::ControlEntry<OVHotLabel>("OVHotLabel", kNewInstanceWidth, kNewInstanceHeight));
        return r;
    }();
    return registry;
}

struct RaisedEvent {
    std::string event;
    std::vector<Variant> args;
};

class HotLabelInHost : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::Screen() = gdi::ScreenSettings{};
        gdi::Screen().font_smoothing = false;  // text pixels exactly in their colour
        gdi::ResetSysColors();
        host_ = std::make_unique<ReferenceHost>(Registry());
        host_->form().SetWidth(9000);
        host_->form().SetHeight(6000);
        host_->SetListener({
            .on_event =
                [this](const std::string&, const std::string& e, const std::vector<Variant>& a) {
                    events_.push_back({e, a});
                },
            .on_changed = [this](const std::string&, const std::string& p) { changed_.push_back(p); },
            .on_lifecycle_error = nullptr,
        });
    }
    void TearDown() override { gdi::Screen() = gdi::ScreenSettings{}; }

    // A new label `width` x `height` pixels.
    IDispatch& NewLabel(int width = 300, int height = 60, const std::string& name = "H") {
        host_->New(name, "OVHotLabel",
                   {.container = "", .left = 0, .top = 0, .width = width * 15.0, .height = height * 15.0});
        changed_.clear();
        events_.clear();
        return *host_->Find(name);
    }
    OVHotLabel& Label(const std::string& name = "H") { return *dynamic_cast<OVHotLabel*>(host_->FindControl(name)); }
    PictureBox& Main() { return Label().MainBox().box(); }

    void Fire(const std::string& event, double x, double y, std::int16_t button = 0) {
        host_->Fire("H", "picMain", event,
                    {Variant::FromInteger(button), Variant::FromInteger(0), Variant::FromSingle(static_cast<float>(x)),
                     Variant::FromSingle(static_cast<float>(y))});
    }
    std::vector<std::string> EventNames() const {
        std::vector<std::string> names;
        for (const RaisedEvent& e : events_) names.push_back(e.event);
        return names;
    }
    // Whether `colour` appears anywhere in picMain's columns [x0, x1) of the first text line,
    // in composed pixels.
    bool RunHas(int x0, int x1, COLORREF colour) {
        const host::ComposedImage image = host_->Compose();
        const gdi::POINT o = host_->OriginOf("H");
        const int line = static_cast<int>(Main().TextHeight("A"));
        for (int y = 2; y < 2 + line; ++y)
            for (int x = x0; x < x1; ++x)
                if (image.At(o.x + kFrame + x, o.y + kFrame + y) == colour) return true;
        return false;
    }
    int Width(const std::string& text) { return static_cast<int>(Main().TextWidth(text)); }
    // The middle of hot spot i's band, in picMain pixels.
    std::pair<double, double> Centre(int i) {
        const HotSpot& s = Label().HotSpots()(i);
        return {(s.left + s.right) / 2.0, s.top + 5.0};
    }

    std::unique_ptr<ReferenceHost> host_;
    std::vector<std::string> changed_;
    std::vector<RaisedEvent> events_;
};

void SetObject(IDispatch& object, const char* property, std::shared_ptr<IDispatch> value) {
    PutPropertyRef(object, property, Variant::FromObject(std::move(value)));
}
void Call(IDispatch& object, const char* method) {
    std::vector<Variant> none;
    CallMethod(object, method, none);
}
std::shared_ptr<IDispatch> SolidPicture(int width, int height, std::uint32_t rgb) {
    const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, rgb);
    return Picture::FromPixels(width, height, pixels.data());
}

TEST_F(HotLabelInHost, NewInstanceDefaultsAndConstituents) {
    IDispatch& label = NewLabel();
    const struct {
        const char* property;
        Variant expected;
    } defaults[] = {
        {"ControlString", Variant::FromString("Orvelle's ~Hot~ Textbox")},
        {"Enabled", Variant::FromBoolean(true)},
        {"HotspotColor", Variant::FromLong(0xFF0000)},
        {"ForeColor", Variant::FromLong(0)},
        {"Highlight", Variant::FromBoolean(true)},
        {"HighlightColor", Variant::FromLong(255)},
        {"BackColor", Variant::FromLong(0xFFFFFF)},
        {"BorderStyle", Variant::FromInteger(1)},
    };
    for (const auto& d : defaults) EXPECT_EQ(GetProperty(label, d.property), d.expected) << d.property;

    OVHotLabel& h = Label();
    EXPECT_EQ(h.HotSpots().count, 1);  // counted by the first render
    EXPECT_EQ(h.HoverIndex(), 0);
    EXPECT_FALSE(h.OverHotSpot());
    // picMain fills the control; the hidden holder is 29 x 29 pixels.
    EXPECT_EQ(Main().client_width() + 2 * kFrame, 300);
    EXPECT_EQ(Main().client_height() + 2 * kFrame, 60);
    EXPECT_EQ(Main().MousePointer(), 0);
    EXPECT_FALSE(h.PictureHolder().Visible());
    EXPECT_EQ(h.PictureHolder().box().client_width(), 29);
    EXPECT_EQ(h.PictureHolder().box().client_height(), 29);
    const auto* cursor = dynamic_cast<const host::Image*>(h.FindConstituent("imgCursor"));
    ASSERT_NE(cursor, nullptr);
    const auto* hand = dynamic_cast<const Picture*>(cursor->Picture().get());
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->width_pixels(), 32);
    EXPECT_EQ(hand->HotSpot().x, 8);
    EXPECT_EQ(hand->HotSpot().y, 3);
    // The first render drew the default string in the default colours (the runs themselves
    // are the renderer's tests).
    const HotSpot spot = h.HotSpots()(1);
    EXPECT_TRUE(RunHas(spot.left, spot.right, kBlue));
    EXPECT_TRUE(RunHas(2, spot.left, kBlack));
    // "*" without a picture copies the blank holder: white, every pixel of it.
    IDispatch& other = NewLabel(60, 40, "S");
    Label("S").MainBox().box().SetBackColor(kBlue);
    PutProperty(other, "ControlString", Variant::FromString("*"));
    const host::ComposedImage image = host_->Compose();
    const gdi::POINT s = host_->OriginOf("S");
    for (int y = 0; y < 33; ++y)
        for (int x = 2; x < 38; ++x) {
            const bool block = x >= 5 && x < 5 + 29 && y >= 2 && y < 2 + 29;
            ASSERT_EQ(image.At(s.x + kFrame + x, s.y + kFrame + y), block ? kWhite : kBlue) << x << "," << y;
        }
}

TEST_F(HotLabelInHost, PictureHolderReportsTheSizeItDrawsWith) {
    NewLabel();
    const auto extent = [&] {
        double width = -1, height = -1;
        for (const auto& [key, value] : host_->Inspect("H", "picPicture")) {
            if (key == "Width") width = CDbl(value);
            if (key == "Height") height = CDbl(value);
        }
        return std::pair{width, height};
    };
    EXPECT_EQ(extent(), (std::pair{29.0, 29.0}));  // as created
    const struct { int width, height; } pictures[] = {{15, 15}, {40, 7}, {1, 1}};
    for (const auto& p : pictures) {
        SetObject(*host_->Find("H"), "Picture", SolidPicture(p.width, p.height, 0x00FF00));
        EXPECT_EQ(extent(), (std::pair{double(p.width), double(p.height)})) << p.width;
        EXPECT_EQ(Label().PictureHolder().box().client_width(), p.width);
        EXPECT_EQ(Label().PictureHolder().box().client_height(), p.height);
    }
    // The copy a "*" makes is that size: green exactly over 1 x 1 pixel at (5, 2).
    PutProperty(*host_->Find("H"), "ControlString", Variant::FromString("*"));
    const host::ComposedImage image = host_->Compose();
    const gdi::POINT at = host_->OriginOf("H");
    EXPECT_EQ(image.At(at.x + kFrame + 5, at.y + kFrame + 2), 0x00FF00u);
    EXPECT_NE(image.At(at.x + kFrame + 6, at.y + kFrame + 2), 0x00FF00u);
    EXPECT_NE(image.At(at.x + kFrame + 5, at.y + kFrame + 3), 0x00FF00u);
}

TEST_F(HotLabelInHost, HoverLightsTheHotSpotAndSwitchesThePointer) {
    NewLabel();
    const HotSpot spot = Label().HotSpots()(1);
    const struct {
        double x, y;
        bool over;
        std::int16_t pointer;
        COLORREF word;
    } moves[] = {
        {spot.left + 1.0, spot.top + 3.0, true, host::kMousePointerCustom, kRed},
        {spot.right + 5.0, spot.top + 3.0, false, kMousePointerArrow, kBlue},
        {static_cast<double>(spot.right), static_cast<double>(spot.top), true, host::kMousePointerCustom, kRed},
        {static_cast<double>(spot.left), spot.top + Main().TextHeight("A") + 2.5, false, kMousePointerArrow, kBlue},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(::testing::Message() << m.x << "," << m.y);
        events_.clear();
        Fire("MouseMove", m.x, m.y);
        EXPECT_EQ(EventNames(), std::vector<std::string>{"MouseMove"});
        EXPECT_EQ(Label().OverHotSpot(), m.over);
        EXPECT_EQ(Label().HoverIndex(), 1);  // kept when the pointer leaves
        EXPECT_EQ(Main().MousePointer(), m.pointer);
        EXPECT_TRUE(RunHas(spot.left, spot.right, m.word));
        EXPECT_FALSE(RunHas(spot.left, spot.right, m.word == kRed ? kBlue : kRed));
    }
    ASSERT_NE(Main().MouseIcon(), nullptr);
    EXPECT_EQ(Main().MouseIcon()->HotSpot().x, 8);
    EXPECT_EQ(Main().MouseIcon()->HotSpot().y, 3);
    // inspect shows the pointer number.
    bool shown = false;
    for (const auto& [key, value] : host_->Inspect("H", "picMain"))
        if (key == "MousePointer") shown = CInt(value) == kMousePointerArrow;
    EXPECT_TRUE(shown);
}

TEST_F(HotLabelInHost, PressRaisesHotSpotClickWithHoverIndexByReference) {
    IDispatch& label = NewLabel();
    PutProperty(label, "ControlString", Variant::FromString("~one~ and ~two~"));
    for (const std::int16_t button : {1, 2, 4}) {
        SCOPED_TRACE(button);
        const auto [x, y] = Centre(2);
        Fire("MouseMove", x, y);
        events_.clear();
        Fire("MouseDown", x, y, button);
        ASSERT_EQ(EventNames(), (std::vector<std::string>{"MouseDown", "HotSpotClick"}));
        EXPECT_EQ(CInt(events_[0].args[0]), button);
        EXPECT_EQ(CLng(events_[1].args[0]), 2);
    }
    // A handler's Index becomes HoverIndex: hot spot 1 is lit although the pointer is on 2.
    host_->SetEventHandler("H", "HotSpotClick", "Index", Variant::FromLong(1));
    const auto [x2, y2] = Centre(2);
    Fire("MouseDown", x2, y2, 1);
    EXPECT_EQ(Label().HoverIndex(), 1);
    Label().RefreshLabel();
    const HotSpot one = Label().HotSpots()(1), two = Label().HotSpots()(2);
    EXPECT_TRUE(RunHas(one.left, one.right, kRed));
    EXPECT_TRUE(RunHas(two.left, two.right, kBlue));
    EXPECT_FALSE(RunHas(two.left, two.right, kRed));
    // After the pointer has left every hot spot a press raises MouseDown only; so does a
    // release or a click.
    Fire("MouseMove", 1, 50);
    events_.clear();
    Fire("MouseDown", x2, y2, 1);
    Fire("MouseUp", x2, y2, 1);
    host_->Fire("H", "picMain", "Click", {});
    host_->Fire("H", "picMain", "DblClick", {});
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"MouseDown", "MouseUp", "Click", "DblClick"}));
}

TEST_F(HotLabelInHost, PressWithoutThePointerRaisesHotSpotClick) {
    // Assistive technology's press of a link: HotSpotClick for that hot spot wherever the
    // pointer is, the handler's Index kept as HoverIndex; numbers beyond the hot spots do nothing.
    IDispatch& label = NewLabel();
    PutProperty(label, "ControlString", Variant::FromString("~one~ and ~two~"));
    Fire("MouseMove", 1, 50);
    events_.clear();
    Label().PressHotSpot(2);
    ASSERT_EQ(EventNames(), std::vector<std::string>{"HotSpotClick"});
    EXPECT_EQ(CLng(events_[0].args[0]), 2);
    EXPECT_EQ(Label().HoverIndex(), 2);
    host_->SetEventHandler("H", "HotSpotClick", "Index", Variant::FromLong(1));
    Label().PressHotSpot(2);
    EXPECT_EQ(Label().HoverIndex(), 1);
    events_.clear();
    for (const std::int32_t number : {0, 3, -1}) Label().PressHotSpot(number);
    EXPECT_TRUE(events_.empty());
}

TEST_F(HotLabelInHost, WhatRedrawsAndWhatWaits) {
    IDispatch& label = NewLabel();
    // Each row: a colour is written (no redraw by itself), then the trigger runs; the text
    // before the hot spot shows the new colour only when the trigger renders.
    const struct {
        const char* name;
        const char* control_string;
        bool redraws;
        std::function<void()> trigger;
    } cases[] = {
        {"move with hot spots", "ab ~cd~", true, [&] { Fire("MouseMove", 200, 40); }},
        {"move without hot spots", "ab cd", false, [&] { Fire("MouseMove", 200, 40); }},
        {"reading ControlString", "ab ~cd~", true, [&] { GetProperty(label, "ControlString"); }},
        {"Refresh", "ab ~cd~", true, [&] { Call(label, "Refresh"); }},
        {"paint", "ab ~cd~", true, [&] { host_->Paint("H"); }},
        {"another write", "ab ~cd~", false, [&] { PutProperty(label, "HighlightColor", Variant::FromLong(kGreen)); }},
    };
    COLORREF colour = kGreen;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutProperty(label, "ForeColor", Variant::FromLong(kBlack));
        PutProperty(label, "ControlString", Variant::FromString(c.control_string));
        colour = colour == kGreen ? kRed : kGreen;
        PutProperty(label, "ForeColor", Variant::FromLong(static_cast<std::int32_t>(colour)));
        EXPECT_TRUE(RunHas(2, 2 + Width("ab"), kBlack));
        const std::int16_t pointer = Main().MousePointer();
        c.trigger();
        EXPECT_EQ(RunHas(2, 2 + Width("ab"), colour), c.redraws);
        EXPECT_EQ(RunHas(2, 2 + Width("ab"), kBlack), !c.redraws);
        if (std::string(c.control_string).find('~') == std::string::npos) {
            EXPECT_EQ(Main().MousePointer(), pointer);  // no hot spot: the pointer is not touched
        }
    }
}

TEST_F(HotLabelInHost, WritesNotifyByPropertyName) {
    IDispatch& label = NewLabel();
    PutProperty(label, "BackColor", Variant::FromLong(kGreen));
    PutProperty(label, "Enabled", Variant::FromBoolean(false));
    SetObject(label, "Font", host::MakeFontObject({"Arial", 12}));
    PutProperty(label, "ControlString", Variant::FromString("x"));
    SetObject(label, "Picture", nullptr);
    PutProperty(label, "HotspotColor", Variant::FromLong(1));
    PutProperty(label, "ForeColor", Variant::FromLong(2));
    PutProperty(label, "BorderStyle", Variant::FromInteger(0));
    PutProperty(label, "Highlight", Variant::FromBoolean(false));
    PutProperty(label, "HighlightColor", Variant::FromLong(3));
    EXPECT_EQ(changed_,
              (std::vector<std::string>{"BackColor", "Enabled", "Font", "ControlString", "Picture", "HotspotColor",
                                        "ForeColor", "BorderStyle", "Highlight", "HighlightColor"}));
    // BackColor reaches both boxes.
    EXPECT_EQ(Main().BackColor(), static_cast<OleColor>(kGreen));
    EXPECT_EQ(Label().PictureHolder().box().BackColor(), static_cast<OleColor>(kGreen));
    EXPECT_EQ(Main().Font()->desc().name, "Arial");

    const struct {
        const char* what;
        std::function<void()> action;
        std::int32_t number;
    } errors[] = {
        {"border style 2", [&] { PutProperty(label, "BorderStyle", Variant::FromInteger(2)); },
         error::kInvalidPropertyValue},
        {"a font as picture", [&] { SetObject(label, "Picture", host::MakeFontObject({})); }, error::kTypeMismatch},
        {"no colour", [&] { PutProperty(label, "BackColor", Variant::FromLong(0x12345678)); },
         error::kInvalidPropertyValue},
        // Colours are handed to the surface at the render, which refuses one that is none.
        {"rendering a bad colour",
         [&] {
             PutProperty(label, "HotspotColor", Variant::FromLong(0x12345678));
             PutProperty(label, "ControlString", Variant::FromString("~x~"));
         },
         error::kInvalidPropertyValue},
    };
    for (const auto& e : errors) EXPECT_EQ(ErrorNumberOf(e.action), e.number) << e.what;
}

TEST_F(HotLabelInHost, BagRoundTripAlwaysWritesHighlight) {
    IDispatch& label = NewLabel();
    // A new instance: its white differs from the bag's button face and a Boolean True differs
    // from the integer 1, so those two keys are written; the rest equal their defaults.
    host::PropertyBag fresh = host_->Save("H");
    std::vector<std::string> keys;
    for (const auto& [key, value] : fresh.entries()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"BackColor", "Highlight"}));
    EXPECT_EQ(fresh.ReadProperty("Highlight"), Variant::FromBoolean(true));

    // Every key changed, saved, loaded into a second label: the same values and pixels.
    PutProperty(label, "BackColor", Variant::FromLong(0x00C0FFC0));
    PutProperty(label, "Enabled", Variant::FromBoolean(false));
    SetObject(label, "Font", host::MakeFontObject({"Arial", 10, true}));
    SetObject(label, "Picture", SolidPicture(4, 3, 0xFF0000));
    PutProperty(label, "HotspotColor", Variant::FromLong(kGreen));
    PutProperty(label, "ForeColor", Variant::FromLong(kRed));
    PutProperty(label, "BorderStyle", Variant::FromInteger(0));
    PutProperty(label, "Highlight", Variant::FromBoolean(false));
    PutProperty(label, "HighlightColor", Variant::FromLong(kBlue));
    PutProperty(label, "ControlString", Variant::FromString("A * and ~ends inside"));
    // Through the bag's text form, as a form file keeps it.
    const host::PropertyBag bag = host::BagFromJsonText(BagToJsonText(host_->Save("H")));
    keys.clear();
    for (const auto& [key, value] : bag.entries()) keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"BackColor", "Enabled", "Font", "ControlString", "Picture", "HotspotColor",
                                        "ForeColor", "BorderStyle", "Highlight", "HighlightColor"}));
    // The last character drawn was inside the open hot spot: the saved font is underlined.
    EXPECT_TRUE(host::FontFromObject(CObj(bag.ReadProperty("Font"))).underline);

    host_->Load("L", "OVHotLabel", bag, {.container = "", .left = 0, .top = 1500, .width = 4500, .height = 900});
    IDispatch& loaded = *host_->Find("L");
    for (const char* p : {"BackColor", "Enabled", "ControlString", "HotspotColor", "ForeColor", "BorderStyle",
                          "Highlight", "HighlightColor"})
        EXPECT_EQ(GetProperty(loaded, p), GetProperty(label, p)) << p;
    EXPECT_EQ(host::FontFromObject(CObj(GetProperty(loaded, "Font"))).name, "Arial");
    const host::ComposedImage image = host_->Compose();
    const gdi::POINT a = host_->OriginOf("H"), b = host_->OriginOf("L");
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ(image.At(a.x + x, a.y + y), image.At(b.x + x, b.y + y)) << x << "," << y;
    EXPECT_EQ(Label("L").HotSpots().count, 0);  // a single "~" makes no hot spot

    // "Highlight" read back: absent is True (the integer 1), a stored False stays False.
    host::PropertyBag without, with_false;
    with_false.Set("Highlight", Variant::FromBoolean(false));
    host_->Load("A", "OVHotLabel", without);
    host_->Load("B", "OVHotLabel", with_false);
    EXPECT_EQ(GetProperty(*host_->Find("A"), "Highlight"), Variant::FromBoolean(true));
    EXPECT_EQ(GetProperty(*host_->Find("B"), "Highlight"), Variant::FromBoolean(false));
}

TEST_F(HotLabelInHost, BadInputDrawsWhatTheAlgorithmSaysWithoutLeaking) {
    const struct {
        const char* name;
        int width;
        std::function<void(IDispatch&)> setup;
        std::function<void(OVHotLabel&)> check;
    } cases[] = {
        {"100,000 characters", 300,
         [](IDispatch& l) {
             std::string text;
             while (text.size() < 100000) text += "ab ~cd~ ";
             PutProperty(l, "ControlString", Variant::FromString(text));
         },
         [](OVHotLabel& h) {
             EXPECT_EQ(h.HotSpots().count, 12500);
             EXPECT_GT(h.HotSpots()(12500).top, h.HotSpots()(1).top);
         }},
        {"only tildes", 300,
         [](IDispatch& l) { PutProperty(l, "ControlString", Variant::FromString(std::string(1001, '~'))); },
         [](OVHotLabel& h) {
             ASSERT_EQ(h.HotSpots().count, 500);
             for (const HotSpot& s : h.HotSpots().records) ASSERT_TRUE(s.left == 2 && s.right == 2 && s.top == 2);
         }},
        {"only stars", 300,
         [](IDispatch& l) {
             SetObject(l, "Picture", SolidPicture(10, 10, 0xFF0000));
             PutProperty(l, "ControlString", Variant::FromString(std::string(30, '*')));
         },
         [this](OVHotLabel&) {
             // 10 x 10 red blocks from x = 5, every 13 pixels, all on the first line.
             const host::ComposedImage image = host_->Compose();
             for (int x = 2; x < 296; ++x) {
                 const bool block = x >= 5 && (x - 5) % 13 < 10;
                 ASSERT_EQ(image.At(kFrame + x, kFrame + 6), block ? kRed : kWhite) << x;
             }
         }},
        {"0 pixels wide", 0, [](IDispatch& l) { PutProperty(l, "ControlString", Variant::FromString("~ab~c")); },
         [this](OVHotLabel& h) {
             // Every character wraps, the first one too: the hot spot opened on line 1 at
             // x = 2 and closed after "b" on line 3.
             EXPECT_EQ(h.HotSpots()(1).left, 2);
             EXPECT_EQ(h.HotSpots()(1).top, 2);
             EXPECT_EQ(h.HotSpots()(1).right, 2 + Width("b"));
             EXPECT_EQ(Main().CurrentY(), 2 + 3 * (Main().TextHeight("c") + 2));
         }},
        {"1 pixel wide", 1, [](IDispatch& l) { PutProperty(l, "ControlString", Variant::FromString("~ab~c")); },
         [this](OVHotLabel&) { EXPECT_EQ(Main().CurrentY(), 2 + 3 * (Main().TextHeight("c") + 2)); }},
        {"huge picture", 300,
         [](IDispatch& l) {
             SetObject(l, "Picture", SolidPicture(3000, 2000, 0x00FF00));
             PutProperty(l, "ControlString", Variant::FromString("*~a~"));
         },
         [this](OVHotLabel& h) {
             EXPECT_EQ(h.HotSpots()(1).left, 2 + 3 + 3000);
             EXPECT_EQ(host_->PixelAt("H", kFrame + 200, kFrame + 30), kGreen);
         }},
        {"font size 0", 300,
         [](IDispatch& l) {
             SetObject(l, "Font", host::MakeFontObject({"Arial", 0}));
         },
         [](OVHotLabel& h) { EXPECT_EQ(h.HotSpots().count, 1); }},
        {"font size 2000", 300,
         [](IDispatch& l) {
             SetObject(l, "Font", host::MakeFontObject({"Arial", 2000}));
             PutProperty(l, "ControlString", Variant::FromString("a~b~"));
         },
         [this](OVHotLabel& h) {
             // "a" is wider than the label: it wraps to a second line a glyph cell further down.
             EXPECT_EQ(h.HotSpots()(1).top, 2 + Main().TextHeight("a") + 2);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        IDispatch& label = NewLabel(c.width, 60);
        c.setup(label);
        Fire("MouseMove", 3, 3);
        Call(label, "Refresh");
        c.check(Label());
        host_->Resize("H", 150 * 15.0, 40 * 15.0);
        host_->Terminate("H");
        EXPECT_EQ(gdi::CountLiveObjects(), before);
    }
}

TEST_F(HotLabelInHost, NoGraphicsObjectOutlivesRendersResizesAndTerminate) {
    const gdi::LiveObjects empty = gdi::CountLiveObjects();
    {
        IDispatch& label = NewLabel();
        PutProperty(label, "ControlString", Variant::FromString("a ~b~ * ~c~"));
        const gdi::LiveObjects settled = gdi::CountLiveObjects();
        for (int i = 0; i < 5; ++i) {
            Fire("MouseMove", 2 + i * 20, 5);
            host_->Paint("H");
            host_->Resize("H", (200 + i * 30) * 15.0, 60 * 15.0);
            GetProperty(label, "ControlString");
        }
        EXPECT_EQ(gdi::CountLiveObjects(), settled);
        host_->Terminate("H");
    }
    EXPECT_EQ(gdi::CountLiveObjects(), empty);
}

}  // namespace
}  // namespace ov::hotlabel
