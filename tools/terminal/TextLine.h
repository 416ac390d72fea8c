// A line of text as every reader of tarnhost takes it, from a file, a pipe, a terminal or a
// console: without the "\r" of a CRLF line end, and the first line without a UTF-8 byte-order
// mark. The one place that decides both.
#pragma once

#include <algorithm>
#include <cstddef>
#include <istream>

namespace terminal {

// Takes off the end of the line that starts at byte `start` of `text` and runs to its end: a "\r"
// ending it and, when it is the first line (`first`), a UTF-8 byte-order mark starting it.
// `Text` is any sequence of chars (std::string, std::deque<char>).
template <class Text> void trimLine(Text& text, std::size_t start, bool first) {
    const auto begin = text.begin() + static_cast<std::ptrdiff_t>(start);
    const char mark[] = "\xEF\xBB\xBF";
    if (first && text.size() - start >= 3 && std::equal(mark, mark + 3, begin)) {
        text.erase(begin, begin + 3);
    }
    if (text.size() > start && text.back() == '\r') {
        text.pop_back();
    }
}

// Appends the next line of `in` to `text`, trimmed (see trimLine) and without its "\n"; false at
// the end of input, with nothing appended. The bytes are taken from the stream's buffer itself,
// so a read that fails throws the buffer's own exception; the end of input sets eofbit.
template <class Text> bool readTextLine(std::istream& in, bool first, Text& text) {
    const std::size_t start = text.size();
    std::streambuf* bytes = in.good() ? in.rdbuf() : nullptr;
    int byte = std::char_traits<char>::eof();
    while (bytes != nullptr && (byte = bytes->sbumpc()) != std::char_traits<char>::eof() &&
           byte != '\n') {
        text.push_back(static_cast<char>(byte));
    }
    const bool any = byte == '\n' || text.size() > start;
    in.setstate(byte == '\n' ? std::ios::goodbit
                : any        ? std::ios::eofbit
                             : std::ios::eofbit | std::ios::failbit);
    trimLine(text, start, first);
    return any;
}

} // namespace terminal
