#include "shell/utf8_output.h"

#include <string>

#include "platform/codepage/windows1252.h"

namespace ov::shell {

Utf8OutputBuffer::int_type Utf8OutputBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize Utf8OutputBuffer::xsputn(const char* text, std::streamsize count) {
    if (!target_) return 0;
    const std::string utf8 = codepage::Windows1252ToUtf8(std::string_view(text, static_cast<std::size_t>(count)));
    const auto size = static_cast<std::streamsize>(utf8.size());
    return target_->sputn(utf8.data(), size) == size ? count : 0;
}

int Utf8OutputBuffer::sync() { return target_ ? target_->pubsync() : -1; }

}  // namespace ov::shell
