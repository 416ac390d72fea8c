#include "LineEditor.h"

#include "Console.h"

#include <ostream>

#if defined(LINE_EDITING)
#include "History.h"

#include <algorithm>
#include <cstdio>
#include <locale.h>
#include <unistd.h>
#endif

namespace terminal {

#if defined(LINE_EDITING)

// An editor and its history on the terminal. Its characters are UTF-8 whatever the locale (this
// thread's locale while the session lasts), so any UTF-8 text typed is kept whole and shown as
// itself. The history file, and what the line being read shows and completes with.
struct EditingSession {
    explicit EditingSession(const std::string& application)
        : editor(el_init(application.c_str(), stdin, stdout, stderr)) {}
    ~EditingSession() {
        if (editor != nullptr) {
            el_end(editor); // the terminal as it was found
        }
        if (history != nullptr) {
            history_end(history);
        }
        uselocale(previous);
        if (characters != nullptr) {
            freelocale(characters);
        }
    }
    locale_t characters = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    locale_t previous = uselocale(characters != nullptr ? characters : LC_GLOBAL_LOCALE);
    EditLine* editor;
    History* history = history_init();
    std::string historyFile, prompt;
    const Completer* complete = nullptr;
};

namespace {

// The session an editor of openEditing serves.
EditingSession& sessionOf(EditLine* editor) {
    void* session = nullptr;
    el_get(editor, EL_CLIENTDATA, &session);
    return *static_cast<EditingSession*>(session);
}

// The prompt the editor shows, as the line being read gave it.
char* promptOf(EditLine* editor) {
    return sessionOf(editor).prompt.data();
}

// Tab: puts in place of the word being typed its one choice and a blank, or the longest
// beginning its choices share; lists the choices when that adds nothing; beeps when none.
unsigned char completeWord(EditLine* editor, int) {
    try {
        const LineInfo* typed = el_line(editor);
        const std::string before(typed->buffer, typed->cursor);
        const Completion found = (*sessionOf(editor).complete)(before);
        const std::string word = before.substr(std::min(found.wordStart, before.size()));
        std::string shared = found.choices.empty() ? "" : found.choices[0];
        for (const std::string& choice : found.choices) {
            shared.erase(
                std::mismatch(shared.begin(), shared.end(), choice.begin(), choice.end()).first,
                shared.end());
        }
        while (!shared.empty() && shared.size() < found.choices[0].size() &&
               (found.choices[0][shared.size()] & 0xC0) == 0x80) {
            shared.pop_back(); // not inside a character
        }
        shared += found.choices.size() == 1 ? " " : "";
        if (shared.size() > word.size()) {
            el_deletestr(editor,
                         static_cast<int>(std::count_if(word.begin(), word.end(), [](char byte) {
                             return (byte & 0xC0) != 0x80;
                         })));
            return el_insertstr(editor, shared.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
        } else if (found.choices.empty()) {
            return CC_REFRESH_BEEP;
        }
        std::string list = "\n";
        for (const std::string& choice : found.choices) {
            list += choice + "  ";
        }
        std::fputs((list + "\n").c_str(), stdout);
        return CC_REDISPLAY;
    } catch (const std::exception&) { // nothing is thrown through the editor
        return CC_ERROR;
    }
}

// An editing session on the terminal; null when standard input or output is not a terminal.
std::unique_ptr<EditingSession> openEditing(const std::string& application) {
    if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
        return nullptr;
    }
    auto session = std::make_unique<EditingSession>(application);
    EditLine* editor = session->editor;
    if (editor == nullptr || session->history == nullptr) {
        return nullptr;
    }
    el_set(editor, EL_EDITOR, "emacs");
    el_set(editor, EL_SIGNAL, 1); // the terminal kept right through Ctrl-Z, fg and resizes
    el_set(editor, EL_CLIENTDATA, session.get());
    el_set(editor, EL_PROMPT, promptOf);
    el_set(editor, EL_HIST, history, session->history);
    // Named in wide characters, which the editor keeps as they are (narrow names it copies, and
    // never frees).
    el_wset(editor, EL_ADDFN, L"complete-word", L"Complete the word being typed", completeWord);
    el_wset(editor, EL_BIND, L"^I", L"complete-word", nullptr);
    session->historyFile = historyPath(application);
    loadHistory(session->history, session->historyFile, 1000);
    return session;
}

// The next line edited after `prompt`, Ctrl-C dropping the line typed so far and prompting
// again; false at the end of input.
bool editLine(EditingSession& session, const std::string& prompt, const Completer& complete,
              std::string& line) {
    session.prompt = prompt;
    session.complete = &complete;
    const char* typed = nullptr;
    int count = 0;
    while (interruptedWhile([&] { typed = el_gets(session.editor, &count); }) && typed == nullptr) {
        std::fputs("^C\n", stdout);
    }
    if (typed == nullptr || count <= 0) {
        return false;
    }
    line.assign(typed, static_cast<std::size_t>(count) - (typed[count - 1] == '\n' ? 1 : 0));
    if (line.find_first_not_of(" \t") != std::string::npos) {
        addToHistory(session.history, session.historyFile, line);
    }
    return true;
}

} // namespace

#else

struct EditingSession {};

#endif

LineEditor::LineEditor(const std::string& application, bool onTerminal, std::istream& in,
                       std::ostream& out, bool prompting)
    : onTerminal_(onTerminal), in_(in), out_(out), prompting_(prompting) {
#if defined(LINE_EDITING)
    editing_ = onTerminal ? openEditing(application) : nullptr;
#else
    static_cast<void>(application);
#endif
}

LineEditor::~LineEditor() = default;

bool LineEditor::read(const std::string& prompt, const Completer& complete, std::string& line) {
    out_ << std::flush;
#if defined(LINE_EDITING)
    if (editing_ != nullptr) {
        return editLine(*editing_, prompt, complete, line);
    }
#else
    static_cast<void>(complete);
#endif
    for (;;) {
        out_ << (prompting_ ? prompt : "") << std::flush;
        const TypedLine typed = readPlainLine(in_, onTerminal_, line);
        if (typed != TypedLine::Cancelled) {
            return typed == TypedLine::Read;
        }
        out_ << "\n";
    }
}

} // namespace terminal
