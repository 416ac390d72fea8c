#include "Tokens.h"

#include <cctype>

namespace tarnhost {

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const char character = line[at];
        if (std::isspace(static_cast<unsigned char>(character))) {
            ++at;
        } else if (character == '#') {
            break;
        } else if (character == '"') {
            std::string word;
            ++at;
            while (at < line.size() && line[at] != '"') {
                if (line[at] == '\\' && at + 1 < line.size()) {
                    ++at;
                }
                word += line[at++];
            }
            if (at >= line.size()) {
                throw ScenarioError("unterminated quoted text");
            }
            ++at;
            words.push_back(word);
        } else {
            std::string word;
            while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) {
                word += line[at++];
            }
            words.push_back(word);
        }
    }
    return words;
}

std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what) {
    const std::string bad = "bad " + what + " '" + word + "' (a whole number from " +
                            std::to_string(lowest) + " to " + std::to_string(highest) +
                            " expected)";
    bool negative = false;
    std::size_t at = 0;
    if (at < word.size() && word[at] == '-') {
        negative = true;
        ++at;
    }
    int base = 10;
    if (word.size() > at + 2 && word[at] == '0' && (word[at + 1] == 'x' || word[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at >= word.size() || word.size() - at > 20) {
        throw ScenarioError(bad);
    }
    std::uint64_t magnitude = 0;
    for (; at < word.size(); ++at) {
        const unsigned char digit = static_cast<unsigned char>(word[at]);
        int value = -1;
        if (std::isdigit(digit)) {
            value = digit - '0';
        } else if (base == 16 && std::isxdigit(digit)) {
            value = std::tolower(digit) - 'a' + 10;
        }
        if (value < 0 || magnitude > (UINT64_MAX - static_cast<std::uint64_t>(value)) /
                                         static_cast<std::uint64_t>(base)) {
            throw ScenarioError(bad);
        }
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(value);
    }
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) {
        throw ScenarioError(bad);
    }
    const std::int64_t number =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (number < lowest || number > highest) {
        throw ScenarioError(bad);
    }
    return number;
}

} // namespace tarnhost
