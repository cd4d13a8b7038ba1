#include "profiles/DMUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "fake_platform.h"
#include "framework/text.h"
#include "record_bytes.h"

namespace mon {
namespace {

using testing::Image;
using testing::ImageOf;
using testing::TBytes;
using testing::TFakePlatform;

constexpr char16_t kFolder[] = u"software\\software\\KORVALDZ314GM";
constexpr char16_t kDocuments[] = u"C:\\Users\\me\\Documents";

// A stored profile that is recognisably not a default one.
std::unique_ptr<TMouseProfileInfo> MarkedProfile(int AMarker) {
  auto profile = std::make_unique<TMouseProfileInfo>();
  profile->ProfileHeader.FFileVersion = 100 + AMarker;
  profile->ConfigInfo.ButtonCount = 13;
  profile->ConfigInfo.ButtonFuncInfo[2].nFunctionCode = kFunctionCodeMicrophoneMute;
  profile->ConfigInfo.LEDConfig.R = static_cast<Byte>(10 + AMarker);
  profile->ConfigInfo.ApplicationList[0] = static_cast<Byte>(AMarker);
  return profile;
}

// "G1.pfd".."G5.pfd" (appended piecewise: GCC 12 warns falsely on a chained prefix + text).
std::u16string ProfileName(int AIndex) {
  std::u16string name(u"G");
  name += IntToText(AIndex + 1);
  name += u".pfd";
  return name;
}

std::unique_ptr<TProfileSettingGroup> RegistryGroup() {
  auto group = std::make_unique<TProfileSettingGroup>();
  for (int i = 0; i < kGameProfileCount; ++i) {
    WriteFixedText(group->ProfileSettingList[i].szProfileFileName, ProfileName(i));
  }
  group->ProfileIndexOfProfileGroup[1] = 1;
  return group;
}

class ProfileManagerTest : public ::testing::Test {
 protected:
  ProfileManagerTest() {
    Platform.Files.SetDocumentsFolder(std::u16string(kDocuments));
    Platform.Files.AddDirectory(kDocuments);
    Platform.Clock.Now = {2024, 5, 6, 7, 8, 9, 10};
  }

  void Start() { DM = std::make_unique<TDM>(nullptr, Platform.Platform()); }

  template <class T>
  void Store(const std::u16string& AName, const T& ARecord) {
    Platform.Registry.SetValue(kRegistryCurrentUser, kFolder, AName, kRegistryBinary,
                               ImageOf(ARecord));
  }
  void StoreRaw(const std::u16string& AName, TRegistryValueType AType, TBytes ABytes) {
    Platform.Registry.SetValue(kRegistryCurrentUser, kFolder, AName, AType, std::move(ABytes));
  }
  std::optional<testing::TMemoryRegistry::TValue> Stored(const std::u16string& AName) const {
    return Platform.Registry.Value(kRegistryCurrentUser, kFolder, AName);
  }
  // Group, all settings with current game ACurrentGame, and five marked profiles.
  void Populate(int ACurrentGame = 2) {
    Store(u"ProfileSettingGroup.pfd", *RegistryGroup());
    auto all = std::make_unique<TALLGAMESINFO>();
    all->CurrentGame = static_cast<Word>(ACurrentGame);
    all->CurrentLanguage = 3;
    Store(u"allsettings.pfd", *all);
    for (int i = 0; i < kGameProfileCount; ++i) {
      Store(ProfileName(i), *MarkedProfile(i));
    }
  }

