#include "Console.h"

#include "System.h"

#include <cstdio>
#include <istream>

namespace terminal {

bool interruptedWhile(const std::function<void()>& read) {
    return platform::whileInterruptible(read);
}

TypedLine readPlainLine(std::istream& in, bool typed, std::string& line) {
    const platform::ConsoleLine console =
        typed ? platform::readConsoleLine(line) : platform::ConsoleLine::NotConsole;
    // GCOVR_EXCL_START: only a Windows console reads lines of its own.
    if (console != platform::ConsoleLine::NotConsole) {
        return console == platform::ConsoleLine::Read        ? TypedLine::Read
               : console == platform::ConsoleLine::Cancelled ? TypedLine::Cancelled
                                                             : TypedLine::Ended;
    }
    // GCOVR_EXCL_STOP
    bool read = false;
    const auto readLine = [&] {
        read = static_cast<bool>(std::getline(in, line));
        line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
    };
    if (!typed) {
        readLine();
    } else if (interruptedWhile(readLine) && !read) { // the terminal dropped what was typed
        in.clear();
        std::clearerr(stdin);
        return TypedLine::Cancelled;
    }
    return read ? TypedLine::Read : TypedLine::Ended;
}

} // namespace terminal
