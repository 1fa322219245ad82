#include "maskedit/numeric_matcher.h"

#include "platform/runtime/value_ops.h"

namespace ov::maskedit {

bool IsNumericMaskValid(std::string_view mask) {
    int points = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (c == '#') continue;
        if (c == '.' && ++points <= 1) continue;
        if (c == '-' && i == 0) continue;
        return false;
    }
    return true;
}

std::string NormaliseNumericText(std::string_view text) {
    if (!IsNumericText(text)) {
        if (text == "-") return "-0";
        if (text == ".") return "0.0";
        if (text == "-.") return "-0.0";
    }
    return std::string(text);
}

bool IsNumericTextValid(std::string_view text, std::string_view mask) {
    if (text.empty()) return true;
    const std::string normal = NormaliseNumericText(text);
    if (!IsNumericText(normal)) return false;
    if (mask.empty()) return true;

    std::string digits = CanonicalNumberText(NumericTextValue(normal));
    std::string pattern(mask);
    if (!pattern.empty() && pattern[0] == '-') {
        pattern.erase(0, 1);
        if (!digits.empty() && digits[0] == '-') digits.erase(0, 1);
    } else if (!digits.empty() && digits[0] == '-') {
        return false;
    }
    // The "0" before the point of values below 1 is not an integer digit ("0.25" -> ".25").
    if (!digits.empty() && digits[0] == '0') digits.erase(0, 1);

    auto point_position = [](std::string& s) {
        const std::size_t dot = s.find('.');
        if (dot != std::string::npos) return dot + 1;
        s.push_back('.');
        return s.size();
    };
    const std::size_t p = point_position(digits);
    const std::size_t q = point_position(pattern);
    if (p > q) return false;                         // too many integer digits
    return digits.size() - p <= pattern.size() - q;  // not too many decimals
}

}  // namespace ov::maskedit