  TFakePlatform Platform;
  std::unique_ptr<TDM> DM;
};

// Start-up -------------------------------------------------------------------------------------

TEST_F(ProfileManagerTest, FirstStartOnAnEmptyKeyWritesOnlyTheTwoSettingsRecords) {
  Start();
  EXPECT_EQ(Platform.Registry.ValueCount(kRegistryCurrentUser, kFolder), 2u);
  ASSERT_TRUE(Stored(u"ProfileSettingGroup.pfd"));
  EXPECT_EQ(Stored(u"ProfileSettingGroup.pfd")->Bytes, ImageOf(DM->FProfileSettingGroup));
  ASSERT_TRUE(Stored(u"allsettings.pfd"));
  EXPECT_EQ(Stored(u"allsettings.pfd")->Bytes.size(), 30954u);
  EXPECT_FALSE(Stored(u"Profile1.pfd"));

  EXPECT_EQ(DM->ProfileIndex(), 4);
  EXPECT_EQ(DM->ProfileGroupIndex(), 0);
  EXPECT_EQ(DM->FAllProfileSettingInfo.CurrentGame, 4);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, 4);
  EXPECT_EQ(ImageOf(DM->FCurrentProfileInfo), Image(*DM->ProfileStore(4)));
  for (int i = 0; i < kGameProfileCount; ++i) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(DM->ReadProfileInfo(*profile, i));
    EXPECT_EQ(profile->ProfileHeader.FFileVersion, 259) << "profile " << i;
    EXPECT_EQ(profile->ConfigInfo.CurrentCPIIndex, i);
    EXPECT_FALSE(DM->IsProfileChanged(i));
  }
  EXPECT_EQ(DeviceUsageAndPage.Usage, 1);
  EXPECT_EQ(DeviceUsageAndPage.UsagePage, 0xFFA0);
  EXPECT_EQ(DM->FOptionsFromConfigFile.ProfileRegFolder, kFolder);
  EXPECT_EQ(DM->FOtherConfig.OfficialWebsite, u"http://");
}

TEST_F(ProfileManagerTest, StartOnAPopulatedRegistryTakesTheImagesAndWritesNothing) {
  Populate(2);
  Start();
  EXPECT_EQ(Platform.Registry.ValueCount(kRegistryCurrentUser, kFolder), 7u);
  EXPECT_EQ(Stored(u"ProfileSettingGroup.pfd")->Bytes, ImageOf(*RegistryGroup()));
  EXPECT_EQ(DM->ProfileIndex(), 2);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 12);
  EXPECT_EQ(DM->FAllProfileSettingInfo.CurrentLanguage, 3);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[2].nFunctionCode, 28);
  for (int i = 0; i < kGameProfileCount; ++i) {
    EXPECT_EQ(Image(*DM->ProfileStore(i)), ImageOf(*MarkedProfile(i))) << "profile " << i;
  }
  EXPECT_EQ(Platform.Registry.ReadCount(), 7u);  // group, all settings, five profiles
}

TEST_F(ProfileManagerTest, TheRegistryFolderComesFromConfigIni) {
  Platform.Files.AddTextFile(Platform.Files.ExecutableFolder() + u"config.ini",
                             "[options]\r\nProfileRegFolder=Custom\r\nprofilePrefix=Mouse\r\n");
  Start();
  EXPECT_EQ(Platform.Registry.ValueCount(kRegistryCurrentUser, u"software\\Custom"), 2u);
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[4].szProfileFileName),
            u"Mouse5.pfd");
  EXPECT_EQ(DM->ProfileStore(4)->FileName(), u"Mouse5.pfd");
  EXPECT_EQ(DM->ProfileStore(4)->KeyPath(), u"software\\Custom");
}

