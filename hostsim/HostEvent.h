// The host's side of the event record and of the entry point, laid out as a host lays them out.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hostsim {

// A word that carries either an integer or an address: 32 bits on a 32-bit platform.
using Word = std::uintptr_t;

// Handle, code and six parameters; 32 bytes on a 32-bit platform, 56 on a 64-bit one.
struct HostEvent {
    std::uint32_t handle;
    std::uint32_t code;
    Word parameters[6];
};

static_assert(offsetof(HostEvent, code) == 4, "the code is the second 32-bit word");
static_assert(offsetof(HostEvent, parameters) == 8, "the parameters start at byte 8");
static_assert(sizeof(HostEvent) == 8 + 6 * sizeof(void*), "six address-sized parameters");

// The shape of both `talk` and the host's callback.
using EventFunction = void (*)(HostEvent* event);

// Inbound codes the host sends.
enum : std::uint32_t {
    CodeInit = 0,
    CodeTerm = 1,
    CodeTick = 2,
    CodeArenaEnter = 3,
    CodeArenaLeave = 5,
    CodePlayerEntering = 10,
    CodePlayerChange = 17,
    CodePlayerLeaving = 18,
    CodeCommand = 20,
    CodeHelp = 21,
    CodeFlagGrab = 24,
    CodeFlagDrop = 26,
    CodeFlagGameOver = 27,
    CodeFlagReset = 41,
};

// Outbound codes and say modes the host receives.
enum : std::uint32_t { CodeEcho = 0, CodeSay = 1 };
enum : std::uint32_t { ModePublic = 2, ModePrivate = 5 };

// The version word of a host that speaks version major.minor.
constexpr std::uint32_t versionWord(std::uint32_t major, std::uint32_t minor) {
    return (major << 16) | (minor & 0xFFFFu);
}

// Builds an inbound event from a handle, a code and up to six parameters.
HostEvent makeEvent(std::uint32_t handle, std::uint32_t code, Word p1 = 0, Word p2 = 0, Word p3 = 0,
                    Word p4 = 0, Word p5 = 0, Word p6 = 0);

} // namespace hostsim
