#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "forms/form_document.h"
#include "forms/form_render.h"
#include "host/reference/class_registry.h"
#include "host/contract/control.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/screen.h"
#include "platform/runtime/automation_error.h"
#include "support/scratch_dir.h"

namespace ov::forms {
namespace {

// A control whose surface shows its persisted Shade at run time and plain blue at design
// time, so a rendered image tells which bag and which mode reached it.
class Swatch : public host::Control {
public:
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = ClassBuilder<Swatch>("Swatch")
                                          .Property("Shade", 1, TypeDesc::Color(), &Swatch::Shade, &Swatch::SetShade)
                                          .Default(Variant::FromLong(0x0000FF))
                                          .Persist("Shade")
                                          .Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }
    std::int32_t Shade() const { return shade_; }
    void SetShade(std::int32_t shade) { shade_ = shade; }

    // The surface events delivered so far: "name" or "name X".
    std::vector<std::string> seen;

protected:
    void OnResize() override { SetBackColor(AmbientUserMode() ? shade_ : 0xFF0000); }
    void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) override {
        seen.push_back(std::string(event) + (args.size() == 4 ? " " + std::to_string(CSng(args[2])) : ""));
    }

private:
    std::int32_t shade_ = 0x0000FF;
};

constexpr const char* kFormText = R"({
  "orvelle_form": 1,
  "form": [
    {"key": "Caption", "type": "String", "value": "Test"},
    {"key": "Width", "type": "Single", "value": 3000},
    {"key": "Height", "type": "Single", "value": 1500},
    {"key": "BackColor", "type": "Long", "value": "&H00102030"}
  ],
  "controls": [
    {"name": "swA", "class": "Swatch", "left": 150, "top": 150, "width": 600, "height": 300,
     "properties": [{"key": "Shade", "type": "Long", "value": "&H0000FF00"}]},
    {"name": "boxFrame", "class": "Box", "container": "form", "left": 1500, "top": 0, "width": 1500, "height": 1500,
     "properties": [{"key": "BackColor", "type": "Long", "value": 8421504}]},
    {"name": "swInner", "class": "OrvelleControls.Swatch", "container": "boxFrame", "left": 300, "top": 300}
  ]
})";

class Forms : public ::testing::Test {
protected:
    Forms() {
        gdi::Screen() = gdi::ScreenSettings{};
        host::RegisterHostClasses(registry_);
        host::ClassEntry swatch = host::ControlEntry<Swatch>("Swatch", 450, 450);
        registry_.Add(swatch);
    }

    std::string Path(const char* name) const { return scratch_.Path(name); }

    host::ClassRegistry registry_;
    testing_support::ScratchDir scratch_{"orvelle_forms"};
    const std::filesystem::path& dir_ = scratch_.path();
};

TEST_F(Forms, ParsesControlsWithHexValuesContainersAndDefaults) {
    const FormDocument document = ParseForm(kFormText);
    const auto& form = document.form_properties.entries();
    ASSERT_EQ(form.size(), 4u);
    EXPECT_EQ(form[3].first, "BackColor");
    EXPECT_EQ(form[3].second, Variant::FromLong(0x102030));

    ASSERT_EQ(document.controls.size(), 3u);
    const ControlRecord& a = document.controls[0];
    EXPECT_EQ(a.name, "swA");
    EXPECT_EQ(a.class_name, "Swatch");
    EXPECT_EQ(a.container, "");
    EXPECT_EQ(a.left, 150);
    EXPECT_EQ(a.width, 600);
    EXPECT_EQ(a.properties.ReadProperty("Shade"), Variant::FromLong(0x00FF00));

    EXPECT_EQ(document.controls[1].container, "");  // "form" names the form itself
    const ControlRecord& inner = document.controls[2];
    EXPECT_EQ(inner.container, "boxFrame");
    EXPECT_FALSE(inner.width || inner.height);
    EXPECT_TRUE(inner.properties.empty());
}

