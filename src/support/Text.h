// Text: an owned, exactly sized, NUL-terminated run of 8-bit characters.
//
// A present Text owns one heap buffer of exactly length() + 1 bytes whose last byte is NUL, so
// chars() can be lent to the host at any moment. A Text whose buffer could not be allocated is
// absent: it owns nothing, says so through present(), and reads as the empty text. Every change
// allocates the new exact size, fills it and only then frees the old buffer, and reports whether
// it succeeded; on failure the value is left as it was. Copies never share a buffer.
#pragma once

#include <cassert>
#include <cstdint>

namespace tarnwick {

class Text {
public:
    // The empty text: a one-byte buffer holding the NUL; absent when that byte cannot be had.
    Text();
    // A copy of the bytes of `string` before its first NUL; a null address gives the empty text.
    // Absent when the buffer cannot be had.
    explicit Text(const char* string);
    // The decimal form of a signed 32-bit value; absent when the buffer cannot be had.
    explicit Text(std::int32_t value);
    // An independent copy with a buffer of its own; absent when that buffer cannot be had.
    Text(const Text& other);
    // Takes over the other's buffer and leaves the other the empty text, which allocates its
    // byte. When that byte cannot be had, this text is absent and the other keeps its value.
    Text(Text&& other);
    ~Text();

    // Copying is `assign`, which can report failure.
    Text& operator=(const Text& other) = delete;
    // Exchanges buffers with the other, which stays a valid text; never allocates.
    Text& operator=(Text&& other) noexcept;

    // Whether the text owns its buffer; false only for a text whose allocation failed.
    bool present() const { return characters_ != AbsentCharacters; }

    // Adds `count` bytes from `bytes` after the characters. `bytes` may lie inside this text.
    // False, with the value unchanged, when the new buffer cannot be had.
    bool append(const char* bytes, std::uint32_t count);
    // Adds `count` bytes from `bytes` before the characters. `bytes` may lie inside this text.
    // False, with the value unchanged, when the new buffer cannot be had.
    bool prepend(const char* bytes, std::uint32_t count);
    // Replaces the characters with `count` bytes from `bytes`, which may lie inside this text.
    // False, with the value unchanged, when the new buffer cannot be had.
    bool assign(const char* bytes, std::uint32_t count);
    // Replaces the characters with a copy of the other's (nothing to do for itself). False, with
    // the value unchanged, when the new buffer cannot be had.
    bool assign(const Text& other);

    // The NUL-terminated characters; never null ("" for an absent text). Valid until the next
    // change or destruction.
    const char* chars() const { return characters_; }
    // The number of characters, the NUL not counted; 0 for an absent text.
    std::uint32_t length() const {
        assert(present() || length_ == 0);
        return length_;
    }

private:
    Text(char* characters, std::uint32_t length);

    // A buffer of the three counts added up + 1 bytes holding `first`, then `second`, then
    // `third`, then NUL; null when it cannot be had or the length would not fit 32 bits.
    static char* joinedBuffer(const char* first, std::uint32_t firstCount, const char* second,
                              std::uint32_t secondCount, const char* third = nullptr,
                              std::uint32_t thirdCount = 0);
    // Frees the current buffer and takes `buffer`, of `length` characters, in its place; false,
    // with nothing changed, when `buffer` is null.
    bool replaceBuffer(char* buffer, std::uint32_t length);
    friend Text operator+(const Text& left, const char* right);
    friend Text operator+(const char* left, const Text& right);
    friend Text joinAround(const char* opening, const char* middle, std::uint32_t middleCount,
                           const char* closing);

    // What an absent text's characters are: one shared NUL that is never written or freed, so
    // chars() needs no test of its own.
    static char AbsentCharacters[1];

    char* characters_;
    std::uint32_t length_;
};

// The text's characters followed by the bytes of `right` before its NUL (none for null); absent
// when the buffer cannot be had.
Text operator+(const Text& left, const char* right);
// The bytes of `left` before its NUL (none for null) followed by the text's characters; absent
// when the buffer cannot be had.
Text operator+(const char* left, const Text& right);

// The bytes of `opening` before its NUL, then `middleCount` bytes of `middle`, then the bytes of
// `closing` before its NUL, as one new text built with a single exact-size allocation; absent
// when that allocation fails. A null `opening` or `closing` counts as empty; `middle` may be null
// only when `middleCount` is 0.
Text joinAround(const char* opening, const char* middle, std::uint32_t middleCount,
                const char* closing);

} // namespace tarnwick
