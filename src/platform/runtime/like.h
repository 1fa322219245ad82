#pragma once
// Wildcard pattern matching as the language's Like operator does it with binary comparison:
// `?` any one character, `*` any run, `#` one digit, `[list]` and `[!list]` with ascending
// ranges a-z, a `-` first or last standing for itself, and `*`, `?`, `#`, `[` literal inside a
// list. Characters compare by code (case-sensitive). The pattern must match the whole text.
#include <string_view>

namespace ov {

enum class LikeResult { Match, NoMatch, BadPattern };

// BadPattern for a `[` without a closing `]` or a descending range such as [z-a].
LikeResult MatchLike(std::string_view text, std::string_view pattern);

// The operator: throws AutomationError 93 (invalid pattern string) for a bad pattern.
bool Like(std::string_view text, std::string_view pattern);

}  // namespace ov
