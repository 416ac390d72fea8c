// The host actions a fuzzer input is read as: players arriving, leaving and changing team and
// ship, flags grabbed, dropped, appearing, vanishing and changing owner, handshakes, commands,
// and events of every code, with null addresses and junk where a host could put them. Every
// action is legal for a host: a player record is freed only after its leaving was delivered.
#pragma once

#include "HostStream.h"

#include <cstdint>

namespace fuzzing {

// Reads one action from the input and carries it out, delivering whatever events it causes.
void performAction(Stream& stream);

// An accepted handshake for `handle` with the host's callback and the bot's own lists.
void connectBot(Stream& stream, std::uint32_t handle);

} // namespace fuzzing
