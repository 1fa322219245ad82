#include "platform/picturebox/picture_box.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/gdi/png_io.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"
#include "platform/limits.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov {
namespace {

constexpr int kBorderPixels = 2;  // a fixed-single frame takes two pixels on each side

[[noreturn]] void InvalidValue() { throw AutomationError(error::kInvalidPropertyValue); }

// A container measures its children in one of the surface modes; its user scale is its own
// business and counts as twips here.
int CheckedContainerMode(int mode) {
    if (!IsSurfaceScaleMode(mode)) throw AutomationError(error::kInvalidProcedureCall);
    return mode;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

}  // namespace

PictureBox::PictureBox(gdi::HWND parent, double left, double top, double width, double height, int container_scale_mode)
    : container_scale_mode_(CheckedContainerMode(container_scale_mode)), font_(StdFont::Create()) {
    left_ = RoundToPixels(left * ContainerTwipsPerUnit(Axis::X) / TwipsPerPixel(Axis::X));
    top_ = RoundToPixels(top * ContainerTwipsPerUnit(Axis::Y) / TwipsPerPixel(Axis::Y));
    outer_width_ = std::max(0, RoundToPixels(width * ContainerTwipsPerUnit(Axis::X) / TwipsPerPixel(Axis::X)));
    outer_height_ = std::max(0, RoundToPixels(height * ContainerTwipsPerUnit(Axis::Y) / TwipsPerPixel(Axis::Y)));

    const gdi::COLORREF back = Translate(back_colour_);
    window_ = gdi::CreateWindowSurface(parent, client_width(), client_height(), back);
    window_dc_.emplace(window_);
    image_.emplace();
    const gdi::HBITMAP image_bitmap =
        gdi::CreateDIBSection32(std::max(1, client_width()), std::max(1, client_height()));
    const gdi::RECT image_area{0, 0, std::max(1, client_width()), std::max(1, client_height())};
    gdi::FillBitmapRect(image_bitmap, &image_area, back);
    image_->Hold(image_bitmap, gdi::Bitmap::Owned);
    const gdi::HDC dcs[2] = {window_dc_->get(), image_->get()};
    for (int i = 0; i < 2; ++i) {
        hollow_brushes_[i].emplace(dcs[i], gdi::GetStockObject(gdi::HOLLOW_BRUSH));
        SyncDcState(dcs[i]);
    }
    SyncFont();
}

PictureBox::~PictureBox() {
    // Selections first, then what they selected, then the contexts, then the window.
    for (int i = 0; i < 2; ++i) {
        font_selections_[i].reset();
        hollow_brushes_[i].reset();
    }
    gdi_font_.Reset();
    image_.reset();
    window_dc_.reset();
    gdi::DestroyWindowSurface(window_);
}

gdi::HDC PictureBox::hDC() {
    SyncFont();
    const gdi::HDC dc = auto_redraw_ ? image_->get() : window_dc_->get();
    // System colours are translated when the DC is handed out, so drawing after a change of
    // the system colours uses the new ones, whether or not ForeColor was written since.
    gdi::SetTextColor(dc, Translate(fore_colour_));
    gdi::SetBkColor(dc, Translate(back_colour_));
    return dc;
}

gdi::COLORREF PictureBox::Translate(OleColor colour) const { return gdi::TranslateOleColorOrLow24Bits(colour); }

void PictureBox::SyncDcState(gdi::HDC dc) {
    gdi::SetTextColor(dc, Translate(fore_colour_));
    gdi::SetBkColor(dc, Translate(back_colour_));
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
}

// The graphics font follows the font object, whose attributes may have changed since the last
// drawing; it is re-made only when they did.
void PictureBox::SyncFont() {
    if (gdi_font_ && font_->desc() == gdi_font_desc_) return;
    gdi::OwnedObject font(CreateGdiFont(font_->desc()));
    if (!font) return;
    const gdi::HDC dcs[2] = {window_dc_->get(), image_->get()};
    for (int i = 0; i < 2; ++i) {
        font_selections_[i].reset();  // the context's own font is back
        font_selections_[i].emplace(dcs[i], font.get());
    }
    gdi_font_ = std::move(font);  // the previous font, selected nowhere now, goes
    gdi_font_desc_ = font_->desc();
}

// --- colours, font, frame ----------------------------------------------------------------------

void PictureBox::SetBackColor(OleColor colour) {
    if (!gdi::OleColorTranslates(colour)) InvalidValue();
    back_colour_ = colour;
    SyncDcState(window_dc_->get());
    SyncDcState(image_->get());
    Cls();
}

void PictureBox::SetForeColor(OleColor colour) {
    if (!gdi::OleColorTranslates(colour)) InvalidValue();
    fore_colour_ = colour;
    SyncDcState(window_dc_->get());
    SyncDcState(image_->get());
}

void PictureBox::SetFont(std::shared_ptr<StdFont> font) {
    if (!font) throw AutomationError(error::kObjectNotSet);
    font_ = std::move(font);
    SyncFont();
    SetFontListener(std::move(font_listener_));
}

void PictureBox::SetFontListener(std::function<void()> listener) {
    font_listener_ = std::move(listener);
    font_listening_ = font_listener_ ? font_->OnChange(font_listener_) : nullptr;
}

void PictureBox::SetBorderStyle(int style) {
    if (style != 0 && style != 1) InvalidValue();
    if (style == border_style_) return;
    const int previous = border_style_;
    border_style_ = style;
    try {
        Resize(outer_width_, outer_height_);
    } catch (...) {
        border_style_ = previous;
        throw;
    }
}

void PictureBox::SetAutoRedraw(bool on) {
    if (on == auto_redraw_) return;
    const int w = client_width(), h = client_height();
    if (on) {
        // The persistent image starts as what the window shows now.
        gdi::BitBlt(image_->get(), 0, 0, w, h, window_dc_->get(), 0, 0, gdi::SRCCOPY);
    } else {
        Refresh();
    }
    auto_redraw_ = on;
}

void PictureBox::SetAutoSize(bool on) {
    if (on && picture_) FitTo(*picture_);
    auto_size_ = on;
}

void PictureBox::FitTo(const ov::Picture& picture) {
    const gdi::SIZE shown = picture.DisplaySize();
    if (picture.width_pixels() > 0)
        Resize(shown.cx + 2 * kBorderPixels * border_style_, shown.cy + 2 * kBorderPixels * border_style_);
}

void PictureBox::SetMousePointer(int pointer) {
    if ((pointer < 0 || pointer > 15) && pointer != 99) InvalidValue();
    mouse_pointer_ = pointer;
}

// --- drawing -----------------------------------------------------------------------------------

void PictureBox::Cls() {
    const gdi::HDC dc = DrawingDc();
    const gdi::RECT all{0, 0, client_width(), client_height()};
    gdi::FillSolidRect(dc, all, Translate(back_colour_));
    // The picture at its display size (its own pixels unless the screen is scaled).
    const ov::Picture* shown = picture_ ? &picture_->AtDisplaySize() : nullptr;
    if (shown && shown->type() == PictureType::Bitmap) {
        gdi::BlitBitmap(dc, 0, 0, shown->width_pixels(), shown->height_pixels(), shown->handle(), 0, 0, gdi::SRCCOPY);
    } else if (shown && shown->type() == PictureType::Icon) {
        gdi::DrawIcon(dc, 0, 0, shown->handle());
    }
    current_x_ = scale_left_;
    current_y_ = scale_top_;
    AfterDrawing();
}

void PictureBox::Refresh() {
    if (auto_redraw_)
        gdi::BitBlt(window_dc_->get(), 0, 0, client_width(), client_height(), image_->get(), 0, 0, gdi::SRCCOPY);
}

void PictureBox::AfterDrawing() { Refresh(); }

void PictureBox::Line(double x1, double y1, double x2, double y2, std::optional<OleColor> colour, LineForm form) {
    const gdi::COLORREF ink = Translate(colour.value_or(fore_colour_));
    const gdi::HDC dc = DrawingDc();
    const int px1 = ToPixelX(x1), py1 = ToPixelY(y1), px2 = ToPixelX(x2), py2 = ToPixelY(y2);
    const int left = std::min(px1, px2), right = std::max(px1, px2);
    const int top = std::min(py1, py2), bottom = std::max(py1, py2);
    switch (form) {
        case LineForm::Line: {
            // The platform's line stops short of its end point; this method paints it too.
            const gdi::OwnedObject pen(gdi::CreatePen(gdi::PS_SOLID, 1, ink));
            const gdi::ScopedSelection selection(dc, pen.get());
            gdi::MoveToEx(dc, px1, py1, nullptr);
            gdi::LineTo(dc, px2, py2);
            gdi::SetPixelV(dc, px2, py2, ink);
            break;
        }
        case LineForm::Box: {
            const gdi::OwnedObject pen(gdi::CreatePen(gdi::PS_SOLID, 1, ink));
            const gdi::ScopedSelection pen_selection(dc, pen.get());
            const gdi::ScopedSelection brush_selection(dc, gdi::GetStockObject(gdi::HOLLOW_BRUSH));
            gdi::Rectangle(dc, left, top, right + 1, bottom + 1);
            break;
        }
        case LineForm::FilledBox: {
            gdi::FillSolidRect(dc, gdi::RECT{left, top, right + 1, bottom + 1}, ink);
            break;
        }
    }
    current_x_ = x2;
    current_y_ = y2;
    AfterDrawing();
}

void PictureBox::Print(const std::string& text, bool new_line) {
    const gdi::HDC dc = DrawingDc();
    gdi::SetTextColor(dc, Translate(fore_colour_));
    const int previous_mode = gdi::SetBkMode(dc, gdi::TRANSPARENT);
    const std::vector<std::string> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        gdi::TextOutA(dc, ToPixelX(current_x_), ToPixelY(current_y_), line.data(), static_cast<int>(line.size()));
        gdi::SIZE size{};
        gdi::GetTextExtentPoint32A(dc, line.data(), static_cast<int>(line.size()), &size);
        current_x_ += ScaleX(size.cx, kScalePixels, 0);
        if (i + 1 < lines.size() || new_line) {
            current_x_ = scale_left_;
            current_y_ += ScaleY(size.cy, kScalePixels, 0);
        }
    }
    gdi::SetBkMode(dc, previous_mode);
    AfterDrawing();
}

