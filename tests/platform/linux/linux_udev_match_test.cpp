// The udev helper's decision on hidraw nodes in a sysfs tree made by the test: every captured
// device refused, the simulated mouse and captured devices with the vendor collection added
// granted, and files that hold no descriptor refused with a reason.
#include "platform/linux/linux_udev_match.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../temporary_folder.h"
#include "descriptor_file.h"
#include "hid/hid_report_descriptor.h"
#include "mouse_descriptor.h"

namespace mon::lnx {
namespace {

using mon::testing::LoadDescriptorFile;
using mon::testing::SimMouseDescriptor;
using Bytes = std::vector<std::uint8_t>;

// The captured descriptors: the byte form of each *_real.rpt_desc, by file name.
std::vector<std::pair<std::string, Bytes>> CapturedDescriptors() {
  std::vector<std::pair<std::string, Bytes>> found;
  for (const auto& entry : std::filesystem::directory_iterator(MON_HID_DESCRIPTOR_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with("_real.rpt_desc")) {
      const auto bytes = LoadDescriptorFile(entry.path().string());
      EXPECT_TRUE(bytes) << name;
      found.emplace_back(name, bytes.value_or(Bytes{}));
    }
  }
  return found;
}

// A top-level collection of the mouse's vendor page 0xFFA0 and usage AUsage with one 7-byte
// input report, under report ID AReportId (none when 0).
Bytes VendorCollection(std::uint8_t AUsage, std::uint8_t AReportId) {
  Bytes bytes{0x06, 0xA0, 0xFF, 0x09, AUsage, 0xA1, 0x01};
  if (AReportId != 0) {
    bytes.insert(bytes.end(), {0x85, AReportId});
  }
  bytes.insert(bytes.end(), {0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x81,
                             0x02, 0xC0});
  return bytes;
}

// A sysfs tree as the kernel lays it out: <hid device>/report_descriptor and the node at
// <hid device>/hidraw/hidraw0 with its "device" link back to the HID device.
class TUdevMatchTest : public ::testing::Test {
 protected:
  std::filesystem::path HidDevice() const {
    return FFolder.Path() / "devices" / "1-1" / "1-1:1.1" / "0003:1234:5678.0001";
  }
  std::filesystem::path Node() const { return HidDevice() / "hidraw" / "hidraw0"; }

  void SetUp() override {
    ASSERT_FALSE(FFolder.Path().empty());
    std::filesystem::create_directories(Node());
    std::filesystem::create_directory_symlink("../..", Node() / "device");
  }

  void WriteDescriptor(const Bytes& ABytes) const {
    std::ofstream file(HidDevice() / "report_descriptor", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(ABytes.data()),
               static_cast<std::streamsize>(ABytes.size()));
  }

  TUdevMatchOutcome OutcomeFor(const Bytes& ABytes) const {
    WriteDescriptor(ABytes);
    return MatchHidrawNode(Node()).Outcome;
  }

