#include "maskedit/pattern_matcher.h"

#include "platform/runtime/like.h"

namespace ov::maskedit {

bool IsPatternMaskValid(std::string_view mask) {
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '[') continue;
        const std::size_t close = mask.find(']', i + 1);
        if (close == std::string_view::npos) return false;
        i = close;
    }
    return true;
}

bool MatchesPattern(std::string_view text, std::string_view mask) { return MatchLike(text, mask) == LikeResult::Match; }

std::size_t PartialPatternLength(std::string_view text, std::string_view mask) {
    // k is the 1-based position of the last mask character taken so far.
    std::size_t k = 0;
    const std::size_t last = mask.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        ++k;
        if (k <= mask.size() && mask[k - 1] == '[') {
            while (k < last && mask[k - 1] != ']') ++k;
        }
        if (k >= last) return last;
    }
    return k;
}

}  // namespace ov::maskedit
