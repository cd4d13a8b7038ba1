// Paths and hardware IDs of hidraw collections in the forms the include list and the matching
// rules of the core expect.
#include "platform/linux/linux_hid_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mon::lnx {
namespace {

using ::testing::ElementsAre;

const THidBusIds kHeadset{0x0003, 0x047F, 0xC056};

TEST(HidNames, HardwareIdsGoFromMostToLeastSpecific) {
  EXPECT_THAT(HidHardwareIds(kHeadset, 0x03, 1, 3),
              ElementsAre(u"HID\\VID_047F&PID_C056&MI_03&Col02", u"HID\\VID_047F&PID_C056&MI_03",
                          u"HID\\VID_047F&PID_C056"));
  EXPECT_THAT(HidHardwareIds({0x0005, 0x046D, 0xB010}, std::nullopt, 0, 2),
              ElementsAre(u"HID\\VID_046D&PID_B010&Col01", u"HID\\VID_046D&PID_B010"));
  EXPECT_THAT(HidHardwareIds({0x0003, 0x00ab, 0x000c}, 0x1A, 0, 1),
              ElementsAre(u"HID\\VID_00AB&PID_000C&MI_1A", u"HID\\VID_00AB&PID_000C"));
}

TEST(HidNames, PathsNameNodeAndCollectionAndParseBack) {
  EXPECT_EQ(HidInterfacePath("/dev/hidraw0", 0, 1), u"/dev/hidraw0");
  EXPECT_EQ(HidInterfacePath("/dev/hidraw12", 2, 3), u"/dev/hidraw12&col03");
  for (const std::u16string path : {u"/dev/hidraw12&col03", u"/dev/hidraw12&COL03"}) {
    const auto parsed = ParseHidInterfacePath(path);
    ASSERT_TRUE(parsed) << std::string(path.begin(), path.end());
    EXPECT_EQ(parsed->DevNode, "/dev/hidraw12");
    EXPECT_EQ(parsed->CollectionIndex, 2u);
  }
  const auto plain = ParseHidInterfacePath(u"/dev/hidraw0");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->CollectionIndex, 0u);
}

TEST(HidNames, PathsOutsideDevOrWithBadCollectionNumbersAreRefused) {
  for (const std::u16string path :
       {u"", u"/dev/", u"/tmp/hidraw0", u"/dev/../etc/passwd", u"/dev/x/hidraw0", u"hidraw0",
        u"/dev/hidraw0&col00", u"/dev/hidraw0&col256", u"/dev/hidraw0&col1x", u"/dev/hidraw0&col",
        u"/dev/hidr\u00e4w0", u"\\\\?\\hid#vid_047f"}) {
    EXPECT_FALSE(ParseHidInterfacePath(path)) << std::string(path.begin(), path.end());
  }
}

TEST(HidNames, HidIdAndSysfsNumbersParseOnlyWhenWellFormed) {
  const auto ids = ParseHidId("0003:0000047F:0000C056");
  ASSERT_TRUE(ids);
  EXPECT_EQ(ids->Bus, 0x0003);
  EXPECT_EQ(ids->Vendor, 0x047F);
  EXPECT_EQ(ids->Product, 0xC056);
  for (const char* bad : {"", "0003:047F", "0003:0001047F:0000C056", "0003::0000C056",
                          "0003:0000047F:0000C056:1", "0003:0000047G:0000C056"}) {
    EXPECT_FALSE(ParseHidId(bad)) << bad;
  }
  EXPECT_EQ(ParseInterfaceNumber("03\n"), 0x03);
  EXPECT_FALSE(ParseInterfaceNumber("103"));
  EXPECT_EQ(ParseReleaseNumber("0100\n"), 0x0100);
  EXPECT_FALSE(ParseReleaseNumber(""));
}

}  // namespace
}  // namespace mon::lnx
