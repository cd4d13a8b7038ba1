#include "hid/hid_matching.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "framework/text.h"

namespace mon {
namespace {

TIniFile Ini(const std::string& AText) {
  return TIniFile::Parse(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(AText.data()), AText.size()));
}

TEST(IncludeListTest, ReadsKeysInOrderUpToTheFirstEmptyOrMissingOne) {
  EXPECT_TRUE(ReadIncludeHIDDeviceList(Ini("")).empty());
  EXPECT_TRUE(ReadIncludeHIDDeviceList(Ini("[other]\nid1=x\n")).empty());
  EXPECT_EQ(ReadIncludeHIDDeviceList(Ini("[IncludeHIDDeviceList]\nid2=B\nid1=A\nid3=C\n")),
            (std::vector<std::u16string>{u"A", u"B", u"C"}));
  // A gap ends the list: id4 is never taken.
  EXPECT_EQ(ReadIncludeHIDDeviceList(Ini("[includehiddevicelist]\nID1=A\nid2=B\nid4=D\n")),
            (std::vector<std::u16string>{u"A", u"B"}));
  // An empty value ends it just the same.
  EXPECT_EQ(ReadIncludeHIDDeviceList(Ini("[IncludeHIDDeviceList]\nid1=A\nid2=\nid3=C\n")),
            (std::vector<std::u16string>{u"A"}));
}

TEST(IncludeListTest, TakesAtMost101EntriesAndNeverKey102) {
  std::string text = "[IncludeHIDDeviceList]\n";
  for (int i = 1; i <= 102; ++i) {
    text += "id" + std::to_string(i) + "=HID\\VID_" + std::to_string(i) + "\n";
  }
  const auto list = ReadIncludeHIDDeviceList(Ini(text));
  ASSERT_EQ(list.size(), 101u);
  EXPECT_EQ(list.front(), u"HID\\VID_1");
  EXPECT_EQ(list.back(), u"HID\\VID_101");
}

TEST(IncludeListTest, ComesFromConfigIniBesideTheExecutable) {
  testing::TMemoryFileSystem files(u"C:\\Monitor\\");
  testing::TFakeLocale locale;
  EXPECT_TRUE(LoadIncludeHIDDeviceList(files, locale).empty());  // no file: no filter
  files.AddTextFile(u"C:\\Monitor\\config.ini",
                    "[options]\nx=1\n[IncludeHIDDeviceList]\nid1=HID\\VID_1234&PID_5678\n");
  EXPECT_EQ(LoadIncludeHIDDeviceList(files, locale),
            (std::vector<std::u16string>{u"HID\\VID_1234&PID_5678"}));
  // A config.ini elsewhere is not ours.
  testing::TMemoryFileSystem other(u"C:\\Elsewhere\\");
  other.AddTextFile(u"C:\\Monitor\\config.ini", "[IncludeHIDDeviceList]\nid1=X\n");
  EXPECT_TRUE(LoadIncludeHIDDeviceList(other, locale).empty());
}

const std::vector<std::u16string> kIds = {u"HID\\VID_1234&PID_5678&MI_01&Col02",
                                          u"HID\\VID_1234&PID_5678&MI_01"};

TEST(IdRulesTest, IncludeListMatchesWholeIdsIgnoringCase) {
  EXPECT_TRUE(PassesIncludeList({}, kIds));
  EXPECT_TRUE(PassesIncludeList({}, {}));
  EXPECT_TRUE(PassesIncludeList({u"hid\\vid_1234&pid_5678&mi_01"}, kIds));
  EXPECT_TRUE(PassesIncludeList({u"other", u"HID\\VID_1234&PID_5678&MI_01&COL02"}, kIds));
  // Prefix, substring and longer texts do not match.
  EXPECT_FALSE(PassesIncludeList({u"HID\\VID_1234"}, kIds));
  EXPECT_FALSE(PassesIncludeList({u"VID_1234&PID_5678&MI_01"}, kIds));
  EXPECT_FALSE(PassesIncludeList({u"HID\\VID_1234&PID_5678&MI_01&Col02&x"}, kIds));
  EXPECT_FALSE(PassesIncludeList({u"HID\\VID_1234&PID_5678&MI_01"}, {}));
}

TEST(IdRulesTest, EachOperationRuleDecidesAsSpecified) {
  const std::vector<std::u16string> include = {u"HID\\VID_9999"};
  // A specific ID overrides the include list for both device-ID rules.
  for (const auto rule : {THidIdRule::DeviceIdOrIncludeList, THidIdRule::DeviceIdOnly}) {
    EXPECT_TRUE(PassesIdRule(rule, include, u"hid\\vid_1234&pid_5678&mi_01", kIds));
    EXPECT_FALSE(PassesIdRule(rule, {}, u"HID\\VID_1234", kIds));
  }
  // "*" and "" hand the decision to the include list ...
  EXPECT_FALSE(PassesIdRule(THidIdRule::DeviceIdOrIncludeList, include, u"*", kIds));
  EXPECT_FALSE(PassesIdRule(THidIdRule::DeviceIdOrIncludeList, include, u"", kIds));
  EXPECT_TRUE(PassesIdRule(THidIdRule::DeviceIdOrIncludeList, {}, u"*", kIds));
  // ... or, for the by-ID write, let every device pass.
  EXPECT_TRUE(PassesIdRule(THidIdRule::DeviceIdOnly, include, u"*", kIds));
  EXPECT_TRUE(PassesIdRule(THidIdRule::DeviceIdOnly, include, u"", kIds));
  // The feature operations look at the include list only.
  EXPECT_FALSE(PassesIdRule(THidIdRule::IncludeListOnly, include, kIds[0], kIds));
  EXPECT_TRUE(PassesIdRule(THidIdRule::IncludeListOnly, {}, u"HID\\VID_0000", kIds));
}

TEST(MultiStringTest, SplitsAtZerosAndStopsAtTheEmptyTextOrTheEnd) {
  EXPECT_EQ(SplitMultiString(std::u16string_view(u"A\0BC\0\0D\0", 8)),
            (std::vector<std::u16string>{u"A", u"BC"}));
  // A buffer that lost its terminators is still read to its end only.
  EXPECT_EQ(SplitMultiString(std::u16string_view(u"A\0BC", 4)),
            (std::vector<std::u16string>{u"A", u"BC"}));
  EXPECT_TRUE(SplitMultiString(std::u16string_view(u"\0A\0", 3)).empty());
  EXPECT_TRUE(SplitMultiString(u"").empty());
}

TEST(GuidTest, ParsesAndFormatsTheBracedForm) {
  const auto guid = ParseGuid(u"{4d1e55b2-f16f-11cf-88cb-001111000030}");
  ASSERT_TRUE(guid.has_value());
  EXPECT_EQ(*guid, kHidInterfaceClassGuid);
  EXPECT_EQ(GuidToText(*guid), u"{4D1E55B2-F16F-11CF-88CB-001111000030}");
  EXPECT_FALSE(ParseGuid(u"4d1e55b2-f16f-11cf-88cb-001111000030").has_value());
  EXPECT_FALSE(ParseGuid(u"{4d1e55b2-f16f-11cf-88cb-00111100003g}").has_value());
  EXPECT_FALSE(ParseGuid(u"{4d1e55b2f-16f-11cf-88cb-001111000030}").has_value());
  EXPECT_FALSE(ParseGuid(u"").has_value());
}

}  // namespace
}  // namespace mon
