// A command line read GNU style: switches, options with a value given either way, "--" ending
// the options, and the operands.
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace commandline {

// A mistake on the command line, which the program's help explains; the message names it.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a program takes: its switches, the options that answer alone (help, version), and the
// options that take a value, each with what the value is ("a path"), as a missing one is told.
struct OptionTable {
    std::set<std::string> switches, alone;
    std::map<std::string, std::string> withValue;
};

// The options given, each with its value ("" for a switch), and the operands in order.
struct GivenOptions {
    std::map<std::string, std::string> values;
    std::vector<std::string> operands;
    bool has(const std::string& option) const { return values.count(option) != 0; }
};

// Reads `arguments`, the program's name first: "--option=value" as well as "--option value",
// "--" ending the options, "-" and every word not starting with '-' an operand. An option that
// answers alone ends the reading and is all that is kept. Throws UsageError on an unknown option
// ("unknown option '-x'") or a missing or empty value ("--module needs a path").
GivenOptions readOptions(const std::vector<std::string>& arguments, const OptionTable& table);

} // namespace commandline
