#include "profiles/records.h"
#include "record_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace mon {
namespace {

using testing::ImageOf;
using testing::WordAt;

TEST(RecordsTest, ConsumersFindTheFieldsAtTheStoredOffsets) {
  auto profile = std::make_unique<TMouseProfileInfo>();
  std::memset(profile.get(), 0, sizeof(TMouseProfileInfo));
  for (int k = 0; k < kButtonEntryCount; ++k) {
    profile->ConfigInfo.ButtonFuncInfo[k].nFunctionCode = static_cast<Word>(100 + k);
  }
  profile->ConfigInfo.ButtonCount = 15;
  profile->ConfigInfo.LEDConfig.R = 0xAB;
  profile->ConfigInfo.CPIState[4].CPIX = 16400;
  profile->ProfileHeader.FFileVersion = 259;
  const auto bytes = ImageOf(*profile);
  ASSERT_EQ(bytes.size(), 121408u);
  for (int k = 0; k < kButtonEntryCount; ++k) {
    EXPECT_EQ(WordAt(bytes, 5022 + 4168 * static_cast<std::size_t>(k)), 100 + k) << "key " << k;
  }
  EXPECT_EQ(bytes[872 + 85464], 15);
  EXPECT_EQ(bytes[872 + 85454], 0xAB);
  EXPECT_EQ(WordAt(bytes, 872 + 75080 + 4 * 10), 16400);
  EXPECT_EQ(WordAt(bytes, 0), 259);
}

TEST(RecordsTest, SettingsRecordsPlaceTheirFieldsAsStored) {
  TALLGAMESINFO all{};
  all.CurrentGame = 4;
  all.CurrentLanguage = 1;
  all.Allgameset[4].StorageMode = STORAGE_FILE;
  const auto allBytes = ImageOf(all);
  EXPECT_EQ(allBytes.size(), 30954u);
  EXPECT_EQ(WordAt(allBytes, 30950), 4);
  EXPECT_EQ(allBytes[30952], 1);
  EXPECT_EQ(allBytes[4 * 6190 + 6188], STORAGE_FILE);

  TProfileSettingGroup group{};
  group.ProfileIndexOfProfileGroup[1] = 3;
  WriteFixedText(group.ProfileSettingList[2].szProfileFileName, u"P3.pfd");
  const auto groupBytes = ImageOf(group);
  EXPECT_EQ(groupBytes.size(), 30964u);
  EXPECT_EQ(groupBytes[8], 3);
  EXPECT_EQ(WordAt(groupBytes, 12 + 2 * 6190 + 4098), u'P');
}

TEST(RecordsTest, ProfileUidViewsShareTheSameBytes) {
  TProfileUIDData uid{};
  uid.SetDataTime(36526.5);
  EXPECT_DOUBLE_EQ(uid.DoubleData(), 36526.5);
  double raw = 0;
  std::memcpy(&raw, uid.RawData, 8);
  EXPECT_DOUBLE_EQ(raw, 36526.5);
}

TEST(RecordsTest, FixedTextIsReadBoundedAndWrittenWithItsTerminator) {
  TPROFILESETTING setting{};
  WriteFixedText(setting.szProfileFileName, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // 26 > 20
  EXPECT_EQ(ReadFixedText(setting.szProfileFileName), u"ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(setting.szProfileFileName[20], u'\0');

  // A stored array without terminator reads to its end and no further.
  for (auto& c : setting.szProfileFileName) {
    c = u'x';
  }
  setting.szMacroFolder[0] = u'y';
  EXPECT_EQ(ReadFixedText(setting.szProfileFileName), std::u16string(21, u'x'));

  // A shorter text clears what a longer one left behind.
  WriteFixedText(setting.szProfileFileName, u"ab");
  EXPECT_EQ(setting.szProfileFileName[3], u'\0');
  EXPECT_EQ(ReadFixedText(setting.szProfileFileName), u"ab");
}

TEST(RecordsTest, FunctionCodeTableGivesCategoryAndIdOfEveryCode) {
  struct TExpected {
    int Code;
    Integer Category;
    Integer ID;
  };
  const TExpected expected[] = {
      {0, 1, 1},     {3, 5, 4},      {4, 4, 5},      {5, 16, 6},     {6, 15, 7},     {7, 15, 801},
      {14, 15, 808}, {15, 15, 901},  {16, 15, 902},  {20, 15, 906},  {21, 14, 907},  {27, 14, 913},
      {28, 14, 914}, {29, 14, 1001}, {35, 14, 1007}, {36, 19, 1008}, {37, 17, 11},   {38, 25, 12},
      {40, 8, 1301}, {42, 9, 1303},  {43, 13, 14},   {45, 23, 1501}, {46, 24, 1502}, {47, 14, 16}};
  for (const auto& row : expected) {
    const auto info = FunctionCodeInfo(row.Code);
    ASSERT_TRUE(info.has_value()) << row.Code;
    EXPECT_EQ(info->Category, row.Category) << row.Code;
    EXPECT_EQ(info->FunctionID, row.ID) << row.Code;
  }
  int known = 0;
  for (int code = -5; code < 60; ++code) {
    known += FunctionCodeInfo(code).has_value() ? 1 : 0;
  }
  EXPECT_EQ(known, kFunctionCodeCount);
}

}  // namespace
}  // namespace mon
