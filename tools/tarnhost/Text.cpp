#include "Tarnhost.h"

#include <charconv>

namespace tarnhost {

namespace {

// The words of a line as splitWords reads them, unchecked: where the last one starts, whether its
// closing quote is missing, whether the line ends inside it, and whether a comment ends the line.
struct ScannedWords {
    std::vector<std::string> words;
    std::size_t lastStart = 0;
    bool unterminated = false, endsInside = false, comment = false;
};

ScannedWords scanWords(const std::string& line) {
    ScannedWords scanned;
    std::size_t at = line.find_first_not_of(" \t");
    for (; at < line.size() && line[at] != '#'; at = line.find_first_not_of(" \t", at)) {
        std::string word;
        const bool quoted = line[at] == '"';
        scanned.lastStart = at;
        if (quoted) {
            for (++at; at < line.size() && line[at] != '"'; ++at) {
                at += line[at] == '\\' && at + 1 < line.size() ? 1u : 0u;
                word += line[at];
            }
            scanned.unterminated = at++ >= line.size();
        } else {
            for (; at < line.size() && line[at] != ' ' && line[at] != '\t'; ++at) {
                word += line[at];
            }
        }
        scanned.endsInside = at >= line.size() && (!quoted || scanned.unterminated);
        scanned.words.push_back(word);
    }
    scanned.comment = at < line.size();
    return scanned;
}

// The word as a line must give it to be read back by splitWords: in double quotes, with \" and
// \\, when it is empty or holds a blank, a tab, '#', a quote or a backslash; as it is otherwise.
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

} // namespace

std::vector<std::string> splitWords(const std::string& line) {
    const ScannedWords scanned = scanWords(line);
    for (std::size_t index = 0; index < scanned.words.size(); ++index) {
        if (scanned.unterminated && index + 1 == scanned.words.size()) {
            throw ScenarioError("unterminated quoted text");
        }
        for (const char byte : scanned.words[index]) {
            if (terminal::isControl(static_cast<unsigned char>(byte))) {
                throw ScenarioError(quoted(scanned.words[index]) + " holds a control byte");
            }
        }
    }
    return scanned.words;
}

terminal::Completion completion(const std::string& beforeCursor,
                                const std::vector<std::string>& words) {
    const ScannedWords scanned = scanWords(beforeCursor); // after a blank or a quote, no word
    terminal::Completion found{scanned.endsInside ? scanned.lastStart : beforeCursor.size(), {}};
    const std::string typed = scanned.endsInside ? scanned.words.back() : "";
    for (const std::string& word : scanned.comment ? std::vector<std::string>() : words) {
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
