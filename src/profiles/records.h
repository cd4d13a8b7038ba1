// The binary records the monitor shares with the configuration program. Each is persisted as its
// exact in-memory byte image (little-endian, natural alignment, zero-terminated UTF-16 text
// arrays), so every size and offset below is part of the stored format and pinned by a
// static_assert. Records are copied whole, never field by field; opaque regions are carried
// byte-exact.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace mon {

static_assert(std::endian::native == std::endian::little,
              "the stored records are little-endian byte images");

using Word = std::uint16_t;
using Byte = std::uint8_t;
using Integer = std::int32_t;
using Cardinal = std::uint32_t;

// Text arrays ---------------------------------------------------------------------------------

// The text of a fixed array up to its terminator, or all of it when the terminator is missing.
std::u16string ReadFixedText(std::span<const char16_t> AArray);
// Stores AText, cut to leave room for the terminator; the rest of the array is zeroed.
void WriteFixedText(std::span<char16_t> AArray, std::u16string_view AText);

template <std::size_t N>
std::u16string ReadFixedText(const char16_t (&AArray)[N]) {
  return ReadFixedText(std::span<const char16_t>(AArray, N));
}
template <std::size_t N>
void WriteFixedText(char16_t (&AArray)[N], std::u16string_view AText) {
  WriteFixedText(std::span<char16_t>(AArray, N), AText);
}

// Profile header ------------------------------------------------------------------------------

// 8 bytes, three views of the same bytes: raw, a date-time (days since 30 December 1899, the
// fraction being the time of day) and the same value as a plain double.
struct alignas(8) TProfileUIDData {
  Byte RawData[8];

  double DataTime() const {
    double value;
    std::memcpy(&value, RawData, sizeof value);
    return value;
  }
  void SetDataTime(double AValue) { std::memcpy(RawData, &AValue, sizeof AValue); }
  double DoubleData() const { return DataTime(); }
  void SetDoubleData(double AValue) { SetDataTime(AValue); }
};
static_assert(sizeof(TProfileUIDData) == 8);

struct TProfileHeader {
  Integer FFileVersion;   // every default profile writes 259
  Byte FFileType[8];      // not interpreted
  Byte FFileName[44];     // not interpreted
  Cardinal FProfileSize;  // not interpreted
  Byte Padding60[4];
  TProfileUIDData FProfileUID;
};
static_assert(sizeof(TProfileHeader) == 72);
static_assert(offsetof(TProfileHeader, FFileType) == 4);
static_assert(offsetof(TProfileHeader, FFileName) == 12);
static_assert(offsetof(TProfileHeader, FProfileSize) == 56);
static_assert(offsetof(TProfileHeader, FProfileUID) == 64);

// Carried along unchanged; its inside is the configuration program's.
struct TFUNCTIONLIST {
  Byte FunctionInfo[800];
};
static_assert(sizeof(TFUNCTIONLIST) == 800);

// Button functions ----------------------------------------------------------------------------

struct TSINGLEKEYINFO {
  Word nKeyValue;     // Windows virtual-key code
  Word nKeyExtended;  // 1 = extended key
  char16_t KeyText[31];
};
static_assert(sizeof(TSINGLEKEYINFO) == 66);
static_assert(offsetof(TSINGLEKEYINFO, KeyText) == 4);

// A key combination in Windows virtual-key codes; nModifier: 1 Alt, 2 Ctrl, 4 Shift, 8 Windows.
struct TCOMBOKEYINFO {
  Word nKeyValue1;
  Word nKey1Extended;
  Word nKeyValue2;  // 0 = none
  Word nKey2Extended;
  Word nModifier;
  char16_t ComboKeyText[31];
};
static_assert(sizeof(TCOMBOKEYINFO) == 72);
static_assert(offsetof(TCOMBOKEYINFO, nModifier) == 8);
static_assert(offsetof(TCOMBOKEYINFO, ComboKeyText) == 10);

