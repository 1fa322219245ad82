// The state a device context carries between drawing calls: colours, modes, position.
#include <utility>

#include "platform/gdi/internal/objects.h"
#include "platform/gdi/screen.h"

namespace ov::gdi {

using detail::LookupDc;

COLORREF SetTextColor(HDC handle, COLORREF colour) {
    auto* dc = LookupDc(handle);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->text_colour, colour & 0x00FFFFFFu);
}

COLORREF GetTextColor(HDC handle) {
    auto* dc = LookupDc(handle);
    return dc ? dc->text_colour : CLR_INVALID;
}

COLORREF SetBkColor(HDC handle, COLORREF colour) {
    auto* dc = LookupDc(handle);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->bk_colour, colour & 0x00FFFFFFu);
}

COLORREF GetBkColor(HDC handle) {
    auto* dc = LookupDc(handle);
    return dc ? dc->bk_colour : CLR_INVALID;
}

int SetBkMode(HDC handle, int mode) {
    auto* dc = LookupDc(handle);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->bk_mode, mode);
}

int GetBkMode(HDC handle) {
    auto* dc = LookupDc(handle);
    return dc ? dc->bk_mode : 0;
}

int SetStretchBltMode(HDC handle, int mode) {
    auto* dc = LookupDc(handle);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(dc->stretch_mode, mode);
}

int GetStretchBltMode(HDC handle) {
    auto* dc = LookupDc(handle);
    return dc ? dc->stretch_mode : 0;
}

bool MoveToEx(HDC handle, int x, int y, POINT* previous) {
    auto* dc = LookupDc(handle);
    if (!dc) return false;
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return true;
}

bool GetCurrentPositionEx(HDC handle, POINT* out) {
    auto* dc = LookupDc(handle);
    if (!dc || !out) return false;
    *out = dc->position;
    return true;
}

int GetDeviceCaps(HDC handle, int index) {
    auto* dc = LookupDc(handle);
    if (!dc) return 0;
    const ScreenSettings& screen = Screen();
    switch (index) {
        // The logical resolution follows the host's twips-per-pixel factor: 1440 / 15 = 96.
        case LOGPIXELSX: return screen.twips_per_pixel_x > 0 ? 1440 / screen.twips_per_pixel_x : 96;
        case LOGPIXELSY: return screen.twips_per_pixel_y > 0 ? 1440 / screen.twips_per_pixel_y : 96;
        case BITSPIXEL: {
            const detail::UntrackedBitmapAccess read;
            const auto* bitmap = detail::BitmapForRecording(dc->bitmap);  // the format only
            return bitmap ? bitmap->bits_per_pixel : 32;
        }
        case HORZRES: return 1920;
        case VERTRES: return 1080;
        default: return 0;
    }
}

}  // namespace ov::gdi
