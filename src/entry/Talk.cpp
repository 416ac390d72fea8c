#include "entry/Talk.h"

#include "bot/InstanceRegistry.h"
#include "bot/Senders.h"
#include "entry/Dispatch.h"
#include "host/EventCodes.h"

#include <cstring>

namespace tarnwick {

// What the host hears of a bot whose instance could not be made at the handshake: a literal, so
// nothing is allocated.
constexpr char OutOfMemoryText[] = "DLL plugin cannot connect.  Out of memory.";

void talk(const BotEvent* event) noexcept {
    if (event == nullptr) {
        return;
    }
    // A copy of the event, so that a host that reuses or rewrites its record during one of our
    // callbacks cannot change the event under the handler that is still running.
    BotEvent received;
    std::memcpy(&received, event, sizeof received);
    BotInstance* instance = findInstance(received.handle);
    if (instance == nullptr) {
        instance = createInstance(received.handle);
    }
    if (instance == nullptr) {
        // Out of memory: the event is dropped and the registry is as it was. The handshake is
        // the host's one delivery of the callback and the lists, so a bot that misses it could
        // never speak: the host is told instead of being left with a silent bot.
        if (received.code == EventInit) {
            sendEchoThrough(reinterpret_cast<HostCallback>(received.p2), received.handle,
                            OutOfMemoryText);
        }
        return;
    }
    dispatchEvent(*instance, received);
}

} // namespace tarnwick