// How a button's function is encoded (FunctionType).
enum TFunctionType : Byte {
  FUNCTION_TYPE_BASIC = 1,
  FUNCTION_TYPE_COMBO_KEY = 3,
  FUNCTION_TYPE_MACRO = 4,
  FUNCTION_TYPE_SINGLE_KEY = 8,
  FUNCTION_TYPE_MEDIA_KEY = 10,
  FUNCTION_TYPE_REPORT_MASK = 11,
  FUNCTION_TYPE_OPTIONS = 13,
};

// What one physical key (or one wheel direction) does. Only the part FunctionType selects is
// meaningful; the rest is zero.
struct TBUTTONFUNCINFO {
  Word Spare0;
  TSINGLEKEYINFO SingleKey;  // type 8
  TCOMBOKEYINFO ComboKey;    // type 3
  Word nMediaCodeLow;        // type 10: low byte of the 16-bit HID usage
  Word nMediaCodeHigh;       // type 10: high byte
  Byte Opaque144[966];
  Word nButtonMacroIndex;  // type 4
  Byte Opaque1112[2952];
  Byte ReportMask[3];  // type 11: 24-bit little-endian mask in the mouse's key report
  Byte Opaque4067[1];
  Word nOption1;  // type 13
  Word nOption2;
  Word nOption3;
  Byte Opaque4074[74];
  Word nButtonIndex;  // the entry's own index
  Word nFunctionCode;
  Byte FunctionType;  // TFunctionType
  Byte Padding4153[3];
  Integer nFunctionCategory;
  Integer nFunctionID;
  Byte Spare4164[4];
};
static_assert(sizeof(TBUTTONFUNCINFO) == 4168);
static_assert(offsetof(TBUTTONFUNCINFO, SingleKey) == 2);
static_assert(offsetof(TBUTTONFUNCINFO, ComboKey) == 68);
static_assert(offsetof(TBUTTONFUNCINFO, nMediaCodeLow) == 140);
static_assert(offsetof(TBUTTONFUNCINFO, nMediaCodeHigh) == 142);
static_assert(offsetof(TBUTTONFUNCINFO, Opaque144) == 144);
static_assert(offsetof(TBUTTONFUNCINFO, nButtonMacroIndex) == 1110);
static_assert(offsetof(TBUTTONFUNCINFO, ReportMask) == 4064);
static_assert(offsetof(TBUTTONFUNCINFO, nOption1) == 4068);
static_assert(offsetof(TBUTTONFUNCINFO, nOption2) == 4070);
static_assert(offsetof(TBUTTONFUNCINFO, nOption3) == 4072);
static_assert(offsetof(TBUTTONFUNCINFO, nButtonIndex) == 4148);
static_assert(offsetof(TBUTTONFUNCINFO, nFunctionCode) == 4150);
static_assert(offsetof(TBUTTONFUNCINFO, FunctionType) == 4152);
static_assert(offsetof(TBUTTONFUNCINFO, nFunctionCategory) == 4156);
static_assert(offsetof(TBUTTONFUNCINFO, nFunctionID) == 4160);

// Mouse configuration -------------------------------------------------------------------------

struct TCPISTATE {
  Word CPIX;
  Word CPIY;
  Word Enabled;  // 1 = level in use
  Word Spare[2];
};
static_assert(sizeof(TCPISTATE) == 10);

struct TLEDCONFIG {
  Byte R;
  Byte G;
  Byte B;
  Byte BRIGHT_LEVEL;
  Byte BREATH_SPEED;
  Byte BREATH_SECOND;
};
static_assert(sizeof(TLEDCONFIG) == 6);

struct TSENSORLIFT {
  Byte SensorLift;
};
static_assert(sizeof(TSENSORLIFT) == 1);

struct TPROFILE_MACRO_PATH {
  char16_t FilePath[513];
};
static_assert(sizeof(TPROFILE_MACRO_PATH) == 1026);

