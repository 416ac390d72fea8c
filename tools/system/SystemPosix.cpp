#include "System.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

volatile std::sig_atomic_t interrupted = 0; // Ctrl-C while a line is being read

void onInterrupt(int) {
    interrupted = 1;
}

// The kind a stat gave.
Kind kindOfMode(mode_t mode) {
    return S_ISREG(mode)   ? Kind::File
           : S_ISDIR(mode) ? Kind::Folder
           : S_ISLNK(mode) ? Kind::Link
                           : Kind::Special;
}

// The identity of a regular file's stat; false for anything else.
bool identityOfStat(const struct stat& status, Identity& identity) {
    identity = {static_cast<std::uint64_t>(status.st_dev),
                static_cast<std::uint64_t>(status.st_ino)};
    return S_ISREG(status.st_mode);
}

} // namespace

std::vector<std::string> commandLine(int count, char** arguments) {
    return std::vector<std::string>(arguments, arguments + count);
}

bool asksForHelp(const std::string&) {
    return false;
}

std::string besideProgram(const std::string& name) {
    char* program = realpath("/proc/self/exe", nullptr);
    const std::string path = program != nullptr ? program : "";
    std::free(program);
    return path.empty() ? name : path.substr(0, path.rfind('/') + 1) + name;
}

std::string absolutePath(const std::string& path) {
    char* folder = getcwd(nullptr, 0);
    const std::string absolute =
        path.rfind('/', 0) == 0 || folder == nullptr ? path : std::string(folder) + "/" + path;
    std::free(folder);
    return absolute;
}

Kind kindOf(const std::string& path, bool followLink, int& error) {
    struct stat status {};
    if ((followLink ? stat(path.c_str(), &status) : lstat(path.c_str(), &status)) != 0) {
        error = errno;
        return error == ENOENT || error == ENOTDIR ? Kind::Missing : Kind::Unknown;
    }
    return kindOfMode(status.st_mode);
}

bool listFolder(const std::string& folder, std::vector<Entry>& entries, int& error) {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        error = errno;
        return false;
    }
    errno = 0;
    for (const dirent* found; (found = readdir(listing)) != nullptr; errno = 0) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        Entry entry{name, kindOfMode(static_cast<mode_t>(DTTOIF(found->d_type)))};
        // GCOVR_EXCL_START: every file system the tests run on gives an entry's kind.
        if (found->d_type == DT_UNKNOWN) { // the file system does not say: ask it
            entry.kind = kindOf(folder + "/" + name, false, entry.error);
            entry.kind = entry.kind == Kind::Missing ? Kind::Unknown : entry.kind;
        }
        // GCOVR_EXCL_STOP
        entries.push_back(entry);
    }
    error = errno;
    closedir(listing);
    return error == 0;
}

std::string nameFailure(const std::string&) {
    return "";
}

const char* separators() {
    return "/";
}

bool expandsWildcards() {
    return false;
}

// GCOVR_EXCL_START: asked only where wildcards are expanded, which is never here.
std::size_t prefixLength(const std::string&) {
    return 0;
}
// GCOVR_EXCL_STOP

std::string comparedName(const std::string& name) {
    return name;
}

void prepareStandardStreams() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            // The lowest descriptor closed, in the direction its stream is not used in, so that
            // using it fails as using a closed stream does.
            open("/dev/null", descriptor == 0 ? O_WRONLY : O_RDONLY);
        }
    }
}

bool isTerminal(Stream stream) {
    return isatty(descriptorOf(stream)) != 0;
}

int openForReading(const std::string& path, int& error) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    error = errno;
    if (descriptor >= 0) {
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK); // reads wait again
    }
    return descriptor;
}

long readSome(int descriptor, char* buffer, unsigned size) {
    ssize_t count;
    do {
        count = read(descriptor, buffer, size);
    } while (count < 0 && errno == EINTR);
    return static_cast<long>(count);
}

int openForWriting(const std::string& path, int& error) {
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    error = errno;
    return descriptor;
}

bool writeAll(int descriptor, const char* text, std::size_t size, int& error) {
    for (std::size_t at = 0; at < size;) {
        const ssize_t written = write(descriptor, text + at, size - at);
        if (written <= 0 && errno != EINTR) {
            error = written < 0 ? errno : EIO;
            return false;
        }
        at += written > 0 ? static_cast<std::size_t>(written) : 0;
    }
    return true;
}

bool closeFile(int descriptor) {
    return close(descriptor) == 0;
}

bool makeFolders(const std::string& path) {
    for (std::size_t end = path.find('/', 1); end != std::string::npos;
         end = path.find('/', end + 1)) {
        mkdir(path.substr(0, end).c_str(), 0777); // one that exists or cannot be made is let be
    }
    mkdir(path.c_str(), 0777);
    int error = 0;
    return kindOf(path, true, error) == Kind::Folder;
}

bool identityOf(int descriptor, Identity& identity) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 && identityOfStat(status, identity);
}

bool identityOf(const std::string& path, Identity& identity) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && identityOfStat(status, identity);
}

ConsoleLine readConsoleLine(std::string&) {
    return ConsoleLine::NotConsole;
}

bool whileInterruptible(const std::function<void()>& read) {
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

} // namespace platform
