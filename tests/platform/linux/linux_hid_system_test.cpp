// The Linux HID service and its arrival watch against an umockdev testbed made by this process
// (the binary runs under umockdev-wrapper), with devices made of captured real descriptors.
#include "platform/linux/linux_hid_system.h"

#include <glib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "descriptor_file.h"
#include "hidraw_testbed.h"
#include "platform/linux/linux_hid_arrivals.h"

namespace mon::lnx {
namespace {

using mon::testing::LoadDescriptorFile;
using mon::testing::THidrawDeviceSpec;
using mon::testing::THidrawTestbed;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;

std::vector<std::uint8_t> Descriptor(std::initializer_list<const char*> ANames) {
  std::vector<std::uint8_t> bytes;
  for (const char* name : ANames) {
    const auto part = LoadDescriptorFile(std::string(MON_HID_DESCRIPTOR_DIR) + "/" + name);
    EXPECT_TRUE(part) << name;
    if (part) {
      bytes.insert(bytes.end(), part->begin(), part->end());
    }
  }
  return bytes;
}

// The headset's node: consumer control (IDs 1 2 5 7), telephony (8), vendor 0xFFA0 (3 0x14 0x15
// 0x1F), on USB interface 3.
THidrawDeviceSpec Headset() {
  return {0x0003, 0x047F, 0xC056, 0x03,
          Descriptor({"047F_C056_0001_000C_real.rpt_desc", "047F_C056_0005_000B_real.rpt_desc",
                      "047F_C056_0003_FFA0_real.rpt_desc"})};
}

// A mouse without report IDs on a bus without USB interfaces.
THidrawDeviceSpec Mouse() {
  return {0x0005, 0x046D, 0xC077, std::nullopt, Descriptor({"046D_C077_0002_0001_real.rpt_desc"})};
}

std::vector<std::uint8_t> Report(std::uint8_t AId, std::size_t ALength) {
  std::vector<std::uint8_t> report(ALength, static_cast<std::uint8_t>(AId + 0x40));
  report[0] = AId;
  return report;
}

class LinuxHidSystem : public ::testing::Test {
 protected:
  THidrawTestbed FTestbed;
  TLinuxHidSystem FHid;
  TStopSource FStop;
};

TEST_F(LinuxHidSystem, EachCollectionIsAnInterfaceWithWindowsHardwareIds) {
  ASSERT_EQ(FTestbed.Add(Headset()), "/dev/hidraw0");
  ASSERT_EQ(FTestbed.Add(Mouse()), "/dev/hidraw1");
  ASSERT_EQ(FTestbed.Add({0x0003, 0x1234, 0x0001, 0x00, {0xA1, 0x01}}), "/dev/hidraw2");

  const auto hidClass = FHid.HidInterfaceClass();
  ASSERT_EQ(hidClass, kHidInterfaceClassGuid);
  auto interfaces = FHid.EnumerateInterfaces(*hidClass);
  std::sort(interfaces.begin(), interfaces.end(),
            [](const auto& A, const auto& B) { return A.Path < B.Path; });
  // The node with an unparsable descriptor is left out.
  ASSERT_EQ(interfaces.size(), 4u);
  EXPECT_EQ(interfaces[0].Path, u"/dev/hidraw0&col01");
  EXPECT_EQ(interfaces[2].Path, u"/dev/hidraw0&col03");
  EXPECT_THAT(interfaces[2].HardwareIds,
              ElementsAre(u"HID\\VID_047F&PID_C056&MI_03&Col03", u"HID\\VID_047F&PID_C056&MI_03",
                          u"HID\\VID_047F&PID_C056"));
  EXPECT_EQ(interfaces[3].Path, u"/dev/hidraw1");
  EXPECT_THAT(interfaces[3].HardwareIds, ElementsAre(u"HID\\VID_046D&PID_C077"));

  EXPECT_THAT(FHid.EnumerateInterfaces(TGuid{}), IsEmpty());
}

TEST_F(LinuxHidSystem, OpenedCollectionsHaveTheirOwnCapabilitiesAndAttributes) {
  ASSERT_EQ(FTestbed.Add(Headset()), "/dev/hidraw0");
  ASSERT_EQ(FTestbed.Add(Mouse()), "/dev/hidraw1");
  const auto vendor = FHid.OpenDevice(u"/dev/hidraw0&col03", THidOpenMode::Synchronous);
  ASSERT_TRUE(vendor);
  const auto attributes = vendor->Attributes();
  ASSERT_TRUE(attributes);
  EXPECT_EQ(attributes->VendorID, 0x047F);
  EXPECT_EQ(attributes->ProductID, 0xC056);
  EXPECT_EQ(attributes->VersionNumber, 0x0100);  // the USB device's bcdDevice
  const auto caps = vendor->Capabilities();
  ASSERT_TRUE(caps);
  EXPECT_EQ(caps->UsagePage, 0xFFA0);
  EXPECT_EQ(caps->Usage, 0x0003);
  EXPECT_EQ(caps->InputReportByteLength, 33);
  EXPECT_EQ(caps->OutputReportByteLength, 33);
  EXPECT_EQ(caps->FeatureReportByteLength, 3);

  const auto telephony = FHid.OpenDevice(u"/dev/hidraw0&COL02", THidOpenMode::Synchronous);
  ASSERT_TRUE(telephony);
  EXPECT_EQ(telephony->Capabilities()->UsagePage, 0x000B);

  // Paths that name no collection of a present node.
  for (const std::u16string path : {u"/dev/hidraw0", u"/dev/hidraw0&col04", u"/dev/hidraw1&col01",
                                    u"/dev/hidraw9", u"/dev/null"}) {
    EXPECT_FALSE(FHid.OpenDevice(path, THidOpenMode::Synchronous))
        << std::string(path.begin(), path.end());
  }
}

TEST_F(LinuxHidSystem, AReportReachesOnlyTheCollectionItsIdBelongsTo) {
  ASSERT_EQ(FTestbed.Add(Headset()), "/dev/hidraw0");
  std::vector<std::uint8_t> buffer(33);
  // The emulated node is one stream for all its readers: one collection reads at a time.
  {
    const auto consumer = FHid.OpenDevice(u"/dev/hidraw0&col01", THidOpenMode::Overlapped);
    ASSERT_TRUE(consumer);
    ASSERT_TRUE(FTestbed.SendReport("/dev/hidraw0", Report(0x03, 33)));
    ASSERT_TRUE(FTestbed.SendReport("/dev/hidraw0", Report(0x05, 33)));
    const THidReadResult result = consumer->Read(buffer, FStop.Token());
    ASSERT_EQ(result.Status, THidReadStatus::Completed);
    EXPECT_EQ(buffer, Report(0x05, 33));
  }
  const auto vendor = FHid.OpenDevice(u"/dev/hidraw0&col03", THidOpenMode::Overlapped);
  ASSERT_TRUE(vendor);
  ASSERT_TRUE(FTestbed.SendReport("/dev/hidraw0", Report(0x07, 33)));
  ASSERT_TRUE(FTestbed.SendReport("/dev/hidraw0", Report(0x03, 33)));
  const THidReadResult result = vendor->Read(buffer, FStop.Token());
  ASSERT_EQ(result.Status, THidReadStatus::Completed);
  EXPECT_EQ(result.Bytes, 33u);
  EXPECT_EQ(buffer, Report(0x03, 33));
}

TEST_F(LinuxHidSystem, ReportsOfADeviceWithoutIdsGetAZeroIdAndOutputReachesTheDevice) {
  ASSERT_EQ(FTestbed.Add(Mouse()), "/dev/hidraw0");
  const auto reader = FHid.OpenDevice(u"/dev/hidraw0", THidOpenMode::Overlapped);
  ASSERT_TRUE(reader);
  ASSERT_TRUE(FTestbed.SendReport("/dev/hidraw0", std::vector<std::uint8_t>{1, 2, 3, 4}));
  std::vector<std::uint8_t> buffer(reader->Capabilities()->InputReportByteLength);
  ASSERT_EQ(reader->Read(buffer, FStop.Token()).Status, THidReadStatus::Completed);
  EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0, 1, 2, 3, 4}));
  // The button parse takes the report with its 0 in front: bit 0 of byte 1 is button 1.
  const auto usages = reader->InputUsages(buffer, reader->MaxInputUsageListLength());
  ASSERT_TRUE(usages);
  ASSERT_EQ(usages->size(), 1u);
  EXPECT_EQ((*usages)[0].UsagePage, 0x0009);
  EXPECT_EQ((*usages)[0].Usage, 1);
  EXPECT_EQ(reader->Write(buffer).Error, kErrorInvalidHandle);  // not on a reading handle

  const auto writer = FHid.OpenDevice(u"/dev/hidraw0", THidOpenMode::Synchronous);
  ASSERT_TRUE(writer);
  const std::vector<std::uint8_t> output{0x00, 0x5A, 0xA5};
  const THidTransfer sent = writer->Write(output);
  EXPECT_TRUE(sent.Ok);
  EXPECT_EQ(sent.Transferred, 3u);
  EXPECT_EQ(FTestbed.ReceiveOutput("/dev/hidraw0", 3, 5000), output);
  EXPECT_EQ(writer->Read(buffer, FStop.Token()).Status, THidReadStatus::IssueFailed);
}

