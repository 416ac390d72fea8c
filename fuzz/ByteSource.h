// The fuzzer's input bytes, read front to back as small choices and raw words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzzing {

class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Whether every byte has been read.
    bool exhausted() const { return position_ >= size_; }

    // The next byte; 0 once the input is exhausted, so reads past the end are harmless.
    std::uint8_t byte() { return exhausted() ? 0 : data_[position_++]; }

    // A choice from 0 to `count` - 1 (0 for a count of 0).
    std::size_t choose(std::size_t count) { return count == 0 ? 0 : byte() % count; }

    // True with a chance of one in `odds`.
    bool oneIn(unsigned odds) { return byte() % odds == 0; }

    // The next `sizeof(Value)` bytes as a little-endian value, zero-padded at the end.
    template <typename Value> Value raw() {
        unsigned char bytes[sizeof(Value)] = {};
        for (unsigned char& part : bytes) {
            part = byte();
        }
        Value value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

} // namespace fuzzing
