#pragma once
// The picture box: a window with a persistent drawing buffer, the surface the painters draw
// on. Positions and sizes of the box are in its container's units; drawing coordinates are in
// the box's own scale (twips unless set otherwise).
//
// With AutoRedraw on, drawing (methods and calls on hDC) goes to the persistent image and
// reaches the window on Refresh, or at the end of each drawing method; with it off, drawing goes
// straight to the window's surface. Either way hDC holds the hollow brush, the box's font,
// ForeColor as text colour and a transparent background mode.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/scale/scale.h"

namespace ov {

using OleColor = std::uint32_t;

enum class LineForm { Line, Box, FilledBox };

class PictureBox {
public:
    // Left, top, width and height in the container's units (`container_scale_mode`, 1..7;
    // twips by default). The window is created as a child of `parent` (0 for none).
    PictureBox(gdi::HWND parent, double left, double top, double width, double height, int container_scale_mode = 1);
    ~PictureBox();
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    gdi::HWND hWnd() const { return window_; }
    gdi::HDC hDC();

    // --- colours, font, frame ---------------------------------------------------------------
    OleColor BackColor() const { return back_colour_; }
    void SetBackColor(OleColor colour);  // erases the drawing, as Cls does
    OleColor ForeColor() const { return fore_colour_; }
    void SetForeColor(OleColor colour);
    // The font object is shared: changing its attributes changes the box's text.
    const std::shared_ptr<StdFont>& Font() const { return font_; }
    void SetFont(std::shared_ptr<StdFont> font);
    // Runs `listener` after every late-bound write to the box's font object, whichever object
    // the box holds at the time (its owner repaints with the changed font); empty for none.
    void SetFontListener(std::function<void()> listener);
    int BorderStyle() const { return border_style_; }
    void SetBorderStyle(int style);  // 0 none, 1 fixed single (2 pixels per side); else 380
    bool AutoRedraw() const { return auto_redraw_; }
    void SetAutoRedraw(bool on);
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool on);
    int MousePointer() const { return mouse_pointer_; }
    void SetMousePointer(int pointer);  // 0..15 or 99 (custom); else 380
    const std::shared_ptr<ov::Picture>& MouseIcon() const { return mouse_icon_; }
    void SetMouseIcon(std::shared_ptr<ov::Picture> icon) { mouse_icon_ = std::move(icon); }

    // --- drawing ------------------------------------------------------------------------------
    // Fills the drawing with BackColor, then draws Picture at the top-left; CurrentX/Y go to
    // the scale's origin.
    void Cls();
    // Presents the persistent image on the window (AutoRedraw); nothing to do otherwise.
    void Refresh();
    // A line including both end points, a box outline covering both corners, or a filled box,
    // in `colour` (ForeColor when absent). CurrentX/Y move to (x2, y2).
    void Line(double x1, double y1, double x2, double y2, std::optional<OleColor> colour = std::nullopt,
              LineForm form = LineForm::Line);
    double CurrentX() const { return current_x_; }
    double CurrentY() const { return current_y_; }
    void SetCurrentX(double x) { current_x_ = x; }
    void SetCurrentY(double y) { current_y_ = y; }
    // Text at (CurrentX, CurrentY) in ForeColor over what is there; CurrentX advances by its
    // width. `new_line` then moves to the start of the next line, as a print without ";".
    void Print(const std::string& text, bool new_line = false);
    double TextWidth(const std::string& text);   // widest line, in scale units
    double TextHeight(const std::string& text);  // lines * cell height, in scale units

    // --- scale ----------------------------------------------------------------------------------
    int ScaleMode() const { return scale_mode_; }
    void SetScaleMode(int mode);  // 0..7, else 380; a fixed mode resets ScaleLeft/Top to 0
    double ScaleWidth() const;
    double ScaleHeight() const;
    void SetScaleWidth(double width);  // switches to the user scale; 0 is error 380
    void SetScaleHeight(double height);
    double ScaleLeft() const { return scale_left_; }
    double ScaleTop() const { return scale_top_; }
    void SetScaleLeft(double left);
    void SetScaleTop(double top);
    // Converts a width / height between any two modes (0 meaning this box's user scale, 8
    // HIMETRIC); unknown modes are error 5, as everywhere (platform/scale).
    double ScaleX(double value, int from_mode, int to_mode) const;
    double ScaleY(double value, int from_mode, int to_mode) const;