TEST_F(LinuxHidSystem, StopEndsAReadBlockedOnTheNodeWithin100Ms) {
  ASSERT_EQ(FTestbed.Add(Headset()), "/dev/hidraw0");
  const auto vendor = FHid.OpenDevice(u"/dev/hidraw0&col03", THidOpenMode::Overlapped);
  ASSERT_TRUE(vendor);
  std::vector<std::uint8_t> buffer(33);
  // One report first: the reader is then surely past its set-up and back in its wait.
  ASSERT_TRUE(FTestbed.SendReport("/dev/hidraw0", Report(0x03, 33)));
  std::promise<void> firstRead;
  auto reading = std::async(std::launch::async, [&] {
    const THidReadResult first = vendor->Read(buffer, FStop.Token());
    firstRead.set_value();
    EXPECT_EQ(first.Status, THidReadStatus::Completed);
    return vendor->Read(buffer, FStop.Token());
  });
  firstRead.get_future().wait();
  const auto stopAt = std::chrono::steady_clock::now();
  FStop.RequestStop();
  ASSERT_EQ(reading.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_LT(std::chrono::steady_clock::now() - stopAt, std::chrono::milliseconds(100));
  EXPECT_EQ(reading.get().Status, THidReadStatus::Stopped);
}

// Runs AContext until ADone() or five seconds have passed; ADone()'s value at the end.
bool IterateUntil(GMainContext* AContext, const std::function<bool()>& ADone) {
  const gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
  GSource* tick = g_timeout_source_new(20);  // bounds each blocking iteration
  g_source_set_callback(
      tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
  g_source_attach(tick, AContext);
  while (!ADone() && g_get_monotonic_time() < deadline) {
    g_main_context_iteration(AContext, TRUE);
  }
  g_source_destroy(tick);
  g_source_unref(tick);
  return ADone();
}

TEST_F(LinuxHidSystem, AnAddedNodeReachesTheArrivalCallbackInTheThreadsMainContext) {
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  std::vector<std::string> earlier;
  {
    THidArrivals watch([&](const std::string& ADevNode) { earlier.push_back(ADevNode); });
    ASSERT_TRUE(watch.IsWatching());
    ASSERT_EQ(FTestbed.Add(Mouse()), "/dev/hidraw0");
    EXPECT_TRUE(IterateUntil(context, [&] { return !earlier.empty(); }));
    // A removal is no arrival.
    ASSERT_TRUE(FTestbed.Remove("/dev/hidraw0"));
  }
  // The destroyed watch's source is gone with it: a later arrival reaches only the new watch
  // (a source left behind would call into the destroyed object).
  std::vector<std::string> later;
  {
    THidArrivals watch([&](const std::string& ADevNode) { later.push_back(ADevNode); });
    ASSERT_EQ(FTestbed.Add(Headset()), "/dev/hidraw1");
    EXPECT_TRUE(IterateUntil(context, [&] { return !later.empty(); }));
  }
  EXPECT_THAT(earlier, ElementsAre("/dev/hidraw0"));
  EXPECT_THAT(later, ElementsAre("/dev/hidraw1"));
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
}

}  // namespace
}  // namespace mon::lnx
