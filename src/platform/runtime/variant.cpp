#include "platform/runtime/variant.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/value_ops.h"

namespace ov {

Variant Variant::Null() { return Variant(VarType::Null, {}); }
Variant Variant::Missing() { return Variant(VarType::Missing, {}); }
Variant Variant::FromBoolean(bool value) { return Variant(VarType::Boolean, value); }
Variant Variant::FromByte(std::uint8_t value) { return Variant(VarType::Byte, std::int32_t{value}); }
Variant Variant::FromInteger(std::int16_t value) { return Variant(VarType::Integer, std::int32_t{value}); }
Variant Variant::FromLong(std::int32_t value) { return Variant(VarType::Long, value); }
Variant Variant::FromSingle(float value) { return Variant(VarType::Single, static_cast<double>(value)); }
Variant Variant::FromDouble(double value) { return Variant(VarType::Double, value); }
Variant Variant::FromDate(double serial) { return Variant(VarType::Date, serial); }
Variant Variant::FromString(std::string value) { return Variant(VarType::String, std::move(value)); }
Variant Variant::FromObject(std::shared_ptr<IDispatch> object) { return Variant(VarType::Object, std::move(object)); }

bool Variant::IsNumeric() const {
    switch (type_) {
        case VarType::Boolean:
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Date: return true;
        default: return false;
    }
}

bool Variant::boolean() const {
    const bool* p = std::get_if<bool>(&value_);
    return p ? *p : false;
}
std::int32_t Variant::integral() const {
    const std::int32_t* p = std::get_if<std::int32_t>(&value_);
    return p ? *p : 0;
}
double Variant::real() const {
    const double* p = std::get_if<double>(&value_);
    return p ? *p : 0.0;
}
const std::string& Variant::string() const {
    static const std::string kEmpty;
    const std::string* p = std::get_if<std::string>(&value_);
    return p ? *p : kEmpty;
}
const std::shared_ptr<IDispatch>& Variant::object() const {
    static const std::shared_ptr<IDispatch> kNothing;
    const auto* p = std::get_if<std::shared_ptr<IDispatch>>(&value_);
    return p ? *p : kNothing;
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.type_ != b.type_) return false;
    return a.value_ == b.value_;
}

namespace {

// Exponent form as the language writes it: "1E+15", "1.5E-05".
std::string ExponentText(const DecimalDigits& d) {
    std::string text = d.negative ? "-" : "";
    text += d.digits[0];
    if (d.digits.size() > 1) {
        text += '.';
        text += d.digits.substr(1);
    }
    const int exponent = d.exponent - 1;
    text += exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) text += '0';
    text += std::to_string(magnitude);
    return text;
}

std::string NumberTextOf(const DecimalDigits& d, int max_positional_exponent) {
    if (d.digits == "0") return "0";
    // Positional for 1e-4 <= |x| < 10^max; exponent form beyond, as the language prints.
    if (d.exponent > max_positional_exponent || d.exponent < -3) return ExponentText(d);
    return PositionalText(d);
}

bool ParseLanguageNumber(std::string_view text, double& out) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    const std::string_view s = text.substr(begin, end - begin);
    if (s.empty()) return false;
    if (s[0] == '&') {
        std::size_t pos = 0;
        const RadixLiteral literal = ReadRadixLiteral(s, pos);
        if (literal.digits == 0 || pos != s.size()) return false;  // the whole text must be the literal
        out = literal.value;
        return true;
    }
    std::string normal;
    std::size_t pos = 0;
    if (s[pos] == '+' || s[pos] == '-') {
        if (s[pos] == '-') normal.push_back('-');
        ++pos;
    }
    int digits = 0;
    bool point = false;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c >= '0' && c <= '9') ++digits;
        else if (c == '.' && !point) point = true;
        else break;
        normal.push_back(c);
    }
    if (digits == 0) return false;
    if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e' || s[pos] == 'D' || s[pos] == 'd')) {
        normal.push_back('e');
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) normal.push_back(s[pos++]);
        int exponent_digits = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') normal.push_back(s[pos++]), ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    if (pos != s.size()) return false;
    out = std::strtod(normal.c_str(), nullptr);
    return true;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

