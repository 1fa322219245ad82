#include "shell/printer.h"

#include <cmath>
#include <cstdio>

#include "platform/codepage/windows1252.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"

namespace ov::shell {

namespace {

// The runtime never makes an infinity or a NaN, but a value that arrives as one is shown as
// what it is, the way the platform prints them, rather than as the 0 its digits would give.
template <typename Real>
std::string RealText(Real value) {
    if (std::isnan(value)) return "1.#QNAN";
    if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
    return NumberText(value);
}

}  // namespace

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
                if (codepage::IsControlByte(byte)) {
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
        case VarType::Single: return RealText(static_cast<float>(value.real()));
        case VarType::Double: return RealText(value.real());
        case VarType::Date: return "#" + DateToIsoText(value.real()) + "#";
        case VarType::String: return QuoteString(value.string());
        case VarType::Object:
            if (!value.object()) return "Nothing";
            return "Object(" + value.object()->TypeName() + ")";
    }
    return "?";
}

std::string FormatEventLine(std::string_view object, std::string_view event, const std::vector<Variant>& args) {
    std::string line = "event " + std::string(object) + "." + std::string(event) + "(";
    for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + FormatValue(args[i]);
    return line + ")";
}

std::string FormatChangedLine(std::string_view object, std::string_view property) {
    return "changed " + std::string(object) + "." + std::string(property);
}

std::string FormatFormLine(std::string_view operation) { return "form " + std::string(operation); }

std::string FormatRgb(std::uint32_t colour_bgr) {
    return "RGB(" + std::to_string(colour_bgr & 0xFF) + ", " + std::to_string((colour_bgr >> 8) & 0xFF) + ", " +
           std::to_string((colour_bgr >> 16) & 0xFF) + ")";
}

}  // namespace ov::shell
