// A bot host of our own: arenas per bot, delivery of events to a plug-in's `talk`, and a
// recording callback that copies every outbound event and its text during the call.
#pragma once

#include "Arena.h"
#include "HostEvent.h"
#include "Module.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hostsim {

// An outbound event as the host received it, with its text copied during the callback.
struct SentEvent {
    std::uint32_t handle;
    std::uint32_t code;
    Word parameters[6];
    std::string text;

    bool isEcho() const { return code == CodeEcho; }
    bool isPublic() const { return code == CodeSay && parameters[0] == ModePublic; }
    bool isPrivate() const { return code == CodeSay && parameters[0] == ModePrivate; }
    // The target ident of a private line.
    std::uint32_t target() const { return static_cast<std::uint32_t>(parameters[2]); }
};

// What the game server did with a line a plug-in sent, told as a person reads it; `moved` is
// the player it moved to another team (null when it moved nobody), who was on `previousTeam`.
struct ServerDeed {
    std::uint32_t handle;
    std::string text;
    PlayerRecord* moved;
    std::uint16_t previousTeam;
};

// What the host saw of one bot's talk: whether a handshake went out, the first console line
// after the latest one, and the last public line.
struct BotLog {
    bool handshakeDelivered = false;
    std::string handshakeAnswer, lastPublicLine;
};

// The plug-in end of a host: the entry point events are delivered to, and the callback address
// the handshake hands over.
struct PluginLink {
    EventFunction talk;
    Word callback;
};

class Host {
public:
    // A host that delivers events to `link.talk` and hands `link.callback` over in the
    // handshake. Only one host receives callbacks at a time: the most recently constructed one
    // that is still alive.
    explicit Host(PluginLink link);
    // A host of a loaded module: delivers to `talk` and hands over `recordingCallback()`.
    explicit Host(EventFunction talk);
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host();

    // The arena of the bot with this handle, made empty on first use.
    Arena& arena(std::uint32_t handle);
    // Every bot's arena, by handle.
    const std::map<std::uint32_t, std::unique_ptr<Arena>>& arenas() const { return arenas_; }

    // Calls `talk` with the event; the outermost delivery then makes the server's moves. What
    // the callback threw (`onSend` and `onServer` included) is thrown here once `talk` has
    // returned: nothing unwinds through the plug-in's frames, which are built without unwind
    // tables, and the callbacks of that delivery after the failure record nothing.
    void deliver(HostEvent event);
    // The handshake for `handle`: `EventInit` with the version word, the link's callback (0 when
    // `withCallback` is false) and the addresses of that bot's player and flag list heads; p5
    // and p6 are 0.
    HostEvent initEvent(std::uint32_t handle, std::uint32_t version = versionWord(6, 5),
                        bool withCallback = true);
    // Delivers the handshake for `handle` with version major.minor, without a callback when
    // `withCallback` is false.
    void init(std::uint32_t handle, std::uint32_t major = 6, std::uint32_t minor = 5,
              bool withCallback = true);

    // What the host saw of the bot with this handle (nothing yet on first use).
    const BotLog& log(std::uint32_t handle) { return logs_[handle]; }
    // Every outbound event received so far, in order.
    const std::vector<SentEvent>& sent() const { return sent_; }
    // Forgets the recorded events.
    void clearSent() { sent_.clear(); }

    // Called inside the callback after each event is recorded; may call `deliver` again.
    std::function<void(const SentEvent&)> onSend;

    // The recording callback: records the event with the host that receives callbacks. Throws
    // nothing: a failure is kept for `deliver`.
    static void receive(HostEvent* event) noexcept;
    // The address of `receive`, as the handshake carries it.
    static Word recordingCallback() { return reinterpret_cast<Word>(&Host::receive); }

    // Game-server effects, off by default. With them on, every player reads a public "*arena
    // TEXT", and a private "*setfreq N" (N in decimal digits, at most 65535) moves the player
    // holding the target ident to team N once the outermost delivery's callback has returned;
    // the host then delivers the change, which may set off more moves, at most 64 in a row, so
    // a plug-in and a server that keep answering each other cannot hang the host. Each deed is
    // told to `onServer`, a move before its change is delivered.
    bool effects = false;
    std::function<void(const ServerDeed&)> onServer;

    // How the plug-in numbers this host's bots: null, by their own handles. Otherwise each bot
    // takes at its first event the number `fresh->next`, which then counts on, and the plug-in's
    // lines come back to the bot by that number, so that no bot meets what an earlier host's
    // events left in a module kept loaded. Handle 0, whose sends the plug-in drops, keeps its
    // number and sets `fresh->zeroGiven`.
    FreshHandles* fresh = nullptr;

private:
    // Records one outbound event, tells `onSend` and notes what the server does with it.
    void record(const HostEvent& event);
    // Notes what the server does with a line just sent.
    void serve(const SentEvent& sent);
    // Makes the queued moves, in order, and those their changes set off.
    void makeMoves();
    // Hands a deed to `onServer`, when set.
    void tell(const ServerDeed& deed);
    // The number the plug-in knows the bot `handle` by (see `fresh`), given on first use.
    std::uint32_t pluginHandle(std::uint32_t handle);

    PluginLink link_;
    Host* previous_;
    std::map<std::uint32_t, std::unique_ptr<Arena>> arenas_;
    std::vector<SentEvent> sent_;
    std::map<std::uint32_t, BotLog> logs_;
    std::map<std::uint32_t, std::uint32_t> pluginHandles_, hostHandles_;
    std::deque<SentEvent> pendingMoves_;
    bool delivering_ = false;
    std::exception_ptr callbackFailure_;
};

} // namespace hostsim
