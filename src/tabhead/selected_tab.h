#pragma once
// SelectedTab travels as text: written as any string the language's Val can read, read back as
// the index in decimal.
#include <cstdint>
#include <string>
#include <string_view>

namespace ov::tabhead {

// The number the text begins with (blanks skipped, reading stops at the first character that
// cannot continue a number, no number gives 0), rounded half to even into a 16-bit integer.
// Throws AutomationError 6 when it does not fit.
std::int16_t ParseSelectedTab(std::string_view text);

std::string SelectedTabText(std::int16_t index);

}  // namespace ov::tabhead
