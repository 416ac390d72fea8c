// Integer formatting and ASCII case folding for chat lines.
#pragma once

#include "support/Text.h"

#include <cstdint>

namespace tarnwick {

// The digit characters: the digit of value d is the character at position d.
constexpr char DigitAlphabet[] = "0123456789abcdefghijklmnopqrstuv";
// The source of leading zeros and of the value zero.
constexpr char ZeroRun[] = "00000000000000000000000000000000";
// The largest radix and the widest zero padding the tables above can serve.
constexpr std::uint32_t HighestRadix = 32;
constexpr std::uint32_t WidestPadding = 32;

// `value` in `radix` (2 to 32), padded with leading zeros to at least `width` digits, with a
// leading "-" when `isSigned` is set and the value is negative as a signed 32-bit number
// (otherwise the value is read as unsigned). A width above 32 pads to 32 digits; a radix outside
// 2 to 32 has no digits to write with and gives the empty text.
Text formatInteger(std::uint32_t value, std::uint32_t radix, std::uint16_t width, bool isSigned);

// A chat line: the bytes of `opening` before its NUL, the signed decimal form of `number` (the
// text `Text(number)` holds), then the bytes of `closing` before its NUL (null for none). The
// digits are written into a local array, so the line costs one exact-size allocation.
Text lineWithNumber(const char* opening, std::int32_t number, const char* closing);

// 'A' to 'Z' lowered to 'a' to 'z'; every other byte, 128 to 255 included, unchanged.
constexpr unsigned char toLowerAscii(unsigned char character) {
    return (character >= 'A' && character <= 'Z') ? static_cast<unsigned char>(character + 32)
                                                  : character;
}

} // namespace tarnwick
