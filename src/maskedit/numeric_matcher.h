#pragma once
// The numeric rules of the mask engine (input format Numeric). A numeric mask is an optional
// leading "-" then "#" characters with at most one "."; it bounds the integer digits, the
// decimal digits and whether negatives are allowed.
#include <string>
#include <string_view>

namespace ov::maskedit {

bool IsNumericMaskValid(std::string_view mask);

// The incomplete forms a user passes through while typing a number count as zero:
// "-" -> "-0", "." -> "0.0", "-." -> "-0.0". Any other text is returned unchanged.
std::string NormaliseNumericText(std::string_view text);

// The numeric check for a complete text (and for a text being typed, judged as complete).
// Assumes the mask already passed IsNumericMaskValid.
bool IsNumericTextValid(std::string_view text, std::string_view mask);

}  // namespace ov::maskedit
