#include "uiform/ui_form.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include <nlohmann/json.hpp>

#include "library/classes.h"
#include "library/typelib_json.h"
#include "library/widget_names.h"
#include "platform/codepage/windows1252.h"
#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/gdi/ole_colour.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/base64.h"
#include "uiform/xml_tree.h"

namespace ov::uiform {

namespace {

using nlohmann::json;
using forms::FormError;

constexpr double kTwipsPerPixel = 15;
constexpr const char* kWidgetNamespace = "ov::qt::";
constexpr const char* kValuesProperty = "orvelleValues";
constexpr const char* kEventsProperty = "orvelleEvents";
constexpr const char* kClassProperty = "orvelleClass";

// --- the classes as the type library describes them --------------------------------------------

struct Persisted {
    std::string key;
    std::string member;     // the Q_PROPERTY's name
    std::string kind;       // "enum", "color", "value", "object"
    std::string type_name;  // "gpStyle", "OLE_COLOR", "Boolean", "StdFont", "StdPicture"
    std::string bag_type;   // the type the control writes the key with ("Long", "Integer", ...)
    json default_value;     // {"type": ..., "value": ...}
    // A new instance starts with another value than a key absent from a bag reads as (the hot
    // label's white background, the side logo's font): a .ui lacks what Designer showed
    // unchanged, a form file what equals the default, so these keys are written out.
    bool initial_differs = false;
    json initial_value;           // {"type": ..., "value": ...}
    std::string initial_source;   // "AmbientDisplayName": the instance's name; "" the value above

    // The entry of this key holding `value` ({"type": ..., "value": ...}).
    json Entry(const json& value) const {
        json entry{{"key", key}, {"type", value.value("type", "Empty")}};
        if (value.contains("value")) entry["value"] = value["value"];
        return entry;
    }
    bool IsDefault(const json& entry) const { return initial_differs && entry == Entry(default_value); }
};

struct ClassModel {
    std::string name;
    bool container = false;
    double default_width = 2400, default_height = 1200;
    std::vector<Persisted> persisted;

    const Persisted* ByKey(std::string_view key) const {
        for (const Persisted& p : persisted)
            if (p.key == key) return &p;
        return nullptr;
    }
    const Persisted* ByMember(std::string_view member) const {
        for (const Persisted& p : persisted)
            if (p.member == member) return &p;
        return nullptr;
    }
};

// An enumeration key as the Qt widgets spell it.
std::string IdentifierOf(const std::string& name) { return library::WidgetEnumKey(name); }

struct Model {
    std::map<std::string, ClassModel> classes;  // controls of the type library by name
    std::map<std::string, std::vector<std::pair<std::string, std::int64_t>>> enums;

    Model() {
        const json library = library::TypeLibraryJson(library::Classes());
        for (const json& e : library["enums"]) {
            auto& values = enums[e["name"].get<std::string>()];
            for (const json& v : e["values"]) values.emplace_back(v["name"].get<std::string>(), v["value"].get<std::int64_t>());
        }
        for (const json& c : library["classes"]) {
            if (!c["control"].get<bool>()) continue;
            ClassModel model;
            model.name = c["name"];
            model.container = c["container"];
            if (c["defaultExtent"].is_object()) {
                model.default_width = c["defaultExtent"]["width"];
                model.default_height = c["defaultExtent"]["height"];
            }
            for (const json& p : c["persisted"]) {
                Persisted entry;
                entry.key = p["key"];
                // The member's type: the enumeration a key stored as a plain integer belongs to.
                json type = p["type"];
                entry.default_value = p["default"];
                entry.bag_type = p["default"].is_object() ? p["default"]["type"].get<std::string>() : "Empty";
                for (const json& m : c["interface"]["members"])
                    if (m.value("persistedKey", json()) == p["key"] && m["kind"] == "property") {
                        entry.member = m["name"];
                        type = m["type"];
                        const json initial = m.value("initial", json()), initial_from = m.value("initialFrom", json());
                        const json member_default = m.value("default", json());
                        entry.initial_value = initial;
                        entry.initial_source = initial_from.is_object() ? initial_from.value("source", "") : "";
                        entry.initial_differs = initial_from != m.value("defaultFrom", json()) ||
                                                (initial.is_object() && member_default.is_object() &&
                                                 initial.value("value", json()) != member_default.value("value", json()));
                        if (entry.member == entry.key) break;
                    }
                entry.kind = type["kind"];
                entry.type_name = type["name"];
                if (!entry.member.empty()) model.persisted.push_back(std::move(entry));
            }
            classes[model.name] = std::move(model);
        }
    }

