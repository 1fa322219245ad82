#include "platform/runtime/automation_error.h"

namespace ov {

AutomationError::AutomationError(std::int32_t number, std::string source)
    : AutomationError(number, StandardDescription(number), std::move(source)) {}

AutomationError::AutomationError(std::int32_t number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(source.empty() ? std::string(error::kRuntimeSource) : std::move(source)) {}

AutomationError AutomationError::WithSourceIfNone(std::string_view source) const {
    if (has_source() || source.empty()) return *this;
    return AutomationError(number_, description_, std::string(source));
}

std::string AutomationError::StandardDescription(std::int32_t number) {
    for (const error::StandardError& known : error::kStandardErrors)
        if (known.number == number) return std::string(known.description);
    return "Application-defined or object-defined error";
}

}  // namespace ov
