#include "Completion.h"

#include "PrintableText.h"
#include "Session.h"
#include "Verbs.h"
#include "Words.h"

#include <algorithm>

namespace tarnhost {

terminal::TabAnswer tabAnswer(const std::string& beforeCursor,
                              const std::vector<std::string>& words) {
    WordReader reader(beforeCursor);
    std::string typed, word;
    bool inside = false; // after a blank or a closing quote, a new word is under way
    while (reader.scan(word)) {
        inside = reader.endsInside();
        typed = word;
    }
    if (reader.comment()) {
        return {beforeCursor.size(), "", {}};
    }
    terminal::TabAnswer answer{inside ? reader.lastStart() : beforeCursor.size(), "", {}};
    typed = inside ? typed : "";
    for (const std::string& each : words) {
        if (each.compare(0, typed.size(), typed) == 0) {
            answer.listed.push_back(wordAsTyped(each));
        }
    }
    const std::vector<std::string>& found = answer.listed;
    std::string shared = found.empty() ? "" : found[0];
    for (const std::string& choice : found) {
        shared.erase(
            std::mismatch(shared.begin(), shared.end(), choice.begin(), choice.end()).first,
            shared.end());
    }
    while (!shared.empty() && shared.size() < found[0].size() &&
           terminal::isContinuationByte(found[0][shared.size()])) {
        shared.pop_back(); // not inside a character
    }
    const std::string typedAsIs = beforeCursor.substr(answer.wordStart);
    if (found.size() == 1) {
        answer.replacement = shared + " ";
    } else if (shared.size() > typedAsIs.size()) {
        answer.replacement = shared;
    }
    if (!answer.replacement.empty()) {
        answer.listed.clear();
    }
    return answer;
}

std::vector<std::string> wordsToComplete(Session& session) {
    std::vector<std::string> words = languageWords();
    const hostsim::Arena& arena = currentArena(session);
    for (const auto& record : arena.players()) {
        words.insert(words.end(), {record->name(), "@" + record->name()});
    }
    for (const auto& record : arena.flags()) {
        words.insert(words.end(), {arena.flagName(*record), "%" + arena.flagName(*record)});
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

} // namespace tarnhost
