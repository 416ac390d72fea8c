#include "bot/InstanceRegistry.h"

#include "support/Allocation.h"

namespace tarnwick {

namespace {

// The module's one global state; the only other global, the shared NUL that absent texts read
// (`Text`), never changes. Its destruction at module unload is the teardown: it clears the list
// head to tail, so instances go oldest first, and no instance sends while destroyed.
InstanceRegistry registry;

} // namespace

const InstanceRegistry& registeredInstances() {
    return registry;
}

BotInstance* findInstance(std::uint32_t handle) {
    for (InstanceRegistry::Node* node = registry.head(); node != nullptr; node = node->next) {
        if (node->item->handle == handle) {
            return node->item;
        }
    }
    return nullptr;
}

BotInstance* createInstance(std::uint32_t handle) {
    BotInstance* instance = createOrNull<BotInstance>(handle);
    return registry.append(instance) ? instance : nullptr;
}

void destroyAllInstances() {
    registry.clear();
}

} // namespace tarnwick
