// TuiHIDEvent: start-up events, device changes by kind and device type, the error guard.
#include "hid/uiHIDEvent.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "framework/application.h"

namespace mon::testing {
namespace {

class HidEventTest : public ::testing::Test {
 protected:
  HidEventTest() {
    App.OnException = [this](const std::u16string& AMessage) { Errors.push_back(AMessage); };
  }

  // Connects all three events to the log.
  void Wire(TuiHIDEvent& AEvent) {
    AEvent.OnDeviceArrival = [this, &AEvent](TComponent& ASender) {
      EXPECT_EQ(&ASender, &AEvent);
      Log.push_back("arrival");
    };
    AEvent.OnDeviceRemove = [this](TComponent&) { Log.push_back("remove"); };
    AEvent.OnDeviceChange = [this](TComponent&) { Log.push_back("change"); };
  }

  TFakeHiddenWindow& Window() {
    EXPECT_EQ(Windows.Windows().size(), 1u);
    return *Windows.Windows().front();
  }

  TApplication App;
  TFakeHiddenWindowFactory Windows;
  std::vector<std::string> Log;
  std::vector<std::u16string> Errors;
};

TEST_F(HidEventTest, StartUpRaisesOneChangeFromTheLoopAndOneArrivalAfter1500Ms) {
  TuiHIDEvent event(nullptr, Windows);
  Wire(event);
  EXPECT_EQ(event.ClassName(), u"TuiHIDEvent");
  EXPECT_EQ(event.UsbGuid(), u"{4d1e55b2-f16f-11cf-88cb-001111000030}");
  EXPECT_EQ(Window().ClassName(), TuiHIDEvent::kWindowClassName);
  EXPECT_EQ(event.WindowHandle(), Window().Handle());
  EXPECT_EQ(Window().Registrations(), (std::vector<TGuid>{kHidInterfaceClassGuid}));
  EXPECT_TRUE(event.Registered());
  EXPECT_TRUE(Log.empty());  // nothing is raised inside the constructor

  EXPECT_EQ(Windows.DispatchPosted(), 1u);
  EXPECT_EQ(Log, (std::vector<std::string>{"change"}));
  Windows.AdvanceTime(1499);
  EXPECT_EQ(Log.size(), 1u);
  Windows.AdvanceTime(1);
  EXPECT_EQ(Log, (std::vector<std::string>{"change", "arrival"}));
  EXPECT_FALSE(event.TimerToStartMonitorEnabled());
  EXPECT_FALSE(Window().TimerRunning(TuiHIDEvent::kTimerToStartMonitorId));
  Windows.AdvanceTime(60000);
  EXPECT_EQ(Log.size(), 2u);  // one-shot

  // A tick that was already queued when the timer stopped changes nothing.
  TWindowMessage late;
  late.Msg = kWmTimer;
  late.WParam = TuiHIDEvent::kTimerToStartMonitorId;
  EXPECT_TRUE(Window().Deliver(late));
  EXPECT_EQ(Log.size(), 2u);
}

TEST_F(HidEventTest, DeviceChangesRaiseByKindAndOnlyForDeviceInterfaces) {
  TuiHIDEvent event(nullptr, Windows);
  Wire(event);
  Windows.DispatchPosted();
  Log.clear();
  constexpr std::uint32_t kVolume = 2;
  constexpr std::uint32_t kPort = 3;
  constexpr std::uint32_t kHandle = 6;
  TFakeHiddenWindow& window = Window();
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceArrival, kDbtDevTypDeviceInterface));
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceArrival, kDbtDevTypDeviceInterface));
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceArrival, kVolume));
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceRemoveComplete, kPort));
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceRemoveComplete, kDbtDevTypDeviceInterface));
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceArrival, std::nullopt));    // no header
  EXPECT_TRUE(window.SendDeviceChange(0x8001, kDbtDevTypDeviceInterface));  // query remove
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceArrival, kHandle));
  EXPECT_TRUE(window.SendDeviceChange(kDbtDevNodesChanged, std::nullopt));
  EXPECT_EQ(Log, (std::vector<std::string>{"arrival", "arrival", "remove", "change"}));

  // Unassigned events are simply not raised; other messages are left to the system.
  event.OnDeviceRemove = nullptr;
  EXPECT_TRUE(window.SendDeviceChange(kDbtDeviceRemoveComplete, kDbtDevTypDeviceInterface));
  TWindowMessage other;
  other.Msg = kWmUser + 1;
  EXPECT_FALSE(window.Deliver(other));
  EXPECT_EQ(Log.size(), 4u);
}

