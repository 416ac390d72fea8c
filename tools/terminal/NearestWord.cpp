#include "NearestWord.h"

#include <algorithm>

namespace terminal {

namespace {

// The byte with ASCII capitals made small.
char folded(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// The number of single-byte edits that turn `one` into `other`, ASCII case ignored: an insertion,
// a deletion, a change or a swap of two neighbouring bytes each count one, and no byte is edited
// twice (the optimal string alignment distance).
std::size_t editDistance(const std::string& one, const std::string& other) {
    std::vector<std::vector<std::size_t>> cost(one.size() + 1,
                                               std::vector<std::size_t>(other.size() + 1));
    for (std::size_t line = 0; line <= one.size(); ++line) {
        for (std::size_t column = 0; column <= other.size(); ++column) {
            if (line == 0 || column == 0) {
                cost[line][column] = line + column;
                continue;
            }
            const bool same = folded(one[line - 1]) == folded(other[column - 1]);
            cost[line][column] = std::min({cost[line - 1][column] + 1, cost[line][column - 1] + 1,
                                           cost[line - 1][column - 1] + (same ? 0 : 1)});
            if (line > 1 && column > 1 && folded(one[line - 1]) == folded(other[column - 2]) &&
                folded(one[line - 2]) == folded(other[column - 1])) {
                cost[line][column] = std::min(cost[line][column], cost[line - 2][column - 2] + 1);
            }
        }
    }
    return cost[one.size()][other.size()];
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
