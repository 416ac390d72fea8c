// A person at a console window or a terminal, without line editing: UTF-8 text shown on a Windows
// console as the characters it stands for, and plain lines read, Ctrl-C cancelling the one being
// typed.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace terminal {

// On Windows, standard output and error that are consoles show UTF-8 text as the characters it
// stands for, whatever the console's code page; files and pipes, and every stream elsewhere, get
// the bytes as they are.
void showUtf8OnConsoles();

// How reading a line ended: with the line, with Ctrl-C cancelling it, or at the end of input.
enum class TypedLine { Read, Cancelled, Ended };

// The next line of `in`, without its "\n" or "\r\n" end. With `typed` (`in` is standard input,
// where a person types), Ctrl-C cancels the line being typed instead of ending the program, and
// on Windows a console is read in UTF-16 and the line kept as UTF-8, Ctrl-Z at its start ending
// the input; a file or pipe gives its bytes as they are.
TypedLine readPlainLine(std::istream& in, bool typed, std::string& line);

#if !defined(_WIN32)
// Calls `read` with Ctrl-C (SIGINT) making the read under way fail with EINTR instead of ending
// the program; whether Ctrl-C was pressed meanwhile.
bool interruptedWhile(const std::function<void()>& read);
#endif

} // namespace terminal
