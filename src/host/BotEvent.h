// The one record exchanged with the host in both directions, and the host's callback shape.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwick {

// An address in the process shared with the host: a record, a text, a list head or a callback.
using HostAddress = std::uintptr_t;

// A parameter word: 32 bits on a 32-bit platform, address-sized on a wider one, so that an
// address always fits. Integer parameters are read from the low 32 bits.
using ParameterWord = std::uintptr_t;

// The event record. On a 32-bit platform it is exactly eight 32-bit words; on a 64-bit one the
// handle and code stay 32-bit and only the six parameters widen to address size.
struct BotEvent {
    std::uint32_t handle;
    std::uint32_t code;
    ParameterWord p1;
    ParameterWord p2;
    ParameterWord p3;
    ParameterWord p4;
    ParameterWord p5;
    ParameterWord p6;
};

// The host's function that receives outbound events; the same shape as the exported `talk`.
using HostCallback = void (*)(BotEvent* event);

static_assert(offsetof(BotEvent, handle) == 0, "handle is word 0");
static_assert(offsetof(BotEvent, code) == 4, "code is word 1");
static_assert(offsetof(BotEvent, p1) == 8, "p1 follows the code");
static_assert(offsetof(BotEvent, p2) == 8 + sizeof(HostAddress), "parameters are adjacent");
static_assert(offsetof(BotEvent, p6) == 8 + 5 * sizeof(HostAddress), "parameters are adjacent");
static_assert(sizeof(BotEvent) == 8 + 6 * sizeof(HostAddress), "no padding at the end");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(BotEvent) == 32, "a 32-bit event is exactly eight 32-bit words");
#else
static_assert(sizeof(BotEvent) == 56, "a 64-bit event widens only the six parameters");
#endif

// Low 32 bits of a parameter word, the reading of every integer parameter.
inline std::uint32_t parameterInteger(ParameterWord word) {
    return static_cast<std::uint32_t>(word);
}

// Low 16 bits of a parameter word, zero-extended: previous team and previous ship.
inline std::uint32_t parameterLowHalf(ParameterWord word) {
    return static_cast<std::uint32_t>(word) & 0xFFFFu;
}

} // namespace tarnwick