    const ClassModel* Find(std::string_view name) const {
        const auto it = classes.find(std::string(name));
        return it == classes.end() ? nullptr : &it->second;
    }
};

const Model& TheModel() {
    static const Model model;
    return model;
}

// --- values: .ui elements <-> typed entries ----------------------------------------------------

std::string NumberText(double value) {
    if (std::floor(value) == value && std::fabs(value) < 1e15) return std::to_string(static_cast<std::int64_t>(value));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

bool IsIntegral(std::string_view type) { return type == "Byte" || type == "Integer" || type == "Long"; }
bool IsReal(std::string_view type) { return type == "Single" || type == "Double"; }

// Whole numbers and &H text of a typed entry, as the form files allow both.
std::optional<std::int64_t> IntegralOf(const json& value) {
    if (value.is_number_integer()) return value.get<std::int64_t>();
    if (value.is_number()) return static_cast<std::int64_t>(value.get<double>());
    if (value.is_string()) {
        std::string text = value.get<std::string>();
        if (!text.empty() && text.back() == '&') text.pop_back();
        if (text.size() > 2 && (text[0] == '&') && (text[1] == 'H' || text[1] == 'h')) {
            const std::uint32_t bits = static_cast<std::uint32_t>(std::stoul(text.substr(2), nullptr, 16));
            return static_cast<std::int32_t>(bits);
        }
    }
    return std::nullopt;
}

std::string BoolText(bool value) { return value ? "true" : "false"; }

// A whole number of a .ui element ("" is 0); anything else is refused naming the element.
int IntOf(const std::string& text, const std::string& what) {
    const std::string trimmed = text.substr(0, text.find_last_not_of(" \t\r\n") + 1);
    if (trimmed.find_first_not_of(" \t\r\n") == std::string::npos) return 0;
    try {
        std::size_t used = 0;
        const int value = std::stoi(trimmed, &used);
        if (trimmed.find_first_not_of(" \t\r\n", used) == std::string::npos) return value;
    } catch (const std::logic_error&) {
    }
    throw FormError("<" + what + "> holds no whole number: " + text);
}

XmlElement ColorElement(std::uint32_t colorref, bool with_alpha) {
    XmlElement color{"color", {}, {}, {}};
    if (with_alpha) color.Set("alpha", "255");
    color.Add("red", std::to_string(colorref & 0xFF));
    color.Add("green", std::to_string((colorref >> 8) & 0xFF));
    color.Add("blue", std::to_string((colorref >> 16) & 0xFF));
    return color;
}

std::int64_t ColorOf(const XmlElement& color) {
    auto part = [&](const char* name) { return IntOf(color.ChildText(name), name) & 0xFF; };
    return part("red") | (part("green") << 8) | (part("blue") << 16);
}


// Embedded pictures leave the form as files beside the .ui.
struct PictureWriter {
    std::string dir, prefix;
    std::string Write(const std::string& stem, const std::string& format, const std::string& base64) const {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        // Named after the control and key, with what a file name should not hold made '_'.
        std::string name = stem + "." + format;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '.' && ch != '_' && ch != '-') ch = '_';
        if (name[0] == '.') name[0] = '_';
        const std::vector<std::uint8_t> bytes = Base64Decode(base64);
        if (!files::ReplaceFile((std::filesystem::path(dir) / name).string(),
                                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
            throw FormError("cannot write " + codepage::Utf8ToWindows1252(dir + "/" + name), error::kPathFileAccessError);
        return prefix + name;
    }
};

constexpr const char* kPictureFormats[] = {"png", "ico", "wmf", "emf"};

bool IsEmbeddedPicture(const json& entry) {
    if (entry.value("type", "") != "Picture") return false;
    for (const char* format : kPictureFormats)
        if (entry.contains(format)) return true;
    return false;
}

// The value element a .ui holds for typed entry `entry` of property `p` of widget class
// `widget_class`; nullopt when the .ui has no element for it. `pictures` null: a picture's
// element is only described, nothing is written.
std::optional<XmlElement> UiValue(const std::string& widget_class, const Persisted& p, const json& entry,
                                  const PictureWriter* pictures, const std::string& picture_stem) {
    const std::string type = entry.value("type", "");
    const json value = entry.contains("value") ? entry["value"] : json();
    if (p.kind == "enum" && IsIntegral(type)) {
        const std::optional<std::int64_t> number = IntegralOf(value);
        if (!number) return std::nullopt;
        const auto it = TheModel().enums.find(p.type_name);
        if (it != TheModel().enums.end())
            for (const auto& [name, v] : it->second)
                if (v == *number)
                    // As Designer writes it: the widget's scope and the key, an enum class's
                    // key too.
                    return XmlElement{"enum", {}, {}, widget_class + "::" + IdentifierOf(name)};
        return XmlElement{"number", {}, {}, std::to_string(*number)};
    }
    if (p.kind == "color" && IsIntegral(type)) {
        const std::optional<std::int64_t> number = IntegralOf(value);
        if (!number) return std::nullopt;
        const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(*number));
        return ColorElement(static_cast<std::uint32_t>(gdi::ResolveSystemColorUpToIndex24(bits)), false);
    }
    if (type == "Boolean" && value.is_boolean()) return XmlElement{"bool", {}, {}, BoolText(value.get<bool>())};
    if (IsIntegral(type)) {
        const std::optional<std::int64_t> number = IntegralOf(value);
        if (!number) return std::nullopt;
        if (p.type_name == "Boolean") return XmlElement{"bool", {}, {}, BoolText(*number != 0)};
        return XmlElement{"number", {}, {}, std::to_string(*number)};
    }
    if (IsReal(type) && value.is_number()) return XmlElement{"double", {}, {}, NumberText(value.get<double>())};
    if (type == "String" && value.is_string()) return XmlElement{"string", {}, {}, value.get<std::string>()};
    if (type == "Font" && value.is_object()) {
        XmlElement font{"font", {}, {}, {}};
        font.Add("family", value.value("name", ""));
        font.Add("pointsize", std::to_string(static_cast<int>(std::lround(value.value("size", 8.25)))));
        font.Add("italic", BoolText(value.value("italic", false)));
        font.Add("bold", BoolText(value.value("bold", false)));
        font.Add("underline", BoolText(value.value("underline", false)));
        font.Add("strikeout", BoolText(value.value("strikethrough", false)));
        return font;
    }
    if (IsEmbeddedPicture(entry)) {
        for (const char* format : kPictureFormats)
            if (entry.contains(format))
                return XmlElement{"pixmap", {}, {},
                                  pictures ? pictures->Write(picture_stem, format, entry[format].get<std::string>()) : ""};
    }
    return std::nullopt;
}

// Where a .ui names a picture: a file relative to the .ui, or a resource (":/prefix/name") of a
// .qrc file the element names, whose <file> entries are relative to the .qrc.
std::string PicturePath(const XmlElement& pixmap, const std::string& base_dir, const std::string& place) {
    const std::string text = pixmap.text;
    if (text.rfind(":/", 0) != 0 && text.rfind("qrc:/", 0) != 0)
        return (std::filesystem::path(base_dir) / text).lexically_normal().string();
    const std::string resource = text.substr(text.find('/'));
    const std::string qrc_name = pixmap.Attribute("resource");
    if (qrc_name.empty()) throw FormError(place + ": resource " + text + " names no .qrc file");
    const std::filesystem::path qrc_path = std::filesystem::path(base_dir) / qrc_name;
    const files::FileContents file = files::ReadWholeFile(qrc_path.string(), {});
    if (file.error != files::ReadError::None) throw FormError(place + ": cannot read " + qrc_path.string(), error::kFileNotFound);
    try {
        const XmlElement rcc = ParseXml(file.bytes);
        for (const XmlElement& group : rcc.children) {
            if (group.name != "qresource") continue;
            std::string prefix = group.Attribute("prefix", "/");
            if (prefix.empty() || prefix[0] != '/') prefix.insert(prefix.begin(), '/');
            if (prefix.back() != '/') prefix += '/';
            for (const XmlElement& f : group.children) {
                if (f.name != "file") continue;
                if (prefix + f.Attribute("alias", f.text) == resource)
                    return (qrc_path.parent_path() / f.text).lexically_normal().string();
            }
        }
    } catch (const XmlError& error) {
        throw FormError(place + ": " + qrc_path.string() + ": " + error.what());
    }
    throw FormError(place + ": resource " + text + " is not in " + qrc_path.string());
}

bool BoolOf(const XmlElement& element) { return element.text == "true"; }

// The typed entry a .ui value element gives property `p` (nullopt: the element is of no kind
// the property takes).
std::optional<json> EntryFromUi(const Persisted& p, const XmlElement& element, const std::string& base_dir,
                                const std::string& place) {
    json entry{{"key", p.key}};
    const std::string& bag_type = p.bag_type;
    auto integral_type = [&] { return IsIntegral(bag_type) ? bag_type : std::string("Long"); };
    try {
        if (element.name == "enum") {
            const std::string key = element.text.substr(element.text.rfind(':') == std::string::npos ? 0 : element.text.rfind(':') + 1);
            const auto it = TheModel().enums.find(p.type_name);
            if (it == TheModel().enums.end()) return std::nullopt;
            for (const auto& [name, v] : it->second)
                if (IdentifierOf(name) == key || name == key) {
                    entry["type"] = integral_type();
                    entry["value"] = v;
                    return entry;
                }
            throw FormError(place + ": " + element.text + " is no value of " + p.type_name);
        }
        if (element.name == "color") {
            entry["type"] = integral_type();
            entry["value"] = ColorOf(element);
            return entry;
        }
        if (element.name == "bool") {
            if (IsIntegral(bag_type)) {
                entry["type"] = bag_type;
                entry["value"] = BoolOf(element) ? -1 : 0;
            } else {
                entry["type"] = "Boolean";
                entry["value"] = BoolOf(element);
            }
            return entry;
        }
        if (element.name == "number" || element.name == "double") {
            const double number = std::stod(element.text);
            if (IsReal(bag_type) || (element.name == "double" && !IsIntegral(bag_type))) {
                entry["type"] = IsReal(bag_type) ? bag_type : "Double";
                entry["value"] = number;
            } else {
                entry["type"] = integral_type();
                entry["value"] = static_cast<std::int64_t>(std::llround(number));
            }
            return entry;
        }
        if (element.name == "string" || element.name == "cstring") {
            entry["type"] = "String";
            entry["value"] = element.text;
            return entry;
        }
        if (element.name == "font") {
            // Designer writes the attributes that differ from the widget's font; the others are
            // the property's default.
            json font = p.default_value.is_object() && p.default_value.value("value", json()).is_object()
                            ? p.default_value["value"]
                            : json{{"name", "MS Sans Serif"}, {"size", 8.25}, {"bold", false}, {"italic", false},
                                   {"underline", false}, {"strikethrough", false}};
            if (const XmlElement* family = element.Child("family")) font["name"] = family->text;
            if (const XmlElement* size = element.Child("pointsize")) font["size"] = std::stod(size->text);
            if (const XmlElement* bold = element.Child("bold")) font["bold"] = BoolOf(*bold);
            if (const XmlElement* weight = element.Child("weight"); weight && !element.Child("bold"))
                font["bold"] = IntOf(weight->text, "weight") >= 63;
            if (const XmlElement* italic = element.Child("italic")) font["italic"] = BoolOf(*italic);
            if (const XmlElement* underline = element.Child("underline")) font["underline"] = BoolOf(*underline);
            if (const XmlElement* strikeout = element.Child("strikeout")) font["strikethrough"] = BoolOf(*strikeout);
            entry["type"] = "Font";
            entry["value"] = font;
            return entry;
        }
        if (element.name == "pixmap") {
            entry["type"] = "Picture";
            if (element.text.empty()) entry["empty"] = true;
            else entry["file"] = PicturePath(element, base_dir, place);
            return entry;
        }
    } catch (const std::invalid_argument&) {
        throw FormError(place + ": <" + element.name + "> holds no number: " + element.text);
    } catch (const std::out_of_range&) {
        throw FormError(place + ": <" + element.name + "> is out of range: " + element.text);
    }
    return std::nullopt;
}

// --- form2ui ----------------------------------------------------------------------------------

XmlElement Property(const std::string& name, XmlElement value, bool dynamic = false) {
    XmlElement property{"property", {{"name", name}}, {}, {}};
    if (dynamic) property.Set("stdset", "0");
    property.children.push_back(std::move(value));
    return property;
}

XmlElement TextProperty(const std::string& name, const std::string& text) {
    return Property(name, XmlElement{"string", {{"notr", "true"}}, {}, text}, true);
}

int Pixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

XmlElement Geometry(double left, double top, double width, double height) {
    XmlElement rect{"rect", {}, {}, {}};
    rect.Add("x", std::to_string(Pixels(left)));
    rect.Add("y", std::to_string(Pixels(top)));
    rect.Add("width", std::to_string(Pixels(width)));
    rect.Add("height", std::to_string(Pixels(height)));
    return Property("geometry", std::move(rect));
}

// A window background of one colour, as Designer writes a palette: the Window role in every
// colour group, and the widget filling its background with it.
void AddBackground(XmlElement& widget, std::uint32_t colorref) {
    widget.children.push_back(Property("autoFillBackground", XmlElement{"bool", {}, {}, "true"}));
    XmlElement palette{"palette", {}, {}, {}};
    for (const char* group : {"active", "inactive", "disabled"}) {
        XmlElement& role = palette.Add(group).Add("colorrole");
        role.Set("role", "Window");
        XmlElement& brush = role.Add("brush");
        brush.Set("brushstyle", "SolidPattern");
        brush.children.push_back(ColorElement(colorref, true));
    }
    widget.children.push_back(Property("palette", std::move(palette)));
}

std::optional<std::int64_t> BackgroundOf(const XmlElement& widget) {
    for (const XmlElement& property : widget.children) {
        if (property.name != "property" || property.Attribute("name") != "palette" || !property.Child("palette")) continue;
        const XmlElement* active = property.Child("palette")->Child("active");
        if (!active) continue;
        for (const XmlElement& role : active->children)
            if (role.Attribute("role") == "Window" && role.Child("brush") && role.Child("brush")->Child("color"))
                return ColorOf(*role.Child("brush")->Child("color"));
    }
    return std::nullopt;
}

const XmlElement* PropertyValue(const XmlElement& widget, std::string_view name) {
    for (const XmlElement& property : widget.children)
        if (property.name == "property" && property.Attribute("name") == name && !property.children.empty())
            return &property.children.front();
    return nullptr;
}

struct Node {
    const json* control;
    std::vector<std::size_t> children;  // indices into the controls
};

class UiWriter {
public:
    UiWriter(const json& form, PictureWriter pictures) : form_(form), pictures_(std::move(pictures)) {}

    XmlElement Write() {
        XmlElement ui{"ui", {{"version", "4.0"}}, {}, {}};
        ui.Add("class", "Form");
        XmlElement top{"widget", {{"class", "QWidget"}, {"name", "Form"}}, {}, {}};
        WriteFormProperties(top);
        const json controls = form_.value("controls", json::array());
        std::map<std::string, std::size_t> by_name;
        std::vector<std::vector<std::size_t>> children(controls.size());
        std::vector<std::size_t> roots;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const std::string container = controls[i].value("container", "");
            const auto it = by_name.find(container);
            if (container.empty() || container == "form") roots.push_back(i);
            else if (it != by_name.end()) children[it->second].push_back(i);
            else throw FormError("controls[" + std::to_string(i) + "]: container " + container + " is no earlier control",
                                 error::kObjectRequired);
            by_name[controls[i]["name"].get<std::string>()] = i;
        }
        for (std::size_t i : roots) top.children.push_back(WriteControl(controls, children, i));
        ui.children.push_back(std::move(top));
        XmlElement& custom = ui.Add("customwidgets");
        for (const std::string& cls : used_classes_) {
            XmlElement& entry = custom.Add("customwidget");
            entry.Add("class", kWidgetNamespace + cls);
            entry.Add("extends", "QWidget");
            entry.Add("header", "orvelle/qt/controls.h");
            if (TheModel().Find(cls)->container) entry.Add("container", "1");
        }
        ui.Add("resources");
        ui.Add("connections");
        return ui;
    }

private:
    void WriteFormProperties(XmlElement& top) {
        json exact = json::array();
        double width = 6000, height = 4000;
        std::optional<std::string> caption;
        std::optional<std::uint32_t> background;
        for (const json& entry : form_.value("form", json::array())) {
            const std::string key = entry["key"];
            const std::string type = entry["type"];
            const json value = entry.value("value", json());
            if (key == "Caption" && type == "String") {
                caption = value.get<std::string>();
                continue;
            }
            if ((key == "Width" || key == "Height") && value.is_number()) {
                (key == "Width" ? width : height) = value.get<double>();
                if (type == "Single" && std::fmod(value.get<double>(), kTwipsPerPixel) == 0) continue;
            } else if (key == "BackColor" && IsIntegral(type)) {
                const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(*IntegralOf(value)));
                background = static_cast<std::uint32_t>(gdi::ResolveSystemColorUpToIndex24(bits));
                if (type == "Long" && static_cast<std::uint32_t>(bits) == *background) continue;
            }
            exact.push_back(entry);
        }
        top.children.push_back(Geometry(0, 0, width, height));
        if (caption) top.children.push_back(Property("windowTitle", XmlElement{"string", {}, {}, *caption}));
        if (background) AddBackground(top, *background);
        if (!exact.empty()) top.children.push_back(TextProperty(kValuesProperty, exact.dump()));
    }

