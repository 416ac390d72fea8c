// Loads the built module, uses it the way a host does (several bots, locks with rosters and
// passes, arrivals, send-backs, replies, a refused bot, handle 0), unloads it, and checks that
// the unload called no host callback. Then loads it again and checks that the registry started
// afresh, which shows the teardown ran at unload. Meant to run under valgrind, which checks that
// nothing the module allocated is left behind.
//
//   unload_check PATH-TO-MODULE
#include "Host.h"
#include "Module.h"

#include <cstdio>
#include <string>

namespace {

// Plays a short story through `host` on bots 1, 2, 3 and 0; the module keeps state for each.
void useModule(hostsim::Host& host) {
    for (std::uint32_t handle : {1u, 2u, 0u}) {
        hostsim::Arena& arena = host.arena(handle);
        for (std::uint16_t ident = 0; ident < 12; ++ident) {
            arena.addPlayer("Player" + std::to_string(ident), ident,
                            static_cast<std::uint16_t>(ident % 3), ident % 4 == 0 ? 8 : 1);
        }
        arena.addFlag(1);
        arena.addFlag(1);
        host.init(handle);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodeArenaEnter));
        hostsim::PlayerRecord& newcomer = arena.addPlayer("PLAYER1", 40, 2, 8);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodePlayerEntering, newcomer.address()));
        hostsim::PlayerRecord& hopper = arena.addPlayer("Hopper", 41, 0, 8);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodePlayerEntering, hopper.address()));
        hopper.setTeam(1);
        hopper.setShip(2);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodePlayerChange, hopper.address(), 0, 8));
        hostsim::CommandRecord about("about", "");
        host.deliver(
            hostsim::makeEvent(handle, hostsim::CodeCommand, hopper.address(), about.address()));
        hostsim::PlayerRecord* leaver = arena.findPlayer("Player4");
        host.deliver(hostsim::makeEvent(handle, hostsim::CodePlayerLeaving, leaver->address()));
        arena.removePlayer(*leaver);
        arena.flags()[0]->setTeam(2);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodeFlagDrop));
        arena.flags()[1]->setTeam(2);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodeFlagDrop));
        host.deliver(hostsim::makeEvent(handle, hostsim::CodeTerm));
    }
    host.init(3, 5, 0);
    host.deliver(hostsim::makeEvent(3, hostsim::CodeArenaEnter));
}

// Reports why the check failed; always false.
bool fail(const std::string& why) {
    std::fprintf(stderr, "unload_check: %s\n", why.c_str());
    return false;
}

// True when the module at `path` loads, serves the story, unloads without calling the host
// and comes back with an empty registry.
bool checkUnload(const std::string& path) {
    std::size_t linesBeforeUnload = 0;
    std::size_t linesAfterUnload = 0;
    {
        hostsim::Module module(path);
        if (!module.loaded()) {
            return fail(module.error());
        }
        hostsim::Host host(module.talk());
        useModule(host);
        linesBeforeUnload = host.sent().size();
        module.unload();
        linesAfterUnload = host.sent().size();
    }
    std::printf("unload_check: %zu lines sent before the unload, %zu during it\n",
                linesBeforeUnload, linesAfterUnload - linesBeforeUnload);
    if (linesBeforeUnload < 15) {
        return fail("the story sent too few lines; is this the module?");
    }
    if (linesAfterUnload != linesBeforeUnload) {
        return fail("the unload called the host");
    }
    hostsim::Module again(path);
    if (!again.loaded()) {
        return fail(again.error());
    }
    hostsim::Host host(again.talk());
    host.deliver(hostsim::makeEvent(1, hostsim::CodeTerm));
    if (!host.sent().empty()) {
        return fail("bot 1 kept its callback across the unload: the teardown did not run");
    }
    host.init(3);
    if (host.sent().size() != 1 || host.sent()[0].text != "DLL plugin connected.") {
        return fail("the refused bot 3 stayed disabled across the unload");
    }
    again.unload();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: unload_check PATH-TO-MODULE\n");
        return 2;
    }
    if (!checkUnload(argv[1])) {
        return 1;
    }
    std::printf("unload_check: ok\n");
    return 0;
}
