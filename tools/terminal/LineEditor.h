// Reading lines a person types at a terminal, with editing where libedit was found when the build
// was configured: a history kept between sessions, Ctrl-C cancelling the line being typed and
// Tab completing the words the caller names.
#pragma once

#include <string>
#include <vector>

namespace terminal {

class LineEditor {
public:
    // Edits lines when `wanted`, line editing is built in and standard input and output are a
    // terminal; reads the history of `application` then, from $XDG_STATE_HOME/APPLICATION/history
    // or else ~/.local/state/APPLICATION/history.
    LineEditor(const std::string& application, bool wanted);
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;
    // Saves the history; a history that cannot be written is let go without a word.
    ~LineEditor();

    bool editing() const { return editing_; }
    // The next line typed after `prompt`, Tab completing `words`; Ctrl-C drops the line typed so
    // far and prompts again. False at the end of input (Ctrl-D), or when not editing.
    bool read(const std::string& prompt, const std::vector<std::string>& words, std::string& line);

private:
    bool editing_ = false;
    std::string history_;
};

} // namespace terminal
