#pragma once
// How surfaces and constituents turn the OLE_COLOR values they hold into pixels.
#include <cstdint>

#include "platform/gdi/gdi.h"

namespace ov::host {

// An OLE_COLOR to COLORREF with the current system colours (black for an invalid value).
gdi::COLORREF TranslateOleColor(std::int32_t ole_colour);

}  // namespace ov::host