// The error number and message ParseForm gives; 0 when the text parses.
std::pair<std::int32_t, std::string> FormErrorOf(const std::string& text) {
    try {
        ParseForm(text);
    } catch (const FormError& error) {
        return {error.number(), error.what()};
    }
    return {0, ""};
}

TEST_F(Forms, MalformedFilesAreRejectedWithTheirPlace) {
    const std::string control = R"({"name": "a", "class": "Box")";
    const struct {
        std::string text;
        std::int32_t number;
        const char* message;
    } cases[] = {
        {"{", error::kInvalidFileFormat, "not valid JSON"},
        {"[]", error::kInvalidFileFormat, "a form file holds one JSON object"},
        {"null", error::kInvalidFileFormat, "a form file holds one JSON object"},
        {R"({"controls": []})", error::kInvalidFileFormat, "missing \"orvelle_form\" version"},
        {R"({"orvelle_form": "1"})", error::kInvalidFileFormat, "orvelle_form: must be a number, not a string"},
        {R"({"orvelle_form": 2})", error::kInvalidFileFormat, "orvelle_form: unsupported form version 2"},
        {R"({"orvelle_form": 1.5})", error::kInvalidFileFormat, "orvelle_form: must be a whole number"},
        // Not narrowed to 1: beyond a Long it overflows.
        {R"({"orvelle_form": 4294967297})", error::kOverflow, "orvelle_form: Overflow"},
        {R"({"orvelle_form": -1e300})", error::kOverflow, "orvelle_form: Overflow"},
        {R"({"orvelle_form": 1, "form": {}})", error::kInvalidFileFormat, "form: must be an array, not an object"},
        {R"({"orvelle_form": 1, "form": [null]})", error::kInvalidFileFormat, "form[0]: must be an object, not null"},
        {R"({"orvelle_form": 1, "controls": {}})", error::kInvalidFileFormat, "controls: must be an array"},
        {R"({"orvelle_form": 1, "controls": null})", error::kInvalidFileFormat, "controls: must be an array, not null"},
        {R"({"orvelle_form": 1, "controls": [7]})", error::kInvalidFileFormat, "controls[0]: must be an object"},
        {R"({"orvelle_form": 1, "controls": [{"class": "Box"}]})", error::kInvalidFileFormat,
         "controls[0]: missing \"name\""},
        {R"({"orvelle_form": 1, "controls": [{"name": 5, "class": "Box"}]})", error::kInvalidFileFormat,
         "controls[0].name: must be a string, not a number"},
        {R"({"orvelle_form": 1, "controls": [{"name": "", "class": "Box"}]})", error::kInvalidFileFormat,
         "controls[0].name: must not be empty"},
        {R"({"orvelle_form": 1, "controls": [{"name": "a", "class": ["Box"]}]})", error::kInvalidFileFormat,
         "controls[0].class: must be a string, not an array"},
        {R"({"orvelle_form": 1, "controls": [)" + control + R"(, "container": null}]})", error::kInvalidFileFormat,
         "controls[0].container: must be a string, not null"},
        {R"({"orvelle_form": 1, "controls": [)" + control + R"(, "width": 10}]})", error::kInvalidFileFormat,
         "controls[0]: give both width and height"},
        {R"({"orvelle_form": 1, "controls": [)" + control + R"(, "left": "10"}]})", error::kInvalidFileFormat,
         "controls[0].left: must be a number, not a string"},
        {R"({"orvelle_form": 1, "controls": [)" + control + R"(, "width": 1, "height": true}]})",
         error::kInvalidFileFormat, "controls[0].height: must be a number, not a boolean"},
        {R"({"orvelle_form": 1, "controls": [)" + control + R"(, "properties": {"BackColor": 1}}]})",
         error::kInvalidFileFormat, "controls[0].properties: must be an array, not an object"},
        {R"({"orvelle_form": 1, "controls": [)" + control + "}, " + control +
             R"(, "properties": [{"key": "BackColor", "type": "Long", "value": "red"}]}]})",
         error::kInvalidFileFormat, "controls[1].properties[0].value: must be a number or &H hex text"},
        {R"({"orvelle_form": 1, "controls": [)" + control +
             R"(, "properties": [{"key": "Font", "type": "Font", "value": {"name": ["Arial"]}}]}]})",
         error::kInvalidFileFormat, "controls[0].properties[0].value.name: must be a string, not an array"},
        {R"({"orvelle_form": 1, "controls": [)" + std::string(100000, '[') + std::string(100000, ']') + "]}",
         error::kInvalidFileFormat, "nested deeper than"},
    };
    for (const auto& c : cases) {
        const auto [number, message] = FormErrorOf(c.text);
        EXPECT_EQ(number, c.number) << c.text.substr(0, 120) << "\n" << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << c.text.substr(0, 120) << "\n" << message;
    }
    try {
        LoadFormFile(Path("missing.json"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const FormError& error) {
        EXPECT_EQ(error.number(), error::kFileNotFound);
    }
    try {
        LoadFormFile(dir_.string());
        ADD_FAILURE() << "a directory was read";
    } catch (const FormError& error) {
        EXPECT_EQ(error.number(), error::kPathFileAccessError);
    }
}

TEST_F(Forms, HexTextIsThirtyTwoBitTwosComplementAndOutOfRangeValuesAreSkipped) {
    const FormDocument document = ParseForm(R"({"orvelle_form": 1, "form": [
        {"key": "BackColor", "type": "Long", "value": "&H8000000F"},
        {"key": "A", "type": "Long", "value": "&HFF&"},
        {"key": "B", "type": "Integer", "value": "&H7FFF"},
        {"key": "C", "type": "Integer", "value": "&H8000"},
        {"key": "D", "type": "Long", "value": "&H123456789"}]})");
    const auto& form = document.form_properties.entries();
    ASSERT_EQ(form.size(), 3u);
    EXPECT_EQ(form[0].second, Variant::FromLong(-2147483633));
    EXPECT_EQ(form[1].second, Variant::FromLong(255));
    EXPECT_EQ(form[2].second, Variant::FromInteger(32767));
    EXPECT_EQ(document.form_properties.unreadable(),
              (std::vector<std::pair<std::string, std::int32_t>>{{"C", error::kOverflow}, {"D", error::kOverflow}}));
}

