// What a host can deliver that it should not, or that a careless host might: each case is played
// through the checking host, which checks every line and the whole registry after every event,
// and then states what the plug-in must have done with it. README.md, "Bad input", names these.
#include "PluginHarness.h"

#include "bot/InstanceRegistry.h"
#include "bot/Senders.h"
#include "entry/Talk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using hostsim::HostEvent;
using hostsim::makeEvent;
using hostsim::Word;

// The event record the host most recently handed to `talk`, as the host still holds it.
HostEvent* eventBeingDelivered = nullptr;

// Notes the host's own event record, then hands it to the core's `talk`.
void talkRemembering(HostEvent* event) {
    eventBeingDelivered = event;
    hostsim::talkToLinkedCore(event);
}

// A player record laid out by hand, for names longer than hostsim's records hold.
struct HandMadePlayer {
    HandMadePlayer(std::uint16_t ident, const std::string& name)
        : bytes(hostsim::player_layout::name + name.size() + hostsim::player_layout::size) {
        std::memcpy(bytes.data() + hostsim::player_layout::ident, &ident, sizeof ident);
        std::memcpy(bytes.data() + hostsim::player_layout::name, name.data(), name.size());
    }
    Word address() const { return reinterpret_cast<Word>(bytes.data()); }
    std::vector<unsigned char> bytes;
};

// A host list holding `items` in order, 0 standing for a node without an item.
std::unique_ptr<hostsim::HostList> listOf(const std::vector<Word>& items) {
    auto list = std::make_unique<hostsim::HostList>();
    for (Word item : items) {
        list->add(item);
    }
    return list;
}

class BadInput : public harness::PluginTest {
protected:
    BadInput()
        : PluginTest(hostsim::PluginLink{&talkRemembering, hostsim::linkedCore().callback}) {}

    // The handshake for `Bot` with these list heads instead of its arena's.
    HostEvent initWithLists(Word playerListHead, Word flagListHead) {
        HostEvent init = host.initEvent(Bot);
        init.parameters[2] = playerListHead;
        init.parameters[3] = flagListHead;
        return init;
    }

    static constexpr std::uint32_t Bot = Handle;
};

TEST_F(BadInput, NullEventAddressIsIgnored) {
    tarnwick::talk(nullptr);
    EXPECT_EQ(tarnwick::registeredInstances().count(), 0u);
    EXPECT_TRUE(host.sent().empty());
}

TEST_F(BadInput, AbsentListHeadsAreTakenAsEmptyLists) {
    host.arena(Bot).addPlayer("Ace", 7, 3, 1).setFlagCount(1);
    host.arena(Bot).addFlag(3);
    const Word players = host.arena(Bot).playerList().headAddress();
    const Word flags = host.arena(Bot).flagList().headAddress();
    const std::vector<std::string> lock = {"*arena Freq 3 LOCKED -- No freq-hopping."};
    const struct {
        const char* what;
        Word playerHead;
        Word flagHead;
        std::vector<std::string> roster;
        std::vector<std::string> sent;
    } cases[] = {
        {"neither list: nothing is counted", 0, 0, {}, {}},
        {"no players: the flag alone locks, with nobody to record", 0, flags, {}, lock},
        {"no flags: the flag Ace carries locks", players, 0, {"Ace"}, lock},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        restart();
        host.deliver(initWithLists(row.playerHead, row.flagHead));
        host.clearSent();
        const std::uint32_t codes[] = {hostsim::CodeArenaEnter, hostsim::CodeFlagDrop,
                                       hostsim::CodeFlagGrab};
        for (std::uint32_t code : codes) {
            deliver(code);
        }
        EXPECT_EQ(bot().locked, !row.sent.empty());
        EXPECT_EQ(harness::rosterNames(bot()), row.roster);
        EXPECT_EQ(sentTexts(), row.sent);
    }
}

