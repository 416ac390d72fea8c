#include "bot/Senders.h"

#include "host/EventCodes.h"
#include "host/HostRecords.h"
#include "host/OutboundEvents.h"

namespace tarnwick {

namespace {

// Stamps `handle` into word 0 and calls the host's callback once; drops the event when there is
// no callback or the handle is 0.
void sendToHost(HostCallback callback, std::uint32_t handle, BotEvent& event) {
    if (callback == nullptr || handle == 0) {
        return;
    }
    event.handle = handle;
    callback(&event);
}

void sendToHost(BotInstance& instance, BotEvent& event) {
    sendToHost(instance.hostCallback, instance.handle, event);
}

} // namespace

void sendEcho(BotInstance& instance, const char* text) {
    BotEvent event = buildEchoEvent(text);
    sendToHost(instance, event);
}

void sendPrivate(BotInstance& instance, HostAddress player, const char* text) {
    if (player == 0) {
        return;
    }
    BotEvent event = buildSayEvent(SayPrivate, 0, playerIdent(player), text);
    sendToHost(instance, event);
}

void sendPublic(BotInstance& instance, const char* text) {
    BotEvent event = buildSayEvent(SayPublic, 0, 0, text);
    sendToHost(instance, event);
}

void sendEchoThrough(HostCallback callback, std::uint32_t handle, const char* text) {
    BotEvent event = buildEchoEvent(text);
    sendToHost(callback, handle, event);
}

} // namespace tarnwick
