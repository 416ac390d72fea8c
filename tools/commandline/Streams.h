// The program's standard output and the files it reads: a read or a write that fails says why.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace commandline {

// A descriptor's bytes for a std::istream. A read that fails throws std::system_error with the
// system's reason, which the stream rethrows when its exceptions include badbit. Bytes read ahead
// stay in the reader, so a later stream over it goes on where an earlier one stopped.
class DescriptorReader : public std::streambuf {
public:
    // Reads `descriptor`, and closes it at the end when `owned` (and not -1).
    DescriptorReader(int descriptor, bool owned) : descriptor_(descriptor), owned_(owned) {}
    DescriptorReader(const DescriptorReader&) = delete;
    DescriptorReader& operator=(const DescriptorReader&) = delete;
    ~DescriptorReader() override;

private:
    int_type underflow() override;

    int descriptor_;
    bool owned_;
    char buffer_[1 << 16];
};

// Stands between `stream` and what it writes to from its making on, and keeps the reason the
// first write failed for, which stdio forgets once it has dropped the bytes it could not write.
// At the end `stream` writes where it wrote before, unless it was given another buffer.
class FailureKeeper : public std::streambuf {
public:
    explicit FailureKeeper(std::ostream& stream);
    FailureKeeper(const FailureKeeper&) = delete;
    FailureKeeper& operator=(const FailureKeeper&) = delete;
    ~FailureKeeper() override;

    // The system's reason (an errno value) the first write that failed gave, or 0.
    int firstFailure() const { return firstFailure_; }

private:
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int_type overflow(int_type byte) override;
    int sync() override;
    // Keeps errno as the first failure's reason when `written` is false and none is kept yet;
    // errno itself is left as the write left it.
    void keep(bool written);

    std::ostream& stream_;
    std::streambuf* inner_;
    int firstFailure_ = 0;
};

// "write error on NAME: REASON", `shownName` as printed; ": REASON" is left out when `reason` is
// empty.
std::string writeError(const std::string& shownName, const std::string& reason);

// The exit status once standard output is flushed and closed: `status`, or 2 with the message
// "PROGRAM: write error on standard output: REASON" when some of it was not written, the reason
// being the one `output` kept or else the one the system gives.
int closeStandardOutput(int status, const FailureKeeper& output, const std::string& program);

} // namespace commandline
