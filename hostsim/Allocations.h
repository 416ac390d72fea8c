// Heap accounting and exhaustion on demand for programs that drive the plug-in. A program whose
// target links `hostsim_allocations` or `hostsim_tracked_allocations` has the global operator
// new and new[] (plain, nothrow and aligned) and every operator delete replaced: each allocation
// and release is counted, and one chosen allocation can be made to fail. Blocks come from
// malloc, so AddressSanitizer still tracks them. The tracked copy, for test programs, also puts
// a small header in front of each block that says how it was asked for: it keeps the plug-in's
// own blocks and bytes apart, and stops the program on a release by another form of delete
// (scalar, array, aligned), of another size or twice, mismatches the replacement hides from the
// sanitizer. The plain copy, for benchmarks, keeps none, so what they count of the plug-in's work
// is not weighed down by it. Everything here is for one thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hostsim {

// Allocations and releases (of non-null blocks) since the program started; only differences
// between two readings mean anything. Counting never allocates.
struct AllocationCounts {
    std::uint64_t allocations;
    std::uint64_t releases;
};
AllocationCounts allocationCounts();

// The plug-in's own blocks not yet released, and the bytes they were asked for: those of the
// nothrow operator new, the one the core allocates with (nothing else in a test program asks
// for it). Reading it never allocates; it stops a program that links the plain copy, which
// keeps no such count.
struct PluginHeapBalance {
    std::uint64_t blocks;
    std::uint64_t bytes;
};
PluginHeapBalance pluginHeapBalance();

// While alive, the `ordinal`-th allocation not under a pause (1 = the next one) fails: the
// throwing forms throw std::bad_alloc and the nothrow forms return null. Every other allocation
// succeeds. One at a time; an ordinal of 0 fails nothing.
class FailingAllocation {
public:
    explicit FailingAllocation(std::size_t ordinal);
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
    ~FailingAllocation();

    // Whether the chosen allocation has been reached and failed.
    bool struck() const;
};

// While alive, allocations are not failed and do not count towards a FailingAllocation's
// ordinal: for the host's own work, such as recording a line, inside an operation under one.
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

} // namespace hostsim
