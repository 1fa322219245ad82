#include "sidelogo/caption_painter.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/scoped_objects.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::sidelogo {

namespace {}

void FontToLogFont(const FontDesc& font, gdi::HDC dc, gdi::LOGFONTA& out) {
    if (font.name.size() > kMaxFaceNameBytes) throw AutomationError(error::kSubscriptOutOfRange);
    out = gdi::LOGFONTA{};
    const std::size_t copied = std::min(font.name.size(), sizeof(out.lfFaceName) - 1);
    std::memcpy(out.lfFaceName, font.name.data(), copied);
    // Whole points first (11.25 pt is 11), then scaled to the device's pixels per inch.
    const int points = CInt(Variant::FromDouble(font.size));
    out.lfHeight = -gdi::MulDiv(points, gdi::GetDeviceCaps(dc, gdi::LOGPIXELSY), 72);
    out.lfWeight = font.bold ? 700 : 400;
    out.lfItalic = font.italic ? 255 : 0;
    out.lfUnderline = font.underline ? 255 : 0;
    out.lfStrikeOut = font.strikethrough ? 255 : 0;
}

void PaintCaption(gdi::HDC dc, int height, std::string_view caption, const FontDesc& font) {
    gdi::LOGFONTA record;
    FontToLogFont(font, dc, record);
    record.lfEscapement = kCaptionEscapement;
    const gdi::OwnedObject rotated(gdi::CreateFontIndirectA(&record));
    if (!rotated) return;
    const gdi::ScopedSelection selection(dc, rotated.get());
    gdi::TextOutA(dc, 0, height - kCaptionBottomMargin, caption.data(), static_cast<int>(caption.size()));
}

}  // namespace ov::sidelogo