TEST_F(ProfileManagerTest, FileKeptProfilesAreCreatedOrTakenAsTheyAre) {
  auto group = RegistryGroup();
  Platform.Files.AddDirectory(u"C:\\Profiles");
  const auto fileEntry = [&](int AIndex, const std::u16string& AFolder) {
    group->ProfileSettingList[AIndex].StorageMode = STORAGE_FILE;
    WriteFixedText(group->ProfileSettingList[AIndex].szProfileFolder, AFolder);
  };
  fileEntry(0, u"");                             // no folder: nothing of ours on disk
  fileEntry(1, u"C:\\Profiles\\New");            // missing last level: created with the file
  fileEntry(2, u"C:\\Profiles\\");               // an existing file larger than a record
  fileEntry(3, u"C:\\Profiles");                 // an existing short file
  group->ProfileSettingList[4].StorageMode = 7;  // not loaded at all
  Store(u"ProfileSettingGroup.pfd", *group);
  TBytes big(200000, 0x5A);
  Platform.Files.AddFile(u"C:\\Profiles\\G3.pfd", big);
  Platform.Files.AddFile(u"C:\\Profiles\\G4.pfd", TBytes(50, 0x33));
  Store(u"G5.pfd", *MarkedProfile(4));  // ignored: profile 5 is in neither place

  Start();
  EXPECT_EQ(Image(*DM->ProfileStore(0)).size(), 121408u);
  EXPECT_EQ(DM->ProfileStore(0)->Stream().Memory()[0], 3);  // 259, the factory version
  EXPECT_FALSE(Platform.Files.FileExists(u"G1.pfd"));
  EXPECT_FALSE(Platform.Files.FileExists(u"\\G1.pfd"));

  const auto created = Platform.Files.FileBytes(u"C:\\Profiles\\New\\G2.pfd");
  ASSERT_TRUE(created);
  EXPECT_EQ(*created, Image(*DM->ProfileStore(1)));
  EXPECT_EQ(created->size(), 121408u);

  EXPECT_EQ(Image(*DM->ProfileStore(2)), big);
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Profiles\\G3.pfd"), big);
  EXPECT_EQ(Image(*DM->ProfileStore(3)), TBytes(50, 0x33));
  EXPECT_EQ(DM->ProfileStore(3)->FilePath(), u"C:\\Profiles\\");

  EXPECT_EQ(Image(*DM->ProfileStore(4)), TBytes(121408, 0));
  EXPECT_EQ(ImageOf(DM->FCurrentProfileInfo), TBytes(121408, 0));  // current game 4 (factory)
}

TEST_F(ProfileManagerTest, UnreadableProfileFileGetsFactoryContentThroughItsPlace) {
  auto group = RegistryGroup();
  group->ProfileSettingList[0].StorageMode = STORAGE_FILE;
  WriteFixedText(group->ProfileSettingList[0].szProfileFolder, u"C:\\Profiles");
  Store(u"ProfileSettingGroup.pfd", *group);
  Platform.Files.AddFile(u"C:\\Profiles\\G1.pfd", TBytes(kMaxStoredImageBytes + 1, 1));
  Start();
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Profiles\\G1.pfd"), Image(*DM->ProfileStore(0)));
  EXPECT_EQ(Image(*DM->ProfileStore(0)).size(), 121408u);
}

// Bad stored data ------------------------------------------------------------------------------

TEST_F(ProfileManagerTest, GroupIndexesOutOfRangeFallBackToZero) {
  Populate();
  auto group = RegistryGroup();
  group->CurrentProfileGroup = 7;
  group->ProfileIndexOfProfileGroup[0] = 9;
  group->ProfileIndexOfProfileGroup[1] = -1;
  Store(u"ProfileSettingGroup.pfd", *group);
  auto all = std::make_unique<TALLGAMESINFO>();
  all->CurrentGame = 11;
  Store(u"allsettings.pfd", *all);

  Start();
  EXPECT_EQ(DM->ProfileGroupIndex(), 0);
  EXPECT_EQ(DM->ProfileIndex(), 0);
  // The working copy is the current profile's image, so saving it back loses nothing.
  EXPECT_EQ(ImageOf(DM->FCurrentProfileInfo), ImageOf(*MarkedProfile(0)));
  DM->SaveCurrentProfileInfoToRegistry();
  EXPECT_EQ(Stored(u"G1.pfd")->Bytes, ImageOf(*MarkedProfile(0)));

  EXPECT_TRUE(DM->SwitchToProfileGroup(1));
  EXPECT_EQ(DM->ProfileGroupIndex(), 1);
  EXPECT_EQ(DM->ProfileIndex(), 0);
  DM->LoadProfileGroupSettingInfoFromRegistry();
  EXPECT_EQ(DM->ProfileGroupIndex(), 0);
  EXPECT_EQ(DM->ProfileIndex(), 0);
  EXPECT_TRUE(DM->RestoreProfileGroupToDefault(1));  // its profile index is bad: profile 0
  EXPECT_EQ(DM->FCurrentProfileInfo.ProfileHeader.FFileVersion, 259);
}

