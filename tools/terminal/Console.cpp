#include "Console.h"

#include <istream>

#if defined(_WIN32)
#include <atomic>
#include <iostream>
#include <utility>
#include <windows.h>
#else
#include <csignal>
#include <cstdio>
#endif

namespace terminal {

namespace {

// The line of `in`, its "\r" end dropped; false at the end of input or when the read failed.
bool readStreamLine(std::istream& in, std::string& line) {
    const bool read = static_cast<bool>(std::getline(in, line));
    line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
    return read;
}

} // namespace

#if defined(_WIN32)

namespace {

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
    if (event != CTRL_C_EVENT) {
        return FALSE;
    }
    controlC = true;
    return TRUE;
}

// The UTF-16 text as UTF-8.
std::string narrowed(const std::wstring& wide) {
    const int count = static_cast<int>(wide.size());
    std::string text(static_cast<std::size_t>(count) * 3, '\0');
    text.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, text.data(),
                            static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

} // namespace

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

TypedLine readPlainLine(std::istream& in, bool typed, std::string& line) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!typed || GetConsoleMode(input, &mode) == 0) {
        return readStreamLine(in, line) ? TypedLine::Read : TypedLine::Ended;
    }
    // Left in place: the console calls it on a thread of its own, maybe after the read returned.
    [[maybe_unused]] static const BOOL handled = SetConsoleCtrlHandler(onControl, TRUE);
    controlC = false;
    std::wstring wide;
    wchar_t part[1024];
    DWORD count = 1;
    while (count != 0 && (wide.empty() || wide.back() != L'\n')) {
        SetLastError(ERROR_SUCCESS);
        if (ReadConsoleW(input, part, 1024, &count, nullptr) == 0) {
            count = 0;
        } else if (count == 0 && GetLastError() == ERROR_OPERATION_ABORTED) {
            for (int waits = 0; !controlC && waits < 100; ++waits) {
                Sleep(10); // Ctrl-C ended the read; its handler runs on a thread of its own
            }
        }
        wide.append(part, count);
    }
    if (controlC) { // a console that does not end the read drops the line at its end
        return TypedLine::Cancelled;
    } else if (wide.empty() || wide[0] == L'\x1A') {
        return TypedLine::Ended;
    }
    wide.erase(wide.find_last_not_of(L"\r\n") + 1);
    line = narrowed(wide);
    return TypedLine::Read;
}

#else

namespace {

volatile std::sig_atomic_t interrupted = 0; // Ctrl-C while a line is being read

void onInterrupt(int) {
    interrupted = 1;
}

} // namespace

void showUtf8OnConsoles() {}

bool interruptedWhile(const std::function<void()>& read) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = onInterrupt; // without SA_RESTART, so the read under way returns
    sigemptyset(&action.sa_mask);
    interrupted = 0;
    sigaction(SIGINT, &action, &previous);
    read();
    sigaction(SIGINT, &previous, nullptr);
    return interrupted != 0;
}

TypedLine readPlainLine(std::istream& in, bool typed, std::string& line) {
    bool read = false;
    const auto readLine = [&] { read = readStreamLine(in, line); };
    if (!typed) {
        readLine();
    } else if (interruptedWhile(readLine) && !read) { // the terminal dropped what was typed
        in.clear();
        std::clearerr(stdin);
        return TypedLine::Cancelled;
    }
    return read ? TypedLine::Read : TypedLine::Ended;
}

#endif

} // namespace terminal
