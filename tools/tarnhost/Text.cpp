#include "Text.h"

#include <cctype>

namespace tarnhost {

namespace {

// Whether `byte` is a control byte: below a blank, or DEL.
bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// The length of the valid UTF-8 sequence of two to four bytes starting at `at`, or 0 when the
// bytes there are not one (stray continuation, overlong form, surrogate, beyond U+10FFFF).
std::size_t utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t index) {
        return index < text.size() ? static_cast<unsigned char>(text[index]) : 0u;
    };
    const unsigned lead = byte(at);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4) {
        return 0;
    }
    for (std::size_t next = 1; next < length; ++next) {
        if ((byte(at + next) & 0xC0u) != 0x80u) {
            return 0;
        }
    }
    const unsigned second = byte(at + 1);
    const bool overlongOrOutside = (lead == 0xE0 && second < 0xA0) ||
                                   (lead == 0xED && second >= 0xA0) ||
                                   (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90);
    return overlongOrOutside ? 0 : length;
}

} // namespace

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const auto character = static_cast<unsigned char>(line[at]);
        if (character == ' ' || character == '\t') {
            ++at;
            continue;
        }
        if (character == '#') {
            break;
        }
        std::string word;
        if (character == '"') {
            for (++at; at < line.size() && line[at] != '"'; ++at) {
                at += line[at] == '\\' && at + 1 < line.size() ? 1u : 0u;
                word += line[at];
            }
            if (at++ >= line.size()) {
                throw ScenarioError("unterminated quoted text");
            }
        } else {
            for (; at < line.size() && line[at] != ' ' && line[at] != '\t'; ++at) {
                word += line[at];
            }
        }
        for (const char byte : word) {
            if (isControl(static_cast<unsigned char>(byte))) {
                throw ScenarioError(quoted(word) + " holds a control byte");
            }
        }
        words.push_back(word);
    }
    return words;
}

std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what) {
    const std::string bad = "bad " + what + " " + quoted(word) + " (a whole number from " +
                            std::to_string(lowest) + " to " + std::to_string(highest) +
                            " expected)";
    const bool negative = !word.empty() && word[0] == '-';
    std::size_t at = negative ? 1 : 0;
    const bool hex = word.size() > at + 2 && word[at] == '0' && (word[at + 1] | 0x20) == 'x';
    at += hex ? 2 : 0;
    // At most 16 hex or 19 decimal digits, so the magnitude cannot overflow 64 bits.
    if (at >= word.size() || word.size() - at > (hex ? 16u : 19u)) {
        throw ScenarioError(bad);
    }
    std::uint64_t magnitude = 0;
    for (; at < word.size(); ++at) {
        const auto digit = static_cast<unsigned char>(word[at]);
        if (!(hex ? std::isxdigit(digit) : std::isdigit(digit))) {
            throw ScenarioError(bad);
        }
        magnitude = magnitude * (hex ? 16u : 10u) +
                    static_cast<unsigned>(std::isdigit(digit) ? digit - '0'
                                                              : std::tolower(digit) - 'a' + 10);
    }
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) {
        throw ScenarioError(bad);
    }
    const auto number = negative ? -static_cast<std::int64_t>(magnitude)
                                 : static_cast<std::int64_t>(magnitude);
    if (number < lowest || number > highest) {
        throw ScenarioError(bad);
    }
    return number;
}

std::string shown(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string safe;
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t length = byte < 0x80 ? (isControl(byte) ? 0 : 1) : utf8Length(text, at);
        if (length == 0) {
            safe += std::string("\\x") + digits[byte >> 4] + digits[byte & 0xF];
            ++at;
        } else {
            safe.append(text, at, length);
            at += length;
        }
    }
    return safe;
}

std::string quoted(const std::string& text) {
    return "'" + shown(text) + "'";
}

std::string listText(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        joined += (joined.empty() ? "" : ", ") + text;
    }
    return texts.empty() ? "none" : joined;
}

std::string countText(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string fillIn(const std::string& pattern, const std::vector<std::string>& fills) {
    std::string text;
    std::size_t next = 0;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern.compare(at, 2, "{}") == 0) {
            text += next < fills.size() ? fills[next] : "";
            ++next;
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}

bool markedLine(const std::string& line, char mark, std::string& text) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != mark) {
        return false;
    }
    const std::size_t start = first + (line.compare(first + 1, 1, " ") == 0 ? 2 : 1);
    text = line.substr(start < line.size() ? start : line.size());
    return true;
}

} // namespace tarnhost
