// The scenario language's verbs: carrying out a line, and the words it knows.
#pragma once

#include "Session.h"
#include "Words.h"

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
