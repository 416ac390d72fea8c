// Line editing with libedit. libedit's own signal handling is left off: it ends the whole process
// group on a signal, and a resize it handles mid-line can corrupt its memory on a narrow window.
// Here the terminal is handled by this file instead: Ctrl-C cancels the line, Ctrl-Z stops
// tarnhost alone with the terminal restored, a resize is taken between keys, and a signal that
// ends the program restores the terminal and ends this process only. Keys are read and decoded
// here too, so text typed never depends on the machine's locales. The history file is kept here.
#include "LineEditor.h"

#include "PrintableText.h"
#include "System.h"

#include <histedit.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace terminal {

namespace {

constexpr std::size_t HistoryLines = 1000;
// The first line of every history file, which earlier versions need to read it.
constexpr char Heading[] = "_HiStOrY_V2_";

// The history file opened for reading and appending, made if missing, and locked against every
// other session until it is closed; -1 when it cannot be opened or is not a regular file. Opened
// without waiting, so a FIFO in its place blocks nothing.
int openLocked(const std::string& path) {
    const int file = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat status {};
    // GCOVR_EXCL_BR_START: fstat of an open file, and a lock that waits, fail on no system here.
    if (file >= 0 &&
        (fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || flock(file, LOCK_EX) != 0)) {
        // GCOVR_EXCL_BR_STOP
        close(file);
        return -1;
    }
    return file;
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

// The history file of `application`, its folder made if need be:
// $XDG_STATE_HOME/APPLICATION/history, else $HOME/.local/state/APPLICATION/history, each taken
// only when it is an absolute path; empty when neither is.
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

// The file's last `lines` lines, oldest first, the file cut to them in place when it holds more
// (a symbolic link is written through, never replaced). Empty when the file cannot be read or is
// not a regular file (a FIFO is never waited on); the file is made when missing.
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
        int error = 0;                 // a history that cannot be written is let go
        if (ftruncate(file, 0) == 0) { // GCOVR_EXCL_BR_LINE fails only on a broken file system
            platform::writeAll(file, cut.data(), cut.size(), error);
        }
    }
    platform::closeFile(file);
    for (std::string& line : kept) {
        line = typed(line);
    }
    return kept;
}

// Adds `line` to the end of the file, at once and under a lock, so that sessions open together
// keep all their lines and a session that hangs up has lost none. A file that cannot be written,
// or is not a regular file, is let go without a word.
void appendToHistory(const std::string& path, const std::string& line) {
    const int file = openLocked(path);
    if (file >= 0) {
        std::string text; // a backslash doubled, the one byte escaped
        for (const char byte : line) {
            text.append(byte == '\\' ? 2 : 1, byte);
        }
        text += "\n";
        int error = 0; // a history that cannot be written is let go
        platform::writeAll(file, text.data(), text.size(), error);
        platform::closeFile(file);
    }
}

// The narrowest window the editor is told of: narrower ones are drawn as if this wide, which
// a terminal wraps, rather than handed to the editor, which mishandles them.
constexpr int NarrowestColumns = 20;
// A byte that is not part of valid UTF-8 is carried through the editor as this code point plus
// the byte (U+DC80 to U+DCFF, which no UTF-8 text holds), and written back as the byte.
constexpr wchar_t KeptByte = 0xDC00;

volatile std::sig_atomic_t interrupted = 0, resized = 0, stopped = 0, continued = 0;
struct termios original {}; // the terminal as found, restored by a signal that ends the program

// Ctrl-C, a resize, Ctrl-Z or fg: noted, and taken between keys.
void onSignal(int number) {
    (number == SIGINT     ? interrupted
     : number == SIGWINCH ? resized
     : number == SIGTSTP  ? stopped
                          : continued) = 1;
}

// A signal that ends the program: the terminal as it was found, then this process alone ends as
// the signal ends it.
// GCOVR_EXCL_START: the signal then ends the process, so its counts are never written; the
// terminal test's row of a signal shows it.
void onEnding(int number) {
    tcsetattr(STDIN_FILENO, TCSANOW, &original);
    std::signal(number, SIG_DFL);
    std::raise(number);
}
// GCOVR_EXCL_STOP

// Installs `handler` for each signal, without SA_RESTART so that a read under way returns.
void handle(std::initializer_list<int> numbers, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int number : numbers) {
        sigaction(number, &action, nullptr);
    }
}

} // namespace

