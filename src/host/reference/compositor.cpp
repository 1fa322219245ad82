#include "host/reference/compositor.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "host/contract/control.h"
#include "host/contract/text_box_painter.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/window.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

namespace {

// The part of the canvas one control covers, which the composition draws on directly, and a
// 32-bit drawing buffer of its size, so constituents are drawn with the platform's own
// primitives (pens, brushes, text) exactly as on a real surface. The buffer is made only for
// a control with such constituents: the pixels go to it before drawing calls and come back
// after. `shift` takes a point of the control's surface to the part: drawing the control's
// pixel (x, y) lands on part pixel (x + shift.x, y + shift.y).
class Scratch {
public:
    Scratch(std::uint32_t* pixels, std::size_t stride, int width, int height, gdi::POINT shift)
        : pixels_(pixels), stride_(stride), width_(width), height_(height), shift_(shift) {}

    gdi::HDC dc() {
        if (!dc_) {
            const gdi::HBITMAP bitmap = gdi::CreateDIBSection32(std::max(width_, 1), std::max(height_, 1));
            if (!bitmap) throw AutomationError(error::kOutOfMemory);
            dc_.emplace(0, bitmap, gdi::Bitmap::Owned);
            if (!dc_->bitmap()) throw AutomationError(error::kOutOfMemory);
        }
        return dc_->get();
    }
    int width() const { return width_; }
    int height() const { return height_; }
    gdi::POINT shift() const { return shift_; }
    std::uint32_t* row(int y) { return pixels_ + static_cast<std::size_t>(y) * stride_; }
    std::size_t stride() const { return stride_; }

    // The copy to the buffer before drawing on its DC, and back after.
    void Store() {
        const gdi::HBITMAP bitmap = Bitmap();
        for (int y = 0; y < height_; ++y) {
            const gdi::RECT line{0, y, width_, y + 1};
            gdi::SetBitmapBits32(bitmap, &line, row(y));
        }
    }
    void Load() {
        const gdi::HBITMAP bitmap = Bitmap();
        for (int y = 0; y < height_; ++y) {
            const gdi::RECT line{0, y, width_, y + 1};
            if (gdi::GetBitmapBits32(bitmap, &line, row(y)) != 1) throw AutomationError(error::kOutOfMemory);
        }
    }

private:
    std::uint32_t* pixels_;
    std::size_t stride_;
    int width_, height_;
    gdi::POINT shift_;
    std::optional<gdi::MemoryDC> dc_;

