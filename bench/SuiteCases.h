// The Google Benchmark suite: the bare walks and every event case, at every arena size.
#pragma once

namespace bench {

// Registers the bare walks first, so that each case finds the walk of its arena already
// measured and can show its own time as a multiple of it.
void registerSuite();

} // namespace bench
