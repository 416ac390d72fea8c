// Replies to help requests and to the commands "about" and "version", by access level.
//
// Every reply is one private line to the asker; nothing else changes. A null player, a null
// command, or a command whose word or rest text is absent gets no reply.
#pragma once

#include "bot/BotInstance.h"

namespace tarnwick {

// `EventHelp`: the help line for the topic "about" (any letter case) at levels 0 to 12, and for
// an empty topic at levels 0 and 1; nothing otherwise.
void handleHelp(BotInstance& instance, HostAddress player, HostAddress command);

// `EventCommand`: the purpose line for "about" at levels 0 to 12, the version line for
// "version" at levels 3 to 12; nothing otherwise. Words compare exactly.
void handleCommand(BotInstance& instance, HostAddress player, HostAddress command);

} // namespace tarnwick
