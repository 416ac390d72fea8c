#include "LineEditor.h"

#include "Console.h"
#include "Editing.h"
#include "TextLine.h"

#include <ostream>

namespace terminal {

struct EditingSession;

LineEditor::LineEditor(const std::string& application, bool onTerminal, std::istream& in,
                       std::ostream& out, bool prompting)
    : editing_(nullptr, closeEditing), onTerminal_(onTerminal), in_(in), out_(out),
      prompting_(prompting) {
    if (onTerminal) {
        Editing opened = openEditing(application);
        editing_.reset(opened.release());
    }
}

LineEditor::~LineEditor() = default;

bool LineEditor::read(const std::string& prompt, const Completer& complete, std::string& line) {
    out_ << std::flush;
    const bool first = first_;
    first_ = false;
    if (editing_ != nullptr) {
        const bool edited = editLine(*editing_, prompt, complete, line);
        trimLine(line, 0, first);
        return edited;
    }
    for (;;) {
        out_ << (prompting_ ? prompt : "") << std::flush;
        const TypedLine typed = readPlainLine(in_, onTerminal_, first, line);
        if (typed != TypedLine::Cancelled) {
            return typed == TypedLine::Read;
        }
        out_ << "\n";
    }
}

} // namespace terminal
