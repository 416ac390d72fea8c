// The suite's entry point: runs the benchmarks, prints the survey ratios, and writes every
// table in Markdown on request.
//
//   tarnwick_bench [--markdown=FILE] [benchmark library options]
//   tarnwick_bench --instructions[=EVENTS]   (under callgrind; see InstructionCount.h)
//
// Exits 1 when some event allocated more than its allowance, 2 on a bad option.
#include "InstructionCount.h"
#include "ResultTable.h"
#include "SuiteCases.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr char MarkdownOption[] = "--markdown=";
constexpr char InstructionsOption[] = "--instructions";
constexpr std::uint32_t DefaultCountedEvents = 8;

// Whether `argument` starts with `prefix`.
bool startsWith(const char* argument, const char* prefix) {
    return std::strncmp(argument, prefix, std::strlen(prefix)) == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string markdownPath;
    std::vector<char*> libraryArguments;
    for (int index = 0; index < argc; ++index) {
        const char* argument = argv[index];
        if (index > 0 && startsWith(argument, MarkdownOption)) {
            markdownPath = argument + std::strlen(MarkdownOption);
        } else if (index > 0 && startsWith(argument, InstructionsOption)) {
            const char* count = argument + std::strlen(InstructionsOption);
            const long events = *count == '=' ? std::strtol(count + 1, nullptr, 10)
                                              : static_cast<long>(DefaultCountedEvents);
            return bench::countInstructions(static_cast<std::uint32_t>(events > 0 ? events : 1));
        } else {
            libraryArguments.push_back(argv[index]);
        }
    }
    int libraryArgumentCount = static_cast<int>(libraryArguments.size());
    benchmark::Initialize(&libraryArgumentCount, libraryArguments.data());
    if (benchmark::ReportUnrecognizedArguments(libraryArgumentCount, libraryArguments.data())) {
        return 2;
    }
    bench::registerSuite();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::printSurveySummary(std::cout);
    if (!markdownPath.empty()) {
        std::ofstream markdown(markdownPath);
        bench::writeMarkdownTables(markdown);
    }
    return bench::allocationsWithinLimits() ? 0 : 1;
}
