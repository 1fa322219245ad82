#include "library/typelib_json.h"

#include <cstring>
#include <set>

#include "host/contract/control.h"
#include "host/reference/bag_file.h"
#include "library/classes.h"
#include "library/typelib_text.h"
#include "platform/gdi/png_io.h"
#include "platform/json/json_document.h"
#include "platform/runtime/base64.h"

namespace ov::library {

namespace {

using nlohmann::json;

json TypeJson(const TypeDesc& type) {
    const char* kind = "value";
    switch (type.kind) {
        case TypeDesc::Kind::Void: kind = "void"; break;
        case TypeDesc::Kind::Value: kind = "value"; break;
        case TypeDesc::Kind::Variant: kind = "variant"; break;
        case TypeDesc::Kind::Enum: kind = "enum"; break;
        case TypeDesc::Kind::Color: kind = "color"; break;
        case TypeDesc::Kind::Object: kind = "object"; break;
    }
    return json{{"name", type.name}, {"kind", kind}};
}

json ParamsJson(const std::vector<ParamDesc>& params) {
    json list = json::array();
    for (const ParamDesc& p : params)
        list.push_back({{"name", p.name}, {"type", TypeJson(p.type)}, {"optional", p.optional}, {"byRef", p.by_ref}});
    return list;
}

// A value as the property bag writes values: {"type": ..., "value": ...}, a font as its
// attributes. One the site gives is the value an unsited control gets, the place it comes from
// beside it (ValueFromJson).
json ValueJson(const std::optional<ValueSpec>& declared, const TypeDesc* as = nullptr) {
    if (!declared) return nullptr;
    try {
        const Variant value = host::ResolveValue(*declared, nullptr);
        return host::VariantToJson(as ? as->Coerce(value) : value);
    } catch (const AutomationError&) {
        return nullptr;
    }
}

json ValueFromJson(const std::optional<ValueSpec>& declared) {
    if (!declared || declared->source == ValueSource::Table) return nullptr;
    json from{{"source", ValueSourceName(declared->source)}};
    if (!declared->font_attribute.empty()) from["attribute"] = declared->font_attribute;
    return from;
}

json MemberJson(const MemberDesc& m) {
    json member{{"name", m.name}, {"dispid", m.dispid}, {"help", json_input::TextToJson(m.help)}, {"hidden", m.hidden}};
    if (m.kind == MemberKind::Method) {
        member["kind"] = "method";
        member["returns"] = TypeJson(m.type);
        member["params"] = ParamsJson(m.params);
        return member;
    }
    member["kind"] = "property";
    member["type"] = TypeJson(m.type);
    json access = json::array();
    if (m.CanGet()) access.push_back("get");
    if (m.CanPut()) access.push_back(m.put_value_by_ref ? "put byref" : "put");
    if (m.CanPutRef()) access.push_back("putref");
    member["access"] = access;
    member["boundToMember"] = m.bound_to_member;
    member["params"] = ParamsJson(m.params);
    member["category"] = CategoryName(m.category);
    member["default"] = ValueJson(m.default_value);
    member["defaultFrom"] = ValueFromJson(m.default_value);
    // What a get of a new instance gives, in the property's type (a default keeps the type the
    // bag stores it with).
    member["initial"] = ValueJson(m.initial, &m.type);
    member["initialFrom"] = ValueFromJson(m.initial);
    member["initialApplied"] = m.initial_applied;
    member["persistedKey"] = m.persist ? json(m.name) : json(nullptr);
    member["persistedThroughProperty"] = m.persist ? json(m.persist->through_property) : json(nullptr);
    member["notification"] = m.notification ? json(*m.notification) : json(nullptr);
    return member;
}

json InterfaceJson(const ClassInfo& info) {
    json members = json::array();
    for (const MemberDesc& m : info.members) members.push_back(MemberJson(m));
    return json{{"name", info.InterfaceName()}, {"members", members}};
}

json EventsJson(const ClassInfo& info) {
    json events = json::array();
    for (const EventDesc& e : info.events)
        events.push_back({{"name", e.name},
                          {"dispid", e.dispid},
                          {"params", ParamsJson(e.params)},
                          {"help", json_input::TextToJson(e.help)}});
    return json{{"name", info.EventInterfaceName()}, {"events", events}};
}

json ClassJson(const host::ClassEntry& entry) {
    const ClassInfo& info = *entry.info;
    json cls{{"name", info.name},
             {"progid", entry.prog_id},
             {"clsid", entry.class_id},
             {"control", info.is_control},
             {"container", info.container},
             {"invisibleAtRunTime", info.invisible_at_run_time},
             {"help", json_input::TextToJson(info.help)},
             {"interface", InterfaceJson(info)}};
    cls["events"] = info.is_control ? EventsJson(info) : json(nullptr);
    json persisted = json::array();
    for (std::size_t i = 0; i < info.persisted.size(); ++i) {
        const MemberDesc& m = info.PersistedMember(i);
        persisted.push_back({{"key", m.name},
                             {"type", TypeJson(m.persist->type)},
                             {"default", ValueJson(m.default_value)},
                             {"defaultFrom", ValueFromJson(m.default_value)}});
    }
    cls["persisted"] = persisted;
    std::set<std::string> notifications;
    json notification_list = json::array();
    for (const MemberDesc& m : info.members)
        if (m.notification && notifications.insert(*m.notification).second)
            notification_list.push_back(*m.notification);
    cls["notifications"] = notification_list;
    json enums = json::array();
    for (const EnumDesc& e : info.enums) enums.push_back(e.name);
    cls["enums"] = enums;
    if (info.is_control) {
        cls["defaultExtent"] = {{"width", entry.default_width}, {"height", entry.default_height}};
        cls["toolbox"] = entry.toolbox_image.empty() ? json(nullptr)
                                                     : json{{"width", host::ToolboxImage::kWidth},
                                                            {"height", host::ToolboxImage::kHeight},
                                                            {"bitsPerPixel", 24},
                                                            {"png", Base64Encode(ToolboxPng(entry.toolbox_image))}};
    }
    return cls;
}

}  // namespace

json TypeLibraryJson(const host::ClassRegistry& registry) {
    json classes = json::array();
    json enums = json::array();
    std::set<std::string> enums_seen;
    for (const host::ClassEntry& entry : registry.entries()) {
        if (!InTypeLibrary(entry) || !entry.info) continue;
        classes.push_back(ClassJson(entry));
        for (const EnumDesc& e : entry.info->enums) {
            if (!enums_seen.insert(e.name).second) continue;
            json values = json::array();
            for (const auto& [name, value] : e.values) values.push_back({{"name", name}, {"value", value}});
            enums.push_back({{"name", e.name}, {"values", values}});
        }
    }
    json objects = json::array();
    for (const ClassInfo* info : PlatformObjects())
        objects.push_back({{"name", info->name}, {"container", info->container}, {"interface", InterfaceJson(*info)}});
    return json{{"library", kLibraryName},
                {"version", kTypeLibraryJsonVersion},
                {"classes", classes},
                {"enums", enums},
                {"objects", objects}};
}

std::vector<std::uint8_t> ToolboxBmp(const host::ToolboxImage& image) {
    constexpr int w = host::ToolboxImage::kWidth, h = host::ToolboxImage::kHeight;
    constexpr int row_bytes = (w * 3 + 3) & ~3;  // rows padded to four bytes
    constexpr int pixel_bytes = row_bytes * h;
    constexpr int header_bytes = 14 + 40;
    std::vector<std::uint8_t> out(header_bytes + pixel_bytes, 0);
    const auto put16 = [&](std::size_t at, std::uint16_t v) { out[at] = v & 0xFF, out[at + 1] = v >> 8; };
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    out[0] = 'B', out[1] = 'M';
    put32(2, header_bytes + pixel_bytes);
    put32(10, header_bytes);
    put32(14, 40);
    put32(18, w);
    put32(22, h);  // positive: bottom-up rows
    put16(26, 1);
    put16(28, 24);
    put32(34, pixel_bytes);
    put32(38, 3780);  // 96 dpi in pixels per metre
    put32(42, 3780);
    for (int y = 0; y < h && !image.empty(); ++y) {
        std::uint8_t* row = out.data() + header_bytes + static_cast<std::size_t>(h - 1 - y) * row_bytes;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = image.pixels[static_cast<std::size_t>(y) * w + x];
            row[x * 3 + 0] = static_cast<std::uint8_t>(p);        // blue
            row[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);   // green
            row[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);  // red
        }
    }
    return out;
}

std::vector<std::uint8_t> ToolboxPng(const host::ToolboxImage& image) {
    std::vector<std::uint8_t> bytes;
    if (!image.empty())
        gdi::EncodePng(host::ToolboxImage::kWidth, host::ToolboxImage::kHeight, image.pixels.data(), &bytes);
    return bytes;
}

}  // namespace ov::library
