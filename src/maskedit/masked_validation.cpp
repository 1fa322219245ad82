// The validation side of OVMaskedTextBox: the keystroke and Delete checks on the candidate
// text, recolouring after every change, the reaction when the focus leaves an invalid text,
// the Mask and InputFormat puts, and Text and Value in the three formats.
#include <optional>

#include "maskedit/keystroke_candidate.h"
#include "maskedit/mask_engine.h"
#include "maskedit/masked_text_box.h"
#include "maskedit/numeric_matcher.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/format.h"
#include "platform/runtime/value_ops.h"

namespace ov::maskedit {

namespace {

// The member InputFormat() hides the enumeration inside the class.
using Fmt = InputFormat;

constexpr std::int16_t kEnter = 13;

int Format(std::int32_t format) { return static_cast<int>(format); }

bool IsFormat(std::int32_t format, Fmt which) { return format == static_cast<std::int32_t>(which); }

std::string WithoutLeadingMinus(std::string_view mask) {
    return std::string(!mask.empty() && mask.front() == '-' ? mask.substr(1) : mask);
}

// The optional mask argument of Value: missing and "" both mean none.
std::string MaskArgument(const Variant& mask) { return mask.IsMissing() || mask.IsEmpty() ? "" : CStr(mask); }

// A value Value's numeric put takes as a number: numeric types and numeric text, not dates.
bool IsNumericValue(const Variant& v) {
    if (v.type() == VarType::Date) return false;
    if (v.type() == VarType::String) return IsNumericText(CStr(v));
    return v.IsNumeric();
}

}  // namespace

// The clock and the locale's month and weekday names are read at every use, so a change of
// either shows at the next match.
const MaskContext& OVMaskedTextBox::Context() {
    context_ = MaskContext::Current();
    return context_;
}

bool OVMaskedTextBox::CheckText(std::string_view text, std::string_view mask) {
    const TextValidity result = IsTextValid(text, mask, Format(input_format_), Context());
    if (result.date) stored_date_ = *result.date;
    return result.valid;
}

bool OVMaskedTextBox::IsPartial(std::string_view candidate) {
    return IsPartialTextValid(candidate, mask_, Format(input_format_), Context());
}

// With no mask in the text format every keystroke passes and every text is valid, so neither
// the candidate nor the text is looked at: a keystroke costs the same whatever the text's
// length. Any other mask judges the whole candidate and the whole text on every keystroke.
bool OVMaskedTextBox::JudgesNothing() const { return IsFormat(input_format_, Fmt::Text) && mask_.empty(); }

void OVMaskedTextBox::Recolour() {
    txt_.SetForeColor(JudgesNothing() || CheckText(txt_.Text(), mask_) ? kValidColour : kInvalidColour);
}

// Every key that changes the text is judged by the text it would leave: Delete (with or
// without Shift) by its candidate, the other KeyDown edits (Shift+Insert pastes) by what the
// box would make of them.
void OVMaskedTextBox::OnKeyDown(std::vector<Variant>& args) {
    if (!JudgesNothing()) {
        const std::int16_t code = CInt(args[0]);
        bool refused = false;
        if (code == host::keys::kDelete) {
            refused = !IsPartial(DeleteCandidate(txt_.Text(), txt_.SelStart(), txt_.SelLength()));
        } else if (const std::optional<std::string> after = txt_.TextAfterKeyDown(code, CInt(args[1]))) {
            refused = !IsPartial(*after);
        }
        if (refused) args[0] = Variant::FromInteger(0);
    }
    RaiseEvent("KeyDown", args);
}

// A KeyPress is judged with its character inserted at the caret, control characters included
// (Enter always passes). Where the box would make another edit of it — Ctrl+V pastes, Ctrl+X
// cuts — that edit's text must pass as well.
void OVMaskedTextBox::OnKeyPress(std::vector<Variant>& args) {
    const std::int16_t ascii = CInt(args[0]);
    if (!JudgesNothing()) {
        const std::string candidate = KeyPressCandidate(txt_.Text(), txt_.SelStart(), txt_.SelLength(), ascii);
        bool refused = ascii != kEnter && !IsPartial(candidate);
        if (!refused) {
            const std::optional<std::string> after = txt_.TextAfterKeyPress(ascii);
            refused = after && *after != candidate && !IsPartial(*after);
        }
        if (refused) args[0] = Variant::FromInteger(0);
    }
    RaiseEvent("KeyPress", args);
}

void OVMaskedTextBox::ReactToLostFocus() {
    if (!CheckText(txt_.Text(), mask_)) {
        switch (on_invalid_entry_) {
            case kKeepFocus:
                txt_.SetFocus();
                if (site()) site()->ProcessPendingMessages();
                break;
            case kFocusSelect:
                txt_.SetFocus();
                txt_.DragSelect(0, static_cast<int>(txt_.Text().size()));
                if (site()) site()->ProcessPendingMessages();
                break;
            default:
                // The text is marked invalid, so this empties the field (recolouring it, Change).
                txt_.SetText(Text());
                break;
        }
        RaiseEvent("InvalidEntry");
        return;
    }
    if (IsFormat(input_format_, Fmt::Numeric)) txt_.SetText(Text());
}

// --- Mask and InputFormat -------------------------------------------------------------------------

void OVMaskedTextBox::SetMask(const std::string& mask) {
    if (!IsMaskValid(mask, Format(input_format_), Context())) throw AutomationError(error::kInvalidPatternString);
    if (!CheckText(txt_.Text(), mask)) {
        txt_.SetForeColor(kInvalidColour);
        throw AutomationError(error::kInvalidPropertyValue);
    }
    mask_ = mask;
    NotifyChanged(kMask);
    txt_.SetForeColor(kValidColour);
}

void OVMaskedTextBox::SetInputFormat(std::int32_t format) {
    stored_date_ = 0;
    input_format_ = format;
    if (IsFormat(format, Fmt::Numeric) && !IsNumericText(txt_.Text())) SetText("");
    if (!CheckText(txt_.Text(), mask_)) SetMask("");
    NotifyChanged(kInputFormat);
}

// --- Text ---------------------------------------------------------------------------------------

std::string OVMaskedTextBox::Text() {
    if (txt_.ForeColor() == kInvalidColour) return "";
    switch (static_cast<Fmt>(input_format_)) {
        case Fmt::Text:
        case Fmt::Date: return txt_.Text();
        case Fmt::Numeric: {
            const std::string text = NormaliseNumericText(txt_.Text());
            return IsNumericText(text) ? CanonicalNumberText(NumericTextValue(text)) : "";
        }
    }
    return "";
}

void OVMaskedTextBox::PutTextAndNotify(std::string_view text) {
    txt_.SetText(text);
    NotifyChanged(kText);
}

void OVMaskedTextBox::SetText(const std::string& text) {
    if (text.empty()) return PutTextAndNotify("");
    if (IsFormat(input_format_, Fmt::Numeric)) return SetNumericText(text);
    // The check runs (and, for dates, stores what it found) whether or not the text is taken.
    if (!CheckText(text, mask_)) throw AutomationError(error::kInvalidPropertyValue);
    PutTextAndNotify(text);
}

void OVMaskedTextBox::SetNumericText(const std::string& text) {
    if (!IsNumericText(text)) throw AutomationError(error::kInvalidPropertyValue);
    const double value = NumericTextValue(text);
    if (mask_.empty()) return PutTextAndNotify(CanonicalNumberText(value));
    // A mask the format refuses (one loaded from a bag) accepts no number.
    if (!IsMaskValid(mask_, Format(input_format_), Context())) throw AutomationError(error::kInvalidPropertyValue);
    std::string candidate = "0";
    if (value != 0) {
        // Rounded to the mask's decimals; a mask that rounds the value to nothing leaves a text
        // that is no number, which fails to convert back.
        const std::string formatted = FormatNumber(value, WithoutLeadingMinus(mask_));
        if (!IsNumericText(formatted)) throw AutomationError(error::kTypeMismatch);
        candidate = CanonicalNumberText(NumericTextValue(formatted));
    }
    if (!CheckText(candidate, mask_)) throw AutomationError(error::kInvalidPropertyValue);
    PutTextAndNotify(candidate);
}

// --- Value --------------------------------------------------------------------------------------

Variant OVMaskedTextBox::Value(const Variant& mask_argument) {
    const std::string mask = MaskArgument(mask_argument);
    switch (static_cast<Fmt>(input_format_)) {
        case Fmt::Text:
            if (mask.empty()) return Variant::FromString(txt_.Text());
            if (mask != mask_) throw AutomationError(error::kInvalidPropertyValue);
            return Variant::FromString(Text());
        case Fmt::Numeric: {
            const std::string text = Text();
            if (text.empty()) throw AutomationError(error::kTypeMismatch);
            const double value = NumericTextValue(text);
            if (mask.empty()) return Variant::FromDouble(value);
            return Variant::FromString(FormatNumber(value, WithoutLeadingMinus(mask)));
        }
        case Fmt::Date: {
            if (mask.empty()) return Variant::FromDate(stored_date_);
            const std::optional<std::string> text = FormatDate(stored_date_, mask);
            if (!text) throw AutomationError(error::kInvalidProcedureCall);
            return Variant::FromString(*text);
        }
    }
    return Variant();
}

void OVMaskedTextBox::SetValue(const Variant& mask_argument, const Variant& value) {
    const std::string mask = MaskArgument(mask_argument);
    switch (static_cast<Fmt>(input_format_)) {
        case Fmt::Text:
            if (!mask.empty() && mask != mask_) throw AutomationError(error::kInvalidPropertyValue);
            return SetText(CStr(value));
        case Fmt::Numeric:
            if (mask.empty()) return SetText(CStr(value));
            if (!IsNumericValue(value)) throw AutomationError(error::kInvalidPropertyValue);
            return SetText(CanonicalNumberText(CDbl(value)));
        case Fmt::Date: {
            double date = 0;
            if (value.type() == VarType::Date) {
                if (mask_.empty()) return SetText(CStr(value));
                date = CDate(value);
            } else if (!mask.empty()) {
                date = ParseMaskedDate(CStr(value), mask, Context()).date;
            } else {
                return SetText(CStr(value));
            }
            const std::optional<std::string> text = FormatDate(date, mask_);
            if (!text) throw AutomationError(error::kInvalidPropertyValue);
            return SetText(*text);
        }
    }
}

}  // namespace ov::maskedit
