// The reading of one collection's input reports, on a pipe in place of the hidraw node: the
// pipe's end of file and hang-up stand for an unplugged device (the emulated node never hangs
// up), and its byte stream for a node.
#include "platform/linux/linux_hidraw_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

namespace mon::lnx {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class HidrawInput : public ::testing::Test {
 protected:
  void SetUp() override {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    FNode.Reset(ends[0]);
    FDevice.Reset(ends[1]);
  }
  void Send(std::vector<std::uint8_t> AReport) {
    ASSERT_EQ(::write(FDevice.Get(), AReport.data(), AReport.size()),
              static_cast<ssize_t>(AReport.size()));
  }
  static std::vector<std::uint8_t> Report(std::uint8_t AId, std::size_t ALength) {
    std::vector<std::uint8_t> report(ALength, AId);
    report[0] = AId;
    return report;
  }

  TUniqueFd FNode;
  TUniqueFd FDevice;
  TStopSource FStop;
};

TEST_F(HidrawInput, DeliversOnlyItsOwnReportIdsAndPadsShortReports) {
  THidrawInput input(FNode.Get(), {33, true, {0x03, 0x14}});
  Send(Report(0x05, 33));  // another collection's
  Send(Report(0x03, 33));
  std::vector<std::uint8_t> buffer(40, 0xEE);
  THidReadResult result = input.Read(buffer, FStop.Token());
  ASSERT_EQ(result.Status, THidReadStatus::Completed);
  EXPECT_EQ(result.Bytes, 33u);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 33), Report(0x03, 33));

  Send({0x14, 0x01});  // a real node gives a short report as it is
  result = input.Read(buffer, FStop.Token());
  ASSERT_EQ(result.Status, THidReadStatus::Completed);
  EXPECT_EQ(result.Bytes, 33u);
  std::vector<std::uint8_t> padded(33, 0);
  padded[0] = 0x14;
  padded[1] = 0x01;
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 33), padded);
}

TEST_F(HidrawInput, PutsAZeroReportIdBeforeReportsOfDevicesWithoutIds) {
  THidrawInput input(FNode.Get(), {5, false, {0}});
  Send({0x01, 0x02, 0x03, 0x04});
  std::vector<std::uint8_t> buffer(5);
  const THidReadResult result = input.Read(buffer, FStop.Token());
  ASSERT_EQ(result.Status, THidReadStatus::Completed);
  EXPECT_EQ(result.Bytes, 5u);
  EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x00, 0x01, 0x02, 0x03, 0x04}));
}

TEST_F(HidrawInput, HangUpIsDeviceLossAfterWaitingReportsAreRead) {
  THidrawInput input(FNode.Get(), {2, true, {0x08}});
  Send({0x08, 0x01});
  FDevice.Reset();
  std::vector<std::uint8_t> buffer(2);
  EXPECT_EQ(input.Read(buffer, FStop.Token()).Status, THidReadStatus::Completed);
  const THidReadResult lost = input.Read(buffer, FStop.Token());
  EXPECT_EQ(lost.Status, THidReadStatus::Failed);
  EXPECT_EQ(lost.Error, kErrorDeviceNotConnected);
}

TEST_F(HidrawInput, StopEndsAReadBlockedInPollPromptly) {
  THidrawInput input(FNode.Get(), {2, true, {0x08}});
  std::vector<std::uint8_t> buffer(2);
  std::promise<void> reading;
  auto done = std::async(std::launch::async, [&] {
    reading.set_value();
    return input.Read(buffer, FStop.Token());
  });
  reading.get_future().wait();
  // Let the reader get into its wait; the stop must end it either way.
  ASSERT_EQ(done.wait_for(milliseconds(50)), std::future_status::timeout);
  const auto stopAt = steady_clock::now();
  FStop.RequestStop();
  ASSERT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_LT(steady_clock::now() - stopAt, milliseconds(100));
  EXPECT_EQ(done.get().Status, THidReadStatus::Stopped);
  // A stop requested before the read: no wait at all.
  EXPECT_EQ(input.Read(buffer, FStop.Token()).Status, THidReadStatus::Stopped);
}

TEST_F(HidrawInput, ReadsThatCannotBeDoneFailAtOnce) {
  std::vector<std::uint8_t> small(8);
  EXPECT_EQ(THidrawInput(FNode.Get(), {33, true, {0x03}}).Read(small, FStop.Token()).Status,
            THidReadStatus::IssueFailed);
  EXPECT_EQ(THidrawInput(FNode.Get(), {0, true, {}}).Read(small, FStop.Token()).Status,
            THidReadStatus::IssueFailed);
}

}  // namespace
}  // namespace mon::lnx
