#pragma once
// The graphics device interface: handle-based pens, brushes, fonts, bitmaps, palettes and
// device contexts with the platform's calling conventions. Calls never throw; they return the
// platform's failure values (false, 0, CLR_INVALID) for invalid handles or arguments.
//
// Colours at this interface are COLORREF, 0x00BBGGRR (red in the low byte). Coordinates are
// device pixels, origin top left, y down. Rectangles given to these calls are the platform's:
// right and bottom exclusive unless a call says otherwise.
#include <cstdint>

namespace ov::gdi {

using COLORREF = std::uint32_t;
using HGDIOBJ = std::uint32_t;  // 0 is "no object"
using HDC = HGDIOBJ;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HFONT = HGDIOBJ;
using HPALETTE = HGDIOBJ;
using HICON = HGDIOBJ;
using HWND = std::uint32_t;  // windows live in their own registry, window.h
using HRESULT = std::int32_t;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

// Pixel words, the layout of a 32-bit DIB row: 0x00RRGGBB (blue in the low byte, as the
// platform's RGBQUAD lies in memory). Bitmap pixels, presented window frames and PNG export
// all use them; a mono bitmap reads as 0x000000 and 0xFFFFFF.
constexpr std::uint32_t PixelWordFromColor(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorFromPixelWord(std::uint32_t word) {
    return ((word & 0xFFu) << 16) | (word & 0xFF00u) | ((word >> 16) & 0xFFu);
}

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// A half-open rectangle holds no pixel when either extent is not positive.
inline bool IsRectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
// The smallest rectangle holding both; an empty one adds nothing.
inline RECT UnionRect(const RECT& a, const RECT& b) {
    if (IsRectEmpty(a)) return b;
    if (IsRectEmpty(b)) return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
                a.bottom > b.bottom ? a.bottom : b.bottom};
}
struct POINT {
    int x = 0, y = 0;
};
struct SIZE {
    int cx = 0, cy = 0;
};

// Logical font record, laid out like the platform's ANSI one (32-byte face name field).
struct LOGFONTA {
    std::int32_t lfHeight = 0;  // < 0: character height in pixels; > 0: cell height
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;  // tenths of a degree, anticlockwise
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 400;  // 400 normal, 700 bold
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};

// Stock objects (GetStockObject indices).
enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    HOLLOW_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    SYSTEM_FONT = 13,
    DEFAULT_GUI_FONT = 17,
};

// Pen styles.
enum : int { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_NULL = 5 };
// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
// Stretch modes.
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
// GetDeviceCaps indices.
enum : int { BITSPIXEL = 12, HORZRES = 8, VERTRES = 10, LOGPIXELSX = 88, LOGPIXELSY = 90 };
// DrawTextA flags.
enum : unsigned {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};
// Raster operations used by name in the library; any ternary code works.
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGECOPY = 0x00C000CA,
    MERGEPAINT = 0x00BB0226,
    PATCOPY = 0x00F00021,
    PATPAINT = 0x00FB0A09,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
    DSNA = 0x00220326,
};

// --- objects -------------------------------------------------------------------------------
// Live (created and not yet deleted) objects per kind, stock objects and window surfaces
// excluded. Tests compare a snapshot before and after a routine: every object it creates must
// be gone.
struct LiveObjects {
    int dcs = 0, bitmaps = 0, pens = 0, brushes = 0, fonts = 0, palettes = 0, icons = 0;
    int total() const { return dcs + bitmaps + pens + brushes + fonts + palettes + icons; }
    friend bool operator==(const LiveObjects&, const LiveObjects&) = default;
};
LiveObjects CountLiveObjects();

HGDIOBJ GetStockObject(int index);
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
HFONT CreateFontIndirectA(const LOGFONTA* logfont);
// Returns the previously selected object of the same kind (a bitmap for a bitmap, ...), 0 on
// failure. Selecting a bitmap that is already selected into another DC fails.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Refuses (false) an object selected into a DC; stock objects are never freed (true, no-op).
bool DeleteObject(HGDIOBJ object);
bool GetObjectLogFont(HFONT font, LOGFONTA* out);  // the record a font was created from

