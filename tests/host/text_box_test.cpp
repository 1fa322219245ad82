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
        {"insert replaces selection", "12345", 0, 2, 0, [](TextEdit& e) { return e.ReplaceSelection("9"); }, "9345", 1,
         0, true},
        {"insert at caret", "ac", 1, 0, 0, [](TextEdit& e) { return e.ReplaceSelection("b"); }, "abc", 2, 0, true},
        {"max length cuts insert", "abc", 3, 0, 5, [](TextEdit& e) { return e.ReplaceSelection("defg"); }, "abcde", 5,
         0, true},
        {"full box refuses", "abcde", 5, 0, 5, [](TextEdit& e) { return e.ReplaceSelection("x"); }, "abcde", 5, 0,
         false},
        {"backspace before caret", "abc", 2, 0, 0, [](TextEdit& e) { return e.Backspace(); }, "ac", 1, 0, true},
        {"backspace at start", "abc", 0, 0, 0, [](TextEdit& e) { return e.Backspace(); }, "abc", 0, 0, false},
        {"backspace removes selection", "abcd", 1, 2, 0, [](TextEdit& e) { return e.Backspace(); }, "ad", 1, 0, true},
        {"delete after caret", "abc", 1, 0, 0, [](TextEdit& e) { return e.DeleteForward(); }, "ac", 1, 0, true},
        {"delete at end", "abc", 3, 0, 0, [](TextEdit& e) { return e.DeleteForward(); }, "abc", 3, 0, false},
        {"same text is no change", "abc", 1, 1, 0, [](TextEdit& e) { return e.ReplaceSelection("b"); }, "abc", 2, 0,
         false},
        {"shift+left extends", "abcd", 3, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::Left, true);
             e.MoveCaret(M::Left, true);
             return false;
         },
         "abcd", 1, 2, false},
        {"left collapses selection", "abcd", 1, 2, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::Left, false);
             return false;
         },
         "abcd", 1, 0, false},
        {"right collapses to end", "abcd", 1, 2, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::Right, false);
             return false;
         },
         "abcd", 3, 0, false},
        {"shift+home from caret", "abcd", 3, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::Home, true);
             return false;
         },
         "abcd", 0, 3, false},
        {"end then left", "abcd", 0, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::End, false);
             e.MoveCaret(M::Left, false);
             return false;
         },
         "abcd", 3, 0, false},
        {"program write cuts and homes", "abc", 2, 1, 4, [](TextEdit& e) { return e.SetText("vwxyz"); }, "vwxy", 0, 0,
         true},
        {"select clamps", "abc", 0, 0, 0,
         [](TextEdit& e) {
             e.Select(7, 2);
             return false;
         },
         "abc", 3, 0, false},
        // Words: a move right goes past the word and its blanks, left to the start of a word.
        {"word right from inside", "ab  cd ef", 1, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::WordRight, false);
             return false;
         },
         "ab  cd ef", 4, 0, false},
        {"word right from blanks", "ab  cd", 2, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::WordRight, false);
             return false;
         },
         "ab  cd", 4, 0, false},
        {"word right at the end", "ab cd", 5, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::WordRight, false);
             return false;
         },
         "ab cd", 5, 0, false},
        {"word left from the end", "ab  cd", 6, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::WordLeft, false);
             return false;
         },
         "ab  cd", 4, 0, false},
        {"word left over blanks", "ab  cd", 4, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::WordLeft, false);
             return false;
         },
         "ab  cd", 0, 0, false},
        {"shift word left extends", "ab cd ef", 8, 0, 0,
         [](TextEdit& e) {
             e.MoveCaret(M::WordLeft, true);
             e.MoveCaret(M::WordLeft, true);
             return false;
         },
         "ab cd ef", 3, 5, false},
        {"select all", "abc", 1, 0, 0,
         [](TextEdit& e) {
             e.SelectAll();
             return false;
         },
         "abc", 0, 3, false},
        {"caret placed", "abc", 0, 3, 0,
         [](TextEdit& e) {
             e.PlaceCaret(2, false);
             return false;
         },
         "abc", 2, 0, false},
        {"caret placed extending", "abcd", 1, 0, 0,
         [](TextEdit& e) {
             e.PlaceCaret(9, true);
             return false;
         },
         "abcd", 1, 3, false},
        {"word under a letter", "ab cd ef", 4, 0, 0,
         [](TextEdit& e) {
             e.SelectWordAt(4);
             return false;
         },
         "ab cd ef", 3, 3, false},
        {"word at the last letter", "ab cd", 0, 0, 0,
         [](TextEdit& e) {
             e.SelectWordAt(4);
             return false;
         },
         "ab cd", 3, 2, false},
        {"word under a blank", "ab  cd", 0, 0, 0,
         [](TextEdit& e) {
             e.SelectWordAt(2);
             return false;
         },
         "ab  cd", 0, 4, false},
        {"word of nothing", "", 0, 0, 0,
         [](TextEdit& e) {
             e.SelectWordAt(3);
             return false;
         },
         "", 0, 0, false},
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
    struct Case {
        int previous, caret, text_width, view, want;
    };
    const std::vector<Case> cases = {
        {0, 50, 200, 100, 0},       // caret shows: no scroll
        {0, 150, 200, 100, 51},     // caret past the right edge: just enough
        {80, 30, 200, 100, 30},     // caret left of the view
        {150, 200, 200, 100, 101},  // at the end: the caret column shows, nothing past it
        {90, 60, 60, 100, 0},       // the text fits again
    };
    for (const Case& c : cases) EXPECT_EQ(ScrollToCaret(c.previous, c.caret, c.text_width, c.view), c.want) << c.caret;
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
    // The width in pixels of the first `count` characters of the box's text in its font.
    int TextWidthOf(int count) const {
        const gdi::HDC dc = gdi::CreateCompatibleDC(0);
        const gdi::LOGFONTA logfont = LogFontFromDesc(box.Font());
        const gdi::HFONT font = gdi::CreateFontIndirectA(&logfont);
        const gdi::HGDIOBJ previous = gdi::SelectObject(dc, font);
        gdi::SIZE size{};
        if (count > 0) gdi::GetTextExtentPoint32A(dc, box.Text().data(), count, &size);
        gdi::SelectObject(dc, previous);
        gdi::DeleteObject(font);
        gdi::DeleteDC(dc);
        return size.cx;
    }
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
    EXPECT_EQ(owner.log,
              (std::vector<std::string>{"KeyDown 67 0", "KeyPress 99", "Change", "KeyUp 67 0", "KeyDown 37 0",
                                        "KeyUp 37 0", "KeyDown 46 0", "Change", "KeyUp 46 0"}));
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
    box.TypeCharacter('a');        // the handler changes the character that is applied
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

