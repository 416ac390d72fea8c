// The word a person most likely meant when a typed word is not known.
#pragma once

#include <string>
#include <vector>

namespace terminal {

// The word of `words` nearest to `typed`: at most two edits away (a byte inserted, deleted or
// changed, or two neighbouring bytes swapped, ASCII case ignored) and fewer than half its own
// length, the first such in `words` at the least distance; empty when none is, and for a typed
// word over 40 bytes.
std::string nearestWord(const std::string& typed, const std::vector<std::string>& words);

} // namespace terminal
