#include "Words.h"

#include "PrintableText.h"

#include <algorithm>
#include <charconv>

namespace tarnhost {

bool WordReader::scan(std::string& word) {
    at_ = line_.find_first_not_of(" \t", at_);
    if (at_ >= line_.size() || line_[at_] == '#') {
        at_ = std::min(at_, line_.size());
        return false;
    }
    word.clear();
    const bool quoted = line_[at_] == '"';
    lastStart_ = at_;
    if (quoted) {
        for (++at_; at_ < line_.size() && line_[at_] != '"'; ++at_) {
            at_ += line_[at_] == '\\' && at_ + 1 < line_.size() ? 1u : 0u;
            word += line_[at_];
        }
        unterminated_ = at_++ >= line_.size();
    } else {
        const std::size_t end = std::min(line_.find_first_of(" \t", at_), line_.size());
        word.assign(line_, at_, end - at_);
        at_ = end;
    }
    endsInside_ = at_ >= line_.size() && (!quoted || unterminated_);
    at_ = std::min(at_, line_.size());
    return true;
}

bool WordReader::next(std::string& word) {
    if (!scan(word)) {
        return false;
    } else if (unterminated_) {
        throw ScenarioError("unterminated quoted text");
    } else if (terminal::holdsControl(word)) {
        throw ScenarioError(terminal::quoted(word) + " holds a control byte");
    }
    return true;
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
        throw ScenarioError("bad " + what + " " + terminal::quoted(word) +
                            " (a whole number from " + std::to_string(lowest) + " to " +
                            std::to_string(highest) + " expected)");
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
