#include "profiles/DMUnit.h"

#include <algorithm>
#include <memory>

#include "framework/text.h"

namespace mon {

namespace {

constexpr std::int32_t kProfileBytes = sizeof(TMouseProfileInfo);
constexpr std::int32_t kAllSettingsBytes = sizeof(TALLGAMESINFO);
constexpr std::int32_t kProfileSettingGroupBytes = sizeof(TProfileSettingGroup);
constexpr std::int32_t kMacroBytes = sizeof(TMACROKEYINFO);

// A zero record of the largest size, to give a store's image its full size before a load.
const std::uint8_t* ZeroImage() {
  static const std::vector<std::uint8_t> zeros(sizeof(TMouseProfileInfo));
  return zeros.data();
}

std::u16string WithoutTrailingSeparator(std::u16string AFolder) {
  if (AFolder.size() > 1 && IsPathSeparator(AFolder.back())) {
    AFolder.pop_back();
  }
  return AFolder;
}

}  // namespace

TDM::TDM(TComponent* AOwner, TPlatform& APlatform)
    : TDataModule(AOwner),
      FFiles(APlatform.Files),
      FRegistry(APlatform.Registry),
      FLocale(APlatform.Locale),
      FClock(APlatform.Clock),
      uiProfileAllSettingInfo(this, FFiles, FRegistry),
      uiProfileGame1(this, FFiles, FRegistry),
      uiProfileGame2(this, FFiles, FRegistry),
      uiProfileGame3(this, FFiles, FRegistry),
      uiProfileGame4(this, FFiles, FRegistry),
      uiProfileGame5(this, FFiles, FRegistry),
      uiProfileSettingGroup(this, FFiles, FRegistry),
      uiProfileDefaultGame(this, FFiles, FRegistry),
      uiProfileTest(this, FFiles, FRegistry),
      uiProfileRecordMacroInfo(this, FFiles, FRegistry) {
  SetName(u"DM");
  uiProfileAllSettingInfo.SetName(u"uiProfileAllSettingInfo");
  uiProfileGame1.SetName(u"uiProfileGame1");
  uiProfileGame2.SetName(u"uiProfileGame2");
  uiProfileGame3.SetName(u"uiProfileGame3");
  uiProfileGame4.SetName(u"uiProfileGame4");
  uiProfileGame5.SetName(u"uiProfileGame5");
  uiProfileSettingGroup.SetName(u"uiProfileSettingGroup");
  uiProfileDefaultGame.SetName(u"uiProfileDefaultGame");
  uiProfileTest.SetName(u"uiProfileTest");
  uiProfileRecordMacroInfo.SetName(u"uiProfileRecordMacroInfo");

  // Event wiring of the form data. The macro store has no default handler.
  uiProfileAllSettingInfo.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileAllSettingInfoRestoreToDefault(AStream);
  };
  uiProfileGame1.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileGame1RestoreToDefault(AStream);
  };
  uiProfileDefaultGame.OnRestoreToDefault = uiProfileGame1.OnRestoreToDefault;
  uiProfileGame2.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileGame2RestoreToDefault(AStream);
  };
  uiProfileGame3.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileGame3RestoreToDefault(AStream);
  };
  uiProfileGame4.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileGame4RestoreToDefault(AStream);
  };
  uiProfileGame5.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileGame5RestoreToDefault(AStream);
  };
  uiProfileSettingGroup.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileSettingGroupRestoreToDefault(AStream);
  };
  uiProfileTest.OnRestoreToDefault = [this](TMemoryStream& AStream) {
    uiProfileTestRestoreToDefault(AStream);
  };

  FProfileGroup = {&uiProfileGame1, &uiProfileGame2, &uiProfileGame3,
                   &uiProfileGame4, &uiProfileGame5, nullptr};

  DataModuleCreate(*this);
}

TDM::~TDM() {
  DataModuleDestroy(*this);
}

