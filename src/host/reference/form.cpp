#include "host/reference/form.h"

#include <algorithm>

#include "host/contract/control.h"
#include "host/contract/visual_changes.h"
#include "host/reference/compositor.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"
#include "platform/scale/scale.h"

namespace ov::host {

// The form's window is the parent of its controls' windows and the handle hWnd gives; nothing
// draws on it and the composition paints the form's background itself, so its client area
// holds no pixels (a surface of the form's size would be one more copy of the form per host).
Form::Form() { window_ = gdi::CreateWindowSurface(0, 0, 0); }

Form::~Form() {
    if (window_) gdi::DestroyWindowSurface(window_);
}

const ClassInfo& Form::StaticInfo() {
    static const ClassInfo info = [] {
        const TypeDesc single = TypeDesc::Of(VarType::Single);
        const TypeDesc integer = TypeDesc::Of(VarType::Integer);
        return ClassBuilder<Form>("Form", false)
            .PropertyEx(
                "ScaleMode", 1, integer, {},
                [](Form& f, auto&) { return Variant::FromInteger(static_cast<std::int16_t>(f.ScaleMode())); },
                [](Form& f, auto&, Variant& v) { f.SetScaleMode(CInt(v)); })
            .PropertyEx(
                "Width", 2, single, {},
                [](Form& f, auto&) { return Variant::FromSingle(static_cast<float>(f.Width())); },
                [](Form& f, auto&, Variant& v) { f.SetWidth(CSng(v)); })
            .PropertyEx(
                "Height", 3, single, {},
                [](Form& f, auto&) { return Variant::FromSingle(static_cast<float>(f.Height())); },
                [](Form& f, auto&, Variant& v) { f.SetHeight(CSng(v)); })
            .Property("BackColor", 4, TypeDesc::Color(), &Form::BackColor, &Form::SetBackColor)
            .Property("Visible", 5, TypeDesc::Of(VarType::Boolean), &Form::Visible, &Form::SetVisible)
            .Property("WindowState", 6, TypeDesc::Of(VarType::Long), &Form::WindowState, &Form::SetWindowState)
            .ReadOnly("hWnd", 7, TypeDesc::Of(VarType::Long), &Form::hWndValue)
            .PropertyEx(
                "ScaleWidth", 8, single, {},
                [](Form& f, auto&) { return Variant::FromSingle(static_cast<float>(f.ScaleWidth())); }, nullptr)
            .PropertyEx(
                "ScaleHeight", 9, single, {},
                [](Form& f, auto&) { return Variant::FromSingle(static_cast<float>(f.ScaleHeight())); }, nullptr)
            .Property("Caption", 10, TypeDesc::Of(VarType::String), &Form::Caption, &Form::SetCaption)
            .Method("Show", 11, &Form::Show)
            .Method("Hide", 12, &Form::Hide)
            .Build();
    }();
    return info;
}

void Form::SetWindowState(std::int32_t state) {
    window_state_ = state;
    Report("state " + std::to_string(state));
}

void Form::Show() {
    visible_ = true;
    Report("show");
}

void Form::Hide() {
    visible_ = false;
    Report("hide");
}

void Form::SetWidth(double twips) { SetExtent(twips, height_); }

void Form::SetHeight(double twips) { SetExtent(width_, twips); }

void Form::SetExtent(double width_twips, double height_twips) {
    // The form is composed into one image: a size no surface may have is refused first.
    if (!Control::ExtentFits(width_twips, height_twips)) throw AutomationError(error::kOutOfMemory);
    width_ = width_twips;
    height_ = height_twips;
    NoteVisualChange();
}

void Form::SetScaleMode(std::int32_t mode) {
    if (!IsSurfaceScaleMode(mode)) throw AutomationError(error::kInvalidPropertyValue);
    scale_mode_ = mode;
}

double Form::ScaleWidth() const {
    const int mode = scale_mode_ == kScaleUser ? kScaleTwips : scale_mode_;
    return ConvertUnits(TwipsToPixels(width_, Axis::X), kScalePixels, mode, Axis::X);
}

double Form::ScaleHeight() const {
    const int mode = scale_mode_ == kScaleUser ? kScaleTwips : scale_mode_;
    return ConvertUnits(TwipsToPixels(height_, Axis::Y), kScalePixels, mode, Axis::Y);
}

void Form::SetBackColor(std::int32_t colour) {
    back_color_ = colour;
    NoteVisualChange();
}

}  // namespace ov::host
