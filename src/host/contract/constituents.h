#pragma once
// Constituent controls: the lightweight controls a control is built from (label, line, shape,
// image), its timers and its windowed picture boxes. They are created by the owning control
// with fixed design-time properties, positioned in the owner's scale units, drawn by the host's
// compositor on the owner's surface in z-order (lightweight ones first, in creation order, then
// windowed ones), and their events are routed to the owner's OnConstituentEvent.
//
// Colours are OLE_COLOR values kept as given; the compositor translates system colours each
// time it draws, so a change of the system colour scheme shows at the next composition. Every
// setter that changes what is drawn counts as a visual change (visual_changes.h).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/contract/font_attributes.h"
#include "host/contract/visual_changes.h"
#include "platform/gdi/ole_colour.h"
#include "platform/runtime/type_info.h"
#include "platform/gdi/gdi.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/variant.h"

namespace ov {
class PictureBox;
}

namespace ov::host {

class Control;

enum class ConstituentKind : std::uint8_t { Label, Line, Shape, Image, Timer, PictureBox, TextBox };

// The mouse pointer value that selects the custom MouseIcon.
inline constexpr std::int16_t kMousePointerCustom = 99;

class Constituent {
public:
    Constituent(Control& owner, ConstituentKind kind, std::string name, int index);
    virtual ~Constituent() = default;
    Constituent(const Constituent&) = delete;
    Constituent& operator=(const Constituent&) = delete;

    Control& owner() const { return owner_; }
    ConstituentKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    int index() const { return index_; }  // element of a control array, -1 for a single control
    std::string QualifiedName() const;    // "lblTabItem(3)" or "Line1"
    bool IsLightweight() const { return kind_ != ConstituentKind::PictureBox && kind_ != ConstituentKind::TextBox; }

    // Position and size in the owner's scale units. A line keeps its geometry in X1..Y2.
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    virtual void Move(double left, double top, double width, double height);
    void SetLeft(double v) { Move(v, top_, width_, height_); }
    void SetTop(double v) { Move(left_, v, width_, height_); }
    void SetWidth(double v) { Move(left_, top_, v, height_); }
    void SetHeight(double v) { Move(left_, top_, width_, v); }
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible) {
        visible_ = visible;
        NoteVisualChange();
    }

    // Every property the host's inspector shows, in a fixed order, with current values.
    virtual std::vector<std::pair<std::string, Variant>> InspectProperties() const;

protected:
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;

private:
    Control& owner_;
    ConstituentKind kind_;
    std::string name_;
    int index_;
};

class Label : public Constituent {
public:
    Label(Control& owner, std::string name, int index);

    enum Alignment : int { kLeftJustify = 0, kRightJustify = 1, kCenter = 2 };

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { StoreVisual(caption_, std::move(caption)); }
    int Alignment() const { return alignment_; }
    void SetAlignment(int alignment) { StoreVisual(alignment_, alignment); }
    int BackStyle() const { return back_style_; }  // 0 transparent, 1 opaque
    void SetBackStyle(int style) { StoreVisual(back_style_, style); }
    std::int32_t BackColor() const { return back_color_; }
    void SetBackColor(std::int32_t colour) { StoreVisual(back_color_, colour); }
    std::int32_t ForeColor() const { return fore_color_; }
    void SetForeColor(std::int32_t colour) { StoreVisual(fore_color_, colour); }
    const FontAttributes& Font() const { return font_; }
    // Handing out the font to change counts as changing it.
    FontAttributes& MutableFont() {
        NoteVisualChange();
        return font_;
    }
    void SetFont(const FontAttributes& font) { StoreVisual(font_, font); }
    bool FontBold() const { return font_.bold; }
    void SetFontBold(bool bold) {
        font_.bold = bold;
        NoteVisualChange();
    }
    bool FontUnderline() const { return font_.underline; }
    void SetFontUnderline(bool underline) {
        font_.underline = underline;
        NoteVisualChange();
    }
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool wrap) { StoreVisual(word_wrap_, wrap); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { StoreVisual(enabled_, enabled); }
    std::int16_t MousePointer() const { return mouse_pointer_; }
    void SetMousePointer(std::int16_t pointer) { StoreVisual(mouse_pointer_, pointer); }
    const std::shared_ptr<IDispatch>& MouseIcon() const { return mouse_icon_; }
    void SetMouseIcon(std::shared_ptr<IDispatch> icon) { StoreVisual(mouse_icon_, std::move(icon)); }

    std::vector<std::pair<std::string, Variant>> InspectProperties() const override;

private:
    std::string caption_;
    int alignment_ = kLeftJustify;
    int back_style_ = 1;
    std::int32_t back_color_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    std::int32_t fore_color_ = gdi::OleSystemColor(gdi::COLOR_BTNTEXT);
    FontAttributes font_;
    bool word_wrap_ = false;
    bool enabled_ = true;
    std::int16_t mouse_pointer_ = 0;
    std::shared_ptr<IDispatch> mouse_icon_;
};

// A straight line from (X1, Y1) to (X2, Y2), one pixel wide, in BorderColor. Like the
// platform's LineTo, the end point itself is not painted.
class Line : public Constituent {
public:
    Line(Control& owner, std::string name, int index);

