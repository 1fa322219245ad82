// OVMaskedTextBox through the reference host: the keystroke filter per format, Delete in each
// digit group, recolouring, the invalid-entry reactions with their event order, Text and Value
// round trips, the bag round trip of an invalid text, errors, bad input, resizing and the
// composed colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error_number.h"
#include "host/reference/reference_host.h"
#include "maskedit/keystroke_candidate.h"
#include "maskedit/masked_text_box.h"
#include "platform/gdi/gdi.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/format.h"
#include "host/contract/font_attributes.h"

namespace ov::maskedit {
namespace {

using testing_support::ErrorNumberOf;

TEST(KeystrokeCandidateTest, CandidatesFollowTheCaretAndSelection) {
    struct Case {
        const char* t;
        int s, n, key;
        const char* want;
    };
    const std::vector<Case> press = {
        {"12345", 0, 2, '9', "9345"}, {"ac", 1, 0, 'b', "abc"}, {"abc", 3, 0, 22, "abc\x16"},
        {"abc", 2, 0, 8, "ac"},       {"abc", 0, 0, 8, "abc"},  {"abcd", 1, 2, 8, "ad"},
    };
    for (const Case& c : press) EXPECT_EQ(KeyPressCandidate(c.t, c.s, c.n, c.key), c.want) << c.t << c.key;
    const std::vector<Case> del = {{"abc", 1, 0, 0, "ac"}, {"abc", 3, 0, 0, "abc"}, {"abcd", 0, 3, 0, "d"}};
    for (const Case& c : del) EXPECT_EQ(DeleteCandidate(c.t, c.s, c.n), c.want) << c.t;
}

class MaskedTextBoxTest : public ::testing::Test {
protected:
    MaskedTextBoxTest() { registry.Add(host::ControlEntry<OVMaskedTextBox>("OVMaskedTextBox", 1215, 315)); }
    void SetUp() override {
        host.SetNow(DateSerial(2024, 6, 15) + TimeSerial(10, 30, 0));
        host.SetListener({.on_event = [this](const std::string&, const std::string& e,
                                             const std::vector<Variant>&) { events.push_back(e); },
                          .on_changed = [this](const std::string&, const std::string& p) { changes.push_back(p); },
                          // What waits in the host's queue runs where the box lets it.
                          .process_pending_messages = [this] { events.push_back("pending messages"); }});
        host.New("M", "OVMaskedTextBox");
        events.clear();
    }
    OVMaskedTextBox& box() { return dynamic_cast<OVMaskedTextBox&>(*host.FindControl("M")); }
    void Put(const char* name, Variant v) { PutProperty(*host.Find("M"), name, std::move(v)); }
    Variant Get(const char* name, std::vector<Variant> args = {}) {
        return GetProperty(*host.Find("M"), name, std::move(args));
    }
    void Setup(int format, const char* mask, const char* text) {
        box().txt().SetText("");
        Put("InputFormat", Variant::FromLong(0));
        Put("Mask", Variant::FromString(""));
        Put("InputFormat", Variant::FromLong(format));
        Put("Mask", Variant::FromString(mask));
        box().txt().SetText(text);
        events.clear();
        changes.clear();
    }
    void Type(const std::string& text) {
        for (char c : text) box().txt().TypeCharacter(c);
    }

