// Forms between the form files and Qt Designer's .ui files: what each property type looks like
// in a .ui, what comes back from what Designer writes, and whole forms converted both ways
// rendering as the original.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "forms/form_document.h"
#include "forms/form_render.h"
#include "library/classes.h"
#include "uiform/ui_form.h"
#include "uiform/xml_tree.h"
#include "support/scratch_dir.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;
using ov::uiform::XmlElement;

std::string ReadAll(const fs::path& path) { return ov::testing_support::ScratchDir::Read(path.string()); }

class UiFormTest : public ::testing::Test {
protected:
    // One control's form, converted to .ui; returns the control's <widget>.
    XmlElement WidgetOf(const json& control) {
        const json form{{"orvelle_form", 1}, {"controls", json::array({control})}};
        ui_text_ = ov::uiform::FormJsonToUi(form.dump(), (dir_ / "pictures").string(), "pictures/");
        const XmlElement ui = ov::uiform::ParseXml(ui_text_);
        return ui.Child("widget")->children.back();
    }

    static const XmlElement* Value(const XmlElement& widget, const std::string& property) {
        for (const XmlElement& p : widget.children)
            if (p.name == "property" && p.Attribute("name") == property) return &p.children.front();
        return nullptr;
    }

    // The control's properties after .ui text -> form.
    json PropertiesFromUi(const std::string& ui_text) {
        const json form = json::parse(ov::uiform::UiToFormJson(ui_text, dir_.string()));
        return form["controls"][0]["properties"];
    }

    ov::testing_support::ScratchDir scratch_{"uiform_test"};
    const fs::path dir_ = scratch_.path();
    std::string ui_text_;
};

