// The interpreter against the reference host, with a small probe control registered only here
// so that events, by-reference arguments, handlers, timers, objects as values, ambient values
// and pixels can be checked without depending on any library control.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "host/reference/class_registry.h"
#include "host/contract/control.h"
#include "host/contract/font_attributes.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/screen.h"
#include "platform/limits.h"
#include "platform/runtime/clock.h"
#include "shell/interpreter.h"

namespace ov::shell {
namespace {

class Probe : public host::Control {
public:
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info =
            ClassBuilder<Probe>("Probe")
                .Property("Level", 1, TypeDesc::Of(VarType::Integer), &Probe::Level, &Probe::SetLevel)
                .Method("Twice", 2, {Ref("N", TypeDesc::Of(VarType::Long))},
                        [](Probe&, std::vector<Variant>& args) {
                            args[0] = Variant::FromLong(CLng(args[0]) * 2);
                            return Variant();
                        })
                .Method(
                    "Sum", 3, {In("A", TypeDesc::Of(VarType::Long)), Opt("B", TypeDesc::Of(VarType::Long))},
                    [](Probe&, std::vector<Variant>& args) {
                        const std::int32_t b = args[1].IsMissing() ? 100 : CLng(args[1]);
                        return Variant::FromLong(CLng(args[0]) + b);
                    },
                    TypeDesc::Of(VarType::Long))
                .Method(
                    "Describe", 4, {In("Target", TypeDesc::Object("Object"))},
                    [](Probe&, std::vector<Variant>& args) {
                        const auto& object = args[0].object();
                        return Variant::FromString(object ? object->TypeName() : "Nothing");
                    },
                    TypeDesc::Of(VarType::String))
                .ObjectProperty("Picture", 5, TypeDesc::Object("StdPicture"), &Probe::Picture, &Probe::SetPicture)
                .ObjectProperty("Font", 6, TypeDesc::Object("StdFont"), &Probe::Font, &Probe::SetFont)
                .Method(
                    "Stamp", 7, {}, [](Probe&, std::vector<Variant>&) { return Variant::FromDate(ov::Now()); },
                    TypeDesc::Of(VarType::Date))
                .Method(
                    "Ambient", 8, {},
                    [](Probe& p, std::vector<Variant>&) {
                        const host::FontAttributes font = host::FontFromObject(p.AmbientFont());
                        return Variant::FromString(std::string(p.AmbientUserMode() ? "run " : "design ") + font.name +
                                                   (font.bold ? " bold" : ""));
                    },
                    TypeDesc::Of(VarType::String))
                .ReadOnly("Cancelled", 9, TypeDesc::Of(VarType::Boolean), &Probe::Cancelled)
                .PropertyEx(
                    "Item", 10, TypeDesc::Of(VarType::String), {In("Index", TypeDesc::Of(VarType::Integer))},
                    [](Probe& p, std::vector<Variant>& index) { return Variant::FromString(p.Item(index[0])); },
                    [](Probe& p, std::vector<Variant>& index, Variant& value) { p.Item(index[0]) = CStr(value); })
                .Method("Crash", 11, {},
                        [](Probe&, std::vector<Variant>&) -> Variant { throw std::logic_error("probe fault"); })
                .Method("Exhaust", 12, {}, [](Probe&, std::vector<Variant>&) -> Variant { throw std::bad_alloc(); })
                .Event("Ping",
                       {Ref("Cancel", TypeDesc::Of(VarType::Boolean)), In("Text", TypeDesc::Of(VarType::String))})
                .Event("Tick")
                .Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }

