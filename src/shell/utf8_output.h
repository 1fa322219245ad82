#pragma once
// The shell's output leaves the library as UTF-8: a stream buffer that takes the library's
// Windows-1252 text and hands it on, converted byte by byte, to the buffer of the stream the
// shell was given (a terminal, a file, a test's string stream).
#include <streambuf>

namespace ov::shell {

class Utf8OutputBuffer : public std::streambuf {
public:
    explicit Utf8OutputBuffer(std::streambuf* target) : target_(target) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    std::streambuf* target_;
};

}  // namespace ov::shell
