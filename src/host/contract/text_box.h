#pragma once
// The host's single-line text box constituent: an edit field drawn by the compositor (its
// painter is text_box_painter.h) over the editing model of text_edit.h. It raises its events on
// the owner's OnConstituentEvent in the platform's order — KeyDown, KeyPress, the edit, Change
// (only when the text changed), KeyUp — and applies a keystroke only when the handler leaves
// KeyAscii (or KeyCode, for the keys that act on KeyDown) non-zero.
//
// The keys of a one-line edit field: Home, End, Left, Right (Ctrl: by words; Shift extends the
// selection; Up and Down act as Left and Right), Delete (Shift+Delete cuts a selection),
// Ctrl+Insert copies, Shift+Insert pastes, Ctrl+A selects everything; Ctrl+C, Ctrl+X and
// Ctrl+V reach it as KeyPress codes 3, 24 and 22. Copy and paste go through the clipboard the
// site holds. A paste inserts the clipboard's text up to its first line break, as a one-line
// box keeps it; an empty clipboard pastes nothing and leaves the selection alone. The
// context-menu paste goes around the key events.
//
// The mouse: a press of the left button puts the caret at the character boundary nearest to
// the pointer (Shift extends the selection to it), moving with the button down drags the
// selection, a double click selects the word under the pointer.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/contract/constituents.h"
#include "host/contract/font_attributes.h"
#include "host/contract/text_box_painter.h"
#include "host/contract/text_edit.h"
#include "platform/gdi/ole_colour.h"

namespace ov::host {

// Virtual key codes and shift bits the text box understands.
namespace keys {
inline constexpr std::int16_t kBackspace = 8, kTab = 9, kEnter = 13, kEscape = 27, kEnd = 35, kHome = 36, kLeft = 37,
                              kUp = 38, kRight = 39, kDown = 40, kInsert = 45, kDelete = 46;
inline constexpr std::int16_t kShiftMask = 1, kCtrlMask = 2;
inline constexpr std::int16_t kCopy = 3, kPaste = 22, kCut = 24;  // KeyPress codes of the Ctrl keys
}  // namespace keys

class TextBox : public Constituent {
public:
    TextBox(Control& owner, std::string name, int index);
    ~TextBox() override;

    enum Alignment : int { kLeft = 0, kRight = 1, kCenter = 2 };

    // --- text and selection (program access) ---------------------------------------------------
    const std::string& Text() const { return edit_.text(); }
    // Cut to MaxLength; caret at 0 with nothing selected; Change when the text changed.
    void SetText(std::string_view text);
    int SelStart() const { return edit_.SelStart(); }
    int SelLength() const { return edit_.SelLength(); }
    std::string SelText() const { return edit_.SelText(); }
    // Negative values are 380; a start past the text is clamped to its end (length 0); a length
    // past the text to what follows the start.
    void SetSelStart(std::int32_t start);
    void SetSelLength(std::int32_t length);
    void SetSelText(std::string_view text);  // replaces the selection; Change when it changed
    std::int32_t MaxLength() const { return edit_.MaxLength(); }
    void SetMaxLength(std::int32_t max_length);  // negative: 380
    const TextEdit& edit() const { return edit_; }

    // --- appearance --------------------------------------------------------------------------
    int Alignment() const { return alignment_; }
    void SetAlignment(int alignment);  // 0..2, else 380
    int Appearance() const { return appearance_; }
    void SetAppearance(int appearance);  // 0 flat, 1 3-D, else 380
    int BorderStyle() const { return border_style_; }
    void SetBorderStyle(int style);  // 0 none, 1 fixed single, else 380
    std::int32_t BackColor() const { return back_color_; }
    void SetBackColor(std::int32_t colour) { StoreVisual(back_color_, colour); }
    std::int32_t ForeColor() const { return fore_color_; }
    void SetForeColor(std::int32_t colour) { StoreVisual(fore_color_, colour); }
    const FontAttributes& Font() const { return font_; }
    // A new font changes the one-line height: the box keeps its top and takes that height.
    void SetFont(const FontAttributes& font);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);  // a box disabled while focused loses the focus
    bool HideSelection() const { return true; }
    bool MultiLine() const { return false; }
    std::int16_t ScrollBars() const { return 0; }
    const std::string& ToolTipText() const { return tool_tip_; }
    void SetToolTipText(std::string text) { tool_tip_ = std::move(text); }
    std::int16_t MousePointer() const { return mouse_pointer_; }
    void SetMousePointer(std::int32_t pointer);  // 0..15 or 99, else 380
    const std::shared_ptr<IDispatch>& MouseIcon() const { return mouse_icon_; }
    void SetMouseIcon(std::shared_ptr<IDispatch> icon) { mouse_icon_ = std::move(icon); }
    // Automatic (1): a press inside the selection and a move with the button down drag the
    // selected text out of the box, as OLEDrag does; manual (0) leaves drags to the program.
    std::int16_t OLEDragMode() const { return ole_drag_mode_; }
    void SetOLEDragMode(std::int32_t mode);  // 0..1, else 380
    std::int16_t OLEDropMode() const { return ole_drop_mode_; }
    void SetOLEDropMode(std::int32_t mode);  // 0..2, else 380
    gdi::HWND hWnd() const { return window_; }
    void Refresh();
    void OLEDrag();

