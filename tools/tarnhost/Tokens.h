// Splitting a scenario line into words.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnhost {

// A line the scenario language cannot carry out; the message names what is wrong.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words of `line`, split at blanks. A word in double quotes keeps its blanks (and may be
// empty); \" and \\ inside quotes stand for a quote and a backslash. A '#' outside quotes starts
// a comment that runs to the end of the line. An unterminated quote is an error.
std::vector<std::string> splitWords(const std::string& line);

// A whole number in decimal, in hex after 0x, or negative with a leading '-', that fits the
// range [lowest, highest]; anything else is an error naming `what`.
std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what);

} // namespace tarnhost
