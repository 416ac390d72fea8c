// The story's wording: who says each line the plug-in sends, and how a transcript and the
// interactive session tell what happened.
#pragma once

#include "Session.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace tarnhost {

// Who says a line: the plug-in to the host's console, to everybody, privately to a player, or
// something else to the host; the game server; the host to the plug-in (told only).
enum class Voice { Console, Public, Private, Other, Server, HostToPlugin };

// Adds one line said by bot `handle` to `result`: in its short form (as expected lines state it)
// unless the voice has none, marked "[bot N] " unless from bot 1; and as told, marked unless
// from the current bot. `who` names the player a private line goes to.
void say(const Session& session, LineResult& result, std::uint32_t handle, Voice voice,
         const std::string& text, const std::string& who = "");

// The start of a transcript of the file shown as `shownName`: its heading and how to read it.
void tellHeading(const std::string& shownName, std::ostream& out);
// What a line did, for a reader: its action, and indented under it each line the plug-in sent
// and the server did; an event answered with nothing says so.
void tell(const LineResult& result, std::ostream& out);
// The end of a transcript whose lines differ from what the file expects.
void tellDifferences(const std::string& shownName, std::ostream& out);
// What the interactive session says first: what it plays, how to start, and whether effects and
// handshakes are on.
void greet(const std::string& shownModule, bool effects, bool automaticInit, std::ostream& out);

} // namespace tarnhost
