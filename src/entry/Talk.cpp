#include "entry/Talk.h"

#include "bot/InstanceRegistry.h"
#include "entry/Dispatch.h"

#include <cstring>

namespace tarnwick {

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
        // Out of memory: the event is dropped and the next one for this handle tries again.
        return;
    }
    dispatchEvent(*instance, received);
}

} // namespace tarnwick
