// The module-wide registry of bot instances, one per handle, in creation order.
#pragma once

#include "bot/BotInstance.h"
#include "support/OwnedList.h"

#include <cstdint>

namespace tarnwick {

using InstanceRegistry = OwnedList<BotInstance>;

// The registry itself, for walks in creation order.
const InstanceRegistry& registeredInstances();

// The first instance from the oldest whose handle equals `handle`, or null.
BotInstance* findInstance(std::uint32_t handle);

// A new unlocked, connectionless instance for `handle`, appended at the tail. Null, with nothing
// registered, when the instance or its node cannot be allocated.
BotInstance* createInstance(std::uint32_t handle);

// Destroys every instance, oldest first, without sending anything; the registry is left empty
// and takes new instances as before. The module's unload does the same through the registry's
// own destruction, without calling this.
void destroyAllInstances();

} // namespace tarnwick
