// The input-report readers: delivery on the main thread or the reader thread, parsed data,
// device loss, stopping, and reports of the wrong length.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "hid_test_support.h"

namespace mon::testing {
namespace {

std::vector<std::uint8_t> Report(std::uint8_t AReportId, std::vector<std::uint8_t> AData,
                                 std::size_t ALength = 8) {
  std::vector<std::uint8_t> report(ALength, 0);
  report[0] = AReportId;
  std::copy(AData.begin(), AData.end(), report.begin() + 1);
  return report;
}

class HidReaderTest : public HidComponentTest {
 protected:
  void Start(TuiHIDData& AHid, std::size_t AReadersPerPath = 1) {
    AHid.HidFindAndReadDevice(kVendorCollection, u"*");
    for (const auto& path : {kPathA, kPathB}) {
      const std::size_t readers = Platform.Hid.ReadingHandleCount(path);
      if (readers != 0) {
        ASSERT_EQ(readers, AReadersPerPath);
        ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(path, AReadersPerPath));
      }
    }
  }
  // Sends a report and runs the main thread until AExpected reports have been delivered.
  void SendAndDeliver(const std::u16string& APath, std::vector<std::uint8_t> AReport,
                      std::size_t AExpected) {
    Platform.Hid.SendReport(APath, std::move(AReport));
    ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() >= AExpected; }));
  }
};

TEST_F(HidReaderTest, AReportReachesOnDataOnTheMainThreadWhileTheReaderWaits) {
  auto setup = VendorInterface(kPathA, kIdA);
  setup.Caps.InputReportByteLength = 65;
  Platform.Hid.AddInterface(setup);
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetOnData(Recorder());
  Start(hid);
  EXPECT_EQ(hid.ReaderCount(), 1u);

  std::vector<std::uint8_t> report(65);
  report[0] = 0x07;
  for (std::size_t i = 1; i < report.size(); ++i) {
    report[i] = static_cast<std::uint8_t>(i);
  }
  Platform.Hid.SendReport(kPathA, report);
  ASSERT_TRUE(Platform.MainThread.WaitForPending(5s));
  EXPECT_EQ(ReceivedCount(), 0u);  // handed over, not run until the main thread gets to it
  Platform.Hid.SendReport(kPathA, Report(0x07, {0xEE}, 65));
  EXPECT_EQ(Platform.MainThread.RunPending(), 1u);
  ASSERT_EQ(ReceivedCount(), 1u);
  const TReceived& first = Received[0];
  EXPECT_EQ(first.DeviceID, kIdA);
  EXPECT_EQ(first.DevicePath, kPathA);
  EXPECT_EQ(first.ReportID, 0x07);
  EXPECT_EQ(first.Data, std::vector<std::uint8_t>(report.begin() + 1, report.end()));
  EXPECT_EQ(first.Data.size(), 64u);
  EXPECT_EQ(first.Thread, std::this_thread::get_id());
  // The second report waited in the device until the first one had been handled.
  ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() == 2; }));
  EXPECT_EQ(Received[1].Data[0], 0xEE);
  hid.HidStopRead();
}

TEST_F(HidReaderTest, OnParsedDataFollowsOnDataWithPressesAndReleases) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  std::vector<std::string> events;
  hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t, const std::uint8_t*,
                    std::uint16_t) { events.push_back("data"); });
  hid.SetOnParsedData([&](const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                          std::uint8_t AReportID, std::uint32_t AButtonData) {
    EXPECT_EQ(ADeviceID, kIdA);
    EXPECT_EQ(ADevicePath, kPathA);
    EXPECT_EQ(AReportID, 0x07);
    char text[32];
    std::snprintf(text, sizeof text, "parsed %08X", AButtonData);
    events.push_back(text);
  });
  Start(hid);
  const std::vector<std::vector<std::uint8_t>> reports = {
      Report(0x07, {0x04}),        // button 3 pressed
      Report(0x07, {0x04}),        // nothing changed
      Report(0x07, {0x06}),        // button 2 pressed as well
      Report(0x07, {0x12}),        // 3 released and 5 pressed: the release is reported
      Report(0x07, {0x00, 0x80}),  // 2 and 5 released, 16 pressed
      Report(0x07, {0x00, 0x00}),  // 16 released
  };
  for (const auto& report : reports) {
    Platform.Hid.SendReport(kPathA, report);
    const std::size_t expected = events.size() + 2;
    ASSERT_TRUE(PumpUntil([&] { return events.size() == expected; }));
  }
  EXPECT_EQ(events,
            (std::vector<std::string>{"data", "parsed 00030000", "data", "parsed 00000000", "data",
                                      "parsed 00020000", "data", "parsed 00000003", "data",
                                      "parsed 00000002", "data", "parsed 00000010"}));
  hid.HidStopRead();
}

