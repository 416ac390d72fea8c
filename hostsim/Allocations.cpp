#include "Allocations.h"

#include <cstdlib>
#include <new>

namespace {

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

// A block of at least `size` bytes aligned to `alignment`, or null when it must fail.
void* allocateOrNull(std::size_t size, std::size_t alignment) {
    if (failsNow()) {
        return nullptr;
    }
    ++counted.allocations;
    const std::size_t bytes = size == 0 ? 1 : size;
    if (alignment <= alignof(std::max_align_t)) {
        return std::malloc(bytes);
    }
    void* block = nullptr;
#if defined(_WIN32)
    block = _aligned_malloc(bytes, alignment);
#else
    if (posix_memalign(&block, alignment, bytes) != 0) {
        block = nullptr;
    }
#endif
    return block;
}

// The same, throwing std::bad_alloc instead of returning null.
void* allocateOrThrow(std::size_t size, std::size_t alignment) {
    void* block = allocateOrNull(size, alignment);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

// Frees a block from allocateOrNull with the same alignment; null is ignored.
void release(void* block, std::size_t alignment) noexcept {
    if (block == nullptr) {
        return;
    }
    ++counted.releases;
    if (loggingFrees && freedBlockCount < LoggedBlocksAtMost) {
        freedBlocks[freedBlockCount++] = block;
    }
#if defined(_WIN32)
    if (alignment > alignof(std::max_align_t)) {
        _aligned_free(block);
        return;
    }
#else
    (void)alignment;
#endif
    std::free(block);
}

constexpr std::size_t Plain = alignof(std::max_align_t);

} // namespace

namespace hostsim {

AllocationCounts allocationCounts() {
    return counted;
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
    return allocateOrThrow(size, Plain);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size, Plain);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, Plain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, Plain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept {
    release(block, Plain);
}
void operator delete[](void* block) noexcept {
    release(block, Plain);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block, Plain);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block, Plain);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block, Plain);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block, Plain);
}
void operator delete(void* block, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment));
}
void operator delete[](void* block, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment));
}
void operator delete(void* block, std::size_t, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment));
}
void operator delete[](void* block, std::size_t, std::align_val_t alignment) noexcept {
    release(block, static_cast<std::size_t>(alignment));
}
void operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(block, static_cast<std::size_t>(alignment));
}
void operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(block, static_cast<std::size_t>(alignment));
}
