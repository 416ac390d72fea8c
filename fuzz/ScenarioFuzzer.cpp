// libFuzzer entry point for the scenario reader: each input is a scenario file, played in all
// three styles against the linked core. Beyond the sanitizers, it fails when a play that was not
// refused left an expected line unchecked, or when the styles disagree on pass or fail.
#include "LinkedCore.h"
#include "Tarnhost.h"
#include "bot/InstanceRegistry.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

// How many expected lines ('>') the file states before its end or its `quit`/`exit`, counted
// apart from the reader so that the two can be compared.
std::size_t expectedLinesIn(const std::string& text) {
    std::istringstream in(text);
    std::size_t count = 0;
    std::string line, rest;
    for (bool firstLine = true; std::getline(in, line); firstLine = false) {
        line.erase(0, firstLine && line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
        line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
        count += tarnhost::markedLine(line, '>', rest) ? 1 : 0;
        line.erase(std::min(line.find('#'), line.size())); // `quit # done` ends too
        const std::size_t start = line.find_first_not_of(" \t");
        const std::size_t end = line.find_last_not_of(" \t");
        const std::string word =
            start == std::string::npos ? "" : line.substr(start, end - start + 1);
        if (word == "quit" || word == "exit") {
            break;
        }
    }
    return count;
}

// Reports a broken promise of the reader and stops, so libFuzzer keeps the input.
[[noreturn]] void failWith(const char* what, const std::string& detail) {
    std::fprintf(stderr, "scenario fuzzer: %s\n%s\n", what, detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t stated = expectedLinesIn(text);
    int verdicts[2] = {0, 0};
    for (const tarnhost::PlayStyle style : {tarnhost::PlayStyle::Plain, tarnhost::PlayStyle::Check,
                                            tarnhost::PlayStyle::Transcript}) {
        std::istringstream in(text);
        std::ostringstream out, errors;
        tarnhost::PlayReport report;
        {
            tarnhost::Session session(hostsim::linkedCore().talk, hostsim::linkedCore().callback);
            report = tarnhost::playScenario(session, "fuzz.scn", in, style, out, errors);
        }
        tarnwick::destroyAllInstances();
        if (!report.refused && report.comparedLines != stated) {
            failWith("an expected line was left unchecked", out.str() + errors.str());
        }
        const bool nothingToCheck = stated == 0 && !report.refused;
        if (!(style == tarnhost::PlayStyle::Check && nothingToCheck)) {
            ++verdicts[report.passed ? 1 : 0];
        }
    }
    if (verdicts[0] != 0 && verdicts[1] != 0) {
        failWith("the styles disagree on pass or fail", text);
    }
    return 0;
}
