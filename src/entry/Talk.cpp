#include "entry/Talk.h"

#include "bot/InstanceRegistry.h"
#include "entry/Dispatch.h"
#include "host/EventCodes.h"
#include "host/OutboundEvents.h"

#include <cstring>

namespace tarnwick {

namespace {

constexpr char OutOfMemoryText[] = "DLL plugin cannot connect.  Out of memory.";

// Tells the host that the bot of a handshake cannot be served, since its instance could not be
// made: one console line, a literal (nothing is allocated), straight through the callback that
// the handshake carries. Nothing goes out without a callback or for handle 0, as for any send.
void refuseForWantOfMemory(const BotEvent& init) {
    const HostCallback callback = reinterpret_cast<HostCallback>(init.p2);
    if (callback == nullptr || init.handle == 0) {
        return;
    }
    BotEvent echo = buildEchoEvent(OutOfMemoryText);
    echo.handle = init.handle;
    callback(&echo);
}

} // namespace

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
            refuseForWantOfMemory(received);
        }
        return;
    }
    dispatchEvent(*instance, received);
}

} // namespace tarnwick
