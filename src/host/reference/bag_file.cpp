#include "host/reference/bag_file.h"

#include <cmath>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "host/contract/font_attributes.h"
#include "platform/runtime/base64.h"
#include "platform/runtime/type_info.h"
#include "platform/gdi/png_io.h"
#include "platform/json/json_document.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {

namespace {

using json_input::Node;
using json_input::TextToJson;
using nlohmann::json;

json FontToJson(const std::shared_ptr<IDispatch>& font) {
    const FontAttributes attrs = FontFromObject(font);
    return json{
        {"name", TextToJson(attrs.name)}, {"size", attrs.size},           {"bold", attrs.bold},
        {"italic", attrs.italic},         {"underline", attrs.underline}, {"strikethrough", attrs.strikethrough}};
}

// Every member is optional (the font object's default stands in). The shapes are checked
// before any value is applied, so a malformed font is a format error even when another member
// would also be out of range; the values then go through the font object's own properties,
// which refuse an empty name or a size outside (0, 2160] points with 380.
Variant FontFromNode(const Node& value) {
    value.ExpectObject();
    const std::optional<Node> name = value.Find("name");
    const std::optional<Node> size = value.Find("size");
    std::vector<std::pair<const char*, bool>> flags;
    for (const auto& [member, property] :
         {std::pair{"bold", "Bold"}, std::pair{"italic", "Italic"}, std::pair{"underline", "Underline"},
          std::pair{"strikethrough", "Strikethrough"}})
        if (const std::optional<Node> flag = value.Find(member)) flags.emplace_back(property, flag->Boolean());
    const std::string name_text = name ? name->Text() : std::string();
    const double size_points = size ? size->Number() : 0;

    const std::shared_ptr<IDispatch> font = MakeFontObject(FontAttributes{});
    if (name) PutProperty(*font, "Name", Variant::FromString(name_text));
    if (size) PutProperty(*font, "Size", Variant::FromDouble(size_points));
    for (const auto& [property, on] : flags) PutProperty(*font, property, Variant::FromBoolean(on));
    return Variant::FromObject(font);
}

// Every picture is embedded as the bytes of a file the picture loader reads back into the same
// type: PNG for a bitmap, ICO for an icon, the metafile's own bytes; the member names the format.
const char* PictureFormatKey(PictureType type) {
    switch (type) {
        case PictureType::Icon: return "ico";
        case PictureType::Metafile: return "wmf";
        case PictureType::EnhancedMetafile: return "emf";
        default: return "png";
    }
}

constexpr const char* kPictureFormatKeys[] = {"png", "ico", "wmf", "emf"};

// `file` is the picture's file bytes where the bag already holds them.
json PictureToJson(const Picture& picture, const std::vector<std::uint8_t>* file = nullptr) {
    if (picture.type() == PictureType::None) return json{{"type", "Picture"}, {"empty", true}};
    return json{{"type", "Picture"},
                {PictureFormatKey(picture.type()), Base64Encode(file ? *file : PictureFileBytes(picture))}};
}

// A picture entry names its source beside "type": embedded PNG bytes, a file (relative to the
// bag's folder), or none. A source that does not decode raises the loader's error.
Variant PictureFromNode(const Node& entry, const std::string& base_dir) {
    if (const std::optional<Node> empty = entry.Find("empty"); empty && empty->Boolean())
        return Variant::FromObject(Picture::Empty());
    for (const char* format : kPictureFormatKeys)
        if (const std::optional<Node> bytes = entry.Find(format))
            return Variant::FromObject(LoadPictureFromMemory(Base64Decode(bytes->Utf8Text())));
    if (const std::optional<Node> file = entry.Find("file")) {
        std::filesystem::path path = file->Utf8Text();
        if (path.is_relative() && !base_dir.empty()) path = std::filesystem::path(base_dir) / path;
        return Variant::FromObject(LoadPicture(path.string()));
    }
    entry.Fail("a Picture entry needs \"png\", \"ico\", \"wmf\", \"emf\", \"file\" or \"empty\": true");
}

// &H hex text, the way colours are written by hand: up to eight digits, an optional trailing
// '&', read as the 32-bit two's complement value. More digits than 32 bits hold overflow.
double HexValue(const Node& value) {
    std::string text = value.Text();
    if (!text.empty() && text.back() == '&') text.pop_back();
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h'))
        value.Fail("must be a number or &H hex text");
    std::uint64_t magnitude = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) value.Fail("bad hex digit in " + text);
        magnitude = magnitude * 16 + static_cast<std::uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFu) throw AutomationError(error::kOverflow);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
}

// A whole number for Byte, Integer and Long; its range is the conversion's to check.
double WholeNumber(const Node& value) {
    if (value.IsString()) return HexValue(value);
    const double number = value.Number();
    if (std::floor(number) != number) value.Fail("must be a whole number");
    return number;
}

