#include "support/NumberFormat.h"

namespace tarnwick {

Text formatInteger(std::uint32_t value, std::uint32_t radix, std::uint16_t width, bool isSigned) {
    Text result;
    if (radix < 2 || radix > HighestRadix) {
        return result;
    }
    const std::uint32_t padding = width > WidestPadding ? WidestPadding : width;
    if (value == 0) {
        result.assign(ZeroRun, padding == 0 ? 1 : padding);
        return result;
    }
    const bool negative = isSigned && (value & 0x80000000u) != 0;
    std::uint32_t magnitude = negative ? 0u - value : value;
    do {
        result.prepend(&DigitAlphabet[magnitude % radix], 1);
        magnitude /= radix;
    } while (magnitude != 0);
    if (padding > result.length()) {
        result.prepend(ZeroRun, padding - result.length());
    }
    if (negative) {
        result.prepend("-", 1);
    }
    return result;
}

Text lineWithNumber(const char* opening, std::int32_t number, const char* closing) {
    // Room for the longest signed decimal form of 32 bits, "-2147483648".
    constexpr std::uint32_t longestDecimal = 11;
    char decimal[longestDecimal];
    char* const end = decimal + longestDecimal;
    char* first = end;
    const bool negative = number < 0;
    std::uint32_t magnitude = static_cast<std::uint32_t>(number);
    if (negative) {
        magnitude = 0u - magnitude;
    }
    do {
        *--first = DigitAlphabet[magnitude % 10];
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) {
        *--first = '-';
    }
    return joinAround(opening, first, static_cast<std::uint32_t>(end - first), closing);
}

} // namespace tarnwick