// --- bitmaps and device contexts -----------------------------------------------------------
HDC CreateCompatibleDC(HDC dc);  // 0: compatible with the screen. Starts with a 1x1 mono bitmap.
bool DeleteDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);  // format of dc's bitmap
HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bits_per_pixel, const void* bits);
HBITMAP CreateDIBSection32(int width, int height);  // 32-bit top-down colour, zero-filled
bool GetBitmapSize(HBITMAP bitmap, SIZE* out);
int GetBitmapBitsPerPixel(HBITMAP bitmap);  // 32 or 1; 0 for an invalid handle
HBITMAP GetCurrentBitmap(HDC dc);

// --- pixels of a bitmap --------------------------------------------------------------------
// A bitmap's pixels by handle, for code that keeps images of its own (composition, export,
// persistence). `bits` holds the whole of `rect` as pixel words, row-major and top-down, one
// row (rect->right - rect->left) words long; only the part of the rect inside the bitmap is
// read or written, the other words are left as they are. Each returns the number of rows that
// met the bitmap, 0 for an invalid handle, a null pointer, an inverted or empty rect, or a rect
// entirely outside. What was drawn on the bitmap is all there, whenever it was drawn.
int GetBitmapBits32(HBITMAP bitmap, const RECT* rect, std::uint32_t* bits);
// The top byte of each word is ignored; a mono bitmap takes the nearer of black and white.
int SetBitmapBits32(HBITMAP bitmap, const RECT* rect, const std::uint32_t* bits);
// Fills the part of `rect` inside the bitmap with a colour (a mono bitmap: its nearer of
// black and white). False for an invalid handle or a null rect.
bool FillBitmapRect(HBITMAP bitmap, const RECT* rect, COLORREF colour);

// --- palettes (true-colour display: real, counted objects with no effect on colours) ------
HPALETTE CreateHalftonePalette(HDC dc);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool force_background);
unsigned RealizePalette(HDC dc);

// --- DC state ------------------------------------------------------------------------------
COLORREF SetTextColor(HDC dc, COLORREF colour);  // return the previous value, CLR_INVALID on failure
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);  // previous mode, 0 on failure
int GetBkMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
bool MoveToEx(HDC dc, int x, int y, POINT* previous);
bool GetCurrentPositionEx(HDC dc, POINT* out);
int GetDeviceCaps(HDC dc, int index);

// --- drawing -------------------------------------------------------------------------------
// Drawing calls are batched: lines, outlines and blits are recorded and carried out when the
// pixels are next needed, which no caller can tell from drawing at once. A limit of 1 turns
// batching off, so that every call draws at once (the straightforward path, for comparison);
// any other limit turns it on, 0 restoring the default. Returns the previous limit (0 for a
// negative limit, which changes nothing).
int GdiSetBatchLimit(int limit);
bool LineTo(HDC dc, int x, int y);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
COLORREF GetPixel(HDC dc, int x, int y);
bool SetPixelV(HDC dc, int x, int y, COLORREF colour);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
bool PatBlt(HDC dc, int x, int y, int width, int height, std::uint32_t rop);
bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, std::uint32_t rop);
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, int src_width,
                int src_height, std::uint32_t rop);

// --- text ----------------------------------------------------------------------------------
bool TextOutA(HDC dc, int x, int y, const char* text, int length);
int DrawTextA(HDC dc, const char* text, int length, RECT* rect, unsigned format);
bool GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* out);

// --- icons ---------------------------------------------------------------------------------
bool DrawIcon(HDC dc, int x, int y, HICON icon);
bool DestroyIcon(HICON icon);

// --- windows (see window.h for creating them) ----------------------------------------------
HDC GetDC(HWND window);  // 0: the screen
int ReleaseDC(HWND window, HDC dc);
bool GetClientRect(HWND window, RECT* out);
bool LockWindowUpdate(HWND window);  // 0 releases; only one window is locked at a time

// --- colours and arithmetic ----------------------------------------------------------------
// System colour indices (GetSysColor). An OLE_COLOR names one by its index with the high bit
// set; ole_colour.h makes those values and translates them.
enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_DESKTOP = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_3DHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};
COLORREF GetSysColor(int index);  // classic scheme, host-replaceable (screen.h); unknown: 0
// 0x00BBGGRR passes unchanged; 0x80000000 + known index gives the system colour; anything else
// is an error and leaves *out untouched.
HRESULT OleTranslateColor(std::uint32_t colour, HPALETTE palette, COLORREF* out);
int MulDiv(int number, int numerator, int denominator);  // 64-bit product, halves away from 0; -1 if denominator is 0

}  // namespace ov::gdi
