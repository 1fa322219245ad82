// The host's text box: the editing model, its key handling and events, and its painter.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/canvas.h"
#include "host/reference/compositor.h"
#include "host/contract/control.h"
#include "host/contract/text_box.h"
#include "host/contract/text_box_painter.h"
#include "host/contract/text_edit.h"
#include "platform/gdi/gdi.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {
namespace {

// --- the editing model -------------------------------------------------------------------------

struct EditCase {
    const char* name;
    const char* text;
    int sel_start, sel_length, max_length;
    std::function<bool(TextEdit&)> edit;
    const char* want_text;
    int want_start, want_length;
    bool want_changed;
};

TEST(TextEditTest, EditsMoveTheCaretAndSelectionAsUsersExpect) {
    using M = TextEdit::Move;
    const std::vector<EditCase> cases = {
        {"insert replaces selection", "12345", 0, 2, 0, [](TextEdit& e) { return e.ReplaceSelection("9"); }, "9345", 1, 0, true},
        {"insert at caret", "ac", 1, 0, 0, [](TextEdit& e) { return e.ReplaceSelection("b"); }, "abc", 2, 0, true},
        {"max length cuts insert", "abc", 3, 0, 5, [](TextEdit& e) { return e.ReplaceSelection("defg"); }, "abcde", 5, 0, true},
        {"full box refuses", "abcde", 5, 0, 5, [](TextEdit& e) { return e.ReplaceSelection("x"); }, "abcde", 5, 0, false},
        {"backspace before caret", "abc", 2, 0, 0, [](TextEdit& e) { return e.Backspace(); }, "ac", 1, 0, true},
        {"backspace at start", "abc", 0, 0, 0, [](TextEdit& e) { return e.Backspace(); }, "abc", 0, 0, false},
        {"backspace removes selection", "abcd", 1, 2, 0, [](TextEdit& e) { return e.Backspace(); }, "ad", 1, 0, true},
        {"delete after caret", "abc", 1, 0, 0, [](TextEdit& e) { return e.DeleteForward(); }, "ac", 1, 0, true},
        {"delete at end", "abc", 3, 0, 0, [](TextEdit& e) { return e.DeleteForward(); }, "abc", 3, 0, false},
        {"same text is no change", "abc", 1, 1, 0, [](TextEdit& e) { return e.ReplaceSelection("b"); }, "abc", 2, 0, false},
        {"shift+left extends", "abcd", 3, 0, 0, [](TextEdit& e) { e.MoveCaret(M::Left, true); e.MoveCaret(M::Left, true); return false; }, "abcd", 1, 2, false},
        {"left collapses selection", "abcd", 1, 2, 0, [](TextEdit& e) { e.MoveCaret(M::Left, false); return false; }, "abcd", 1, 0, false},
        {"right collapses to end", "abcd", 1, 2, 0, [](TextEdit& e) { e.MoveCaret(M::Right, false); return false; }, "abcd", 3, 0, false},
        {"shift+home from caret", "abcd", 3, 0, 0, [](TextEdit& e) { e.MoveCaret(M::Home, true); return false; }, "abcd", 0, 3, false},
        {"end then left", "abcd", 0, 0, 0, [](TextEdit& e) { e.MoveCaret(M::End, false); e.MoveCaret(M::Left, false); return false; }, "abcd", 3, 0, false},
        {"program write cuts and homes", "abc", 2, 1, 4, [](TextEdit& e) { return e.SetText("vwxyz"); }, "vwxy", 0, 0, true},
        {"select clamps", "abc", 0, 0, 0, [](TextEdit& e) { e.Select(7, 2); return false; }, "abc", 3, 0, false},
    };
    for (const EditCase& c : cases) {
        TextEdit e;
        e.SetText(c.text);
        e.Select(c.sel_start, c.sel_length);
        e.SetMaxLength(c.max_length);
        const bool changed = c.edit(e);
        EXPECT_EQ(e.text(), c.want_text) << c.name;
        EXPECT_EQ(e.SelStart(), c.want_start) << c.name;
        EXPECT_EQ(e.SelLength(), c.want_length) << c.name;
        EXPECT_EQ(changed, c.want_changed) << c.name;
    }
}

TEST(TextEditTest, ScrollKeepsTheCaretInView) {
    struct Case { int previous, caret, text_width, view, want; };
    const std::vector<Case> cases = {
        {0, 50, 200, 100, 0},     // caret shows: no scroll
        {0, 150, 200, 100, 51},   // caret past the right edge: just enough
        {80, 30, 200, 100, 30},   // caret left of the view
        {150, 200, 200, 100, 101},  // at the end: the caret column shows, nothing past it
        {90, 60, 60, 100, 0},     // the text fits again
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScrollToCaret(c.previous, c.caret, c.text_width, c.view), c.want) << c.caret;
}

// --- the constituent with its owner ------------------------------------------------------------

class EditOwner : public Control {
public:
    EditOwner() : box(AddTextBox("txt")) {}
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = ClassBuilder<EditOwner>("EditOwner").Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }

