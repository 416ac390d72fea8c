#include "Tarnhost.h"

namespace tarnhost {

namespace {

// The longest chain of server moves one line may set off, so a plug-in and a server that keep
// answering each other cannot hang the session.
constexpr int LongestMoveChain = 64;
constexpr char SetTeamCommand[] = "*setfreq ", ArenaCommand[] = "*arena ";

// Who says a line, in its short form and as told; '%' stands for the player addressed. A voice
// without a short form appears in the story only.
struct Voice {
    const char *shortForm, *told;
};
constexpr Voice Console{"console: ", "plug-in -> host console: "};
constexpr Voice Public{"arena: ", "plug-in -> everybody, public chat: "};
constexpr Voice Private{"to %: ", "plug-in -> %, privately: "};
constexpr Voice Other{"", "plug-in -> host: "};
constexpr Voice Server{"server: ", "game server: "};
constexpr Voice HostToPlugin{nullptr, "host -> plug-in: "};

// Adds one line in both forms, '%' in them standing for `who`. A short line is marked "[bot N] "
// unless it comes from bot 1, a told line unless it comes from the current bot.
void say(Session& session, LineResult& result, std::uint32_t handle, const Voice& voice,
         const std::string& text, const std::string& who = "") {
    const auto form = [&](std::string pattern, std::uint32_t unmarked) {
        const std::size_t mark = pattern.find('%');
        return (handle == unmarked ? "" : "[bot " + std::to_string(handle) + "] ") +
               (mark == std::string::npos ? pattern : pattern.replace(mark, 1, who)) + text;
    };
    if (voice.shortForm != nullptr) {
        result.output.push_back(form(voice.shortForm, 1));
    }
    result.story.push_back(form(voice.told, session.current));
}

// The player of bot `handle` holding `ident`; null when none does.
hostsim::PlayerRecord* holder(Session& session, std::uint32_t handle, std::uint32_t ident) {
    const auto found = bot(session, handle).idents.find(ident);
    return found == bot(session, handle).idents.end() ? nullptr : found->second;
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
    if (sent.isEcho() || sent.isPublic()) {
        say(session, result, sent.handle, sent.isEcho() ? Console : Public, sent.text);
    } else if (sent.isPrivate()) {
        const hostsim::PlayerRecord* target = holder(session, sent.handle, sent.target());
        say(session, result, sent.handle, Private, sent.text,
            target != nullptr ? target->name() : "#" + std::to_string(sent.target()));
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

} // namespace

Session::Session(hostsim::EventFunction talk, hostsim::Word hostCallback)
    : host(hostsim::PluginLink{talk, hostCallback}) {
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

void deliver(Session& session, LineResult& result, std::uint32_t code, hostsim::Word p1,
             hostsim::Word p2, hostsim::Word p3, hostsim::Word p4, hostsim::Word p5,
             hostsim::Word p6) {
    LineResult* outer = session.collecting;
    session.collecting = &result;
    result.delivered = true;
    session.host.clearSent();
    session.host.deliver(hostsim::makeEvent(session.current, code, p1, p2, p3, p4, p5, p6));
    // The queued "*setfreq" lines, in order, each move reported to the plug-in as a team change
    // that may queue more; at most LongestMoveChain moves.
    for (int moves = 0; !session.pendingMoves.empty(); session.pendingMoves.pop_front()) {
        const hostsim::SentEvent move = session.pendingMoves.front();
        const std::string number = move.text.substr(sizeof SetTeamCommand - 1);
        std::int64_t team = -1;
        try {
            team = parseNumber(number, 0, 65535, "team");
        } catch (const ScenarioError&) {
        }
        hostsim::PlayerRecord* target = holder(session, move.handle, move.target());
        const std::string refusal = team < 0            ? "not a team number"
                                    : target == nullptr ? "no such player"
                                    : target->team() == team
                                        ? target->name() + " is on team " + number + " already"
                                        : "";
        if (!refusal.empty()) {
            say(session, result, move.handle, Server,
                "ignores \"" + move.text + "\" (" + refusal + ")");
            continue;
        } else if (moves++ == LongestMoveChain) {
            say(session, result, move.handle, Server,
                "stops after " + std::to_string(LongestMoveChain) + " moves");
            break;
        }
        const std::uint16_t previousTeam = target->team();
        target->setTeam(static_cast<std::uint16_t>(team));
        say(session, result, move.handle, Server, "moves " + target->name() + " to team " + number);
        say(session, result, move.handle, HostToPlugin,
            target->name() + " changes to team " + number + " (was team " +
                std::to_string(previousTeam) + ")");
        session.host.deliver(hostsim::makeEvent(move.handle, hostsim::CodePlayerChange,
                                                target->address(), previousTeam, target->ship()));
    }
    session.pendingMoves.clear();
    session.collecting = outer;
}

} // namespace tarnhost
