// The factory content, checked byte by byte at the offsets the configuration program and the
// mouse read, on the images the profile manager's stores hold after a first start.
#include "profiles/profile_defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "framework/text.h"
#include "profiles/DMUnit.h"
#include "record_bytes.h"

namespace mon {
namespace {

using testing::TFakePlatform;

using testing::Image;
using testing::TBytes;
using testing::WordAt;

std::int32_t IntAt(const TBytes& ABytes, std::size_t AOffset) {
  std::int32_t value;
  (void)ABytes.at(AOffset + sizeof value - 1);
  std::memcpy(&value, ABytes.data() + AOffset, sizeof value);
  return value;
}

double DoubleAt(const TBytes& ABytes, std::size_t AOffset) {
  double value;
  (void)ABytes.at(AOffset + sizeof value - 1);
  std::memcpy(&value, ABytes.data() + AOffset, sizeof value);
  return value;
}

std::u16string TextAt(const TBytes& ABytes, std::size_t AOffset, std::size_t AUnits) {
  std::u16string text;
  for (std::size_t i = 0; i < AUnits; ++i) {
    const char16_t c = static_cast<char16_t>(WordAt(ABytes, AOffset + 2 * i));
    if (c == 0) {
      break;
    }
    text += c;
  }
  return text;
}

// Offsets inside a profile image.
constexpr std::size_t kConfig = 872;
constexpr std::size_t kVWheelSpeed = kConfig + 75028, kDoubleClickSpeed = kConfig + 75032,
                      kPointerSpeed = kConfig + 75034, kPointerAcceleration = kConfig + 75036,
                      kReportRate = kConfig + 75040, kCurrentCPIIndex = kConfig + 75044,
                      kUseDiffentXY = kConfig + 75056, kCPIState = kConfig + 75080,
                      kCPILevel = kConfig + 75190, kLED = kConfig + 85454,
                      kButtonCount = kConfig + 85464;
std::size_t Key(int AKey) {
  return kConfig + 4168 * static_cast<std::size_t>(AKey);
}
// Offsets inside a button entry.
constexpr std::size_t kSingleKey = 2, kKeyExtended = 4, kKeyText = 6, kCombo = 68,
                      kComboModifier = 76, kComboText = 78, kMediaLow = 140, kMediaHigh = 142,
                      kReportMask = 4064, kOption1 = 4068, kButtonIndex = 4148, kCode = 4150,
                      kType = 4152, kCategory = 4156, kID = 4160;

struct TRow {
  int Key;
  int Type;
  int Code;
  int Category;
  int ID;
};

void ExpectRows(const TBytes& AImage, const std::vector<TRow>& ARows) {
  for (const TRow& row : ARows) {
    const std::size_t entry = Key(row.Key);
    EXPECT_EQ(WordAt(AImage, entry + kButtonIndex), unsigned(row.Key)) << "key " << row.Key;
    EXPECT_EQ(AImage[entry + kType], row.Type) << "key " << row.Key;
    EXPECT_EQ(WordAt(AImage, entry + kCode), unsigned(row.Code)) << "key " << row.Key;
    EXPECT_EQ(IntAt(AImage, entry + kCategory), row.Category) << "key " << row.Key;
    EXPECT_EQ(IntAt(AImage, entry + kID), row.ID) << "key " << row.Key;
  }
}

void ExpectMedia(const TBytes& AImage, int AKey, unsigned AUsage) {
  EXPECT_EQ(WordAt(AImage, Key(AKey) + kMediaLow), AUsage & 0xFF) << "key " << AKey;
  EXPECT_EQ(WordAt(AImage, Key(AKey) + kMediaHigh), AUsage >> 8) << "key " << AKey;
}

void ExpectCombo(const TBytes& AImage, int AKey, unsigned AVirtualKey, unsigned AModifier,
                 const std::u16string& ACaption) {
  const std::size_t combo = Key(AKey) + kCombo;
  EXPECT_EQ(WordAt(AImage, combo), AVirtualKey) << "key " << AKey;
  EXPECT_EQ(WordAt(AImage, combo + 2), 0u) << "key " << AKey;  // not extended
  EXPECT_EQ(WordAt(AImage, combo + 4), 0u) << "key " << AKey;  // no second key
  EXPECT_EQ(WordAt(AImage, Key(AKey) + kComboModifier), AModifier) << "key " << AKey;
  EXPECT_EQ(TextAt(AImage, Key(AKey) + kComboText, 31), ACaption) << "key " << AKey;
}

void ExpectSingleKey(const TBytes& AImage, int AKey, unsigned AVirtualKey, unsigned AExtended,
                     const std::u16string& ACaption) {
  EXPECT_EQ(WordAt(AImage, Key(AKey) + kSingleKey), AVirtualKey) << "key " << AKey;
  EXPECT_EQ(WordAt(AImage, Key(AKey) + kKeyExtended), AExtended) << "key " << AKey;
  EXPECT_EQ(TextAt(AImage, Key(AKey) + kKeyText, 31), ACaption) << "key " << AKey;
}

class ProfileDefaultsTest : public ::testing::Test {
 protected:
  ProfileDefaultsTest() {
    Platform.Files.SetDocumentsFolder(u"C:\\Users\\me\\Documents");
    Platform.Files.AddDirectory(u"C:\\Users\\me\\Documents");
    Platform.Clock.Now = {2000, 1, 1, 12, 0, 0, 0};
    DM = std::make_unique<TDM>(nullptr, Platform.Platform());
  }

