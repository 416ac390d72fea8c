// Text: an owned, exactly sized, NUL-terminated run of 8-bit characters.
//
// A live Text always owns one heap buffer of exactly length() + 1 bytes whose last byte is NUL,
// so chars() can be lent to the host at any moment. Every change allocates the new exact size,
// fills it and only then frees the old buffer; copies never share a buffer. An allocation that
// fails throws std::bad_alloc and leaves the value as it was.
#pragma once

#include <cstdint>

namespace tarnwick {

class Text {
public:
    // The empty text: a one-byte buffer holding the NUL.
    Text();
    // A copy of the bytes of `string` before its first NUL; a null address gives the empty text.
    explicit Text(const char* string);
    // The decimal form of a signed 32-bit value.
    explicit Text(std::int32_t value);
    // An independent copy with a buffer of its own.
    Text(const Text& other);
    // Takes over the other's buffer; the other is left the empty text (this allocates its byte).
    Text(Text&& other);
    ~Text();

    // Replaces the characters with a copy of the other's; the old buffer goes only on success.
    Text& operator=(const Text& other);
    // Exchanges buffers with the other, which stays a valid text.
    Text& operator=(Text&& other) noexcept;

    // Adds `count` bytes from `bytes` after the characters. `bytes` may lie inside this text.
    void append(const char* bytes, std::uint32_t count);
    // Adds `count` bytes from `bytes` before the characters. `bytes` may lie inside this text.
    void prepend(const char* bytes, std::uint32_t count);
    // Replaces the characters with `count` bytes from `bytes`, which must not lie inside this text.
    void assign(const char* bytes, std::uint32_t count);

    // The NUL-terminated characters; never null. Valid until the next change or destruction.
    const char* chars() const { return characters_; }
    // The number of characters, the NUL not counted.
    std::uint32_t length() const { return length_; }

private:
    Text(char* characters, std::uint32_t length);

    // A buffer of `length` + 1 bytes holding `first`, then `second`, then `third`, then NUL.
    static char* joinedBuffer(const char* first, std::uint32_t firstCount, const char* second,
                              std::uint32_t secondCount, const char* third = nullptr,
                              std::uint32_t thirdCount = 0);
    friend Text operator+(const Text& left, const char* right);
    friend Text operator+(const char* left, const Text& right);
    friend Text joinAround(const char* opening, const char* middle, std::uint32_t middleCount,
                           const char* closing);

    char* characters_;
    std::uint32_t length_;
};

// The text's characters followed by the bytes of `right` before its NUL (none for null).
Text operator+(const Text& left, const char* right);
// The bytes of `left` before its NUL (none for null) followed by the text's characters.
Text operator+(const char* left, const Text& right);

// The bytes of `opening` before its NUL, then `middleCount` bytes of `middle`, then the bytes of
// `closing` before its NUL, as one new text built with a single exact-size allocation. A null
// `opening` or `closing` counts as empty; `middle` may be null only when `middleCount` is 0.
Text joinAround(const char* opening, const char* middle, std::uint32_t middleCount,
                const char* closing);

} // namespace tarnwick