    std::int16_t Level() const { return level_; }
    void SetLevel(std::int16_t level) {
        level_ = level;
        PropertyChanged("Level");
    }
    std::shared_ptr<IDispatch> Picture() const { return picture_; }
    void SetPicture(std::shared_ptr<IDispatch> picture) { picture_ = std::move(picture); }
    bool Cancelled() const { return cancelled_; }
    std::string& Item(const Variant& index) {
        const std::int16_t i = CInt(index);
        if (i < 0 || i >= static_cast<std::int16_t>(items_.size())) throw AutomationError(9);
        return items_[static_cast<std::size_t>(i)];
    }

protected:
    void OnInitialize() override {
        host::Timer& timer = AddTimer("tmrTick");
        timer.SetInterval(250);
        // Event sources only; hidden so the surface's own colour shows at every pixel.
        for (host::Label* label : AddLabelArray("lblItem", 2)) label->SetVisible(false);
    }
    void OnInitProperties() override { SetBackColor(0xFF8000); }  // RGB(0, 128, 255)
    void OnPaint() override { ClearSurface(); }
    void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) override {
        if (event == "Click") Ping("clicked");
        // Typing a lower-case letter delivers its capital, as an upper-casing text box does.
        if (event == "KeyPress") {
            const std::int16_t key = CInt(args[0]);
            if (key >= 'a' && key <= 'z') args[0] = Variant::FromInteger(static_cast<std::int16_t>(key - 32));
        }
    }
    void OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) override {
        if (source.name() == "tmrTick" && event == "Timer") RaiseEvent("Tick");
        if (source.name() == "lblItem" && event == "Click") Ping("item " + std::to_string(source.index()));
    }

private:
    void Ping(const std::string& text) {
        std::vector<Variant> args = {Variant::FromBoolean(false), Variant::FromString(text)};
        RaiseEvent("Ping", args);
        cancelled_ = CBool(args[0]);
    }

    std::int16_t level_ = 0;
    bool cancelled_ = false;
    std::shared_ptr<IDispatch> picture_;
    std::vector<std::string> items_ = {"zero", "one", "two"};
};

class ShellInterpreter : public ::testing::Test {
protected:
    ShellInterpreter() {
        gdi::ResetSysColors();
        gdi::Screen() = gdi::ScreenSettings{};
        SetFixedNow(std::nullopt);
        host::RegisterHostClasses(registry_);
        registry_.Add(host::ControlEntry<Probe>("Probe", 1500, 750));
    }
    ~ShellInterpreter() override {
        gdi::ResetSysColors();
        gdi::Screen() = gdi::ScreenSettings{};
        SetFixedNow(std::nullopt);
    }

    // Runs a script on a fresh host; returns standard output. `status` and `err` receive the rest.
    std::string Run(const std::string& script, int* status = nullptr, std::string* err = nullptr,
                    Interpreter::ScriptMode mode = Interpreter::ScriptMode::Script) {
        host::ReferenceHost host(registry_);
        std::ostringstream out, error_text;
        Interpreter interpreter(host, out);
        std::istringstream in(script);
        const int result = interpreter.RunScript(in, error_text, mode);
        if (status) *status = result;
        if (err) *err = error_text.str();
        return out.str();
    }

    host::ClassRegistry registry_;
};

TEST_F(ShellInterpreter, EventsAndChangeNotificationsPrintWhenRaised) {
    EXPECT_EQ(Run("new P Probe\n"
                  "P.Level = 3\n"
                  "? P.Level\n"
                  "fire P surface Click\n"
                  "? P.Cancelled\n"),
              "changed P.Level\n"
              "3\n"
              "event P.Ping(False, \"clicked\")\n"
              "False\n");
}

TEST_F(ShellInterpreter, HandlersSetByReferenceArgumentsAndFireReportsChangedOnes) {
    EXPECT_EQ(Run("new P Probe\n"
                  "on P.Ping Cancel = True\n"
                  "fire P lblItem(1) Click\n"
                  "? P.Cancelled\n"
                  "fire P surface KeyPress 97\n"
                  "fire P surface KeyPress 65\n"
                  "fire P surface MouseDown 1, 0, 150, 300\n"),
              "event P.Ping(False, \"item 1\")\n"
              "True\n"
              "arg KeyAscii = 65\n");
    // Unknown events and targets, and wrong argument counts, are errors the script survives.
    EXPECT_EQ(Run("new P Probe\n"
                  "fire P surface Explode\n"
                  "fire P lblNothing Click\n"
                  "fire P surface KeyPress\n"
                  "fire P surface KeyPress 40000\n"
                  "? P.Level\n"),
              "error 438: Object doesn't support this property or method\n"
              "error 424: Object required\n"
              "error 450: Wrong number of arguments or invalid property assignment\n"
              "error 6: Overflow\n"
              "0\n");
}