TuiProfile* TDM::ProfileStore(int AProfileIndex) const {
  return IsProfileIndexInRange(AProfileIndex)
             ? FProfileGroup[static_cast<std::size_t>(AProfileIndex)]
             : nullptr;
}

// Creation and paths ------------------------------------------------------------------------

void TDM::ConfigureRegistryStore(TuiProfile& AStore, const std::u16string& AValueName) {
  AStore.SetRootKey(kRegistryCurrentUser);
  AStore.SetFileName(AValueName);
  AStore.SetKeyPath(FOptionsFromConfigFile.ProfileRegFolder);
}

void TDM::LoadOrRestoreAndSave(TuiProfile& AStore) {
  if (!AStore.LoadStreamFromRegistry()) {
    AStore.RestoreToDefault();
    AStore.SaveStreamToRegistry();
  }
}

Integer TDM::ProfileIndexOfGroup(int AProfileGroupIndex) const {
  if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) {
    return 0;
  }
  const Integer index =
      FProfileSettingGroup.ProfileIndexOfProfileGroup[static_cast<std::size_t>(AProfileGroupIndex)];
  return IsProfileIndexInRange(index) ? index : 0;
}

void TDM::TakeIndexesFromProfileGroup() {
  const Integer group = FProfileSettingGroup.CurrentProfileGroup;
  FProfileGroupIndex = IsProfileGroupIndexInRange(group) ? group : 0;
  FProfileIndex = ProfileIndexOfGroup(FProfileGroupIndex);
}

void TDM::LoadGameProfile(int AProfileIndex) {
  TuiProfile& store = *FProfileGroup[static_cast<std::size_t>(AProfileIndex)];
  const TPROFILESETTING& entry =
      FProfileSettingGroup.ProfileSettingList[static_cast<std::size_t>(AProfileIndex)];
  const std::u16string name = ReadFixedText(entry.szProfileFileName);
  const std::u16string folder = ReadFixedText(entry.szProfileFolder);
  store.SetRootKey(kRegistryCurrentUser);
  store.SetFileName(name);
  store.SetFilePath(folder);
  store.SetKeyPath(FOptionsFromConfigFile.ProfileRegFolder);
  store.Write(ZeroImage(), kProfileBytes);

  switch (entry.StorageMode) {
    case STORAGE_REGISTRY:
      if (!store.LoadStreamFromRegistry()) {
        store.RestoreToDefault();
      }
      break;
    case STORAGE_FILE: {
      // Without a folder or a name there is no file of ours (a bare name would land in
      // whatever the working folder is): factory values in memory only.
      if (folder.empty() || name.empty()) {
        store.RestoreToDefault();
        break;
      }
      const std::u16string path = IncludeTrailingBackslash(folder) + name;
      if (!FFiles.FileExists(path)) {
        store.RestoreToDefault();
        store.SaveStreamToFile(path);
      } else if (!store.LoadStreamFromFile(path)) {
        store.RestoreToDefault();
        store.SaveStreamToFile();
      }
      break;
    }
    default:
      break;  // not loaded: the zero record
  }
}

void TDM::DataModuleCreate(TComponent&) {
  FOptionsFromConfigFile = LoadOptionsFromConfigFile(FFiles, FLocale);
  FOtherConfig = LoadOtherConfig(FFiles, FLocale);
  DeviceUsageAndPage = kMouseVendorCollection;
  FProfileGroupIndex = 0;

  ConfigureRegistryStore(uiProfileSettingGroup, kProfileSettingGroupValueName);
  uiProfileSettingGroup.Write(ZeroImage(), kProfileSettingGroupBytes);
  LoadOrRestoreAndSave(uiProfileSettingGroup);
  uiProfileSettingGroup.Read(&FProfileSettingGroup, kProfileSettingGroupBytes);
  TakeIndexesFromProfileGroup();

  ConfigureRegistryStore(uiProfileAllSettingInfo, kAllSettingsValueName);
  uiProfileAllSettingInfo.Write(&FAllProfileSettingInfo, kAllSettingsBytes);
  LoadOrRestoreAndSave(uiProfileAllSettingInfo);
  uiProfileAllSettingInfo.Read(&FAllProfileSettingInfo, kAllSettingsBytes);

  ConfigureRegistryStore(uiProfileRecordMacroInfo, kRecordMacroValueName);
  uiProfileRecordMacroInfo.Write(&FRecordMacroInfo, kMacroBytes);

  for (int i = 0; i < kGameProfileCount; ++i) {
    LoadGameProfile(i);
  }

  // A stored current game outside 0..4 keeps the group's profile current; its working copy
  // must still be that profile's image, or a later save-back would overwrite it with zeros.
  if (!SwitchToProfile(FAllProfileSettingInfo.CurrentGame)) {
    ReadCurrentProfileInfo();
  }
}

