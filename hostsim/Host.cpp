#include "Host.h"

#include <utility>

namespace hostsim {

namespace {

// The host that receives callbacks; a plug-in callback carries no context of its own.
Host* receivingHost = nullptr;

constexpr int LongestMoveChain = 64;
constexpr char SetTeamCommand[] = "*setfreq ", ArenaCommand[] = "*arena ";

// The team a "*setfreq" asks for: decimal digits only, at most 65535; -1 for anything else.
long teamAskedFor(const std::string& number) {
    long team = number.empty() || number.size() > 5 ? -1 : 0;
    for (std::size_t at = 0; at < number.size() && team >= 0; ++at) {
        const bool digit = number[at] >= '0' && number[at] <= '9';
        team = digit ? team * 10 + (number[at] - '0') : -1;
    }
    return team <= 0xFFFF ? team : -1;
}

// Why the server ignores a "*setfreq" asking `team` for `target`; empty when it obeys.
std::string moveRefusal(const std::string& number, long team, const PlayerRecord* target) {
    if (team < 0) {
        return "not a team number";
    } else if (target == nullptr) {
        return "no such player";
    } else if (target->team() == team) {
        return target->name() + " is on team " + number + " already";
    }
    return "";
}

} // namespace

Host::Host(PluginLink link) : link_(link), previous_(receivingHost) {
    receivingHost = this;
}

Host::Host(EventFunction talk) : Host(PluginLink{talk, recordingCallback()}) {}

Host::~Host() {
    receivingHost = previous_;
}

Arena& Host::arena(std::uint32_t handle) {
    std::unique_ptr<Arena>& arena = arenas_[handle];
    if (!arena) {
        arena = std::make_unique<Arena>();
    }
    return *arena;
}

void Host::deliver(HostEvent event) {
    const bool outermost = !delivering_;
    delivering_ = true;
    if (event.code == CodeInit) {
        logs_[event.handle].handshakeDelivered = true;
        logs_[event.handle].handshakeAnswer.clear();
    }
    if (link_.talk != nullptr) {
        event.handle = pluginHandle(event.handle);
        link_.talk(&event);
    }
    if (callbackFailure_) {
        delivering_ = !outermost;
        pendingMoves_.clear();
        std::rethrow_exception(std::exchange(callbackFailure_, nullptr));
    }
    if (outermost) {
        makeMoves();
        delivering_ = false;
    }
}

void Host::serve(const SentEvent& sent) {
    if (sent.isPrivate() && sent.text.rfind(SetTeamCommand, 0) == 0) {
        pendingMoves_.push_back(sent);
    } else if (sent.isPublic() && sent.text.rfind(ArenaCommand, 0) == 0) {
        tell({sent.handle,
              "every player reads \"" + sent.text.substr(sizeof ArenaCommand - 1) + "\"", nullptr,
              0});
    }
}

void Host::makeMoves() {
    for (int moves = 0; !pendingMoves_.empty(); pendingMoves_.pop_front()) {
        const SentEvent move = pendingMoves_.front();
        const std::string number = move.text.substr(sizeof SetTeamCommand - 1);
        PlayerRecord* target = arena(move.handle).findPlayerByIdent(move.target());
        const long team = teamAskedFor(number);
        const std::string refusal = moveRefusal(number, team, target);
        if (!refusal.empty()) {
            tell({move.handle, "ignores \"" + move.text + "\" (" + refusal + ")", nullptr, 0});
            continue;
        } else if (moves++ == LongestMoveChain) {
            tell({move.handle, "stops after " + std::to_string(LongestMoveChain) + " moves",
                  nullptr, 0});
            break;
        }
        const std::uint16_t previousTeam = target->team();
        target->setTeam(static_cast<std::uint16_t>(team));
        tell({move.handle, "moves " + target->name() + " to team " + number, target, previousTeam});
        deliver(makeEvent(move.handle, CodePlayerChange, target->address(), previousTeam,
                          target->ship()));
    }
    pendingMoves_.clear();
}

void Host::tell(const ServerDeed& deed) {
    if (onServer) {
        onServer(deed);
    }
}

std::uint32_t Host::pluginHandle(std::uint32_t handle) {
    if (fresh == nullptr) {
        return handle;
    } else if (handle == 0) {
        fresh->zeroGiven = true;
        return 0;
    }
    const auto [given, first] = pluginHandles_.emplace(handle, fresh->next);
    if (first) {
        hostHandles_.emplace(fresh->next++, handle);
    }
    return given->second;
}

HostEvent Host::initEvent(std::uint32_t handle, std::uint32_t version, bool withCallback) {
    Arena& bot = arena(handle);
    return makeEvent(handle, CodeInit, version, withCallback ? link_.callback : 0,
                     bot.playerList().headAddress(), bot.flagList().headAddress());
}

void Host::init(std::uint32_t handle, std::uint32_t major, std::uint32_t minor, bool withCallback) {
    deliver(initEvent(handle, versionWord(major, minor), withCallback));
}

void Host::receive(HostEvent* event) noexcept {
    Host* host = receivingHost;
    if (host == nullptr || event == nullptr || host->callbackFailure_) {
        return;
    }
    try {
        host->record(*event);
    } catch (...) {
        host->callbackFailure_ = std::current_exception();
    }
}

void Host::record(const HostEvent& event) {
    const auto bot = hostHandles_.find(event.handle);
    SentEvent sent{bot != hostHandles_.end() ? bot->second : event.handle, event.code, {}, {}};
    for (int index = 0; index < 6; ++index) {
        sent.parameters[index] = event.parameters[index];
    }
    const Word textAddress = event.code == CodeEcho  ? event.parameters[0]
                             : event.code == CodeSay ? event.parameters[3]
                                                     : 0;
    if (textAddress != 0) {
        sent.text = reinterpret_cast<const char*>(textAddress);
    }
    sent_.push_back(sent);
    BotLog& log = logs_[sent.handle];
    log.lastPublicLine = sent.isPublic() ? sent.text : log.lastPublicLine;
    if (sent.isEcho() && log.handshakeDelivered && log.handshakeAnswer.empty()) {
        log.handshakeAnswer = sent.text; // the first console line after a handshake
    }
    if (onSend) {
        onSend(sent); // a copy: the handler may deliver events that grow `sent_`
    }
    if (effects) {
        serve(sent);
    }
}

} // namespace hostsim
