#include "entry/Dispatch.h"

#include "bot/PlayerTags.h"
#include "bot/Senders.h"
#include "commands/Commands.h"
#include "host/EventCodes.h"
#include "teamlock/Arrivals.h"
#include "teamlock/TeamLock.h"

namespace tarnwick {

namespace {

// The host versions this plug-in speaks with: major exactly 6, minor 5 or more.
constexpr std::uint32_t RequiredMajorVersion = 6;
constexpr std::uint32_t LowestMinorVersion = 5;

constexpr char ConnectedText[] = "DLL plugin connected.";
constexpr char OutOfDateText[] = "DLL plugin cannot connect.  This plugin is out of date.";
constexpr char RequiresLatestText[] =
    "DLL plugin cannot connect.  This plugin requires the latest version of Corvane.";
constexpr char DisconnectedText[] = "DLL plugin disconnected.";

// The version handshake of `EventInit`: stores the callback and list references whatever the
// outcome, then connects or refuses by the host version word.
void handleInit(BotInstance& instance, const BotEvent& event) {
    instance.hostCallback = reinterpret_cast<HostCallback>(event.p2);
    instance.playerList = event.p3;
    instance.flagList = event.p4;
    const std::uint32_t version = parameterInteger(event.p1);
    const std::uint32_t major = version >> 16;
    const std::uint32_t minor = version & 0xFFFFu;
    if (major > RequiredMajorVersion) {
        sendEcho(instance, OutOfDateText);
        instance.disabled = true;
    } else if (major < RequiredMajorVersion || minor < LowestMinorVersion) {
        sendEcho(instance, RequiresLatestText);
        instance.disabled = true;
    } else {
        sendEcho(instance, ConnectedText);
    }
}

} // namespace

void dispatchEvent(BotInstance& instance, const BotEvent& event) {
    if (instance.disabled || event.code > HighestRoutedCode) {
        return;
    }
    switch (event.code) {
    case EventInit:
        handleInit(instance, event);
        break;
    case EventTerm:
        sendEcho(instance, DisconnectedText);
        break;
    case EventArenaEnter:
        handleArenaEnter(instance);
        break;
    case EventArenaLeave:
    case EventFlagGameOver:
    case EventFlagReset:
        resetLock(instance);
        break;
    case EventFlagGrab:
        handleFlagChange(instance, event.p2);
        break;
    case EventFlagDrop:
        handleFlagChange(instance, 0);
        break;
    case EventPlayerEntering:
        handlePlayerEntering(instance, event.p1);
        break;
    case EventPlayerChange:
        handlePlayerChange(instance, event.p1, parameterLowHalf(event.p2),
                           parameterLowHalf(event.p3));
        break;
    case EventPlayerLeaving:
        removePlayerTags(instance.tags, event.p1);
        break;
    case EventCommand:
        handleCommand(instance, event.p1, event.p2);
        break;
    case EventHelp:
        handleHelp(instance, event.p1, event.p2);
        break;
    default:
        break;
    }
}

} // namespace tarnwick