TEST_F(HidEventTest, HandlerExceptionsGoToTheCentralHandlerAndTheWindowGoesOn) {
  TuiHIDEvent event(nullptr, Windows);
  int arrivals = 0;
  event.OnDeviceArrival = [&](TComponent&) {
    if (++arrivals == 1) {
      throw std::runtime_error("arrival handler failed");
    }
  };
  TWindowMessage message;
  message.Msg = kWmDeviceChange;
  message.WParam = kDbtDeviceArrival;
  message.DeviceType = kDbtDevTypDeviceInterface;
  message.Result = 99;
  EXPECT_TRUE(Window().Deliver(message));
  EXPECT_EQ(message.Result, 0);
  EXPECT_EQ(Errors, (std::vector<std::u16string>{u"arrival handler failed"}));
  EXPECT_TRUE(Window().SendDeviceChange(kDbtDeviceArrival, kDbtDevTypDeviceInterface));
  EXPECT_EQ(arrivals, 2);
  // The start-up arrival is guarded the same way.
  event.OnDeviceArrival = [](TComponent&) { throw std::runtime_error("timer handler failed"); };
  Windows.AdvanceTime(1500);
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_EQ(Errors.back(), u"timer handler failed");
}

TEST_F(HidEventTest, WithoutWindowOrRegistrationItDegradesQuietly) {
  Windows.FailCreate = true;
  {
    TuiHIDEvent event(nullptr, Windows);
    Wire(event);
    EXPECT_EQ(event.WindowHandle(), 0u);
    Windows.DispatchPosted();
    Windows.AdvanceTime(5000);
    EXPECT_TRUE(Log.empty());
  }
  Windows.FailCreate = false;
  Windows.FailRegistration = true;
  TuiHIDEvent event(nullptr, Windows);
  Wire(event);
  EXPECT_FALSE(event.Registered());
  Windows.DispatchPosted();
  Windows.AdvanceTime(1500);
  EXPECT_EQ(Log, (std::vector<std::string>{"change", "arrival"}));
}

TEST_F(HidEventTest, DestructionEndsTheWindowAndItsTimer) {
  {
    TuiHIDEvent event(nullptr, Windows);
    Wire(event);
  }
  EXPECT_TRUE(Windows.Windows().empty());
  EXPECT_EQ(Windows.DispatchPosted(), 0u);
  EXPECT_EQ(Windows.AdvanceTime(5000), 0u);
  EXPECT_TRUE(Log.empty());
}

TEST_F(HidEventTest, TheDeviceChangeHandlerCanBeOverridden) {
  class TWatching : public TuiHIDEvent {
   public:
    using TuiHIDEvent::TuiHIDEvent;
    std::vector<std::uintptr_t> Seen;

   protected:
    void DeviceChange(const TWindowMessage& AMessage) override {
      Seen.push_back(AMessage.WParam);
      TuiHIDEvent::DeviceChange(AMessage);
    }
  };
  TWatching event(nullptr, Windows);
  Wire(event);
  Windows.DispatchPosted();
  Window().SendDeviceChange(0x8006, std::nullopt);
  EXPECT_EQ(event.Seen, (std::vector<std::uintptr_t>{kDbtDevNodesChanged, 0x8006}));
  EXPECT_EQ(Log, (std::vector<std::string>{"change"}));
}

}  // namespace
}  // namespace mon::testing
