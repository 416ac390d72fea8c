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
// the end of input, with nothing appended.
template <class Text> bool readTextLine(std::istream& in, bool first, Text& text) {
    const std::size_t start = text.size();
    bool any = false;
    for (char byte; in.get(byte) && byte != '\n';) {
        text.push_back(byte);
        any = true;
    }
    any = any || in.good(); // a "\n" was read; not at the end nor after a failed read
    trimLine(text, start, first);
    return any;
}

} // namespace terminal
