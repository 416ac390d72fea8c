#include "Module.h"

#include <windows.h>

namespace hostsim {

namespace {

// The system's words for a Windows error, in UTF-8, without the line end and full stop they
// come with; the number when the system has none.
std::string describe(DWORD error) {
    wchar_t* words = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
    std::string text(static_cast<std::size_t>(length) * 3, '\0');
    text.resize(static_cast<std::size_t>(
        length == 0 ? 0
                    : WideCharToMultiByte(CP_UTF8, 0, words, static_cast<int>(length), text.data(),
                                          static_cast<int>(text.size()), nullptr, nullptr)));
    LocalFree(words);
    text.erase(text.find_last_not_of(" .\r\n") + 1);
    return text.empty() ? "error " + std::to_string(error) : text;
}

} // namespace

Module::Module(const std::string& path) {
    std::wstring wide(path.size() + 1, L'\0'); // path in UTF-8
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    HMODULE library = LoadLibraryW(wide.c_str());
    if (library == nullptr) {
        error_ = "cannot load " + path + ": " + describe(GetLastError());
        return;
    }
    handle_ = library;
    talk_ =
        reinterpret_cast<EventFunction>(reinterpret_cast<void*>(GetProcAddress(library, "talk")));
    if (talk_ == nullptr) {
        error_ = path + " does not export talk";
        unload();
    }
}

void Module::unload() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
    }
    handle_ = nullptr;
    talk_ = nullptr;
}

Module::~Module() {
    unload();
}

} // namespace hostsim