TEST_F(BadInput, NullItemsInListNodesArePassedOver) {
    hostsim::PlayerRecord& ace = host.arena(Bot).addPlayer("Ace", 7, 3, 1);
    hostsim::FlagRecord& flag = host.arena(Bot).addFlag(3);
    const auto players = listOf({0, ace.address(), 0});
    const auto flags = listOf({0, flag.address(), 0});
    host.deliver(initWithLists(players->headAddress(), flags->headAddress()));
    host.clearSent();
    deliver(hostsim::CodeArenaEnter);
    EXPECT_TRUE(bot().locked);
    EXPECT_EQ(bot().roster.count(), 1u);
    EXPECT_EQ(sentTexts(), std::vector<std::string>{"*arena Freq 3 LOCKED -- No freq-hopping."});
}

TEST_F(BadInput, EventsBeforeInitChangeNothingAndALaterInitConnects) {
    hostsim::PlayerRecord& ace = host.arena(Bot).addPlayer("Ace", 7, 3, 1);
    const Word flag = host.arena(Bot).addFlag(3).address();
    hostsim::CommandRecord about("about", "");
    for (std::uint32_t code : {hostsim::CodeArenaEnter, hostsim::CodeFlagDrop,
                               hostsim::CodeFlagGrab, hostsim::CodeArenaLeave}) {
        deliver(code);
        deliver(code, 0, flag);
    }
    deliver(hostsim::CodePlayerEntering, ace.address());
    deliver(hostsim::CodeCommand, ace.address(), about.address());
    deliver(hostsim::CodeTerm);
    EXPECT_FALSE(bot().locked);
    EXPECT_TRUE(host.sent().empty());
    init(Bot);
    EXPECT_EQ(sentTexts(), std::vector<std::string>{"DLL plugin connected."});
}

TEST_F(BadInput, UnknownCodesAndCodesAbove41DoNothingWhateverTheirParameters) {
    hostsim::PlayerRecord& ace = lockOnTeamThree();
    const Word stranger = host.arena(Bot).addPlayer("Zed", 2, 3, 1).address();
    const std::uint32_t codes[] = {2,  4,  6,  19,   22,          23,         25,
                                   40, 42, 43, 1000, 0x80000000u, 0xFFFFFFFFu};
    for (std::uint32_t code : codes) {
        SCOPED_TRACE(code);
        host.deliver(makeEvent(Bot, code, ~Word{0}, 0x1234, ~Word{0} - 7, 5, 6, 7));
        deliver(code, ace.address(), stranger, 8);
        EXPECT_TRUE(host.sent().empty());
        EXPECT_FALSE(bot().disabled);
        EXPECT_TRUE(bot().locked);
        EXPECT_EQ(bot().lockedTeam, 3u);
        EXPECT_EQ(harness::rosterNames(bot()), std::vector<std::string>{"Ace"});
        EXPECT_EQ(harness::taggedPlayers(bot()), std::vector<Word>{ace.address()});
    }
}

TEST_F(BadInput, HighBitsInIntegerParametersAreIgnored) {
    const Word highBits = sizeof(Word) > 4 ? ~Word{0} << 16 << 16 : 0;
    hostsim::Arena& arena = host.arena(Bot);
    HostEvent init = host.initEvent(Bot);
    init.parameters[0] |= highBits;
    host.deliver(init);
    EXPECT_EQ(sentTexts(), std::vector<std::string>{"DLL plugin connected."});
    host.clearSent();
    arena.addPlayer("Ace", 7, 3, 1);
    arena.addFlag(3);
    deliver(hostsim::CodeFlagDrop);
    hostsim::PlayerRecord& hopper = arena.addPlayer("Hop", 8, 3, 2);
    host.clearSent();
    deliver(hostsim::CodePlayerChange, hopper.address(), highBits | 0xFFFF0005u,
            highBits | 0x00010003u);
    deliver(hostsim::CodePlayerChange, hopper.address(), highBits | 0xFFFF0005u,
            highBits | 0x00010008u);
    EXPECT_EQ(sentTexts(), (std::vector<std::string>{"*setfreq 5", "*setfreq 0"}));
}

