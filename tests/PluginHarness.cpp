#include "PluginHarness.h"
#include "LinkedCore.h"

#include "plugin/InstanceRegistry.h"
#include "plugin/Talk.h"

#include <stdexcept>

namespace harness {

void talkFromHost(hostsim::HostEvent* event) {
    hostsim::talkToLinkedCore(event);
}

void receiveFromCore(tarnwick::BotEvent* event) {
    hostsim::receiveFromLinkedCore(event);
}

hostsim::Word coreCallbackWord() {
    return reinterpret_cast<hostsim::Word>(&receiveFromCore);
}

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

::testing::AssertionResult lockStateIsConsistent(const tarnwick::BotInstance& bot) {
    if (!bot.locked) {
        if (bot.roster.count() != 0 || bot.tags.count() != 0) {
            return ::testing::AssertionFailure()
                   << "unlocked with " << bot.roster.count() << " roster names and "
                   << bot.tags.count() << " tags";
        }
        return ::testing::AssertionSuccess();
    }
    for (auto* node = bot.tags.head(); node != nullptr; node = node->next) {
        if (node->item->key != tarnwick::TeamPassKey ||
            node->item->value != tarnwick::TeamPassValue) {
            return ::testing::AssertionFailure()
                   << "locked with a tag that is not a pass: key " << node->item->key << " value "
                   << node->item->value;
        }
    }
    return ::testing::AssertionSuccess();
}

void PluginTest::SetUp() {
    tarnwick::destroyAllInstances();
}

void PluginTest::TearDown() {
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
    hostsim::Arena& bot = arena(handle);
    host.deliver(hostsim::makeEvent(handle, hostsim::CodeInit, hostsim::versionWord(major, minor),
                                    withCallback ? coreCallbackWord() : 0,
                                    bot.playerList().headAddress(), bot.flagList().headAddress()));
}

void PluginTest::connect(std::uint32_t handle) {
    init(handle);
    host.clearSent();
}

void PluginTest::deliver(std::uint32_t code, hostsim::Word p1, hostsim::Word p2, hostsim::Word p3) {
    host.deliver(hostsim::makeEvent(Handle, code, p1, p2, p3));
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