TEST_F(Forms, TextRoundTripKeepsEveryField) {
    const FormDocument original = ParseForm(kFormText);
    const FormDocument again = ParseForm(FormToJsonText(original));
    ASSERT_EQ(again.form_properties.entries(), original.form_properties.entries());
    ASSERT_EQ(again.controls.size(), original.controls.size());
    for (std::size_t i = 0; i < original.controls.size(); ++i) {
        EXPECT_EQ(again.controls[i].name, original.controls[i].name);
        EXPECT_EQ(again.controls[i].class_name, original.controls[i].class_name);
        EXPECT_EQ(again.controls[i].container, original.controls[i].container);
        EXPECT_EQ(again.controls[i].left, original.controls[i].left);
        EXPECT_EQ(again.controls[i].top, original.controls[i].top);
        EXPECT_EQ(again.controls[i].width, original.controls[i].width);
        EXPECT_EQ(again.controls[i].properties.entries(), original.controls[i].properties.entries());
    }
}

TEST_F(Forms, BuildThenCaptureGivesTheSameForm) {
    host::ReferenceHost host(registry_);
    BuildForm(host, ParseForm(kFormText));
    EXPECT_EQ(host.form().Width(), 3000);
    EXPECT_EQ(host.form().BackColor(), 0x102030);

    const FormDocument captured = CaptureForm(host);
    ASSERT_EQ(captured.controls.size(), 3u);
    EXPECT_EQ(captured.controls[0].name, "swA");
    EXPECT_EQ(captured.controls[0].width, 600);
    EXPECT_EQ(captured.controls[0].properties.ReadProperty("Shade"), Variant::FromLong(0x00FF00));
    EXPECT_EQ(captured.controls[2].class_name, "Swatch");
    EXPECT_EQ(captured.controls[2].container, "boxFrame");
    EXPECT_EQ(captured.controls[2].left, 300);
    EXPECT_EQ(captured.controls[2].width, 450);  // the class's default extent
    // A default-valued key is not stored, so the bag of the default swatch is empty.
    EXPECT_TRUE(captured.controls[2].properties.empty());

    // Saved and loaded again, the form renders the same image.
    SaveFormFile(Path("saved.json"), captured);
    RenderForm(ParseForm(kFormText), registry_, {}, Path("first.png"));
    RenderForm(LoadFormFile(Path("saved.json")), registry_, {}, Path("second.png"));
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    std::vector<std::uint32_t> p1, p2;
    ASSERT_TRUE(gdi::ReadPng(Path("first.png"), &w1, &h1, &p1));
    ASSERT_TRUE(gdi::ReadPng(Path("second.png"), &w2, &h2, &p2));
    EXPECT_EQ(w1, w2);
    EXPECT_EQ(h1, h2);
    EXPECT_EQ(p1, p2);
}