    TextBox& box;
    std::vector<std::string> log;
    // Called for every event after it is logged; may change the arguments.
    std::function<void(std::string_view, std::vector<Variant>&)> handler;

protected:
    void OnConstituentEvent(Constituent&, std::string_view event, std::vector<Variant>& args) override {
        std::string line(event);
        for (const Variant& a : args) line += " " + CStr(a);
        log.push_back(line);
        if (handler) handler(event, args);
    }
};

class ClipboardSite : public ControlSite {
public:
    bool AmbientUserMode() const override { return true; }
    std::shared_ptr<IDispatch> AmbientFont() const override { return nullptr; }
    std::string AmbientDisplayName(const Control&) const override { return "E"; }
    gdi::HWND ParentWindow(const Control&) const override { return 0; }
    std::shared_ptr<IDispatch> Parent(const Control&) const override { return nullptr; }
    std::vector<std::shared_ptr<IDispatch>> ContainedControls(const Control&) const override { return {}; }
    void PropertyChanged(Control&, std::string_view) override {}
    void EventRaised(Control&, const EventDesc&, std::vector<Variant>&) override {}
    void LifecycleError(Control&, std::string_view, std::string_view, const AutomationError&) override {}
    std::int32_t ExtenderIDOfName(const Control&, std::string_view) const override { return kDispidUnknown; }
    Variant ExtenderInvoke(Control&, std::int32_t, InvokeKind, std::vector<Variant>&) override { return {}; }
    std::int64_t ClockMilliseconds() const override { return 0; }
    std::string* ClipboardText() override { return &clipboard; }
    std::string clipboard;
};

class TextBoxTest : public ::testing::Test {
protected:
    void SetUp() override { owner.Initialize(&site); }
    void TearDown() override { owner.Terminate(); }
    ClipboardSite site;
    EditOwner owner;
    TextBox& box = owner.box;
};

TEST_F(TextBoxTest, KeystrokeEventsComeInThePlatformsOrder) {
    box.SetText("ab");
    box.SetSelStart(2);
    owner.log.clear();
    box.TypeCharacter('c');
    box.Keystroke(keys::kLeft, 0, 0);
    box.Keystroke(keys::kDelete, 0, 0);
    EXPECT_EQ(owner.log, (std::vector<std::string>{"KeyDown 67 0", "KeyPress 99", "Change", "KeyUp 67 0",
                                                    "KeyDown 37 0", "KeyUp 37 0",
                                                    "KeyDown 46 0", "Change", "KeyUp 46 0"}));
    EXPECT_EQ(box.Text(), "ab");
}