// What each kind of persisted property becomes in a .ui, as Designer writes that Qt type.
TEST_F(UiFormTest, PropertyTypesAsQtWritesThem) {
    struct Case {
        const char* cls;
        json entry;
        const char* member;
        const char* element;
        const char* text;  // the element's text, or its children's texts joined by ','
    };
    const Case cases[] = {
        {"OVGradientPanel", {{"key", "Style"}, {"type", "Long"}, {"value", 2}}, "Style", "enum",
         "ov::qt::OVGradientPanel::gpsPicture"},
        {"OVSideLogo", {{"key", "Style"}, {"type", "Long"}, {"value", 1}}, "Style", "enum",
         "ov::qt::OVSideLogo::_3_Dimensional"},
        {"OVMaskedTextBox", {{"key", "Allignment"}, {"type", "Integer"}, {"value", 1}}, "Allignment", "enum",
         "ov::qt::OVMaskedTextBox::mtbRight"},
        {"OVMaskedTextBox", {{"key", "OLEDropMode"}, {"type", "Integer"}, {"value", 1}}, "OLEDropMode", "enum",
         "ov::qt::OVMaskedTextBox::mtbManual"},  // an enum class's key, as Designer writes it
        {"OV3DLine", {{"key", "BackColor"}, {"type", "Long"}, {"value", 0x00804020}}, "BackColor", "color", "32,64,128"},
        {"OV3DLine", {{"key", "BackColor"}, {"type", "Long"}, {"value", -2147483633}}, "BackColor", "color",
         "192,192,192"},
        {"OVTabHead", {{"key", "TabString"}, {"type", "String"}, {"value", "A,B & <C>"}}, "TabString", "string",
         "A,B & <C>"},
        {"OVTabHead", {{"key", "SelectedBold"}, {"type", "Boolean"}, {"value", true}}, "SelectedBold", "bool", "true"},
        {"OVGradientPanel", {{"key", "BevelWidth"}, {"type", "Long"}, {"value", 6}}, "BevelWidth", "number", "6"},
        {"OVGradientPanel", {{"key", "GradientAngle"}, {"type", "Double"}, {"value", 22.5}}, "GradientAngle", "double",
         "22.5"},
        {"OVSideLogo",
         {{"key", "Font"},
          {"type", "Font"},
          {"value",
           {{"name", "Arial"}, {"size", 12}, {"bold", true}, {"italic", false}, {"underline", true}, {"strikethrough", false}}}},
         "Font", "font", "Arial,12,false,true,true,false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + "." + c.member);
        const XmlElement widget = WidgetOf({{"name", "ctl"}, {"class", c.cls}, {"properties", json::array({c.entry})}});
        EXPECT_EQ(widget.Attribute("class"), std::string("ov::qt::") + c.cls);
        const XmlElement* value = Value(widget, c.member);
        ASSERT_NE(value, nullptr) << ui_text_;
        EXPECT_EQ(value->name, c.element);
        std::string text = value->text;
        if (!value->children.empty()) {
            text.clear();
            for (const XmlElement& part : value->children) text += (text.empty() ? "" : ",") + part.text;
        }
        EXPECT_EQ(text, c.text);
        // And back, as it was.
        const json back = PropertiesFromUi(ui_text_);
        ASSERT_EQ(back.size(), 1u) << back.dump();
        EXPECT_EQ(back[0], c.entry);
    }
}

// A system colour is its current colour in the .ui and comes back as the system colour while
// the .ui still holds that colour; a colour set in Designer wins.
TEST_F(UiFormTest, SystemColourComesBackUntilChanged) {
    const json entry{{"key", "BackColor"}, {"type", "Long"}, {"value", -2147483633}};
    WidgetOf({{"name", "ctl"}, {"class", "OV3DLine"}, {"properties", json::array({entry})}});
    EXPECT_NE(ui_text_.find("orvelleValues"), std::string::npos);
    EXPECT_EQ(PropertiesFromUi(ui_text_)[0], entry);

    std::string changed = ui_text_;
    const std::size_t red = changed.find("<red>192</red>");
    ASSERT_NE(red, std::string::npos);
    changed.replace(red, 14, "<red>10</red>");
    EXPECT_EQ(PropertiesFromUi(changed)[0], (json{{"key", "BackColor"}, {"type", "Long"}, {"value", 0x00C0C00A}}));
}

// What Designer writes that form2ui does not: a font with only the attributes that differ from
// the widget's, a colour with alpha, pictures as files or .qrc resources, widgets in z-order.
TEST_F(UiFormTest, ReadsWhatDesignerWrites) {
    fs::create_directories(dir_ / "images");
    fs::copy_file(fs::path(ORVELLE_SOURCE_ROOT) / "examples/pictures/diamond.png", dir_ / "images/diamond.png");
    scratch_.Write("res.qrc", "<RCC>\n <qresource prefix=\"/icons\">\n  <file>images/diamond.png</file>\n </qresource>\n</RCC>\n");
    const std::string ui = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Form</class>
 <widget class="QWidget" name="Form">
  <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>300</height></rect></property>
  <property name="windowTitle"><string>Designer &amp; me</string></property>
  <widget class="ov::qt::OVGradientPanel" name="pnl">
   <property name="geometry"><rect><x>8</x><y>16</y><width>200</width><height>100</height></rect></property>
   <property name="Font"><font><pointsize>14</pointsize><bold>true</bold></font></property>
   <property name="ForeColor"><color alpha="255"><red>255</red><green>0</green><blue>0</blue></color></property>
   <property name="Picture"><pixmap resource="res.qrc">:/icons/images/diamond.png</pixmap></property>
   <property name="Alignment"><enum>ov::qt::OVGradientPanel::gpaRightTop</enum></property>
   <widget class="ov::qt::OVHotLabel" name="hot">
    <property name="geometry"><rect><x>4</x><y>4</y><width>100</width><height>20</height></rect></property>
    <property name="Picture"><pixmap>images/diamond.png</pixmap></property>
   </widget>
  </widget>
  <widget class="ov::qt::OV3DLine" name="lin">
   <property name="geometry"><rect><x>0</x><y>200</y><width>160</width><height>3</height></rect></property>
  </widget>
  <zorder>lin</zorder>
  <zorder>pnl</zorder>
 </widget>
 <resources><include location="res.qrc"/></resources>
 <connections/>
</ui>
)";
    const json form = json::parse(ov::uiform::UiToFormJson(ui, dir_.string()));
    EXPECT_EQ(form["form"][0], (json{{"key", "Caption"}, {"type", "String"}, {"value", "Designer & me"}}));
    EXPECT_EQ(form["form"][1], (json{{"key", "Width"}, {"type", "Single"}, {"value", 6000.0}}));
    const json& controls = form["controls"];
    ASSERT_EQ(controls.size(), 3u);
    EXPECT_EQ(controls[0]["name"], "lin");  // <zorder>: drawn first
    EXPECT_EQ(controls[1]["name"], "pnl");
    EXPECT_EQ(controls[2]["name"], "hot");
    EXPECT_EQ(controls[2]["container"], "pnl");
    EXPECT_EQ(controls[1]["left"], 120.0);
    EXPECT_EQ(controls[1]["top"], 240.0);
    EXPECT_EQ(controls[1]["width"], 3000.0);
    std::map<std::string, json> panel;
    for (const json& e : controls[1]["properties"]) panel[e["key"]] = e;
    EXPECT_EQ(panel["Alignment"]["value"], 3);
    EXPECT_EQ(panel["ForeColor"]["value"], 0xFF);
    EXPECT_EQ(panel["Font"]["value"],
              (json{{"name", "MS Sans Serif"}, {"size", 14.0}, {"bold", true}, {"italic", false}, {"underline", false},
                    {"strikethrough", false}}));
    EXPECT_TRUE(panel["Picture"].contains("png"));  // the resource's file, embedded
    // What Designer showed unchanged is the new widget's: a panel captioned with the name its
    // control goes by (its class), a hot label on white.
    EXPECT_EQ(panel["Caption"], (json{{"key", "Caption"}, {"type", "String"}, {"value", "OVGradientPanel"}}));
    std::map<std::string, json> hot;
    for (const json& e : controls[2]["properties"]) hot[e["key"]] = e;
    EXPECT_TRUE(hot["Picture"].contains("png"));
    EXPECT_EQ(hot["BackColor"], (json{{"key", "BackColor"}, {"type", "Long"}, {"value", 0xFFFFFF}}));
}

