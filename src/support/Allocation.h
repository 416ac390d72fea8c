// The core's one way to the heap: every allocation may fail, and failure is a null pointer that
// the caller checks. Nothing here throws, so the core needs no exception runtime.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace tarnwick {

// A new `Item` built from `arguments`, or null when the memory cannot be had (nothing is built
// then). Free it with plain `delete`.
template <typename Item, typename... Arguments> Item* createOrNull(Arguments&&... arguments) {
    return new (std::nothrow) Item{std::forward<Arguments>(arguments)...};
}

// A block of `size` bytes (at least one is taken for 0), or null when it cannot be had.
inline char* allocateBytesOrNull(std::size_t size) {
    return static_cast<char*>(::operator new(size, std::nothrow));
}

// Frees a block from `allocateBytesOrNull`; null is ignored.
inline void releaseBytes(char* block) {
    ::operator delete(block);
}

} // namespace tarnwick