    XmlElement WriteControl(const json& controls, const std::vector<std::vector<std::size_t>>& children, std::size_t i) {
        const json& control = controls[i];
        const std::string name = control["name"];
        std::string class_name = control["class"];
        if (class_name.rfind("OrvelleControls.", 0) == 0) class_name = class_name.substr(16);
        const ClassModel* model = TheModel().Find(class_name);
        const std::string widget_class = model ? kWidgetNamespace + class_name : "QWidget";
        if (model && std::find(used_classes_.begin(), used_classes_.end(), class_name) == used_classes_.end())
            used_classes_.push_back(class_name);
        XmlElement widget{"widget", {{"class", widget_class}, {"name", name}}, {}, {}};
        json exact = json::array();

        // Place and size: whole pixels, the exact twips beside them when they are not.
        const double left = control.value("left", 0.0), top = control.value("top", 0.0);
        const bool has_extent = control.contains("width");
        const double width = has_extent ? control["width"].get<double>() : (model ? model->default_width : 2400);
        const double height = has_extent ? control["height"].get<double>() : (model ? model->default_height : 1200);
        widget.children.push_back(Geometry(left, top, width, height));
        json place{{"left", left}, {"top", top}};
        if (has_extent) {
            place["width"] = width;
            place["height"] = height;
        }
        bool place_exact = has_extent;
        for (double twips : {left, top, width, height}) place_exact &= std::fmod(twips, kTwipsPerPixel) == 0;
        if (!place_exact) exact.push_back(json{{"key", "geometry"}, {"type", "Place"}, {"value", place}});

        if (!model) widget.children.push_back(TextProperty(kClassProperty, control["class"].get<std::string>()));
        json entries = control.value("properties", json::array());
        if (model)
            for (const Persisted& p : model->persisted) {
                bool present = false;
                for (const json& entry : entries) present |= entry.value("key", "") == p.key;
                if (p.initial_differs && !present && p.default_value.is_object()) entries.push_back(p.Entry(p.default_value));
            }
        for (const json& entry : entries) {
            const std::string key = entry["key"];
            const Persisted* p = model ? model->ByKey(key) : nullptr;
            if (!p) {
                // A plain control keeps its whole bag beside its look.
                const std::optional<std::int64_t> colour =
                    IsIntegral(entry.value("type", "")) ? IntegralOf(entry.value("value", json())) : std::nullopt;
                if (key == "BackColor" && colour)
                    AddBackground(widget, static_cast<std::uint32_t>(gdi::ResolveSystemColorUpToIndex24(
                                              static_cast<std::int32_t>(static_cast<std::uint32_t>(*colour)))));
                exact.push_back(entry);
                continue;
            }
            std::optional<XmlElement> value = UiValue(widget_class, *p, entry, &pictures_, name + "." + key);
            if (value) {
                const bool is_exact = IsEmbeddedPicture(entry) || [&] {
                    const std::optional<json> back = EntryFromUi(*p, *value, {}, name);
                    return back && *back == entry;
                }();
                widget.children.push_back(Property(p->member, std::move(*value)));
                if (is_exact) continue;
            }
            exact.push_back(entry);
        }
        if (!exact.empty()) widget.children.push_back(TextProperty(kValuesProperty, exact.dump()));
        if (control.contains("events")) widget.children.push_back(TextProperty(kEventsProperty, control["events"].dump()));
        for (std::size_t child : children[i]) widget.children.push_back(WriteControl(controls, children, child));
        return widget;
    }

