#pragma once
// OVMaskedTextBox: a one-line entry field built on the host's text box `txt`, whose input is
// restricted by an input format (text pattern, number, date layout) and a mask. Nearly every
// member passes through to `txt`; the control holds the format, the mask, the invalid-entry
// reaction and the last date it recognised. The text box's colour doubles as the validity
// flag: 0 (black) valid, 255 (red) invalid.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/contract/control.h"
#include "host/contract/text_box.h"
#include "host/contract/toolbox_image.h"
#include "maskedit/mask_context.h"

namespace ov::maskedit {

inline constexpr std::int32_t kValidColour = 0;
inline constexpr std::int32_t kInvalidColour = 255;
inline constexpr double kNewInstanceWidth = 1215, kNewInstanceHeight = 315;

enum OnInvalidEntry : std::int32_t { kDoNothing = 0, kKeepFocus = 1, kFocusSelect = 2 };

class OVMaskedTextBox : public host::Control {
public:
    // Dispatch ids of _OVMaskedTextBox.
    enum Member : std::int32_t {
        kAppearance = 1,
        kBackColor,
        kAllignment,
        kBorderStyle,
        kEnabled,
        kFont,
        kFontBold,
        kFontItalic,
        kFontName,
        kFontSize,
        kFontStrikethru,
        kFontUnderline,
        kForeColor,
        kHideSelection,
        kHWnd,
        kInputFormat,
        kMask,
        kMaxLength,
        kMouseIcon,
        kMousePointer,
        kMultiLine,
        kOLEDragMode,
        kOLEDropMode,
        kOnInvalidEntry,
        kScrollBars,
        kSelLength,
        kSelStart,
        kSelText,
        kText,
        kToolTipText,
        kValue,
        kOLEDrag,
        kPopupMenu,
        kRefresh
    };

    OVMaskedTextBox();
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }
    static host::ToolboxImage DrawToolboxImage();

    host::TextBox& txt() { return txt_; }
    const host::TextBox& txt() const { return txt_; }

    // --- members held by the control (validation in masked_validation.cpp) ---------------------
    std::int32_t InputFormat() const { return input_format_; }
    void SetInputFormat(std::int32_t format);  // no range test
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& mask);  // 93 for a mask the format refuses, 380 for one the text breaks
    std::int32_t OnInvalidEntry() const { return on_invalid_entry_; }  // bound in the table
    std::string Text();                                                // "" while the text is marked invalid
    void SetText(const std::string& text);
    Variant Value(const Variant& mask);
    void SetValue(const Variant& mask, const Variant& value);
    double stored_date() const { return stored_date_; }

    // --- pass-through members of `txt` -------------------------------------------------------
    std::int16_t Appearance() const { return static_cast<std::int16_t>(txt_.Appearance()); }
    void SetAppearance(std::int16_t v);
    std::int32_t BackColor() const { return txt_.BackColor(); }
    void SetBackColor(std::int32_t v);
    std::int16_t Allignment() const { return static_cast<std::int16_t>(txt_.Alignment()); }
    void SetAllignment(std::int16_t v);
    std::int16_t BorderStyle() const { return static_cast<std::int16_t>(txt_.BorderStyle()); }
    void SetBorderStyle(std::int16_t v);
    bool Enabled() const { return txt_.Enabled(); }
    void SetEnabled(bool v);
    std::shared_ptr<IDispatch> Font() const;
    void SetFont(std::shared_ptr<IDispatch> font);
    bool FontBold() const { return txt_.Font().bold; }
    void SetFontBold(bool v);
    bool FontItalic() const { return txt_.Font().italic; }
    void SetFontItalic(bool v);
    std::string FontName() const { return txt_.Font().name; }
    void SetFontName(std::string v);
    float FontSize() const { return static_cast<float>(txt_.Font().size); }
    void SetFontSize(float v);
    bool FontStrikethru() const { return txt_.Font().strikethrough; }
    void SetFontStrikethru(bool v);
    bool FontUnderline() const { return txt_.Font().underline; }
    void SetFontUnderline(bool v);
    std::int32_t ForeColor() const { return txt_.ForeColor(); }
    void SetForeColor(std::int32_t v);
    bool HideSelection() const { return txt_.HideSelection(); }
    std::int32_t TextBoxWindow() const { return static_cast<std::int32_t>(txt_.hWnd()); }
    std::int32_t MaxLength() const { return txt_.MaxLength(); }
    void SetMaxLength(std::int32_t v);
    std::shared_ptr<IDispatch> MouseIcon() const { return txt_.MouseIcon(); }
    void SetMouseIcon(std::shared_ptr<IDispatch> icon);
    std::int16_t MousePointer() const { return txt_.MousePointer(); }
    void SetMousePointer(std::int16_t v);
    bool MultiLine() const { return txt_.MultiLine(); }
    std::int16_t OLEDragMode() const { return txt_.OLEDragMode(); }
    void SetOLEDragMode(std::int16_t v);
    std::int16_t OLEDropMode() const { return txt_.OLEDropMode(); }
    void SetOLEDropMode(std::int16_t v);
    std::int16_t ScrollBars() const { return txt_.ScrollBars(); }
    std::int32_t SelLength() const { return txt_.SelLength(); }
    void SetSelLength(std::int32_t v);
    std::int32_t SelStart() const { return txt_.SelStart(); }
    void SetSelStart(std::int32_t v);
    std::string SelText() const { return txt_.SelText(); }
    void SetSelText(std::string v);
    std::string ToolTipText() const { return txt_.ToolTipText(); }
    void SetToolTipText(std::string v);
    void OLEDragText() { txt_.OLEDrag(); }
    void RefreshText() { txt_.Refresh(); }

protected:
    void OnInitialize() override;
    void OnResize() override;
    void OnShow() override;
    void OnPaint() override;
    void OnHide() override;
    void OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) override;

private:
    // Validation (masked_validation.cpp).
    const MaskContext& Context();
    // IsTextValid of `text` under `mask` and the current format; in the date format the date it
    // produces becomes the stored date.
    bool CheckText(std::string_view text, std::string_view mask);
    bool IsPartial(std::string_view candidate);
    // The text format with no mask takes every text, complete or partial.
    bool JudgesNothing() const;
    void Recolour();
    void ReactToLostFocus();
    void SetNumericText(const std::string& text);
    void PutTextAndNotify(std::string_view text);
    void OnKeyDown(std::vector<Variant>& args);
    void OnKeyPress(std::vector<Variant>& args);
    // After a put that changed txt's one-line height (font, border): the control takes it, as
    // the resize handler would, so the control and its box keep one extent.
    void FollowTextBoxHeight();

    // Writes one attribute of txt's font and notifies for `property`.
    template <class F>
    void ChangeFont(std::int32_t property, F&& change);
    // The box's own font object (what Font hands out, by reference) and txt's font are kept
    // the same: UseFont makes `font` the box's and follows writes made through it; ApplyFont
    // gives both new attributes; TakeFont shares a platform font or copies another's attributes.
    void UseFont(std::shared_ptr<StdFont> font);
    void ApplyFont(const host::FontAttributes& font);
    void TakeFont(const std::shared_ptr<IDispatch>& font);

    host::TextBox& txt_;
    std::shared_ptr<StdFont> font_;
    std::shared_ptr<void> font_listening_;  // while it lives, writes through font_ reach txt
    std::int32_t input_format_ = 0;
    std::int32_t on_invalid_entry_ = kDoNothing;
    std::string mask_;
    double stored_date_ = 0;
    int resize_depth_ = 0;
    MaskContext context_;
};

}  // namespace ov::maskedit
