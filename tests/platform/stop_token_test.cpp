#include "platform/stop_token.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace mon {
namespace {

TEST(StopTokenTest, CallbacksRunOnceOnTheRequestingThreadOrAtOnceWhenLate) {
  TStopSource source;
  const TStopToken token = source.Token();
  EXPECT_FALSE(token.StopRequested());
  EXPECT_FALSE(TStopToken().StopRequested());
  int early = 0;
  int removed = 0;
  std::thread::id ranOn;
  TStopCallback first(token, [&] {
    ++early;
    ranOn = std::this_thread::get_id();
  });
  {
    TStopCallback gone(token, [&] { ++removed; });
  }  // deregistered before the request
  std::thread requester([&] { EXPECT_TRUE(source.RequestStop()); });
  requester.join();
  EXPECT_FALSE(source.RequestStop());  // only once
  EXPECT_TRUE(token.StopRequested());
  EXPECT_EQ(early, 1);
  EXPECT_EQ(removed, 0);
  EXPECT_NE(ranOn, std::this_thread::get_id());
  int late = 0;
  TStopCallback after(token, [&] { ++late; });
  EXPECT_EQ(late, 1);
  TStopCallback never(TStopToken(), [&] { ++late; });
  EXPECT_EQ(late, 1);
}

TEST(StopTokenTest, DestroyingACallbackWaitsForItsRunOnAnotherThread) {
  for (int round = 0; round < 200; ++round) {
    TStopSource source;
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> returned{false};
    auto callback = std::make_unique<TStopCallback>(source.Token(), [&] {
      entered = true;
      while (!release) {
        std::this_thread::yield();
      }
      returned = true;
    });
    std::thread requester([&] { source.RequestStop(); });
    while (!entered) {
      std::this_thread::yield();
    }
    std::thread destroyer([&] {
      callback.reset();
      EXPECT_TRUE(returned.load());  // not before the callback has finished
    });
    release = true;
    destroyer.join();
    requester.join();
  }
}

}  // namespace
}  // namespace mon
