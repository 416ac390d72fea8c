// Reading a Text back in tests.
#pragma once

#include "support/Text.h"

#include <gtest/gtest.h>

#include <string>

// The characters of a text, embedded NULs included, checked to end in the NUL it must carry.
inline std::string contentOf(const tarnwick::Text& text) {
    EXPECT_NE(text.chars(), nullptr);
    EXPECT_EQ(text.chars()[text.length()], '\0') << "text not NUL-terminated at its length";
    return std::string(text.chars(), text.length());
}
