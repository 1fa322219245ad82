#include "maskedit/keystroke_candidate.h"

#include <algorithm>

namespace ov::maskedit {

namespace {

constexpr int kBackspace = 8;

// The first `head` characters of t followed by its last `tail` characters, with `middle`
// between them.
std::string Splice(std::string_view t, int head, std::string_view middle, int tail) {
    const int length = static_cast<int>(t.size());
    head = std::clamp(head, 0, length);
    tail = std::clamp(tail, 0, length - head);
    std::string out(t.substr(0, head));
    out += middle;
    out += t.substr(t.size() - tail);
    return out;
}

}  // namespace

std::string KeyPressCandidate(std::string_view t, int s, int n, int key_ascii) {
    const int length = static_cast<int>(t.size());
    if (key_ascii != kBackspace) {
        const char c = static_cast<char>(static_cast<unsigned char>(key_ascii & 0xFF));
        return Splice(t, s, std::string_view(&c, 1), length - s - n);
    }
    if (n < 1 && s != 0) return Splice(t, s - 1, {}, length - s);
    return Splice(t, s, {}, length - s - n);
}

std::string DeleteCandidate(std::string_view t, int s, int n) {
    const int length = static_cast<int>(t.size());
    if (n > 0 || s == length) return Splice(t, s, {}, length - s - n);
    return Splice(t, s, {}, length - s - 1);
}

}  // namespace ov::maskedit
