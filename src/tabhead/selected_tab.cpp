#include "tabhead/selected_tab.h"

#include "platform/runtime/value_ops.h"
#include "platform/runtime/variant.h"

namespace ov::tabhead {

std::int16_t ParseSelectedTab(std::string_view text) { return CInt(Variant::FromDouble(Val(text))); }

std::string SelectedTabText(std::int16_t index) { return std::to_string(index); }

}  // namespace ov::tabhead
