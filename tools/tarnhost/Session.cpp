#include "Tarnhost.h"

#include <algorithm>

namespace tarnhost {

namespace {

// The longest chain of server moves one line may set off, so a plug-in and a server that keep
// answering each other cannot hang the session.
constexpr int LongestMoveChain = 64;
constexpr char SetTeamCommand[] = "*setfreq ";
constexpr char ArenaCommand[] = "*arena ";

// Who says a line, in its short form and as told; '%' stands for the player addressed. A voice
// without a short form appears in the story only.
struct Voice {
    const char* shortForm;
    const char* told;
};
constexpr Voice Console{"console: ", "plug-in -> host console: "};
constexpr Voice Public{"arena: ", "plug-in -> everybody, public chat: "};
constexpr Voice Private{"to %: ", "plug-in -> %, privately: "};
constexpr Voice Other{"", "plug-in -> host: "};
constexpr Voice Server{"server: ", "game server: "};
constexpr Voice HostToPlugin{nullptr, "host -> plug-in: "};

// `form` with '%' replaced by `who`.
std::string voiced(const char* form, const std::string& who) {
    std::string text = form;
    const std::size_t mark = text.find('%');
    return mark == std::string::npos ? text : text.replace(mark, 1, who);
}

// "[bot N] " before a line of bot N, unless N is `unmarked`.
std::string botMark(std::uint32_t handle, std::uint32_t unmarked) {
    return handle == unmarked ? std::string() : "[bot " + std::to_string(handle) + "] ";
}

// Adds one line in both forms; a short line is marked unless it comes from bot 1, a told line
// unless it comes from the current bot.
void say(Session& session, LineResult& result, std::uint32_t handle, const Voice& voice,
         const std::string& text, const std::string& who = "") {
    if (voice.shortForm != nullptr) {
        result.output.push_back(botMark(handle, 1) + voiced(voice.shortForm, who) + text);
    }
    result.story.push_back(botMark(handle, session.current) + voiced(voice.told, who) + text);
}

// Inside the host's callback: notes the line for `state`, adds it to the line being carried
// out, and queues a "*setfreq" for after the callback has returned.
void hear(Session& session, const hostsim::SentEvent& sent) {
    Bot& speaker = bot(session, sent.handle);
    speaker.lastAnnouncement = sent.isPublic() ? sent.text : speaker.lastAnnouncement;
    if (sent.isEcho() && speaker.handshakeDelivered && speaker.handshakeAnswer.empty()) {
        speaker.handshakeAnswer = sent.text; // the first console line after a handshake
    }
    if (session.collecting == nullptr) {
        return;
    }
    LineResult& result = *session.collecting;
    if (sent.isEcho()) {
        say(session, result, sent.handle, Console, sent.text);
    } else if (sent.isPublic()) {
        say(session, result, sent.handle, Public, sent.text);
    } else if (sent.isPrivate()) {
        const auto& idents = bot(session, sent.handle).idents;
        const auto found = idents.find(sent.target());
        say(session, result, sent.handle, Private, sent.text,
            found != idents.end() ? found->second->name() : "#" + std::to_string(sent.target()));
    } else {
        std::string raw = "event code " + std::to_string(sent.code);
        for (const hostsim::Word parameter : sent.parameters) {
            raw += " " + std::to_string(parameter);
        }
        say(session, result, sent.handle, Other, raw);
    }
    if (session.effects && sent.isPrivate() && sent.text.rfind(SetTeamCommand, 0) == 0) {
        session.pendingMoves.push_back(sent);
    }
    if (session.effects && sent.isPublic() && sent.text.rfind(ArenaCommand, 0) == 0) {
        say(session, result, sent.handle, Server,
            "every player reads \"" + sent.text.substr(sizeof ArenaCommand - 1) + "\"");
    }
}

// Carries out the queued "*setfreq" lines in order; each move is reported to the plug-in as a
// team change, which may queue more. Stops after LongestMoveChain moves.
void carryOutMoves(Session& session, LineResult& result) {
    int moves = 0;
    for (; !session.pendingMoves.empty(); session.pendingMoves.pop_front()) {
        const hostsim::SentEvent move = session.pendingMoves.front();
        const std::string number = move.text.substr(sizeof SetTeamCommand - 1);
        std::int64_t team = -1;
        try {
            team = parseNumber(number, 0, 65535, "team");
        } catch (const ScenarioError&) {
        }
        const auto& idents = bot(session, move.handle).idents;
        const auto found = idents.find(move.target());
        if (team < 0 || found == idents.end()) {
            say(session, result, move.handle, Server,
                "ignores \"" + move.text + "\" (" +
                    (team < 0 ? "not a team number" : "no such player") + ")");
            continue;
        }
        hostsim::PlayerRecord& target = *found->second;
        const std::uint16_t previousTeam = target.team();
        if (previousTeam == team) {
            say(session, result, move.handle, Server,
                target.name() + " is on team " + number + " already");
            continue;
        }
        if (moves++ == LongestMoveChain) {
            say(session, result, move.handle, Server,
                "stops after " + std::to_string(LongestMoveChain) + " moves");
            break;
        }
        target.setTeam(static_cast<std::uint16_t>(team));
        say(session, result, move.handle, Server, "moves " + target.name() + " to team " + number);
        say(session, result, move.handle, HostToPlugin,
            target.name() + " changes to team " + number + " (was team " +
                std::to_string(previousTeam) + ")");
        session.host.deliver(hostsim::makeEvent(move.handle, hostsim::CodePlayerChange,
                                                target.address(), previousTeam, target.ship()));
    }
    session.pendingMoves.clear();
}

} // namespace

Session::Session(hostsim::EventFunction talk, hostsim::Word hostCallback)
    : host(talk), callback(hostCallback) {
    host.onSend = [this](const hostsim::SentEvent& sent) { hear(*this, sent); };
}

Bot& bot(Session& session, std::uint32_t handle) {
    Bot& found = session.bots[handle];
    found.arena = &session.host.arena(handle);
    return found;
}

Bot& bot(Session& session) {
    return bot(session, session.current);
}

// The error for a name the current bot does not know, listing the names it knows.
static ScenarioError unknown(Session& session, const char* kind, const std::string& name,
                             const std::vector<std::string>& known) {
    return ScenarioError("unknown " + std::string(kind) + " " + quoted(name) + " on bot " +
                         std::to_string(session.current) + " (" + kind + "s: " + listText(known) +
                         ")");
}

hostsim::PlayerRecord& player(Session& session, const std::string& name) {
    const Bot& current = bot(session);
    const auto found = current.players.find(name);
    if (found != current.players.end()) {
        return *found->second;
    }
    std::vector<std::string> names;
    for (const auto& record : current.arena->players()) {
        names.push_back(shown(record->name()));
    }
    throw unknown(session, "player", name, names);
}

NamedFlag& flag(Session& session, const std::string& name) {
    std::vector<std::string> names;
    for (NamedFlag& known : bot(session).flags) {
        if (known.name == name) {
            return known;
        }
        names.push_back(shown(known.name));
    }
    throw unknown(session, "flag", name, names);
}

// Throws when a player of the current bot other than `except` holds `ident`.
static void expectFreeIdent(Session& session, std::uint32_t ident,
                            const hostsim::PlayerRecord* except) {
    const auto found = bot(session).idents.find(ident);
    if (found != bot(session).idents.end() && found->second != except) {
        throw ScenarioError("ident " + std::to_string(ident) + " is " +
                            shown(found->second->name()) + "'s already on bot " +
                            std::to_string(session.current));
    }
}

hostsim::PlayerRecord& addPlayer(Session& session, const std::string& name, std::uint32_t ident) {
    Bot& current = bot(session);
    if (current.players.count(name) != 0) {
        throw ScenarioError("player " + quoted(name) + " is already in the arena of bot " +
                            std::to_string(session.current));
    }
    if (name.size() > hostsim::player_layout::longestName) {
        throw ScenarioError("name longer than " +
                            std::to_string(hostsim::player_layout::longestName) + " bytes");
    }
    if (ident > 0xFFFF) {
        while (current.idents.count(current.lowestFreeIdent) != 0) {
            ++current.lowestFreeIdent;
        }
        ident = current.lowestFreeIdent;
        if (ident > 0xFFFF) {
            throw ScenarioError("every ident from 0 to 65535 is held on bot " +
                                std::to_string(session.current) + ": no room for " + quoted(name));
        }
    }
    expectFreeIdent(session, ident, nullptr);
    hostsim::PlayerRecord& record =
        current.arena->addPlayer(name, static_cast<std::uint16_t>(ident), 0, 0);
    current.players[name] = &record;
    current.idents[ident] = &record;
    return record;
}

void setIdent(Session& session, hostsim::PlayerRecord& record, std::uint16_t ident) {
    expectFreeIdent(session, ident, &record);
    Bot& current = bot(session);
    current.idents.erase(record.ident());
    current.lowestFreeIdent = std::min<std::uint32_t>(current.lowestFreeIdent, record.ident());
    record.setIdent(ident);
    current.idents[ident] = &record;
}

std::vector<std::string> releaseFlags(Session& session, const hostsim::PlayerRecord& carrier) {
    std::vector<std::string> released;
    for (NamedFlag& known : bot(session).flags) {
        if (known.carrier == carrier.name()) {
            known.record->setTeam(carrier.team());
            bot(session).arena->setFlagListed(*known.record, true);
            known.carrier.clear();
            released.push_back(known.name);
        }
    }
    return released;
}

bool removePlayer(Session& session, hostsim::PlayerRecord& record) {
    Bot& current = bot(session);
    const bool carried = !releaseFlags(session, record).empty();
    current.players.erase(record.name());
    current.idents.erase(record.ident());
    current.lowestFreeIdent = std::min<std::uint32_t>(current.lowestFreeIdent, record.ident());
    current.arena->removePlayer(record);
    return carried;
}

void deliver(Session& session, const hostsim::HostEvent& event, LineResult& result) {
    LineResult* outer = session.collecting;
    session.collecting = &result;
    result.delivered = true;
    session.host.clearSent();
    session.host.deliver(event);
    carryOutMoves(session, result);
    session.collecting = outer;
}

std::string flagOwnerText(std::uint16_t team) {
    return team == hostsim::NobodysTeam ? std::string("nobody") : "team " + std::to_string(team);
}

std::string placeText(const hostsim::PlayerRecord& record) {
    return "team " + std::to_string(record.team()) + ", " +
           (record.ship() == hostsim::SpectatorShip ? std::string("spectating")
                                                    : "ship " + std::to_string(record.ship()));
}

// "1 player", "2 players".
static std::string countText(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::vector<std::string> describeState(Session& session) {
    std::vector<std::string> lines;
    for (auto& [handle, known] : session.bots) {
        const std::string handshake = !known.handshakeDelivered ? "no handshake yet"
                                      : known.handshakeAnswer.empty()
                                          ? "handshake delivered, no answer"
                                          : "handshake answered \"" + known.handshakeAnswer + "\"";
        lines.push_back("bot " + std::to_string(handle) +
                        (handle == session.current ? " (current)" : "") + ": " + handshake + "; " +
                        countText(known.arena->players().size(), "player") + ", " +
                        countText(known.flags.size(), "flag"));
        for (const auto& record : known.arena->players()) {
            std::string line = "  player " + record->name() + ": " + placeText(*record) +
                               ", ident " + std::to_string(record->ident()) + ", access " +
                               std::to_string(record->access());
            std::vector<std::string> carried;
            for (const NamedFlag& held : known.flags) {
                if (held.carrier == record->name()) {
                    carried.push_back(held.name);
                }
            }
            if (!carried.empty()) {
                line += ", carries " + listText(carried);
            } else if (record->flagCount() != 0) {
                line += ", carries " + std::to_string(record->flagCount()) + " flag(s)";
            }
            lines.push_back(line);
        }
        for (const NamedFlag& held : known.flags) {
            const hostsim::PlayerRecord* carrier =
                held.carrier.empty() ? nullptr : known.players.at(held.carrier);
            lines.push_back("  flag " + held.name + ": " +
                            (carrier != nullptr
                                 ? "carried by " + carrier->name() + " (team " +
                                       std::to_string(carrier->team()) + ")"
                                 : "on the field, owned by " + flagOwnerText(held.record->team())));
        }
        if (!known.lastAnnouncement.empty()) {
            lines.push_back("  last public line: " + known.lastAnnouncement +
                            " (a lock lifts without a word, so it may be over)");
        }
    }
    return lines;
}

} // namespace tarnhost
