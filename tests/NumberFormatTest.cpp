#include "support/NumberFormat.h"
#include "support/CaseFold.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using tarnwick::formatInteger;
using tarnwick::toLowerAscii;

std::string formatted(std::uint32_t value, std::uint32_t radix, std::uint16_t width,
                      bool isSigned) {
    const tarnwick::Text text = formatInteger(value, radix, width, isSigned);
    EXPECT_EQ(text.chars()[text.length()], '\0');
    return std::string(text.chars(), text.length());
}

TEST(FormatInteger, WritesSignPaddingAndDigitsInEveryRadix) {
    struct Case {
        std::int64_t value;
        std::uint32_t radix;
        std::uint16_t width;
        bool isSigned;
        std::string expected;
    };
    const Case cases[] = {
        {0, 10, 0, true, "0"},
        {0, 10, 5, false, "00000"},
        {0, 16, 0, false, "0"},
        {42, 10, 0, true, "42"},
        {123, 10, 2, true, "123"},
        {123, 10, 3, true, "123"},
        {-5, 10, 3, true, "-005"},
        {-5, 10, 0, true, "-5"},
        {-2147483648LL, 10, 0, true, "-2147483648"},
        {-2147483648LL, 16, 0, true, "-80000000"},
        {-2147483648LL, 10, 0, false, "2147483648"},
        {2147483647, 10, 0, true, "2147483647"},
        {-1, 10, 0, false, "4294967295"},
        {-1, 10, 0, true, "-1"},
        {255, 16, 4, false, "00ff"},
        {7, 2, 8, false, "00000111"},
        {4294967295LL, 32, 0, false, "3vvvvvv"},
        {31, 32, 0, false, "v"},
        {4294967295LL, 2, 0, false, std::string(32, '1')},
        {1, 2, 32, false, std::string(31, '0') + "1"},
        {0, 2, 32, true, std::string(32, '0')},
        {-1, 2, 32, true, "-" + std::string(31, '0') + "1"},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(
            formatted(static_cast<std::uint32_t>(row.value), row.radix, row.width, row.isSigned),
            row.expected)
            << row.value << " radix " << row.radix << " width " << row.width << " signed "
            << row.isSigned;
    }
}

TEST(FormatInteger, RadixOutsideTwoToThirtyTwoGivesTheEmptyText) {
    for (std::uint32_t radix : {0u, 1u, 33u, 0xFFFFFFFFu}) {
        EXPECT_EQ(formatted(42, radix, 4, true), "") << radix;
        EXPECT_EQ(formatted(0, radix, 0, false), "") << radix;
    }
}

TEST(FormatInteger, WidthAboveThirtyTwoPadsToThirtyTwoDigits) {
    for (const std::uint16_t width : {std::uint16_t{33}, std::uint16_t{64}, std::uint16_t{65535}}) {
        EXPECT_EQ(formatted(5, 10, width, false), std::string(31, '0') + "5") << width;
        EXPECT_EQ(formatted(0, 10, width, false), std::string(32, '0')) << width;
        EXPECT_EQ(formatted(static_cast<std::uint32_t>(-5), 10, width, true),
                  "-" + std::string(31, '0') + "5")
            << width;
    }
}

TEST(ToLowerAscii, LowersOnlyCapitalAsciiLettersAcrossEveryByte) {
    for (unsigned value = 0; value <= 255; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        const unsigned expected = (value >= 'A' && value <= 'Z') ? value + 32 : value;
        EXPECT_EQ(toLowerAscii(byte), expected) << "byte " << value;
    }
}

} // namespace
