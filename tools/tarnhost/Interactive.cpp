#include "Interactive.h"

#include "Scenario.h"
#include "Transcript.h"

namespace tarnhost {

int runInteractive(hostsim::EventFunction talk, std::istream& in, std::ostream& out,
                   const InteractiveOptions& options) {
    ScenarioSession session(talk);
    session.setServerEffects(options.effects);
    session.setAutomaticInit(options.automaticInit);
    out << "tarnhost: a stand-in bot host and game server, playing " << options.modulePath << "\n"
        << "Type scenario lines: 'help' lists them, 'state' shows the arenas, 'quit' ends.\n"
        << "Game-server effects are " << (options.effects ? "on" : "off") << " ('effects "
        << (options.effects ? "off" : "on") << "' to change).\n";
    if (options.automaticInit) {
        tellResult(session.initialiseCurrentBot(), out);
        out << "(That handshake was 'init', done for you. Try: arrive Ace team 3 ship 1)\n";
    }
    std::string text;
    for (int number = 1;; ++number) {
        if (options.prompt) {
            out << "bot " << session.currentBot() << "> " << std::flush;
        }
        if (!std::getline(in, text)) {
            break;
        }
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        const std::size_t first = text.find_first_not_of(" \t");
        const std::size_t last = text.find_last_not_of(" \t");
        const std::string command =
            first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
        if (command == "quit" || command == "exit") {
            break;
        }
        try {
            tellResult(session.perform(text), out);
        } catch (const ScenarioError& error) {
            out << "line " << number << ": " << error.what() << "; nothing changed\n";
        }
        out << std::flush;
    }
    if (options.prompt) {
        out << "\n";
    }
    return 0;
}

} // namespace tarnhost
