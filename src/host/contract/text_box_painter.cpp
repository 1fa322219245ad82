#include "host/contract/text_box_painter.h"

#include <algorithm>
#include <string>

#include "host/contract/font_attributes.h"
#include "host/contract/text_box.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/scoped_objects.h"

namespace ov::host {

namespace {

constexpr int kMargin = 1;  // pixels between the frame and the text, left and right

void FillOle(gdi::HDC dc, int left, int top, int right, int bottom, std::int32_t ole_colour) {
    if (right <= left || bottom <= top) return;
    gdi::FillSolidRect(dc, gdi::RECT{left, top, right, bottom}, gdi::TranslateOleColorOrBlack(ole_colour));
}

// A ring one pixel wide: `upper_left` on the top and left edges, `lower_right` on the others.
void Ring(gdi::HDC dc, int l, int t, int r, int b, std::int32_t upper_left, std::int32_t lower_right) {
    FillOle(dc, l, t, r - 1, t + 1, upper_left);
    FillOle(dc, l, t, l + 1, b - 1, upper_left);
    FillOle(dc, l, b - 1, r, b, lower_right);
    FillOle(dc, r - 1, t, r, b, lower_right);
}

void DrawFrame(gdi::HDC dc, int x, int y, int width, int height, int appearance, int border_style) {
    if (border_style != 1) return;
    const int r = x + width, b = y + height;
    if (appearance == 1) {
        Ring(dc, x, y, r, b, gdi::OleSystemColor(gdi::COLOR_BTNSHADOW), gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));
        Ring(dc, x + 1, y + 1, r - 1, b - 1, gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW),
             gdi::OleSystemColor(gdi::COLOR_3DLIGHT));
    } else {
        Ring(dc, x, y, r, b, gdi::OleSystemColor(gdi::COLOR_WINDOWFRAME), gdi::OleSystemColor(gdi::COLOR_WINDOWFRAME));
    }
}

// Text measurement on a DC that has the box's font selected.
int Extent(gdi::HDC dc, const std::string& text, int count) {
    if (count <= 0) return 0;
    gdi::SIZE size{};
    gdi::GetTextExtentPoint32A(dc, text.data(), count, &size);
    return size.cx;
}

gdi::OwnedObject BoxFont(const FontAttributes& font) {
    const gdi::LOGFONTA logfont = LogFontFromDesc(font);
    return gdi::OwnedObject(gdi::CreateFontIndirectA(&logfont));
}

int TextHeight(gdi::HDC dc) {
    gdi::SIZE size{};
    gdi::GetTextExtentPoint32A(dc, "Ag", 2, &size);
    return size.cy;
}

}  // namespace

int TextBoxFrameWidth(int appearance, int border_style) {
    if (border_style != 1) return 0;
    return appearance == 1 ? 2 : 1;
}

int TextBoxLineHeight(const FontAttributes& font, bool bordered) {
    const gdi::MemoryDC memory;
    const gdi::OwnedObject box_font = BoxFont(font);
    const gdi::ScopedSelection font_selection(memory.get(), box_font.get());
    // Two frame pixels and two margin pixels above and below a bordered line, one margin
    // pixel each way without a border.
    return TextHeight(memory.get()) + (bordered ? 8 : 2);
}

int ScrollToCaret(int previous, int caret_x, int text_width, int view_width) {
    if (view_width <= 0) return 0;
    int scroll = std::max(0, previous);
    if (caret_x < scroll) scroll = caret_x;
    if (caret_x > scroll + view_width - 1) scroll = caret_x - view_width + 1;
    // Never leave blank room after the text while part of it is scrolled out on the left.
    scroll = std::min(scroll, std::max(0, text_width + 1 - view_width));
    return std::max(0, scroll);
}

namespace {

// Where the text goes inside a box `width` x `height` pixels: the view (the inner area less the
// margins) and the x of the text's first character in it. Measuring the caret's place updates
// the box's scroll when the text is wider than the view, as painting does.
struct TextPlacement {
    int frame = 0;
    int view_width = 0, inner_height = 0;
    int origin = 0;
};

TextPlacement PlaceText(gdi::HDC measuring, int width, int height, const TextBox& box, bool follow_caret) {
    TextPlacement p;
    p.frame = TextBoxFrameWidth(box.Appearance(), box.BorderStyle());
    p.view_width = width - 2 * p.frame - 2 * kMargin;
    p.inner_height = height - 2 * p.frame;
    const std::string& text = box.Text();
    const int text_w = Extent(measuring, text, static_cast<int>(text.size()));
    if (text_w < p.view_width) {
        if (follow_caret) box.set_scroll(0);
        if (box.Alignment() == TextBox::kRight) p.origin = p.view_width - 1 - text_w;
        else if (box.Alignment() == TextBox::kCenter) p.origin = (p.view_width - text_w) / 2;
    } else {
        if (follow_caret) {
            const int caret_x = Extent(measuring, text, box.edit().caret());
            box.set_scroll(ScrollToCaret(box.scroll(), caret_x, text_w, p.view_width));
        }
        p.origin = -box.scroll();
    }
    return p;
}

}  // namespace

