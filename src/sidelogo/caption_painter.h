#pragma once
// The side logo's caption: a platform font rotated to read upwards, written along the left edge
// starting 16 pixels above the bottom.
#include <string>
#include <string_view>

#include "platform/gdi/gdi.h"
#include "platform/picture/std_font.h"

namespace ov::sidelogo {

// The face-name field of the logical-font record holds at most this many bytes.
inline constexpr std::size_t kMaxFaceNameBytes = 33;
inline constexpr int kCaptionEscapement = 900;   // tenths of a degree: reading bottom to top
inline constexpr int kCaptionBottomMargin = 16;  // pixels between the text's start and the bottom

// Fills `out` from the font for drawing on `dc`: height -MulDiv(whole points, vertical pixels
// per inch, 72), weight 700 or 400, italic/underline/strike-out 255 or 0, every other field 0.
// A face name longer than 33 bytes does not fit the record: AutomationError 9 (subscript out of
// range). The platform record keeps 31 bytes and a terminator, so 32- and 33-byte names reach
// the font mapper shortened.
void FontToLogFont(const FontDesc& font, gdi::HDC dc, gdi::LOGFONTA& out);

// Writes `caption` at (0, height - 16) in the dc's current text colour and background mode.
// A font the platform cannot create skips the caption quietly; a face name that does not fit
// the record throws (see FontToLogFont) before anything is created. The font is selected out
// and deleted before returning.
void PaintCaption(gdi::HDC dc, int height, std::string_view caption, const FontDesc& font);

}  // namespace ov::sidelogo