TEST_F(ProfileManagerTest, TextFieldsWithoutTerminatorAreReadWithinTheirArrays) {
  auto group = RegistryGroup();
  TPROFILESETTING& entry = group->ProfileSettingList[0];
  std::fill(std::begin(entry.szProfileFileName), std::end(entry.szProfileFileName), u'N');
  std::fill(std::begin(entry.szProfileFolder), std::end(entry.szProfileFolder), u'F');
  Store(u"ProfileSettingGroup.pfd", *group);
  const std::u16string name(21, u'N');
  Store(name, *MarkedProfile(0));
  Start();
  EXPECT_EQ(DM->ProfileStore(0)->FileName(), name);
  EXPECT_EQ(Image(*DM->ProfileStore(0)), ImageOf(*MarkedProfile(0)));
}

TEST_F(ProfileManagerTest, ValuesOfTheWrongTypeDoNotStopTheStart) {
  Populate(0);
  const TBytes text{'x', 0, 0, 0};
  StoreRaw(u"ProfileSettingGroup.pfd", kRegistryString, text);
  StoreRaw(u"Profile1.pfd", kRegistryDWord, {1, 0, 0, 0});  // the factory group's name
  Start();
  // The group record takes the restore-and-save path: factory content, now binary.
  ASSERT_EQ(Stored(u"ProfileSettingGroup.pfd")->Type, kRegistryBinary);
  EXPECT_EQ(Stored(u"ProfileSettingGroup.pfd")->Bytes.size(), 30964u);
  // A game profile is restored in memory only; its value stays as it was.
  EXPECT_EQ(DM->FCurrentProfileInfo.ProfileHeader.FFileVersion, 259);
  EXPECT_EQ(Stored(u"Profile1.pfd")->Type, kRegistryDWord);
  EXPECT_EQ(Stored(u"Profile1.pfd")->Bytes, (TBytes{1, 0, 0, 0}));

  // Reloading the current profile keeps the image it has.
  DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R = 1;
  DM->LoadCurrentProfileInfoFromRegistry();
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 255);
}

TEST_F(ProfileManagerTest, ShortAndEmptyValuesAreTakenAsStored) {
  Populate(4);
  StoreRaw(u"G5.pfd", kRegistryBinary, TBytes(100, 0x77));
  Start();
  EXPECT_EQ(DM->ProfileStore(4)->Stream().Size(), 100);
  const TBytes current = ImageOf(DM->FCurrentProfileInfo);
  EXPECT_EQ(TBytes(current.begin(), current.begin() + 100), TBytes(100, 0x77));
  EXPECT_EQ(TBytes(current.begin() + 100, current.end()), TBytes(121408 - 100, 0));

  // Restoring a short image gives a whole factory profile.
  EXPECT_TRUE(DM->RestoreProfileInfoToDefault(4));
  EXPECT_EQ(DM->ProfileStore(4)->Stream().Size(), 121408);
  DM->ReadCurrentProfileInfo();
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.B, 0);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 0);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 255);
}

TEST_F(ProfileManagerTest, EmptyGroupValueLeavesEveryProfileNamelessButUsable) {
  StoreRaw(u"ProfileSettingGroup.pfd", kRegistryBinary, {});
  Start();
  EXPECT_EQ(Stored(u"ProfileSettingGroup.pfd")->Bytes.size(), 0u);  // loaded, so not rewritten
  EXPECT_EQ(DM->ProfileStore(0)->FileName(), u"");
  EXPECT_EQ(DM->ProfileIndex(), 4);
  EXPECT_EQ(DM->FCurrentProfileInfo.ProfileHeader.FFileVersion, 259);
}

TEST_F(ProfileManagerTest, WithoutARegistryEverythingIsFactoryContentInMemory) {
  Populate();
  Platform.Registry.FailOpen(true);
  Start();
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[0].szProfileFileName),
            u"Profile1.pfd");
  EXPECT_EQ(DM->FAllProfileSettingInfo.CurrentGame, 4);
  EXPECT_EQ(DM->ProfileIndex(), 4);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 255);
  EXPECT_EQ(DM->FCurrentProfileInfo.ProfileHeader.FFileVersion, 259);
}