TEST_F(HidReaderTest, UsageListsNeverGrowPastTheirHundredEntries) {
  auto setup = VendorInterface(kPathA, kIdA);
  setup.Caps.InputReportByteLength = 40;  // 312 button bits
  setup.MaxUsages = 300;                  // the device claims far more than the lists hold
  Platform.Hid.AddInterface(setup);
  TuiHIDData hid(nullptr, Platform.Platform());
  std::vector<std::uint32_t> parsed;
  hid.SetOnParsedData([&](const std::u16string&, const std::u16string&, std::uint8_t,
                          std::uint32_t AButtonData) { parsed.push_back(AButtonData); });
  Start(hid);
  auto pressed = [](std::size_t ACount) {
    std::vector<std::uint8_t> report(40, 0);
    report[0] = 0x07;
    for (std::size_t bit = 0; bit < ACount; ++bit) {
      report[1 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
    }
    return report;
  };
  Platform.Hid.SendReport(kPathA, pressed(120));  // more than 100 on: not parsed
  ASSERT_TRUE(PumpUntil([&] { return parsed.size() == 1; }));
  Platform.Hid.SendReport(kPathA, pressed(100));  // exactly 100: parsed, usage 1 is new
  ASSERT_TRUE(PumpUntil([&] { return parsed.size() == 2; }));
  Platform.Hid.SendReport(kPathA, pressed(99));  // usage 100 released
  ASSERT_TRUE(PumpUntil([&] { return parsed.size() == 3; }));
  EXPECT_EQ(parsed, (std::vector<std::uint32_t>{0, 0x00010000, 100}));
  hid.HidStopRead();
}

TEST_F(HidReaderTest, EveryMatchingInterfaceGetsAReaderOnTheSameOnData) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  Platform.Hid.AddInterface(MouseInterface());
  auto noIds = VendorInterface(kPathB, kIdB);
  noIds.HardwareIds.clear();
  Platform.Hid.AddInterface(noIds);
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetOnData(Recorder());
  Start(hid);
  EXPECT_EQ(hid.ReaderCount(), 2u);
  EXPECT_EQ(Platform.Hid.ReadingHandleCount(kPathMouse), 0u);
  SendAndDeliver(kPathA, Report(0x07, {1}), 1);
  SendAndDeliver(kPathB, Report(0x08, {2}), 2);
  EXPECT_EQ(Received[0].DevicePath, kPathA);
  EXPECT_EQ(Received[0].DeviceID, kIdA);
  EXPECT_EQ(Received[1].DevicePath, kPathB);
  EXPECT_EQ(Received[1].DeviceID, u"");  // no hardware IDs
  EXPECT_EQ(Received[1].ReportID, 0x08);
  hid.HidStopRead();
}

