// A build without line editing: no session ever opens, so plain lines are read.
#include "LineEditor.h"

namespace terminal {

struct EditingSession {};

void closeEditing(EditingSession* session) {
    delete session;
}

Editing openEditing(const std::string&) {
    return {nullptr, closeEditing};
}

bool editLine(EditingSession&, const std::string&, const Completer&, std::string&) {
    return false;
}

} // namespace terminal
