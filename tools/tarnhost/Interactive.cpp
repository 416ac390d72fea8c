#include "Interactive.h"

#include "LineEditor.h"
#include "PrintableText.h"
#include "Story.h"
#include "Streams.h"
#include "System.h"
#include "Verbs.h"
#include "Words.h"

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <ostream>
#include <utility>

namespace tarnhost {

namespace {

// What was typed, saved with what it printed as expected lines, each piece written at once: the
// file, and its identity when it is a regular file (which must then still be at its path).
struct Recording {
    int file = -1;
    std::string path;
    bool regular = false;
    platform::Identity identity;

    Recording() = default;
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;
    ~Recording() {
        if (file >= 0) {
            platform::closeFile(file);
        }
    }

    // Writes `text`; why the recording has failed, or empty: it cannot be written, or it (or its
    // folder) was removed or replaced meanwhile.
    std::string write(const std::string& text) {
        int error = 0;
        platform::Identity now;
        if (!platform::writeAll(file, text.data(), text.size(), error)) {
            return platform::reason(error);
        } else if (regular && !(platform::identityOf(path, now) && now == identity)) {
            return "it was removed or replaced while recording";
        }
        return "";
    }
};

// What Tab offers: verbs, keywords, `events`, and the current bot's player and flag names, bare
// and as @PLAYER and %FLAG.
std::vector<std::string> wordsToComplete(Session& session) {
    std::vector<std::string> words = languageWords();
    const hostsim::Arena& arena = currentArena(session);
    for (const auto& record : arena.players()) {
        words.insert(words.end(), {record->name(), "@" + record->name()});
    }
    for (const auto& record : arena.flags()) {
        words.insert(words.end(), {arena.flagName(*record), "%" + arena.flagName(*record)});
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

} // namespace

terminal::TabAnswer tabAnswer(const std::string& beforeCursor,
                              const std::vector<std::string>& words) {
    WordReader reader(beforeCursor);
    std::string typed, word;
    bool inside = false; // after a blank or a closing quote, a new word is under way
    while (reader.scan(word)) {
        inside = reader.endsInside();
        typed = word;
    }
    if (reader.comment()) {
        return {beforeCursor.size(), "", {}};
    }
    terminal::TabAnswer answer{inside ? reader.lastStart() : beforeCursor.size(), "", {}};
    typed = inside ? typed : "";
    for (const std::string& each : words) {
        if (each.compare(0, typed.size(), typed) == 0) {
            answer.listed.push_back(wordAsTyped(each));
        }
    }
    const std::vector<std::string>& found = answer.listed;
    std::string shared = found.empty() ? "" : found[0];
    for (const std::string& choice : found) {
        shared.erase(
            std::mismatch(shared.begin(), shared.end(), choice.begin(), choice.end()).first,
            shared.end());
    }
    while (!shared.empty() && shared.size() < found[0].size() &&
           terminal::isContinuationByte(found[0][shared.size()])) {
        shared.pop_back(); // not inside a character
    }
    if (found.size() == 1) {
        answer.replacement = shared + " ";
    } else if (shared.size() > beforeCursor.size() - answer.wordStart) { // longer than typed
        answer.replacement = shared;
    }
    if (!answer.replacement.empty()) {
        answer.listed.clear();
    }
    return answer;
}

int runInteractive(Session& session, std::istream& in, std::ostream& out, std::ostream& errors,
                   const InteractiveOptions& options) {
    Recording record;
    // Tells that the recording cannot be written, saying why; the exit status.
    const auto recordFails = [&options, &errors](const std::string& why) {
        errors << "tarnhost: "
               << commandline::writeError(terminal::shownPath(options.recordPath), why) << "\n";
        return 2;
    };
    if (!options.recordPath.empty()) {
        int error = 0;
        record.path = options.recordPath;
        record.file = platform::openForWriting(record.path, error);
        if (record.file < 0) {
            return recordFails(platform::reason(error));
        }
        record.regular = platform::identityOf(record.file, record.identity);
        const std::string why = record.write(std::string("# Recorded by tarnhost.\n") +
                                             (session.effects ? "effects on\n" : ""));
        if (!why.empty()) {
            return recordFails(why);
        }
    }
    greet(terminal::shownPath(options.modulePath), session.effects, options.automaticInit, out);
    std::string line;
    terminal::LineEditor editor("tarnhost", options.terminal && &in == &std::cin, in, out,
                                options.terminal);
    const auto complete = [&session](const std::string& beforeCursor) {
        return tabAnswer(beforeCursor, wordsToComplete(session));
    };
    bool refused = false, recordedOutput = false;
    for (int number = 1;; ++number) {
        currentArena(session); // the current bot is known from the start
        const bool handshake =
            options.automaticInit && !session.host.log(session.current).handshakeDelivered;
        number -= handshake ? 1 : 0;
        if (handshake) {
            line = "init";
        } else if (!editor.read("bot " + std::to_string(session.current) + "> ", complete, line)) {
            break;
        }
        try {
            const LineResult result = perform(session, line);
            if (result.quits) {
                break;
            }
            tell(result, out);
            // Only what tells the story goes into a recording: looking (help, state) changes
            // nothing, and its output would tie the scenario to today's wording.
            std::string comment;
            if (record.file >= 0 && (result.acted || markedLine(line, '#', comment))) {
                std::string recorded = line + "\n";
                for (const std::string& printed : result.output) {
                    recorded += "> " + printed + "\n";
                    recordedOutput = true;
                }
                if (const std::string why = record.write(recorded); !why.empty()) {
                    return recordFails(why);
                }
            }
        } catch (const ScenarioError& error) {
            out << std::flush;
            errors << "line " << number << ": " << error.what() << "; nothing changed\n";
            refused = true;
        }
        out << std::flush;
    }
    out << (options.terminal ? "\n" : "");
    if (record.file >= 0) {
        if (!recordedOutput) {
            out << "tarnhost: no line printed anything, so "
                << terminal::shownPath(options.recordPath)
                << " has nothing for --check to compare; --check fails it\n";
        }
        // Writing nothing still finds a recording removed after its last line.
        if (const std::string why = record.write(""); !why.empty()) {
            return recordFails(why);
        }
        const int file = std::exchange(record.file, -1);
        if (!platform::closeFile(file)) {                // GCOVR_EXCL_BR_LINE (see below)
            return recordFails(platform::reason(errno)); // GCOVR_EXCL_LINE no test can fail a close
        }
    }
    return refused && !options.terminal ? 1 : 0;
}

} // namespace tarnhost
