#include "ResultTable.h"

#include <cstdio>
#include <string>

namespace bench {

namespace {

struct ResultTable {
    Measurement walks[2][ArenaSizeCount];
    Measurement cases[EventCaseCount][ArenaSizeCount];
};

// The results of this run; global because the benchmark library calls each case separately.
ResultTable results{};

// The cell of the bare walk over `flags` at one arena size.
Measurement& walkCell(FlagState flags, int sizeIndex) {
    return results.walks[flags == FlagState::Split ? 0 : 1][sizeIndex];
}

// Keeps `measurement` in `cell` unless the cell already holds a faster loop.
void keepFaster(Measurement& cell, const Measurement& measurement) {
    const double best = cell.measured && cell.secondsPerEvent < measurement.secondsPerEvent
                            ? cell.secondsPerEvent
                            : measurement.secondsPerEvent;
    cell = measurement;
    cell.secondsPerEvent = best;
}

// `value` with `decimals` decimals, or "-" when it is 0 (not measured).
std::string formatted(double value, int decimals) {
    if (value == 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A count per event: whole when it is whole, with two decimals otherwise.
std::string formattedCount(double value) {
    char text[32];
    const double whole = static_cast<double>(static_cast<std::uint64_t>(value + 0.5));
    const double difference = value > whole ? value - whole : whole - value;
    std::snprintf(text, sizeof text, difference < 0.005 ? "%.0f" : "%.2f", value);
    return text;
}

// Whether the survey path met its target at every measured size from `TargetFloor` up.
bool surveyTargetMet(EventCase eventCase) {
    for (int size = 0; size < ArenaSizeCount; ++size) {
        const double ratio = walkRatio(eventCase, size);
        if (ArenaSizes[size] >= TargetFloor && ratio > SurveyTarget) {
            return false;
        }
    }
    return true;
}

// The two survey paths, held to the target against the bare walk.
constexpr EventCase SurveyCases[] = {EventCase::FlagDropUnlocked, EventCase::FlagDropKeepsLock};

// The header of a table with one column per arena size, after `firstColumn`.
void writeSizeHeader(std::ostream& out, const char* firstColumn) {
    out << "| " << firstColumn;
    for (std::uint32_t players : ArenaSizes) {
        out << " | " << players;
    }
    out << " |\n|---";
    for (int size = 0; size < ArenaSizeCount; ++size) {
        out << "|--:";
    }
    out << "|\n";
}

} // namespace

int arenaSizeIndex(std::uint32_t players) {
    for (int size = 0; size < ArenaSizeCount; ++size) {
        if (ArenaSizes[size] == players) {
            return size;
        }
    }
    return -1;
}

void recordWalk(FlagState flags, int sizeIndex, const Measurement& measurement) {
    keepFaster(walkCell(flags, sizeIndex), measurement);
}

void recordCase(EventCase eventCase, int sizeIndex, const Measurement& measurement) {
    keepFaster(results.cases[static_cast<int>(eventCase)][sizeIndex], measurement);
}

double walkRatio(EventCase eventCase, int sizeIndex) {
    const Measurement& measured = results.cases[static_cast<int>(eventCase)][sizeIndex];
    const Measurement& walk = walkCell(caseInfo(eventCase).flags, sizeIndex);
    if (!measured.measured || !walk.measured || walk.secondsPerEvent <= 0) {
        return 0;
    }
    return measured.secondsPerEvent / walk.secondsPerEvent;
}

bool allocationsWithinLimits() {
    for (const auto& row : results.cases) {
        for (const Measurement& cell : row) {
            if (cell.measured &&
                cell.allocationsPerEvent > static_cast<double>(cell.allowedAllocations)) {
                return false;
            }
        }
    }
    return true;
}

void printSurveySummary(std::ostream& out) {
    out << "\nSurvey path time per event as a multiple of the bare walk (target " << SurveyTarget
        << " or below from " << TargetFloor << " players up)\n";
    out << "players                ";
    for (std::uint32_t players : ArenaSizes) {
        char column[16];
        std::snprintf(column, sizeof column, "%8u", players);
        out << column;
    }
    out << '\n';
    for (EventCase eventCase : SurveyCases) {
        char name[32];
        std::snprintf(name, sizeof name, "%-23s", caseInfo(eventCase).name);
        out << name;
        for (int size = 0; size < ArenaSizeCount; ++size) {
            char cell[16];
            std::snprintf(cell, sizeof cell, "%8s",
                          formatted(walkRatio(eventCase, size), 2).c_str());
            out << cell;
        }
        out << (surveyTargetMet(eventCase) ? "   target met" : "   TARGET MISSED") << '\n';
    }
    out << "heap allocations per event: "
        << (allocationsWithinLimits() ? "within the allowed counts" : "ABOVE THE ALLOWED COUNTS")
        << '\n';
}

void writeMarkdownTables(std::ostream& out) {
    out << "### Survey path against the bare walk\n\n"
        << "Time per flag drop divided by the time of a bare walk over the same two host lists "
        << "reading the same fields. Target: " << SurveyTarget << " or below from " << TargetFloor
        << " players up.\n\n";
    writeSizeHeader(out, "Case (players)");
    for (EventCase eventCase : SurveyCases) {
        out << "| " << caseInfo(eventCase).name;
        for (int size = 0; size < ArenaSizeCount; ++size) {
            out << " | " << formatted(walkRatio(eventCase, size), 2);
        }
        out << " |\n";
    }
    for (EventCase eventCase : SurveyCases) {
        out << "\n"
            << caseInfo(eventCase).name << ": target "
            << (surveyTargetMet(eventCase) ? "met" : "**missed**") << ".";
    }
    out << "\n\n### Every case against the bare walk\n\n"
        << "Time per event as a multiple of the bare walk of the same arena (the split-flag walk "
        << "for unlocked cases, the owned-flag walk for locked ones).\n\n";
    writeSizeHeader(out, "Case (players)");
    for (int row = 0; row < EventCaseCount; ++row) {
        const auto eventCase = static_cast<EventCase>(row);
        out << "| " << caseInfo(eventCase).name;
        for (int size = 0; size < ArenaSizeCount; ++size) {
            out << " | " << formatted(walkRatio(eventCase, size), 2);
        }
        out << " |\n";
    }
    out << "\n### Heap allocations per event\n\n"
        << "Counted inside `talk` only; in brackets the most the list and text algorithms "
        << "allow. Overall: "
        << (allocationsWithinLimits() ? "every case within its allowance"
                                      : "**some case above its allowance**")
        << ".\n\n";
    writeSizeHeader(out, "Case (players)");
    for (int row = 0; row < EventCaseCount; ++row) {
        out << "| " << caseInfo(static_cast<EventCase>(row)).name;
        for (int size = 0; size < ArenaSizeCount; ++size) {
            const Measurement& cell = results.cases[row][size];
            out << " | "
                << (cell.measured ? formattedCount(cell.allocationsPerEvent) + " (" +
                                        std::to_string(cell.allowedAllocations) + ")"
                                  : std::string("-"));
        }
        out << " |\n";
    }
}

} // namespace bench
