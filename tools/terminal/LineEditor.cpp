#include "LineEditor.h"

#include "System.h"
#include "TextLine.h"

#include <cstdio>
#include <istream>
#include <ostream>
#include <utility>

namespace terminal {

LineEditor::LineEditor(const std::string& application, bool onTerminal, std::istream& in,
                       std::ostream& out, bool prompting)
    : editing_(onTerminal ? openEditing(application) : Editing(nullptr, closeEditing)),
      onTerminal_(onTerminal), in_(in), out_(out), prompting_(prompting) {}

bool LineEditor::read(const std::string& prompt, const Completer& complete, std::string& line) {
    out_ << std::flush;
    const bool first = std::exchange(first_, false);
    if (editing_ != nullptr) {
        const bool edited = editLine(*editing_, prompt, complete, line);
        trimLine(line, 0, first);
        return edited;
    }
    using platform::ConsoleLine;
    for (;;) {
        out_ << (prompting_ ? prompt : "") << std::flush;
        bool read = false;
        const auto readLine = [&] {
            line.clear();
            read = readTextLine(in_, first, line);
        };
        ConsoleLine typed = onTerminal_ ? platform::readConsoleLine(line) : ConsoleLine::NotConsole;
        if (typed == ConsoleLine::NotConsole) { // GCOVR_EXCL_BR_LINE only Windows has a console
            if (!onTerminal_) {
                readLine();
            }
            // On a terminal, Ctrl-C cancels the line being typed instead of ending the program.
            const bool interrupted = onTerminal_ && platform::whileInterruptible(readLine);
            typed = read          ? ConsoleLine::Read
                    : interrupted ? ConsoleLine::Cancelled
                                  : ConsoleLine::Ended;
        } else {
            trimLine(line, 0, first); // GCOVR_EXCL_LINE (as above)
        }
        if (typed != ConsoleLine::Cancelled) {
            return typed == ConsoleLine::Read;
        }
        in_.clear(); // the terminal dropped what was typed
        std::clearerr(stdin);
        out_ << "\n";
    }
}

} // namespace terminal
