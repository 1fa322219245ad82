#pragma once
// The date rules of the mask engine (input format Date): one matcher, ParseMaskedDate, checks
// date masks, judges complete texts and tells whether a text being typed can still be finished.
#include <string_view>

#include "maskedit/mask_context.h"

namespace ov::maskedit {

struct MaskedDate {
    double date = 0;         // the zero date when the text formed no date
    bool acceptable = true;  // false once the text broke a rule; a text that ends early keeps it
};

// Mask and text are read case-insensitively. Tokens: YYYY, YYY, YY (100-year window around the
// context's year), MMMM/MMM (locale month names), MM/M (month, or minutes in time context),
// DDDD/DDD (weekday names, checked against the date), DD/D, HH/H, SS/S, and AMPM or AM/PM.
bool IsDigitsOnly(std::string_view text);
MaskedDate ParseMaskedDate(std::string_view text, std::string_view mask, const MaskContext& context);

}  // namespace ov::maskedit
