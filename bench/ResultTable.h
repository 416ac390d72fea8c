// What one run of the suite measured, kept per case and arena size, and the tables made of it.
//
// Every figure shown is a ratio taken inside one run: a case's time per event against the bare
// walk of the same arena, both measured in the same process. Each cell keeps the fastest of the
// timed loops the benchmark library ran for it, so a case and its walk are both taken at their
// least disturbed.
#pragma once

#include "EventCases.h"

#include <cstdint>
#include <ostream>

namespace bench {

// The arena sizes, in players; each has a flag list a quarter as long.
constexpr std::uint32_t ArenaSizes[] = {16, 64, 256, 1024, 4096};
constexpr int ArenaSizeCount = 5;
// The survey's time may be at most this multiple of the bare walk's from `TargetFloor` up.
constexpr double SurveyTarget = 1.3;
constexpr std::uint32_t TargetFloor = 256;

// The position of `players` in `ArenaSizes`, or -1.
int arenaSizeIndex(std::uint32_t players);

struct Measurement {
    bool measured;
    double secondsPerEvent;
    double allocationsPerEvent;
    double sendsPerEvent;
    std::uint64_t allowedAllocations;
};

// Keeps the faster of `measurement` and what the bare walk over `flags` already holds.
void recordWalk(FlagState flags, int sizeIndex, const Measurement& measurement);

// Keeps the faster timing for the case; the counts come from the latest loop (they are the same
// in every loop of a case).
void recordCase(EventCase eventCase, int sizeIndex, const Measurement& measurement);

// The case's best time per event over the best bare walk of its flag state; 0 if either is
// missing.
double walkRatio(EventCase eventCase, int sizeIndex);

// Whether every measured case stayed within its allowed allocations per event.
bool allocationsWithinLimits();

// The survey ratios and their target, as plain text for the console.
void printSurveySummary(std::ostream& out);

// Every table, in Markdown: survey ratios, every case against the walk, allocations per event.
void writeMarkdownTables(std::ostream& out);

} // namespace bench
