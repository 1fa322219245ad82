#include "host/contract/ole_colour.h"

namespace ov::host {

gdi::COLORREF TranslateOleColor(std::int32_t ole_colour) {
    gdi::COLORREF out = 0;
    if (gdi::OleTranslateColor(static_cast<std::uint32_t>(ole_colour), 0, &out) != gdi::S_OK) return 0;
    return out;
}

}  // namespace ov::host
