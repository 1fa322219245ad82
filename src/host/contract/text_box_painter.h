#pragma once
// Draws the host's text box on a device context: its frame (3-D sunken, flat single line or
// none), background, text in its alignment scrolled to keep the caret in view, the selection in
// the highlight colours while focused, and the caret. Every object it creates is deleted before
// it returns.
#include "host/contract/font_attributes.h"
#include "platform/gdi/gdi.h"

namespace ov::host {

class TextBox;

// Pixels of one line of `font` plus the frame and the margins above and below the text.
int TextBoxLineHeight(const FontAttributes& font, bool bordered);

// The frame's thickness: 2 for a 3-D fixed-single box, 1 for a flat one, 0 without a border.
int TextBoxFrameWidth(int appearance, int border_style);

// The horizontal scroll that keeps `caret_x` inside a view `view_width` wide, starting from the
// previous scroll: unchanged while the caret shows, just enough to bring it back otherwise, and
// never past what the text needs.
int ScrollToCaret(int previous, int caret_x, int text_width, int view_width);

// Paints `box` with its top-left corner at (x, y), `width` x `height` pixels, and records the
// scroll it used in the box.
void PaintTextBox(gdi::HDC dc, int x, int y, int width, int height, const TextBox& box);

// Where a pointer at `x` pixels from the left edge of `box`, `width` pixels wide, meets its
// text as last painted (alignment and scroll included): the character boundary nearest to it
// (a point right of a character's middle belongs to the boundary after it) and the character
// under it (the first or last one beyond the text's ends; 0 for an empty text).
struct TextHit {
    int boundary = 0;
    int character = 0;
};
TextHit HitTestTextBox(const TextBox& box, int width, int x);

}  // namespace ov::host