    gdi::HBITMAP Bitmap() {
        dc();
        return dc_->bitmap();
    }
};

struct PixelRect {
    int left, top, right, bottom;
};

// A constituent's rectangle in buffer pixels.
PixelRect PixelRectOf(const Control& owner, const Constituent& c, gdi::POINT shift) {
    return {owner.ToPixelsX(c.Left()) + shift.x, owner.ToPixelsY(c.Top()) + shift.y,
            owner.ToPixelsX(c.Left() + c.Width()) + shift.x, owner.ToPixelsY(c.Top() + c.Height()) + shift.y};
}

void DrawLine(const Control& owner, const Line& line, Scratch& scratch) {
    const gdi::HDC dc = scratch.dc();
    const gdi::POINT shift = scratch.shift();
    const gdi::OwnedObject pen(gdi::CreatePen(gdi::PS_SOLID, 1, gdi::TranslateOleColorOrBlack(line.BorderColor())));
    const gdi::ScopedSelection selection(dc, pen.get());
    gdi::MoveToEx(dc, owner.ToPixelsX(line.X1()) + shift.x, owner.ToPixelsY(line.Y1()) + shift.y, nullptr);
    gdi::LineTo(dc, owner.ToPixelsX(line.X2()) + shift.x, owner.ToPixelsY(line.Y2()) + shift.y);
}

void DrawShape(const Control& owner, const Shape& shape, Scratch& scratch) {
    const gdi::HDC dc = scratch.dc();
    const PixelRect r = PixelRectOf(owner, shape, scratch.shift());
    gdi::OwnedObject pen, brush;
    if (shape.BorderStyle() != 0)
        pen.Reset(gdi::CreatePen(gdi::PS_SOLID, 1, gdi::TranslateOleColorOrBlack(shape.BorderColor())));
    if (shape.FillStyle() == Shape::kFillSolid)
        brush.Reset(gdi::CreateSolidBrush(gdi::TranslateOleColorOrBlack(shape.FillColor())));
    else if (shape.BackStyle() == 1)
        brush.Reset(gdi::CreateSolidBrush(gdi::TranslateOleColorOrBlack(shape.BackColor())));
    const gdi::ScopedSelection pen_selection(dc, pen ? pen.get() : gdi::GetStockObject(gdi::NULL_PEN));
    const gdi::ScopedSelection brush_selection(dc, brush ? brush.get() : gdi::GetStockObject(gdi::HOLLOW_BRUSH));
    gdi::Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void DrawLabel(const Control& owner, const Label& label, Scratch& scratch) {
    const gdi::HDC dc = scratch.dc();
    const PixelRect r = PixelRectOf(owner, label, scratch.shift());
    gdi::RECT rect{r.left, r.top, r.right, r.bottom};
    if (label.BackStyle() == 1) gdi::FillSolidRect(dc, rect, gdi::TranslateOleColorOrBlack(label.BackColor()));
    if (label.Caption().empty()) return;
    const gdi::LOGFONTA logfont = LogFontFromDesc(label.Font());
    const gdi::OwnedObject font(gdi::CreateFontIndirectA(&logfont));
    const gdi::ScopedSelection font_selection(dc, font.get());
    // A disabled label shows its text greyed, as the platform draws disabled captions.
    const std::int32_t text_colour = label.Enabled() ? label.ForeColor() : gdi::OleSystemColor(gdi::COLOR_GRAYTEXT);
    const gdi::COLORREF old_colour = gdi::SetTextColor(dc, gdi::TranslateOleColorOrBlack(text_colour));
    const int old_mode = gdi::SetBkMode(dc, gdi::TRANSPARENT);
    unsigned format = gdi::DT_WORDBREAK | gdi::DT_NOPREFIX;
    if (label.Alignment() == Label::kRightJustify) format |= gdi::DT_RIGHT;
    else if (label.Alignment() == Label::kCenter) format |= gdi::DT_CENTER;
    gdi::DrawTextA(dc, label.Caption().c_str(), static_cast<int>(label.Caption().size()), &rect, format);
    gdi::SetBkMode(dc, old_mode);
    gdi::SetTextColor(dc, old_colour);
}

void DrawImage(const Control& owner, const Image& image, Scratch& scratch, CompositionSources* sources) {
    const auto* given = dynamic_cast<const Picture*>(image.Picture().get());
    if (!given) return;
    // Unstretched, a picture shows at its display size (its own pixels unless the screen is
    // scaled); stretched, its own pixels fill the image.
    const Picture* picture = image.Stretch() ? given : &given->AtDisplaySize();
    if (sources && picture->type() == PictureType::Bitmap) sources->bitmaps.push_back(picture->handle());
    const gdi::HDC dc = scratch.dc();
    const PixelRect r = PixelRectOf(owner, image, scratch.shift());
    if (picture->type() == PictureType::Icon) {
        gdi::DrawIcon(dc, r.left, r.top, picture->handle());
        return;
    }
    if (picture->type() != PictureType::Bitmap) return;
    if (image.Stretch())
        gdi::StretchBlitBitmap(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, picture->handle(), 0, 0,
                               picture->width_pixels(), picture->height_pixels(), gdi::SRCCOPY);
    else
        gdi::BlitBitmap(dc, r.left, r.top, picture->width_pixels(), picture->height_pixels(), picture->handle(), 0, 0,
                        gdi::SRCCOPY);
}

// The part of what `window` presents that falls inside the buffer when the window's pixel
// (0, 0) sits at buffer pixel `at`, with that part's rectangle in window pixels. Empty when
// nothing of the window reaches the buffer.
struct WindowPart {
    gdi::RECT in_window{};
    std::vector<std::uint32_t> pixels;
    bool empty() const { return gdi::IsRectEmpty(in_window); }
};

WindowPart ReadWindowPart(gdi::HWND window, const Scratch& scratch, gdi::POINT at) {
    WindowPart part;
    int width = 0, height = 0;
    if (!gdi::GetPresentedSize(window, &width, &height)) return part;
    part.in_window = Intersect(gdi::RECT{0, 0, width, height},
                               gdi::RECT{-at.x, -at.y, scratch.width() - at.x, scratch.height() - at.y});
    if (part.empty()) return part;
    part.pixels.resize(static_cast<std::size_t>(part.in_window.right - part.in_window.left) *
                       (part.in_window.bottom - part.in_window.top));
    if (!gdi::CopyPresentedPixels(window, part.in_window, part.pixels.data())) part.in_window = {};
    return part;
}

// Copies a windowed constituent's presented pixels into the buffer with its (0, 0) at `at`.
void CopyWindow(gdi::HWND window, Scratch& scratch, gdi::POINT at) {
    const WindowPart part = ReadWindowPart(window, scratch, at);
    if (part.empty()) return;
    const int width = part.in_window.right - part.in_window.left;
    for (int y = part.in_window.top; y < part.in_window.bottom; ++y)
        std::copy_n(part.pixels.data() + static_cast<std::size_t>(y - part.in_window.top) * width, width,
                    scratch.row(y + at.y) + part.in_window.left + at.x);
}

// The fixed-single frame of a picture box: two pixels on each side, sunken (the outer ring
// button shadow above and left, 3-D highlight below and right; the inner ring 3-D dark shadow
// and 3-D light), around a client area of `client_width` x `client_height` at (x + 2, y + 2).
void DrawSunkenFrame(Scratch& scratch, int x, int y, int client_width, int client_height) {
    const int right = x + client_width + 3, bottom = y + client_height + 3;  // inclusive
    const auto put = [&](int px, int py, int sys_colour) {
        if (px >= 0 && py >= 0 && px < scratch.width() && py < scratch.height())
            scratch.row(py)[px] = gdi::PixelWordFromColor(gdi::GetSysColor(sys_colour));
    };
    for (int ring = 0; ring < 2; ++ring) {
        const int l = x + ring, t = y + ring, r = right - ring, b = bottom - ring;
        const int upper_left = ring == 0 ? gdi::COLOR_BTNSHADOW : gdi::COLOR_3DDKSHADOW;
        const int lower_right = ring == 0 ? gdi::COLOR_3DHIGHLIGHT : gdi::COLOR_3DLIGHT;
        for (int px = l; px < r; ++px) put(px, t, upper_left);
        for (int py = t; py < b; ++py) put(l, py, upper_left);
        for (int px = l; px <= r; ++px) put(px, b, lower_right);
        for (int py = t; py < b; ++py) put(r, py, lower_right);
    }
}

// The mask picture's pixels when it is a bitmap.
struct MaskPixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

std::optional<MaskPixels> ReadMask(const Control& control, CompositionSources* sources) {
    const auto* picture = dynamic_cast<const Picture*>(control.MaskPicture().get());
    if (!picture || picture->type() != PictureType::Bitmap) return std::nullopt;
    if (sources) sources->bitmaps.push_back(picture->handle());
    gdi::SIZE size;
    if (!gdi::GetBitmapSize(picture->handle(), &size)) return std::nullopt;
    MaskPixels mask{size.cx, size.cy, std::vector<std::uint32_t>(static_cast<std::size_t>(size.cx) * size.cy)};
    const gdi::RECT all{0, 0, size.cx, size.cy};
    if (gdi::GetBitmapBits32(picture->handle(), &all, mask.pixels.data()) != size.cy) return std::nullopt;
    return mask;
}

// The control's own surface over what lies beneath. With BackStyle transparent, mask-colour
// pixels of the mask picture (and everything outside it) let the parent show through; without
// a mask picture only the constituents are drawn.
void DrawSurface(const Control& control, Scratch& scratch, CompositionSources* sources) {
    const std::optional<MaskPixels> mask = control.BackStyle() == 0 ? ReadMask(control, sources) : std::nullopt;
    if (control.BackStyle() == 0 && !mask) return;
    const gdi::POINT shift = scratch.shift();
    if (!mask) {
        // Opaque: the part that shows goes straight onto the canvas, row by row.
        int width = 0, height = 0;
        if (!gdi::GetPresentedSize(control.hWnd(), &width, &height)) return;
        const gdi::RECT part =
            Intersect(gdi::RECT{0, 0, width, height},
                      gdi::RECT{-shift.x, -shift.y, scratch.width() - shift.x, scratch.height() - shift.y});
        if (gdi::IsRectEmpty(part)) return;
        std::uint32_t* first = scratch.row(part.top + shift.y) + part.left + shift.x;
        gdi::CopyPresentedPixels(control.hWnd(), part, first, scratch.stride());
        return;
    }
    const WindowPart part = ReadWindowPart(control.hWnd(), scratch, shift);
    if (part.empty()) return;
    const std::uint32_t mask_pixel = gdi::PixelWordFromColor(gdi::TranslateOleColorOrBlack(control.MaskColor()));
    const int width = part.in_window.right - part.in_window.left;
    for (int y = part.in_window.top; y < part.in_window.bottom; ++y) {
        std::uint32_t* row = scratch.row(y + shift.y);
        const std::uint32_t* source = part.pixels.data() + static_cast<std::size_t>(y - part.in_window.top) * width;
        for (int x = part.in_window.left; x < part.in_window.right; ++x) {
            const bool inside = x < mask->width && y < mask->height;
            if (!inside || mask->at(x, y) == mask_pixel) continue;
            row[x + shift.x] = source[x - part.in_window.left];
        }
    }
}

}  // namespace

gdi::RECT Intersect(const gdi::RECT& a, const gdi::RECT& b) {
    gdi::RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void FillCanvas(Canvas& canvas, const gdi::RECT& rect, std::int32_t ole_colour) {
    const gdi::RECT r = Intersect(rect, canvas.bounds);
    const std::uint32_t pixel = gdi::PixelWordFromColor(gdi::TranslateOleColorOrBlack(ole_colour));
    for (int y = r.top; y < r.bottom; ++y) std::fill_n(&canvas.at(r.left, y), r.right - r.left, pixel);
}

void ComposeControl(const Control& control, Canvas& canvas, gdi::POINT origin, const gdi::RECT& clip) {
    const gdi::RECT area = Intersect(Intersect(clip, gdi::RECT{origin.x, origin.y, origin.x + control.PixelWidth(),
                                                               origin.y + control.PixelHeight()}),
                                     canvas.bounds);
    if (gdi::IsRectEmpty(area)) return;

    const int width = area.right - area.left, height = area.bottom - area.top;
    // Drawn over what lies beneath, so transparent parts of the surface show the parent.
    Scratch scratch(&canvas.at(area.left, area.top), canvas.stride, width, height,
                    gdi::POINT{origin.x - area.left, origin.y - area.top});
    if (canvas.sources) canvas.sources->windows.push_back({control.hWnd(), origin.x, origin.y});
    DrawSurface(control, scratch, canvas.sources);

    // Lightweight constituents in z-order, then the windowed ones above them.
    const auto drawn_on_the_buffer = [](const Constituent& c) {
        return c.Visible() && (c.kind() == ConstituentKind::Line || c.kind() == ConstituentKind::Shape ||
                               c.kind() == ConstituentKind::Label || c.kind() == ConstituentKind::Image);
    };
    const auto& constituents = control.constituents();
    const bool lightweight =
        std::any_of(constituents.begin(), constituents.end(), [&](const auto& c) { return drawn_on_the_buffer(*c); });
    if (lightweight) scratch.Store();
    for (const auto& c : constituents) {
        if (!drawn_on_the_buffer(*c)) continue;
        switch (c->kind()) {
            case ConstituentKind::Line: DrawLine(control, static_cast<const Line&>(*c), scratch); break;
            case ConstituentKind::Shape: DrawShape(control, static_cast<const Shape&>(*c), scratch); break;
            case ConstituentKind::Label: DrawLabel(control, static_cast<const Label&>(*c), scratch); break;
            case ConstituentKind::Image:
                DrawImage(control, static_cast<const Image&>(*c), scratch, canvas.sources);
                break;
            default: break;
        }
    }
    if (lightweight) scratch.Load();
    const gdi::POINT shift = scratch.shift();
    for (const auto& c : control.constituents()) {
        if (!c->Visible()) continue;
        if (c->kind() == ConstituentKind::TextBox) {
            // Drawn with the platform's text calls, so through the bitmap and back.
            const PixelRect r = PixelRectOf(control, *c, shift);
            scratch.Store();
            PaintTextBox(scratch.dc(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                         static_cast<const TextBox&>(*c));
            scratch.Load();
            continue;
        }
        if (c->kind() != ConstituentKind::PictureBox) continue;
        const auto& box = static_cast<const ConstituentPictureBox&>(*c);
        const int x = control.ToPixelsX(box.Left()) + shift.x, y = control.ToPixelsY(box.Top()) + shift.y;
        if (canvas.sources) {
            const int frame = box.box().BorderStyle() == 1 ? 2 : 0;
            canvas.sources->windows.push_back({box.hWnd(), std::int64_t{x} - shift.x + origin.x + frame,
                                               std::int64_t{y} - shift.y + origin.y + frame});
        }
        if (box.box().BorderStyle() == 1) {
            DrawSunkenFrame(scratch, x, y, box.box().client_width(), box.box().client_height());
            CopyWindow(box.hWnd(), scratch, gdi::POINT{x + 2, y + 2});
        } else {
            CopyWindow(box.hWnd(), scratch, gdi::POINT{x, y});
        }
    }
}

}  // namespace ov::host
