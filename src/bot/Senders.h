// The one road from the plug-in to the host, and the four senders built on it.
//
// A send reaches the host only when there is a callback and the handle is not zero; otherwise it
// is dropped silently. Texts are lent for the duration of the callback only.
#pragma once

#include "bot/BotInstance.h"
#include "host/BotEvent.h"

#include <cstdint>

namespace tarnwick {

// A line for the host's console.
void sendEcho(BotInstance& instance, const char* text);

// A private chat line to the player whose record is at `player`; nothing for a null player.
void sendPrivate(BotInstance& instance, HostAddress player, const char* text);

// A public chat line to the whole arena.
void sendPublic(BotInstance& instance, const char* text);

// A line for the console, through `callback` for the bot `handle`, where no instance holds them.
void sendEchoThrough(HostCallback callback, std::uint32_t handle, const char* text);

} // namespace tarnwick
