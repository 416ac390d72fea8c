#include "Platform.h"

#include <filesystem>
#include <iostream>
#include <utility>

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h>
#endif

namespace tarnhost {

#if defined(_WIN32)

namespace {

// Writes UTF-8 text to a console as UTF-16, at once. Each write holds whole characters, as
// every text tarnhost prints is made whole by `shown`.
struct ConsoleBuffer : std::streambuf {
    explicit ConsoleBuffer(HANDLE handle) : console(handle) {}
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        std::wstring wide(static_cast<std::size_t>(count), L'\0');
        const int length = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(count),
                                               wide.data(), static_cast<int>(count));
        DWORD written = 0;
        return count == 0 || (length > 0 &&
                              WriteConsoleW(console, wide.data(), static_cast<DWORD>(length),
                                            &written, nullptr) != 0)
                   ? count
                   : 0;
    }
    int_type overflow(int_type byte) override {
        const char one = traits_type::to_char_type(byte);
        return traits_type::eq_int_type(byte, traits_type::eof()) || xsputn(&one, 1) == 1
                   ? traits_type::not_eof(byte)
                   : traits_type::eof();
    }
    HANDLE console;
};

} // namespace

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

void showUtf8OnConsoles() {
    for (const auto& [stream, handle] :
         {std::pair{&std::cout, STD_OUTPUT_HANDLE}, std::pair{&std::cerr, STD_ERROR_HANDLE}}) {
        DWORD mode = 0;
        if (GetConsoleMode(GetStdHandle(handle), &mode) != 0) {
            stream->flush();
            // Never freed: the stream writes through it until its last flush as the program ends.
            stream->rdbuf(new ConsoleBuffer(GetStdHandle(handle)));
        }
    }
}

#else

std::vector<std::string> commandLine(int count, char** arguments) {
    return std::vector<std::string>(arguments, arguments + count);
}

std::string programPath() {
    std::error_code error;
    return std::filesystem::canonical("/proc/self/exe", error).string();
}

void showUtf8OnConsoles() {}

#endif

} // namespace tarnhost