TEST_F(TextBoxTest, KeysOfAOneLineBox) {
    constexpr std::int16_t S = keys::kShiftMask, C = keys::kCtrlMask;
    struct Case {
        const char* name;
        const char* text;
        int start, length;
        const char* clipboard;
        std::int16_t code, shift, ascii;
        const char* want_text;
        int want_start, want_length;
        const char* want_clipboard;
    };
    const std::vector<Case> cases = {
        {"Shift+Delete cuts", "hello", 1, 3, "", keys::kDelete, S, 0, "ho", 1, 0, "ell"},
        {"Shift+Delete deletes without a selection", "hello", 1, 0, "x", keys::kDelete, S, 0, "hllo", 1, 0, "x"},
        {"Ctrl+Insert copies", "hello", 1, 3, "", keys::kInsert, C, 0, "hello", 1, 3, "ell"},
        {"Ctrl+Insert without a selection", "hello", 2, 0, "x", keys::kInsert, C, 0, "hello", 2, 0, "x"},
        {"Shift+Insert pastes", "hello", 1, 3, "ipp", keys::kInsert, S, 0, "hippo", 4, 0, "ipp"},
        {"Insert alone", "hello", 1, 3, "ipp", keys::kInsert, 0, 0, "hello", 1, 3, "ipp"},
        {"Ctrl+V of nothing keeps the selection", "hello", 1, 3, "", 'V', C, keys::kPaste, "hello", 1, 3, ""},
        {"Shift+Insert of nothing", "hello", 1, 3, "", keys::kInsert, S, 0, "hello", 1, 3, ""},
        {"paste keeps the first line", "ab", 1, 0, "xy\r\nzw", 'V', C, keys::kPaste, "axyb", 3, 0, "xy\r\nzw"},
        {"paste of a lone LF line", "ab", 2, 0, "c\nd", keys::kInsert, S, 0, "abc", 3, 0, "c\nd"},
        {"paste of a leading break clears", "abc", 0, 2, "\r\nx", 'V', C, keys::kPaste, "c", 0, 0, "\r\nx"},
        {"Ctrl+A selects all", "hello", 2, 0, "", 'A', C, 1, "hello", 0, 5, ""},
        {"A alone types", "hello", 5, 0, "", 'A', 0, 'a', "helloa", 6, 0, ""},
        {"Ctrl+Right", "ab cd", 0, 0, "", keys::kRight, C, 0, "ab cd", 3, 0, ""},
        {"Ctrl+Shift+Right", "ab cd", 0, 0, "", keys::kRight, S | C, 0, "ab cd", 0, 3, ""},
        {"Ctrl+Left", "ab cd", 5, 0, "", keys::kLeft, C, 0, "ab cd", 3, 0, ""},
        {"Shift+Home", "hello", 3, 0, "", keys::kHome, S, 0, "hello", 0, 3, ""},
        {"Shift+End", "hello", 1, 0, "", keys::kEnd, S, 0, "hello", 1, 4, ""},
        {"Up moves as Left", "hello", 3, 0, "", keys::kUp, 0, 0, "hello", 2, 0, ""},
        {"Down moves as Right", "hello", 3, 0, "", keys::kDown, 0, 0, "hello", 4, 0, ""},
        {"Shift+Up extends", "hello", 3, 0, "", keys::kUp, S, 0, "hello", 2, 1, ""},
        {"Tab is no text", "ab", 1, 0, "", keys::kTab, 0, keys::kTab, "ab", 1, 0, ""},
        {"Escape is no text", "ab", 1, 0, "", keys::kEscape, 0, keys::kEscape, "ab", 1, 0, ""},
    };
    for (const Case& c : cases) {
        box.SetText(c.text);
        box.DragSelect(c.start, c.length);
        site.clipboard = c.clipboard;
        const std::optional<std::string> predicted =
            c.ascii > 0 ? box.TextAfterKeyPress(c.ascii) : box.TextAfterKeyDown(c.code, c.shift);
        EXPECT_EQ(site.clipboard, c.clipboard) << c.name << ": judging a key touches no clipboard";
        owner.log.clear();
        box.Keystroke(c.code, c.shift, c.ascii);
        EXPECT_EQ(box.Text(), c.want_text) << c.name;
        EXPECT_EQ(box.SelStart(), c.want_start) << c.name;
        EXPECT_EQ(box.SelLength(), c.want_length) << c.name;
        EXPECT_EQ(site.clipboard, c.want_clipboard) << c.name;
        const bool changed = std::string(c.want_text) != c.text;
        EXPECT_EQ(std::count(owner.log.begin(), owner.log.end(), "Change"), changed ? 1 : 0) << c.name;
        EXPECT_EQ(predicted, changed ? std::optional<std::string>(c.want_text) : std::nullopt) << c.name;
    }
}

