// Builders of the two outbound events. Word 0 (the handle) is left 0 for the sender to stamp.
#pragma once

#include "host/BotEvent.h"

namespace tarnwick {

// An `EventEcho` carrying a NUL-terminated console text in p1; every other word is 0.
BotEvent buildEchoEvent(const char* text);

// An `EventSay` with mode in p1, sound in p2, the target ident (0 for none) in p3 and the chat
// text in p4; p5, p6 and the handle are 0.
BotEvent buildSayEvent(std::uint32_t mode, std::uint32_t sound, std::uint32_t ident,
                       const char* text);

} // namespace tarnwick
