// libFuzzer entry point: each input is one host's stream of actions against a fresh registry.
#include "ByteSource.h"
#include "HostStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ByteSource input(data, size);
    fuzzing::playHostStream(input);
    return 0;
}
