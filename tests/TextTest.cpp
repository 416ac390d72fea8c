#include "support/NumberFormat.h"
#include "support/Text.h"

#include <gtest/gtest.h>

#include <string>

using tarnwick::formatInteger;
using tarnwick::Text;

TEST(Text, EmptyTextOwnsASingleNul) {
    Text text;
    EXPECT_EQ(text.length(), 0u);
    ASSERT_NE(text.chars(), nullptr);
    EXPECT_EQ(text.chars()[0], '\0');
}