void TDM::DataModuleDestroy(TComponent&) {}

std::u16string TDM::PersonalProfilePath(bool AMustExist) {
  const auto documents = FFiles.DocumentsFolder();
  if (!documents || documents->empty()) {
    return std::u16string();
  }
  std::u16string path = IncludeTrailingBackslash(*documents);
  path += FOptionsFromConfigFile.ProfileFolder;
  path += u'\\';
  if (!FFiles.DirectoryExists(path) && !FFiles.MakeDirectory(WithoutTrailingSeparator(path)) &&
      AMustExist) {
    throw TProfileFolderError("the profile folder cannot be created: " + Utf16ToUtf8(path));
  }
  return path;
}

std::u16string TDM::GetPersonalDocumentProfilePath() {
  return PersonalProfilePath(true);
}

std::u16string TDM::GetPersonalDocumentMacroDatabasePath() {
  const std::u16string profilePath = GetPersonalDocumentProfilePath();
  if (profilePath.empty()) {
    return std::u16string();
  }
  const std::u16string macroFolder = profilePath + FOptionsFromConfigFile.ProfileMacroFolder;
  if (!FFiles.DirectoryExists(macroFolder) &&
      !FFiles.MakeDirectory(WithoutTrailingSeparator(macroFolder))) {
    throw TProfileFolderError("the macro folder cannot be created: " + Utf16ToUtf8(macroFolder));
  }
  return macroFolder + u"\\" + kMacroDatabaseFileName;
}

std::vector<Integer> TDM::GetAllProfilesMacroIndexList() {
  std::vector<Integer> list;
  const auto scratch = std::make_unique<TMouseProfileInfo>();
  for (int i = 0; i < kGameProfileCount; ++i) {
    *scratch = TMouseProfileInfo{};
    FProfileGroup[static_cast<std::size_t>(i)]->Read(scratch.get(), kProfileBytes);
    const int count = std::clamp<int>(scratch->ConfigInfo.ButtonCount, 0, kButtonEntryCount);
    for (int k = 0; k < count; ++k) {
      const TBUTTONFUNCINFO& entry = scratch->ConfigInfo.ButtonFuncInfo[k];
      if (entry.FunctionType == FUNCTION_TYPE_MACRO &&
          std::find(list.begin(), list.end(), entry.nButtonMacroIndex) == list.end()) {
        list.push_back(entry.nButtonMacroIndex);
      }
    }
  }
  return list;
}

// Switching and reading -----------------------------------------------------------------------

bool TDM::IsProfileIndexInRange(int AProfileIndex) {
  return AProfileIndex >= 0 && AProfileIndex < kGameProfileCount;
}

bool TDM::IsProfileGroupIndexInRange(int AProfileGroupIndex) {
  return AProfileGroupIndex >= 0 && AProfileGroupIndex <= 1;
}

bool TDM::SwitchToProfile(int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) {
    return false;
  }
  FProfileIndex = AProfileIndex;
  CurrentStore().Read(&FCurrentProfileInfo, kProfileBytes);
  FAllProfileSettingInfo.CurrentGame = static_cast<Word>(AProfileIndex);
  return true;
}

