// Starts tarnhost.exe with an argument no UTF-8 can hold, a lone surrogate, which only a Windows
// program can pass: the file it names must fail alone, named, and the scenario after it still
// play ("1 passed, 1 failed", which the test looks for in the output).
//   lone_surrogate TARNHOST SCENARIO
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// A path given by the test's command line, in UTF-16 with Windows' separators.
std::wstring windowsPath(const char* path) {
    std::wstring wide;
    for (const char* at = path; *at != '\0'; ++at) {
        wide += *at == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*at));
    }
    return wide;
}

} // namespace

int main(int count, char** arguments) {
    if (count != 3) {
        std::fputs("usage: lone_surrogate TARNHOST SCENARIO\n", stderr);
        return 2;
    }
    std::wstring line = L"\"" + windowsPath(arguments[1]) + L"\" --check x\xD800.scn \"" +
                        windowsPath(arguments[2]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process) == 0) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", arguments[1], GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("tarnhost.exe exited %lu\n", status);
    return status == 2 ? 0 : 1;
}
