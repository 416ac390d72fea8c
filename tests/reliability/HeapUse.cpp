#include "HeapUse.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWICK_HEAP_FROM_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TARNWICK_HEAP_FROM_SANITIZER 1
#endif

#if defined(TARNWICK_HEAP_FROM_SANITIZER)
#include <cstddef>
// The sanitizer runtime's own count of bytes in use; not every compiler ships its header.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace reliability {

#if defined(TARNWICK_HEAP_FROM_SANITIZER)
bool heapIsMeasured() {
    return true;
}
long long heapBytesInUse() {
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
}
#else
bool heapIsMeasured() {
    return false;
}
long long heapBytesInUse() {
    return 0;
}
#endif

} // namespace reliability
