#include "platform/queued_main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace mon {
namespace {

using namespace std::chrono_literals;

// Runs the queue until ADone holds (bounded by a time-out, never by sleeping).
template <class TDone>
bool PumpUntil(TQueuedMainThread& AMain, TDone ADone) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!ADone()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    AMain.WaitForPending(10ms);
    AMain.RunPending();
  }
  return true;
}

TEST(QueuedMainThreadTest, RunsAtOnceOnTheMainThreadAndQueuesFromOthersInOrder) {
  TQueuedMainThread main;
  EXPECT_TRUE(main.IsCurrentThread());
  int direct = 0;
  EXPECT_TRUE(main.RunAndWait([&] { ++direct; }, {}));
  EXPECT_EQ(direct, 1);
  EXPECT_EQ(main.PendingCount(), 0u);

  std::vector<int> order;
  std::atomic<int> returned{0};
  std::thread first([&] {
    EXPECT_FALSE(main.IsCurrentThread());
    EXPECT_TRUE(main.RunAndWait([&] { order.push_back(1); }, {}));
    ++returned;
  });
  ASSERT_TRUE(main.WaitForPending(5s));
  std::thread second([&] {
    EXPECT_TRUE(main.RunAndWait([&] { order.push_back(2); }, {}));
    ++returned;
  });
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (main.PendingCount() < 2 && std::chrono::steady_clock::now() < deadline) {
    main.WaitForPending(10ms);
  }
  EXPECT_EQ(returned.load(), 0);  // both callers are blocked until the main thread runs them
  EXPECT_EQ(main.RunPending(), 2u);
  first.join();
  second.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(returned.load(), 2);
}

TEST(QueuedMainThreadTest, AStopWithdrawsAQueuedCallButNotARunningOne) {
  TQueuedMainThread main;
  bool ran = false;
  TStopSource stop;
  std::atomic<int> result{-1};
  std::thread caller([&] { result = main.RunAndWait([&] { ran = true; }, stop.Token()); });
  ASSERT_TRUE(main.WaitForPending(5s));
  stop.RequestStop();
  caller.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(main.PendingCount(), 0u);
  EXPECT_EQ(main.RunPending(), 0u);
  EXPECT_FALSE(ran);
  // Already stopped on entry: never queued.
  EXPECT_FALSE(main.RunAndWait([&] { ran = true; }, stop.Token()));
  EXPECT_FALSE(ran);

  // A stop while the call runs: the caller still waits for its end and reports it ran.
  TStopSource late;
  std::atomic<bool> finished{false};
  std::thread running([&] {
    result = main.RunAndWait(
        [&] {
          late.RequestStop();
          finished = true;
        },
        late.Token());
  });
  ASSERT_TRUE(PumpUntil(main, [&] { return finished.load(); }));
  running.join();
  EXPECT_EQ(result.load(), 1);
}

TEST(QueuedMainThreadTest, ExceptionsReachTheCallerAndCloseRefusesEverything) {
  TQueuedMainThread main;
  std::atomic<bool> caught{false};
  std::thread caller([&] {
    try {
      main.RunAndWait([] { throw std::runtime_error("boom"); }, {});
    } catch (const std::runtime_error&) {
      caught = true;
    }
  });
  ASSERT_TRUE(PumpUntil(main, [&] { return caught.load(); }));
  caller.join();

  std::atomic<int> result{-1};
  std::thread queued([&] { result = main.RunAndWait([] {}, {}); });
  ASSERT_TRUE(main.WaitForPending(5s));
  main.Close();
  queued.join();
  EXPECT_EQ(result.load(), 0);
  std::thread after([&] { result = main.RunAndWait([] {}, {}); });
  after.join();
  EXPECT_EQ(result.load(), 0);
}

}  // namespace
}  // namespace mon
