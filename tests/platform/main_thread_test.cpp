#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/main_thread.h"

namespace mon {
namespace {

TEST(TQueuedMainThreadTest, RunsPostedWorkInOrderIncludingWorkPostedWhileRunning) {
  TQueuedMainThread mainThread;
  std::vector<int> ran;
  std::thread other([&] {
    mainThread.PostToMainThread([&] {
      ran.push_back(1);
      mainThread.PostToMainThread([&] { ran.push_back(3); });
    });
    mainThread.PostToMainThread([&] { ran.push_back(2); });
  });
  other.join();
  EXPECT_EQ(mainThread.PendingCount(), 2u);
  EXPECT_TRUE(ran.empty());  // nothing runs before the loop asks
  EXPECT_EQ(mainThread.RunPending(), 3u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(mainThread.RunPending(), 0u);
}

}  // namespace
}  // namespace mon
