#include "Arguments.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h>
#endif

namespace commandline {

#if defined(_WIN32)

std::vector<std::string> commandLine(int count, char** arguments) {
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    std::vector<std::string> words;
    for (int index = 0; wide != nullptr && index < wideCount; ++index) {
        words.push_back(std::filesystem::path(wide[index]).u8string());
    }
    const bool read = wide != nullptr;
    LocalFree(wide);
    return read ? words : std::vector<std::string>(arguments, arguments + count);
}

std::string programPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::filesystem::path(path).u8string() : "";
}

#else

std::vector<std::string> commandLine(int count, char** arguments) {
    return std::vector<std::string>(arguments, arguments + count);
}

std::string programPath() {
    std::error_code error;
    return std::filesystem::canonical("/proc/self/exe", error).string();
}

#endif

} // namespace commandline
