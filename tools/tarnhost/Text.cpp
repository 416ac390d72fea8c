#include "Tarnhost.h"

#include <charconv>

namespace tarnhost {

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
            if (terminal::isControl(static_cast<unsigned char>(byte))) {
                throw ScenarioError(quoted(word) + " holds a control byte");
            }
        }
        words.push_back(word);
    }
    return words;
}

std::string wordAsTyped(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t#\"\\") == std::string::npos) {
        return word;
    }
    std::string typed = "\"";
    for (const char byte : word) {
        typed += byte == '"' || byte == '\\' ? std::string{'\\', byte} : std::string{byte};
    }
    return typed + "\"";
}

terminal::Completion completion(const std::string& beforeCursor,
                                const std::vector<std::string>& words) {
    // The word under way starts at the first byte after a blank, or after a closing quote.
    std::size_t start = beforeCursor.size();
    bool quoting = false;
    for (std::size_t at = 0; at < beforeCursor.size(); ++at) {
        const char byte = beforeCursor[at];
        if (quoting) {
            at += byte == '\\' ? 1u : 0u;
            quoting = byte != '"';
            start = quoting ? start : beforeCursor.size();
        } else if (byte == ' ' || byte == '\t') {
            start = beforeCursor.size();
        } else if (byte == '#' && start == beforeCursor.size()) {
            return {at, {}}; // a comment
        } else if (start == beforeCursor.size()) {
            start = at;
            quoting = byte == '"';
        }
    }
    std::string typed; // what the word says so far, its quotes taken off
    for (std::size_t at = start; at < beforeCursor.size(); ++at) {
        const bool escape = beforeCursor[start] == '"' && beforeCursor[at] == '\\';
        at += escape ? 1u : 0u;
        typed += at == start && beforeCursor[at] == '"' ? "" : beforeCursor.substr(at, 1);
    }
    terminal::Completion found{start, {}};
    for (const std::string& word : words) {
        if (word.compare(0, typed.size(), typed) == 0) {
            found.choices.push_back(wordAsTyped(word));
        }
    }
    return found;
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

bool markedLine(const std::string& line, char mark, std::string& text) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != mark) {
        return false;
    }
    text = line.substr(first + (line.compare(first + 1, 1, " ") == 0 ? 2 : 1));
    return true;
}

} // namespace tarnhost
