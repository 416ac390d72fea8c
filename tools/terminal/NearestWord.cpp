#include "NearestWord.h"

#include <algorithm>

namespace terminal {

namespace {

// The number of single-byte edits that turn `one` into `other`.
std::size_t editDistance(const std::string& one, const std::string& other) {
    std::vector<std::size_t> row(other.size() + 1), next(row.size());
    for (std::size_t column = 0; column < row.size(); ++column) {
        row[column] = column;
    }
    for (std::size_t line = 0; line < one.size(); row.swap(next), ++line) {
        next[0] = line + 1;
        for (std::size_t column = 1; column < row.size(); ++column) {
            const std::size_t change = row[column - 1] + (one[line] == other[column - 1] ? 0 : 1);
            next[column] = std::min({row[column] + 1, next[column - 1] + 1, change});
        }
    }
    return row.back();
}

} // namespace

std::string nearestWord(const std::string& typed, const std::vector<std::string>& words) {
    std::string nearest;
    std::size_t best = 3;
    for (const std::string& word : typed.size() > 40 ? std::vector<std::string>() : words) {
        const std::size_t distance = editDistance(typed, word);
        if (distance < best && distance * 2 < word.size()) {
            nearest = word;
            best = distance;
        }
    }
    return nearest;
}

} // namespace terminal
