// Reading a line's words against the table of verbs, finding a verb by its name, and the words
// the language knows.
#include "Verbs.h"

#include "PrintableText.h"

#include <algorithm>
#include <cctype>

namespace tarnhost::verbs {

using terminal::quoted;

namespace {

// The number of single-byte edits that turn `one` into `other`, ASCII case ignored: an insertion,
// a deletion, a change or a swap of two neighbouring bytes each count one, and no byte is edited
// twice (the optimal string alignment distance).
std::size_t editDistance(const std::string& one, const std::string& other) {
    const auto same = [&](std::size_t line, std::size_t column) {
        const auto folded = [](char byte) {
            return byte >= 'A' && byte <= 'Z' ? byte | 0x20 : byte;
        };
        return folded(one[line]) == folded(other[column]);
    };
    std::vector<std::vector<std::size_t>> cost(one.size() + 1,
                                               std::vector<std::size_t>(other.size() + 1));
    for (std::size_t line = 0; line <= one.size(); ++line) {
        for (std::size_t column = 0; column <= other.size(); ++column) {
            if (line == 0 || column == 0) {
                cost[line][column] = line + column;
                continue;
            }
            cost[line][column] =
                std::min({cost[line - 1][column] + 1, cost[line][column - 1] + 1,
                          cost[line - 1][column - 1] + !same(line - 1, column - 1)});
            if (line > 1 && column > 1 && same(line - 1, column - 2) &&
                same(line - 2, column - 1)) {
                cost[line][column] = std::min(cost[line][column], cost[line - 2][column - 2] + 1);
            }
        }
    }
    return cost[one.size()][other.size()];
}

// What a verb's arguments take, read from its table row: values (NAME must be given, [REST] may
// be, [PARAMETER...] up to six), keywords ([ship N] may be given, [no-lists] is a switch) and
// groups of keywords of which one at least must be given ({team N}, {team N|ship N}).
struct Grammar {
    std::size_t required = 0, optional = 0;
    std::map<std::string, bool> keywords; // keyword -> takes a value
    std::vector<std::vector<std::string>> groups;
};

Grammar grammarOf(const std::string& pattern) {
    Grammar grammar;
    for (std::size_t at = pattern.find_first_not_of(' '), end = 0; at < pattern.size();
         at = pattern.find_first_not_of(' ', end + 1)) {
        const char open = pattern[at];
        const bool bracketed = open == '[' || open == '{';
        if (bracketed) {
            end = std::min(pattern.find(open == '[' ? ']' : '}', at), pattern.size());
        } else {
            end = std::min(pattern.find(' ', at), pattern.size());
        }
        const std::size_t first = bracketed ? at + 1 : at;
        const std::string element = pattern.substr(first, end - first);
        if (std::isupper(static_cast<unsigned char>(element[0]))) {
            (open == '[' ? grammar.optional : grammar.required) +=
                element.find("...") != std::string::npos ? 6u : 1u;
        } else if (!bracketed) {
            ++grammar.required; // a word the verb reads itself, as "on|off"
        } else {
            std::vector<std::string> group;
            for (std::size_t from = 0; from < element.size();) {
                const std::size_t bar = std::min(element.find('|', from), element.size());
                const std::size_t blank = std::min(element.find(' ', from), bar);
                group.push_back(element.substr(from, blank - from));
                grammar.keywords[group.back()] = blank != bar;
                from = bar + 1;
            }
            if (open == '{') {
                grammar.groups.push_back(group);
            }
        }
    }
    return grammar;
}

} // namespace

std::string didYouMean(const std::string& typed, const std::vector<std::string>& names,
                       const std::string& otherwise) {
    std::string nearest;
    std::size_t best = 3;
    for (const std::string& name : typed.size() > 40 ? std::vector<std::string>() : names) {
        const std::size_t distance = editDistance(typed, name);
        if (distance < best && distance * 2 < name.size()) {
            nearest = name;
            best = distance;
        }
    }
    return nearest.empty() ? otherwise : " (did you mean '" + nearest + "'?)";
}

Arguments readArguments(const Verb& verb, WordReader& words) {
    const std::string usage =
        "usage: " + std::string(verb.name) + (*verb.arguments != '\0' ? " " : "") + verb.arguments;
    const Grammar grammar = grammarOf(verb.arguments);
    Arguments arguments{verb, {}, {}};
    for (std::string word; words.next(word);) {
        const auto keyword = grammar.keywords.find(word);
        if (arguments.values.size() >= grammar.required && keyword != grammar.keywords.end()) {
            std::string value;
            if (keyword->second && !words.next(value)) {
                throw ScenarioError(quoted(word) + " needs a value");
            }
            arguments.fields[word] = value;
        } else if (arguments.values.size() < grammar.required + grammar.optional) {
            arguments.values.push_back(word);
        } else {
            throw ScenarioError("unexpected " + quoted(word) + "; " + usage);
        }
    }
    bool groupsGiven = true;
    for (const std::vector<std::string>& group : grammar.groups) {
        groupsGiven = groupsGiven && std::any_of(group.begin(), group.end(), [&](const auto& key) {
                          return arguments.has(key);
                      });
    }
    if (arguments.values.size() < grammar.required || !groupsGiven) {
        throw ScenarioError(usage);
    }
    return arguments;
}

std::vector<std::string> verbNames(bool events) {
    std::vector<std::string> names;
    for (const Verb& verb : allVerbs()) {
        if (!events || verb.code != NoEvent) {
            names.push_back(verb.name);
        }
    }
    if (events) {
        names.insert(names.end(), {"flag-grab", "flag-drop"});
    }
    return names;
}

const Verb* verbNamed(const std::string& name, std::uint32_t code) {
    for (const Verb& verb : allVerbs()) {
        if (name == verb.name || (code != NoEvent && verb.code == code)) {
            return &verb;
        }
    }
    return nullptr;
}

} // namespace tarnhost::verbs

std::vector<std::string> tarnhost::languageWords() {
    std::vector<std::string> words{"events", "null", "none", "on", "off", "flag-grab", "flag-drop"};
    for (const verbs::Verb& verb : verbs::allVerbs()) {
        words.push_back(verb.name);
        for (const auto& keyword : verbs::grammarOf(verb.arguments).keywords) {
            words.push_back(keyword.first);
        }
    }
    return words;
}
