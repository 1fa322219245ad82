#pragma once
// The form a reference host shows: a window with a background colour, a scale mode and the
// members a control may ask its Parent for (ScaleMode, hWnd, Hide, Show, WindowState, Visible).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "host/reference/reference_only.h"
#include "platform/gdi/ole_colour.h"
#include "platform/runtime/automation_object.h"
#include "platform/gdi/gdi.h"

namespace ov::host {

class Form : public AutomationObject {
public:
    Form();
    ~Form() override;

    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

    gdi::HWND hWnd() const { return window_; }
    double Width() const { return width_; }  // twips; the client area (a form without borders)
    double Height() const { return height_; }
    // A size whose image no surface could hold is "Out of memory" (7) and changes nothing.
    void SetWidth(double twips);
    void SetHeight(double twips);
    std::int32_t ScaleMode() const { return scale_mode_; }
    void SetScaleMode(std::int32_t mode);  // a surface mode (0..7), else 380
    double ScaleWidth() const;
    double ScaleHeight() const;
    std::int32_t BackColor() const { return back_color_; }
    void SetBackColor(std::int32_t colour);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    std::int32_t WindowState() const { return window_state_; }  // 0 normal, 1 minimised, 2 maximised
    void SetWindowState(std::int32_t state);
    std::string Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    void Show();
    void Hide();

    // Sees the window operations done on the form ("show", "hide", "state N"), for the host
    // to report them.
    using OperationObserver = std::function<void(const std::string& operation)>;
    void SetOperationObserver(OperationObserver observer) { observer_ = std::move(observer); }

private:
    std::int32_t hWndValue() const { return static_cast<std::int32_t>(window_); }
    void SetExtent(double width_twips, double height_twips);
    void Report(const std::string& operation) const {
        if (observer_) observer_(operation);
    }

    gdi::HWND window_ = 0;
    double width_ = 7200, height_ = 5400;
    std::int32_t scale_mode_ = 1;
    std::int32_t back_color_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    bool visible_ = true;
    std::int32_t window_state_ = 0;
    std::string caption_ = "Form1";
    OperationObserver observer_;
};

}  // namespace ov::host
