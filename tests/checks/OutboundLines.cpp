#include "OutboundLines.h"

#include "Records.h"
#include "bot/InstanceRegistry.h"
#include "bot/PlayerTags.h"

#include <cstring>

namespace checks {

namespace {

// What the lines must agree with, written here apart from the plug-in's own constants, so that a
// wrong one there shows as a breach here rather than being copied.
// The handshake connects a host of version 6.5 or a later 6.x.
constexpr std::uint32_t ConnectingMajorVersion = 6, LowestConnectingMinorVersion = 5;
// Access levels, as unsigned ranks: above 12 nothing is answered, the version from 3 up, and
// help without a topic at 1 and below.
constexpr std::uint32_t HighestAnsweredAccess = 12, LowestVersionAccess = 3,
                        HighestUntopicalHelpAccess = 1;
// The command words and help topic that get replies.
constexpr char PurposeCommand[] = "about", VersionCommand[] = "version", HelpTopic[] = "about";
// Teams from 100 up are private: their lock is announced without their number.
constexpr std::uint32_t PrivateTeamFloor = 100;
// A spectator who takes a ship on the locked team goes back to team 0, or to 1 when 0 is locked.
constexpr std::uint32_t SpectatorReturnTeam = 0, SpectatorReturnTeamWhenZeroLocked = 1;
// Teams, and the previous team and ship an event carries, are 16-bit numbers: five digits at most.
constexpr std::uint32_t LowSixteenBits = 0xFFFFu, LargestTeamNumber = LowSixteenBits;
constexpr std::size_t MostTeamDigits = 5;

// Every form an outbound line can take.
enum class LineForm {
    Connected,
    OutOfDate,
    RequiresLatest,
    Disconnected,
    OutOfMemory,
    Announcement,        // "*arena Freq N LOCKED -- No freq-hopping."
    PrivateAnnouncement, // "*arena Private freq LOCKED -- No freq-hopping."
    SetTeam,             // "*setfreq N"
    WelcomeBack,         // "Welcome back. You may still enter team N"
    TeamLocked,          // "Team N is locked to prevent freq-hopping"
    Help,
    Purpose,
    Version,
    Unknown,
};

struct ClassifiedLine {
    LineForm form;
    // The decimal number the line carries; 0 for forms without one.
    std::uint32_t number;
};

struct FixedLine {
    const char* text;
    LineForm form;
};

const FixedLine FixedLines[] = {
    {"DLL plugin connected.", LineForm::Connected},
    {"DLL plugin cannot connect.  This plugin is out of date.", LineForm::OutOfDate},
    {"DLL plugin cannot connect.  This plugin requires the latest version of Corvane.",
     LineForm::RequiresLatest},
    {"DLL plugin disconnected.", LineForm::Disconnected},
    {"DLL plugin cannot connect.  Out of memory.", LineForm::OutOfMemory},
    {"*arena Private freq LOCKED -- No freq-hopping.", LineForm::PrivateAnnouncement},
    {"!about (query me about my function)", LineForm::Help},
    {"When one team owns all the flags, I disallow freq-hopping.", LineForm::Purpose},
    {"[name:tarnwick.dll] [maker:maintainers@tarnwick.example] [build:2]", LineForm::Version},
};

struct NumberedLine {
    const char* opening;
    const char* closing;
    LineForm form;
};

const NumberedLine NumberedLines[] = {
    {"*arena Freq ", " LOCKED -- No freq-hopping.", LineForm::Announcement},
    {"*setfreq ", "", LineForm::SetTeam},
    {"Welcome back. You may still enter team ", "", LineForm::WelcomeBack},
    {"Team ", " is locked to prevent freq-hopping", LineForm::TeamLocked},
};

// Reads `digits` as a plain decimal team number; false unless it is one.
bool readTeamNumber(const std::string& digits, std::uint32_t& number) {
    if (digits.empty() || digits.size() > MostTeamDigits ||
        (digits.size() > 1 && digits[0] == '0')) {
        return false;
    }
    number = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9') {
            return false;
        }
        number = number * 10 + static_cast<std::uint32_t>(digit - '0');
    }
    return number <= LargestTeamNumber;
}

