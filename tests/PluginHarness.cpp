#include "PluginHarness.h"

#include "bot/InstanceRegistry.h"

#include <stdexcept>

namespace harness {

tarnwick::BotInstance* botFor(std::uint32_t handle) {
    return tarnwick::findInstance(handle);
}

std::vector<std::string> rosterNames(const tarnwick::BotInstance& bot) {
    std::vector<std::string> names;
    for (auto* node = bot.roster.head(); node != nullptr; node = node->next) {
        names.emplace_back(node->item->chars());
    }
    return names;
}

std::vector<hostsim::Word> taggedPlayers(const tarnwick::BotInstance& bot) {
    std::vector<hostsim::Word> players;
    for (auto* node = bot.tags.head(); node != nullptr; node = node->next) {
        players.push_back(node->item->player);
    }
    return players;
}

void PluginTest::SetUp() {
    tarnwick::destroyAllInstances();
}

void PluginTest::TearDown() {
    EXPECT_TRUE(host.breaches().empty()) << ::testing::PrintToString(host.breaches());
    tarnwick::destroyAllInstances();
}

void PluginTest::restart() {
    tarnwick::destroyAllInstances();
    host.clearSent();
}

tarnwick::BotInstance& PluginTest::bot(std::uint32_t handle) {
    tarnwick::BotInstance* found = botFor(handle);
    if (found == nullptr) {
        throw std::logic_error("no instance for handle " + std::to_string(handle));
    }
    return *found;
}

void PluginTest::init(std::uint32_t handle, std::uint32_t major, std::uint32_t minor,
                      bool withCallback) {
    host.deliver(host.initEvent(handle, hostsim::versionWord(major, minor), withCallback));
}

void PluginTest::connect(std::uint32_t handle) {
    init(handle);
    host.clearSent();
}

void PluginTest::deliver(std::uint32_t code, hostsim::Word p1, hostsim::Word p2, hostsim::Word p3) {
    host.deliver(hostsim::makeEvent(Handle, code, p1, p2, p3));
}

hostsim::PlayerRecord& PluginTest::lockOnTeamThree() {
    hostsim::PlayerRecord& ace = arena().addPlayer("Ace", 0xFFFF, 3, 1);
    arena().addFlag(3);
    connect();
    deliver(hostsim::CodeFlagDrop);
    host.clearSent();
    return ace;
}

std::vector<std::string> PluginTest::sentTexts() const {
    std::vector<std::string> texts;
    for (const hostsim::SentEvent& sent : host.sent()) {
        texts.push_back(sent.text);
    }
    return texts;
}

std::vector<std::string> PluginTest::publicTexts() const {
    std::vector<std::string> texts;
    for (const hostsim::SentEvent& sent : host.sent()) {
        if (sent.isPublic()) {
            texts.push_back(sent.text);
        }
    }
    return texts;
}

} // namespace harness
