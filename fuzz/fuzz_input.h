#pragma once
// Splits a fuzzer input into a mask and a text at the first NUL byte (the mask first), so one
// corpus entry drives both.
#include <cstddef>
#include <cstdint>
#include <string_view>

inline void SplitInput(const std::uint8_t* data, std::size_t size, std::string_view& mask, std::string_view& text) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = all.find('\0');
    mask = all.substr(0, split);
    text = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
}