    // The height (pixels) of one line of the box's font with its frame and margins.
    int OneLineHeightPixels() const;
    // The height always follows the font: the requested one is replaced by a line's height.
    void Move(double left, double top, double width, double height) override;

    // --- focus ---------------------------------------------------------------------------------
    bool Focused() const { return focused_; }
    // Takes the focus (GotFocus); nothing when disabled or already focused.
    void SetFocus();
    // The focus moves away: Validate(Cancel) — a cancel keeps the focus — then LostFocus.
    // Returns whether the focus left. Nothing when the box does not have it.
    bool LeaveFocus();

    // --- user input (the box takes no input while disabled) ----------------------------------
    // One keystroke as the keyboard sends it: KeyDown(code, shift), KeyPress(ascii) when the
    // key produces a character (ascii > 0), the edit, Change, KeyUp.
    void Keystroke(std::int16_t key_code, std::int16_t shift, std::int16_t ascii);
    // One typed character (its key code and shift derived from it).
    void TypeCharacter(char c);
    // The selection as a mouse drag sets it (clamped, no events).
    void DragSelect(int start, int length) {
        edit_.Select(start, length);
        NoteVisualChange();
    }
    // The context-menu paste: the selection replaced by `text` up to its first line break, no
    // key events.
    void MenuPaste(std::string_view text);
    // Text dropped at `x` (scale units) on a box whose drop mode is automatic: the caret goes to
    // the nearest character boundary and the text up to its first line break goes in there, as
    // MenuPaste puts it (Change when it changed).
    void DropText(float x, std::string_view text);
    // The text a keystroke would leave, judged before the box applies it (the clipboard is
    // not touched); nullopt when it would leave the text as it is.
    std::optional<std::string> TextAfterKeyDown(std::int16_t key_code, std::int16_t shift) const;
    std::optional<std::string> TextAfterKeyPress(std::int16_t ascii) const;

    // Mouse input at (x, y): the owner's scale units from the box's top-left corner, as its
    // mouse events carry them. Each applies the press, move or double click to the caret and
    // selection, then raises MouseDown, MouseMove, MouseUp or DblClick (arguments by reference).
    void MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
    void MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
    void MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
    void DoubleClick(float x, float y);
    // Raises Click (a press and release on the box).
    void Click();

    // Horizontal scroll (pixels) the painter last used to keep the caret in view.
    int scroll() const { return scroll_; }
    void set_scroll(int pixels) const { scroll_ = pixels; }

    std::vector<std::pair<std::string, Variant>> InspectProperties() const override;

private:
    void Raise(std::string_view event, std::vector<Variant>& args);
    void Raise(std::string_view event);
    void ChangedIf(bool changed);
    void ApplyKeyDown(std::int16_t key_code, std::int16_t shift);
    void ApplyKeyPress(std::int16_t ascii);
    std::string* Clipboard() const;
    // Where x (owner's scale, from the box's corner) meets the text: boundary and character.
    TextHit HitAt(float x) const;
    void RaiseMouse(std::string_view event, std::int16_t button, std::int16_t shift, float x, float y);

    TextEdit edit_;
    int alignment_ = kLeft;
    int appearance_ = 1;
    int border_style_ = 1;
    std::int32_t back_color_ = gdi::OleSystemColor(gdi::COLOR_WINDOW);
    std::int32_t fore_color_ = gdi::OleSystemColor(gdi::COLOR_WINDOWTEXT);
    FontAttributes font_;
    bool enabled_ = true;
    std::string tool_tip_;
    std::int16_t mouse_pointer_ = 0;
    std::shared_ptr<IDispatch> mouse_icon_;
    std::int16_t ole_drag_mode_ = 0;
    std::int16_t ole_drop_mode_ = 0;
    bool focused_ = false;
    bool dragging_ = false;  // the left button went down on the box and is still down
    // The left button went down inside the selection of a box whose drag mode is automatic: a
    // move with it down drags the selection out (OLEDrag), a release places the caret.
    bool drag_pending_ = false;
    gdi::HWND window_ = 0;
    mutable int scroll_ = 0;
};

}  // namespace ov::host
