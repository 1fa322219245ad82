#include "platform/gdi/replay/sample_sheet.h"

#include <cmath>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/png_io.h"

namespace ov::gdi::replay {
namespace {

void Fill(HDC dc, int l, int t, int r, int b, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT rect{l, t, r, b};
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// Runs `draw` with a pen and brush selected, then restores and deletes them.
template <typename Draw>
void WithPenAndBrush(HDC dc, int pen_style, COLORREF pen_colour, bool hollow, COLORREF brush_colour, Draw&& draw,
                     int pen_width = 1) {
    HPEN pen = CreatePen(pen_style, pen_width, pen_colour);
    HBRUSH brush = hollow ? 0 : CreateSolidBrush(brush_colour);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, hollow ? GetStockObject(NULL_BRUSH) : brush);
    draw();
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    if (brush) DeleteObject(brush);
}

void DrawStar(HDC dc, int cx, int cy, int radius) {
    const double kPi = 3.14159265358979323846;
    for (int i = 0; i < 16; ++i) {
        const double angle = i * kPi / 8;
        const COLORREF colour = RGB(40 + i * 12, 20, 200 - i * 10);
        WithPenAndBrush(dc, PS_SOLID, colour, true, 0, [&] {
            MoveToEx(dc, cx, cy, nullptr);
            LineTo(dc, cx + static_cast<int>(std::lround(radius * std::cos(angle))),
                   cy - static_cast<int>(std::lround(radius * std::sin(angle))));
        });
    }
}

void DrawBoxesAndEllipses(HDC dc, int x, int y) {
    WithPenAndBrush(dc, PS_SOLID, RGB(0, 0, 0), false, RGB(255, 220, 120),
                    [&] { Rectangle(dc, x, y, x + 70, y + 50); });
    WithPenAndBrush(dc, PS_SOLID, RGB(200, 0, 0), true, 0, [&] { Rectangle(dc, x + 80, y, x + 150, y + 50); });
    WithPenAndBrush(dc, PS_NULL, 0, false, RGB(60, 160, 60), [&] { Rectangle(dc, x + 160, y, x + 230, y + 50); });
    WithPenAndBrush(dc, PS_SOLID, RGB(0, 0, 128), false, RGB(150, 200, 255),
                    [&] { Ellipse(dc, x, y + 60, x + 70, y + 110); });
    WithPenAndBrush(dc, PS_SOLID, RGB(128, 0, 128), true, 0, [&] {
        for (int i = 0; i < 6; ++i) Ellipse(dc, x + 80 + i * 4, y + 60 + i * 3, x + 150 - i * 4, y + 110 - i * 3);
    });
    WithPenAndBrush(dc, PS_NULL, 0, false, RGB(240, 120, 40), [&] { Ellipse(dc, x + 160, y + 60, x + 230, y + 110); });
}

// Wide pens: lines of growing width with their round caps, a frame and a ring.
void DrawWidePens(HDC dc, int x, int y) {
    for (int i = 0; i < 5; ++i) {
        const int width = 2 + i * 2;
        WithPenAndBrush(
            dc, PS_SOLID, RGB(30 + i * 40, 90, 160 - i * 25), true, 0,
            [&] {
                MoveToEx(dc, x + 8 + i * 18, y + 70, nullptr);
                LineTo(dc, x + 20 + i * 18, y + 10);
            },
            width);
    }
    WithPenAndBrush(
        dc, PS_SOLID, RGB(0, 120, 90), false, RGB(200, 240, 220),
        [&] { Rectangle(dc, x + 110, y + 10, x + 160, y + 70); }, 6);
    WithPenAndBrush(
        dc, PS_SOLID, RGB(170, 60, 20), true, 0, [&] { Ellipse(dc, x + 175, y + 10, x + 230, y + 70); }, 5);
}

// A sprite on a magenta key colour, drawn transparently over a striped background.
void DrawTransparentBlit(HDC dc, int x, int y) {
    constexpr int kW = 96, kH = 64;
    constexpr COLORREF kKey = RGB(255, 0, 255);
    for (int i = 0; i < 8; ++i)
        Fill(dc, x, y + i * 10, x + 140, y + i * 10 + 10, i % 2 ? RGB(200, 200, 200) : RGB(90, 120, 160));

    HDC sprite_dc = CreateCompatibleDC(dc);
    HBITMAP sprite = CreateCompatibleBitmap(dc, kW, kH);
    HGDIOBJ old_sprite = SelectObject(sprite_dc, sprite);
    Fill(sprite_dc, 0, 0, kW, kH, kKey);
    WithPenAndBrush(sprite_dc, PS_SOLID, RGB(0, 0, 0), false, RGB(255, 210, 0),
                    [&] { Ellipse(sprite_dc, 4, 4, 60, 60); });
    WithPenAndBrush(sprite_dc, PS_SOLID, RGB(0, 0, 0), false, RGB(220, 30, 30),
                    [&] { Rectangle(sprite_dc, 50, 20, 92, 58); });

    HDC mask_dc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(kW, kH, 1, 1, nullptr);
    HGDIOBJ old_mask = SelectObject(mask_dc, mask);
    SetBkColor(sprite_dc, kKey);
    BitBlt(mask_dc, 0, 0, kW, kH, sprite_dc, 0, 0, SRCCOPY);  // key pixels -> 1
    SetTextColor(sprite_dc, RGB(0, 0, 0));
    SetBkColor(sprite_dc, RGB(255, 255, 255));
    BitBlt(sprite_dc, 0, 0, kW, kH, mask_dc, 0, 0, 0x00220326);  // key pixels -> black
    const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF old_bk = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x + 22, y + 8, kW, kH, mask_dc, 0, 0, SRCAND);      // opaque area -> black
    BitBlt(dc, x + 22, y + 8, kW, kH, sprite_dc, 0, 0, SRCPAINT);  // sprite in
    SetTextColor(dc, old_text);
    SetBkColor(dc, old_bk);

