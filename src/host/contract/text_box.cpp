#include "host/contract/text_box.h"

#include <cctype>

#include "host/contract/control.h"
#include "host/contract/text_box_painter.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

namespace {

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

int TextBox::OneLineHeightPixels() const {
    return TextBoxLineHeight(font_, border_style_ == 1);
}

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

void TextBox::ApplyKeyDown(std::int16_t key_code, std::int16_t shift) {
    const bool extend = (shift & keys::kShiftMask) != 0;
    switch (key_code) {
    case keys::kDelete: ChangedIf(edit_.DeleteForward()); return;
    case keys::kHome: edit_.MoveCaret(TextEdit::Move::Home, extend); break;
    case keys::kEnd: edit_.MoveCaret(TextEdit::Move::End, extend); break;
    case keys::kLeft: edit_.MoveCaret(TextEdit::Move::Left, extend); break;
    case keys::kRight: edit_.MoveCaret(TextEdit::Move::Right, extend); break;
    default: return;
    }
    NoteVisualChange();
}

void TextBox::ApplyKeyPress(std::int16_t ascii) {
    std::string* clipboard = Clipboard();
    switch (ascii) {
    case keys::kBackspace: ChangedIf(edit_.Backspace()); return;
    case keys::kCopy:
        if (clipboard && edit_.SelLength() > 0) *clipboard = edit_.SelText();
        return;
    case keys::kCut:
        if (!clipboard || edit_.SelLength() == 0) return;
        *clipboard = edit_.SelText();
        ChangedIf(edit_.ReplaceSelection({}));
        return;
    case keys::kPaste:
        if (clipboard) ChangedIf(edit_.ReplaceSelection(*clipboard));
        return;
    default: break;
    }
    // Other control characters (Enter included) are not text in a one-line box.
    if (ascii > 0 && ascii < 32) return;
    const char c = static_cast<char>(static_cast<unsigned char>(ascii & 0xFF));
    ChangedIf(edit_.ReplaceSelection(std::string_view(&c, 1)));
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
    ChangedIf(edit_.ReplaceSelection(text));
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
