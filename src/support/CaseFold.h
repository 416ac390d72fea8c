// ASCII case folding: the one rule by which help topics and roster names are compared.
#pragma once

namespace tarnwick {

// 'A' to 'Z' lowered to 'a' to 'z'; every other byte, 128 to 255 included, unchanged.
constexpr unsigned char toLowerAscii(unsigned char character) {
    return (character >= 'A' && character <= 'Z') ? static_cast<unsigned char>(character + 32)
                                                  : character;
}

// Whether two NUL-terminated texts are equal byte for byte once each byte is lowered by
// `toLowerAscii`: the whole texts, so one that ends earlier never equals the other.
inline bool equalIgnoringAsciiCase(const char* left, const char* right) {
    for (;; ++left, ++right) {
        const auto leftByte = static_cast<unsigned char>(*left);
        const auto rightByte = static_cast<unsigned char>(*right);
        // Equal bytes, the common case, are settled by one comparison. Only NUL lowers to NUL,
        // so bytes that fold alike without being equal are never the end of either text.
        if (leftByte != rightByte && toLowerAscii(leftByte) != toLowerAscii(rightByte)) {
            return false;
        }
        if (leftByte == '\0') {
            return true;
        }
    }
}

} // namespace tarnwick