// Switching, lists -------------------------------------------------------------------------------

TEST_F(ProfileManagerTest, SwitchingReadsTheStoreAndSavesNothing) {
  Populate(2);
  Start();
  EXPECT_FALSE(DM->SwitchToProfile(5));
  EXPECT_FALSE(DM->SwitchToProfile(-1));
  EXPECT_EQ(DM->ProfileIndex(), 2);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 12);

  EXPECT_TRUE(DM->SwitchToProfile(1));
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 11);
  EXPECT_EQ(DM->FAllProfileSettingInfo.CurrentGame, 1);
  EXPECT_EQ(Stored(u"allsettings.pfd")->Bytes[30950], 2);  // not saved

  EXPECT_FALSE(DM->SwitchToProfileGroup(2));
  EXPECT_TRUE(DM->SwitchToProfileGroup(0));
  EXPECT_EQ(DM->ProfileIndex(), 0);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 10);
  EXPECT_TRUE(DM->SwitchToProfileGroup(1));
  EXPECT_EQ(DM->ProfileIndex(), 1);
  EXPECT_EQ(DM->FProfileSettingGroup.CurrentProfileGroup, 1);
  EXPECT_EQ(DM->ProfileStore(5), nullptr);
  auto scratch = std::make_unique<TMouseProfileInfo>();
  EXPECT_FALSE(DM->ReadProfileInfo(*scratch, 5));
  EXPECT_FALSE(DM->SaveBackToProfileInfo(*scratch, -1));
}

TEST_F(ProfileManagerTest, MacroIndexListHoldsEachBoundMacroOnce) {
  Start();
  const auto bind = [&](int AProfile, int AKey, Word AMacro, int AButtonCount) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    DM->ReadProfileInfo(*profile, AProfile);
    profile->ConfigInfo.ButtonFuncInfo[AKey].FunctionType = FUNCTION_TYPE_MACRO;
    profile->ConfigInfo.ButtonFuncInfo[AKey].nButtonMacroIndex = AMacro;
    profile->ConfigInfo.ButtonCount = AButtonCount;
    DM->SaveBackToProfileInfo(*profile, AProfile);
  };
  bind(0, 3, 7, 13);
  bind(0, 5, 2, 13);
  bind(2, 4, 7, 13);    // the same macro on another profile
  bind(2, 13, 9, 13);   // beyond ButtonCount: not counted
  bind(3, 13, 11, 15);  // ButtonCount 15 still stops at 14 entries
  bind(4, 6, 0, -3);    // a negative count reads no entry
  EXPECT_EQ(DM->GetAllProfilesMacroIndexList(), (std::vector<Integer>{7, 2, 11}));
  EXPECT_FALSE(DM->IsProfileChanged(0));  // save-back into a store by index marks nothing
}

// Restoring --------------------------------------------------------------------------------------