// An editor and its history on the terminal; the keys read but not yet given to the editor; the
// history file, and what the line being read shows and completes with. Its characters are shown
// through a UTF-8 locale where the machine has one.
struct EditingSession {
    explicit EditingSession(const std::string& application)
        : editor(el_init(application.c_str(), stdin, stdout, stderr)) {}
    ~EditingSession() {
        if (editor != nullptr) { // GCOVR_EXCL_BR_LINE null only when memory runs out
            el_end(editor);      // the terminal as it was found
        }
        if (history != nullptr) { // GCOVR_EXCL_BR_LINE null only when memory runs out
            history_wend(history);
        }
        handle({SIGINT, SIGWINCH, SIGTSTP, SIGCONT, SIGTERM, SIGHUP, SIGQUIT}, SIG_DFL);
        uselocale(previous);
        if (characters != nullptr) { // GCOVR_EXCL_BR_LINE null only without C.UTF-8
            freelocale(characters);
        }
    }
    locale_t characters = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    locale_t previous = uselocale(characters != nullptr ? characters : LC_GLOBAL_LOCALE);
    EditLine* editor;
    HistoryW* history = history_winit();
    std::string partial; // the bytes of a character being typed
    std::deque<wchar_t> keys;
    bool cancelled = false;
    std::string historyFile;
    std::wstring prompt;
    const Completer* complete = nullptr;
};

namespace {

// The session an editor of openEditing serves.
EditingSession& sessionOf(EditLine* editor) {
    void* session = nullptr;
    el_get(editor, EL_CLIENTDATA, &session);
    return *static_cast<EditingSession*>(session);
}

// The characters the UTF-8 bytes stand for, each byte outside valid UTF-8 as KeptByte + byte.
std::wstring decoded(const std::string& bytes) {
    std::wstring wide;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = characterLength(bytes, at);
        std::uint32_t code = length == 0   ? KeptByte + byte
                             : length == 1 ? byte
                                           : byte & (0xFF >> (length + 1));
        for (std::size_t next = 1; next < length; ++next) {
            code = code << 6 | (static_cast<unsigned char>(bytes[at + next]) & 0x3F);
        }
        wide += static_cast<wchar_t>(code);
        at += length == 0 ? 1 : length;
    }
    return wide;
}

// The UTF-8 bytes of the characters, each KeptByte + byte as that byte.
std::string encoded(const std::wstring& wide) {
    std::string bytes;
    for (const wchar_t character : wide) {
        const auto code = static_cast<std::uint32_t>(character);
        if (code >= KeptByte + 0x80u && code <= KeptByte + 0xFFu) {
            bytes += static_cast<char>(code - KeptByte);
        } else if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else {
            const std::size_t length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
            bytes += static_cast<char>((0xF00 >> length) | (code >> (6 * (length - 1))));
            for (std::size_t next = length - 1; next-- > 0;) {
                bytes += static_cast<char>(0x80 | ((code >> (6 * next)) & 0x3F));
            }
        }
    }
    return bytes;
}

// Takes the signals noted since the last key: a resize is told to the editor, Ctrl-Z stops the
// program with the terminal as it was found and sets it up again on fg. True when Ctrl-C cancels
// the line.
bool takeSignals(EditLine* editor) {
    if (stopped != 0) {
        stopped = 0;
        el_set(editor, EL_PREP_TERM, 0);
        handle({SIGTSTP}, SIG_DFL);
        std::raise(SIGTSTP); // this process alone stops, until fg
        handle({SIGTSTP}, onSignal);
        continued = 1;
    }
    if (continued != 0) { // the shell had the terminal meanwhile, and the window may have changed
        continued = 0;
        el_set(editor, EL_PREP_TERM, 0);
        el_set(editor, EL_PREP_TERM, 1);
        resized = 1;
    }
    if (resized != 0) {
        resized = 0;
        struct winsize size {}; // never narrower than NarrowestColumns
        // GCOVR_EXCL_BR_START: a terminal always tells its size, of one row at least.
        if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= NarrowestColumns &&
            size.ws_row >= 1) {
            // GCOVR_EXCL_BR_STOP
            el_resize(editor);
        } else {
            el_set(editor, EL_SETTC, "co", std::to_string(NarrowestColumns).c_str(), nullptr);
        }
        // The editor must draw the line anew on its resized buffers, or its next key writes past
        // them. The terminal may have moved the line meanwhile, so it starts on a cleared row
        // rather than after what is shown.
        std::fputs("\r\033[K", stdout);
        el_set(editor, EL_REFRESH);
    }
    const bool cancel = interrupted != 0;
    interrupted = 0;
    return cancel;
}

// How many bytes the UTF-8 character that starts with `lead` takes; 1 for a byte that starts none.
std::size_t leadLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    return byte < 0xC2 || byte > 0xF4 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

// The editor's source of keys: the next character typed, decoded here whatever the locale. 1
// with the character, 0 at the end of input, -1 on Ctrl-C (the line cancelled) or a failed read.
int readKey(EditLine* editor, wchar_t* key) {
    EditingSession& session = sessionOf(editor);
    std::string& bytes = session.partial;
    const auto give = [&] { // the bytes to the editor as the characters they stand for
        const std::wstring characters = decoded(bytes);
        session.keys.insert(session.keys.end(), characters.begin(), characters.end());
        bytes.clear();
    };
    while (session.keys.empty()) {
        if (takeSignals(editor)) {
            session.cancelled = true;
            errno = EINTR;
            return -1;
        }
        char byte = 0;
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count == 0 || (count < 0 && errno != EINTR)) { // GCOVR_EXCL_BR_LINE (see below)
            // GCOVR_EXCL_START: the terminal gone; its hang-up signal, which ends the process
            // uncounted, most often comes first (the test of a hang-up shows the history kept).
            return static_cast<int>(count);
            // GCOVR_EXCL_STOP
        } else if (count < 0) {
            continue;
        }
        if (!bytes.empty() && !isContinuationByte(byte)) {
            give(); // a character cut short: kept as bytes
        }
        bytes += byte;
        if (bytes.size() >= leadLength(bytes[0])) {
            give();
        }
    }
    *key = session.keys.front();
    session.keys.pop_front();
    return 1;
}