TEST_F(Forms, EventsFireInOrderOnceTheControlIsLoadedAndSurviveTheTextForm) {
    constexpr const char* kText = R"({"orvelle_form": 1, "controls": [
        {"name": "swA", "class": "Swatch", "events": [
          {"target": "surface", "event": "MouseMove", "args": [1, 0, 12.5, 3]},
          {"target": "surface", "event": "Click"}]}]})";
    const FormDocument document = ParseForm(kText);
    ASSERT_EQ(document.controls[0].events.size(), 2u);
    const FiredEvent& move = document.controls[0].events[0];
    EXPECT_EQ(move.target, "surface");
    EXPECT_EQ(move.event, "MouseMove");
    EXPECT_EQ(move.args, (std::vector<Variant>{Variant::FromLong(1), Variant::FromLong(0), Variant::FromDouble(12.5),
                                               Variant::FromLong(3)}));
    const FormDocument again = ParseForm(FormToJsonText(document));
    ASSERT_EQ(again.controls[0].events.size(), 2u);
    EXPECT_EQ(again.controls[0].events[0].args, move.args);
    EXPECT_EQ(again.controls[0].events[1].event, "Click");

    host::ReferenceHost host(registry_);
    BuildForm(host, document);
    EXPECT_EQ(dynamic_cast<Swatch&>(*host.FindControl("swA")).seen,
              (std::vector<std::string>{"MouseMove " + std::to_string(12.5f), "Click"}));

    const struct {
        const char* events;
        const char* place;
    } malformed[] = {
        {R"("events": {})", "controls[0].events"},
        {R"("events": [{"event": "Click"}])", "controls[0].events[0]"},
        {R"("events": [{"target": "surface", "event": "Click", "args": 1}])", "controls[0].events[0]"},
        {R"("events": [{"target": "surface", "event": "Click", "args": [[1]]}])", "controls[0].events[0]"},
    };
    for (const auto& m : malformed) {
        const std::string text =
            std::string(R"({"orvelle_form": 1, "controls": [{"name": "a", "class": "Swatch", )") + m.events + "}]}";
        const auto [number, message] = FormErrorOf(text);
        EXPECT_EQ(number, error::kInvalidFileFormat) << m.events;
        EXPECT_NE(message.find(m.place), std::string::npos) << m.events << "\n" << message;
    }
}