TEST_F(TextBoxTest, ZeroedCodesSwallowTheKeystroke) {
    owner.handler = [](std::string_view event, std::vector<Variant>& args) {
        if (event == "KeyPress" && CInt(args[0]) == 'x') args[0] = Variant::FromInteger(0);
        if (event == "KeyDown" && CInt(args[0]) == keys::kDelete) args[0] = Variant::FromInteger(0);
        if (event == "KeyPress" && CInt(args[0]) == 'a') args[0] = Variant::FromInteger('b');
    };
    box.SetText("12");
    owner.log.clear();
    box.TypeCharacter('x');
    box.Keystroke(keys::kDelete, 0, 0);
    box.TypeCharacter('a');  // the handler changes the character that is applied
    EXPECT_EQ(box.Text(), "b12");  // the caret was at 0 after the program write
    EXPECT_EQ(std::count(owner.log.begin(), owner.log.end(), "Change"), 1);
}

TEST_F(TextBoxTest, CtrlKeysGoThroughTheSitesClipboard) {
    box.SetText("hello");
    box.DragSelect(1, 3);
    box.Keystroke('C', keys::kCtrlMask, keys::kCopy);
    EXPECT_EQ(site.clipboard, "ell");
    box.Keystroke('X', keys::kCtrlMask, keys::kCut);
    EXPECT_EQ(box.Text(), "ho");
    box.Keystroke(keys::kEnd, 0, 0);
    box.Keystroke('V', keys::kCtrlMask, keys::kPaste);
    EXPECT_EQ(box.Text(), "hoell");
    box.Keystroke(keys::kEnter, 0, keys::kEnter);  // Enter is no text in a one-line box
    EXPECT_EQ(box.Text(), "hoell");
}

TEST_F(TextBoxTest, FocusValidateCancelKeepsIt) {
    bool cancel = true;
    owner.handler = [&](std::string_view event, std::vector<Variant>& args) {
        if (event == "Validate") args[0] = Variant::FromBoolean(cancel);
    };
    box.SetFocus();
    box.SetFocus();  // already focused: no second GotFocus
    EXPECT_FALSE(box.LeaveFocus());
    cancel = false;
    EXPECT_TRUE(box.LeaveFocus());
    EXPECT_FALSE(box.LeaveFocus());  // nothing without the focus
    EXPECT_EQ(owner.log, (std::vector<std::string>{"GotFocus", "Validate False", "Validate False", "LostFocus"}));
    box.SetEnabled(false);
    box.SetFocus();
    box.TypeCharacter('z');
    EXPECT_FALSE(box.Focused());
    EXPECT_EQ(box.Text(), "");
}

TEST_F(TextBoxTest, OutOfRangeValuesAreRefusedWith380) {
    const std::vector<std::pair<const char*, std::function<void()>>> puts = {
        {"Alignment 3", [&] { box.SetAlignment(3); }},
        {"Appearance -1", [&] { box.SetAppearance(-1); }},
        {"BorderStyle 2", [&] { box.SetBorderStyle(2); }},
        {"MousePointer 16", [&] { box.SetMousePointer(16); }},
        {"OLEDragMode 2", [&] { box.SetOLEDragMode(2); }},
        {"OLEDropMode 3", [&] { box.SetOLEDropMode(3); }},
        {"MaxLength -1", [&] { box.SetMaxLength(-1); }},
        {"SelStart -1", [&] { box.SetSelStart(-1); }},
        {"SelLength -5", [&] { box.SetSelLength(-5); }},
    };
    for (const auto& [name, put] : puts) {
        try {
            put();
            ADD_FAILURE() << name << " was accepted";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), error::kInvalidPropertyValue) << name;
        }
    }
    EXPECT_EQ(box.Alignment(), TextBox::kLeft);
    EXPECT_EQ(box.MaxLength(), 0);
}

