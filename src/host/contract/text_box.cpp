#include "host/contract/text_box.h"

#include <cctype>

#include "host/contract/control.h"
#include "host/contract/text_box_painter.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

namespace {

// What a one-line box keeps of a pasted text: everything before its first line break.
std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

void RequireRange(std::int32_t value, std::int32_t low, std::int32_t high) {
    if (value < low || value > high) throw AutomationError(error::kInvalidPropertyValue);
}

// The virtual key a character is typed with, and whether Shift is held for it (a US layout).
struct KeyOf {
    std::int16_t code;
    std::int16_t shift;
};

KeyOf KeyForCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isupper(u)) return {static_cast<std::int16_t>(u), keys::kShiftMask};
    if (std::islower(u)) return {static_cast<std::int16_t>(std::toupper(u)), 0};
    if (std::isdigit(u) || u == ' ') return {static_cast<std::int16_t>(u), 0};
    static constexpr std::string_view kPlain = ";=,-./`[\\]'";
    static constexpr std::string_view kShifted = ":+<_>?~{|}\"";
    static constexpr std::int16_t kCodes[] = {186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222};
    if (const auto i = kPlain.find(c); i != std::string_view::npos) return {kCodes[i], 0};
    if (const auto i = kShifted.find(c); i != std::string_view::npos) return {kCodes[i], keys::kShiftMask};
    static constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
    if (const auto i = kShiftedDigits.find(c); i != std::string_view::npos)
        return {static_cast<std::int16_t>('0' + i), keys::kShiftMask};
    return {static_cast<std::int16_t>(u), 0};
}

}  // namespace

TextBox::TextBox(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::TextBox, std::move(name), index) {
    if (owner.site()) font_ = FontFromObject(owner.AmbientFont(), font_);
    window_ = gdi::CreateWindowSurface(0, 1, 1);
    width_ = 1215;
    height_ = 315;
}

TextBox::~TextBox() {
    if (window_) gdi::DestroyWindowSurface(window_);
}

// --- events ------------------------------------------------------------------------------------

void TextBox::Raise(std::string_view event, std::vector<Variant>& args) {
    owner().DeliverConstituentEvent(*this, event, args);
}

void TextBox::Raise(std::string_view event) {
    std::vector<Variant> none;
    Raise(event, none);
}

void TextBox::ChangedIf(bool changed) {
    NoteVisualChange();
    if (changed) Raise("Change");
}

// --- program access ----------------------------------------------------------------------------

void TextBox::SetText(std::string_view text) { ChangedIf(edit_.SetText(text)); }

void TextBox::SetSelStart(std::int32_t start) {
    if (start < 0) throw AutomationError(error::kInvalidPropertyValue);
    edit_.Select(start, 0);
    NoteVisualChange();
}

void TextBox::SetSelLength(std::int32_t length) {
    if (length < 0) throw AutomationError(error::kInvalidPropertyValue);
    edit_.Select(edit_.SelStart(), length);
    NoteVisualChange();
}

void TextBox::SetSelText(std::string_view text) { ChangedIf(edit_.ReplaceSelection(text)); }

void TextBox::SetMaxLength(std::int32_t max_length) {
    if (max_length < 0) throw AutomationError(error::kInvalidPropertyValue);
    edit_.SetMaxLength(max_length);
}

void TextBox::SetAlignment(int alignment) {
    RequireRange(alignment, kLeft, kCenter);
    alignment_ = alignment;
    NoteVisualChange();
}

void TextBox::SetAppearance(int appearance) {
    RequireRange(appearance, 0, 1);
    appearance_ = appearance;
    Move(left_, top_, width_, height_);
}

void TextBox::SetBorderStyle(int style) {
    RequireRange(style, 0, 1);
    border_style_ = style;
    Move(left_, top_, width_, height_);
}

void TextBox::SetFont(const FontAttributes& font) {
    font_ = font;
    Move(left_, top_, width_, height_);
}