    const json& form_;
    PictureWriter pictures_;
    std::vector<std::string> used_classes_;
};

// --- ui2form ----------------------------------------------------------------------------------

class UiReader {
public:
    explicit UiReader(std::string base_dir) : base_dir_(std::move(base_dir)) {}

    json Read(const XmlElement& ui) {
        if (ui.name != "ui") throw FormError("not a .ui file: the root element is <" + ui.name + ">");
        const XmlElement* top = ui.Child("widget");
        if (!top) throw FormError("the .ui file holds no widget");
        json form{{"orvelle_form", 1}, {"form", ReadFormProperties(*top)}, {"controls", json::array()}};
        // A main window's controls are those of its central widget; its menu, tool and status
        // bars have no place in a form file.
        const XmlElement* client = top;
        if (top->Attribute("class") == "QMainWindow") {
            client = nullptr;
            for (const XmlElement& child : top->children)
                if (child.name == "widget" && child.Attribute("class") == "QWidget") client = &child;
            if (!client) return form;
        }
        for (const XmlElement* child : Children(*client)) ReadWidget(*child, "", form["controls"]);
        return form;
    }

private:
    // The child widgets in z-order: as written, or as <zorder> lists them.
    static std::vector<const XmlElement*> Children(const XmlElement& widget) {
        std::vector<const XmlElement*> children, ordered;
        std::vector<std::string> zorder;
        for (const XmlElement& child : widget.children) {
            if (child.name == "widget") children.push_back(&child);
            if (child.name == "zorder") zorder.push_back(child.text);
            if (child.name == "layout")
                throw FormError("widget " + widget.Attribute("name") + ": layouts have no place in a form file; "
                                "break the layout in Designer first");
        }
        for (const std::string& name : zorder)
            for (const XmlElement* child : children)
                if (child->Attribute("name") == name && std::find(ordered.begin(), ordered.end(), child) == ordered.end())
                    ordered.push_back(child);
        for (const XmlElement* child : children)
            if (std::find(ordered.begin(), ordered.end(), child) == ordered.end()) ordered.push_back(child);
        return ordered;
    }

