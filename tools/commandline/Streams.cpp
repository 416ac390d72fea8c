#include "Streams.h"

#include "System.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <system_error>

namespace commandline {

DescriptorReader::~DescriptorReader() {
    if (owned_ && descriptor_ >= 0) {
        platform::closeFile(descriptor_);
    }
}

DescriptorReader::int_type DescriptorReader::underflow() {
    const long count = platform::readSome(descriptor_, buffer_, sizeof buffer_);
    if (count < 0) {
        throw std::system_error(errno, std::generic_category());
    } else if (count == 0) {
        return traits_type::eof();
    }
    setg(buffer_, buffer_, buffer_ + count);
    return traits_type::to_int_type(*gptr());
}

FailureKeeper::FailureKeeper(std::ostream& stream) : stream_(stream), inner_(stream.rdbuf()) {
    stream.rdbuf(this);
}

FailureKeeper::~FailureKeeper() {
    if (stream_.rdbuf() == this) {
        stream_.rdbuf(inner_);
    }
}

std::streamsize FailureKeeper::xsputn(const char* text, std::streamsize count) {
    const std::streamsize written = inner_->sputn(text, count);
    keep(written == count);
    return written;
}

// GCOVR_EXCL_BR_START: streams call it with a character; only a caller's own flush passes
// end-of-file, which nothing here does.
FailureKeeper::int_type FailureKeeper::overflow(int_type byte) {
    const char one = traits_type::to_char_type(byte);
    return traits_type::eq_int_type(byte, traits_type::eof()) || xsputn(&one, 1) == 1
               ? traits_type::not_eof(byte)
               : traits_type::eof();
}
// GCOVR_EXCL_BR_STOP

int FailureKeeper::sync() {
    const int synced = inner_->pubsync();
    keep(synced == 0);
    return synced;
}

void FailureKeeper::keep(bool written) {
    firstFailure_ = written || firstFailure_ != 0 ? firstFailure_ : errno;
}

std::string writeError(const std::string& shownName, const std::string& reason) {
    return "write error on " + shownName + (reason.empty() ? "" : ": " + reason);
}

int closeStandardOutput(int status, const FailureKeeper& output, const std::string& program) {
    errno = 0;
    const bool flushed = std::cout.flush() && std::ferror(stdout) == 0;
    int reason = output.firstFailure() != 0 ? output.firstFailure() : errno;
    std::cout.rdbuf(nullptr); // closed here, so nothing may flush it as the program ends
    if (std::fclose(stdout) == 0 && flushed) {
        return status;
    }
    reason = reason != 0 ? reason : errno;
    std::cerr << program << ": "
              << writeError("standard output", reason != 0 ? platform::reason(reason) : "") << "\n";
    return 2;
}

} // namespace commandline
