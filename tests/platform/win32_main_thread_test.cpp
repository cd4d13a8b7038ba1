// Work posted from other threads runs on the thread that created the Win32 main thread, from its
// message loop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/win32/win32_input_services.h"

#include <windows.h>

namespace mon {
namespace {

bool PumpUntil(const std::function<bool()>& APredicate) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!APredicate()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

TEST(TWin32MainThreadTest, WorkFromOtherThreadsRunsHereInPostingOrder) {
  win32::TWin32MainThread mainThread;
  const DWORD here = ::GetCurrentThreadId();
  std::vector<int> ran;
  std::atomic<bool> wrongThread{false};
  std::thread other([&] {
    for (int i = 0; i < 5; ++i) {
      mainThread.PostToMainThread([&, i] {
        wrongThread = wrongThread || ::GetCurrentThreadId() != here;
        ran.push_back(i);
      });
    }
  });
  other.join();
  ASSERT_TRUE(PumpUntil([&] { return ran.size() == 5; }));
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(wrongThread);
}

TEST(TWin32MainThreadTest, WorkStillQueuedAtDestructionIsDropped) {
  int ran = 0;
  {
    win32::TWin32MainThread mainThread;
    mainThread.PostToMainThread([&] { ++ran; });
  }
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::DispatchMessageW(&message);
  }
  EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace mon
