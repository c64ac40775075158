// GoogleTest's Notification for the win32 thread model, which has no
// std::mutex or std::condition_variable: a manual-reset event. GoogleTest
// needs it only to start the threads of its own tests; it is included ahead
// of GoogleTest's headers in the Windows builds.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() {
    if (event_) CloseHandle(event_);
  }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
