#include "History.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace terminal {

namespace {

// Appends `text` to the file, made if missing, in one write, so that the lines of sessions open
// together never mix; with `first`, only to an empty file.
void append(const std::string& path, const std::string& text, bool first = false) {
    const int file = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (file >= 0) {
        const bool wanted = !first || lseek(file, 0, SEEK_END) == 0;
        if (wanted && write(file, text.data(), text.size()) < 0) {
            // let go, as a history that cannot be read is
        }
        close(file);
    }
}

} // namespace

std::string historyPath(const std::string& application) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder;
    if (state != nullptr && state[0] == '/') {
        folder = std::filesystem::path(state) / application;
    } else if (home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".local" / "state" / application;
    } else {
        return "";
    }
    std::error_code ignored; // reading and writing it will fail quietly
    std::filesystem::create_directories(folder, ignored);
    return (folder / "history").string();
}

void loadHistory(History* history, const std::string& path, int lines) {
    HistEvent event;
    ::history(history, &event, H_SETSIZE, lines);
    ::history(history, &event, H_SETUNIQUE, 1);
    append(path, "_HiStOrY_V2_\n", true); // the first line of every history file
    if (::history(history, &event, H_LOAD, path.c_str()) > lines) {
        const std::string cut = path + "." + std::to_string(getpid());
        if (::history(history, &event, H_SAVE, cut.c_str()) < 0 ||
            std::rename(cut.c_str(), path.c_str()) != 0) {
            std::remove(cut.c_str());
        }
    }
}

void addToHistory(History* history, const std::string& path, const std::string& line) {
    HistEvent event;
    ::history(history, &event, H_ENTER, line.c_str());
    std::string saved; // as the file holds it: a backslash doubled, the one byte it escapes
    for (const char byte : line) {
        saved.append(byte == '\\' ? 2 : 1, byte);
    }
    append(path, saved + "\n");
}

} // namespace terminal
