#include "host/compositor.h"

#include <algorithm>
#include <optional>

#include "host/control.h"
#include "platform/gdi/window.h"
#include "platform/picture/picture.h"

namespace ov::host {

namespace {

gdi::RECT Intersect(const gdi::RECT& a, const gdi::RECT& b) {
    gdi::RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

// A 32-bit drawing buffer the size of one control, so constituents are drawn with the
// platform's own primitives (pens, brushes, text) exactly as on a real surface.
class Scratch {
public:
    Scratch(int width, int height) {
        bitmap_ = gdi::CreateDIBSection32(std::max(width, 1), std::max(height, 1));
        dc_ = gdi::CreateCompatibleDC(0);
        previous_ = gdi::SelectObject(dc_, bitmap_);
    }
    ~Scratch() {
        gdi::SelectObject(dc_, previous_);
        gdi::DeleteDC(dc_);
        gdi::DeleteObject(bitmap_);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    gdi::HDC dc() const { return dc_; }
    gdi::HBITMAP bitmap() const { return bitmap_; }

private:
    gdi::HBITMAP bitmap_ = 0;
    gdi::HDC dc_ = 0;
    gdi::HGDIOBJ previous_ = 0;
};

void DrawLine(const Control& owner, const Line& line, gdi::HDC dc) {
    const gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, TranslateOleColor(line.BorderColor()));
    const gdi::HGDIOBJ old = gdi::SelectObject(dc, pen);
    gdi::MoveToEx(dc, owner.ToPixelsX(line.X1()), owner.ToPixelsY(line.Y1()), nullptr);
    gdi::LineTo(dc, owner.ToPixelsX(line.X2()), owner.ToPixelsY(line.Y2()));
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(pen);
}

struct PixelRect {
    int left, top, right, bottom;
};

PixelRect PixelRectOf(const Control& owner, const Constituent& c) {
    const int left = owner.ToPixelsX(c.Left());
    const int top = owner.ToPixelsY(c.Top());
    return {left, top, owner.ToPixelsX(c.Left() + c.Width()), owner.ToPixelsY(c.Top() + c.Height())};
}

void DrawShape(const Control& owner, const Shape& shape, gdi::HDC dc) {
    const PixelRect r = PixelRectOf(owner, shape);
    gdi::HPEN pen = 0;
    gdi::HBRUSH brush = 0;
    if (shape.BorderStyle() != 0) pen = gdi::CreatePen(gdi::PS_SOLID, 1, TranslateOleColor(shape.BorderColor()));
    if (shape.FillStyle() == Shape::kFillSolid) brush = gdi::CreateSolidBrush(TranslateOleColor(shape.FillColor()));
    else if (shape.BackStyle() == 1) brush = gdi::CreateSolidBrush(TranslateOleColor(shape.BackColor()));
    const gdi::HGDIOBJ old_pen = gdi::SelectObject(dc, pen ? pen : gdi::GetStockObject(gdi::NULL_PEN));
    const gdi::HGDIOBJ old_brush = gdi::SelectObject(dc, brush ? brush : gdi::GetStockObject(gdi::HOLLOW_BRUSH));
    gdi::Rectangle(dc, r.left, r.top, r.right, r.bottom);
    gdi::SelectObject(dc, old_pen);
    gdi::SelectObject(dc, old_brush);
    if (pen) gdi::DeleteObject(pen);
    if (brush) gdi::DeleteObject(brush);
}

void DrawLabel(const Control& owner, const Label& label, gdi::HDC dc) {
    const PixelRect r = PixelRectOf(owner, label);
    gdi::RECT rect{r.left, r.top, r.right, r.bottom};
    if (label.BackStyle() == 1) {
        const gdi::HBRUSH brush = gdi::CreateSolidBrush(TranslateOleColor(label.BackColor()));
        gdi::FillRect(dc, &rect, brush);
        gdi::DeleteObject(brush);
    }
    if (label.Caption().empty()) return;
    const gdi::LOGFONTA logfont = LogFontFromDesc(label.Font());
    const gdi::HFONT font = gdi::CreateFontIndirectA(&logfont);
    const gdi::HGDIOBJ old_font = gdi::SelectObject(dc, font);
    // A disabled label shows its text greyed, as the platform draws disabled captions.
    const std::int32_t text_colour = label.Enabled() ? label.ForeColor() : static_cast<std::int32_t>(0x80000011u);
    const gdi::COLORREF old_colour = gdi::SetTextColor(dc, TranslateOleColor(text_colour));
    const int old_mode = gdi::SetBkMode(dc, gdi::TRANSPARENT);
    unsigned format = gdi::DT_WORDBREAK | gdi::DT_NOPREFIX;
    if (label.Alignment() == Label::kRightJustify) format |= gdi::DT_RIGHT;
    else if (label.Alignment() == Label::kCenter) format |= gdi::DT_CENTER;
    gdi::DrawTextA(dc, label.Caption().c_str(), static_cast<int>(label.Caption().size()), &rect, format);
    gdi::SetBkMode(dc, old_mode);
    gdi::SetTextColor(dc, old_colour);
    gdi::SelectObject(dc, old_font);
    gdi::DeleteObject(font);
}

void DrawImage(const Control& owner, const Image& image, gdi::HDC dc) {
    const auto* picture = dynamic_cast<const Picture*>(image.Picture().get());
    if (!picture) return;
    const PixelRect r = PixelRectOf(owner, image);
    if (picture->type() == PictureType::Icon) {
        gdi::DrawIcon(dc, r.left, r.top, picture->handle());
        return;
    }
    if (picture->type() != PictureType::Bitmap) return;
    const gdi::HDC source = gdi::CreateCompatibleDC(dc);
    const gdi::HGDIOBJ old = gdi::SelectObject(source, picture->handle());
    if (image.Stretch())
        gdi::StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, picture->width_pixels(),
                        picture->height_pixels(), gdi::SRCCOPY);
    else
        gdi::BitBlt(dc, r.left, r.top, picture->width_pixels(), picture->height_pixels(), source, 0, 0, gdi::SRCCOPY);
    gdi::SelectObject(source, old);
    gdi::DeleteDC(source);
}

// Copies a window's presented pixels into the scratch bitmap at (x, y); the part outside it is
// clipped away.
void CopyWindow(gdi::HWND window, gdi::HBITMAP target, int x, int y) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    if (!gdi::GetPresentedPixels(window, &width, &height, &pixels)) return;
    const gdi::RECT at{x, y, x + width, y + height};
    gdi::SetBitmapBits32(target, &at, pixels.data());
}

// The mask picture's pixels when it is a bitmap.
struct MaskPixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

std::optional<MaskPixels> ReadMask(const Control& control) {
    const auto* picture = dynamic_cast<const Picture*>(control.MaskPicture().get());
    if (!picture || picture->type() != PictureType::Bitmap) return std::nullopt;
    gdi::SIZE size;
    if (!gdi::GetBitmapSize(picture->handle(), &size)) return std::nullopt;
    MaskPixels mask{size.cx, size.cy, std::vector<std::uint32_t>(static_cast<std::size_t>(size.cx) * size.cy)};
    const gdi::RECT all{0, 0, size.cx, size.cy};
    if (gdi::GetBitmapBits32(picture->handle(), &all, mask.pixels.data()) != size.cy) return std::nullopt;
    return mask;
}

}  // namespace

