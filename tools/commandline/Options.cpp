#include "Options.h"

#include "PrintableText.h"

namespace commandline {

GivenOptions readOptions(const std::vector<std::string>& arguments, const OptionTable& table) {
    GivenOptions given;
    bool optionsEnded = false;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        const std::size_t equals =
            argument.rfind("--", 0) == 0 ? argument.find('=') : argument.npos;
        const std::string option = argument.substr(0, equals);
        const auto takesValue = table.withValue.find(option);
        const bool valueGiven = equals != argument.npos
                                    ? equals + 1 < argument.size()
                                    : index + 1 < arguments.size() && !arguments[index + 1].empty();
        if (optionsEnded || argument == "-" || argument[0] != '-') {
            given.operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (table.alone.count(argument) != 0) {
            return {{{argument, ""}}, {}};
        } else if (takesValue != table.withValue.end() && valueGiven) {
            given.values[option] =
                equals != argument.npos ? argument.substr(equals + 1) : arguments[++index];
        } else if (takesValue != table.withValue.end()) {
            throw UsageError(option + " needs " + takesValue->second);
        } else if (table.switches.count(argument) != 0) {
            given.values[argument] = "";
        } else {
            throw UsageError("unknown option " + terminal::shown(argument));
        }
    }
    return given;
}

} // namespace commandline
