// GoogleTest's injection point for a port (its gtest-port.h includes this
// file first), for the Wine test programs: they are built with the compilers
// of the shipped programs, whose C++ library (MinGW-w64's win32 thread model)
// has no std::mutex or std::condition_variable. GoogleTest's own Windows
// port needs neither (its mutexes are critical sections, its threads Win32
// threads) except in Notification, which only its threads for testing
// GoogleTest itself use; this one waits for its flag without them.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : notified_(false) {}
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true, std::memory_order_release); }
  void WaitForNotification() {
    while (!notified_.load(std::memory_order_acquire)) {
    }
  }

 private:
  std::atomic<bool> notified_;
};

}  // namespace internal
}  // namespace testing

#endif  // GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