gdi::COLORREF TranslateOleColor(std::int32_t ole_colour) {
    gdi::COLORREF out = 0;
    if (gdi::OleTranslateColor(static_cast<std::uint32_t>(ole_colour), 0, &out) != gdi::S_OK) return 0;
    return out;
}

void FillCanvas(Canvas& canvas, const gdi::RECT& rect, std::int32_t ole_colour) {
    const gdi::RECT r = Intersect(rect, gdi::RECT{0, 0, canvas.width, canvas.height});
    const std::uint32_t pixel = gdi::PixelWordFromColor(TranslateOleColor(ole_colour));
    for (int y = r.top; y < r.bottom; ++y)
        std::fill_n(canvas.pixels.begin() + static_cast<std::ptrdiff_t>(y) * canvas.width + r.left, r.right - r.left, pixel);
}

void ComposeControl(const Control& control, Canvas& canvas, gdi::POINT origin, const gdi::RECT& clip) {
    const int width = control.PixelWidth();
    const int height = control.PixelHeight();
    const gdi::RECT area = Intersect(Intersect(clip, gdi::RECT{origin.x, origin.y, origin.x + width, origin.y + height}),
                                     gdi::RECT{0, 0, canvas.width, canvas.height});
    if (area.right <= area.left || area.bottom <= area.top) return;

    Scratch scratch(width, height);
    if (!scratch.bitmap()) return;  // no buffer that size: nothing of the control is drawn
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(width) * height, 0);
    const gdi::RECT whole{0, 0, width, height};
    // Start from what lies beneath, so transparent parts of the surface show the parent.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int cx = origin.x + x, cy = origin.y + y;
            if (cx >= 0 && cy >= 0 && cx < canvas.width && cy < canvas.height)
                buffer[static_cast<std::size_t>(y) * width + x] = canvas.pixels[static_cast<std::size_t>(cy) * canvas.width + cx];
        }

    int surface_width = 0, surface_height = 0;
    std::vector<std::uint32_t> surface;
    if (gdi::GetPresentedPixels(control.hWnd(), &surface_width, &surface_height, &surface)) {
        const std::optional<MaskPixels> mask = control.BackStyle() == 0 ? ReadMask(control) : std::nullopt;
        const std::uint32_t mask_pixel = gdi::PixelWordFromColor(TranslateOleColor(control.MaskColor()));
        // A transparent surface without a mask picture shows only its constituents.
        const bool draw_surface = control.BackStyle() != 0 || mask.has_value();
        for (int y = 0; draw_surface && y < std::min(height, surface_height); ++y)
            for (int x = 0; x < std::min(width, surface_width); ++x) {
                if (mask) {
                    const bool inside = x < mask->width && y < mask->height;
                    if (!inside || mask->pixels[static_cast<std::size_t>(y) * mask->width + x] == mask_pixel) continue;
                }
                buffer[static_cast<std::size_t>(y) * width + x] = surface[static_cast<std::size_t>(y) * surface_width + x];
            }
    }
    gdi::SetBitmapBits32(scratch.bitmap(), &whole, buffer.data());

    // Lightweight constituents in z-order, then the windowed ones above them.
    for (const auto& c : control.constituents()) {
        if (!c->Visible()) continue;
        switch (c->kind()) {
            case ConstituentKind::Line: DrawLine(control, static_cast<const Line&>(*c), scratch.dc()); break;
            case ConstituentKind::Shape: DrawShape(control, static_cast<const Shape&>(*c), scratch.dc()); break;
            case ConstituentKind::Label: DrawLabel(control, static_cast<const Label&>(*c), scratch.dc()); break;
            case ConstituentKind::Image: DrawImage(control, static_cast<const Image&>(*c), scratch.dc()); break;
            default: break;
        }
    }
    for (const auto& c : control.constituents()) {
        if (!c->Visible() || c->kind() != ConstituentKind::PictureBox) continue;
        const auto& box = static_cast<const ConstituentPictureBox&>(*c);
        CopyWindow(box.hWnd(), scratch.bitmap(), control.ToPixelsX(box.Left()), control.ToPixelsY(box.Top()));
    }

    if (gdi::GetBitmapBits32(scratch.bitmap(), &whole, buffer.data()) != height) return;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            canvas.pixels[static_cast<std::size_t>(y) * canvas.width + x] = buffer[static_cast<std::size_t>(y - origin.y) * width + (x - origin.x)];
}

}  // namespace ov::host
