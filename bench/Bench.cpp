// The global operator new and delete, the counting host callback and the bare walk. Compiled
// into each program, so that these operators are the ones linked; the library's array and nothrow
// forms forward to them, so every allocation of the plug-in (linked into the program) passes
// here. The walk is compiled apart from the loops that time it, as the plug-in's survey is.
#include "Bench.h"

#include "Records.h"
#include "host/BotEvent.h"
#include "host/EventCodes.h"

#include <cstdlib>
#include <cstring>
#include <new>

// A block of at least `size` bytes (one for a size of 0); std::bad_alloc when none is left.
void* operator new(std::size_t size) {
    bench::allocationCount.allocations += bench::allocationCount.armed ? 1u : 0u;
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

// Frees a block from operator new, of any size; a null address is ignored.
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace bench {

namespace {

// A list node holds the item's address, then the next node's.
constexpr std::size_t NodeNextOffset = sizeof(hostsim::Word);

// The host callback handed to the plug-in, typed as the core calls it: counts and returns.
void countSentEvent(tarnwick::BotEvent* event) {
    ++sentCounts.events;
    if (event->code == tarnwick::EventSay) {
        ++(event->p1 == tarnwick::SayPublic ? sentCounts.publicLines : sentCounts.privateLines);
    }
}

// The field of type Field at `address` + `offset`.
template <typename Field> Field readAt(hostsim::Word address, std::size_t offset) {
    Field value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(address) + offset, sizeof value);
    return value;
}

} // namespace

void connectCountingBot(hostsim::Host& host, std::uint32_t handle) {
    const hostsim::Arena& arena = host.arena(handle);
    host.deliver(hostsim::makeEvent(handle, hostsim::CodeInit, hostsim::versionWord(6, 5),
                                    reinterpret_cast<hostsim::Word>(&countSentEvent),
                                    arena.playerList().headAddress(),
                                    arena.flagList().headAddress()));
}

std::uint32_t walkHostLists(hostsim::Word playerHead, hostsim::Word flagHead) {
    std::uint32_t sum = 0;
    for (auto node = readAt<hostsim::Word>(playerHead, 0); node != 0;
         node = readAt<hostsim::Word>(node, NodeNextOffset)) {
        const auto player = readAt<hostsim::Word>(node, 0);
        if (readAt<std::uint16_t>(player, hostsim::player_layout::flagCount) != 0) {
            sum += readAt<std::uint16_t>(player, hostsim::player_layout::team);
        }
    }
    for (auto node = readAt<hostsim::Word>(flagHead, 0); node != 0;
         node = readAt<hostsim::Word>(node, NodeNextOffset)) {
        sum += readAt<std::uint16_t>(readAt<hostsim::Word>(node, 0), hostsim::flag_layout::team);
    }
    return sum;
}

} // namespace bench
