#include "Allocations.h"

#include <cstdio>
#include <cstdlib>
#include <new>

// Whether blocks carry a header (see Allocations.h): the build defines HOSTSIM_TRACK_BLOCKS to 1
// for the test programs' copy, and leaves it out for the benchmarks', whose counts of the
// plug-in's instructions must not include the header's upkeep.
#if !defined(HOSTSIM_TRACK_BLOCKS)
#define HOSTSIM_TRACK_BLOCKS 0
#endif

namespace {

constexpr bool TrackingBlocks = HOSTSIM_TRACK_BLOCKS != 0;

// Every allocation and release so far.
hostsim::AllocationCounts counted = {0, 0};

// Allocations left before the failing one, 0 when nothing is armed; pauses in force; and
// whether the armed failure has happened.
std::size_t allocationsUntilFailure = 0;
int pauseDepth = 0;
bool failureStruck = false;

// Blocks freed while a FreedBlockLog lives, in order; a fixed array, so logging never allocates.
constexpr std::size_t LoggedBlocksAtMost = 4096;
const void* freedBlocks[LoggedBlocksAtMost];
std::size_t freedBlockCount = 0;
bool loggingFrees = false;

// Whether this allocation is the one chosen to fail.
bool failsNow() {
    if (allocationsUntilFailure == 0 || pauseDepth != 0) {
        return false;
    }
    if (--allocationsUntilFailure != 0) {
        return false;
    }
    failureStruck = true;
    return true;
}

// What every block carries just before the bytes handed out: how it was asked for, so a release
// can be checked against it and the plug-in's own blocks told from the rest.
enum BlockForm : std::uint32_t { Scalar = 1, Array = 2, Aligned = 4, PluginOwned = 8 };
struct BlockHeader {
    std::size_t size;
    std::uint32_t form;
    std::uint32_t mark;
};
constexpr std::uint32_t LiveMark = 0x54A12B1Cu;
// The room taken in front of every block: the header, rounded up so the bytes handed out keep
// malloc's alignment.
constexpr std::size_t HeaderSlot = (sizeof(BlockHeader) + alignof(std::max_align_t) - 1) /
                                   alignof(std::max_align_t) * alignof(std::max_align_t);

// The plug-in's own blocks (those of the nothrow operator new, the core's one way to the heap)
// not yet released, and their bytes.
hostsim::PluginHeapBalance pluginBalance = {0, 0};

// How far into what malloc gave the bytes handed out begin, for a block of `alignment`: 0 when
// blocks carry no header.
std::size_t headerOffset(std::size_t alignment) {
    if (!TrackingBlocks) {
        return 0;
    }
    return alignment > HeaderSlot ? alignment : HeaderSlot;
}

BlockHeader* headerOf(void* block) {
    return static_cast<BlockHeader*>(
        static_cast<void*>(static_cast<char*>(block) - sizeof(BlockHeader)));
}

// Stops the program with `problem`: a release that does not match its allocation is a fault of
// the code under test, reported where it happens rather than as a corrupted heap later.
[[noreturn]] void stopOnMismatch(const char* problem) {
    std::fprintf(stderr, "hostsim allocations: %s\n", problem);
    std::abort();
}

// A block of at least `size` bytes aligned to `alignment`, asked for in `form`, or null when it
// must fail.
void* allocateOrNull(std::size_t size, std::size_t alignment, std::uint32_t form) {
    if (failsNow()) {
        return nullptr;
    }
    ++counted.allocations;
    const std::size_t offset = headerOffset(alignment);
    if (size > static_cast<std::size_t>(-1) - offset) {
        return nullptr;
    }
    const std::size_t bytes = offset + size == 0 ? 1 : offset + size;
    void* start = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        start = std::malloc(bytes);
    } else {
#if defined(_WIN32)
        start = _aligned_malloc(bytes, alignment);
#else
        if (posix_memalign(&start, alignment, bytes) != 0) {
            start = nullptr;
        }
#endif
    }
    if (!TrackingBlocks || start == nullptr) {
        return start;
    }
    void* block = static_cast<char*>(start) + offset;
    *headerOf(block) = BlockHeader{size, form, LiveMark};
    if ((form & PluginOwned) != 0) {
        ++pluginBalance.blocks;
        pluginBalance.bytes += size;
    }
    return block;
}

