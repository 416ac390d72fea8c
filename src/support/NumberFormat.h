// Integer formatting for chat lines.
#pragma once

#include "support/Text.h"

#include <cstdint>

namespace tarnwick {

// `value` in `radix` (2 to 32), padded with leading zeros to at least `width` digits, with a
// leading "-" when `isSigned` is set and the value is negative as a signed 32-bit number
// (otherwise the value is read as unsigned). A width above 32 pads to 32 digits; a radix outside
// 2 to 32 has no digits to write with and gives the empty text. Costs one allocation.
Text formatInteger(std::uint32_t value, std::uint32_t radix, std::uint16_t width, bool isSigned);

// A chat line: the bytes of `opening` before its NUL, the signed decimal form of `number` (the
// text `Text(number)` holds), then the bytes of `closing` before its NUL (null for none). The
// digits are written into a local array, so the line costs one exact-size allocation.
Text lineWithNumber(const char* opening, std::int32_t number, const char* closing);

} // namespace tarnwick
