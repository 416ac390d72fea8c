#include "TextContent.h"
#include "support/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace {

using tarnwick::Text;

TEST(TextOperations, ConstructionGivesTheExpectedCharacters) {
    EXPECT_EQ(contentOf(Text()), "");
    EXPECT_EQ(contentOf(Text("")), "");
    EXPECT_EQ(contentOf(Text(static_cast<const char*>(nullptr))), "");
    EXPECT_EQ(contentOf(Text("Ace")), "Ace");
    EXPECT_EQ(contentOf(Text("up\0hidden")), "up");
    EXPECT_EQ(contentOf(Text("\xC4\xFF")), "\xC4\xFF");
}

TEST(TextOperations, IntegerConstructionIsSignedDecimalWithoutPadding) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0"},
        {7, "7"},
        {42, "42"},
        {-5, "-5"},
        {65535, "65535"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(contentOf(Text(value)), expected) << value;
    }
}

TEST(TextOperations, EditsProduceExactBytes) {
    struct Case {
        const char* name;
        const char* start;
        std::function<void(Text&)> edit;
        std::string expected;
    };
    const Case cases[] = {
        {"append", "Team ", [](Text& t) { t.append("150", 3); }, "Team 150"},
        {"prepend", "150", [](Text& t) { t.prepend("Team ", 5); }, "Team 150"},
        {"append count 0", "abc", [](Text& t) { t.append("xyz", 0); }, "abc"},
        {"prepend count 0", "abc", [](Text& t) { t.prepend("xyz", 0); }, "abc"},
        {"append to empty", "", [](Text& t) { t.append("a", 1); }, "a"},
        {"append embedded NUL", "a", [](Text& t) { t.append("\0b", 2); }, std::string("a\0b", 3)},
        {"prepend part of a run", "z", [](Text& t) { t.prepend("xyz", 2); }, "xyz"},
        {"append own characters", "abc", [](Text& t) { t.append(t.chars(), t.length()); },
         "abcabc"},
        {"prepend own tail", "abc", [](Text& t) { t.prepend(t.chars() + 1, 2); }, "bcabc"},
        {"assign", "old", [](Text& t) { t.assign("0000", 4); }, "0000"},
        {"assign empty", "old", [](Text& t) { t.assign("x", 0); }, ""},
        {"append past the longest text", "abc",
         [](Text& t) { EXPECT_FALSE(t.append("", UINT32_MAX - 3)); }, "abc"},
        {"prepend past the longest text", "abc",
         [](Text& t) { EXPECT_FALSE(t.prepend("", UINT32_MAX)); }, "abc"},
    };
    for (const Case& edit : cases) {
        Text text(edit.start);
        edit.edit(text);
        EXPECT_EQ(contentOf(text), edit.expected) << edit.name;
        EXPECT_EQ(text.length(), edit.expected.size()) << edit.name;
    }
}

TEST(TextOperations, ConcatenationsJoinWithoutChangingOperands) {
    const Text number("3");
    EXPECT_EQ(contentOf("*arena Freq " + number), "*arena Freq 3");
    EXPECT_EQ(contentOf(number + " LOCKED"), "3 LOCKED");
    EXPECT_EQ(contentOf("Team " + number + " is locked"), "Team 3 is locked");
    EXPECT_EQ(contentOf("" + number), "3");
    EXPECT_EQ(contentOf(number + ""), "3");
    EXPECT_EQ(contentOf(number + static_cast<const char*>(nullptr)), "3");
    EXPECT_EQ(contentOf(static_cast<const char*>(nullptr) + number), "3");
    EXPECT_EQ(contentOf("ab" + Text()), "ab");
    EXPECT_EQ(contentOf(Text() + ""), "");
    EXPECT_EQ(contentOf(number), "3");
}

TEST(TextOperations, ConcatenationWithEmptyStringIsAnIndependentCopy) {
    Text original("abc");
    Text copy = original + "";
    EXPECT_NE(copy.chars(), original.chars());
    copy.append("d", 1);
    EXPECT_EQ(contentOf(original), "abc");
}

TEST(TextOperations, CopiesNeverShareABuffer) {
    Text original("abc");
    Text copy(original);
    EXPECT_NE(copy.chars(), original.chars());
    copy.append("d", 1);
    EXPECT_EQ(contentOf(original), "abc");
    original.prepend("_", 1);
    EXPECT_EQ(contentOf(copy), "abcd");

    Text assigned("zz");
    EXPECT_TRUE(assigned.assign(original));
    EXPECT_NE(assigned.chars(), original.chars());
    EXPECT_EQ(contentOf(assigned), "_abc");
    const Text& sameValue = assigned;
    EXPECT_TRUE(assigned.assign(sameValue));
    EXPECT_EQ(contentOf(assigned), "_abc");
}

TEST(TextOperations, MovedFromTextsStayValidAndUsable) {
    Text source("abc");
    const char* buffer = source.chars();
    Text moved(std::move(source));
    EXPECT_EQ(moved.chars(), buffer);
    EXPECT_EQ(contentOf(moved), "abc");
    EXPECT_EQ(contentOf(source), "");
    source.append("x", 1);
    EXPECT_EQ(contentOf(source), "x");

    Text target("old");
    target = std::move(moved);
    EXPECT_EQ(contentOf(target), "abc");
    EXPECT_NE(moved.chars(), nullptr);
    moved.append("!", 1);
    EXPECT_EQ(contentOf(moved).back(), '!');
}

} // namespace