void TextBox::SetEnabled(bool enabled) {
    enabled_ = enabled;
    NoteVisualChange();
    // Disabled first, so a LostFocus handler cannot give the focus back.
    if (!enabled && focused_) {
        focused_ = false;
        Raise("LostFocus");
    }
}

void TextBox::SetMousePointer(std::int32_t pointer) {
    if (pointer != kMousePointerCustom) RequireRange(pointer, 0, 15);
    mouse_pointer_ = static_cast<std::int16_t>(pointer);
}

void TextBox::SetOLEDragMode(std::int32_t mode) {
    RequireRange(mode, 0, 1);
    ole_drag_mode_ = static_cast<std::int16_t>(mode);
}

void TextBox::SetOLEDropMode(std::int32_t mode) {
    RequireRange(mode, 0, 2);
    ole_drop_mode_ = static_cast<std::int16_t>(mode);
}

void TextBox::Refresh() {
    NoteVisualChange();
    if (owner().site()) owner().site()->SurfaceRefreshed(owner());
}

void TextBox::OLEDrag() {
    if (owner().site()) owner().site()->OLEDragRequested(owner());
}

int TextBox::OneLineHeightPixels() const { return TextBoxLineHeight(font_, border_style_ == 1); }

void TextBox::Move(double left, double top, double width, double height) {
    const Control& o = owner();
    const double line = o.ScaleY(OneLineHeightPixels(), kScalePixels, o.ScaleMode());
    (void)height;
    Constituent::Move(left, top, width, line);
}

// --- focus -------------------------------------------------------------------------------------

void TextBox::SetFocus() {
    if (!enabled_ || !visible_ || focused_) return;
    focused_ = true;
    NoteVisualChange();
    Raise("GotFocus");
}

bool TextBox::LeaveFocus() {
    if (!focused_) return false;
    std::vector<Variant> cancel = {Variant::FromBoolean(false)};
    Raise("Validate", cancel);
    if (CBool(cancel[0])) return false;
    focused_ = false;
    NoteVisualChange();
    Raise("LostFocus");
    return !focused_;
}

// --- user input --------------------------------------------------------------------------------

std::string* TextBox::Clipboard() const {
    ControlSite* site = owner().site();
    return site ? site->ClipboardText() : nullptr;
}

