// The device walk and the write, feature and existence operations of TuiHIDData.
#include <gtest/gtest.h>

#include "hid_param.h"
#include "hid_test_support.h"

namespace mon::testing {
namespace {

class HidDataTest : public HidComponentTest {
 protected:
  static THIDDataParam Param(USAGE_AND_PAGE AUsage, std::u16string ADeviceId, std::uint32_t ASize) {
    return testing::NumberedParam(AUsage, std::move(ADeviceId), ASize);
  }

  void UseIncludeList(const std::string& AEntries) {
    Platform.Files.AddTextFile(u"C:\\Program\\config.ini", "[IncludeHIDDeviceList]\n" + AEntries);
  }
};

TEST_F(HidDataTest, NothingPresentGivesFalseAndNoDeviceResults) {
  TuiHIDData hid(nullptr, Platform.Platform());
  auto param = Param(kVendorCollection, u"*", 8);
  EXPECT_FALSE(hid.IsDeviceExist(param));
  EXPECT_FALSE(hid.HidFindAndWriteDevice(param));
  EXPECT_FALSE(hid.HidFindAndWriteDeviceBYHID(param));
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(param), kFeatureNoDeviceResult);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(param), kFeatureNoDeviceResult);
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  EXPECT_EQ(hid.ReaderCount(), 0u);
  // An enumeration that fails is the same as an empty one.
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  Platform.Hid.SetFailEnumeration(true);
  EXPECT_FALSE(hid.IsDeviceExist(param));
  EXPECT_FALSE(hid.HidFindAndWriteDevice(param));
}

TEST_F(HidDataTest, WalksTheHidClassAndMatchesUsagePageAndUsage) {
  Platform.Hid.AddInterface(MouseInterface());
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  TuiHIDData hid(nullptr, Platform.Platform());
  EXPECT_EQ(hid.HidGuid(), kHidInterfaceClassGuid);
  EXPECT_TRUE(hid.IsDeviceExist(Param(kVendorCollection, u"*", 0)));
  EXPECT_EQ(Platform.Hid.LastEnumeratedClass(), kHidInterfaceClassGuid);
  EXPECT_FALSE(hid.IsDeviceExist(Param({0x0002, 0xFFA0}, u"*", 0)));  // right page, wrong usage
  EXPECT_FALSE(hid.IsDeviceExist(Param({0x0001, 0x0001}, u"*", 0)));  // wrong page
  EXPECT_TRUE(hid.IsDeviceExist(Param({0x0002, 0x0001}, u"", 0)));    // the mouse collection
  // Device IDs: whole and case-insensitive; a prefix is not enough.
  EXPECT_TRUE(hid.IsDeviceExist(Param(kVendorCollection, u"hid\\vid_1234&pid_5678", 0)));
  EXPECT_FALSE(hid.IsDeviceExist(Param(kVendorCollection, u"HID\\VID_1234", 0)));
  // Every handle of the walk is closed again.
  EXPECT_EQ(Platform.Hid.OpenHandleCount(kPathA), 0u);
  EXPECT_EQ(Platform.Hid.OpenHandleCount(kPathMouse), 0u);
}

TEST_F(HidDataTest, TheSystemsClassIsUsedAndTheHidConstantWhenItHasNone) {
  const TGuid other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  Platform.Hid.SetInterfaceClass(other);
  {
    TuiHIDData hid(nullptr, Platform.Platform());
    hid.IsDeviceExist(Param(kVendorCollection, u"*", 0));
    EXPECT_EQ(Platform.Hid.LastEnumeratedClass(), other);
  }
  Platform.Hid.SetInterfaceClass(std::nullopt);
  TuiHIDData hid(nullptr, Platform.Platform());
  EXPECT_EQ(hid.HidGuid(), kHidInterfaceClassGuid);
}

