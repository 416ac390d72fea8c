// Heap exhaustion on demand. A test binary that links AllocationFailure.cpp has the global
// operator new and new[] (plain, nothrow and aligned) replaced by versions that fail one chosen
// allocation; every other allocation goes to malloc, so AddressSanitizer still tracks it. Keep
// this in a binary of its own: the replacement hides new/delete mismatches from the sanitizer.
#pragma once

#include <cstddef>

namespace harness {

// While alive, the `ordinal`-th allocation (1 = the next one) fails: the throwing forms throw
// std::bad_alloc and the nothrow forms return null. Every other allocation succeeds. One at a
// time; an ordinal of 0 fails nothing.
class FailingAllocation {
public:
    explicit FailingAllocation(std::size_t ordinal);
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
    ~FailingAllocation();

    // Whether the chosen allocation has been reached and failed.
    bool struck() const;
};

// While alive, allocations are neither counted nor failed: for code of the test itself, such as
// a recording host, that runs inside an operation under a FailingAllocation.
class AllocationFailurePause {
public:
    AllocationFailurePause();
    AllocationFailurePause(const AllocationFailurePause&) = delete;
    AllocationFailurePause& operator=(const AllocationFailurePause&) = delete;
    ~AllocationFailurePause();
};

// While alive, the address of every block freed is noted, in order (up to a fixed number), so a
// test can tell in which order owned objects were destroyed.
class FreedBlockLog {
public:
    FreedBlockLog();
    FreedBlockLog(const FreedBlockLog&) = delete;
    FreedBlockLog& operator=(const FreedBlockLog&) = delete;
    ~FreedBlockLog();

    // The position of `block` among the blocks freed so far, or -1 when it was not freed.
    long positionOf(const void* block) const;
};

} // namespace harness
