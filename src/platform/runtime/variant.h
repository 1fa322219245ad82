#pragma once
// Variant: the automation value every property, argument and bag entry travels in.
// Conversions between its types follow the language the controls were written in: integers
// round to nearest with halves to even and overflow with error 6, non-numeric text gives
// error 13, True is -1.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "platform/runtime/rounding.h"

namespace ov {

class IDispatch;  // late-bound object interface, dispatch.h

enum class VarType : std::uint8_t {
    Empty,
    Null,
    Boolean,
    Byte,
    Integer,
    Long,
    Single,
    Double,
    Date,
    String,
    Object,
    Missing
};

class Variant {
public:
    Variant() = default;  // Empty
    static Variant Null();
    static Variant Missing();  // an optional argument that was not given
    static Variant FromBoolean(bool value);
    static Variant FromByte(std::uint8_t value);
    static Variant FromInteger(std::int16_t value);
    static Variant FromLong(std::int32_t value);
    static Variant FromSingle(float value);
    static Variant FromDouble(double value);
    static Variant FromDate(double serial);
    static Variant FromString(std::string value);
    static Variant FromObject(std::shared_ptr<IDispatch> object);  // nullptr is Nothing

    VarType type() const { return type_; }
    bool IsEmpty() const { return type_ == VarType::Empty; }
    bool IsNull() const { return type_ == VarType::Null; }
    bool IsMissing() const { return type_ == VarType::Missing; }
    bool IsObject() const { return type_ == VarType::Object; }
    bool IsNumeric() const;  // Boolean, Byte, Integer, Long, Single, Double, Date

    // Raw accessors; the type must match (checked with an assertion-free fallback of 0/"").
    bool boolean() const;
    std::int32_t integral() const;  // Byte, Integer or Long payload
    double real() const;            // Single, Double or Date payload
    const std::string& string() const;
    const std::shared_ptr<IDispatch>& object() const;

    // Strict equality of type and value (what "equal to the default" means for a bag).
    friend bool operator==(const Variant& a, const Variant& b);

private:
    // Byte, Integer and Long share the 32-bit payload; Single, Double and Date the double.
    using Payload = std::variant<std::monostate, bool, std::int32_t, double, std::string, std::shared_ptr<IDispatch>>;
    Variant(VarType type, Payload value) : type_(type), value_(std::move(value)) {}

    VarType type_ = VarType::Empty;
    Payload value_;
};

// Conversions as the language performs them. Each throws AutomationError: 13 for a value
// that cannot be converted (non-numeric text, an object, Null), 6 for one out of range.
bool CBool(const Variant& v);
std::uint8_t CByte(const Variant& v);
std::int16_t CInt(const Variant& v);
std::int32_t CLng(const Variant& v);
float CSng(const Variant& v);
double CDbl(const Variant& v);
double CDate(const Variant& v);                     // date serial
std::string CStr(const Variant& v);                 // True -> "True", numbers -> shortest round-trip text
std::shared_ptr<IDispatch> CObj(const Variant& v);  // Object (possibly Nothing) or 13

// Converts to the given type, producing a Variant of that type.
Variant ConvertTo(const Variant& v, VarType type);

// Round to nearest, halves to the even neighbour, as every integer conversion does.
double RoundHalfEven(double value);

// The shortest text that reads back to the same double (no exponent below 1e15, no trailing
// zeros, no point for whole numbers). Single values use the shortest float text.
std::string NumberText(double value);
std::string NumberText(float value);

// Numeric text as the language reads it: blanks around, a sign, digits with one point, an
// exponent, or &H / &O literals. Returns false when the text is not a number.
bool ParseNumericText(std::string_view text, double& out);

const char* VarTypeName(VarType type);  // "Empty", "Integer", ...

}  // namespace ov
