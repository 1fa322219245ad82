#pragma once
// The editing model of the host's single-line text box: the text, the caret and selection, and
// the edits a user makes, with no drawing and no events. The selection is kept as an anchor and
// a caret (the end that moves); SelStart/SelLength are read from them. MaxLength cuts whatever
// would make the text longer (0: no limit). Words are runs of characters other than blanks; a
// word move or a double click takes the blanks after a word with it, as the platform's edit
// fields do.
#include <string>
#include <string_view>

namespace ov::host {

class TextEdit {
public:
    enum class Move { Home, End, Left, Right, WordLeft, WordRight };

    const std::string& text() const { return text_; }
    int length() const { return static_cast<int>(text_.size()); }
    int SelStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    int SelLength() const { return caret_ < anchor_ ? anchor_ - caret_ : caret_ - anchor_; }
    int caret() const { return caret_; }
    std::string SelText() const { return text_.substr(SelStart(), SelLength()); }

    int MaxLength() const { return max_length_; }
    // Applies to later edits; a text already longer stays as it is. Callers refuse negatives.
    void SetMaxLength(int max_length) { max_length_ = max_length; }

    // A program write: the text cut to MaxLength, the caret at 0 with nothing selected.
    // Returns whether the text changed.
    bool SetText(std::string_view text);
    // Selection as a program or a mouse drag sets it: the start clamped to the text, the
    // length to what follows it (callers refuse negatives). The caret ends at start + length.
    void Select(int start, int length);
    // Replaces the selection by `text` (as much of it as MaxLength leaves room for); the caret
    // follows the inserted part. Returns whether the text changed.
    bool ReplaceSelection(std::string_view text);
    // Backspace: the selection, or the character before the caret.
    bool Backspace();
    // Delete: the selection, or the character after the caret.
    bool DeleteForward();
    // Caret movement; `extend` keeps the anchor (Shift held). Without it a selection collapses
    // to its left edge (Left, Home) or right edge (Right, End) first. WordLeft goes to the start
    // of the word before the caret (or the one it is in), WordRight past the word the caret is
    // in and the blanks after it.
    void MoveCaret(Move move, bool extend);
    // The caret to `position` (clamped), as a click puts it; `extend` keeps the anchor.
    void PlaceCaret(int position, bool extend);
    void SelectAll() { Select(0, length()); }
    // The word holding character `index` (clamped) with the blanks after it; on blanks, from the
    // start of the word before them to their end.
    void SelectWordAt(int index);

    // Where the word moves go from `position`.
    int WordStart(int position) const;
    int WordEnd(int position) const;

private:
    void Collapse(int at) { caret_ = anchor_ = at; }

    std::string text_;
    int anchor_ = 0;
    int caret_ = 0;
    int max_length_ = 0;
};

}  // namespace ov::host
