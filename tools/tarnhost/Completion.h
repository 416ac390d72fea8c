// What Tab does in the interactive session: the words it offers, and how it completes the word
// being typed with them.
#pragma once

#include "LineEditor.h"

#include <string>
#include <vector>

namespace tarnhost {

struct Session;

// The answer to Tab at the end of `beforeCursor`, the part of a line typed before the cursor.
// The word under way (quoted or not) is replaced by its one completion and a blank, or by the
// longest beginning its completions share (never cut inside a character) when that is longer;
// otherwise its completions are listed. A completion is a word of `words` that the word under
// way begins, as a line must give it (in double quotes when it holds a blank, '#', '"' or '\\').
// Nothing is completed inside a comment.
terminal::TabAnswer tabAnswer(const std::string& beforeCursor,
                              const std::vector<std::string>& words);

// What Tab offers: verbs, keywords, `events`, and the current bot's player and flag names, bare
// and as @PLAYER and %FLAG.
std::vector<std::string> wordsToComplete(Session& session);

} // namespace tarnhost