TEST_F(TextBoxTest, MenuPasteKeepsTheFirstLine) {
    box.SetText("ab");
    box.SetSelStart(1);
    box.MenuPaste("x\r\ny");
    EXPECT_EQ(box.Text(), "axb");
    box.MenuPaste("\n");
    EXPECT_EQ(box.Text(), "axb");
}

TEST_F(TextBoxTest, MouseMovesTheCaretAndSelection) {
    // One pixel is one unit: the owner's scale is pixels.
    owner.SetScaleMode(kScalePixels);
    box.Move(0, 0, 200, 21);
    box.SetText("ab cd");
    const auto x_of = [&](int boundary) {
        return static_cast<float>(TextBoxFrameWidth(1, 1) + 1 + TextWidthOf(boundary));
    };
    owner.log.clear();
    box.MouseDown(1, 0, x_of(4), 5);
    box.MouseMove(1, 0, x_of(1), 5);
    box.MouseUp(1, 0, x_of(1), 5);
    EXPECT_EQ(box.SelStart(), 1);
    EXPECT_EQ(box.SelLength(), 3);
    EXPECT_EQ(box.edit().caret(), 1);
    box.MouseMove(0, 0, x_of(5), 5);  // no button: no drag
    EXPECT_EQ(box.SelLength(), 3);
    box.MouseDown(1, keys::kShiftMask, x_of(5), 5);  // Shift extends from the anchor
    box.MouseUp(1, keys::kShiftMask, x_of(5), 5);
    EXPECT_EQ(box.SelStart(), 4);
    EXPECT_EQ(box.SelLength(), 1);
    box.MouseDown(2, 0, x_of(0), 5);  // the right button leaves the caret alone
    box.MouseUp(2, 0, x_of(0), 5);
    EXPECT_EQ(box.SelStart(), 4);
    box.DoubleClick(x_of(1), 5);
    EXPECT_EQ(box.SelText(), "ab ");
    const std::string x4 = CStr(Variant::FromSingle(x_of(4))), x1 = CStr(Variant::FromSingle(x_of(1)));
    const std::string x5 = CStr(Variant::FromSingle(x_of(5))), x0 = CStr(Variant::FromSingle(x_of(0)));
    EXPECT_EQ(owner.log, (std::vector<std::string>{
                             "MouseDown 1 0 " + x4 + " 5", "MouseMove 1 0 " + x1 + " 5", "MouseUp 1 0 " + x1 + " 5",
                             "MouseMove 0 0 " + x5 + " 5", "MouseDown 1 1 " + x5 + " 5", "MouseUp 1 1 " + x5 + " 5",
                             "MouseDown 2 0 " + x0 + " 5", "MouseUp 2 0 " + x0 + " 5", "DblClick"}));
    box.SetEnabled(false);
    box.MouseDown(1, 0, x_of(0), 5);
    EXPECT_EQ(box.SelText(), "ab ");
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
        {"Alignment 3", [&] { box.SetAlignment(3); }},     {"Appearance -1", [&] { box.SetAppearance(-1); }},
        {"BorderStyle 2", [&] { box.SetBorderStyle(2); }}, {"MousePointer 16", [&] { box.SetMousePointer(16); }},
        {"OLEDragMode 2", [&] { box.SetOLEDragMode(2); }}, {"OLEDropMode 3", [&] { box.SetOLEDropMode(3); }},
        {"MaxLength -1", [&] { box.SetMaxLength(-1); }},   {"SelStart -1", [&] { box.SetSelStart(-1); }},
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

TEST_F(PainterTest, APressAtThePaintedCaretFindsItsBoundary) {
    // The caret is the one column a focused paint adds; a press there must put the caret back
    // at the same boundary, in every alignment and with the text scrolled.
    box.SetBackColor(0xFFFFFF);
    box.SetForeColor(0x0000FF);
    box.SetFocus();
    struct Case {
        const char* text;
        int alignment;
        int width;
    };
    const std::vector<Case> cases = {
        {"Wild ideas", TextBox::kLeft, 120},
        {"Wild ideas", TextBox::kRight, 120},
        {"Wild ideas", TextBox::kCenter, 121},
        {"A text far wider than its little box", TextBox::kLeft, 60},
    };
    for (const Case& c : cases) {
        box.SetText(c.text);
        box.SetAlignment(c.alignment);
        const int length = static_cast<int>(box.Text().size());
        for (int caret = 0; caret <= length; ++caret) {
            std::vector<std::pair<int, int>> row;
            for (int x = 0; x < c.width; ++x) row.emplace_back(x, 10);
            box.SetSelStart(caret);
            box.SetFocus();
            const auto with_caret = Paint(c.width, 21, row);
            box.LeaveFocus();
            const auto without = Paint(c.width, 21, row);
            int column = -1;
            for (int x = 0; x < c.width; ++x)
                if (with_caret[x] != without[x]) column = x;
            ASSERT_GE(column, 0) << c.text << " caret " << caret;
            EXPECT_EQ(HitTestTextBox(box, c.width, column).boundary, caret) << c.text << " " << c.alignment;
        }
    }
    // Left of the text is its start, right of it its end; the character under a point.
    box.SetText("ab");
    box.SetAlignment(TextBox::kLeft);
    EXPECT_EQ(HitTestTextBox(box, 120, -50).boundary, 0);
    EXPECT_EQ(HitTestTextBox(box, 120, 500).boundary, 2);
    EXPECT_EQ(HitTestTextBox(box, 120, 500).character, 1);
    EXPECT_EQ(HitTestTextBox(box, 120, 3 + TextWidthOf(1)).character, 1);
    EXPECT_EQ(HitTestTextBox(box, 120, 2 + TextWidthOf(1)).character, 0);
}

}  // namespace
}  // namespace ov::host
