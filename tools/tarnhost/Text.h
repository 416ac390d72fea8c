// The words of a scenario line, numbers, and texts made safe to print.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnhost {

// A line tarnhost cannot carry out, or a file it cannot play; the message names what is wrong.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words of `line`, split at blanks. A word in double quotes keeps its blanks (and may be
// empty); \" and \\ inside quotes stand for a quote and a backslash. A '#' outside quotes starts
// a comment that runs to the end of the line. Throws on an unterminated quote, and on a word
// holding a control byte (a NUL would cut a host record's text short).
std::vector<std::string> splitWords(const std::string& line);

// A whole number in decimal, in hex after 0x, or negative with a leading '-', within
// [lowest, highest]; anything else throws, naming `what` and the range.
std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what);

// `text` with every control byte and every byte that is not part of valid UTF-8 written as
// \xNN, so that nothing raw reaches a terminal or a message.
std::string shown(const std::string& text);

// `text` in single quotes, shown safely: 'Ace'.
std::string quoted(const std::string& text);

// The texts joined with ", "; "none" when there are none.
std::string listText(const std::vector<std::string>& texts);

// "1 player", "2 players".
std::string countText(std::size_t count, const std::string& noun);

// `pattern` with each "{}" replaced by the next of `fills`; missing fills leave "".
std::string fillIn(const std::string& pattern, const std::vector<std::string>& fills);

// The text of `line` after its first non-blank character if that character is `mark` ('>' or
// '#'), with one blank after the mark dropped; false for any other line.
bool markedLine(const std::string& line, char mark, std::string& text);

} // namespace tarnhost
