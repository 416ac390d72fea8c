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

} // namespace tarnwick
