#include "Tarnhost.h"

#include <charconv>

namespace tarnhost {

namespace {

bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    for (std::size_t at = line.find_first_not_of(" \t"); at < line.size() && line[at] != '#';
         at = line.find_first_not_of(" \t", at)) {
        std::string word;
        if (line[at] == '"') {
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
    const bool negative = word.rfind('-', 0) == 0;
    const std::size_t start = negative ? 1 : 0;
    const bool hex = word.compare(start, 2, "0x") == 0 || word.compare(start, 2, "0X") == 0;
    const char* digits = word.c_str() + start + (hex ? 2 : 0);
    const char* end = word.c_str() + word.size();
    std::uint64_t magnitude = 0;
    const auto read = std::from_chars(digits, end, magnitude, hex ? 16 : 10);
    const bool fits = read.ec == std::errc() && read.ptr == end && magnitude <= INT64_MAX;
    const std::int64_t number =
        fits ? static_cast<std::int64_t>(magnitude) * (negative ? -1 : 1) : 0;
    if (!fits || number < lowest || number > highest) {
        throw ScenarioError("bad " + what + " " + quoted(word) + " (a whole number from " +
                            std::to_string(lowest) + " to " + std::to_string(highest) +
                            " expected)");
    }
    return number;
}

namespace {

// The length of the valid UTF-8 sequence at `at` that stands for a printable character: 1 for
// a byte below 0x80 but a control byte, 2 to 4 for a sequence that is not overlong, not a
// surrogate, not beyond U+10FFFF, not cut short and not the byte-order mark; 0 otherwise.
std::size_t printableLength(const std::string& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
        return isControl(byte) ? 0 : 1;
    }
    std::size_t length = 0;
    unsigned char lowest = 0x80, highest = 0xBF; // the second byte's range
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3;
        lowest = byte == 0xE0 ? 0xA0 : 0x80;  // E0 80..9F would be overlong
        highest = byte == 0xED ? 0x9F : 0xBF; // ED A0..BF would be a surrogate
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        lowest = byte == 0xF0 ? 0x90 : 0x80;  // F0 80..8F would be overlong
        highest = byte == 0xF4 ? 0x8F : 0xBF; // F4 90.. would be beyond U+10FFFF
    }
    for (std::size_t next = 1; next < length; ++next) {
        const auto following =
            at + next < text.size() ? static_cast<unsigned char>(text[at + next]) : 0;
        const bool fits =
            next == 1 ? following >= lowest && following <= highest : (following & 0xC0) == 0x80;
        length = fits ? length : 0;
    }
    return text.compare(at, 3, "\xEF\xBB\xBF") == 0 ? 0 : length;
}

// `text` with unprintable bytes as \xNN, and each backslash as \\ when `escapeBackslash`.
std::string printed(const std::string& text, bool escapeBackslash) {
    std::string safe;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = printableLength(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        if (length == 0) {
            safe +=
                std::string("\\x") + "0123456789ABCDEF"[byte >> 4] + "0123456789ABCDEF"[byte & 0xF];
            at += 1;
        } else {
            safe += escapeBackslash && byte == '\\' ? "\\\\" : text.substr(at, length);
            at += length;
        }
    }
    return safe;
}

} // namespace

std::string shown(const std::string& text) {
    return printed(text, true);
}

std::string asPrinted(const std::string& line) {
    return printed(line, false);
}

std::string quoted(const std::string& text) {
    constexpr std::size_t longest = 60;
    if (text.size() <= longest) {
        return "'" + shown(text) + "'";
    }
    std::size_t cut = longest;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut; // not inside a character
    }
    return "'" + shown(text.substr(0, cut)) + "'... (" + std::to_string(text.size()) + " bytes)";
}

std::string listText(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        joined += (&text == &texts.front() ? "" : ", ") + text;
    }
    return texts.empty() ? "none" : joined;
}

bool markedLine(const std::string& line, char mark, std::string& text) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != mark) {
        return false;
    }
    text = line.substr(first + (line.compare(first + 1, 1, " ") == 0 ? 2 : 1));
    return true;
}

} // namespace tarnhost
