#include "bot/BotInstance.h"

namespace tarnwick {

// Out of line, so that the module's teardown and a failed registration share this one copy.
BotInstance::~BotInstance() {
    roster.clear();
    tags.clear();
}

} // namespace tarnwick