// Keys of a profile: entries 0..13 of ButtonFuncInfo. ButtonCount may say more (the test profile
// stores 15); every reader looks at most at these 14.
inline constexpr int kButtonEntryCount = 14;
inline constexpr int kCPILevelCount = 11;

struct TMOUSECONFIGINFO {
  TBUTTONFUNCINFO ButtonFuncInfo[kButtonEntryCount];
  TBUTTONFUNCINFO VWheelButtonFuncInfo[2];
  TBUTTONFUNCINFO HWheelButtonFuncInfo[2];
  Word VWheelType;
  Word HWheelType;
  Word VWheelSpeed;
  Word HWheelSpeed;
  Word DoubleClickSpeed;
  Word PointerSpeed;
  Word PointerAcceleration;
  Word UseSystemPointerSpeedSetting;
  Word ReportRate;
  Byte Padding75042[2];
  Integer CurrentCPIIndex;
  Word CurrentCPIX;
  Word CurrentCPIY;
  Word MinCPI;
  Word MaxCPI;
  Word UseDiffentXY[kCPILevelCount];
  Word UseCPIOnScreenFlyShow;
  TCPISTATE CPIState[kCPILevelCount];
  Word CPILevel;
  Word AutoSwitchProfileWhenAppRun;
  Byte ApplicationList[10260];  // not interpreted
  TLEDCONFIG LEDConfig;
  TSENSORLIFT Sensorlift;
  Byte Padding85461[3];
  Integer ButtonCount;
  TPROFILE_MACRO_PATH ProfilePath;
  TPROFILE_MACRO_PATH MacroPath;
  Integer FireKeySpeed;
  Integer FireKeyCount;
};
static_assert(sizeof(TMOUSECONFIGINFO) == 87528);
static_assert(offsetof(TMOUSECONFIGINFO, VWheelButtonFuncInfo) == 58352);
static_assert(offsetof(TMOUSECONFIGINFO, HWheelButtonFuncInfo) == 66688);
static_assert(offsetof(TMOUSECONFIGINFO, VWheelType) == 75024);
static_assert(offsetof(TMOUSECONFIGINFO, HWheelType) == 75026);
static_assert(offsetof(TMOUSECONFIGINFO, VWheelSpeed) == 75028);
static_assert(offsetof(TMOUSECONFIGINFO, HWheelSpeed) == 75030);
static_assert(offsetof(TMOUSECONFIGINFO, DoubleClickSpeed) == 75032);
static_assert(offsetof(TMOUSECONFIGINFO, PointerSpeed) == 75034);
static_assert(offsetof(TMOUSECONFIGINFO, PointerAcceleration) == 75036);
static_assert(offsetof(TMOUSECONFIGINFO, UseSystemPointerSpeedSetting) == 75038);
static_assert(offsetof(TMOUSECONFIGINFO, ReportRate) == 75040);
static_assert(offsetof(TMOUSECONFIGINFO, CurrentCPIIndex) == 75044);
static_assert(offsetof(TMOUSECONFIGINFO, CurrentCPIX) == 75048);
static_assert(offsetof(TMOUSECONFIGINFO, CurrentCPIY) == 75050);
static_assert(offsetof(TMOUSECONFIGINFO, MinCPI) == 75052);
static_assert(offsetof(TMOUSECONFIGINFO, MaxCPI) == 75054);
static_assert(offsetof(TMOUSECONFIGINFO, UseDiffentXY) == 75056);
static_assert(offsetof(TMOUSECONFIGINFO, UseCPIOnScreenFlyShow) == 75078);
static_assert(offsetof(TMOUSECONFIGINFO, CPIState) == 75080);
static_assert(offsetof(TMOUSECONFIGINFO, CPILevel) == 75190);
static_assert(offsetof(TMOUSECONFIGINFO, AutoSwitchProfileWhenAppRun) == 75192);
static_assert(offsetof(TMOUSECONFIGINFO, ApplicationList) == 75194);
static_assert(offsetof(TMOUSECONFIGINFO, LEDConfig) == 85454);
static_assert(offsetof(TMOUSECONFIGINFO, Sensorlift) == 85460);
static_assert(offsetof(TMOUSECONFIGINFO, ButtonCount) == 85464);
static_assert(offsetof(TMOUSECONFIGINFO, ProfilePath) == 85468);
static_assert(offsetof(TMOUSECONFIGINFO, MacroPath) == 86494);
static_assert(offsetof(TMOUSECONFIGINFO, FireKeySpeed) == 87520);
static_assert(offsetof(TMOUSECONFIGINFO, FireKeyCount) == 87524);