TEST_F(ShellInterpreter, WaitDeliversTimerTicksInOrder) {
    EXPECT_EQ(Run("new A Probe\n"
                  "wait 100\n"
                  "new B Probe\n"
                  "wait 500\n"),
              // A ticks at 250 and 500; B, created at 100, at 350 and 600.
              "event A.Tick()\n"
              "event B.Tick()\n"
              "event A.Tick()\n"
              "event B.Tick()\n");
}

TEST_F(ShellInterpreter, ArgumentsByReferenceOptionalAndObjects) {
    EXPECT_EQ(Run("new P Probe\n"
                  "new Q Probe\n"
                  "? P.Sum(1)\n"
                  "? P.Sum(1, 2)\n"
                  "? P.Sum(1, )\n"
                  "? P.Describe(Q)\n"
                  "? P.Describe(Nothing)\n"
                  "P.Twice 4\n"
                  "? P.Item(2)\n"
                  "P.Item(2) = \"deux\"\n"
                  "? P.Item(2)\n"
                  "? P.Item(7)\n"
                  "? P.Sum()\n"
                  "? P.Describe(Missing)\n"),
              "101\n"
              "3\n"
              "101\n"
              "\"Probe\"\n"
              "\"Nothing\"\n"
              "\"two\"\n"
              "\"deux\"\n"
              "error 9: Subscript out of range\n"
              "error 450: Wrong number of arguments or invalid property assignment\n"
              "error 424: Object required\n");
}

TEST_F(ShellInterpreter, ObjectValuesAreAssignedByReference) {
    EXPECT_EQ(Run("new P Probe\n"
                  "? P.Picture\n"
                  "P.Picture = LoadPicture(\"\")\n"
                  "? P.Picture\n"
                  "P.Picture = Nothing\n"
                  "? P.Picture\n"
                  "P.Font = Font(\"Arial\", 12, Bold)\n"
                  "? P.Font\n"
                  "P.Picture = LoadPicture(\"/no/such/picture.bmp\")\n"),
              "Nothing\n"
              "Object(StdPicture)\n"
              "Nothing\n"
              "Object(StdFont)\n"
              "error 53: File not found\n");
}

TEST_F(ShellInterpreter, HostSettingsReachAmbientValuesAndTheClock) {
    EXPECT_EQ(Run("host Now=#2024-01-02 03:04:05# FontName=\"Arial\" FontBold=True\n"
                  "new P Probe\n"
                  "? P.Stamp\n"
                  "? P.Ambient\n"
                  "host UserMode=False\n"
                  "? P.Ambient\n"
                  "wait 2000\n"
                  "? P.Stamp\n"),
              "#2024-01-02 03:04:05#\n"
              "\"run Arial bold\"\n"
              "\"design Arial bold\"\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "event P.Tick()\n"
              "#2024-01-02 03:04:07#\n");
}

TEST_F(ShellInterpreter, FormMembersPixelsAndSnapshots) {
    const std::string png = (std::filesystem::temp_directory_path() / "shell_interpreter_form.png").string();
    EXPECT_EQ(Run("form.BackColor = RGB(10, 20, 30)\n"
                  "? form.ScaleMode\n"
                  "? form.Width\n"
                  "new P Probe at 150 300 1500 750\n"
                  "pixel P 0 0\n"
                  "pixel P 99 49\n"
                  "pixel P 100 0\n"
                  "pixel form 0 0\n"
                  "pixel form 10 20\n"
                  "pixel P 100000 0\n"
                  "hide P\n"
                  "pixel P 0 0\n"
                  "snap form " +
                  png + "\n"),
              "1\n"
              "7200\n"
              "RGB(0, 128, 255)\n"
              "RGB(0, 128, 255)\n"
              "RGB(10, 20, 30)\n"
              "RGB(10, 20, 30)\n"
              "RGB(0, 128, 255)\n"
              "error 5: Invalid procedure call or argument\n"
              "RGB(10, 20, 30)\n");
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(gdi::ReadPng(png, &width, &height, &pixels));
    EXPECT_EQ(width, 480);
    EXPECT_EQ(height, 360);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0A141Eu);
    std::filesystem::remove(png);
}

