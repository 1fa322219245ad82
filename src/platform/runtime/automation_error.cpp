#include "platform/runtime/automation_error.h"

namespace ov {

AutomationError::AutomationError(std::int32_t number, std::string source)
    : AutomationError(number, StandardDescription(number), std::move(source)) {}

AutomationError::AutomationError(std::int32_t number, std::string description, std::string source)
    : std::runtime_error(description), number_(number), description_(std::move(description)),
      source_(std::move(source)) {}

std::string AutomationError::StandardDescription(std::int32_t number) {
    switch (number) {
    case 5: return "Invalid procedure call or argument";
    case error::kOverflow: return "Overflow";
    case error::kOutOfMemory: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case error::kTypeMismatch: return "Type mismatch";
    case 91: return "Object variable or With block variable not set";
    case error::kInvalidPatternString: return "Invalid pattern string";
    case 94: return "Invalid use of Null";
    case error::kInvalidPropertyValue: return "Invalid property value";
    case error::kObjectDoesntSupport: return "Object doesn't support this property or method";
    case error::kWrongArgumentCount: return "Wrong number of arguments or invalid property assignment";
    case error::kInvalidPicture: return "Invalid picture";
    default: return "Application-defined or object-defined error";
    }
}

}  // namespace ov
