#include "System.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <shellapi.h>

namespace platform {

namespace {

// `wide` as UTF-8; a lone surrogate is kept as its three-byte form, which widened() refuses.
std::string narrowed(const std::wstring& wide) {
    std::string text;
    for (std::size_t at = 0; at < wide.size(); ++at) {
        char32_t code = wide[at];
        const bool pair = code >= 0xD800 && code <= 0xDBFF && at + 1 < wide.size() &&
                          wide[at + 1] >= 0xDC00 && wide[at + 1] <= 0xDFFF;
        if (pair) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[++at] - 0xDC00);
        }
        const int length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        const unsigned char lead[] = {0, 0x00, 0xC0, 0xE0, 0xF0};
        text += static_cast<char>(lead[length] | (code >> (6 * (length - 1))));
        for (int rest = length - 2; rest >= 0; --rest) {
            text += static_cast<char>(0x80 | ((code >> (6 * rest)) & 0x3F));
        }
    }
    return text;
}

// `text` in UTF-16; false when it is not UTF-8 (a lone surrogate's form included).
bool widened(const std::string& text, std::wstring& wide) {
    const int size = static_cast<int>(text.size());
    wide.assign(text.size(), L'\0');
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), size);
    wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return length > 0 || text.empty();
}

// The errno value for a Windows error.
int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

// `wide` made absolute against the current folder; empty when it cannot be.
std::wstring fullPath(const std::wstring& wide) {
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return full;
}

// `path` as the wide API takes it: past the length a folder may have, made absolute behind the
// "\\?\" prefix, which lifts the limit of 260 characters; empty when it is not UTF-8.
std::wstring systemPath(const std::string& path) {
    std::wstring wide;
    if (!widened(path, wide) || wide.size() < MAX_PATH - 12 || prefixLength(path) != 0) {
        return wide;
    }
    const std::wstring full = fullPath(wide);
    return full.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC" + full.substr(1) : L"\\\\?\\" + full;
}

// A descriptor opening `path` with `flags`; -1 with `error` set when it cannot be opened, EINVAL
// for a name that is not UTF-8.
int opened(const std::string& path, int flags, int& error) {
    const std::wstring wide = systemPath(path);
    const bool convertible = !wide.empty() || path.empty();
    const int descriptor = convertible ? _wopen(wide.c_str(), flags, _S_IREAD | _S_IWRITE) : -1;
    error = descriptor < 0 ? (convertible ? errno : EINVAL) : 0;
    return descriptor;
}

// The kind that file attributes tell, a reparse point as a link unless `followLink`.
Kind kindOfAttributes(DWORD attributes, bool followLink) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !followLink ? Kind::Link
           : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0                  ? Kind::Folder
           : (attributes & FILE_ATTRIBUTE_DEVICE) != 0                     ? Kind::Special
                                                                           : Kind::File;
}

