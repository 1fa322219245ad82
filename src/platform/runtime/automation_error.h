#pragma once
// Automation errors: the one exception type that property code throws and the dispatch
// boundary catches. It carries the number callers test, the text they show and the source.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ov {

namespace error {

// The runtime's standard errors. Code raises them by these names, never by bare numbers; an
// error raised with a number only takes its description from kStandardErrors.
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kDivisionByZero = 11;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kInternalError = 51;
inline constexpr std::int32_t kBadFileName = 52;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kPathFileAccessError = 75;
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kInvalidPatternString = 93;
inline constexpr std::int32_t kInvalidUseOfNull = 94;
inline constexpr std::int32_t kInvalidFileFormat = 321;
inline constexpr std::int32_t kInvalidPropertyValue = 380;
inline constexpr std::int32_t kInvalidPropertyArrayIndex = 381;
inline constexpr std::int32_t kPropertyReadOnly = 383;
inline constexpr std::int32_t kObjectRequired = 424;
inline constexpr std::int32_t kCannotCreateObject = 429;
inline constexpr std::int32_t kObjectDoesntSupport = 438;
inline constexpr std::int32_t kWrongArgumentCount = 450;
inline constexpr std::int32_t kInvalidPicture = 481;

// Errors a class defines for itself are numbered from here (0x80040000, negative as a Long).
inline constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);

struct StandardError {
    std::int32_t number;
    std::string_view description;
};

inline constexpr StandardError kStandardErrors[] = {
    {kInvalidProcedureCall, "Invalid procedure call or argument"},
    {kOverflow, "Overflow"},
    {kOutOfMemory, "Out of memory"},
    {kSubscriptOutOfRange, "Subscript out of range"},
    {kDivisionByZero, "Division by zero"},
    {kTypeMismatch, "Type mismatch"},
    {kInternalError, "Internal error"},
    {kBadFileName, "Bad file name or number"},
    {kFileNotFound, "File not found"},
    {kPathFileAccessError, "Path/File access error"},
    {kObjectNotSet, "Object variable or With block variable not set"},
    {kInvalidPatternString, "Invalid pattern string"},
    {kInvalidUseOfNull, "Invalid use of Null"},
    {kInvalidFileFormat, "Invalid file format"},
    {kInvalidPropertyValue, "Invalid property value"},
    {kInvalidPropertyArrayIndex, "Invalid property array index"},
    {kPropertyReadOnly, "Property is read-only"},
    {kObjectRequired, "Object required"},
    {kCannotCreateObject, "ActiveX component can't create object"},
    {kObjectDoesntSupport, "Object doesn't support this property or method"},
    {kWrongArgumentCount, "Wrong number of arguments or invalid property assignment"},
    {kInvalidPicture, "Invalid picture"},
};

// The source of errors the runtime raises itself (conversions, the shell's own expressions),
// and of errors that reach a caller without passing through a class.
inline constexpr std::string_view kRuntimeSource = "OrvelleRuntime";

}  // namespace error

class AutomationError : public std::runtime_error {
public:
    // An error raised with a number only takes the runtime's standard description. Without a
    // source, the dispatch boundary of the class it leaves names it (AutomationObject::Invoke).
    explicit AutomationError(std::int32_t number, std::string source = {});
    AutomationError(std::int32_t number, std::string description, std::string source);

    std::int32_t number() const { return number_; }
    const std::string& description() const { return description_; }
    // Who raised it: the ProgID of the class, or the runtime's name when no class did.
    const std::string& source() const { return source_; }
    bool has_source() const { return source_ != error::kRuntimeSource; }

    // The same error with `source` where it has none yet; an error that already names its
    // source keeps it (a nested object raised it).
    AutomationError WithSourceIfNone(std::string_view source) const;

    // "Overflow" for 6 and so on; an unknown number gives "Application-defined or object-defined error".
    static std::string StandardDescription(std::int32_t number);

private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
};

}  // namespace ov
