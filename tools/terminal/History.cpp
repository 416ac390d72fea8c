#include "LineEditor.h"

#include "System.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace terminal {

namespace {

// The first line of every history file, which earlier versions need to read it.
constexpr char Heading[] = "_HiStOrY_V2_";

// The history file opened for reading and appending, made if missing, and locked against every
// other session until it is closed; -1 when it cannot be opened or is not a regular file. Opened
// without waiting, so a FIFO in its place blocks nothing.
int openLocked(const std::string& path) {
    const int file = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat status {};
    if (file >= 0 &&
        (fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || flock(file, LOCK_EX) != 0)) {
        close(file);
        return -1;
    }
    return file;
}

// The line as the file keeps it: a backslash doubled, the one byte escaped.
std::string saved(const std::string& line) {
    std::string text;
    for (const char byte : line) {
        text.append(byte == '\\' ? 2 : 1, byte);
    }
    return text + "\n";
}

// A line of the file as it was typed: "\\" a backslash, and "\NNN" (three octal digits, as
// earlier versions wrote some bytes) that byte; anything else as it is.
std::string typed(const std::string& kept) {
    std::string line;
    for (std::size_t at = 0; at < kept.size(); ++at) {
        const auto octal = [&kept](std::size_t from) {
            return from + 3 <= kept.size() && kept.find_first_not_of("01234567", from) >= from + 3;
        };
        if (kept[at] == '\\' && at + 1 < kept.size() && kept[at + 1] == '\\') {
            line += kept[++at];
        } else if (kept[at] == '\\' && octal(at + 1) && kept[at + 1] <= '3') {
            line += static_cast<char>(std::stoi(kept.substr(at + 1, 3), nullptr, 8));
            at += 3;
        } else {
            line += kept[at];
        }
    }
    return line;
}

} // namespace

std::string historyPath(const std::string& application) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::string folder;
    if (state != nullptr && state[0] == '/') {
        folder = state + ("/" + application);
    } else if (home != nullptr && home[0] == '/') {
        folder = home + ("/.local/state/" + application);
    } else {
        return "";
    }
    platform::makeFolders(folder); // one that cannot be made fails reading and writing, quietly
    return folder + "/history";
}

std::vector<std::string> loadHistory(const std::string& path, std::size_t lines) {
    const int file = openLocked(path);
    if (file < 0) {
        return {};
    }
    std::string text;
    char buffer[1 << 16];
    for (long count; (count = platform::readSome(file, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    std::vector<std::string> kept;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        kept.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (!kept.empty() && kept.front() == Heading) {
        kept.erase(kept.begin());
    }
    const bool over = kept.size() > lines;
    if (over) {
        kept.erase(kept.begin(), kept.end() - static_cast<std::ptrdiff_t>(lines));
    }
    if (over || text.empty()) { // cut in place, under the lock; a new file gets its heading
        std::string cut = std::string(Heading) + "\n";
        for (const std::string& line : kept) {
            cut += line + "\n";
        }
        int error = 0; // a history that cannot be written is let go
        if (ftruncate(file, 0) == 0) {
            platform::writeAll(file, cut.data(), cut.size(), error);
        }
    }
    platform::closeFile(file);
    for (std::string& line : kept) {
        line = typed(line);
    }
    return kept;
}

void appendToHistory(const std::string& path, const std::string& line) {
    const int file = openLocked(path);
    if (file >= 0) {
        const std::string text = saved(line);
        int error = 0; // a history that cannot be written is let go
        platform::writeAll(file, text.data(), text.size(), error);
        platform::closeFile(file);
    }
}

} // namespace terminal
