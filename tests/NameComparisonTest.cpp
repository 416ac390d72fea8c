#include "support/CaseFold.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tarnwick::equalIgnoringAsciiCase;

TEST(NameComparison, FoldsExactlyTheLettersAToZForEveryPairOfBytes) {
    for (int left = 1; left < 256; ++left) {
        for (int right = 1; right < 256; ++right) {
            const auto leftByte = static_cast<unsigned char>(left);
            const auto rightByte = static_cast<unsigned char>(right);
            const std::string leftName = {'x', static_cast<char>(left), 'y'};
            const std::string rightName = {'x', static_cast<char>(right), 'y'};
            const bool foldAlike =
                tarnwick::toLowerAscii(leftByte) == tarnwick::toLowerAscii(rightByte);
            ASSERT_EQ(equalIgnoringAsciiCase(leftName.c_str(), rightName.c_str()), foldAlike)
                << "bytes " << left << " and " << right;
        }
    }
}

TEST(NameComparison, NamesMatchOnlyWhenTheyEndTogether) {
    struct Case {
        const char* left;
        const char* right;
        bool match;
    };
    const Case cases[] = {
        {"", "", true},
        {"Ace", "aCE", true},
        {"Ace", "Ace ", false},
        {"Ace", "Ac", false},
        {"", "A", false},
        {"Pilot7", "PILOT7", true},
        {"Pilot7", "Pilot70", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(equalIgnoringAsciiCase(c.left, c.right), c.match) << c.left << " / " << c.right;
        EXPECT_EQ(equalIgnoringAsciiCase(c.right, c.left), c.match) << c.right << " / " << c.left;
    }
}

} // namespace
