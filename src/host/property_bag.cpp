#include "host/property_bag.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "host/font_attributes.h"
#include "platform/runtime/type_info.h"
#include "platform/gdi/png_io.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dates.h"

namespace ov::host {

namespace {

using nlohmann::json;

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t n = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        for (int s = 18; s >= 0; s -= 6) out += kBase64[(n >> s) & 63];
    }
    if (i < bytes.size()) {
        std::uint32_t n = bytes[i] << 16;
        if (i + 1 < bytes.size()) n |= bytes[i + 1] << 8;
        out += kBase64[(n >> 18) & 63];
        out += kBase64[(n >> 12) & 63];
        out += (i + 1 < bytes.size()) ? kBase64[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::vector<std::uint8_t> Base64Decode(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        const char* p = std::char_traits<char>::find(kBase64, 64, c);
        if (!p) continue;  // padding and line breaks
        buffer = (buffer << 6) | static_cast<std::uint32_t>(p - kBase64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

bool IsFontObject(const std::shared_ptr<IDispatch>& object) { return object && object->TypeName() == "StdFont"; }

json FontToJson(const std::shared_ptr<IDispatch>& font) {
    const FontAttributes attrs = FontFromObject(font);
    return json{{"name", attrs.name},         {"size", attrs.size},           {"bold", attrs.bold},
                {"italic", attrs.italic},     {"underline", attrs.underline}, {"strikethrough", attrs.strikethrough}};
}

FontAttributes FontFromJson(const json& value) {
    FontAttributes attrs;
    attrs.name = value.value("name", attrs.name);
    attrs.size = value.value("size", attrs.size);
    attrs.bold = value.value("bold", false);
    attrs.italic = value.value("italic", false);
    attrs.underline = value.value("underline", false);
    attrs.strikethrough = value.value("strikethrough", false);
    return attrs;
}

// A bitmap picture is embedded as PNG bytes; the PNG writer works on files, so the bytes go
// through a temporary file.
json PictureToJson(const Picture& picture) {
    if (picture.type() == PictureType::None) return json{{"type", "Picture"}, {"empty", true}};
    gdi::SIZE size;
    if (picture.type() != PictureType::Bitmap || !gdi::GetBitmapSize(picture.handle(), &size))
        throw AutomationError(error::kInvalidPicture);
    const auto path = std::filesystem::temp_directory_path() /
                      ("orvelle-bag-" + std::to_string(reinterpret_cast<std::uintptr_t>(&picture)) + ".png");
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);  // either format as pixel words
    const gdi::RECT all{0, 0, size.cx, size.cy};
    if (gdi::GetBitmapBits32(picture.handle(), &all, pixels.data()) != size.cy ||
        !gdi::WritePng(path.string(), size.cx, size.cy, pixels.data()))
        throw AutomationError(error::kInvalidPicture);
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return json{{"type", "Picture"}, {"png", Base64Encode(bytes)}};
}

Variant PictureFromJson(const json& j, const std::string& base_dir) {
    if (j.value("empty", false)) return Variant::FromObject(Picture::Empty());
    if (j.contains("png")) return Variant::FromObject(LoadPictureFromMemory(Base64Decode(j.at("png").get<std::string>())));
    if (j.contains("file")) {
        std::filesystem::path path = j.at("file").get<std::string>();
        if (path.is_relative() && !base_dir.empty()) path = std::filesystem::path(base_dir) / path;
        return Variant::FromObject(LoadPicture(path.string()));
    }
    throw AutomationError(error::kTypeMismatch);
}

}  // namespace

bool BagValuesEqual(const Variant& value, const Variant& default_value) {
    if (value.IsObject() && default_value.IsObject()) {
        const auto& a = value.object();
        const auto& b = default_value.object();
        if (a == b) return true;
        if (IsFontObject(a) && IsFontObject(b)) return FontFromObject(a) == FontFromObject(b);
        return false;
    }
    return value == default_value;
}

Variant PropertyBag::ReadProperty(std::string_view key, const Variant& default_value) const {
    for (const auto& [k, v] : entries_)
        if (EqualsIgnoreCase(k, key)) return v;
    return default_value;
}

void PropertyBag::WriteProperty(std::string_view key, const Variant& value, const Variant& default_value) {
    if (BagValuesEqual(value, default_value)) {
        std::erase_if(entries_, [&](const auto& e) { return EqualsIgnoreCase(e.first, key); });
        return;
    }
    Set(key, value);
}

void PropertyBag::Set(std::string_view key, const Variant& value) {
    for (auto& [k, v] : entries_) {
        if (EqualsIgnoreCase(k, key)) {
            v = value;
            return;
        }
    }
    entries_.emplace_back(std::string(key), value);
}

bool PropertyBag::Contains(std::string_view key) const {
    for (const auto& e : entries_)
        if (EqualsIgnoreCase(e.first, key)) return true;
    return false;
}

json VariantToJson(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return json{{"type", "Empty"}};
        case VarType::Null: return json{{"type", "Null"}};
        case VarType::Missing: return json{{"type", "Empty"}};
        case VarType::Boolean: return json{{"type", "Boolean"}, {"value", v.boolean()}};
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return json{{"type", VarTypeName(v.type())}, {"value", v.integral()}};
        case VarType::Single: return json{{"type", "Single"}, {"value", static_cast<double>(static_cast<float>(v.real()))}};
        case VarType::Double: return json{{"type", "Double"}, {"value", v.real()}};
        case VarType::Date: return json{{"type", "Date"}, {"value", DateToIsoText(v.real())}};
        case VarType::String: return json{{"type", "String"}, {"value", v.string()}};
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

Variant VariantFromJson(const json& j, const std::string& base_dir) {
    if (!j.is_object() || !j.contains("type")) throw AutomationError(error::kTypeMismatch);
    const std::string type = j.at("type").get<std::string>();
    const json value = j.value("value", json());
    try {
        if (type == "Empty") return Variant();
        if (type == "Null") return Variant::Null();
        if (type == "Boolean") return Variant::FromBoolean(value.get<bool>());
        if (type == "Byte") return Variant::FromByte(static_cast<std::uint8_t>(value.get<int>()));
        if (type == "Integer") return Variant::FromInteger(static_cast<std::int16_t>(value.get<int>()));
        if (type == "Long") return Variant::FromLong(value.get<std::int32_t>());
        if (type == "Single") return Variant::FromSingle(value.get<float>());
        if (type == "Double") return Variant::FromDouble(value.get<double>());
        if (type == "String") return Variant::FromString(value.get<std::string>());
        if (type == "Date") {
            if (value.is_number()) return Variant::FromDate(value.get<double>());
            if (auto serial = ParseIsoDateText(value.get<std::string>())) return Variant::FromDate(*serial);
            throw AutomationError(error::kTypeMismatch);
        }
        if (type == "Object") {
            if (value.is_null()) return Variant::FromObject(nullptr);
            throw AutomationError(error::kTypeMismatch);
        }
        if (type == "Font") return Variant::FromObject(MakeFontObject(FontFromJson(value)));
        if (type == "Picture") return PictureFromJson(j, base_dir);
    } catch (const json::exception&) {
        throw AutomationError(error::kTypeMismatch);
    }
    throw AutomationError(error::kTypeMismatch);
}

json PropertyBag::ToJson() const {
    json out = json::array();
    for (const auto& [key, value] : entries_) {
        json entry = VariantToJson(value);
        entry["key"] = key;
        out.push_back(std::move(entry));
    }
    return out;
}

PropertyBag PropertyBag::FromJson(const json& j, const std::string& base_dir) {
    PropertyBag bag;
    if (!j.is_array()) throw AutomationError(error::kTypeMismatch);
    for (const json& entry : j) {
        if (!entry.is_object() || !entry.contains("key") || !entry.at("key").is_string())
            throw AutomationError(error::kTypeMismatch);
        bag.Set(entry.at("key").get<std::string>(), VariantFromJson(entry, base_dir));
    }
    return bag;
}

std::string PropertyBag::ToJsonText() const { return ToJson().dump(2); }

PropertyBag PropertyBag::FromJsonText(std::string_view text, const std::string& base_dir) {
    json j = json::parse(text.begin(), text.end(), nullptr, false);
    if (j.is_discarded()) throw AutomationError(error::kTypeMismatch);
    return FromJson(j, base_dir);
}

}  // namespace ov::host
