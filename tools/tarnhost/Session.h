// A session of the scenario language: the host's arenas for every bot, what tarnhost knows of
// them by name, delivery of events to the plug-in and the game server's effects.
#pragma once

#include "Host.h"
#include "Text.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnhost {

// What one scenario line did.
struct LineResult {
    // Whether the line changed an arena or delivered an event, so that its silence counts too
    // (false for blanks, comments, `help` and `state`).
    bool acted = false;
    // Whether an event reached the plug-in.
    bool delivered = false;
    // Whether the line ends the session (`quit`, `exit`).
    bool quits = false;
    // The line told in words ("Ace (team 3) grabs flag south, ..."); empty for looking lines.
    std::string action;
    // What the plug-in sent and the server did, in the short form expected lines use.
    std::vector<std::string> output;
    // The same told for a reader, with the events the server's moves delivered.
    std::vector<std::string> story;
};

// A flag known by name. A carried flag is off the host's flag list and names its carrier.
struct NamedFlag {
    std::string name;
    hostsim::FlagRecord* record;
    std::string carrier;
};

// One bot as the host knows it: its arena, its players by name and ident, its flags in the
// order they were made, and what the plug-in said to it.
struct Bot {
    hostsim::Arena* arena = nullptr;
    std::unordered_map<std::string, hostsim::PlayerRecord*> players;
    std::unordered_map<std::uint32_t, hostsim::PlayerRecord*> idents;
    // Every ident below this one is held, so the search for a free one starts here.
    std::uint32_t lowestFreeIdent = 0;
    std::vector<NamedFlag> flags;
    bool handshakeDelivered = false;
    std::string handshakeAnswer;
    std::string lastAnnouncement;
};

struct Session {
    // A session delivering to `talk` and handing the plug-in `callback` in the handshake,
    // starting on bot 1 with server effects off.
    explicit Session(hostsim::EventFunction talk, hostsim::Word hostCallback = reinterpret_cast<
                                                      hostsim::Word>(&hostsim::Host::receive));
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    hostsim::Host host;
    hostsim::Word callback;
    std::map<std::uint32_t, Bot> bots;
    std::uint32_t current = 1;
    // Whether "*setfreq" moves the player and "*arena" lines are shown to the arena.
    bool effects = false;
    std::deque<hostsim::SentEvent> pendingMoves;
    LineResult* collecting = nullptr;
};

// Carries out one scenario line. A line that cannot be carried out throws ScenarioError and
// leaves every arena and the plug-in as they were.
LineResult perform(Session& session, const std::string& line);

// The bot with this handle (the current one without), made empty on first use.
Bot& bot(Session& session, std::uint32_t handle);
Bot& bot(Session& session);

// The current bot's player or flag of that name; throws, listing the known names, if none.
hostsim::PlayerRecord& player(Session& session, const std::string& name);
NamedFlag& flag(Session& session, const std::string& name);

// Adds a player to the current bot's arena with `ident`, or with the lowest free ident when
// `ident` is above 65535; throws when the name or ident is taken or every ident is held.
hostsim::PlayerRecord& addPlayer(Session& session, const std::string& name, std::uint32_t ident);
// Gives a player of the current bot another ident; throws when another player holds it.
void setIdent(Session& session, hostsim::PlayerRecord& record, std::uint16_t ident);
// Puts the flags `carrier` holds back on the field, owned by its team; returns their names.
std::vector<std::string> releaseFlags(Session& session, const hostsim::PlayerRecord& carrier);
// Takes a player out of the current bot's arena; the flags it carried lie on the field, owned
// by its team. Returns whether it carried any.
bool removePlayer(Session& session, hostsim::PlayerRecord& record);

// Delivers an event to the current bot's plug-in and collects every line it sends into
// `result`, then carries out the moves those lines asked for.
void deliver(Session& session, const hostsim::HostEvent& event, LineResult& result);

// Every bot's arena as the host sees it: a header per bot, a line per player and per flag.
std::vector<std::string> describeState(Session& session);

// "team 3", or "nobody" for a flag nobody owns.
std::string flagOwnerText(std::uint16_t team);
// "team 3, ship 1" or "team 3, spectating".
std::string placeText(const hostsim::PlayerRecord& record);

} // namespace tarnhost