    host::ClassRegistry registry;
    host::ReferenceHost host{registry};
    std::vector<std::string> events, changes;
};

TEST_F(MaskedTextBoxTest, KeystrokeFilterPerFormat) {
    struct Case {
        int format;
        const char* mask;
        const char* typed;
        const char* want;
        std::int32_t colour;
    };
    const std::vector<Case> cases = {
        {0, "(###) ###-####", "(555) 1x23-4567", "(555) 123-4567", kValidColour},
        {0, "(###) ###-####", "(5a55", "(555", kInvalidColour},
        {0, "[A-Z]#", "bB7", "B7", kValidColour},
        {0, "", "any text!", "any text!", kValidColour},
        {1, "-##.#", "-1a2.34", "-12.3", kValidColour},
        {1, "##", "123", "12", kValidColour},
        {1, "", ".", ".", kValidColour},
        {2, "DD/MM/YYYY", "4317/12/2024", "31/12/2024", kValidColour},
        {2, "DD/MM/YYYY", "31/04/2024", "31/04/2024", kInvalidColour},
        {2, "HH:MM AMPM", "01:1x5 PM", "01:15 PM", kValidColour},
    };
    for (const Case& c : cases) {
        Setup(c.format, c.mask, "");
        Type(c.typed);
        EXPECT_EQ(box().txt().Text(), c.want) << c.mask << " " << c.typed;
        EXPECT_EQ(box().txt().ForeColor(), c.colour) << c.mask << " " << c.typed;
    }
    // Enter always passes the check; Ctrl+V (22) is swallowed in numeric format.
    Setup(1, "", "12");
    box().txt().Keystroke(host::keys::kEnter, 0, host::keys::kEnter);
    box().txt().Keystroke('V', host::keys::kCtrlMask, host::keys::kPaste);
    EXPECT_EQ(events, (std::vector<std::string>{"KeyDown", "KeyPress", "KeyUp", "KeyDown", "KeyPress", "KeyUp"}));
}

TEST_F(MaskedTextBoxTest, DeleteInEachDigitGroupOfAPhoneNumber) {
    // Where the shorter text still fits the leading tokens the deletion happens; elsewhere it
    // is swallowed.
    struct Case {
        int caret;
        int key;
        const char* want;
    };
    const std::vector<Case> cases = {
        {2, host::keys::kDelete, "(555) 123-4567"},   // area code
        {7, host::keys::kDelete, "(555) 123-4567"},   // exchange
        {11, host::keys::kDelete, "(555) 123-467"},   // line number: the rest still fits
        {13, host::keys::kDelete, "(555) 123-456"},   // the last digit
        {14, host::keys::kDelete, "(555) 123-4567"},  // at the end nothing to delete
        {14, host::keys::kBackspace, "(555) 123-456"}, {5, host::keys::kBackspace, "(555) 123-4567"},
    };
    for (const Case& c : cases) {
        Setup(0, "(###) ###-####", "(555) 123-4567");
        box().txt().SetSelStart(c.caret);
        if (c.key == host::keys::kDelete) box().txt().Keystroke(c.key, 0, 0);
        else box().txt().Keystroke(c.key, 0, c.key);
        EXPECT_EQ(box().txt().Text(), c.want) << c.caret << " " << c.key;
    }
}

TEST_F(MaskedTextBoxTest, ForeColorLastsOnlyUntilTheNextChange) {
    EXPECT_EQ(box().ForeColor(), static_cast<std::int32_t>(0x80000008u));  // designed colour until validated
    Setup(0, "###", "12");
    Put("ForeColor", Variant::FromLong(0xFF0000));
    Type("3");
    EXPECT_EQ(box().ForeColor(), kValidColour);
    Put("ForeColor", Variant::FromLong(0xFF0000));
    box().txt().Keystroke(host::keys::kBackspace, 0, host::keys::kBackspace);
    EXPECT_EQ(box().ForeColor(), kInvalidColour);
    EXPECT_EQ(events.back(), "KeyUp");
    EXPECT_EQ(std::count(events.begin(), events.end(), "Change"), 2);
}

TEST_F(MaskedTextBoxTest, InvalidEntryReactionsAndTheirEventOrder) {
    struct Case {
        std::int32_t reaction;
        const char* text_after;
        int sel_start, sel_length;
        bool focused;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {kDoNothing, "", 0, 0, false, {"Validate", "Change", "InvalidEntry"}},
        {kKeepFocus, "12", 1, 0, true, {"Validate", "pending messages", "InvalidEntry"}},
        {kFocusSelect, "12", 0, 2, true, {"Validate", "pending messages", "InvalidEntry"}},
    };
    for (const Case& c : cases) {
        Setup(0, "###", "12");
        Put("OnInvalidEntry", Variant::FromLong(c.reaction));
        box().txt().SetSelStart(1);
        box().txt().SetFocus();
        events.clear();
        box().txt().LeaveFocus();
        EXPECT_EQ(box().txt().Text(), c.text_after) << c.reaction;
        EXPECT_EQ(box().txt().SelStart(), c.sel_start) << c.reaction;
        EXPECT_EQ(box().txt().SelLength(), c.sel_length) << c.reaction;
        EXPECT_EQ(box().txt().Focused(), c.focused) << c.reaction;
        EXPECT_EQ(events, c.events) << c.reaction;
        box().txt().SetFocus();
        box().txt().SetText("");
        box().txt().LeaveFocus();
    }
    // A valid number leaves the field in its canonical form.
    Setup(1, "", "1.50");
    box().txt().SetFocus();
    box().txt().LeaveFocus();
    EXPECT_EQ(box().txt().Text(), "1.5");
}

TEST_F(MaskedTextBoxTest, TextAndValueRoundTripsPerFormat) {
    struct Case {
        int format;
        const char* mask;
        Variant put;
        const char* want_text;
        Variant want_value;
    };
    const std::vector<Case> cases = {
        {0, "[A-Z]#", Variant::FromString("B7"), "B7", Variant::FromString("B7")},
        {1, "#.#", Variant::FromString("2.26"), "2.3", Variant::FromDouble(2.3)},
        {1, "", Variant::FromString("007.50"), "7.5", Variant::FromDouble(7.5)},
        {1, "##", Variant::FromLong(0), "0", Variant::FromDouble(0)},
        {2, "DD/MM/YYYY", Variant::FromDate(DateSerial(2024, 12, 31)), "31/12/2024",
         Variant::FromDate(DateSerial(2024, 12, 31))},
        {2, "HH:MM AMPM", Variant::FromString("01:15 PM"), "01:15 PM", Variant::FromDate(TimeSerial(13, 15, 0))},
    };
    for (const Case& c : cases) {
        Setup(c.format, c.mask, "");
        Put("Value", c.put);
        EXPECT_EQ(CStr(Get("Text")), c.want_text) << c.mask;
        const Variant value = Get("Value");
        EXPECT_EQ(value.type(), c.want_value.type()) << c.mask;
        EXPECT_EQ(CStr(value), CStr(c.want_value)) << c.mask;
    }
    // Value through a mask argument.
    Setup(2, "DD/MM/YYYY", "");
    PutProperty(*host.Find("M"), "Value", Variant::FromString("2024-01-05"), {Variant::FromString("YYYY-MM-DD")});
    EXPECT_EQ(CStr(Get("Text")), "05/01/2024");
    EXPECT_EQ(CStr(Get("Value", {Variant::FromString("MMMM")})), "January");
    Setup(1, "", "2.5");
    EXPECT_EQ(CStr(Get("Value", {Variant::FromString("-#.00")})), "2.50");
}

TEST_F(MaskedTextBoxTest, PutsFailWithTheirNumbers) {
    struct Case {
        const char* name;
        int format;
        const char* mask;
        std::function<void()> put;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {"unclosed bracket", 0, "", [&] { Put("Mask", Variant::FromString("[AB")); }, 93},
        {"mask breaks text", 1, "",
         [&] {
             box().txt().SetText("123.45");
             Put("Mask", Variant::FromString("##.#"));
         },
         380},
        {"minus after first", 1, "", [&] { Put("Mask", Variant::FromString("#-#")); }, 93},
        {"date without day", 2, "", [&] { Put("Mask", Variant::FromString("MMM-YYYY")); }, 93},
        {"text refused", 0, "###", [&] { Put("Text", Variant::FromString("12a")); }, 380},
        {"value mask differs", 0, "###", [&] { Get("Value", {Variant::FromString("##")}); }, 380},
        {"numeric value of empty", 1, "", [&] { Get("Value"); }, 13},
        {"date in numeric", 1, "##", [&] { Put("Value", Variant::FromDate(DateSerial(2024, 1, 1))); }, 380},
        {"rounded to nothing", 1, ".#", [&] { Put("Text", Variant::FromString("0.01")); }, 13},
        {"appearance overflow", 0, "", [&] { Put("Appearance", Variant::FromLong(40000)); }, 6},
        {"alignment out of range", 0, "", [&] { Put("Allignment", Variant::FromLong(5)); }, 380},
        {"format out of range", 0, "", [&] { Put("InputFormat", Variant::FromLong(7)); }, 93},
    };
    for (const Case& c : cases) {
        Setup(c.format, c.mask, "");
        EXPECT_EQ(ErrorNumberOf(c.put), c.number) << c.name;
    }
    // The format outside 0..2 is stored, the mask kept, nothing notified.
    EXPECT_EQ(box().InputFormat(), 7);
    EXPECT_TRUE(changes.empty());
    Setup(0, "", "");
    Put("Allignment", Variant::FromLong(2));
    EXPECT_EQ(changes, (std::vector<std::string>{"Alignment"}));
}

TEST_F(MaskedTextBoxTest, ValuePutOfEveryVariantTypeInNumericFormat) {
    struct Case {
        Variant value;
        std::int32_t number;
        const char* text;
    };
    const std::vector<Case> cases = {
        {Variant(), 0, ""},
        {Variant::Null(), error::kTypeMismatch, ""},  // the runtime converts Null to nothing
        {Variant::FromBoolean(true), error::kInvalidPropertyValue, ""},
        {Variant::FromByte(7), 0, "7"},
        {Variant::FromInteger(-3), error::kInvalidPropertyValue, ""},
        {Variant::FromLong(12), 0, "12"},
        {Variant::FromSingle(1.25f), 0, "1.3"},
        {Variant::FromDouble(123), error::kInvalidPropertyValue, ""},
        {Variant::FromDate(DateSerial(2024, 1, 1)), error::kInvalidPropertyValue, ""},
        {Variant::FromString("4.5"), 0, "4.5"},
        {Variant::FromObject(nullptr), error::kTypeMismatch, ""},
    };
    for (const Case& c : cases) {
        Setup(1, "##.#", "");
        EXPECT_EQ(ErrorNumberOf([&] { Put("Value", c.value); }), c.number) << VarTypeName(c.value.type());
        EXPECT_EQ(box().txt().Text(), c.text) << VarTypeName(c.value.type());
    }
}

// In text and date formats a Value put ends in the Text put of the value's text, unless the
// value is a date for a date mask (formatted with the mask) or a vstrMask is given for a date
// (its text parsed with vstrMask; what does not parse is the zero date, which the mask refuses).
TEST_F(MaskedTextBoxTest, ValuePutOfEveryVariantTypeInTextAndDateFormats) {
    struct Case {
        int format;
        const char* mask;
        const char* value_mask;
        Variant value;
        std::int32_t number;
        const char* text;
    };
    const Variant new_year = Variant::FromDate(DateSerial(2024, 1, 1));
    const std::vector<Case> cases = {
        {0, "", "", Variant(), 0, ""},
        {0, "", "", Variant::Null(), error::kTypeMismatch, ""},
        {0, "", "", Variant::FromBoolean(true), 0, "True"},
        {0, "", "", Variant::FromByte(7), 0, "7"},
        {0, "", "", Variant::FromInteger(-3), 0, "-3"},
        {0, "", "", Variant::FromSingle(1.25f), 0, "1.25"},
        {0, "", "", Variant::FromDouble(123), 0, "123"},
        {0, "", "", Variant::FromObject(nullptr), error::kTypeMismatch, ""},
        {0, "[A-Z]#", "", Variant::FromString("B7"), 0, "B7"},
        {0, "[A-Z]#", "", Variant::FromLong(12), error::kInvalidPropertyValue, ""},
        {0, "[A-Z]#", "", Variant::FromBoolean(false), error::kInvalidPropertyValue, ""},
        {0, "[A-Z]#", "#", Variant::FromString("B7"), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "", Variant(), 0, ""},
        {2, "DD/MM/YYYY", "", Variant::Null(), error::kTypeMismatch, ""},
        {2, "DD/MM/YYYY", "", Variant::FromBoolean(true), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "", Variant::FromByte(7), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "", Variant::FromLong(12), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "", Variant::FromDouble(45292), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "", new_year, 0, "01/01/2024"},
        {2, "DD/MM/YYYY", "", Variant::FromString("05/01/2024"), 0, "05/01/2024"},
        {2, "DD/MM/YYYY", "", Variant::FromString("2024-01-05"), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "", Variant::FromObject(nullptr), error::kTypeMismatch, ""},
        {2, "DD/MM/YYYY", "YYYY-MM-DD", Variant::FromString("2024-01-05"), 0, "05/01/2024"},
        {2, "DD/MM/YYYY", "YYYY-MM-DD", Variant::FromString("junk"), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "YYYY-MM-DD", Variant::FromLong(12), error::kInvalidPropertyValue, ""},
        {2, "DD/MM/YYYY", "YYYY-MM-DD", new_year, 0, "01/01/2024"},
    };
    for (const Case& c : cases) {
        Setup(c.format, c.mask, "");
        const std::string label = std::string(c.mask) + " / " + c.value_mask + " / " + VarTypeName(c.value.type());
        EXPECT_EQ(
            ErrorNumberOf([&] { PutProperty(*host.Find("M"), "Value", c.value, {Variant::FromString(c.value_mask)}); }),
            c.number)
            << label;
        EXPECT_EQ(box().txt().Text(), c.text) << label;
    }
}

// Long masks, control characters and bytes above 127: the puts take them or fail with their
// number, and the text box keeps every byte (a character above 127 is one character, compared
// by its unsigned code).
TEST_F(MaskedTextBoxTest, LongMasksAndUnusualCharacters) {
    struct Case {
        const char* name;
        int format;
        std::string mask;
        std::int32_t mask_error;
        std::string text;
        std::int32_t text_error;
    };
    const std::string long_date = "DD/MM/YYYY" + std::string(9990, ' ');
    const std::vector<Case> cases = {
        {"10,000 pattern digits", 0, std::string(10000, '#'), 0, std::string(10000, '7'), 0},
        {"10,000 pattern digits, one short", 0, std::string(10000, '#'), 0, std::string(9999, '7'), 380},
        {"unclosed bracket after 9,999 letters", 0, std::string(9999, 'a') + "[", 93, "", 0},
        {"10,000 numeric places", 1, std::string(10000, '#'), 0, "123", 0},
        {"10,000 numeric places, two points", 1, std::string(5000, '#') + ".." + std::string(4998, '#'), 93, "", 0},
        {"10,000-character date layout", 2, long_date, 0, "31/12/2024" + std::string(9990, ' '), 0},
        {"10,000 date literals form no date", 2, std::string(10000, '-'), 93, "", 0},
        {"range up to byte 255", 0, "[A-\xFF]", 0, "\xE9", 0},
        {"excluded high bytes", 0, "[!\x80-\xFF]#", 0,
         "\xE9"
         "7",
         380},
        {"control characters are characters", 0, "?\t?", 0, std::string("\x01\t\x7F"), 0},
        {"NUL is no digit", 0, "###", 0,
         std::string("1\0"
                     "2",
                     3),
         380},
        {"tab in a number", 1, "", 0, "1\t2", 380},
        {"high byte for a separator", 2, "DD/MM/YYYY", 0,
         "31\xB7"
         "12\xB7"
         "2024",
         380},
    };
    for (const Case& c : cases) {
        Setup(c.format, "", "");
        EXPECT_EQ(ErrorNumberOf([&] { Put("Mask", Variant::FromString(c.mask)); }), c.mask_error) << c.name;
        EXPECT_EQ(box().Mask(), c.mask_error ? "" : c.mask) << c.name;
        if (c.mask_error) continue;
        EXPECT_EQ(ErrorNumberOf([&] { Put("Text", Variant::FromString(c.text)); }), c.text_error) << c.name;
        EXPECT_EQ(CStr(Get("Text")), c.text_error ? "" : c.text) << c.name;
    }

    // Typed bytes above 127 reach KeyPress as their code and are judged like any character;
    // a typed control character under a digit mask is swallowed.
    std::vector<std::string> codes;
    host.SetListener({.on_event = [&](const std::string&, const std::string& e, const std::vector<Variant>& args) {
        if (e == "KeyPress") codes.push_back(CStr(args[0]));
    }});
    Setup(0, "[\xC0-\xFF]#", "");
    Type(
        "\xE9\x01"
        "5");
    EXPECT_EQ(box().txt().Text(),
              "\xE9"
              "5");
    EXPECT_EQ(box().txt().ForeColor(), kValidColour);
    EXPECT_EQ(codes, (std::vector<std::string>{"233", "0", "53"}));
}

// SelStart and SelLength past the text clamp to it, as the box does for a dragged selection;
// a negative MaxLength or selection is refused with 380 and changes nothing.
TEST_F(MaskedTextBoxTest, SelectionAndMaxLengthOutOfRange) {
    Setup(0, "", "abc");
    Put("SelStart", Variant::FromLong(99));
    EXPECT_EQ(CLng(Get("SelStart")), 3);
    Put("SelLength", Variant::FromLong(99));
    EXPECT_EQ(CLng(Get("SelLength")), 0);
    Put("SelStart", Variant::FromLong(1));
    Put("SelLength", Variant::FromLong(99));
    EXPECT_EQ(CLng(Get("SelLength")), 2);
    for (const char* name : {"MaxLength", "SelStart", "SelLength"})
        EXPECT_EQ(ErrorNumberOf([&] { Put(name, Variant::FromLong(-1)); }), error::kInvalidPropertyValue) << name;
    EXPECT_EQ(CLng(Get("MaxLength")), 0);
    EXPECT_EQ(CLng(Get("SelStart")), 1);
    EXPECT_EQ(CLng(Get("SelLength")), 2);
}

TEST_F(MaskedTextBoxTest, InputFormatPutEmptiesWhatNoLongerFits) {
    Setup(0, "", "abc");
    Put("InputFormat", Variant::FromLong(1));
    EXPECT_EQ(box().txt().Text(), "");
    EXPECT_EQ(changes, (std::vector<std::string>{"Text", "InputFormat"}));
    Setup(0, "###", "123");
    Put("InputFormat", Variant::FromLong(2));  // '###' is no date layout: the mask goes
    EXPECT_EQ(box().Mask(), "");
    EXPECT_EQ(changes, (std::vector<std::string>{"Mask", "InputFormat"}));
}

TEST_F(MaskedTextBoxTest, BagRoundTripOfAnInvalidText) {
    host::PropertyBag bag;
    bag.Set("Mask", Variant::FromString("###"));
    bag.Set("Text", Variant::FromString("12a"));
    bag.Set("Allignment", Variant::FromInteger(1));
    bag.Set("MaxLength", Variant::FromLong(-4));  // refused by the text box, reported, skipped
    bag.Set("SelStart", Variant::FromLong(50));   // read before "Text": clamped to the empty text
    host.Load("N", "OVMaskedTextBox", bag);
    EXPECT_EQ(host.lifecycle_errors(), (std::vector<std::string>{"N.ReadProperties.MaxLength: 380"}));
    auto& loaded = dynamic_cast<OVMaskedTextBox&>(*host.FindControl("N"));
    EXPECT_EQ(loaded.txt().ForeColor(), kInvalidColour);
    EXPECT_EQ(CStr(GetProperty(*host.Find("N"), "Text")), "");
    EXPECT_EQ(loaded.txt().Alignment(), host::TextBox::kRight);
    EXPECT_EQ(loaded.txt().SelStart(), 0);
    const host::PropertyBag saved = host.Save("N");
    EXPECT_EQ(CStr(saved.ReadProperty("Text")), "12a");
    EXPECT_EQ(CStr(saved.ReadProperty("Mask")), "###");
    EXPECT_EQ(CLng(saved.ReadProperty("ForeColor")), kInvalidColour);
    std::vector<std::string> keys;
    for (const auto& [key, value] : saved.entries()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"ForeColor", "Mask", "Text", "Allignment"}));
}