double PictureBox::TextWidth(const std::string& text) {
    const gdi::HDC dc = hDC();
    int widest = 0;
    for (const std::string& line : Lines(text)) {
        gdi::SIZE size{};
        gdi::GetTextExtentPoint32A(dc, line.data(), static_cast<int>(line.size()), &size);
        widest = std::max(widest, size.cx);
    }
    return ScaleX(widest, kScalePixels, 0);
}

double PictureBox::TextHeight(const std::string& text) {
    const gdi::HDC dc = hDC();
    gdi::SIZE size{};
    gdi::GetTextExtentPoint32A(dc, "", 0, &size);
    return ScaleY(static_cast<double>(size.cy) * Lines(text).size(), kScalePixels, 0);
}

// --- scale ---------------------------------------------------------------------------------------

double PictureBox::TwipsPerScaleUnit(Axis axis) const {
    if (scale_mode_ != kScaleUser) return TwipsPerUnit(scale_mode_, axis);
    const double scale = axis == Axis::X ? user_scale_width_ : user_scale_height_;
    const int client = axis == Axis::X ? client_width() : client_height();
    // A user scale over an empty client area has no size to divide; treat it as twips.
    if (scale == 0 || client == 0) return 1.0;
    return client * TwipsPerPixel(axis) / scale;
}

