#include "FakePlugin.h"

#include "Records.h"

#include <cstring>

namespace fakeplugin {

namespace {

Recording current;
hostsim::EventFunction callback = nullptr;
int depth = 0;

} // namespace

Recording& recording() {
    return current;
}

void reset() {
    current = Recording();
    callback = nullptr;
    depth = 0;
}

void talk(hostsim::HostEvent* event) {
    current.events.push_back(*event);
    current.reentered = current.reentered || depth > 0;
    ++depth;
    if (event->code == hostsim::CodeInit) {
        callback = reinterpret_cast<hostsim::EventFunction>(event->parameters[1]);
    }
    if (event->code == hostsim::CodePlayerChange && callback != nullptr &&
        !current.answerToChange.empty()) {
        std::uint16_t ident = 0;
        std::memcpy(&ident,
                    reinterpret_cast<const unsigned char*>(event->parameters[0]) +
                        hostsim::player_layout::ident,
                    sizeof ident);
        const std::string text = current.answerToChange;
        current.answerToChange.clear();
        hostsim::HostEvent line =
            hostsim::makeEvent(event->handle, hostsim::CodeSay, hostsim::ModePrivate, 0, ident,
                               reinterpret_cast<hostsim::Word>(text.c_str()));
        callback(&line);
    }
    --depth;
}

} // namespace fakeplugin
