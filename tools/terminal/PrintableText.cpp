#include "PrintableText.h"

#include "System.h"

namespace terminal {

namespace {

// Whether the byte is an ASCII control byte (below 0x20, or 0x7F).
bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

std::size_t characterLength(const std::string& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char lowest = 0x80, highest = 0xBF; // the second byte's range
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3;
        lowest = byte == 0xE0 ? 0xA0 : 0x80;  // E0 80..9F would be overlong
        highest = byte == 0xED ? 0x9F : 0xBF; // ED A0..BF would be a surrogate
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        lowest = byte == 0xF0 ? 0x90 : 0x80;  // F0 80..8F would be overlong
        highest = byte == 0xF4 ? 0x8F : 0xBF; // F4 90.. would be beyond U+10FFFF
    }
    for (std::size_t next = 1; next < length; ++next) {
        const auto following =
            at + next < text.size() ? static_cast<unsigned char>(text[at + next]) : 0;
        const bool fits = next == 1 ? following >= lowest && following <= highest
                                    : isContinuationByte(char(following));
        length = fits ? length : 0;
    }
    return length;
}

namespace {

// The length of the valid UTF-8 sequence at `at` that stands for a printable character: 1 for
// a byte below 0x80 but a control byte, 2 to 4 for a character that is not a C1 control and not
// the byte-order mark; 0 otherwise.
std::size_t printableLength(const std::string& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
        return isControl(byte) ? 0 : 1;
    }
    const std::size_t length = characterLength(text, at);
    const bool c1Control = byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
    return c1Control || text.compare(at, 3, "\xEF\xBB\xBF") == 0 ? 0 : length;
}

// `text` with unprintable bytes as \xNN, and each backslash as \\ when `escapeBackslash`. Runs
// of printable ASCII, most of any text, are copied whole.
std::string printed(const std::string& text, bool escapeBackslash) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t plainFrom = at;
        while (at < text.size() && text[at] >= 0x20 && text[at] < 0x7F &&
               (text[at] != '\\' || !escapeBackslash)) {
            ++at;
        }
        safe.append(text, plainFrom, at - plainFrom);
        if (at == text.size()) {
            break;
        }
        const std::size_t length = printableLength(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        if (length == 0) {
            const char escaped[] = {'\\', 'x', "0123456789ABCDEF"[byte >> 4],
                                    "0123456789ABCDEF"[byte & 0xF]};
            safe.append(escaped, 4);
            at += 1;
        } else {
            safe.append(byte == '\\' ? "\\\\" : &text[at], byte == '\\' ? 2 : length);
            at += length;
        }
    }
    return safe;
}

// The printed line with a blank ending it as \x20, so that the end shows.
std::string endShown(std::string line) {
    if (!line.empty() && line.back() == ' ') {
        line.replace(line.size() - 1, 1, "\\x20");
    }
    return line;
}

} // namespace

bool holdsControl(const std::string& text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (isControl(byte) ||
            (byte == 0xC2 && at + 1 < text.size() &&
             static_cast<unsigned char>(text[at + 1]) < 0xA0 && isContinuationByte(text[at + 1]))) {
            return true;
        }
    }
    return false;
}

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

std::string shown(const std::string& text) {
    return printed(text, true);
}

std::string shownPath(const std::string& path) {
    if (path.empty()) {
        return "''";
    }
    return printed(path, platform::separators()[0] != '\\'); // a backslash separates folders there
}

std::string shownLine(const std::string& line) {
    return endShown(shown(line));
}

std::string asPrinted(const std::string& line) {
    return endShown(printed(line, false));
}

std::string quoted(const std::string& text) {
    constexpr std::size_t longest = 60;
    if (text.size() <= longest) {
        return "'" + shown(text) + "'";
    }
    std::size_t cut = longest;
    while (cut > 0 && isContinuationByte(text[cut])) {
        --cut; // not inside a character
    }
    return "'" + shown(text.substr(0, cut)) + "'... (" + std::to_string(text.size()) + " bytes)";
}

} // namespace terminal