    static json ExactEntries(const XmlElement& widget, const std::string& place) {
        const XmlElement* values = PropertyValue(widget, kValuesProperty);
        if (!values) return json::array();
        json exact = json::parse(values->text, nullptr, false);
        bool entries = exact.is_array();
        for (const json& entry : exact) entries &= entry.is_object() && entry.contains("key") && entry["key"].is_string();
        if (!entries) throw FormError(place + "." + kValuesProperty + ": must be a JSON array of typed entries");
        return exact;
    }

    static std::optional<std::array<int, 4>> Rect(const XmlElement& widget) {
        const XmlElement* rect = PropertyValue(widget, "geometry");
        if (!rect || rect->name != "rect") return std::nullopt;
        auto part = [&](const char* name) { return IntOf(rect->ChildText(name), name); };
        try {
            return std::array<int, 4>{part("x"), part("y"), part("width"), part("height")};
        } catch (const FormError& error) {
            throw FormError("widget " + widget.Attribute("name") + ".geometry: " + error.what());
        }
    }

    json ReadFormProperties(const XmlElement& top) {
        const json exact = ExactEntries(top, "form");
        json entries = json::array();
        if (const XmlElement* title = PropertyValue(top, "windowTitle"))
            entries.push_back(json{{"key", "Caption"}, {"type", "String"}, {"value", title->text}});
        const std::optional<std::array<int, 4>> rect = Rect(top);
        const std::optional<std::int64_t> background = BackgroundOf(top);
        auto exact_entry = [&](const char* key) -> const json* {
            for (const json& entry : exact)
                if (entry.value("key", "") == key) return &entry;
            return nullptr;
        };
        for (const char* key : {"Width", "Height"}) {
            if (!rect) break;
            const int pixels = (*rect)[key[0] == 'W' ? 2 : 3];
            const json* e = exact_entry(key);
            if (e && e->contains("value") && (*e)["value"].is_number() && Pixels((*e)["value"].get<double>()) == pixels)
                entries.push_back(*e);
            else
                entries.push_back(json{{"key", key}, {"type", "Single"}, {"value", pixels * kTwipsPerPixel}});
        }
        if (background) {
            const json* e = exact_entry("BackColor");
            if (e && IntegralOf(e->value("value", json())) &&
                gdi::ResolveSystemColorUpToIndex24(static_cast<std::int32_t>(*IntegralOf((*e)["value"]))) == *background)
                entries.push_back(*e);
            else
                entries.push_back(json{{"key", "BackColor"}, {"type", "Long"}, {"value", *background}});
        }
        for (const json& e : exact) {
            const std::string key = e.value("key", "");
            if (key != "Width" && key != "Height" && key != "BackColor" && key != "Caption") entries.push_back(e);
        }
        return entries;
    }

