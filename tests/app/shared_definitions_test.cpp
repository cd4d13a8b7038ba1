#include "app/shared_definitions.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "hook/uiKeyCode.h"

namespace mon {
namespace {

using testing::TFakePlatform;

TEST(OptionsTest, WithoutConfigFileEveryOptionHasItsDefault) {
  TFakePlatform platform;
  const auto options = LoadOptionsFromConfigFile(platform.Files, platform.Locale);
  EXPECT_EQ(options.ProfileRegFolder, u"software\\software\\KORVALDZ314GM");
  EXPECT_EQ(options.ProfileFolder, u"Profile");
  EXPECT_EQ(options.ProfileNamePrefix, u"Profile");
  EXPECT_EQ(options.ProfileMacroFolder, u"MacroDB");
  const auto other = LoadOtherConfig(platform.Files, platform.Locale);
  EXPECT_EQ(other.Nologo, 0);
  EXPECT_EQ(other.OfficialWebsite, u"http://");
  EXPECT_EQ(other.helppagestyle, u"1");
  EXPECT_EQ(other.HelpFile.Count(), 0u);
  EXPECT_EQ(other.ShowNumLock, 0);
}

TEST(OptionsTest, ValuesComeFromConfigIniBesideTheExecutable) {
  TFakePlatform platform;
  platform.Files.AddTextFile(platform.Files.ExecutableFolder() + u"config.ini",
                             "[Options]\r\nProfileRegFolder=KORVALDZ314GM\r\n"
                             "PROFILEFOLDER = Profiles \r\nprofilePrefix=\"Game \"\r\n"
                             "[OtherConfig]\r\nNoLogo=1\r\nOfficialWebsite=http://example.test/\r\n"
                             "[HelpFiles]\r\na=x\r\nempty=\r\nb=y\r\n[HelpLinks]\r\nhome=h\r\n");
  const auto options = LoadOptionsFromConfigFile(platform.Files, platform.Locale);
  EXPECT_EQ(options.ProfileRegFolder, u"software\\KORVALDZ314GM");
  EXPECT_EQ(options.ProfileFolder, u"Profiles");
  EXPECT_EQ(options.ProfileNamePrefix, u"Game ");
  EXPECT_EQ(options.ProfileMacroFolder, u"MacroDB");
  const auto other = LoadOtherConfig(platform.Files, platform.Locale);
  EXPECT_EQ(other.Nologo, 1);
  EXPECT_EQ(other.OfficialWebsite, u"http://example.test/");
  using TPairs = std::vector<std::pair<std::u16string, std::u16string>>;
  EXPECT_EQ(other.HelpFile.Items(), (TPairs{{u"a", u"x"}, {u"b", u"y"}}));
  EXPECT_EQ(other.HelpLinks.Items(), (TPairs{{u"home", u"h"}}));
}

TEST(OptionsTest, AConfigFileWithoutByteOrderMarkIsInTheSystemsAnsiCodePage) {
  // A Chinese system (code page 936): "KV鼠标" is KV CA F3 B1 EA there, which is not UTF-8.
  TFakePlatform platform;
  platform.Locale.AnsiDecoder = [](std::span<const std::uint8_t> ABytes) {
    std::u16string text;
    for (std::size_t i = 0; i < ABytes.size(); ++i) {
      const unsigned pair = i + 1 < ABytes.size() ? ABytes[i] << 8 | ABytes[i + 1] : 0;
      if (pair == 0xCAF3 || pair == 0xB1EA) {
        text.push_back(pair == 0xCAF3 ? u'鼠' : u'标');
        ++i;
      } else {
        text.push_back(static_cast<char16_t>(ABytes[i]));
      }
    }
    return text;
  };
  const std::string gbk = "[options]\r\nProfileRegFolder=KV\xCA\xF3\xB1\xEA\r\n";
  platform.Files.AddFile(u"C:\\Program\\config.ini", {gbk.begin(), gbk.end()});
  EXPECT_EQ(LoadOptionsFromConfigFile(platform.Files, platform.Locale).ProfileRegFolder,
            u"software\\KV鼠标");
  // The same name in UTF-8 (with or without a byte-order mark) is read as UTF-8 everywhere.
  platform.Locale.AnsiDecoder = {};
  platform.Files.AddTextFile(u"C:\\Program\\config.ini",
                             "[options]\r\nProfileRegFolder=KV鼠标\r\n");
  EXPECT_EQ(LoadOptionsFromConfigFile(platform.Files, platform.Locale).ProfileRegFolder,
            u"software\\KV鼠标");
}

TEST(OptionsTest, ConfigFileInTheWorkingFolderIsNotRead) {
  TFakePlatform platform;
  platform.Files.AddTextFile(u"C:\\Elsewhere\\config.ini", "[options]\nprofileFolder=Wrong\n");
  EXPECT_EQ(LoadOptionsFromConfigFile(platform.Files, platform.Locale).ProfileFolder, u"Profile");
}

TEST(NameValueListTest, EmptyValueRemovesAndNamesIgnoreCase) {
  TNameValueList list;
  list.SetValue(u"A", u"1");
  list.SetValue(u"b", u"2");
  list.SetValue(u"a", u"3");
  EXPECT_EQ(list.Value(u"A"), u"3");
  EXPECT_EQ(list.Items().front().first, u"A");
  list.SetValue(u"B", u"");
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Value(u"b"), std::nullopt);
}

TEST(ShortcutTablesTest, TabTableEntriesAndIndexRules) {
  TCOMBOKEYINFO combo{};
  GetTabComboKey(3, combo);
  EXPECT_EQ(combo.nKeyValue1, 0x09);
  EXPECT_EQ(combo.nModifier, 6);
  EXPECT_EQ(combo.nKeyValue2, 0);
  EXPECT_EQ(combo.ComboKeyText[0], u'\0');
  GetTabComboKey(0, combo);
  EXPECT_EQ(combo.nKeyValue1, 'W');
  EXPECT_EQ(combo.nModifier, 2);
  GetTabComboKey(5, combo);  // beyond the listed entries: all zero
  EXPECT_EQ(combo.nKeyValue1, 0);
  EXPECT_EQ(combo.nModifier, 0);

  combo.nKeyValue1 = 0x1234;
  GetTabComboKey(50, combo);
  GetTabComboKey(-1, combo);
  EXPECT_EQ(combo.nKeyValue1, 0x1234);  // untouched outside 0..49
}

TEST(ShortcutTablesTest, SystemCombosUseWindowsHotKeyModifiers) {
  TCOMBOKEYINFO combo{};
  GetSystemComboKey(1, combo);
  EXPECT_EQ(combo.nKeyValue1, 0x73);  // Alt+F4
  EXPECT_EQ(combo.nModifier, 1);
  EXPECT_EQ(combo.nKey1Extended, 0);
  GetSystemComboKey(4, combo);
  EXPECT_EQ(combo.nKeyValue1, 'D');  // Windows+D
  EXPECT_EQ(combo.nModifier, 8);
}

TEST(ShortcutTablesTest, HidTablesHoldTheUsagesOfTheKeyTables) {
  THID_CODE_INFO hid{};
  GetMediaKeyHidCode(6, hid);
  EXPECT_EQ(hid.nKeyValue1, GetKeyHIDCode(0xAD, 1));  // volume mute
  EXPECT_EQ(hid.nKeyValue1, 0xE2);
  EXPECT_EQ(hid.nKeyValue2, 0);
  EXPECT_EQ(hid.nModifier, 0);
  GetMediaKeyHidCode(0, hid);
  EXPECT_EQ(hid.nKeyValue1, 0xCD);
  GetMediaKeyHidCode(7, hid);
  EXPECT_EQ(hid.nKeyValue1, 0x183);
  GetBrowserKeyHidCode(0, hid);
  EXPECT_EQ(hid.nKeyValue1, 0x223);
  GetBrowserKeyHidCode(6, hid);
  EXPECT_EQ(hid.nKeyValue1, 0x22A);
  GetBrowserKeyHidCode(7, hid);
  EXPECT_EQ(hid.nKeyValue1, 0);
  hid.nModifier = 77;
  GetBrowserKeyHidCode(50, hid);
  EXPECT_EQ(hid.nModifier, 77);
}

TEST(SharedDefinitionsTest, NewProfileUidIsTheLocalDateTimeOfTheClock) {
  TFakePlatform platform;
  platform.Clock.Now = {2000, 1, 1, 12, 0, 0, 0};
  EXPECT_DOUBLE_EQ(NewProfileUID(platform.Clock).DataTime(), 36526.5);
  platform.Clock.Now = {2000, 1, 1, 12, 0, 0, 1};
  EXPECT_GT(NewProfileUID(platform.Clock).DataTime(), 36526.5);
}

TEST(SharedDefinitionsTest, ConfigWindowIsFoundByItsClassName) {
  TFakePlatform platform;
  EXPECT_EQ(FindConfigWindow(platform.Windows), 0u);
  platform.Windows.WindowsByClass[u"TKORVALDZ314CFGMAIN"] = 42;
  EXPECT_EQ(FindConfigWindow(platform.Windows), 42u);
}

}  // namespace
}  // namespace mon
