#include "Console.h"

#if defined(_WIN32)
#include <iostream>
#include <string>
#include <utility>
#include <windows.h>
#endif

namespace terminal {

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

#else

void showUtf8OnConsoles() {}

#endif

} // namespace terminal