  TBytes Game(int AIndex) const { return Image(*DM->ProfileStore(AIndex)); }

  TFakePlatform Platform;
  std::unique_ptr<TDM> DM;
};

TEST_F(ProfileDefaultsTest, CommonValuesOfEveryGameProfile) {
  for (int game = 0; game < kGameProfileCount; ++game) {
    SCOPED_TRACE("game " + std::to_string(game));
    const TBytes image = Game(game);
    ASSERT_EQ(image.size(), 121408u);
    EXPECT_EQ(IntAt(image, 0), 259);
    EXPECT_EQ(DoubleAt(image, 64), 36526.5);  // 12:00 on 1 January 2000
    EXPECT_EQ(IntAt(image, kButtonCount), 13);
    ExpectRows(image, {{0, 1, 0, 1, 1}, {1, 1, 1, 2, 2}, {2, 1, 2, 3, 3}, {13, 1, 43, 13, 14}});
    EXPECT_EQ(WordAt(image, kVWheelSpeed), 3u);
    EXPECT_EQ(WordAt(image, kDoubleClickSpeed), 550u);
    EXPECT_EQ(WordAt(image, kPointerSpeed), 10u);
    EXPECT_EQ(WordAt(image, kPointerAcceleration), 0u);
    EXPECT_EQ(WordAt(image, kReportRate), 500u);
    EXPECT_EQ(WordAt(image, kCPILevel), 5u);
    const unsigned cpi[] = {1000, 2000, 4000, 8200, 16400};
    for (std::size_t level = 0; level < 5; ++level) {
      EXPECT_EQ(WordAt(image, kCPIState + 10 * level), cpi[level]);
      EXPECT_EQ(WordAt(image, kCPIState + 10 * level + 2), cpi[level]);
      EXPECT_EQ(WordAt(image, kCPIState + 10 * level + 4), 1u);
      EXPECT_EQ(WordAt(image, kUseDiffentXY + 2 * level), 1u);
    }
    EXPECT_EQ(WordAt(image, kCPIState + 50), 0u);  // level 5 is not one of the defaults
    EXPECT_EQ(IntAt(image, kCurrentCPIIndex), game);
    EXPECT_EQ(image[kLED + 3], 2);  // brightness
    EXPECT_EQ(image[kLED + 4], 3);  // breathing speed
  }
  const std::uint8_t colours[5][3] = {
      {255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {255, 0, 0}};
  for (int game = 0; game < kGameProfileCount; ++game) {
    const TBytes image = Game(game);
    EXPECT_EQ(TBytes(image.begin() + kLED, image.begin() + kLED + 3),
              TBytes(colours[game], colours[game] + 3))
        << "game " << game;
  }
}

TEST_F(ProfileDefaultsTest, TableG1OfGameProfileOne) {
  const TBytes image = Game(0);
  ExpectRows(image, {{3, 10, 35, 14, 1007},
                     {4, 10, 33, 14, 1005},
                     {5, 10, 34, 14, 1006},
                     {6, 8, 5, 16, 6},
                     {7, 8, 5, 16, 6},
                     {8, 10, 32, 14, 1004},
                     {9, 10, 31, 14, 1003},
                     {10, 10, 29, 14, 1001},
                     {11, 3, 16, 15, 902},
                     {12, 3, 19, 15, 905}});
  // HID consumer usages: mute, volume up, volume down, next, previous, play/pause.
  ExpectMedia(image, 3, 0xE2);
  ExpectMedia(image, 4, 0xE9);
  ExpectMedia(image, 5, 0xEA);
  ExpectMedia(image, 8, 0xB5);
  ExpectMedia(image, 9, 0xB6);
  ExpectMedia(image, 10, 0xCD);
  ExpectSingleKey(image, 6, 39, 1, u"FAST FORWARD");
  ExpectSingleKey(image, 7, 37, 1, u"REWIND");
  ExpectCombo(image, 11, 0x73, 1, u"");  // Alt+F4
  ExpectCombo(image, 12, 'D', 8, u"");   // Windows+D
  // Entries carry only what their type uses.
  EXPECT_EQ(WordAt(image, Key(3) + kCombo), 0u);
  EXPECT_EQ(WordAt(image, Key(11) + kMediaLow), 0u);
}

TEST_F(ProfileDefaultsTest, TableG2OfGameProfileTwo) {
  const TBytes image = Game(1);
  ExpectRows(image, {{3, 3, 6, 15, 7},
                     {4, 3, 6, 15, 7},
                     {5, 3, 6, 15, 7},
                     {6, 3, 6, 15, 7},
                     {7, 3, 6, 15, 7},
                     {8, 10, 23, 14, 909},
                     {9, 10, 22, 14, 908},
                     {10, 10, 25, 14, 911},
                     {11, 3, 16, 15, 902},
                     {12, 3, 19, 15, 905}});
  ExpectCombo(image, 3, 'W', 2, u"CLOSE TAB");
  ExpectCombo(image, 4, 0x6B, 2, u"ZOOM IN");
  ExpectCombo(image, 5, 0x6D, 2, u"ZOOM OUT");
  ExpectCombo(image, 6, 0x09, 6, u"PREVIOUS TAB");
  ExpectCombo(image, 7, 0x09, 2, u"NEXT TAB");
  // Browser forward, back and refresh: usages above 0xFF, so the high byte counts.
  ExpectMedia(image, 8, 0x225);
  ExpectMedia(image, 9, 0x224);
  ExpectMedia(image, 10, 0x227);
  ExpectCombo(image, 11, 0x73, 1, u"");
}

TEST_F(ProfileDefaultsTest, TableG3OfGameProfilesThreeToFive) {
  for (int game = 2; game < kGameProfileCount; ++game) {
    SCOPED_TRACE("game " + std::to_string(game));
    const TBytes image = Game(game);
    ExpectRows(image, {{3, 13, 38, 25, 12},
                       {4, 1, 45, 23, 1501},
                       {5, 1, 46, 24, 1502},
                       {6, 1, 41, 10, 1302},
                       {7, 1, 42, 9, 1303},
                       {8, 8, 5, 16, 6},
                       {9, 8, 5, 16, 6},
                       {10, 8, 5, 16, 6},
                       {11, 1, 3, 5, 4},
                       {12, 1, 4, 4, 5}});
    EXPECT_EQ(WordAt(image, Key(3) + kOption1), 3u);
    EXPECT_EQ(WordAt(image, Key(3) + kOption1 + 2), 1u);
    EXPECT_EQ(WordAt(image, Key(3) + kOption1 + 4), 129u);
    ExpectSingleKey(image, 8, 164, 0, u"");
    ExpectSingleKey(image, 9, 162, 0, u"");
    ExpectSingleKey(image, 10, 160, 0, u"");
  }
}

TEST_F(ProfileDefaultsTest, TestProfileHasOneReportBitPerKey) {
  DM->InitTestDefaultValue();
  const TBytes image = Image(DM->uiProfileTest);
  ASSERT_EQ(image.size(), 121408u);
  EXPECT_EQ(IntAt(image, 0), 259);
  EXPECT_EQ(DoubleAt(image, 64), 36526.5);
  EXPECT_EQ(IntAt(image, kButtonCount), 15);
  ExpectRows(image,
             {{0, 1, 0, 1, 1}, {1, 1, 1, 2, 2}, {2, 1, 2, 3, 3}, {3, 1, 3, 5, 4}, {4, 1, 4, 4, 5}});
  for (int k = 5; k < 14; ++k) {
    ExpectRows(image, {{k, 11, 14, 19, 0}});
    const std::uint32_t mask = image[Key(k) + kReportMask] |
                               (image[Key(k) + kReportMask + 1] << 8) |
                               (image[Key(k) + kReportMask + 2] << 16);
    EXPECT_EQ(mask, 1u << k) << "key " << k;
  }
  EXPECT_EQ(WordAt(image, kReportRate), 125u);
  EXPECT_EQ(WordAt(image, kVWheelSpeed), 3u);
  EXPECT_EQ(WordAt(image, kCPILevel), 5u);
  EXPECT_EQ(WordAt(image, kCPIState + 30), 8200u);
  EXPECT_EQ(IntAt(image, kCurrentCPIIndex), 0);
  EXPECT_EQ(TBytes(image.begin() + kLED, image.begin() + kLED + 5), (TBytes{255, 0, 0, 2, 2}));
  // The default game profile is built like game profile 1.
  EXPECT_EQ(Image(DM->uiProfileDefaultGame), Game(0));
  EXPECT_EQ(DM->FTestProfileInfo.ConfigInfo.ButtonCount, 15);
  EXPECT_EQ(DM->FDefaultProfileInfo.ConfigInfo.LEDConfig.G, 255);
}

TEST_F(ProfileDefaultsTest, TestProfileResetClearsEverythingElseAndSkipsAnEmptyImage) {
  DM->FTestProfileInfo.MacroKeyInfoList.nMacroInfoCount = 3;
  DM->FTestProfileInfo.ConfigInfo.FireKeyCount = 9;
  DM->InitTestDefaultValue();
  EXPECT_EQ(DM->FTestProfileInfo.MacroKeyInfoList.nMacroInfoCount, 0);
  EXPECT_EQ(DM->FTestProfileInfo.ConfigInfo.FireKeyCount, 0);

  TMemoryStream empty;
  DM->uiProfileTestRestoreToDefault(empty);
  EXPECT_EQ(empty.Size(), 0);
}

TEST_F(ProfileDefaultsTest, SettingsRecordsAsFirstWritten) {
  const auto group = Platform.Registry.Value(
      kRegistryCurrentUser, u"software\\software\\KORVALDZ314GM", u"ProfileSettingGroup.pfd");
  ASSERT_TRUE(group);
  const TBytes& g = group->Bytes;
  ASSERT_EQ(g.size(), 30964u);
  EXPECT_EQ(IntAt(g, 0), 0);
  EXPECT_EQ(IntAt(g, 4), 0);
  EXPECT_EQ(IntAt(g, 8), 1);
  const std::u16string folder = u"C:\\Users\\me\\Documents\\Profile\\";
  for (std::size_t i = 0; i < 5; ++i) {
    const std::size_t entry = 12 + 6190 * i;
    const std::u16string n = IntToText(static_cast<std::int64_t>(i) + 1);
    EXPECT_EQ(WordAt(g, entry), 0u);
    EXPECT_EQ(TextAt(g, entry + 2, 1024), folder);
    EXPECT_EQ(TextAt(g, entry + 2050, 1024), u"software\\software\\KORVALDZ314GM");
    EXPECT_EQ(TextAt(g, entry + 4098, 21), u"Profile" + n + u".pfd");
    EXPECT_EQ(TextAt(g, entry + 4140, 1024), folder + u"\\Profile" + n + u"_Macros");
    EXPECT_EQ(g[entry + 6188], 0);
  }
  EXPECT_TRUE(Platform.Files.DirectoryExists(folder));

  const auto all = Platform.Registry.Value(
      kRegistryCurrentUser, u"software\\software\\KORVALDZ314GM", u"allsettings.pfd");
  ASSERT_TRUE(all);
  const TBytes& a = all->Bytes;
  ASSERT_EQ(a.size(), 30954u);
  EXPECT_EQ(WordAt(a, 0), 1u);     // entry 0 in use
  EXPECT_EQ(WordAt(a, 6190), 0u);  // entry 1 not
  EXPECT_EQ(WordAt(a, 30950), 4u);
  EXPECT_EQ(a[30952], 0);
}

TEST(ProfileDefaultsPrefixTest, ProfileNamesFollowThePrefixAndLongOnesAreCut) {
  TOptionsFromConfigFile options;
  options.ProfileNamePrefix = u"P";
  options.ProfileRegFolder = u"software\\x";
  auto group = std::make_unique<TProfileSettingGroup>();
  ApplyProfileSettingGroupDefaults(*group, options, u"D:\\Docs\\Profile\\");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(ReadFixedText(group->ProfileSettingList[i].szProfileFileName),
              u"P" + IntToText(i + 1) + u".pfd");
  }
  EXPECT_EQ(ReadFixedText(group->ProfileSettingList[0].szMacroFolder),
            u"D:\\Docs\\Profile\\\\P1_Macros");

  options.ProfileNamePrefix = u"AVeryLongPrefixOfProfiles";
  ApplyProfileSettingGroupDefaults(*group, options, u"");
  EXPECT_EQ(ReadFixedText(group->ProfileSettingList[0].szProfileFileName),
            u"AVeryLongPrefixOfPro");  // 20 units and the terminator
  EXPECT_EQ(ReadFixedText(group->ProfileSettingList[0].szProfileFolder), u"");
  EXPECT_EQ(ReadFixedText(group->ProfileSettingList[0].szMacroFolder), u"");
}

}  // namespace
}  // namespace mon
