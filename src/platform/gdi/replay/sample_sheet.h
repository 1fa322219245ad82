#pragma once
// The drawing layer's sample sheet: lines at 16 angles, boxes, ellipses, wide pens, a transparent
// blit, and plain and rotated text in three faces, rendered through the public drawing calls.
#include <string>

namespace ov::gdi::replay {

inline constexpr int kSampleSheetWidth = 640;
inline constexpr int kSampleSheetHeight = 420;

// Renders the sheet and writes it as a PNG. Returns false when the file cannot be written or
// a drawing object leaks.
bool RenderSampleSheet(const std::string& png_path);

}  // namespace ov::gdi::replay
