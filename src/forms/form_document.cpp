#include "forms/form_document.h"

#include <cmath>
#include <cstdint>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "host/reference/bag_file.h"
#include "platform/codepage/windows1252.h"
#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/json/json_document.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dispatch.h"

namespace ov::forms {

namespace {

using json_input::Node;
using nlohmann::json;

constexpr int kFormatVersion = 1;

// The form members a saved form records, in the order they are applied on loading: the
// extent before the scale mode so a user scale is never computed from a stale size.
constexpr const char* kSavedFormProperties[] = {"Caption", "Width", "Height", "BackColor", "ScaleMode"};

// Messages are library text (1252); file names arrive as the file system spells them (UTF-8).
std::string PathText(const std::string& path) { return codepage::Utf8ToWindows1252(path); }

// The version is a Long; one outside its range is an overflow rather than an unknown version,
// and nothing is read as a version it is not (4294967297 is not 1).
void CheckVersion(const Node& root) {
    const std::optional<Node> version = root.Find("orvelle_form");
    if (!version) root.Fail("missing \"orvelle_form\" version");
    const double number = version->Number();
    if (std::floor(number) != number) version->Fail("must be a whole number");
    if (number < -2147483648.0 || number > 2147483647.0)
        throw FormError(version->where() + ": " + AutomationError::StandardDescription(error::kOverflow),
                        error::kOverflow);
    if (number != kFormatVersion) version->Fail("unsupported form version " + version->json().dump());
}

// Event arguments are plain JSON values: numbers (whole ones within a Long's range as Long),
// strings and booleans; the host converts them to the event's parameter types.
Variant ArgumentFromNode(const Node& arg) {
    const json& value = arg.json();
    if (value.is_boolean()) return Variant::FromBoolean(arg.Boolean());
    if (value.is_string()) return Variant::FromString(arg.Text());
    const double number = arg.Number();
    if (value.is_number_integer() && number >= -2147483648.0 && number <= 2147483647.0)
        return Variant::FromLong(static_cast<std::int32_t>(number));
    return Variant::FromDouble(number);
}

json ArgumentToJson(const Variant& value) {
    if (value.type() == VarType::Boolean) return CBool(value);
    if (value.type() == VarType::String) return json_input::TextToJson(CStr(value));
    if (value.type() == VarType::Byte || value.type() == VarType::Integer || value.type() == VarType::Long)
        return CLng(value);
    return CDbl(value);
}

std::vector<FiredEvent> EventsFromNode(const Node& events) {
    std::vector<FiredEvent> out;
    for (std::size_t i = 0; i < events.Size(); ++i) {
        const Node event = events.At(i);
        event.ExpectObject();
        FiredEvent fired{event["target"].Text(), event["event"].Text(), {}};
        if (const auto args = event.Find("args")) {
            for (std::size_t k = 0; k < args->Size(); ++k) fired.args.push_back(ArgumentFromNode(args->At(k)));
        }
        out.push_back(std::move(fired));
    }
    return out;
}

ControlRecord ControlFromNode(const Node& control, const std::string& base_dir) {
    control.ExpectObject();
    ControlRecord record;
    record.name = control["name"].Text();
    if (record.name.empty()) control["name"].Fail("must not be empty");
    record.class_name = control["class"].Text();
    if (record.class_name.empty()) control["class"].Fail("must not be empty");
    if (const auto container = control.Find("container")) record.container = container->Text();
    if (EqualsIgnoreCase(record.container, "form")) record.container.clear();
    if (const auto left = control.Find("left")) record.left = left->Number();
    if (const auto top = control.Find("top")) record.top = top->Number();
    const std::optional<Node> width = control.Find("width");
    const std::optional<Node> height = control.Find("height");
    if (width.has_value() != height.has_value()) control.Fail("give both width and height, or neither");
    if (width) {
        record.width = width->Number();
        record.height = height->Number();
    }
    if (const auto properties = control.Find("properties"))
        record.properties = host::BagFromNode(*properties, base_dir);
    if (const auto events = control.Find("events")) record.events = EventsFromNode(*events);
    return record;
}

}  // namespace

FormDocument ParseForm(std::string_view json_text, const std::string& base_dir) {
    try {
        const json document = json_input::ParseDocument(json_text);
        if (!document.is_object()) throw FormError("a form file holds one JSON object");
        const Node root(document);
        CheckVersion(root);
        FormDocument form;
        if (const auto properties = root.Find("form")) form.form_properties = host::BagFromNode(*properties, base_dir);
        if (const auto controls = root.Find("controls")) {
            for (std::size_t i = 0; i < controls->Size(); ++i)
                form.controls.push_back(ControlFromNode(controls->At(i), base_dir));
        }
        return form;
    } catch (const json_input::ShapeError& shape) {
        throw FormError(shape.what());
    }
}

std::string FormToJsonText(const FormDocument& document) {
    json root;
    root["orvelle_form"] = kFormatVersion;
    root["form"] = BagToJson(document.form_properties);
    json controls = json::array();
    for (const ControlRecord& record : document.controls) {
        json control;
        control["name"] = json_input::TextToJson(record.name);
        control["class"] = json_input::TextToJson(record.class_name);
        if (!record.container.empty()) control["container"] = json_input::TextToJson(record.container);
        control["left"] = record.left;
        control["top"] = record.top;
        if (record.width && record.height) {
            control["width"] = *record.width;
            control["height"] = *record.height;
        }
        control["properties"] = BagToJson(record.properties);
        if (!record.events.empty()) {
            json events = json::array();
            for (const FiredEvent& e : record.events) {
                json args = json::array();
                for (const Variant& arg : e.args) args.push_back(ArgumentToJson(arg));
                events.push_back(json{{"target", json_input::TextToJson(e.target)},
                                      {"event", json_input::TextToJson(e.event)},
                                      {"args", std::move(args)}});
            }
            control["events"] = std::move(events);
        }
        controls.push_back(std::move(control));
    }
    root["controls"] = std::move(controls);
    return root.dump(2) + "\n";
}

FormDocument LoadFormFile(const std::string& path) {
    const files::FileContents file = files::ReadWholeFile(path, files::ReadOptions{.read_streams = true});
    switch (file.error) {
        case files::ReadError::None: break;
        case files::ReadError::Directory:
            throw FormError(PathText(path) + ": is a directory", error::kPathFileAccessError);
        case files::ReadError::NotFound: throw FormError(PathText(path) + ": cannot open", error::kFileNotFound);
        default: throw FormError(PathText(path) + ": cannot read", error::kPathFileAccessError);
    }
    try {
        return ParseForm(file.bytes, std::filesystem::path(path).parent_path().string());
    } catch (const FormError& error) {
        throw FormError(PathText(path) + ": " + error.what(), error.number());
    }
}

void SaveFormFile(const std::string& path, const FormDocument& document) {
    std::string text;
    try {
        text = FormToJsonText(document);
    } catch (const AutomationError& error) {
        throw FormError(PathText(path) + ": " + error.description(), error.number());
    }
    if (!files::ReplaceFile(path, text))
        throw FormError(PathText(path) + ": cannot write", error::kPathFileAccessError);
}

std::vector<LoadProblem> BuildForm(host::ReferenceHost& host, const FormDocument& document) {
    std::vector<LoadProblem> problems;
    for (const auto& [key, number] : document.form_properties.unreadable())
        problems.push_back({"form." + key, AutomationError(number)});
    host::Form& form = host.form();
    for (const auto& [key, value] : document.form_properties.entries()) {
        try {
            if (value.IsObject()) PutPropertyRef(form, key, value);
            else PutProperty(form, key, value);
        } catch (const AutomationError& error) {
            problems.push_back({"form." + key, error});
        }
    }
    for (const ControlRecord& record : document.controls) {
        host::Placement at;
        at.container = record.container;
        at.left = record.left;
        at.top = record.top;
        at.width = record.width;
        at.height = record.height;
        host.Load(record.name, record.class_name, record.properties, at);
        for (const FiredEvent& e : record.events) host.Fire(record.name, e.target, e.event, e.args);
    }
    return problems;
}

FormDocument CaptureForm(host::ReferenceHost& host) {
    FormDocument document;
    host::Form& form = host.form();
    for (const char* key : kSavedFormProperties) document.form_properties.Set(key, GetProperty(form, key));
    for (const std::string& name : host.Names()) {
        host::Control* control = host.FindControl(name);
        if (!control) continue;  // plain objects (a gradient renderer) are not part of a form
        ControlRecord record;
        record.name = name;
        record.class_name = control->TypeName();
        if (const host::HostEntry* entry = host.objects().EntryOf(control); entry && entry->container)
            record.container = entry->container->name;
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