TEST_F(BadInput, NullPlayerFlagAndCommandAddressesGetNoReplyAndNoPass) {
    lockOnTeamThree();
    hostsim::PlayerRecord& asker = host.arena(Bot).addPlayer("Asker", 9, 4, 8);
    hostsim::CommandRecord about("about", "about");
    const HostEvent events[] = {
        makeEvent(Bot, hostsim::CodePlayerEntering, 0),
        makeEvent(Bot, hostsim::CodePlayerChange, 0, 2, 1),
        makeEvent(Bot, hostsim::CodePlayerLeaving, 0),
        makeEvent(Bot, hostsim::CodeCommand, 0, about.address()),
        makeEvent(Bot, hostsim::CodeCommand, asker.address(), 0),
        makeEvent(Bot, hostsim::CodeHelp, 0, about.address()),
        makeEvent(Bot, hostsim::CodeHelp, asker.address(), 0),
    };
    for (const HostEvent& event : events) {
        host.deliver(event);
    }
    // The sender's own guard, behind the handlers' tests of the player.
    tarnwick::sendPrivate(bot(), 0, "*setfreq 2");
    EXPECT_TRUE(host.sent().empty());
    EXPECT_EQ(bot().tags.count(), 1u);
    deliver(hostsim::CodeFlagGrab, 0, 0);
    EXPECT_TRUE(bot().locked) << "a grab of no flag leaves every listed flag counted";
}

TEST_F(BadInput, AbsentCommandWordOrRestGetsNoReply) {
    connect();
    hostsim::PlayerRecord& asker = host.arena(Bot).addPlayer("Asker", 9, 4, 8);
    hostsim::CommandRecord noWord("about", "about");
    noWord.dropWord();
    hostsim::CommandRecord noRest("about", "about");
    noRest.dropRest();
    for (std::uint32_t code : {hostsim::CodeCommand, hostsim::CodeHelp}) {
        deliver(code, asker.address(), noWord.address());
        deliver(code, asker.address(), noRest.address());
    }
    EXPECT_TRUE(host.sent().empty()) << "a record missing either text is not answered at all";
}

TEST_F(BadInput, NegativeAccessLevelsCountAsAboveTwelve) {
    connect();
    hostsim::PlayerRecord& asker = host.arena(Bot).addPlayer("Asker", 9, 4, 8);
    hostsim::CommandRecord about("about", "about");
    hostsim::CommandRecord version("version", "");
    hostsim::CommandRecord bareHelp("help", "");
    for (std::int32_t access : {-1, INT_MIN, 13, INT_MAX}) {
        asker.setAccess(access);
        deliver(hostsim::CodeCommand, asker.address(), about.address());
        deliver(hostsim::CodeCommand, asker.address(), version.address());
        deliver(hostsim::CodeHelp, asker.address(), about.address());
        deliver(hostsim::CodeHelp, asker.address(), bareHelp.address());
    }
    EXPECT_TRUE(host.sent().empty());
}

TEST_F(BadInput, HandleZeroIsServedButNeverSends) {
    hostsim::PlayerRecord& ace = host.arena(0).addPlayer("Ace", 7, 3, 1);
    ace.setAccess(5);
    host.arena(0).addFlag(3);
    hostsim::CommandRecord version("version", "");
    init(0);
    host.deliver(makeEvent(0, hostsim::CodeArenaEnter));
    host.deliver(makeEvent(0, hostsim::CodeFlagDrop));
    host.deliver(makeEvent(0, hostsim::CodeCommand, ace.address(), version.address()));
    host.deliver(makeEvent(0, hostsim::CodeTerm));
    EXPECT_EQ(tarnwick::registeredInstances().count(), 1u);
    EXPECT_TRUE(bot(0).locked) << "handle 0 still keeps its lock state";
    EXPECT_TRUE(host.sent().empty());
}

