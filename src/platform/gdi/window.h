#pragma once
// Windows as the platform has them, in a small registry: a client area backed by a surface
// bitmap that drawing through GetDC(window) lands on, a parent, and the update lock.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// Creates a window whose client area is width x height pixels, filled with `background`.
HWND CreateWindowSurface(HWND parent, int width, int height, COLORREF background = 0xFFFFFF);
bool DestroyWindowSurface(HWND window);
// Resizes the client area; the pixels that still fit are kept, new ones take `background`.
bool SetWindowClientSize(HWND window, int width, int height, COLORREF background = 0xFFFFFF);
bool IsWindow(HWND window);
HWND GetParent(HWND window);
HWND GetLockedWindow();
int LiveWindowCount();

// What the window shows: its surface, or while it is locked, the surface as it was when the
// lock was taken. Pixels are 0x00RRGGBB, row-major. Returns false for an invalid window.
bool GetPresentedPixels(HWND window, int* width, int* height, std::vector<std::uint32_t>* pixels);
// The size of what the window presents; false for an invalid window.
bool GetPresentedSize(HWND window, int* width, int* height);
// Copies the part of what the window presents inside `rect` (half-open, within the presented
// size) into `out`, row by row, rect-width pixels per row: a compositor that needs a few
// pixels of a large window reads those, not the whole frame. False for an invalid window or a
// rect outside the presented size.
bool CopyPresentedPixels(HWND window, const RECT& rect, std::uint32_t* out);
// The same with rows `out_stride` pixels apart in `out` (at least the rect's width).
bool CopyPresentedPixels(HWND window, const RECT& rect, std::uint32_t* out, std::size_t out_stride);
// A count that moves whenever any bitmap may have changed: every access to a bitmap's pixels
// (reading ones included: an access may write out recorded lines), every bitmap created or
// deleted. Equal counts mean every window presents what it presented before, so a host may
// keep what it composed from them.
std::uint64_t SurfaceChangeCount();
// Damage: where pixels may have changed. Every change of a bitmap's pixels is noted under a
// stamp of one counter for all bitmaps (a change whose place is not known notes the whole
// bitmap), so a compositor keeps the stamp it composed at and later redoes only what changed.
// DamageStamp is the stamp of the latest note.
std::uint64_t DamageStamp();
// The part of the bitmap (or of what the window presents) that may have changed after `stamp`,
// clipped to its size; empty when nothing did. False when that cannot be said: the handle is
// invalid, or the bitmap is newer than the stamp.
bool GetBitmapDamageSince(HBITMAP bitmap, std::uint64_t stamp, RECT* damage);
bool GetWindowDamageSince(HWND window, std::uint64_t stamp, RECT* damage);
// The window's surface bitmap (for the host's own drawing objects, e.g. a picture box).
HBITMAP GetWindowSurfaceBitmap(HWND window);

}  // namespace ov::gdi
