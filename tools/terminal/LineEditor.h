// Reading lines a person types at a terminal, with editing where libedit was found when the build
// was configured: a history kept between sessions, Ctrl-C cancelling the line being typed and
// Tab completing the words the caller names.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace terminal {

class LineEditor {
public:
    // Edits lines when `wanted`, line editing is built in and standard input and output are a
    // terminal; reads the history of `application` then, from $XDG_STATE_HOME/APPLICATION/history
    // or else ~/.local/state/APPLICATION/history. Otherwise reads plain lines from `in`, showing
    // the prompt on `out` when `prompting`.
    LineEditor(const std::string& application, bool wanted, std::istream& in, std::ostream& out,
               bool prompting);
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;
    // Saves the history; a history that cannot be written is let go without a word.
    ~LineEditor();

    // The next line typed after `prompt`, `out` flushed first. Editing, Tab completes the words
    // `words` gives, asked only then, and Ctrl-C drops the line typed so far and prompts again;
    // a plain line has its "\r" end dropped. False at the end of input (Ctrl-D).
    bool read(const std::string& prompt, const std::function<std::vector<std::string>()>& words,
              std::string& line);

private:
    // The edited line after `prompt`; false at the end of input, or when editing is not built in.
    bool edit(const std::string& prompt, const std::vector<std::string>& words, std::string& line);

    bool editing_ = false;
    std::string history_;
    std::istream& in_;
    std::ostream& out_;
    bool prompting_;
};

} // namespace terminal