// Keys whose new instance differs from their default: a form file that leaves them out means the
// default, which the .ui then holds, and a .ui holding the default gives a form without them.
TEST_F(UiFormTest, NewInstanceValuesAndDefaults) {
    const XmlElement widget = WidgetOf({{"name", "hot"}, {"class", "OVHotLabel"}});
    const XmlElement* back = Value(widget, "BackColor");
    ASSERT_NE(back, nullptr) << ui_text_;
    EXPECT_EQ(back->ChildText("red"), "192");  // the default, button face, not the new label's white
    EXPECT_EQ(PropertiesFromUi(ui_text_), json::array()) << "a form without properties";
}

// A main window's controls are those of its central widget; a place may lie left of or above
// its container.
TEST_F(UiFormTest, MainWindowAndPlacesOutsideTheContainer) {
    const std::string ui = R"(<ui version="4.0"><class>MainWindow</class>
 <widget class="QMainWindow" name="MainWindow">
  <property name="geometry"><rect><x>0</x><y>0</y><width>320</width><height>240</height></rect></property>
  <widget class="QWidget" name="centralwidget">
   <widget class="ov::qt::OVTabHead" name="tab">
    <property name="geometry"><rect><x>-8</x><y>-4</y><width>300</width><height>30</height></rect></property>
   </widget>
  </widget>
  <widget class="QMenuBar" name="menubar"/>
  <widget class="QStatusBar" name="statusbar"/>
 </widget>
</ui>)";
    const json form = json::parse(ov::uiform::UiToFormJson(ui, dir_.string()));
    ASSERT_EQ(form["controls"].size(), 1u);
    EXPECT_EQ(form["controls"][0]["name"], "tab");
    EXPECT_EQ(form["controls"][0]["left"], -120.0);
    EXPECT_EQ(form["controls"][0]["top"], -60.0);
    EXPECT_EQ(form["form"][0], (json{{"key", "Width"}, {"type", "Single"}, {"value", 4800.0}}));
}

