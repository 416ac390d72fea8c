#include "EventCases.h"

#include "BenchArena.h"
#include "plugin/InstanceRegistry.h"

namespace bench {

namespace {

constexpr EventCaseInfo Catalogue[EventCaseCount] = {
    {"FlagDropUnlocked", false, FlagState::Split, 0},
    {"FlagDropKeepsLock", false, FlagState::Owned, 0},
    {"LockSet", true, FlagState::Owned, 1},
    {"LockMove", true, FlagState::Owned, 1},
    {"ArrivalLastInRoster", true, FlagState::Owned, 1},
    {"ArrivalNotInRoster", false, FlagState::Owned, 1},
    {"TeamChangeWithPass", false, FlagState::Owned, 0},
    {"TeamChangeSentBack", false, FlagState::Owned, 1},
    {"CommandReply", false, FlagState::Split, 1},
    {"IgnoredCode", false, FlagState::Split, 0},
};

// The most allocations a line of a literal, a number of `digits` digits and, when `closed`, a
// second literal may cost: as many as building it a piece at a time takes, the empty text, one
// prepend per digit and one concatenation per literal.
constexpr std::uint64_t numberedLineAllocations(std::uint64_t digits, bool closed) {
    return 1 + digits + 1 + (closed ? 1 : 0);
}

// A roster entry is a node, a text item and its buffer; a team pass is a node and a tag item.
constexpr std::uint64_t MemberAllocations = 3 + 2;
constexpr std::uint64_t PassAllocations = 2;
// Both benchmark teams are written with one digit.
constexpr std::uint64_t TeamDigits = 1;

// Delivers an event with `code` and up to three parameters to the stage's bot.
void deliverTo(hostsim::Host& host, const CaseStage& stage, std::uint32_t code,
               hostsim::Word p1 = 0, hostsim::Word p2 = 0, hostsim::Word p3 = 0) {
    host.deliver(hostsim::makeEvent(stage.handle, code, p1, p2, p3));
}

// Whether the case runs with the home team already locked.
bool startsLocked(EventCase eventCase) {
    return eventCase != EventCase::FlagDropUnlocked && eventCase != EventCase::LockSet &&
           eventCase != EventCase::CommandReply && eventCase != EventCase::IgnoredCode;
}

// The standalone player the case needs, and the event it measures.
void prepareVisitorAndEvent(CaseStage& stage) {
    hostsim::PlayerRecord& visitor = stage.visitor;
    visitor.setIdent(65000);
    visitor.setShip(hostsim::SpectatorShip);
    const hostsim::Word visitorAddress = visitor.address();
    const std::uint32_t handle = stage.handle;
    switch (stage.eventCase) {
    case EventCase::FlagDropUnlocked:
    case EventCase::FlagDropKeepsLock:
    case EventCase::LockSet:
    case EventCase::LockMove:
        stage.measured = hostsim::makeEvent(handle, hostsim::CodeFlagDrop);
        break;
    case EventCase::ArrivalLastInRoster:
        visitor.setName(lastPlayerOf(*stage.arena, HomeTeam).name());
        stage.measured = hostsim::makeEvent(handle, hostsim::CodePlayerEntering, visitorAddress);
        break;
    case EventCase::ArrivalNotInRoster:
        visitor.setName("Stranger");
        stage.measured = hostsim::makeEvent(handle, hostsim::CodePlayerEntering, visitorAddress);
        break;
    case EventCase::TeamChangeWithPass:
        stage.measured =
            hostsim::makeEvent(handle, hostsim::CodePlayerChange,
                               lastPlayerOf(*stage.arena, HomeTeam).address(), RivalTeam, 1);
        break;
    case EventCase::TeamChangeSentBack:
        visitor.setName("Hopper");
        visitor.setTeam(HomeTeam);
        visitor.setShip(1);
        stage.measured =
            hostsim::makeEvent(handle, hostsim::CodePlayerChange, visitorAddress, RivalTeam, 1);
        break;
    case EventCase::CommandReply:
        visitor.setAccess(0);
        stage.measured = hostsim::makeEvent(handle, hostsim::CodeCommand, visitorAddress,
                                            stage.command.address());
        break;
    case EventCase::IgnoredCode:
        stage.measured = hostsim::makeEvent(handle, hostsim::CodeTick);
        break;
    }
}

} // namespace

const EventCaseInfo& caseInfo(EventCase eventCase) {
    return Catalogue[static_cast<int>(eventCase)];
}

std::uint64_t allowedAllocations(EventCase eventCase, std::uint32_t members) {
    switch (eventCase) {
    case EventCase::LockSet:
    case EventCase::LockMove:
        return MemberAllocations * members + numberedLineAllocations(TeamDigits, true);
    case EventCase::ArrivalLastInRoster:
        return PassAllocations + numberedLineAllocations(TeamDigits, false);
    case EventCase::ArrivalNotInRoster:
        return numberedLineAllocations(TeamDigits, true);
    case EventCase::TeamChangeSentBack:
        return numberedLineAllocations(TeamDigits, false);
    default:
        return 0;
    }
}

void setUpStage(hostsim::Host& host, CaseStage& stage) {
    deliverTo(host, stage, hostsim::CodeFlagReset);
    if (startsLocked(stage.eventCase)) {
        giveFlagsTo(*stage.arena, HomeTeam);
        deliverTo(host, stage, hostsim::CodeFlagDrop);
    } else if (stage.eventCase == EventCase::LockSet) {
        giveFlagsTo(*stage.arena, HomeTeam);
    } else {
        splitFlags(*stage.arena);
    }
    stage.nextOwner = RivalTeam;
    prepareVisitorAndEvent(stage);
}

void runUntimedStep(hostsim::Host& host, CaseStage& stage) {
    switch (stage.eventCase) {
    case EventCase::LockSet:
        deliverTo(host, stage, hostsim::CodeFlagReset);
        break;
    case EventCase::LockMove:
        giveFlagsTo(*stage.arena, stage.nextOwner);
        stage.nextOwner = stage.nextOwner == HomeTeam ? RivalTeam : HomeTeam;
        break;
    case EventCase::ArrivalLastInRoster:
        deliverTo(host, stage, hostsim::CodePlayerLeaving, stage.visitor.address());
        break;
    default:
        break;
    }
}

const char* checkStage(const CaseStage& stage) {
    const tarnwick::BotInstance* bot = tarnwick::findInstance(stage.handle);
    if (bot == nullptr) {
        return "the bot has no instance";
    }
    const EventCase eventCase = stage.eventCase;
    if (eventCase == EventCase::CommandReply || eventCase == EventCase::IgnoredCode) {
        return nullptr;
    }
    if (eventCase == EventCase::FlagDropUnlocked) {
        return bot->locked ? "a split survey left a lock" : nullptr;
    }
    // The team the last measured event locked: a move goes to the team given most recently.
    const std::uint16_t lockedTeam =
        eventCase == EventCase::LockMove && stage.nextOwner == HomeTeam ? RivalTeam : HomeTeam;
    const std::uint32_t members = membersOf(*stage.arena, lockedTeam);
    if (!bot->locked || bot->lockedTeam != lockedTeam) {
        return "the bot is not locked on the expected team";
    }
    if (bot->roster.count() != members) {
        return "the roster does not hold the whole team";
    }
    const std::uint32_t passes = members + (eventCase == EventCase::ArrivalLastInRoster ? 1 : 0);
    if (bot->tags.count() != passes) {
        return "the bot does not hold one pass per member (and per welcomed arrival)";
    }
    return nullptr;
}

} // namespace bench
