// The Linux main loop as the core relies on it: messages posted from any thread reach the live
// window on the main thread in order, hand-overs run while the loop runs, timers repeat until
// stopped, a handler that dispatches itself gets what was queued meanwhile, and SIGTERM takes the
// program's own way out.
#include "platform/linux/linux_message_loop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <vector>

#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_windows.h"
#include "platform/posix/posix_platform.h"

namespace mon::lnx {
namespace {

class TNoArrivals final : public TDeviceArrivals {
 public:
  std::unique_ptr<TDeviceArrivalWatch> WatchArrivals(std::function<void()>) override {
    return nullptr;
  }
};

struct TRecordingHandler final : TMessageHandler {
  std::vector<TWindowMessage> Seen;
  std::function<void(const TWindowMessage&)> OnMessage;
  bool HandleMessage(TWindowMessage& AMessage) override {
    Seen.push_back(AMessage);
    if (OnMessage) {
      OnMessage(AMessage);
    }
    return true;
  }
};

struct TRecordingEvents final : TAppWindowEvents {
  std::vector<std::uint32_t> Messages;
  int Quits = 0;
  std::function<void()> OnQuit;
  bool HandleAppMessage(std::uint32_t AMessage, std::uintptr_t, std::intptr_t) override {
    Messages.push_back(AMessage);
    return true;
  }
  void TimerFired(std::uintptr_t) override {}
  void QuitRequested() override {
    ++Quits;
    if (OnQuit) {
      OnQuit();
    }
  }
};

class TLinuxLoopTest : public ::testing::Test {
 protected:
  TLinuxMessageLoop Loop;
  TNoArrivals Arrivals;
  TLinuxHiddenWindowFactory Windows{Loop, Arrivals};
};

TEST_F(TLinuxLoopTest, MessagesFromOtherThreadsArriveInOrderOnTheMainThreadAndHandOversRun) {
  TRecordingHandler handler;
  auto window = Windows.CreateHiddenWindow(u"Test", handler);
  const auto mainThread = std::this_thread::get_id();
  constexpr int kCount = 500;
  std::vector<std::thread::id> handlerThreads;
  handler.OnMessage = [&](const TWindowMessage& AMessage) {
    handlerThreads.push_back(std::this_thread::get_id());
    if (AMessage.WParam == kCount - 1) {
      Loop.Quit(7);
    }
  };
  bool handedOver = false;
  std::thread poster([&] {
    TStopSource never;
    // Runs while the loop runs: the caller waits until the main thread has run it.
    EXPECT_TRUE(Loop.MainThread().RunAndWait(
        [&] { handedOver = std::this_thread::get_id() == mainThread; }, never.Token()));
    for (int index = 0; index < kCount; ++index) {
      ASSERT_TRUE(window->PostToSelf(kWmUser + 1, static_cast<std::uintptr_t>(index), -index));
    }
  });
  EXPECT_EQ(Loop.Run(), 7);
  poster.join();
  EXPECT_TRUE(handedOver);
  ASSERT_EQ(handler.Seen.size(), static_cast<std::size_t>(kCount));
  for (int index = 0; index < kCount; ++index) {
    EXPECT_EQ(handler.Seen[index].WParam, static_cast<std::uintptr_t>(index));
    EXPECT_EQ(handler.Seen[index].LParam, -index);
    EXPECT_FALSE(handler.Seen[index].DeviceType.has_value());
  }
  for (const auto& id : handlerThreads) {
    EXPECT_EQ(id, mainThread);
  }
}

TEST_F(TLinuxLoopTest, AMessageForAWindowThatIsGoneReachesNoOtherWindow) {
  TRecordingHandler first;
  TRecordingHandler second;
  auto gone = Windows.CreateHiddenWindow(u"Test", first);
  gone->PostToSelf(kWmUser, 1, 0);
  gone.reset();
  auto next = Windows.CreateHiddenWindow(u"Test", second);
  next->PostToSelf(kWmUser, 2, 0);
  Loop.DispatchPending();
  EXPECT_TRUE(first.Seen.empty());
  ASSERT_EQ(second.Seen.size(), 1u);
  EXPECT_EQ(second.Seen[0].WParam, 2u);
}

TEST_F(TLinuxLoopTest, TimersRepeatUntilStoppedAndAHandlerCanStopOrDestroyDuringATick) {
  TRecordingHandler handler;
  auto window = Windows.CreateHiddenWindow(u"Test", handler);
  int ticks = 0;
  handler.OnMessage = [&](const TWindowMessage& AMessage) {
    if (AMessage.Msg == kWmTimer && AMessage.WParam == 5 && ++ticks == 3) {
      window->StopTimer(5);
      window->PostToSelf(kWmUser, 0, 0);
    } else if (AMessage.Msg == kWmUser) {
      window.reset();  // destroyed from its own handler, with a timer still running
      Loop.Quit();
    }
  };
  ASSERT_TRUE(window->StartTimer(5, 10));
  ASSERT_TRUE(window->StartTimer(6, 60000));
  EXPECT_FALSE(window->StartTimer(0, 10));
  Loop.Run();
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(window, nullptr);
  Loop.DispatchPending();  // nothing of the destroyed window may run any more
  EXPECT_EQ(ticks, 3);
}

TEST_F(TLinuxLoopTest, AHandlerThatDispatchesItselfGetsTheMessagesQueuedMeanwhile) {
  TRecordingHandler handler;
  auto window = Windows.CreateHiddenWindow(u"Test", handler);
  handler.OnMessage = [&](const TWindowMessage& AMessage) {
    if (AMessage.WParam == 1) {
      window->PostToSelf(kWmUser, 2, 0);
      Loop.DispatchPending();
      EXPECT_EQ(handler.Seen.size(), 2u);  // 2 arrived inside this handler, as on Windows
    }
  };
  window->PostToSelf(kWmUser, 1, 0);
  Loop.DispatchPending();
  ASSERT_EQ(handler.Seen.size(), 2u);
}

TEST_F(TLinuxLoopTest, TermAndInterruptSignalsTakeTheProgramsOwnWayOut) {
  posix::TPosixDebugOutput debug;
  TLinuxBusLink noLink({}, debug);
  TLinuxDesktop desktop(Loop, noLink);
  TRecordingEvents events;
  auto window = desktop.CreateAppWindow({}, events);
  events.OnQuit = [&] { desktop.Terminate(); };
  for (const int signal : {SIGTERM, SIGINT}) {
    std::thread sender([signal] { std::raise(signal); });
    sender.join();
    desktop.RunMessageLoop();
  }
  EXPECT_EQ(events.Quits, 2);
  window->PostToSelf(kWmUser + 3, 0, 0);
  desktop.ProcessPendingMessages();
  EXPECT_EQ(events.Messages, std::vector<std::uint32_t>{kWmUser + 3});
  EXPECT_EQ(desktop.RegisteredMessage(u"A"), desktop.RegisteredMessage(u"A"));
  EXPECT_NE(desktop.RegisteredMessage(u"A"), desktop.RegisteredMessage(u"B"));
  EXPECT_GE(desktop.RegisteredMessage(u"B"), 0xC000u);
}

}  // namespace
}  // namespace mon::lnx
