#pragma once
// Automation errors: the one exception type that property code throws and the dispatch
// boundary catches. It carries the number callers test, the text they show and the source.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace ov {

namespace error {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kInvalidPatternString = 93;
inline constexpr std::int32_t kInvalidPropertyValue = 380;
inline constexpr std::int32_t kObjectDoesntSupport = 438;
inline constexpr std::int32_t kWrongArgumentCount = 450;
inline constexpr std::int32_t kInvalidPicture = 481;
inline constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);
}  // namespace error

class AutomationError : public std::runtime_error {
public:
    // An error raised with a number only takes the runtime's standard description.
    explicit AutomationError(std::int32_t number, std::string source = {});
    AutomationError(std::int32_t number, std::string description, std::string source);

    std::int32_t number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::string& source() const { return source_; }

    // "Overflow" for 6 and so on; an unknown number gives "Application-defined or object-defined error".
    static std::string StandardDescription(std::int32_t number);

private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
};

}  // namespace ov