    void ReadWidget(const XmlElement& widget, const std::string& container, json& controls) {
        const std::string name = widget.Attribute("name");
        const std::string widget_class = widget.Attribute("class");
        const std::string place = "widget " + name;
        std::string class_name;
        const ClassModel* model = nullptr;
        if (widget_class.rfind(kWidgetNamespace, 0) == 0) class_name = widget_class.substr(std::string(kWidgetNamespace).size());
        else if (const XmlElement* plain = PropertyValue(widget, kClassProperty)) class_name = plain->text;
        else class_name = widget_class;
        model = TheModel().Find(class_name);
        if (!model && !PropertyValue(widget, kClassProperty))
            throw FormError(place + ": class " + widget_class + " has no control in the form files", error::kCannotCreateObject);
        if (name.empty()) throw FormError("a widget of class " + widget_class + " has no name");

        const json exact = ExactEntries(widget, place);
        json control{{"name", name}, {"class", class_name}};
        if (!container.empty()) control["container"] = container;
        const std::optional<std::array<int, 4>> rect = Rect(widget);
        json geometry;
        for (const json& e : exact)
            if (e.value("key", "") == "geometry" && e.value("type", "") == "Place") geometry = e["value"];
        const double left = rect ? (*rect)[0] * kTwipsPerPixel : 0, top = rect ? (*rect)[1] * kTwipsPerPixel : 0;
        const double width = rect ? (*rect)[2] * kTwipsPerPixel : 0, height = rect ? (*rect)[3] * kTwipsPerPixel : 0;
        const bool place_unchanged = geometry.is_object() && rect && Pixels(geometry.value("left", 0.0)) == (*rect)[0] &&
                                     Pixels(geometry.value("top", 0.0)) == (*rect)[1] &&
                                     (geometry.contains("width")
                                          ? Pixels(geometry["width"].get<double>()) == (*rect)[2] &&
                                                Pixels(geometry["height"].get<double>()) == (*rect)[3]
                                          : model && Pixels(model->default_width) == (*rect)[2] &&
                                                Pixels(model->default_height) == (*rect)[3]);
        if (place_unchanged) {
            control["left"] = geometry["left"];
            control["top"] = geometry["top"];
            if (geometry.contains("width")) {
                control["width"] = geometry["width"];
                control["height"] = geometry["height"];
            }
        } else if (rect) {
            control["left"] = left;
            control["top"] = top;
            control["width"] = width;
            control["height"] = height;
        }

        json properties = json::array();
        std::set<std::string> taken;
        if (model) {
            // In the order the control persists its keys, as its WriteProperties would.
            for (const Persisted& p : model->persisted) {
                const XmlElement* value = PropertyValue(widget, p.member);
                const json* exact_entry = nullptr;
                for (const json& e : exact)
                    if (e.value("key", "") == p.key) exact_entry = &e;
                // A key whose new instance differs from its default is kept as the .ui shows it:
                // unchanged in Designer (absent) is the new instance's value, the default is
                // what a form file leaves out.
                auto keep = [&](json entry) {
                    taken.insert(p.key);
                    if (!p.IsDefault(entry)) properties.push_back(std::move(entry));
                };
                if (!value) {
                    // No .ui element: what only the exact entries hold.
                    if (exact_entry && !UiValue(widget_class, p, *exact_entry, nullptr, {})) keep(*exact_entry);
                    else if (exact_entry) taken.insert(p.key);
                    else if (p.initial_differs && p.initial_source == "AmbientDisplayName")
                        // A Qt widget's control goes by its class name in the widget's own host.
                        keep(p.Entry(json{{"type", "String"}, {"value", class_name}}));
                    else if (p.initial_differs && p.initial_source.empty() && p.initial_value.is_object())
                        keep(p.Entry(p.initial_value));
                    continue;
                }
                if (exact_entry) {
                    const std::optional<XmlElement> written = UiValue(widget_class, p, *exact_entry, nullptr, {});
                    if (written && written->name == value->name && SameValue(*written, *value)) {
                        keep(*exact_entry);
                        continue;
                    }
                }
                std::optional<json> entry = EntryFromUi(p, *value, base_dir_, place + "." + p.member);
                if (!entry)
                    throw FormError(place + "." + p.member + ": <" + value->name + "> is no value for " + p.type_name);
                keep(std::move(*entry));
            }
        }
        for (const json& e : exact) {
            const std::string key = e.value("key", "");
            if (key != "geometry" && !taken.count(key)) properties.push_back(e);
        }
        if (!properties.empty()) control["properties"] = properties;
        if (const XmlElement* events = PropertyValue(widget, kEventsProperty)) {
            json parsed = json::parse(events->text, nullptr, false);
            if (!parsed.is_array()) throw FormError(place + "." + kEventsProperty + ": must be a JSON array of events");
            control["events"] = parsed;
        }
        controls.push_back(control);
        for (const XmlElement* child : Children(widget)) ReadWidget(*child, name, controls);
    }

