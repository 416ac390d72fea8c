#include "host/OutboundEvents.h"

#include "host/EventCodes.h"

namespace tarnwick {

BotEvent buildEchoEvent(const char* text) {
    BotEvent event{};
    event.code = EventEcho;
    event.p1 = reinterpret_cast<ParameterWord>(text);
    return event;
}

BotEvent buildSayEvent(std::uint32_t mode, std::uint32_t sound, std::uint32_t ident,
                       const char* text) {
    BotEvent event{};
    event.code = EventSay;
    event.p1 = mode;
    event.p2 = sound;
    event.p3 = ident;
    event.p4 = reinterpret_cast<ParameterWord>(text);
    return event;
}

} // namespace tarnwick
