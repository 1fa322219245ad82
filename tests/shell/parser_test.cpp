#include <gtest/gtest.h>

#include <algorithm>

#include "support/error_number.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dates.h"
#include "shell/evaluator.h"
#include "shell/parser.h"

namespace ov::shell {
namespace {

// Literals need no objects; a name that reaches this context is a test failure.
class NoObjects : public ValueContext {
public:
    Variant ObjectNamed(const std::string& name) override { throw AutomationError(424); }
    Variant LoadPicture(const std::string& path) override { throw AutomationError(53); }
    Variant MakeFont(const FontDesc& attributes) override {
        last_font = attributes;
        return Variant::FromString("font");
    }
    FontDesc last_font;
};

Variant Eval(std::string_view text) {
    NoObjects context;
    return Evaluate(ParseValue(text), context);
}

int SyntaxErrorLine(std::string_view text, int line) {
    try {
        ParseStatement(text, line);
    } catch (const SyntaxError& error) {
        return error.line();
    }
    return -1;
}

// Every literal and function the value language knows, with the exact type it yields:
// integers take the smallest type that holds them, hex is 32-bit two's complement, keywords
// are case-insensitive, conversions round halves to even.
TEST(ShellLiterals, ValuesCarryTheirExactType) {
    const std::pair<const char*, Variant> rows[] = {
        {"-5", Variant::FromInteger(-5)},
        {"32767", Variant::FromInteger(32767)},
        {"-32768", Variant::FromInteger(-32768)},
        {"32768", Variant::FromLong(32768)},
        {"40000", Variant::FromLong(40000)},
        {"-2147483648", Variant::FromLong(INT32_MIN)},
        {"2147483648", Variant::FromDouble(2147483648.0)},
        {"5&", Variant::FromLong(5)},
        {"2.5", Variant::FromDouble(2.5)},
        {"1e3", Variant::FromDouble(1000)},
        {"-0.25", Variant::FromDouble(-0.25)},
        {".5", Variant::FromDouble(0.5)},
        {"2E-2", Variant::FromDouble(0.02)},
        {"&HFF", Variant::FromInteger(255)},
        {"&hff", Variant::FromInteger(255)},
        {"&H8000000F", Variant::FromLong(-2147483633)},
        {"&H8000000F&", Variant::FromLong(-2147483633)},
        {"&HFFFF", Variant::FromLong(65535)},
        {"&HFFFFFFFF", Variant::FromInteger(-1)},
        {"&HFF&", Variant::FromLong(255)},
        {R"("a\"b\\c")", Variant::FromString("a\"b\\c")},
        {R"("\0\t\n\r")", Variant::FromString(std::string("\0\t\n\r", 4))},
        {R"("\x41\x7f\xFF")", Variant::FromString("A\x7f\xff")},
        {R"("")", Variant::FromString("")},
        {R"("#not a date#")", Variant::FromString("#not a date#")},
        {"True", Variant::FromBoolean(true)},
        {"false", Variant::FromBoolean(false)},
        {"Nothing", Variant::FromObject(nullptr)},
        {"EMPTY", Variant()},
        {"Null", Variant::Null()},
        {"#2024-12-31#", Variant::FromDate(*DateFromParts(2024, 12, 31))},
        {"#2024-12-31 13:15:00#", Variant::FromDate(*DateFromParts(2024, 12, 31, 13, 15, 0))},
        {"#1899-12-30#", Variant::FromDate(0)},
        {"RGB(255, 128, 1)", Variant::FromLong(0x0180FF)},
        {"rgb(300,0,0)", Variant::FromLong(255)},
        {"CInt(2.5)", Variant::FromInteger(2)},
        {"CInt(3.5)", Variant::FromInteger(4)},
        {"CLng(7)", Variant::FromLong(7)},
        {"CSng(2.5)", Variant::FromSingle(2.5f)},
        {"CDbl(1)", Variant::FromDouble(1)},
        {"CStr(True)", Variant::FromString("True")},
        {"CBool(-1)", Variant::FromBoolean(true)},
        {"CDate(CInt(1))", Variant::FromDate(1)},
        {"CLng(RGB(0, 0, 255))", Variant::FromLong(0xFF0000)},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(Eval(text), expected) << text;
}

TEST(ShellLiterals, MalformedValuesAreSyntaxErrors) {
    for (const char* text : {"&H123456789", "&H", "&HFG", R"("\q")", R"("\x4")", R"("open)", "#2024-02-30#",
                             "#2024-12-31", "#12/31/2024#", "RGB(1, 2)", "CInt()", "Frobnicate(1)"})
        EXPECT_THROW(ParseValue(text), SyntaxError) << text;
}

// Conversions fail when the statement runs, not when it is parsed.
TEST(ShellLiterals, ConversionsFailAtRunTimeWithTheirNumbers) {
    const std::pair<const char*, std::int32_t> rows[] = {
        {"CInt(40000)", 6}, {"CLng(\"abc\")", 13}, {"RGB(-1, 0, 0)", 5}};
    for (auto [text, number] : rows) {
        const ValueExpr parsed = ParseValue(text);
        NoObjects context;
        EXPECT_EQ(testing_support::ErrorNumberOf([&] { Evaluate(parsed, context); }), number) << text;
    }
}

TEST(ShellLiterals, FontTakesKeywordsOrPositionalFlags) {
    NoObjects context;
    Evaluate(ParseValue(R"(Font("Arial", 10, Bold, Underline))"), context);
    EXPECT_EQ(context.last_font.name, "Arial");
    EXPECT_EQ(context.last_font.size, 10);
    EXPECT_TRUE(context.last_font.bold);
    EXPECT_FALSE(context.last_font.italic);
    EXPECT_TRUE(context.last_font.underline);
    EXPECT_FALSE(context.last_font.strikethrough);

    Evaluate(ParseValue(R"(Font("Tahoma", 8.25, False, True, False, True))"), context);
    EXPECT_EQ(context.last_font.size, 8.25);
    EXPECT_FALSE(context.last_font.bold);
    EXPECT_TRUE(context.last_font.italic);
    EXPECT_FALSE(context.last_font.underline);
    EXPECT_TRUE(context.last_font.strikethrough);

    Evaluate(ParseValue(R"(Font("Tahoma", 9))"), context);
    EXPECT_FALSE(context.last_font.bold || context.last_font.italic || context.last_font.underline ||
                 context.last_font.strikethrough);
    EXPECT_THROW(ParseValue(R"(Font("Tahoma"))"), SyntaxError);
}

TEST(ShellLiterals, ObjectNamesResolveAtRunTime) {
    const ValueExpr name = ParseValue("Grad1");
    EXPECT_EQ(name.kind, ValueExpr::Kind::ObjectName);
    EXPECT_EQ(name.name, "Grad1");
    EXPECT_THROW(ParseValue("5abc"), SyntaxError);
    EXPECT_THROW(ParseValue("1.2.3"), SyntaxError);
}

TEST(ShellStatements, BlankAndCommentLinesAreSkipped) {
    EXPECT_FALSE(ParseStatement("", 1));
    EXPECT_FALSE(ParseStatement("   \t", 1));
    EXPECT_FALSE(ParseStatement("# new L OV3DLine", 1));
    EXPECT_FALSE(ParseStatement("   # indented comment", 1));
    EXPECT_FALSE(ParseStatement("\r", 1));
}

TEST(ShellStatements, NewWithContainerAndPlacement) {
    auto statement = ParseStatement("new L OV3DLine in P at 120 -60 2000 40", 1);
    ASSERT_TRUE(statement);
    const auto& create = std::get<NewStmt>(*statement);
    EXPECT_EQ(create.name, "L");
    EXPECT_EQ(create.class_name, "OV3DLine");
    EXPECT_EQ(create.placement.container, "P");
    ASSERT_TRUE(create.placement.position);
    EXPECT_EQ(create.placement.position->first.literal, Variant::FromInteger(120));
    EXPECT_EQ(create.placement.position->second.literal, Variant::FromInteger(-60));
    ASSERT_TRUE(create.placement.extent);
    EXPECT_EQ(create.placement.extent->first.literal, Variant::FromInteger(2000));

    const auto bare = std::get<NewStmt>(*ParseStatement("NEW G OrvelleControls.clsGradient", 2));
    EXPECT_EQ(bare.class_name, "OrvelleControls.clsGradient");
    EXPECT_FALSE(bare.placement.container || bare.placement.position || bare.placement.extent);

    const auto at_only = std::get<NewStmt>(*ParseStatement("new B Box at 10 20", 3));
    EXPECT_TRUE(at_only.placement.position && !at_only.placement.extent);
}

TEST(ShellStatements, LoadSaveAndBagFiles) {
    const auto load = std::get<LoadStmt>(*ParseStatement("load L2 OV3DLine /tmp/l.json in P at 0 0", 1));
    EXPECT_EQ(load.bag_file, "/tmp/l.json");
    EXPECT_EQ(load.placement.container, "P");
    // The bare file name ends at the first blank; the rest must be a placement.
    EXPECT_EQ(SyntaxErrorLine("load L2 OV3DLine /tmp/x y/l.json", 4), 4);
    const auto quoted = std::get<LoadStmt>(*ParseStatement(R"(load L2 OV3DLine "a b.json")", 1));
    EXPECT_EQ(quoted.bag_file, "a b.json");
    const auto save = std::get<SaveStmt>(*ParseStatement("save L out/l.json", 1));
    EXPECT_EQ(save.name, "L");
    EXPECT_EQ(save.bag_file, "out/l.json");
    EXPECT_EQ(std::get<BagStmt>(*ParseStatement("bag L", 1)).name, "L");
}

TEST(ShellStatements, MemberPutCallAndPrint) {
    const auto put = std::get<PutStmt>(*ParseStatement("L.Orientation = 1", 1));
    EXPECT_EQ(put.object.name, "L");
    EXPECT_FALSE(put.by_reference);
    EXPECT_EQ(put.member, "Orientation");
    EXPECT_TRUE(put.args.empty());
    EXPECT_EQ(put.value.literal, Variant::FromInteger(1));

    const auto indexed = std::get<PutStmt>(*ParseStatement("T.TabCaption(2, ) = \"x\"", 1));
    ASSERT_EQ(indexed.args.size(), 2u);
    EXPECT_EQ(indexed.args[1].kind, ValueExpr::Kind::MissingArg);

    const auto form = std::get<PutStmt>(*ParseStatement("form.ScaleMode = 3", 1));
    EXPECT_EQ(form.object.name, "form");

    const auto call = std::get<CallStmt>(*ParseStatement("G.Draw S", 1));
    ASSERT_EQ(call.args.size(), 1u);
    EXPECT_EQ(call.args[0].kind, ValueExpr::Kind::ObjectName);
    EXPECT_EQ(std::get<CallStmt>(*ParseStatement("G.Draw(S)", 1)).args.size(), 1u);
    EXPECT_EQ(std::get<CallStmt>(*ParseStatement("L.Refresh", 1)).args.size(), 0u);
    EXPECT_EQ(std::get<CallStmt>(*ParseStatement("L.Move 1, 2, 3, 4", 1)).args.size(), 4u);
    EXPECT_EQ(SyntaxErrorLine("L.Move 1 2", 9), 9);

    const auto print = std::get<PrintStmt>(*ParseStatement("? L.Orientation", 1));
    ASSERT_EQ(print.value.kind, ValueExpr::Kind::Member);
    EXPECT_EQ(print.value.args[0].name, "L");
    ASSERT_EQ(print.value.path.size(), 1u);
    EXPECT_EQ(print.value.path[0].name, "Orientation");
    const auto print_args = std::get<PrintStmt>(*ParseStatement("?G.Draw(S)", 1));
    ASSERT_EQ(print_args.value.path.size(), 1u);
    EXPECT_EQ(print_args.value.path[0].args.size(), 1u);
    const auto print_value = std::get<PrintStmt>(*ParseStatement("? &H8000000F", 1));
    EXPECT_EQ(print_value.value.literal, Variant::FromLong(-2147483633));
}

// Member paths: every member but the last is read from what the path gives so far; the last
// is put, called or (in a value) read too.
TEST(ShellStatements, NestedMemberPaths) {
    const struct {
        const char* line;
        std::vector<std::string> read;  // the members read before the statement's own
        std::string member;             // the member put or called ("" for a print)
    } cases[] = {
        {"M.Font.Bold = True", {"Font"}, "Bold"},
        {"Set M.Font.Name = \"Arial\"", {"Font"}, "Name"},
        {"T.Tabs(2).Font.Size = 9", {"Tabs", "Font"}, "Size"},
        {"P.Picture.Render 1, 2", {"Picture"}, "Render"},
        {"? P.Picture.Type", {"Picture", "Type"}, ""},
        {"? LoadPicture(\"a.ico\").Width", {"Width"}, ""},
    };
    for (const auto& c : cases) {
        const Statement statement = *ParseStatement(c.line, 1);
        const ValueExpr* path = nullptr;
        std::string member;
        if (const auto* put = std::get_if<PutStmt>(&statement)) path = &put->object, member = put->member;
        if (const auto* call = std::get_if<CallStmt>(&statement)) path = &call->object, member = call->member;
        if (const auto* print = std::get_if<PrintStmt>(&statement)) path = &print->value;
        ASSERT_NE(path, nullptr) << c.line;
        ASSERT_EQ(path->kind, ValueExpr::Kind::Member) << c.line;
        std::vector<std::string> read;
        for (const MemberSegment& segment : path->path) read.push_back(segment.name);
        EXPECT_EQ(read, c.read) << c.line;
        EXPECT_EQ(member, c.member) << c.line;
    }
    EXPECT_TRUE(std::get<PutStmt>(*ParseStatement("Set P.Picture = Q.Picture", 1)).by_reference);
    EXPECT_EQ(std::get<PutStmt>(*ParseStatement("T.Tabs(2).Font.Size = 9", 1)).object.path[0].args.size(), 1u);
    const auto set = std::get<SetStmt>(*ParseStatement("Set F = M.Font", 1));
    EXPECT_EQ(set.name, "F");
    EXPECT_EQ(set.value.kind, ValueExpr::Kind::Member);
    // A value followed by a member in argument position, and a path of any length, which stays
    // flat however long it is.
    EXPECT_EQ(std::get<CallStmt>(*ParseStatement("G.Draw P.Area", 1)).args[0].kind, ValueExpr::Kind::Member);
    std::string long_path = "? A";
    for (int i = 0; i < 10000; ++i) long_path += ".B";
    EXPECT_EQ(std::get<PrintStmt>(*ParseStatement(long_path, 1)).value.path.size(), 10000u);
    for (const char* bad : {"M.Font. = 1", "M.Font.Bold.", "Set F M.Font", "Set M.Font.Bold", "? M.Font..Bold"})
        EXPECT_EQ(SyntaxErrorLine(bad, 4), 4) << bad;
}

TEST(ShellStatements, HostSyscolorFireOnAndTheRest) {
    const auto host = std::get<HostStmt>(*ParseStatement(
        R"(host usermode=False TwipsPerPixelX = 15 FontName="MS Sans Serif" Now=#2024-01-02 03:04:05#)", 1));
    ASSERT_EQ(host.settings.size(), 4u);
    EXPECT_EQ(host.settings[0].first, "UserMode");  // canonical spelling
    EXPECT_EQ(host.settings[2].second.literal, Variant::FromString("MS Sans Serif"));
    EXPECT_EQ(SyntaxErrorLine("host Colour=1", 3), 3);
    EXPECT_EQ(SyntaxErrorLine("host", 3), 3);

    const auto syscolor = std::get<SysColorStmt>(*ParseStatement("syscolor 15 = RGB(1, 2, 3)", 1));
    EXPECT_EQ(syscolor.index.literal, Variant::FromInteger(15));

    const auto fire = std::get<FireStmt>(*ParseStatement("fire H lblHot(2) MouseDown 1, 0, 150 300", 1));
    EXPECT_EQ(fire.target.name, "lblHot");
    EXPECT_EQ(fire.target.index, 2);
    EXPECT_EQ(fire.target.Text(), "lblHot(2)");
    EXPECT_EQ(fire.event, "MouseDown");
    EXPECT_EQ(fire.args.size(), 4u);
    const auto fire_surface = std::get<FireStmt>(*ParseStatement("fire P surface Click", 1));
    EXPECT_EQ(fire_surface.target.name, "surface");
    EXPECT_TRUE(fire_surface.args.empty());

    const auto on = std::get<OnStmt>(*ParseStatement("on M.Validate Cancel = True", 1));
    EXPECT_EQ(on.name, "M");
    EXPECT_EQ(on.event, "Validate");
    EXPECT_EQ(on.arg_name, "Cancel");

    EXPECT_EQ(std::get<WaitStmt>(*ParseStatement("wait 3000", 1)).milliseconds.literal, Variant::FromInteger(3000));
    EXPECT_EQ(std::get<InspectStmt>(*ParseStatement("inspect L Line1", 1)).target.Text(), "Line1");
    EXPECT_EQ(std::get<SnapStmt>(*ParseStatement("snap form out.png", 1)).name, "form");
    const auto pixel = std::get<PixelStmt>(*ParseStatement("pixel L 0 1", 1));
    EXPECT_EQ(pixel.y.literal, Variant::FromInteger(1));
    EXPECT_EQ(std::get<ResizeStmt>(*ParseStatement("resize L 3000 600", 1)).name, "L");
    EXPECT_EQ(std::get<LifecycleStmt>(*ParseStatement("terminate L", 1)).action, LifecycleStmt::Action::Terminate);
    // A keyword followed by a dot is an object of that name.
    EXPECT_EQ(std::get<PutStmt>(*ParseStatement("show.Caption = 1", 1)).object.name, "show");
}

TEST(ShellStatements, TextInputStatements) {
    // Keys as a US keyboard sends them: virtual key code, Shift argument, KeyPress code.
    struct Key {
        const char* chord;
        std::int16_t code, shift, ascii;
    };
    const Key keys[] = {
        {"shift+right", 39, 1, 0},
        {"Ctrl+Left", 37, 2, 0},
        {"Shift+Ctrl+Right", 39, 3, 0},
        {"Ctrl+Shift+Home", 36, 3, 0},
        {"Up", 38, 0, 0},
        {"Down", 40, 0, 0},
        {"Insert", 45, 0, 0},
        {"Ctrl+Insert", 45, 2, 0},
        {"Shift+Insert", 45, 1, 0},
        {"Shift+Delete", 46, 1, 0},
        {"Backspace", 8, 0, 8},
        {"Enter", 13, 0, 13},
        {"Tab", 9, 0, 9},
        {"Escape", 27, 0, 27},
        {"End", 35, 0, 0},
        {"a", 65, 0, 'a'},
        {"A", 65, 0, 'a'},
        {"Shift+a", 65, 1, 'A'},
        {"Ctrl+A", 65, 2, 1},
        {"Ctrl+V", 86, 2, 22},
        {"ctrl+shift+z", 90, 3, 26},
        {"7", 55, 0, '7'},
        {"Shift+7", 55, 1, '&'},
        {"Ctrl+7", 55, 2, 0},
    };
    for (const Key& k : keys) {
        const auto key = std::get<TextInputStmt>(*ParseStatement(std::string("key M ") + k.chord, 1));
        EXPECT_EQ(key.action, TextInputStmt::Action::Key);
        EXPECT_EQ(key.key.key_code, k.code) << k.chord;
        EXPECT_EQ(key.key.shift, k.shift) << k.chord;
        EXPECT_EQ(key.key.ascii, k.ascii) << k.chord;
    }
    const auto click = std::get<TextInputStmt>(*ParseStatement("click M 200 100 shift", 1));
    EXPECT_EQ(click.action, TextInputStmt::Action::Click);
    EXPECT_TRUE(click.shift);
    EXPECT_EQ(click.points.size(), 2u);
    EXPECT_FALSE(std::get<TextInputStmt>(*ParseStatement("click M 2 1", 1)).shift);
    const auto drag = std::get<TextInputStmt>(*ParseStatement("drag M 0 1 2 3", 1));
    EXPECT_EQ(drag.action, TextInputStmt::Action::Drag);
    ASSERT_EQ(drag.points.size(), 4u);
    EXPECT_EQ(CLng(drag.points[3].literal), 3);
    EXPECT_EQ(std::get<TextInputStmt>(*ParseStatement("dblclick M 5 6", 1)).action, TextInputStmt::Action::DoubleClick);
    const auto typed = std::get<TextInputStmt>(*ParseStatement("type M \"a b\"", 1));
    EXPECT_EQ(typed.text, "a b");
    const auto select = std::get<TextInputStmt>(*ParseStatement("select M 2 3", 1));
    EXPECT_EQ(select.action, TextInputStmt::Action::Select);
    EXPECT_EQ(CLng(select.length->literal), 3);
}

TEST(ShellStatements, MalformedStatementsReportTheirLine) {
    const std::pair<const char*, int> rows[] = {{"frobnicate L", 7},
                                                {"L.Orientation =", 2},
                                                {"L.Orientation = 1 2", 2},
                                                {"new L", 3},
                                                {"new L OV3DLine at 1", 4},
                                                {"new L OV3DLine at 1 2 3", 4},
                                                {"new L OV3DLine beside P", 4},
                                                {"resize L 100", 5},
                                                {"? L.", 6},
                                                {"L", 8},
                                                {"show", 10},
                                                {"inspect L lbl(x)", 11},
                                                {"on L.Click", 12},
                                                {"L.Caption = \"abc", 13},
                                                {"key M Alt+Home", 14},
                                                {"key M", 15},
                                                {"type M abc", 16},
                                                {"paste M", 17},
                                                {"select M 1", 18},
                                                {"focus M N", 19},
                                                {"key M Ctrl+Ctrl+A", 20},
                                                {"key M F5", 21},
                                                {"key M Shift+", 22},
                                                {"key M AB", 23},
                                                {"click M 1", 24},
                                                {"click M 1 2 Ctrl", 25},
                                                {"drag M 1 2 3", 26},
                                                {"dblclick M 1 2 Shift", 27}};
    for (auto [text, line] : rows) EXPECT_EQ(SyntaxErrorLine(text, line), line) << text;

    try {
        ParseStatement("L.Orientation = = 1", 42);
        FAIL();
    } catch (const SyntaxError& error) {
        EXPECT_EQ(error.Report().rfind("syntax error at line 42: ", 0), 0u) << error.Report();
    }
}

// The statement list `orvelle shell --help` prints comes from the parser's own table: every
// keyword it names is one the parser knows, and a keyword missing from it would be missing here.
TEST(ShellStatements, TheSyntaxListingNamesEveryKeywordStatement) {
    std::vector<std::string> listed;
    for (const std::string& line : StatementSyntax()) {
        const std::string word = line.substr(0, line.find(' '));
        if (word.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos) continue;
        listed.push_back(word);
        try {
            ParseStatement(word, 1);
        } catch (const SyntaxError& error) {
            EXPECT_EQ(error.message().find("unknown statement"), std::string::npos) << line << ": " << error.message();
        }
    }
    for (const char* keyword :
         {"host",  "new",   "load",      "save",  "bag", "set",    "syscolor", "resize",   "show",
          "hide",  "paint", "terminate", "fire",  "on",  "wait",   "inspect",  "snap",     "pixel",
          "focus", "blur",  "type",      "paste", "key", "select", "click",    "dblclick", "drag"})
        EXPECT_NE(std::find(listed.begin(), listed.end(), keyword), listed.end()) << keyword;
}

}  // namespace
}  // namespace ov::shell
