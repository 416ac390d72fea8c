#include "TextContent.h"
#include "support/NumberFormat.h"
#include "support/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

using tarnwick::Text;

TEST(MessageLine, EqualsTheLineBuiltByConcatenatingLiteralNumberAndLiteral) {
    const std::int32_t numbers[] = {0, 3, 7, 99, 100, 65534, 65535, -5, INT32_MAX, INT32_MIN};
    const char* openings[] = {"*arena Freq ", "Team ", "", nullptr};
    const char* closings[] = {" LOCKED -- No freq-hopping.", " is locked", "", nullptr};
    for (std::int32_t number : numbers) {
        for (const char* opening : openings) {
            for (const char* closing : closings) {
                const Text concatenated = (opening + Text(number)) + closing;
                EXPECT_EQ(contentOf(tarnwick::lineWithNumber(opening, number, closing)),
                          contentOf(concatenated))
                    << (opening ? opening : "(null)") << number << (closing ? closing : "(null)");
            }
        }
    }
}

TEST(MessageLine, GivesTheLinesTheLockSends) {
    EXPECT_EQ(contentOf(tarnwick::lineWithNumber("*setfreq ", 2, nullptr)), "*setfreq 2");
    EXPECT_EQ(
        contentOf(tarnwick::lineWithNumber("Team ", 150, " is locked to prevent freq-hopping")),
        "Team 150 is locked to prevent freq-hopping");
    EXPECT_EQ(contentOf(tarnwick::lineWithNumber("*arena Freq ", 0, " LOCKED -- No freq-hopping.")),
              "*arena Freq 0 LOCKED -- No freq-hopping.");
}

TEST(MessageLine, JoinAroundCopiesTheMiddleRunByteForByteBetweenTheStrings) {
    EXPECT_EQ(contentOf(tarnwick::joinAround("a", "b\0c", 3, "d")), std::string("ab\0cd", 5));
    EXPECT_EQ(contentOf(tarnwick::joinAround("up\0hidden", "xy", 1, "z\0hidden")), "upxz");
    EXPECT_EQ(contentOf(tarnwick::joinAround(nullptr, nullptr, 0, nullptr)), "");
    EXPECT_EQ(contentOf(tarnwick::joinAround("", "", 0, "")), "");
    const Text pastTheLongest = tarnwick::joinAround(nullptr, "", UINT32_MAX - 1, "d");
    EXPECT_FALSE(pastTheLongest.present()) << "no text is longer than its length can hold";
    EXPECT_EQ(pastTheLongest.length(), 0u) << "an absent text reads as the empty text";
}

} // namespace