TEST_F(HidReaderTest, FindingTwiceReadsTwiceAndStopThenFindReadsOnce) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetOnData(Recorder());
  Start(hid);
  Start(hid, 2);
  EXPECT_EQ(hid.ReaderCount(), 2u);
  SendAndDeliver(kPathA, Report(0x07, {1}), 2);

  hid.HidStopRead();
  EXPECT_EQ(hid.ReaderCount(), 0u);
  EXPECT_EQ(Platform.Hid.OpenHandleCount(kPathA), 0u);  // every reader closed its handle
  Start(hid);
  EXPECT_EQ(hid.ReaderCount(), 1u);
  SendAndDeliver(kPathA, Report(0x07, {2}), 3);
  ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(kPathA, 1));
  Platform.MainThread.RunPending();
  EXPECT_EQ(ReceivedCount(), 3u);
  hid.HidStopRead();
}

TEST_F(HidReaderTest, StopAlsoEndsAReaderBlockedHandingAReportToTheMainThread) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetOnData(Recorder());
  Start(hid);
  Platform.Hid.SendReport(kPathA, Report(0x07, {0x01}));  // a mute press, say
  ASSERT_TRUE(Platform.MainThread.WaitForPending(5s));
  // The monitor's re-open: stop, then find, on the main thread, while the report waits for it.
  hid.HidStopRead();
  EXPECT_EQ(Platform.MainThread.PendingCount(), 0u);  // the hand-over was withdrawn
  EXPECT_EQ(hid.ReaderCount(), 0u);
  Start(hid);
  EXPECT_EQ(Platform.Hid.ReadingHandleCount(kPathA), 1u);
  EXPECT_EQ(Platform.MainThread.RunPending(), 0u);
  SendAndDeliver(kPathA, Report(0x07, {0x02}), 1);
  ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(kPathA, 1));
  Platform.MainThread.RunPending();
  ASSERT_EQ(ReceivedCount(), 1u);  // the old report never arrives, the new one once
  EXPECT_EQ(Received[0].Data[0], 0x02);
  hid.HidStopRead();
}

TEST_F(HidReaderTest, AHandlerThatStopsTheReadersEndsItsOwnReaderToo) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  int data = 0;
  int parsed = 0;
  hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t, const std::uint8_t*,
                    std::uint16_t) {
    ++data;
    hid.HidStopRead();  // on the main thread, inside this reader's delivery
  });
  hid.SetOnParsedData(
      [&](const std::u16string&, const std::u16string&, std::uint8_t, std::uint32_t) { ++parsed; });
  Start(hid);
  Platform.Hid.SendReport(kPathA, Report(0x07, {0x01}));
  Platform.Hid.SendReport(kPathA, Report(0x07, {0x02}));
  ASSERT_TRUE(PumpUntil([&] { return data == 1; }));
  EXPECT_EQ(parsed, 0);  // the stop came between the two callbacks
  ASSERT_TRUE(Platform.Hid.WaitForReadingHandles(kPathA, 0));
  ASSERT_TRUE(PumpUntil([&] { return hid.ReaderCount() == 0; }));
  EXPECT_EQ(data, 1);
}

TEST_F(HidReaderTest, FastOnDataDeliversOnTheReaderThreadAndNothingAfterStop) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetFastOnData(true);
  hid.SetOnData(Recorder());
  Start(hid);
  Platform.Hid.SendReport(kPathA, Report(0x07, {0x01}));
  ASSERT_TRUE(WaitUntil([&] { return Received.size() == 1; }));
  EXPECT_NE(Received[0].Thread, std::this_thread::get_id());
  EXPECT_EQ(Platform.MainThread.PendingCount(), 0u);
  ASSERT_TRUE(Platform.Hid.WaitForIdleReaders(kPathA, 1));
  hid.HidStopRead();
  EXPECT_EQ(Platform.Hid.OpenHandleCount(kPathA), 0u);
  Platform.Hid.SendReport(kPathA, Report(0x07, {0x02}));  // reaches no handle any more
  EXPECT_EQ(ReceivedCount(), 1u);
}