// The same, throwing std::bad_alloc instead of returning null.
void* allocateOrThrow(std::size_t size, std::size_t alignment, std::uint32_t form) {
    void* block = allocateOrNull(size, alignment, form);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

// Frees a block from allocateOrNull released in `form` (the plug-in's mark aside), with `size`
// when the sized release tells it (0 otherwise); null is ignored. A release in another form
// than the allocation, of another size or of a block not from here stops the program.
void release(void* block, std::size_t alignment, std::uint32_t form, std::size_t size) noexcept {
    if (block == nullptr) {
        return;
    }
    ++counted.releases;
    if (TrackingBlocks) {
        BlockHeader* header = headerOf(block);
        if (header->mark != LiveMark) {
            stopOnMismatch("operator delete of a block operator new did not hand out, or twice");
        }
        if ((header->form & ~static_cast<std::uint32_t>(PluginOwned)) != form) {
            stopOnMismatch("a block released by another form of operator delete than its new");
        }
        if (size != 0 && size != header->size) {
            stopOnMismatch("a block released with another size than it was allocated with");
        }
        if ((header->form & PluginOwned) != 0) {
            --pluginBalance.blocks;
            pluginBalance.bytes -= header->size;
        }
        header->mark = 0;
    }
    if (loggingFrees && freedBlockCount < LoggedBlocksAtMost) {
        freedBlocks[freedBlockCount++] = block;
    }
    void* start = static_cast<char*>(block) - headerOffset(alignment);
#if defined(_WIN32)
    if (alignment > alignof(std::max_align_t)) {
        _aligned_free(start);
        return;
    }
#endif
    std::free(start);
}

constexpr std::size_t Plain = alignof(std::max_align_t);

} // namespace

namespace hostsim {

AllocationCounts allocationCounts() {
    return counted;
}

PluginHeapBalance pluginHeapBalance() {
    if (!TrackingBlocks) {
        stopOnMismatch("the plug-in's blocks are counted only by hostsim_tracked_allocations");
    }
    return pluginBalance;
}

FailingAllocation::FailingAllocation(std::size_t ordinal) {
    failureStruck = false;
    allocationsUntilFailure = ordinal;
}

FailingAllocation::~FailingAllocation() {
    allocationsUntilFailure = 0;
}

bool FailingAllocation::struck() const {
    return failureStruck;
}

AllocationFailurePause::AllocationFailurePause() {
    ++pauseDepth;
}

AllocationFailurePause::~AllocationFailurePause() {
    --pauseDepth;
}

FreedBlockLog::FreedBlockLog() {
    freedBlockCount = 0;
    loggingFrees = true;
}

FreedBlockLog::~FreedBlockLog() {
    loggingFrees = false;
}

long FreedBlockLog::positionOf(const void* block) const {
    for (std::size_t index = 0; index < freedBlockCount; ++index) {
        if (freedBlocks[index] == block) {
            return static_cast<long>(index);
        }
    }
    return -1;
}

} // namespace hostsim

void* operator new(std::size_t size) {
    return allocateOrThrow(size, Plain, Scalar);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size, Plain, Array);
}
// The core's one allocation operator: its blocks are the plug-in's own.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, Plain, Scalar | PluginOwned);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, Plain, Array);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment), Scalar | Aligned);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment), Array | Aligned);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(alignment), Scalar | Aligned);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(alignment), Array | Aligned);
}

void operator delete(void* block) noexcept {
    release(block, Plain, Scalar, 0);
}
void operator delete[](void* block) noexcept {
    release(block, Plain, Array, 0);
}
void operator delete(void* block, std::size_t size) noexcept {
    release(block, Plain, Scalar, size);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block, Plain, Array, 0);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block, Plain, Scalar, 0);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block, Plain, Array, 0);
}
void operator delete(void* block, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment), Scalar | Aligned, 0);
}
void operator delete[](void* block, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment), Array | Aligned, 0);
}
void operator delete(void* block, std::size_t size, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment), Scalar | Aligned, size);
}
void operator delete[](void* block, std::size_t, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment), Array | Aligned, 0);
}
void operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(block, static_cast<std::size_t>(alignment), Scalar | Aligned, 0);
}
void operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(block, static_cast<std::size_t>(alignment), Array | Aligned, 0);
}