// The file at `path` opened for its attributes only, a link followed; INVALID_HANDLE_VALUE
// with the reason in GetLastError when it cannot be.
HANDLE openedForAttributes(const std::string& path) {
    return CreateFileW(systemPath(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The identity of an open file; false unless it is a file on a disk.
bool identityOfHandle(HANDLE handle, Identity& identity) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(handle) != FILE_TYPE_DISK ||
        GetFileInformationByHandle(handle, &information) == 0) {
        return false;
    }
    identity = {information.dwVolumeSerialNumber,
                (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Whether `handle` is a console (the null device is a character device, not a console).
bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Writes UTF-8 text to a console as UTF-16, at once. Each write holds whole characters, as
// every text shown through it is made whole by `shown`.
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

std::atomic<bool> controlC{false}; // Ctrl-C pressed at the console since the read began

// Ctrl-C pressed at the console: the program goes on, and the line being read is cancelled.
BOOL WINAPI onControl(DWORD event) {
    controlC = controlC || event == CTRL_C_EVENT;
    return event == CTRL_C_EVENT;
}

// What the console gives for one read: up to `most` UTF-16 units, a line at most; empty at
// the end or when the read failed; Ctrl-C sets controlC and may end the read.
std::wstring readConsole(HANDLE input, DWORD most) {
    std::wstring part(most, L'\0');
    DWORD count = 0;
    SetLastError(ERROR_SUCCESS);
    if (ReadConsoleW(input, part.data(), most, &count, nullptr) == 0) {
        count = 0;
    } else if (count == 0 && GetLastError() == ERROR_OPERATION_ABORTED) {
        for (int waits = 0; !controlC && waits < 100; ++waits) {
            Sleep(10); // Ctrl-C ended the read; its handler runs on a thread of its own
        }
    }
    part.resize(count);
    return part;
}

// Whether `stem`, in capitals, is a name Windows takes for a device whatever follows it: CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9.
bool isDeviceName(const std::string& stem) {
    const bool numbered = stem.size() == 4 &&
                          (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
                          stem[3] >= '1' && stem[3] <= '9';
    return numbered || stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL";
}

} // namespace

std::vector<std::string> commandLine(int count, char** arguments) {
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    std::vector<std::string> words;
    for (int index = 0; wide != nullptr && index < wideCount; ++index) {
        words.push_back(narrowed(wide[index]));
    }
    const bool read = wide != nullptr;
    LocalFree(wide);
    return read ? words : std::vector<std::string>(arguments, arguments + count);
}

bool asksForHelp(const std::string& argument) {
    return argument == "/?";
}

std::string besideProgram(const std::string& name) {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    const std::string program = narrowed(path);
    return program.empty() ? name : program.substr(0, program.find_last_of("\\/") + 1) + name;
}

std::string absolutePath(const std::string& path) {
    std::wstring wide;
    if (!widened(path, wide) || path.empty()) {
        return path;
    }
    const std::wstring full = fullPath(wide);
    return full.empty() ? path : narrowed(full);
}

Kind kindOf(const std::string& path, bool followLink, int& error) {
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    HANDLE file = INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION information{};
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = errnoOf(GetLastError());
        return error == ENOENT ? Kind::Missing : Kind::Unknown;
    } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || !followLink) {
        return kindOfAttributes(attributes, followLink);
    } else if ((file = openedForAttributes(path)) == INVALID_HANDLE_VALUE) {
        error = errnoOf(GetLastError());
        return error == ENOENT ? Kind::Missing : Kind::Unknown;
    }
    const bool told = GetFileInformationByHandle(file, &information) != 0;
    error = told ? 0 : errnoOf(GetLastError());
    CloseHandle(file);
    return told ? kindOfAttributes(information.dwFileAttributes, true) : Kind::Unknown;
}

bool listFolder(const std::string& folder, std::vector<Entry>& entries, int& error) {
    const bool separated = !folder.empty() && std::strchr("\\/:", folder.back()) != nullptr;
    WIN32_FIND_DATAW found{};
    HANDLE listing = FindFirstFileW(systemPath(folder + (separated ? "*" : "\\*")).c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        error = errnoOf(GetLastError());
        return false;
    }
    do {
        const std::string name = narrowed(found.cFileName);
        if (name != "." && name != "..") {
            entries.push_back({name, kindOfAttributes(found.dwFileAttributes, false)});
        }
    } while (FindNextFileW(listing, &found) != 0);
    const DWORD last = GetLastError();
    FindClose(listing);
    error = last == ERROR_NO_MORE_FILES ? 0 : errnoOf(last);
    return error == 0;
}

std::string nameFailure(const std::string& path) {
    std::wstring wide;
    const std::string name = path.substr(path.find_last_of(separators()) + 1); // npos + 1 is 0
    const std::string stem = name.substr(0, name.find('.'));
    if (!widened(path, wide)) {
        return "its name is not Unicode text, so Windows cannot open it";
    } else if (name != "." && name != ".." && !name.empty() &&
               (name.back() == '.' || name.back() == ' ')) {
        return "its name ends in a dot or blank, which Windows drops when it opens a file";
    } else if (stem.size() < name.size() && isDeviceName(comparedName(stem))) {
        return "its name is a device's (" + stem + "), which Windows opens in its place";
    }
    return "";
}

const char* separators() {
    return "\\/:";
}

bool expandsWildcards() {
    return true;
}

std::size_t prefixLength(const std::string& path) {
    return path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0 ? 4 : 0;
}

std::string comparedName(const std::string& name) {
    using Upcase = WCHAR(WINAPI*)(WCHAR);
    static const auto upcase = reinterpret_cast<Upcase>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
    std::wstring wide;
    if (upcase == nullptr || !widened(name, wide)) {
        return name;
    }
    wide.erase(std::min(wide.size(), wide.find_last_not_of(L". ") + 1)); // as opening drops them
    for (wchar_t& unit : wide) {
        unit = upcase(unit); // the table the file system compares names with
    }
    return narrowed(wide);
}

void prepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY); // no byte of standard input ends it, as none of a file
    for (const auto& [stream, handle] :
         {std::pair{&std::cout, STD_OUTPUT_HANDLE}, std::pair{&std::cerr, STD_ERROR_HANDLE}}) {
        if (isConsole(GetStdHandle(handle))) {
            stream->flush();
            // Never freed: the stream writes through it until its last flush as the program ends.
            stream->rdbuf(new ConsoleBuffer(GetStdHandle(handle)));
        }
    }
}