TEST_F(HidDataTest, InterfacesThatFailToOpenOrAnswerAreSkippedAndTheWalkGoesOn) {
  for (int failure = 0; failure < 3; ++failure) {
    TFakePlatform platform;
    auto broken = VendorInterface(kPathA, kIdA);
    broken.FailOpen = failure == 0;
    broken.FailAttributes = failure == 1;
    broken.FailCapabilities = failure == 2;
    platform.Hid.AddInterface(broken);
    TuiHIDData hid(nullptr, platform.Platform());
    auto param = Param(kVendorCollection, kIdA, 8);
    EXPECT_FALSE(hid.IsDeviceExist(param)) << failure;
    platform.Hid.AddInterface(VendorInterface(kPathB, kIdB));
    param.DeviceID = u"*";
    EXPECT_TRUE(hid.HidFindAndWriteDevice(param)) << failure;
    EXPECT_TRUE(platform.Hid.Writes(kPathA).empty());
    EXPECT_EQ(platform.Hid.Writes(kPathB).size(), 1u);
  }
}

TEST_F(HidDataTest, IncludeListFiltersUnlessASpecificDeviceIdIsAsked) {
  UseIncludeList("id1=hid\\vid_1234&pid_5678&mi_02&col01\n");
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));
  Platform.Hid.AddInterface(VendorInterface(kPathB, kIdB));
  TuiHIDData hid(nullptr, Platform.Platform());
  EXPECT_EQ(hid.HidDeviceList().size(), 1u);
  auto param = Param(kVendorCollection, u"*", 8);
  EXPECT_TRUE(hid.HidFindAndWriteDevice(param));
  EXPECT_TRUE(Platform.Hid.Writes(kPathA).empty());
  EXPECT_EQ(Platform.Hid.Writes(kPathB).size(), 1u);
  // A specific ID reaches a device the include list leaves out.
  param.DeviceID = kIdA;
  EXPECT_TRUE(hid.HidFindAndWriteDevice(param));
  EXPECT_EQ(Platform.Hid.Writes(kPathA).size(), 1u);
  // The by-ID write ignores the include list: "*" writes to both.
  param.DeviceID = u"*";
  EXPECT_TRUE(hid.HidFindAndWriteDeviceBYHID(param));
  EXPECT_EQ(Platform.Hid.Writes(kPathA).size(), 2u);
  EXPECT_EQ(Platform.Hid.Writes(kPathB).size(), 2u);
  // The readers obey the same rule.
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  EXPECT_EQ(Platform.Hid.ReadingHandleCount(kPathA), 0u);
  EXPECT_EQ(Platform.Hid.ReadingHandleCount(kPathB), 1u);
  hid.HidStopRead();
}

TEST_F(HidDataTest, WriteLengthsCountTheReportIdByteOrNot) {
  Platform.Hid.AddInterface(VendorInterface(kPathA, kIdA));  // output reports of 9 bytes
  TuiHIDData hid(nullptr, Platform.Platform());
  const auto param = Param(kVendorCollection, u"*", 8);
  ASSERT_TRUE(hid.HidFindAndWriteDevice(param));
  ASSERT_TRUE(hid.HidFindAndWriteDeviceBYHID(param));
  const auto writes = Platform.Hid.Writes(kPathA);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0],
            (std::vector<std::uint8_t>{0x05, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}));
  EXPECT_EQ(writes[1], (std::vector<std::uint8_t>{0x05, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16}));
}

