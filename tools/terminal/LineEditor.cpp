#include "LineEditor.h"

#include <istream>
#include <ostream>

#if defined(LINE_EDITING)
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/select.h>
#include <unistd.h>

#include <editline/readline.h>
#endif

namespace terminal {

#if defined(LINE_EDITING)
namespace {

// The history file of `application`, its directory made if need be; empty when neither
// XDG_STATE_HOME nor HOME is set.
std::string historyPath(const std::string& application) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path directory;
    if (state != nullptr && *state != '\0') {
        directory = std::filesystem::path(state) / application;
    } else if (home != nullptr && *home != '\0') {
        directory = std::filesystem::path(home) / ".local" / "state" / application;
    } else {
        return "";
    }
    std::error_code ignored; // reading and writing it will fail quietly
    std::filesystem::create_directories(directory, ignored);
    return (directory / "history").string();
}

// The editor's callbacks carry no context, so the read in progress is reached from here: the
// words Tab completes, the line handed over (null at the end of input) and whether it came.
struct TypedLine {
    const std::vector<std::string>* words;
    char* line = nullptr;
    bool done = false;
};
TypedLine* typing = nullptr;
volatile std::sig_atomic_t interrupted = 0; // Ctrl-C while a line is being typed

void onInterrupt(int) {
    interrupted = 1;
}

// The words that begin with `text`, one per call, `state` 0 on the first; null after the last.
char* nextCompletion(const char* text, int state) {
    static std::size_t next = 0;
    next = state == 0 ? 0 : next;
    while (typing != nullptr && next < typing->words->size()) {
        const std::string& word = (*typing->words)[next++];
        if (word.compare(0, std::strlen(text), text) == 0) {
            return strdup(word.c_str());
        }
    }
    return nullptr;
}

char** complete(const char* text, int, int) {
    rl_attempted_completion_over = 1; // never file names
    return rl_completion_matches(text, nextCompletion);
}

void lineTyped(char* line) {
    typing->line = line;
    typing->done = true;
}

} // namespace

LineEditor::LineEditor(const std::string& application, bool wanted, std::istream& in,
                       std::ostream& out, bool prompting)
    : editing_(wanted && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)), in_(in), out_(out),
      prompting_(prompting) {
    if (editing_) {
        history_ = historyPath(application);
        using_history();
        stifle_history(1000);
        read_history(history_.c_str());
        rl_attempted_completion_function = complete;
    }
}

LineEditor::~LineEditor() {
    if (editing_ && !history_.empty()) {
        write_history(history_.c_str());
    }
}

bool LineEditor::edit(const std::string& prompt, const std::vector<std::string>& words,
                      std::string& line) {
    TypedLine typed{&words};
    typing = &typed;
    struct sigaction action {
    }, previous{};
    action.sa_handler = onInterrupt; // without SA_RESTART, so the wait below returns
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    rl_callback_handler_install(prompt.c_str(), lineTyped);
    while (!typed.done) {
        fd_set input;
        FD_ZERO(&input);
        FD_SET(STDIN_FILENO, &input);
        const int ready = select(STDIN_FILENO + 1, &input, nullptr, nullptr, nullptr);
        if (interrupted != 0) { // the line typed so far is dropped; a fresh prompt
            interrupted = 0;
            rl_replace_line("", 0);
            rl_callback_handler_remove();
            std::fputs("^C\n", stdout);
            rl_callback_handler_install(prompt.c_str(), lineTyped);
        } else if (ready > 0) {
            rl_callback_read_char();
        } else if (ready < 0) {
            typed.done = true; // input gone
        }
    }
    rl_callback_handler_remove();
    sigaction(SIGINT, &previous, nullptr);
    typing = nullptr;
    const bool ended = typed.line == nullptr;
    line = ended ? "" : typed.line;
    if (!line.empty()) {
        add_history(typed.line);
    }
    std::free(typed.line);
    return !ended;
}
#else
LineEditor::LineEditor(const std::string&, bool, std::istream& in, std::ostream& out,
                       bool prompting)
    : in_(in), out_(out), prompting_(prompting) {}

LineEditor::~LineEditor() {}

bool LineEditor::edit(const std::string&, const std::vector<std::string>&, std::string&) {
    return false;
}
#endif

bool LineEditor::read(const std::string& prompt,
                      const std::function<std::vector<std::string>()>& words, std::string& line) {
    out_ << (prompting_ && !editing_ ? prompt : "") << std::flush;
    if (editing_) {
        return edit(prompt, words(), line);
    }
    const bool read = static_cast<bool>(std::getline(in_, line));
    line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
    return read;
}

} // namespace terminal