    double X1() const { return x1_; }
    double Y1() const { return y1_; }
    double X2() const { return x2_; }
    double Y2() const { return y2_; }
    void SetX1(double v) { StoreVisual(x1_, v); }
    void SetY1(double v) { StoreVisual(y1_, v); }
    void SetX2(double v) { StoreVisual(x2_, v); }
    void SetY2(double v) { StoreVisual(y2_, v); }
    void SetPoints(double x1, double y1, double x2, double y2) {
        x1_ = x1, y1_ = y1, x2_ = x2, y2_ = y2;
        NoteVisualChange();
    }
    std::int32_t BorderColor() const { return border_color_; }
    void SetBorderColor(std::int32_t colour) { StoreVisual(border_color_, colour); }

    std::vector<std::pair<std::string, Variant>> InspectProperties() const override;

private:
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    std::int32_t border_color_ = gdi::OleSystemColor(gdi::COLOR_WINDOWTEXT);
};

// A rectangle: outline in BorderColor, interior in FillColor when FillStyle is solid (0), else
// BackColor when BackStyle is opaque (1), else nothing.
class Shape : public Constituent {
public:
    Shape(Control& owner, std::string name, int index);

    enum FillStyle : int { kFillSolid = 0, kFillTransparent = 1 };

    std::int32_t BorderColor() const { return border_color_; }
    void SetBorderColor(std::int32_t colour) { StoreVisual(border_color_, colour); }
    std::int32_t FillColor() const { return fill_color_; }
    void SetFillColor(std::int32_t colour) { StoreVisual(fill_color_, colour); }
    int FillStyle() const { return fill_style_; }
    void SetFillStyle(int style) { StoreVisual(fill_style_, style); }
    int BackStyle() const { return back_style_; }
    void SetBackStyle(int style) { StoreVisual(back_style_, style); }
    std::int32_t BackColor() const { return back_color_; }
    void SetBackColor(std::int32_t colour) { StoreVisual(back_color_, colour); }
    int BorderStyle() const { return border_style_; }  // 0 none (no outline), 1 solid
    void SetBorderStyle(int style) { StoreVisual(border_style_, style); }

    std::vector<std::pair<std::string, Variant>> InspectProperties() const override;

private:
    std::int32_t border_color_ = gdi::OleSystemColor(gdi::COLOR_WINDOWTEXT);
    std::int32_t fill_color_ = 0;
    int fill_style_ = kFillTransparent;
    int back_style_ = 0;
    std::int32_t back_color_ = gdi::OleSystemColor(gdi::COLOR_WINDOW);
    int border_style_ = 1;
};

// A picture shown at its natural size (or stretched to the control's size).
class Image : public Constituent {
public:
    Image(Control& owner, std::string name, int index);

    const std::shared_ptr<IDispatch>& Picture() const { return picture_; }
    void SetPicture(std::shared_ptr<IDispatch> picture) { StoreVisual(picture_, std::move(picture)); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch) { StoreVisual(stretch_, stretch); }

private:
    std::shared_ptr<IDispatch> picture_;
    bool stretch_ = false;
};

// A timer driven by the host's clock. Enabling it (from disabled) or changing its interval
// while enabled starts a new period; an interval of 0 never ticks.
class Timer : public Constituent {
public:
    Timer(Control& owner, std::string name, int index);

    std::int32_t Interval() const { return interval_; }
    void SetInterval(std::int32_t milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const std::string& Tag() const { return tag_; }
    void SetTag(std::string tag) { tag_ = std::move(tag); }

    // Host clock time (ms) of the next tick, or -1 when none is due (disabled or interval 0).
    std::int64_t NextDue() const;
    // Called by the host when it delivers a tick: the next period starts at the tick's time.
    void Ticked(std::int64_t at);
    // (Re)starts the current period at host time `now` (used when the control is sited).
    void Restart(std::int64_t now);

    std::vector<std::pair<std::string, Variant>> InspectProperties() const override;

private:
    std::int32_t interval_ = 0;
    bool enabled_ = true;
    std::string tag_;
    std::int64_t period_start_ = 0;
};

// A windowed picture box (the drawing layer's ov::PictureBox) on the owner's surface. Its
// window is a child of the owner's window; Move positions it in the owner's scale units.
class ConstituentPictureBox : public Constituent {
public:
    ConstituentPictureBox(Control& owner, std::string name, int index);
    ~ConstituentPictureBox() override;

    ov::PictureBox& box() { return *box_; }
    const ov::PictureBox& box() const { return *box_; }
    // The picture box's late-bound interface (TypeName "PictureBox").
    std::shared_ptr<IDispatch> Object() const { return object_; }
    gdi::HWND hWnd() const;

    void Move(double left, double top, double width, double height) override;
    void SetVisible(bool visible) override;

    std::vector<std::pair<std::string, Variant>> InspectProperties() const override;

private:
    std::shared_ptr<ov::PictureBox> box_;
    std::shared_ptr<IDispatch> object_;
};

// Events the host can deliver on a constituent or on a control's own surface, with their
// parameters (all by reference). Label: Click, DblClick, MouseDown, MouseMove, MouseUp;
// Timer: Timer; PictureBox: those of a label plus Paint and Resize.
// The parameters of a standard event by name (case-insensitive); nullptr for an unknown one.
const EventDesc* FindStandardEvent(std::string_view event_name);

// The host's own enumerations for the surface members it holds: "MousePointerConstants"
// (MousePointer) and "OLEDropConstants" (OLEDropMode). nullptr for another name.
const EnumDesc* FindStandardEnum(std::string_view enum_name);

}  // namespace ov::host
