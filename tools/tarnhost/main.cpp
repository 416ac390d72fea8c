// tarnhost: plays scenarios against the plug-in module, or lets a person type them.
#include "Module.h"
#include "Scenario.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

#if defined(_WIN32)
constexpr char ModuleFileName[] = "tarnwick.dll";
#else
constexpr char ModuleFileName[] = "tarnwick.so";
#endif

constexpr char Usage[] =
    "usage: tarnhost [--module PATH] [--effects] FILE     play a scenario, print what is sent\n"
    "       tarnhost [--module PATH] --check FILE...      play scenarios, compare with their\n"
    "                                                     expected lines, exit 1 on mismatch\n"
    "       tarnhost [--module PATH] [-i]                 type scenario lines interactively\n";

// The module beside this program, where every build and package puts it.
std::string defaultModulePath(const std::string& program) {
    const std::size_t slash = program.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "." : program.substr(0, slash);
    return directory + "/" + ModuleFileName;
}

struct ScenarioLine {
    int number;
    std::string text;
};

bool readLines(const std::string& path, std::vector<ScenarioLine>& lines) {
    std::ifstream file(path);
    if (!file) {
        std::cerr << "tarnhost: cannot read " << path << "\n";
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        lines.push_back({number, text});
    }
    return true;
}

// Plays one file, printing what the plug-in sends. Returns false on a line that fails.
bool playFile(hostsim::EventFunction talk, const std::string& path, bool effects) {
    std::vector<ScenarioLine> lines;
    if (!readLines(path, lines)) {
        return false;
    }
    tarnhost::ScenarioSession session(talk);
    session.setServerEffects(effects);
    for (const ScenarioLine& line : lines) {
        try {
            for (const std::string& output : session.perform(line.text).output) {
                std::cout << output << "\n";
            }
        } catch (const tarnhost::ScenarioError& error) {
            std::cerr << path << ":" << line.number << ": " << error.what() << "\n";
            return false;
        }
    }
    return true;
}

// Plays one file and compares each line's output with the expected lines that follow it.
bool checkFile(hostsim::EventFunction talk, const std::string& path) {
    std::vector<ScenarioLine> lines;
    if (!readLines(path, lines)) {
        return false;
    }
    tarnhost::ScenarioSession session(talk);
    bool passed = true;
    std::size_t at = 0;
    while (at < lines.size()) {
        const ScenarioLine& line = lines[at++];
        tarnhost::LineResult result;
        try {
            result = session.perform(line.text);
        } catch (const tarnhost::ScenarioError& error) {
            std::cout << path << ":" << line.number << ": " << error.what() << "\n";
            return false;
        }
        std::vector<std::string> expected;
        std::string text;
        while (at < lines.size() &&
               tarnhost::ScenarioSession::isExpectation(lines[at].text, text)) {
            expected.push_back(text);
            ++at;
        }
        if (!result.acted && expected.empty()) {
            continue;
        }
        if (result.output != expected) {
            passed = false;
            std::cout << path << ":" << line.number << ": after '" << line.text << "'\n";
            for (const std::string& want : expected) {
                std::cout << "  - " << want << "\n";
            }
            for (const std::string& got : result.output) {
                std::cout << "  + " << got << "\n";
            }
        }
    }
    std::cout << (passed ? "ok   " : "FAIL ") << path << "\n";
    return passed;
}

// Reads scenario lines from standard input, answering each at once; errors never end it.
int interact(hostsim::EventFunction talk) {
    tarnhost::ScenarioSession session(talk);
    session.setServerEffects(true);
    std::cout << "tarnhost: type scenario lines; 'help' lists them, 'state' shows the arena, "
                 "'quit' ends.\n";
    std::string text;
    for (int number = 1; std::cout << "> " << std::flush, std::getline(std::cin, text); ++number) {
        if (text == "quit" || text == "exit") {
            break;
        }
        try {
            for (const std::string& output : session.perform(text).output) {
                std::cout << output << "\n";
            }
        } catch (const tarnhost::ScenarioError& error) {
            std::cout << "line " << number << ": " << error.what() << "\n";
        }
    }
    return 0;
}

} // namespace

int main(int argumentCount, char** arguments) {
    std::string modulePath;
    bool check = false, effects = false;
    std::vector<std::string> files;
    for (int index = 1; index < argumentCount; ++index) {
        const std::string argument = arguments[index];
        if (argument == "--module" && index + 1 < argumentCount) {
            modulePath = arguments[++index];
        } else if (argument == "--check") {
            check = true;
        } else if (argument == "--effects") {
            effects = true;
        } else if (argument == "-i") {
        } else if (argument == "-h" || argument == "--help") {
            std::cout << Usage;
            return 0;
        } else if (!argument.empty() && argument[0] == '-') {
            std::cerr << "tarnhost: unknown option " << argument << "\n" << Usage;
            return 2;
        } else {
            files.push_back(argument);
        }
    }
    if (modulePath.empty()) {
        modulePath = defaultModulePath(arguments[0]);
    }
    hostsim::Module module(modulePath);
    if (!module.loaded()) {
        std::cerr << "tarnhost: " << module.error() << "\n";
        return 2;
    }
    if (files.empty()) {
        return interact(module.talk());
    }
    bool passed = true;
    if (check) {
        // Every file is checked against a freshly loaded module, so no bot's state carries over
        // from one file to the next and the outcome does not depend on the order of the files.
        module.unload();
        for (const std::string& file : files) {
            hostsim::Module fresh(modulePath);
            if (!fresh.loaded()) {
                std::cerr << "tarnhost: " << fresh.error() << "\n";
                return 2;
            }
            passed = checkFile(fresh.talk(), file) && passed;
        }
    } else if (files.size() == 1) {
        passed = playFile(module.talk(), files[0], effects);
    } else {
        std::cerr << Usage;
        return 2;
    }
    return passed ? 0 : 1;
}
