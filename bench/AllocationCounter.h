// Counts heap allocations and releases made while the counter is armed.
//
// The program's replaced global operator new and delete (GlobalAllocation.cpp) report every call
// here; only calls made between arming and disarming are counted, so a benchmark arms the counter
// around the one `talk` it measures and nothing of the host or the benchmark library is counted.
#pragma once

#include <cstdint>

namespace bench {

struct AllocationCounter {
    bool armed;
    std::uint64_t allocations;
    std::uint64_t releases;
};

// The program's one counter; it has to be global because operator new is.
inline AllocationCounter allocationCounter{false, 0, 0};

// Counts from now on.
inline void armAllocationCounter() {
    allocationCounter.armed = true;
}

// Stops counting; the totals stay.
inline void disarmAllocationCounter() {
    allocationCounter.armed = false;
}

// The totals counted so far, then zeroed; the armed state is left as it was.
AllocationCounter takeAllocationCounts();

} // namespace bench
