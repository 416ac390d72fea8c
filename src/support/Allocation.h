// The core's one way to the heap: every allocation may fail, and failure is a null pointer that
// the caller checks. Nothing here throws, so the core needs no exception runtime.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace tarnwick {

// The tag that picks the allocation operators answering null instead of throwing. The core's own
// value rather than the library's `std::nothrow` object, so the module refers to nothing of the
// C++ runtime library and needs only the C library.
inline constexpr std::nothrow_t NullOnFailure{};

// A new `Item` built from `arguments`, or null when the memory cannot be had (nothing is built
// then). Free it with plain `delete`.
template <typename Item, typename... Arguments> Item* createOrNull(Arguments&&... arguments) {
    return new (NullOnFailure) Item{std::forward<Arguments>(arguments)...};
}

// A block of `size` bytes (at least one is taken for 0), or null when it cannot be had.
inline char* allocateBytesOrNull(std::size_t size) {
    return static_cast<char*>(::operator new(size, NullOnFailure));
}

// Frees a block from `allocateBytesOrNull`; null is ignored.
inline void releaseBytes(char* block) {
    ::operator delete(block);
}

} // namespace tarnwick
