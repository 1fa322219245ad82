#pragma once
// The text-pattern rules of the mask engine (input format Text): the wildcard language of the
// platform's Like, anchored at both ends and case-sensitive.
#include <string_view>

namespace ov::maskedit {

// Valid unless some "[" has no "]" after it. A "]" without "[" is an ordinary character.
bool IsPatternMaskValid(std::string_view mask);

// The whole text matches the whole pattern. A pattern the matcher cannot read (a descending
// range such as [z-a]) matches nothing.
bool MatchesPattern(std::string_view text, std::string_view mask);

// How many leading characters of the mask a text being typed is checked against: one pattern
// token per text character (a bracket group is one token), the whole mask once the text is as
// long as the mask's tokens.
std::size_t PartialPatternLength(std::string_view text, std::string_view mask);

}  // namespace ov::maskedit