    // Two value elements alike: the same text and the same children, recursively (attributes
    // such as a colour's alpha left aside).
    static bool SameValue(const XmlElement& a, const XmlElement& b) {
        if (a.name != b.name || a.text != b.text) return false;
        if (a.name == "font") {
            // Designer may leave out attributes; those present must agree.
            for (const XmlElement& part : b.children)
                if (const XmlElement* mine = a.Child(part.name); mine && mine->text != part.text) return false;
            return true;
        }
        if (a.children.size() != b.children.size()) return false;
        for (std::size_t i = 0; i < a.children.size(); ++i)
            if (!SameValue(a.children[i], b.children[i])) return false;
        return true;
    }

    std::string base_dir_;
};

std::string ReadText(const std::string& path) {
    const files::FileContents file = files::ReadWholeFile(path, {});
    switch (file.error) {
        case files::ReadError::None: return file.bytes;
        case files::ReadError::NotFound:
            throw FormError(codepage::Utf8ToWindows1252(path) + ": cannot open", error::kFileNotFound);
        default: throw FormError(codepage::Utf8ToWindows1252(path) + ": cannot read", error::kPathFileAccessError);
    }
}

void WriteText(const std::string& path, const std::string& text) {
    if (!files::ReplaceFile(path, text))
        throw FormError(codepage::Utf8ToWindows1252(path) + ": cannot write", error::kPathFileAccessError);
}

}  // namespace

