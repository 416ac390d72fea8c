// The module's own allocation operators, over the C runtime's malloc and free: the core
// allocates only through the nothrow operator new, which answers null instead of throwing, so
// the module needs none of the C++ runtime's exception support (which would come with the
// runtime library's own nothrow new, built around a catch). The core names that operator with
// its own tag value (`NullOnFailure`, support/Allocation.h), so together with these operators
// the module refers to nothing of the C++ runtime library: on Linux it needs only the C library.
// Linked into the module alone. Programs that link the core directly use other operators: the
// test programs and the benchmarks hostsim's, which count allocations and can fail one (the test
// programs' copy also counts the plug-in's own blocks; hostsim/Allocations.h), the soak and the
// fuzzers the C++ runtime's.
//
// On Linux the module's version script keeps these symbols local, so the module never replaces
// the operators of the host process that loads it, and the host's never reach the module's data.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    // The core never asks for 0 bytes (a text's buffer holds at least its NUL), so no test can
    // take the 0 branch: left out of the coverage count.
    return std::malloc(size == 0 ? 1 : size); // GCOVR_EXCL_BR_LINE
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
