#include "app/shared_definitions.h"

#include <array>

#include "framework/ini_file.h"
#include "framework/text.h"
#include "hook/uiKeyCode.h"

namespace mon {

USAGE_AND_PAGE DeviceUsageAndPage;

namespace {

void LoadNameValueSection(const TIniFile& AIni, std::u16string_view ASection,
                          TNameValueList& AList) {
  for (const auto& key : AIni.ReadSectionKeys(ASection)) {
    AList.SetValue(key, AIni.ReadString(ASection, key, u""));
  }
}

// Shortcut tables -------------------------------------------------------------------------------

// Modifier bits of the two record kinds.
constexpr std::uint16_t kHidCtrl = 1, kHidAlt = 4, kHidWin = 8;
constexpr std::uint16_t kComboAlt = 1, kComboCtrl = 2, kComboShift = 4, kComboWin = 8;

struct TShortcut {
  std::uint16_t VirtualKey;
  std::uint16_t ComboModifier;
  std::uint16_t HidModifier;
};

constexpr std::uint16_t kVkTab = 0x09, kVkF4 = 0x73;

constexpr std::array<TShortcut, 8> kEditShortcuts{{{'X', kComboCtrl, kHidCtrl},
                                                   {'C', kComboCtrl, kHidCtrl},
                                                   {'V', kComboCtrl, kHidCtrl},
                                                   {'A', kComboCtrl, kHidCtrl},
                                                   {'F', kComboCtrl, kHidCtrl},
                                                   {'N', kComboCtrl, kHidCtrl},
                                                   {'P', kComboCtrl, kHidCtrl},
                                                   {'S', kComboCtrl, kHidCtrl}}};
constexpr std::array<TShortcut, 6> kSystemShortcuts{{{kVkTab, kComboAlt, kHidAlt},
                                                     {kVkF4, kComboAlt, kHidAlt},
                                                     {'E', kComboWin, kHidWin},
                                                     {'R', kComboWin, kHidWin},
                                                     {'D', kComboWin, kHidWin},
                                                     {'L', kComboWin, kHidWin}}};
// Play/pause, stop, previous, next, volume up, volume down, mute, media select.
constexpr std::array<std::uint16_t, 8> kMediaKeys{0xB3, 0xB2, 0xB1, 0xB0, 0xAF, 0xAE, 0xAD, 0xB5};
// Home, back, forward, stop, refresh, search, favourites.
constexpr std::array<std::uint16_t, 7> kBrowserKeys{0xAC, 0xA6, 0xA7, 0xA9, 0xA8, 0xAA, 0xAB};
// Close tab, zoom in (numeric-pad plus), zoom out (numeric-pad minus), previous tab, next tab.
constexpr std::array<TShortcut, 5> kTabShortcuts{{{'W', kComboCtrl, 0},
                                                  {0x6B, kComboCtrl, 0},
                                                  {0x6D, kComboCtrl, 0},
                                                  {kVkTab, kComboCtrl | kComboShift, 0},
                                                  {kVkTab, kComboCtrl, 0}}};

template <class T>
using TShortcutTable = std::array<T, kShortcutTableSize>;

std::uint16_t HidUsage(std::uint16_t AVirtualKey, int ASelector) {
  const std::uint32_t code = GetKeyHIDCode(AVirtualKey, ASelector);
  return code == 0xFFFF ? 0 : static_cast<std::uint16_t>(code);
}

THID_CODE_INFO HidEntry(std::uint16_t AVirtualKey, int ASelector, std::uint16_t AModifier) {
  return {HidUsage(AVirtualKey, ASelector), HidUsage(0, 0), AModifier};
}

TCOMBOKEYINFO ComboEntry(std::uint16_t AVirtualKey, std::uint16_t AExtended,
                         std::uint16_t AModifier) {
  TCOMBOKEYINFO entry{};
  entry.nKeyValue1 = AVirtualKey;
  entry.nKey1Extended = AExtended;
  entry.nModifier = AModifier;
  return entry;
}

struct THidTables {
  TShortcutTable<THID_CODE_INFO> Edit{}, System{}, Media{}, Browser{};
  THidTables() {
    for (std::size_t i = 0; i < kEditShortcuts.size(); ++i) {
      Edit[i] = HidEntry(kEditShortcuts[i].VirtualKey, 0, kEditShortcuts[i].HidModifier);
    }
    for (std::size_t i = 0; i < kSystemShortcuts.size(); ++i) {
      System[i] = HidEntry(kSystemShortcuts[i].VirtualKey, 0, kSystemShortcuts[i].HidModifier);
    }
    for (std::size_t i = 0; i < kMediaKeys.size(); ++i) {
      Media[i] = HidEntry(kMediaKeys[i], 1, 0);
    }
    for (std::size_t i = 0; i < kBrowserKeys.size(); ++i) {
      Browser[i] = HidEntry(kBrowserKeys[i], 1, 0);
    }
  }
};

struct TComboTables {
  TShortcutTable<TCOMBOKEYINFO> Edit{}, System{}, Media{}, Tab{};
  TComboTables() {
    for (std::size_t i = 0; i < kEditShortcuts.size(); ++i) {
      Edit[i] = ComboEntry(kEditShortcuts[i].VirtualKey, 0, kEditShortcuts[i].ComboModifier);
    }
    for (std::size_t i = 0; i < kSystemShortcuts.size(); ++i) {
      System[i] = ComboEntry(kSystemShortcuts[i].VirtualKey, 0, kSystemShortcuts[i].ComboModifier);
    }
    for (std::size_t i = 0; i < kMediaKeys.size(); ++i) {
      Media[i] = ComboEntry(kMediaKeys[i], 1, 0);
    }
    for (std::size_t i = 0; i < kTabShortcuts.size(); ++i) {
      Tab[i] = ComboEntry(kTabShortcuts[i].VirtualKey, 0, kTabShortcuts[i].ComboModifier);
    }
  }
};

// Each kind is built on the first call of one of its getters, once, also under concurrency.
const THidTables& HidTables() {
  static const THidTables tables;
  return tables;
}

const TComboTables& ComboTables() {
  static const TComboTables tables;
  return tables;
}

template <class T>
void CopyEntry(const TShortcutTable<T>& ATable, int AIndex, T& AOut) {
  if (AIndex >= 0 && AIndex < kShortcutTableSize) {
    AOut = ATable[static_cast<std::size_t>(AIndex)];
  }
}

}  // namespace

void TNameValueList::SetValue(const std::u16string& AName, const std::u16string& AValue) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it) {
    if (SameTextIgnoreCase(it->first, AName)) {
      if (AValue.empty()) {
        FItems.erase(it);
      } else {
        it->second = AValue;
      }
      return;
    }
  }
  if (!AValue.empty()) {
    FItems.emplace_back(AName, AValue);
  }
}