TEST_F(MaskedTextBoxTest, ResizeRaisesOneResizeAndTakesTheTextBoxHeight) {
    host.Resize("M", 2000, 900);
    EXPECT_EQ(box().Height(), 315);  // one line of the font
    EXPECT_EQ(box().Width(), 2000);
    EXPECT_EQ(std::count(events.begin(), events.end(), "Resize"), 1);
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    host.Compose();
    Put("FontSize", Variant::FromSingle(20));
    host.Compose();
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

TEST_F(MaskedTextBoxTest, EveryKeyThatEditsGoesThroughTheMask) {
    constexpr std::int16_t S = host::keys::kShiftMask, C = host::keys::kCtrlMask;
    constexpr std::int16_t kInsert = host::keys::kInsert, kDelete = host::keys::kDelete;
    struct Case {
        const char* name;
        int format;
        const char* mask;
        const char* text;
        int start, length;
        const char* clipboard;
        std::int16_t code, shift, ascii;
        const char* want_text;
        int want_length;  // the selection afterwards
        const char* want_clipboard;
    };
    const std::vector<Case> cases = {
        {"Shift+Insert pastes what fits", 0, "#####", "123", 3, 0, "45", kInsert, S, 0, "12345", 0, "45"},
        {"Shift+Insert of what does not fit", 0, "#####", "123", 3, 0, "4x", kInsert, S, 0, "123", 0, "4x"},
        {"only the first line is pasted and judged", 0, "#####", "123", 3, 0, "4\r\nx", kInsert, S, 0, "1234", 0,
         "4\r\nx"},
        {"Ctrl+V judged by its character, then by the paste", 0, "A?B", "A", 1, 0, "xyz", 'V', C, host::keys::kPaste,
         "A", 0, "xyz"},
        {"Ctrl+V whose paste fits", 0, "A?B", "A", 1, 0, "x", 'V', C, host::keys::kPaste, "Ax", 0, "x"},
        {"Ctrl+V of nothing", 0, "", "abc", 0, 2, "", 'V', C, host::keys::kPaste, "abc", 2, ""},
        {"Ctrl+V is a character no number holds", 1, "", "12", 2, 0, "3", 'V', C, host::keys::kPaste, "12", 0, "3"},
        {"Shift+Insert in a number", 1, "", "12", 2, 0, "3", kInsert, S, 0, "123", 0, "3"},
        {"Shift+Insert of no number", 1, "", "12", 2, 0, "x", kInsert, S, 0, "12", 0, "x"},
        {"Shift+Delete cuts what may go", 0, "##-##", "12-34", 3, 2, "", kDelete, S, 0, "12-", 0, "34"},
        {"Shift+Delete of what must stay", 0, "(###) ###-####", "(555) 123-4567", 1, 3, "", kDelete, S, 0,
         "(555) 123-4567", 3, ""},
        {"Ctrl+X is judged as its character", 0, "##-##", "12-34", 3, 2, "", 'X', C, host::keys::kCut, "12-34", 2, ""},
        {"Ctrl+X cuts with an empty mask", 0, "", "12345", 0, 2, "", 'X', C, host::keys::kCut, "345", 0, "12"},
        {"Ctrl+Insert copies a number", 1, "", "12.5", 0, 4, "", kInsert, C, 0, "12.5", 4, "12.5"},
        {"Ctrl+A selects a number", 1, "", "12.5", 1, 0, "", 'A', C, 1, "12.5", 4, ""},
        {"a date pasted whole", 2, "DD/MM/YYYY", "", 0, 0, "31/12/2024", kInsert, S, 0, "31/12/2024", 0, "31/12/2024"},
        {"a date pasted wrong", 2, "DD/MM/YYYY", "", 0, 0, "32/12/2024", kInsert, S, 0, "", 0, "32/12/2024"},
    };
    for (const Case& c : cases) {
        Setup(c.format, c.mask, c.text);
        box().txt().DragSelect(c.start, c.length);
        *host.ClipboardText() = c.clipboard;
        box().txt().Keystroke(c.code, c.shift, c.ascii);
        EXPECT_EQ(box().txt().Text(), c.want_text) << c.name;
        EXPECT_EQ(box().txt().SelLength(), c.want_length) << c.name;
        EXPECT_EQ(*host.ClipboardText(), c.want_clipboard) << c.name;
    }
}

TEST_F(MaskedTextBoxTest, FontAndBorderPutsKeepTheControlAsHighAsItsBox) {
    const auto twips_of_box = [&] { return box().ScaleY(box().txt().Height(), box().ScaleMode(), kScaleTwips); };
    struct Case {
        const char* property;
        Variant value;
    };
    const std::vector<Case> cases = {
        {"FontSize", Variant::FromSingle(24)},
        {"BorderStyle", Variant::FromInteger(0)},
        {"FontName", Variant::FromString("Courier New")},
        {"BorderStyle", Variant::FromInteger(1)},
        {"FontBold", Variant::FromBoolean(true)},
        {"Appearance", Variant::FromInteger(0)},
        {"FontSize", Variant::FromSingle(8)},
    };
    for (const Case& c : cases) {
        const double before = box().Height();
        events.clear();
        Put(c.property, c.value);
        EXPECT_EQ(box().Height(), twips_of_box()) << c.property;
        EXPECT_EQ(std::count(events.begin(), events.end(), "Resize"), box().Height() != before ? 1 : 0) << c.property;
        // Saved and loaded again, the box has the same extent.
        host.Load("N", "OVMaskedTextBox", host.Save("M"), {.width = box().Width(), .height = before});
        EXPECT_EQ(host.FindControl("N")->Height(), box().Height()) << c.property;
        host.Terminate("N");
    }
    // A font object put the same way.
    auto font = host::MakeFontObject(host::FontAttributes{.name = "Arial", .size = 30});
    Put("Font", Variant::FromObject(font));
    EXPECT_EQ(box().Height(), twips_of_box());
    EXPECT_GT(box().Height(), 600);
}

TEST_F(MaskedTextBoxTest, MonthNamesComeFromTheLocaleAtEveryMatch) {
    DateLocale french = EnglishLocale();
    french.month_names = {"janvier",
                          "f\xE9vrier",
                          "mars",
                          "avril",
                          "mai",
                          "juin",
                          "juillet",
                          "ao\xFBt",
                          "septembre",
                          "octobre",
                          "novembre",
                          "d\xE9"
                          "cembre"};
    french.month_abbreviations = {"janv.",
                                  "f\xE9vr.",
                                  "mars",
                                  "avr.",
                                  "mai",
                                  "juin",
                                  "juil.",
                                  "ao\xFBt",
                                  "sept.",
                                  "oct.",
                                  "nov.",
                                  "d\xE9"
                                  "c."};
    struct Case {
        bool french;
        const char* text;
        bool valid;
        double date;
    };
    const std::vector<Case> cases = {
        {false, "01 DECEMBER 2024", true, DateSerial(2024, 12, 1)},
        {true,
         "01 d\xE9"
         "cembre 2024",
         true, DateSerial(2024, 12, 1)},
        {true,
         "01 D\xC9"
         "CEMBRE 2024",
         true, DateSerial(2024, 12, 1)},  // the accented capital matches
        {true, "15 f\xC9vrier 2024", true, DateSerial(2024, 2, 15)},
        {true, "01 december 2024", false, 0},  // the English name is gone at once
        {false,
         "01 d\xE9"
         "cembre 2024",
         false, 0},  // and back again
        {false, "01 december 2024", true, DateSerial(2024, 12, 1)},
    };
    Setup(2, "DD MMMM YYYY", "");
    for (const Case& c : cases) {
        SetDateLocale(c.french ? std::optional<DateLocale>(french) : std::nullopt);
        box().txt().SetText(c.text);
        EXPECT_EQ(box().txt().ForeColor(), c.valid ? kValidColour : kInvalidColour) << c.text;
        if (c.valid) {
            EXPECT_EQ(box().stored_date(), c.date) << c.text;
        }
    }
    SetDateLocale(std::nullopt);
}

// The composed form shows the box in its back colour with the text in the validity colour.
TEST_F(MaskedTextBoxTest, ComposedBoxShowsTheValidityColour) {
    Setup(0, "###", "");
    Put("BackColor", Variant::FromLong(0x00FF00));
    const int width = host.FindControl("M")->PixelWidth(), height = host.FindControl("M")->PixelHeight();
    const auto count = [&](gdi::COLORREF colour) {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += host.PixelAt("M", x, y) == colour;
        return n;
    };
    // The frame's dark lines are black too: valid text adds black pixels to those.
    box().txt().SetText("12a");
    EXPECT_EQ(host.PixelAt("M", width - 6, height / 2), 0x00FF00u);
    EXPECT_GT(count(kInvalidColour), 0);
    const int frame_black = count(kValidColour);
    box().txt().SetText("123");
    EXPECT_EQ(count(kInvalidColour), 0);
    EXPECT_GT(count(kValidColour), frame_black);
}

}  // namespace
}  // namespace ov::maskedit