namespace {

// What a paste inserts: the clipboard's text up to its first line break, as a one-line box
// keeps it; nullopt when there is nothing to paste.
std::optional<std::string_view> PastedText(const std::string* clipboard) {
    if (!clipboard || clipboard->empty()) return std::nullopt;
    return FirstLine(*clipboard);
}

bool Copy(const TextEdit& edit, std::string* clipboard) {
    if (clipboard && edit.SelLength() > 0) *clipboard = edit.SelText();
    return false;
}

bool Paste(TextEdit& edit, const std::string* clipboard) {
    const std::optional<std::string_view> text = PastedText(clipboard);
    return text && edit.ReplaceSelection(*text);
}

// The edit a key makes on KeyDown, copying to and pasting from `clipboard` (null: the site has
// none). Returns whether the text changed.
bool EditOnKeyDown(TextEdit& edit, std::int16_t key_code, std::int16_t shift, std::string* clipboard) {
    using Move = TextEdit::Move;
    const bool with_shift = (shift & keys::kShiftMask) != 0, with_ctrl = (shift & keys::kCtrlMask) != 0;
    switch (key_code) {
        case keys::kDelete:
            // Shift+Delete cuts a selection; without one it deletes as Delete does.
            if (with_shift && edit.SelLength() > 0) Copy(edit, clipboard);
            return edit.DeleteForward();
        case keys::kInsert:
            if (with_ctrl && !with_shift) return Copy(edit, clipboard);
            if (with_shift && !with_ctrl) return Paste(edit, clipboard);
            return false;
        case keys::kHome: edit.MoveCaret(Move::Home, with_shift); return false;
        case keys::kEnd: edit.MoveCaret(Move::End, with_shift); return false;
        // A one-line box has no line above or below: Up and Down move as Left and Right.
        case keys::kLeft:
        case keys::kUp: edit.MoveCaret(with_ctrl ? Move::WordLeft : Move::Left, with_shift); return false;
        case keys::kRight:
        case keys::kDown: edit.MoveCaret(with_ctrl ? Move::WordRight : Move::Right, with_shift); return false;
        case 'A':
            if (with_ctrl) edit.SelectAll();
            return false;
        default: return false;
    }
}

bool EditOnKeyPress(TextEdit& edit, std::int16_t ascii, std::string* clipboard) {
    switch (ascii) {
        case keys::kBackspace: return edit.Backspace();
        case keys::kCopy: return Copy(edit, clipboard);
        case keys::kCut:
            if (!clipboard || edit.SelLength() == 0) return false;
            Copy(edit, clipboard);
            return edit.ReplaceSelection({});
        case keys::kPaste: return Paste(edit, clipboard);
        default: break;
    }
    // Other control characters (Enter included) are not text in a one-line box.
    if (ascii > 0 && ascii < 32) return false;
    const char c = static_cast<char>(static_cast<unsigned char>(ascii & 0xFF));
    return edit.ReplaceSelection(std::string_view(&c, 1));
}

// Runs `edit_on` on a copy of the editing model and of the clipboard.
template <class Edit>
std::optional<std::string> TrialEdit(const TextEdit& model, const std::string* clipboard, Edit&& edit_on) {
    TextEdit trial = model;
    std::string clipboard_copy = clipboard ? *clipboard : std::string();
    if (!edit_on(trial, clipboard ? &clipboard_copy : nullptr)) return std::nullopt;
    return trial.text();
}

}  // namespace

void TextBox::ApplyKeyDown(std::int16_t key_code, std::int16_t shift) {
    if (EditOnKeyDown(edit_, key_code, shift, Clipboard())) return ChangedIf(true);
    NoteVisualChange();
}

void TextBox::ApplyKeyPress(std::int16_t ascii) { ChangedIf(EditOnKeyPress(edit_, ascii, Clipboard())); }

std::optional<std::string> TextBox::TextAfterKeyDown(std::int16_t key_code, std::int16_t shift) const {
    return TrialEdit(edit_, Clipboard(),
                     [&](TextEdit& e, std::string* c) { return EditOnKeyDown(e, key_code, shift, c); });
}

std::optional<std::string> TextBox::TextAfterKeyPress(std::int16_t ascii) const {
    return TrialEdit(edit_, Clipboard(), [&](TextEdit& e, std::string* c) { return EditOnKeyPress(e, ascii, c); });
}

void TextBox::Keystroke(std::int16_t key_code, std::int16_t shift, std::int16_t ascii) {
    if (!enabled_) return;
    std::vector<Variant> down = {Variant::FromInteger(key_code), Variant::FromInteger(shift)};
    Raise("KeyDown", down);
    const std::int16_t code = CInt(down[0]);
    if (code != 0) ApplyKeyDown(code, CInt(down[1]));
    if (ascii > 0) {
        std::vector<Variant> press = {Variant::FromInteger(ascii)};
        Raise("KeyPress", press);
        const std::int16_t returned = CInt(press[0]);
        if (returned != 0) ApplyKeyPress(returned);
    }
    std::vector<Variant> up = {Variant::FromInteger(key_code), Variant::FromInteger(shift)};
    Raise("KeyUp", up);
}

void TextBox::TypeCharacter(char c) {
    const KeyOf key = KeyForCharacter(c);
    // A character's KeyPress code is its byte (the ANSI code page), 1..255.
    const auto byte = static_cast<unsigned char>(c);
    Keystroke(key.code, key.shift, static_cast<std::int16_t>(byte));
}

