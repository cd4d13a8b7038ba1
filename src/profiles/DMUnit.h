// TDM: the profile manager, a data module that owns every stored record of the process and the
// options read from config.ini. At creation it loads the profile-group record, the all-settings
// record and the five game profiles from the current user's registry or from profile files,
// applies factory values (profile_defaults.h) where nothing is stored, and makes one game profile
// current. Afterwards it switches, reloads, saves and restores by profile index (0..4) and by
// profile group (0..1).
//
// Each record has its store (TuiProfile): the record is the working copy, the store's image is
// what is persisted, and the store's Write/Read copy between the two.
//
// Main thread only. One instance per process (it is large: allocate it on the heap).
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/shared_definitions.h"
#include "framework/component.h"
#include "platform/platform.h"
#include "profiles/records.h"
#include "profiles/uiProfile.h"

namespace mon {

// Registry value names (and default file names) of the records the manager keeps.
inline constexpr char16_t kProfileSettingGroupValueName[] = u"ProfileSettingGroup.pfd";
inline constexpr char16_t kAllSettingsValueName[] = u"allsettings.pfd";
inline constexpr char16_t kRecordMacroValueName[] = u"RecordRPROFILE.pfd";
inline constexpr char16_t kTestProfileValueName[] = u"B4471ProfileTest.pfd";
inline constexpr char16_t kDefaultProfileValueName[] = u"B4471ProfileDef.pfd";
inline constexpr char16_t kMacroDatabaseFileName[] = u"MacroSet.MSDB";

// Raised when a folder below the documents folder cannot be created.
class TProfileFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TDM : public TDataModule {
 private:
  // Declared first: the stores below are built with them.
  TFileSystem& FFiles;
  TRegistry& FRegistry;
  TLocale& FLocale;
  TClock& FClock;

 public:
  // Wires the stores and runs DataModuleCreate. APlatform must provide Files, Clock, Registry and
  // Locale and outlive the module.
  TDM(TComponent* AOwner, TPlatform& APlatform);
  ~TDM() override;

  std::u16string ClassName() const override { return u"TDM"; }

  // The stores, one per record, in this order.
  TuiProfile uiProfileAllSettingInfo;
  TuiProfile uiProfileGame1;
  TuiProfile uiProfileGame2;
  TuiProfile uiProfileGame3;
  TuiProfile uiProfileGame4;
  TuiProfile uiProfileGame5;
  TuiProfile uiProfileSettingGroup;
  TuiProfile uiProfileDefaultGame;
  TuiProfile uiProfileTest;
  TuiProfile uiProfileRecordMacroInfo;

  // The working copies. The main window reads FCurrentProfileInfo,
  // FAllProfileSettingInfo.CurrentLanguage and FOptionsFromConfigFile.ProfileRegFolder.
  TALLGAMESINFO FAllProfileSettingInfo{};
  TProfileSettingGroup FProfileSettingGroup{};
  TMouseProfileInfo FCurrentProfileInfo{};
  TOtherConfig FOtherConfig;
  TMouseProfileInfo FDefaultProfileInfo{};
  TMouseProfileInfo FTestProfileInfo{};
  TMACROKEYINFO FRecordMacroInfo{};
  TOptionsFromConfigFile FOptionsFromConfigFile;

  // The current profile group (0..1) and game profile (0..4); always in range, whatever the
  // stored records say.
  Integer ProfileGroupIndex() const { return FProfileGroupIndex; }
  Integer ProfileIndex() const { return FProfileIndex; }
  // Store of game profile AProfileIndex (0..4), or nullptr.
  TuiProfile* ProfileStore(int AProfileIndex) const;

  // Creation and paths ----------------------------------------------------------------------

  // The start-up sequence: options, device identity, profile group, all settings, macro
  // record, the five game profiles, then the current game.
  void DataModuleCreate(TComponent& Sender);
  // Nothing to do; the stores go with the module.
  void DataModuleDestroy(TComponent& Sender);

  // Documents folder + ProfileFolder + '\', created when missing (one level); throws
  // TProfileFolderError when that fails. Empty when the documents folder is unknown.
  std::u16string GetPersonalDocumentProfilePath();
  // The profile path + ProfileMacroFolder (created when missing) + "\MacroSet.MSDB"; throws
  // TProfileFolderError when a folder cannot be made. Empty when the documents folder is unknown.
  std::u16string GetPersonalDocumentMacroDatabasePath();
  // The macro numbers bound to keys of the five profiles, each once, in order of first
  // appearance.
  std::vector<Integer> GetAllProfilesMacroIndexList();

  // Switching and reading -------------------------------------------------------------------

