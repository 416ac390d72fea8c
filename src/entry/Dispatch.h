// Routing of one inbound event to the part of the plug-in that handles its code.
#pragma once

#include "bot/BotInstance.h"
#include "host/BotEvent.h"

namespace tarnwick {

// Handles `event` for `instance` to completion, with all its sends. A disabled instance ignores
// every event; codes without a route, and every code above 41, change nothing and send nothing.
void dispatchEvent(BotInstance& instance, const BotEvent& event);

} // namespace tarnwick