TEST_F(ProfileManagerTest, RestoringKeepsMacrosApplicationsAndPathsAndStampsANewUID) {
  Start();
  auto profile = std::make_unique<TMouseProfileInfo>();
  DM->ReadProfileInfo(*profile, 1);
  profile->MacroKeyInfoList.nMacroInfoCount = 2;
  WriteFixedText(profile->MacroKeyInfoList.MacroInfos[1].szMacroName, u"combo");
  profile->ConfigInfo.ApplicationList[100] = 0x42;
  WriteFixedText(profile->ConfigInfo.ProfilePath.FilePath, u"C:\\p.pfd");
  profile->ConfigInfo.FireKeyCount = 6;
  profile->ConfigInfo.CPIState[7].CPIX = 1234;
  profile->ConfigInfo.ButtonFuncInfo[13].nFunctionCode = 28;
  profile->ConfigInfo.LEDConfig.R = 1;
  DM->SaveBackToProfileInfo(*profile, 1);

  Platform.Clock.Now.Second = 30;
  ASSERT_TRUE(DM->RestoreProfileInfoToDefault(1));
  EXPECT_TRUE(DM->IsProfileChanged(1));
  auto first = std::make_unique<TMouseProfileInfo>();
  DM->ReadProfileInfo(*first, 1);
  EXPECT_EQ(first->MacroKeyInfoList.nMacroInfoCount, 2);
  EXPECT_EQ(ReadFixedText(first->MacroKeyInfoList.MacroInfos[1].szMacroName), u"combo");
  EXPECT_EQ(first->ConfigInfo.ApplicationList[100], 0x42);
  EXPECT_EQ(ReadFixedText(first->ConfigInfo.ProfilePath.FilePath), u"C:\\p.pfd");
  EXPECT_EQ(first->ConfigInfo.FireKeyCount, 6);
  EXPECT_EQ(first->ConfigInfo.CPIState[7].CPIX, 1234);
  EXPECT_EQ(first->ConfigInfo.ButtonFuncInfo[13].nFunctionCode, 43);  // buttons are reset
  EXPECT_EQ(first->ConfigInfo.LEDConfig.R, 0);

  Platform.Clock.Now.Second = 31;
  DM->RestoreProfileInfoToDefault(1);
  auto second = std::make_unique<TMouseProfileInfo>();
  DM->ReadProfileInfo(*second, 1);
  EXPECT_NE(first->ProfileHeader.FProfileUID.DataTime(),
            second->ProfileHeader.FProfileUID.DataTime());
  second->ProfileHeader.FProfileUID = first->ProfileHeader.FProfileUID;
  EXPECT_EQ(ImageOf(*first), ImageOf(*second));  // otherwise identical
  EXPECT_FALSE(DM->RestoreProfileInfoToDefault(5));
}

TEST_F(ProfileManagerTest, RestoringTheCurrentGroupsProfileRefreshesTheWorkingCopy) {
  Populate(0);
  Start();
  ASSERT_EQ(DM->ProfileIndex(), 0);
  EXPECT_TRUE(DM->RestoreProfileGroupToDefault(0));
  EXPECT_EQ(DM->FCurrentProfileInfo.ProfileHeader.FFileVersion, 259);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 255);
  EXPECT_TRUE(DM->IsProfileChanged(0));

  // Group 1's profile is not current: only its store is reset, with no mark.
  EXPECT_TRUE(DM->RestoreProfileGroupToDefault(1));
  EXPECT_EQ(DM->ProfileStore(1)->Stream().Memory()[0], 3);
  EXPECT_FALSE(DM->IsProfileChanged(1));
  EXPECT_FALSE(DM->RestoreProfileGroupToDefault(2));
  EXPECT_EQ(Stored(u"G1.pfd")->Bytes, ImageOf(*MarkedProfile(0)));  // nothing saved
}

TEST_F(ProfileManagerTest, RestoringAllAndTheGroupRecord) {
  Populate(3);
  Start();
  DM->RestoreAllProfileInfoToDefault();
  for (int i = 0; i < kGameProfileCount; ++i) {
    EXPECT_TRUE(DM->IsProfileChanged(i));
  }
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, 3);

  DM->RestoreProfileSettingGroupToDefault();
  const auto stored = Stored(u"ProfileSettingGroup.pfd");
  ASSERT_EQ(stored->Bytes.size(), sizeof(TProfileSettingGroup));
  auto restored = std::make_unique<TProfileSettingGroup>();
  std::memcpy(restored.get(), stored->Bytes.data(), sizeof(TProfileSettingGroup));
  EXPECT_EQ(ReadFixedText(restored->ProfileSettingList[0].szProfileFileName), u"Profile1.pfd");
  // The working copy is not re-read.
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[0].szProfileFileName),
            u"G1.pfd");
}

