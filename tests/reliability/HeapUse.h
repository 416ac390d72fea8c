// How many bytes the process holds on the heap right now, for before-and-after leak checks.
#pragma once

namespace reliability {

// Whether `heapBytesInUse` can be trusted: only under AddressSanitizer, whose allocator counts
// exactly. The C library's own figures count freed blocks parked in its caches, and the
// exception runtime's one-time allocations, as still in use.
bool heapIsMeasured();

// Bytes allocated and not yet freed, as the sanitizer counts them; 0 when not measured. Only
// differences between two readings on one thread mean anything.
long long heapBytesInUse();

} // namespace reliability
