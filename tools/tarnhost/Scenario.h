// The scenario language: one line at a time, set up arenas and deliver events to a plug-in,
// answering each line with the lines the plug-in sent (and what the game server did with them).
#pragma once

#include "Host.h"
#include "Tokens.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace tarnhost {

// What one scenario line did: the lines to show, in order.
struct LineResult {
    // Whether the line delivered anything or changed the arena (false for blanks and comments).
    bool acted = false;
    std::vector<std::string> output;
};

class ScenarioSession {
public:
    // A session that delivers events to `talk`, starting on bot 1 with server effects off.
    explicit ScenarioSession(hostsim::EventFunction talk);

    // Carries out one line. A line that cannot be carried out throws ScenarioError and leaves
    // every arena as it was. Expected-output lines ("> ...") are not commands: see isExpectation.
    LineResult perform(const std::string& line);

    // Whether game-server effects ("*setfreq" moves the player) are carried out.
    void setServerEffects(bool on) { serverEffects_ = on; }
    bool serverEffects() const { return serverEffects_; }

    // The bot that setup and event lines act on.
    std::uint32_t currentBot() const { return currentBot_; }

    // A description of every bot's arena, one line per bot, player and flag.
    std::vector<std::string> describeState();

    // The help text of the language, one line per command.
    static std::vector<std::string> helpText();

    // Whether `line` states an expected output line, and the expected line itself.
    static bool isExpectation(const std::string& line, std::string& expected);

private:
    struct BotFlags {
        // Flag names in order of creation, with their records' owner (empty for the field).
        std::map<std::string, hostsim::FlagRecord*> byName;
        std::vector<std::string> order;
        std::map<std::string, std::string> carrier;
    };

    using Words = std::vector<std::string>;

    hostsim::Arena& arena() { return host_.arena(currentBot_); }
    BotFlags& flags() { return flags_[currentBot_]; }
    hostsim::PlayerRecord& player(const std::string& name);
    hostsim::FlagRecord& flag(const std::string& name);

    // Delivers an event and collects every line the plug-in sends because of it, then carries
    // out the server effects those lines asked for, each delivered after the callback returned.
    void deliver(const hostsim::HostEvent& event, std::vector<std::string>& output);
    std::string describe(const hostsim::SentEvent& sent);

    void definePlayer(const Words& words, bool arrives, LineResult& result);
    void setPlayer(const Words& words, std::size_t first, hostsim::PlayerRecord& record,
                   std::uint16_t& team, std::uint8_t& ship);
    void carryOut(const Words& words, LineResult& result);
    hostsim::Word parameter(const std::string& word);

    hostsim::Host host_;
    std::uint32_t currentBot_ = 1;
    bool serverEffects_ = false;
    std::map<std::uint32_t, BotFlags> flags_;
    std::deque<hostsim::SentEvent> pendingEffects_;
    std::vector<std::string>* collecting_ = nullptr;
    std::vector<std::unique_ptr<hostsim::CommandRecord>> commands_;
};

} // namespace tarnhost