TEST_F(ProfileManagerTest, DirectResetsChangeOnlyTheWorkingCopy) {
  Start();
  DM->FCurrentProfileInfo.ConfigInfo.CPIState[4] = {1, 2, 3, {4, 5}};
  DM->FCurrentProfileInfo.ConfigInfo.UseDiffentXY[4] = 1;
  DM->RestoreToDefaultCPISetting();
  const TMOUSECONFIGINFO& config = DM->FCurrentProfileInfo.ConfigInfo;
  EXPECT_EQ(config.CPIState[3].CPIX, 8200);
  EXPECT_EQ(config.CPIState[3].Enabled, 1);
  EXPECT_EQ(ImageOf(config.CPIState[4]), TBytes(10, 0));
  EXPECT_EQ(config.CurrentCPIIndex, 1);
  EXPECT_EQ(config.UseDiffentXY[0], 0);
  EXPECT_EQ(config.UseDiffentXY[4], 1);

  DM->FCurrentProfileInfo.ConfigInfo.LEDConfig = {1, 2, 3, 4, 5, 6};
  DM->RestoreToDefaultLightAndReportAdvancedSetting();
  EXPECT_EQ(ImageOf(config.LEDConfig), (TBytes{255, 0, 0, 2, 3, 6}));
  EXPECT_EQ(config.ReportRate, 125);
  EXPECT_FALSE(DM->IsProfileChanged(4));
  EXPECT_EQ(DM->ProfileStore(4)->Stream().Bytes()[872 + 75040], 500 & 0xFF);
}

// Saving and reloading -------------------------------------------------------------------------

TEST_F(ProfileManagerTest, SavingTheCurrentProfileWritesItsWorkingCopy) {
  Start();
  DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[5].nFunctionCode = 28;
  DM->SaveCurrentProfileInfoToRegistry();
  EXPECT_TRUE(DM->IsProfileChanged(4));
  EXPECT_EQ(Stored(u"Profile5.pfd")->Bytes, ImageOf(DM->FCurrentProfileInfo));

  DM->SwitchToProfile(1);
  DM->SaveBackAllProfileSettingInfo();
  EXPECT_EQ(Stored(u"allsettings.pfd")->Bytes[30950], 1);

  Platform.Files.AddDirectory(u"C:\\Out");
  DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R = 9;  // not copied by the file saves
  EXPECT_TRUE(DM->SaveCurrentProfileInfoToFile(u"C:\\Out\\p2.pfd"));
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Out\\p2.pfd"), Image(*DM->ProfileStore(1)));
  // A write that fails (a full disk) is reported and leaves the file as it was.
  const auto saved = Platform.Files.FileBytes(u"C:\\Out\\p2.pfd");
  DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[2].nFunctionCode = 17;
  DM->SaveBackToCurrentProfileInfo();
  Platform.Files.FailWrites(true);
  EXPECT_FALSE(DM->SaveCurrentProfileInfoToFile(u"C:\\Out\\p2.pfd"));
  Platform.Files.FailWrites(false);
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Out\\p2.pfd"), saved);

  DM->ChangeCurrentProfileFileNameAndPath(u"C:\\Out\\AProfileNameOfTwentyFive.pfd");
  EXPECT_EQ(DM->ProfileStore(1)->FileName(), u"AProfileNameOfTwentyFive.pfd");
  EXPECT_EQ(DM->ProfileStore(1)->FilePath(), u"C:\\Out\\");
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[1].szProfileFileName),
            u"AProfileNameOfTwenty");
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[1].szProfileFolder),
            u"C:\\Out\\");
  DM->SaveCurrentProfileInfoToFile();
  EXPECT_TRUE(Platform.Files.FileExists(u"C:\\Out\\AProfileNameOfTwentyFive.pfd"));

  DM->SaveProfileGroupSettingInfoToRegistry();
  EXPECT_EQ(Stored(u"ProfileSettingGroup.pfd")->Bytes, ImageOf(DM->FProfileSettingGroup));
  EXPECT_FALSE(DM->SaveProfileInfoToRegistry(7));
  EXPECT_TRUE(DM->SaveProfileInfoToRegistry(0));
  EXPECT_TRUE(Stored(u"Profile1.pfd"));
  DM->SaveBackAllProfileInfo();
  EXPECT_EQ(Platform.Registry.ValueCount(kRegistryCurrentUser, kFolder), 7u);
}