double PictureBox::ScaleWidth() const {
    return scale_mode_ == 0 ? user_scale_width_ : client_width() * TwipsPerPixel(Axis::X) / TwipsPerScaleUnit(Axis::X);
}

double PictureBox::ScaleHeight() const {
    return scale_mode_ == 0 ? user_scale_height_
                            : client_height() * TwipsPerPixel(Axis::Y) / TwipsPerScaleUnit(Axis::Y);
}

void PictureBox::SetScaleMode(int mode) {
    if (mode < 0 || mode > 7) InvalidValue();
    if (mode == 0) {
        // The user scale starts from the extent the box has in its current units.
        user_scale_width_ = ScaleWidth();
        user_scale_height_ = ScaleHeight();
    } else {
        scale_left_ = scale_top_ = 0;
    }
    scale_mode_ = mode;
}

void PictureBox::SetScaleWidth(double width) {
    if (width == 0) InvalidValue();
    user_scale_height_ = ScaleHeight();
    user_scale_width_ = width;
    scale_mode_ = 0;
}

void PictureBox::SetScaleHeight(double height) {
    if (height == 0) InvalidValue();
    user_scale_width_ = ScaleWidth();
    user_scale_height_ = height;
    scale_mode_ = 0;
}

void PictureBox::SetScaleLeft(double left) {
    user_scale_width_ = ScaleWidth();
    user_scale_height_ = ScaleHeight();
    scale_left_ = left;
    scale_mode_ = 0;
}