double ToNumber(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return 0;
        case VarType::Boolean: return v.boolean() ? -1 : 0;
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return v.integral();
        case VarType::Single:
        case VarType::Double:
        case VarType::Date: return v.real();
        case VarType::String: {
            double value;
            if (ParseLanguageNumber(v.string(), value)) {
                if (!std::isfinite(value)) throw AutomationError(error::kOverflow);
                return value;
            }
            const std::string_view t = Trimmed(v.string());
            if (EqualsIgnoreCase(t, "True")) return -1;
            if (EqualsIgnoreCase(t, "False")) return 0;
            throw AutomationError(error::kTypeMismatch);
        }
        default: throw AutomationError(error::kTypeMismatch);
    }
}

double RoundedInRange(const Variant& v, double low, double high) {
    const double rounded = RoundHalfEven(ToNumber(v));
    if (!(rounded >= low && rounded <= high)) throw AutomationError(error::kOverflow);
    return rounded;
}

}  // namespace

bool ParseNumericText(std::string_view text, double& out) {
    try {
        return ParseLanguageNumber(text, out);
    } catch (const AutomationError&) {
        return false;
    }
}

std::string NumberText(double value) { return NumberTextOf(ShortestDigits(value), 15); }
std::string NumberText(float value) { return NumberTextOf(ShortestDigits(value), 7); }

bool CBool(const Variant& v) { return ToNumber(v) != 0; }

std::uint8_t CByte(const Variant& v) { return static_cast<std::uint8_t>(RoundedInRange(v, 0, 255)); }

std::int16_t CInt(const Variant& v) { return static_cast<std::int16_t>(RoundedInRange(v, -32768, 32767)); }

std::int32_t CLng(const Variant& v) {
    return static_cast<std::int32_t>(RoundedInRange(v, -2147483648.0, 2147483647.0));
}

float CSng(const Variant& v) {
    const double value = ToNumber(v);
    if (std::isnan(value) || std::fabs(value) > FLT_MAX) throw AutomationError(error::kOverflow);
    return static_cast<float>(value);
}

double CDbl(const Variant& v) { return ToNumber(v); }

double CDate(const Variant& v) {
    double serial;
    if (v.type() == VarType::String) {
        if (auto date = ParseDateText(v.string())) return *date;
        serial = ToNumber(v);
    } else {
        serial = ToNumber(v);
    }
    if (!(serial >= kMinDateSerial - 1 && serial < 2958466.0)) throw AutomationError(error::kOverflow);
    return serial;
}

std::string CStr(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return "";
        case VarType::Boolean: return v.boolean() ? "True" : "False";
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return std::to_string(v.integral());
        case VarType::Single: return NumberText(static_cast<float>(v.real()));
        case VarType::Double: return NumberText(v.real());
        case VarType::Date: return GeneralDateText(v.real());
        case VarType::String: return v.string();
        default: throw AutomationError(error::kTypeMismatch);
    }
}

std::shared_ptr<IDispatch> CObj(const Variant& v) {
    if (v.type() != VarType::Object) throw AutomationError(error::kTypeMismatch);
    return v.object();
}

Variant ConvertTo(const Variant& v, VarType type) {
    switch (type) {
        case VarType::Empty: return Variant();
        case VarType::Null: return Variant::Null();
        case VarType::Missing: return Variant::Missing();
        case VarType::Boolean: return Variant::FromBoolean(CBool(v));
        case VarType::Byte: return Variant::FromByte(CByte(v));
        case VarType::Integer: return Variant::FromInteger(CInt(v));
        case VarType::Long: return Variant::FromLong(CLng(v));
        case VarType::Single: return Variant::FromSingle(CSng(v));
        case VarType::Double: return Variant::FromDouble(CDbl(v));
        case VarType::Date: return Variant::FromDate(CDate(v));
        case VarType::String: return Variant::FromString(CStr(v));
        case VarType::Object: return Variant::FromObject(CObj(v));
    }
    throw AutomationError(error::kTypeMismatch);
}

const char* VarTypeName(VarType type) {
    switch (type) {
        case VarType::Empty: return "Empty";
        case VarType::Null: return "Null";
        case VarType::Boolean: return "Boolean";
        case VarType::Byte: return "Byte";
        case VarType::Integer: return "Integer";
        case VarType::Long: return "Long";
        case VarType::Single: return "Single";
        case VarType::Double: return "Double";
        case VarType::Date: return "Date";
        case VarType::String: return "String";
        case VarType::Object: return "Object";
        case VarType::Missing: return "Missing";
    }
    return "Unknown";
}

}  // namespace ov
