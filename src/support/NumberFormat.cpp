#include "support/NumberFormat.h"

namespace tarnwick {

namespace {

// The digit characters: the digit of value d is the character at position d.
constexpr char DigitAlphabet[] = "0123456789abcdefghijklmnopqrstuv";
// The largest radix the alphabet serves, and the widest zero padding.
constexpr std::uint32_t HighestRadix = 32;
constexpr std::uint32_t WidestPadding = 32;
// Room for the longest form: a sign and 32 digits (radix 2, or padding to 32).
constexpr std::uint32_t LongestForm = 1 + 32;

// Writes the form of `value` described at `formatInteger` backwards into the characters just
// before `end`, of which there must be `LongestForm`, and returns the first one written.
// `radix` must be 2 to 32 and `padding` at most 32.
inline char* writeInteger(char* end, std::uint32_t value, std::uint32_t radix,
                          std::uint32_t padding, bool isSigned) {
    const bool negative = isSigned && (value & 0x80000000u) != 0;
    std::uint32_t magnitude = negative ? 0u - value : value;
    char* first = end;
    do {
        *--first = DigitAlphabet[magnitude % radix];
        magnitude /= radix;
    } while (magnitude != 0);
    while (static_cast<std::uint32_t>(end - first) < padding) {
        *--first = '0';
    }
    if (negative) {
        *--first = '-';
    }
    return first;
}

} // namespace

Text formatInteger(std::uint32_t value, std::uint32_t radix, std::uint16_t width, bool isSigned) {
    if (radix < 2 || radix > HighestRadix) {
        return Text();
    }
    char form[LongestForm];
    char* const end = form + LongestForm;
    const char* first =
        writeInteger(end, value, radix, width > WidestPadding ? WidestPadding : width, isSigned);
    return joinAround(nullptr, first, static_cast<std::uint32_t>(end - first), nullptr);
}

Text lineWithNumber(const char* opening, std::int32_t number, const char* closing) {
    char form[LongestForm];
    char* const end = form + LongestForm;
    const char* first = writeInteger(end, static_cast<std::uint32_t>(number), 10, 0, true);
    return joinAround(opening, first, static_cast<std::uint32_t>(end - first), closing);
}

} // namespace tarnwick