TEST_F(HidReaderTest, DeviceLossRaisesOnDeviceNotConnectedOnceOnTheReaderThread) {
  struct TCase {
    const char* Name;
    std::function<void(TFakeHidSystem&)> Lose;
    bool Notified;
  };
  const std::vector<TCase> cases = {
      {"unplugged", [](TFakeHidSystem& AHid) { AHid.RemoveInterface(kPathA); }, true},
      {"read aborted", [](TFakeHidSystem& AHid) { AHid.FailNextRead(kPathA, 995); }, true},
      {"read not connected", [](TFakeHidSystem& AHid) { AHid.FailNextRead(kPathA, 1167); }, true},
      {"issue not connected", [](TFakeHidSystem& AHid) { AHid.FailNextIssue(kPathA, 1167); }, true},
      {"issue invalid handle", [](TFakeHidSystem& AHid) { AHid.FailNextIssue(kPathA, 6); }, false},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Name);
    TFakePlatform platform;
    platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
    TuiHIDData hid(nullptr, platform.Platform());
    std::vector<std::thread::id> threads;
    std::mutex lock;
    hid.SetOnDeviceNotConnected(
        [&](const std::u16string& ADeviceID, const std::u16string& ADevicePath) {
          EXPECT_EQ(ADeviceID, kIdA);
          EXPECT_EQ(ADevicePath, kPathA);
          std::lock_guard guard(lock);
          threads.push_back(std::this_thread::get_id());
        });
    int data = 0;
    hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t) { ++data; });
    hid.HidFindAndReadDevice(kVendorCollection, u"*");
    ASSERT_TRUE(platform.Hid.WaitForIdleReaders(kPathA, 1));
    test.Lose(platform.Hid);
    // The reader ends and closes its handle after its notification.
    ASSERT_TRUE(platform.Hid.WaitForReadingHandles(kPathA, 0));
    ASSERT_TRUE(PumpUntil([&] { return hid.ReaderCount() == 0; }));
    platform.MainThread.RunPending();
    EXPECT_EQ(data, 0);
    std::lock_guard guard(lock);
    const auto trace = platform.Debug.Lines();
    if (test.Notified) {
      ASSERT_EQ(threads.size(), 1u);
      EXPECT_NE(threads[0], std::this_thread::get_id());
      EXPECT_EQ(trace, (std::vector<std::u16string>{kDeviceNotConnectedTrace}));
    } else {
      EXPECT_TRUE(threads.empty());
      EXPECT_TRUE(trace.empty());
    }
  }
}

TEST_F(HidReaderTest, OtherReadErrorsAreRetriedWithAGrowingPauseAndNeverGivenUp) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetOnData(Recorder());
  Start(hid);
  // A device whose reads keep failing is still read: the report after 1000 failures arrives.
  for (int i = 0; i < 1000; ++i) {
    Platform.Hid.FailNextRead(kPathA, 31);
  }
  SendAndDeliver(kPathA, Report(0x07, {0x01}), 1);
  EXPECT_EQ(hid.ReaderCount(), 1u);
  // ... without spinning: one pause per failure, doubling from 1 ms, then 1 s each.
  const std::vector<std::uint32_t> sleeps = Platform.Clock.Sleeps();
  ASSERT_EQ(sleeps.size(), 1000u);
  EXPECT_EQ(std::vector<std::uint32_t>(sleeps.begin(), sleeps.begin() + 11),
            (std::vector<std::uint32_t>{1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1000}));
  EXPECT_TRUE(std::all_of(sleeps.begin() + 10, sleeps.end(),
                          [](std::uint32_t APause) { return APause == kMaxReadRetryPauseMs; }));
  // A completed read starts the pauses over.
  Platform.Hid.FailNextRead(kPathA, 31);
  SendAndDeliver(kPathA, Report(0x07, {0x02}), 2);
  EXPECT_EQ(Platform.Clock.Sleeps().back(), 1u);
}

