// GoogleTest's start signal for the threads it makes, for the win32-threads Windows runtime,
// which has no std::mutex or std::condition_variable to build GoogleTest's own version from.
// Force-included before GoogleTest's headers, which then use this class instead of theirs.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// A one-way signal: once notified it stays notified, and every waiter returns.
class Notification {
public:
    Notification();
    ~Notification();
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    // Lets every thread waiting now or later go on.
    void Notify();
    // Returns once Notify has been called, at once if it already has.
    void WaitForNotification();

private:
    void* event_;
};

} // namespace internal
} // namespace testing