std::optional<std::u16string> TNameValueList::Value(const std::u16string& AName) const {
  for (const auto& [name, value] : FItems) {
    if (SameTextIgnoreCase(name, AName)) {
      return value;
    }
  }
  return std::nullopt;
}

TOptionsFromConfigFile LoadOptionsFromConfigFile(TFileSystem& AFiles, TLocale& ALocale) {
  const TIniFile ini = LoadConfigFile(AFiles, ALocale);
  TOptionsFromConfigFile options;
  options.ProfileRegFolder =
      u"software\\" + ini.ReadString(u"options", u"ProfileRegFolder", u"software\\KORVALDZ314GM");
  options.ProfileFolder = ini.ReadString(u"options", u"profileFolder", u"Profile");
  options.ProfileNamePrefix = ini.ReadString(u"options", u"profilePrefix", u"Profile");
  options.ProfileMacroFolder = ini.ReadString(u"options", u"profileMacroFolder", u"MacroDB");
  return options;
}

TOtherConfig LoadOtherConfig(TFileSystem& AFiles, TLocale& ALocale) {
  const TIniFile ini = LoadConfigFile(AFiles, ALocale);
  TOtherConfig config;
  config.Nologo = ini.ReadInteger(u"OtherConfig", u"NoLogo", 0);
  config.OfficialWebsite = ini.ReadString(u"OtherConfig", u"OfficialWebsite", u"http://");
  config.helppagestyle = ini.ReadString(u"OtherConfig", u"helppagestyle", u"1");
  LoadNameValueSection(ini, u"HelpFiles", config.HelpFile);
  LoadNameValueSection(ini, u"HelpLinks", config.HelpLinks);
  return config;
}

TWindowHandle FindConfigWindow(TWindowSystem& AWindows) {
  return AWindows.FindTopLevelWindow(CFG_MAIN_CLASS);
}

TProfileUIDData NewProfileUID(TClock& AClock) {
  TProfileUIDData uid{};
  uid.SetDataTime(ToDateTimeValue(AClock.LocalNow()));
  return uid;
}

void GetMediaKeyHidCode(int AIndex, THID_CODE_INFO& AOut) {
  CopyEntry(HidTables().Media, AIndex, AOut);
}

void GetBrowserKeyHidCode(int AIndex, THID_CODE_INFO& AOut) {
  CopyEntry(HidTables().Browser, AIndex, AOut);
}

void GetSystemComboKey(int AIndex, TCOMBOKEYINFO& AOut) {
  CopyEntry(ComboTables().System, AIndex, AOut);
}

void GetTabComboKey(int AIndex, TCOMBOKEYINFO& AOut) {
  CopyEntry(ComboTables().Tab, AIndex, AOut);
}

}  // namespace mon
