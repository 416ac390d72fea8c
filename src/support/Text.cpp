#include "support/Text.h"

#include "support/Allocation.h"
#include "support/NumberFormat.h"

#include <cstring>
#include <limits>
#include <utility>

namespace tarnwick {

namespace {

// Longest text: its length and the NUL must fit the 32-bit length and the size of a buffer.
constexpr std::uint32_t MostCharacters = std::numeric_limits<std::uint32_t>::max() - 1;

// Length of a NUL-terminated string as a text length; a null address counts as empty. A string
// too long for a text gives a length above `MostCharacters`, which no buffer is made for.
std::uint32_t stringLength(const char* string) {
    if (string == nullptr) {
        return 0;
    }
    const std::size_t length = std::strlen(string);
    // Only a string of 4 GiB or more gets here, which no test can afford to make: left out of the
    // coverage count.
    // GCOVR_EXCL_START
    if (length > MostCharacters) {
        return MostCharacters + 1;
    }
    // GCOVR_EXCL_STOP
    return static_cast<std::uint32_t>(length);
}

// Copies `count` bytes; a count of 0 never touches either address.
void copyBytes(char* target, const char* source, std::uint32_t count) {
    if (count != 0) {
        std::memcpy(target, source, count);
    }
}

} // namespace

char Text::AbsentCharacters[1] = {'\0'};

Text::Text(char* characters, std::uint32_t length)
    : characters_(characters != nullptr ? characters : AbsentCharacters),
      length_(characters != nullptr ? length : 0) {}

char* Text::joinedBuffer(const char* first, std::uint32_t firstCount, const char* second,
                         std::uint32_t secondCount, const char* third, std::uint32_t thirdCount) {
    if (firstCount > MostCharacters || secondCount > MostCharacters - firstCount ||
        thirdCount > MostCharacters - firstCount - secondCount) {
        return nullptr;
    }
    const std::uint32_t length = firstCount + secondCount + thirdCount;
    char* buffer = allocateBytesOrNull(static_cast<std::size_t>(length) + 1);
    if (buffer == nullptr) {
        return nullptr;
    }
    copyBytes(buffer, first, firstCount);
    copyBytes(buffer + firstCount, second, secondCount);
    copyBytes(buffer + firstCount + secondCount, third, thirdCount);
    buffer[length] = '\0';
    return buffer;
}

bool Text::replaceBuffer(char* buffer, std::uint32_t length) {
    if (buffer == nullptr) {
        return false;
    }
    if (present()) {
        releaseBytes(characters_);
    }
    characters_ = buffer;
    length_ = length;
    return true;
}

Text::Text() : Text(joinedBuffer(nullptr, 0, nullptr, 0), 0) {}

Text::Text(const char* string) : characters_(AbsentCharacters), length_(0) {
    const std::uint32_t length = stringLength(string);
    replaceBuffer(joinedBuffer(string, length, nullptr, 0), length);
}

Text::Text(std::int32_t value) : characters_(AbsentCharacters), length_(0) {
    // Takes the formatted buffer over directly: a move would allocate an empty buffer to leave
    // behind, and the temporary can be left with none since it is destroyed right here.
    Text formatted = formatInteger(static_cast<std::uint32_t>(value), 10, 0, true);
    std::swap(characters_, formatted.characters_);
    std::swap(length_, formatted.length_);
}

Text::Text(const Text& other)
    : Text(joinedBuffer(other.characters_, other.length_, nullptr, 0), other.length_) {}

Text::Text(Text&& other) : Text() {
    if (present()) {
        std::swap(characters_, other.characters_);
        std::swap(length_, other.length_);
    }
}

Text::~Text() {
    if (present()) {
        releaseBytes(characters_);
    }
}

Text& Text::operator=(Text&& other) noexcept {
    std::swap(characters_, other.characters_);
    std::swap(length_, other.length_);
    return *this;
}

bool Text::append(const char* bytes, std::uint32_t count) {
    return replaceBuffer(joinedBuffer(characters_, length_, bytes, count), length_ + count);
}

bool Text::prepend(const char* bytes, std::uint32_t count) {
    return replaceBuffer(joinedBuffer(bytes, count, characters_, length_), length_ + count);
}

bool Text::assign(const char* bytes, std::uint32_t count) {
    return replaceBuffer(joinedBuffer(bytes, count, nullptr, 0), count);
}

bool Text::assign(const Text& other) {
    if (this == &other) {
        return true;
    }
    return replaceBuffer(joinedBuffer(other.characters_, other.length_, nullptr, 0), other.length_);
}

Text operator+(const Text& left, const char* right) {
    const std::uint32_t rightLength = stringLength(right);
    return Text(Text::joinedBuffer(left.characters_, left.length_, right, rightLength),
                left.length_ + rightLength);
}

Text operator+(const char* left, const Text& right) {
    const std::uint32_t leftLength = stringLength(left);
    return Text(Text::joinedBuffer(left, leftLength, right.characters_, right.length_),
                leftLength + right.length_);
}

Text joinAround(const char* opening, const char* middle, std::uint32_t middleCount,
                const char* closing) {
    const std::uint32_t openingLength = stringLength(opening);
    const std::uint32_t closingLength = stringLength(closing);
    char* buffer =
        Text::joinedBuffer(opening, openingLength, middle, middleCount, closing, closingLength);
    return Text(buffer, openingLength + middleCount + closingLength);
}

} // namespace tarnwick