TEST_F(ShellInterpreter, TwipsPerPixelSettingsScaleTheComposedForm) {
    // At 30 twips per pixel across, a 1500-twip probe is 50 pixels wide; down stays at 15.
    EXPECT_EQ(Run("host TwipsPerPixelX=30\n"
                  "new P Probe at 0 0 1500 750\n"
                  "pixel P 49 49\n"
                  "pixel P 50 0\n"
                  "pixel P 0 50\n"
                  "host TwipsPerPixelY=0\n"),
              "RGB(0, 128, 255)\n"
              "RGB(192, 192, 192)\n"
              "RGB(192, 192, 192)\n"
              "error 5: Invalid procedure call or argument\n");
}

TEST_F(ShellInterpreter, SystemColourReplacementShowsOnTheSurface) {
    EXPECT_EQ(Run("syscolor 15 = RGB(1, 2, 3)\n"
                  "new B Box at 0 0 300 300\n"
                  "B.BackColor = &H8000000F\n"
                  "pixel B 1 1\n"
                  "syscolor 99 = 0\n"
                  "syscolor 15 = &H80000005\n"),
              "RGB(1, 2, 3)\n"
              "error 5: Invalid procedure call or argument\n"
              "error 5: Invalid procedure call or argument\n");
}

TEST_F(ShellInterpreter, AFaultInsideAControlIsReportedAndTheScriptGoesOn) {
    EXPECT_EQ(Run("new P Probe\n"
                  "P.Crash\n"
                  "P.Exhaust\n"
                  "? P.Level\n"),
              "error 51: Internal error: probe fault\n"
              "error 7: Out of memory\n"
              "0\n");
}

// Inputs too large to keep as script files: deep nesting, long lines, long garbage. Each ends
// the run with a syntax error naming its line, or runs, never more.
TEST_F(ShellInterpreter, OversizedInputIsRefusedWithASyntaxError) {
    const auto nested = [](int depth) {
        std::string text = "? ";
        for (int i = 0; i < depth; ++i) text += "CInt(";
        text += "1";
        return text + std::string(static_cast<std::size_t>(depth), ')') + "\n";
    };
    const std::size_t limit = limits::kMaxStatementBytes;
    const std::string comment_at_limit = "#" + std::string(limit - 1, 'x');
    struct Row {
        const char* what;
        std::string script;
        std::string out;
        int status;
        std::string err;  // a prefix
    };
    const Row rows[] = {
        {"10,000 nested calls", "? 1\n" + nested(10000) + "? 2\n", "1\n", 2,
         "syntax error at line 2: expression nested deeper than 256 calls"},
        {"a 16 MB line", "? 1\n? \"" + std::string(16u << 20, 'x') + "\"\n? 2\n", "1\n", 2,
         "syntax error at line 2: statement longer than 1048576 bytes"},
        {"a line at the limit", comment_at_limit + "\n? 2\n", "2\n", 0, ""},
        {"a line at the limit ending in CR LF", comment_at_limit + "\r\n? 2\n", "2\n", 0, ""},
        {"a line one byte over", comment_at_limit + "x\n? 2\n", "", 2,
         "syntax error at line 1: statement longer than 1048576 bytes"},
        {"the last line over, without a newline", "? 2\n" + comment_at_limit + "xx", "2\n", 2,
         "syntax error at line 2: statement longer than 1048576 bytes"},
    };
    for (const Row& row : rows) {
        int status = -1;
        std::string err;
        EXPECT_EQ(Run(row.script, &status, &err), row.out) << row.what;
        EXPECT_EQ(status, row.status) << row.what;
        EXPECT_EQ(err.rfind(row.err, 0), 0u) << row.what << ": " << err.substr(0, 200);
    }
    // A message quotes a bounded excerpt of what it could not parse.
    std::string err;
    Run("? 1 " + std::string(100000, ')') + "\n", nullptr, &err);
    EXPECT_EQ(err.rfind("syntax error at line 1: unexpected ')", 0), 0u) << err.substr(0, 200);
    EXPECT_LT(err.size(), 200u);
}