TEST_F(ProfileManagerTest, RecordedMacroRoundTripsThroughTheRegistry) {
  Start();
  EXPECT_FALSE(Stored(u"RecordRPROFILE.pfd"));
  TMACROKEYINFO macro{};
  macro.nMacroIndex = 12;
  WriteFixedText(macro.szMacroName, u"burst");
  DM->SaveBackRecordMacroInfoToRegistry(macro);
  EXPECT_EQ(Stored(u"RecordRPROFILE.pfd")->Bytes, ImageOf(macro));
  DM->FRecordMacroInfo = TMACROKEYINFO{};
  DM->LoadRecordMacroInfoFromRegistry();
  EXPECT_EQ(DM->FRecordMacroInfo.nMacroIndex, 12);
}

TEST_F(ProfileManagerTest, MonitorReloadsFollowTheConfigurationProgram) {
  Populate(0);
  Start();
  // The configuration program changes the language, the group and profile 4's content.
  auto all = std::make_unique<TALLGAMESINFO>();
  all->CurrentLanguage = 5;
  Store(u"allsettings.pfd", *all);
  auto group = RegistryGroup();
  group->CurrentProfileGroup = 1;
  group->ProfileIndexOfProfileGroup[1] = 3;
  Store(u"ProfileSettingGroup.pfd", *group);
  Store(u"G4.pfd", *MarkedProfile(40));

  DM->LoadProfileGroupSettingInfoFromRegistry();
  DM->LoadAllProfileInfoFromRegistry();
  DM->LoadCurrentProfileInfoFromRegistry();
  EXPECT_EQ(DM->FAllProfileSettingInfo.CurrentLanguage, 5);
  EXPECT_EQ(DM->ProfileGroupIndex(), 1);
  EXPECT_EQ(DM->ProfileIndex(), 3);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 50);

  // A settings value that disappears is restored and saved at once.
  StoreRaw(u"allsettings.pfd", kRegistryString, {0, 0});
  DM->LoadAllProfileInfoFromRegistry();
  EXPECT_EQ(DM->FAllProfileSettingInfo.CurrentGame, 4);
  EXPECT_EQ(Stored(u"allsettings.pfd")->Type, kRegistryBinary);

  Platform.Files.AddFile(u"C:\\In\\p.pfd", ImageOf(*MarkedProfile(60)));
  DM->LoadCurrentProfileInfoFromFile(u"C:\\In\\p.pfd");
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 70);
  DM->LoadCurrentProfileInfoFromFile(u"C:\\In\\missing.pfd");  // keeps the image
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 70);
}

// Folders ----------------------------------------------------------------------------------------

TEST_F(ProfileManagerTest, DocumentFoldersAreCreatedOnDemand) {
  Start();
  EXPECT_EQ(DM->GetPersonalDocumentProfilePath(), u"C:\\Users\\me\\Documents\\Profile\\");
  EXPECT_EQ(DM->GetPersonalDocumentMacroDatabasePath(),
            u"C:\\Users\\me\\Documents\\Profile\\MacroDB\\MacroSet.MSDB");
  EXPECT_TRUE(Platform.Files.DirectoryExists(u"C:\\Users\\me\\Documents\\Profile\\MacroDB"));
}

TEST_F(ProfileManagerTest, AProfileFolderThatCannotBeMadeIsAnErrorButNotAtStart) {
  Platform.Files.SetDocumentsFolder(std::u16string(u"C:\\Gone\\Documents"));
  Start();  // the group defaults still name the folder
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[0].szProfileFolder),
            u"C:\\Gone\\Documents\\Profile\\");
  EXPECT_THROW(DM->GetPersonalDocumentProfilePath(), TProfileFolderError);
  EXPECT_THROW(DM->GetPersonalDocumentMacroDatabasePath(), TProfileFolderError);
}

TEST_F(ProfileManagerTest, WithoutADocumentsFolderTheFoldersStayEmpty) {
  Platform.Files.SetDocumentsFolder(std::nullopt);
  Start();
  EXPECT_EQ(DM->GetPersonalDocumentProfilePath(), u"");
  EXPECT_EQ(DM->GetPersonalDocumentMacroDatabasePath(), u"");
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[2].szMacroFolder), u"");
  EXPECT_EQ(ReadFixedText(DM->FProfileSettingGroup.ProfileSettingList[2].szProfileFileName),
            u"Profile3.pfd");
}

}  // namespace
}  // namespace mon
