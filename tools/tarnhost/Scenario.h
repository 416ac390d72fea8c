// The scenario language: one line at a time, set up arenas and deliver events to a plug-in,
// answering each line with the lines the plug-in sent (and what the game server did with them).
#pragma once

#include "Host.h"
#include "Tokens.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarnhost {

// What one scenario line did.
struct LineResult {
    // Whether the line delivered anything or changed the arena (false for blanks, comments,
    // `help` and `state`).
    bool acted = false;
    // Whether an event reached the plug-in, so that silence from it means something.
    bool delivered = false;
    // The line's effect in words ("Ace grabs flag north"); empty when it did nothing.
    std::string action;
    // The lines sent and the server's effects in the short form expected-output lines use
    // ("to Cid: *setfreq 2").
    std::vector<std::string> output;
    // The same lines told for a reader ("plug-in -> Cid, privately: ..."), with a line for
    // each event the server's effects delivered ("host -> plug-in: Cid changes to team 2").
    std::vector<std::string> story;
};

class ScenarioSession {
public:
    // A session that delivers events to `talk`, starting on bot 1 with server effects off and
    // no handshake delivered.
    explicit ScenarioSession(hostsim::EventFunction talk);

    // Carries out one line. A line that cannot be carried out throws ScenarioError and leaves
    // every arena as it was. Expected-output lines ("> ...") are not commands: see isExpectation.
    LineResult perform(const std::string& line);

    // Whether game-server effects ("*setfreq" moves the player) are carried out.
    void setServerEffects(bool on) { serverEffects_ = on; }
    bool serverEffects() const { return serverEffects_; }

    // Whether a bot gets its handshake (`init`) delivered the first time a line selects it.
    void setAutomaticInit(bool on) { automaticInit_ = on; }

    // The bot that setup and event lines act on.
    std::uint32_t currentBot() const { return currentBot_; }

    // Delivers the default handshake to the current bot if it never had one; returns what the
    // plug-in answered (empty when it had one already).
    LineResult initialiseCurrentBot();

    // A description of every bot's arena as the host sees it: one header per bot, then one line
    // per player and per flag.
    std::vector<std::string> describeState();

    // The help text of the language, one line per command.
    static std::vector<std::string> helpText();

    // Whether `line` states an expected output line, and the expected line itself.
    static bool isExpectation(const std::string& line, std::string& expected);

    // Whether `line` is a comment line, and its text without the '#' and one blank.
    static bool isCommentLine(const std::string& line, std::string& text);

private:
    struct BotFlags {
        // Flag records by name, the names in order of creation, and the carrier of each
        // carried flag (a carried flag is off the host's flag list).
        std::map<std::string, hostsim::FlagRecord*> byName;
        std::vector<std::string> order;
        std::map<std::string, std::string> carrier;
    };

    // What the host has heard from the plug-in about one bot.
    struct BotStatus {
        bool handshakeDelivered = false;
        std::string handshakeAnswer;
        std::string lastAnnouncement;
    };

    using Words = std::vector<std::string>;

    // The current bot's arena and flag names, made empty on first use.
    hostsim::Arena& arena() { return host_.arena(currentBot_); }
    BotFlags& flags() { return flags_[currentBot_]; }
    // The named player or flag of the current bot; throws, listing the known names, when there
    // is none.
    hostsim::PlayerRecord& player(const std::string& name);
    hostsim::FlagRecord& flag(const std::string& name);
    // "[bot N] " in front of a short-form line of any bot but bot 1.
    std::string botPrefix(std::uint32_t handle) const;
    // "[bot N] " in front of a told line of any bot but the current one.
    std::string storyPrefix(std::uint32_t handle) const;
    // The current bot's player names, in list order; "none" when it has none.
    std::string knownPlayers();

    // Delivers an event and collects every line the plug-in sends because of it, then carries
    // out the server effects those lines asked for, each delivered after the callback returned.
    void deliver(const hostsim::HostEvent& event, LineResult& result);
    // Takes one line the plug-in sent, inside the host's callback: notes it for `state`, adds it
    // to the line being carried out, and queues or shows its server effect.
    void record(const hostsim::SentEvent& sent);
    // Carries out the queued "*setfreq" lines, at most LongestEffectChain moves per line.
    void carryOutEffects(LineResult& result);
    // Adds one line in both forms, marked with the bot it came from where that is needed.
    void say(LineResult& result, std::uint32_t handle, const std::string& shortForm,
             const std::string& told);

    // The commands, one per verb (or pair of verbs). Each reads and checks its whole line,
    // throwing ScenarioError before it changes anything, then acts and fills `result`.
    void definePlayer(const Words& words, bool arrives, LineResult& result);
    void setPlayer(const Words& words, LineResult& result);
    void removePlayer(const Words& words, LineResult& result);
    void changePlayer(const Words& words, LineResult& result);
    void addFlag(const Words& words, LineResult& result);
    void removeFlag(const Words& words, LineResult& result);
    void grabFlag(const Words& words, LineResult& result);
    void dropFlags(const Words& words, LineResult& result);
    void initialise(const Words& words, LineResult& result);
    void selectBot(const Words& words, LineResult& result);
    void askPlugin(const Words& words, LineResult& result);
    void deliverRawEvent(const Words& words, LineResult& result);
    // Hands the line to the command of its first word; throws on an unknown word.
    void carryOut(const Words& words, LineResult& result);
    // A raw event parameter: a number, @PLAYER's or %FLAG's record address, or null (0).
    hostsim::Word parameter(const std::string& word);
    // Puts the carrier's flags back on the field, owned by `team`, as a drop or departure does.
    void releaseCarriedFlags(const std::string& carrierName, std::uint16_t team);
    // Throws when a player of the current bot other than `except` has this ident.
    void expectFreeIdent(std::uint16_t ident, const hostsim::PlayerRecord* except);

    hostsim::Host host_;
    std::uint32_t currentBot_ = 1;
    bool serverEffects_ = false;
    bool automaticInit_ = false;
    std::map<std::uint32_t, BotFlags> flags_;
    std::map<std::uint32_t, BotStatus> status_;
    std::deque<hostsim::SentEvent> pendingEffects_;
    LineResult* collecting_ = nullptr;
    std::vector<std::unique_ptr<hostsim::CommandRecord>> commands_;
};

} // namespace tarnhost
