// The host a scenario plays against: every bot's arena, the bot lines act on, and the lines the
// plug-in sends and the server does while a line is carried out.
#pragma once

#include "Host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnhost {

// What one scenario line did: whether it acted (changed an arena or delivered an event, so its
// silence counts), delivered an event or ends the session; the line in words; what the plug-in
// sent and the server did, as expected lines state it (`output`) and as told to a reader.
struct LineResult {
    bool acted = false, delivered = false, quits = false;
    std::string action;
    std::vector<std::string> output, story;
};

// The host with every bot's arena, the bot lines act on, whether the game server's effects are on
// (the host takes them from here at each delivery), and the line being collected during a delivery.
struct Session {
    // Delivers to `talk`, handing the plug-in `hostCallback` in the handshake; bot 1, effects off.
    explicit Session(hostsim::EventFunction talk,
                     hostsim::Word hostCallback = hostsim::Host::recordingCallback());
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    hostsim::Host host;
    std::uint32_t current = 1;
    bool effects = false;
    LineResult* collecting = nullptr;
};

// The current bot's arena, made empty on first use.
hostsim::Arena& currentArena(Session& session);
// Delivers an event to the current bot and collects every line sent, and what the server did,
// into `result`.
void deliver(Session& session, LineResult& result, std::uint32_t code, hostsim::Word p1 = 0,
             hostsim::Word p2 = 0, hostsim::Word p3 = 0, hostsim::Word p4 = 0, hostsim::Word p5 = 0,
             hostsim::Word p6 = 0);

} // namespace tarnhost
