// The profile manager on the real registry of the current user, checked through the registry
// API itself. Each run works below a key of its own and removes it afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "platform/win32/win32_registry.h"
#include "profiles/DMUnit.h"
#include "record_bytes.h"

namespace mon {
namespace {

using testing::ImageOf;
using testing::TBytes;

struct TRawValue {
  DWORD Type = REG_NONE;
  TBytes Bytes;
};

class ProfileManagerWin32Test : public ::testing::Test {
 protected:
  ProfileManagerWin32Test()
      : FolderName(L"MonProfileTest" + std::to_wstring(::GetCurrentProcessId())),
        KeyPath(L"software\\" + FolderName) {
    // Options from a config.ini of our own; everything else on the real registry.
    Files.AddTextFile(Files.ExecutableFolder() + u"config.ini",
                      "[options]\r\nProfileRegFolder=" +
                          std::string(FolderName.begin(), FolderName.end()) + "\r\n");
    Files.SetDocumentsFolder(std::u16string(u"C:\\Docs"));
    Files.AddDirectory(u"C:\\Docs");
  }
  ~ProfileManagerWin32Test() override {
    DM.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, KeyPath.c_str());
  }

  void Start() {
    DM.reset();
    DM = std::make_unique<TDM>(nullptr, Platform);
  }

  // The value as the registry API reports it, looked up with other letter case.
  std::optional<TRawValue> Raw(const wchar_t* AName) const {
    HKEY key = nullptr;
    std::wstring upper = L"SOFTWARE\\" + FolderName;
    for (auto& c : upper) {
      c = static_cast<wchar_t>(::towupper(c));
    }
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, upper.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    TRawValue value;
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(key, AName, nullptr, &value.Type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
      value.Bytes.resize(size);
      result = ::RegQueryValueExW(key, AName, nullptr, &value.Type,
                                  size == 0 ? nullptr : value.Bytes.data(), &size);
    }
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return value;
  }

  void SetRaw(const wchar_t* AName, DWORD AType, const TBytes& ABytes) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath.c_str(), 0, nullptr, 0,
                                KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(
        ::RegSetValueExW(key, AName, 0, AType, ABytes.data(), static_cast<DWORD>(ABytes.size())),
        ERROR_SUCCESS);
    ::RegCloseKey(key);
  }

  std::wstring FolderName;
  std::wstring KeyPath;
  // The real registry among fakes.
  testing::TFakePlatform Fakes;
  testing::TMemoryFileSystem& Files = Fakes.Files;
  win32::TWin32Registry Registry;
  TPlatform Platform = WithService(Fakes.Platform(), Registry);
  std::unique_ptr<TDM> DM;
};

TEST_F(ProfileManagerWin32Test, FirstStartWritesTheTwoSettingsRecordsAsBinaryValues) {
  Start();
  const auto group = Raw(L"ProfileSettingGroup.pfd");
  ASSERT_TRUE(group);
  EXPECT_EQ(group->Type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(group->Bytes, ImageOf(DM->FProfileSettingGroup));
  const auto all = Raw(L"allsettings.pfd");
  ASSERT_TRUE(all);
  EXPECT_EQ(all->Type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(all->Bytes.size(), 30954u);
  EXPECT_FALSE(Raw(L"Profile1.pfd"));  // game profiles stay in memory
  EXPECT_EQ(DM->ProfileIndex(), 4);
  EXPECT_EQ(DM->FCurrentProfileInfo.ProfileHeader.FFileVersion, 259);
}

TEST_F(ProfileManagerWin32Test, SavedProfilesAreReadBackByTheNextStart) {
  Start();
  DM->SwitchToProfile(2);
  DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[4].nFunctionCode = kFunctionCodeMicrophoneMute;
  DM->SaveCurrentProfileInfoToRegistry();
  DM->SaveBackAllProfileSettingInfo();
  DM->SaveBackAllProfileInfoToRegistry();
  for (const wchar_t* name :
       {L"Profile1.pfd", L"Profile2.pfd", L"Profile3.pfd", L"Profile4.pfd", L"Profile5.pfd"}) {
    const auto value = Raw(name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(value->Bytes.size(), 121408u);
  }
  const TBytes saved = ImageOf(DM->FCurrentProfileInfo);

  Start();
  EXPECT_EQ(DM->ProfileIndex(), 2);
  EXPECT_EQ(ImageOf(DM->FCurrentProfileInfo), saved);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[4].nFunctionCode, 28);
}

TEST_F(ProfileManagerWin32Test, ValuesOfAnotherTypeAreLeftOrReplacedAsTheirRecordRequires) {
  Start();  // factory group: profiles named Profile1.pfd ..
  const TBytes text{'a', 0, 'b', 0, 0, 0};
  SetRaw(L"Profile5.pfd", REG_SZ, text);
  SetRaw(L"allsettings.pfd", REG_DWORD, {4, 0, 0, 0});
  Start();
  const auto profile = Raw(L"Profile5.pfd");
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->Type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(profile->Bytes, text);
  EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 255);  // factory game 5
  const auto all = Raw(L"allsettings.pfd");
  ASSERT_TRUE(all);
  EXPECT_EQ(all->Type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(all->Bytes.size(), 30954u);
}

TEST_F(ProfileManagerWin32Test, ShortAndEmptyValuesLoadAsStored) {
  Start();
  SetRaw(L"Profile5.pfd", REG_BINARY, TBytes(64, 0x11));
  SetRaw(L"Profile4.pfd", REG_BINARY, {});
  Start();
  EXPECT_EQ(DM->ProfileStore(4)->Stream().Size(), 64);
  EXPECT_EQ(DM->ProfileStore(3)->Stream().Size(), 0);
  const TBytes current = ImageOf(DM->FCurrentProfileInfo);
  EXPECT_EQ(TBytes(current.begin(), current.begin() + 64), TBytes(64, 0x11));
  EXPECT_EQ(current[64], 0);
}

TEST_F(ProfileManagerWin32Test, StoreOnTheMachineRootReadsWithoutAskingForWrites) {
  // HKEY_LOCAL_MACHINE\Software exists everywhere; a missing value there is a plain "no".
  TuiProfile store(nullptr, Files, Registry);
  store.SetRootKey(kRegistryLocalMachine);
  store.SetKeyPath(u"Software");
  store.SetFileName(u"MonNoSuchValue.pfd");
  EXPECT_FALSE(store.LoadStreamFromRegistry());
}

}  // namespace
}  // namespace mon