std::string FormJsonToUi(std::string_view form_json, const std::string& picture_dir, const std::string& picture_prefix) {
    const json form = json::parse(form_json);
    return WriteXml(UiWriter(form, PictureWriter{picture_dir, picture_prefix}).Write());
}

std::string UiToFormJson(std::string_view ui_text, const std::string& base_dir) {
    XmlElement ui;
    try {
        ui = ParseXml(ui_text);
    } catch (const XmlError& error) {
        throw FormError(std::string("not a well-formed .ui file: ") + error.what());
    }
    const json form = UiReader(base_dir).Read(ui);
    // Through the form reader, so what comes out is a form file as the library writes one
    // (pictures embedded) and what it cannot take is refused here, naming the place.
    return forms::FormToJsonText(forms::ParseForm(form.dump(), base_dir));
}

void ConvertFormToUi(const std::string& form_path, const std::string& ui_path) {
    // The form as the library writes it: integers as numbers, pictures embedded.
    const std::string canonical = forms::FormToJsonText(forms::LoadFormFile(form_path));
    const std::filesystem::path ui(ui_path);
    const std::string folder = ui.stem().string() + "_pictures";
    WriteText(ui_path, FormJsonToUi(canonical, (ui.parent_path() / folder).string(), folder + "/"));
}

void ConvertUiToForm(const std::string& ui_path, const std::string& form_path) {
    const std::string dir = std::filesystem::path(ui_path).parent_path().string();
    const std::string ui = ReadText(ui_path);
    std::string form;
    try {
        form = UiToFormJson(ui, dir.empty() ? "." : dir);
    } catch (const FormError& error) {
        throw FormError(codepage::Utf8ToWindows1252(ui_path) + ": " + error.what(), error.number());
    }
    WriteText(form_path, form);
}

}  // namespace ov::uiform