bool TDM::SwitchToProfileGroup(int AProfileGroupIndex) {
  if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) {
    return false;
  }
  FProfileSettingGroup.CurrentProfileGroup = AProfileGroupIndex;
  FProfileGroupIndex = AProfileGroupIndex;
  FProfileIndex = ProfileIndexOfGroup(AProfileGroupIndex);
  SwitchToProfile(FProfileIndex);
  return true;
}

bool TDM::ReadCurrentProfileInfo() {
  CurrentStore().Read(&FCurrentProfileInfo, kProfileBytes);
  return true;
}

bool TDM::ReadProfileInfo(TMouseProfileInfo& AProfileInfo, int AProfileIndex) {
  TuiProfile* store = ProfileStore(AProfileIndex);
  if (store == nullptr) {
    return false;
  }
  store->Read(&AProfileInfo, kProfileBytes);
  return true;
}

// Loading -------------------------------------------------------------------------------------

void TDM::LoadAllProfileInfoFromRegistry() {
  LoadOrRestoreAndSave(uiProfileAllSettingInfo);
  uiProfileAllSettingInfo.Read(&FAllProfileSettingInfo, kAllSettingsBytes);
}

void TDM::LoadProfileGroupSettingInfoFromRegistry() {
  LoadOrRestoreAndSave(uiProfileSettingGroup);
  uiProfileSettingGroup.Read(&FProfileSettingGroup, kProfileSettingGroupBytes);
  TakeIndexesFromProfileGroup();
}

void TDM::LoadCurrentProfileInfoFromRegistry() {
  CurrentStore().LoadStreamFromRegistry();
  ReadCurrentProfileInfo();
}

void TDM::LoadCurrentProfileInfoFromFile(const std::u16string& AFile) {
  CurrentStore().LoadStreamFromFile(AFile);
  ReadCurrentProfileInfo();
}

void TDM::LoadProfileInfoFromRegistry(int AProfileIndex) {
  if (TuiProfile* store = ProfileStore(AProfileIndex)) {
    store->LoadStreamFromRegistry();
  }
}

void TDM::LoadRecordMacroInfoFromRegistry() {
  uiProfileRecordMacroInfo.LoadStreamFromRegistry();
  uiProfileRecordMacroInfo.Read(&FRecordMacroInfo, kMacroBytes);
}

// Saving --------------------------------------------------------------------------------------

void TDM::SaveBackToCurrentProfileInfo() {
  CurrentStore().Write(&FCurrentProfileInfo, kProfileBytes);
  SetProfileChanged(FProfileIndex, true);
}

void TDM::SaveCurrentProfileInfoToRegistry() {
  SaveBackToCurrentProfileInfo();
  CurrentStore().SaveStreamToRegistry();
}

bool TDM::SaveCurrentProfileInfoToFile(const std::u16string& AFile) {
  return CurrentStore().SaveStreamToFile(AFile);
}

bool TDM::SaveCurrentProfileInfoToFile() {
  return CurrentStore().SaveStreamToFile();
}

bool TDM::SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, int AProfileIndex) {
  TuiProfile* store = ProfileStore(AProfileIndex);
  if (store == nullptr) {
    return false;
  }
  store->Write(&AProfileInfo, kProfileBytes);
  return true;
}

bool TDM::SaveProfileInfoToRegistry(int AProfileIndex) {
  TuiProfile* store = ProfileStore(AProfileIndex);
  if (store == nullptr) {
    return false;
  }
  store->SaveStreamToRegistry();
  return true;
}

void TDM::SaveBackAllProfileInfo() {
  SaveBackAllProfileInfoToRegistry();
}

void TDM::SaveBackAllProfileInfoToRegistry() {
  for (int i = 0; i < kGameProfileCount; ++i) {
    FProfileGroup[static_cast<std::size_t>(i)]->SaveStreamToRegistry();
  }
}

void TDM::SaveBackAllProfileInfoToFile() {
  for (int i = 0; i < kGameProfileCount; ++i) {
    FProfileGroup[static_cast<std::size_t>(i)]->SaveStreamToFile();
  }
}

