#include "forms/form_document.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov::forms {

namespace {

using nlohmann::json;

constexpr int kFormatVersion = 1;

// The form members a saved form records, in the order they are applied on loading: the
// extent before the scale mode so a user scale is never computed from a stale size.
constexpr const char* kSavedFormProperties[] = {"Caption", "Width", "Height", "BackColor", "ScaleMode"};

// Colours are easier to write by hand as "&H8000000F" than as -2147483633, so an integer entry
// may give its value as hex text; it is read as the 32-bit two's complement value.
json NormaliseHexValue(json entry, const std::string& where) {
    if (!entry.is_object() || !entry.contains("value") || !entry.at("value").is_string()) return entry;
    const std::string type = entry.value("type", "");
    if (type != "Integer" && type != "Long" && type != "Byte") return entry;
    std::string text = entry.at("value").get<std::string>();
    if (!text.empty() && text.back() == '&') text.pop_back();
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h') || text.size() > 10)
        throw FormError(where + ": integer value must be a number or &H hex text");
    std::uint32_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) throw FormError(where + ": bad hex digit in " + text);
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    const auto signed_value = static_cast<std::int32_t>(value);
    if (type == "Integer" && (signed_value < -32768 || signed_value > 32767))
        throw FormError(where + ": " + text + " does not fit an Integer");
    entry["value"] = signed_value;
    return entry;
}

host::PropertyBag BagFromJson(const json& entries, const std::string& base_dir, const std::string& where) {
    if (!entries.is_array()) throw FormError(where + ": expected an array of {key, type, value} entries");
    json normalised = json::array();
    for (std::size_t i = 0; i < entries.size(); ++i)
        normalised.push_back(NormaliseHexValue(entries[i], where + "[" + std::to_string(i) + "]"));
    try {
        return host::PropertyBag::FromJson(normalised, base_dir);
    } catch (const AutomationError& error) {
        throw FormError(where + ": " + error.description());
    }
}

double NumberField(const json& object, const char* field, const std::string& where) {
    const json& value = object.at(field);
    if (!value.is_number()) throw FormError(where + ": \"" + field + "\" must be a number");
    return value.get<double>();
}

std::string StringField(const json& object, const char* field, const std::string& where, bool required) {
    if (!object.contains(field)) {
        if (required) throw FormError(where + ": missing \"" + field + "\"");
        return {};
    }
    if (!object.at(field).is_string()) throw FormError(where + ": \"" + field + "\" must be a string");
    return object.at(field).get<std::string>();
}

ControlRecord ControlFromJson(const json& j, const std::string& base_dir, const std::string& where) {
    if (!j.is_object()) throw FormError(where + ": a control must be an object");
    ControlRecord record;
    record.name = StringField(j, "name", where, true);
    record.class_name = StringField(j, "class", where, true);
    record.container = StringField(j, "container", where, false);
    if (EqualsIgnoreCase(record.container, "form")) record.container.clear();
    if (j.contains("left")) record.left = NumberField(j, "left", where);
    if (j.contains("top")) record.top = NumberField(j, "top", where);
    if (j.contains("width") != j.contains("height")) throw FormError(where + ": give both width and height, or neither");
    if (j.contains("width")) {
        record.width = NumberField(j, "width", where);
        record.height = NumberField(j, "height", where);
    }
    if (j.contains("properties")) record.properties = BagFromJson(j.at("properties"), base_dir, where + ".properties");
    return record;
}

}  // namespace

FormDocument ParseForm(std::string_view json_text, const std::string& base_dir) {
    const json root = json::parse(json_text.begin(), json_text.end(), nullptr, false);
    if (root.is_discarded()) throw FormError("not valid JSON");
    if (!root.is_object()) throw FormError("a form file holds one JSON object");
    if (!root.contains("orvelle_form") || !root.at("orvelle_form").is_number_integer())
        throw FormError("missing \"orvelle_form\" version");
    if (root.at("orvelle_form").get<int>() != kFormatVersion)
        throw FormError("unsupported form version " + root.at("orvelle_form").dump());

    FormDocument document;
    if (root.contains("form")) {
        const host::PropertyBag form = BagFromJson(root.at("form"), base_dir, "form");
        document.form_properties = form.entries();
    }
    if (root.contains("controls")) {
        const json& controls = root.at("controls");
        if (!controls.is_array()) throw FormError("\"controls\" must be an array");
        for (std::size_t i = 0; i < controls.size(); ++i)
            document.controls.push_back(ControlFromJson(controls[i], base_dir, "controls[" + std::to_string(i) + "]"));
    }
    return document;
}

std::string FormToJsonText(const FormDocument& document) {
    json root;
    root["orvelle_form"] = kFormatVersion;
    host::PropertyBag form;
    for (const auto& [key, value] : document.form_properties) form.Set(key, value);
    root["form"] = form.ToJson();
    json controls = json::array();
    for (const ControlRecord& record : document.controls) {
        json control;
        control["name"] = record.name;
        control["class"] = record.class_name;
        if (!record.container.empty()) control["container"] = record.container;
        control["left"] = record.left;
        control["top"] = record.top;
        if (record.width && record.height) {
            control["width"] = *record.width;
            control["height"] = *record.height;
        }
        control["properties"] = record.properties.ToJson();
        controls.push_back(std::move(control));
    }
    root["controls"] = std::move(controls);
    return root.dump(2) + "\n";
}

FormDocument LoadFormFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FormError(path + ": cannot open");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return ParseForm(text.str(), std::filesystem::path(path).parent_path().string());
    } catch (const FormError& error) {
        throw FormError(path + ": " + error.what());
    }
}

void SaveFormFile(const std::string& path, const FormDocument& document) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw FormError(path + ": cannot write");
    out << FormToJsonText(document);
    if (!out.flush()) throw FormError(path + ": cannot write");
}

void BuildForm(host::ReferenceHost& host, const FormDocument& document) {
    host::Form& form = host.form();
    for (const auto& [key, value] : document.form_properties) {
        if (value.IsObject()) PutPropertyRef(form, key, value);
        else PutProperty(form, key, value);
    }
    for (const ControlRecord& record : document.controls) {
        host::Placement at;
        at.container = record.container;
        at.left = record.left;
        at.top = record.top;
        at.width = record.width;
        at.height = record.height;
        host.Load(record.name, record.class_name, record.properties, at);
    }
}

FormDocument CaptureForm(host::ReferenceHost& host) {
    FormDocument document;
    host::Form& form = host.form();
    for (const char* key : kSavedFormProperties) document.form_properties.emplace_back(key, GetProperty(form, key));
    for (const std::string& name : host.Names()) {
        host::Control* control = host.FindControl(name);
        if (!control) continue;  // plain objects (a gradient renderer) are not part of a form
        ControlRecord record;
        record.name = name;
        record.class_name = control->TypeName();
        const std::string container = host.NameOf(control->Parent().get());
        if (!EqualsIgnoreCase(container, "form")) record.container = container;
        // Position comes from the extender the host gives every placed control.
        record.left = CDbl(GetProperty(*control, "Left"));
        record.top = CDbl(GetProperty(*control, "Top"));
        record.width = control->Width();
        record.height = control->Height();
        record.properties = host.Save(name);
        document.controls.push_back(std::move(record));
    }
    return document;
}

}  // namespace ov::forms
