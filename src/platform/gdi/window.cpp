// The window registry: client areas backed by surface bitmaps, the screen, the update lock.
#include "platform/gdi/window.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/internal/objects.h"
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

std::uint64_t DamageStamp() { return detail::CurrentDamageStamp(); }

bool GetBitmapDamageSince(HBITMAP handle, std::uint64_t stamp, RECT* damage) {
    if (!damage) return false;
    const detail::Bitmap* bitmap = detail::InspectBitmap(handle);
    RECT changed;
    if (!bitmap || !bitmap->damage.Since(stamp, &changed)) return false;
    // A locked window's kept frame may be larger than its surface.
    const int width = std::max(bitmap->width, bitmap->kept.width),
              height = std::max(bitmap->height, bitmap->kept.height);
    *damage = RECT{std::max(changed.left, 0), std::max(changed.top, 0), std::min(changed.right, width),
                   std::min(changed.bottom, height)};
    if (IsRectEmpty(*damage)) *damage = RECT{};
    return true;
}

bool GetWindowDamageSince(HWND handle, std::uint64_t stamp, RECT* damage) {
    const Window* window = Find(handle);
    return window && GetBitmapDamageSince(window->surface, stamp, damage);
}

HBITMAP GetWindowSurfaceBitmap(HWND handle) {
    Window* window = Find(handle);
    return window ? window->surface : 0;
}

namespace {

// What a window presents: its surface, or while it is locked, the frame at the time of the
// lock: the frame's copy if anything has touched the surface since, otherwise the pixels
// themselves (the lines recorded since stay pending).
struct PresentedFrame {
    int width = 0, height = 0;
    const std::uint32_t* pixels = nullptr;
};

std::optional<PresentedFrame> Presented(HWND handle) {
    Window* window = Find(handle);
    if (!window) return std::nullopt;
    // A read: what writing out the recorded drawing changes was noted when it was recorded.
    const detail::UntrackedBitmapAccess read;
    if (Registry().locked == handle) {
        // Looked up for recording: writing out what was drawn since the lock would change the
        // frame (blits onto the surface took the copy when they were recorded).
        const detail::Bitmap* bitmap = detail::BitmapForRecording(window->surface);
        if (!bitmap) return std::nullopt;
        if (bitmap->kept.taken)
            return PresentedFrame{bitmap->kept.width, bitmap->kept.height, bitmap->kept.pixels.data()};
        return PresentedFrame{bitmap->width, bitmap->height, bitmap->pixels.data()};
    }
    const detail::Bitmap* bitmap = detail::BitmapForPixels(window->surface);
    if (!bitmap) return std::nullopt;
    return PresentedFrame{bitmap->width, bitmap->height, bitmap->pixels.data()};
}

}  // namespace

// Looking a surface up for its pixels writes out what is recorded on it, which allocates.
bool GetPresentedSize(HWND handle, int* width, int* height) {
    if (!width || !height) return false;
    return detail::Guarded(false, [&] {
        const auto frame = Presented(handle);
        if (!frame) return false;
        *width = frame->width;
        *height = frame->height;
        return true;
    });
}

bool CopyPresentedPixels(HWND handle, const RECT& rect, std::uint32_t* out) {
    return CopyPresentedPixels(handle, rect, out,
                               rect.right > rect.left ? static_cast<std::size_t>(rect.right - rect.left) : 0);
}

bool CopyPresentedPixels(HWND handle, const RECT& rect, std::uint32_t* out, std::size_t out_stride) {
    if (!out) return false;
    return detail::Guarded(false, [&] {
        const auto frame = Presented(handle);
        if (!frame || rect.left < 0 || rect.top < 0 || rect.right > frame->width || rect.bottom > frame->height ||
            rect.right < rect.left || rect.bottom < rect.top)
            return false;
        const int row_width = rect.right - rect.left;
        if (out_stride < static_cast<std::size_t>(row_width)) return false;
        for (int y = rect.top; y < rect.bottom; ++y)
            std::copy_n(frame->pixels + static_cast<std::size_t>(y) * frame->width + rect.left, row_width,
                        out + static_cast<std::size_t>(y - rect.top) * out_stride);
        return true;
    });
}

bool GetPresentedPixels(HWND handle, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    if (!width || !height || !pixels) return false;
    return detail::Guarded(false, [&] {
        int w = 0, h = 0;
        if (!GetPresentedSize(handle, &w, &h)) return false;
        pixels->resize(static_cast<std::size_t>(w) * h);
        *width = w;
        *height = h;
        return CopyPresentedPixels(handle, RECT{0, 0, w, h}, pixels->data());
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
    const detail::UntrackedBitmapAccess read;
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