// Whether `text` begins with `prefix`.
bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Whether `text` ends with `suffix`.
bool endsWith(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

// The form of `text` and its number. A number must be plain decimal digits without a leading
// zero (0 itself is one digit) and at most 65535; anything else is `Unknown`.
ClassifiedLine classifyLine(const std::string& text) {
    for (const FixedLine& fixed : FixedLines) {
        if (text == fixed.text) {
            return {fixed.form, 0};
        }
    }
    for (const NumberedLine& numbered : NumberedLines) {
        const std::size_t openingLength = std::strlen(numbered.opening);
        const std::size_t closingLength = std::strlen(numbered.closing);
        if (text.size() <= openingLength + closingLength || !startsWith(text, numbered.opening) ||
            !endsWith(text, numbered.closing)) {
            continue;
        }
        std::uint32_t number = 0;
        const std::string digits =
            text.substr(openingLength, text.size() - openingLength - closingLength);
        if (readTeamNumber(digits, number)) {
            return {numbered.form, number};
        }
    }
    return {LineForm::Unknown, 0};
}

// `text` with 'A' to 'Z' lowered to 'a' to 'z' and every other byte, 128 to 255 included, kept.
std::string lowerAscii(std::string text) {
    for (char& character : text) {
        if (character >= 'A' && character <= 'Z') {
            character = static_cast<char>(character - 'A' + 'a');
        }
    }
    return text;
}

// Low 32 bits of a parameter word.
std::uint32_t low32(hostsim::Word word) {
    return static_cast<std::uint32_t>(word);
}

// The console reply the handshake owes the host version word: connected for 6.5 and above in 6.x.
LineForm handshakeReply(std::uint32_t version) {
    const std::uint32_t major = version >> 16;
    const std::uint32_t minor = version & LowSixteenBits;
    if (major > ConnectingMajorVersion) {
        return LineForm::OutOfDate;
    }
    return major < ConnectingMajorVersion || minor < LowestConnectingMinorVersion
               ? LineForm::RequiresLatest
               : LineForm::Connected;
}

// The one reply form a command or help request may get, or Unknown when it gets none.
LineForm expectedReply(const Delivery& delivery) {
    const auto rank = static_cast<std::uint32_t>(delivery.playerAccess);
    // A record without its word or its rest text is malformed and gets no reply at all.
    if (!delivery.hasPlayer || !delivery.hasWord || !delivery.hasRest ||
        rank > HighestAnsweredAccess) {
        return LineForm::Unknown;
    }
    if (delivery.event.code == hostsim::CodeCommand) {
        if (delivery.word == VersionCommand && rank >= LowestVersionAccess) {
            return LineForm::Version;
        }
        return delivery.word == PurposeCommand ? LineForm::Purpose : LineForm::Unknown;
    }
    if (delivery.rest.empty()) {
        return rank <= HighestUntopicalHelpAccess ? LineForm::Help : LineForm::Unknown;
    }
    return lowerAscii(delivery.rest) == HelpTopic ? LineForm::Help : LineForm::Unknown;
}

// Empty when a private line fits the inbound event and the instance's lock state.
std::string findPrivateLineBreach(const Delivery& delivery, const ClassifiedLine& line,
                                  const tarnwick::BotInstance& instance) {
    const std::uint32_t code = delivery.event.code;
    if (code == hostsim::CodeCommand || code == hostsim::CodeHelp) {
        return line.form == expectedReply(delivery) ? "" : "a reply the request does not get";
    }
    if (code == hostsim::CodePlayerEntering) {
        if (!instance.locked || line.number != instance.lockedTeam) {
            return "an arrival line that does not name the locked team";
        }
        if (line.form == LineForm::WelcomeBack) {
            const bool holdsPass = tarnwick::getTag(instance.tags, delivery.event.parameters[0],
                                                    tarnwick::TeamPassKey) != 0;
            return holdsPass ? "" : "welcomed back without a pass";
        }
        return line.form == LineForm::TeamLocked ? "" : "not an arrival line";
    }
    if (code == hostsim::CodePlayerChange) {
        if (line.form != LineForm::SetTeam || !instance.locked) {
            return "not a send-back under a lock";
        }
        const std::uint32_t previousTeam = low32(delivery.event.parameters[1]) & LowSixteenBits;
        const std::uint32_t previousShip = low32(delivery.event.parameters[2]) & LowSixteenBits;
        const std::uint32_t spectatorReturn = instance.lockedTeam == SpectatorReturnTeam
                                                  ? SpectatorReturnTeamWhenZeroLocked
                                                  : SpectatorReturnTeam;
        const std::uint32_t returnTeam =
            previousShip == hostsim::SpectatorShip ? spectatorReturn : previousTeam;
        return line.number == returnTeam ? "" : "sent back to the wrong team";
    }
    return "a private line for an event that sends none";
}

// Whether an echo has anything but 0 in a word after its text.
bool hasUnusedWordSet(const hostsim::SentEvent& echo) {
    for (int word = 1; word < 6; ++word) {
        if (echo.parameters[word] != 0) {
            return true;
        }
    }
    return false;
}

// Empty when a line sent for a handle without an instance is the one such a handle may send:
// the refusal of a handshake whose instance could not be made for want of memory.
std::string findInstancelessLineBreach(const Delivery& delivery, const hostsim::SentEvent& sent) {
    const bool refusal = delivery.event.code == hostsim::CodeInit &&
                         sent.code == hostsim::CodeEcho && !hasUnusedWordSet(sent) &&
                         classifyLine(sent.text).form == LineForm::OutOfMemory;
    return refusal ? "" : "a line from a handle without an instance";
}

// Empty when the line fits the inbound event, its mode and the instance.
std::string findLineBreach(const Delivery& delivery, const hostsim::SentEvent& sent,
                           const tarnwick::BotInstance& instance) {
    const ClassifiedLine line = classifyLine(sent.text);
    if (line.form == LineForm::Unknown) {
        return "a line of no known form";
    }
    const std::uint32_t code = delivery.event.code;
    if (sent.code == hostsim::CodeEcho) {
        if (hasUnusedWordSet(sent)) {
            return "an echo with a non-zero unused word";
        }
        if (code == hostsim::CodeInit) {
            return line.form == handshakeReply(low32(delivery.event.parameters[0]))
                       ? ""
                       : "the wrong handshake reply";
        }
        return code == hostsim::CodeTerm && line.form == LineForm::Disconnected
                   ? ""
                   : "a console line for an event that sends none";
    }
    if (sent.code != hostsim::CodeSay) {
        return "an outbound event of unknown code " + std::to_string(sent.code);
    }
    if (sent.parameters[1] != 0 || sent.parameters[4] != 0 || sent.parameters[5] != 0) {
        return "a say with a non-zero sound or unused word";
    }
    if (sent.parameters[0] == hostsim::ModePublic) {
        if (sent.parameters[2] != 0) {
            return "a public line with a target";
        }
        if (code != hostsim::CodeArenaEnter && code != hostsim::CodeFlagGrab &&
            code != hostsim::CodeFlagDrop) {
            return "an announcement for an event that makes no lock";
        }
        if (!instance.locked) {
            return "an announcement without a lock";
        }
        if (line.form == LineForm::Announcement) {
            return line.number == instance.lockedTeam && line.number < PrivateTeamFloor
                       ? ""
                       : "an announcement of the wrong team";
        }
        return line.form == LineForm::PrivateAnnouncement && instance.lockedTeam >= PrivateTeamFloor
                   ? ""
                   : "not an announcement";
    }
    if (sent.parameters[0] != hostsim::ModePrivate) {
        return "a say in unknown mode " + std::to_string(sent.parameters[0]);
    }
    if (!delivery.hasPlayer || sent.parameters[2] != delivery.playerIdent) {
        return "a private line to somebody else than the event's player";
    }
    return findPrivateLineBreach(delivery, line, instance);
}

} // namespace