void PictureBox::SetScaleTop(double top) {
    user_scale_width_ = ScaleWidth();
    user_scale_height_ = ScaleHeight();
    scale_top_ = top;
    scale_mode_ = 0;
}

double PictureBox::ScaleX(double value, int from_mode, int to_mode) const {
    const double user = TwipsPerScaleUnit(Axis::X);
    return value * TwipsPerUnit(from_mode, Axis::X, user) / TwipsPerUnit(to_mode, Axis::X, user);
}

double PictureBox::ScaleY(double value, int from_mode, int to_mode) const {
    const double user = TwipsPerScaleUnit(Axis::Y);
    return value * TwipsPerUnit(from_mode, Axis::Y, user) / TwipsPerUnit(to_mode, Axis::Y, user);
}

int PictureBox::ToPixelX(double x) const {
    return RoundToPixels((x - scale_left_) * TwipsPerScaleUnit(Axis::X) / TwipsPerPixel(Axis::X));
}
int PictureBox::ToPixelY(double y) const {
    return RoundToPixels((y - scale_top_) * TwipsPerScaleUnit(Axis::Y) / TwipsPerPixel(Axis::Y));
}

// --- position ------------------------------------------------------------------------------------

double PictureBox::ContainerTwipsPerUnit(Axis axis) const { return TwipsPerUnit(container_scale_mode_, axis); }

void PictureBox::set_container_scale_mode(int mode) { container_scale_mode_ = CheckedContainerMode(mode); }

double PictureBox::Left() const { return left_ * TwipsPerPixel(Axis::X) / ContainerTwipsPerUnit(Axis::X); }
double PictureBox::Top() const { return top_ * TwipsPerPixel(Axis::Y) / ContainerTwipsPerUnit(Axis::Y); }
// Sizes are whole pixels: a width of 1000 twips at 15 twips per pixel reads back as 1005.
double PictureBox::Width() const { return outer_width_ * TwipsPerPixel(Axis::X) / ContainerTwipsPerUnit(Axis::X); }
double PictureBox::Height() const { return outer_height_ * TwipsPerPixel(Axis::Y) / ContainerTwipsPerUnit(Axis::Y); }