// The value an entry stores. A wrong shape throws ShapeError; a value its type cannot hold
// throws the AutomationError the type's conversion raises (6 for a number out of range).
Variant ValueOfEntry(const Node& entry, const std::string& base_dir) {
    const Node type_node = entry["type"];
    const std::string type = type_node.Text();
    const auto value = [&] { return entry["value"]; };
    if (type == "Empty") return Variant();
    if (type == "Null") return Variant::Null();
    if (type == "Boolean") return Variant::FromBoolean(value().Boolean());
    if (type == "Byte") return ConvertTo(Variant::FromDouble(WholeNumber(value())), VarType::Byte);
    if (type == "Integer") return ConvertTo(Variant::FromDouble(WholeNumber(value())), VarType::Integer);
    if (type == "Long") return ConvertTo(Variant::FromDouble(WholeNumber(value())), VarType::Long);
    if (type == "Single") return ConvertTo(Variant::FromDouble(value().Number()), VarType::Single);
    if (type == "Double") return Variant::FromDouble(value().Number());
    if (type == "String") return Variant::FromString(value().Text());
    if (type == "Date") {
        const Node date = value();
        if (date.IsNumber()) return Variant::FromDate(CDate(Variant::FromDouble(date.Number())));
        if (!date.IsString()) date.Fail("must be date text \"YYYY-MM-DD HH:MM:SS\" or a date serial number");
        if (const auto serial = ParseIsoDateText(date.Text())) return Variant::FromDate(*serial);
        throw AutomationError(error::kTypeMismatch);
    }
    if (type == "Object") {
        if (!value().IsNull()) value().Fail("an Object entry holds only null (Nothing)");
        return Variant::FromObject(nullptr);
    }
    if (type == "Font") return FontFromNode(value());
    if (type == "Picture") return PictureFromNode(entry, base_dir);
    type_node.Fail("unknown type \"" + type + "\"");
}

}  // namespace

json VariantToJson(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return json{{"type", "Empty"}};
        case VarType::Null: return json{{"type", "Null"}};
        case VarType::Missing: return json{{"type", "Empty"}};
        case VarType::Boolean: return json{{"type", "Boolean"}, {"value", v.boolean()}};
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return json{{"type", VarTypeName(v.type())}, {"value", v.integral()}};
        case VarType::Single:
        case VarType::Double:
            // JSON has no infinities; a value that would come back as something else is refused.
            if (!std::isfinite(v.real())) throw AutomationError(error::kOverflow);
            if (v.type() == VarType::Single)
                return json{{"type", "Single"}, {"value", static_cast<double>(static_cast<float>(v.real()))}};
            return json{{"type", "Double"}, {"value", v.real()}};
        case VarType::Date: {
            // Readable text when it holds the date exactly (whole seconds), the serial otherwise,
            // so that a saved date always loads back as the same value.
            const std::string text = DateToIsoText(v.real());
            if (ParseIsoDateText(text) == v.real()) return json{{"type", "Date"}, {"value", text}};
            return json{{"type", "Date"}, {"value", v.real()}};
        }
        case VarType::String: return json{{"type", "String"}, {"value", TextToJson(v.string())}};
        case VarType::Object: {
            const auto& object = v.object();
            if (!object) return json{{"type", "Object"}, {"value", nullptr}};
            if (IsFontObject(object)) return json{{"type", "Font"}, {"value", FontToJson(object)}};
            if (const auto* picture = dynamic_cast<const Picture*>(object.get())) return PictureToJson(*picture);
            throw AutomationError(error::kTypeMismatch);
        }
    }
    return json{{"type", "Empty"}};
}

json BagToJson(const PropertyBag& bag) {
    json out = json::array();
    for (const auto& [key, value] : bag.entries()) {
        const std::vector<std::uint8_t>* picture_file = bag.PictureFile(key);
        json entry = picture_file ? PictureToJson(dynamic_cast<const Picture&>(*value.object()), picture_file)
                                  : VariantToJson(value);
        entry["key"] = TextToJson(key);
        out.push_back(std::move(entry));
    }
    return out;
}

PropertyBag BagFromNode(const Node& entries, const std::string& base_dir) {
    PropertyBag bag;
    for (std::size_t i = 0; i < entries.Size(); ++i) {
        const Node entry = entries.At(i);
        entry.ExpectObject();
        const Node key_node = entry["key"];
        const std::string key = key_node.Text();
        if (key.empty()) key_node.Fail("must not be empty");
        try {
            bag.Set(key, ValueOfEntry(entry, base_dir));
        } catch (const AutomationError& error) {
            bag.SetUnreadable(key, error.number());
        }
    }
    return bag;
}

namespace {

AutomationError InvalidBagFile(const json_input::ShapeError& shape) {
    return AutomationError(error::kInvalidFileFormat,
                           AutomationError::StandardDescription(error::kInvalidFileFormat) + " (" + shape.what() + ")",
                           {});
}

}  // namespace

PropertyBag BagFromJson(const json& j, const std::string& base_dir) {
    try {
        if (!j.is_array()) throw json_input::ShapeError({}, "a property bag is an array of entries");
        return BagFromNode(Node(j), base_dir);
    } catch (const json_input::ShapeError& shape) {
        throw InvalidBagFile(shape);
    }
}

std::string BagToJsonText(const PropertyBag& bag) { return BagToJson(bag).dump(2); }

PropertyBag BagFromJsonText(std::string_view text, const std::string& base_dir) {
    json document;
    try {
        document = json_input::ParseDocument(text);
    } catch (const json_input::ShapeError& shape) {
        throw InvalidBagFile(shape);
    }
    return BagFromJson(document, base_dir);
}

}  // namespace ov::host