Delivery describeDelivery(const hostsim::HostEvent& event) {
    Delivery delivery;
    delivery.event = event;
    const std::uint32_t code = event.code;
    const bool carriesPlayer = code == hostsim::CodePlayerEntering ||
                               code == hostsim::CodePlayerChange || code == hostsim::CodeCommand ||
                               code == hostsim::CodeHelp;
    const hostsim::Word player = event.parameters[0];
    if (carriesPlayer && player != 0) {
        delivery.hasPlayer = true;
        delivery.playerIdent =
            hostsim::fieldAt<std::uint16_t>(player, hostsim::player_layout::ident);
        delivery.playerAccess =
            hostsim::fieldAt<std::int32_t>(player, hostsim::player_layout::access);
    }
    const bool carriesCommand = code == hostsim::CodeCommand || code == hostsim::CodeHelp;
    const hostsim::Word command = event.parameters[1];
    if (carriesCommand && command != 0) {
        const auto word = hostsim::fieldAt<hostsim::Word>(command, hostsim::command_layout::word);
        const auto rest = hostsim::fieldAt<hostsim::Word>(command, hostsim::command_layout::rest);
        delivery.hasWord = word != 0;
        delivery.hasRest = rest != 0;
        if (delivery.hasWord) {
            delivery.word = reinterpret_cast<const char*>(word);
        }
        if (delivery.hasRest) {
            delivery.rest = reinterpret_cast<const char*>(rest);
        }
    }
    return delivery;
}

std::string findOutboundBreach(Delivery& delivery, const hostsim::SentEvent& sent) {
    ++delivery.linesSent;
    if (delivery.linesSent > 1) {
        return "a second line for one inbound event";
    }
    if (sent.handle == 0 || sent.handle != delivery.event.handle) {
        return "a line stamped with handle " + std::to_string(sent.handle) + " for handle " +
               std::to_string(delivery.event.handle);
    }
    const tarnwick::BotInstance* instance = tarnwick::findInstance(sent.handle);
    if (instance != nullptr && instance->disabled) {
        return "a line from a disabled instance";
    }
    const std::string breach = instance == nullptr ? findInstancelessLineBreach(delivery, sent)
                                                   : findLineBreach(delivery, sent, *instance);
    return breach.empty() ? "" : breach + ": \"" + sent.text + "\"";
}

} // namespace checks
