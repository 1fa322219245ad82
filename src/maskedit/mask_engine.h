#pragma once
// The mask engine of the masked text box, apart from any control: whether a mask suits an input
// format, whether a complete text satisfies it (and, for dates, which date it makes), and
// whether a text still being typed can become valid. The control keeps the text, mask, format
// and stored date; these functions only judge.
#include <optional>
#include <string_view>

#include "maskedit/date_matcher.h"
#include "maskedit/mask_context.h"

namespace ov::maskedit {

// Any input-format value outside Text, Numeric and Date makes every mask and text invalid and
// every partial text acceptable.
bool IsMaskValid(std::string_view mask, int input_format, const MaskContext& context);

struct TextValidity {
    bool valid = false;
    // Date format only: the date to store (the zero date included). Empty when the stored date
    // must stay as it is (an empty text or mask, or another format).
    std::optional<double> date;
};
TextValidity IsTextValid(std::string_view text, std::string_view mask, int input_format, const MaskContext& context);

bool IsPartialTextValid(std::string_view text, std::string_view mask, int input_format, const MaskContext& context);

}  // namespace ov::maskedit
