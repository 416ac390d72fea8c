// Reading lines a person types at a terminal. Where libedit was found when the build was
// configured, lines are edited: a history shared by every session, Ctrl-C cancelling the line
// being typed, Tab completing what the caller offers, and a resize, Ctrl-Z and fg, a long paste
// or any UTF-8 text leaving the session and the line whole. Elsewhere plain lines are read.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace terminal {

// What Tab may put in place of the word being typed: where that word starts, a byte offset in
// the text before the cursor, and each text that may replace it, as it is to be inserted.
struct Completion {
    std::size_t wordStart = 0;
    std::vector<std::string> choices;
};
// The completion of the text typed before the cursor.
using Completer = std::function<Completion(const std::string& beforeCursor)>;

struct EditingSession;

class LineEditor {
public:
    // With `onTerminal` (`in` is standard input, on a terminal), edits lines when editing is
    // built in and standard output is a terminal too, with the history of `application` from
    // $XDG_STATE_HOME/APPLICATION/history (an absolute XDG_STATE_HOME only) or else
    // ~/.local/state/APPLICATION/history; else reads plain lines there, Ctrl-C cancelling the
    // line being typed. Otherwise reads plain lines from `in`. Plain lines get the prompt on
    // `out` when `prompting`.
    LineEditor(const std::string& application, bool onTerminal, std::istream& in, std::ostream& out,
               bool prompting);
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;
    ~LineEditor();

    // The next line typed after `prompt`, `out` flushed first, without its line end. Editing,
    // Tab completes with `complete`, called only then, and each line that is not blank is added
    // to the history file at once (a history that cannot be written is let go without a word).
    // False at the end of input (Ctrl-D).
    bool read(const std::string& prompt, const Completer& complete, std::string& line);

private:
    std::unique_ptr<EditingSession> editing_;
    bool onTerminal_;
    std::istream& in_;
    std::ostream& out_;
    bool prompting_;
};

} // namespace terminal