  mon::testing::TTemporaryFolder FFolder;
};

TEST_F(TUdevMatchTest, EveryCapturedDeviceIsRefusedTheHeadsetsVendorPageOfAnotherUsageToo) {
  const auto captured = CapturedDescriptors();
  ASSERT_GE(captured.size(), 25u);
  for (const auto& [name, bytes] : captured) {
    EXPECT_EQ(OutcomeFor(bytes), TUdevMatchOutcome::Refused) << name;
  }
  // The near miss is still in the data: the headset's 0xFFA0 collection, of usage 3.
  const auto headset = std::find_if(captured.begin(), captured.end(), [](const auto& AEntry) {
    return AEntry.first == "047F_C056_0003_FFA0_real.rpt_desc";
  });
  ASSERT_NE(headset, captured.end());
  const auto parsed = ParseHidReportDescriptor(headset->second);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Collections.at(0).Caps.UsagePage, 0xFFA0);
  EXPECT_EQ(parsed->Collections.at(0).Caps.Usage, 3);
}

TEST_F(TUdevMatchTest, TheMouseAndEveryCapturedDeviceWithTheVendorCollectionAddedAreGranted) {
  EXPECT_EQ(OutcomeFor(SimMouseDescriptor()), TUdevMatchOutcome::Granted);
  for (auto [name, bytes] : CapturedDescriptors()) {
    const auto parsed = ParseHidReportDescriptor(bytes);
    ASSERT_TRUE(parsed) << name;
    // A descriptor either numbers all its reports or none.
    const Bytes added = VendorCollection(0x01, parsed->UsesReportIds ? 0xF7 : 0);
    bytes.insert(bytes.end(), added.begin(), added.end());
    EXPECT_EQ(OutcomeFor(bytes), TUdevMatchOutcome::Granted) << name;
  }
  // Through the node's place in the tree when the "device" link is missing.
  std::filesystem::remove(Node() / "device");
  EXPECT_EQ(OutcomeFor(SimMouseDescriptor()), TUdevMatchOutcome::Granted);
}

TEST_F(TUdevMatchTest, ReadsUpToTheKernelsLimitAndNoFurther) {
  // The kernel's HID_MAX_DESCRIPTOR_SIZE, written out rather than taken from the code.
  constexpr std::size_t kKernelLimit = 4096;
  // The vendor collection with usages repeated up to exactly that size.
  Bytes full = VendorCollection(0x01, 0);
  const Bytes usage{0x09, 0x01};
  full.insert(full.begin() + 7, {0x0A, 0x01, 0x00});
  while (full.size() < kKernelLimit) {
    full.insert(full.begin() + 7, usage.begin(), usage.end());
  }
  ASSERT_EQ(full.size(), kKernelLimit);
  EXPECT_EQ(OutcomeFor(full), TUdevMatchOutcome::Granted);

  full.insert(full.begin() + 7, 0x00);
  WriteDescriptor(full);
  const TUdevMatch tooLong = MatchHidrawNode(Node());
  EXPECT_EQ(tooLong.Outcome, TUdevMatchOutcome::Unusable);
  EXPECT_NE(tooLong.Problem.find("longer than 4096 bytes"), std::string::npos) << tooLong.Problem;
}

TEST_F(TUdevMatchTest, AFileWithoutADescriptorIsUnusableAndSaysWhy) {
  const std::string path = (Node() / "device" / "report_descriptor").string();
  const auto problemFor = [&] {
    const TUdevMatch match = MatchHidrawNode(Node());
    EXPECT_EQ(match.Outcome, TUdevMatchOutcome::Unusable);
    EXPECT_NE(match.Problem.find(path), std::string::npos) << match.Problem;
    return match.Problem;
  };
  EXPECT_NE(problemFor().find("cannot open"), std::string::npos);

  // A captured file in its text form, as someone might copy it in place of the bytes.
  std::filesystem::copy_file(
      std::string(MON_HID_DESCRIPTOR_DIR) + "/046D_C077_0002_0001_real.rpt_desc",
      HidDevice() / "report_descriptor");
  EXPECT_NE(problemFor().find("is not a HID report descriptor"), std::string::npos);

  WriteDescriptor({});
  EXPECT_NE(problemFor().find("is empty"), std::string::npos);

  // A FIFO is refused at once instead of waiting for a writer.
  std::filesystem::remove(HidDevice() / "report_descriptor");
  ASSERT_EQ(::mkfifo((HidDevice() / "report_descriptor").c_str(), 0600), 0);
  EXPECT_NE(problemFor().find("is not a regular file"), std::string::npos);

  // A node path that udev would never pass.
  const TUdevMatch noNode = MatchHidrawNode(HidDevice() / "hidraw" / "hidraw9");
  EXPECT_EQ(noNode.Outcome, TUdevMatchOutcome::Unusable);
  EXPECT_NE(noNode.Problem.find("hidraw9 is not a device's sysfs folder"), std::string::npos)
      << noNode.Problem;
}

}  // namespace
}  // namespace mon::lnx
