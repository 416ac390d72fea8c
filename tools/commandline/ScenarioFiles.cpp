#include "ScenarioFiles.h"

#include "PrintableText.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace commandline {

namespace {

namespace fs = std::filesystem;
using terminal::shownPath;

#if defined(_WIN32)
constexpr bool OnWindows = true;
#else
constexpr bool OnWindows = false;
#endif

// Whether `name` matches `pattern`, where '*' stands for any run of characters and '?' for
// one; letter case is ignored, as on Windows. Only the last star is ever returned to, so the
// time is at most the product of the two lengths.
bool matches(const char* pattern, const char* name) {
    const auto lower = [](char byte) { return std::tolower(static_cast<unsigned char>(byte)); };
    const char *afterStar = nullptr, *retry = nullptr;
    while (*name != '\0') {
        const bool any = *pattern == '?';
        const bool same = any || (*pattern != '\0' && lower(*pattern) == lower(*name));
        if (*pattern == '*') {
            afterStar = ++pattern;
            retry = name;
        } else if (same || afterStar != nullptr) {
            pattern = same ? pattern + 1 : afterStar;
            name = same ? name + 1 : ++retry;
            while (any && (*name & 0xC0) == 0x80) { // '?' stands for a whole UTF-8 character
                ++name;
            }
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

// Appends every .scn file under `directory` that is not itself a folder, and every folder that
// cannot be read, with its problem; names beginning with a dot are passed over, and folders
// reached through symbolic links are not walked.
void walk(const fs::path& directory, std::vector<ScenarioFile>& found) {
    std::error_code error, ignored; // a file whose type cannot be told is tried as a file
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& path = entry->path();
        if (path.filename().u8string()[0] == '.') {
            continue;
        } else if (fs::is_directory(entry->symlink_status(ignored))) {
            walk(path, found);
        } else if (path.extension() == ".scn" && !fs::is_directory(entry->status(ignored))) {
            found.push_back({path.u8string(), {}});
        }
    }
    if (error) {
        found.push_back({directory.u8string(), error});
    }
}

} // namespace

std::string openFailure(const std::string& file, std::error_code problem) {
    return problem == std::errc::no_such_file_or_directory
               ? "no such file: " + shownPath(file)
               : shownPath(file) + (problem == std::errc::permission_denied ? ": permission denied"
                                                                            : ": cannot be read");
}

void addScenarioFiles(const std::string& path, std::vector<ScenarioFile>& files) {
    std::vector<ScenarioFile> found;
    std::error_code error;
    const std::size_t slash = path.find_last_of("/\\") + 1;
    if (fs::is_directory(fs::u8path(path), error)) {
        walk(fs::u8path(path), found);
    } else if (OnWindows && path.find_first_of("*?", slash) != std::string::npos) {
        for (const auto& entry :
             fs::directory_iterator(fs::u8path(slash == 0 ? "." : path.substr(0, slash)), error)) {
            const std::string name = entry.path().filename().u8string();
            if (!entry.is_directory(error) && matches(path.c_str() + slash, name.c_str())) {
                found.push_back({path.substr(0, slash) + name, {}});
            }
        }
    } else {
        found.push_back({path, {}});
    }
    if (found.empty()) {
        throw std::runtime_error(fs::exists(fs::u8path(path), error)
                                     ? "no scenario files in " + shownPath(path)
                                     : "no such file: " + shownPath(path));
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
}

} // namespace commandline
