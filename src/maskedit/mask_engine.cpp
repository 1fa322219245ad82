#include "maskedit/mask_engine.h"

#include "maskedit/numeric_matcher.h"
#include "maskedit/pattern_matcher.h"
#include "platform/runtime/format.h"

namespace ov::maskedit {

bool IsMaskValid(std::string_view mask, int input_format, const MaskContext& context) {
    switch (static_cast<InputFormat>(input_format)) {
        case InputFormat::Text: return IsPatternMaskValid(mask);
        case InputFormat::Numeric: return IsNumericMaskValid(mask);
        case InputFormat::Date: {
            if (mask.empty()) return true;
            // A date mask is usable when the current moment, formatted with it, reads back as a date.
            const auto formatted = FormatDate(context.now, mask);
            if (!formatted) return false;
            return ParseMaskedDate(*formatted, mask, context).date > 0;
        }
    }
    return false;
}

TextValidity IsTextValid(std::string_view text, std::string_view mask, int input_format, const MaskContext& context) {
    TextValidity result;
    if (!IsMaskValid(mask, input_format, context)) return result;
    switch (static_cast<InputFormat>(input_format)) {
        case InputFormat::Text: result.valid = mask.empty() || text.empty() || MatchesPattern(text, mask); break;
        case InputFormat::Numeric: result.valid = IsNumericTextValid(text, mask); break;
        case InputFormat::Date:
            if (text.empty() || mask.empty()) {
                result.valid = true;
            } else {
                result.date = ParseMaskedDate(text, mask, context).date;
                result.valid = *result.date != 0;
            }
            break;
    }
    return result;
}

bool IsPartialTextValid(std::string_view text, std::string_view mask, int input_format, const MaskContext& context) {
    switch (static_cast<InputFormat>(input_format)) {
        case InputFormat::Text:
            if (text.empty()) return true;
            return IsTextValid(text, mask.substr(0, PartialPatternLength(text, mask)), input_format, context).valid;
        case InputFormat::Numeric: return IsTextValid(text, mask, input_format, context).valid;
        case InputFormat::Date: return ParseMaskedDate(text, mask, context).acceptable;
    }
    return true;
}

}  // namespace ov::maskedit
