// The scenario language's verbs: carrying out a line, the words it knows, and the table of verbs
// the files of the language share (what a row holds, how a line's words are read against a row,
// the names it knows, and help).
#pragma once

#include "Session.h"
#include "Words.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarnhost {

// Carries out one line; one that cannot be carried out throws ScenarioError and changes nothing.
// An unknown verb's message names the nearest verb, if one is near. Its words are read one at a
// time, so a line of any length costs little beyond its own bytes.
LineResult perform(Session& session, const std::string& line);

// The words of the language: every verb, keyword and fixed value, and `events`.
std::vector<std::string> languageWords();

} // namespace tarnhost

namespace tarnhost::verbs {

using Fills = std::vector<std::string>;
constexpr std::uint32_t NoEvent = 0xFFFFFFFF;
enum Group { Setup, Event, Looking }; // where help lists a verb
struct Verb;

// A line's words as its verb's arguments describe them: the values in order, and each keyword
// given with its value ("" for a switch).
struct Arguments {
    const Verb& verb;
    std::vector<std::string> values;
    std::map<std::string, std::string> fields;
    bool has(const std::string& key) const { return fields.count(key) != 0; }
    const std::string& operator[](std::size_t index) const { return values[index]; }
};

// What a verb does: checks every word it reads, throwing before it changes anything, then
// acts, and returns the fill-ins of the verb's story.
using Action = Fills (*)(Session&, const Arguments&, LineResult&);

// A verb: its name, its arguments (VALUE must be given and [VALUE] may be, in order; then [key N]
// and [switch] in any order, {key N|key N} one of them at least; [VALUE...] takes up to six
// values), its help, where help lists it, the event it delivers, its story (the line in words,
// "{}" for each fill-in of the action; null when the help says it), its action, and what the
// plug-in reads through each parameter of its event: '-' nothing, 'P' a player, 'F' a flag, 'C'
// a command, 'H' a host list or callback.
struct Verb {
    const char *name, *arguments, *help;
    Group group;
    std::uint32_t code;
    const char* story;
    Action act;
    const char* reads = "";
};

// The rows of the table, in the order help lists them.
struct VerbRange {
    const Verb *first, *last;
    const Verb* begin() const { return first; }
    const Verb* end() const { return last; }
};
VerbRange allVerbs();

// The verb of that name, or the first that delivers event `code`; null when there is none.
const Verb* verbNamed(const std::string& name, std::uint32_t code = NoEvent);
// The names of the verbs; with `events`, of those that deliver an event, and the flag reports
// also as the host names them.
std::vector<std::string> verbNames(bool events);
// " (did you mean 'NAME'?)" for the name of `names` nearest to `typed`: at most two edits away
// (see editDistance) and fewer than half its own length, the first such at the least distance;
// `otherwise` when none is, and for a typed word over 40 bytes.
std::string didYouMean(const std::string& typed, const std::vector<std::string>& names,
                       const std::string& otherwise);

// The rest of a line's words, read one at a time against `verb`'s arguments; throws naming the
// usage at the first word that does not fit, or when some are missing.
Arguments readArguments(const Verb& verb, WordReader& words);

// What the plug-in reads through a parameter of an event, as a verb's row marks it ('P', 'F',
// 'C', 'H'): how `help events` writes what it takes, and what a parameter of another kind is told.
struct RecordKind {
    char kind;
    const char *written, *takes;
};
// The kind of record for `kind` ('P', 'F', 'C', 'H'); null for '-', a parameter read as a number.
const RecordKind* recordKind(char kind);

// `help [VERB|events]`: the verbs by group with the forms of expected lines, one verb, or
// the event codes with what their parameters take.
Fills showHelp(Session&, const Arguments& arguments, LineResult& result);

} // namespace tarnhost::verbs
