#pragma once
// The shell's output text for values: what `?`, `bag`, `arg`, `inspect` and `event` lines show.
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/variant.h"

namespace ov::shell {

// Empty, Null, Nothing, True/False, integers in decimal, Single and Double as their shortest
// text, strings quoted with escapes, dates #YYYY-MM-DD HH:MM:SS#, objects Object(TYPENAME).
std::string FormatValue(const Variant& value);

// A string in double quotes: \" \\ \0 \t \n \r, and \xHH for every other control character
// (C0, DEL, and the bytes Windows-1252 leaves undefined, which stand for C1 controls).
std::string QuoteString(std::string_view text);

// The lines a host's notifications print as, without the newline:
// `event OBJECT.EVENT(ARG, ...)` with the arguments as raised, `changed OBJECT.PROPERTY`, and
// `form OPERATION` for what a control did to its form's window ("show", "hide", "state N").
std::string FormatEventLine(std::string_view object, std::string_view event, const std::vector<Variant>& args);
std::string FormatChangedLine(std::string_view object, std::string_view property);
std::string FormatFormLine(std::string_view operation);

// "RGB(r, g, b)" of a 0x00BBGGRR colour.
std::string FormatRgb(std::uint32_t colour_bgr);

}  // namespace ov::shell
