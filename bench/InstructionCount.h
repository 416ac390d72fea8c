// Instruction counts per event under callgrind: repeatable where times are not.
#pragma once

#include <cstdint>

namespace bench {

// Runs every bare walk and event case at every arena size, once uncounted and then `events`
// times counted, with callgrind collecting only inside the measured walk or `talk` (run the
// program under `valgrind --tool=callgrind --collect-atstart=no`). After each case and size it
// dumps the counts under the name "CASE/PLAYERS/EVENTS". Outside valgrind it runs the same work
// and collects nothing. Returns 0.
int countInstructions(std::uint32_t events);

} // namespace bench