// Macros ----------------------------------------------------------------------------------------

struct TMACROKEYINFO {
  Byte MacroList[768];  // the macro's steps, opaque here
  Integer MacroListCount;
  Word nAutoAddDelay;
  Byte nLoopRunWhenPressed;
  Byte Padding775[1];
  Word nLoopCount;
  Word nMacroIndex;
  Byte MacroUse;
  Byte Padding781[1];
  char16_t szMacroName[51];
  Cardinal Version;
  Integer HaveErrors;
  Integer ErrorCount;
};
static_assert(sizeof(TMACROKEYINFO) == 896);
static_assert(offsetof(TMACROKEYINFO, MacroListCount) == 768);
static_assert(offsetof(TMACROKEYINFO, nAutoAddDelay) == 772);
static_assert(offsetof(TMACROKEYINFO, nLoopRunWhenPressed) == 774);
static_assert(offsetof(TMACROKEYINFO, nLoopCount) == 776);
static_assert(offsetof(TMACROKEYINFO, nMacroIndex) == 778);
static_assert(offsetof(TMACROKEYINFO, MacroUse) == 780);
static_assert(offsetof(TMACROKEYINFO, szMacroName) == 782);
static_assert(offsetof(TMACROKEYINFO, Version) == 884);
static_assert(offsetof(TMACROKEYINFO, HaveErrors) == 888);
static_assert(offsetof(TMACROKEYINFO, ErrorCount) == 892);

struct TMACROKEYINFOLIST {
  TMACROKEYINFO MacroInfos[30];
  Word nMacroInfoCount;
  Byte Padding[2];
};
static_assert(sizeof(TMACROKEYINFOLIST) == 26884);
static_assert(offsetof(TMACROKEYINFOLIST, nMacroInfoCount) == 26880);

struct TMACROINFOLIST_TO_DEVICE {
  TMACROKEYINFO MacroInfos[5];
  Word nMacroInfoCount;
  Byte Padding[2];
};
static_assert(sizeof(TMACROINFOLIST_TO_DEVICE) == 4484);
static_assert(offsetof(TMACROINFOLIST_TO_DEVICE, nMacroInfoCount) == 4480);

// The in-memory options record (with string lists) lives in the profile manager; inside a
// profile only a placeholder of its size is kept, written as zero and never interpreted.
struct TOtherConfigImage {
  Byte Placeholder[36];
};
static_assert(sizeof(TOtherConfigImage) == 36);

// One mouse profile ---------------------------------------------------------------------------

struct TMouseProfileInfo {
  TProfileHeader ProfileHeader;
  TFUNCTIONLIST FunctionList;
  TMOUSECONFIGINFO ConfigInfo;
  TFUNCTIONLIST HWheelFunctionList;
  TFUNCTIONLIST VWheelFunctionList;
  TMACROKEYINFOLIST MacroKeyInfoList;
  TMACROINFOLIST_TO_DEVICE MacroInfoToDevice;
  TOtherConfigImage OtherConfig;
  Byte Padding121404[4];
};
static_assert(sizeof(TMouseProfileInfo) == 121408);
static_assert(alignof(TMouseProfileInfo) == 8);
static_assert(offsetof(TMouseProfileInfo, FunctionList) == 72);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo) == 872);
static_assert(offsetof(TMouseProfileInfo, HWheelFunctionList) == 88400);
static_assert(offsetof(TMouseProfileInfo, VWheelFunctionList) == 89200);
static_assert(offsetof(TMouseProfileInfo, MacroKeyInfoList) == 90000);
static_assert(offsetof(TMouseProfileInfo, MacroInfoToDevice) == 116884);
static_assert(offsetof(TMouseProfileInfo, OtherConfig) == 121368);

