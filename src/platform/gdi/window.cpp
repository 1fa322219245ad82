// The window registry: client areas backed by surface bitmaps, the screen, the update lock.
#include "platform/gdi/window.h"

#include <algorithm>
#include <unordered_map>

#include "platform/gdi/call_guard.h"
#include "platform/gdi/objects.h"
#include "platform/limits.h"

namespace ov::gdi {
namespace {

struct Window {
    HWND parent = 0;
    HBITMAP surface = 0;
};

struct WindowRegistry {
    std::unordered_map<HWND, Window> windows;
    HWND next = 0x10;
    HWND locked = 0;
    HBITMAP screen = 0;  // the screen's surface: a colour bitmap so compatible bitmaps are colour
};

WindowRegistry& Registry() {
    static WindowRegistry registry;
    return registry;
}

Window* Find(HWND handle) {
    auto& windows = Registry().windows;
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

// A surface may be 0 x 0 (a client area with nothing in it); it still exists as an object so
// window DCs always have a bitmap selected. 0 when the store cannot be had.
HBITMAP NewSurface(int width, int height, COLORREF background) {
    detail::Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bits_per_pixel = 32;
    bitmap.owned_by_window = true;
    detail::AllocateStore(bitmap, PixelWordFromColor(background));
    // Surfaces belong to their window, not to a routine: they are not counted as live objects.
    return detail::CreateObject(std::move(bitmap), /*stock=*/true);
}

HBITMAP ScreenSurface() {
    auto& registry = Registry();
    if (!registry.screen) registry.screen = NewSurface(1, 1, 0);
    return registry.screen;
}

}  // namespace

HWND CreateWindowSurface(HWND parent, int width, int height, COLORREF background) {
    // Client areas past the surface limits fail before anything is allocated.
    if (!limits::SurfaceSizeAllowed(width, height)) return 0;
    return detail::Guarded<HWND>(0, [&] {
        auto& registry = Registry();
        Window window;
        window.parent = parent;
        window.surface = NewSurface(width, height, background);
        if (!window.surface) return HWND{0};
        const HWND handle = registry.next;
        if (!registry.windows.emplace(handle, window).second) return HWND{0};
        registry.next += 4;
        return handle;
    });
}

bool DestroyWindowSurface(HWND handle) {
    Window* window = Find(handle);
    if (!window) return false;
    if (Registry().locked == handle) Registry().locked = 0;
    detail::DestroyObject(window->surface);
    Registry().windows.erase(handle);
    return true;
}

bool SetWindowClientSize(HWND handle, int width, int height, COLORREF background) {
    Window* window = Find(handle);
    if (!window || !limits::SurfaceSizeAllowed(width, height)) return false;
    // The new store is filled before anything changes, so a failed allocation leaves the window
    // as it was.
    return detail::Guarded(false, [&] {
        detail::Bitmap* bitmap = detail::BitmapForPixels(window->surface);
        if (!bitmap) return false;
        if (bitmap->width == width && bitmap->height == height) return true;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, PixelWordFromColor(background));
        const int keep_w = std::min(width, bitmap->width), keep_h = std::min(height, bitmap->height);
        for (int y = 0; y < keep_h; ++y)
            std::copy_n(bitmap->row(y), keep_w, pixels.data() + static_cast<std::size_t>(y) * width);
        bitmap->pixels = std::move(pixels);
        bitmap->width = width;
        bitmap->height = height;
        return true;
    });
}

bool IsWindow(HWND handle) { return Find(handle) != nullptr; }

HWND GetParent(HWND handle) {
    Window* window = Find(handle);
    return window ? window->parent : 0;
}

HWND GetLockedWindow() { return Registry().locked; }

int LiveWindowCount() { return static_cast<int>(Registry().windows.size()); }

HBITMAP GetWindowSurfaceBitmap(HWND handle) {
    Window* window = Find(handle);
    return window ? window->surface : 0;
}

bool GetPresentedPixels(HWND handle, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    Window* window = Find(handle);
    if (!window || !width || !height || !pixels) return false;
    return detail::Guarded(false, [&] {
        const detail::Bitmap* bitmap = nullptr;
        if (Registry().locked == handle) {
            // The frame at the time of the lock: its copy if anything has touched the surface
            // since, otherwise the pixels themselves (what was drawn since is still recorded:
            // lines pending, blits onto the surface took the copy when they were recorded).
            bitmap = detail::BitmapForRecording(window->surface);
            if (bitmap && bitmap->kept.taken) {
                *pixels = bitmap->kept.pixels;
                *width = bitmap->kept.width;
                *height = bitmap->kept.height;
                return true;
            }
        } else {
            bitmap = detail::BitmapForPixels(window->surface);
        }
        if (!bitmap) return false;
        *pixels = bitmap->pixels;
        *width = bitmap->width;
        *height = bitmap->height;
        return true;
    });
}

HDC GetDC(HWND handle) {
    return detail::Guarded<HDC>(0, [&] {
        Window* window = handle ? Find(handle) : nullptr;
        const HBITMAP surface = handle ? (window ? window->surface : 0) : ScreenSurface();
        return surface ? detail::NewDeviceContext(surface, handle) : HDC{0};
    });
}

int ReleaseDC(HWND handle, HDC dc_handle) {
    detail::DeviceContext* dc = detail::LookupDc(dc_handle);
    if (!dc || dc->window != handle) return 0;
    return DeleteDC(dc_handle) ? 1 : 0;
}

bool GetClientRect(HWND handle, RECT* out) {
    Window* window = Find(handle);
    if (!window || !out) return false;
    const detail::Bitmap* bitmap = detail::BitmapForRecording(window->surface);  // the size only
    if (!bitmap) return false;
    *out = RECT{0, 0, bitmap->width, bitmap->height};
    return true;
}

// The locked window keeps presenting its frame from the time of the lock. The surface copies
// that frame only when something first reads or changes its pixels during the lock: a lock
// under which only lines are drawn (they stay recorded until the next access) copies nothing.
bool LockWindowUpdate(HWND handle) {
    auto& registry = Registry();
    if (handle == 0) {
        if (registry.locked == 0) return false;
        if (Window* window = Find(registry.locked))
            if (detail::Bitmap* surface = detail::BitmapForRecording(window->surface)) surface->ReleaseKeptFrame();
        registry.locked = 0;
        return true;
    }
    Window* window = Find(handle);
    if (!window || registry.locked != 0) return false;  // one lock at a time
    return detail::Guarded(false, [&] {
        detail::Bitmap* surface = detail::BitmapForRecording(window->surface);
        if (!surface) return false;
        surface->KeepFrameBeforeChange();
        registry.locked = handle;
        return true;
    });
}

}  // namespace ov::gdi
