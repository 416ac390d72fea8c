// A person at a console window or a terminal, without line editing: plain lines read, Ctrl-C
// cancelling the one being typed.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace terminal {

// How reading a line ended: with the line, with Ctrl-C cancelling it, or at the end of input.
enum class TypedLine { Read, Cancelled, Ended };

// The next line of `in`, without its "\n" and trimmed as TextLine.h says (`first` for the first
// line read). With `typed` (`in` is standard input,
// where a person types), Ctrl-C cancels the line being typed instead of ending the program, and a
// Windows console is read in UTF-16 and the line kept as UTF-8, Ctrl-Z at its start ending the
// input; a file or pipe gives its bytes as they are.
TypedLine readPlainLine(std::istream& in, bool typed, bool first, std::string& line);

// Calls `read` with Ctrl-C making the read under way fail instead of ending the program;
// whether Ctrl-C was pressed meanwhile.
bool interruptedWhile(const std::function<void()>& read);

} // namespace terminal
