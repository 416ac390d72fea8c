// Reading lines a person types at a terminal. Where libedit was found when the build was
// configured, lines are edited: a history shared by every session, Ctrl-C cancelling the line
// being typed, Tab completing what the caller offers, and a resize (down to one column and one
// row), Ctrl-Z and fg, a long paste or any text, UTF-8 or not, leaving the session and the line
// whole. Elsewhere plain lines are read.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace terminal {

// What Tab does to the text typed before the cursor: from byte `wordStart` on, that text is
// replaced by `replacement` when it is not empty; `listed` (when not empty) is shown under the
// line; with neither, the terminal beeps.
struct TabAnswer {
    std::size_t wordStart = 0;
    std::string replacement;
    std::vector<std::string> listed;
};
// The answer to Tab for the text typed before the cursor.
using Completer = std::function<TabAnswer(const std::string& beforeCursor)>;

struct EditingSession;
// Ends an editing session, leaving the terminal as it was found.
void closeEditing(EditingSession* session);
using Editing = std::unique_ptr<EditingSession, void (*)(EditingSession*)>;

class LineEditor {
public:
    // With `onTerminal` (`in` is standard input, on a terminal), edits lines when editing is
    // built in and standard output is a terminal too, with the history of `application` (in
    // $XDG_STATE_HOME or $HOME/.local/state); else reads plain lines there, Ctrl-C cancelling the
    // line being typed. Otherwise reads plain lines from `in`. Plain lines get the prompt on `out`
    // when `prompting`.
    LineEditor(const std::string& application, bool onTerminal, std::istream& in, std::ostream& out,
               bool prompting);
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // The next line typed after `prompt`, `out` flushed first, without its line end and trimmed
    // as TextLine.h says (the first line read is the first line); a byte typed that is not UTF-8
    // is kept as it is. Editing, Tab answers with `complete`, called only then, and each line
    // that is not blank is added to the history file at once (a history that cannot be written
    // is let go without a word). False at the end of input (Ctrl-D).
    bool read(const std::string& prompt, const Completer& complete, std::string& line);

private:
    Editing editing_;
    bool onTerminal_;
    std::istream& in_;
    std::ostream& out_;
    bool prompting_;
    bool first_ = true; // no line read yet
};

// ---- For LineEditor alone: the editing library's side (Editing.cpp, or NoEditing.cpp without it)

// An editing session on the terminal with the history of `application`; null when standard input
// or output is not a terminal, or the build has no line editing.
Editing openEditing(const std::string& application);
// The next line edited after `prompt` (see LineEditor::read); false at the end of input.
bool editLine(EditingSession& session, const std::string& prompt, const Completer& complete,
              std::string& line);

} // namespace terminal
