#include "platform/runtime/like.h"

#include <vector>

#include "platform/runtime/automation_error.h"

namespace ov {

namespace {

// One pattern element; every kind but Star consumes exactly one character, which is what
// lets the matcher below backtrack to the last star only.
struct Element {
    enum Kind { Literal, AnyChar, Digit, Star, List } kind = Literal;
    unsigned char literal = 0;
    bool negated = false;
    std::vector<std::pair<unsigned char, unsigned char>> ranges;

    bool Matches(unsigned char c) const {
        switch (kind) {
            case Literal: return c == literal;
            case AnyChar: return true;
            case Digit: return c >= '0' && c <= '9';
            case List: {
                bool in = false;
                for (const auto& [low, high] : ranges)
                    if (c >= low && c <= high) in = true;
                return in != negated;
            }
            case Star: return false;
        }
        return false;
    }
};

bool Compile(std::string_view pattern, std::vector<Element>& out) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(pattern[i]);
        Element e;
        if (c == '?') {
            e.kind = Element::AnyChar;
        } else if (c == '*') {
            if (!out.empty() && out.back().kind == Element::Star) continue;
            e.kind = Element::Star;
        } else if (c == '#') {
            e.kind = Element::Digit;
        } else if (c == '[') {
            const std::size_t close = pattern.find(']', i + 1);
            if (close == std::string_view::npos) return false;
            std::string_view list = pattern.substr(i + 1, close - i - 1);
            i = close;
            if (list.empty()) continue;  // "[]" matches the empty string
            e.kind = Element::List;
            if (list[0] == '!') {
                e.negated = true;
                list.remove_prefix(1);
            }
            for (std::size_t k = 0; k < list.size(); ++k) {
                const unsigned char low = static_cast<unsigned char>(list[k]);
                // A '-' between two characters makes a range; first or last it is itself.
                if (k + 2 < list.size() && list[k + 1] == '-') {
                    const unsigned char high = static_cast<unsigned char>(list[k + 2]);
                    if (high < low) return false;
                    e.ranges.emplace_back(low, high);
                    k += 2;
                } else {
                    e.ranges.emplace_back(low, low);
                }
            }
        } else {
            e.literal = c;
        }
        out.push_back(std::move(e));
    }
    return true;
}

}  // namespace

LikeResult MatchLike(std::string_view text, std::string_view pattern) {
    std::vector<Element> elements;
    if (!Compile(pattern, elements)) return LikeResult::BadPattern;
    std::size_t t = 0, p = 0;
    std::size_t star = std::string_view::npos, star_text = 0;
    while (t < text.size()) {
        if (p < elements.size() && elements[p].kind == Element::Star) {
            star = p++;
            star_text = t;
        } else if (p < elements.size() && elements[p].Matches(static_cast<unsigned char>(text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++star_text;
        } else {
            return LikeResult::NoMatch;
        }
    }
    while (p < elements.size() && elements[p].kind == Element::Star) ++p;
    return p == elements.size() ? LikeResult::Match : LikeResult::NoMatch;
}

bool Like(std::string_view text, std::string_view pattern) {
    const LikeResult result = MatchLike(text, pattern);
    if (result == LikeResult::BadPattern) throw AutomationError(error::kInvalidPatternString);
    return result == LikeResult::Match;
}

}  // namespace ov
