#include "host/contract/text_edit.h"

#include <algorithm>

namespace ov::host {

bool TextEdit::SetText(std::string_view text) {
    if (max_length_ > 0 && static_cast<int>(text.size()) > max_length_) text = text.substr(0, max_length_);
    const bool changed = text != text_;
    text_.assign(text);
    Collapse(0);
    return changed;
}

void TextEdit::Select(int start, int length) {
    start = std::clamp(start, 0, this->length());
    length = std::clamp(length, 0, this->length() - start);
    anchor_ = start;
    caret_ = start + length;
}

bool TextEdit::ReplaceSelection(std::string_view text) {
    const int start = SelStart(), removed = SelLength();
    if (max_length_ > 0) {
        const int room = std::max(0, max_length_ - (length() - removed));
        if (static_cast<int>(text.size()) > room) text = text.substr(0, room);
    }
    if (removed == 0 && text.empty()) return false;
    const bool changed = text_.compare(start, removed, text) != 0;
    text_.replace(start, removed, text);
    Collapse(start + static_cast<int>(text.size()));
    return changed;
}

bool TextEdit::Backspace() {
    if (SelLength() == 0) {
        if (caret_ == 0) return false;
        anchor_ = caret_ - 1;
    }
    return ReplaceSelection({});
}

bool TextEdit::DeleteForward() {
    if (SelLength() == 0) {
        if (caret_ == length()) return false;
        anchor_ = caret_ + 1;
    }
    return ReplaceSelection({});
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int TextEdit::WordStart(int position) const {
    int at = std::clamp(position, 0, length());
    while (at > 0 && IsBlank(text_[at - 1])) --at;
    while (at > 0 && !IsBlank(text_[at - 1])) --at;
    return at;
}

int TextEdit::WordEnd(int position) const {
    int at = std::clamp(position, 0, length());
    while (at < length() && !IsBlank(text_[at])) ++at;
    while (at < length() && IsBlank(text_[at])) ++at;
    return at;
}

void TextEdit::PlaceCaret(int position, bool extend) {
    caret_ = std::clamp(position, 0, length());
    if (!extend) anchor_ = caret_;
}

void TextEdit::SelectWordAt(int index) {
    if (text_.empty()) return Collapse(0);
    index = std::clamp(index, 0, length() - 1);
    anchor_ = WordStart(index + 1);
    caret_ = WordEnd(index);
}

void TextEdit::MoveCaret(Move move, bool extend) {
    int to = caret_;
    switch (move) {
        case Move::WordLeft: to = WordStart(caret_); break;
        case Move::WordRight: to = WordEnd(caret_); break;
        case Move::Home: to = 0; break;
        case Move::End: to = length(); break;
        case Move::Left:
            if (!extend && SelLength() > 0) to = SelStart();
            else to = std::max(0, caret_ - 1);
            break;
        case Move::Right:
            if (!extend && SelLength() > 0) to = SelStart() + SelLength();
            else to = std::min(length(), caret_ + 1);
            break;
    }
    caret_ = to;
    if (!extend) anchor_ = to;
}

}  // namespace ov::host
