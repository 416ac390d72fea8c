// Reading what a person types: plain lines, or on a terminal where libedit was found, line
// editing with a history kept between sessions, Ctrl-C cancelling the line being typed and Tab
// completing the words of the language and the names in the arena.
#include "Tarnhost.h"

#include <cstdlib>
#include <istream>
#include <ostream>

#if defined(TARNHOST_LINE_EDITING)
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/select.h>
#include <unistd.h>

#include <editline/readline.h>
#endif

namespace tarnhost {

#if defined(TARNHOST_LINE_EDITING)
namespace {

// The editor's callbacks carry no context, so the read in progress is reached from here: the
// words Tab completes, the line handed over (null at the end of input) and whether it came.
struct TypedLine {
    std::vector<std::string> words;
    char* line = nullptr;
    bool done = false;
};
TypedLine* typing = nullptr;
volatile std::sig_atomic_t interrupted = 0; // Ctrl-C while a line is being typed

void onInterrupt(int) {
    interrupted = 1;
}

// The completions of `text`, one per call, `state` 0 on the first; null after the last.
char* nextCompletion(const char* text, int state) {
    static std::size_t next = 0;
    next = state == 0 ? 0 : next;
    const std::size_t length = std::strlen(text);
    while (typing != nullptr && next < typing->words.size()) {
        const std::string& word = typing->words[next++];
        if (word.compare(0, length, text) == 0) {
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

// $XDG_STATE_HOME/tarnhost/history, else ~/.local/state/tarnhost/history; empty when neither
// variable is set.
std::string historyPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path directory;
    if (state != nullptr && *state != '\0') {
        directory = std::filesystem::path(state) / "tarnhost";
    } else if (home != nullptr && *home != '\0') {
        directory = std::filesystem::path(home) / ".local" / "state" / "tarnhost";
    } else {
        return "";
    }
    std::error_code ignored; // a history that cannot be kept is no reason to stop
    std::filesystem::create_directories(directory, ignored);
    return (directory / "history").string();
}
#endif

LineReader::LineReader(std::istream& in, std::ostream& out, bool terminal)
    : in_(in), out_(out), terminal_(terminal) {
#if defined(TARNHOST_LINE_EDITING)
    editing_ = terminal && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    if (editing_) {
        history_ = historyPath();
        using_history();
        stifle_history(1000);
        read_history(history_.c_str());
        rl_attempted_completion_function = complete;
    }
#endif
}

LineReader::~LineReader() {
#if defined(TARNHOST_LINE_EDITING)
    if (editing_ && !history_.empty()) {
        write_history(history_.c_str());
    }
#endif
}

bool LineReader::read(Session& session, const std::string& prompt, std::string& line) {
#if defined(TARNHOST_LINE_EDITING)
    if (editing_) {
        TypedLine typed{wordsToComplete(session)};
        typing = &typed;
        struct sigaction action {
        }, previous{};
        action.sa_handler = onInterrupt; // without SA_RESTART, so the wait below returns
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous);
        out_ << std::flush;
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
                out_ << "^C\n" << std::flush;
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
    (void)session;
#endif
    out_ << (terminal_ ? prompt : "") << std::flush;
    const bool read = static_cast<bool>(std::getline(in_, line));
    line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
    return read;
}

} // namespace tarnhost
