// Every question tarnhost asks the operating system, answered once for POSIX (SystemPosix.cpp)
// and once for Windows (SystemWindows.cpp): what a name is, a folder's names, a file's bytes, the
// standard streams and the console, signals, and how paths are spelt. Every text is UTF-8, and a
// failure is an errno value (the Windows one mapped), so its words are the C library's alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// ---- The command line

// The program's arguments, its name first, in UTF-8: on Windows read in UTF-16 from the
// process's command line, a lone surrogate kept as its three-byte form (which no file name here
// can be opened by, see nameFailure); elsewhere `arguments` as given.
std::vector<std::string> commandLine(int count, char** arguments);
// Whether `argument` is the system's own way to ask for help ("/?" on Windows; none elsewhere).
bool asksForHelp(const std::string& argument);
// The path of `name` in the folder of the real program, symbolic links resolved; `name` alone
// when that folder cannot be found.
std::string besideProgram(const std::string& name);
// `path` made absolute against the current folder; as given when it cannot be.
std::string absolutePath(const std::string& path);

// ---- Names and folders

// What a name stands for: Link is a symbolic link or any other reparse point (a junction).
enum class Kind { File, Folder, Link, Special, Missing, Unknown };
// One name in a folder and what it is, the link itself not followed.
struct Entry {
    std::string name;
    Kind kind;
    int error = 0; // why the kind of an Unknown entry cannot be told
};
// A file's identity: the same for two names of one file, whatever their spelling.
struct Identity {
    std::uint64_t device = 0, file = 0;
    bool operator==(const Identity& other) const {
        return device == other.device && file == other.file;
    }
};

// What `path` is, a link followed when `followLink`; Missing or Unknown with `error` set.
Kind kindOf(const std::string& path, bool followLink, int& error);
// The names in `folder` but "." and "..", in no order; false with `error` set when it cannot be
// listed to its end.
bool listFolder(const std::string& folder, std::vector<Entry>& entries, int& error);
// Why a name that a listing gives, or a path, cannot be opened as it is spelt (on Windows: a
// last part ending in a dot or blank, a device name with an extension, text that is not
// Unicode); empty when it can.
std::string nameFailure(const std::string& path);
// The characters that end a folder's name in a path ("/", or "\\/:" on Windows), the first of
// them put between a folder and a name.
const char* separators();
// Whether wildcards on the command line are the program's to expand (Windows) or the shell's.
bool expandsWildcards();
// The part of `path` before which no wildcard is looked for (the "\\?\" prefix on Windows).
std::size_t prefixLength(const std::string& path);
// `name` as the file system compares names: on Windows without the dots and blanks ending it,
// which opening drops, and each UTF-16 unit in capitals, as its own table folds it and no
// further; as it is elsewhere.
std::string comparedName(const std::string& name);

// ---- Files and standard streams

enum class Stream { Input, Output, Error }; // in the order of their descriptors, 0 to 2

// Makes the standard streams safe to use: on POSIX a closed one is held by the null device, so
// no file opened later takes its place; on Windows input and output are read and written as
// bytes, and a console shows UTF-8 as the characters it stands for.
void prepareStandardStreams();
// Whether `stream` is a terminal or a console (on Windows the null device is not).
bool isTerminal(Stream stream);
// The descriptor of `stream`.
inline int descriptorOf(Stream stream) {
    return static_cast<int>(stream);
}
// A descriptor reading the file at `path`, opened without waiting for a FIFO's writer; -1 with
// `error` set when it cannot be opened (nameFailure's names included).
int openForReading(const std::string& path, int& error);
// Up to `size` bytes of `descriptor`: their count, 0 at the end, -1 with errno set. A console is
// read in UTF-16 and given as UTF-8, Ctrl-Z at a line's start ending it.
long readSome(int descriptor, char* buffer, unsigned size);
// A descriptor writing the file at `path`, made if missing and emptied; -1 with `error` set when
// it cannot be opened (nameFailure's names included).
int openForWriting(const std::string& path, int& error);
// Writes all `size` bytes of `text`; false with `error` set when some could not be written.
bool writeAll(int descriptor, const char* text, std::size_t size, int& error);
// Closes a descriptor openForReading or openForWriting gave; false with errno set when the
// system reports a failure (a write it had held back).
bool closeFile(int descriptor);
// Makes the folder `path` and each folder above it that is missing, quietly: whether `path` is a
// folder at the end.
bool makeFolders(const std::string& path);
// The identity of what `descriptor` reads or writes; false unless it is a regular file.
bool identityOf(int descriptor, Identity& identity);
// The identity of the file at `path`, a link followed; false unless it is a regular file.
bool identityOf(const std::string& path, Identity& identity);
// The C library's words for an errno value ("Input/output error").
inline std::string reason(int error) {
    return std::strerror(error);
}

// ---- A person at a console or terminal

// How a line typed at the console ended.
enum class ConsoleLine { NotConsole, Read, Cancelled, Ended };
// On a Windows console, the line typed there in UTF-16 and kept as UTF-8 without its "\n" (the
// "\r" before it is left to the reader), Ctrl-C cancelling it and Ctrl-Z at its start ending the
// input; NotConsole when standard input is no console.
ConsoleLine readConsoleLine(std::string& line);
// Calls `read` with Ctrl-C (SIGINT) making the read under way fail instead of ending the
// program; whether Ctrl-C was pressed meanwhile (on Windows, where the console read handles it,
// just calls `read`).
bool whileInterruptible(const std::function<void()>& read);

} // namespace platform
