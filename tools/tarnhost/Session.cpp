#include "Session.h"

#include "Story.h"

namespace tarnhost {

namespace {

// Inside the host's callback: adds the line to the line being carried out.
void hear(Session& session, const hostsim::SentEvent& sent) {
    if (session.collecting == nullptr) {
        return;
    }
    LineResult& result = *session.collecting;
    if (sent.isEcho() || sent.isPublic()) {
        say(session, result, sent.handle, sent.isEcho() ? Voice::Console : Voice::Public,
            sent.text);
    } else if (sent.isPrivate()) {
        const hostsim::PlayerRecord* target =
            session.host.arena(sent.handle).findPlayerByIdent(sent.target());
        say(session, result, sent.handle, Voice::Private, sent.text,
            target != nullptr ? target->name() : "#" + std::to_string(sent.target()));
    } else {
        std::string raw = "event code " + std::to_string(sent.code);
        for (const hostsim::Word parameter : sent.parameters) {
            raw += " " + std::to_string(parameter);
        }
        say(session, result, sent.handle, Voice::Other, raw);
    }
}

// What the game server did, added to the line being carried out, with the change a move
// makes the host report.
void witness(Session& session, const hostsim::ServerDeed& deed) {
    if (session.collecting == nullptr) {
        return;
    }
    say(session, *session.collecting, deed.handle, Voice::Server, deed.text);
    if (deed.moved != nullptr) {
        say(session, *session.collecting, deed.handle, Voice::HostToPlugin,
            deed.moved->name() + " changes to team " + std::to_string(deed.moved->team()) +
                " (was team " + std::to_string(deed.previousTeam) + ")");
    }
}

} // namespace

Session::Session(hostsim::EventFunction talk, hostsim::Word hostCallback)
    : host(hostsim::PluginLink{talk, hostCallback}) {
    host.onSend = [this](const hostsim::SentEvent& sent) { hear(*this, sent); };
    host.onServer = [this](const hostsim::ServerDeed& deed) { witness(*this, deed); };
}

hostsim::Arena& currentArena(Session& session) {
    return session.host.arena(session.current);
}

void deliver(Session& session, LineResult& result, std::uint32_t code, hostsim::Word p1,
             hostsim::Word p2, hostsim::Word p3, hostsim::Word p4, hostsim::Word p5,
             hostsim::Word p6) {
    LineResult* outer = session.collecting;
    session.collecting = &result;
    result.delivered = true;
    session.host.clearSent();
    session.host.effects = session.effects;
    session.host.deliver(hostsim::makeEvent(session.current, code, p1, p2, p3, p4, p5, p6));
    session.collecting = outer;
}

} // namespace tarnhost