TEST_F(TextBoxTest, HeightFollowsTheFont) {
    box.Move(0, 0, 1215, 2000);
    const double normal = box.Height();
    EXPECT_EQ(owner.ToPixelsY(normal), box.OneLineHeightPixels());
    FontAttributes big = box.Font();
    big.size = 24;
    box.SetFont(big);
    EXPECT_GT(box.Height(), normal);
    box.SetBorderStyle(0);
    EXPECT_EQ(owner.ToPixelsY(box.Height()), TextBoxLineHeight(big, false));
}

// --- the painter ---------------------------------------------------------------------------------

class PainterTest : public TextBoxTest {
protected:
    // Paints the box on a fresh white 32-bit buffer and returns the pixel at (x, y).
    std::vector<gdi::COLORREF> Paint(int width, int height, std::vector<std::pair<int, int>> at) {
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        std::vector<gdi::COLORREF> out;
        {
            const testing_support::Canvas canvas(width, height);
            PaintTextBox(canvas.dc(), 0, 0, width, height, box);
            for (auto [x, y] : at) out.push_back(canvas.At(x, y));
        }
        EXPECT_EQ(gdi::CountLiveObjects(), before);
        return out;
    }
};

TEST_F(PainterTest, FrameBackgroundAndFlatBorder) {
    box.SetBackColor(0x00FF00);
    const auto framed = Paint(60, 21, {{0, 0}, {1, 1}, {59, 20}, {58, 19}, {30, 10}});
    EXPECT_EQ(framed, (std::vector<gdi::COLORREF>{gdi::GetSysColor(16), gdi::GetSysColor(21), gdi::GetSysColor(20),
                                                   gdi::GetSysColor(22), 0x00FF00u}));
    box.SetAppearance(0);
    EXPECT_EQ(Paint(60, 21, {{0, 0}, {1, 1}}), (std::vector<gdi::COLORREF>{gdi::GetSysColor(6), 0x00FF00u}));
    box.SetBorderStyle(0);
    EXPECT_EQ(Paint(60, 21, {{0, 0}}), (std::vector<gdi::COLORREF>{0x00FF00u}));
}

// The columns (pixels) the text's colour occupies in a painted box.
std::pair<int, int> InkColumns(const std::vector<gdi::COLORREF>& row, gdi::COLORREF ink) {
    int first = -1, last = -1;
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
        if (row[x] != ink) continue;
        if (first < 0) first = x;
        last = x;
    }
    return {first, last};
}

TEST_F(PainterTest, AlignmentPlacesTheTextAndSelectionIsHighlighted) {
    box.SetBackColor(0xFFFFFF);
    box.SetForeColor(0x0000FF);
    box.SetText("WWW");
    const int width = 120;
    std::vector<std::pair<int, int>> spots;
    for (int y = 4; y < 17; ++y)
        for (int x = 0; x < width; ++x) spots.emplace_back(x, y);
    auto ink_span = [&] {
        const auto pixels = Paint(width, 21, spots);
        std::vector<gdi::COLORREF> any(width, 0xFFFFFF);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            if (pixels[i] == 0x0000FFu) any[i % width] = 0x0000FF;
        return InkColumns(any, 0x0000FF);
    };
    const auto left = ink_span();
    box.SetAlignment(TextBox::kRight);
    const auto right = ink_span();
    box.SetAlignment(TextBox::kCenter);
    const auto centre = ink_span();
    // The same ink moves as a whole: right by the free room, centred by half of it.
    const int room = right.first - left.first;
    EXPECT_GT(room, width / 2);
    EXPECT_EQ(right.second - left.second, room);
    EXPECT_NEAR(centre.first - left.first, room / 2.0, 1);

    box.SetAlignment(TextBox::kLeft);
    box.DragSelect(0, 3);
    auto highlighted = [&] {
        const auto pixels = Paint(width, 21, spots);
        return std::count(pixels.begin(), pixels.end(), gdi::GetSysColor(13));
    };
    EXPECT_EQ(highlighted(), 0);  // the selection is hidden without the focus
    box.SetFocus();
    EXPECT_GT(highlighted(), 0);
}

}  // namespace
}  // namespace ov::host
