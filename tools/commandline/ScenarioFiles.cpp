#include "ScenarioFiles.h"

#include "PrintableText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <new>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace commandline {

namespace {

namespace fs = std::filesystem;
using terminal::shownPath;

#if defined(_WIN32)

constexpr bool OnWindows = true;

// `text` in UTF-16 with its letters in capitals, as the file system compares names; as it is
// when it cannot be mapped.
std::wstring folded(const fs::path& text) {
    const std::wstring wide = text.wstring();
    std::wstring upper(wide.size(), L'\0');
    const int size = static_cast<int>(wide.size());
    return size > 0 && LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), size,
                                    upper.data(), size) == size
               ? upper
               : wide;
}

// Whether `name` matches `pattern`, both folded, where '*' stands for any run of characters and
// '?' for one (a surrogate pair is one). Only the last star is ever returned to, so the time is
// at most the product of the two lengths.
bool matches(const wchar_t* pattern, const wchar_t* name) {
    const wchar_t *afterStar = nullptr, *retry = nullptr;
    while (*name != L'\0') {
        const bool any = *pattern == L'?';
        const bool same = any || (*pattern != L'\0' && *pattern == *name);
        if (*pattern == L'*') {
            afterStar = ++pattern;
            retry = name;
        } else if (same || afterStar != nullptr) {
            pattern = same ? pattern + 1 : afterStar;
            name = same ? name + 1 : ++retry;
            while (any && *name >= 0xDC00 && *name <= 0xDFFF) { // the second half of a pair
                ++name;
            }
        } else {
            return false;
        }
    }
    while (*pattern == L'*') {
        ++pattern;
    }
    return *pattern == L'\0';
}

// Appends the files that `rest` matches under `folder` (empty, or a path that `rest` goes on
// from): a part of `rest` with '*' or '?' matches the names of folders, or of files when it is
// the last part; a part without them is taken as it is. A final path must name a file.
void expand(const std::string& folder, const std::string& rest, std::vector<ScenarioFile>& found) {
    std::error_code error;
    const std::size_t wild = rest.find_first_of("*?");
    if (wild == std::string::npos) {
        const fs::path path = fs::u8path(folder + rest);
        if (fs::exists(path, error) && !fs::is_directory(path, error)) {
            found.push_back({folder + rest, ""});
        }
        return;
    }
    const std::size_t start = rest.find_last_of("/\\:", wild) + 1; // npos + 1 is 0
    const std::size_t end = rest.find_first_of("/\\", wild);
    const std::string parent = folder + rest.substr(0, start);
    const std::wstring pattern = folded(fs::u8path(rest.substr(start, end - start)));
    for (fs::directory_iterator entry(fs::u8path(parent.empty() ? "." : parent), error), last;
         !error && entry != last; entry.increment(error)) {
        const std::string name = entry->path().filename().u8string();
        std::error_code unknown; // a file whose kind cannot be told is tried as a file
        if (!matches(pattern.c_str(), folded(entry->path().filename()).c_str())) {
            continue;
        } else if (end == std::string::npos && !entry->is_directory(unknown)) {
            found.push_back({parent + name, ""});
        } else if (end != std::string::npos && entry->is_directory(unknown)) {
            expand(parent + name, rest.substr(end), found);
        }
    }
}

// Whether the name ends in ".scn", in any case, as the file system compares names.
bool isScenarioName(const fs::path& name) {
    return folded(name.extension()) == folded(".scn");
}

#else

constexpr bool OnWindows = false;

// Wildcards are the shell's business here: nothing is expanded.
void expand(const std::string&, const std::string&, std::vector<ScenarioFile>&) {}

// Whether the name ends in ".scn".
bool isScenarioName(const fs::path& name) {
    return name.extension() == ".scn";
}

#endif

// Appends every .scn file under `directory` and every folder that cannot be read, with its
// failure; names beginning with a dot, folders reached through symbolic links and special files
// are passed over. An entry whose kind cannot be told (a folder that can be listed but not
// entered, a path too long for the system) is appended with its failure: it may hold scenarios.
void walk(const fs::path& directory, std::vector<ScenarioFile>& found) {
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& path = entry->path();
        std::error_code unknown;
        const fs::file_type kind = entry->symlink_status(unknown).type();
        if (path.filename().u8string()[0] == '.') {
            continue;
        } else if (unknown) {
            found.push_back({path.u8string(), openFailure(path.u8string(), unknown)});
        } else if (kind == fs::file_type::directory) {
            walk(path, found);
        } else if (isScenarioName(path.filename())) {
            // What a link leads to: a file whose kind cannot be told is tried as a file.
            const fs::file_type target = entry->status(unknown).type();
            const fs::file_type passedOver[] = {fs::file_type::directory, fs::file_type::fifo,
                                                fs::file_type::socket, fs::file_type::block,
                                                fs::file_type::character};
            if (std::find(std::begin(passedOver), std::end(passedOver), target) ==
                std::end(passedOver)) {
                found.push_back({path.u8string(), ""});
            }
        }
    }
    if (error) {
        found.push_back({directory.u8string(), openFailure(directory.u8string(), error)});
    }
}

} // namespace

std::string openFailure(const std::string& file, std::error_code problem) {
    if (problem == std::errc::no_such_file_or_directory) {
        return "no such file: " + shownPath(file);
    }
    std::string reason =
        problem == std::errc::permission_denied ? "permission denied" : problem.message();
    reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return shownPath(file) + ": " + reason;
}

void addScenarioFiles(const std::string& path, std::vector<ScenarioFile>& files) {
    std::vector<ScenarioFile> found;
    std::string failure; // when the path stands for no file
    std::error_code error;
    if (OnWindows && path.find_first_of("*?") != std::string::npos) {
        expand("", path, found);
        failure = "no such file: " + shownPath(path);
    } else if (fs::is_directory(fs::u8path(path), error)) {
        walk(fs::u8path(path), found);
        failure = "no scenario files in " + shownPath(path);
    } else {
        found.push_back({path, ""});
    }
    if (found.empty()) {
        found.push_back({path, failure});
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
}

std::string readScenarioFile(const std::string& path, DescriptorReader& standardInput,
                             const std::function<void(std::istream&)>& read) {
    const bool named = path != "-";
    const int descriptor = named ? openForReading(path) : -1;
    if (named && descriptor < 0) {
        return openFailure(path, {errno, std::generic_category()});
    }
    DescriptorReader file(descriptor, true);
    std::istream in(named ? &file : &standardInput);
    in.exceptions(std::ios::badbit); // a read that fails throws the reader's reason
    const std::string shownName = named ? shownPath(path) : "standard input";
    try {
        read(in);
        return "";
    } catch (const std::system_error& error) {
        return "read error on " + shownName + ": " + error.code().message();
    } catch (const std::bad_alloc&) {
        return shownName + ": out of memory";
    }
}

} // namespace commandline