bool isTerminal(Stream stream) {
    // The standard handles are numbered down from input's, as the descriptors are numbered up.
    return isConsole(GetStdHandle(STD_INPUT_HANDLE - static_cast<DWORD>(descriptorOf(stream))));
}

int openForReading(const std::string& path, int& error) {
    return opened(path, _O_RDONLY | _O_BINARY, error);
}

long readSome(int descriptor, char* buffer, unsigned size) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (!isConsole(handle)) {
        return _read(descriptor, buffer, size);
    }
    const std::wstring wide = readConsole(handle, size / 3); // each unit 3 bytes at most
    if (wide.empty() || wide[0] == L'\x1A') {
        return 0;
    }
    const std::string text = narrowed(wide);
    std::memcpy(buffer, text.data(), text.size());
    return static_cast<long>(text.size());
}

int openForWriting(const std::string& path, int& error) {
    return opened(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, error);
}

bool writeAll(int descriptor, const char* text, std::size_t size, int& error) {
    for (std::size_t at = 0; at < size;) {
        const int written = _write(descriptor, text + at, static_cast<unsigned>(size - at));
        if (written <= 0) {
            error = written < 0 ? errno : EIO;
            return false;
        }
        at += static_cast<std::size_t>(written);
    }
    return true;
}

bool closeFile(int descriptor) {
    return _close(descriptor) == 0;
}

bool makeFolders(const std::string& path) {
    for (std::size_t end = path.find_first_of("\\/", prefixLength(path) + 1);
         end != std::string::npos; end = path.find_first_of("\\/", end + 1)) {
        _wmkdir(systemPath(path.substr(0, end)).c_str()); // as on POSIX
    }
    _wmkdir(systemPath(path).c_str());
    int error = 0;
    return kindOf(path, true, error) == Kind::Folder;
}

bool identityOf(int descriptor, Identity& identity) {
    return identityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)), identity);
}

bool identityOf(const std::string& path, Identity& identity) {
    HANDLE file = openedForAttributes(path);
    const bool regular = file != INVALID_HANDLE_VALUE && identityOfHandle(file, identity);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return regular;
}

ConsoleLine readConsoleLine(std::string& line) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (!isConsole(input)) {
        return ConsoleLine::NotConsole;
    }
    // Left in place: the console calls it on a thread of its own, maybe after the read returned.
    [[maybe_unused]] static const BOOL handled = SetConsoleCtrlHandler(onControl, TRUE);
    controlC = false;
    std::wstring wide, part = L" ";
    while (!part.empty() && (wide.empty() || wide.back() != L'\n')) {
        part = readConsole(input, 1024);
        wide += part;
    }
    if (controlC) { // a console that does not end the read drops the line at its end
        return ConsoleLine::Cancelled;
    } else if (wide.empty() || wide[0] == L'\x1A') {
        return ConsoleLine::Ended;
    }
    wide.erase(wide.back() == L'\n' ? wide.size() - 1 : wide.size()); // "\r" is the reader's
    line = narrowed(wide);
    return ConsoleLine::Read;
}

bool whileInterruptible(const std::function<void()>& read) {
    read();
    return false;
}

} // namespace platform
