// The program's global operator new and delete: malloc and free, counted while armed.
//
// The array, sized and nothrow forms of the standard library forward to these two, so every
// allocation of the plug-in (linked statically into this program) passes through here.
#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

// A block of at least `size` bytes (one for a size of 0); std::bad_alloc when none is left.
void* operator new(std::size_t size) {
    if (bench::allocationCounter.armed) {
        ++bench::allocationCounter.allocations;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

// Frees a block from operator new; a null address is ignored and not counted.
void operator delete(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    if (bench::allocationCounter.armed) {
        ++bench::allocationCounter.releases;
    }
    std::free(block);
}

// The sized form, as the compiler emits it for complete types: the same as the unsized one.
void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