void PaintTextBox(gdi::HDC dc, int x, int y, int width, int height, const TextBox& box) {
    if (width <= 0 || height <= 0) return;
    const int frame = TextBoxFrameWidth(box.Appearance(), box.BorderStyle());
    DrawFrame(dc, x, y, width, height, box.Appearance(), box.BorderStyle());
    const int inner_w = width - 2 * frame, inner_h = height - 2 * frame;
    FillOle(dc, x + frame, y + frame, x + frame + inner_w, y + frame + inner_h, box.BackColor());
    const int view_w = inner_w - 2 * kMargin;
    if (view_w <= 0 || inner_h <= 0) return;

    const gdi::MemoryDC canvas(dc, gdi::CreateCompatibleBitmap(dc, view_w, inner_h), gdi::Bitmap::Owned);
    if (!canvas.bitmap()) return;
    const gdi::OwnedObject box_font = BoxFont(box.Font());
    const gdi::ScopedSelection font_selection(canvas.get(), box_font.get());
    const gdi::HDC mem = canvas.get();
    FillOle(mem, 0, 0, view_w, inner_h, box.BackColor());

    const std::string& text = box.Text();
    const int text_h = TextHeight(mem);
    const int top = std::max(0, (inner_h - text_h) / 2);
    const int origin = PlaceText(mem, width, height, box, true).origin;

    const int old_mode = gdi::SetBkMode(mem, gdi::TRANSPARENT);
    // A disabled box shows its text greyed (the system's grey text colour).
    const std::int32_t fore = box.Enabled() ? box.ForeColor() : gdi::OleSystemColor(gdi::COLOR_GRAYTEXT);
    const gdi::COLORREF old_colour = gdi::SetTextColor(mem, gdi::TranslateOleColorOrBlack(fore));
    gdi::TextOutA(mem, origin, top, text.data(), static_cast<int>(text.size()));
    if (box.Focused() && box.SelLength() > 0) {
        const int s0 = origin + Extent(mem, text, box.SelStart());
        const int s1 = origin + Extent(mem, text, box.SelStart() + box.SelLength());
        FillOle(mem, s0, 0, s1, inner_h, gdi::OleSystemColor(gdi::COLOR_HIGHLIGHT));
        gdi::SetTextColor(mem, gdi::TranslateOleColorOrBlack(gdi::OleSystemColor(gdi::COLOR_HIGHLIGHTTEXT)));
        gdi::TextOutA(mem, s0, top, text.data() + box.SelStart(), box.SelLength());
    } else if (box.Focused()) {
        const int cx = origin + Extent(mem, text, box.edit().caret());
        FillOle(mem, cx, top, cx + 1, top + text_h, fore);
    }
    gdi::SetTextColor(mem, old_colour);
    gdi::SetBkMode(mem, old_mode);
    gdi::BitBlt(dc, x + frame + kMargin, y + frame, view_w, inner_h, mem, 0, 0, gdi::SRCCOPY);
}

TextHit HitTestTextBox(const TextBox& box, int width, int x) {
    const gdi::MemoryDC measuring;
    const gdi::OwnedObject box_font = BoxFont(box.Font());
    const gdi::ScopedSelection font_selection(measuring.get(), box_font.get());
    const gdi::HDC dc = measuring.get();
    const TextPlacement p = PlaceText(dc, width, 1, box, false);
    const std::string& text = box.Text();
    const int length = static_cast<int>(text.size());
    // The pointer in the text's own coordinates: from the left edge of its first character.
    const int at = x - p.frame - kMargin - p.origin;
    TextHit hit;
    int left = 0;
    for (int i = 0; i < length; ++i) {
        const int right = Extent(dc, text, i + 1);
        if (at < right) {
            hit.character = i;
            // Twice the distance, so the middle of an odd width needs no rounding.
            hit.boundary = 2 * at < left + right ? i : i + 1;
            return hit;
        }
        left = right;
    }
    hit.boundary = length;
    hit.character = std::max(0, length - 1);
    return hit;
}

}  // namespace ov::host