TEST_F(ShellInterpreter, LifecycleStatementsAndUnknownNames) {
    EXPECT_EQ(Run("new P Probe\n"
                  "terminate P\n"
                  "? P.Level\n"
                  "show Q\n"
                  "bag Q\n"
                  "new P Probe\n"
                  "? P.Level\n"),
              "error 424: Object required\n"
              "error 424: Object required\n"
              "error 424: Object required\n"
              "0\n");
}

TEST_F(ShellInterpreter, SyntaxErrorStopsTheScriptWithStatusTwo) {
    int status = -1;
    std::string err;
    EXPECT_EQ(Run("new P Probe\nP.Level = 1\n\n# comment\nP.Level = (\nP.Level = 2\n", &status, &err),
              "changed P.Level\n");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(err.rfind("syntax error at line 5: ", 0), 0u) << err;

    EXPECT_EQ(Run("new P Probe\n? P.Level\n", &status, &err), "0\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, "");
}

TEST_F(ShellInterpreter, AnInteractiveSessionReportsSyntaxErrorsAndGoesOn) {
    int status = -1;
    std::string err;
    EXPECT_EQ(Run("new P Probe\nP.Level = (\nP.Level = 2\n", &status, &err, Interpreter::ScriptMode::Interactive),
              "> > > changed P.Level\n> ");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err.rfind("syntax error at line 2: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// Members of what a member gives: reads, puts, Set and method calls at any depth, each object
// the control's own by reference.
TEST_F(ShellInterpreter, NestedMembersReadPutSetAndCall) {
    const struct {
        const char* script;
        const char* output;
    } cases[] = {
        {"new P Probe\nP.Font = Font(\"Arial\", 12)\nP.Font.Bold = True\n? P.Font.Bold\n", "True\n"},
        {"new P Probe\nP.Picture = LoadPicture(\"\")\n? P.Picture.Type\n", "0\n"},
        {"new P Probe\nP.Font = Font(\"Arial\", 12)\nSet F = P.Font\nF.Size = 20\n? P.Font.Size\n? F.Name\n",
         "20\n\"Arial\"\n"},
        {"new P Probe\nnew Q Probe\nP.Font = Font(\"Arial\", 12)\nSet Q.Font = P.Font\nQ.Font.Italic = True\n? "
         "P.Font.Italic\n",
         "True\n"},
        {"new P Probe\nSet F = P\n? F.Sum(1)\nF.Level = 4\n? P.Level\n", "101\nchanged P.Level\n4\n"},
        {"new P Probe\n? P.Item(1)\nP.Item(1) = \"uno\"\n? P.Item(1)\n", "\"one\"\n\"uno\"\n"},
        // Reading a member of what is no object, or of Nothing, is 424; a member it lacks 438.
        {"new P Probe\n? P.Level.Size\n", "error 424: Object required\n"},
        {"new P Probe\n? P.Picture.Type\n", "error 424: Object required\n"},
        {"new P Probe\nP.Picture.Type = 1\n", "error 424: Object required\n"},
        {"new P Probe\nP.Font = Font(\"Arial\", 12)\n? P.Font.Colour\n",
         "error 438: Object doesn't support this property or method\n"},
        {"Set F = 5\n", "error 424: Object required\n"},
        {"new P Probe\nSet P = Nothing\n", "error 5: Name 'P' is already in use\n"},
        {"new P Probe\nSet F = P\nSet F = Nothing\n? F.Level\n", "error 424: Object required\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.script), c.output) << c.script;
}

}  // namespace
}  // namespace ov::shell
