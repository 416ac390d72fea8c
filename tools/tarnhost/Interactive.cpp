#include "Interactive.h"

#include "Completion.h"
#include "LineEditor.h"
#include "PrintableText.h"
#include "Story.h"
#include "Verbs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>

namespace tarnhost {

namespace {

namespace fs = std::filesystem;

// What was typed, saved with what it printed as expected lines: the file, and whether it was a
// regular file when opened (then it must still be there, holding what was written).
struct Recording {
    std::ofstream file;
    fs::path path;
    bool regular = false;

    // Why the recording has failed, or empty: it cannot be written, or it (or its folder) was
    // removed or replaced meanwhile.
    std::string failure() {
        std::error_code error;
        const bool written = static_cast<bool>(file.flush());
        const int reason = errno;
        if (written && regular && fs::file_size(path, error) != std::uintmax_t(file.tellp())) {
            return "it was removed or replaced while recording";
        }
        return written ? "" : reason != 0 ? std::strerror(reason) : "it cannot be written";
    }
};

} // namespace

int runInteractive(Session& session, std::istream& in, std::ostream& out, std::ostream& errors,
                   const InteractiveOptions& options) {
    Recording record;
    // Tells that the recording cannot be written, saying why; the exit status.
    const auto recordFails = [&options, &errors](const std::string& why) {
        errors << "tarnhost: write error on " << terminal::shownPath(options.recordPath) << ": "
               << why << "\n";
        return 2;
    };
    if (!options.recordPath.empty()) {
        record.path = fs::u8path(options.recordPath);
        errno = 0;
        record.file.open(record.path, std::ios::binary);
        const int openFailure = errno;
        std::error_code error;
        record.regular = fs::is_regular_file(record.path, error);
        errno = openFailure;
        record.file << "# Recorded by tarnhost.\n" << (session.effects ? "effects on\n" : "");
        if (const std::string why = record.failure(); !why.empty()) {
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
        line.erase(0, number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
        try {
            const LineResult result = perform(session, line);
            if (result.quits) {
                break;
            }
            tell(result, out);
            // Only what tells the story goes into a recording: looking (help, state) changes
            // nothing, and its output would tie the scenario to today's wording.
            std::string comment;
            if (record.file.is_open() && (result.acted || markedLine(line, '#', comment))) {
                record.file << line << "\n";
                for (const std::string& printed : result.output) {
                    record.file << "> " << printed << "\n";
                    recordedOutput = true;
                }
                if (const std::string why = record.failure(); !why.empty()) {
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
    if (record.file.is_open()) {
        if (const std::string why = record.failure(); !why.empty()) {
            return recordFails(why);
        } else if (!recordedOutput) {
            out << "tarnhost: no line printed anything, so "
                << terminal::shownPath(options.recordPath)
                << " has nothing for --check to compare; --check fails it\n";
        }
        record.file.close();
        if (record.file.fail()) { // all was flushed and found written just above
            return recordFails(std::strerror(errno)); // GCOVR_EXCL_LINE no test can fail a close
        }
    }
    return refused && !options.terminal ? 1 : 0;
}

} // namespace tarnhost