TEST_F(Forms, UnknownClassOrContainerIsTheHostsError) {
    host::ReferenceHost host(registry_);
    try {
        BuildForm(host, ParseForm(R"({"orvelle_form": 1, "controls": [{"name": "a", "class": "Nope"}]})"));
        FAIL() << "an unknown class was accepted";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), 429);
    }
    try {
        BuildForm(host,
                  ParseForm(R"({"orvelle_form": 1, "controls": [{"name": "b", "class": "Box", "container": "c"}]})"));
        FAIL() << "an unknown container was accepted";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), 424);
    }
}

TEST_F(Forms, RenderReportsWhatFailedToLoadAndGoesOn) {
    const FormDocument document = ParseForm(R"({"orvelle_form": 1,
      "form": [{"key": "Width", "type": "Single", "value": 1e39},
               {"key": "Colour", "type": "Long", "value": 255},
               {"key": "Height", "type": "Single", "value": 600}],
      "controls": [{"name": "swA", "class": "Swatch", "width": 300, "height": 300,
                    "properties": [{"key": "Shade", "type": "Long", "value": 1e30}]},
                   {"name": "swB", "class": "Swatch", "left": 300, "width": 300, "height": 300,
                    "properties": [{"key": "Shade", "type": "Long", "value": 65280}]}]})");
    const std::vector<LoadProblem> problems = RenderForm(document, registry_, {}, Path("partial.png"));
    std::vector<std::string> seen;
    for (const LoadProblem& p : problems) seen.push_back(p.place + " " + std::to_string(p.error.number()));
    EXPECT_EQ(seen, (std::vector<std::string>{"form.Width 6", "form.Colour 438", "swA.ReadProperties.Shade 6"}));
    // The image shows the form as far as it loaded: swA with its default shade, swB green.
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(gdi::ReadPng(Path("partial.png"), &width, &height, &pixels));
    EXPECT_EQ(height, 40);
    EXPECT_EQ(pixels[static_cast<std::size_t>(5) * width + 5] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[static_cast<std::size_t>(5) * width + 25] & 0xFFFFFF, 0x00FF00u);
}

std::uint32_t PixelOf(const std::vector<std::uint32_t>& pixels, int width, int x, int y) {
    return pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF;  // 0x00RRGGBB
}

TEST_F(Forms, RenderShowsEachControlInRunAndDesignMode) {
    std::ofstream(Path("form.json")) << kFormText;
    for (const bool design : {false, true}) {
        const std::string png = Path(design ? "design.png" : "run.png");
        RenderForm(LoadFormFile(Path("form.json")), registry_, RenderOptions{design}, png);
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
        ASSERT_TRUE(gdi::ReadPng(png, &width, &height, &pixels));
        ASSERT_EQ(width, 200);
        ASSERT_EQ(height, 100);
        SCOPED_TRACE(design ? "design" : "run");
        // Form background 0x00102030 is RGB(0x30, 0x20, 0x10).
        EXPECT_EQ(PixelOf(pixels, width, 0, 0), 0x302010u);
        // swA at (10, 10) pixels, 40 by 20: its Shade (green) at run time, blue at design time.
        EXPECT_EQ(PixelOf(pixels, width, 10, 10), design ? 0x0000FFu : 0x00FF00u);
        EXPECT_EQ(PixelOf(pixels, width, 49, 29), design ? 0x0000FFu : 0x00FF00u);
        EXPECT_EQ(PixelOf(pixels, width, 50, 10), 0x302010u);
        // The box (grey) and the default swatch inside it at (120, 20), 30 by 30: red at run time.
        EXPECT_EQ(PixelOf(pixels, width, 100, 0), 0x808080u);
        EXPECT_EQ(PixelOf(pixels, width, 120, 20), design ? 0x0000FFu : 0xFF0000u);
        EXPECT_EQ(PixelOf(pixels, width, 149, 49), design ? 0x0000FFu : 0xFF0000u);
        EXPECT_EQ(PixelOf(pixels, width, 150, 50), 0x808080u);
    }
}

}  // namespace
}  // namespace ov::forms
