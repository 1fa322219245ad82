#pragma once
// Reads a fuzzer input front to back, one decision at a time; past its end every read is 0, so
// any input is a complete sequence.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    bool done() const { return at >= size; }
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    // sizeof(T) bytes as they lie in memory.
    template <typename T>
    T Raw() {
        std::uint8_t bytes[sizeof(T)] = {};
        for (std::uint8_t& b : bytes) b = Byte();
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    template <typename T>
    const T& Pick(const std::vector<T>& from) {
        return from[Byte() % from.size()];
    }
};