// Where the button entry of key k and its function code start inside a profile image.
constexpr std::size_t ButtonEntryOffset(int AKey) {
  return offsetof(TMouseProfileInfo, ConfigInfo) +
         sizeof(TBUTTONFUNCINFO) * static_cast<std::size_t>(AKey);
}
static_assert(ButtonEntryOffset(0) + offsetof(TBUTTONFUNCINFO, nFunctionCode) == 5022);

// Profile places and settings -----------------------------------------------------------------

enum TStorageMode : Byte { STORAGE_REGISTRY = 0, STORAGE_FILE = 1 };

struct TPROFILESETTING {
  Word nEntryState;
  char16_t szProfileFolder[1024];
  char16_t szRegFolder[1024];
  char16_t szProfileFileName[21];  // also the registry value name
  char16_t szMacroFolder[1024];
  Byte StorageMode;  // TStorageMode; any other value: not loaded
  Byte Padding6189[1];
};
static_assert(sizeof(TPROFILESETTING) == 6190);
static_assert(offsetof(TPROFILESETTING, szProfileFolder) == 2);
static_assert(offsetof(TPROFILESETTING, szRegFolder) == 2050);
static_assert(offsetof(TPROFILESETTING, szProfileFileName) == 4098);
static_assert(offsetof(TPROFILESETTING, szMacroFolder) == 4140);
static_assert(offsetof(TPROFILESETTING, StorageMode) == 6188);

inline constexpr int kGameProfileCount = 5;

// The all-settings record.
struct TALLGAMESINFO {
  TPROFILESETTING Allgameset[kGameProfileCount];
  Word CurrentGame;      // 0..4
  Byte CurrentLanguage;  // index into the language list
  Byte Padding30953[1];
};
static_assert(sizeof(TALLGAMESINFO) == 30954);
static_assert(offsetof(TALLGAMESINFO, CurrentGame) == 30950);
static_assert(offsetof(TALLGAMESINFO, CurrentLanguage) == 30952);

// The profile-group record.
struct TProfileSettingGroup {
  Integer CurrentProfileGroup;            // 0 or 1 as stored; not trusted
  Integer ProfileIndexOfProfileGroup[2];  // profile 0..4 per group; not trusted
  TPROFILESETTING ProfileSettingList[kGameProfileCount];
  Byte Padding30962[2];
};
static_assert(sizeof(TProfileSettingGroup) == 30964);
static_assert(offsetof(TProfileSettingGroup, ProfileIndexOfProfileGroup) == 4);
static_assert(offsetof(TProfileSettingGroup, ProfileSettingList) == 12);

// Every record above is a plain byte image.
static_assert(std::is_trivially_copyable_v<TMouseProfileInfo>);
static_assert(std::is_trivially_copyable_v<TALLGAMESINFO>);
static_assert(std::is_trivially_copyable_v<TProfileSettingGroup>);
static_assert(std::is_trivially_copyable_v<TMACROKEYINFO>);

// Function codes ------------------------------------------------------------------------------

inline constexpr Word kFunctionCodeMicrophoneMute = 28;
inline constexpr int kFunctionCodeCount = 48;

struct TFunctionCodeInfo {
  Integer Category;
  Integer FunctionID;
};

// Category and function ID of a function code 0..47; nullopt for other codes.
std::optional<TFunctionCodeInfo> FunctionCodeInfo(int ACode);

}  // namespace mon
