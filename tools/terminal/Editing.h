// Line editing on a terminal, where the build has it: the one place that knows the editing
// library. Without it, no session opens and plain lines are read instead.
#pragma once

#include "LineEditor.h"

#include <memory>
#include <string>

namespace terminal {

// Ends an editing session, leaving the terminal as it was found.
void closeEditing(EditingSession* session);
using Editing = std::unique_ptr<EditingSession, void (*)(EditingSession*)>;

// An editing session on the terminal with the history of `application`; null when standard input
// or output is not a terminal, or the build has no line editing.
Editing openEditing(const std::string& application);

// The next line edited after `prompt` (see LineEditor::read); false at the end of input.
bool editLine(EditingSession& session, const std::string& prompt, const Completer& complete,
              std::string& line);

} // namespace terminal
