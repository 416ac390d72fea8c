// Any string of bytes shown to a person unambiguously: printable UTF-8 as it is, everything else
// escaped, so each shown text stands for exactly one string of bytes.
#pragma once

#include <cstddef>
#include <string>

namespace terminal {

// Whether `text` holds a control character: an ASCII control byte, or a C1 control (U+0080 to
// U+009F, the bytes C2 80 to C2 9F).
bool holdsControl(const std::string& text);
// Whether the byte continues a UTF-8 character rather than starting one.
bool isContinuationByte(char byte);
// The length of the valid UTF-8 character at `at` in `text` (at < text.size()): 1 for a byte
// below 0x80, 2 to 4 for a sequence that is not overlong, not a surrogate, not beyond U+10FFFF
// and not cut short; 0 for a byte that starts no such sequence.
std::size_t characterLength(const std::string& text, std::size_t at);
// `text` as printed: a backslash as \\, and each control byte, the bytes of each C1 control,
// each byte outside valid UTF-8 and a byte-order mark as \xNN.
std::string shown(const std::string& text);
// A file path as printed: as shown(), except on Windows, where no file name can hold a
// backslash, so the separator is printed as it is and still stands for one path; the empty path
// as ''.
std::string shownPath(const std::string& path);
// A whole line as printed: as shown(), and a blank ending it as \x20, so that it shows.
std::string shownLine(const std::string& line);
// A line written in that printed form (an expected line): raw bytes that shown() escapes, and a
// blank ending it, are escaped the same way; backslashes are kept as written.
std::string asPrinted(const std::string& line);
// shown(text) in single quotes; a text longer than 60 bytes is cut there, the cut marked
// after the closing quote with the whole length: 'abc'... (3000000 bytes).
std::string quoted(const std::string& text);

} // namespace terminal
