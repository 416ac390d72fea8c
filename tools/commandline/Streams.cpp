#include "Streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace commandline {

#if defined(_WIN32)

int openForReading(const std::string& path) {
    return _wopen(std::filesystem::u8path(path).wstring().c_str(), _O_RDONLY | _O_BINARY);
}

namespace {

// Up to `size` bytes read into `buffer`: their count, 0 at the end, -1 with errno set on failure.
int readSome(int descriptor, char* buffer, unsigned size) {
    return _read(descriptor, buffer, size);
}

// Closes a descriptor opened here.
void closeFile(int descriptor) {
    _close(descriptor);
}

} // namespace

#else

int openForReading(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor >= 0) {
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK); // reads wait again
    }
    return descriptor;
}

namespace {

// Up to `size` bytes read into `buffer`, an interrupted read retried: their count, 0 at the end,
// -1 with errno set on failure.
ssize_t readSome(int descriptor, char* buffer, unsigned size) {
    ssize_t count;
    do {
        count = read(descriptor, buffer, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

// Closes a descriptor opened here.
void closeFile(int descriptor) {
    close(descriptor);
}

} // namespace

#endif

void holdStandardDescriptors() {
#if !defined(_WIN32) // the C runtime on Windows keeps 0 to 2 for the standard streams, open or not
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            open("/dev/null", descriptor == 0 ? O_WRONLY : O_RDONLY); // the lowest one closed
        }
    }
#endif
}

DescriptorReader::~DescriptorReader() {
    if (owned_ && descriptor_ >= 0) {
        closeFile(descriptor_);
    }
}

DescriptorReader::int_type DescriptorReader::underflow() {
    const auto count = readSome(descriptor_, buffer_, sizeof buffer_);
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

FailureKeeper::int_type FailureKeeper::overflow(int_type byte) {
    if (traits_type::eq_int_type(byte, traits_type::eof())) {
        return traits_type::not_eof(byte);
    }
    const int_type written = inner_->sputc(traits_type::to_char_type(byte));
    keep(!traits_type::eq_int_type(written, traits_type::eof()));
    return written;
}

int FailureKeeper::sync() {
    const int synced = inner_->pubsync();
    keep(synced == 0);
    return synced;
}

void FailureKeeper::keep(bool written) {
    firstFailure_ = written || firstFailure_ != 0 ? firstFailure_ : errno;
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
    std::cerr << program << ": write error on standard output"
              << (reason != 0 ? std::string(": ") + std::strerror(reason) : "") << "\n";
    return 2;
}

} // namespace commandline
