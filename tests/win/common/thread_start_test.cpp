// Every thread of the programs starts through StartThread, which gives
// CreateThread a place for the thread id: without one, Windows 95, 98 and Me
// start nothing, and the wallpaper, the saver's pictures and the bounded
// calls would never come.
#include <windows.h>

#include <gtest/gtest.h>

#include "thread_start.h"
#include "windows95_threads.h"

namespace {

DWORD WINAPI SignalEvent(void* event) {
  SetEvent(static_cast<HANDLE>(event));
  return 0;
}

TEST(ThreadStart, StartsAThreadWhereCreateThreadNeedsAPlaceForTheId) {
  ASSERT_TRUE(RefuseThreadsWithoutId());
  HANDLE ran = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(ran, nullptr);
  // The rule as the 95 family has it: no place for the id, no thread.
  EXPECT_EQ(CreateThread(nullptr, 0, SignalEvent, ran, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  HANDLE thread = StartThread(SignalEvent, ran);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(ran, 0), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(ran);
}

}  // namespace
