#include "shell/printer.h"

#include <cstdio>

#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"

namespace ov::shell {

std::string QuoteString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\0': out += "\\0"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                if (byte < 0x20 || byte == 0x7F) {
                    char escaped[5];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                    out += escaped;
                } else {
                    out += c;
                }
            }
        }
    }
    return out + "\"";
}

std::string FormatValue(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty: return "Empty";
        case VarType::Null: return "Null";
        case VarType::Missing: return "Missing";
        case VarType::Boolean: return value.boolean() ? "True" : "False";
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return std::to_string(value.integral());
        case VarType::Single: return NumberText(static_cast<float>(value.real()));
        case VarType::Double: return NumberText(value.real());
        case VarType::Date: return "#" + DateToIsoText(value.real()) + "#";
        case VarType::String: return QuoteString(value.string());
        case VarType::Object:
            if (!value.object()) return "Nothing";
            return "Object(" + value.object()->TypeName() + ")";
    }
    return "?";
}

std::string FormatRgb(std::uint32_t colour_bgr) {
    return "RGB(" + std::to_string(colour_bgr & 0xFF) + ", " + std::to_string((colour_bgr >> 8) & 0xFF) + ", " +
           std::to_string((colour_bgr >> 16) & 0xFF) + ")";
}

}  // namespace ov::shell