TEST_F(HidDataTest, ShortReportsAreSkippedNotTruncated) {
  auto shortOutput = VendorInterface(kPathA, kIdA);
  shortOutput.Caps.OutputReportByteLength = 7;
  shortOutput.Caps.FeatureReportByteLength = 7;
  Platform.Hid.AddInterface(shortOutput);
  TuiHIDData hid(nullptr, Platform.Platform());
  auto param = Param(kVendorCollection, u"*", 8);
  EXPECT_FALSE(hid.HidFindAndWriteDevice(param));
  EXPECT_FALSE(hid.HidFindAndWriteDeviceBYHID(param));
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(param), kFeatureNoDeviceResult);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(param), kFeatureNoDeviceResult);
  EXPECT_TRUE(Platform.Hid.Writes(kPathA).empty());
  EXPECT_TRUE(Platform.Hid.FeatureSets(kPathA).empty());
  EXPECT_EQ(Platform.Hid.FeatureGetCount(kPathA), 0u);
  // Equal lengths are enough.
  param.Data.DATASIZE = 7;
  EXPECT_TRUE(hid.HidFindAndWriteDevice(param));
  EXPECT_EQ(Platform.Hid.Writes(kPathA).back().size(), 8u);
  // Sizes beyond the buffer are refused outright.
  param.Data.DATASIZE = 0xFFFFFFFFu;
  EXPECT_FALSE(hid.HidFindAndWriteDevice(param));
  EXPECT_FALSE(hid.HidFindAndWriteDeviceBYHID(param));
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(param), kFeatureNoDeviceResult);
}

TEST_F(HidDataTest, EveryMatchingInterfaceIsWrittenAndAFailedWriteIsNoSuccess) {
  auto failing = VendorInterface(kPathA, kIdA);
  failing.WriteError = 1167;
  Platform.Hid.AddInterface(failing);
  TuiHIDData hid(nullptr, Platform.Platform());
  const auto param = Param(kVendorCollection, u"*", 8);
  EXPECT_FALSE(hid.HidFindAndWriteDevice(param));
  Platform.Hid.AddInterface(VendorInterface(kPathB, kIdB));
  EXPECT_TRUE(hid.HidFindAndWriteDevice(param));  // one success is enough
  EXPECT_EQ(Platform.Hid.Writes(kPathB).size(), 1u);
}

TEST_F(HidDataTest, FeatureReportsCopyDataBackAndReturnErrorCodes) {
  auto setup = VendorInterface(kPathA, kIdA);
  setup.FeatureReport = {0x05, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9};
  Platform.Hid.AddInterface(setup);
  TuiHIDData hid(nullptr, Platform.Platform());
  auto param = Param(kVendorCollection, u"ignored-by-features", 4);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(param), 0u);
  EXPECT_EQ(param.Data.ReportID, 0x05);
  EXPECT_EQ(param.Data.DATAReally[0], 0xA1);
  EXPECT_EQ(param.Data.DATAReally[2], 0xA3);
  EXPECT_EQ(param.Data.DATAReally[3], 0x13);  // beyond DATASIZE: untouched

  param = Param(kVendorCollection, u"", 6);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(param), 0u);
  EXPECT_EQ(param.DeviceHandle, Platform.Hid.LastHandleValue(kPathA));
  EXPECT_NE(param.DeviceHandle, 0u);
  ASSERT_EQ(Platform.Hid.FeatureSets(kPathA).size(), 1u);
  EXPECT_EQ(Platform.Hid.FeatureSets(kPathA)[0],
            (std::vector<std::uint8_t>{0x05, 0x10, 0x11, 0x12, 0x13, 0x14}));
}

TEST_F(HidDataTest, AFailedFeatureTransferIsNeverReportedAsSuccess) {
  auto setup = VendorInterface(kPathA, kIdA);
  setup.FeatureError = 87;
  Platform.Hid.AddInterface(setup);
  auto silent = VendorInterface(kPathB, kIdB);
  silent.FeatureFailsWithoutError = true;
  Platform.Hid.AddInterface(silent);
  TuiHIDData hid(nullptr, Platform.Platform());
  auto param = Param(kVendorCollection, u"*", 4);
  // Each match overwrites the result: the second interface failed last, with no error code set.
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(param), kErrorGenFailure);
  EXPECT_EQ(param.Data.DATAReally[0], 0x10);  // nothing copied back
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(param), kErrorGenFailure);
  EXPECT_EQ(Platform.Hid.FeatureGetCount(kPathA), 1u);
  Platform.Hid.RemoveInterface(kPathB);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(param), 87u);
}

}  // namespace
}  // namespace mon::testing
