// What the monitor shares with the configuration program: the names by which the two programs
// find each other, the window messages they exchange, the options of config.ini, the identity of
// the mouse's vendor HID collection, the stamp of a new profile, and the keyboard shortcut
// tables the default profiles are built from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hid/hid_types.h"
#include "platform/clock.h"
#include "platform/config_file.h"
#include "platform/file_system.h"
#include "platform/locale.h"
#include "platform/window_system.h"
#include "profiles/records.h"

namespace mon {

// Fixed names and texts ------------------------------------------------------------------------

inline constexpr char16_t CFG_MAIN_CLASS[] = u"TKORVALDZ314CFGMAIN";
inline constexpr char16_t CFG_EXE_NAME[] = u"KORVALDZ314.EXE";
inline constexpr char16_t CFG_TITLE[] = u"GAMING MOUSE CONFIG";
inline constexpr char16_t MON_MAIN_CLASS[] = u"TKORVALDZ314MONMAIN";
inline constexpr char16_t MON_EXE_NAME[] = u"KORVALDZ314MON.EXE";
inline constexpr char16_t MON_TITLE[] = u"GAMING MOUSE MONITOR";
inline constexpr char16_t DRIVER_TITLE[] = u"GAMING MOUSE DRIVER";
inline constexpr char16_t MSG_SAVE_SETTINGS[] =
    u"THE SETTINGS HAS CHANGED, WOULD YOU LIKE TO SAVE?";
inline constexpr char16_t MSG_WARNING[] = u"WARNING!";
inline constexpr char16_t MSG_PROFILE_VERSION[] = u"GAMING MOUSE PROFILE VERSION INCORRECT!";
// The registered window message, sent to the window of class MON_MAIN_CLASS, that asks the
// monitor to end as Exit in its menu does (the installer and the uninstaller send it).
inline constexpr char16_t MON_QUIT_MESSAGE[] = u"KORVALDZ314MON.Quit";

// Window messages between the monitor and the configuration program ---------------------------

enum TMonitorMessage : std::uint32_t {
  WM_CFG_PROFILE_CHANGED = 7035,       // cfg -> monitor; lParam: value to store as "ProfileID"
  WM_MONITOR_EXIT = 7036,              // monitor -> cfg, posted on Exit
  WM_CFG_SETTINGS_CHANGED = 7037,      // cfg -> monitor; reload settings, re-apply language
  WM_MONITOR_PROFILE_SWITCHED = 7040,  // monitor -> cfg, sent; wParam: profile 0..4
  WM_MONITOR_STATUS_2 = 7042,          // monitor -> cfg, posted; wParam: status value
  WM_MONITOR_STATUS_6 = 7043,          // monitor -> cfg, posted; wParam: status value
  WM_MONITOR_KEY_INDEX = 7524,         // monitor -> itself, posted; wParam: key index or 21..25
};

// Options -------------------------------------------------------------------------------------

struct TOptionsFromConfigFile {
  std::u16string ProfileRegFolder;  // registry key below HKEY_CURRENT_USER
  std::u16string ProfileFolder;
  std::u16string ProfileNamePrefix;
  std::u16string ProfileMacroFolder;
};

// Name=value pairs in insertion order, names compared without regard to case. Setting an empty
// value removes the name.
class TNameValueList {
 public:
  void SetValue(const std::u16string& AName, const std::u16string& AValue);
  std::optional<std::u16string> Value(const std::u16string& AName) const;
  const std::vector<std::pair<std::u16string, std::u16string>>& Items() const { return FItems; }
  std::size_t Count() const { return FItems.size(); }

 private:
  std::vector<std::pair<std::u16string, std::u16string>> FItems;
};

// Further options of config.ini. The monitor loads them and reads none afterwards. (A profile
// image holds only a zeroed placeholder of this record's size: TOtherConfigImage.)
struct TOtherConfig {
  Integer ShowNumLock = 0;
  Integer ShowCapsLock = 0;
  Integer ShowScrollLock = 0;
  Integer ShowLockStatePop = 0;
  TNameValueList HelpFile;
  TNameValueList HelpLinks;
  Integer Nologo = 0;
  std::u16string OfficialWebsite;
  std::u16string helppagestyle;
};

// Reads section "options" of config.ini beside the executable. ProfileRegFolder always gets
// "software\" in front of the value read, the default included, so that without the key the
// folder is software\software\KORVALDZ314GM: the configuration program derives it the same
// way, and both must agree to share profiles.
TOptionsFromConfigFile LoadOptionsFromConfigFile(TFileSystem& AFiles, TLocale& ALocale);

// Reads sections "OtherConfig", "HelpFiles" and "HelpLinks" of config.ini.
TOtherConfig LoadOtherConfig(TFileSystem& AFiles, TLocale& ALocale);

// The mouse's vendor collection ---------------------------------------------------------------

inline constexpr USAGE_AND_PAGE kMouseVendorCollection{0x0001, 0xFFA0};

// The collection through which the main window opens the mouse; the profile manager sets it to
// kMouseVendorCollection when it is created. Process-wide; main thread only.
extern USAGE_AND_PAGE DeviceUsageAndPage;

// Keyboard shortcuts as HID usage IDs; nModifier in HID modifier bits (1 left Ctrl, 2 left
// Shift, 4 left Alt, 8 left Windows key).
struct THID_CODE_INFO {
  std::uint16_t nKeyValue1 = 0;
  std::uint16_t nKeyValue2 = 0;
  std::uint16_t nModifier = 0;
};
static_assert(sizeof(THID_CODE_INFO) == 6);

// Helpers ---------------------------------------------------------------------------------------

// The configuration program's main window, or 0 when it is not running.
TWindowHandle FindConfigWindow(TWindowSystem& AWindows);

// The current local date and time as a date-time value: the stamp of a new profile.
TProfileUIDData NewProfileUID(TClock& AClock);

// Shortcut tables (50 entries each; an index outside 0..49 leaves the output unchanged).
inline constexpr int kShortcutTableSize = 50;

void GetMediaKeyHidCode(int AIndex, THID_CODE_INFO& AOut);
void GetBrowserKeyHidCode(int AIndex, THID_CODE_INFO& AOut);
void GetSystemComboKey(int AIndex, TCOMBOKEYINFO& AOut);
void GetTabComboKey(int AIndex, TCOMBOKEYINFO& AOut);

}  // namespace mon