    SelectObject(mask_dc, old_mask);
    SelectObject(sprite_dc, old_sprite);
    DeleteObject(mask);
    DeleteObject(sprite);
    DeleteDC(mask_dc);
    DeleteDC(sprite_dc);
}

void DrawText(HDC dc, int x, int y) {
    const char* faces[] = {"Times New Roman", "Arial", "Courier New"};
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < 3; ++i) {
        for (int rotated = 0; rotated < 2; ++rotated) {
            LOGFONTA lf;
            lf.lfHeight = -16;
            lf.lfWeight = i == 1 ? 700 : 400;
            lf.lfItalic = i == 2;
            lf.lfEscapement = rotated ? 900 : 0;
            std::strncpy(lf.lfFaceName, faces[i], sizeof lf.lfFaceName - 1);
            HFONT font = CreateFontIndirectA(&lf);
            HGDIOBJ old_font = SelectObject(dc, font);
            SetTextColor(dc, RGB(20 + i * 60, 40, 120 - i * 30));
            const char* text = faces[i];
            if (rotated) TextOutA(dc, x + 330 + i * 30, y + 150, text, static_cast<int>(std::strlen(text)));
            else TextOutA(dc, x, y + i * 30, text, static_cast<int>(std::strlen(text)));
            SelectObject(dc, old_font);
            DeleteObject(font);
        }
    }
    SetBkMode(dc, old_mode);
}

}  // namespace

bool RenderSampleSheet(const std::string& png_path) {
    const LiveObjects before = CountLiveObjects();
    HDC dc = CreateCompatibleDC(0);
    HBITMAP surface = CreateDIBSection32(kSampleSheetWidth, kSampleSheetHeight);
    HGDIOBJ old = SelectObject(dc, surface);
    Fill(dc, 0, 0, kSampleSheetWidth, kSampleSheetHeight, RGB(250, 250, 245));

    DrawStar(dc, 110, 110, 95);
    DrawBoxesAndEllipses(dc, 230, 20);
    DrawWidePens(dc, 230, 140);
    DrawTransparentBlit(dc, 480, 20);
    DrawText(dc, 20, 240);

    const bool written = WriteDcPng(dc, png_path);
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    return written && CountLiveObjects() == before;
}

}  // namespace ov::gdi::replay