void TDM::SaveBackAllProfileSettingInfo() {
  FAllProfileSettingInfo.CurrentGame = static_cast<Word>(FProfileIndex);
  uiProfileAllSettingInfo.Write(&FAllProfileSettingInfo, kAllSettingsBytes);
  uiProfileAllSettingInfo.SaveStreamToRegistry();
}

void TDM::SaveBackToProfileGroupSettingInfo() {
  uiProfileSettingGroup.Write(&FProfileSettingGroup, kProfileSettingGroupBytes);
}

void TDM::SaveProfileGroupSettingInfoToRegistry() {
  SaveBackToProfileGroupSettingInfo();
  uiProfileSettingGroup.SaveStreamToRegistry();
}

void TDM::SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo) {
  uiProfileRecordMacroInfo.Write(&ARecordMacroInfo, kMacroBytes);
  uiProfileRecordMacroInfo.SaveStreamToRegistry();
}

void TDM::ChangeCurrentProfileFileNameAndPath(const std::u16string& AProfileFilePath) {
  const TPathParts parts = SplitPath(AProfileFilePath);
  TuiProfile& store = CurrentStore();
  store.SetFileName(parts.Name);
  store.SetFilePath(parts.Folder);
  TPROFILESETTING& entry =
      FProfileSettingGroup.ProfileSettingList[static_cast<std::size_t>(FProfileIndex)];
  WriteFixedText(entry.szProfileFileName, parts.Name);
  WriteFixedText(entry.szProfileFolder, parts.Folder);
}

// Restoring and change marks ------------------------------------------------------------------

void TDM::RestoreCurrentProfileInfoToDefault() {
  CurrentStore().RestoreToDefault();
  ReadCurrentProfileInfo();
  SetProfileChanged(FProfileIndex, true);
}

bool TDM::RestoreProfileInfoToDefault(int AProfileIndex) {
  TuiProfile* store = ProfileStore(AProfileIndex);
  if (store == nullptr) {
    return false;
  }
  store->RestoreToDefault();
  SetProfileChanged(AProfileIndex, true);
  return true;
}

void TDM::RestoreAllProfileInfoToDefault() {
  for (int i = 0; i < kGameProfileCount; ++i) {
    FProfileGroup[static_cast<std::size_t>(i)]->RestoreToDefault();
    SetProfileChanged(i, true);
  }
  ReadCurrentProfileInfo();
}

bool TDM::RestoreProfileGroupToDefault(int AProfileGroupIndex) {
  if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) {
    return false;
  }
  const Integer profile = ProfileIndexOfGroup(AProfileGroupIndex);
  if (profile == FProfileIndex) {
    RestoreCurrentProfileInfoToDefault();
  } else {
    FProfileGroup[static_cast<std::size_t>(profile)]->RestoreToDefault();
  }
  return true;
}

void TDM::RestoreProfileSettingGroupToDefault() {
  uiProfileSettingGroup.RestoreToDefault();
  uiProfileSettingGroup.SaveStreamToRegistry();
}

void TDM::InitTestDefaultValue() {
  ConfigureRegistryStore(uiProfileTest, kTestProfileValueName);
  uiProfileTest.Write(&FTestProfileInfo, kProfileBytes);
  uiProfileTest.RestoreToDefault();
  uiProfileTest.Read(&FTestProfileInfo, kProfileBytes);

  ConfigureRegistryStore(uiProfileDefaultGame, kDefaultProfileValueName);
  uiProfileDefaultGame.Write(&FDefaultProfileInfo, kProfileBytes);
  uiProfileDefaultGame.RestoreToDefault();
  uiProfileDefaultGame.Read(&FDefaultProfileInfo, kProfileBytes);
}

void TDM::SetProfileChanged(int AIndex, bool AIsChanged) {
  if (IsProfileIndexInRange(AIndex)) {
    FProfileChanged[static_cast<std::size_t>(AIndex)] = AIsChanged;
  }
}

bool TDM::IsProfileChanged(int AIndex) const {
  return IsProfileIndexInRange(AIndex) && FProfileChanged[static_cast<std::size_t>(AIndex)];
}

}  // namespace mon