// Tab: applies the completer's answer: the word replaced, the choices listed, or a beep.
unsigned char completeWord(EditLine* editor, int) {
    try {
        const LineInfoW* typed = el_wline(editor);
        const std::string before = encoded(std::wstring(typed->buffer, typed->cursor));
        const TabAnswer answer = (*sessionOf(editor).complete)(before);
        if (!answer.replacement.empty()) {
            const std::size_t start = std::min(answer.wordStart, before.size());
            el_wdeletestr(editor, static_cast<int>(decoded(before.substr(start)).size()));
            // GCOVR_EXCL_BR_START: inserting fails only when memory runs out.
            return el_winsertstr(editor, decoded(answer.replacement).c_str()) == 0
                       ? CC_REFRESH
                       : CC_ERROR; // GCOVR_EXCL_LINE only when memory runs out
            // GCOVR_EXCL_BR_STOP
        } else if (answer.listed.empty()) {
            return CC_REFRESH_BEEP;
        }
        std::string list = "\n";
        for (const std::string& choice : answer.listed) {
            list += shown(choice) + "  ";
        }
        std::fputs((list + "\n").c_str(), stdout);
        return CC_REDISPLAY;
    } catch (const std::exception&) { // nothing is thrown through the editor
        return CC_ERROR;              // GCOVR_EXCL_LINE only when memory runs out
    }
}

} // namespace

void closeEditing(EditingSession* session) {
    delete session;
}

Editing openEditing(const std::string& application) {
    Editing none(nullptr, closeEditing);
    // GCOVR_EXCL_BR_START: asked only with a terminal's input, whose settings tcgetattr reads.
    if (!platform::isTerminal(platform::Stream::Input) ||
        !platform::isTerminal(platform::Stream::Output) ||
        tcgetattr(STDIN_FILENO, &original) != 0) {
        // GCOVR_EXCL_BR_STOP
        return none;
    }
    Editing session(new EditingSession(application), closeEditing);
    EditLine* editor = session->editor;
    if (editor == nullptr || session->history == nullptr) { // GCOVR_EXCL_BR_LINE (see below)
        return none; // GCOVR_EXCL_LINE only when memory runs out
    }
    el_set(editor, EL_EDITOR, "emacs");
    el_set(editor, EL_SIGNAL, 0);
    handle({SIGINT, SIGWINCH, SIGTSTP, SIGCONT}, onSignal);
    handle({SIGTERM, SIGHUP, SIGQUIT}, onEnding);
    el_set(editor, EL_CLIENTDATA, session.get());
    el_wset(
        editor, EL_PROMPT, +[](EditLine* asking) { return sessionOf(asking).prompt.data(); });
    el_wset(editor, EL_GETCFN, readKey);
    el_wset(editor, EL_HIST, history_w, session->history);
    // Named in wide characters, which the editor keeps as they are (narrow names it copies, and
    // never frees).
    el_wset(editor, EL_ADDFN, L"complete-word", L"Complete the word being typed", completeWord);
    el_wset(editor, EL_BIND, L"^I", L"complete-word", nullptr);
    HistEventW event;
    history_w(session->history, &event, H_SETSIZE, static_cast<int>(HistoryLines));
    history_w(session->history, &event, H_SETUNIQUE, 1);
    session->historyFile = historyPath(application);
    for (const std::string& line : loadHistory(session->historyFile, HistoryLines)) {
        history_w(session->history, &event, H_ENTER, decoded(line).c_str());
    }
    return session;
}

bool editLine(EditingSession& session, const std::string& prompt, const Completer& complete,
              std::string& line) {
    session.prompt = decoded(prompt);
    session.complete = &complete;
    const wchar_t* typed = nullptr;
    int count = 0;
    for (session.cancelled = true; session.cancelled;) {
        session.cancelled = false;
        session.keys.clear();
        session.partial.clear();
        typed = el_wgets(session.editor, &count);
        if (session.cancelled) {
            std::fputs("^C\n", stdout);
        }
    }
    if (typed == nullptr || count <= 0) {
        return false;
    }
    std::wstring wide(typed, static_cast<std::size_t>(count));
    wide.erase(wide.empty() || wide.back() != L'\n' ? wide.size() : wide.size() - 1);
    line = encoded(wide);
    if (line.find_first_not_of(" \t") != std::string::npos) {
        HistEventW event;
        history_w(session.history, &event, H_ENTER, wide.c_str());
        appendToHistory(session.historyFile, line);
    }
    return true;
}

} // namespace terminal