    // --- position in the container ---------------------------------------------------------
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void SetLeft(double left) { Move(left, Top(), Width(), Height()); }
    void SetTop(double top) { Move(Left(), top, Width(), Height()); }
    void SetWidth(double width) { Move(Left(), Top(), width, Height()); }
    void SetHeight(double height) { Move(Left(), Top(), Width(), height); }
    // Negative sizes are 380; a size larger than a surface may be is 7; either changes nothing.
    void Move(double left, double top, double width, double height);
    int container_scale_mode() const { return container_scale_mode_; }
    void set_container_scale_mode(int mode);

    // Client area in pixels (the outer size less the border).
    int client_width() const;
    int client_height() const;

    // --- pictures ---------------------------------------------------------------------------
    // A new bitmap picture holding a copy of what is drawn (the persistent image with
    // AutoRedraw, the window's surface without).
    std::shared_ptr<ov::Picture> Image();
    const std::shared_ptr<ov::Picture>& Picture() const { return picture_; }
    // Becomes the background: AutoSize fits the box to it, then the drawing is erased onto it.
    void SetPicture(std::shared_ptr<ov::Picture> picture);

    // Writes what the window presents as an RGB PNG (libpng); false when it cannot be written.
    bool ExportPng(const std::string& path) const;

    // Scale units -> device pixels, rounded to nearest with halves to even.
    int ToPixelX(double x) const;
    int ToPixelY(double y) const;

private:
    double TwipsPerScaleUnit(Axis axis) const;
    gdi::COLORREF Translate(OleColor colour) const;
    // Sizes the box in pixels, the border included; one larger than a surface may be
    // (ov::limits) is "Out of memory" (7) and changes nothing.
    void Resize(int outer_width, int outer_height);
    // AutoSize: the outer size that shows the whole picture.
    void FitTo(const ov::Picture& picture);
    void SyncFont();
    void SyncDcState(gdi::HDC dc);
    gdi::HDC DrawingDc() { return hDC(); }
    void AfterDrawing();
    double ContainerTwipsPerUnit(Axis axis) const;

    // Made in the constructor in this order and released in the destructor in the reverse
    // one: the window, its device context, the image's memory context holding the image, the
    // graphics font, and the selections of a hollow brush and the font into both contexts.
    gdi::HWND window_ = 0;
    std::optional<gdi::WindowDC> window_dc_;
    std::optional<gdi::MemoryDC> image_;
    gdi::OwnedObject gdi_font_;
    std::optional<gdi::ScopedSelection> hollow_brushes_[2];
    std::optional<gdi::ScopedSelection> font_selections_[2];
    FontDesc gdi_font_desc_;

    int outer_width_ = 0, outer_height_ = 0;  // pixels
    int left_ = 0, top_ = 0;                  // pixels in the container
    int container_scale_mode_ = 1;

    OleColor back_colour_ = static_cast<OleColor>(gdi::OleSystemColor(gdi::COLOR_BTNFACE));
    OleColor fore_colour_ = static_cast<OleColor>(gdi::OleSystemColor(gdi::COLOR_BTNTEXT));
    std::shared_ptr<StdFont> font_;
    std::function<void()> font_listener_;
    std::shared_ptr<void> font_listening_;  // the listener's registration with font_
    int border_style_ = 1;
    bool auto_redraw_ = false;
    bool auto_size_ = false;
    int mouse_pointer_ = 0;
    std::shared_ptr<ov::Picture> mouse_icon_;
    std::shared_ptr<ov::Picture> picture_;

    int scale_mode_ = 1;
    double scale_left_ = 0, scale_top_ = 0;
    double user_scale_width_ = 0, user_scale_height_ = 0;  // meaningful in the user scale only
    double current_x_ = 0, current_y_ = 0;
};

}  // namespace ov
