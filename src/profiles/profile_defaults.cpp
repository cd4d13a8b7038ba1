#include "profiles/profile_defaults.h"

#include <array>
#include <cstring>
#include <memory>

#include "framework/text.h"
#include "profiles/DMUnit.h"

namespace mon {

namespace {

// Windows virtual-key codes the default single-key entries use.
constexpr Word kVkLeft = 0x25, kVkRight = 0x27;
constexpr Word kVkLShift = 0xA0, kVkLControl = 0xA2, kVkLMenu = 0xA4;

// First function codes of the ranges whose code, shortcut-table entry and function ID advance
// together.
constexpr Word kFirstSystemComboCode = 15;  // combo system entries 0..5
constexpr Word kFirstBrowserCode = 21;      // HID browser entries 0..6
constexpr Word kLastBrowserCode = 27;
constexpr Word kFirstMediaCode = 29;  // HID media entries 0..6
constexpr Word kLastMediaCode = 35;
constexpr Word kUserComboCode = 6;
constexpr Word kSingleKeyCode = 5;
constexpr Word kOptionsCode = 38;
// Key 13 of the game profiles: the device function whose category (13) the entry carries.
constexpr Word kKey13Code = 43;

constexpr std::array<Word, 5> kDefaultCPI{1000, 2000, 4000, 8200, 16400};

struct TRGB {
  Byte R, G, B;
};
constexpr std::array<TRGB, kGameProfileCount> kGameColours{
    {{255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {255, 0, 0}}};

// nButtonIndex, type and code, with category and ID from the function-code table.
void SetEntry(TBUTTONFUNCINFO& AEntry, int AKey, TFunctionType AType, Word ACode) {
  const auto info = FunctionCodeInfo(ACode);
  AEntry.nButtonIndex = static_cast<Word>(AKey);
  AEntry.FunctionType = AType;
  AEntry.nFunctionCode = ACode;
  AEntry.nFunctionCategory = info ? info->Category : 0;
  AEntry.nFunctionID = info ? info->FunctionID : 0;
}

// A media or browser key: the 16-bit HID usage of the table entry that belongs to the code.
void SetHidKey(TBUTTONFUNCINFO& AEntry, int AKey, Word ACode) {
  SetEntry(AEntry, AKey, FUNCTION_TYPE_MEDIA_KEY, ACode);
  THID_CODE_INFO hid{};
  if (ACode >= kFirstMediaCode && ACode <= kLastMediaCode) {
    GetMediaKeyHidCode(ACode - kFirstMediaCode, hid);
  } else if (ACode >= kFirstBrowserCode && ACode <= kLastBrowserCode) {
    GetBrowserKeyHidCode(ACode - kFirstBrowserCode, hid);
  }
  AEntry.nMediaCodeLow = static_cast<Word>(hid.nKeyValue1 & 0xFF);
  AEntry.nMediaCodeHigh = static_cast<Word>(hid.nKeyValue1 >> 8);
}

// A system shortcut: the combo system entry that belongs to the code.
void SetSystemCombo(TBUTTONFUNCINFO& AEntry, int AKey, Word ACode) {
  SetEntry(AEntry, AKey, FUNCTION_TYPE_COMBO_KEY, ACode);
  TCOMBOKEYINFO combo{};
  GetSystemComboKey(ACode - kFirstSystemComboCode, combo);
  AEntry.ComboKey = combo;
}

// A user combination filled from the combo tab table, with a caption of its own.
void SetTabCombo(TBUTTONFUNCINFO& AEntry, int AKey, int ATabEntry, std::u16string_view ACaption) {
  SetEntry(AEntry, AKey, FUNCTION_TYPE_COMBO_KEY, kUserComboCode);
  TCOMBOKEYINFO combo{};
  GetTabComboKey(ATabEntry, combo);
  AEntry.ComboKey = combo;
  WriteFixedText(AEntry.ComboKey.ComboKeyText, ACaption);
}

void SetSingleKey(TBUTTONFUNCINFO& AEntry, int AKey, Word AVirtualKey, Word AExtended,
                  std::u16string_view ACaption) {
  SetEntry(AEntry, AKey, FUNCTION_TYPE_SINGLE_KEY, kSingleKeyCode);
  AEntry.SingleKey.nKeyValue = AVirtualKey;
  AEntry.SingleKey.nKeyExtended = AExtended;
  WriteFixedText(AEntry.SingleKey.KeyText, ACaption);
}

// Table G1: media keys, seek by arrow keys, Alt+F4, Windows+D.
void ApplyTableG1(TBUTTONFUNCINFO (&AKeys)[kButtonEntryCount]) {
  SetHidKey(AKeys[3], 3, 35);  // mute
  SetHidKey(AKeys[4], 4, 33);  // volume up
  SetHidKey(AKeys[5], 5, 34);  // volume down
  SetSingleKey(AKeys[6], 6, kVkRight, 1, u"FAST FORWARD");
  SetSingleKey(AKeys[7], 7, kVkLeft, 1, u"REWIND");
  SetHidKey(AKeys[8], 8, 32);         // next track
  SetHidKey(AKeys[9], 9, 31);         // previous track
  SetHidKey(AKeys[10], 10, 29);       // play/pause
  SetSystemCombo(AKeys[11], 11, 16);  // Alt+F4
  SetSystemCombo(AKeys[12], 12, 19);  // Windows+D
}

// Table G2: browser tabs and navigation.
void ApplyTableG2(TBUTTONFUNCINFO (&AKeys)[kButtonEntryCount]) {
  SetTabCombo(AKeys[3], 3, 0, u"CLOSE TAB");
  SetTabCombo(AKeys[4], 4, 1, u"ZOOM IN");
  SetTabCombo(AKeys[5], 5, 2, u"ZOOM OUT");
  SetTabCombo(AKeys[6], 6, 3, u"PREVIOUS TAB");
  SetTabCombo(AKeys[7], 7, 4, u"NEXT TAB");
  SetHidKey(AKeys[8], 8, 23);    // browser forward
  SetHidKey(AKeys[9], 9, 22);    // browser back
  SetHidKey(AKeys[10], 10, 25);  // browser refresh
  SetSystemCombo(AKeys[11], 11, 16);
  SetSystemCombo(AKeys[12], 12, 19);
}

// Table G3: device functions and the left modifier keys.
void ApplyTableG3(TBUTTONFUNCINFO (&AKeys)[kButtonEntryCount]) {
  SetEntry(AKeys[3], 3, FUNCTION_TYPE_OPTIONS, kOptionsCode);
  AKeys[3].nOption1 = 3;
  AKeys[3].nOption2 = 1;
  AKeys[3].nOption3 = 129;
  SetEntry(AKeys[4], 4, FUNCTION_TYPE_BASIC, 45);
  SetEntry(AKeys[5], 5, FUNCTION_TYPE_BASIC, 46);
  SetEntry(AKeys[6], 6, FUNCTION_TYPE_BASIC, 41);
  SetEntry(AKeys[7], 7, FUNCTION_TYPE_BASIC, 42);
  SetSingleKey(AKeys[8], 8, kVkLMenu, 0, u"");
  SetSingleKey(AKeys[9], 9, kVkLControl, 0, u"");
  SetSingleKey(AKeys[10], 10, kVkLShift, 0, u"");
  SetEntry(AKeys[11], 11, FUNCTION_TYPE_BASIC, 3);
  SetEntry(AKeys[12], 12, FUNCTION_TYPE_BASIC, 4);
}

void StampHeader(TProfileHeader& AHeader, TClock& AClock) {
  AHeader.FFileVersion = kDefaultFileVersion;
  AHeader.FProfileUID = NewProfileUID(AClock);
}

void SetPointerDefaults(TMOUSECONFIGINFO& AConfig) {
  AConfig.VWheelSpeed = 3;
  AConfig.DoubleClickSpeed = 550;
  AConfig.PointerSpeed = 10;
  AConfig.PointerAcceleration = 0;
}

// CPI levels 0..4 in use with equal X and Y; levels 5..10 keep their bytes.
void SetCPIDefaults(TMOUSECONFIGINFO& AConfig) {
  AConfig.CPILevel = static_cast<Word>(kDefaultCPI.size());
  for (std::size_t level = 0; level < kDefaultCPI.size(); ++level) {
    AConfig.CPIState[level].CPIX = kDefaultCPI[level];
    AConfig.CPIState[level].CPIY = kDefaultCPI[level];
    AConfig.CPIState[level].Enabled = 1;
    AConfig.UseDiffentXY[level] = 1;
  }
}

}  // namespace

void ApplyGameProfileDefaults(TMouseProfileInfo& AProfile, int AGame, TClock& AClock) {
  if (AGame < 0 || AGame >= kGameProfileCount) {
    return;
  }
  StampHeader(AProfile.ProfileHeader, AClock);
  TMOUSECONFIGINFO& config = AProfile.ConfigInfo;
  config.ButtonCount = 13;
  std::memset(config.ButtonFuncInfo, 0, sizeof config.ButtonFuncInfo);
  auto& keys = config.ButtonFuncInfo;
  for (int k = 0; k < 3; ++k) {
    SetEntry(keys[k], k, FUNCTION_TYPE_BASIC, static_cast<Word>(k));
  }
  switch (AGame) {
    case 0:
      ApplyTableG1(keys);
      break;
    case 1:
      ApplyTableG2(keys);
      break;
    default:
      ApplyTableG3(keys);
      break;
  }
  SetEntry(keys[13], 13, FUNCTION_TYPE_BASIC, kKey13Code);

  SetPointerDefaults(config);
  config.ReportRate = 500;
  SetCPIDefaults(config);
  config.CurrentCPIIndex = AGame;
  const TRGB colour = kGameColours[static_cast<std::size_t>(AGame)];
  config.LEDConfig.R = colour.R;
  config.LEDConfig.G = colour.G;
  config.LEDConfig.B = colour.B;
  config.LEDConfig.BRIGHT_LEVEL = 2;
  config.LEDConfig.BREATH_SPEED = 3;
}

void ApplyTestProfileDefaults(TMouseProfileInfo& AProfile, TClock& AClock) {
  std::memset(&AProfile, 0, sizeof AProfile);
  StampHeader(AProfile.ProfileHeader, AClock);
  TMOUSECONFIGINFO& config = AProfile.ConfigInfo;
  config.ButtonCount = 15;
  for (int k = 0; k < 5; ++k) {
    SetEntry(config.ButtonFuncInfo[k], k, FUNCTION_TYPE_BASIC, static_cast<Word>(k));
  }
  // The mouse's own key-report bits: key k is bit k of the 24-bit mask.
  for (int k = 5; k < kButtonEntryCount; ++k) {
    TBUTTONFUNCINFO& entry = config.ButtonFuncInfo[k];
    entry.nButtonIndex = static_cast<Word>(k);
    entry.FunctionType = FUNCTION_TYPE_REPORT_MASK;
    entry.nFunctionCode = 14;
    entry.nFunctionCategory = 19;
    entry.nFunctionID = 0;
    const std::uint32_t mask = 1u << k;
    entry.ReportMask[0] = static_cast<Byte>(mask);
    entry.ReportMask[1] = static_cast<Byte>(mask >> 8);
    entry.ReportMask[2] = static_cast<Byte>(mask >> 16);
  }
  SetPointerDefaults(config);
  config.ReportRate = 125;
  SetCPIDefaults(config);
  config.CurrentCPIIndex = 0;
  config.LEDConfig.R = 255;
  config.LEDConfig.G = 0;
  config.LEDConfig.B = 0;
  config.LEDConfig.BRIGHT_LEVEL = 2;
  config.LEDConfig.BREATH_SPEED = 2;
}

void ApplyProfileSettingGroupDefaults(TProfileSettingGroup& AGroup,
                                      const TOptionsFromConfigFile& AOptions,
                                      const std::u16string& AProfilePath) {
  for (int i = 0; i < kGameProfileCount; ++i) {
    TPROFILESETTING& entry = AGroup.ProfileSettingList[i];
    const std::u16string name = AOptions.ProfileNamePrefix + IntToText(i + 1);
    entry.nEntryState = 0;
    entry.StorageMode = STORAGE_REGISTRY;
    WriteFixedText(entry.szProfileFileName, name + u".pfd");
    WriteFixedText(entry.szRegFolder, AOptions.ProfileRegFolder);
    WriteFixedText(entry.szProfileFolder, AProfilePath);
    // The profile path ends with a backslash already, so the macro folder holds two in a row
    // before the prefix. Stored records look like that; keep it.
    std::u16string macroFolder;
    if (!AProfilePath.empty()) {
      macroFolder = AProfilePath;
      macroFolder += u'\\';
      macroFolder += name;
      macroFolder += u"_Macros";
    }
    WriteFixedText(entry.szMacroFolder, macroFolder);
  }
  AGroup.CurrentProfileGroup = 0;
  AGroup.ProfileIndexOfProfileGroup[0] = 0;
  AGroup.ProfileIndexOfProfileGroup[1] = 1;
}

void ApplyAllSettingsDefaults(TALLGAMESINFO& ASettings) {
  for (auto& entry : ASettings.Allgameset) {
    entry.nEntryState = 0;
    entry.StorageMode = STORAGE_REGISTRY;
    WriteFixedText(entry.szProfileFolder, u"");
  }
  ASettings.Allgameset[0].nEntryState = 1;
  ASettings.CurrentGame = 4;
  ASettings.CurrentLanguage = 0;
}

void ApplyDefaultCPISetting(TMouseProfileInfo& AProfile) {
  TMOUSECONFIGINFO& config = AProfile.ConfigInfo;
  std::memset(config.CPIState, 0, sizeof(TCPISTATE) * 5);
  for (std::size_t level = 0; level < 4; ++level) {
    config.CPIState[level].CPIX = kDefaultCPI[level];
    config.CPIState[level].CPIY = kDefaultCPI[level];
    config.CPIState[level].Enabled = 1;
    config.UseDiffentXY[level] = 0;
  }
  config.CurrentCPIIndex = 1;
}

void ApplyDefaultLightAndReportAdvancedSetting(TMouseProfileInfo& AProfile) {
  TMOUSECONFIGINFO& config = AProfile.ConfigInfo;
  config.ReportRate = 125;
  config.LEDConfig.BRIGHT_LEVEL = 2;
  config.LEDConfig.BREATH_SPEED = 3;
  config.LEDConfig.R = 255;
  config.LEDConfig.G = 0;
  config.LEDConfig.B = 0;
}

// The profile manager's handlers and direct resets ----------------------------------------------

namespace {

// Runs AEdit on the record held by AStream's image, in place. An image shorter than the record
// is first extended with zeros, so the edit is never cut short nor written past its end.
template <class TRecord, class TEdit>
void EditImage(TMemoryStream& AStream, TEdit&& AEdit) {
  if (AStream.Size() < static_cast<std::int64_t>(sizeof(TRecord))) {
    AStream.SetSize(sizeof(TRecord));
  }
  const auto record = std::make_unique_for_overwrite<TRecord>();
  std::memcpy(record.get(), AStream.Memory(), sizeof(TRecord));
  AEdit(*record);
  std::memcpy(AStream.Memory(), record.get(), sizeof(TRecord));
}

}  // namespace

void TDM::GameRestoreToDefault(TMemoryStream& AStream, int AGame) {
  EditImage<TMouseProfileInfo>(AStream, [&](TMouseProfileInfo& AProfile) {
    ApplyGameProfileDefaults(AProfile, AGame, FClock);
  });
}

void TDM::uiProfileGame1RestoreToDefault(TMemoryStream& AStream) {
  GameRestoreToDefault(AStream, 0);
}

void TDM::uiProfileGame2RestoreToDefault(TMemoryStream& AStream) {
  GameRestoreToDefault(AStream, 1);
}

void TDM::uiProfileGame3RestoreToDefault(TMemoryStream& AStream) {
  GameRestoreToDefault(AStream, 2);
}

void TDM::uiProfileGame4RestoreToDefault(TMemoryStream& AStream) {
  GameRestoreToDefault(AStream, 3);
}

void TDM::uiProfileGame5RestoreToDefault(TMemoryStream& AStream) {
  GameRestoreToDefault(AStream, 4);
}

void TDM::uiProfileTestRestoreToDefault(TMemoryStream& AStream) {
  if (AStream.Size() == 0) {
    return;
  }
  EditImage<TMouseProfileInfo>(
      AStream, [&](TMouseProfileInfo& AProfile) { ApplyTestProfileDefaults(AProfile, FClock); });
}

void TDM::uiProfileSettingGroupRestoreToDefault(TMemoryStream& AStream) {
  // The folder is only a text in the record: when it cannot be created now, the text is still
  // right and the configuration program creates it when it first saves a file there.
  const std::u16string profilePath = PersonalProfilePath(false);
  EditImage<TProfileSettingGroup>(AStream, [&](TProfileSettingGroup& AGroup) {
    ApplyProfileSettingGroupDefaults(AGroup, FOptionsFromConfigFile, profilePath);
  });
}

void TDM::uiProfileAllSettingInfoRestoreToDefault(TMemoryStream& AStream) {
  EditImage<TALLGAMESINFO>(AStream, ApplyAllSettingsDefaults);
}

void TDM::RestoreToDefaultCPISetting() {
  ApplyDefaultCPISetting(FCurrentProfileInfo);
}

void TDM::RestoreToDefaultLightAndReportAdvancedSetting() {
  ApplyDefaultLightAndReportAdvancedSetting(FCurrentProfileInfo);
}

}  // namespace mon