void PictureBox::Move(double left, double top, double width, double height) {
    if (width < 0 || height < 0) InvalidValue();
    Resize(RoundToPixels(width * ContainerTwipsPerUnit(Axis::X) / TwipsPerPixel(Axis::X)),
           RoundToPixels(height * ContainerTwipsPerUnit(Axis::Y) / TwipsPerPixel(Axis::Y)));
    left_ = RoundToPixels(left * ContainerTwipsPerUnit(Axis::X) / TwipsPerPixel(Axis::X));
    top_ = RoundToPixels(top * ContainerTwipsPerUnit(Axis::Y) / TwipsPerPixel(Axis::Y));
}

int PictureBox::client_width() const { return std::max(0, outer_width_ - 2 * kBorderPixels * border_style_); }
int PictureBox::client_height() const { return std::max(0, outer_height_ - 2 * kBorderPixels * border_style_); }

void PictureBox::Resize(int outer_width, int outer_height) {
    const int border = 2 * kBorderPixels * border_style_;
    const int w = std::max(0, outer_width - border), h = std::max(0, outer_height - border);
    // A box larger than any surface may be is refused before anything changes.
    if (outer_width < 0 || outer_height < 0 || !limits::SurfaceSizeAllowed(w, h))
        throw AutomationError(error::kOutOfMemory);
    const gdi::COLORREF back = Translate(back_colour_);

    // The persistent image keeps what still fits; new parts take the background colour. It is
    // made first, so a failure leaves the box as it was.
    const int new_w = std::max(1, w), new_h = std::max(1, h);
    gdi::SIZE old_size{0, 0};
    const bool had_image = gdi::GetBitmapSize(image_->bitmap(), &old_size);
    gdi::HBITMAP resized = 0;
    if (!had_image || old_size.cx != new_w || old_size.cy != new_h) {
        resized = gdi::CreateDIBSection32(new_w, new_h);
        const gdi::RECT fresh_area{0, 0, new_w, new_h};
        bool made = gdi::FillBitmapRect(resized, &fresh_area, back);
        if (made && had_image) {
            const gdi::RECT kept{0, 0, std::min(new_w, old_size.cx), std::min(new_h, old_size.cy)};
            try {
                std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kept.right) * kept.bottom);
                made = gdi::GetBitmapBits32(image_->bitmap(), &kept, pixels.data()) == kept.bottom &&
                       gdi::SetBitmapBits32(resized, &kept, pixels.data()) == kept.bottom;
            } catch (const std::bad_alloc&) {
                made = false;
            }
        }
        if (!made) {
            gdi::DeleteObject(resized);
            throw AutomationError(error::kOutOfMemory);
        }
    }
    // The drawing layer's calls fail by value, allocation failure included.
    if (!gdi::SetWindowClientSize(window_, w, h, back)) {
        gdi::DeleteObject(resized);
        throw AutomationError(error::kOutOfMemory);
    }
    outer_width_ = outer_width;
    outer_height_ = outer_height;
    if (!resized) return;
    image_->Hold(resized, gdi::Bitmap::Owned);  // the old image goes
}

// --- pictures ------------------------------------------------------------------------------------

std::shared_ptr<ov::Picture> PictureBox::Image() {
    const int w = client_width(), h = client_height();
    if (w == 0 || h == 0) return ov::Picture::Empty();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    const gdi::RECT all{0, 0, w, h};
    if (gdi::GetBitmapBits32(gdi::GetCurrentBitmap(hDC()), &all, pixels.data()) != h) return ov::Picture::Empty();
    return ov::Picture::FromPixels(w, h, pixels.data());
}

void PictureBox::SetPicture(std::shared_ptr<ov::Picture> picture) {
    if (picture && picture->type() == PictureType::None) picture = nullptr;
    // Fitted before it is taken, so a picture the box cannot grow to leaves the box as it was.
    if (auto_size_ && picture) FitTo(*picture);
    picture_ = std::move(picture);
    Cls();
}

bool PictureBox::ExportPng(const std::string& path) const {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    if (!gdi::GetPresentedPixels(window_, &width, &height, &pixels) || width == 0 || height == 0) return false;
    return gdi::WritePng(path, width, height, pixels.data());
}

}  // namespace ov
