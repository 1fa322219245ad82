// DrawIcon and the icon objects behind it.
#include "platform/gdi/icon.h"

#include <algorithm>

#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/internal/objects.h"
#include "platform/limits.h"

namespace ov::gdi {

HICON CreateIconFromArgb(int width, int height, const std::uint32_t* argb) {
    if (width <= 0 || height <= 0 || !argb || !limits::SurfaceSizeAllowed(width, height)) return 0;
    detail::Icon icon;
    icon.width = width;
    icon.height = height;
    icon.hot_spot = POINT{width / 2, height / 2};
    return detail::Guarded<HICON>(0, [&] {
        icon.argb.assign(argb, argb + static_cast<std::size_t>(width) * height);
        return detail::CreateObject(std::move(icon));
    });
}

HICON CreateCursorFromArgb(int width, int height, const std::uint32_t* argb, int hot_x, int hot_y) {
    if (hot_x < 0 || hot_y < 0 || hot_x >= width || hot_y >= height) return 0;
    const HICON cursor = CreateIconFromArgb(width, height, argb);
    if (detail::Icon* icon = detail::LookupIcon(cursor)) icon->hot_spot = POINT{hot_x, hot_y};
    return cursor;
}

bool GetIconHotSpot(HICON handle, POINT* out) {
    const detail::Icon* icon = detail::LookupIcon(handle);
    if (!icon || !out) return false;
    *out = icon->hot_spot;
    return true;
}

bool GetIconSize(HICON handle, SIZE* out) {
    const detail::Icon* icon = detail::LookupIcon(handle);
    if (!icon || !out) return false;
    *out = SIZE{icon->width, icon->height};
    return true;
}

bool GetIconPixels(HICON handle, int* width, int* height, std::vector<std::uint32_t>* argb) {
    const detail::Icon* icon = detail::LookupIcon(handle);
    if (!icon || !width || !height || !argb) return false;
    *width = icon->width;
    *height = icon->height;
    *argb = icon->argb;
    return true;
}

namespace {

bool DrawIconUnguarded(HDC dc, int x, int y, HICON handle) {
    detail::Bitmap* bitmap = detail::TargetBitmap(dc);  // writing out what is recorded allocates
    const detail::Icon* icon = detail::LookupIcon(handle);
    if (!bitmap || !icon) return false;
    // Natural size, clipped to the bitmap (in 64 bits: x may be any int); only pixels with some
    // opacity are touched.
    const int x0 = std::max(0, x),
              x1 = static_cast<int>(std::min<std::int64_t>(bitmap->width, std::int64_t{x} + icon->width));
    const int y0 = std::max(0, y),
              y1 = static_cast<int>(std::min<std::int64_t>(bitmap->height, std::int64_t{y} + icon->height));
    for (int row = y0; row < y1; ++row) {
        const std::uint32_t* source =
            icon->argb.data() + static_cast<std::size_t>(std::int64_t{row} - y) * icon->width + (std::int64_t{x0} - x);
        for (int col = x0; col < x1; ++col, ++source) {
            const std::uint32_t alpha = *source >> 24;
            if (alpha == 0) continue;
            std::uint32_t colour = *source & 0x00FFFFFFu;
            if (alpha != 255) {
                const std::uint32_t d = bitmap->PixelAt(col, row), inv = 255 - alpha;
                const std::uint32_t r = (((colour >> 16) & 0xFF) * alpha + ((d >> 16) & 0xFF) * inv + 127) / 255;
                const std::uint32_t g = (((colour >> 8) & 0xFF) * alpha + ((d >> 8) & 0xFF) * inv + 127) / 255;
                const std::uint32_t b = ((colour & 0xFF) * alpha + (d & 0xFF) * inv + 127) / 255;
                colour = (r << 16) | (g << 8) | b;
            }
            bitmap->SetPixelAt(col, row,
                               bitmap->is_mono() ? detail::MonoFromColor(ColorFromPixelWord(colour)) : colour);
        }
    }
    return true;
}

}  // namespace

bool DrawIcon(HDC dc, int x, int y, HICON handle) {
    return detail::Guarded(false, [&] { return DrawIconUnguarded(dc, x, y, handle); });
}

bool DestroyIcon(HICON handle) {
    if (detail::KindOfHandle(handle) != ObjectKind::Icon || detail::IsStockObject(handle)) return false;
    detail::DestroyObject(handle);
    return true;
}

}  // namespace ov::gdi