  static bool IsProfileIndexInRange(int AProfileIndex);
  static bool IsProfileGroupIndexInRange(int AProfileGroupIndex);
  bool SwitchToProfile(int AProfileIndex);
  bool SwitchToProfileGroup(int AProfileGroupIndex);
  bool ReadCurrentProfileInfo();
  bool ReadProfileInfo(TMouseProfileInfo& AProfileInfo, int AProfileIndex);

  // Loading ---------------------------------------------------------------------------------

  void LoadAllProfileInfoFromRegistry();
  void LoadProfileGroupSettingInfoFromRegistry();
  void LoadCurrentProfileInfoFromRegistry();
  void LoadCurrentProfileInfoFromFile(const std::u16string& AFile);
  void LoadProfileInfoFromRegistry(int AProfileIndex);
  void LoadRecordMacroInfoFromRegistry();

  // Saving (save-back copies a record into its store; to-registry and to-file persist a
  // store). Registry saves do not report a failure; a save of the current profile to a file
  // returns false when the file could not be written (it is then as it was).

  void SaveBackToCurrentProfileInfo();
  void SaveCurrentProfileInfoToRegistry();
  bool SaveCurrentProfileInfoToFile(const std::u16string& AFile);
  bool SaveCurrentProfileInfoToFile();
  bool SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, int AProfileIndex);
  bool SaveProfileInfoToRegistry(int AProfileIndex);
  void SaveBackAllProfileInfo();
  void SaveBackAllProfileInfoToRegistry();
  void SaveBackAllProfileInfoToFile();
  void SaveBackAllProfileSettingInfo();
  void SaveBackToProfileGroupSettingInfo();
  void SaveProfileGroupSettingInfoToRegistry();
  void SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo);
  void ChangeCurrentProfileFileNameAndPath(const std::u16string& AProfileFilePath);

  // Restoring and change marks --------------------------------------------------------------

  void RestoreCurrentProfileInfoToDefault();
  bool RestoreProfileInfoToDefault(int AProfileIndex);
  void RestoreAllProfileInfoToDefault();
  bool RestoreProfileGroupToDefault(int AProfileGroupIndex);
  void RestoreProfileSettingGroupToDefault();
  void InitTestDefaultValue();
  // Index 0..4; other indexes are ignored (set) or read as false (get).
  void SetProfileChanged(int AIndex, bool AIsChanged);
  bool IsProfileChanged(int AIndex) const;

  // Direct resets of FCurrentProfileInfo (no change mark, nothing written to the store).
  void RestoreToDefaultCPISetting();
  void RestoreToDefaultLightAndReportAdvancedSetting();

  // The stores' OnRestoreToDefault handlers (profile_defaults.cpp). Each edits the image in
  // place; an image shorter than its record is first extended with zeros to the record's size,
  // so the factory content is never cut short or written past the image's end.
  void uiProfileAllSettingInfoRestoreToDefault(TMemoryStream& AStream);
  void uiProfileGame1RestoreToDefault(TMemoryStream& AStream);
  void uiProfileGame2RestoreToDefault(TMemoryStream& AStream);
  void uiProfileGame3RestoreToDefault(TMemoryStream& AStream);
  void uiProfileGame4RestoreToDefault(TMemoryStream& AStream);
  void uiProfileGame5RestoreToDefault(TMemoryStream& AStream);
  void uiProfileSettingGroupRestoreToDefault(TMemoryStream& AStream);
  // Does nothing on an empty image.
  void uiProfileTestRestoreToDefault(TMemoryStream& AStream);

 private:
  TuiProfile& CurrentStore() { return *FProfileGroup[static_cast<std::size_t>(FProfileIndex)]; }
  void ConfigureRegistryStore(TuiProfile& AStore, const std::u16string& AValueName);
  // Load from the registry; when nothing usable is stored, factory content saved at once.
  void LoadOrRestoreAndSave(TuiProfile& AStore);
  void LoadGameProfile(int AProfileIndex);
  // Takes FProfileGroupIndex and FProfileIndex from FProfileSettingGroup, falling back to 0
  // for values outside their range.
  void TakeIndexesFromProfileGroup();
  Integer ProfileIndexOfGroup(int AProfileGroupIndex) const;
  std::u16string PersonalProfilePath(bool AMustExist);
  void GameRestoreToDefault(TMemoryStream& AStream, int AGame);

  std::array<TuiProfile*, 6> FProfileGroup{};  // slots 0..4: the game stores; 5 stays empty
  std::array<bool, kGameProfileCount> FProfileChanged{};
  Integer FProfileGroupIndex = 0;
  Integer FProfileIndex = 0;
};

}  // namespace mon
