// The words of a scenario line: split at blanks, a word in double quotes keeping its blanks (\"
// and \\ for a quote and a backslash), '#' outside quotes starting a comment; and the numbers and
// marked lines the language reads.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarnhost {

// A line tarnhost cannot carry out; the message names what is wrong.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the words of a line one at a time, so that a line costs no more than its own bytes
// however many words it holds.
class WordReader {
public:
    explicit WordReader(const std::string& line) : line_(line) {}

    // The next word, unchecked; false at the end of the line or at a comment.
    bool scan(std::string& word);
    // The next word; false at the end or at a comment. Throws on an unterminated quote and on a
    // control character in the word (a NUL would cut a host record's text short).
    bool next(std::string& word);

    // Where the word last scanned starts; whether the line ends inside it (neither a blank nor
    // its closing quote after it); once scan is false, whether a comment ended the words.
    std::size_t lastStart() const { return lastStart_; }
    bool endsInside() const { return endsInside_; }
    bool comment() const { return at_ < line_.size(); }

private:
    const std::string& line_;
    std::size_t at_ = 0, lastStart_ = 0;
    bool endsInside_ = false, unterminated_ = false;
};

// The word as a line must give it to be read back: in double quotes, with \" and \\, when it is
// empty or holds a blank, a tab, '#', a quote or a backslash; as it is otherwise.
std::string wordAsTyped(const std::string& word);
// A whole number (decimal, 0x-hex, or negative) within [lowest, highest]; throws naming `what`.
std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what);
// The text after `mark` ('>' or '#') and one blank, when that is the line's first non-blank.
bool markedLine(const std::string& line, char mark, std::string& text);

} // namespace tarnhost