TEST_F(UiFormTest, BadInputIsRefusedWithThePlace) {
    struct Case {
        const char* ui;
        const char* message;
    };
    const Case cases[] = {
        {"<ui><widget class=\"QWidget\" name=\"Form\">", "missing </widget>"},
        {"<ui version=\"4.0\"><widget class=\"QWidget\" name=\"Form\"><widget class=\"QPushButton\" name=\"b\"/></widget></ui>",
         "widget b: class QPushButton has no control in the form files"},
        {"<ui><widget class=\"QWidget\" name=\"Form\"><widget class=\"ov::qt::OVGradientPanel\" name=\"p\"><property "
         "name=\"Style\"><enum>ov::qt::OVGradientPanel::nope</enum></property></widget></widget></ui>",
         "widget p.Style: ov::qt::OVGradientPanel::nope is no value of gpStyle"},
        {"<ui><widget class=\"QWidget\" name=\"Form\"><layout class=\"QVBoxLayout\"/></widget></ui>", "layouts have no place"},
        {"<ui><widget class=\"QWidget\" name=\"Form\"><widget class=\"ov::qt::OVGradientPanel\" name=\"p\"><property "
         "name=\"BevelWidth\"><number>x</number></property></widget></widget></ui>",
         "<number> holds no number"},
        {"<form/>", "not a .ui file"},
        {"<ui><widget class=\"QWidget\" name=\"Form\"><widget class=\"ov::qt::OV3DLine\" name=\"l\"><property "
         "name=\"geometry\"><rect><x>1.5</x></rect></property></widget></widget></ui>",
         "widget l.geometry: <x> holds no whole number: 1.5"},
        {"<ui><widget class=\"QWidget\" name=\"Form\"><widget class=\"ov::qt::OV3DLine\" name=\"l\"><property "
         "name=\"orvelleValues\" stdset=\"0\"><string>[1]</string></property></widget></widget></ui>",
         "widget l.orvelleValues: must be a JSON array of typed entries"},
        {"<ui>&bogus;</ui>", "unknown entity"},
        {"<ui>\n<widget class=\"QWidget\" name=\"F\">\xC3(</widget></ui>", "line 2: not well-formed UTF-8"},
        {"<ui><widget class=\"QWidget\" name=\"F\">&#xD800;</widget></ui>", "character reference out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ui);
        try {
            ov::uiform::UiToFormJson(c.ui, dir_.string());
            ADD_FAILURE() << "accepted";
        } catch (const ov::forms::FormError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

// The showcase to .ui and back: every control with its place, container and properties, and the
// same image.
TEST_F(UiFormTest, ShowcaseRoundTripRendersTheSame) {
    const std::string original = (fs::path(ORVELLE_SOURCE_ROOT) / "examples/showcase.json").string();
    const fs::path ui = dir_ / "showcase.ui", back = dir_ / "back.json";
    ov::uiform::ConvertFormToUi(original, ui.string());
    EXPECT_TRUE(fs::exists(dir_ / "showcase_pictures/hotHelp.Picture.png"));
    ov::uiform::ConvertUiToForm(ui.string(), back.string());

    const ov::forms::FormDocument a = ov::forms::LoadFormFile(original);
    const ov::forms::FormDocument b = ov::forms::LoadFormFile(back.string());
    // Every control with its name, class, container, place, size, events and bag (in any order).
    auto canonical = [](const ov::forms::FormDocument& document) {
        json form = json::parse(ov::forms::FormToJsonText(document));
        for (json& control : form["controls"]) {
            std::map<std::string, json> bag;
            for (const json& entry : control["properties"]) bag[entry["key"]] = entry;
            control["properties"] = bag;
        }
        return form;
    };
    const json canonical_a = canonical(a), canonical_b = canonical(b);
    EXPECT_EQ(canonical_a, canonical_b) << json::diff(canonical_a, canonical_b).dump(1);

    const fs::path png_a = dir_ / "a.png", png_b = dir_ / "b.png";
    EXPECT_TRUE(ov::forms::RenderForm(a, ov::library::Classes(), {}, png_a.string()).empty());
    EXPECT_TRUE(ov::forms::RenderForm(b, ov::library::Classes(), {}, png_b.string()).empty());
    EXPECT_EQ(ReadAll(png_a), ReadAll(png_b));
}

}  // namespace