TEST_F(BadInput, ReentrantTalkFromInsideTheCallbackLeavesEverythingWhole) {
    hostsim::Arena& arena = host.arena(Bot);
    hostsim::PlayerRecord& ace = arena.addPlayer("Ace", 7, 3, 1);
    arena.addPlayer("Bo", 8, 3, 2);
    hostsim::FlagRecord& flag = arena.addFlag(3);
    connect();
    // During the announcement the host reports Ace leaving, a second bot, a split of the flags
    // and, inside the reply to that, the bot re-entering the arena.
    unsigned nested = 0;
    host.onLine = [&](const hostsim::SentEvent& sent) {
        if (sent.text.rfind("*arena Freq 3", 0) != 0 || nested++ != 0) {
            return;
        }
        host.deliver(makeEvent(Bot, hostsim::CodePlayerLeaving, ace.address()));
        host.deliver(host.initEvent(2));
        flag.setTeam(4);
        arena.addFlag(3);
        host.deliver(makeEvent(Bot, hostsim::CodeFlagDrop));
        host.deliver(makeEvent(Bot, hostsim::CodeArenaEnter));
    };
    deliver(hostsim::CodeFlagDrop);
    host.onLine = nullptr;
    EXPECT_EQ(sentTexts(), (std::vector<std::string>{"*arena Freq 3 LOCKED -- No freq-hopping.",
                                                     "DLL plugin connected."}));
    EXPECT_FALSE(bot().locked) << "the innermost events decide: the flags are split";
    EXPECT_EQ(tarnwick::registeredInstances().count(), 2u);
}

TEST_F(BadInput, HostRewritingItsEventDuringTheCallbackCannotChangeTheEventBeingHandled) {
    connect();
    host.onLine = [](const hostsim::SentEvent&) {
        eventBeingDelivered->code = hostsim::CodeArenaEnter;
        eventBeingDelivered->parameters[0] = 0x00060005u;
    };
    host.deliver(host.initEvent(Bot, 0x00050000u));
    host.onLine = nullptr;
    EXPECT_TRUE(bot().disabled) << "the refusal stands for the event as it was delivered";
}

TEST_F(BadInput, LongNamesAreCopiedAndComparedWhole) {
    const std::string longName(1 << 20, 'n');
    // The name runs over the ship and team offsets, so this player is on team 0x6E6E in ship
    // 0x6E: a player in a ship on team 28270.
    const HandMadePlayer member(7, longName);
    const HandMadePlayer returning(8, longName);
    const HandMadePlayer shorter(9, longName.substr(1));
    hostsim::FlagRecord& flag = host.arena(Bot).addFlag(0x6E6E);
    const auto players = listOf({member.address()});
    for (const HandMadePlayer* player : {&member, &returning, &shorter}) {
        host.treatAsLive(Bot, player->address());
    }
    const auto flags = listOf({flag.address()});
    host.deliver(initWithLists(players->headAddress(), flags->headAddress()));
    deliver(hostsim::CodeArenaEnter);
    ASSERT_EQ(bot().roster.count(), 1u);
    EXPECT_EQ(bot().roster.head()->item->length(), longName.size());
    host.clearSent();
    deliver(hostsim::CodePlayerEntering, returning.address());
    deliver(hostsim::CodePlayerEntering, shorter.address());
    EXPECT_EQ(sentTexts(),
              (std::vector<std::string>{"Welcome back. You may still enter team 28270",
                                        "Team 28270 is locked to prevent freq-hopping"}));
}

TEST_F(BadInput, RecordReusedAtTheSameAddressAfterLeavingHasNoPass) {
    hostsim::PlayerRecord& ace = lockOnTeamThree();
    deliver(hostsim::CodePlayerLeaving, ace.address());
    // The host hands the same record to a newcomer, who takes a ship on the locked team.
    ace.setName("Newcomer");
    ace.setShip(8);
    deliver(hostsim::CodePlayerEntering, ace.address());
    ace.setShip(1);
    deliver(hostsim::CodePlayerChange, ace.address(), 2, 8);
    EXPECT_EQ(sentTexts(),
              (std::vector<std::string>{"Team 3 is locked to prevent freq-hopping", "*setfreq 0"}));
}

TEST_F(BadInput, GrabOfAFlagOutsideTheListExcludesNothing) {
    hostsim::FlagRecord& listed = host.arena(Bot).addFlag(3);
    host.arena(Bot).addPlayer("Ace", 7, 3, 1);
    hostsim::FlagRecord stray;
    stray.setTeam(5);
    connect();
    deliver(hostsim::CodeFlagGrab, 0, stray.address());
    EXPECT_TRUE(bot().locked);
    EXPECT_EQ(bot().lockedTeam, 3u);
    deliver(hostsim::CodeFlagGrab, 0, listed.address());
    EXPECT_FALSE(bot().locked) << "the only listed flag left out: nothing counted";
}

} // namespace
