#pragma once
// Guards for the objects and selections a routine makes on the drawing layer: each undoes
// what it did when its scope ends, on every way out, so that no pen, brush, font, bitmap,
// palette or device context outlives the routine that made it, and no device context keeps a
// selection that routine made. A painter that selects by hand and restores by hand will one
// day forget one path.
//
// Destruction runs in reverse order of declaration: declare an object before the selection
// that puts it into a device context, so that it is selected out before it is deleted (the
// layer refuses to delete an object that is still selected).
#include <cstdint>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// A pen, brush, font, bitmap or palette this scope created; deleted when the scope ends.
// A zero handle (a creation that failed) owns nothing.
class OwnedObject {
public:
    OwnedObject() = default;
    explicit OwnedObject(HGDIOBJ object) : object_(object) {}
    ~OwnedObject() { Reset(); }
    OwnedObject(OwnedObject&& other) noexcept : object_(other.Release()) {}
    OwnedObject& operator=(OwnedObject&& other) noexcept;
    OwnedObject(const OwnedObject&) = delete;
    OwnedObject& operator=(const OwnedObject&) = delete;

    HGDIOBJ get() const { return object_; }
    explicit operator bool() const { return object_ != 0; }
    HGDIOBJ Release();               // no longer owned; the caller deletes it
    void Reset(HGDIOBJ object = 0);  // deletes the one held, then holds `object`

private:
    HGDIOBJ object_ = 0;
};

// `object` selected into `dc` until the scope ends, when what it replaced is selected back.
// Selecting a zero handle, or a selection the layer refuses, changes nothing and restores
// nothing.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object);
    ~ScopedSelection();
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

    bool selected() const { return previous_ != 0; }

private:
    HDC dc_;
    HGDIOBJ previous_ = 0;
};

// A palette selected into `dc` (as a background palette) and realized until the scope ends,
// when the previous palette is selected back and realized. A zero palette does nothing. A new
// device context holds no palette, and none cannot be selected back: a palette selected into
// one stays there until the context is deleted, so declare the palette before the context.
class ScopedPalette {
public:
    ScopedPalette(HDC dc, HPALETTE palette);
    ~ScopedPalette();
    ScopedPalette(const ScopedPalette&) = delete;
    ScopedPalette& operator=(const ScopedPalette&) = delete;

private:
    HDC dc_;
    HPALETTE previous_ = 0;
    bool selected_ = false;
};

// A window's device context (0: the screen's) from GetDC, released when the scope ends.
class WindowDC {
public:
    explicit WindowDC(HWND window = 0) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Whether a memory DC deletes the bitmap it holds along with itself.
enum class Bitmap : std::uint8_t { Borrowed, Owned };

// A memory device context compatible with `compatible_with` (0: the screen), deleted when the
// scope ends, holding at most one bitmap of the caller's choosing: selected in for the DC's
// life and selected out before the DC goes; an owned one is then deleted too. An owned bitmap
// is deleted even when it could not be selected.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible_with = 0);
    MemoryDC(HDC compatible_with, HBITMAP bitmap, Bitmap ownership);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }

    // Selects `bitmap` in place of the one held, which is then let go (deleted when owned).
    // False when the DC or the bitmap is invalid or already selected elsewhere; the bitmap
    // held stays, and an owned `bitmap` is deleted.
    bool Hold(HBITMAP bitmap, Bitmap ownership);

private:
    void LetGo(HBITMAP bitmap, Bitmap ownership);

    HDC dc_ = 0;
    HBITMAP bitmap_ = 0;
    Bitmap ownership_ = Bitmap::Borrowed;
    HGDIOBJ original_ = 0;  // the DC's own bitmap, selected back before it is deleted
};

// Copies part of a bitmap (a picture's handle) onto `dst` through a memory DC compatible with
// `dst`: BitBlt of width x height from (src_x, src_y). A bitmap selected into another DC cannot
// be selected here, and the copy then reads the memory DC's own one-pixel bitmap.
bool BlitBitmap(HDC dst, int x, int y, int width, int height, HBITMAP source, int src_x, int src_y, std::uint32_t rop);
// The same with StretchBlt from a source rectangle of src_width x src_height.
bool StretchBlitBitmap(HDC dst, int x, int y, int width, int height, HBITMAP source, int src_x, int src_y,
                       int src_width, int src_height, std::uint32_t rop);

// Fills `rect` with a solid brush of `colour` made for this one call.
int FillSolidRect(HDC dc, const RECT& rect, COLORREF colour);

}  // namespace ov::gdi