TEST_F(HidReaderTest, EmptyOversizedAndOverclaimedReadsAreNotDelivered) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));  // 8-byte input reports
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.SetOnData(Recorder());
  Start(hid);
  Platform.Hid.SendReport(kPathA, {});                                   // zero-length read
  Platform.Hid.SendReport(kPathA, Report(0x07, {0xBB}, 12));             // longer than declared
  SendAndDeliver(kPathA, Report(0x07, {0xAA, 1, 2, 3, 4, 5, 6}, 8), 1);  // intact after them
  ASSERT_EQ(ReceivedCount(), 1u);
  EXPECT_EQ(Received[0].Data, (std::vector<std::uint8_t>{0xAA, 1, 2, 3, 4, 5, 6}));
  // A short report is delivered with its own length.
  SendAndDeliver(kPathA, {0x08, 0x01}, 2);
  EXPECT_EQ(Received[1].Data, (std::vector<std::uint8_t>{0x01}));
  hid.HidStopRead();

  // A backend claiming more bytes than the buffer holds is not believed.
  TFakePlatform platform;
  auto lying = VendorInterface(kPathA, kIdA);
  lying.ClaimedReadBytes = 70000;
  platform.Hid.AddInterface(lying);
  TuiHIDData other(nullptr, platform.Platform());
  int data = 0;
  other.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t) { ++data; });
  other.HidFindAndReadDevice(kVendorCollection, u"*");
  ASSERT_TRUE(platform.Hid.WaitForIdleReaders(kPathA, 1));
  platform.Hid.SendReport(kPathA, Report(0x07, {0x01}));
  ASSERT_TRUE(platform.Hid.WaitForIdleReaders(kPathA, 1));
  platform.MainThread.RunPending();
  EXPECT_EQ(data, 0);
  other.HidStopRead();
}

TEST_F(HidReaderTest, ACollectionWithoutInputReportsEndsItsReaderAtOnce) {
  auto setup = VendorInterface(kPathA, kIdA);
  setup.Caps.InputReportByteLength = 0;
  Platform.Hid.AddInterface(setup);
  TuiHIDData hid(nullptr, Platform.Platform());
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  ASSERT_TRUE(Platform.Hid.WaitForReadingHandles(kPathA, 0));
  EXPECT_TRUE(PumpUntil([&] { return hid.ReaderCount() == 0; }));
}

TEST_F(HidReaderTest, HandlerExceptionsGoToTheCentralHandlerAndReadingGoesOn) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  int calls = 0;
  hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t, const std::uint8_t*,
                    std::uint16_t) {
    if (++calls == 1) {
      throw std::runtime_error("handler failed");
    }
  });
  Start(hid);
  Platform.Hid.SendReport(kPathA, Report(0x07, {1}));
  Platform.Hid.SendReport(kPathA, Report(0x07, {2}));
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }));
  EXPECT_EQ(ErrorsSeen(), (std::vector<std::u16string>{u"handler failed"}));
  hid.HidStopRead();
}

TEST_F(HidReaderTest, EventsAreReadAtEachUse) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  Start(hid);
  Platform.Hid.SendReport(kPathA, Report(0x07, {1}));  // no handler: dropped
  ASSERT_TRUE(PumpUntil([&] { return Platform.Hid.WaitForIdleReaders(kPathA, 1, 0ms); }));
  hid.SetOnData(Recorder());
  SendAndDeliver(kPathA, Report(0x07, {2}), 1);
  EXPECT_EQ(Received[0].Data[0], 2);
  hid.HidStopRead();
}

TEST_F(HidReaderTest, DestroyingTheComponentEndsItsReadersFirst) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  Platform.Hid.AddInterface(VendorInterface(kPathB, kIdB));
  {
    TuiHIDData hid(nullptr, Platform.Platform());
    hid.SetOnData(Recorder());
    Start(hid);
    Platform.Hid.SendReport(kPathA, Report(0x07, {1}));
    ASSERT_TRUE(Platform.MainThread.WaitForPending(5s));
  }
  EXPECT_EQ(Platform.Hid.OpenHandleCount(kPathA), 0u);
  EXPECT_EQ(Platform.Hid.OpenHandleCount(kPathB), 0u);
  EXPECT_EQ(Platform.MainThread.RunPending(), 0u);
  EXPECT_EQ(ReceivedCount(), 0u);
}

}  // namespace
}  // namespace mon::testing