void TextBox::MenuPaste(std::string_view text) {
    if (!enabled_) return;
    ChangedIf(edit_.ReplaceSelection(FirstLine(text)));
}

void TextBox::DropText(float x, std::string_view text) {
    if (!enabled_) return;
    edit_.PlaceCaret(HitAt(x).boundary, false);
    NoteVisualChange();
    MenuPaste(text);
}

// --- mouse -------------------------------------------------------------------------------------

namespace {

constexpr std::int16_t kLeftButton = 1;

}  // namespace

TextHit TextBox::HitAt(float x) const {
    const Control& o = owner();
    const int left = o.ToPixelsX(left_);
    return HitTestTextBox(*this, o.ToPixelsX(left_ + width_) - left, o.ToPixelsX(left_ + x) - left);
}

void TextBox::RaiseMouse(std::string_view event, std::int16_t button, std::int16_t shift, float x, float y) {
    std::vector<Variant> args = {Variant::FromInteger(button), Variant::FromInteger(shift), Variant::FromSingle(x),
                                 Variant::FromSingle(y)};
    Raise(event, args);
}

void TextBox::MouseDown(std::int16_t button, std::int16_t shift, float x, float y) {
    if (!enabled_) return;
    if (button == kLeftButton) {
        const TextHit hit = HitAt(x);
        const bool in_selection = SelLength() > 0 && hit.character >= SelStart() &&
                                  hit.character < SelStart() + SelLength() && (shift & keys::kShiftMask) == 0;
        if (ole_drag_mode_ == 1 && in_selection) {
            drag_pending_ = true;  // the selection stays for the drag
        } else {
            edit_.PlaceCaret(hit.boundary, (shift & keys::kShiftMask) != 0);
            dragging_ = true;
            NoteVisualChange();
        }
    }
    RaiseMouse("MouseDown", button, shift, x, y);
}

void TextBox::MouseMove(std::int16_t button, std::int16_t shift, float x, float y) {
    if (!enabled_) return;
    if (dragging_ && (button & kLeftButton) != 0) {
        edit_.PlaceCaret(HitAt(x).boundary, true);
        NoteVisualChange();
    }
    RaiseMouse("MouseMove", button, shift, x, y);
    if (drag_pending_ && (button & kLeftButton) != 0) {
        drag_pending_ = false;
        OLEDrag();
    }
}

void TextBox::MouseUp(std::int16_t button, std::int16_t shift, float x, float y) {
    if (!enabled_) return;
    if (button == kLeftButton) {
        dragging_ = false;
        if (drag_pending_) {  // a click inside the selection, no drag: the caret goes there
            drag_pending_ = false;
            edit_.PlaceCaret(HitAt(x).boundary, false);
            NoteVisualChange();
        }
    }
    RaiseMouse("MouseUp", button, shift, x, y);
}

void TextBox::DoubleClick(float x, float y) {
    (void)y;
    if (!enabled_) return;
    edit_.SelectWordAt(HitAt(x).character);
    NoteVisualChange();
    Raise("DblClick");
}

void TextBox::Click() {
    if (enabled_) Raise("Click");
}

std::vector<std::pair<std::string, Variant>> TextBox::InspectProperties() const {
    auto props = Constituent::InspectProperties();
    props.insert(props.begin(), {{"Text", Variant::FromString(Text())},
                                 {"SelStart", Variant::FromLong(SelStart())},
                                 {"SelLength", Variant::FromLong(SelLength())},
                                 {"ForeColor", Variant::FromLong(fore_color_)},
                                 {"Focused", Variant::FromBoolean(focused_)}});
    props.emplace_back("BackColor", Variant::FromLong(back_color_));
    props.emplace_back("Alignment", Variant::FromInteger(static_cast<std::int16_t>(alignment_)));
    props.emplace_back("MaxLength", Variant::FromLong(MaxLength()));
    props.emplace_back("Enabled", Variant::FromBoolean(enabled_));
    return props;
}

}  // namespace ov::host
